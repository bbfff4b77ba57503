// The command line a user writes, and the message a second start hands to
// the running copy, which any program can send: each read strictly.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

using Kind = ParsedCommandLine::Kind;

std::u16string Utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(CommandLine, ArgumentsAndPayloadsAreReadStrictly) {
  struct Case {
    std::vector<std::string> arguments;
    Kind kind;
    RemoteCommand command;     // for Command
    std::size_t badArgument;   // for Bad
  };
  const Case cases[] = {
      {{}, Kind::Start, {}, 0},
      {{"/?"}, Kind::Usage, {}, 0},
      {{"-?"}, Kind::Usage, {}, 0},
      {{"/open"}, Kind::Command, {CommandVerb::Open, 0}, 0},
      {{"-CLOSE"}, Kind::Command, {CommandVerb::Close, 0}, 0},
      {{"/Open", "e:"}, Kind::Command, {CommandVerb::Open, 'E'}, 0},
      {{"/close", "Z"}, Kind::Command, {CommandVerb::Close, 'Z'}, 0},
      {{"/LOCK"}, Kind::Command, {CommandVerb::Lock, 0}, 0},
      {{"-unlock"}, Kind::Command, {CommandVerb::Unlock, 0}, 0},
      {{"/show"}, Kind::Command, {CommandVerb::Show, 0}, 0},
      {{"/hide"}, Kind::Command, {CommandVerb::Hide, 0}, 0},
      {{"/eXit"}, Kind::Command, {CommandVerb::Exit, 0}, 0},
      // Not understood: the first argument that is wrong is named.
      {{"open"}, Kind::Bad, {}, 0},
      {{"/"}, Kind::Bad, {}, 0},
      {{""}, Kind::Bad, {}, 0},
      {{"/eject"}, Kind::Bad, {}, 0},
      {{"//open"}, Kind::Bad, {}, 0},
      {{"/open", "E:", "F:"}, Kind::Bad, {}, 2},
      {{"/open", "E:\\"}, Kind::Bad, {}, 1},
      {{"/open", "EF"}, Kind::Bad, {}, 1},
      {{"/open", "1:"}, Kind::Bad, {}, 1},
      {{"/open", ""}, Kind::Bad, {}, 1},
      {{"/open", "/close"}, Kind::Bad, {}, 1},
      {{"/lock", "E:"}, Kind::Bad, {}, 1},
      {{"/?", "/open"}, Kind::Bad, {}, 1},
  };
  for (const Case& c : cases) {
    std::vector<std::u16string> arguments;
    for (const std::string& argument : c.arguments) arguments.push_back(Utf16(argument));
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0] + " ...";
    ASSERT_EQ(parsed.kind, c.kind) << shown;
    if (c.kind == Kind::Command) {
      EXPECT_EQ(parsed.command, c.command) << shown;
      // What a second start sends is read back as the same command.
      const std::u16string payload = CommandPayload(parsed.command);
      EXPECT_EQ(ParseCommandPayload(payload.data(), payload.size() * sizeof(char16_t)), parsed.command) << shown;
    }
    if (c.kind == Kind::Bad) {
      EXPECT_EQ(parsed.badArgument, c.badArgument) << shown;
    }
  }
  EXPECT_EQ(CommandPayload({CommandVerb::Close, 'E'}), u"close E:");

  // Payloads that are not exactly what a second start sends.
  const std::u16string refused[] = {
      u"",           u"ope",       u"Open",      u"open e:",   u"open E",     u"open E:\\", u"lock E:",
      u"open  E:",   u"open @:",   std::u16string(u"unlock\0", 7), u"eject",     u"close E:x",  std::u16string(u"open\0E:", 7),
  };
  for (const std::u16string& payload : refused) {
    EXPECT_EQ(ParseCommandPayload(payload.data(), payload.size() * sizeof(char16_t)), std::nullopt)
        << std::string(payload.begin(), payload.end());
  }
  // The size is all that is trusted: an odd one, one past the bound (no
  // terminator is looked for beyond it), and no data at all.
  const char16_t lock[] = u"lock";
  EXPECT_EQ(ParseCommandPayload(lock, 9), std::nullopt);
  const char16_t longest[] = u"close E:";
  EXPECT_EQ(ParseCommandPayload(longest, 16), (RemoteCommand{CommandVerb::Close, 'E'}));
  EXPECT_EQ(ParseCommandPayload(longest, 18), std::nullopt);
  EXPECT_EQ(ParseCommandPayload(nullptr, 8), std::nullopt);
  // Any alignment: the sender's buffer is only bytes.
  unsigned char shifted[1 + sizeof lock];
  std::memcpy(shifted + 1, lock, 8);
  EXPECT_EQ(ParseCommandPayload(shifted + 1, 8), (RemoteCommand{CommandVerb::Lock, 0}));
}

}  // namespace
}  // namespace tarvelo
