#include "ui/pictures/image_list.h"

#include "app/errors.h"
#include "ui/pictures/picture_scale.h"
#include "ui/pictures/png_resource.h"

namespace tarvelo {

namespace {

// Destination AND NOT source.
constexpr DWORD kRopDSna = 0x00220326;

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  ::GetObjectW(bitmap, sizeof info, &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

// When a monochrome bitmap is copied onto colour, its 1 bits take the
// destination's background colour and its 0 bits the text colour: with white
// and black, a mask bit of 1 becomes all ones.
// The DC's own colours come back at the end of the scope.
auto MonochromeAsWhiteOnBlack(HDC dc) noexcept {
  const COLORREF text = ::SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF background = ::SetBkColor(dc, RGB(255, 255, 255));
  return OnScopeExit([dc, text, background] {
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, background);
  });
}

}  // namespace

TImageList::TImageList(HINSTANCE module, int picturesId, int maskId, int width, int height)
    : TImageList(module, picturesId, maskId, width, height, kDesignDpi) {}

TImageList::TImageList(HINSTANCE module, int picturesId, int maskId, int width, int height, UINT dpi)
    : width_(ScaleToDpi(width, dpi)), height_(ScaleToDpi(height, dpi)) {
  const PictureArt art = ArtForDpi(dpi);
  // A DIB section keeps the pictures' exact colours whatever the screen depth.
  pictures_ = LoadPngPicture(module, picturesId + art.idOffset);
  mask_ = LoadPngMask(module, maskId + art.idOffset);
  if (!pictures_ || !mask_) throw OutOfResourcesError(IDS_PICTURE_FAILED);

  const int drawnWidth = ScaleToDpi(width, art.dpi);
  const int drawnHeight = ScaleToDpi(height, art.dpi);
  SIZE strip = BitmapSize(pictures_.get());
  const SIZE maskSize = BitmapSize(mask_.get());
  if (width <= 0 || height <= 0 || strip.cy != drawnHeight || strip.cx % drawnWidth != 0 ||
      maskSize.cx != strip.cx || maskSize.cy != strip.cy || width_ <= 0 || height_ <= 0) {
    throw OutOfResourcesError(IDS_PICTURE_FAILED);
  }
  count_ = strip.cx / drawnWidth;
  if (drawnWidth != width_ || drawnHeight != height_) {
    const SIZE from{drawnWidth, drawnHeight};
    const SIZE to{width_, height_};
    pictures_ = StretchCells(pictures_.get(), from, to, count_, false);
    mask_ = StretchCells(mask_.get(), from, to, count_, true);
    if (!pictures_ || !mask_) throw OutOfResourcesError(IDS_PICTURE_FAILED);
    strip = SIZE{width_ * count_, height_};
  }

  UniqueMemoryDc picturesDc(::CreateCompatibleDC(nullptr));
  UniqueMemoryDc maskDc(::CreateCompatibleDC(nullptr));
  if (!picturesDc || !maskDc) throw OutOfResourcesError();
  SelectObjectRestorer selectPictures(picturesDc.get(), pictures_.get());
  SelectObjectRestorer selectMask(maskDc.get(), mask_.get());
  const auto colours = MonochromeAsWhiteOnBlack(picturesDc.get());
  ::BitBlt(picturesDc.get(), 0, 0, strip.cx, strip.cy, maskDc.get(), 0, 0, kRopDSna);
}

bool TImageList::Draw(HDC dc, int x, int y, int index) const {
  if (index < 0 || index >= count_) return false;
  UniqueMemoryDc picturesDc(::CreateCompatibleDC(dc));
  UniqueMemoryDc maskDc(::CreateCompatibleDC(dc));
  if (!picturesDc || !maskDc) return false;
  SelectObjectRestorer selectPictures(picturesDc.get(), pictures_.get());
  SelectObjectRestorer selectMask(maskDc.get(), mask_.get());
  const auto colours = MonochromeAsWhiteOnBlack(dc);
  const int source = index * width_;
  ::BitBlt(dc, x, y, width_, height_, maskDc.get(), source, 0, SRCAND);
  ::BitBlt(dc, x, y, width_, height_, picturesDc.get(), source, 0, SRCPAINT);
  return true;
}

}  // namespace tarvelo
