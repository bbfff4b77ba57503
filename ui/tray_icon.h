// The notification-area icon, with a hidden window of its own that receives
// the icon's mouse notifications and the shell's "TaskbarCreated" broadcast.
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
  // Adds the icon at once; throws OutOfResourcesError when the shell refuses.
  TTrayIcon(HICON icon, const std::string& tooltip);
  ~TTrayIcon() override;

  std::function<void()> OnDblClick;
  // Right button released over the icon: the handler opens the menu.
  std::function<void(HWND foregroundWindow, POINT cursor)> OnRightClick;
  // A menu this window owns is about to open.
  std::function<void(HMENU menu)> OnInitMenuPopup;

  bool Visible() const noexcept { return added_; }
  void Remove() noexcept;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool Add();
  NOTIFYICONDATAA Data() const;

  static constexpr UINT kCallbackMessage = WM_APP + 1;
  static constexpr UINT kIconId = 1;
  HICON icon_;
  std::string tooltip_;
  UINT taskbarCreated_;
  bool added_ = false;
};

}  // namespace tarvelo

#endif
