// Small helpers shared by the in-process tests: scratch folders that stand in
// for discs, reading the live Windows menu, and pumping messages until a
// condition holds.
#ifndef TARVELO_TESTS_WINE_WINE_TEST_UTIL_H
#define TARVELO_TESTS_WINE_WINE_TEST_UTIL_H

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tarvelo::testing {

// A folder on the Unix side; Wine maps the Unix root to drive Z:.
inline std::string ScratchUnixDir(const std::string& name) {
  ::CreateDirectoryA("Z:\\tmp\\tarvelo-wine-tests", nullptr);
  ::CreateDirectoryA(("Z:\\tmp\\tarvelo-wine-tests\\" + name).c_str(), nullptr);
  return "/tmp/tarvelo-wine-tests/" + name;
}

// The text of a live menu item, "-" for a separator.
inline std::string MenuText(HMENU menu, UINT position) {
  char text[256] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = sizeof text - 1;
  if (!::GetMenuItemInfoA(menu, position, TRUE, &info)) return "<missing>";
  return (info.fType & MFT_SEPARATOR) ? "-" : text;
}

inline std::vector<std::string> MenuTexts(HMENU menu) {
  std::vector<std::string> texts;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) texts.push_back(MenuText(menu, static_cast<UINT>(i)));
  return texts;
}

inline bool MenuChecked(HMENU menu, UINT position) {
  return (::GetMenuState(menu, position, MF_BYPOSITION) & MF_CHECKED) != 0;
}

// Dispatches this thread's messages until `done` holds or the deadline passes.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

}  // namespace tarvelo::testing

#endif
