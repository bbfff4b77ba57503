#include "ui/pictures/png_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/test_png.h"

namespace tarvelo {
namespace {

using testpng::Bytes;
using testpng::PngPicture;

// libpng read as the program read with it before it had its own decoder:
// the same limits, chunk handling and transformations for each row layout.
struct LibpngInput {
  const std::uint8_t* next;
  std::size_t left;
};

void ReadInput(png_structp png, png_bytep out, std::size_t count) {
  auto* input = static_cast<LibpngInput*>(png_get_io_ptr(png));
  if (count > input->left) png_error(png, "unexpected end of data");
  std::memcpy(out, input->next, count);
  input->next += count;
  input->left -= count;
}
[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

std::size_t RowSize(PngRows layout, std::uint32_t width) {
  return layout == PngRows::kBgra ? width * 4 : layout == PngRows::kBgr ? width * 3 : (width + 7) / 8;
}

// Holds the setjmp, so it owns nothing with a destructor.
bool ReadWithLibpng(png_structp png, png_infop info, PngRows layout, Bytes& pixels, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  const int type = png_get_color_type(png, info);
  if (layout == PngRows::kOneBit) {
    if (type != PNG_COLOR_TYPE_GRAY || png_get_bit_depth(png, info) != 1) return false;
  } else {
    if (layout == PngRows::kBgr && ((type & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS))) return false;
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if (layout == PngRows::kBgra) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::uint32_t width = png_get_image_width(png, info);
  const std::uint32_t height = png_get_image_height(png, info);
  pixels.assign(RowSize(layout, width) * height, 0);
  rows.resize(height);
  for (std::uint32_t y = 0; y < height; ++y) rows[y] = &pixels[y * RowSize(layout, width)];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

std::optional<Bytes> Libpng(const Bytes& file, PngRows layout) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  png_infop info = png_create_info_struct(png);
  LibpngInput input{file.data(), file.size()};
  png_set_read_fn(png, &input, ReadInput);
  png_set_user_limits(png, 4096, 4096);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  Bytes pixels;
  std::vector<png_bytep> rows;
  const bool read = ReadWithLibpng(png, info, layout, pixels, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!read) return std::nullopt;
  return pixels;
}

std::optional<Bytes> Ours(const Bytes& file, PngRows layout) {
  PngMemorySource source(file.data(), file.size());
  PngDecoder decoder(source, 4096);
  if (!decoder.ReadHeader()) return std::nullopt;
  const int type = decoder.Colour();
  if (layout == PngRows::kOneBit && (type != PngDecoder::kGrey || decoder.Depth() != 1)) return std::nullopt;
  if (layout == PngRows::kBgr && ((type & PngDecoder::kGreyAlpha) || decoder.HasTransparencyChunk())) return std::nullopt;
  Bytes pixels(RowSize(layout, decoder.Width()) * decoder.Height(), 0);
  std::vector<std::uint8_t*> rows(decoder.Height());
  for (std::uint32_t y = 0; y < decoder.Height(); ++y) rows[y] = &pixels[y * RowSize(layout, decoder.Width())];
  if (!decoder.ReadImage(layout, rows.data())) return std::nullopt;
  return pixels;
}

// The file again with its palette cut to `entries`, so that the rows hold
// indices past its end (libpng reads them as opaque black).
Bytes WithShortPalette(const Bytes& file, std::size_t entries) {
  const std::size_t at = testpng::FindChunk(file, "PLTE");
  const std::size_t length = std::size_t(file[at + 2]) << 8 | file[at + 3];
  Bytes out(file.begin(), file.begin() + std::ptrdiff_t(at));
  testpng::AppendChunk(out, "PLTE", Bytes(file.begin() + std::ptrdiff_t(at + 8),
                                          file.begin() + std::ptrdiff_t(at + 8 + entries * 3)));
  out.insert(out.end(), file.begin() + std::ptrdiff_t(at + 12 + length), file.end());
  return out;
}

// Every colour type at every depth the format allows, interlaced or not, with
// and without tRNS, at sizes that leave Adam7 passes empty or partial; each
// decoded into every row layout that can take it, byte for byte as libpng.
TEST(PngDecoder, DecodesEveryKindOfPictureAsLibpng) {
  struct Kind {
    int colourType;
    std::vector<int> depths;
  };
  const Kind kinds[] = {{PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},  {PNG_COLOR_TYPE_RGB, {8, 16}},
                        {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},   {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
                        {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}}};
  const std::pair<int, int> sizes[] = {{1, 1}, {3, 5}, {33, 7}};
  std::uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, std::uint8_t(seed >> 16); };
  int compared = 0;
  for (const Kind& kind : kinds) {
    for (const int depth : kind.depths) {
      for (const auto& [width, height] : sizes) {
        for (const bool interlaced : {false, true}) {
          const bool canHaveTrns = (kind.colourType & PNG_COLOR_MASK_ALPHA) == 0;
          for (const bool trns : {false, true}) {
            if (trns && !canHaveTrns) continue;
            PngPicture picture;
            picture.width = width;
            picture.height = height;
            picture.colourType = kind.colourType;
            picture.bitDepth = depth;
            picture.interlaced = interlaced;
            picture.rows.resize(picture.RowBytes() * height);
            // Few distinct values, so that the colour key is met, and runs
            // that the compressor turns into copies.
            for (std::size_t i = 0; i < picture.rows.size(); ++i)
              picture.rows[i] = i % 5 < 2 && i > 0 ? picture.rows[i - 1] : std::uint8_t(next() & 0xE7);
            if (kind.colourType == PNG_COLOR_TYPE_PALETTE) {
              for (int i = 0; i < (1 << depth); ++i) picture.palette.push_back({next(), next(), next()});
              if (trns) picture.paletteAlpha = {0, 128, 255, 7};
              if (trns && depth == 1) picture.paletteAlpha.resize(2);
            } else if (trns) {
              // The first pixel's samples, so that it and its like turn transparent.
              png_color_16 key{};
              const auto sampleAt = [&](int index) {
                if (depth == 16) return picture.rows[2 * index] << 8 | picture.rows[2 * index + 1];
                return (picture.rows[index * depth / 8] >> (8 - depth - index * depth % 8)) & ((1 << depth) - 1);
              };
              if (kind.colourType == PNG_COLOR_TYPE_GRAY) {
                key.gray = std::uint16_t(sampleAt(0));
              } else {
                key.red = std::uint16_t(sampleAt(0));
                key.green = std::uint16_t(sampleAt(1));
                key.blue = std::uint16_t(sampleAt(2));
              }
              picture.transparentColour = key;
            }
            std::vector<Bytes> files = {testpng::EncodePng(picture)};
            if (kind.colourType == PNG_COLOR_TYPE_PALETTE && depth == 8) files.push_back(WithShortPalette(files[0], 100));
            for (const Bytes& file : files) {
              for (const PngRows layout : {PngRows::kBgra, PngRows::kBgr, PngRows::kOneBit}) {
                SCOPED_TRACE("type " + std::to_string(kind.colourType) + " depth " + std::to_string(depth) + " " +
                             std::to_string(width) + "x" + std::to_string(height) + (interlaced ? " interlaced" : "") +
                             (trns ? " tRNS" : "") + (file.size() != files[0].size() ? " short palette" : "") +
                             " layout " + std::to_string(int(layout)));
                const std::optional<Bytes> expected = Libpng(file, layout);
                const std::optional<Bytes> decoded = Ours(file, layout);
                ASSERT_EQ(decoded.has_value(), expected.has_value());
                if (expected) {
                  ASSERT_EQ(*decoded, *expected);
                  ++compared;
                }
              }
            }
          }
        }
      }
    }
  }
  EXPECT_GT(compared, 150);
}

}  // namespace
}  // namespace tarvelo
