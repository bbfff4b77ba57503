#include "drives/hddinfo.h"

#include "drives/drive_caption.h"

namespace tarvelo {

bool GetDriveVolumeInfo(char letter, VolumeInfo& info) {
  constexpr DWORD kBufferSize = MAX_PATH;
  char volumeName[kBufferSize] = {};
  char fileSystemName[kBufferSize] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  const std::string root = DriveRootPath(letter);
  if (!::GetVolumeInformationA(root.c_str(), volumeName, kBufferSize, &serial, &maxComponent, &flags,
                               fileSystemName, kBufferSize)) {
    return false;
  }
  // The buffers are zeroed and one longer than the system may fill, so each
  // ends in a NUL even if the system wrote the full size.
  volumeName[kBufferSize - 1] = '\0';
  fileSystemName[kBufferSize - 1] = '\0';
  info.label = volumeName;
  info.fileSystemName = fileSystemName;
  info.serialNumber = serial;
  info.maxComponentLength = maxComponent;
  info.fileSystemFlags = flags;
  return true;
}

}  // namespace tarvelo
