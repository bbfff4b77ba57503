#include "app/window.h"

#include <exception>

#include "app/application.h"
#include "app/errors.h"

namespace tarvelo {

Window::~Window() { DestroyHandle(); }

void Window::RegisterWindowClass(const char* className, UINT style, HICON icon) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(instance, className, &existing)) return;

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = &Window::StaticWindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  if (!::RegisterClassExA(&wc)) throw OutOfResourcesError("Cannot register window class");
}

void Window::CreateHandle(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                          int width, int height, HWND owner) {
  ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, owner, nullptr,
                    ::GetModuleHandleA(nullptr), this);
  if (!hwnd_) throw OutOfResourcesError("Error creating window");
}

void Window::DestroyHandle() noexcept {
  if (hwnd_) ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);

  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return RunGuarded(LRESULT{0}, [&] { return self->HandleMessage(message, wParam, lParam); });
}

}  // namespace tarvelo
