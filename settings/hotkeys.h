// The four system-wide hotkeys: Ctrl plus one key each, registered on the main
// form's window for its whole life, each executing one of the form's actions.
#ifndef TARVELO_SETTINGS_HOTKEYS_H
#define TARVELO_SETTINGS_HOTKEYS_H

#include <windows.h>

#include <array>
#include <string>

#include "app/application.h"
#include "ui/action_list.h"

namespace tarvelo {

struct HotKey {
  int id;
  UINT virtualKey;
  const char* combination;  // as the user knows it
};

// Ctrl alone. Without MOD_NOREPEAT, holding a combination repeats its action.
inline constexpr UINT kHotKeyModifiers = MOD_CONTROL;

inline constexpr std::array<HotKey, 4> kHotKeys = {{
    {1, VK_PRIOR, "Ctrl+Page Up"},
    {2, VK_NEXT, "Ctrl+Page Down"},
    {3, VK_END, "Ctrl+End"},
    {4, VK_HOME, "Ctrl+Home"},
}};

// What the user reads when the system refuses a hotkey: the combination it
// was, so that the user can tell which one another program holds.
std::string HotKeyFailureText(const HotKey& hotKey);

// Registers the hotkeys on `window` in id order. Each one the system refuses
// is reported in its own modal box, closed before the next id is tried; the
// program runs on without it and nothing is retried.
void RegisterHotKeys(HWND window, const TApplication& application);

// Releases every id, also those whose registration failed.
void UnregisterHotKeys(HWND window) noexcept;

// The action a hotkey id executes; null for an id that is not ours.
// `actions` holds the actions of ids 1 to 4, in that order.
TAction* HotKeyAction(WPARAM id, const std::array<TAction*, kHotKeys.size()>& actions) noexcept;

}  // namespace tarvelo

#endif
