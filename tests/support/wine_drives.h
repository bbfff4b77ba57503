// CD-ROM drives for tests, defined in the running Wine prefix through Wine's
// mount manager: a Unix folder stands in for the disc, two small files in it
// give the volume label and serial number. Works only under Wine.
#ifndef TARVELO_TESTS_SUPPORT_WINE_DRIVES_H
#define TARVELO_TESTS_SUPPORT_WINE_DRIVES_H

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace tarvelo::testing {

// What this process sees of a drive letter.
struct DriveView {
  UINT type = DRIVE_NO_ROOT_DIR;  // GetDriveTypeA on "X:\"
  bool readable = false;          // GetVolumeInformationW answered
  std::string label;              // UTF-8
  DWORD serial = 0;
};

DriveView ReadDrive(char letter);

// Polls until `done` holds for ReadDrive(letter); false when the deadline
// passes first. Wine refreshes its per-process view of the drives about once
// a second, so a change made by any process shows up here within that time.
bool WaitForDrive(char letter, const std::function<bool(const DriveView&)>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Makes `letter` a CD-ROM drive on the absolute Unix folder `unixPath`
// (created if missing) with the given volume label (UTF-8) and serial number. Wine
// drops trailing blanks of a label and puts a serial of its own in place of 0.
// Calling it again for a defined drive is how its label changes while
// programs run: Wine reads the label only when a drive is defined. Returns
// true once this process sees the drive as asked.
bool DefineCdromDrive(char letter, const std::string& unixPath, const std::string& label, DWORD serial);

// Takes the drive away; true once this process no longer sees it, also when
// there was none.
bool RemoveDrive(char letter);

}  // namespace tarvelo::testing

#endif
