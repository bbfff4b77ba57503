// The calls that reach a physical optical drive: the Media Control Interface,
// the volume's media-removal control, the volume query behind the captions
// and the shell's opening of a drive's root (the shell reads the drive before
// it shows anything). No such drive exists on a build machine, so the drive
// code makes these calls through this narrow interface; the system
// implementation is the Win32 calls and nothing else, and tests record what a
// drive would have received, or make any call as slow as a real drive can be.
// Every call may come from a drive worker's thread, never from the window's.
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
  // GetVolumeInformationW: Joliet and UDF labels are Unicode.
  virtual BOOL VolumeInformation(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize, DWORD* serial,
                                 DWORD* maxComponentLength, DWORD* flags, wchar_t* fileSystemName,
                                 DWORD fileSystemNameSize) = 0;
  // ShellExecuteW. The owner is only handed on: the shell owns what it shows.
  virtual HINSTANCE ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                              const wchar_t* directory, int show) = 0;
};

// The real calls.
DriveIo& SystemDriveIo();

}  // namespace tarvelo

#endif
