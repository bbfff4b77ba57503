#include "ui/drive_menu.h"

#include <shellapi.h>

#include <string>
#include <utility>

#include "drives/drive_caption.h"
#include "drives/drive_table.h"
#include "drives/hddinfo.h"
#include "resources/resource_ids.h"

namespace tarvelo {

namespace {

// Tag values that mark a drive entry and its "Explore..." item.
constexpr int kDriveEntryTag = 3;
constexpr int kExploreItemTag = 2;

}  // namespace

DriveMenu::DriveMenu(TPopupMenu& menu, HWND window, UINT_PTR timerId, UINT interval)
    : menu_(menu), timer_(window, timerId, interval) {}

void DriveMenu::AppendEntries(Commands commands) {
  commands_ = std::move(commands);
  TMenuItem& root = menu_.Items();
  MenuItemOptions line;
  line.caption = "-";
  menu_.Add(root, std::move(line));
  for (char letter : OpticalDriveLetters(&DriveString)) {
    const std::string drive = DriveString(letter);
    MenuItemOptions entryOptions;
    entryOptions.caption = drive;
    entryOptions.hint = drive;
    entryOptions.tag = kDriveEntryTag;
    TMenuItem& entry = menu_.Add(root, std::move(entryOptions));
    // Each copy of the template takes run-time identifiers of its own.
    menu_.AddLayout(entry, ::GetModuleHandleA(nullptr), IDM_DRIVE_ENTRY,
                    [this](UINT templateId, MenuItemOptions& options) {
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
}

void DriveMenu::RefreshCaptions() {
  TMenuItem& root = menu_.Items();
  const std::size_t count = root.Count();
  for (std::size_t i = 0; i < count; ++i) {
    TMenuItem& item = root.Item(i);
    if (item.Tag != kDriveEntryTag || item.Hint.empty()) continue;
    VolumeInfo info;
    const bool answered = GetDriveVolumeInfo(item.Hint[0], info);
    item.SetCaption(DriveEntryCaption(item.Hint, answered, info.label));
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
  const std::string path = DriveRootPath(*letter);
  ::ShellExecuteA(owner, "open", path.c_str(), nullptr, "", SW_SHOW);
}

}  // namespace tarvelo
