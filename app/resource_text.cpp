#include "app/resource_text.h"

#include "app/error_text.h"
#include "app/utf8.h"

namespace tarvelo {

std::string ResourceText(UINT id) {
  // Asked with no buffer, the system hands out the text where the resource
  // holds it, whole and without a terminating zero: no text is cut short,
  // however long. Read wide and kept as UTF-8, as every text inside the
  // program is: the ANSI call would turn what the code page lacks into '?'.
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || !text) return std::string();
  return Narrow(std::wstring_view(text, static_cast<std::size_t>(length)));
}

std::string ResourceText(UINT id, std::initializer_list<std::string> arguments) {
  return FillIn(ResourceText(id), arguments);
}

}  // namespace tarvelo
