#include "drives/drive_table.h"

#include <windows.h>

#include "app/utf8.h"
#include "drives/drive_caption.h"

namespace tarvelo {

std::vector<char> OpticalDriveLetters(std::string (*typeQueryPath)(char letter)) {
  std::vector<char> letters;
  const DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (DWORD{1} << i))) continue;
    const char letter = static_cast<char>('A' + i);
    if (::GetDriveTypeW(Widen(typeQueryPath(letter)).c_str()) == DRIVE_CDROM) letters.push_back(letter);
  }
  return letters;
}

char FirstOpticalDriveLetter() {
  const std::vector<char> letters = OpticalDriveLetters(&DriveRootPath);
  return letters.empty() ? '\0' : letters.front();
}

bool IsOpticalDrive(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  return ::GetDriveTypeW(root) == DRIVE_CDROM;
}

}  // namespace tarvelo
