// Which drive letters are optical drives right now.
#ifndef TARVELO_DRIVES_DRIVE_TABLE_H
#define TARVELO_DRIVES_DRIVE_TABLE_H

#include <string>
#include <vector>

namespace tarvelo {

// Letters of the present drives whose type is DRIVE_CDROM, in ascending order.
// `typeQueryPath` turns a letter into the path handed to GetDriveTypeA.
std::vector<char> OpticalDriveLetters(std::string (*typeQueryPath)(char letter));

// The first of those, which is the one the system's default CD audio device
// moves unless the user chose another; 0 when there is none.
char FirstOpticalDriveLetter();

// Whether this letter ('A' to 'Z') is an optical drive right now.
bool IsOpticalDrive(char letter);

}  // namespace tarvelo

#endif
