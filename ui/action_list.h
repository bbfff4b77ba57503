// Named commands shared by the tray menu, the picture buttons and the hotkeys.
// Executing an action runs its update handler first and then, if the action is
// enabled, its execute handler; menu items bound to it show its caption and
// its check mark.
#ifndef TARVELO_UI_ACTION_LIST_H
#define TARVELO_UI_ACTION_LIST_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvelo {

class TAction {
 public:
  TAction(std::string name, std::string caption) : Name(std::move(name)), Caption(std::move(caption)) {}

  const std::string Name;
  const std::string Caption;
  bool Enabled = true;
  bool Checked = false;
  std::function<void()> OnExecute;
  std::function<void()> OnUpdate;

  void Update() {
    if (OnUpdate) OnUpdate();
  }
  // Returns whether the execute handler ran.
  bool Execute() {
    Update();
    if (!Enabled || !OnExecute) return false;
    OnExecute();
    return true;
  }
};

class TActionList {
 public:
  TAction& Add(std::string name, std::string caption) {
    actions_.push_back(std::make_unique<TAction>(std::move(name), std::move(caption)));
    return *actions_.back();
  }
  TAction* Find(const std::string& name) const {
    for (const auto& action : actions_) {
      if (action->Name == name) return action.get();
    }
    return nullptr;
  }
  const std::vector<std::unique_ptr<TAction>>& Actions() const noexcept { return actions_; }

 private:
  std::vector<std::unique_ptr<TAction>> actions_;
};

}  // namespace tarvelo

#endif
