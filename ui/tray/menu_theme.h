// The popup menus follow Windows' dark or light mode for apps (Windows 10
// version 1903 and later). Windows documents no call for a classic menu's
// colours; uxtheme's SetPreferredAppMode and FlushMenuThemes, which it
// exports by number only, are what the Win32 programs with dark menus call.
// The user's choice is read from the registry, never written, and high
// contrast keeps the system's colours.
#ifndef TARVELO_UI_TRAY_MENU_THEME_H
#define TARVELO_UI_TRAY_MENU_THEME_H

#include <windows.h>

#include <optional>

#include "ui/tray/menu_mode.h"

namespace tarvelo {

// What the menu theme reads from the system and calls in it, beside the
// registry. The system implementation is the Win32 calls; Wine has neither
// uxtheme procedure and reports its own build, so tests record instead.
class MenuThemeSystem {
 public:
  virtual DWORD WindowsBuild() = 0;
  virtual bool HighContrast() = 0;
  // Looks up both uxtheme procedures; false when either is missing. Asked
  // only on a build that has them: on older ones their numbers belong to
  // other procedures.
  virtual bool FindProcedures() = 0;
  virtual void SetPreferredAppMode(AppMode mode) = 0;
  virtual void FlushMenuThemes() = 0;

 protected:
  // Never deleted through this interface: the system's lives as long as the
  // program, a test's on its stack.
  ~MenuThemeSystem() = default;
};

MenuThemeSystem& SystemMenuTheme();

class MenuTheme {
 public:
  explicit MenuTheme(MenuThemeSystem& system = SystemMenuTheme()) noexcept : system_(&system) {}

  // A setting of the system changed (the mode for apps, high contrast, ...):
  // the next menu reads them again.
  void SettingChanged() noexcept { stale_ = true; }
  // Right before a menu opens: switches the menus' mode if the settings
  // call for another since the last menu.
  void BeforeMenu();

 private:
  MenuThemeSystem* system_;
  std::optional<bool> proceduresFound_;  // asked once
  AppMode current_ = AppMode::Default;
  bool stale_ = true;
};

}  // namespace tarvelo

#endif
