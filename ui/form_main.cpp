#include "ui/form_main.h"

#include <windowsx.h>

#include <optional>

#include "app/module_path.h"
#include "app/names.h"
#include "app/running_copy.h"
#include "app/screen_scale.h"
#include "drives/drive_table.h"
#include "drives/ejection_lock.h"
#include "drives/tray_door.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "ui/about/form_about.h"

namespace tarvelo {

namespace {

// Designed client size (at 100 %) and position; the skin replaces the size.
constexpr int kDesignWidth = 251;
constexpr int kDesignHeight = 215;
constexpr int kDesignLeft = 0;
constexpr int kDesignTop = 652;

constexpr UINT_PTR kTimerCheckId = 1;
constexpr UINT kTimerCheckInterval = 1000;
// The drive worker has answers waiting.
constexpr UINT kDriveReplies = WM_APP + 10;
// "About..." asked for before the About window existed.
constexpr UINT kAboutWhenReady = WM_APP + 11;

// The window the user last worked with among those the application window
// owns comes to the foreground.
void BringApplicationToFront(HWND application) {
  HWND last = ::GetLastActivePopup(application);
  if (last && last != application && ::IsWindowVisible(last) && ::IsWindowEnabled(last)) {
    ::SetForegroundWindow(last);
  }
}

}  // namespace

TfrmMain::TfrmMain(TApplication& application, DriveIo& drives) : application_(application), drives_(drives) {
  CreateComponents();
  {
    // Message boxes and the fade-in let messages through: what the user asks
    // for meanwhile runs once start-up is over.
    const CommandQueue::Hold startUp(commands_);
    RunGuarded([this] { FormCreate(); });
    startupFinished_ = true;
  }
}

TfrmMain::~TfrmMain() {
  FormDestroy();
  trayIcon_.reset();
  driveMenu_.reset();
  DestroyHandle();
}

void TfrmMain::CreateComponents() {
  RegisterWindowClass(names::kMainFormClass);
  // No border, always on top, owned by the application window so that it has
  // no taskbar button of its own; colour-keyed layered from the start.
  CreateHandle(names::kMainFormClass, application_.Title().c_str(), WS_POPUP, WS_EX_TOPMOST | WS_EX_LAYERED,
               kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight, application_.Handle());
  skin_ = std::make_unique<SkinLayers>(application_, Handle(), SIZE{kDesignWidth, kDesignHeight},
                                       [this](HDC dc) { PaintClient(dc); });

  BindActions();
  PictureButtons::Clicks clicks;
  clicks.openCD = Queued(&TfrmMain::acDefautCDOpenExecute);
  clicks.closeCd = Queued(&TfrmMain::acDefaultCDCloseExecute);
  clicks.exit = Queued(&TfrmMain::acHideExecute);
  clicks.logo = Queued(&TfrmMain::acFormAboutExecute);
  PictureButtons::Names names{acDefautCDOpen.Caption, acDefaultCDClose.Caption, acHide.Caption, acFormAbout.Caption};
  buttons_ = std::make_unique<PictureButtons>(Handle(), std::move(clicks), skin_->Dpi(), names);

  // The designer's names of the static menu items, their actions and whether
  // they show.
  struct Binding {
    UINT command;
    const char* name;
    TAction* action;
    bool visible;
  };
  const Binding bindings[] = {
      {IDC_ABOUT1, "About1", &acFormAbout, true},
      {IDC_TOOLS1, "ools1", nullptr, true},
      {IDC_N6, "N6", nullptr, false},
      {IDC_SHOW1, "Show1", &acShow, false},
      {IDC_ACHIDE1, "acHide1", &acHide, false},
      {IDC_N7, "N7", nullptr, true},
      {IDC_GFNGF1, "gfngf1", &acExit, true},
      {IDC_N2, "N2", nullptr, true},
      {IDC_ACAUTOHIDE1, "acAutoHide1", &acAutoHide, true},
      {IDC_ACAUTOSTART1, "acAutoStart1", &acAutoStart, true},
      {IDC_N3, "N3", nullptr, true},
      {IDC_BLOCK1, "Block1", &acBlockAll, true},
  };
  popupMenuTray_.AddLayout(popupMenuTray_.Items(), ::GetModuleHandleW(nullptr), IDM_POPUP_TRAY,
                           [&bindings](UINT command, MenuItemOptions& options) {
                             for (const Binding& binding : bindings) {
                               if (binding.command != command) continue;
                               options.name = binding.name;
                               options.action = binding.action;
                               options.visible = binding.visible;
                               return;
                             }
                           });

  trayImage_ = LoadTrayImage();
  trayIcon_ = std::make_unique<TTrayIcon>(trayImage_.get(), application_.Title());
  trayIcon_->OnContextMenu = [this](HWND owner, POINT at) {
    ::SetForegroundWindow(owner);
    // The menu's loop ends on the Escape it has just read, so the key shows
    // down now; a click elsewhere leaves the focus where the click put it.
    if (!PopupAt(owner, at) && ::GetKeyState(VK_ESCAPE) < 0) trayIcon_->GiveFocusBack();
  };
  trayIcon_->OnKeySelect = [this] { KeySelect(); };
  trayIcon_->OnInitMenuPopup = [this](HMENU menu) { popupMenuTray_.PrepareSubMenu(menu); };
  trayIcon_->OnDblClick = Queued(&TfrmMain::acShowExecute);
  trayIcon_->OnCloseRequest = [this] { application_.Terminate(); };

  driveWorker_ = std::make_unique<DriveWorker>(
      drives_, [window = Handle()] { ::PostMessageW(window, kDriveReplies, 0, 0); });
  // The drive timer runs from the moment the form exists, before FormCreate.
  driveMenu_ =
      std::make_unique<DriveMenu>(popupMenuTray_, *driveWorker_, Handle(), kTimerCheckId, kTimerCheckInterval);
}

UniqueHIcon TfrmMain::LoadTrayImage() const {
  // The icon file holds the small sizes of 100, 150 and 200 %; the
  // notification area asks for the one of its own scale.
  const int iconSize = SmallIconSizeForDpi(NotificationAreaDpi());
  return UniqueHIcon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINICON),
                                                     IMAGE_ICON, iconSize, iconSize, 0)));
}

void TfrmMain::WMDpiChanged(UINT dpi, const RECT& suggested) {
  // The suggested rectangle's corner, as the system asks; its size is the
  // system's guess, while the skin's size at the new scale is known here.
  skin_->SetDpi(dpi, POINT{suggested.left, suggested.top});
  buttons_->SetDpi(skin_->Dpi());
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
  if (UniqueHIcon image = LoadTrayImage()) {
    trayIcon_->SetIcon(image.get());
    trayImage_ = std::move(image);
  }
}

void TfrmMain::BindActions() {
  acExit.OnExecute = Handler{this, &TfrmMain::acExitExecute};
  acDefautCDOpen.OnExecute = Handler{this, &TfrmMain::acDefautCDOpenExecute};
  acDefaultCDClose.OnExecute = Handler{this, &TfrmMain::acDefaultCDCloseExecute};
  acBlockAll.OnExecute = Handler{this, &TfrmMain::acBlockAllExecute};
  acAutoStart.OnExecute = Handler{this, &TfrmMain::acAutoStartExecute};
  acAutoStart.OnUpdate = Handler{this, &TfrmMain::acAutoStartUpdate};
  acAutoHide.OnExecute = Handler{this, &TfrmMain::acAutoHideExecute};
  acAutoHide.OnUpdate = Handler{this, &TfrmMain::acAutoHideUpdate};
  acFormAbout.OnExecute = Handler{this, &TfrmMain::acFormAboutExecute};
  acPNGOnMouseMove.OnExecute = Handler{this, &TfrmMain::acPNGOnMouseMoveExecute};
  acHide.OnExecute = Handler{this, &TfrmMain::acHideExecute};
  acShow.OnExecute = Handler{this, &TfrmMain::acShowExecute};
}

void TfrmMain::FormCreate() {
  FAutoStart = ReadAutoStart();
  FAutoHide = ReadAutoHide();
  hotKeys_ = std::make_unique<GlobalHotKeys>(
      Handle(),
      GlobalHotKeys::Commands{ActionRun{&acDefautCDOpen}, ActionRun{&acDefaultCDClose}, ActionRun{&acHide},
                              ActionRun{&acShow}},
      [this](const std::string& text) { application_.MessageBox(text); });
  buttons_->ShowStartingPictures();
  // The skin window: first placement and colour key, the skin, PNGForm and
  // the corner, the fade-in.
  skin_->SetUpFrame();
  skin_->LoadSkinFrom(ExecutableFolder());
  // A skin too large for the screen's scale is shown at a smaller one, and
  // the pictures on it with it.
  buttons_->SetDpi(skin_->Dpi());
  skin_->CreatePngForm(
      application_.Title(), [this](MouseButton button, POINT client) { FormMouseDown(button, client); },
      [this] { buttons_->PointerElsewhere(); });
  skin_->FadeInSkin(kFadeDuration);
  if (FAutoHide) acHide.Execute();
  DriveMenu::Commands commands;
  commands.explore = ItemHandler{this, &TfrmMain::ExploreMenuItem};
  commands.open = ItemHandler{this, &TfrmMain::OpenMenuItem};
  commands.close = ItemHandler{this, &TfrmMain::CloseMenuItem};
  driveMenu_->AppendEntries(std::move(commands));
}

void TfrmMain::FormDestroy() noexcept {
  // First of all: a copy started now (an upgrade, a sign-in right after a
  // sign-out) finds the instance guard gone and must find the combinations
  // free too, not only once a slow drive has answered.
  hotKeys_.reset();
  ReleaseEjectionLocks();
  // The releases reach the drives before the process ends, unless a drive
  // hangs: the end waits for drive work only up to the bound.
  driveWorker_->Finish(DriveWorker::kEndBound);
  skin_->FreeSkin();
}

void TfrmMain::FormShow() {
  // The program is reached through its window and the tray icon only.
  ::ShowWindow(application_.Handle(), SW_HIDE);
}

void TfrmMain::PaintClient(HDC dc) {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  buttons_->Paint(dc);
}

bool TfrmMain::PopupAt(HWND owner, POINT screen) {
  menuTheme_.BeforeMenu();
  TMenuItem* chosen = popupMenuTray_.Popup(owner, screen.x, screen.y);
  if (chosen) commands_.Submit([chosen] { chosen->Click(); });
  return chosen != nullptr;
}

void TfrmMain::KeySelect() {
  // Some versions of the shell report one press of Enter twice, the second
  // while the show the first asked for still waits or fades, or right after
  // it: both are one press. A second fade-in would make the window flicker,
  // and no one presses Enter again within a double-click's time to see that.
  if (keySelectPending_ || (keySelectShown_ && ::GetTickCount() - keySelectShownAt_ < ::GetDoubleClickTime())) return;
  keySelectPending_ = true;
  commands_.Submit([this] {
    const auto done = OnScopeExit([this] {
      keySelectPending_ = false;
      keySelectShown_ = true;
      keySelectShownAt_ = ::GetTickCount();
    });
    acShow.Execute();
  });
}

// ---- the drive table --------------------------------------------------------

void TfrmMain::TimerCheckTimer() {
  driveMenu_->RefreshCaptions();
  skin_->CheckWorkArea();
}

void TfrmMain::ExploreMenuItem(TMenuItem& sender) { driveMenu_->Explore(sender, application_.Handle()); }

void TfrmMain::OpenMenuItem(TMenuItem& sender) {
  if (const std::optional<char> letter = DriveMenu::LetterOf(sender)) OpenDrive(*letter);
}

void TfrmMain::CloseMenuItem(TMenuItem& sender) {
  if (const std::optional<char> letter = DriveMenu::LetterOf(sender)) CloseDrive(*letter);
}

void TfrmMain::OpenDrive(char letter) {
  driveWorker_->Command(letter, [letter](DriveIo& io) { OpenDriveDoor(io, letter); });
}

void TfrmMain::CloseDrive(char letter) {
  driveWorker_->Command(letter, [letter](DriveIo& io) { CloseDriveDoor(io, letter); });
}

// ---- commands from the command line -----------------------------------------

bool TfrmMain::Accepts(const RemoteCommand& command) {
  // Whether "Block All" lets the default tray move is not asked here: a
  // "/unlock" still waiting in the queue may change it before this runs.
  return command.drive == 0 || IsOpticalDrive(command.drive);
}

bool TfrmMain::TakeCommand(const RemoteCommand& command) {
  if (!Accepts(command)) return false;
  QueueCommand(command);
  return true;
}

void TfrmMain::QueueCommand(const RemoteCommand& command) {
  commands_.Submit([this, command] { RunCommand(command); });
}

void TfrmMain::RunCommand(const RemoteCommand& command) {
  switch (command.verb) {
    case CommandVerb::Open:
      if (command.drive) {
        OpenDrive(command.drive);
      } else {
        acDefautCDOpen.Execute();
      }
      return;
    case CommandVerb::Close:
      if (command.drive) {
        CloseDrive(command.drive);
      } else {
        acDefaultCDClose.Execute();
      }
      return;
    // A script may say the same twice: the second finds the state it asks for.
    case CommandVerb::Lock:
      if (!acBlockAll.Checked) acBlockAll.Execute();
      return;
    case CommandVerb::Unlock:
      if (acBlockAll.Checked) acBlockAll.Execute();
      return;
    case CommandVerb::Show:
      acShow.Execute();
      return;
    case CommandVerb::Hide:
      acHide.Execute();
      return;
    case CommandVerb::Exit:
      acExit.Execute();
      return;
  }
}

LRESULT TfrmMain::WMCopyData(const COPYDATASTRUCT* data) {
  // Read and decided before the answer: the data is the sender's, and only
  // until then.
  const std::optional<RemoteCommand> command = CommandFromCopyData(data);
  const bool taken = command && Accepts(*command);
  const LRESULT answer = taken ? names::kCommandAccepted : 0;
  // The sender waits for the answer, not for the command, which may have to
  // wait for a fade or a drag, or be a fade itself.
  ::ReplyMessage(answer);
  if (taken) QueueCommand(*command);
  return answer;
}

// ---- actions ----------------------------------------------------------------

void TfrmMain::acExitExecute() {
  if (!startupFinished_) return;
  if (tag_ == 1) skin_->FadeOutSkin(kFadeDuration);
  application_.Terminate();
}

void TfrmMain::acFormAboutExecute() {
  if (frmAbout) {
    frmAbout->Show();
  } else {
    // Asked for while a box of start-up was open, it is run when start-up
    // ends, before the About window is made: it is asked again from the
    // message loop, which runs only once that window exists.
    ::PostMessageW(Handle(), kAboutWhenReady, 0, 0);
  }
}

void TfrmMain::acDefautCDOpenExecute() {
  // The asked state counts, not whether the drives have taken the lock yet:
  // their lanes run the lock requests first all the same.
  if (acBlockAll.Checked) return;
  driveWorker_->Command(FirstOpticalDriveLetter(), [window = Handle()](DriveIo& io) { OpenDefaultDoor(io, window); });
}

void TfrmMain::acDefaultCDCloseExecute() {
  if (acBlockAll.Checked) return;
  driveWorker_->Command(FirstOpticalDriveLetter(), [window = Handle()](DriveIo& io) { CloseDefaultDoor(io, window); });
}

void TfrmMain::acBlockAllExecute() {
  acBlockAll.Checked = !acBlockAll.Checked;
  popupMenuTray_.SyncCheckMarks();
  SetMediaRemovalLockOnAllOpticalDrives(*driveWorker_, acBlockAll.Checked);
}

void TfrmMain::ReleaseEjectionLocks() {
  if (!acBlockAll.Checked) return;
  acBlockAll.Checked = false;
  SetMediaRemovalLockOnAllOpticalDrives(*driveWorker_, false);
}

// The marks follow a switch at once, not only the next time the Tools
// submenu opens. A refused write leaves the setting, and so its mark, as it was.
void TfrmMain::acAutoStartExecute() {
  SwitchAutoStart(FAutoStart);
  acAutoStart.Update();
  popupMenuTray_.SyncCheckMarks();
}

void TfrmMain::acAutoHideExecute() {
  SwitchAutoHide(FAutoHide);
  acAutoHide.Update();
  popupMenuTray_.SyncCheckMarks();
}

void TfrmMain::acAutoStartUpdate() {
  acAutoStart.Enabled = true;
  acAutoStart.Checked = FAutoStart;
}

void TfrmMain::acAutoHideUpdate() {
  acAutoHide.Enabled = true;
  acAutoHide.Checked = FAutoHide;
}

void TfrmMain::acPNGOnMouseMoveExecute() { buttons_->MouseLeave(Picture::Hide); }

void TfrmMain::acHideExecute() {
  if (!skin_->Ready()) return;
  skin_->FadeOutSkin(kFadeDuration);
  tag_ = 0;
}

void TfrmMain::acShowExecute() {
  if (!skin_->Ready()) return;
  skin_->FadeInSkin(kFadeDuration);
  tag_ = 1;
  BringApplicationToFront(application_.Handle());
  skin_->BringToFront();
}

void TfrmMain::FormMouseDown(MouseButton button, POINT client) {
  // A hidden window's skin is fully transparent. Should a press reach it all
  // the same (a system that does not let presses through such pixels), a drag
  // would bring the window back into view while Tag says hidden. A press is
  // a gesture of its moment: one made while a command runs is not kept.
  if (tag_ == 0 || commands_.Busy()) return;
  // The drag lets messages through; commands that arrive meanwhile wait.
  const CommandQueue::Hold dragging(commands_);
  skin_->Press(button, client);
}

void TfrmMain::WMHotKey(WPARAM id) {
  // Presses wait while another command, start-up included, runs, and then
  // run one by one in the order pressed.
  commands_.Submit([this, id] {
    if (hotKeys_) hotKeys_->Dispatch(id);
  });
}

// ---- messages -----------------------------------------------------------------

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT pictureResult = 0;
  if (buttons_ && buttons_->HandleMessage(message, wParam, lParam, pictureResult)) return pictureResult;
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimerCheckId) TimerCheckTimer();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The process may be ended right after this returns: no tear-down
      // follows, and the system gives a few seconds at most.
      if (wParam) {
        ReleaseEjectionLocks();
        driveWorker_->Finish(DriveWorker::kEndBound);
      }
      return 0;
    case kDriveReplies:
      driveWorker_->DeliverReplies();
      return 0;
    case kAboutWhenReady:
      if (frmAbout) commands_.Submit(Handler{this, &TfrmMain::acFormAboutExecute});
      return 0;
    case WM_CLOSE:
      // Any close request other than "Exit" ends the program without a fade.
      application_.Terminate();
      return 0;
    case WM_CONTEXTMENU: {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (at.x == -1 && at.y == -1) ::GetCursorPos(&at);
      // The same owner as from the tray icon: a click need not activate this
      // window, and a menu whose owner is not in the foreground gets no keys
      // and does not close when clicked away.
      ::SetForegroundWindow(trayIcon_->Handle());
      PopupAt(trayIcon_->Handle(), at);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      const PaintScope paint(Handle());
      PaintClient(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintClient(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_HOTKEY:
      WMHotKey(wParam);
      return 0;
    case WM_COPYDATA:
      return WMCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    // Presses on the background drag or raise the skin window; those on the
    // pictures are theirs.
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (!buttons_->ControlAt(at)) FormMouseDown(PressedButton(message), at);
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      return 0;
    // The taskbar moved or changed size, or the resolution or the monitors
    // changed: the skin window goes where it now belongs. The mode for apps
    // ("ImmersiveColorSet") or high contrast may have changed too: any change
    // has the next menu read them again, which costs nothing until it opens.
    case WM_SETTINGCHANGE:
      menuTheme_.SettingChanged();
      if (wParam == SPI_SETWORKAREA && skin_) skin_->DisplaysChanged();
      return Window::HandleMessage(message, wParam, lParam);
    case WM_DISPLAYCHANGE:
      if (skin_) skin_->DisplaysChanged();
      return Window::HandleMessage(message, wParam, lParam);
    case WM_INITMENUPOPUP:
      popupMenuTray_.PrepareSubMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_DPICHANGED: {
      // A change that comes during a fade or a drag (the drag's last move
      // can take the window to another monitor) waits for it to end, as
      // commands do: the windows change size only between them.
      const UINT dpi = LOWORD(wParam);
      const RECT suggested = *reinterpret_cast<const RECT*>(lParam);
      commands_.Submit([this, dpi, suggested] { WMDpiChanged(dpi, suggested); });
      return 0;
    }
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tarvelo
