#include "ui/skin/system_screens.h"

namespace tarvelo {

ScreenRect SystemScreens::PrimaryWorkArea() const {
  // Read from the monitor, not through SPI_GETWORKAREA: Wine answers that
  // from a copy each process takes at its first call and never refreshes,
  // so after a change of resolution it would still give the old corner.
  // The primary monitor is the one that holds the screen's origin.
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
    return ToScreenRect(info.rcWork);
  }
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return ToScreenRect(work);
}

bool SystemScreens::OnAnyMonitor(const ScreenRect& bounds) const {
  const RECT rect = ToRect(bounds);
  return ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

}  // namespace tarvelo
