// Text inside the program is UTF-8 in std::string; Windows takes UTF-16 at
// its wide entry points. A path, a registry value or a disc label crosses
// between the two here, so that no character the ANSI code page lacks is
// turned into '?' on the way (a user's folder in Cyrillic on an English
// Windows, a disc labelled in Chinese).
#ifndef TARVELO_APP_UTF8_H
#define TARVELO_APP_UTF8_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo {

// UTF-16 text to hand to one wide call, always ended by a zero. Not a
// std::wstring: the library keeps that class's code out of line, and using
// it would bring all of it, about a tenth of the executable.
class WideText {
 public:
  WideText() : chars_(1, L'\0') {}
  explicit WideText(std::size_t length) : chars_(length + 1, L'\0') {}

  const wchar_t* c_str() const noexcept { return chars_.data(); }
  wchar_t* data() noexcept { return chars_.data(); }
  std::size_t size() const noexcept { return chars_.size() - 1; }
  std::wstring_view view() const noexcept { return std::wstring_view(chars_.data(), size()); }
  bool operator==(std::wstring_view other) const noexcept { return view() == other; }

 private:
  std::vector<wchar_t> chars_;
};

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
WideText Widen(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view utf16);

}  // namespace tarvelo

#endif
