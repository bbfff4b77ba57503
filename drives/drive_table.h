// Which drive letters are optical drives right now.
#ifndef TARVELO_DRIVES_DRIVE_TABLE_H
#define TARVELO_DRIVES_DRIVE_TABLE_H

#include <string>
#include <vector>

namespace tarvelo {

// Letters of the present drives whose type is DRIVE_CDROM, in ascending order.
// `typeQueryPath` turns a letter into the path handed to GetDriveTypeA.
std::vector<char> OpticalDriveLetters(std::string (*typeQueryPath)(char letter));

}  // namespace tarvelo

#endif
