// The real main form reached without a mouse: the tray icon's notifications
// as the shell sends them for the keyboard (Wine's notification area sends
// none itself).
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <string>

#include "app/application.h"
#include "tests/wine/wine_test_util.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using testing::PumpUntil;

constexpr auto kDeadline = std::chrono::seconds(20);

class KeyboardAccess : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    application_ = new TApplication();
    form_ = new TfrmMain(*application_);
  }
  static void TearDownTestSuite() {
    delete form_;
    delete application_;
  }

  static HWND Tray() { return form_->TrayIcon().Handle(); }
  // The newer notifications: the event and the icon in lParam, the point in wParam.
  static LPARAM Event(UINT event) { return MAKELPARAM(event, TTrayIcon::kIconId); }
  static WPARAM Point(int x, int y) { return MAKEWPARAM(x, y); }
  static bool NotificationsWaiting() {
    MSG msg;
    return ::PeekMessageA(&msg, Tray(), TTrayIcon::kCallbackMessage, TTrayIcon::kCallbackMessage, PM_NOREMOVE) !=
           FALSE;
  }

  static TApplication* application_;
  static TfrmMain* form_;
};

TApplication* KeyboardAccess::application_ = nullptr;
TfrmMain* KeyboardAccess::form_ = nullptr;

TEST_F(KeyboardAccess, EnterOrSpaceOnTheIconShowsTheWindowOncePerPress) {
  int shows = 0;
  const std::function<void()> show = form_->acShow.OnExecute;
  form_->acShow.OnExecute = [&] {
    ++shows;
    show();
  };
  for (int press = 1; press <= 2; ++press) {
    form_->acHideExecute();
    ASSERT_EQ(form_->Tag(), 0);
    // Some shells report one press of Enter twice, back to back.
    ::PostMessageA(Tray(), TTrayIcon::kCallbackMessage, Point(900, 700), Event(NIN_KEYSELECT));
    ::PostMessageA(Tray(), TTrayIcon::kCallbackMessage, Point(900, 700), Event(NIN_KEYSELECT));
    EXPECT_TRUE(PumpUntil([] { return form_->Tag() == 1 && !NotificationsWaiting(); }, kDeadline));
    EXPECT_EQ(shows, press);
    // A press a double-click's time later is another press.
    const DWORD shown = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return ::GetTickCount() - shown > ::GetDoubleClickTime(); }, kDeadline));
  }
  form_->acShow.OnExecute = show;
}

// Counts the tray menu's openings and ends each one as soon as it shows,
// from a timer that the menu's own loop runs.
struct MenuWatch {
  int opens = 0;
  POINT at{-1, -1};
};
MenuWatch* g_watch = nullptr;

void CALLBACK EndShownMenu(HWND, UINT, UINT_PTR, DWORD) {
  HWND menu = ::FindWindowA("#32768", nullptr);
  if (!menu || !::IsWindowVisible(menu)) return;
  RECT bounds{};
  ::GetWindowRect(menu, &bounds);
  g_watch->at = POINT{bounds.left, bounds.top};
  ::EndMenu();
}

TEST_F(KeyboardAccess, EachMenuRequestOpensTheTrayMenuOnceAtItsPoint) {
  MenuWatch watch;
  g_watch = &watch;
  const std::function<void(HMENU)> prepare = form_->TrayIcon().OnInitMenuPopup;
  form_->TrayIcon().OnInitMenuPopup = [&](HMENU menu) {
    if (menu == form_->PopupMenuTray().Handle()) ++watch.opens;
    prepare(menu);
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &EndShownMenu);
  ASSERT_NE(timer, 0u);
  const auto send = [](WPARAM wParam, LPARAM lParam) {
    ::SendMessageA(Tray(), TTrayIcon::kCallbackMessage, wParam, lParam);
  };

  // The menu key or Shift+F10: the icon's point comes with the request.
  send(Point(300, 200), Event(WM_CONTEXTMENU));
  EXPECT_EQ(watch.opens, 1);
  EXPECT_EQ(watch.at.x, 300);
  EXPECT_EQ(watch.at.y, 200);

  // The right button: its release, then the request.
  send(Point(320, 210), Event(WM_RBUTTONDOWN));
  send(Point(320, 210), Event(WM_RBUTTONUP));
  EXPECT_EQ(watch.opens, 1) << "the request that follows opens it";
  send(Point(320, 210), Event(WM_CONTEXTMENU));
  EXPECT_EQ(watch.opens, 2);
  EXPECT_EQ(watch.at.x, 320);

  // A single left click does nothing.
  send(Point(320, 210), Event(WM_LBUTTONDOWN));
  send(Point(320, 210), Event(WM_LBUTTONUP));
  send(Point(320, 210), Event(NIN_SELECT));
  EXPECT_EQ(watch.opens, 2);

  // A shell that kept the older notifications sends the release alone.
  send(0, WM_RBUTTONUP);
  EXPECT_EQ(watch.opens, 3);

  ::KillTimer(nullptr, timer);
  form_->TrayIcon().OnInitMenuPopup = prepare;
  g_watch = nullptr;
}

}  // namespace
}  // namespace tarvelo
