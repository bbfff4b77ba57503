// The two registry settings against Wine's real registry: what counts as on,
// what a switch writes and deletes, and what happens when the system refuses.
// Every test moves the keys it touches aside first and puts them back after.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <memory>
#include <optional>
#include <string>

#include "app/application.h"
#include "app/errors.h"
#include "settings/settings.h"
#include "tests/wine/message_box_answerer.h"
#include "tests/wine/registry_aside.h"
#include "tests/wine/wine_test_util.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

using testing::KeyExists;
using testing::ReadValue;
using testing::RegValue;
using testing::StringValue;
using testing::WriteValue;

constexpr const char* kVendorKeyPath = "Software\\Hobrast";

std::string OwnPath() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runKey_.Ready());
    ASSERT_TRUE(vendorKey_.Ready());
  }
  // The Run key with a value of another program beside ours.
  static void CreateRunKey() { ASSERT_TRUE(WriteValue(names::kRunKeyPath, "OtherProgram", StringValue("other.exe"))); }

  testing::KeyAside runKey_{names::kRunKeyPath};
  testing::KeyAside vendorKey_{kVendorKeyPath};
};

TEST_F(Settings, NothingStoredReadsOffAndStartUpCreatesNothing) {
  EXPECT_FALSE(ReadAutoStart());
  EXPECT_FALSE(ReadAutoHide());
  {
    TApplication application;
    TfrmMain form(application);
    EXPECT_FALSE(form.AutoStart());
    EXPECT_FALSE(form.AutoHide());
    EXPECT_EQ(form.Tag(), 1);
  }
  EXPECT_FALSE(KeyExists(names::kRunKeyPath));
  EXPECT_FALSE(KeyExists(kVendorKeyPath));

  // Keys without our values read off too.
  CreateRunKey();
  ASSERT_TRUE(WriteValue(names::kSettingsKeyPath, "Other", StringValue("1")));
  EXPECT_FALSE(ReadAutoStart());
  EXPECT_FALSE(ReadAutoHide());
}

TEST_F(Settings, AValueOfAnyTypeOrDataReadsOnAndStaysUntouched) {
  const DWORD zero = 0;
  const RegValue values[] = {
      {REG_DWORD, std::vector<BYTE>(reinterpret_cast<const BYTE*>(&zero), reinterpret_cast<const BYTE*>(&zero + 1))},
      {REG_BINARY, {}},
      StringValue(""),
      StringValue("0"),
      StringValue("C:\\No Longer There\\old.exe"),
  };
  for (const RegValue& value : values) {
    ASSERT_TRUE(WriteValue(names::kRunKeyPath, names::kRunValueName, value));
    ASSERT_TRUE(WriteValue(names::kSettingsKeyPath, names::kAutoHideValueName, value));
    EXPECT_TRUE(ReadAutoStart()) << "type " << value.type << ", " << value.data.size() << " bytes";
    EXPECT_TRUE(ReadAutoHide()) << "type " << value.type << ", " << value.data.size() << " bytes";
    EXPECT_EQ(ReadValue(names::kRunKeyPath, names::kRunValueName), value);
    EXPECT_EQ(ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName), value);
  }
}

TEST_F(Settings, HideOnStartCreatesItsKeyWithParentsAndOffKeepsTheKey) {
  ASSERT_FALSE(KeyExists(kVendorKeyPath));
  bool autoHide = false;
  SwitchAutoHide(autoHide);
  EXPECT_TRUE(autoHide);
  const std::optional<RegValue> stored = ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored->data, (std::vector<BYTE>{'1', 0}));

  SwitchAutoHide(autoHide);
  EXPECT_FALSE(autoHide);
  EXPECT_FALSE(ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName));
  EXPECT_TRUE(KeyExists(names::kSettingsKeyPath));

  SwitchAutoHide(autoHide);
  EXPECT_TRUE(autoHide);
  EXPECT_EQ(ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName), StringValue("1"));
}

TEST_F(Settings, AutostartWritesTheQuotedPathAndOffDeletesOnlyItsValue) {
  CreateRunKey();
  ASSERT_TRUE(WriteValue(names::kRunKeyPath, names::kRunValueName, StringValue("C:\\old\\place.exe")));
  bool autoStart = ReadAutoStart();
  ASSERT_TRUE(autoStart);

  SwitchAutoStart(autoStart);
  EXPECT_FALSE(autoStart);
  EXPECT_FALSE(ReadValue(names::kRunKeyPath, names::kRunValueName));
  EXPECT_EQ(ReadValue(names::kRunKeyPath, "OtherProgram"), StringValue("other.exe"));

  SwitchAutoStart(autoStart);
  EXPECT_TRUE(autoStart);
  EXPECT_EQ(ReadValue(names::kRunKeyPath, names::kRunValueName), StringValue("\"" + OwnPath() + "\""));

  // A path with spaces stays one piece at logon.
  autoStart = false;
  SwitchAutoStart(autoStart, std::string("C:\\Program Files\\Tarvelo\\Tarvelo.exe"));
  EXPECT_TRUE(autoStart);
  EXPECT_EQ(ReadValue(names::kRunKeyPath, names::kRunValueName), StringValue("\"C:\\Program Files\\Tarvelo\\Tarvelo.exe\""));
  EXPECT_EQ(ReadValue(names::kRunKeyPath, "OtherProgram"), StringValue("other.exe"));
}

// An account named in Cyrillic and Chinese on a Windows whose ANSI code page
// is 1252: the installer's default folder lies in that profile.
TEST_F(Settings, AutostartStoresEveryCharacterOfAPathOutsideTheCodePage) {
  CreateRunKey();
  bool autoStart = false;
  SwitchAutoStart(autoStart, std::string("C:\\users\\\u041f\u043e\u043b\u044c\u0437\u043e\u0432\u0430\u0442\u0435"
                                         "\u043b\u044c \u7528\u6237\\Tarvelo\\Tarvelo.exe"));
  EXPECT_TRUE(autoStart);
  EXPECT_EQ(testing::ReadWideString(names::kRunKeyPath, names::kRunValueName),
            std::wstring(L"\"C:\\users\\\u041f\u043e\u043b\u044c\u0437\u043e\u0432\u0430\u0442\u0435\u043b\u044c "
                         L"\u7528\u6237\\Tarvelo\\Tarvelo.exe\""));
}

TEST_F(Settings, AutostartStaysOffWithoutTheRunKeyOrAWholePath) {
  bool autoStart = false;
  SwitchAutoStart(autoStart);
  EXPECT_FALSE(autoStart);
  EXPECT_FALSE(KeyExists(names::kRunKeyPath)) << "the Run key is only ever opened";

  CreateRunKey();
  SwitchAutoStart(autoStart, std::nullopt);
  EXPECT_FALSE(autoStart);
  EXPECT_FALSE(ReadValue(names::kRunKeyPath, names::kRunValueName));

  // The system fills a buffer that is too small and says so only through the
  // length: a path that exactly fills it counts as cut short.
  const std::string own = OwnPath();
  EXPECT_EQ(ExecutablePath(static_cast<DWORD>(own.size() + 1)), own);
  EXPECT_EQ(ExecutablePath(static_cast<DWORD>(own.size())), std::nullopt);
  EXPECT_EQ(ExecutablePath(8), std::nullopt);
  EXPECT_EQ(ExecutablePath(), own);
}

TEST_F(Settings, ARefusedWriteRaisesAndLeavesTheSettingAsTheRegistryHasIt) {
  CreateRunKey();
  // Keys opened for reading only: the system itself refuses the write.
  bool autoStart = false;
  try {
    SwitchAutoStart(autoStart, OwnPath(), KEY_READ);
    ADD_FAILURE() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'Mirrowen'");
  }
  EXPECT_FALSE(autoStart);
  EXPECT_FALSE(ReadValue(names::kRunKeyPath, names::kRunValueName));

  bool autoHide = false;
  try {
    SwitchAutoHide(autoHide, KEY_READ);
    ADD_FAILURE() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'AutoHide'");
  }
  EXPECT_FALSE(autoHide);
  EXPECT_FALSE(ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName));

  // Where a handler's error ends up: the error box, with the text as raised
  // (a quote sorts before ".", so no full stop is added).
  TApplication application;
  testing::MessageBoxAnswerer answerer;
  RunGuarded([&] { SwitchAutoHide(autoHide, KEY_READ); });
  EXPECT_EQ(answerer.Texts(), std::vector<std::string>{"Failed to set data for 'AutoHide'"});
  EXPECT_FALSE(autoHide);
}

// Off ends off only once the value is gone: one that is gone already counts,
// a deletion the system refuses leaves the setting on, as Windows still has it.
TEST_F(Settings, OffEndsOffOnlyOnceTheValueIsGone) {
  CreateRunKey();
  ASSERT_TRUE(WriteValue(names::kSettingsKeyPath, "Other", StringValue("1")));
  bool autoStart = true;
  bool autoHide = true;
  SwitchAutoStart(autoStart);
  SwitchAutoHide(autoHide);
  EXPECT_FALSE(autoStart);
  EXPECT_FALSE(autoHide);

  // Keys opened without the right to change them: the system refuses.
  ASSERT_TRUE(WriteValue(names::kRunKeyPath, names::kRunValueName, StringValue("x.exe")));
  ASSERT_TRUE(WriteValue(names::kSettingsKeyPath, names::kAutoHideValueName, StringValue("1")));
  autoStart = true;
  autoHide = true;
  SwitchAutoStart(autoStart, OwnPath(), KEY_QUERY_VALUE);
  SwitchAutoHide(autoHide, KEY_QUERY_VALUE);
  EXPECT_TRUE(autoStart);
  EXPECT_TRUE(autoHide);
  EXPECT_EQ(ReadValue(names::kRunKeyPath, names::kRunValueName), StringValue("x.exe"));
  EXPECT_EQ(ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName), StringValue("1"));
}

// Gives everyone the rights of `sddl` (a key's access list in the system's
// text form) on a key of the current user; the key's owner may always
// change the list again.
bool AllowOnKey(const char* path, const wchar_t* sddl) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const bool set = ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr) &&
                   ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
  ::LocalFree(descriptor);
  ::RegCloseKey(key);
  return set;
}

// Some managed machines let users read the Run key but not change it. Wine
// enforces a key's access list as Windows does, so the test makes one such key.
TEST_F(Settings, ARunKeyThatCanOnlyBeReadShowsAutostartAsWindowsHasIt) {
  CreateRunKey();
  ASSERT_TRUE(WriteValue(names::kRunKeyPath, names::kRunValueName, StringValue("C:\\managed\\place.exe")));
  ASSERT_TRUE(AllowOnKey(names::kRunKeyPath, L"D:(A;;KR;;;WD)"));
  const struct Writable {
    ~Writable() { EXPECT_TRUE(AllowOnKey(names::kRunKeyPath, L"D:(A;;KA;;;WD)")); }
  } putBack;
  HKEY probe = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, names::kRunKeyPath, 0, KEY_SET_VALUE, &probe), ERROR_ACCESS_DENIED);

  TApplication application;
  TfrmMain form(application);
  EXPECT_TRUE(form.AutoStart());
  // Switching off cannot take the value away: the mark stays.
  form.PopupMenuTray().FindByName("acAutoStart1")->Click();
  EXPECT_TRUE(form.AutoStart());
  HMENU toolsMenu = form.PopupMenuTray().FindByName("ools1")->SubMenuHandle();
  form.PopupMenuTray().PrepareSubMenu(toolsMenu);
  EXPECT_TRUE(testing::MenuChecked(toolsMenu, 1));
  EXPECT_EQ(ReadValue(names::kRunKeyPath, names::kRunValueName), StringValue("C:\\managed\\place.exe"));
}

// The settings as the main form holds them: read at start-up, switched from
// the Tools submenu, with check marks that match at every moment.
TEST_F(Settings, TheFormReadsBothAtStartUpAndItsMarksFollowEverySwitch) {
  CreateRunKey();
  ASSERT_TRUE(WriteValue(names::kRunKeyPath, names::kRunValueName, StringValue("C:\\old\\place.exe")));
  ASSERT_TRUE(WriteValue(names::kSettingsKeyPath, names::kAutoHideValueName, StringValue("0")));
  TApplication application;
  TfrmMain form(application);
  EXPECT_TRUE(form.AutoStart());
  EXPECT_TRUE(form.AutoHide());
  EXPECT_EQ(form.Tag(), 0) << "hide-on-start hides the window at the end of start-up";

  TMenuItem* tools = form.PopupMenuTray().FindByName("ools1");
  ASSERT_NE(tools, nullptr);
  HMENU toolsMenu = tools->SubMenuHandle();
  ASSERT_NE(toolsMenu, nullptr);
  ASSERT_EQ(testing::MenuText(toolsMenu, 0), "Hide On Start");
  ASSERT_EQ(testing::MenuText(toolsMenu, 1), "Autostart");
  // Opening the submenu shows the marks of the settings as read.
  form.PopupMenuTray().PrepareSubMenu(toolsMenu);
  EXPECT_TRUE(testing::MenuChecked(toolsMenu, 0));
  EXPECT_TRUE(testing::MenuChecked(toolsMenu, 1));

  // A click switches the setting, the registry and the mark at once.
  form.PopupMenuTray().FindByName("acAutoStart1")->Click();
  EXPECT_FALSE(form.AutoStart());
  EXPECT_FALSE(ReadValue(names::kRunKeyPath, names::kRunValueName));
  EXPECT_FALSE(testing::MenuChecked(toolsMenu, 1));
  EXPECT_TRUE(testing::MenuChecked(toolsMenu, 0));

  form.PopupMenuTray().FindByName("acAutoHide1")->Click();
  EXPECT_FALSE(form.AutoHide());
  EXPECT_FALSE(ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName));
  EXPECT_FALSE(testing::MenuChecked(toolsMenu, 0));

  form.PopupMenuTray().FindByName("acAutoStart1")->Click();
  form.PopupMenuTray().FindByName("acAutoHide1")->Click();
  EXPECT_TRUE(form.AutoStart());
  EXPECT_TRUE(form.AutoHide());
  EXPECT_EQ(ReadValue(names::kRunKeyPath, names::kRunValueName), StringValue("\"" + OwnPath() + "\""));
  EXPECT_EQ(ReadValue(names::kSettingsKeyPath, names::kAutoHideValueName), StringValue("1"));
  EXPECT_TRUE(testing::MenuChecked(toolsMenu, 0));
  EXPECT_TRUE(testing::MenuChecked(toolsMenu, 1));
}

}  // namespace
}  // namespace tarvelo
