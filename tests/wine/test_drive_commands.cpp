// What the optical drives receive from the tray commands, the default-drive
// actions and "Block All", recorded at the one interface that reaches a
// physical drive. The calls also go on to Wine's CD-ROM emulation, so the
// program runs against real answers where a test scripts no failure. The
// calls run on the form's drive worker: each check waits for it first.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "tests/support/wine_drives.h"
#include "tests/wine/recording_drive_io.h"
#include "tests/wine/wine_test_util.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using Lines = std::vector<std::string>;

// Each drive has a lane of its own, so what two drives receive interleaves
// freely: the calls grouped by drive, each drive's in the order it got them.
Lines ByDrive(Lines lines) {
  auto drive = [](const std::string& line) {
    const std::size_t at = line.find(":");
    return at == std::string::npos || at == 0 ? '\0' : line[at - 1];
  };
  std::stable_sort(lines.begin(), lines.end(),
                   [&](const std::string& a, const std::string& b) { return drive(a) < drive(b); });
  return lines;
}

class DriveCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::DefineCdromDrive('D', testing::ScratchUnixDir("drive-commands-d"), "DISC_D", 0x0D0D));
    ASSERT_TRUE(testing::DefineCdromDrive('F', testing::ScratchUnixDir("drive-commands-f"), "DISC_F", 0x0F0F));
    application_ = std::make_unique<TApplication>();
    form_ = std::make_unique<TfrmMain>(*application_, io_);
    io_.callbackWindow = form_->Handle();
    Settle();
    io_.calls.clear();
  }
  // The drive commands given so far have reached the seam.
  void Settle() { ASSERT_TRUE(form_->DriveWork().WaitForCommands(std::chrono::seconds(10))); }
  void TearDown() override {
    form_.reset();
    application_.reset();
    testing::RemoveDrive('D');
    testing::RemoveDrive('F');
  }

  TMenuItem& SubItem(char letter, const std::string& caption) {
    TMenuItem& root = form_->PopupMenuTray().Items();
    for (std::size_t i = 0; i < root.Count(); ++i) {
      TMenuItem& entry = root.Item(i);
      if (entry.Tag != 3 || entry.Hint[0] != letter) continue;
      for (std::size_t j = 0; j < entry.Count(); ++j) {
        if (entry.Item(j).Caption() == caption) return entry.Item(j);
      }
    }
    throw std::runtime_error("no such drive entry item");
  }

  testing::RecordingDriveIo io_;
  std::unique_ptr<TApplication> application_;
  std::unique_ptr<TfrmMain> form_;
};

TEST_F(DriveCommands, PerDriveOpenAndCloseUseTheirOwnDeviceAndAlwaysCloseIt) {
  SubItem('F', "Open").Click();
  SubItem('F', "Close").Click();
  Settle();
  const Lines expected = {
      "MCI_OPEN dev=0 flags=0x2200 callback=0 type=CDAudio element=F: -> 0",
      "MCI_SET dev=opened flags=0x100 params=null",
      "MCI_CLOSE dev=opened flags=0x0 params=open-block -> 0",
      "MCI_OPEN dev=0 flags=0x2200 callback=0 type=CDAudio element=F: -> 0",
      "MCI_SET dev=opened flags=0x200 params=null",
      "MCI_CLOSE dev=opened flags=0x0 params=open-block -> 0",
  };
  EXPECT_EQ(io_.calls, expected);
}

TEST_F(DriveCommands, FailedOpenSendsNothingMoreAndFailedDoorStillCloses) {
  io_.failMciOpen = true;
  SubItem('D', "Open").Click();
  Settle();
  ASSERT_EQ(io_.calls.size(), 1u);
  EXPECT_EQ(io_.calls[0].rfind("MCI_OPEN", 0), 0u);

  io_.calls.clear();
  io_.failMciOpen = false;
  io_.failMciSet = true;
  SubItem('D', "Close").Click();
  Settle();
  ASSERT_EQ(io_.calls.size(), 3u);
  EXPECT_EQ(io_.calls[1].rfind("MCI_SET dev=opened flags=0x200", 0), 0u);
  EXPECT_EQ(io_.calls[2], "MCI_CLOSE dev=opened flags=0x0 params=open-block -> 0");
}

TEST_F(DriveCommands, DriveLetterComesFromTheHintNotTheCaption) {
  TMenuItem& open = SubItem('F', "Open");
  // A label that itself looks like another drive must not redirect the command.
  open.Parent()->SetCaption("D: LOOKS LIKE D");
  open.Click();
  Settle();
  ASSERT_FALSE(io_.calls.empty());
  EXPECT_NE(io_.calls[0].find("element=F:"), std::string::npos) << io_.calls[0];
}

TEST_F(DriveCommands, EntryOfARemovedDriveDoesNothing) {
  ASSERT_TRUE(testing::RemoveDrive('F'));
  SubItem('F', "Open").Click();
  SubItem('F', "Close").Click();
  Settle();
  // Wine's MCI refuses a drive that is not there: only the two opens are sent.
  ASSERT_EQ(io_.calls.size(), 2u);
  for (const std::string& call : io_.calls) {
    EXPECT_EQ(call.rfind("MCI_OPEN", 0), 0u);
    EXPECT_EQ(call.find("-> 0"), std::string::npos) << call;
  }
}

TEST_F(DriveCommands, BlockAllLocksThenReleasesEveryOpticalDriveInLetterOrder) {
  ASSERT_TRUE(form_->acBlockAll.Execute());
  EXPECT_TRUE(form_->acBlockAll.Checked);
  Settle();
  const Lines locked = {
      "CreateFile \\\\.\\D: access=0xC0000000 share=0x3 creation=3",
      "DeviceIoControl \\\\.\\D: code=0x2D4804 in=[1] out=null/0 returned=set",
      "CloseHandle \\\\.\\D:",
      "CreateFile \\\\.\\F: access=0xC0000000 share=0x3 creation=3",
      "DeviceIoControl \\\\.\\F: code=0x2D4804 in=[1] out=null/0 returned=set",
      "CloseHandle \\\\.\\F:",
  };
  EXPECT_EQ(ByDrive(io_.calls), locked);

  io_.calls.clear();
  ASSERT_TRUE(form_->acBlockAll.Execute());
  EXPECT_FALSE(form_->acBlockAll.Checked);
  Settle();
  const Lines released = ByDrive(io_.calls);
  ASSERT_EQ(released.size(), 6u);
  EXPECT_EQ(released[1], "DeviceIoControl \\\\.\\D: code=0x2D4804 in=[0] out=null/0 returned=set");
  EXPECT_EQ(released[4], "DeviceIoControl \\\\.\\F: code=0x2D4804 in=[0] out=null/0 returned=set");
  EXPECT_EQ(io_.OpenHandles(), 0u);
}

TEST_F(DriveCommands, BlockAllSkipsVolumesItCannotReachAndKeepsGoing) {
  io_.unopenableVolumes.insert("\\\\.\\D:");
  io_.failIoctl = true;
  form_->acBlockAll.Execute();
  Settle();
  const Lines expected = {
      "CreateFile \\\\.\\D: access=0xC0000000 share=0x3 creation=3",
      "CreateFile \\\\.\\F: access=0xC0000000 share=0x3 creation=3",
      "DeviceIoControl \\\\.\\F: code=0x2D4804 in=[1] out=null/0 returned=set",
      "CloseHandle \\\\.\\F:",
  };
  EXPECT_EQ(ByDrive(io_.calls), expected);
  EXPECT_TRUE(form_->acBlockAll.Checked) << "the state flips however many drives answered";
}

TEST_F(DriveCommands, BlockAllCheckMarkFollowsTheState) {
  HMENU tools = ::GetSubMenu(form_->PopupMenuTray().Handle(), 1);
  ASSERT_EQ(testing::MenuText(tools, 3), "Block All");
  EXPECT_FALSE(testing::MenuChecked(tools, 3));
  form_->PopupMenuTray().FindByName("Block1")->Click();
  EXPECT_TRUE(testing::MenuChecked(tools, 3));
  form_->PopupMenuTray().FindByName("Block1")->Click();
  EXPECT_FALSE(testing::MenuChecked(tools, 3));
}

TEST_F(DriveCommands, DefaultDriveActionsAreRefusedWhileBlockedButDriveEntriesAreNot) {
  form_->acDefautCDOpen.Execute();
  form_->acDefaultCDClose.Execute();
  Settle();
  const Lines unblocked = {
      "MCI_STRING \"Set cdaudio door open wait\" buffer=null length=0 callback=form",
      "MCI_STRING \"Set cdaudio door closed wait\" buffer=null length=0 callback=form",
  };
  EXPECT_EQ(io_.calls, unblocked);

  form_->acBlockAll.Execute();
  Settle();
  io_.calls.clear();
  form_->acDefautCDOpen.Execute();
  form_->acDefaultCDClose.Execute();
  Settle();
  EXPECT_TRUE(io_.calls.empty());

  SubItem('D', "Open").Click();
  Settle();
  ASSERT_EQ(io_.calls.size(), 3u);
  EXPECT_EQ(io_.calls[1], "MCI_SET dev=opened flags=0x100 params=null");
}

TEST_F(DriveCommands, EndingWithTheLockOnReleasesItOnce) {
  form_->acBlockAll.Execute();
  Settle();
  io_.calls.clear();
  form_.reset();  // the program's tear-down after "Exit" or a close request
  const Lines released = {
      "CreateFile \\\\.\\D: access=0xC0000000 share=0x3 creation=3",
      "DeviceIoControl \\\\.\\D: code=0x2D4804 in=[0] out=null/0 returned=set",
      "CloseHandle \\\\.\\D:",
      "CreateFile \\\\.\\F: access=0xC0000000 share=0x3 creation=3",
      "DeviceIoControl \\\\.\\F: code=0x2D4804 in=[0] out=null/0 returned=set",
      "CloseHandle \\\\.\\F:",
  };
  EXPECT_EQ(ByDrive(io_.calls), released);
}

TEST_F(DriveCommands, EndOfSessionReleasesTheLockAndTearDownDoesNotRepeatIt) {
  form_->acBlockAll.Execute();
  Settle();
  io_.calls.clear();
  ::SendMessageA(form_->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(io_.calls.size(), 6u);
  EXPECT_FALSE(form_->acBlockAll.Checked);
  io_.calls.clear();
  form_.reset();
  EXPECT_TRUE(io_.calls.empty());
}

TEST_F(DriveCommands, EndingWithTheLockOffSendsNothing) {
  form_->acBlockAll.Execute();
  form_->acBlockAll.Execute();
  Settle();
  io_.calls.clear();
  ::SendMessageA(form_->Handle(), WM_ENDSESSION, FALSE, 0);  // the session goes on
  form_.reset();
  EXPECT_TRUE(io_.calls.empty());
}

}  // namespace
}  // namespace tarvelo
