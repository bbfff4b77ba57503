#include "ui/form_main.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/errors.h"
#include "drives/drive_caption.h"
#include "drives/drive_table.h"
#include "drives/hddinfo.h"
#include "resources/resource_ids.h"
#include "settings/hotkeys.h"
#include "settings/settings.h"

namespace tarvelo {

namespace {

// Tag values the menu code looks for.
constexpr int kDriveEntryTag = 3;
constexpr int kExploreItemTag = 2;

MenuItemOptions Captioned(std::string caption) {
  MenuItemOptions options;
  options.caption = std::move(caption);
  return options;
}

}  // namespace

TfrmMain::TfrmMain(TApplication& application, DriveIo& drives) : application_(application), drives_(drives) {
  CreateComponents();
  RunGuarded([this] { FormCreate(); });
  startupFinished_ = true;
}

TfrmMain::~TfrmMain() {
  FormDestroy();
  TrayIcon.reset();
  if (timerRunning_) ::KillTimer(Handle(), kTimerCheckId);
  DestroyHandle();
}

void TfrmMain::CreateComponents() {
  RegisterWindowClass(kClassName);
  // No border, always on top, owned by the application window so that it has
  // no taskbar button of its own; colour-keyed layered from the start.
  RECT frame{0, 0, kDesignWidth, kDesignHeight};
  CreateHandle(kClassName, application_.Title().c_str(), WS_POPUP, WS_EX_TOPMOST | WS_EX_LAYERED, kDesignLeft,
               kDesignTop, frame.right, frame.bottom, application_.Handle());
  Layered.Attach(Handle());

  BindActions();
  CreatePictureControls();
  PopupMenuTray.LoadLayout(::GetModuleHandleA(nullptr), IDM_POPUP_TRAY, [this](UINT command, MenuItemOptions& options) {
    struct Entry {
      UINT command;
      const char* name;
      TAction* action;
      bool visible;
    };
    const Entry layout[] = {
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
    for (const Entry& entry : layout) {
      if (entry.command != command) continue;
      options.name = entry.name;
      options.action = entry.action;
      options.visible = entry.visible;
      return;
    }
  });

  const int iconSize = ::GetSystemMetrics(SM_CXSMICON);
  trayImage_.reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON),
                                                   IMAGE_ICON, iconSize, iconSize, 0)));
  TrayIcon = std::make_unique<TTrayIcon>(trayImage_.get(), application_.Title());
  TrayIcon->OnRightClick = [this](HWND owner, POINT cursor) {
    ::SetForegroundWindow(owner);
    PopupAt(owner, cursor);
  };
  TrayIcon->OnInitMenuPopup = [this](HMENU menu) { PopupMenuTray.PrepareSubMenu(menu); };
  TrayIcon->OnDblClick = [this] { acShowExecute(); };

  // The drive timer runs from the moment the form exists, before FormCreate.
  timerRunning_ = ::SetTimer(Handle(), kTimerCheckId, kTimerCheckInterval, nullptr) != 0;
}

void TfrmMain::BindActions() {
  acExit.OnExecute = [this] { acExitExecute(); };
  acDefautCDOpen.OnExecute = [this] { acDefautCDOpenExecute(); };
  acDefaultCDClose.OnExecute = [this] { acDefaultCDCloseExecute(); };
  acBlockAll.OnExecute = [this] { acBlockAllExecute(); };
  acAutoStart.OnExecute = [this] { acAutoStartExecute(); };
  acAutoStart.OnUpdate = [this] { acAutoStartUpdate(); };
  acAutoHide.OnExecute = [this] { acAutoHideExecute(); };
  acAutoHide.OnUpdate = [this] { acAutoHideUpdate(); };
  acFormAbout.OnExecute = [this] { acFormAboutExecute(); };
  acPNGOnMouseMove.OnExecute = [this] { acPNGOnMouseMoveExecute(); };
  acHide.OnExecute = [this] { acHideExecute(); };
  acShow.OnExecute = [this] { acShowExecute(); };
}

void TfrmMain::FormCreate() {
  FAutoStart = ReadAutoStart();
  FAutoHide = ReadAutoHide();
  RegisterHotKeys(Handle(), application_);
  SetInitialPictures();
  // The skin window: first placement and colour key, the skin, PNGForm and
  // the corner, the fade-in.
  SetUpWindowFrame();
  LoadSkin(ExecutableFolder() + kSkinFileName);
  CreatePNGForm();
  FadeInSkin(kFadeDuration);
  if (FAutoHide) acHide.Execute();
  AppendDriveEntries();
}

void TfrmMain::FormDestroy() noexcept {
  ReleaseEjectionLocks();
  SkinBitmap = SkinImage{};
  UnregisterHotKeys(Handle());
}

void TfrmMain::AppendDriveEntries() {
  TMenuItem& root = PopupMenuTray.Items();
  PopupMenuTray.Add(root, Captioned("-"));
  for (char letter : OpticalDriveLetters(&DriveString)) {
    const std::string drive = DriveString(letter);
    MenuItemOptions entryOptions = Captioned(drive);
    entryOptions.hint = drive;
    entryOptions.tag = kDriveEntryTag;
    TMenuItem& entry = PopupMenuTray.Add(root, std::move(entryOptions));

    MenuItemOptions explore = Captioned("Explore...");
    explore.tag = kExploreItemTag;
    explore.onClick = [this](TMenuItem& sender) { ExploreMenuItem(sender); };
    PopupMenuTray.Add(entry, std::move(explore));
    PopupMenuTray.Add(entry, Captioned("-"));
    MenuItemOptions open = Captioned("Open");
    open.onClick = [this](TMenuItem& sender) { OpenMenuItem(sender); };
    PopupMenuTray.Add(entry, std::move(open));
    MenuItemOptions close = Captioned("Close");
    close.onClick = [this](TMenuItem& sender) { CloseMenuItem(sender); };
    PopupMenuTray.Add(entry, std::move(close));
  }
}

void TfrmMain::TimerCheckTimer() {
  TMenuItem& root = PopupMenuTray.Items();
  const std::size_t count = root.Count();
  for (std::size_t i = 0; i < count; ++i) {
    TMenuItem& item = root.Item(i);
    if (item.Tag != kDriveEntryTag || item.Hint.empty()) continue;
    VolumeInfo info;
    const bool answered = GetDriveVolumeInfo(item.Hint[0], info);
    item.SetCaption(DriveEntryCaption(item.Hint, answered, info.label));
  }
}

void TfrmMain::ExploreMenuItem(TMenuItem& sender) {
  const TMenuItem* entry = sender.Parent();
  if (!entry || entry->Hint.empty()) return;
  const std::string path = DriveRootPath(entry->Hint[0]);
  ::ShellExecuteA(application_.Handle(), "open", path.c_str(), nullptr, "", SW_SHOW);
}

void TfrmMain::acExitExecute() {
  if (!startupFinished_) return;
  if (Tag == 1) FadeOutSkin(kFadeDuration);
  application_.Terminate();
}

void TfrmMain::PaintClient(HDC dc) {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  pictureControls_.Paint(dc);
}

void TfrmMain::PopupAt(HWND owner, POINT screen) { PopupMenuTray.Popup(owner, screen.x, screen.y); }

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT pictureResult = 0;
  if (pictureControls_.HandleMessage(Handle(), message, wParam, lParam, pictureResult)) return pictureResult;
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimerCheckId) TimerCheckTimer();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The process may be ended right after this returns: no tear-down follows.
      if (wParam) ReleaseEjectionLocks();
      return 0;
    case WM_CLOSE:
      // Any close request other than "Exit" ends the program without a fade.
      application_.Terminate();
      return 0;
    case WM_CONTEXTMENU: {
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (at.x == -1 && at.y == -1) ::GetCursorPos(&at);
      // The same owner as from the tray icon: a click need not activate this
      // window, and a menu whose owner is not in the foreground gets no keys
      // and does not close when clicked away.
      ::SetForegroundWindow(TrayIcon->Handle());
      PopupAt(TrayIcon->Handle(), at);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(Handle(), &paint);
      PaintClient(dc);
      ::EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintClient(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_HOTKEY:
      WMHotKey(wParam);
      return 0;
    // Presses on the background drag or raise the skin window; those on the
    // pictures are theirs.
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (!ControlAt(at)) FormMouseDown(PressedButton(message), at);
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      return 0;
    case WM_INITMENUPOPUP:
      PopupMenuTray.PrepareSubMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tarvelo
