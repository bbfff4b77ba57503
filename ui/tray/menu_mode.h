// Which colours the popup menus should have: dark when Windows' mode for
// apps is dark, the system's own otherwise. No Windows dependency, so the
// host tests it; MenuTheme (menu_theme.h) reads the inputs and makes the calls.
#ifndef TARVELO_UI_TRAY_MENU_MODE_H
#define TARVELO_UI_TRAY_MENU_MODE_H

#include <cstdint>
#include <optional>

namespace tarvelo {

// The values uxtheme's SetPreferredAppMode takes, by their numbers there.
enum class AppMode : int { Default = 0, AllowDark = 1, ForceDark = 2, ForceLight = 3 };

// Windows 10 version 1903: the first build whose uxtheme exports
// SetPreferredAppMode and FlushMenuThemes at the ordinals used. Before it
// the same ordinals are other procedures, so they are not even looked up.
inline constexpr std::uint32_t kFirstAppModeBuild = 18362;

struct MenuModeInputs {
  std::uint32_t windowsBuild = 0;
  // Both procedures were found.
  bool proceduresFound = false;
  bool highContrast = false;
  // The user's "AppsUseLightTheme"; nothing when it is missing (light).
  std::optional<std::uint32_t> appsUseLightTheme;
};

// The mode to switch the process to, given the one it is in now (a process
// starts in Default); nothing when the menus already match or nothing can be
// switched. Dark takes ForceDark. Light and high contrast take Default,
// where the process was before anything was switched: the menus are then
// the system's own, light or in the high-contrast colours.
std::optional<AppMode> MenuModeSwitch(const MenuModeInputs& inputs, AppMode current);

}  // namespace tarvelo

#endif
