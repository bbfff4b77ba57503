#include "ui/skin/skin_layers.h"

#include <mmsystem.h>

#include <algorithm>

#include "app/handles.h"
#include "app/names.h"
#include "app/screen_scale.h"
#include "app/resource_text.h"
#include "app/system_library.h"
#include "resources/resource_ids.h"
#include "ui/skin/fade_steps.h"

namespace tarvelo {
namespace {

constexpr int kFirstLeft = 500;
constexpr int kFirstTop = 500;
// The form's colour, which the front window's background is filled with;
// from start-up on it is also the see-through colour.
constexpr COLORREF kFormColor = RGB(255, 255, 255);
// While hidden, the front window is parked this far above the screen, or by
// its whole height when it is taller, so that none of its controls stay in view.
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
void RaiseWindow(HWND window) {
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// As a form's Show: visible, and above the other windows of its band.
void ShowForm(HWND window) {
  ::ShowWindow(window, SW_SHOWNA);
  RaiseWindow(window);
}

// The steps of a fade keep to the clock: each waits for its planned moment
// (start + i x duration / steps) instead of a fixed pause after its work, so
// the work of the steps does not add up, a step that overran is caught up
// by the next ones, and the last lands at the nominal end. The system's
// timer is made fine for the length of the fade, or a pause of 20 ms would
// last a whole tick of 15.6 ms more on some systems.
// The timer calls are winmm's, which is not a known DLL (app/system_library.h).
class FadeClock {
 public:
  FadeClock(DWORD duration, int steps) noexcept : duration_(duration), steps_(steps) {
    auto* begin = Winmm().Procedure<decltype(::timeBeginPeriod)>("timeBeginPeriod");
    end_ = Winmm().Procedure<decltype(::timeEndPeriod)>("timeEndPeriod");
    fine_ = begin && end_ && begin(1) == 0;
    ::QueryPerformanceFrequency(&frequency_);
    ::QueryPerformanceCounter(&start_);
  }
  ~FadeClock() {
    if (fine_) end_(1);
  }
  FadeClock(const FadeClock&) = delete;
  FadeClock& operator=(const FadeClock&) = delete;

  void WaitForStep(int step) const noexcept {
    const LONGLONG due = LONGLONG{duration_} * step / steps_;  // milliseconds after the start
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const LONGLONG elapsed = (now.QuadPart - start_.QuadPart) * 1000 / frequency_.QuadPart;
    if (due > elapsed) ::Sleep(static_cast<DWORD>(due - elapsed));
  }

 private:
  DWORD duration_;
  int steps_;
  decltype(::timeEndPeriod)* end_ = nullptr;
  bool fine_ = false;
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER start_{};
};

// Marks a fade or drag as running, for as long as it runs, whichever way it ends.
auto MarkBusy(bool& busy) noexcept {
  busy = true;
  return OnScopeExit([&busy] { busy = false; });
}

// The move cursor over PNGForm for the length of a drag, the normal one after.
auto DragCursor(TPNGForm& form) noexcept {
  form.SetCursorOverride(SystemCursor(IDC_SIZEALL));
  return OnScopeExit([&form] { form.SetCursorOverride(nullptr); });
}

}  // namespace

SkinLayers::SkinLayers(TApplication& application, HWND front, SIZE designed, std::function<void(HDC)> paintFront)
    : application_(application),
      front_(front),
      designed_(designed),
      paintFront_(std::move(paintFront)),
      screenDpi_(WindowDpi(front)),
      dpi_(screenDpi_) {
  frontAttributes_.Attach(front_);
}

SkinImage SkinLayers::Snapshot() {
  RECT client{};
  ::GetClientRect(front_, &client);
  return ComposeWindowSnapshot(skin_, SIZE{client.right, client.bottom}, paintFront_,
                               frontAttributes_.TransparentColorValue());
}

void SkinLayers::SetUpFrame() {
  MoveWindowTo(front_, kFirstLeft, kFirstTop);
  // Should the skin not load, the pictures still take the screen's scale:
  // the window they are on takes it too.
  SizeToDesign();
  frontAttributes_.SetTransparentColorValue(kFormColor);
  // No border: the window was created as a plain popup, so its outer size is
  // its client size.
}

void SkinLayers::ReportFailure(SkinFailure failure, const std::string& fileName) {
  application_.MessageBox(
      ResourceText(failure == SkinFailure::Missing ? IDS_SKIN_MISSING : IDS_SKIN_BAD_FORMAT, {fileName}));
}

bool SkinLayers::LoadSkinFrom(const std::optional<std::string>& folder) {
  if (folder) return LoadSkin(*folder + names::kSkinFileName);
  // Never a file of the same name in whatever the current folder is.
  skin_ = SkinImage{};
  ReportFailure(SkinFailure::Missing, names::kSkinFileName);
  return false;
}

bool SkinLayers::LoadSkin(const std::string& path) {
  file_ = SkinImage{};
  const bool loaded = LoadSkinImage(path, skin_, [this](SkinFailure failure, const std::string& fileName) {
    ReportFailure(failure, fileName);
  });
  dpi_ = screenDpi_;
  if (loaded) ScaleSkin();
  return loaded;
}

void SkinLayers::ScaleSkin() {
  SkinImage& source = file_.empty() ? skin_ : file_;
  dpi_ = SkinDpi(source.width, source.height, screenDpi_);
  const int width = ScaleToDpi(source.width, dpi_);
  const int height = ScaleToDpi(source.height, dpi_);
  if (width == source.width && height == source.height) {
    // At 100 % the file's picture is shown as it is, and held once.
    if (!file_.empty()) skin_ = std::move(file_);
    file_ = SkinImage{};
  } else {
    SkinImage scaled = ScaleSkinImage(source, width, height);
    if (file_.empty()) file_ = std::move(skin_);
    skin_ = std::move(scaled);
  }
  ::SetWindowPos(front_, nullptr, 0, 0, skin_.width, skin_.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinLayers::SizeToDesign() {
  ::SetWindowPos(front_, nullptr, 0, 0, ScaleToDpi(designed_.cx, dpi_), ScaleToDpi(designed_.cy, dpi_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinLayers::SetDpi(UINT screenDpi, POINT topLeft) {
  if (busy_ || screenDpi == 0) return;
  screenDpi_ = screenDpi;
  if (skin_.empty()) {
    dpi_ = screenDpi_;
    SizeToDesign();
  } else {
    ScaleSkin();
  }
  const SIZE size = WindowSize(front_);
  // A hidden front window stays parked above the screen, at its new height,
  // and the place it comes back to is PNGForm's, not the parked one the
  // system suggests.
  const bool parked = plainAlpha_ == 0 && pngForm_ != nullptr;
  POINT at = topLeft;
  if (parked) {
    const RECT png = WindowBounds(pngForm_->Handle());
    at = POINT{png.left, png.top};
  }
  // At its new size a window the user has not dragged still belongs in the
  // corner: kept at the suggested top-left, a larger one would cover the
  // taskbar.
  const ScreenPoint settled = placement_.Settle(ScreenRect{at.x, at.y, at.x + size.cx, at.y + size.cy});
  at = POINT{settled.x, settled.y};
  const int frontTop = parked ? -std::max(ScaleToDpi(kParkedDistance, dpi_), int(size.cy)) : at.y;
  MoveWindowTo(front_, at.x, frontTop);
  if (!pngForm_) return;
  ::SetWindowPos(pngForm_->Handle(), nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowPlainSkin(plainAlpha_);
}

void SkinLayers::ShowPlainSkin(BYTE alpha) {
  plainAlpha_ = alpha;
  UpdateSkinLayer(pngForm_->Handle(), skin_, alpha);
}

void SkinLayers::CreatePngForm(const std::string& caption, std::function<void(MouseButton, POINT)> onMouseDown,
                               std::function<void()> onMouseMove) {
  pngForm_ = std::make_unique<TPNGForm>(application_.Handle(), caption);
  Place();
  pngForm_->OnMouseDown = std::move(onMouseDown);
  pngForm_->OnMouseMove = std::move(onMouseMove);
  // Installed fully transparent before it is first shown, so that it never
  // shows anything but the skin.
  ShowPlainSkin(0);
  ShowForm(pngForm_->Handle());
}

void SkinLayers::Place() {
  const RECT bounds = WindowBounds(front_);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const ScreenPoint corner = placement_.Corner(width, height);
  const int left = corner.x;
  const int top = corner.y;
  MoveWindowTo(front_, left, top);
  if (pngForm_) {
    ::SetWindowPos(pngForm_->Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void SkinLayers::DisplaysChanged() {
  if (!pngForm_) return;
  // The drag and the fade-in let messages through; they follow the change
  // once they have ended, from where they left the windows.
  if (busy_) {
    displaysChanged_ = true;
    return;
  }
  Settle();
}

void SkinLayers::CheckWorkArea() {
  if (pngForm_ && placement_.WorkAreaChanged()) DisplaysChanged();
}

void SkinLayers::Settle() {
  displaysChanged_ = false;
  // PNGForm holds the window's place in every state: hiding moves only the
  // front window away.
  HWND png = pngForm_->Handle();
  const ScreenPoint at = placement_.Settle(ToScreenRect(WindowBounds(png)));
  MoveWindowTo(png, at.x, at.y);
  // A parked front window stays above the screen; the fade-in brings it
  // down to PNGForm's height.
  MoveWindowTo(front_, at.x, parked_ ? WindowBounds(front_).top : at.y);
}

void SkinLayers::FadeOutSkin(DWORD duration) {
  if (!Ready()) return;
  const auto busy = MarkBusy(busy_);
  // From the start: the preparation is part of the fade's time.
  const FadeClock clock(duration, kFadeOutSteps);
  HWND png = pngForm_->Handle();

  RaiseWindow(front_);
  const SkinImage snapshot = Snapshot();
  UpdateSkinLayer(png, snapshot, 255);
  // Off screen but not hidden, so that the next fade-in finds it as it was.
  const RECT bounds = WindowBounds(front_);
  MoveWindowTo(front_, bounds.left, -std::max(ScaleToDpi(kParkedDistance, dpi_), int(bounds.bottom - bounds.top)));
  parked_ = true;

  const LayerPicture picture(snapshot, WindowSize(png));
  for (int step = 1; step < kFadeOutSteps; ++step) {
    UpdateSkinLayer(png, picture, FadeOutAlpha(step));
    clock.WaitForStep(step);
  }
  // The last step's share holds what ends the fade, so the end is on time.
  // Its alpha is 0, so the plain skin goes back in its place: the snapshot
  // would show nothing either, and a second full update would only cost time.
  ShowPlainSkin(0);
  KeepFrontAbovePng();
  clock.WaitForStep(kFadeOutSteps);
  if (displaysChanged_) Settle();
}

void SkinLayers::FadeInSkin(DWORD duration) {
  if (!Ready()) return;
  const auto busy = MarkBusy(busy_);
  const FadeClock clock(duration, kFadeInSteps);
  HWND png = pngForm_->Handle();

  // Shown once, invisible, so that the snapshot has what the window shows.
  frontAttributes_.SetAlphaBlendValue(0);
  frontAttributes_.SetAlphaBlend(true);
  ShowForm(png);
  ShowForm(front_);
  application_.ProcessMessages();
  const SkinImage snapshot = Snapshot();
  UpdateSkinLayer(png, snapshot, 0);
  ::ShowWindow(front_, SW_HIDE);
  frontAttributes_.SetAlphaBlend(false);
  application_.ProcessMessages();

  const LayerPicture picture(snapshot, WindowSize(png));
  for (int step = 1; step < kFadeInSteps; ++step) {
    UpdateSkinLayer(png, picture, FadeInAlpha(step));
    clock.WaitForStep(step);
  }
  // The last step's share holds the hand-over to the front window, so the
  // window is settled at the nominal end and not a hand-over later.
  UpdateSkinLayer(png, picture, FadeInAlpha(kFadeInSteps));
  // Back from above the screen, if a fade-out parked it there.
  MoveWindowTo(front_, WindowBounds(front_).left, WindowBounds(png).top);
  parked_ = false;
  HandOverToFront();
  clock.WaitForStep(kFadeInSteps);
  if (displaysChanged_) Settle();
}

void SkinLayers::Press(MouseButton button, POINT client) {
  if (!Ready()) return;
  RaiseWindow(front_);
  if (button != MouseButton::Left) return;

  const auto busy = MarkBusy(busy_);
  HWND png = pngForm_->Handle();
  UpdateSkinLayer(png, Snapshot(), 255);
  ::ShowWindow(front_, SW_HIDE);
  ShowForm(png);

  // Both windows share one position, so PNGForm follows the cursor's
  // displacement since the press exactly. The grip is where the button went
  // down: by the time this runs, the cursor may have moved on. The hidden
  // front window keeps the starting position for the conversion.
  {
    const auto cursor = DragCursor(*pngForm_);
    const RECT start = WindowBounds(png);
    const POINT offset{start.left - client.x, start.top - client.y};
    const auto followCursor = [&] {
      POINT at{};
      ::GetCursorPos(&at);
      ::ScreenToClient(front_, &at);
      MoveWindowTo(png, at.x + offset.x, at.y + offset.y);
    };
    do {
      followCursor();
      application_.ProcessMessages();
      ::Sleep(kDragPollInterval);
    } while ((::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0);
    // The last moves can reach the cursor together with the release, after
    // the last step read it: the windows end where the button came up.
    followCursor();
    const RECT end = WindowBounds(png);
    MoveWindowTo(front_, end.left, end.top);
    placement_.Dragged(ToScreenRect(start), ToScreenRect(end));
  }
  HandOverToFront();
  if (displaysChanged_) Settle();
}

void SkinLayers::HandOverToFront() {
  ::ShowWindow(front_, SW_SHOWNA);
  RaiseWindow(front_);
  // Painted before PNGForm lets go of the snapshot, so that the buttons never
  // leave the screen in between.
  ::RedrawWindow(front_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
  ::GdiFlush();
  KeepFrontAbovePng();
  ShowPlainSkin(255);
}

void SkinLayers::KeepFrontAbovePng() {
  // Directly beneath the front window, whatever the window manager did to
  // either while it was hidden, moved or raised.
  ::SetWindowPos(pngForm_->Handle(), front_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SkinLayers::BringToFront() {
  if (!pngForm_) return;
  RaiseWindow(front_);
  KeepFrontAbovePng();
}

}  // namespace tarvelo
