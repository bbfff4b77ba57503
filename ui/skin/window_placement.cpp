#include "ui/skin/window_placement.h"

namespace tarvelo {

ScreenPoint WindowPlacement::Corner(int width, int height) {
  // The work area's own corner, wherever the taskbar is: at the top or the
  // left the work area does not start at the screen's origin.
  const ScreenRect work = screens_->PrimaryWorkArea();
  workArea_ = work;
  return ScreenPoint{work.right - width, work.bottom - height};
}

bool WindowPlacement::WorkAreaChanged() {
  const ScreenRect work = screens_->PrimaryWorkArea();
  const bool changed = workArea_ && *workArea_ != work;
  workArea_ = work;
  return changed;
}

void WindowPlacement::Dragged(const ScreenRect& from, const ScreenRect& to) noexcept {
  if (from.left != to.left || from.top != to.top) userPlaced_ = true;
}

ScreenPoint WindowPlacement::Settle(const ScreenRect& bounds) {
  if (userPlaced_ && screens_->OnAnyMonitor(bounds)) return ScreenPoint{bounds.left, bounds.top};
  // Where no one can see it, the user's place is gone: the window goes back
  // to the program's own place, and keeps to it until the next drag.
  userPlaced_ = false;
  return Corner(bounds.right - bounds.left, bounds.bottom - bounds.top);
}

}  // namespace tarvelo
