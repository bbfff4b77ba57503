// Entry point: composes the program from its parts. The single-instance
// guard, the application object and its forms, the message loop, and the
// tear-down in reverse order.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/error_text.h"
#include "app/errors.h"
#include "app/fail_fast.h"
#include "app/handles.h"
#include "app/module_path.h"
#include "app/names.h"
#include "app/product.h"
#include "app/resource_text.h"
#include "app/running_copy.h"
#include "app/utf8.h"
#include "app/system_library.h"
#include "resources/resource_ids.h"
#include "ui/about/form_about.h"
#include "ui/form_main.h"

namespace {

// An error before the main form is set up leaves nothing to run: say what it
// was, the way the system reports an application failure, and end. The text
// names the executable, whose name may lie outside the ANSI code page.
int ReportStartupFailure(const char* className, std::uintptr_t address, const char* what) {
  const std::string text = tarvelo::ApplicationErrorText(tarvelo::ResourceText(IDS_APPLICATION_ERROR), className,
                                                         tarvelo::ExecutableFileName(), address, what);
  const std::string title = tarvelo::ResourceText(IDS_APPLICATION_ERROR_TITLE);
  tarvelo::ShowBox(text, title, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // An exception that escapes every handler ends the program as a crash
  // that the system reports.
  tarvelo::EndFailFastOnTerminate();
  // Before anything can load a DLL: none may come from the program's folder,
  // which for a downloaded zip is Downloads, or from the current one.
  tarvelo::RestrictDllSearch();

  // Arguments not understood are refused before anything else happens: no
  // command reaches a running copy, and none starts.
  const std::vector<std::u16string> arguments = tarvelo::CommandLineArguments();
  const tarvelo::ParsedCommandLine commandLine = tarvelo::ParseCommandLine(arguments);
  using Kind = tarvelo::ParsedCommandLine::Kind;
  if (commandLine.kind == Kind::Usage || commandLine.kind == Kind::Bad) {
    const bool bad = commandLine.kind == Kind::Bad;
    tarvelo::ShowCommandLineUsage(bad ? &arguments[commandLine.badArgument] : nullptr);
    return bad ? tarvelo::kExitBadArguments : tarvelo::kExitDone;
  }
  const bool hasCommand = commandLine.kind == Kind::Command;

  // Only existence counts: the object is never mapped. Its name has no
  // namespace prefix, so the guard holds within one desktop session.
  tarvelo::UniqueKernelHandle guard(
      ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 1,
                           tarvelo::Widen(tarvelo::names::kInstanceGuard).c_str()));
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    return hasCommand ? tarvelo::SendToRunningCopy(commandLine.command) : tarvelo::kExitDone;
  }
  // Nothing runs that could end: starting only to end would be a flicker.
  if (hasCommand && commandLine.command.verb == tarvelo::CommandVerb::Exit) return tarvelo::kExitDone;

  // An empty or not-ready drive must make the once-a-second volume query fail
  // quietly, not raise the system's modal "no disk" box every second.
  ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS);

  std::unique_ptr<tarvelo::TApplication> application;
  std::unique_ptr<tarvelo::TfrmMain> frmMain;
  std::unique_ptr<tarvelo::TfrmAbout> frmAbout;
  try {
    application = std::make_unique<tarvelo::TApplication>();
    application->Initialize();
    application->SetTitle(TARVELO_TITLE);
    frmMain = std::make_unique<tarvelo::TfrmMain>(*application);
    frmAbout = std::make_unique<tarvelo::TfrmAbout>(*application, frmMain->Buttons().ClosePictures());
  } catch (const tarvelo::Error& error) {
    return ReportStartupFailure(error.ClassName(), error.Address(), error.what());
  } catch (const std::exception& error) {
    return ReportStartupFailure("Exception", 0, error.what());
  }

  // Start-up is over: the command runs now, as if it had come from a second
  // start. One this copy would refuse is left undone, as a running copy
  // would leave it; the program runs on all the same.
  if (hasCommand) frmMain->TakeCommand(commandLine.command);

  application->Run();

  // A new copy may start from here on, while this one still tears down.
  guard.reset();
  frmAbout.reset();
  frmMain.reset();
  application.reset();
  return 0;
}
