#include "ui/png_resource.h"

#include <png.h>

#include "app/dib_section.h"

#include <cstring>
#include <vector>

namespace tarvelo {
namespace {

// The program's pictures are far smaller; a header claiming more is not one
// of them, and no memory is asked for it.
constexpr png_uint_32 kMaxSide = 4096;

enum class Rows { kBgr, kOneBit };

struct Input {
  const png_byte* next;
  std::size_t left;
};

bool FindPng(HINSTANCE module, int id, Input& input) {
  const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
  const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) return false;
  input = Input{static_cast<const png_byte*>(data), ::SizeofResource(module, found)};
  return true;
}

// libpng reports errors by longjmp.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

void ReadInput(png_structp png, png_bytep out, std::size_t count) {
  auto* input = static_cast<Input*>(png_get_io_ptr(png));
  if (count > input->left) png_error(png, "unexpected end of data");
  std::memcpy(out, input->next, count);
  input->next += count;
  input->left -= count;
}

class Decoder {
 public:
  explicit Decoder(Input& input)
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning)),
        info_(png_ ? png_create_info_struct(png_) : nullptr) {
    if (!info_) return;
    png_set_read_fn(png_, &input, ReadInput);
    png_set_user_limits(png_, kMaxSide, kMaxSide);
  }
  ~Decoder() { png_destroy_read_struct(&png_, &info_, nullptr); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool ok() const { return info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_;
  png_infop info_;
};

// ReadHeader and ReadRows hold the setjmp that libpng's errors come back to,
// so they own nothing with a destructor.

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

bool ReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

UniqueHBitmap LoadPngPicture(HINSTANCE module, int id) {
  Input input{};
  if (!FindPng(module, id, input)) return {};
  Decoder decoder(input);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  if (!decoder.ok() || !ReadHeader(decoder.png(), decoder.info(), Rows::kBgr, &width, &height)) return {};

  DibSection bitmap(SIZE{static_cast<LONG>(width), static_cast<LONG>(height)}, 24);
  if (!bitmap) return {};
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = bitmap.Row(static_cast<int>(y));
  if (!ReadRows(decoder.png(), rows.data())) return {};
  return bitmap.Release();
}

UniqueHBitmap LoadPngMask(HINSTANCE module, int id) {
  Input input{};
  if (!FindPng(module, id, input)) return {};
  Decoder decoder(input);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  if (!decoder.ok() || !ReadHeader(decoder.png(), decoder.info(), Rows::kOneBit, &width, &height)) return {};

  // A PNG's 1-bit rows are a monochrome bitmap's, bit for bit; the bitmap's
  // rows are padded to 16 bits.
  const std::size_t stride = (std::size_t{width} + 15) / 16 * 2;
  std::vector<png_byte> bits(stride * height);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = &bits[y * stride];
  if (!ReadRows(decoder.png(), rows.data())) return {};
  return UniqueHBitmap(::CreateBitmap(static_cast<int>(width), static_cast<int>(height), 1, 1, bits.data()));
}

}  // namespace tarvelo
