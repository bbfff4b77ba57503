// The tray menu of the real main form, with CD-ROM drives defined in this
// test's Wine prefix: its static layout, the drive entries appended at
// start-up, the captions the one-second timer writes, and its colours
// following Windows' mode for apps.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/utf8.h"
#include "tests/support/wine_drives.h"
#include "tests/wine/registry_aside.h"
#include "tests/wine/wine_test_util.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using testing::MenuText;
using testing::MenuTexts;
using testing::PumpUntil;
using testing::ScratchUnixDir;

class TrayMenu : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(testing::DefineCdromDrive('D', ScratchUnixDir("tray-menu-d"), "DATA", 0x1234));
    ASSERT_TRUE(testing::DefineCdromDrive('F', ScratchUnixDir("tray-menu-f"), "", 0x5678));
    application_ = new TApplication();
    form_ = new TfrmMain(*application_);
  }
  static void TearDownTestSuite() {
    delete form_;
    delete application_;
    testing::RemoveDrive('D');
    testing::RemoveDrive('F');
  }

  static HMENU Menu() { return form_->PopupMenuTray().Handle(); }
  static TMenuItem& Root() { return form_->PopupMenuTray().Items(); }
  static TMenuItem* DriveEntry(char letter) {
    for (std::size_t i = 0; i < Root().Count(); ++i) {
      TMenuItem& item = Root().Item(i);
      if (item.Tag == 3 && item.Hint == std::string(1, letter) + ":") return &item;
    }
    return nullptr;
  }
  // Position of a drive entry in the live menu.
  static UINT EntryPosition(char letter) {
    const std::vector<std::string> texts = MenuTexts(Menu());
    for (UINT i = 0; i < texts.size(); ++i) {
      if (texts[i].rfind(std::string(1, letter) + ":", 0) == 0) return i;
    }
    return ~0u;
  }

  static TApplication* application_;
  static TfrmMain* form_;
};

TApplication* TrayMenu::application_ = nullptr;
TfrmMain* TrayMenu::form_ = nullptr;

TEST_F(TrayMenu, ShowsStaticLayoutThenOneEntryPerOpticalDrive) {
  form_->TimerCheckTimer();
  // One line between groups: the layout's last line and the one above the
  // drives show as one. The labels come once the drives have answered.
  const std::vector<std::string> expected = {"About...", "Tools", "-", "Exit", "-", "D: DATA", "F: "};
  EXPECT_TRUE(PumpUntil([&] { return MenuTexts(Menu()) == expected; }, std::chrono::seconds(10)))
      << ::testing::PrintToString(MenuTexts(Menu()));

  HMENU tools = ::GetSubMenu(Menu(), 1);
  ASSERT_NE(tools, nullptr);
  const std::vector<std::string> toolsExpected = {"Hide On Start", "Autostart", "-", "Block All"};
  EXPECT_EQ(MenuTexts(tools), toolsExpected);
}

TEST_F(TrayMenu, KeepsHiddenItemsAndDesignerNamesInTheModel) {
  const char* names[] = {"About1", "ools1", "N6", "Show1", "acHide1", "N7", "gfngf1", "N2"};
  ASSERT_GE(Root().Count(), 9u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(Root().Item(i).Name, names[i]);
    EXPECT_NE(Root().Item(i).Tag, 3) << "static items never look like drive entries";
  }
  EXPECT_FALSE(form_->PopupMenuTray().FindByName("Show1")->Visible());
  EXPECT_FALSE(form_->PopupMenuTray().FindByName("acHide1")->Visible());
  EXPECT_FALSE(form_->PopupMenuTray().FindByName("N6")->Visible());
  EXPECT_EQ(form_->PopupMenuTray().FindByName("Show1")->Action(), &form_->acShow);
  EXPECT_EQ(form_->PopupMenuTray().FindByName("Block1")->Action(), &form_->acBlockAll);
  EXPECT_EQ(form_->PopupMenuTray().FindByName("gfngf1")->Caption(), "Exit");
  // The separator appended at start-up comes right after the static layout.
  EXPECT_EQ(Root().Item(8).Caption(), "-");
}

TEST_F(TrayMenu, DriveEntriesCarryHintTagAndFourSubItems) {
  for (char letter : {'D', 'F'}) {
    TMenuItem* entry = DriveEntry(letter);
    ASSERT_NE(entry, nullptr) << letter;
    ASSERT_EQ(entry->Count(), 4u);
    EXPECT_EQ(entry->Item(0).Caption(), "Explore...");
    EXPECT_EQ(entry->Item(0).Tag, 2);
    EXPECT_EQ(entry->Item(1).Caption(), "-");
    EXPECT_EQ(entry->Item(2).Caption(), "Open");
    EXPECT_EQ(entry->Item(3).Caption(), "Close");
    const std::vector<std::string> sub = {"Explore...", "-", "Open", "Close"};
    EXPECT_EQ(MenuTexts(::GetSubMenu(Menu(), EntryPosition(letter))), sub);
  }
  // C: (the prefix's system drive) and Z: (the Unix root) are fixed disks.
  EXPECT_EQ(DriveEntry('C'), nullptr);
  EXPECT_EQ(DriveEntry('Z'), nullptr);
}

TEST_F(TrayMenu, TimerFollowsLabelChangesAndRemovedDrives) {
  // The real timer, not a direct call: the form's timer runs from creation.
  ASSERT_TRUE(testing::DefineCdromDrive('D', ScratchUnixDir("tray-menu-d"), "R&B MIX", 0x1234));
  EXPECT_TRUE(PumpUntil([] { return MenuText(Menu(), EntryPosition('D')) == "D: R&&B MIX"; },
                        std::chrono::seconds(10)))
      << MenuText(Menu(), EntryPosition('D'));

  ASSERT_TRUE(testing::RemoveDrive('F'));
  EXPECT_TRUE(PumpUntil([] { return MenuText(Menu(), EntryPosition('F')) == "F:"; }, std::chrono::seconds(10)))
      << MenuText(Menu(), EntryPosition('F'));
  // The entry stays, and its Hint still names the drive.
  ASSERT_NE(DriveEntry('F'), nullptr);
  EXPECT_EQ(DriveEntry('F')->Count(), 4u);

  ASSERT_TRUE(testing::DefineCdromDrive('F', ScratchUnixDir("tray-menu-f"), "", 0x5678));
  EXPECT_TRUE(PumpUntil([] { return MenuText(Menu(), EntryPosition('F')) == "F: "; }, std::chrono::seconds(10)));
}

TEST_F(TrayMenu, ADrivePluggedInWhileRunningGetsItsEntryInLetterOrder) {
  ASSERT_TRUE(testing::DefineCdromDrive('E', ScratchUnixDir("tray-menu-e"), "LATE", 0x9ABC));
  const std::vector<std::string> expected = {"About...", "Tools", "-", "Exit", "-", "D: DATA", "E: LATE", "F: "};
  EXPECT_TRUE(PumpUntil([&] { return MenuTexts(Menu()) == expected; }, std::chrono::seconds(10)))
      << ::testing::PrintToString(MenuTexts(Menu()));
  TMenuItem* entry = DriveEntry('E');
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Count(), 4u);
  EXPECT_EQ(entry->Item(0).Tag, 2);
  const std::vector<std::string> sub = {"Explore...", "-", "Open", "Close"};
  EXPECT_EQ(MenuTexts(::GetSubMenu(Menu(), EntryPosition('E'))), sub);
  testing::RemoveDrive('E');
}

// Joliet and UDF labels are Unicode: one outside the ANSI code page keeps
// every character in its entry, as the menu itself holds it.
TEST(TrayMenuLabels, ACyrillicLabelShowsAsWritten) {
  const std::string label = "\u0414\u0418\u0421\u041a \u2116 1";  // "ДИСК № 1"
  ASSERT_TRUE(testing::DefineCdromDrive('G', ScratchUnixDir("tray-menu-g"), label, 0x4747));
  TApplication application;
  TfrmMain form(application);
  auto entryText = [&] {
    HMENU menu = form.PopupMenuTray().Handle();
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      wchar_t text[64] = {};
      ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
      if (text[0] == L'G') return std::wstring(text);
    }
    return std::wstring();
  };
  const std::wstring expected = L"G: \u0414\u0418\u0421\u041a \u2116 1";
  EXPECT_TRUE(PumpUntil([&] { return entryText() == expected; }, std::chrono::seconds(10)));
  EXPECT_EQ(entryText(), expected);
  testing::RemoveDrive('G');
}

// Without optical drives the menu ends with "Exit": the lines after it stay
// in the model only.
TEST(TrayMenuWithoutDrives, EndsWithExit) {
  TApplication application;
  TfrmMain form(application);
  const std::vector<std::string> expected = {"About...", "Tools", "-", "Exit"};
  EXPECT_EQ(MenuTexts(form.PopupMenuTray().Handle()), expected);
  TMenuItem& root = form.PopupMenuTray().Items();
  ASSERT_EQ(root.Count(), 9u);
  EXPECT_EQ(root.Item(7).Name, "N2");
  EXPECT_EQ(root.Item(8).Caption(), "-");
}

// The icon's tip is a field of 127 UTF-16 units and the zero: a title too
// long for it is cut between two characters, never inside a surrogate pair.
TEST(TrayTip, IsCutBetweenCharactersOnly) {
  const std::string grin = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair in UTF-16
  NOTIFYICONDATAW data{};
  CopyWide(std::string(125, 'a') + grin, data.szTip);
  EXPECT_EQ(std::wstring(data.szTip), std::wstring(125, L'a') + L"\xD83D\xDE00");
  CopyWide(std::string(126, 'a') + grin, data.szTip);
  EXPECT_EQ(std::wstring(data.szTip), std::wstring(126, L'a'));
}

// Ends the menu as soon as it shows, from a timer that the menu's own loop runs.
void CALLBACK EndShownMenu(HWND, UINT, UINT_PTR, DWORD) {
  HWND menu = ::FindWindowW(L"#32768", nullptr);
  if (menu && ::IsWindowVisible(menu)) ::EndMenu();
}

// Wine's uxtheme has neither procedure and Wine draws no dark menus: the
// calls are recorded in place of the system's, with the build and high
// contrast the test sets; the mode for apps is read from the registry.
class RecordingMenuTheme final : public MenuThemeSystem {
 public:
  DWORD build = 19045;
  bool highContrast = false;
  int lookUps = 0;
  std::vector<std::string> calls;

  DWORD WindowsBuild() override { return build; }
  bool HighContrast() override { return highContrast; }
  bool FindProcedures() override {
    ++lookUps;
    return true;
  }
  void SetPreferredAppMode(AppMode mode) override {
    calls.push_back("mode " + std::to_string(static_cast<int>(mode)));
  }
  void FlushMenuThemes() override { calls.push_back("flush"); }
};

TEST(TrayMenuTheme, FollowsTheModeForAppsFromTheNextMenuButNotUnderHighContrastNorOnOlderBuilds) {
  const std::string personalize = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
  testing::KeyAside aside(personalize);
  ASSERT_TRUE(aside.Ready());
  const auto setLight = [&](DWORD light) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&light);
    ASSERT_TRUE(testing::WriteValue(personalize, "AppsUseLightTheme",
                                    testing::RegValue{REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof light)}));
  };

  RecordingMenuTheme system;
  TApplication application;
  TfrmMain form(application);
  form.PopupMenuTheme() = MenuTheme(system);
  const std::function<void(HMENU)> prepare = form.TrayIcon().OnInitMenuPopup;
  form.TrayIcon().OnInitMenuPopup = [&](HMENU menu) {
    if (menu == form.PopupMenuTray().Handle()) system.calls.push_back("menu");
    prepare(menu);
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &EndShownMenu);
  ASSERT_NE(timer, 0u);
  // The calls that a change of a setting, as Windows broadcasts it, brings
  // when the window's menu next opens.
  using Calls = std::vector<std::string>;
  const auto menuAfter = [&](WPARAM setting, const wchar_t* area) {
    system.calls.clear();
    ::SendMessageW(form.Handle(), WM_SETTINGCHANGE, setting, reinterpret_cast<LPARAM>(area));
    ::SendMessageW(form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form.Handle()), MAKELPARAM(300, 200));
    return system.calls;
  };

  setLight(0);
  EXPECT_EQ(menuAfter(0, L"ImmersiveColorSet"), (Calls{"mode 2", "flush", "menu"}));
  setLight(1);
  EXPECT_EQ(menuAfter(0, L"ImmersiveColorSet"), (Calls{"mode 0", "flush", "menu"}));
  setLight(0);
  EXPECT_EQ(menuAfter(0, L"ImmersiveColorSet"), (Calls{"mode 2", "flush", "menu"}));
  // High contrast on: back to the system's colours once, then nothing.
  system.highContrast = true;
  EXPECT_EQ(menuAfter(SPI_SETHIGHCONTRAST, nullptr), (Calls{"mode 0", "flush", "menu"}));
  EXPECT_EQ(menuAfter(0, L"ImmersiveColorSet"), (Calls{"menu"}));
  EXPECT_EQ(system.lookUps, 1);

  // Windows 10 1809, dark: its uxtheme is not even asked for the procedures.
  system.highContrast = false;
  system.build = 17763;
  form.PopupMenuTheme() = MenuTheme(system);
  EXPECT_EQ(menuAfter(0, L"ImmersiveColorSet"), (Calls{"menu"}));
  EXPECT_EQ(system.lookUps, 1);

  ::KillTimer(nullptr, timer);
  form.TrayIcon().OnInitMenuPopup = prepare;
}

}  // namespace
}  // namespace tarvelo
