#include "drives/drive_caption.h"

namespace tarvelo {

std::string DriveString(char letter) { return std::string(1, letter) + ":"; }

std::string DriveRootPath(char letter) { return DriveString(letter) + "\\"; }

std::string DriveDevicePath(char letter) { return "\\\\.\\" + DriveString(letter); }

std::string DriveEntryCaption(const std::string& driveString, bool volumeAnswered, const std::string& label) {
  if (!volumeAnswered) return driveString;
  std::string caption = driveString + " ";
  caption.reserve(caption.size() + label.size());
  for (char c : label) {
    // A tab would start the menu's shortcut column, and the other control
    // characters draw as nothing or as boxes. In UTF-8 every byte of a
    // character beyond ASCII is above 127, so none of them is taken for one.
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

}  // namespace tarvelo
