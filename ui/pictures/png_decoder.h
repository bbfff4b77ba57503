// The program's own PNG reader, for the skin file and the pictures the
// executable carries: the zlib stream inflated, the rows unfiltered and
// de-interlaced, and every colour type and depth turned into the few row
// layouts the program draws with. It reads and refuses what libpng does with
// the transformations the program used to ask of it (expand, 16 bits scaled
// to 8, grey to RGB, opaque filler, BGR order). No window code here.
#ifndef TARVELO_UI_PICTURES_PNG_DECODER_H
#define TARVELO_UI_PICTURES_PNG_DECODER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvelo {

// Where a PNG file's bytes come from, in order.
class PngSource {
 public:
  // Exactly `count` bytes into `out`; false when the input ends first.
  virtual bool Read(std::uint8_t* out, std::size_t count) = 0;

 protected:
  ~PngSource() = default;
};

class PngMemorySource final : public PngSource {
 public:
  PngMemorySource(const void* data, std::size_t size) : next_(static_cast<const std::uint8_t*>(data)), left_(size) {}
  bool Read(std::uint8_t* out, std::size_t count) override;

 private:
  const std::uint8_t* next_;
  std::size_t left_;
};

// What each decoded row holds, pixel after pixel.
enum class PngRows {
  kBgra,   // 8-bit blue, green, red, alpha; alpha from the picture's channel or tRNS, else 255
  kBgr,    // 8-bit blue, green, red
  kOneBit  // the file's own samples, for 1-bit grey pictures: packed from the high bit
};

class PngDecoder {
 public:
  enum ColourType { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

  // Pictures with a side over `maxSide` are refused in the header.
  PngDecoder(PngSource& source, std::uint32_t maxSide);
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  // Reads the chunks before the image data; false unless they are a PNG
  // file's, with its header within the limit.
  bool ReadHeader();

  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  int Colour() const { return colour_; }
  int Depth() const { return depth_; }
  // Whether a tRNS chunk was taken (one that libpng would have discarded is not).
  bool HasTransparencyChunk() const { return hasKey_ || paletteAlphas_ > 0; }

  // After ReadHeader: every row into rows[y] (y from the top), then the rest
  // of the file up to IEND. False for anything broken on the way; the rows
  // may then be partly written.
  bool ReadImage(PngRows layout, std::uint8_t* const* rows);

 private:
  std::uint32_t Crc(std::uint32_t crc, const std::uint8_t* data, std::size_t size) const;
  bool NextChunk();
  bool ReadChunkData(std::vector<std::uint8_t>* keep, std::size_t keepAtMost = SIZE_MAX);
  bool ReadRestOfFile();
  bool TakeHeader(const std::vector<std::uint8_t>& data);
  void TakeTransparency(const std::vector<std::uint8_t>& data);
  bool Unfilter(std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes, unsigned filter) const;
  void Emit(PngRows layout, const std::uint8_t* row, std::uint32_t passWidth, std::uint8_t* out, std::uint32_t x0,
            std::uint32_t dx) const;
  unsigned Channels() const;
  unsigned BitsPerPixel() const { return Channels() * depth_; }

  PngSource& source_;
  std::uint32_t maxSide_;
  std::uint32_t crcTable_[256];
  // The chunk whose length and type were read last; its data comes next.
  std::uint32_t chunkLength_ = 0;
  std::uint32_t chunkType_ = 0;
  bool chunkCrcGood_ = false;

  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  int depth_ = 0;
  int colour_ = 0;
  bool interlaced_ = false;
  bool havePalette_ = false;
  // 256 entries whatever the palette's length, as libpng keeps them: an index
  // past the palette reads black and opaque.
  std::uint8_t palette_[256][3] = {};
  std::uint8_t alpha_[256] = {};
  unsigned paletteLength_ = 0;
  unsigned paletteAlphas_ = 0;
  bool hasKey_ = false;
  std::uint16_t key_[3] = {};
};

}  // namespace tarvelo

#endif
