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
  // The system is told each buffer's whole size, its NUL included; the last
  // element is cleared all the same, so that the text ends inside the buffer
  // even where a system filled every element.
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
