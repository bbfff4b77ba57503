// Commands given on the command line (`Tarvelo.exe /open E:`) and the form
// in which a second start hands one to the running copy. Both come from
// outside the program, so both are read strictly: anything not understood
// is refused, never guessed at. No Windows dependency, so the host tests it.
#ifndef TARVELO_APP_COMMAND_LINE_H
#define TARVELO_APP_COMMAND_LINE_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo {

enum class CommandVerb : unsigned char { Open, Close, Lock, Unlock, Show, Hide, Exit };

struct RemoteCommand {
  CommandVerb verb = CommandVerb::Show;
  // 'A' to 'Z' for a tray command on that drive; 0 for the default drive,
  // and always 0 for the other verbs.
  char drive = 0;

  bool operator==(const RemoteCommand&) const = default;
};

struct ParsedCommandLine {
  enum class Kind {
    Start,    // no argument: start as always
    Usage,    // "/?"
    Command,  // one command, in `command`
    Bad,      // something not understood, at `badArgument`
  };
  Kind kind = Kind::Start;
  RemoteCommand command;
  std::size_t badArgument = 0;
};

// The arguments after the program's name. Case does not matter and '-' may
// stand for '/'. A drive is "E:" or "E"; only "/open" and "/close" take one,
// and nothing may follow the command or its drive.
ParsedCommandLine ParseCommandLine(const std::vector<std::u16string>& arguments);

// What a second start sends: the verb in lower case, then for a drive a space
// and the drive string ("close E:"), in UTF-16 without a terminating zero.
std::u16string CommandPayload(const RemoteCommand& command);

// The payload's bounds in bytes: "lock" is the shortest, "close E:" the longest.
inline constexpr std::size_t kCommandPayloadMinBytes = 4 * sizeof(char16_t);
inline constexpr std::size_t kCommandPayloadMaxBytes = 8 * sizeof(char16_t);

// The command in a received payload, or nothing when it is not exactly one
// that CommandPayload makes. The data may come from any program: only the
// size passed is trusted to say how much is readable, never a terminator.
std::optional<RemoteCommand> ParseCommandPayload(const void* data, std::size_t bytes);

// The exit codes a start with a command ends with, for scripts.
inline constexpr int kExitDone = 0;           // taken by the running copy, or run after start-up
inline constexpr int kExitBadArguments = 2;   // not understood; the usage was shown
inline constexpr int kExitRefused = 3;        // the running copy refused it
inline constexpr int kExitNoAnswer = 4;       // the running copy did not answer in time

}  // namespace tarvelo

#endif
