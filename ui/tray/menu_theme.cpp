#include "ui/tray/menu_theme.h"

#include "app/system_library.h"

namespace tarvelo {

namespace {

constexpr WORD kSetPreferredAppModeOrdinal = 135;
constexpr WORD kFlushMenuThemesOrdinal = 136;

// Settings > Personalisation > Colours, "Choose your default app mode";
// missing before Windows 10, and until the user first chose.
std::optional<std::uint32_t> AppsUseLightTheme() noexcept {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                     L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

class WindowsMenuTheme final : public MenuThemeSystem {
 public:
  constexpr WindowsMenuTheme() noexcept = default;

  // The build as the kernel has it: GetVersionEx answers only up to the
  // newest Windows the executable's manifest names, and is deprecated besides.
  DWORD WindowsBuild() override {
    using RtlGetVersionFunction = LONG WINAPI(OSVERSIONINFOW*);
    auto* getVersion = ntdll_.Procedure<RtlGetVersionFunction>("RtlGetVersion");
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!getVersion || getVersion(&version) != 0) return 0;
    return version.dwBuildNumber;
  }

  bool HighContrast() override {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
  }

  bool FindProcedures() override {
    setPreferredAppMode_ = uxtheme_.Procedure<SetPreferredAppModeFunction>(kSetPreferredAppModeOrdinal);
    flushMenuThemes_ = uxtheme_.Procedure<FlushMenuThemesFunction>(kFlushMenuThemesOrdinal);
    return setPreferredAppMode_ && flushMenuThemes_;
  }

  void SetPreferredAppMode(AppMode mode) override { setPreferredAppMode_(static_cast<int>(mode)); }
  void FlushMenuThemes() override { flushMenuThemes_(); }

 private:
  using SetPreferredAppModeFunction = int WINAPI(int);
  using FlushMenuThemesFunction = void WINAPI();
  // uxtheme is not a known DLL (app/system_library.h); ntdll is, but goes
  // the same way for the one procedure asked of it.
  SystemLibrary uxtheme_{L"uxtheme.dll"};
  SystemLibrary ntdll_{L"ntdll.dll"};
  SetPreferredAppModeFunction* setPreferredAppMode_ = nullptr;
  FlushMenuThemesFunction* flushMenuThemes_ = nullptr;
};

// Made before any code runs, and never torn down.
WindowsMenuTheme g_system;

}  // namespace

MenuThemeSystem& SystemMenuTheme() { return g_system; }

void MenuTheme::BeforeMenu() {
  if (!stale_) return;
  stale_ = false;
  MenuModeInputs inputs;
  inputs.windowsBuild = system_->WindowsBuild();
  if (inputs.windowsBuild >= kFirstAppModeBuild) {
    if (!proceduresFound_) proceduresFound_ = system_->FindProcedures();
    inputs.proceduresFound = *proceduresFound_;
  }
  inputs.highContrast = system_->HighContrast();
  inputs.appsUseLightTheme = AppsUseLightTheme();
  const std::optional<AppMode> mode = MenuModeSwitch(inputs, current_);
  if (!mode) return;
  // The mode alone reaches only menus whose theme is not cached yet; the
  // flush has the next one drawn in it.
  system_->SetPreferredAppMode(*mode);
  system_->FlushMenuThemes();
  current_ = *mode;
}

}  // namespace tarvelo
