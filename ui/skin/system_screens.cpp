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
    // Never beyond the monitor. In a Wine virtual desktop that has just
    // become smaller, the work area still ends at the old taskbar's top,
    // below the new screen, when the programs are told of the change.
    RECT work{};
    if (::IntersectRect(&work, &info.rcWork, &info.rcMonitor)) return ToScreenRect(work);
    return ToScreenRect(info.rcMonitor);
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
