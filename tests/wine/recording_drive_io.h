// A DriveIo that writes down every call a drive would receive, as one line of
// text each, and passes it on to the real system unless the test scripted a
// failure for it. Under Wine the real calls reach Wine's CD-ROM emulation.
#ifndef TARVELO_TESTS_WINE_RECORDING_DRIVE_IO_H
#define TARVELO_TESTS_WINE_RECORDING_DRIVE_IO_H

#include <windows.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "drives/drive_io.h"

namespace tarvelo::testing {

class RecordingDriveIo final : public DriveIo {
 public:
  std::vector<std::string> calls;
  // Scripted failures.
  bool failMciOpen = false;
  bool failMciSet = false;
  bool failIoctl = false;
  std::set<std::string> unopenableVolumes;

  MCIERROR SendMciCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) override {
    std::string line;
    MCIERROR result = 0;
    const std::string dev = device == openedDevice_ && message != MCI_OPEN ? "opened" : std::to_string(device);
    if (message == MCI_OPEN) {
      const auto* open = reinterpret_cast<const MCI_OPEN_PARMSA*>(params);
      line = "MCI_OPEN dev=" + dev + " flags=" + Hex(flags) + " callback=" + std::to_string(open->dwCallback) +
             " type=" + open->lpstrDeviceType + " element=" + open->lpstrElementName;
      result = failMciOpen ? MCIERR_INVALID_DEVICE_NAME : Real().SendMciCommand(device, message, flags, params);
      if (result == 0) {
        openedDevice_ = open->wDeviceID;
        openBlock_ = params;
      }
    } else {
      const std::string block = params == 0 ? "null" : params == openBlock_ ? "open-block" : "other";
      line = std::string(message == MCI_SET ? "MCI_SET" : message == MCI_CLOSE ? "MCI_CLOSE" : "MCI_?") +
             " dev=" + dev + " flags=" + Hex(flags) + " params=" + block;
      result = (message == MCI_SET && failMciSet) ? MCIERR_UNSUPPORTED_FUNCTION
                                                  : Real().SendMciCommand(device, message, flags, params);
    }
    // The door's answer is left out: the program never looks at it, and Wine's
    // emulation of a folder-backed drive refuses to move a tray that is not there.
    calls.push_back(message == MCI_SET ? line : line + " -> " + std::to_string(result));
    return result;
  }

  MCIERROR SendMciString(const char* command, char* buffer, UINT length, HWND callback) override {
    calls.push_back(std::string("MCI_STRING \"") + command + "\" buffer=" + (buffer ? "set" : "null") +
                    " length=" + std::to_string(length) + " callback=" + (callback == callbackWindow ? "form" : "other"));
    return Real().SendMciString(command, buffer, length, callback);
  }

  HANDLE CreateFile(const char* path, DWORD access, DWORD shareMode, DWORD creation) override {
    calls.push_back(std::string("CreateFile ") + path + " access=" + Hex(access) + " share=" + Hex(shareMode) +
                    " creation=" + std::to_string(creation));
    if (unopenableVolumes.count(path)) return INVALID_HANDLE_VALUE;
    HANDLE handle = Real().CreateFile(path, access, shareMode, creation);
    if (handle != INVALID_HANDLE_VALUE) handles_[handle] = path;
    return handle;
  }

  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned) override {
    std::string bytes;
    for (DWORD i = 0; i < inSize; ++i) bytes += (i ? "," : "") + std::to_string(static_cast<unsigned char*>(in)[i]);
    calls.push_back("DeviceIoControl " + handles_[device] + " code=" + Hex(code) + " in=[" + bytes +
                    "] out=" + (out ? "set" : "null") + "/" + std::to_string(outSize) +
                    " returned=" + (returned ? "set" : "null"));
    if (failIoctl) return FALSE;
    return Real().DeviceIoControl(device, code, in, inSize, out, outSize, returned);
  }

  BOOL CloseHandle(HANDLE handle) override {
    calls.push_back("CloseHandle " + handles_[handle]);
    handles_.erase(handle);
    return Real().CloseHandle(handle);
  }

  // Handles opened and not closed again.
  std::size_t OpenHandles() const { return handles_.size(); }

  HWND callbackWindow = nullptr;

 private:
  static DriveIo& Real() { return SystemDriveIo(); }
  static std::string Hex(DWORD_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
  }

  MCIDEVICEID openedDevice_ = static_cast<MCIDEVICEID>(-1);
  DWORD_PTR openBlock_ = 0;
  std::map<HANDLE, std::string> handles_;
};

}  // namespace tarvelo::testing

#endif
