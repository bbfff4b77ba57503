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

// Each step asks for what it needs and no more: some managed machines let
// users read the Run key but not change it, and a key opened for more than
// reading would then read as if the value were not there. The switches take
// the mask as a parameter only so that a test can open a key with less and
// watch the system refuse the change.
inline constexpr REGSAM kReadAccess = KEY_QUERY_VALUE;
inline constexpr REGSAM kWriteAccess = KEY_SET_VALUE;

bool ReadAutoStart();
bool ReadAutoHide();

// The Run value's data. Quoted, so that Windows never tries the part of a
// path before its first space ("C:\Program.exe") at logon.
std::string RunCommand(const std::string& executable);

// Each switch flips the setting and makes the registry follow: on writes the
// value, off deletes it (a missing value is no error). The setting changes
// only where the registry has followed: a key that cannot be opened leaves
// it as it was, except that off is reached when the key is not there at all
// (nor, then, the value). A value that cannot be written raises a
// RegistryError and leaves the setting as it was, matching what the registry
// still holds.
//
// Autostart only opens the Run key, never creates it. Without the
// executable's path it cannot be switched on.
void SwitchAutoStart(bool& autoStart, const std::optional<std::string>& executable = ExecutablePath(),
                     REGSAM access = kWriteAccess);
// Hide-on-start creates its key, with any missing parents, when it is absent.
void SwitchAutoHide(bool& autoHide, REGSAM access = kWriteAccess);

}  // namespace tarvelo

#endif
