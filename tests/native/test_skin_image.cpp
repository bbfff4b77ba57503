#include "ui/skin/skin_image.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/test_png.h"

namespace tarvelo {
namespace {

using testpng::Bytes;
using testpng::PngPicture;
using testpng::TempDir;

struct Rgba {
  std::uint8_t r, g, b, a;
};

// The conversion rebuilt from its rules, by other routes than the code where
// there are any, so that a wrong shortcut in the code shows.

std::uint8_t ExpectedOverWhite(int c, int a) {
  if (a == 0) return 255;
  if (a == 255) return static_cast<std::uint8_t>(c);
  return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 255) >> 8);
}

// 255 × double(a/240), rounded ties to even, in exact rational arithmetic on
// the double that the host's division produces.
std::uint8_t ExpectedMask(int a) {
  if (a >= 240) return 255;
  if (a == 0) return 0;
  int exponent = 0;
  const double fraction = std::frexp(a / 240.0, &exponent);  // a/240 = fraction · 2^exponent
  const auto significand = static_cast<unsigned __int128>(std::ldexp(fraction, 53));
  const int shift = 53 - exponent;                          // a/240 = significand / 2^shift
  const unsigned __int128 product = significand * 255;
  const unsigned __int128 whole = product >> shift;
  const unsigned __int128 twiceRest = (product - (whole << shift)) * 2;
  const unsigned __int128 one = static_cast<unsigned __int128>(1) << shift;
  const bool up = twiceRest > one || (twiceRest == one && whole % 2 == 1);
  return static_cast<std::uint8_t>(whole + (up ? 1 : 0));
}

std::uint8_t ExpectedPremultiplied(int c, int m) { return static_cast<std::uint8_t>((2 * c * m + 255) / 510); }

std::array<std::uint8_t, 4> ExpectedSkinPixel(const Rgba& in) {
  const std::uint8_t mask = ExpectedMask(in.a);
  std::array<std::uint8_t, 4> out{};
  const std::uint8_t colours[3] = {in.b, in.g, in.r};
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t over = ExpectedOverWhite(colours[i], in.a);
    out[i] = mask < 240 ? ExpectedPremultiplied(over, mask) : over;
  }
  out[3] = mask;
  return out;
}

std::array<std::uint8_t, 4> PixelAt(const SkinImage& image, int x, int y) {
  const std::size_t at = (std::size_t(y) * image.width + x) * 4;
  return {image.pixels[at], image.pixels[at + 1], image.pixels[at + 2], image.pixels[at + 3]};
}

// Collects what the loader would show in message boxes, in the program's words.
struct Messages {
  std::vector<std::string> shown;
  SkinFailureSink sink() {
    return [this](SkinFailure failure, const std::string& fileName) {
      shown.push_back(failure == SkinFailure::Missing ? "Image " + fileName + " introuvable."
                                                      : "Erreur format PNG (" + fileName + ")");
    };
  }
};

// ---------------------------------------------------------------------------
// The per-byte rules over every input.

TEST(SkinPixelRules, CompositeOverWhiteForEveryColourAndAlpha) {
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      ASSERT_EQ(CompositeOverWhite(std::uint8_t(c), std::uint8_t(a)), ExpectedOverWhite(c, a)) << "c=" << c << " a=" << a;
}

TEST(SkinPixelRules, AlphaMaskForEveryAlpha) {
  for (int a = 0; a < 256; ++a) EXPECT_EQ(AlphaMaskValue(std::uint8_t(a)), ExpectedMask(a)) << "a=" << a;

  // Where 17a/16 ends in a half, the double quotient decides the side.
  const std::pair<int, int> halves[] = {{8, 8},     {24, 26},   {40, 42},   {56, 60},   {72, 76},
                                        {88, 93},   {104, 111}, {120, 128}, {136, 144}, {152, 161},
                                        {168, 178}, {184, 196}, {200, 213}, {216, 230}, {232, 247}};
  for (const auto& [a, mask] : halves) EXPECT_EQ(AlphaMaskValue(std::uint8_t(a)), mask) << "a=" << a;

  EXPECT_EQ(AlphaMaskValue(0), 0);
  EXPECT_EQ(AlphaMaskValue(225), 239);
  EXPECT_EQ(AlphaMaskValue(226), 240);
  EXPECT_EQ(AlphaMaskValue(239), 254);
  for (int a = 240; a < 256; ++a) EXPECT_EQ(AlphaMaskValue(std::uint8_t(a)), 255) << "a=" << a;
}

TEST(SkinPixelRules, PremultiplyForEveryColourAndMask) {
  for (int m = 0; m < 256; ++m)
    for (int c = 0; c < 256; ++c)
      ASSERT_EQ(PremultiplyByMask(std::uint8_t(c), std::uint8_t(m)), ExpectedPremultiplied(c, m)) << "c=" << c << " m=" << m;
}

// ---------------------------------------------------------------------------
// Decoding: every kind of PNG arrives as the same straight 8-bit RGBA before
// the conversion. Each case gives the file and the RGBA it should be seen as.

struct DecodeCase {
  std::string name;
  PngPicture picture;
  std::vector<Rgba> seen;  // rows from the top
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

void Put16(Bytes& out, int value) {
  out.push_back(std::uint8_t(value >> 8));
  out.push_back(std::uint8_t(value));
}

// 16-bit samples are scaled to 8 bits with rounding, not cut to their high byte.
std::uint8_t Scaled16(int value) { return static_cast<std::uint8_t>((2 * value * 255 + 65535) / (2 * 65535)); }

DecodeCase RgbaAlphaSweep() {
  DecodeCase c{"RgbaEveryAlpha", {}, {}};
  Bytes rows;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 256; ++x) {
      const Rgba p{std::uint8_t(y == 0 ? x : 200), std::uint8_t(255 - x), std::uint8_t(x * 37 + y * 101), std::uint8_t(x)};
      rows.insert(rows.end(), {p.r, p.g, p.b, p.a});
      c.seen.push_back(p);
    }
  c.picture = testpng::RgbaPicture(256, 2, rows);
  return c;
}

DecodeCase RgbOpaque() {
  DecodeCase c{"RgbWithoutTransparency", {}, {}};
  c.picture.width = 7;
  c.picture.height = 3;
  c.picture.colourType = PNG_COLOR_TYPE_RGB;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) {
      const Rgba p{std::uint8_t(x * 40), std::uint8_t(y * 90 + 1), std::uint8_t((x + y) * 17 + 2), 255};
      c.picture.rows.insert(c.picture.rows.end(), {p.r, p.g, p.b});
      c.seen.push_back(p);
    }
  return c;
}

DecodeCase GreyAlpha() {
  DecodeCase c{"GreyWithAlpha", {}, {}};
  c.picture.width = 256;
  c.picture.height = 1;
  c.picture.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  for (int x = 0; x < 256; ++x) {
    const std::uint8_t grey = std::uint8_t(x * 53);
    c.picture.rows.insert(c.picture.rows.end(), {grey, std::uint8_t(x)});
    c.seen.push_back({grey, grey, grey, std::uint8_t(x)});
  }
  return c;
}

DecodeCase GreyOneBit() {
  DecodeCase c{"GreyOneBit", {}, {}};
  c.picture.width = 10;
  c.picture.height = 1;
  c.picture.colourType = PNG_COLOR_TYPE_GRAY;
  c.picture.bitDepth = 1;
  c.picture.rows = {0b10110010, 0b01000000};
  for (int bit : {1, 0, 1, 1, 0, 0, 1, 0, 0, 1}) {
    const std::uint8_t grey = bit ? 255 : 0;
    c.seen.push_back({grey, grey, grey, 255});
  }
  return c;
}

DecodeCase PaletteTwoBitWithTrns() {
  DecodeCase c{"PaletteWithTrns", {}, {}};
  c.picture.width = 6;
  c.picture.height = 2;
  c.picture.colourType = PNG_COLOR_TYPE_PALETTE;
  c.picture.bitDepth = 2;
  c.picture.palette = {{250, 10, 20}, {30, 200, 40}, {50, 60, 210}, {70, 80, 90}};
  c.picture.paletteAlpha = {0, 128, 230};  // the last entry has none: opaque
  const int indices[2][6] = {{0, 1, 2, 3, 2, 1}, {3, 3, 0, 1, 1, 2}};
  for (const auto& row : indices) {
    std::uint8_t packed[2] = {};
    for (int x = 0; x < 6; ++x) {
      packed[x / 4] |= std::uint8_t(row[x] << (6 - 2 * (x % 4)));
      const png_color& colour = c.picture.palette[row[x]];
      const std::uint8_t alpha = row[x] < 3 ? c.picture.paletteAlpha[row[x]] : 255;
      c.seen.push_back({colour.red, colour.green, colour.blue, alpha});
    }
    c.picture.rows.insert(c.picture.rows.end(), packed, packed + 2);
  }
  return c;
}

DecodeCase PaletteOpaque() {
  DecodeCase c{"PaletteWithoutTrns", {}, {}};
  c.picture.width = 3;
  c.picture.height = 1;
  c.picture.colourType = PNG_COLOR_TYPE_PALETTE;
  c.picture.palette = {{1, 2, 3}, {240, 128, 7}};
  c.picture.rows = {1, 0, 1};
  c.seen = {{240, 128, 7, 255}, {1, 2, 3, 255}, {240, 128, 7, 255}};
  return c;
}

DecodeCase RgbWithTrns() {
  DecodeCase c{"RgbWithTrns", {}, {}};
  c.picture.width = 4;
  c.picture.height = 1;
  c.picture.colourType = PNG_COLOR_TYPE_RGB;
  png_color_16 key{};
  key.red = 10;
  key.green = 20;
  key.blue = 30;
  c.picture.transparentColour = key;
  c.picture.rows = {10, 20, 30, 10, 20, 31, 11, 20, 30, 200, 100, 50};
  c.seen = {{10, 20, 30, 0}, {10, 20, 31, 255}, {11, 20, 30, 255}, {200, 100, 50, 255}};
  return c;
}

DecodeCase GreyWithTrns() {
  DecodeCase c{"GreyWithTrns", {}, {}};
  c.picture.width = 4;
  c.picture.height = 1;
  c.picture.colourType = PNG_COLOR_TYPE_GRAY;
  png_color_16 key{};
  key.gray = 77;
  c.picture.transparentColour = key;
  c.picture.rows = {77, 78, 0, 255};
  c.seen = {{77, 77, 77, 0}, {78, 78, 78, 255}, {0, 0, 0, 255}, {255, 255, 255, 255}};
  return c;
}

DecodeCase Rgba16Bit() {
  DecodeCase c{"Rgba16Bit", {}, {}};
  // Chosen so that rounding and cutting to the high byte differ.
  const int samples[] = {0x0000, 0x12FF, 0x8080, 0x807F, 0xFFFF, 0x0080, 0x7F80, 0xE17F};
  c.picture.width = 8;
  c.picture.height = 1;
  c.picture.bitDepth = 16;
  for (int x = 0; x < 8; ++x) {
    const int r = samples[x], g = samples[(x + 3) % 8], b = samples[(x + 5) % 8], a = samples[(x + 1) % 8];
    for (int v : {r, g, b, a}) Put16(c.picture.rows, v);
    c.seen.push_back({Scaled16(r), Scaled16(g), Scaled16(b), Scaled16(a)});
  }
  return c;
}

DecodeCase Rgb16BitWithTrns() {
  DecodeCase c{"Rgb16BitWithTrns", {}, {}};
  c.picture.width = 2;
  c.picture.height = 1;
  c.picture.colourType = PNG_COLOR_TYPE_RGB;
  c.picture.bitDepth = 16;
  png_color_16 key{};
  key.red = 0x1234;
  key.green = 0x5678;
  key.blue = 0x9ABC;
  c.picture.transparentColour = key;
  // The second pixel matches the key in its high bytes only: still opaque.
  for (int v : {0x1234, 0x5678, 0x9ABC, 0x1234, 0x5678, 0x9ABD}) Put16(c.picture.rows, v);
  c.seen = {{Scaled16(0x1234), Scaled16(0x5678), Scaled16(0x9ABC), 0},
            {Scaled16(0x1234), Scaled16(0x5678), Scaled16(0x9ABD), 255}};
  return c;
}

DecodeCase InterlacedRgba() {
  DecodeCase c{"InterlacedRgba", {}, {}};
  Bytes rows;
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 13; ++x) {
      const Rgba p{std::uint8_t(x * 19), std::uint8_t(y * 23), std::uint8_t(x * y), std::uint8_t(x * 7 + y * 13)};
      rows.insert(rows.end(), {p.r, p.g, p.b, p.a});
      c.seen.push_back(p);
    }
  c.picture = testpng::RgbaPicture(13, 11, rows);
  c.picture.interlaced = true;
  return c;
}

class SkinDecoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(SkinDecoding, GivesTheConvertedPixelsOfTheFile) {
  const DecodeCase& c = GetParam();
  const Bytes file = testpng::EncodePng(c.picture);
  TempDir dir;
  const std::string path = (dir.path() / "form.png").string();
  testpng::WriteFile(path, file);

  Messages messages;
  SkinImage image;
  ASSERT_TRUE(LoadSkinImage(path, image, messages.sink()));
  EXPECT_TRUE(messages.shown.empty());
  ASSERT_EQ(image.width, c.picture.width);
  ASSERT_EQ(image.height, c.picture.height);
  ASSERT_EQ(image.pixels.size(), std::size_t(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const Rgba& in = c.seen[std::size_t(y) * image.width + x];
      ASSERT_EQ(PixelAt(image, x, y), ExpectedSkinPixel(in))
          << "at " << x << "," << y << " from RGBA " << int(in.r) << "," << int(in.g) << "," << int(in.b) << ","
          << int(in.a);
    }

  SkinImage fromMemory;
  ASSERT_TRUE(LoadSkinImageFromMemory(file.data(), file.size(), "form.png", fromMemory, messages.sink()));
  EXPECT_EQ(fromMemory.pixels, image.pixels);
}

INSTANTIATE_TEST_SUITE_P(ColourTypes, SkinDecoding,
                         testing::Values(RgbaAlphaSweep(), RgbOpaque(), GreyAlpha(), GreyOneBit(),
                                         PaletteTwoBitWithTrns(), PaletteOpaque(), RgbWithTrns(), GreyWithTrns(),
                                         Rgba16Bit(), Rgb16BitWithTrns(), InterlacedRgba()),
                         [](const auto& test) { return test.param.name; });

// The worked examples, as stored bytes blue, green, red, alpha.
TEST(SkinDecodingExamples, ThresholdsAroundTheMask) {
  const Bytes rgba = {
      200, 200, 200, 128,  // composited 227, mask 136, premultiplied 121
      100, 100, 100, 225,  // mask 239: still premultiplied
      100, 100, 100, 226,  // mask 240: composited but not premultiplied
      100, 100, 100, 230, 100, 100, 100, 239, 100, 100, 100, 240,
      1,   2,   3,   255,  // the picture's own colour
      77,  88,  99,  0,    // nothing left
  };
  const Bytes file = testpng::EncodePng(testpng::RgbaPicture(8, 1, rgba));
  Messages messages;
  SkinImage image;
  ASSERT_TRUE(LoadSkinImageFromMemory(file.data(), file.size(), "form.png", image, messages.sink()));
  const std::vector<std::array<std::uint8_t, 4>> expected = {
      {121, 121, 121, 136}, {111, 111, 111, 239}, {118, 118, 118, 240}, {115, 115, 115, 244},
      {110, 110, 110, 254}, {109, 109, 109, 255}, {3, 2, 1, 255},       {0, 0, 0, 0}};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelAt(image, x, 0), expected[x]) << "pixel " << x;
}

TEST(SkinDecodingLimits, LargestSideIsAccepted) {
  for (const auto& [width, height] : {std::pair{kMaxSkinSide, 1}, std::pair{1, kMaxSkinSide}}) {
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colourType = PNG_COLOR_TYPE_GRAY;
    picture.rows.assign(picture.RowBytes() * height, 9);
    const Bytes file = testpng::EncodePng(picture);
    Messages messages;
    SkinImage image;
    EXPECT_TRUE(LoadSkinImageFromMemory(file.data(), file.size(), "form.png", image, messages.sink()))
        << width << "x" << height;
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
  }
}

// ---------------------------------------------------------------------------
// Files that cannot be used: false, the empty image, one exact message.

struct BadFileCase {
  std::string name;
  std::string relativePath;      // under a fresh temporary folder
  std::optional<Bytes> contents;  // none: nothing is written
  std::string message;
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.name; }

Bytes ValidRgba(int width, int height) {
  return testpng::EncodePng(testpng::RgbaPicture(width, height, Bytes(std::size_t(width) * height * 4, 0x5A)));
}

Bytes Grey8(int width, int height) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.colourType = PNG_COLOR_TYPE_GRAY;
  picture.rows.assign(std::size_t(width) * height, 200);
  return testpng::EncodePng(picture);
}

Bytes Truncated() {
  Bytes file = ValidRgba(16, 16);
  file.resize(file.size() / 2);
  return file;
}

Bytes WithoutEnd() {
  Bytes file = ValidRgba(4, 4);
  file.resize(testpng::FindChunk(file, "IEND"));
  return file;
}

Bytes WithBadImageDataCrc() {
  Bytes file = ValidRgba(4, 4);
  const std::size_t at = testpng::FindChunk(file, "IDAT");
  const std::size_t length = std::size_t(file[at + 2]) << 8 | file[at + 3];
  file[at + 8 + length + 3] ^= 0x01;
  return file;
}

// The file's chunks passed through `edit`, which appends what takes each one's place.
Bytes EditChunks(const Bytes& file, const std::function<void(Bytes&, const std::string&, Bytes)>& edit) {
  Bytes out(file.begin(), file.begin() + 8);
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length = std::size_t(file[at]) << 24 | std::size_t(file[at + 1]) << 16 |
                               std::size_t(file[at + 2]) << 8 | file[at + 3];
    const auto data = file.begin() + std::ptrdiff_t(at + 8);
    edit(out, std::string(file.begin() + std::ptrdiff_t(at + 4), data), Bytes(data, data + std::ptrdiff_t(length)));
    at += 12 + length;
  }
  return out;
}

Bytes WithHeaderByte(std::size_t index, std::uint8_t value) {
  return EditChunks(ValidRgba(4, 4), [&](Bytes& out, const std::string& type, Bytes data) {
    if (type == "IHDR") data[index] = value;
    testpng::AppendChunk(out, type.c_str(), data);
  });
}

// Image data whose checksums hold but whose deflate stream does not: its
// only block is of the reserved type.
Bytes WithBadImageData() {
  return EditChunks(ValidRgba(4, 4), [](Bytes& out, const std::string& type, const Bytes& data) {
    testpng::AppendChunk(out, type.c_str(), type == "IDAT" ? Bytes{0x78, 0x01, 0x07, 0x00, 0x00} : data);
  });
}

Bytes WithUnknownCriticalChunk() {
  return EditChunks(ValidRgba(4, 4), [](Bytes& out, const std::string& type, const Bytes& data) {
    if (type == "IDAT") testpng::AppendChunk(out, "ABCD", {1, 2, 3});
    testpng::AppendChunk(out, type.c_str(), data);
  });
}

Bytes PaletteWithoutPalette() {
  PngPicture picture;
  picture.width = 2;
  picture.height = 2;
  picture.colourType = PNG_COLOR_TYPE_PALETTE;
  picture.palette = {{1, 2, 3}, {4, 5, 6}};
  picture.rows = {0, 1, 1, 0};
  return EditChunks(testpng::EncodePng(picture), [](Bytes& out, const std::string& type, const Bytes& data) {
    if (type != "PLTE") testpng::AppendChunk(out, type.c_str(), data);
  });
}

const std::string kFormatError = "Erreur format PNG (form.png)";

class BadSkinFiles : public testing::TestWithParam<BadFileCase> {};

TEST_P(BadSkinFiles, GiveTheEmptySkinAndOneMessage) {
  const BadFileCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.path().string() + "/" + c.relativePath;
  if (c.contents) testpng::WriteFile(path, *c.contents);

  Messages messages;
  SkinImage image;
  image.width = image.height = 1;  // left from an earlier load: must not survive
  image.pixels = {1, 2, 3, 4};
  EXPECT_FALSE(LoadSkinImage(path, image, messages.sink()));
  EXPECT_EQ(image.width, 0);
  EXPECT_EQ(image.height, 0);
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_EQ(messages.shown, std::vector<std::string>{c.message});
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadSkinFiles,
    testing::Values(
        BadFileCase{"Missing", "form.png", std::nullopt, "Image form.png introuvable."},
        BadFileCase{"MissingUnderWindowsPath", "Program Files\\Tarvelo\\form.png", std::nullopt,
                    "Image form.png introuvable."},
        BadFileCase{"TextFile", "form.png", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G', '\n'}, kFormatError},
        BadFileCase{"TextFileOtherName", "dark skin.png", Bytes{'h', 'e', 'l', 'l', 'o'},
                    "Erreur format PNG (dark skin.png)"},
        BadFileCase{"EmptyFile", "form.png", Bytes{}, kFormatError},
        BadFileCase{"Truncated", "form.png", Truncated(), kFormatError},
        BadFileCase{"CutBeforeItsEnd", "form.png", WithoutEnd(), kFormatError},
        BadFileCase{"BadCrc", "form.png", WithBadImageDataCrc(), kFormatError},
        BadFileCase{"BadImageData", "form.png", WithBadImageData(), kFormatError},
        BadFileCase{"DepthNotForItsColourType", "form.png", WithHeaderByte(8, 4), kFormatError},
        BadFileCase{"UnknownColourType", "form.png", WithHeaderByte(9, 5), kFormatError},
        BadFileCase{"UnknownInterlace", "form.png", WithHeaderByte(12, 2), kFormatError},
        BadFileCase{"UnknownCriticalChunk", "form.png", WithUnknownCriticalChunk(), kFormatError},
        BadFileCase{"PaletteMissing", "form.png", PaletteWithoutPalette(), kFormatError},
        BadFileCase{"ZeroWidth", "form.png", testpng::HandMadeRgbaPng(0, 1), kFormatError},
        BadFileCase{"ZeroHeight", "form.png", testpng::HandMadeRgbaPng(1, 0), kFormatError},
        BadFileCase{"HugeHeader", "form.png", testpng::HandMadeRgbaPng(100000, 100000), kFormatError},
        BadFileCase{"OneTooWide", "form.png", Grey8(kMaxSkinSide + 1, 1), kFormatError},
        BadFileCase{"OneTooTall", "form.png", Grey8(1, kMaxSkinSide + 1), kFormatError}),
    [](const auto& test) { return test.param.name; });

TEST(BadSkinFilesMore, FolderNamedLikeTheSkinIsNotAFile) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "form.png");
  Messages messages;
  SkinImage image;
  EXPECT_FALSE(LoadSkinImage((dir.path() / "form.png").string(), image, messages.sink()));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"Image form.png introuvable."});
}

TEST(BadSkinFilesMore, MemoryEntryReportsWithTheGivenName) {
  Messages messages;
  SkinImage image;
  EXPECT_FALSE(LoadSkinImageFromMemory(nullptr, 0, "form.png", image, messages.sink()));
  const Bytes cut = Truncated();
  EXPECT_FALSE(LoadSkinImageFromMemory(cut.data(), cut.size(), "form.png", image, messages.sink()));
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(messages.shown, (std::vector<std::string>{kFormatError, kFormatError}));
}

// ---------------------------------------------------------------------------
// Snapshots.

SkinImage NumberedSkin(int width, int height) {
  SkinImage skin;
  skin.width = width;
  skin.height = height;
  for (int i = 0; i < width * height; ++i)
    skin.pixels.insert(skin.pixels.end(), {std::uint8_t(i), std::uint8_t(i + 100), std::uint8_t(i + 200), 50});
  return skin;
}

std::array<std::uint8_t, 4> Opaque(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  return {blue, green, red, 255};
}

TEST(SkinSnapshot, OnlyTheExactKeyColourLetsTheSkinShow) {
  const SkinImage skin = NumberedSkin(3, 2);
  // 24-bit rows padded to 4 bytes, as in a device-independent bitmap; bytes blue, green, red.
  const Bytes capture = {255, 255, 255, /**/ 255, 255, 254, /**/ 0, 0, 0,       /**/ 0xEE, 0xEE, 0xEE,
                         254, 255, 255, /**/ 255, 254, 255, /**/ 255, 255, 255, /**/ 0xEE, 0xEE, 0xEE};
  const SkinImage snapshot = ComposeSkinSnapshot(skin, {3, 2, 12, capture.data()}, 255, 255, 255);
  ASSERT_EQ(snapshot.width, 3);
  ASSERT_EQ(snapshot.height, 2);
  EXPECT_EQ(PixelAt(snapshot, 0, 0), PixelAt(skin, 0, 0));
  EXPECT_EQ(PixelAt(snapshot, 1, 0), Opaque(255, 255, 254));  // red 254
  EXPECT_EQ(PixelAt(snapshot, 2, 0), Opaque(0, 0, 0));
  EXPECT_EQ(PixelAt(snapshot, 0, 1), Opaque(254, 255, 255));
  EXPECT_EQ(PixelAt(snapshot, 1, 1), Opaque(255, 254, 255));
  EXPECT_EQ(PixelAt(snapshot, 2, 1), PixelAt(skin, 2, 1));
}

TEST(SkinSnapshot, KeyIsComparedChannelByChannel) {
  const SkinImage skin = NumberedSkin(2, 1);
  const Bytes capture = {3, 2, 1, /**/ 1, 2, 3};
  const SkinImage snapshot = ComposeSkinSnapshot(skin, {2, 1, 6, capture.data()}, 1, 2, 3);
  EXPECT_EQ(PixelAt(snapshot, 0, 0), PixelAt(skin, 0, 0));
  EXPECT_EQ(PixelAt(snapshot, 1, 0), Opaque(1, 2, 3));
}

TEST(SkinSnapshot, SmallerCaptureCoversOnlyItsOwnArea) {
  const SkinImage skin = NumberedSkin(3, 3);
  const Bytes capture(2 * 3, 0);  // 2 x 1, no padding: any read beyond it is caught by the sanitizer
  const SkinImage snapshot = ComposeSkinSnapshot(skin, {2, 1, 6, capture.data()}, 255, 255, 255);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(PixelAt(snapshot, x, y), (y == 0 && x < 2) ? Opaque(0, 0, 0) : PixelAt(skin, x, y)) << x << "," << y;
}

TEST(SkinSnapshot, EmptySkinGivesAnEmptySnapshotWithoutReadingTheCapture) {
  const Bytes tooSmall(1, 0);  // claims 100 x 100: any pixel read overflows it
  const CaptureView capture{100, 100, 300, tooSmall.data()};
  EXPECT_TRUE(ComposeSkinSnapshot(SkinImage{}, capture, 255, 255, 255).empty());
  SkinImage noRows;
  noRows.width = 5;
  EXPECT_TRUE(ComposeSkinSnapshot(noRows, capture, 255, 255, 255).pixels.empty());
}

// ---------------------------------------------------------------------------
// The skin at the screen's scale.

// A premultiplied edge: half-transparent red beside a transparent pixel that
// holds no colour. Resampled straight (colour apart from alpha), the edge would
// turn dark; premultiplied, every pixel keeps the red's own hue and no colour
// exceeds its alpha.
TEST(SkinScaling, EdgesKeepTheirColourAndNoColourExceedsItsAlpha) {
  SkinImage skin;
  skin.width = 4;
  skin.height = 3;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool red = x < 2;
      skin.pixels.insert(skin.pixels.end(), {0, 0, std::uint8_t(red ? 100 : 0), std::uint8_t(red ? 100 : 0)});
    }
  }
  const SkinImage scaled = ScaleSkinImage(skin, 8, 6);
  ASSERT_EQ(scaled.width, 8);
  ASSERT_EQ(scaled.height, 6);
  ASSERT_EQ(scaled.pixels.size(), 8u * 6u * 4u);
  int between = 0;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const auto p = PixelAt(scaled, x, y);
      EXPECT_EQ(p[0], 0) << x << "," << y;
      EXPECT_EQ(p[1], 0) << x << "," << y;
      EXPECT_EQ(p[2], p[3]) << x << "," << y;  // red over alpha stays 100/100
      if (p[3] > 0 && p[3] < 100) ++between;
    }
  }
  EXPECT_GT(between, 0);  // the edge is smoothed, not copied pixel by pixel
  EXPECT_EQ(PixelAt(scaled, 0, 0), (std::array<std::uint8_t, 4>{0, 0, 100, 100}));
  EXPECT_EQ(PixelAt(scaled, 7, 5), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  // Colours stored whole from alpha 240 on are premultiplied on the way.
  SkinImage nearlyOpaque;
  nearlyOpaque.width = 1;
  nearlyOpaque.height = 1;
  nearlyOpaque.pixels = {250, 250, 250, 245};
  EXPECT_EQ(PixelAt(ScaleSkinImage(nearlyOpaque, 2, 2), 1, 1), (std::array<std::uint8_t, 4>{240, 240, 240, 245}));
  // At its own size the skin is not touched at all.
  const SkinImage same = NumberedSkin(5, 4);
  EXPECT_EQ(ScaleSkinImage(same, 5, 4).pixels, same.pixels);
}

TEST(SkinScaling, ScaledSizeIsHeldToTheLargestSide) {
  EXPECT_EQ(SkinDpi(251, 215, 192), 192u);
  EXPECT_EQ(SkinDpi(251, 215, 96), 96u);
  EXPECT_EQ(SkinDpi(kMaxSkinSide, kMaxSkinSide, 192), 96u);
  const unsigned capped = SkinDpi(3000, 100, 192);
  EXPECT_LE(ScaleToDpi(3000, capped), kMaxScaledSkinSide);
  EXPECT_GT(ScaleToDpi(3000, capped + 1), kMaxScaledSkinSide);
}

}  // namespace
}  // namespace tarvelo
