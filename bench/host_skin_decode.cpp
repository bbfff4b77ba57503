// Wall time of loading a skin from its file (decode and convert), for the
// designed 251 x 215 window and for a full-HD picture, and for any PNG files
// named on the command line (the build's form.png, say). Prints figures only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "tests/support/test_png.h"
#include "ui/skin/skin_image.h"

namespace {

using tarvelo::testpng::Bytes;

// A skin-like picture: an opaque body, soft edges fading to transparent
// corners, a colour gradient and some fine detail for the compressor.
Bytes SkinLikeRgba(int width, int height) {
  Bytes rgba;
  rgba.reserve(std::size_t(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
      const int alpha = std::min(255, edge * 16);
      rgba.insert(rgba.end(), {std::uint8_t(x * 255 / width), std::uint8_t(y * 255 / height),
                               std::uint8_t((x ^ y) & 0x3F), std::uint8_t(alpha)});
    }
  return rgba;
}

double MedianMilliseconds(const std::string& path, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    tarvelo::SkinImage image;
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = tarvelo::LoadSkinImage(path, image, [](tarvelo::SkinFailure, const std::string& name) {
      std::fprintf(stderr, "cannot load %s\n", name.c_str());
    });
    const auto stop = std::chrono::steady_clock::now();
    if (!loaded) return -1;
    times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  tarvelo::testpng::TempDir dir;
  struct Size {
    int width, height, runs;
  };
  for (const Size& size : {Size{251, 215, 31}, Size{1920, 1080, 9}}) {
    const auto path = dir.path() / ("skin_" + std::to_string(size.width) + ".png");
    tarvelo::testpng::WriteFile(
        path, tarvelo::testpng::EncodePng(tarvelo::testpng::RgbaPicture(size.width, size.height,
                                                                       SkinLikeRgba(size.width, size.height))));
    std::printf("skin decode %4d x %4d: median %8.3f ms of %d runs\n", size.width, size.height,
                MedianMilliseconds(path.string(), size.runs), size.runs);
  }
  for (int i = 1; i < argc; ++i)
    std::printf("skin decode %s: median %8.3f ms of 31 runs\n", argv[i], MedianMilliseconds(argv[i], 31));
  return 0;
}
