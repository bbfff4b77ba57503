#include "app/module_path.h"

#include "app/utf8.h"

namespace tarvelo {

std::optional<std::string> ExecutablePath(DWORD capacity) {
  std::wstring path(capacity, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), capacity);
  // A path that filled the whole buffer may have been cut short.
  if (length == 0 || length >= capacity) return std::nullopt;
  return Narrow(std::wstring_view(path.c_str(), length));
}

std::optional<std::string> ExecutableFolder() {
  const std::optional<std::string> path = ExecutablePath();
  if (!path) return std::nullopt;
  const std::size_t separator = path->find_last_of('\\');
  if (separator == std::string::npos) return std::nullopt;
  return path->substr(0, separator + 1);
}

std::string ExecutableFileName() {
  const std::optional<std::string> path = ExecutablePath();
  if (!path) return std::string();
  const std::size_t separator = path->find_last_of("\\/");
  return separator == std::string::npos ? *path : path->substr(separator + 1);
}

}  // namespace tarvelo
