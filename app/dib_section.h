// A device-independent bitmap whose pixels the program reads and writes
// directly: top-down rows, as in a SkinImage, each starting on a four-byte
// boundary. It owns its bitmap; the pixels live as long as it does.
#ifndef TARVELO_APP_DIB_SECTION_H
#define TARVELO_APP_DIB_SECTION_H

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "app/handles.h"

namespace tarvelo {

class DibSection {
 public:
  DibSection() noexcept = default;
  // 24 or 32 bits per pixel. Check with operator bool: a size of zero or a
  // refusal of the system leaves it empty.
  DibSection(SIZE size, WORD bitsPerPixel);

  DibSection(DibSection&&) noexcept = default;
  DibSection& operator=(DibSection&&) noexcept = default;

  explicit operator bool() const noexcept { return static_cast<bool>(bitmap_) && bits_ != nullptr; }
  HBITMAP Handle() const noexcept { return bitmap_.get(); }
  SIZE Size() const noexcept { return size_; }
  std::ptrdiff_t Stride() const noexcept { return stride_; }
  std::uint8_t* Bits() const noexcept { return bits_; }
  std::uint8_t* Row(int y) const noexcept { return bits_ + y * stride_; }

  // Hands the bitmap over, e.g. to an owner of plain HBITMAPs; this becomes empty.
  UniqueHBitmap Release() noexcept;

 private:
  UniqueHBitmap bitmap_;
  SIZE size_{0, 0};
  std::ptrdiff_t stride_ = 0;
  std::uint8_t* bits_ = nullptr;
};

}  // namespace tarvelo

#endif
