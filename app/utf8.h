// Text inside the program is UTF-8 in std::string; Windows takes UTF-16 at
// its wide entry points. A path, a registry value or a disc label crosses
// between the two here, so that no character the ANSI code page lacks is
// turned into '?' on the way (a user's folder in Cyrillic on an English
// Windows, a disc labelled in Chinese).
#ifndef TARVELO_APP_UTF8_H
#define TARVELO_APP_UTF8_H

#include <string>
#include <string_view>

namespace tarvelo {

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::wstring Widen(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view utf16);

// Copies UTF-8 text into a fixed wide field of the system's `size` elements
// long, ended by a zero. Text that does not fit is cut after its last whole
// character: never between the halves of a surrogate pair.
void CopyWide(std::string_view utf8, wchar_t* field, std::size_t size);
template <std::size_t Size>
void CopyWide(std::string_view utf8, wchar_t (&field)[Size]) {
  CopyWide(utf8, field, Size);
}

}  // namespace tarvelo

#endif
