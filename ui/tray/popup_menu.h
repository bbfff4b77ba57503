// The tray popup menu: a tree of items that keep their designer properties
// (name, Tag, Hint, visibility, bound action, click handler) beside the live
// Windows menu, which holds the visible items only.
#ifndef TARVELO_UI_POPUP_MENU_H
#define TARVELO_UI_POPUP_MENU_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/handles.h"
#include "ui/action_list.h"

namespace tarvelo {

class TPopupMenu;

class TMenuItem {
 public:
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  std::string Name;
  std::string Hint;
  int Tag = 0;
  std::function<void(TMenuItem& sender)> OnClick;

  // The caption as given, or the bound action's. "-" makes a separator line.
  const std::string& Caption() const;
  // Changes the text the menu shows; the same text again changes nothing.
  void SetCaption(const std::string& caption);
  // Whether the designer made it visible; a visible line may still be left
  // out of the menu the user sees (see TPopupMenu).
  bool Visible() const noexcept { return visible_; }
  bool Checked() const;
  TAction* Action() const noexcept { return action_; }
  UINT Command() const noexcept { return command_; }
  TMenuItem* Parent() const noexcept { return parent_; }
  std::size_t Count() const noexcept { return items_.size(); }
  TMenuItem& Item(std::size_t index) const { return *items_.at(index); }
  // The Windows menu of this item's children; null while it has none.
  HMENU SubMenuHandle() const noexcept { return subMenu_; }

  // What a click on the item does: execute the bound action, or run OnClick.
  void Click();

 private:
  friend class TPopupMenu;
  TMenuItem(TPopupMenu& menu, TMenuItem* parent, UINT command) : menu_(menu), parent_(parent), command_(command) {}

  TPopupMenu& menu_;
  TMenuItem* parent_;
  UINT command_;
  std::string caption_;
  bool visible_ = true;
  bool shown_ = false;  // in its parent's Windows menu now
  TAction* action_ = nullptr;
  HMENU subMenu_ = nullptr;  // owned by the Windows menu it is attached to
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

struct MenuItemOptions {
  std::string name;
  std::string caption;  // ignored when an action is bound
  TAction* action = nullptr;
  bool visible = true;
  int tag = 0;
  std::string hint;
  std::function<void(TMenuItem&)> onClick;
  UINT command = 0;  // 0: take the next free run-time identifier
};

class TPopupMenu {
 public:
  TPopupMenu();

  TMenuItem& Items() noexcept { return root_; }
  HMENU Handle() const noexcept { return handle_.get(); }

  // Appends an item to `parent`'s children; a visible one shows in the menu.
  // The menu shows no line first, last or right after another line.
  TMenuItem& Add(TMenuItem& parent, MenuItemOptions options);
  // The same at `index` among the children.
  TMenuItem& Insert(TMenuItem& parent, std::size_t index, MenuItemOptions options);
  // Appends to `parent` the items of a MENUEX template (its first popup's,
  // in order, with their submenus). Each takes its template identifier as
  // its command unless `describe`, which sees the identifier and the
  // template's text first, sets another (0: a run-time one); `describe` also
  // gives names, actions, visibility, tags and click handlers.
  void AddLayout(TMenuItem& parent, HINSTANCE instance, UINT resourceId,
                 const std::function<void(UINT templateId, MenuItemOptions& options)>& describe);

  TMenuItem* FindByCommand(UINT command);
  TMenuItem* FindByName(const std::string& name);

  // Runs the update handlers of the bound actions in `subMenu` and shows their
  // check marks: called when a (sub)menu is about to open.
  void PrepareSubMenu(HMENU subMenu);
  // Shows every bound action's current check mark without running updates.
  void SyncCheckMarks();

  // Shows the menu at a screen position for `owner` (which must be the
  // foreground window) and returns the chosen item, or null; the caller
  // runs its Click when it sees fit.
  TMenuItem* Popup(HWND owner, int x, int y);

 private:
  friend class TMenuItem;
  void SetItemText(const TMenuItem& item);
  void SetItemCheck(const TMenuItem& item);
  // Where the shown item stands in its parent's Windows menu.
  bool Locate(const TMenuItem& item, HMENU& menu, UINT& position) const;
  // Brings the parent's Windows menu in line with its children.
  void ShowTidily(TMenuItem& parent);
  void ShowItem(TMenuItem& item, UINT position);
  void LoadLevel(HMENU source, TMenuItem& parent,
                 const std::function<void(UINT command, MenuItemOptions& options)>& describe);
  TMenuItem* Find(TMenuItem& from, const std::function<bool(const TMenuItem&)>& match);

  UniqueHMenu handle_;
  TMenuItem root_;
  UINT nextCommand_;
};

}  // namespace tarvelo

#endif
