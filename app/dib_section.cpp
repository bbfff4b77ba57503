#include "app/dib_section.h"

#include <utility>

namespace tarvelo {

DibSection::DibSection(SIZE size, WORD bitsPerPixel) {
  if (size.cx <= 0 || size.cy <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // negative: rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) {
    bitmap_.reset();
    return;
  }
  size_ = size;
  stride_ = (std::ptrdiff_t{size.cx} * (bitsPerPixel / 8) + 3) & ~std::ptrdiff_t{3};
  bits_ = static_cast<std::uint8_t*>(bits);
}

UniqueHBitmap DibSection::Release() noexcept {
  size_ = SIZE{0, 0};
  stride_ = 0;
  bits_ = nullptr;
  return std::move(bitmap_);
}

}  // namespace tarvelo
