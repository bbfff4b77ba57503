// Feeds arbitrary bytes to the skin loader, and lays a capture made of the
// same bytes over whatever loads. Besides the sanitizers' findings it stops on
// a broken promise of the loader: one message exactly on failure, none on
// success, the empty image on failure, a size within the limit, and
// premultiplied colours never above their alpha.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/skin/skin_image.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckLoaded(const tarvelo::SkinImage& image) {
  Check(image.width > 0 && image.width <= tarvelo::kMaxSkinSide);
  Check(image.height > 0 && image.height <= tarvelo::kMaxSkinSide);
  Check(image.pixels.size() == std::size_t(image.width) * std::size_t(image.height) * 4);
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    const std::uint8_t alpha = image.pixels[i + 3];
    if (alpha < 240) Check(image.pixels[i] <= alpha && image.pixels[i + 1] <= alpha && image.pixels[i + 2] <= alpha);
  }
}

// A capture of up to 16 x 16 pixels taken from the input itself, so that its
// size and content vary with it; never larger than the input.
tarvelo::CaptureView CaptureFrom(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return {};
  const int width = data[0] % 17;
  const std::size_t stride = std::size_t(width) * 3;
  int height = data[1] % 17;
  if (stride > 0 && stride * std::size_t(height) > size) height = int(size / stride);
  return {width, height, std::ptrdiff_t(stride), data};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int messages = 0;
  tarvelo::SkinImage image;
  const bool loaded = tarvelo::LoadSkinImageFromMemory(data, size, "form.png", image,
                                                       [&messages](tarvelo::SkinFailure, const std::string&) { ++messages; });
  Check(messages == (loaded ? 0 : 1));
  if (!loaded) {
    Check(image.width == 0 && image.height == 0 && image.pixels.empty());
    return 0;
  }
  CheckLoaded(image);
  const tarvelo::SkinImage snapshot = tarvelo::ComposeSkinSnapshot(image, CaptureFrom(data, size), 255, 255, 255);
  Check(snapshot.width == image.width && snapshot.height == image.height &&
        snapshot.pixels.size() == image.pixels.size());
  return 0;
}
