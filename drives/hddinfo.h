// The volume query behind the drive entries' captions.
#ifndef TARVELO_DRIVES_HDDINFO_H
#define TARVELO_DRIVES_HDDINFO_H

#include <windows.h>

#include <string>

namespace tarvelo {

struct VolumeInfo {
  std::string label;
  std::string fileSystemName;
  DWORD serialNumber = 0;
  DWORD maxComponentLength = 0;
  DWORD fileSystemFlags = 0;
};

// Asks the system about the volume in drive `letter`. Returns false, leaving
// `info` as it was, when there is no readable volume (no disc, tray open,
// drive gone).
bool GetDriveVolumeInfo(char letter, VolumeInfo& info);

}  // namespace tarvelo

#endif
