#include "ui/pictures/image_control.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "app/dib_section.h"
#include "app/errors.h"
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

void TImageControl::LoadPicture(HINSTANCE module, int bitmapId) {
  UniqueHBitmap loaded = LoadPngPicture(module, bitmapId);
  if (!loaded) throw OutOfResourcesError(IDS_PICTURE_FAILED);
  BITMAP info{};
  ::GetObjectA(loaded.get(), sizeof info, &info);
  picture_ = std::move(loaded);
  pictureSize_ = SIZE{info.bmWidth, info.bmHeight};
  pictureIndex_ = -1;
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
      ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tarvelo
