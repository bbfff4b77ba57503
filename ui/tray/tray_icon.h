// The notification-area icon, with a hidden window of its own that receives
// the icon's mouse and keyboard notifications and the shell's
// "TaskbarCreated" broadcast.
#ifndef TARVELO_UI_TRAY_ICON_H
#define TARVELO_UI_TRAY_ICON_H

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "app/handles.h"
#include "app/window.h"

namespace tarvelo {

class TTrayIcon : public Window {
 public:
  // Adds the icon. A notification area that is not there yet (the program
  // started at logon before the taskbar) is asked again every second for a
  // little while, and whenever the shell announces a new taskbar. Throws
  // OutOfResourcesError only when the icon's own window cannot be made.
  TTrayIcon(HICON icon, const std::string& tooltip);
  ~TTrayIcon() override;

  // What the shell sends this window about the icon, and the icon's number.
  static constexpr UINT kCallbackMessage = WM_APP + 1;
  static constexpr UINT kIconId = 1;

  std::function<void()> OnDblClick;
  // Enter or Space on the icon, reached with the keyboard.
  std::function<void()> OnKeySelect;
  // The menu is asked for, once per request: the right button, the menu key
  // or Shift+F10. The handler opens it at `at` (the pointer, or the icon when
  // asked from the keyboard).
  std::function<void(HWND foregroundWindow, POINT at)> OnContextMenu;
  // A menu this window owns is about to open.
  std::function<void(HMENU menu)> OnInitMenuPopup;
  // Someone asked this window to close (a session manager, an installer,
  // taskkill): the program should end. Without a handler the request is refused.
  std::function<void()> OnCloseRequest;

  // Shows `icon` from now on (the caller keeps it alive as long as it shows).
  void SetIcon(HICON icon) noexcept;

  // Whether the shell has taken the icon.
  bool Visible() const noexcept { return added_; }
  void Remove() noexcept;
  // Hands the keyboard focus back to the icon in the notification area (a
  // menu left with Escape). False when the shell would not take it.
  bool GiveFocusBack() const noexcept;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool Add();
  NOTIFYICONDATAW Data() const;
  // Asks a shell that has just taken the icon for the notifications that
  // carry keyboard use: a new icon starts with the oldest ones.
  void AskForKeyboardNotifications();
  void Notification(UINT event, WPARAM anchor, bool newer);
  void RequestMenu(POINT at);

  // Asks the shell again: once more as new, or, should the shell hold the
  // icon after all (a refusal that came late), as a change to it.
  bool AddAgain();

  static constexpr UINT_PTR kRetryTimerId = 1;
  static constexpr UINT kRetryInterval = 1000;
  static constexpr int kRetries = 30;
  HICON icon_;
  std::string tooltip_;
  UINT taskbarCreated_;
  bool added_ = false;
  bool removed_ = false;
  int retriesLeft_ = 0;
  ScopedTimer retry_;
};

}  // namespace tarvelo

#endif
