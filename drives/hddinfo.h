// The volume query behind the drive entries' captions.
#ifndef TARVELO_DRIVES_HDDINFO_H
#define TARVELO_DRIVES_HDDINFO_H

#include <windows.h>

#include <string>

#include "drives/drive_io.h"

namespace tarvelo {

struct VolumeInfo {
  std::string label;  // UTF-8
  std::string fileSystemName;
  DWORD serialNumber = 0;
  DWORD maxComponentLength = 0;
  DWORD fileSystemFlags = 0;
};

// Asks the system about the volume in drive `letter`. Returns false, leaving
// `info` as it was, when there is no readable volume (no disc, tray open,
// drive gone). The drive may take seconds to answer: never called on the
// window's thread.
bool GetDriveVolumeInfo(DriveIo& io, char letter, VolumeInfo& info);

}  // namespace tarvelo

#endif
