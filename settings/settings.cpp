#include "settings/settings.h"

#include "app/errors.h"
#include "app/handles.h"
#include "app/utf8.h"

namespace tarvelo {

namespace {

// Every call is a wide one: the Run value holds the program's path, which must
// keep every character (the ANSI calls would store '?' for any character of a
// folder outside the code page, and Windows would find nothing to start).
// The system's answer goes to `result`.
UniqueHKey OpenKey(const char* path, REGSAM access, LONG& result) {
  HKEY key = nullptr;
  result = ::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, access, &key);
  return UniqueHKey(result == ERROR_SUCCESS ? key : nullptr);
}

UniqueHKey CreateKey(const char* path, REGSAM access) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return UniqueHKey();
  }
  return UniqueHKey(key);
}

bool ValueExists(const char* keyPath, const char* valueName) {
  LONG opened = ERROR_SUCCESS;
  const UniqueHKey key = OpenKey(keyPath, kReadAccess, opened);
  return key &&
         ::RegQueryValueExW(key.get(), Widen(valueName).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The terminating zero is part of the stored data.
void WriteString(HKEY key, const char* valueName, const std::string& data) {
  const std::wstring wide = Widen(data);
  const LONG result =
      ::RegSetValueExW(key, Widen(valueName).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) throw RegistryError(valueName);
}

// Writes or deletes the value and only then takes the new state, so that a
// refused write or deletion leaves the setting as the registry has it. A
// value already gone is as good as deleted.
void Store(bool& setting, HKEY key, const char* valueName, const std::string& data) {
  const bool on = !setting;
  if (on) {
    WriteString(key, valueName, data);
  } else {
    const LONG deleted = ::RegDeleteValueW(key, Widen(valueName).c_str());
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return;
  }
  setting = on;
}

}  // namespace

bool ReadAutoStart() { return ValueExists(names::kRunKeyPath, names::kRunValueName); }

bool ReadAutoHide() { return ValueExists(names::kSettingsKeyPath, names::kAutoHideValueName); }

std::string RunCommand(const std::string& executable) { return '"' + executable + '"'; }

void SwitchAutoStart(bool& autoStart, const std::optional<std::string>& executable, REGSAM access) {
  if (!autoStart && !executable) return;
  LONG opened = ERROR_SUCCESS;
  const UniqueHKey key = OpenKey(names::kRunKeyPath, access, opened);
  if (!key) {
    // Without the Run key there is no value for Windows to start; a key that
    // is there but refused (read-only for this user) keeps it.
    if (opened == ERROR_FILE_NOT_FOUND) autoStart = false;
    return;
  }
  Store(autoStart, key.get(), names::kRunValueName, executable ? RunCommand(*executable) : std::string());
}

void SwitchAutoHide(bool& autoHide, REGSAM access) {
  // Made when missing, so a key that fails here is one that refuses.
  const UniqueHKey key = CreateKey(names::kSettingsKeyPath, access);
  if (!key) return;
  Store(autoHide, key.get(), names::kAutoHideValueName, kAutoHideData);
}

}  // namespace tarvelo
