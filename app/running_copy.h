// The Windows side of commands given on the command line: the arguments as
// the system splits them, the usage box, and the hand-over of a command from
// a second start to the copy that runs, through WM_COPYDATA to its main form.
#ifndef TARVELO_APP_RUNNING_COPY_H
#define TARVELO_APP_RUNNING_COPY_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace tarvelo {

// The arguments after the program's name.
std::vector<std::u16string> CommandLineArguments();

// The usage box; when `badArgument` is given, it says first that this one
// was not understood.
void ShowCommandLineUsage(const std::u16string* badArgument);

// Hands the command to the running copy and returns the exit code the start
// ends with: done, refused, or no answer. The guard is created before the
// running copy's window, so that window is looked for again until the
// deadline; the same deadline bounds the wait for the answer.
int SendToRunningCopy(const RemoteCommand& command);

// The command a WM_COPYDATA message carries, or nothing when it carries
// anything else.
std::optional<RemoteCommand> CommandFromCopyData(const COPYDATASTRUCT* data);

}  // namespace tarvelo

#endif
