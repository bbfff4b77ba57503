#include "ui/pictures/image_control.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "app/dib_section.h"
#include "app/errors.h"
#include "app/names.h"
#include "app/utf8.h"
#include "app/window.h"
#include "ui/pictures/picture_scale.h"
#include "ui/pictures/png_resource.h"

namespace tarvelo {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// 32 bits per pixel, every pixel white.
UniqueHBitmap CreateWhiteBitmap(SIZE size) {
  DibSection bitmap(size, 32);
  if (!bitmap) throw OutOfResourcesError();
  std::fill_n(reinterpret_cast<DWORD*>(bitmap.Bits()), static_cast<std::size_t>(size.cx) * size.cy, 0x00FFFFFFu);
  return bitmap.Release();
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// The holding window paints the picture and handles its mouse messages
// (hover, click, hand cursor, drag): the name window is seen by
// accessibility tools only.
LRESULT CALLBACK NameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      ::ValidateRect(window, nullptr);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

std::wstring NameWindowClass() {
  std::wstring name = Widen(names::kPictureNameClass);
  static const bool registered = [&name] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &NameWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name.c_str();
    return ::RegisterClassW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) throw OutOfResourcesError(IDS_WINDOW_FAILED);
  return name;
}

// The default accessibility object reads a window's text as a control's
// label, where '&' marks the access key and "&&" stands for '&'.
std::string AsLabelText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '&') escaped += '&';
    escaped += c;
  }
  return escaped;
}

}  // namespace

void TImageControl::Resize(SIZE size) {
  if (picture_ && size.cx == pictureSize_.cx && size.cy == pictureSize_.cy) return;
  UniqueHBitmap resized = CreateWhiteBitmap(size);
  if (picture_) {
    UniqueMemoryDc from(::CreateCompatibleDC(nullptr));
    UniqueMemoryDc to(::CreateCompatibleDC(nullptr));
    if (!from || !to) throw OutOfResourcesError();
    SelectObjectRestorer selectFrom(from.get(), picture_.get());
    SelectObjectRestorer selectTo(to.get(), resized.get());
    ::BitBlt(to.get(), 0, 0, std::min(size.cx, pictureSize_.cx), std::min(size.cy, pictureSize_.cy), from.get(), 0,
             0, SRCCOPY);
  }
  picture_ = std::move(resized);
  pictureSize_ = size;
}

void TImageControl::SetPictureFromList(const TImageList& list, int index) {
  if (index < 0 || index >= list.Count()) return;
  Resize(SIZE{list.Width(), list.Height()});
  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!dc) throw OutOfResourcesError();
  SelectObjectRestorer select(dc.get(), picture_.get());
  if (list.Draw(dc.get(), 0, 0, index)) pictureIndex_ = index;
}

void TImageControl::SetDpi(UINT dpi) noexcept {
  // Each edge is scaled, not the size: neighbours that touch at 100 % touch
  // at every scale.
  bounds_ = RECT{ScaleToDpi(designed_.left, dpi), ScaleToDpi(designed_.top, dpi), ScaleToDpi(designed_.right, dpi),
                 ScaleToDpi(designed_.bottom, dpi)};
  // A screen reader finds the picture where its name lies.
  if (nameWindow_) {
    ::SetWindowPos(nameWindow_.get(), nullptr, bounds_.left, bounds_.top, bounds_.right - bounds_.left,
                   bounds_.bottom - bounds_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TImageControl::ClearPicture() noexcept {
  picture_.reset();
  pictureSize_ = SIZE{0, 0};
  pictureIndex_ = -1;
}

void TImageControl::LoadPicture(HINSTANCE module, int bitmapId) { LoadPicture(module, bitmapId, kDesignDpi); }

void TImageControl::LoadPicture(HINSTANCE module, int bitmapId, UINT dpi) {
  UniqueHBitmap loaded = LoadScaledPngPicture(module, bitmapId, dpi);
  if (!loaded) throw OutOfResourcesError(IDS_PICTURE_FAILED);
  BITMAP info{};
  ::GetObjectW(loaded.get(), sizeof info, &info);
  picture_ = std::move(loaded);
  pictureSize_ = SIZE{info.bmWidth, info.bmHeight};
  pictureIndex_ = -1;
}

void TImageControl::SetAccessibleName(HWND window, const std::string& name) {
  const std::wstring windowClass = NameWindowClass();
  const std::wstring text = Widen(AsLabelText(name));
  if (nameWindow_) {
    ::SetWindowTextW(nameWindow_.get(), text.c_str());
    return;
  }
  nameWindow_.reset(::CreateWindowExW(WS_EX_NOPARENTNOTIFY, windowClass.c_str(), text.c_str(),
                                      WS_CHILD | WS_VISIBLE, bounds_.left, bounds_.top, bounds_.right - bounds_.left,
                                      bounds_.bottom - bounds_.top, window, nullptr, ::GetModuleHandleW(nullptr),
                                      nullptr));
  if (!nameWindow_) throw OutOfResourcesError(IDS_WINDOW_FAILED);
}

void TImageControl::Paint(HDC dc) const {
  if (!picture_) return;
  const int width = std::min<int>(pictureSize_.cx, bounds_.right - bounds_.left);
  const int height = std::min<int>(pictureSize_.cy, bounds_.bottom - bounds_.top);
  UniqueMemoryDc source(::CreateCompatibleDC(dc));
  if (!source) return;
  SelectObjectRestorer select(source.get(), picture_.get());
  if (Transparent) {
    // gdi32's own export of the call msimg32 only forwards to: msimg32 is not
    // a known DLL, and Windows would take it from the program's folder.
    ::GdiTransparentBlt(dc, bounds_.left, bounds_.top, width, height, source.get(), 0, 0, width, height, kWhite);
  } else {
    ::BitBlt(dc, bounds_.left, bounds_.top, width, height, source.get(), 0, 0, SRCCOPY);
  }
}

TImageControl* TImageControlHost::ControlAt(POINT client) const {
  for (TImageControl* control : controls_) {
    if (control->Visible && control->Contains(client)) return control;
  }
  return nullptr;
}

void TImageControlHost::Paint(HDC dc) const {
  for (const TImageControl* control : controls_) {
    if (control->Visible) control->Paint(dc);
  }
}

void TImageControlHost::SetHovered(TImageControl* control) {
  if (control == hovered_) return;
  TImageControl* left = std::exchange(hovered_, control);
  if (!hovered_) pointerCheck_.reset();
  if (left && left->OnMouseLeave) left->OnMouseLeave();
  if (control && control->OnMouseEnter) control->OnMouseEnter();
}

void TImageControlHost::CheckPointer(HWND window) {
  POINT cursor{};
  if (!hovered_ || !::GetCursorPos(&cursor)) return;
  // Where the holding window lets the skin show through, the pointer is the
  // window's beneath; a hidden or covered window has none of it.
  if (::WindowFromPoint(cursor) != window) {
    SetHovered(nullptr);
    return;
  }
  ::ScreenToClient(window, &cursor);
  SetHovered(ControlAt(cursor));
}

bool TImageControlHost::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_MOUSEMOVE:
      // Moves inside the window say which control is under the cursor; the
      // system tells us separately when the cursor leaves the window.
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
      }
      SetHovered(ControlAt(PointOf(lParam)));
      if (hovered_ && !pointerCheck_) pointerCheck_ = ScopedTimer(window, kPointerCheckTimer, kPointerCheckInterval);
      return false;
    case WM_TIMER:
      if (wParam != kPointerCheckTimer) return false;
      CheckPointer(window);
      return true;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      SetHovered(nullptr);
      return true;
    case WM_LBUTTONDOWN: {
      TImageControl* control = ControlAt(PointOf(lParam));
      if (!control) return false;
      // A click is a press and a release on the same control; the capture
      // makes sure the release is seen even off the window.
      pressed_ = control;
      ::SetCapture(window);
      return true;
    }
    case WM_LBUTTONUP: {
      if (!pressed_) return false;
      TImageControl* control = std::exchange(pressed_, nullptr);
      ::ReleaseCapture();
      if (ControlAt(PointOf(lParam)) == control && control->OnClick) control->OnClick();
      return true;
    }
    case WM_CAPTURECHANGED:
      pressed_ = nullptr;
      return false;
    case WM_SETCURSOR: {
      if (reinterpret_cast<HWND>(wParam) != window || LOWORD(lParam) != HTCLIENT) return false;
      POINT cursor{};
      ::GetCursorPos(&cursor);
      ::ScreenToClient(window, &cursor);
      const TImageControl* control = ControlAt(cursor);
      if (!control || !control->HandCursor) return false;
      ::SetCursor(SystemCursor(IDC_HAND));
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tarvelo
