// The calls that reach a physical optical drive: the Media Control Interface
// and the volume's media-removal control. No such drive exists on a build
// machine, so the drive code makes these calls through this narrow interface;
// the system implementation is the Win32 calls and nothing else, and tests
// record what a drive would have received.
#ifndef TARVELO_DRIVES_DRIVE_IO_H
#define TARVELO_DRIVES_DRIVE_IO_H

#include <windows.h>
#include <mmsystem.h>

namespace tarvelo {

class DriveIo {
 public:
  virtual ~DriveIo() = default;

  virtual MCIERROR SendMciCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) = 0;
  virtual MCIERROR SendMciString(const char* command, char* returnBuffer, UINT returnLength, HWND callback) = 0;
  virtual HANDLE CreateFile(const char* path, DWORD access, DWORD shareMode, DWORD creation) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                               DWORD* returned) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;
};

// The real calls.
DriveIo& SystemDriveIo();

}  // namespace tarvelo

#endif
