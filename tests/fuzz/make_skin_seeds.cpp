// Writes the fuzzer's starting corpus: small valid pictures of every colour
// type, depth and layout the loader must handle, into the folder given.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/test_png.h"

namespace {

using tarvelo::testpng::Bytes;
using tarvelo::testpng::PngPicture;

// Samples of any depth, made from the position so every picture has edges and gradients.
PngPicture Pattern(int colourType, int bitDepth, int width, int height) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.colourType = colourType;
  picture.bitDepth = bitDepth;
  picture.rows.resize(picture.RowBytes() * height);
  for (std::size_t i = 0; i < picture.rows.size(); ++i) picture.rows[i] = std::uint8_t(i * 29 + i / 7);
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);

  PngPicture palette = Pattern(PNG_COLOR_TYPE_PALETTE, 4, 9, 5);
  for (int i = 0; i < 16; ++i) palette.palette.push_back({std::uint8_t(i * 16), std::uint8_t(255 - i * 9), std::uint8_t(i * 3)});
  palette.paletteAlpha = {0, 40, 128, 225, 226, 239, 240};
  PngPicture rgbKeyed = Pattern(PNG_COLOR_TYPE_RGB, 8, 6, 4);
  png_color_16 key{};
  key.red = rgbKeyed.rows[0];
  key.green = rgbKeyed.rows[1];
  key.blue = rgbKeyed.rows[2];
  rgbKeyed.transparentColour = key;
  PngPicture interlaced = Pattern(PNG_COLOR_TYPE_RGB_ALPHA, 8, 11, 9);
  interlaced.interlaced = true;

  const std::pair<const char*, PngPicture> seeds[] = {
      {"rgba8.png", Pattern(PNG_COLOR_TYPE_RGB_ALPHA, 8, 12, 8)},
      {"rgb8.png", Pattern(PNG_COLOR_TYPE_RGB, 8, 7, 3)},
      {"grey2.png", Pattern(PNG_COLOR_TYPE_GRAY, 2, 13, 4)},
      {"grey_alpha16.png", Pattern(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 5, 5)},
      {"rgba16.png", Pattern(PNG_COLOR_TYPE_RGB_ALPHA, 16, 4, 3)},
      {"palette4_trns.png", palette},
      {"rgb8_trns.png", rgbKeyed},
      {"rgba8_interlaced.png", interlaced},
  };
  for (const auto& [name, picture] : seeds) tarvelo::testpng::WriteFile(folder / name, tarvelo::testpng::EncodePng(picture));

  // An ancillary chunk whose length field claims nearly 2 GiB: the loader must
  // not ask for that memory (the fuzz run limits single allocations).
  Bytes huge = tarvelo::testpng::EncodePng(Pattern(PNG_COLOR_TYPE_RGB, 8, 3, 3));
  const std::size_t idat = tarvelo::testpng::FindChunk(huge, "IDAT");
  Bytes claim;
  tarvelo::testpng::AppendBigEndian32(claim, 0x7FFFFFF0u);
  const char start[] = "sCAL\x01" "1e3\0" "1e3";  // type, then the first bytes of a scale
  claim.insert(claim.end(), start, start + sizeof start - 1);
  huge.insert(huge.begin() + static_cast<std::ptrdiff_t>(idat), claim.begin(), claim.end());
  tarvelo::testpng::WriteFile(folder / "scal_claims_2gib.png", huge);
  return 0;
}
