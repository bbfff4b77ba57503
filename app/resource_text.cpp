#include "app/resource_text.h"

#include "app/error_text.h"

namespace tarvelo {

std::string ResourceText(UINT id) {
  // The longest text of the table is well under this.
  char buffer[512] = {};
  const int copied = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
  return std::string(buffer, copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

std::string ResourceText(UINT id, std::initializer_list<std::string> arguments) {
  return FillIn(ResourceText(id), arguments);
}

}  // namespace tarvelo
