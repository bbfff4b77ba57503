// The main form's drive commands: per-drive trays from the drive entries,
// the default drive's tray, and the ejection lock.
#include "drives/ejection_lock.h"
#include "drives/tray_door.h"
#include "ui/form_main.h"

namespace tarvelo {

namespace {

// The drive a sub-item of a drive entry addresses: the entry's Hint, never its
// caption, which carries the volume label.
bool DriveLetterOf(const TMenuItem& sender, char& letter) {
  const TMenuItem* entry = sender.Parent();
  if (!entry || entry->Hint.empty()) return false;
  letter = entry->Hint[0];
  return true;
}

}  // namespace

void TfrmMain::OpenMenuItem(TMenuItem& sender) {
  char letter;
  if (DriveLetterOf(sender, letter)) OpenDriveDoor(drives_, letter);
}

void TfrmMain::CloseMenuItem(TMenuItem& sender) {
  char letter;
  if (DriveLetterOf(sender, letter)) CloseDriveDoor(drives_, letter);
}

void TfrmMain::acDefautCDOpenExecute() {
  if (acBlockAll.Checked) return;
  OpenDefaultDoor(drives_, Handle());
}

void TfrmMain::acDefaultCDCloseExecute() {
  if (acBlockAll.Checked) return;
  CloseDefaultDoor(drives_, Handle());
}

void TfrmMain::acBlockAllExecute() {
  acBlockAll.Checked = !acBlockAll.Checked;
  PopupMenuTray.SyncCheckMarks();
  SetMediaRemovalLockOnAllOpticalDrives(drives_, acBlockAll.Checked);
}

void TfrmMain::ReleaseEjectionLocks() {
  if (!acBlockAll.Checked) return;
  acBlockAll.Checked = false;
  SetMediaRemovalLockOnAllOpticalDrives(drives_, false);
}

}  // namespace tarvelo
