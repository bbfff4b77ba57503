// A strip of equally sized pictures, each drawn through its own 1-bit mask:
// where a mask bit is set the destination keeps what it held, so a picture
// can be laid over any background without a colour of its own being lost.
#ifndef TARVELO_UI_IMAGE_LIST_H
#define TARVELO_UI_IMAGE_LIST_H

#include <windows.h>

#include "app/handles.h"
#include "app/screen_scale.h"

namespace tarvelo {

class TImageList {
 public:
  // Loads the pictures (side by side, left to right) and their mask from PNG
  // resources of `module` (ui/pictures/png_resource.h). Throws OutOfResourcesError
  // when either is missing or their sizes do not make a whole number of
  // pictures.
  TImageList(HINSTANCE module, int picturesId, int maskId, int width, int height);
  // The same list at the screen scale `dpi`: `width` and `height` are the
  // pictures' size at 100 %, the ids those of the 100 % drawings; the
  // pictures are those drawn for the scale (ui/pictures/picture_scale.h).
  TImageList(HINSTANCE module, int picturesId, int maskId, int width, int height, UINT dpi);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  int Count() const noexcept { return count_; }

  // Draws picture `index` with its top-left corner at (x, y). Returns false,
  // drawing nothing, for an index outside the list.
  bool Draw(HDC dc, int x, int y, int index) const;

 private:
  int width_;
  int height_;
  int count_ = 0;
  // Masked pixels are made black once at load, so that a draw is two raster
  // operations: the mask clears the opaque part, the pictures are OR-ed in.
  UniqueHBitmap pictures_;
  UniqueHBitmap mask_;  // monochrome: 1 = transparent
};

}  // namespace tarvelo

#endif
