// The four global hotkeys of the real main form: registration against
// combinations that another window already holds, the boxes that report a
// refusal, the release at the end, and which action each hotkey id runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "app/names.h"
#include "settings/hotkeys.h"
#include "tests/wine/message_box_answerer.h"
#include "tests/wine/recording_drive_io.h"
#include "tests/wine/wine_test_util.h"
#include "ui/about/form_about.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using testing::PumpUntil;

// A window of its own thread, standing in for another program: the system
// refuses a combination to everyone once any window holds it.
class OtherWindow {
 public:
  OtherWindow() : thread_([this] { Run(); }) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait_for(lock, std::chrono::seconds(10), [this] { return window_ != nullptr; });
  }
  ~OtherWindow() {
    if (window_) ::PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;

  // Hotkeys belong to the thread of their window: every call runs there.
  bool Register(int id, UINT virtualKey, UINT modifiers = MOD_CONTROL) {
    bool ok = false;
    OnOwnThread([&] { ok = ::RegisterHotKey(window_, id, modifiers, virtualKey) != 0; });
    return ok;
  }
  void Unregister(int id) {
    OnOwnThread([&] { ::UnregisterHotKey(window_, id); });
  }
  // Whether each combination of the program could be taken right now; what
  // could is given back at once.
  std::vector<bool> CouldTake() {
    std::vector<bool> taken;
    for (const HotKey& hotKey : kHotKeys) {
      const int id = 100 + hotKey.id;
      taken.push_back(Register(id, hotKey.virtualKey));
      if (taken.back()) Unregister(id);
    }
    return taken;
  }

 private:
  static constexpr const char* kClassName = "TarveloTestOtherWindow";
  static constexpr UINT kRunOnThread = WM_APP + 1;

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunOnThread) {
      (*reinterpret_cast<std::function<void()>*>(lParam))();
      return 0;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
  }

  void OnOwnThread(std::function<void()> work) {
    ::SendMessageA(window_, kRunOnThread, 0, reinterpret_cast<LPARAM>(&work));
  }

  void Run() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowExA(0, kClassName, "other", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      window_ = window;
    }
    ready_.notify_all();
    MSG msg;
    while (window && ::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  HWND window_ = nullptr;
  std::thread thread_;
};

const std::vector<bool> kAllFree = {true, true, true, true};
const std::vector<bool> kNoneFree = {false, false, false, false};

TEST(HotKeys, ATakenCombinationIsNamedInOneBoxAndTheOthersAreRegisteredUntilTheEnd) {
  OtherWindow other;
  ASSERT_EQ(other.CouldTake(), kAllFree);
  ASSERT_TRUE(other.Register(1, VK_END));

  testing::MessageBoxAnswerer answerer;
  auto application = std::make_unique<TApplication>();
  auto form = std::make_unique<TfrmMain>(*application);
  EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Unable to assign Ctrl+End as hotkey."});

  other.Unregister(1);
  EXPECT_EQ(other.CouldTake(), (std::vector<bool>{false, false, true, false}))
      << "Ctrl+End was refused to the form; the other three are the form's";
  // Further modifiers make other combinations, free for anyone.
  EXPECT_TRUE(other.Register(7, VK_END, MOD_CONTROL | MOD_SHIFT));
  EXPECT_TRUE(other.Register(8, VK_HOME, MOD_CONTROL | MOD_ALT));
  other.Unregister(7);
  other.Unregister(8);

  form.reset();
  application.reset();
  EXPECT_EQ(other.CouldTake(), kAllFree) << "the form released all four";
}

// A copy started while this one ends (an upgrade, a sign-in right after a
// sign-out) must find the combinations free, also while the end still waits
// for a tray that takes seconds to move.
TEST(HotKeys, TheEndReleasesThemBeforeItWaitsForASlowDrive) {
  testing::RecordingDriveIo io;
  io.trayTime = std::chrono::seconds(3);
  OtherWindow other;
  auto application = std::make_unique<TApplication>();
  auto form = std::make_unique<TfrmMain>(*application, io);
  form->acDefautCDOpen.Execute();

  // The door's call is written down only once the tray has moved.
  bool freeWhileTheTrayMoved = false;
  std::thread newCopy([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      if (other.CouldTake() == kAllFree) {
        freeWhileTheTrayMoved = io.Calls().empty();
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  form.reset();
  newCopy.join();
  application.reset();
  EXPECT_TRUE(freeWhileTheTrayMoved);
}

TEST(HotKeys, EveryTakenCombinationGetsItsOwnBoxInIdOrder) {
  OtherWindow other;
  for (const HotKey& hotKey : kHotKeys) ASSERT_TRUE(other.Register(hotKey.id, hotKey.virtualKey));

  testing::MessageBoxAnswerer answerer;
  {
    TApplication application;
    TfrmMain form(application);
    const std::vector<std::string> expected = {
        "Unable to assign Ctrl+Page Up as hotkey.",
        "Unable to assign Ctrl+Page Down as hotkey.",
        "Unable to assign Ctrl+End as hotkey.",
        "Unable to assign Ctrl+Home as hotkey.",
    };
    EXPECT_EQ(answerer.Texts(), expected);
    // Releasing ids it never got takes nothing from the other program.
  }
  EXPECT_EQ(other.CouldTake(), kNoneFree);
}

// The About window is made after the main form, so a click on the logo (or
// "About..." from the menu) while a start-up box is open comes before it.
TEST(HotKeys, AboutAskedForWhileAStartUpBoxIsOpenShowsOnceTheWindowExists) {
  OtherWindow other;
  ASSERT_TRUE(other.Register(3, VK_END));
  bool clicked = false;
  testing::MessageBoxAnswerer answerer([&](const std::string&) {
    HWND formWindow = ::FindWindowA(names::kMainFormClass, nullptr);
    const LPARAM onLogo = MAKELPARAM(60, 30);
    clicked = formWindow && ::SendMessageA(formWindow, WM_LBUTTONDOWN, MK_LBUTTON, onLogo) == 0 &&
              ::SendMessageA(formWindow, WM_LBUTTONUP, 0, onLogo) == 0;
  });
  TApplication application;
  TfrmMain form(application);
  ASSERT_EQ(answerer.Texts().size(), 1u);
  ASSERT_TRUE(clicked);
  TfrmAbout about(application, form.Buttons().ClosePictures());
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(about.Handle()) != FALSE; }, std::chrono::seconds(5)));
}

TEST(HotKeys, EachIdRunsItsActionOnceStartUpHasFinished) {
  testing::RecordingDriveIo io;
  OtherWindow other;
  ASSERT_TRUE(other.Register(4, VK_HOME));

  // While the box about Ctrl+Home is open, start-up dispatches messages: a
  // Ctrl+Page Up arriving then waits, and reaches the drive once, after
  // start-up has finished.
  bool earlyPressDelivered = false;
  std::size_t callsWhileTheBoxWasOpen = 0;
  testing::MessageBoxAnswerer answerer([&](const std::string&) {
    HWND formWindow = ::FindWindowA(names::kMainFormClass, nullptr);
    earlyPressDelivered = formWindow && ::SendMessageA(formWindow, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL, VK_PRIOR)) == 0;
    callsWhileTheBoxWasOpen = io.Calls().size();
  });
  TApplication application;
  TfrmMain form(application, io);
  ASSERT_EQ(answerer.Texts().size(), 1u);
  ASSERT_TRUE(earlyPressDelivered);
  EXPECT_EQ(callsWhileTheBoxWasOpen, 0u);
  ASSERT_TRUE(form.DriveWork().WaitForCommands(std::chrono::seconds(10)));
  ASSERT_EQ(io.calls.size(), 1u);
  EXPECT_NE(io.calls[0].find("\"Set cdaudio door open wait\""), std::string::npos) << io.calls[0];
  io.calls.clear();

  // From here on each id runs its own action, as the system posts it.
  int hides = 0;
  int shows = 0;
  form.acHide.OnExecute = [&] { ++hides; };
  form.acShow.OnExecute = [&] { ++shows; };
  io.callbackWindow = form.Handle();
  for (WPARAM id : {1, 2, 3, 4, 4, 0, 5}) ::PostMessageA(form.Handle(), WM_HOTKEY, id, 0);
  EXPECT_TRUE(PumpUntil([&] { return shows == 2; }, std::chrono::seconds(10)));
  EXPECT_EQ(hides, 1);
  ASSERT_TRUE(form.DriveWork().WaitForCommands(std::chrono::seconds(10)));
  const std::vector<std::string> doors = {
      "MCI_STRING \"Set cdaudio door open wait\" buffer=null length=0 callback=form",
      "MCI_STRING \"Set cdaudio door closed wait\" buffer=null length=0 callback=form",
  };
  EXPECT_EQ(io.calls, doors);

  // The tray doors stay still while "Block All" is checked.
  form.acBlockAll.Checked = true;
  io.calls.clear();
  for (WPARAM id : {1, 2, 4}) ::PostMessageA(form.Handle(), WM_HOTKEY, id, 0);
  EXPECT_TRUE(PumpUntil([&] { return shows == 3; }, std::chrono::seconds(10)));
  ASSERT_TRUE(form.DriveWork().WaitForCommands(std::chrono::seconds(10)));
  EXPECT_TRUE(io.calls.empty());
  form.acBlockAll.Checked = false;
}

}  // namespace
}  // namespace tarvelo
