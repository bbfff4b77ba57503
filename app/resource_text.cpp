#include "app/resource_text.h"

#include "app/error_text.h"
#include "app/utf8.h"

#include <iterator>

namespace tarvelo {

std::string ResourceText(UINT id) {
  // The longest text of the table is well under this. Read wide and kept as
  // UTF-8, as every text inside the program is: the ANSI call would turn what
  // the code page lacks into '?'.
  wchar_t buffer[512] = {};
  const int copied = ::LoadStringW(::GetModuleHandleW(nullptr), id, buffer, static_cast<int>(std::size(buffer)));
  return Narrow(std::wstring_view(buffer, copied > 0 ? static_cast<std::size_t>(copied) : 0));
}

std::string ResourceText(UINT id, std::initializer_list<std::string> arguments) {
  return FillIn(ResourceText(id), arguments);
}

}  // namespace tarvelo
