// Pictures the executable carries as PNG (resources of type RCDATA), decoded
// into the bitmaps that LoadImage makes of the same pictures stored as BMP:
// PNG keeps the executable small, and the program has libpng for its skin
// anyway.
#ifndef TARVELO_UI_PNG_RESOURCE_H
#define TARVELO_UI_PNG_RESOURCE_H

#include <windows.h>

#include "app/handles.h"

namespace tarvelo {

// A colour picture as a 24-bit DIB section, with the pixels LoadImage gives
// a 24-bit BMP with LR_CREATEDIBSECTION. Null when the resource is missing or
// is not an opaque colour, grey or palette PNG.
UniqueHBitmap LoadPngPicture(HINSTANCE module, int id);

// A two-colour mask as a monochrome bitmap whose 1 bits are the picture's
// white pixels, as LoadImage makes it of a 1-bit BMP with LR_MONOCHROME. Null
// when the resource is missing or is not a 1-bit greyscale PNG.
UniqueHBitmap LoadPngMask(HINSTANCE module, int id);

}  // namespace tarvelo

#endif
