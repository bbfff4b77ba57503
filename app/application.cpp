#include "app/application.h"

#include <algorithm>

#include "app/error_text.h"
#include "app/names.h"
#include "app/product.h"
#include "app/utf8.h"

namespace tarvelo {

TApplication* Application = nullptr;

TApplication::TApplication() : title_(TARVELO_TITLE) {
  RegisterWindowClass(names::kApplicationWindowClass);
  // Never shown: it is the owner of the program's top-level windows, and an
  // owned window gets no taskbar button.
  CreateHandle(names::kApplicationWindowClass, title_.c_str(),
               WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, 0, nullptr);
  Application = this;
}

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
  DestroyHandle();
}

void TApplication::Initialize() {
  if (!com_) com_.emplace();
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  ::SetWindowTextW(Handle(), Widen(title_).c_str());
}

void TApplication::Dispatch(MSG& msg) {
  for (HWND dialog : modelessDialogs_) {
    if (::IsWindow(dialog) && ::IsDialogMessageW(dialog, &msg)) return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

void TApplication::Run() {
  MSG msg;
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Dispatch(msg);
  }
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void TApplication::Terminate() noexcept { ::PostQuitMessage(0); }

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Session managers, installers and taskkill close a program by asking each
  // of its top-level windows. Destroyed by default, this window would take
  // every window it owns with it and leave the process running: end the
  // program instead, as a close request to the main form does.
  if (message == WM_CLOSE) {
    Terminate();
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

// The texts are UTF-8 and may hold a file name from a folder outside the ANSI
// code page: the wide box shows every character.
void ShowBox(const std::string& text, const std::string& caption, UINT flags) {
  ::MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

// The boxes have no owner window and are task-modal: the system then centres
// them on the screen and disables every window of the thread while they show.
void TApplication::MessageBox(const std::string& text) const {
  ShowBox(text, title_, MB_OK | MB_TASKMODAL | MB_TOPMOST);
}

void TApplication::ShowException(const std::exception& error) const {
  ShowBox(WithFullStop(error.what()), title_, MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_TOPMOST);
}

void TApplication::AddModelessDialog(HWND dialog) {
  if (std::find(modelessDialogs_.begin(), modelessDialogs_.end(), dialog) == modelessDialogs_.end()) {
    modelessDialogs_.push_back(dialog);
  }
}

void TApplication::RemoveModelessDialog(HWND dialog) {
  modelessDialogs_.erase(std::remove(modelessDialogs_.begin(), modelessDialogs_.end(), dialog),
                         modelessDialogs_.end());
}

void ShowErrorBox(const std::exception& error) noexcept {
  try {
    if (Application) {
      Application->ShowException(error);
    } else {
      ShowBox(WithFullStop(error.what()), TARVELO_TITLE, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    }
  } catch (...) {
    // Out of memory while building the text: nothing more can be shown.
  }
}

}  // namespace tarvelo
