// PNGForm: the per-pixel-alpha window beneath the main window that shows the
// skin. The program never paints it; it only puts pictures on it.
#ifndef TARVELO_UI_PNG_FORM_H
#define TARVELO_UI_PNG_FORM_H

#include <windows.h>

#include <functional>
#include <string>

#include "app/window.h"

namespace tarvelo {

enum class MouseButton { Left, Right, Middle };

// The button of a WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN message.
MouseButton PressedButton(UINT message) noexcept;

class TPNGForm : public Window {
 public:
  // Hidden, borderless, topmost and layered. Its owner is the application
  // window, as for the main window: an owned window always stays above its
  // owner, and PNGForm has to lie beneath the main window.
  TPNGForm(HWND owner, const std::string& caption);

  // A press, with its point in this window's client coordinates.
  std::function<void(MouseButton, POINT)> OnMouseDown;
  // The pointer moved over this window: it is over the skin, not over the
  // main window's pictures.
  std::function<void()> OnMouseMove;

  // The cursor shown over this window instead of the class cursor, or null
  // for the class cursor. Takes effect at once.
  void SetCursorOverride(HCURSOR cursor) noexcept;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HCURSOR cursorOverride_ = nullptr;
};

}  // namespace tarvelo

#endif
