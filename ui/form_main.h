// The main form: the skinned window's front layer with the picture buttons,
// and the owner of every component of the program: the actions, the tray
// icon with its popup menu, and the one-second drive timer.
#ifndef TARVELO_UI_FORM_MAIN_H
#define TARVELO_UI_FORM_MAIN_H

#include <windows.h>

#include <memory>
#include <string>

#include "app/application.h"
#include "app/handles.h"
#include "app/window.h"
#include "drives/drive_io.h"
#include "resources/resource_ids.h"
#include "ui/action_list.h"
#include "ui/image_control.h"
#include "ui/image_list.h"
#include "ui/popup_menu.h"
#include "ui/skin_image.h"
#include "ui/skin_window.h"
#include "ui/tray_icon.h"

namespace tarvelo {

class TfrmMain : public Window {
 public:
  static constexpr const char* kClassName = "TfrmMain";
  // Designed client size and position; the skin replaces the size.
  static constexpr int kDesignWidth = 251;
  static constexpr int kDesignHeight = 215;
  static constexpr int kDesignLeft = 0;
  static constexpr int kDesignTop = 652;
  static constexpr UINT_PTR kTimerCheckId = 1;
  static constexpr UINT kTimerCheckInterval = 1000;

  // Creates the components (window, tray icon, menu, timer) and runs
  // FormCreate. An error while creating the components propagates; an error
  // inside FormCreate is shown in the error box and skips its remaining steps.
  // `drives` is what reaches the optical drives' MCI and lock controls.
  explicit TfrmMain(TApplication& application, DriveIo& drives = SystemDriveIo());
  ~TfrmMain() override;

  // 1 while the window is shown, 0 after it was hidden.
  int Tag = 1;

  TActionList ActionList;
  TAction& acFormAbout = ActionList.Add("acFormAbout", "About...");
  TAction& acAutoHide = ActionList.Add("acAutoHide", "Hide On Start");
  TAction& acAutoStart = ActionList.Add("acAutoStart", "Autostart");
  TAction& acBlockAll = ActionList.Add("acBlockAll", "Block All");
  TAction& acExit = ActionList.Add("acExit", "Exit");
  TAction& acDefautCDOpen = ActionList.Add("acDefautCDOpen", "Open");
  TAction& acDefaultCDClose = ActionList.Add("acDefaultCDClose", "Close");
  TAction& acHide = ActionList.Add("acHide", "Hide");
  TAction& acShow = ActionList.Add("acShow", "Show...");
  TAction& acPNGOnMouseMove = ActionList.Add("acPNGOnMouseMove", "ac");

  TPopupMenu PopupMenuTray;
  std::unique_ptr<TTrayIcon> TrayIcon;

  // Whether FormCreate has run to its end (or failed): commands that need the
  // skin window are ignored until then.
  bool StartupFinished() const noexcept { return startupFinished_; }

  void AppendDriveEntries();
  void TimerCheckTimer();
  void ExploreMenuItem(TMenuItem& sender);
  void acExitExecute();

  // Drive commands.
  void OpenMenuItem(TMenuItem& sender);
  void CloseMenuItem(TMenuItem& sender);
  void acDefautCDOpenExecute();
  void acDefaultCDCloseExecute();
  void acBlockAllExecute();
  // A lock left on when the program ends would outlive it, and the next
  // start (unchecked) could never release it: release what "Block All" holds.
  void ReleaseEjectionLocks();

  // Settings, read from the registry first thing at start-up.
  bool FAutoStart = false;
  bool FAutoHide = false;
  void acAutoStartExecute();
  void acAutoHideExecute();
  void acAutoStartUpdate();
  void acAutoHideUpdate();
  // Global hotkeys; presses that arrive before start-up has finished are ignored.
  void WMHotKey(WPARAM id);

  // Skin window (form_main_skin.cpp): the skin, PNGForm beneath this window,
  // the fades that hide and show both, and dragging them. A fade or drag that
  // is running makes every other fade, drag, hide and show a no-op.
  static constexpr DWORD kFadeDuration = 800;
  // Colour key as designed; start-up replaces it with white.
  static constexpr COLORREF kDesignTransparentColor = RGB(255, 0, 255);
  LayeredAttributes Layered{true, 255, true, kDesignTransparentColor};
  SkinImage SkinBitmap;
  std::unique_ptr<TPNGForm> PNGForm;
  // The window steps of FormCreate, in their order.
  void SetUpWindowFrame();
  bool LoadSkin(const std::string& path);
  void CreatePNGForm();
  // Both windows to the work area's bottom-right corner, at this window's size.
  void PlaceSkinWindows();
  void FadeOutSkin(DWORD duration);
  void FadeInSkin(DWORD duration);
  // A press on the background of this window or of PNGForm, at a point of
  // its client area (the same in both: they share one position).
  void FormMouseDown(MouseButton button, POINT client);
  void FormShow();
  void acHideExecute();
  void acShowExecute();
  bool SkinBusy() const noexcept { return skinBusy_; }

  // Picture buttons. The image lists are loaded with the form; the controls
  // are painted by PaintClient and take the window's mouse messages first.
  TImageList ImageListButtons{::GetModuleHandleA(nullptr), IDB_BUTTONS, IDB_BUTTONS_MASK, 145, 50};
  TImageList ImageListClose{::GetModuleHandleA(nullptr), IDB_CLOSE, IDB_CLOSE_MASK, 20, 20};
  TImageControl ImgOpenCD{56, 93, 145, 50};
  TImageControl ImgCloseCd{56, 149, 145, 50};
  TImageControl ImageExit{214, 20, 20, 20};
  TImageControl ImageHide{214, 108, 20, 20};
  TImageControl ImageLogo{56, 20, 145, 65};
  // The visible picture under a point of the client area, or null: a left
  // press anywhere else on the window is the window's own.
  TImageControl* ControlAt(POINT client) const;
  void ImgOpenCDMouseEnter();
  void ImgOpenCDMouseLeave();
  void ImgCloseCdMouseEnter();
  void ImgCloseCdMouseLeave();
  void ImageExitMouseEnter();
  void ImageExitMouseLeave();
  void ImageHideMouseEnter();
  void acPNGOnMouseMoveExecute();
  // Shows the About window, or brings it to the front.
  void acFormAboutExecute();

  // Draws what the main window shows: the white (see-through) background and
  // the picture controls. Used for painting and for the snapshots of fades.
  void PaintClient(HDC dc);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateComponents();
  void BindActions();
  void FormCreate();
  void FormDestroy() noexcept;
  void PopupAt(HWND owner, POINT screen);
  void CreatePictureControls();
  void SetInitialPictures();
  void ShowPicture(TImageControl& control, const TImageList& list, int index);
  void Repaint();

  TApplication& application_;
  DriveIo& drives_;
  UniqueHIcon trayImage_;
  bool startupFinished_ = false;
  bool timerRunning_ = false;
  TImageControlHost pictureControls_;
  bool SkinWindowReady() const noexcept;
  SkinImage SkinSnapshot();
  bool skinBusy_ = false;
};

}  // namespace tarvelo

#endif
