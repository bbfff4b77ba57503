#include "drives/drive_io.h"

namespace tarvelo {

namespace {

class SystemIo final : public DriveIo {
 public:
  MCIERROR SendMciCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) override {
    return ::mciSendCommandA(device, message, flags, params);
  }
  MCIERROR SendMciString(const char* command, char* returnBuffer, UINT returnLength, HWND callback) override {
    return ::mciSendStringA(command, returnBuffer, returnLength, callback);
  }
  HANDLE CreateFile(const char* path, DWORD access, DWORD shareMode, DWORD creation) override {
    return ::CreateFileA(path, access, shareMode, nullptr, creation, 0, nullptr);
  }
  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned) override {
    return ::DeviceIoControl(device, code, in, inSize, out, outSize, returned, nullptr);
  }
  BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
};

}  // namespace

DriveIo& SystemDriveIo() {
  static SystemIo io;
  return io;
}

}  // namespace tarvelo
