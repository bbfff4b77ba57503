// Makes PNG files at run time for the host tests, the fuzzer's seeds and the
// benchmarks, so that no binary picture is kept in the repository. Host only.
#ifndef TARVELO_TESTS_SUPPORT_TEST_PNG_H
#define TARVELO_TESTS_SUPPORT_TEST_PNG_H

#include <png.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvelo::testpng {

using Bytes = std::vector<std::uint8_t>;

// A picture as stored: `rows` holds height rows of RowBytes() bytes each,
// samples packed as the format has them (16-bit big-endian, small depths
// packed from the high bit).
struct PngPicture {
  int width = 0;
  int height = 0;
  int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;
  Bytes paletteAlpha;                             // tRNS of a palette picture
  std::optional<png_color_16> transparentColour;  // tRNS of a grey or RGB picture
  Bytes rows;

  int Channels() const {
    switch (colourType) {
      case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
      case PNG_COLOR_TYPE_RGB: return 3;
      case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
      default: return 1;
    }
  }
  std::size_t RowBytes() const { return (std::size_t(width) * Channels() * bitDepth + 7) / 8; }
};

namespace detail {

inline void AppendToBytes(png_structp png, png_bytep data, std::size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
inline void FlushNothing(png_structp) {}

// Holds the setjmp, so it owns nothing with a destructor.
inline bool WriteAll(png_structp png, png_infop info, const PngPicture& picture, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colourType,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette.empty())
    png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
  if (!picture.paletteAlpha.empty())
    png_set_tRNS(png, info, picture.paletteAlpha.data(), static_cast<int>(picture.paletteAlpha.size()), nullptr);
  if (picture.transparentColour)
    png_set_tRNS(png, info, nullptr, 0, &*picture.transparentColour);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace detail

// Encodes the picture with libpng's writer; throws when libpng refuses it.
inline Bytes EncodePng(const PngPicture& picture) {
  if (picture.rows.size() != picture.RowBytes() * std::size_t(picture.height))
    throw std::invalid_argument("PngPicture rows do not match its size");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  Bytes out;
  std::vector<png_bytep> rows(picture.height);
  for (int y = 0; y < picture.height; ++y)
    rows[y] = const_cast<png_bytep>(&picture.rows[std::size_t(y) * picture.RowBytes()]);
  bool written = false;
  if (info) {
    png_set_write_fn(png, &out, detail::AppendToBytes, detail::FlushNothing);
    written = detail::WriteAll(png, info, picture, rows.data());
  }
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("libpng could not write the test picture");
  return out;
}

// 8-bit RGBA picture from straight R,G,B,A bytes.
inline PngPicture RgbaPicture(int width, int height, Bytes rgba) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.rows = std::move(rgba);
  return picture;
}

// Pieces for hand-made files that libpng's writer would refuse to produce.
inline void AppendBigEndian32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void AppendChunk(Bytes& file, const char* type, const Bytes& data) {
  AppendBigEndian32(file, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, &file[typeAt], static_cast<uInt>(file.size() - typeAt));
  AppendBigEndian32(file, static_cast<std::uint32_t>(crc));
}

// An 8-bit RGBA file whose header claims any size, followed by a few bytes
// of valid compressed data.
inline Bytes HandMadeRgbaPng(std::uint32_t width, std::uint32_t height) {
  Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  AppendBigEndian32(header, width);
  AppendBigEndian32(header, height);
  header.insert(header.end(), {8, PNG_COLOR_TYPE_RGB_ALPHA, 0, 0, 0});
  AppendChunk(file, "IHDR", header);
  const Bytes raw(16, 0);
  Bytes compressed(compressBound(raw.size()));
  uLongf compressedSize = compressed.size();
  compress(compressed.data(), &compressedSize, raw.data(), raw.size());
  compressed.resize(compressedSize);
  AppendChunk(file, "IDAT", compressed);
  AppendChunk(file, "IEND", {});
  return file;
}

// Offset of the chunk's length field, or npos.
inline std::size_t FindChunk(const Bytes& file, const char* type) {
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t length = std::uint32_t(file[at]) << 24 | std::uint32_t(file[at + 1]) << 16 |
                                 std::uint32_t(file[at + 2]) << 8 | file[at + 3];
    if (std::memcmp(&file[at + 4], type, 4) == 0) return at;
    at += 12 + std::size_t(length);
  }
  return std::string::npos;
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tarvelo::testpng

#endif
