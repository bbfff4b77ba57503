#include "ui/pictures/png_resource.h"

#include <cstdint>
#include <vector>

#include "app/dib_section.h"
#include "ui/pictures/png_decoder.h"

namespace tarvelo {
namespace {

// The program's pictures are far smaller; a header claiming more is not one
// of them, and no memory is asked for it.
constexpr std::uint32_t kMaxSide = 4096;

// RT_RCDATA, whose name the headers make for the ANSI call in this build.
const LPCWSTR kRawData = MAKEINTRESOURCEW(10);

// One picture resource being decoded: its bytes and the decoder reading them.
class OpenedPng {
 public:
  OpenedPng() = default;
  OpenedPng(const OpenedPng&) = delete;
  OpenedPng& operator=(const OpenedPng&) = delete;

  // Finds the resource and reads its header; false when it is missing or is
  // not the kind of picture asked for.
  bool Open(HINSTANCE module, int id, PngRows rows) {
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), kRawData);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return false;
    source_ = PngMemorySource(data, ::SizeofResource(module, found));
    if (!decoder_.ReadHeader()) return false;
    if (rows == PngRows::kOneBit) return decoder_.Colour() == PngDecoder::kGrey && decoder_.Depth() == 1;
    return (decoder_.Colour() & PngDecoder::kGreyAlpha) == 0 && !decoder_.HasTransparencyChunk();
  }

  PngDecoder& Decoder() { return decoder_; }

 private:
  PngMemorySource source_{nullptr, 0};
  PngDecoder decoder_{source_, kMaxSide};
};

}  // namespace

UniqueHBitmap LoadPngPicture(HINSTANCE module, int id) {
  OpenedPng png;
  if (!png.Open(module, id, PngRows::kBgr)) return {};
  const std::uint32_t width = png.Decoder().Width();
  const std::uint32_t height = png.Decoder().Height();

  DibSection bitmap(SIZE{static_cast<LONG>(width), static_cast<LONG>(height)}, 24);
  if (!bitmap) return {};
  std::vector<std::uint8_t*> rows(height);
  for (std::uint32_t y = 0; y < height; ++y) rows[y] = bitmap.Row(static_cast<int>(y));
  if (!png.Decoder().ReadImage(PngRows::kBgr, rows.data())) return {};
  return bitmap.Release();
}

UniqueHBitmap LoadPngMask(HINSTANCE module, int id) {
  OpenedPng png;
  if (!png.Open(module, id, PngRows::kOneBit)) return {};
  const std::uint32_t width = png.Decoder().Width();
  const std::uint32_t height = png.Decoder().Height();

  // A PNG's 1-bit rows are a monochrome bitmap's, bit for bit; the bitmap's
  // rows are padded to 16 bits.
  const std::size_t stride = (std::size_t{width} + 15) / 16 * 2;
  std::vector<std::uint8_t> bits(stride * height);
  std::vector<std::uint8_t*> rows(height);
  for (std::uint32_t y = 0; y < height; ++y) rows[y] = &bits[y * stride];
  if (!png.Decoder().ReadImage(PngRows::kOneBit, rows.data())) return {};
  return UniqueHBitmap(::CreateBitmap(static_cast<int>(width), static_cast<int>(height), 1, 1, bits.data()));
}

}  // namespace tarvelo
