#include "ui/skin/png_form.h"

#include <windowsx.h>

#include "app/names.h"

namespace tarvelo {

MouseButton PressedButton(UINT message) noexcept {
  switch (message) {
    case WM_RBUTTONDOWN:
      return MouseButton::Right;
    case WM_MBUTTONDOWN:
      return MouseButton::Middle;
    default:
      return MouseButton::Left;
  }
}

TPNGForm::TPNGForm(HWND owner, const std::string& caption) {
  RegisterWindowClass(names::kSkinFormClass);
  CreateHandle(names::kSkinFormClass, caption.c_str(), WS_POPUP, WS_EX_TOPMOST | WS_EX_LAYERED, 0, 0, 0, 0, owner);
}

void TPNGForm::SetCursorOverride(HCURSOR cursor) noexcept {
  cursorOverride_ = cursor;
  ::SetCursor(cursor ? cursor : SystemCursor(IDC_ARROW));
}

LRESULT TPNGForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (OnMouseDown) OnMouseDown(PressedButton(message), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove();
      return 0;
    case WM_SETCURSOR:
      if (cursorOverride_ && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(cursorOverride_);
        return TRUE;
      }
      break;
    case WM_MOUSEACTIVATE:
      // A press on the skin drags or raises the windows; it never activates
      // this layer, which only shows the skin beneath the main window.
      return MA_NOACTIVATE;
    case WM_CLOSE:
      // PNGForm lives as long as the main window; closing it alone (Alt+F4
      // while it is active) would take the skin away for good.
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tarvelo
