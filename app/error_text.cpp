#include "app/error_text.h"

namespace tarvelo {

std::string WithFullStop(const std::string& text) {
  // Compared as unsigned bytes: every byte of a UTF-8 character beyond ASCII
  // is above 127, and that sorts after "." too.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
    return text + ".";
  }
  return text;
}

std::string FillIn(const std::string& format, std::initializer_list<std::string> arguments) {
  std::string text;
  text.reserve(format.size());
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && next != arguments.end()) {
      text += *next++;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

std::string ApplicationErrorText(const std::string& format, const std::string& className,
                                 const std::string& moduleName, std::uintptr_t address, const std::string& text) {
  // Addresses are shown with as many hex digits as a pointer has, so the same
  // text format serves a 64-bit build. Written digit by digit: the C
  // library's formatter would bring its floating-point conversion along, a
  // twentieth of the program.
  std::string addressText(2 * sizeof(std::uintptr_t), '0');
  for (std::size_t digit = addressText.size(); digit-- > 0; address >>= 4) {
    addressText[digit] = "0123456789ABCDEF"[address & 0xF];
  }
  return FillIn(format, {className, moduleName, addressText}) + "\n" + text;
}

}  // namespace tarvelo
