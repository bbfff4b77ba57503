// Where the skinned window belongs on the displays of the moment. Until the
// user drags it, its place is the bottom-right corner of the primary
// monitor's work area, and it follows that corner as the taskbar and the
// resolution change. Once dragged, it keeps the user's place for as long as
// some part of it is on some monitor; left on none (a monitor unplugged, the
// resolution lowered), it goes back to the corner and follows it again.
// The window's size is an input of every question, never kept here: the
// size may change between two of them.
#ifndef TARVELO_UI_SKIN_WINDOW_PLACEMENT_H
#define TARVELO_UI_SKIN_WINDOW_PLACEMENT_H

#include <memory>
#include <optional>

namespace tarvelo {

// In screen pixels, right and bottom excluded, as the system's rectangles.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// What placement asks of the displays, as they are at the moment of asking.
class Screens {
 public:
  virtual ~Screens() = default;
  virtual ScreenRect PrimaryWorkArea() const = 0;
  // Whether any part of `bounds` lies on some monitor.
  virtual bool OnAnyMonitor(const ScreenRect& bounds) const = 0;
};

class WindowPlacement {
 public:
  explicit WindowPlacement(std::unique_ptr<Screens> screens) : screens_(std::move(screens)) {}

  // The displays are asked through `screens` from now on.
  void UseScreens(std::unique_ptr<Screens> screens) { screens_ = std::move(screens); }

  // The top-left point of a window of this size in the corner.
  ScreenPoint Corner(int width, int height);
  // Whether the work area is another than the one the last corner (or the
  // last of these questions) was taken from. Not every change comes with a
  // message: Wine moves its taskbar band after it has told of a new
  // resolution, and a shell other than Explorer may tell of nothing.
  bool WorkAreaChanged();
  // A drag ended, having taken the window from `from` to `to`. A press
  // released where it began has not put the window anywhere.
  void Dragged(const ScreenRect& from, const ScreenRect& to) noexcept;
  // Where the window now at `bounds` belongs on the displays as they are now.
  ScreenPoint Settle(const ScreenRect& bounds);

 private:
  std::unique_ptr<Screens> screens_;
  bool userPlaced_ = false;
  std::optional<ScreenRect> workArea_;  // as last asked
};

}  // namespace tarvelo

#endif
