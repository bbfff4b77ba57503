#include "ui/pictures/picture_scale.h"

#include "app/dib_section.h"
#include "resources/resource_ids.h"
#include "ui/pictures/png_resource.h"

namespace tarvelo {

PictureArt ArtForDpi(UINT dpi) noexcept {
  if (dpi <= kDesignDpi) return PictureArt{0, kDesignDpi};
  if (dpi <= kDesignDpi * 3 / 2) return PictureArt{IDB_AT_150, kDesignDpi * 3 / 2};
  return PictureArt{IDB_AT_200, kDesignDpi * 2};
}

UniqueHBitmap StretchCells(HBITMAP strip, SIZE from, SIZE to, int cells, bool monochrome) {
  const SIZE size{to.cx * cells, to.cy};
  UniqueHBitmap stretched;
  if (monochrome) {
    stretched.reset(::CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
  } else {
    DibSection bitmap(size, 24);
    if (bitmap) stretched = bitmap.Release();
  }
  if (!stretched) return {};
  UniqueMemoryDc fromDc(::CreateCompatibleDC(nullptr));
  UniqueMemoryDc toDc(::CreateCompatibleDC(nullptr));
  if (!fromDc || !toDc) return {};
  SelectObjectRestorer selectFrom(fromDc.get(), strip);
  SelectObjectRestorer selectTo(toDc.get(), stretched.get());
  ::SetStretchBltMode(toDc.get(), COLORONCOLOR);
  // Cell by cell, so that no cell takes a column of its neighbour.
  for (int cell = 0; cell < cells; ++cell) {
    ::StretchBlt(toDc.get(), cell * to.cx, 0, to.cx, to.cy, fromDc.get(), cell * from.cx, 0, from.cx, from.cy,
                 SRCCOPY);
  }
  return stretched;
}

UniqueHBitmap LoadScaledPngPicture(HINSTANCE module, int id, UINT dpi) {
  const PictureArt art = ArtForDpi(dpi);
  UniqueHBitmap picture = LoadPngPicture(module, id + art.idOffset);
  if (!picture || dpi == art.dpi) return picture;
  BITMAP info{};
  ::GetObjectW(picture.get(), sizeof info, &info);
  const SIZE from{info.bmWidth, info.bmHeight};
  const SIZE to{::MulDiv(from.cx, static_cast<int>(dpi), static_cast<int>(art.dpi)),
                ::MulDiv(from.cy, static_cast<int>(dpi), static_cast<int>(art.dpi))};
  return StretchCells(picture.get(), from, to, 1, false);
}

}  // namespace tarvelo
