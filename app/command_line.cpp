#include "app/command_line.h"

#include <cstring>

namespace tarvelo {

namespace {

struct VerbName {
  CommandVerb verb;
  std::u16string_view name;
};

constexpr VerbName kVerbs[] = {
    {CommandVerb::Open, u"open"}, {CommandVerb::Close, u"close"}, {CommandVerb::Lock, u"lock"},
    {CommandVerb::Unlock, u"unlock"}, {CommandVerb::Show, u"show"}, {CommandVerb::Hide, u"hide"},
    {CommandVerb::Exit, u"exit"},
};

bool TakesDrive(CommandVerb verb) { return verb == CommandVerb::Open || verb == CommandVerb::Close; }

// Only ASCII letters fold: no command or drive letter is anything else, and
// a locale's case rules must not make one out of another character.
char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualsFolded(std::u16string_view text, std::u16string_view lowerName) {
  if (text.size() != lowerName.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (FoldAscii(text[i]) != lowerName[i]) return false;
  }
  return true;
}

std::optional<CommandVerb> VerbNamed(std::u16string_view word) {
  for (const VerbName& entry : kVerbs) {
    if (EqualsFolded(word, entry.name)) return entry.verb;
  }
  return std::nullopt;
}

// "E:" or "E", either case: the drive as the user writes it in a shortcut.
std::optional<char> DriveArgument(std::u16string_view text) {
  if (text.empty() || text.size() > 2 || (text.size() == 2 && text[1] != u':')) return std::nullopt;
  const char16_t letter = FoldAscii(text[0]);
  if (letter < u'a' || letter > u'z') return std::nullopt;
  return static_cast<char>('A' + (letter - u'a'));
}

ParsedCommandLine Bad(std::size_t argument) {
  ParsedCommandLine parsed;
  parsed.kind = ParsedCommandLine::Kind::Bad;
  parsed.badArgument = argument;
  return parsed;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::u16string>& arguments) {
  ParsedCommandLine parsed;
  if (arguments.empty()) return parsed;
  const std::u16string_view first = arguments[0];
  if (first.size() < 2 || (first[0] != u'/' && first[0] != u'-')) return Bad(0);
  const std::u16string_view word = first.substr(1);
  if (word == u"?") {
    if (arguments.size() > 1) return Bad(1);
    parsed.kind = ParsedCommandLine::Kind::Usage;
    return parsed;
  }
  const std::optional<CommandVerb> verb = VerbNamed(word);
  if (!verb) return Bad(0);
  parsed.kind = ParsedCommandLine::Kind::Command;
  parsed.command.verb = *verb;
  std::size_t used = 1;
  if (TakesDrive(*verb) && arguments.size() > 1) {
    const std::optional<char> drive = DriveArgument(arguments[1]);
    if (!drive) return Bad(1);
    parsed.command.drive = *drive;
    used = 2;
  }
  if (arguments.size() > used) return Bad(used);
  return parsed;
}

std::u16string CommandPayload(const RemoteCommand& command) {
  std::u16string payload;
  for (const VerbName& entry : kVerbs) {
    if (entry.verb == command.verb) payload = entry.name;
  }
  if (command.drive) {
    payload += u' ';
    payload += static_cast<char16_t>(command.drive);
    payload += u':';
  }
  return payload;
}

std::optional<RemoteCommand> ParseCommandPayload(const void* data, std::size_t bytes) {
  if (!data || bytes < kCommandPayloadMinBytes || bytes > kCommandPayloadMaxBytes || bytes % sizeof(char16_t)) {
    return std::nullopt;
  }
  // Copied, not read in place: the sender's buffer need not be aligned.
  char16_t units[kCommandPayloadMaxBytes / sizeof(char16_t)];
  std::memcpy(units, data, bytes);
  std::u16string_view text(units, bytes / sizeof(char16_t));

  RemoteCommand command;
  const std::size_t space = text.find(u' ');
  if (space != std::u16string_view::npos) {
    const std::u16string_view drive = text.substr(space + 1);
    if (drive.size() != 2 || drive[0] < u'A' || drive[0] > u'Z' || drive[1] != u':') return std::nullopt;
    command.drive = static_cast<char>(drive[0]);
    text = text.substr(0, space);
  }
  // Exactly as sent: lower case, the drive upper case, nothing more.
  bool found = false;
  for (const VerbName& entry : kVerbs) {
    if (entry.name == text) {
      command.verb = entry.verb;
      found = true;
    }
  }
  if (!found || (command.drive && !TakesDrive(command.verb))) return std::nullopt;
  return command;
}

}  // namespace tarvelo
