#include "app/window.h"

#include <exception>
#include <utility>

#include "app/application.h"
#include "app/errors.h"
#include "app/handles.h"
#include "app/utf8.h"

namespace tarvelo {

namespace {

// The object whose window is being created. Creation is synchronous and
// every window of the program belongs to its one GUI thread, so the first
// WM_NCCREATE after it is set belongs to it; the dialog manager passes no
// creation parameter of ours, so this is how a dialog finds its object too.
Window* g_creating = nullptr;

// Set for the length of one creation, whether or not the system made the window.
auto Creating(Window* window) noexcept {
  g_creating = window;
  return OnScopeExit([] { g_creating = nullptr; });
}

void RegisterClassOnce(const char* className, UINT style, HICON icon, WNDPROC procedure, int extraBytes) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const std::wstring name = Widen(className);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(instance, name.c_str(), &existing)) return;

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.cbWndExtra = extraBytes;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = SystemCursor(IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (!::RegisterClassExW(&wc)) throw OutOfResourcesError(IDS_WINDOW_CLASS_FAILED);
}

}  // namespace

HCURSOR SystemCursor(LPCSTR id) noexcept {
  return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(id)));
}

Window::~Window() { DestroyHandle(); }

void Window::RegisterWindowClass(const char* className, UINT style, HICON icon) {
  RegisterClassOnce(className, style, icon, &Window::StaticWindowProc, 0);
}

void Window::RegisterDialogClass(const char* className) {
  RegisterClassOnce(className, CS_DBLCLKS, nullptr, &Window::StaticWindowProc, DLGWINDOWEXTRA);
}

void Window::CreateHandle(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                          int width, int height, HWND owner) {
  const auto creating = Creating(this);
  ::CreateWindowExW(exStyle, Widen(className).c_str(), Widen(title).c_str(), style, x, y, width, height, owner,
                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) throw OutOfResourcesError(IDS_WINDOW_FAILED);
}

void Window::CreateDialogHandle(int templateId, HWND owner) {
  dialog_ = true;
  const auto creating = Creating(this);
  // The dialog manager sends WM_INITDIALOG only when a dialog procedure is
  // given; ours leaves everything to the class's window procedure.
  ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, &Window::EmptyDialogProc,
                       0);
  if (!hwnd_) throw OutOfResourcesError(IDS_WINDOW_FAILED);
}

void Window::DestroyHandle() noexcept {
  if (hwnd_) ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return dialog_ ? ::DefDlgProcW(hwnd_, message, wParam, lParam) : ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

INT_PTR CALLBACK Window::EmptyDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE && g_creating) {
    Window* self = std::exchange(g_creating, nullptr);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);

  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return self->dialog_ ? ::DefDlgProcW(hwnd, message, wParam, lParam)
                         : ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return RunGuarded(LRESULT{0}, [&] { return self->HandleMessage(message, wParam, lParam); });
}

}  // namespace tarvelo
