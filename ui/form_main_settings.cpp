// The main form's settings commands and its global hotkeys.
#include "settings/hotkeys.h"
#include "settings/settings.h"
#include "ui/form_main.h"

namespace tarvelo {

// The marks follow a switch at once, not only the next time the Tools
// submenu opens. A refused write leaves the setting, and so its mark, as it was.
void TfrmMain::acAutoStartExecute() {
  SwitchAutoStart(FAutoStart);
  acAutoStart.Update();
  PopupMenuTray.SyncCheckMarks();
}

void TfrmMain::acAutoHideExecute() {
  SwitchAutoHide(FAutoHide);
  acAutoHide.Update();
  PopupMenuTray.SyncCheckMarks();
}

void TfrmMain::acAutoStartUpdate() {
  acAutoStart.Enabled = true;
  acAutoStart.Checked = FAutoStart;
}

void TfrmMain::acAutoHideUpdate() {
  acAutoHide.Enabled = true;
  acAutoHide.Checked = FAutoHide;
}

void TfrmMain::WMHotKey(WPARAM id) {
  // A failure box during start-up dispatches messages, and hide and show
  // need the skin window, which is not built yet.
  if (!StartupFinished()) return;
  if (TAction* action = HotKeyAction(id, {&acDefautCDOpen, &acDefaultCDClose, &acHide, &acShow})) {
    action->Execute();
  }
}

}  // namespace tarvelo
