// Drives as slow as real ones, through the seam: a tray that takes 3 s to
// move and a volume that takes 5 s to answer. The window's thread goes on
// answering, fading and showing other drives' labels meanwhile; each drive's
// commands keep their order, and the end still releases every lock.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "tests/support/answer_probe.h"
#include "tests/support/wine_drives.h"
#include "tests/wine/recording_drive_io.h"
#include "tests/wine/wine_test_util.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kTrayTime = 3000ms;
constexpr auto kSlowVolumeTime = 5000ms;
constexpr auto kAnswerLimit = 50ms;

// The longest wait for the window's answer; its messages are pumped until
// the last probe is in.
class AnswerProbe {
 public:
  explicit AnswerProbe(HWND window) : probe_(window) {}
  ~AnswerProbe() { Stop(); }
  std::chrono::milliseconds Stop() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        probe_.Stop([](auto done) { testing::PumpUntil(done, std::chrono::seconds(30)); }));
  }

 private:
  testing::AnswerProbe probe_;
};

class SlowDrives : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::DefineCdromDrive('D', testing::ScratchUnixDir("slow-drives-d"), "SLOW_D", 0x0D0D));
    ASSERT_TRUE(testing::DefineCdromDrive('F', testing::ScratchUnixDir("slow-drives-f"), "QUICK_F", 0x0F0F));
    io_.trayTime = kTrayTime;
    io_.volumeTime['D'] = kSlowVolumeTime;
    application_ = std::make_unique<TApplication>();
    form_ = std::make_unique<TfrmMain>(*application_, io_);
  }
  void TearDown() override {
    form_.reset();
    application_.reset();
    testing::RemoveDrive('D');
    testing::RemoveDrive('F');
  }

  TMenuItem& Entry(char letter) {
    TMenuItem& root = form_->PopupMenuTray().Items();
    for (std::size_t i = 0; i < root.Count(); ++i) {
      if (root.Item(i).Tag == 3 && root.Item(i).Hint[0] == letter) return root.Item(i);
    }
    throw std::runtime_error("no such drive entry");
  }
  TMenuItem& SubItem(char letter, const std::string& caption) {
    TMenuItem& entry = Entry(letter);
    for (std::size_t j = 0; j < entry.Count(); ++j) {
      if (entry.Item(j).Caption() == caption) return entry.Item(j);
    }
    throw std::runtime_error("no such drive entry item");
  }
  std::size_t Count(const std::vector<std::string>& lines, const std::string& start) {
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
  }

  testing::RecordingDriveIo io_;
  std::unique_ptr<TApplication> application_;
  std::unique_ptr<TfrmMain> form_;
};

TEST_F(SlowDrives, TheWindowKeepsAnsweringFadingAndShowingOtherLabelsWhileADriveIsSlow) {
  AnswerProbe probe(form_->Handle());
  SubItem('D', "Open").Click();
  SubItem('D', "Close").Click();

  // The hide hotkey fades the window out while the tray is still moving.
  ::PostMessageW(form_->Handle(), WM_HOTKEY, 3, MAKELPARAM(MOD_CONTROL, VK_END));
  ASSERT_TRUE(testing::PumpUntil([&] { return form_->Tag() == 0; }, 10s));
  EXPECT_EQ(Count(io_.Calls(), "MCI_SET"), 0u) << "the fade waited for the tray";
  // A fade holds its thread for its 800 ms by design: the drives are measured
  // from here on.
  probe.Stop();
  AnswerProbe drivesOnly(form_->Handle());

  // F's label arrives while D's first volume query is still running.
  ASSERT_TRUE(testing::PumpUntil([&] { return Entry('F').Caption() == "F: QUICK_F"; }, 10s));
  EXPECT_EQ(Entry('D').Caption(), "D:");

  // Both door commands reach D, in the order given, each in a device of its own.
  ASSERT_TRUE(testing::PumpUntil([&] { return Count(io_.Calls(), "MCI_CLOSE") == 2; }, 20s));
  const std::vector<std::string> doors = io_.Calls();
  ASSERT_EQ(doors.size(), 6u);
  EXPECT_EQ(doors[1], "MCI_SET dev=opened flags=0x100 params=null");
  EXPECT_EQ(doors[4], "MCI_SET dev=opened flags=0x200 params=null");

  ASSERT_TRUE(testing::PumpUntil([&] { return Entry('D').Caption() == "D: SLOW_D"; }, 20s));
  EXPECT_LT(drivesOnly.Stop(), kAnswerLimit);
  // Ticks came every second meanwhile; D was never asked twice at once.
  EXPECT_EQ(io_.MostVolumeQueriesAtOnce('D'), 1);
}

TEST_F(SlowDrives, ExitDuringATrayMoveEndsWithinTheBoundAndReleasesEveryDriveAfterIt) {
  form_->acBlockAll.Execute();
  SubItem('D', "Open").Click();
  form_->acExit.Execute();

  const auto start = Clock::now();
  form_.reset();  // the tear-down after the message loop
  EXPECT_LT(Clock::now() - start, DriveWorker::kEndBound);

  const std::vector<std::string> calls = io_.Calls();
  const auto tray = std::find(calls.begin(), calls.end(), "MCI_SET dev=opened flags=0x100 params=null");
  ASSERT_NE(tray, calls.end()) << "the tray move in progress ran to its end";
  const std::vector<std::string> afterTray(tray, calls.end());
  EXPECT_EQ(Count(afterTray, "DeviceIoControl \\\\.\\D: code=0x2D4804 in=[0]"), 1u);
  EXPECT_EQ(Count(calls, "DeviceIoControl \\\\.\\D: code=0x2D4804 in=[0]"), 1u);
  EXPECT_EQ(Count(calls, "DeviceIoControl \\\\.\\F: code=0x2D4804 in=[0]"), 1u);
  EXPECT_EQ(io_.OpenHandles(), 0u);
}

}  // namespace
}  // namespace tarvelo
