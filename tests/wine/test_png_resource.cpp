// The program carries its pictures as PNG and its icon's images
// PNG-compressed. What it gets from them must be what Windows made of the
// same pictures stored the old way, as BMP and as an uncompressed icon; the
// build draws those beside the program's, into reference/.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/handles.h"
#include "resources/resource_ids.h"
#include "tests/wine/mouse_and_pixels.h"
#include "ui/pictures/png_resource.h"

namespace tarvelo {
namespace {

using testing::BitmapPixels;
using testing::Canvas;

struct Picture {
  int id;
  const char* reference;
  bool mask;
};

constexpr Picture kPictures[] = {
    {IDB_BUTTONS, "buttons.bmp", false}, {IDB_BUTTONS_MASK, "buttons_mask.bmp", true},
    {IDB_CLOSE, "close.bmp", false},     {IDB_CLOSE_MASK, "close_mask.bmp", true},
    {IDB_LOGO, "logo.bmp", false},       {IDB_EMBLEM, "emblem.bmp", false},
    {IDB_WORDMARK, "wordmark.bmp", false},
    // The same pictures drawn at 150 and 200 %.
    {IDB_BUTTONS_150, "buttons_150.bmp", false}, {IDB_BUTTONS_MASK_150, "buttons_mask_150.bmp", true},
    {IDB_CLOSE_150, "close_150.bmp", false},     {IDB_CLOSE_MASK_150, "close_mask_150.bmp", true},
    {IDB_LOGO_150, "logo_150.bmp", false},       {IDB_EMBLEM_150, "emblem_150.bmp", false},
    {IDB_WORDMARK_150, "wordmark_150.bmp", false},
    {IDB_BUTTONS_200, "buttons_200.bmp", false}, {IDB_BUTTONS_MASK_200, "buttons_mask_200.bmp", true},
    {IDB_CLOSE_200, "close_200.bmp", false},     {IDB_CLOSE_MASK_200, "close_mask_200.bmp", true},
    {IDB_LOGO_200, "logo_200.bmp", false},       {IDB_EMBLEM_200, "emblem_200.bmp", false},
    {IDB_WORDMARK_200, "wordmark_200.bmp", false},
};

BITMAP Describe(HBITMAP bitmap) {
  BITMAP info{};
  ::GetObjectA(bitmap, sizeof info, &info);
  return info;
}

TEST(PngResources, DecodeToTheBitmapsWindowsMadeOfTheBmps) {
  const HINSTANCE module = ::GetModuleHandleA(nullptr);
  for (const Picture& picture : kPictures) {
    SCOPED_TRACE(picture.reference);
    const UniqueHBitmap decoded = picture.mask ? LoadPngMask(module, picture.id) : LoadPngPicture(module, picture.id);
    const UniqueHBitmap reference(static_cast<HBITMAP>(
        ::LoadImageA(nullptr, (std::string("reference\\") + picture.reference).c_str(), IMAGE_BITMAP, 0, 0,
                     LR_LOADFROMFILE | (picture.mask ? LR_MONOCHROME : LR_CREATEDIBSECTION))));
    ASSERT_TRUE(decoded);
    ASSERT_TRUE(reference);
    const BITMAP got = Describe(decoded.get());
    const BITMAP want = Describe(reference.get());
    EXPECT_EQ(got.bmWidth, want.bmWidth);
    EXPECT_EQ(got.bmHeight, want.bmHeight);
    EXPECT_EQ(got.bmBitsPixel, want.bmBitsPixel);
    EXPECT_EQ(got.bmBits != nullptr, want.bmBits != nullptr) << "a DIB section exactly where the BMP gave one";
    const SIZE size{want.bmWidth, want.bmHeight};
    EXPECT_TRUE(BitmapPixels(decoded.get(), size) == BitmapPixels(reference.get(), size));
  }
}

// The icon as drawn at a size over a background, rows from the top.
std::vector<std::uint32_t> DrawnIcon(HICON icon, int size, std::uint32_t background) {
  Canvas canvas(size, size, background);
  ::DrawIconEx(canvas.Dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) pixels.push_back(canvas.Pixel(x, y));
  }
  return pixels;
}

TEST(PngResources, IconDrawsAsTheUncompressedIconAtEverySize) {
  for (const int size : {16, 24, 32, 48, 64, 72, 96, 128}) {
    SCOPED_TRACE(size);
    const UniqueHIcon icon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON),
                                                           IMAGE_ICON, size, size, 0)));
    const UniqueHIcon reference(
        static_cast<HICON>(::LoadImageA(nullptr, "reference\\tarvelo.ico", IMAGE_ICON, size, size, LR_LOADFROMFILE)));
    ASSERT_TRUE(icon);
    ASSERT_TRUE(reference);
    for (const std::uint32_t background : {0x000000u, 0xFFFFFFu, 0x3366CCu}) {
      EXPECT_TRUE(DrawnIcon(icon.get(), size, background) == DrawnIcon(reference.get(), size, background))
          << "over " << std::hex << background;
    }
  }
}

}  // namespace
}  // namespace tarvelo
