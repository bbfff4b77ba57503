#include "drives/ejection_lock.h"

#include <winioctl.h>

#include <string>

#include "drives/drive_caption.h"
#include "drives/drive_table.h"

namespace tarvelo {

namespace {

// Closes a volume handle through the same interface that opened it.
class VolumeHandle {
 public:
  VolumeHandle(DriveIo& io, HANDLE handle) : io_(io), handle_(handle) {}
  ~VolumeHandle() {
    if (valid()) io_.CloseHandle(handle_);
  }
  VolumeHandle(const VolumeHandle&) = delete;
  VolumeHandle& operator=(const VolumeHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  DriveIo& io_;
  HANDLE handle_;
};

}  // namespace

void SetMediaRemovalLock(DriveIo& io, char letter, bool prevent) {
  const std::string path = DriveDevicePath(letter);
  // Shared for reading and writing: the request needs nothing exclusive, and
  // any file open on the disc (the folder window of "Explore..." is enough)
  // would otherwise make the open fail, and the lock or its release with it.
  VolumeHandle volume(io, io.CreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  if (!volume.valid()) return;
  PREVENT_MEDIA_REMOVAL request{};
  request.PreventMediaRemoval = prevent ? TRUE : FALSE;
  DWORD returned = 0;
  io.DeviceIoControl(volume.get(), IOCTL_STORAGE_MEDIA_REMOVAL, &request, sizeof request, nullptr, 0, &returned);
}

void SetMediaRemovalLockOnAllOpticalDrives(DriveWorker& worker, bool prevent) {
  for (char letter : OpticalDriveLetters(&DriveRootPath)) {
    worker.Command(letter, [letter, prevent](DriveIo& io) { SetMediaRemovalLock(io, letter, prevent); });
  }
}

}  // namespace tarvelo
