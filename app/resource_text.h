// The program's texts, from the string table of its resources.
#ifndef TARVELO_APP_RESOURCE_TEXT_H
#define TARVELO_APP_RESOURCE_TEXT_H

#include <windows.h>

#include <initializer_list>
#include <string>

namespace tarvelo {

// The text with this id; empty when the table has none.
std::string ResourceText(UINT id);

// The text with each "%s" filled in with the next argument.
std::string ResourceText(UINT id, std::initializer_list<std::string> arguments);

}  // namespace tarvelo

#endif
