#include "ui/tray/tray_icon.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/names.h"
#include "app/utf8.h"

namespace tarvelo {

TTrayIcon::TTrayIcon(HICON icon, const std::string& tooltip)
    : icon_(icon),
      tooltip_(tooltip),
      taskbarCreated_(::RegisterWindowMessageW(Widen(names::kTaskbarCreatedMessage).c_str())) {
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

NOTIFYICONDATAW TTrayIcon::Data() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = Handle();
  data.uID = kIconId;
  // With the newer notifications the shell leaves the plain tip out unless
  // asked to show it.
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_;
  CopyWide(tooltip_, data.szTip);
  return data;
}

bool TTrayIcon::Add() {
  NOTIFYICONDATAW data = Data();
  added_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  if (added_) AskForKeyboardNotifications();
  return added_;
}

bool TTrayIcon::AddAgain() {
  NOTIFYICONDATAW data = Data();
  if (::Shell_NotifyIconW(NIM_ADD, &data) || ::Shell_NotifyIconW(NIM_MODIFY, &data)) {
    added_ = true;
    AskForKeyboardNotifications();
  }
  return added_;
}

void TTrayIcon::AskForKeyboardNotifications() {
  // A shell that refuses keeps sending the older mouse notifications, which
  // are still understood: the mouse works either way.
  auto data = Data();
  data.uVersion = NOTIFYICON_VERSION_4;
  ::Shell_NotifyIconW(NIM_SETVERSION, &data);
}

bool TTrayIcon::GiveFocusBack() const noexcept {
  if (!added_) return false;
  auto data = Data();
  return ::Shell_NotifyIconW(NIM_SETFOCUS, &data) != FALSE;
}

void TTrayIcon::SetIcon(HICON icon) noexcept {
  icon_ = icon;
  if (!added_) return;
  NOTIFYICONDATAW data = Data();
  ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TTrayIcon::Remove() noexcept {
  // Once removed (the session ends), the icon is never put back.
  removed_ = true;
  retry_.reset();
  if (!added_) return;
  NOTIFYICONDATAW data = Data();
  ::Shell_NotifyIconW(NIM_DELETE, &data);
  added_ = false;
}

void TTrayIcon::Notification(UINT event, WPARAM anchor, bool newer) {
  switch (event) {
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick();
      break;
    case NIN_KEYSELECT:
      if (OnKeySelect) OnKeySelect();
      break;
    case WM_CONTEXTMENU:
      // The newer notifications only: the right button and the menu keys
      // alike, with the pointer's point or the icon's in wParam.
      if (newer) RequestMenu(POINT{GET_X_LPARAM(anchor), GET_Y_LPARAM(anchor)});
      break;
    case WM_RBUTTONUP:
      // With the newer notifications a WM_CONTEXTMENU follows this one and
      // opens the menu; opening it here too would show it twice.
      if (!newer) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        RequestMenu(cursor);
      }
      break;
    default:
      // NIN_SELECT, a single click, does nothing, as it always has.
      break;
  }
}

void TTrayIcon::RequestMenu(POINT at) {
  if (OnContextMenu) OnContextMenu(Handle(), at);
}

LRESULT TTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallbackMessage) {
    // The newer notifications carry the event in the low word and the icon's
    // identifier in the high one; the older ones are the bare mouse message,
    // whose high word is 0. The format says which kind the shell sends even
    // while it has not yet answered the version asked for.
    const bool newer = HIWORD(lParam) == kIconId;
    Notification(newer ? LOWORD(lParam) : static_cast<UINT>(lParam), newer ? wParam : 0, newer);
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
