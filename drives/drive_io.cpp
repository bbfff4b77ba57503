#include "drives/drive_io.h"

#include "app/system_library.h"
#include "app/utf8.h"
#include <shellapi.h>

namespace tarvelo {

namespace {

// winmm is loaded from the system folder on the first command (not a known
// DLL); without it a command fails as with no driver.
constexpr MCIERROR kNoMci = MCIERR_CANNOT_LOAD_DRIVER;

class SystemIo final : public DriveIo {
 public:
  MCIERROR SendMciCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) override {
    auto* send = Winmm().Procedure<decltype(::mciSendCommandA)>("mciSendCommandA");
    return send ? send(device, message, flags, params) : kNoMci;
  }
  MCIERROR SendMciString(const char* command, char* returnBuffer, UINT returnLength, HWND callback) override {
    auto* send = Winmm().Procedure<decltype(::mciSendStringA)>("mciSendStringA");
    return send ? send(command, returnBuffer, returnLength, callback) : kNoMci;
  }
  HANDLE CreateFile(const char* path, DWORD access, DWORD shareMode, DWORD creation) override {
    return ::CreateFileW(Widen(path).c_str(), access, shareMode, nullptr, creation, 0, nullptr);
  }
  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned) override {
    return ::DeviceIoControl(device, code, in, inSize, out, outSize, returned, nullptr);
  }
  BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
  BOOL VolumeInformation(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize, DWORD* serial,
                         DWORD* maxComponentLength, DWORD* flags, wchar_t* fileSystemName,
                         DWORD fileSystemNameSize) override {
    return ::GetVolumeInformationW(root, volumeName, volumeNameSize, serial, maxComponentLength, flags,
                                   fileSystemName, fileSystemNameSize);
  }
  HINSTANCE ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                      const wchar_t* directory, int show) override {
    return ::ShellExecuteW(owner, verb, file, parameters, directory, show);
  }
};

// At namespace scope and constant-initialised: ready before any thread runs,
// the drive workers' threads among them, with no guard to pass on each use.
SystemIo systemIo;

}  // namespace

DriveIo& SystemDriveIo() { return systemIo; }

}  // namespace tarvelo
