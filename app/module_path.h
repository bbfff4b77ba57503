// Where the running executable lives. The ANSI path calls hold at most
// MAX_PATH characters; a longer path comes back cut short, and a path cut
// short must never be used: it names another file or folder.
#ifndef TARVELO_APP_MODULE_PATH_H
#define TARVELO_APP_MODULE_PATH_H

#include <windows.h>

#include <optional>
#include <string>

namespace tarvelo {

// The executable's full path, or nothing when it did not fit into `capacity`
// characters (or the system could not say).
std::optional<std::string> ExecutablePath(DWORD capacity = MAX_PATH);

// The executable's folder with its trailing backslash, or nothing when the
// path is not known whole.
std::optional<std::string> ExecutableFolder();

// The executable's file name alone ("Tarvelo.exe"); empty when unknown.
std::string ExecutableFileName();

}  // namespace tarvelo

#endif
