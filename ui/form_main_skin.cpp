// The main form's skin window: its set-up at start-up, the fades that hide
// and show it, and dragging it. On screen it is two windows at one position:
// this one, colour-keyed, with the picture controls on see-through white, and
// PNGForm beneath it with the skin's per-pixel alpha. While a fade or drag
// runs, only PNGForm changes: it shows a snapshot of skin and controls
// together, so both fade and move as one picture.
#include <algorithm>

#include "ui/fade_steps.h"
#include "ui/form_main.h"

namespace tarvelo {
namespace {

constexpr int kFirstLeft = 500;
constexpr int kFirstTop = 500;
// The form's colour, which PaintClient fills the background with; from
// start-up on it is also the see-through colour.
constexpr COLORREF kFormColor = RGB(255, 255, 255);
// While hidden, the main window is parked this far above the screen, or by its
// whole height when it is taller, so that none of its controls stay in view.
constexpr int kParkedDistance = 300;
constexpr DWORD kDragPollInterval = 10;

RECT WindowBounds(HWND window) {
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  return bounds;
}

void MoveWindowTo(HWND window, int left, int top) {
  ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The program never activates either window: they are layers of one picture,
// and under Wine an activated window is handed to the X window manager, whose
// frame around PNGForm can show where the skin is transparent.
void BringToFront(HWND window) {
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// As a form's Show: visible, and above the other windows of its band.
void ShowForm(HWND window) {
  ::ShowWindow(window, SW_SHOWNA);
  BringToFront(window);
}

// The window the user last worked with among those the application window
// owns comes to the foreground.
void BringApplicationToFront(HWND application) {
  HWND last = ::GetLastActivePopup(application);
  if (last && last != application && ::IsWindowVisible(last) && ::IsWindowEnabled(last)) {
    ::SetForegroundWindow(last);
  }
}

// Marks a fade or drag as running, for as long as it runs, whichever way it ends.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) noexcept : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

// The move cursor over PNGForm for the length of a drag, the normal one after.
class DragCursor {
 public:
  explicit DragCursor(TPNGForm& form) noexcept : form_(form) {
    form_.SetCursorOverride(::LoadCursorA(nullptr, IDC_SIZEALL));
  }
  ~DragCursor() { form_.SetCursorOverride(nullptr); }
  DragCursor(const DragCursor&) = delete;
  DragCursor& operator=(const DragCursor&) = delete;

 private:
  TPNGForm& form_;
};

}  // namespace

bool TfrmMain::SkinWindowReady() const noexcept { return PNGForm != nullptr && !skinBusy_; }

SkinImage TfrmMain::SkinSnapshot() {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  return ComposeWindowSnapshot(
      SkinBitmap, SIZE{client.right, client.bottom}, [this](HDC dc) { PaintClient(dc); },
      Layered.TransparentColorValue());
}

void TfrmMain::SetUpWindowFrame() {
  MoveWindowTo(Handle(), kFirstLeft, kFirstTop);
  Layered.SetTransparentColorValue(kFormColor);
  // No border: the window was created as a plain popup, so its outer size is
  // its client size.
}

bool TfrmMain::LoadSkin(const std::string& path) {
  const bool loaded =
      LoadSkinImage(path, SkinBitmap, [this](const std::string& text) { application_.MessageBox(text); });
  if (loaded) {
    ::SetWindowPos(Handle(), nullptr, 0, 0, SkinBitmap.width, SkinBitmap.height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return loaded;
}

void TfrmMain::CreatePNGForm() {
  char caption[256] = {};
  ::GetWindowTextA(Handle(), caption, sizeof caption);
  PNGForm = std::make_unique<TPNGForm>(application_.Handle(), caption);
  PlaceSkinWindows();
  PNGForm->OnMouseDown = [this](MouseButton button, POINT client) { FormMouseDown(button, client); };
  // Installed fully transparent before it is first shown, so that it never
  // shows anything but the skin.
  UpdateSkinLayer(PNGForm->Handle(), SkinBitmap, 0);
  ShowForm(PNGForm->Handle());
}

void TfrmMain::PlaceSkinWindows() {
  // Only the work area's width and height count: the corner is measured from
  // the screen's origin, wherever the taskbar is.
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const RECT bounds = WindowBounds(Handle());
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const int left = (work.right - work.left) - width;
  const int top = (work.bottom - work.top) - height;
  MoveWindowTo(Handle(), left, top);
  if (PNGForm) {
    ::SetWindowPos(PNGForm->Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TfrmMain::FadeOutSkin(DWORD duration) {
  if (!SkinWindowReady()) return;
  const BusyScope busy(skinBusy_);
  HWND png = PNGForm->Handle();

  BringToFront(Handle());
  const SkinImage snapshot = SkinSnapshot();
  UpdateSkinLayer(png, snapshot, 255);
  // Off screen but not hidden, so that the next fade-in finds it as it was.
  const RECT bounds = WindowBounds(Handle());
  MoveWindowTo(Handle(), bounds.left, -std::max(kParkedDistance, int(bounds.bottom - bounds.top)));

  const LayerPicture picture(snapshot, WindowSize(png));
  for (int step = 1; step <= kFadeOutSteps; ++step) {
    UpdateSkinLayer(png, picture, FadeOutAlpha(step));
    ::Sleep(duration / kFadeOutSteps);
  }
  UpdateSkinLayer(png, SkinBitmap, 0);
}

void TfrmMain::FadeInSkin(DWORD duration) {
  if (!SkinWindowReady()) return;
  const BusyScope busy(skinBusy_);
  HWND png = PNGForm->Handle();

  // Shown once, invisible, so that the snapshot has what the window shows.
  Layered.SetAlphaBlendValue(0);
  Layered.SetAlphaBlend(true);
  ShowForm(png);
  ShowForm(Handle());
  ProcessPendingMessages();
  const SkinImage snapshot = SkinSnapshot();
  UpdateSkinLayer(png, snapshot, 0);
  ::ShowWindow(Handle(), SW_HIDE);
  Layered.SetAlphaBlend(false);
  ProcessPendingMessages();

  const LayerPicture picture(snapshot, WindowSize(png));
  for (int step = 1; step <= kFadeInSteps; ++step) {
    UpdateSkinLayer(png, picture, FadeInAlpha(step));
    ::Sleep(duration / kFadeInSteps);
  }
  ShowForm(Handle());
  MoveWindowTo(Handle(), WindowBounds(Handle()).left, WindowBounds(png).top);
  UpdateSkinLayer(png, SkinBitmap, 255);
}

void TfrmMain::FormMouseDown(MouseButton button, POINT client) {
  // A hidden window's skin is fully transparent. Should a press reach it all
  // the same (a system that does not let presses through such pixels), a drag
  // would bring the window back into view while Tag says hidden.
  if (!SkinWindowReady() || Tag == 0) return;
  BringToFront(Handle());
  if (button != MouseButton::Left) return;

  const BusyScope busy(skinBusy_);
  HWND png = PNGForm->Handle();
  UpdateSkinLayer(png, SkinSnapshot(), 255);
  ::ShowWindow(Handle(), SW_HIDE);
  ShowForm(png);

  // Both windows share one position, so PNGForm follows the cursor's
  // displacement since the press exactly. The grip is where the button went
  // down: by the time this runs, the cursor may have moved on. The hidden
  // main window keeps the starting position for the conversion.
  {
    const DragCursor cursor(*PNGForm);
    const RECT start = WindowBounds(png);
    const POINT offset{start.left - client.x, start.top - client.y};
    const auto followCursor = [&] {
      POINT at{};
      ::GetCursorPos(&at);
      ::ScreenToClient(Handle(), &at);
      MoveWindowTo(png, at.x + offset.x, at.y + offset.y);
    };
    do {
      followCursor();
      ProcessPendingMessages();
      ::Sleep(kDragPollInterval);
    } while ((::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0);
    // The last moves can reach the cursor together with the release, after
    // the last step read it: the windows end where the button came up.
    followCursor();
    const RECT end = WindowBounds(png);
    MoveWindowTo(Handle(), end.left, end.top);
  }
  ShowForm(Handle());
  UpdateSkinLayer(png, SkinBitmap, 255);
}

void TfrmMain::FormShow() {
  // The program is reached through its window and the tray icon only.
  ::ShowWindow(application_.Handle(), SW_HIDE);
}

void TfrmMain::acHideExecute() {
  if (!SkinWindowReady()) return;
  FadeOutSkin(kFadeDuration);
  Tag = 0;
}

void TfrmMain::acShowExecute() {
  if (!SkinWindowReady()) return;
  FadeInSkin(kFadeDuration);
  Tag = 1;
  BringApplicationToFront(application_.Handle());
  BringToFront(PNGForm->Handle());
  BringToFront(Handle());
}

}  // namespace tarvelo
