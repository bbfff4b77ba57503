// Texts of the error boxes. No Windows dependency, so the host tests them.
#ifndef TARVELO_APP_ERROR_TEXT_H
#define TARVELO_APP_ERROR_TEXT_H

#include <cstdint>
#include <string>

namespace tarvelo {

// The error box ends a sentence with a full stop unless the text already ends
// in punctuation that sorts at or before "." (such as "!" or "?", or "." itself).
std::string WithFullStop(const std::string& text);

// The box for an error that ends the program before its main form is set up:
// "Exception <class> in module <module> at <address>." then the error's text.
std::string ApplicationErrorText(const std::string& className, const std::string& moduleName,
                                 std::uintptr_t address, const std::string& text);

}  // namespace tarvelo

#endif
