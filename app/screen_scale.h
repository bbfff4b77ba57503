// The screen's scale: how many pixels a window gets per inch, and the sizes
// designed at 96 pixels per inch converted to it. The calls that give a
// window's own scale exist from Windows 10 on; on older systems every window
// has the system's scale, which the screen's device context tells.
#ifndef TARVELO_APP_SCREEN_SCALE_H
#define TARVELO_APP_SCREEN_SCALE_H

#include <windows.h>

#include "app/dpi_scale.h"

namespace tarvelo {

// The scale of the monitor the window is on, as the system tells the window.
UINT WindowDpi(HWND window) noexcept;
// The scale of the system: the primary monitor's at logon.
UINT SystemDpi() noexcept;
// The scale of the notification area: that of the taskbar's window, or the
// system's where there is no taskbar to ask.
UINT NotificationAreaDpi() noexcept;
// The width of a small icon at `dpi`.
int SmallIconSizeForDpi(UINT dpi) noexcept;

}  // namespace tarvelo

#endif
