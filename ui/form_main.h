// The main form: the front window of the skinned display, and the owner of
// every part of the program that lives as long as it does: the actions, the
// tray icon with its popup menu, the drive table in that menu, the picture
// buttons, the skin layers and the hotkeys. It routes the window's messages
// to those parts and runs the actions' handlers; the parts do their own work.
#ifndef TARVELO_UI_FORM_MAIN_H
#define TARVELO_UI_FORM_MAIN_H

#include <windows.h>

#include <memory>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/command_queue.h"
#include "app/handles.h"
#include "app/window.h"
#include "drives/drive_io.h"
#include "drives/drive_worker.h"
#include "settings/hotkeys.h"
#include "ui/action_list.h"
#include "ui/tray/drive_menu.h"
#include "ui/tray/menu_theme.h"
#include "ui/pictures/picture_buttons.h"
#include "ui/tray/popup_menu.h"
#include "ui/skin/skin_layers.h"
#include "ui/tray/tray_icon.h"

namespace tarvelo {

class TfrmMain : public Window {
 public:
  static constexpr DWORD kFadeDuration = 800;

  // Creates the components (window, tray icon, menu, drive timer) and runs
  // FormCreate. An error while creating the components propagates; an error
  // inside FormCreate is shown in the error box and skips its remaining steps.
  // `drives` is what reaches the optical drives (MCI, locks, volume queries,
  // Explore); the form's drive worker makes those calls off its thread.
  explicit TfrmMain(TApplication& application, DriveIo& drives = SystemDriveIo());
  ~TfrmMain() override;

  // The named commands of the tray menu, the picture buttons and the hotkeys.
  TActionList ActionList;
  TAction& acFormAbout = ActionList.Add("acFormAbout", ResourceText(IDS_ACFORMABOUT));
  TAction& acAutoHide = ActionList.Add("acAutoHide", ResourceText(IDS_ACAUTOHIDE));
  TAction& acAutoStart = ActionList.Add("acAutoStart", ResourceText(IDS_ACAUTOSTART));
  TAction& acBlockAll = ActionList.Add("acBlockAll", ResourceText(IDS_ACBLOCKALL));
  TAction& acExit = ActionList.Add("acExit", ResourceText(IDS_ACEXIT));
  TAction& acDefautCDOpen = ActionList.Add("acDefautCDOpen", ResourceText(IDS_ACDEFAUTCDOPEN));
  TAction& acDefaultCDClose = ActionList.Add("acDefaultCDClose", ResourceText(IDS_ACDEFAULTCDCLOSE));
  TAction& acHide = ActionList.Add("acHide", ResourceText(IDS_ACHIDE));
  TAction& acShow = ActionList.Add("acShow", ResourceText(IDS_ACSHOW));
  TAction& acPNGOnMouseMove = ActionList.Add("acPNGOnMouseMove", ResourceText(IDS_ACPNGONMOUSEMOVE));

  // 1 while the window is shown, 0 after it was hidden.
  int Tag() const noexcept { return tag_; }
  // Whether FormCreate has run to its end (or failed): commands that need the
  // skin window are ignored until then.
  bool StartupFinished() const noexcept { return startupFinished_; }
  // The two settings as read at start-up and switched since.
  bool AutoStart() const noexcept { return FAutoStart; }
  bool AutoHide() const noexcept { return FAutoHide; }

  TPopupMenu& PopupMenuTray() noexcept { return popupMenuTray_; }
  MenuTheme& PopupMenuTheme() noexcept { return menuTheme_; }
  TTrayIcon& TrayIcon() noexcept { return *trayIcon_; }
  SkinLayers& Skin() noexcept { return *skin_; }
  PictureButtons& Buttons() noexcept { return *buttons_; }
  DriveWorker& DriveWork() noexcept { return *driveWorker_; }

  // A command given on the command line, to this copy at its start or to
  // the running one by a second start: queued like a hotkey, and run after
  // what came before it. Returns whether it was taken: a tray command for a
  // letter that is no optical drive now is refused.
  bool TakeCommand(const RemoteCommand& command);

  // Handlers that run from outside the form's own messages as well.
  void acHideExecute();
  void acShowExecute();
  // A press on the background of this window or of PNGForm, at a point of
  // its client area.
  void FormMouseDown(MouseButton button, POINT client);
  // The drive timer's tick: the drive entries' captions follow the discs,
  // and the skin window a work area that changed without a message.
  void TimerCheckTimer();
  // Draws what the window shows: the white (see-through) background and the
  // picture buttons. Used for painting and for the snapshots of fades.
  void PaintClient(HDC dc);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateComponents();
  void BindActions();
  void FormCreate();
  void FormDestroy() noexcept;
  void FormShow();
  // Whether an item was chosen.
  bool PopupAt(HWND owner, POINT screen);
  // Enter or Space on the tray icon.
  void KeySelect();
  // The icon drawn for the notification area's scale.
  UniqueHIcon LoadTrayImage() const;
  // The window's scale changed: skin, pictures and the tray icon follow.
  void WMDpiChanged(UINT dpi, const RECT& suggested);

  static bool Accepts(const RemoteCommand& command);
  void QueueCommand(const RemoteCommand& command);
  void RunCommand(const RemoteCommand& command);
  LRESULT WMCopyData(const COPYDATASTRUCT* data);
  void OpenDrive(char letter);
  void CloseDrive(char letter);

  void ExploreMenuItem(TMenuItem& sender);
  void OpenMenuItem(TMenuItem& sender);
  void CloseMenuItem(TMenuItem& sender);
  void WMHotKey(WPARAM id);

  void acExitExecute();
  void acFormAboutExecute();
  void acDefautCDOpenExecute();
  void acDefaultCDCloseExecute();
  void acBlockAllExecute();
  void acAutoStartExecute();
  void acAutoHideExecute();
  void acAutoStartUpdate();
  void acAutoHideUpdate();
  void acPNGOnMouseMoveExecute();
  // A lock left on when the program ends would outlive it, and the next
  // start (unchecked) could never release it: release what "Block All" holds.
  void ReleaseEjectionLocks();

  // A handler of the form as a callback, and the same run through the
  // command queue: one type each for every handler, so that the function
  // wrappers holding them share one implementation instead of one per lambda.
  struct Handler {
    TfrmMain* form;
    void (TfrmMain::*run)();
    void operator()() const { (form->*run)(); }
  };
  struct QueuedHandler {
    TfrmMain* form;
    void (TfrmMain::*run)();
    void operator()() const { form->commands_.Submit(Handler{form, run}); }
  };
  struct ItemHandler {
    TfrmMain* form;
    void (TfrmMain::*run)(TMenuItem&);
    void operator()(TMenuItem& item) const { (form->*run)(item); }
  };
  struct ActionRun {
    TAction* action;
    void operator()() const { action->Execute(); }
  };
  QueuedHandler Queued(void (TfrmMain::*run)()) { return QueuedHandler{this, run}; }

  TApplication& application_;
  DriveIo& drives_;
  // Menu choices, hotkeys, clicks and the tray's double-click run through
  // here: one at a time, in arrival order, none lost while a fade, a drag or
  // start-up runs.
  CommandQueue commands_{[](const std::exception* error) {
    ShowErrorBox(error ? *error : Failure(ResourceText(IDS_UNKNOWN_ERROR)));
  }};
  int tag_ = 1;
  bool startupFinished_ = false;
  bool FAutoStart = false;
  bool FAutoHide = false;
  // The keyboard selection's show, so that one press shows once.
  bool keySelectPending_ = false;
  bool keySelectShown_ = false;
  DWORD keySelectShownAt_ = 0;
  TPopupMenu popupMenuTray_;
  // The menu's colours follow Windows' dark or light mode.
  MenuTheme menuTheme_;
  UniqueHIcon trayImage_;
  std::unique_ptr<TTrayIcon> trayIcon_;
  std::unique_ptr<DriveWorker> driveWorker_;
  std::unique_ptr<DriveMenu> driveMenu_;
  std::unique_ptr<PictureButtons> buttons_;
  std::unique_ptr<SkinLayers> skin_;
  std::unique_ptr<GlobalHotKeys> hotKeys_;
};

}  // namespace tarvelo

#endif
