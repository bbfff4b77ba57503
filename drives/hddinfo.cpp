#include "drives/hddinfo.h"

#include "app/utf8.h"
#include "drives/drive_caption.h"

namespace tarvelo {

bool GetDriveVolumeInfo(DriveIo& io, char letter, VolumeInfo& info) {
  constexpr DWORD kBufferSize = MAX_PATH;
  wchar_t volumeName[kBufferSize] = {};
  wchar_t fileSystemName[kBufferSize] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  const std::wstring root = Widen(DriveRootPath(letter));
  if (!io.VolumeInformation(root.c_str(), volumeName, kBufferSize, &serial, &maxComponent, &flags, fileSystemName,
                            kBufferSize)) {
    return false;
  }
  // The buffers are zeroed and one longer than the system may fill, so each
  // ends in a NUL even if the system wrote the full size.
  volumeName[kBufferSize - 1] = L'\0';
  fileSystemName[kBufferSize - 1] = L'\0';
  info.label = Narrow(volumeName);
  info.fileSystemName = Narrow(fileSystemName);
  info.serialNumber = serial;
  info.maxComponentLength = maxComponent;
  info.fileSystemFlags = flags;
  return true;
}

}  // namespace tarvelo
