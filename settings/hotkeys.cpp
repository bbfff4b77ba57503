#include "settings/hotkeys.h"

namespace tarvelo {

std::string HotKeyFailureText(const HotKey& hotKey) {
  return std::string("Unable to assign ") + hotKey.combination + " as hotkey.";
}

void RegisterHotKeys(HWND window, const TApplication& application) {
  for (const HotKey& hotKey : kHotKeys) {
    if (!::RegisterHotKey(window, hotKey.id, kHotKeyModifiers, hotKey.virtualKey)) {
      application.MessageBox(HotKeyFailureText(hotKey));
    }
  }
}

void UnregisterHotKeys(HWND window) noexcept {
  for (const HotKey& hotKey : kHotKeys) ::UnregisterHotKey(window, hotKey.id);
}

TAction* HotKeyAction(WPARAM id, const std::array<TAction*, kHotKeys.size()>& actions) noexcept {
  for (std::size_t i = 0; i < kHotKeys.size(); ++i) {
    if (id == static_cast<WPARAM>(kHotKeys[i].id)) return actions[i];
  }
  return nullptr;
}

}  // namespace tarvelo
