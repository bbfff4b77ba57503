// The pieces of a skinned window: the layered update that puts a skin image
// on a per-pixel-alpha window, the colour-key and constant-alpha attributes
// of a window, and the capture of what a window paints, which fades and drags
// lay over the skin.
#ifndef TARVELO_UI_LAYERED_WINDOW_H
#define TARVELO_UI_LAYERED_WINDOW_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/dib_section.h"
#include "app/handles.h"
#include "ui/skin/skin_image.h"

namespace tarvelo {

// Puts the image on a per-pixel-alpha layered window at the window's current
// position and size, scaled by `alpha`. The image is drawn from the window's
// top-left corner; where the window is larger than the image the window is
// transparent, so an empty image shows nothing. Failures are ignored.
void UpdateSkinLayer(HWND window, const SkinImage& image, BYTE alpha);

// An image made ready for a layered window of a given size: a 32-bit DIB
// selected into a memory DC. A fade shows one picture at forty alphas, so it
// prepares the picture once instead of at every step.
class LayerPicture {
 public:
  LayerPicture(const SkinImage& image, SIZE size);
  LayerPicture(const LayerPicture&) = delete;
  LayerPicture& operator=(const LayerPicture&) = delete;

  const SkinImage& Image() const noexcept { return image_; }
  SIZE Size() const noexcept { return size_; }
  HDC Dc() const noexcept { return ready_ ? dc_.get() : nullptr; }

 private:
  const SkinImage& image_;
  SIZE size_;
  UniqueMemoryDc dc_;
  DibSection bitmap_;
  // Declared last: the bitmap leaves the DC before either is deleted.
  std::unique_ptr<SelectObjectRestorer> selected_;
  bool ready_ = false;
};

// The same for a prepared picture; a window whose size has changed since the
// picture was prepared gets a fresh one.
void UpdateSkinLayer(HWND window, const LayerPicture& picture, BYTE alpha);

// A window's current size.
SIZE WindowSize(HWND window);

// A window's layered attributes as four properties. While either effect is
// on the window is layered, and every change is applied at once.
class LayeredAttributes {
 public:
  LayeredAttributes(bool alphaBlend, BYTE alphaBlendValue, bool transparentColor,
                    COLORREF transparentColorValue) noexcept;

  // Applies the current values to `window` and follows every later change.
  void Attach(HWND window) noexcept;

  bool AlphaBlend() const noexcept { return alphaBlend_; }
  BYTE AlphaBlendValue() const noexcept { return alphaBlendValue_; }
  bool TransparentColor() const noexcept { return transparentColor_; }
  COLORREF TransparentColorValue() const noexcept { return transparentColorValue_; }

  void SetAlphaBlend(bool on) noexcept;
  void SetAlphaBlendValue(BYTE value) noexcept;
  void SetTransparentColor(bool on) noexcept;
  void SetTransparentColorValue(COLORREF value) noexcept;

 private:
  void Apply() const noexcept;

  HWND window_ = nullptr;
  bool alphaBlend_;
  BYTE alphaBlendValue_;
  bool transparentColor_;
  COLORREF transparentColorValue_;
};

// The skin with what `paint` draws into a client area of `clientSize` laid
// over it, every pixel but the key colour opaque. The 24-bit capture is drawn
// off screen and released before this returns.
SkinImage ComposeWindowSnapshot(const SkinImage& skin, SIZE clientSize, const std::function<void(HDC)>& paint,
                                COLORREF key);

}  // namespace tarvelo

#endif
