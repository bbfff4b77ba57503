#include "ui/tray/menu_mode.h"

namespace tarvelo {

std::optional<AppMode> MenuModeSwitch(const MenuModeInputs& inputs, AppMode current) {
  if (inputs.windowsBuild < kFirstAppModeBuild || !inputs.proceduresFound) return std::nullopt;
  // Any value but 0 is light, as Windows reads it.
  const bool dark = inputs.appsUseLightTheme == 0u;
  const AppMode wanted = dark && !inputs.highContrast ? AppMode::ForceDark : AppMode::Default;
  if (wanted == current) return std::nullopt;
  return wanted;
}

}  // namespace tarvelo
