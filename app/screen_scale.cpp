#include "app/screen_scale.h"

#include "app/handles.h"
#include "app/system_library.h"

namespace tarvelo {
namespace {

// Looked up by name: Windows 7 and 8 do not have these.
using GetDpiForWindowFn = UINT WINAPI(HWND);
using GetDpiForSystemFn = UINT WINAPI();
using GetSystemMetricsForDpiFn = int WINAPI(int, UINT);

UINT ScreenDcDpi() noexcept {
  WindowDc screen(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

UINT WindowDpi(HWND window) noexcept {
  static const auto getDpiForWindow = User32().Procedure<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return dpi;
  }
  return SystemDpi();
}

UINT SystemDpi() noexcept {
  static const auto getDpiForSystem = User32().Procedure<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem) {
    const UINT dpi = getDpiForSystem();
    if (dpi > 0) return dpi;
  }
  return ScreenDcDpi();
}

UINT NotificationAreaDpi() noexcept {
  if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) return WindowDpi(taskbar);
  return SystemDpi();
}

int SmallIconSizeForDpi(UINT dpi) noexcept {
  static const auto getSystemMetricsForDpi = User32().Procedure<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (getSystemMetricsForDpi) {
    const int size = getSystemMetricsForDpi(SM_CXSMICON, dpi);
    if (size > 0) return size;
  }
  // Without the call the metric is the system's scale's; for another scale
  // it is scaled as the system would.
  const int system = ::GetSystemMetrics(SM_CXSMICON);
  const UINT systemDpi = SystemDpi();
  return dpi == systemDpi ? system : ::MulDiv(system, static_cast<int>(dpi), static_cast<int>(systemDpi));
}

}  // namespace tarvelo
