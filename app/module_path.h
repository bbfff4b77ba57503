// Where the running executable lives, in UTF-8. Asked through the wide call,
// so that a folder named outside the ANSI code page keeps every character
// (the ANSI call turns those into '?', a path to nowhere). At most MAX_PATH
// characters are asked for; a longer path comes back cut short, and a path
// cut short must never be used: it names another file or folder.
#ifndef TARVELO_APP_MODULE_PATH_H
#define TARVELO_APP_MODULE_PATH_H

#include <windows.h>

#include <optional>
#include <string>

namespace tarvelo {

// The executable's full path, or nothing when it did not fit into `capacity`
// UTF-16 characters (or the system could not say).
std::optional<std::string> ExecutablePath(DWORD capacity = MAX_PATH);

// The executable's folder with its trailing backslash, or nothing when the
// path is not known whole.
std::optional<std::string> ExecutableFolder();

// The executable's file name alone ("Tarvelo.exe"); empty when unknown.
std::string ExecutableFileName();

}  // namespace tarvelo

#endif
