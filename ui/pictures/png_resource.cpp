#include "ui/pictures/png_resource.h"

#include <vector>

#include "app/dib_section.h"
#include "ui/pictures/png_reader.h"

namespace tarvelo {
namespace {

// The program's pictures are far smaller; a header claiming more is not one
// of them, and no memory is asked for it.
constexpr png_uint_32 kMaxSide = 4096;

// RT_RCDATA, whose name the headers make for the ANSI call in this build.
const LPCWSTR kRawData = MAKEINTRESOURCEW(10);

enum class Rows { kBgr, kOneBit };

bool FindPng(HINSTANCE module, int id, PngMemoryInput& input) {
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), kRawData);
  const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) return false;
  input = PngMemoryInput{static_cast<const png_byte*>(data), ::SizeofResource(module, found)};
  return true;
}

// ReadHeader holds the setjmp that libpng's errors come back to, so it owns
// nothing with a destructor.
bool ReadHeader(png_structp png, png_infop info, Rows rows, png_uint_32* width, png_uint_32* height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  const int type = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (rows == Rows::kOneBit) {
    if (type != PNG_COLOR_TYPE_GRAY || depth != 1) return false;
  } else {
    if ((type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0) return false;
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  const std::size_t rowBytes = rows == Rows::kOneBit ? (std::size_t{*width} + 7) / 8 : std::size_t{*width} * 3;
  return png_get_rowbytes(png, info) == rowBytes;
}

// One picture resource being decoded: its bytes, libpng's structures and
// the size its header gives.
struct OpenedPng {
  PngMemoryInput input{};
  PngReader reader;
  png_uint_32 width = 0;
  png_uint_32 height = 0;

  // Finds the resource and reads its header; false when it is missing or is
  // not the kind of picture asked for.
  bool Open(HINSTANCE module, int id, Rows rows) {
    if (!FindPng(module, id, input) || !reader.ok()) return false;
    png_set_read_fn(reader.png(), &input, ReadPngFromMemory);
    png_set_user_limits(reader.png(), kMaxSide, kMaxSide);
    return ReadHeader(reader.png(), reader.info(), rows, &width, &height);
  }
};

}  // namespace

UniqueHBitmap LoadPngPicture(HINSTANCE module, int id) {
  OpenedPng png;
  if (!png.Open(module, id, Rows::kBgr)) return {};

  DibSection bitmap(SIZE{static_cast<LONG>(png.width), static_cast<LONG>(png.height)}, 24);
  if (!bitmap) return {};
  std::vector<png_bytep> rows(png.height);
  for (png_uint_32 y = 0; y < png.height; ++y) rows[y] = bitmap.Row(static_cast<int>(y));
  if (!ReadPngRows(png.reader.png(), rows.data())) return {};
  return bitmap.Release();
}

UniqueHBitmap LoadPngMask(HINSTANCE module, int id) {
  OpenedPng png;
  if (!png.Open(module, id, Rows::kOneBit)) return {};

  // A PNG's 1-bit rows are a monochrome bitmap's, bit for bit; the bitmap's
  // rows are padded to 16 bits.
  const std::size_t stride = (std::size_t{png.width} + 15) / 16 * 2;
  std::vector<png_byte> bits(stride * png.height);
  std::vector<png_bytep> rows(png.height);
  for (png_uint_32 y = 0; y < png.height; ++y) rows[y] = &bits[y * stride];
  if (!ReadPngRows(png.reader.png(), rows.data())) return {};
  return UniqueHBitmap(::CreateBitmap(static_cast<int>(png.width), static_cast<int>(png.height), 1, 1, bits.data()));
}

}  // namespace tarvelo
