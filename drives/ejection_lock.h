// Locking and releasing the eject buttons of optical drives through the
// storage driver's media-removal control.
#ifndef TARVELO_DRIVES_EJECTION_LOCK_H
#define TARVELO_DRIVES_EJECTION_LOCK_H

#include "drives/drive_io.h"
#include "drives/drive_worker.h"

namespace tarvelo {

// Sends one lock (prevent) or release request to the volume of `letter`.
// A volume that cannot be opened or a driver that refuses is silently skipped.
void SetMediaRemovalLock(DriveIo& io, char letter, bool prevent);

// Gives every optical drive present now, in letter order, the request as a
// command of its own lane: after the drive's earlier commands, before its later ones.
void SetMediaRemovalLockOnAllOpticalDrives(DriveWorker& worker, bool prevent);

}  // namespace tarvelo

#endif
