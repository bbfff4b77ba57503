// Drive strings and the captions of the tray menu's drive entries. No Windows
// dependency, so the host tests it.
#ifndef TARVELO_DRIVES_DRIVE_CAPTION_H
#define TARVELO_DRIVES_DRIVE_CAPTION_H

#include <string>

namespace tarvelo {

// "D:" for 'D': the caption, Hint and MCI element name of a drive.
std::string DriveString(char letter);
// "D:\" for 'D': what the volume query and Explore open.
std::string DriveRootPath(char letter);
// "\\.\D:" for 'D': the volume device that takes the media-removal lock.
std::string DriveDevicePath(char letter);

// The caption of a drive entry: the drive string, a blank and the label while
// the volume answers, the bare drive string when it does not. A menu reads "&"
// as a mnemonic marker, so the label's ampersands are doubled to show as they
// are on the disc, and its control characters (a tab, which a menu takes for
// the start of the shortcut column, among them) show as blanks.
std::string DriveEntryCaption(const std::string& driveString, bool volumeAnswered, const std::string& label);

}  // namespace tarvelo

#endif
