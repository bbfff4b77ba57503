#include "ui/skin/window_placement.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tarvelo {
namespace {

// Displays the test sets up and changes between the questions.
struct Displays {
  std::vector<ScreenRect> monitors;
  ScreenRect primaryWork;
};

class FakeScreens : public Screens {
 public:
  explicit FakeScreens(const Displays& displays) : displays_(displays) {}
  ScreenRect PrimaryWorkArea() const override { return displays_.primaryWork; }
  bool OnAnyMonitor(const ScreenRect& b) const override {
    for (const ScreenRect& m : displays_.monitors) {
      if (b.left < m.right && m.left < b.right && b.top < m.bottom && m.top < b.bottom) return true;
    }
    return false;
  }

 private:
  const Displays& displays_;
};

constexpr int kWidth = 251;
constexpr int kHeight = 215;

ScreenRect At(ScreenPoint p) { return ScreenRect{p.x, p.y, p.x + kWidth, p.y + kHeight}; }

void ExpectAt(ScreenPoint actual, int x, int y) {
  EXPECT_EQ(actual.x, x);
  EXPECT_EQ(actual.y, y);
}

TEST(WindowPlacement, ADraggedWindowKeepsItsPlaceWhileAnyPartOfItIsOnAMonitorAndAPressInPlaceIsNoDrag) {
  Displays displays{{{0, 0, 1920, 1080}}, {0, 0, 1920, 1040}};
  WindowPlacement placement(std::make_unique<FakeScreens>(displays));
  const ScreenRect corner = At(placement.Corner(kWidth, kHeight));

  // Pressed and released where it was: still the program's place, which
  // follows the taskbar to the top.
  placement.Dragged(corner, corner);
  displays.primaryWork = {0, 40, 1920, 1080};
  ExpectAt(placement.Settle(corner), 1920 - kWidth, 1080 - kHeight);

  // Dragged so that only a strip of 11 pixels is left on the screen.
  const ScreenRect dragged{-240, 500, -240 + kWidth, 500 + kHeight};
  placement.Dragged(corner, dragged);
  displays.primaryWork = {0, 0, 1600, 860};
  ExpectAt(placement.Settle(dragged), -240, 500);
}

TEST(WindowPlacement, ADraggedWindowOnNoMonitorGoesToThePrimaryCornerAndFollowsItFromThen) {
  // The primary monitor on the right of a second one, whose work area the
  // window must not take.
  Displays displays{{{-1280, 0, 0, 1024}, {0, 0, 1920, 1080}}, {0, 0, 1920, 1040}};
  WindowPlacement placement(std::make_unique<FakeScreens>(displays));
  const ScreenRect start = At(placement.Corner(kWidth, kHeight));
  const ScreenRect onTheLeft{-900, 300, -900 + kWidth, 300 + kHeight};
  placement.Dragged(start, onTheLeft);
  ExpectAt(placement.Settle(onTheLeft), -900, 300);

  // The left monitor unplugged.
  displays.monitors = {{0, 0, 1920, 1080}};
  const ScreenPoint back = placement.Settle(onTheLeft);
  ExpectAt(back, 1920 - kWidth, 1040 - kHeight);

  // Back at the corner, it follows the corner again.
  displays.primaryWork = {0, 0, 1920, 1000};
  ExpectAt(placement.Settle(At(back)), 1920 - kWidth, 1000 - kHeight);
}

}  // namespace
}  // namespace tarvelo
