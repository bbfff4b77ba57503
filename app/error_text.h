// Texts of the error boxes. No Windows dependency, so the host tests them.
#ifndef TARVELO_APP_ERROR_TEXT_H
#define TARVELO_APP_ERROR_TEXT_H

#include <cstdint>
#include <initializer_list>
#include <string>

namespace tarvelo {

// The error box ends a sentence with a full stop when the text's last
// character sorts after "." (a letter, a digit, "?" or "/"); after "!", ")",
// a quote or "." itself it adds none.
std::string WithFullStop(const std::string& text);

// A text with each "%s" replaced by the next argument, in order; a "%s" with
// no argument left stays as it is. Arguments are never read as formats.
std::string FillIn(const std::string& format, std::initializer_list<std::string> arguments);

// The box for an error that ends the program before its main form is set up:
// `format` filled with class, module and code address, then the error's text
// on the next line.
std::string ApplicationErrorText(const std::string& format, const std::string& className,
                                 const std::string& moduleName, std::uintptr_t address, const std::string& text);

}  // namespace tarvelo

#endif
