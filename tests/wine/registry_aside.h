// Registry helpers for the settings tests: a key of the current user moved
// aside for the length of a test and put back exactly as it was, and reads
// of keys and values that change nothing.
#ifndef TARVELO_TESTS_WINE_REGISTRY_ASIDE_H
#define TARVELO_TESTS_WINE_REGISTRY_ASIDE_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tarvelo::testing {

inline bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

struct RegValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const RegValue& other) const { return type == other.type && data == other.data; }
};

inline std::optional<RegValue> ReadValue(const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  RegValue value;
  DWORD size = 0;
  LONG result = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
  if (result == ERROR_SUCCESS) {
    value.data.resize(size);
    result = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    value.data.resize(size);
  }
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return value;
}

// A string value as the wide call reads it, without its terminating zero;
// nothing when it is missing or no string.
inline std::optional<std::wstring> ReadWideString(const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  const std::wstring wideName(name.begin(), name.end());
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG result = ::RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (result == ERROR_SUCCESS && type == REG_SZ) {
    result = ::RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  }
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  text.resize(size / sizeof(wchar_t));
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

inline RegValue StringValue(const std::string& text) {
  return RegValue{REG_SZ, std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1)};
}

inline bool WriteValue(const std::string& path, const std::string& name, const RegValue& value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG result = ::RegSetValueExA(key, name.c_str(), 0, value.type, value.data.data(),
                                       static_cast<DWORD>(value.data.size()));
  ::RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

// Moves the key (with everything below it) under a scratch key and leaves the
// path absent; the destructor removes whatever the test left there and puts
// the original back, or leaves the path absent if it was.
class KeyAside {
 public:
  explicit KeyAside(std::string path) : path_(std::move(path)), backup_(BackupPath(path_)) {
    HKEY original = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &original) != ERROR_SUCCESS) return;
    existed_ = true;
    HKEY backup = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, backup_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr);
    moved_ = backup && ::RegCopyTreeA(original, nullptr, backup) == ERROR_SUCCESS;
    if (backup) ::RegCloseKey(backup);
    ::RegCloseKey(original);
    if (moved_) ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }
  ~KeyAside() {
    if (existed_ && !moved_) return;  // never touched
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    if (existed_) {
      HKEY restored = nullptr;
      HKEY backup = nullptr;
      ::RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &restored, nullptr);
      ::RegOpenKeyExA(HKEY_CURRENT_USER, backup_.c_str(), 0, KEY_READ, &backup);
      if (restored && backup) ::RegCopyTreeA(backup, nullptr, restored);
      if (backup) ::RegCloseKey(backup);
      if (restored) ::RegCloseKey(restored);
      ::RegDeleteTreeA(HKEY_CURRENT_USER, backup_.c_str());
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kBackupRoot);  // only goes when empty
  }
  KeyAside(const KeyAside&) = delete;
  KeyAside& operator=(const KeyAside&) = delete;

  // Whether the key could be moved (or was absent): a test must not run on a
  // registry it could not put back.
  bool Ready() const { return !existed_ || moved_; }

 private:
  static constexpr const char* kBackupRoot = "Software\\TarveloTestsAside";
  static std::string BackupPath(const std::string& path) {
    std::string flat = path;
    for (char& c : flat) {
      if (c == '\\') c = '_';
    }
    return std::string(kBackupRoot) + "\\" + flat;
  }

  std::string path_;
  std::string backup_;
  bool existed_ = false;
  bool moved_ = false;
};

}  // namespace tarvelo::testing

#endif
