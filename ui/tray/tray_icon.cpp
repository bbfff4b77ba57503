#include "ui/tray/tray_icon.h"

#include <shellapi.h>

#include <cstring>

#include "app/names.h"

namespace tarvelo {

TTrayIcon::TTrayIcon(HICON icon, const std::string& tooltip)
    : icon_(icon), tooltip_(tooltip), taskbarCreated_(::RegisterWindowMessageA(names::kTaskbarCreatedMessage)) {
  RegisterWindowClass(names::kTrayWindowClass);
  // A hidden top-level window rather than a message-only one: only top-level
  // windows receive the "TaskbarCreated" broadcast.
  CreateHandle(names::kTrayWindowClass, "", WS_POPUP, 0, 0, 0, 0, 0, nullptr);
  if (!Add()) {
    retriesLeft_ = kRetries;
    retry_ = ScopedTimer(Handle(), kRetryTimerId, kRetryInterval);
  }
}

TTrayIcon::~TTrayIcon() { Remove(); }

NOTIFYICONDATAA TTrayIcon::Data() const {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = Handle();
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_;
  // The tip field holds 127 characters and the terminating NUL.
  std::strncpy(data.szTip, tooltip_.c_str(), sizeof data.szTip - 1);
  return data;
}

bool TTrayIcon::Add() {
  NOTIFYICONDATAA data = Data();
  added_ = ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  return added_;
}

bool TTrayIcon::AddAgain() {
  NOTIFYICONDATAA data = Data();
  if (::Shell_NotifyIconA(NIM_ADD, &data) || ::Shell_NotifyIconA(NIM_MODIFY, &data)) added_ = true;
  return added_;
}

void TTrayIcon::SetIcon(HICON icon) noexcept {
  icon_ = icon;
  if (!added_) return;
  NOTIFYICONDATAA data = Data();
  ::Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TTrayIcon::Remove() noexcept {
  // Once removed (the session ends), the icon is never put back.
  removed_ = true;
  retry_.reset();
  if (!added_) return;
  NOTIFYICONDATAA data = Data();
  ::Shell_NotifyIconA(NIM_DELETE, &data);
  added_ = false;
}

LRESULT TTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallbackMessage) {
    switch (static_cast<UINT>(lParam)) {
      case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick();
        break;
      case WM_RBUTTONUP:
        if (OnRightClick) {
          POINT cursor{};
          ::GetCursorPos(&cursor);
          OnRightClick(Handle(), cursor);
        }
        break;
      default:
        break;
    }
    return 0;
  }
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // A taskbar started: the shell restarted and forgot every icon, or the
    // notification area that was missing at start-up is there now. An icon
    // once shown stays counted as shown even if the shell refuses now, so
    // that it is still removed at the end should it never have been forgotten.
    if (!removed_ && AddAgain()) retry_.reset();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kRetryTimerId) {
        if (added_ || AddAgain() || --retriesLeft_ <= 0) retry_.reset();
      }
      return 0;
    case WM_INITMENUPOPUP:
      if (OnInitMenuPopup) OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_ENDSESSION:
      if (wParam) Remove();
      return 0;
    case WM_CLOSE:
      // Destroyed by default, the window would leave its icon behind for good.
      if (OnCloseRequest) OnCloseRequest();
      return 0;
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tarvelo
