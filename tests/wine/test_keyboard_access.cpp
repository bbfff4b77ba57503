// The real main form reached without a mouse: the tray icon's notifications
// as the shell sends them for the keyboard (Wine's notification area sends
// none itself), and the names screen readers read for the picture buttons,
// through the system's accessibility objects.
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>
#include <shellapi.h>

#include <chrono>
#include <string>

#include "app/application.h"
#include "app/handles.h"
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

std::wstring AccessibleName(HWND window) {
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
      !object) {
    return L"<no object>";
  }
  VARIANT self;
  ::VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::wstring result = L"<no name>";
  if (object->get_accName(self, &name) == S_OK && name) result.assign(name, ::SysStringLen(name));
  ::SysFreeString(name);
  object->Release();
  return result;
}

TEST_F(KeyboardAccess, EachPictureButtonIsNamedByTheActionItRuns) {
  const ComApartment com;
  const struct {
    Picture picture;
    const wchar_t* name;
  } expected[] = {{Picture::OpenCD, L"Open"},
                  {Picture::CloseCd, L"Close"},
                  {Picture::Exit, L"Hide"},
                  {Picture::Logo, L"About..."}};
  int named = 0;
  for (HWND child = ::GetWindow(form_->Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) ++named;
  EXPECT_EQ(named, 4) << "the bar picture, never shown, has no name";
  for (const auto& row : expected) {
    const TImageControl& control = form_->Buttons().Control(row.picture);
    HWND window = control.NameWindow();
    ASSERT_NE(window, nullptr) << static_cast<int>(row.picture);
    EXPECT_EQ(AccessibleName(window), row.name);
    // Over its picture, so that a screen reader shows and touches the right place.
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    ::MapWindowPoints(HWND_DESKTOP, form_->Handle(), reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_TRUE(::EqualRect(&bounds, &control.BoundsRect())) << static_cast<int>(row.picture);
  }
}

}  // namespace
}  // namespace tarvelo
