#include "app/running_copy.h"

#include <shellapi.h>

#include "app/application.h"
#include "app/handles.h"
#include "app/names.h"
#include "app/product.h"
#include "app/resource_text.h"
#include "app/utf8.h"
#include "resources/resource_ids.h"

namespace tarvelo {

namespace {

// A running copy answers at once unless a message box of its start-up or a
// drag keeps it: five seconds is long for a script and enough for those.
constexpr DWORD kAnswerDeadline = 5000;
constexpr DWORD kLookAgainAfter = 50;

std::string Utf8(std::u16string_view text) { return Narrow(std::wstring(text.begin(), text.end())); }

}  // namespace

std::vector<std::u16string> CommandLineArguments() {
  std::vector<std::u16string> arguments;
  int count = 0;
  const UniqueArgumentList list(::CommandLineToArgvW(::GetCommandLineW(), &count));
  if (!list) return arguments;
  for (int i = 1; i < count; ++i) {
    std::u16string argument;
    for (const wchar_t* c = list.get()[i]; *c; ++c) argument.push_back(static_cast<char16_t>(*c));
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

void ShowCommandLineUsage(const std::u16string* badArgument) {
  std::string text = ResourceText(IDS_COMMAND_LINE_USAGE);
  UINT icon = 0;
  if (badArgument) {
    text = ResourceText(IDS_COMMAND_LINE_NOT_UNDERSTOOD, {Utf8(*badArgument)}) + "\n\n" + text;
    icon = MB_ICONEXCLAMATION;
  }
  ShowBox(text, TARVELO_TITLE, MB_OK | MB_TOPMOST | icon);
}

int SendToRunningCopy(const RemoteCommand& command) {
  const std::u16string payload = CommandPayload(command);
  std::wstring units(payload.begin(), payload.end());
  COPYDATASTRUCT data{};
  data.dwData = names::kCommandCopyDataTag;
  data.cbData = static_cast<DWORD>(payload.size() * sizeof(wchar_t));
  data.lpData = units.data();

  const std::wstring windowClass = Widen(names::kMainFormClass);
  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= kAnswerDeadline) return kExitNoAnswer;
    if (HWND window = ::FindWindowW(windowClass.c_str(), nullptr)) {
      // Started by a key or a click, this start may bring a window to the
      // front; the running copy shows its own only with this leave.
      if (command.verb == CommandVerb::Show) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        ::AllowSetForegroundWindow(process);
      }
      DWORD_PTR answer = 0;
      if (::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                kAnswerDeadline - elapsed, &answer)) {
        return answer == static_cast<DWORD_PTR>(names::kCommandAccepted) ? kExitDone : kExitRefused;
      }
      // Hung, out of time, or gone meanwhile (a copy that ends): the
      // deadline decides.
    }
    ::Sleep(kLookAgainAfter);
  }
}

std::optional<RemoteCommand> CommandFromCopyData(const COPYDATASTRUCT* data) {
  if (!data || data->dwData != names::kCommandCopyDataTag) return std::nullopt;
  return ParseCommandPayload(data->lpData, data->cbData);
}

}  // namespace tarvelo
