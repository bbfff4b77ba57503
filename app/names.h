// Names that other programs and stored data see. Each one is part of a
// contract with something outside this executable, so none may change: not
// for a new version, not for a tidier spelling.
#ifndef TARVELO_APP_NAMES_H
#define TARVELO_APP_NAMES_H

// The About window's class, named by its dialog template too (the resource
// compiler reads this file, and only this part of it).
#define TARVELO_ABOUT_FORM_CLASS "TfrmAbout"

#ifndef RC_INVOKED
namespace tarvelo::names {

// The single-instance guard, a file mapping in the session's namespace: a
// copy of any version must find the running one by it.
inline constexpr const char* kInstanceGuard = "Quorvane";

// Window classes. The uninstaller finds a running copy by them to ask it to
// close, and session tools and the tests tell the program's windows apart by them.
inline constexpr const char* kApplicationWindowClass = "TApplication";
inline constexpr const char* kMainFormClass = "TfrmMain";
inline constexpr const char* kSkinFormClass = "TPNGForm";
inline constexpr const char* kTrayWindowClass = "TTrayIconWindow";
// The invisible windows that give the pictures their names for screen readers.
inline constexpr const char* kPictureNameClass = "TImageName";
inline constexpr const char* kAboutFormClass = TARVELO_ABOUT_FORM_CLASS;

// A start with a command hands it to the running copy in WM_COPYDATA, to the
// main form's window (found by its class above), with this tag in dwData;
// the running copy answers kCommandAccepted, and anything else (0 from a
// window that does not know the message) is a refusal. Copies of different
// versions meet here, and a 32-bit copy may talk to a 64-bit one: the tag
// fits in 32 bits, and neither value may change.
inline constexpr unsigned long kCommandCopyDataTag = 0x54764364;  // "TvCd"
inline constexpr long kCommandAccepted = 1;

// The shell broadcasts this registered message when the taskbar restarts.
inline constexpr const char* kTaskbarCreatedMessage = "TaskbarCreated";

// Registry, current user. Earlier runs stored the settings here, and the
// uninstaller removes exactly these.
inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Mirrowen";
inline constexpr const char* kSettingsKeyPath = "Software\\Hobrast\\Mirrowen";
inline constexpr const char* kAutoHideValueName = "AutoHide";

// The skin, read from the executable's folder: users replace this file.
inline constexpr const char* kSkinFileName = "form.png";

}  // namespace tarvelo::names
#endif

#endif
