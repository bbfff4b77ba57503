#include "settings/settings.h"

#include "app/errors.h"
#include "app/handles.h"
#include "app/utf8.h"

namespace tarvelo {

namespace {

// Every call is a wide one: the Run value holds the program's path, which must
// keep every character (the ANSI calls would store '?' for any character of a
// folder outside the code page, and Windows would find nothing to start).
UniqueHKey OpenKey(const char* path, REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, access, &key) != ERROR_SUCCESS) return UniqueHKey();
  return UniqueHKey(key);
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
  const UniqueHKey key = OpenKey(keyPath, kSettingsAccess);
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
// refused write leaves the setting as the registry has it.
void Store(bool& setting, HKEY key, const char* valueName, const std::string& data) {
  const bool on = !setting;
  if (on) {
    WriteString(key, valueName, data);
  } else {
    ::RegDeleteValueW(key, Widen(valueName).c_str());
  }
  setting = on;
}

}  // namespace

bool ReadAutoStart() { return ValueExists(names::kRunKeyPath, names::kRunValueName); }

bool ReadAutoHide() { return ValueExists(names::kSettingsKeyPath, names::kAutoHideValueName); }

std::string RunCommand(const std::string& executable) { return '"' + executable + '"'; }

void SwitchAutoStart(bool& autoStart, const std::optional<std::string>& executable, REGSAM access) {
  const UniqueHKey key = OpenKey(names::kRunKeyPath, access);
  if (!key || (!autoStart && !executable)) {
    autoStart = false;
    return;
  }
  Store(autoStart, key.get(), names::kRunValueName, executable ? RunCommand(*executable) : std::string());
}

void SwitchAutoHide(bool& autoHide, REGSAM access) {
  const UniqueHKey key = CreateKey(names::kSettingsKeyPath, access);
  if (!key) {
    autoHide = false;
    return;
  }
  Store(autoHide, key.get(), names::kAutoHideValueName, kAutoHideData);
}

}  // namespace tarvelo
