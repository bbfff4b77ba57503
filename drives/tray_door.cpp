#include "drives/tray_door.h"

#include <string>

#include "drives/drive_caption.h"

namespace tarvelo {

namespace {

void SetDoor(DriveIo& io, char letter, DWORD doorFlag) {
  const std::string element = DriveString(letter);
  MCI_OPEN_PARMSA open{};
  open.dwCallback = 0;
  open.lpstrDeviceType = "CDAudio";
  open.lpstrElementName = element.c_str();
  if (io.SendMciCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) != 0) {
    return;  // nothing was opened, so nothing is closed
  }
  // No wait flag: the call returns when the driver does. Whatever it answers,
  // the device is closed again so that nothing stays open between commands.
  io.SendMciCommand(open.wDeviceID, MCI_SET, doorFlag, 0);
  io.SendMciCommand(open.wDeviceID, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&open));
}

}  // namespace

void OpenDriveDoor(DriveIo& io, char letter) { SetDoor(io, letter, MCI_SET_DOOR_OPEN); }

void CloseDriveDoor(DriveIo& io, char letter) { SetDoor(io, letter, MCI_SET_DOOR_CLOSED); }

void OpenDefaultDoor(DriveIo& io, HWND callback) {
  io.SendMciString("Set cdaudio door open wait", nullptr, 0, callback);
}

void CloseDefaultDoor(DriveIo& io, HWND callback) {
  io.SendMciString("Set cdaudio door closed wait", nullptr, 0, callback);
}

}  // namespace tarvelo
