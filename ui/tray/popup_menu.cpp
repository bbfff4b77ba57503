#include "ui/tray/popup_menu.h"

#include <algorithm>
#include <iterator>

#include "app/errors.h"
#include "app/utf8.h"
#include "resources/resource_ids.h"

namespace tarvelo {

namespace {

bool IsLine(const std::string& caption) { return caption == "-"; }

}  // namespace

const std::string& TMenuItem::Caption() const { return action_ ? action_->Caption : caption_; }

void TMenuItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  menu_.SetItemText(*this);
}

bool TMenuItem::Checked() const { return action_ && action_->Checked; }

void TMenuItem::Click() {
  if (action_) {
    action_->Execute();
    menu_.SyncCheckMarks();
  } else if (OnClick) {
    OnClick(*this);
  }
}

TPopupMenu::TPopupMenu() : handle_(::CreatePopupMenu()), root_(*this, nullptr, 0), nextCommand_(IDC_DYNAMIC_FIRST) {
  if (!handle_) throw OutOfResourcesError(IDS_MENU_FAILED);
  root_.subMenu_ = handle_.get();
  root_.shown_ = true;
}

TMenuItem& TPopupMenu::Add(TMenuItem& parent, MenuItemOptions options) {
  return Insert(parent, parent.items_.size(), std::move(options));
}

TMenuItem& TPopupMenu::Insert(TMenuItem& parent, std::size_t index, MenuItemOptions options) {
  const UINT command = options.command ? options.command : nextCommand_++;
  std::unique_ptr<TMenuItem> owned(new TMenuItem(*this, &parent, command));
  TMenuItem& item = *owned;
  item.Name = std::move(options.name);
  item.Hint = std::move(options.hint);
  item.Tag = options.tag;
  item.OnClick = std::move(options.onClick);
  item.caption_ = std::move(options.caption);
  item.action_ = options.action;
  item.visible_ = options.visible;
  parent.items_.insert(parent.items_.begin() + static_cast<std::ptrdiff_t>(std::min(index, parent.items_.size())),
                       std::move(owned));
  ShowTidily(parent);
  return item;
}

// A line is only shown between two groups of items: never first, never
// last, never right after another line. The lines stay in the model, with
// their names, whether shown or not.
void TPopupMenu::ShowTidily(TMenuItem& parent) {
  if (!parent.shown_) return;
  std::vector<bool> wanted(parent.items_.size(), false);
  bool afterItem = false;
  for (std::size_t i = 0; i < parent.items_.size(); ++i) {
    const TMenuItem& child = *parent.items_[i];
    if (!child.visible_) continue;
    const bool line = IsLine(child.Caption());
    wanted[i] = !line || afterItem;
    afterItem = !line;
  }
  for (std::size_t i = parent.items_.size(); i-- > 0;) {
    if (!wanted[i]) continue;
    if (!IsLine(parent.items_[i]->Caption())) break;
    wanted[i] = false;
  }

  UINT position = 0;
  for (std::size_t i = 0; i < parent.items_.size(); ++i) {
    TMenuItem& child = *parent.items_[i];
    if (wanted[i] && !child.shown_) {
      ShowItem(child, position);
    } else if (!wanted[i] && child.shown_) {
      ::RemoveMenu(parent.subMenu_, position, MF_BYPOSITION);
      child.shown_ = false;
      child.subMenu_ = nullptr;  // a line has none; hidden items keep no menu
    }
    if (child.shown_) ++position;
  }
}

void TPopupMenu::ShowItem(TMenuItem& item, UINT position) {
  TMenuItem& parent = *item.parent_;
  if (!parent.subMenu_) {
    // The parent becomes a submenu item now that it has its first child.
    HMENU sub = ::CreatePopupMenu();
    if (!sub) throw OutOfResourcesError(IDS_MENU_FAILED);
    HMENU where;
    UINT at;
    if (!Locate(parent, where, at)) {
      ::DestroyMenu(sub);
      throw Failure("menu item is not in its menu");
    }
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = sub;
    ::SetMenuItemInfoA(where, at, TRUE, &info);
    parent.subMenu_ = sub;
  }
  // Captions are UTF-8 (a disc label may be in any script): the wide call
  // keeps every character.
  std::wstring text = Widen(item.Caption());
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE;
  info.wID = item.command_;
  info.fState = item.Checked() ? MFS_CHECKED : MFS_UNCHECKED;
  if (IsLine(item.Caption())) {
    info.fType = MFT_SEPARATOR;
  } else {
    info.fType = MFT_STRING;
    info.fMask |= MIIM_STRING;
    info.dwTypeData = text.data();
  }
  if (!::InsertMenuItemW(parent.subMenu_, position, TRUE, &info)) throw OutOfResourcesError(IDS_MENU_FAILED);
  item.shown_ = true;
}

void TPopupMenu::AddLayout(TMenuItem& parent, HINSTANCE instance, UINT resourceId,
                           const std::function<void(UINT templateId, MenuItemOptions& options)>& describe) {
  UniqueHMenu loaded(::LoadMenuA(instance, MAKEINTRESOURCEA(resourceId)));
  HMENU popup = loaded ? ::GetSubMenu(loaded.get(), 0) : nullptr;
  if (!popup) throw OutOfResourcesError(IDS_MENU_FAILED);
  LoadLevel(popup, parent, describe);
}

void TPopupMenu::LoadLevel(HMENU source, TMenuItem& parent,
                           const std::function<void(UINT command, MenuItemOptions& options)>& describe) {
  const int count = ::GetMenuItemCount(source);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text) - 1);
    if (!::GetMenuItemInfoW(source, static_cast<UINT>(i), TRUE, &info)) continue;

    MenuItemOptions options;
    options.command = info.wID;
    options.caption = (info.fType & MFT_SEPARATOR) ? "-" : Narrow(text);
    describe(info.wID, options);
    TMenuItem& item = Add(parent, std::move(options));
    if (info.hSubMenu) LoadLevel(info.hSubMenu, item, describe);
  }
}

TMenuItem* TPopupMenu::Find(TMenuItem& from, const std::function<bool(const TMenuItem&)>& match) {
  for (auto& child : from.items_) {
    if (match(*child)) return child.get();
    if (TMenuItem* found = Find(*child, match)) return found;
  }
  return nullptr;
}

TMenuItem* TPopupMenu::FindByCommand(UINT command) {
  return Find(root_, [command](const TMenuItem& item) { return item.command_ == command; });
}

TMenuItem* TPopupMenu::FindByName(const std::string& name) {
  return Find(root_, [&name](const TMenuItem& item) { return item.Name == name; });
}

bool TPopupMenu::Locate(const TMenuItem& item, HMENU& menu, UINT& position) const {
  const TMenuItem* parent = item.parent_;
  if (!parent || !item.shown_ || !parent->subMenu_) return false;
  UINT shownIndex = 0;
  for (const auto& sibling : parent->items_) {
    if (sibling.get() == &item) {
      menu = parent->subMenu_;
      position = shownIndex;
      return true;
    }
    shownIndex += sibling->shown_ ? 1 : 0;
  }
  return false;
}

void TPopupMenu::SetItemText(const TMenuItem& item) {
  HMENU menu;
  UINT position;
  if (!Locate(item, menu, position)) return;
  std::wstring text = Widen(item.Caption());
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  ::SetMenuItemInfoW(menu, position, TRUE, &info);
}

void TPopupMenu::SetItemCheck(const TMenuItem& item) {
  HMENU menu;
  UINT position;
  if (!Locate(item, menu, position)) return;
  ::CheckMenuItem(menu, position, MF_BYPOSITION | (item.Checked() ? MF_CHECKED : MF_UNCHECKED));
}

void TPopupMenu::PrepareSubMenu(HMENU subMenu) {
  TMenuItem* owner = subMenu == root_.subMenu_
                         ? &root_
                         : Find(root_, [subMenu](const TMenuItem& item) { return item.subMenu_ == subMenu; });
  if (!owner) return;
  for (auto& child : owner->items_) {
    if (child->action_) child->action_->Update();
  }
  SyncCheckMarks();
}

void TPopupMenu::SyncCheckMarks() {
  Find(root_, [this](const TMenuItem& item) {
    if (item.action_) SetItemCheck(item);
    return false;
  });
}

TMenuItem* TPopupMenu::Popup(HWND owner, int x, int y) {
  const UINT command = static_cast<UINT>(
      ::TrackPopupMenu(handle_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
  // Lets the menu close properly when the owner is not a visible window.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  return command == 0 ? nullptr : FindByCommand(command);
}

}  // namespace tarvelo
