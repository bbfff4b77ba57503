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

// Bitmaps of the image lists and the pictures stored with the forms.
#define IDB_BUTTONS 1        /* ImageListButtons: 4 images of 145 x 50 in a strip */
#define IDB_BUTTONS_MASK 2
#define IDB_CLOSE 3          /* ImageListClose: 4 images of 20 x 20 in a strip */
#define IDB_CLOSE_MASK 4
#define IDB_LOGO 5           /* ImageLogo: 137 x 60 */
#define IDB_EMBLEM 6         /* About window Image1: 100 x 100 */
#define IDB_WORDMARK 7       /* About window imgLogo: 127 x 26 */

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

#endif
