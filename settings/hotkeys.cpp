#include "settings/hotkeys.h"

#include "app/resource_text.h"

namespace tarvelo {

std::string HotKeyFailureText(const HotKey& hotKey) {
  return ResourceText(IDS_HOTKEY_REFUSED, {ResourceText(hotKey.combinationText)});
}

GlobalHotKeys::GlobalHotKeys(HWND window, Commands commands,
                             const std::function<void(const std::string& text)>& refused)
    : window_(window), commands_(std::move(commands)) {
  for (const HotKey& hotKey : kHotKeys) {
    if (!::RegisterHotKey(window_, hotKey.id, kHotKeyModifiers, hotKey.virtualKey)) refused(HotKeyFailureText(hotKey));
  }
}

GlobalHotKeys::~GlobalHotKeys() {
  for (const HotKey& hotKey : kHotKeys) ::UnregisterHotKey(window_, hotKey.id);
}

void GlobalHotKeys::Dispatch(WPARAM id) const {
  for (std::size_t i = 0; i < kHotKeys.size(); ++i) {
    if (id == static_cast<WPARAM>(kHotKeys[i].id) && commands_[i]) commands_[i]();
  }
}

}  // namespace tarvelo
