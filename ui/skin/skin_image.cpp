#include "ui/skin/skin_image.h"

#include "ui/pictures/png_reader.h"

#ifdef _WIN32
#include <windows.h>

#include "app/utf8.h"
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

namespace tarvelo {
namespace {

// The one threshold used twice: against the PNG's alpha, and against the
// rescaled mask value when deciding whether colours get premultiplied.
constexpr unsigned kOpaqueFrom = 240;
constexpr std::size_t kBytesPerPixel = 4;

// The stored alpha is 255 × double(a/240), rounded in extended precision with
// ties to even. That product is exact (8 by 53 bits fit in a 64-bit mantissa),
// so it differs from the true 255a/240 = 17a/16 only by the quotient's own
// rounding error. Away from the halves that error cannot change the result;
// at the halves (a = 8, 24, ..., 232) the result follows the side to which
// a/240 was rounded, and only where the quotient is exact does the tie go to
// even. The side is worked out with integers, so neither the compiler's choice
// of floating-point unit nor the x87 precision setting of the running process
// can change the mask.

// Sign of double(a/240) - a/240 for 0 < a < 240; 0 where a/240 is a double
// itself (a = 120 gives 1/2).
constexpr int QuotientRoundingSide(unsigned a) {
  // a·2^s/240 with s chosen to land in [2^52, 2^53) has the double's
  // significand as integer part; its remainder decides the rounding. It is
  // never exactly half of 240: the quotient would then be a short binary
  // fraction, which leaves no remainder at all.
  unsigned remainder = a;
  while (remainder < 240) remainder *= 2;
  remainder -= 240;
  for (int bit = 0; bit < 52; ++bit) remainder = remainder * 2 % 240;
  if (remainder == 0) return 0;
  return 2 * remainder > 240 ? 1 : -1;
}

constexpr std::uint8_t ComputeMask(unsigned a) {
  if (a >= kOpaqueFrom) return 255;
  const unsigned sixteenths = 17 * a;
  const unsigned halfUp = (sixteenths + 8) / 16;
  if (sixteenths % 16 != 8) return static_cast<std::uint8_t>(halfUp);
  const int side = QuotientRoundingSide(a);
  const bool up = side > 0 || (side == 0 && halfUp % 2 == 0);
  return static_cast<std::uint8_t>(up ? halfUp : halfUp - 1);
}

constexpr std::array<std::uint8_t, 256> MakeMaskTable() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned a = 0; a < table.size(); ++a) table[a] = ComputeMask(a);
  return table;
}

constexpr std::array<std::uint8_t, 256> kMaskTable = MakeMaskTable();

// Decoded B,G,R,A with straight alpha in, skin pixels out.
void ConvertToSkin(std::vector<std::uint8_t>& pixels) {
  for (std::size_t i = 0; i < pixels.size(); i += kBytesPerPixel) {
    std::uint8_t* pixel = &pixels[i];
    const std::uint8_t alpha = pixel[3];
    const std::uint8_t mask = kMaskTable[alpha];
    for (int channel = 0; channel < 3; ++channel) {
      const std::uint8_t colour = CompositeOverWhite(pixel[channel], alpha);
      pixel[channel] = mask < kOpaqueFrom ? PremultiplyByMask(colour, mask) : colour;
    }
    pixel[3] = mask;
  }
}

void ReadFromFile(png_structp png, png_bytep out, std::size_t count) {
  if (std::fread(out, 1, count, static_cast<std::FILE*>(png_get_io_ptr(png))) != count)
    png_error(png, "unexpected end of file");
}

// Reads the header and asks for every picture as 8-bit B,G,R,A rows. It
// holds the setjmp that libpng's errors come back to, so it owns nothing
// with a destructor.
bool ReadHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to an alpha channel
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // opaque alpha where the picture has none
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  return png_get_rowbytes(png, info) == *width * kBytesPerPixel;
}

bool Decode(png_rw_ptr read, void* input, SkinImage& out) {
  PngReader decoder;
  if (!decoder.ok()) return false;
  png_set_read_fn(decoder.png(), input, read);
  // Refused in the header, before any pixel memory is asked for.
  png_set_user_limits(decoder.png(), kMaxSkinSide, kMaxSkinSide);
  // An ancillary chunk (text, scale, profile) may claim any length, and the
  // decoder would ask for that much memory before reading it. The skin needs
  // none of them, so all but the header, palette, transparency and image
  // data are skipped unread.
  png_set_keep_unknown_chunks(decoder.png(), PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // Mutated inputs almost never carry valid checksums; let them reach the decoding.
  png_set_crc_action(decoder.png(), PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  if (!ReadHeader(decoder.png(), decoder.info(), &width, &height)) return false;

  SkinImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(std::size_t{width} * height * kBytesPerPixel);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = &image.pixels[std::size_t{y} * width * kBytesPerPixel];
  if (!ReadPngRows(decoder.png(), rows.data())) return false;

  ConvertToSkin(image.pixels);
  out = std::move(image);
  return true;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A folder or device named like the skin is no skin file. On Windows the path
// is UTF-8 and goes to the wide calls: the ANSI ones cannot name a folder
// outside the code page.
bool IsRegularFile(const std::string& path) {
#ifdef _WIN32
  const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
#else
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::FILE* OpenForReading(const std::string& path) {
#ifdef _WIN32
  return ::_wfopen(Widen(path).c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

// The source pixels that make one target pixel along one axis, with their
// weights, which sum to one.
struct Taps {
  std::vector<int> first;        // per target pixel, its first source pixel
  std::vector<int> count;        // and how many follow from there
  std::vector<float> weights;    // count weights per target pixel, in order
  std::vector<std::size_t> at;   // where each target pixel's weights start
};

Taps MakeTaps(int source, int target) {
  Taps taps;
  const double ratio = double(source) / target;
  const double radius = std::max(1.0, ratio);
  for (int t = 0; t < target; ++t) {
    const double centre = (t + 0.5) * ratio - 0.5;
    int from = static_cast<int>(std::ceil(centre - radius));
    int to = static_cast<int>(std::floor(centre + radius));
    from = std::max(from, 0);
    to = std::min(to, source - 1);
    taps.at.push_back(taps.weights.size());
    double sum = 0;
    const std::size_t start = taps.weights.size();
    for (int s = from; s <= to; ++s) {
      const double weight = std::max(0.0, 1.0 - std::abs(s - centre) / radius);
      taps.weights.push_back(static_cast<float>(weight));
      sum += weight;
    }
    if (sum <= 0) {  // a target pixel between two source pixels' reach: the nearest one
      taps.weights.resize(start);
      from = to = std::min(source - 1, std::max(0, static_cast<int>(std::lround(centre))));
      taps.weights.push_back(1.0f);
      sum = 1;
    }
    for (std::size_t i = start; i < taps.weights.size(); ++i) taps.weights[i] = static_cast<float>(taps.weights[i] / sum);
    taps.first.push_back(from);
    taps.count.push_back(static_cast<int>(taps.weights.size() - start));
  }
  return taps;
}

std::uint8_t RoundToByte(float value) {
  return static_cast<std::uint8_t>(std::min(255.0f, std::max(0.0f, value + 0.5f)));
}

}  // namespace

unsigned SkinDpi(int width, int height, unsigned dpi) {
  while (dpi > 1 && (ScaleToDpi(width, dpi) > kMaxScaledSkinSide || ScaleToDpi(height, dpi) > kMaxScaledSkinSide)) {
    --dpi;
  }
  return dpi;
}

SkinImage ScaleSkinImage(const SkinImage& skin, int width, int height) {
  if (skin.empty() || width <= 0 || height <= 0) return SkinImage{};
  if (width == skin.width && height == skin.height) return skin;
  const Taps columns = MakeTaps(skin.width, width);
  const Taps rows = MakeTaps(skin.height, height);
  SkinImage out;
  out.width = width;
  out.height = height;
  out.pixels.resize(std::size_t(width) * std::size_t(height) * kBytesPerPixel);
  // One target row at a time: the source rows it takes are blended into one
  // row first, so no more than a row is held between the two passes.
  std::vector<float> blended(std::size_t(skin.width) * kBytesPerPixel);
  for (int y = 0; y < height; ++y) {
    std::fill(blended.begin(), blended.end(), 0.0f);
    for (int k = 0; k < rows.count[y]; ++k) {
      const float weight = rows.weights[rows.at[y] + k];
      const std::uint8_t* source = &skin.pixels[std::size_t(rows.first[y] + k) * std::size_t(skin.width) * kBytesPerPixel];
      for (std::size_t i = 0; i < blended.size(); i += kBytesPerPixel) {
        const float alpha = source[i + 3];
        // From 240 on the colours are stored whole: premultiplied here, so
        // that they are averaged in the same terms as their neighbours'.
        const float colourScale = alpha >= kOpaqueFrom && alpha < 255 ? weight * alpha / 255.0f : weight;
        for (std::size_t c = 0; c < 3; ++c) blended[i + c] += colourScale * source[i + c];
        blended[i + 3] += weight * alpha;
      }
    }
    std::uint8_t* target = &out.pixels[std::size_t(y) * std::size_t(width) * kBytesPerPixel];
    for (int x = 0; x < width; ++x, target += kBytesPerPixel) {
      float sum[kBytesPerPixel] = {};
      for (int k = 0; k < columns.count[x]; ++k) {
        const float weight = columns.weights[columns.at[x] + k];
        const float* source = &blended[std::size_t(columns.first[x] + k) * kBytesPerPixel];
        for (std::size_t c = 0; c < kBytesPerPixel; ++c) sum[c] += weight * source[c];
      }
      // Rounded one by one, a colour never exceeds its alpha: it did not in
      // any source pixel, and a weighted mean keeps that.
      for (std::size_t c = 0; c < kBytesPerPixel; ++c) target[c] = RoundToByte(sum[c]);
    }
  }
  return out;
}

std::uint8_t CompositeOverWhite(std::uint8_t c, std::uint8_t a) {
  // The bias makes a = 0 give white and a = 255 give c exactly.
  return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 255) >> 8);
}

std::uint8_t AlphaMaskValue(std::uint8_t a) { return kMaskTable[a]; }

std::uint8_t PremultiplyByMask(std::uint8_t c, std::uint8_t m) {
  // c·m/255 is never exactly halfway, so adding half rounds to nearest; it
  // cannot exceed 255.
  return static_cast<std::uint8_t>((c * m + 127) / 255);
}

bool LoadSkinImageFromMemory(const void* data, std::size_t size, const std::string& fileName,
                             SkinImage& out, const SkinFailureSink& report) {
  out = SkinImage{};
  PngMemoryInput input{static_cast<const png_byte*>(data), size};
  if (Decode(ReadPngFromMemory, &input, out)) return true;
  report(SkinFailure::BadFormat, fileName);
  return false;
}

bool LoadSkinImage(const std::string& path, SkinImage& out, const SkinFailureSink& report) {
  out = SkinImage{};
  const std::string fileName = FileNameOf(path);
  if (!IsRegularFile(path)) {
    report(SkinFailure::Missing, fileName);
    return false;
  }
  const std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
  if (file && Decode(ReadFromFile, file.get(), out)) return true;
  report(SkinFailure::BadFormat, fileName);
  return false;
}

SkinImage ComposeSkinSnapshot(const SkinImage& skin, const CaptureView& capture,
                              std::uint8_t keyRed, std::uint8_t keyGreen, std::uint8_t keyBlue) {
  if (skin.empty()) return SkinImage{};
  SkinImage snapshot = skin;
  if (capture.bits == nullptr) return snapshot;
  const int width = std::min(skin.width, capture.width);
  const int height = std::min(skin.height, capture.height);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = capture.bits + y * capture.stride;
    std::uint8_t* target = &snapshot.pixels[std::size_t(y) * std::size_t(skin.width) * kBytesPerPixel];
    for (int x = 0; x < width; ++x, source += 3, target += kBytesPerPixel) {
      if (source[0] == keyBlue && source[1] == keyGreen && source[2] == keyRed) continue;
      target[0] = source[0];
      target[1] = source[1];
      target[2] = source[2];
      target[3] = 255;
    }
  }
  return snapshot;
}

}  // namespace tarvelo
