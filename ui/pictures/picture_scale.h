// The program's pictures at the screen's scale. Each is carried drawn at
// 100, 150 and 200 %; a scale between those takes the next larger drawing
// and shrinks it, one above 200 % enlarges the 200 % one. Shrinking and
// enlarging keep whole pixels (nearest neighbour): the pictures are laid
// through 1-bit masks and on a see-through white, and a blended edge pixel
// would show as a fringe of neither.
#ifndef TARVELO_UI_PICTURE_SCALE_H
#define TARVELO_UI_PICTURE_SCALE_H

#include <windows.h>

#include "app/handles.h"
#include "app/screen_scale.h"

namespace tarvelo {

// Which drawing serves a scale: the resource id offset and the scale, as
// DPI, at which it was drawn.
struct PictureArt {
  int idOffset;
  UINT dpi;
};
PictureArt ArtForDpi(UINT dpi) noexcept;

// `cells` pictures of `from` side by side, each stretched to `to`, in a new
// bitmap of the same kind (24-bit colour or monochrome). Null on failure.
UniqueHBitmap StretchCells(HBITMAP strip, SIZE from, SIZE to, int cells, bool monochrome);

// A picture stored with a form (LoadPngPicture) at `dpi`: the drawing for
// that scale, stretched to its size there when none was drawn for it.
UniqueHBitmap LoadScaledPngPicture(HINSTANCE module, int id, UINT dpi);

}  // namespace tarvelo

#endif
