#include "tests/support/wine_drives.h"

#include <winioctl.h>

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/handles.h"

namespace tarvelo::testing {
namespace {

// Wine's own request to its mount manager (not part of Windows): the fixed
// part below, then the NUL-terminated Unix mount point it points at.
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
static_assert(sizeof(UnixDriveRequest) == 32, "must match the mount manager's layout");
static_assert(offsetof(UnixDriveRequest, letter) == 24, "must match the mount manager's layout");

constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr char kMountManager[] = "\\\\.\\MountPointManager";
constexpr std::chrono::milliseconds kPollInterval(20);

bool ValidLetter(char letter) { return letter >= 'A' && letter <= 'Z'; }

char Upper(char letter) { return static_cast<char>(std::toupper(static_cast<unsigned char>(letter))); }

// Wine maps the Unix root to Z:, so every absolute Unix path has a Windows name.
std::string WindowsPathOf(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

// type DRIVE_NO_ROOT_DIR with no mount point removes the drive.
bool SendToMountManager(char letter, UINT type, const std::string& unixPath) {
  UnixDriveRequest request{};
  std::vector<char> buffer(sizeof request + (unixPath.empty() ? 0 : unixPath.size() + 1));
  request.size = static_cast<ULONG>(buffer.size());
  request.type = type;
  request.letter = static_cast<WCHAR>(std::tolower(static_cast<unsigned char>(letter)));
  if (!unixPath.empty()) {
    request.mountPointOffset = static_cast<USHORT>(sizeof request);
    std::memcpy(buffer.data() + sizeof request, unixPath.c_str(), unixPath.size() + 1);
  }
  std::memcpy(buffer.data(), &request, sizeof request);

  UniqueFileHandle manager(::CreateFileA(kMountManager, GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!manager) return false;
  DWORD returned = 0;
  return ::DeviceIoControl(manager.get(), kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                           0, &returned, nullptr) != 0;
}

}  // namespace

DriveView ReadDrive(char letter) {
  const std::string root = std::string(1, Upper(letter)) + ":\\";
  DriveView view;
  view.type = ::GetDriveTypeA(root.c_str());
  // Wide, and the label as UTF-8: a label in any script reads back as written.
  const std::wstring wideRoot(root.begin(), root.end());
  wchar_t label[MAX_PATH + 1] = {};
  DWORD serial = 0;
  view.readable = ::GetVolumeInformationW(wideRoot.c_str(), label, MAX_PATH + 1, &serial, nullptr, nullptr, nullptr,
                                          0) != 0;
  if (view.readable) {
    char utf8[4 * (MAX_PATH + 1)] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, label, -1, utf8, sizeof utf8, nullptr, nullptr);
    view.label = utf8;
    view.serial = serial;
  }
  return view;
}

bool WaitForDrive(char letter, const std::function<bool(const DriveView&)>& done,
                  std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done(ReadDrive(letter))) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    ::Sleep(static_cast<DWORD>(kPollInterval.count()));
  }
}

bool DefineCdromDrive(char letter, const std::string& unixPath, const std::string& label, DWORD serial) {
  letter = Upper(letter);
  if (!ValidLetter(letter) || unixPath.empty() || unixPath[0] != '/') return false;

  const std::string folder = WindowsPathOf(unixPath);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  char serialText[16];
  std::snprintf(serialText, sizeof serialText, "%08lX", static_cast<unsigned long>(serial));
  // The mount manager reads both files while it defines the drive, never later.
  if (!WriteTextFile(folder + "\\.windows-label", label) || !WriteTextFile(folder + "\\.windows-serial", serialText)) {
    return false;
  }
  if (!SendToMountManager(letter, DRIVE_CDROM, unixPath)) return false;
  return WaitForDrive(letter, [&](const DriveView& view) {
    return view.type == DRIVE_CDROM && view.readable && view.label == label && (serial == 0 || view.serial == serial);
  });
}

bool RemoveDrive(char letter) {
  letter = Upper(letter);
  if (!ValidLetter(letter)) return false;
  // Refused when the drive was not defined; what counts is that it is gone.
  SendToMountManager(letter, DRIVE_NO_ROOT_DIR, std::string());
  return WaitForDrive(letter, [](const DriveView& view) { return view.type == DRIVE_NO_ROOT_DIR; });
}

}  // namespace tarvelo::testing
