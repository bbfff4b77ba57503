// Helpers for the picture tests: the mouse driven through the system's input
// queue, as a user's hand would drive it, and 32-bit canvases whose pixels
// can be read back.
#ifndef TARVELO_TESTS_WINE_MOUSE_AND_PIXELS_H
#define TARVELO_TESTS_WINE_MOUSE_AND_PIXELS_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/dib_section.h"
#include "app/handles.h"

namespace tarvelo::testing {

// Moves the cursor to a screen point; the window under it sees the moves and
// the leave as it would from a real mouse. Returns whether it arrived.
inline bool MoveMouseTo(POINT screen) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  // Absolute positions are in 1/65536 of the screen; rounding up lands on the
  // pixel itself whether the system rounds down or to nearest.
  input.mi.dx = static_cast<LONG>((static_cast<std::int64_t>(screen.x) * 65536 + width - 1) / width);
  input.mi.dy = static_cast<LONG>((static_cast<std::int64_t>(screen.y) * 65536 + height - 1) / height);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
  POINT now{};
  ::GetCursorPos(&now);
  return now.x == screen.x && now.y == screen.y;
}

inline bool MoveMouseTo(HWND window, POINT client) {
  ::ClientToScreen(window, &client);
  return MoveMouseTo(client);
}

// A press and release of a mouse button where the cursor is.
inline void ClickMouse(DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = down;
  inputs[1].mi.dwFlags = up;
  ::SendInput(2, inputs, sizeof inputs[0]);
}

inline POINT CentreOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A white 32-bit picture with a memory DC to draw on; pixels read as 0xRRGGBB.
class Canvas {
 public:
  Canvas(int width, int height, std::uint32_t fill = 0xFFFFFF)
      : width_(width), height_(height), bitmap_(SIZE{width, height}, 32), dc_(::CreateCompatibleDC(nullptr)),
        selected_(dc_.get(), bitmap_.Handle()) {
    for (int i = 0; i < width * height; ++i) Bits()[i] = fill;
  }

  HDC Dc() const { return dc_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint32_t Pixel(int x, int y) const {
    ::GdiFlush();
    return Bits()[y * width_ + x] & 0xFFFFFF;
  }

 private:
  std::uint32_t* Bits() const { return reinterpret_cast<std::uint32_t*>(bitmap_.Bits()); }

  int width_;
  int height_;
  DibSection bitmap_;
  UniqueMemoryDc dc_;
  SelectObjectRestorer selected_;
};

// The pixels of a bitmap, rows from the top, as 0xRRGGBB.
inline std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, SIZE size) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = ::GetDC(nullptr);
  ::GetDIBits(screen, bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

}  // namespace tarvelo::testing

#endif
