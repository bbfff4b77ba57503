// The displays as the system reports them at each question.
#ifndef TARVELO_UI_SKIN_SYSTEM_SCREENS_H
#define TARVELO_UI_SKIN_SYSTEM_SCREENS_H

#include <windows.h>

#include "ui/skin/window_placement.h"

namespace tarvelo {

class SystemScreens : public Screens {
 public:
  ScreenRect PrimaryWorkArea() const override;
  bool OnAnyMonitor(const ScreenRect& bounds) const override;
};

inline ScreenRect ToScreenRect(const RECT& r) noexcept {
  return ScreenRect{int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

inline RECT ToRect(const ScreenRect& r) noexcept { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace tarvelo

#endif
