// The skin picture: form.png turned into the premultiplied 32-bit image that
// the layered window shows, and the snapshots that join the skin with the
// main window's buttons during fades and drags. No window code here, so the
// pixel rules can be tested and fuzzed on the build machine.
#ifndef TARVELO_UI_SKIN_IMAGE_H
#define TARVELO_UI_SKIN_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/dpi_scale.h"

namespace tarvelo {

// Larger pictures are refused as malformed: a header may claim any size. At
// this size a fade holds four pictures of 64 MiB at once, which a 32-bit
// process can afford; at twice the size it could not.
constexpr int kMaxSkinSide = 4096;
// The skin shown at the screen's scale is held to the same size: the layers
// and a fade's pictures then take no more memory at 200 % than the largest
// file does at 100 %, where four 4096 x 4096 pictures would take 1 GiB.
constexpr int kMaxScaledSkinSide = 4096;

// Bytes blue, green, red, alpha per pixel, rows from the top, stride width*4;
// the colours are premultiplied where alpha is below 240.
struct SkinImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  bool empty() const { return width == 0 || height == 0; }
};

// A 24-bit picture (blue, green, red), rows from the top, borrowed from its
// owner, typically a DIB section.
struct CaptureView {
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
  const std::uint8_t* bits = nullptr;
};

// Why a skin could not be loaded: the user is told one or the other, with
// the file's name.
enum class SkinFailure { Missing, BadFormat };

// Tells the user about one failure; the program waits for a modal box.
using SkinFailureSink = std::function<void(SkinFailure failure, const std::string& fileName)>;

// Loads the skin from a file. On failure reports exactly once, leaves `out`
// empty and returns false.
bool LoadSkinImage(const std::string& path, SkinImage& out, const SkinFailureSink& report);

// The same decoding for a picture already in memory; `fileName` is only used
// in the report.
bool LoadSkinImageFromMemory(const void* data, std::size_t size, const std::string& fileName,
                             SkinImage& out, const SkinFailureSink& report);

// A copy of the skin with every capture pixel that is not the key colour laid
// over it, opaque. Pixels the capture does not cover keep the skin's.
SkinImage ComposeSkinSnapshot(const SkinImage& skin, const CaptureView& capture,
                              std::uint8_t keyRed, std::uint8_t keyGreen, std::uint8_t keyBlue);

// The scale at which a skin of `width` x `height` designed at 100 % is
// shown on a screen of `dpi`: that scale, or the largest below it at which
// neither side exceeds kMaxScaledSkinSide.
unsigned SkinDpi(int width, int height, unsigned dpi);

// The skin resampled to `width` x `height`, every colour premultiplied
// (those stored whole at alpha 240 to 254 too): averaged in premultiplied
// terms, edges and shadows keep their colour without dark or light fringes.
// The filter is a tent as wide as a source or target pixel, whichever is
// larger. At the skin's own size the copy is exact.
SkinImage ScaleSkinImage(const SkinImage& skin, int width, int height);

// The per-byte rules of the conversion.
// Colour value c with PNG alpha a, drawn over opaque white.
std::uint8_t CompositeOverWhite(std::uint8_t c, std::uint8_t a);
// The stored alpha for PNG alpha a.
std::uint8_t AlphaMaskValue(std::uint8_t a);
// Colour c scaled by m/255, rounded to nearest.
std::uint8_t PremultiplyByMask(std::uint8_t c, std::uint8_t m);

}  // namespace tarvelo

#endif
