// Device-independent bitmap headers as the program uses them.
#ifndef TARVELO_UI_DIB_H
#define TARVELO_UI_DIB_H

#include <windows.h>

namespace tarvelo {

// A top-down DIB header: rows are stored from the top, as in a SkinImage.
inline BITMAPINFO TopDownDib(SIZE size, WORD bitsPerPixel) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace tarvelo

#endif
