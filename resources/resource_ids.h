// Identifiers shared by the resource scripts and the code. Plain defines only:
// windres reads this file too. Menu and command identifiers start at 1.
#ifndef TARVELO_RESOURCES_RESOURCE_IDS_H
#define TARVELO_RESOURCES_RESOURCE_IDS_H

// Icon group shown by the executable and the notification-area icon.
#define IDI_MAINICON 1

// Tray popup menu (static layout).
#define IDM_POPUP_TRAY 1

// Commands of the static layout of the tray menu, one per item.
#define IDC_ABOUT1 1        /* "About..." */
#define IDC_TOOLS1 2        /* "Tools" submenu */
#define IDC_N6 3            /* hidden separator */
#define IDC_SHOW1 4         /* "Show..." (hidden) */
#define IDC_ACHIDE1 5       /* "Hide" (hidden) */
#define IDC_N7 6            /* separator */
#define IDC_GFNGF1 7        /* "Exit" */
#define IDC_N2 8            /* separator, last of the static layout */
#define IDC_ACAUTOHIDE1 9   /* "Hide On Start" */
#define IDC_ACAUTOSTART1 10 /* "Autostart" */
#define IDC_N3 11           /* separator in Tools */
#define IDC_BLOCK1 12       /* "Block All" */
// Items created at run time (the drive entries) take identifiers from here on.
#define IDC_DYNAMIC_FIRST 100

// The submenu of a drive entry, a template copied for every optical drive.
#define IDM_DRIVE_ENTRY 2
#define IDC_DRIVE_EXPLORE 20     /* "Explore..." */
#define IDC_DRIVE_LINE 21        /* separator */
#define IDC_DRIVE_OPEN 22        /* "Open" */
#define IDC_DRIVE_CLOSE 23       /* "Close" */

// Bitmaps of the image lists and the pictures stored with the forms. An image
// list is one strip of equally sized pictures, left to right, with a 1-bit
// mask of the same size; its layout is written here, beside its id.
#define IDB_BUTTONS 1            /* ImageListButtons: 4 pictures of 145 x 50 */
#define IDB_BUTTONS_MASK 2
#define IDB_BUTTONS_WIDTH 145
#define IDB_BUTTONS_HEIGHT 50
#define IDB_BUTTONS_OPEN 0       /* Open, normal */
#define IDB_BUTTONS_CLOSE 1      /* Close, normal */
#define IDB_BUTTONS_OPEN_LIT 2   /* Open, highlighted */
#define IDB_BUTTONS_CLOSE_LIT 3  /* Close, highlighted */
#define IDB_CLOSE 3              /* ImageListClose: 4 pictures of 20 x 20 */
#define IDB_CLOSE_MASK 4
#define IDB_CLOSE_WIDTH 20
#define IDB_CLOSE_HEIGHT 20
#define IDB_CLOSE_CROSS 0        /* cross, normal */
#define IDB_CLOSE_CROSS_LIT 1    /* cross, highlighted */
#define IDB_CLOSE_BAR 2          /* bar, normal */
#define IDB_CLOSE_BAR_LIT 3      /* bar, highlighted */
#define IDB_LOGO 5               /* ImageLogo: 137 x 60 */
#define IDB_EMBLEM 6             /* About window Image1: 100 x 100 */
#define IDB_WORDMARK 7           /* About window imgLogo: 127 x 26 */
// The same pictures drawn at 150 and 200 %: each id plus one of these. The
// layouts above are the 100 % ones; at a scale each size is scaled and
// rounded, halves up (a 145 px cell is 218 px at 150 %).
#define IDB_AT_150 100
#define IDB_AT_200 200
#define IDB_BUTTONS_150 101
#define IDB_BUTTONS_MASK_150 102
#define IDB_CLOSE_150 103
#define IDB_CLOSE_MASK_150 104
#define IDB_LOGO_150 105
#define IDB_EMBLEM_150 106
#define IDB_WORDMARK_150 107
#define IDB_BUTTONS_200 201
#define IDB_BUTTONS_MASK_200 202
#define IDB_CLOSE_200 203
#define IDB_CLOSE_MASK_200 204
#define IDB_LOGO_200 205
#define IDB_EMBLEM_200 206
#define IDB_WORDMARK_200 207

// About window dialog template and its controls.
#define IDD_ABOUT 1
// Its labels, named after the designer's; 1 and 2 are the dialog manager's
// IDOK and IDCANCEL (Enter and Escape), so they start at 100.
#define IDC_ABOUT_LABEL00 100 /* owner's phone */
#define IDC_ABOUT_LABEL1 101  /* "E-mail:" */
#define IDC_ABOUT_LABEL2 102  /* notice line */
#define IDC_ABOUT_LABEL3 103  /* "Site:" */
#define IDC_ABOUT_LABEL4 104  /* version */
#define IDC_ABOUT_LABEL5 105  /* mail link */
#define IDC_ABOUT_LABEL6 106  /* "Phone:" */
#define IDC_ABOUT_LABEL7 107  /* "Version:" */
#define IDC_ABOUT_LABEL8 108  /* phone */
#define IDC_ABOUT_LABEL9 109  /* "Product:" */
#define IDC_ABOUT_LABEL11 111 /* site link */
#define IDC_ABOUT_LABEL12 112 /* "Owner:" */
#define IDC_ABOUT_LABEL13 113 /* product name */
#define IDC_ABOUT_LABEL14 114 /* "Developer:" */
#define IDC_ABOUT_LABEL15 115 /* developer's name */
#define IDC_ABOUT_LABEL16 116 /* "Software" */
#define IDC_ABOUT_LABEL17 117 /* "for" */
#define IDC_ABOUT_LABEL18 118 /* "People" */

// Texts of the string table (resources/strings.rc). "%s" marks where a
// message takes a name; the table says what goes there.
#define IDS_HOTKEY_REFUSED 1          /* the combination */
#define IDS_HOTKEY_CTRL_PAGE_UP 2
#define IDS_HOTKEY_CTRL_PAGE_DOWN 3
#define IDS_HOTKEY_CTRL_END 4
#define IDS_HOTKEY_CTRL_HOME 5
#define IDS_SKIN_MISSING 6            /* the skin's file name */
#define IDS_SKIN_BAD_FORMAT 7         /* the skin's file name */
#define IDS_REGISTRY_WRITE_FAILED 8   /* the value's name */
#define IDS_APPLICATION_ERROR_TITLE 9
#define IDS_APPLICATION_ERROR 10      /* class, module, address */
#define IDS_UNKNOWN_ERROR 11
#define IDS_COMMAND_LINE_USAGE 12
#define IDS_COMMAND_LINE_NOT_UNDERSTOOD 13  /* the argument */

#define IDS_WINDOW_CLASS_FAILED 33
#define IDS_WINDOW_FAILED 34
#define IDS_OUT_OF_RESOURCES 35
#define IDS_MENU_FAILED 36
#define IDS_PICTURE_FAILED 37

// Captions of the actions; menu items bound to an action show its caption.
#define IDS_ACFORMABOUT 64
#define IDS_ACAUTOHIDE 65
#define IDS_ACAUTOSTART 66
#define IDS_ACBLOCKALL 67
#define IDS_ACEXIT 68
#define IDS_ACDEFAUTCDOPEN 69
#define IDS_ACDEFAULTCDCLOSE 70
#define IDS_ACHIDE 71
#define IDS_ACSHOW 72
#define IDS_ACPNGONMOUSEMOVE 73

#endif
