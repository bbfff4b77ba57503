// A DriveIo that writes down every call a drive would receive, as one line of
// text each, and passes it on to the real system unless the test scripted a
// failure for it. Under Wine the real calls reach Wine's CD-ROM emulation,
// which answers at once; a test can make a tray or a volume take as long as
// a real drive's. The calls come from the drive worker's threads.
#ifndef TARVELO_TESTS_WINE_RECORDING_DRIVE_IO_H
#define TARVELO_TESTS_WINE_RECORDING_DRIVE_IO_H

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "drives/drive_io.h"

namespace tarvelo::testing {

class RecordingDriveIo final : public DriveIo {
 public:
  // What the commands sent; the volume queries go to `volumeQueries`, as the
  // root they asked. Read them while drive work may run through Calls() and
  // VolumeQueries(), or directly once the worker is idle.
  std::vector<std::string> calls;
  std::vector<std::string> volumeQueries;
  // Scripted failures.
  bool failMciOpen = false;
  bool failMciSet = false;
  bool failIoctl = false;
  std::set<std::string> unopenableVolumes;
  // Scripted slowness: a door that moves (MCI_SET, the door strings) takes
  // `trayTime`; the volume of a drive takes `volumeTime[letter]` to answer.
  std::chrono::milliseconds trayTime{0};
  std::map<char, std::chrono::milliseconds> volumeTime;

  // A call still waiting out its slowness ends at once; none is left running
  // in an object that is gone.
  ~RecordingDriveIo() override {
    std::unique_lock<std::mutex> hold(lock_);
    hurry_ = true;
    changed_.notify_all();
    changed_.wait_for(hold, std::chrono::seconds(30), [this] { return slowCalls_ == 0; });
  }

  std::vector<std::string> Calls() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return calls;
  }
  std::vector<std::string> VolumeQueries() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return volumeQueries;
  }

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
      if (message == MCI_SET) TakeTime(trayTime);
      result = (message == MCI_SET && failMciSet) ? MCIERR_UNSUPPORTED_FUNCTION
                                                  : Real().SendMciCommand(device, message, flags, params);
    }
    // The door's answer is left out: the program never looks at it, and Wine's
    // emulation of a folder-backed drive refuses to move a tray that is not there.
    Record(message == MCI_SET ? line : line + " -> " + std::to_string(result));
    return result;
  }

  MCIERROR SendMciString(const char* command, char* buffer, UINT length, HWND callback) override {
    TakeTime(trayTime);
    Record(std::string("MCI_STRING \"") + command + "\" buffer=" + (buffer ? "set" : "null") +
           " length=" + std::to_string(length) + " callback=" + (callback == callbackWindow ? "form" : "other"));
    return Real().SendMciString(command, buffer, length, callback);
  }

  HANDLE CreateFile(const char* path, DWORD access, DWORD shareMode, DWORD creation) override {
    Record(std::string("CreateFile ") + path + " access=" + Hex(access) + " share=" + Hex(shareMode) +
           " creation=" + std::to_string(creation));
    if (unopenableVolumes.count(path)) return INVALID_HANDLE_VALUE;
    HANDLE handle = Real().CreateFile(path, access, shareMode, creation);
    const std::lock_guard<std::mutex> hold(lock_);
    if (handle != INVALID_HANDLE_VALUE) handles_[handle] = path;
    return handle;
  }

  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned) override {
    std::string bytes;
    for (DWORD i = 0; i < inSize; ++i) bytes += (i ? "," : "") + std::to_string(static_cast<unsigned char*>(in)[i]);
    Record("DeviceIoControl " + HandlePath(device) + " code=" + Hex(code) + " in=[" + bytes +
           "] out=" + (out ? "set" : "null") + "/" + std::to_string(outSize) +
           " returned=" + (returned ? "set" : "null"));
    if (failIoctl) return FALSE;
    return Real().DeviceIoControl(device, code, in, inSize, out, outSize, returned);
  }

  BOOL CloseHandle(HANDLE handle) override {
    Record("CloseHandle " + HandlePath(handle));
    {
      const std::lock_guard<std::mutex> hold(lock_);
      handles_.erase(handle);
    }
    return Real().CloseHandle(handle);
  }

  BOOL VolumeInformation(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize, DWORD* serial,
                         DWORD* maxComponentLength, DWORD* flags, wchar_t* fileSystemName,
                         DWORD fileSystemNameSize) override {
    const char letter = static_cast<char>(root[0]);
    {
      const std::lock_guard<std::mutex> hold(lock_);
      volumeQueries.push_back(std::string(1, letter) + ":\\");
      mostAtOnce_[letter] = std::max(mostAtOnce_[letter], ++atOnce_[letter]);
    }
    const auto slow = volumeTime.find(letter);
    if (slow != volumeTime.end()) TakeTime(slow->second);
    const BOOL answered = Real().VolumeInformation(root, volumeName, volumeNameSize, serial, maxComponentLength,
                                                   flags, fileSystemName, fileSystemNameSize);
    const std::lock_guard<std::mutex> hold(lock_);
    --atOnce_[letter];
    return answered;
  }

  HINSTANCE ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                      const wchar_t* directory, int show) override {
    Record("ShellOpen " + std::string(file, file + wcslen(file)));
    return Real().ShellOpen(owner, verb, file, parameters, directory, show);
  }

  // The most volume queries of one drive that were running at the same time.
  int MostVolumeQueriesAtOnce(char letter) const {
    const std::lock_guard<std::mutex> hold(lock_);
    const auto found = mostAtOnce_.find(letter);
    return found == mostAtOnce_.end() ? 0 : found->second;
  }

  // Handles opened and not closed again.
  std::size_t OpenHandles() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return handles_.size();
  }

  HWND callbackWindow = nullptr;

 private:
  static DriveIo& Real() { return SystemDriveIo(); }
  static std::string Hex(DWORD_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
  }

  void Record(std::string line) {
    const std::lock_guard<std::mutex> hold(lock_);
    calls.push_back(std::move(line));
  }
  std::string HandlePath(HANDLE handle) {
    const std::lock_guard<std::mutex> hold(lock_);
    return handles_[handle];
  }
  // The drive's slowness: a wait that the end of the test cuts short.
  void TakeTime(std::chrono::milliseconds time) {
    if (time.count() <= 0) return;
    std::unique_lock<std::mutex> hold(lock_);
    ++slowCalls_;
    changed_.wait_for(hold, time, [this] { return hurry_; });
    --slowCalls_;
    changed_.notify_all();
  }

  mutable std::mutex lock_;
  std::condition_variable changed_;
  bool hurry_ = false;
  int slowCalls_ = 0;
  MCIDEVICEID openedDevice_ = static_cast<MCIDEVICEID>(-1);
  DWORD_PTR openBlock_ = 0;
  std::map<HANDLE, std::string> handles_;
  std::map<char, int> atOnce_;
  std::map<char, int> mostAtOnce_;
};

}  // namespace tarvelo::testing

#endif
