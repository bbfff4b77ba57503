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
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

}  // namespace tarvelo
