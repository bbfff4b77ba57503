#include "ui/tray/drive_menu.h"

#include <string>
#include <utility>

#include "app/utf8.h"
#include "drives/drive_caption.h"
#include "drives/drive_table.h"
#include "drives/hddinfo.h"
#include "resources/resource_ids.h"

namespace tarvelo {

namespace {

// Tag values that mark a drive entry and its "Explore..." item.
constexpr int kDriveEntryTag = 3;
constexpr int kExploreItemTag = 2;

// The drive letter of a drive entry, from its Hint; none for any other item.
std::optional<char> EntryLetter(const TMenuItem& item) {
  if (item.Tag != kDriveEntryTag || item.Hint.empty()) return std::nullopt;
  return item.Hint[0];
}

}  // namespace

DriveMenu::DriveMenu(TPopupMenu& menu, DriveWorker& drives, HWND window, UINT_PTR timerId, UINT interval)
    : menu_(menu), drives_(drives), timer_(window, timerId, interval) {}

void DriveMenu::AppendEntries(Commands commands) {
  commands_ = std::move(commands);
  MenuItemOptions line;
  line.caption = "-";
  line_ = &menu_.Add(menu_.Items(), std::move(line));
  knownDrives_ = ::GetLogicalDrives();
  for (char letter : OpticalDriveLetters(&DriveString)) AddEntry(letter);
}

void DriveMenu::AddEntry(char letter) {
  TMenuItem& root = menu_.Items();
  // In letter order among the entries, below the separator.
  std::size_t index = 0;
  for (std::size_t i = 0; i < root.Count(); ++i) {
    const TMenuItem& item = root.Item(i);
    if (&item == line_) index = i + 1;
    const std::optional<char> entryLetter = EntryLetter(item);
    if (!entryLetter) continue;
    if (*entryLetter > letter) break;
    index = i + 1;
  }

  const std::string drive = DriveString(letter);
  MenuItemOptions entryOptions;
  entryOptions.caption = drive;
  entryOptions.hint = drive;
  entryOptions.tag = kDriveEntryTag;
  TMenuItem& entry = menu_.Insert(root, index, std::move(entryOptions));
  // Each copy of the template takes run-time identifiers of its own.
  menu_.AddLayout(entry, ::GetModuleHandleW(nullptr), IDM_DRIVE_ENTRY, [this](UINT templateId, MenuItemOptions& options) {
    options.command = 0;
    switch (templateId) {
      case IDC_DRIVE_EXPLORE:
        options.tag = kExploreItemTag;
        options.onClick = commands_.explore;
        break;
      case IDC_DRIVE_OPEN:
        options.onClick = commands_.open;
        break;
      case IDC_DRIVE_CLOSE:
        options.onClick = commands_.close;
        break;
      default:
        break;
    }
  });
}

void DriveMenu::AddNewDrives() {
  // The set of letters is one cheap call; the drives' types are only asked
  // for when it has changed.
  const DWORD drives = ::GetLogicalDrives();
  if (!line_ || drives == knownDrives_) return;
  knownDrives_ = drives;
  for (char letter : OpticalDriveLetters(&DriveString)) {
    bool listed = false;
    const TMenuItem& root = menu_.Items();
    for (std::size_t i = 0; i < root.Count() && !listed; ++i) {
      listed = EntryLetter(root.Item(i)) == letter;
    }
    if (!listed) AddEntry(letter);
  }
}

void DriveMenu::RefreshCaptions() {
  AddNewDrives();
  TMenuItem& root = menu_.Items();
  const std::size_t count = root.Count();
  for (std::size_t i = 0; i < count; ++i) {
    TMenuItem& item = root.Item(i);
    const std::optional<char> letter = EntryLetter(item);
    if (!letter) continue;
    // Entries are never removed, so the item is still there when the answer comes.
    TMenuItem* entry = &item;
    drives_.QueryVolume(*letter, [entry](bool answered, const VolumeInfo& info) {
      entry->SetCaption(DriveEntryCaption(entry->Hint, answered, info.label));
    });
  }
}

std::optional<char> DriveMenu::LetterOf(const TMenuItem& subItem) {
  const TMenuItem* entry = subItem.Parent();
  if (!entry || entry->Hint.empty()) return std::nullopt;
  return entry->Hint[0];
}

void DriveMenu::Explore(const TMenuItem& subItem, HWND owner) {
  const std::optional<char> letter = LetterOf(subItem);
  if (!letter) return;
  drives_.Command(*letter, [owner, path = Widen(DriveRootPath(*letter))](DriveIo& io) {
    io.ShellOpen(owner, L"open", path.c_str(), nullptr, L"", SW_SHOW);
  });
}

}  // namespace tarvelo
