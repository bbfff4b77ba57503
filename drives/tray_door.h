// Moving the trays of optical drives through MCI.
#ifndef TARVELO_DRIVES_TRAY_DOOR_H
#define TARVELO_DRIVES_TRAY_DOOR_H

#include <windows.h>

#include "drives/drive_io.h"

namespace tarvelo {

// Opens or closes the tray of one drive, whatever the default CD audio device
// is: an MCI CD audio device is opened on the drive for the one command.
void OpenDriveDoor(DriveIo& io, char letter);
void CloseDriveDoor(DriveIo& io, char letter);

// Opens or closes the tray of the system's default CD audio device, waiting
// until it has moved. `callback` is the window MCI reports to.
void OpenDefaultDoor(DriveIo& io, HWND callback);
void CloseDefaultDoor(DriveIo& io, HWND callback);

}  // namespace tarvelo

#endif
