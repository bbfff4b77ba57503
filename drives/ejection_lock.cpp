#include "drives/ejection_lock.h"

#include <winioctl.h>

#include <string>

#include "app/handles.h"
#include "drives/drive_caption.h"
#include "drives/drive_table.h"

namespace tarvelo {

void SetMediaRemovalLock(DriveIo& io, char letter, bool prevent) {
  const std::string path = DriveDevicePath(letter);
  // Shared for reading and writing: the request needs nothing exclusive, and
  // any file open on the disc (the folder window of "Explore..." is enough)
  // would otherwise make the open fail, and the lock or its release with it.
  const HANDLE volume =
      io.CreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  if (volume == INVALID_HANDLE_VALUE) return;
  // Closed through the same interface that opened it.
  const auto close = OnScopeExit([&io, volume] { io.CloseHandle(volume); });
  PREVENT_MEDIA_REMOVAL request{};
  request.PreventMediaRemoval = prevent ? TRUE : FALSE;
  DWORD returned = 0;
  io.DeviceIoControl(volume, IOCTL_STORAGE_MEDIA_REMOVAL, &request, sizeof request, nullptr, 0, &returned);
}

void SetMediaRemovalLockOnAllOpticalDrives(DriveWorker& worker, bool prevent) {
  for (char letter : OpticalDriveLetters(&DriveRootPath)) {
    worker.Command(letter, [letter, prevent](DriveIo& io) { SetMediaRemovalLock(io, letter, prevent); });
  }
}

}  // namespace tarvelo
