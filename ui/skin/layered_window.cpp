#include "ui/skin/layered_window.h"

#include <algorithm>
#include <cstring>

namespace tarvelo {
namespace {

// The part of `image` that fits, copied into a zeroed 32-bit DIB.
void CopyIntoDib(const SkinImage& image, const DibSection& dib) {
  const SIZE size = dib.Size();
  std::memset(dib.Bits(), 0, static_cast<std::size_t>(dib.Stride()) * static_cast<std::size_t>(size.cy));
  const int rows = std::min<int>(image.height, size.cy);
  const std::size_t rowBytes = std::size_t(std::min<int>(image.width, size.cx)) * 4;
  for (int y = 0; y < rows; ++y) {
    std::memcpy(dib.Row(y), &image.pixels[std::size_t(y) * std::size_t(image.width) * 4], rowBytes);
  }
}

// A 24-bit off-screen picture of a client area as `paint` draws it.
class ClientCapture {
 public:
  ClientCapture(SIZE size, const std::function<void(HDC)>& paint) : bitmap_(size, 24) {
    if (!bitmap_) return;
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return;
    {
      SelectObjectRestorer selected(dc.get(), bitmap_.Handle());
      paint(dc.get());
    }
    ::GdiFlush();
    view_ = CaptureView{size.cx, size.cy, bitmap_.Stride(), bitmap_.Bits()};
  }

  // Sized as the capture really is, which may differ from the skin's size
  // when the system refused to give the window that size.
  const CaptureView& View() const noexcept { return view_; }

 private:
  DibSection bitmap_;
  CaptureView view_{};
};

}  // namespace

LayerPicture::LayerPicture(const SkinImage& image, SIZE size) : image_(image), size_(size), bitmap_(size, 32) {
  if (!bitmap_) return;
  dc_.reset(::CreateCompatibleDC(nullptr));
  if (!dc_) return;
  CopyIntoDib(image, bitmap_);
  selected_ = std::make_unique<SelectObjectRestorer>(dc_.get(), bitmap_.Handle());
  ready_ = true;
}

SIZE WindowSize(HWND window) {
  RECT bounds{};
  if (!::GetWindowRect(window, &bounds)) return SIZE{0, 0};
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void UpdateSkinLayer(HWND window, const LayerPicture& picture, BYTE alpha) {
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, ::GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  RECT bounds{};
  if (!::GetWindowRect(window, &bounds)) return;
  // The window's size, not the image's: the update must never resize it.
  SIZE size{bounds.right - bounds.left, bounds.bottom - bounds.top};
  if (size.cx <= 0 || size.cy <= 0) return;
  if (size.cx != picture.Size().cx || size.cy != picture.Size().cy) {
    UpdateSkinLayer(window, LayerPicture(picture.Image(), size), alpha);
    return;
  }
  if (!picture.Dc()) return;

  WindowDc screen(nullptr);
  POINT destination{bounds.left, bounds.top};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(window, screen.get(), &destination, &size, picture.Dc(), &origin, 0, &blend, ULW_ALPHA);
}

void UpdateSkinLayer(HWND window, const SkinImage& image, BYTE alpha) {
  UpdateSkinLayer(window, LayerPicture(image, WindowSize(window)), alpha);
}

LayeredAttributes::LayeredAttributes(bool alphaBlend, BYTE alphaBlendValue, bool transparentColor,
                                     COLORREF transparentColorValue) noexcept
    : alphaBlend_(alphaBlend),
      alphaBlendValue_(alphaBlendValue),
      transparentColor_(transparentColor),
      transparentColorValue_(transparentColorValue) {}

void LayeredAttributes::Attach(HWND window) noexcept {
  window_ = window;
  Apply();
}

void LayeredAttributes::SetAlphaBlend(bool on) noexcept {
  alphaBlend_ = on;
  Apply();
}

void LayeredAttributes::SetAlphaBlendValue(BYTE value) noexcept {
  alphaBlendValue_ = value;
  Apply();
}

void LayeredAttributes::SetTransparentColor(bool on) noexcept {
  transparentColor_ = on;
  Apply();
}

void LayeredAttributes::SetTransparentColorValue(COLORREF value) noexcept {
  transparentColorValue_ = value;
  Apply();
}

void LayeredAttributes::Apply() const noexcept {
  if (!window_) return;
  const LONG_PTR style = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
  const bool layered = alphaBlend_ || transparentColor_;
  const LONG_PTR wanted = layered ? (style | WS_EX_LAYERED) : (style & ~LONG_PTR{WS_EX_LAYERED});
  if (wanted != style) ::SetWindowLongPtrW(window_, GWL_EXSTYLE, wanted);
  if (!layered) return;
  const DWORD flags = (alphaBlend_ ? LWA_ALPHA : 0) | (transparentColor_ ? LWA_COLORKEY : 0);
  ::SetLayeredWindowAttributes(window_, transparentColorValue_, alphaBlendValue_, flags);
}

SkinImage ComposeWindowSnapshot(const SkinImage& skin, SIZE clientSize, const std::function<void(HDC)>& paint,
                                COLORREF key) {
  if (skin.empty()) return SkinImage{};
  const ClientCapture capture(clientSize, paint);
  return ComposeSkinSnapshot(skin, capture.View(), GetRValue(key), GetGValue(key), GetBValue(key));
}

}  // namespace tarvelo
