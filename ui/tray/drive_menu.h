// The tray menu's table of optical drives: below a separator, one entry per
// drive in letter order, each with the submenu "Explore...", a line, "Open"
// and "Close", captioned with the drive and its disc's label once a second.
// A drive that appears later (a USB drive plugged in, a virtual drive
// mounted) gets its entry at the next tick; one that goes keeps its entry.
// The entries are the only record of the drives: every per-drive command
// takes its letter from the entry that holds the chosen sub-item. What reaches
// a drive (the label queries, Explore) goes through the drive worker, and a
// caption changes when its drive's answer comes back.
#ifndef TARVELO_UI_DRIVE_MENU_H
#define TARVELO_UI_DRIVE_MENU_H

#include <windows.h>

#include <functional>
#include <optional>

#include "app/handles.h"
#include "drives/drive_worker.h"
#include "ui/tray/popup_menu.h"

namespace tarvelo {

class DriveMenu {
 public:
  // What the sub-items of an entry run; each receives the chosen sub-item.
  struct Commands {
    std::function<void(TMenuItem&)> explore;
    std::function<void(TMenuItem&)> open;
    std::function<void(TMenuItem&)> close;
  };

  // The caption refresh ticks on `window` (WM_TIMER with `timerId`) from now
  // on; it finds nothing to do until the entries are appended.
  DriveMenu(TPopupMenu& menu, DriveWorker& drives, HWND window, UINT_PTR timerId, UINT interval);
  DriveMenu(const DriveMenu&) = delete;
  DriveMenu& operator=(const DriveMenu&) = delete;

  // Appends the separator and one entry per optical drive present now.
  void AppendEntries(Commands commands);
  // Adds the entries of optical drives that appeared since the last tick,
  // then asks every entry's drive for its volume, unless its last query is
  // still unanswered; the answer gives the entry its drive string and the
  // label of the disc in it, or the bare drive string while no disc is readable.
  void RefreshCaptions();

  // The letter of the drive that a sub-item of an entry addresses: the
  // entry's Hint, never its caption, which carries the label.
  static std::optional<char> LetterOf(const TMenuItem& subItem);
  // Opens the drive's root folder in the shell, owned by `owner`, as a
  // command of the drive's lane.
  void Explore(const TMenuItem& subItem, HWND owner);

 private:
  void AddEntry(char letter);
  void AddNewDrives();

  TPopupMenu& menu_;
  DriveWorker& drives_;
  ScopedTimer timer_;
  Commands commands_;
  TMenuItem* line_ = nullptr;  // the separator above the entries, once appended
  DWORD knownDrives_ = 0;      // the logical drives when last looked at
};

}  // namespace tarvelo

#endif
