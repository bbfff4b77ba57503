// How long the window's thread takes to answer while the drives are slow: a
// tray that takes 3 s to move and a volume that takes 5 s to answer, made so
// through the drive seam (Wine's drives answer at once). Another thread sends
// the main form a message that does nothing every 10 ms and notes the
// longest wait for its answer, while the default drive opens and closes and
// the labels are asked every second. Prints, asserts nothing. Run on a
// display with Wine; it defines drive D: for itself and takes it away after.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "app/application.h"
#include "drives/drive_io.h"
#include "tests/support/answer_probe.h"
#include "tests/support/wine_drives.h"
#include "ui/form_main.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kTrayMs = 3000;
constexpr DWORD kVolumeMs = 5000;
constexpr double kLimitMs = 50;
constexpr auto kRunFor = std::chrono::milliseconds(8000);

// The real calls, each door and volume taking a real drive's time.
class SlowDriveIo final : public tarvelo::DriveIo {
 public:
  MCIERROR SendMciCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) override {
    if (message == MCI_SET) ::Sleep(kTrayMs);
    return Real().SendMciCommand(device, message, flags, params);
  }
  MCIERROR SendMciString(const char* command, char* buffer, UINT length, HWND callback) override {
    ::Sleep(kTrayMs);
    doors_++;
    return Real().SendMciString(command, buffer, length, callback);
  }
  HANDLE CreateFile(const char* path, DWORD access, DWORD shareMode, DWORD creation) override {
    return Real().CreateFile(path, access, shareMode, creation);
  }
  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned) override {
    return Real().DeviceIoControl(device, code, in, inSize, out, outSize, returned);
  }
  BOOL CloseHandle(HANDLE handle) override { return Real().CloseHandle(handle); }
  BOOL VolumeInformation(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize, DWORD* serial,
                         DWORD* maxComponentLength, DWORD* flags, wchar_t* fileSystemName,
                         DWORD fileSystemNameSize) override {
    ::Sleep(kVolumeMs);
    volumes_++;
    return Real().VolumeInformation(root, volumeName, volumeNameSize, serial, maxComponentLength, flags,
                                    fileSystemName, fileSystemNameSize);
  }
  HINSTANCE ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                      const wchar_t* directory, int show) override {
    return Real().ShellOpen(owner, verb, file, parameters, directory, show);
  }

  std::atomic<int> doors_{0};
  std::atomic<int> volumes_{0};

 private:
  static tarvelo::DriveIo& Real() { return tarvelo::SystemDriveIo(); }
};

}  // namespace

int main() {
  if (!tarvelo::testing::DefineCdromDrive('D', "/tmp/tarvelo-bench-drives/d", "SLOW", 0x5105)) {
    std::printf("drive D: could not be defined\n");
    return 1;
  }
  double longest = 0;
  {
    SlowDriveIo io;
    tarvelo::TApplication application;
    tarvelo::TfrmMain form(application, io);
    const HWND window = form.Handle();

    tarvelo::testing::AnswerProbe probe(window);

    // Posted, as a click or a hotkey arrives: the loop below runs them.
    ::PostMessageW(window, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL, VK_PRIOR));
    ::PostMessageW(window, WM_HOTKEY, 2, MAKELPARAM(MOD_CONTROL, VK_NEXT));
    const auto end = Clock::now() + kRunFor;
    auto pump = [] {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    };
    while (Clock::now() < end) pump();
    const auto worst = probe.Stop([&](auto done) {
      const auto deadline = Clock::now() + std::chrono::seconds(60);
      while (!done() && Clock::now() < deadline) pump();
    });
    longest = static_cast<double>(worst.count()) / 1000;
    std::printf("door commands %d, volume answers %d in %lld ms\n", io.doors_.load(), io.volumes_.load(),
                static_cast<long long>(kRunFor.count()));
  }
  tarvelo::testing::RemoveDrive('D');
  std::printf("longest answer while drives are slow: %.1f ms (tray %lu ms, volume %lu ms, limit %.0f ms)\n", longest,
              static_cast<unsigned long>(kTrayMs), static_cast<unsigned long>(kVolumeMs), kLimitMs);
  return 0;
}
