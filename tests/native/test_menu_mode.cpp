// When the popup menus are switched to dark or back, and when nothing is
// called at all.
#include "ui/tray/menu_mode.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarvelo {
namespace {

constexpr std::optional<std::uint32_t> kMissing = std::nullopt;

TEST(MenuMode, SwitchesOnlyWhereTheProceduresAreAndOnlyWhenTheModeChanges) {
  struct Case {
    std::uint32_t build;
    bool found;
    bool highContrast;
    std::optional<std::uint32_t> light;
    AppMode current;
    std::optional<AppMode> expected;
  };
  const Case cases[] = {
      // Windows 10 1809: ordinal 135 is another procedure there.
      {17763, true, false, 0u, AppMode::Default, std::nullopt},
      {18362, true, false, 0u, AppMode::Default, AppMode::ForceDark},
      {22631, true, false, 0u, AppMode::Default, AppMode::ForceDark},
      {18362, false, false, 0u, AppMode::Default, std::nullopt},
      // Light, however said, is the process's own mode: nothing to call
      // until dark was switched on.
      {18362, true, false, 1u, AppMode::Default, std::nullopt},
      {18362, true, false, kMissing, AppMode::Default, std::nullopt},
      {18362, true, false, 1u, AppMode::ForceDark, AppMode::Default},
      {18362, true, false, kMissing, AppMode::ForceDark, AppMode::Default},
      {18362, true, false, 0u, AppMode::ForceDark, std::nullopt},
      // High contrast keeps the system's colours, and takes dark back once.
      {18362, true, true, 0u, AppMode::Default, std::nullopt},
      {18362, true, true, 0u, AppMode::ForceDark, AppMode::Default},
  };
  for (const Case& c : cases) {
    const MenuModeInputs inputs{c.build, c.found, c.highContrast, c.light};
    EXPECT_EQ(MenuModeSwitch(inputs, c.current), c.expected)
        << "build " << c.build << ", found " << c.found << ", high contrast " << c.highContrast << ", light "
        << (c.light ? static_cast<int>(*c.light) : -1) << ", now " << static_cast<int>(c.current);
  }
}

}  // namespace
}  // namespace tarvelo
