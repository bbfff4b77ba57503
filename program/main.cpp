// Entry point: composes the program from its parts. The single-instance
// guard, the application object and its forms, the message loop, and the
// tear-down in reverse order.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/error_text.h"
#include "app/errors.h"
#include "app/fail_fast.h"
#include "app/handles.h"
#include "app/module_path.h"
#include "app/names.h"
#include "app/product.h"
#include "app/resource_text.h"
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
  ::MessageBoxW(nullptr, tarvelo::Widen(text).c_str(), tarvelo::Widen(title).c_str(),
                MB_OK | MB_ICONSTOP | MB_TASKMODAL);
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

  // Only existence counts: the object is never mapped. Its name has no
  // namespace prefix, so the guard holds within one desktop session.
  tarvelo::UniqueKernelHandle guard(
      ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 1, tarvelo::names::kInstanceGuard));
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

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

  application->Run();

  // A new copy may start from here on, while this one still tears down.
  guard.reset();
  frmAbout.reset();
  frmMain.reset();
  application.reset();
  return 0;
}
