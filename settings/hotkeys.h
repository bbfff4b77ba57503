// The four system-wide hotkeys: Ctrl plus one key each, registered on the main
// form's window for its whole life, each running one command of the program.
#ifndef TARVELO_SETTINGS_HOTKEYS_H
#define TARVELO_SETTINGS_HOTKEYS_H

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "resources/resource_ids.h"

namespace tarvelo {

struct HotKey {
  int id;
  UINT virtualKey;
  UINT combinationText;  // the combination as the user knows it, in the string table
};

// Ctrl alone. Without MOD_NOREPEAT, holding a combination repeats its action.
inline constexpr UINT kHotKeyModifiers = MOD_CONTROL;

inline constexpr std::array<HotKey, 4> kHotKeys = {{
    {1, VK_PRIOR, IDS_HOTKEY_CTRL_PAGE_UP},
    {2, VK_NEXT, IDS_HOTKEY_CTRL_PAGE_DOWN},
    {3, VK_END, IDS_HOTKEY_CTRL_END},
    {4, VK_HOME, IDS_HOTKEY_CTRL_HOME},
}};

// What the user reads when the system refuses a hotkey: the combination it
// was, so that the user can tell which one another program holds.
std::string HotKeyFailureText(const HotKey& hotKey);

class GlobalHotKeys {
 public:
  // Ctrl+Page Up, Ctrl+Page Down, Ctrl+End, Ctrl+Home, in id order.
  using Commands = std::array<std::function<void()>, kHotKeys.size()>;

  // Registers the hotkeys on `window` in id order. Each one the system
  // refuses is reported through `refused`, which returns once the user has
  // read it, before the next id is tried; nothing is retried.
  GlobalHotKeys(HWND window, Commands commands, const std::function<void(const std::string& text)>& refused);
  // Releases every id, also those whose registration failed.
  ~GlobalHotKeys();
  GlobalHotKeys(const GlobalHotKeys&) = delete;
  GlobalHotKeys& operator=(const GlobalHotKeys&) = delete;

  // Runs the command of a WM_HOTKEY's id; an id that is not ours does nothing.
  void Dispatch(WPARAM id) const;

 private:
  HWND window_;
  Commands commands_;
};

}  // namespace tarvelo

#endif
