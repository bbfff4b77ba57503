// The program's two settings, kept in the current user's registry: autostart
// (the program's entry under the per-user Run key) and hide-on-start (a value
// under the program's own key). Only the existence of a value counts, so any
// type or data reads as on; reading never creates or changes anything.
#ifndef TARVELO_SETTINGS_SETTINGS_H
#define TARVELO_SETTINGS_SETTINGS_H

#include <windows.h>

#include <optional>
#include <string>

#include "app/module_path.h"
#include "app/names.h"

namespace tarvelo {

inline constexpr const char* kAutoHideData = "1";

// Keys are opened with full access for reading as well as for writing. The
// switches take the mask as a parameter only so that a test can open a key
// with less and watch the system refuse the write.
inline constexpr REGSAM kSettingsAccess = KEY_ALL_ACCESS;

bool ReadAutoStart();
bool ReadAutoHide();

// The Run value's data. Quoted, so that Windows never tries the part of a
// path before its first space ("C:\Program.exe") at logon.
std::string RunCommand(const std::string& executable);

// Each switch flips the setting and makes the registry follow: on writes the
// value, off deletes it (a missing value is no error). When the key cannot be
// opened the setting ends off and nothing is written. A value that cannot be
// written raises a RegistryError and leaves the setting as it was, matching
// what the registry still holds.
//
// Autostart only opens the Run key, never creates it. Without the
// executable's path autostart is treated as if the key could not be opened.
void SwitchAutoStart(bool& autoStart, const std::optional<std::string>& executable = ExecutablePath(),
                     REGSAM access = kSettingsAccess);
// Hide-on-start creates its key, with any missing parents, when it is absent.
void SwitchAutoHide(bool& autoHide, REGSAM access = kSettingsAccess);

}  // namespace tarvelo

#endif
