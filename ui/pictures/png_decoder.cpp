#include "ui/pictures/png_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tarvelo {
namespace {

constexpr std::uint32_t ChunkType(const char (&name)[5]) {
  return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
         std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint8_t(name[3]);
}
constexpr std::uint32_t kIhdr = ChunkType("IHDR");
constexpr std::uint32_t kPlte = ChunkType("PLTE");
constexpr std::uint32_t kIdat = ChunkType("IDAT");
constexpr std::uint32_t kIend = ChunkType("IEND");
constexpr std::uint32_t kTrns = ChunkType("tRNS");

// Bit 5 of the first letter: lower case marks a chunk a decoder may skip.
bool IsCritical(std::uint32_t type) { return (type & 0x20000000u) == 0; }

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Not called where fuzzing lets any checksum pass.
[[maybe_unused]] std::uint32_t Adler32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  while (size > 0) {
    // The most bytes after which b cannot yet overflow 32 bits.
    std::size_t run = size < 5552 ? size : 5552;
    size -= run;
    while (run-- > 0) {
      a += *data++;
      b += a;
    }
    a %= 65521;
    b %= 65521;
  }
  return b << 16 | a;
}

// A canonical Huffman code as one lookup table indexed by the next `bits`
// input bits (first bit lowest): symbol << 4 | code length, 0 where no code
// begins with those bits.
struct HuffmanTable {
  std::vector<std::uint16_t> entries = std::vector<std::uint16_t>(1u << 15);
  unsigned bits = 0;

  // False for the code lengths zlib refuses: an over-subscribed code, or an
  // incomplete one unless it has no codes or only one of length 1 (which
  // `allowIncomplete` permits, as for literals and distances).
  bool Build(const std::uint8_t* lengths, unsigned count, bool allowIncomplete) {
    unsigned perLength[16] = {};
    for (unsigned i = 0; i < count; ++i) ++perLength[lengths[i]];
    perLength[0] = 0;
    unsigned longest = 0;
    int left = 1;
    unsigned firstCode[16] = {};
    unsigned code = 0;
    for (unsigned length = 1; length < 16; ++length) {
      left = left * 2 - int(perLength[length]);
      if (left < 0) return false;
      if (perLength[length] != 0) longest = length;
      code = (code + perLength[length - 1]) << 1;
      firstCode[length] = code;
    }
    if (left > 0 && !(allowIncomplete && longest <= 1)) return false;
    bits = longest == 0 ? 1 : longest;
    const std::size_t size = std::size_t{1} << bits;
    std::memset(entries.data(), 0, size * sizeof entries[0]);
    for (unsigned symbol = 0; symbol < count; ++symbol) {
      const unsigned length = lengths[symbol];
      if (length == 0) continue;
      const unsigned value = firstCode[length]++;
      // Huffman codes are packed from their first bit down, the input's bits
      // are taken lowest first: the table is indexed by the code reversed.
      unsigned reversed = 0;
      for (unsigned b = 0; b < length; ++b) reversed |= ((value >> b) & 1u) << (length - 1 - b);
      for (std::size_t i = reversed; i < size; i += std::size_t{1} << length)
        entries[i] = static_cast<std::uint16_t>(symbol << 4 | length);
    }
    return true;
  }
};

// A zlib stream (RFC 1950 around RFC 1951's deflate) into a buffer that it
// must fill exactly.
class Inflater {
 public:
  Inflater(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out)
      : begin_(in.data()), next_(in.data()), end_(in.data() + in.size()), out_(out.data()), outSize_(out.size()) {}

  bool Run() {
    std::uint32_t cmf = 0;
    std::uint32_t flags = 0;
    if (!Take(8, cmf) || !Take(8, flags)) return false;
    // Deflate, a window of at most 32 KiB, the check bits, no preset dictionary.
    if ((cmf & 15) != 8 || (cmf >> 4) > 7 || (cmf << 8 | flags) % 31 != 0 || (flags & 0x20) != 0) return false;
    const bool ended = Blocks();
    // A stream cut short fails. libpng only warns of more data than the rows
    // take, and of what is wrong from there on, which it finds only when it
    // reads on after the rows: that surplus is decoded unkept (so its
    // checksum cannot be checked), and faults in it are let pass.
    if (cut_ || starved_) return false;
    if (surplus_) return true;
    if (!ended || written_ != outSize_) return false;
    // What follows the stream in the image data is not looked at, as libpng
    // only warns of it.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    return true;
#else
    return check_ == Adler32(out_, outSize_);
#endif
  }

 private:
  // The deflate blocks and the checksum after them.
  bool Blocks() {
    std::uint32_t last = 0;
    do {
      std::uint32_t type = 0;
      if (!Take(1, last) || !Take(2, type)) return false;
      bool good = false;
      if (type == 0) good = Stored();
      else if (type == 1) good = Fixed() && Codes();
      else if (type == 2) good = Dynamic() && Codes();
      if (!good) return false;
    } while (last == 0);
    Drop(count_ % 8);
    for (int i = 0; i < 4; ++i) {
      std::uint32_t byte = 0;
      if (!Take(8, byte)) return false;
      check_ = check_ << 8 | byte;
    }
    return true;
  }
  void Put(std::uint8_t byte) {
    if (written_ < outSize_) out_[written_] = byte;
    else BeginSurplus();
    ++written_;
  }

  // libpng reads on after the rows only while image data is left beyond the
  // bits decoded so far.
  void BeginSurplus() {
    if (surplus_) return;
    surplus_ = true;
    const std::size_t used = (std::size_t(next_ - begin_) * 8 - count_ + 7) / 8;
    starved_ = used == std::size_t(end_ - begin_);
  }

  void Refill() {
    while (count_ <= 24 && next_ != end_) {
      bits_ |= std::uint32_t(*next_++) << count_;
      count_ += 8;
    }
  }
  void Drop(unsigned n) {
    bits_ >>= n;
    count_ -= n;
  }
  bool Take(unsigned n, std::uint32_t& value) {
    Refill();
    if (count_ < n) return Cut();
    value = bits_ & ((1u << n) - 1);
    Drop(n);
    return true;
  }
  // The next symbol of the code, or -1 where the input has none.
  int Decode(const HuffmanTable& table) {
    Refill();
    const unsigned entry = table.entries[bits_ & ((1u << table.bits) - 1)];
    const unsigned length = entry & 15;
    if (length == 0) return -1;
    if (length > count_) {
      cut_ = true;
      return -1;
    }
    Drop(length);
    return int(entry >> 4);
  }

  bool Cut() {
    cut_ = true;
    return false;
  }

  bool Stored() {
    Drop(count_ % 8);
    std::uint32_t length = 0;
    std::uint32_t complement = 0;
    if (!Take(16, length) || !Take(16, complement) || length != (~complement & 0xFFFF)) return false;
    while (length-- > 0) {
      std::uint32_t byte = 0;
      if (!Take(8, byte)) return false;
      Put(std::uint8_t(byte));
    }
    return true;
  }

  bool Fixed() {
    std::uint8_t lengths[288 + 32];
    std::memset(lengths, 8, 144);
    std::memset(lengths + 144, 9, 112);
    std::memset(lengths + 256, 7, 24);
    std::memset(lengths + 280, 8, 8);
    std::memset(lengths + 288, 5, 32);
    return literals_.Build(lengths, 288, false) && distances_.Build(lengths + 288, 32, false);
  }

  bool Dynamic() {
    std::uint32_t literalCount = 0;
    std::uint32_t distanceCount = 0;
    std::uint32_t lengthCodeCount = 0;
    if (!Take(5, literalCount) || !Take(5, distanceCount) || !Take(4, lengthCodeCount)) return false;
    literalCount += 257;
    distanceCount += 1;
    lengthCodeCount += 4;
    if (literalCount > 286 || distanceCount > 30) return false;
    static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::uint8_t lengths[19] = {};
    for (std::uint32_t i = 0; i < lengthCodeCount; ++i) {
      std::uint32_t length = 0;
      if (!Take(3, length)) return false;
      lengths[kOrder[i]] = std::uint8_t(length);
    }
    if (!literals_.Build(lengths, 19, false)) return false;
    const std::uint32_t total = literalCount + distanceCount;
    std::uint8_t codeLengths[286 + 30] = {};
    for (std::uint32_t i = 0; i < total;) {
      const int symbol = Decode(literals_);
      if (symbol < 0) return false;
      if (symbol < 16) {
        codeLengths[i++] = std::uint8_t(symbol);
        continue;
      }
      std::uint32_t repeat = 0;
      std::uint8_t value = 0;
      if (symbol == 16) {
        if (i == 0 || !Take(2, repeat)) return false;
        value = codeLengths[i - 1];
        repeat += 3;
      } else if (symbol == 17) {
        if (!Take(3, repeat)) return false;
        repeat += 3;
      } else {
        if (!Take(7, repeat)) return false;
        repeat += 11;
      }
      if (repeat > total - i) return false;
      while (repeat-- > 0) codeLengths[i++] = value;
    }
    // A block must be able to end.
    if (codeLengths[256] == 0) return false;
    return literals_.Build(codeLengths, literalCount, true) &&
           distances_.Build(codeLengths + literalCount, distanceCount, true);
  }

  bool Codes() {
    for (;;) {
      const int symbol = Decode(literals_);
      if (symbol < 0) return false;
      if (symbol < 256) {
        Put(std::uint8_t(symbol));
        continue;
      }
      if (symbol == 256) return true;
      const unsigned index = unsigned(symbol) - 257;
      if (index >= 29) return false;
      std::uint32_t length = 258;
      if (index < 28) {
        const unsigned extra = index < 8 ? 0 : (index >> 2) - 1;
        std::uint32_t more = 0;
        if (!Take(extra, more)) return false;
        length = (index < 8 ? index : (4 + (index & 3)) << extra) + 3 + more;
      }
      const int code = Decode(distances_);
      if (code < 0 || code >= 30) return false;
      const unsigned extra = code < 4 ? 0 : (unsigned(code) >> 1) - 1;
      std::uint32_t more = 0;
      if (!Take(extra, more)) return false;
      const std::size_t distance = (code < 4 ? unsigned(code) : (2 + (unsigned(code) & 1)) << extra) + 1 + more;
      // A copy that begins past the rows is surplus, and so is its fault.
      if (written_ >= outSize_) BeginSurplus();
      if (distance > written_) return false;
      if (length <= outSize_ - std::min(written_, outSize_)) {
        const std::uint8_t* from = out_ + written_ - distance;
        std::uint8_t* to = out_ + written_;
        written_ += length;
        // Byte by byte: a copy may overlap what it writes.
        while (length-- > 0) *to++ = *from++;
      } else {
        for (; length > 0; --length) Put(written_ - distance < outSize_ ? out_[written_ - distance] : 0);
      }
    }
  }

  const std::uint8_t* begin_;
  const std::uint8_t* next_;
  const std::uint8_t* end_;
  std::uint32_t bits_ = 0;
  unsigned count_ = 0;
  std::uint8_t* out_;
  std::size_t outSize_;
  std::size_t written_ = 0;  // counts on past the buffer over surplus data
  std::uint32_t check_ = 0;
  bool cut_ = false;
  bool surplus_ = false;
  bool starved_ = false;
  HuffmanTable literals_;
  HuffmanTable distances_;
};

// The seven passes of Adam7: first column and row, and the steps between.
struct Pass {
  std::uint8_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

std::uint32_t PassSize(std::uint32_t size, unsigned first, unsigned step) {
  return size > first ? (size - first + step - 1) / step : 0;
}

// A 16-bit sample to 8 bits, rounded to nearest as libpng's scale_16 does.
std::uint8_t Scale16(unsigned value) { return std::uint8_t((value * 255 + 32895) >> 16); }

}  // namespace

PngDecoder::PngDecoder(PngSource& source, std::uint32_t maxSide) : source_(source), maxSide_(maxSide) {
  // The CRC-32 of the PNG format (polynomial 0xEDB88320, bits reflected).
  // Made for each decoding, in a few microseconds, rather than kept in the
  // executable's data.
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    crcTable_[n] = c;
  }
}

bool PngMemorySource::Read(std::uint8_t* out, std::size_t count) {
  if (count > left_) return false;
  if (count > 0) std::memcpy(out, next_, count);
  next_ += count;
  left_ -= count;
  return true;
}

unsigned PngDecoder::Channels() const {
  switch (colour_) {
    case kRgb: return 3;
    case kGreyAlpha: return 2;
    case kRgba: return 4;
    default: return 1;
  }
}

bool PngDecoder::NextChunk() {
  std::uint8_t head[8];
  if (!source_.Read(head, sizeof head)) return false;
  chunkLength_ = BigEndian32(head);
  chunkType_ = BigEndian32(head + 4);
  // The format's limits: lengths of 31 bits, types of four letters.
  if (chunkLength_ > 0x7FFFFFFFu) return false;
  for (int i = 4; i < 8; ++i) {
    const std::uint8_t letter = head[i] & 0xDF;
    if (letter < 'A' || letter > 'Z') return false;
  }
  return true;
}

std::uint32_t PngDecoder::Crc(std::uint32_t crc, const std::uint8_t* data, std::size_t size) const {
  for (std::size_t i = 0; i < size; ++i) crc = crcTable_[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

// The current chunk's data, appended to `keep` when given (up to
// `keepAtMost` bytes there), and its CRC, whose verdict is left in
// chunkCrcGood_.
bool PngDecoder::ReadChunkData(std::vector<std::uint8_t>* keep, std::size_t keepAtMost) {
  std::uint8_t type[4] = {std::uint8_t(chunkType_ >> 24), std::uint8_t(chunkType_ >> 16),
                          std::uint8_t(chunkType_ >> 8), std::uint8_t(chunkType_)};
  std::uint32_t crc = Crc(0xFFFFFFFFu, type, 4);
  std::uint8_t piece[4096];
  // In pieces, so that a length the file does not hold asks for no memory.
  for (std::uint32_t left = chunkLength_; left > 0;) {
    const std::size_t size = left < sizeof piece ? left : sizeof piece;
    std::uint8_t* into = piece;
    if (keep && keep->size() + size <= keepAtMost) {
      keep->resize(keep->size() + size);
      into = keep->data() + keep->size() - size;
    }
    if (!source_.Read(into, size)) return false;
    crc = Crc(crc, into, size);
    left -= std::uint32_t(size);
  }
  std::uint8_t stored[4];
  if (!source_.Read(stored, 4)) return false;
  chunkCrcGood_ = BigEndian32(stored) == ~crc;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // Mutated inputs almost never carry valid checksums; let them reach the decoding.
  chunkCrcGood_ = true;
#endif
  // A critical chunk must be intact; an ancillary one is dropped if not.
  return chunkCrcGood_ || !IsCritical(chunkType_);
}

bool PngDecoder::TakeHeader(const std::vector<std::uint8_t>& data) {
  width_ = BigEndian32(data.data());
  height_ = BigEndian32(data.data() + 4);
  depth_ = data[8];
  colour_ = data[9];
  interlaced_ = data[12] == 1;
  if (width_ == 0 || height_ == 0 || width_ > maxSide_ || height_ > maxSide_) return false;
  if (data[10] != 0 || data[11] != 0 || data[12] > 1) return false;
  if (depth_ != 1 && depth_ != 2 && depth_ != 4 && depth_ != 8 && depth_ != 16) return false;
  switch (colour_) {
    case kGrey: return true;
    case kPalette: return depth_ <= 8;
    case kRgb:
    case kGreyAlpha:
    case kRgba: return depth_ >= 8;
    default: return false;
  }
}

// Taken only where libpng takes it; it drops the others with a warning.
void PngDecoder::TakeTransparency(const std::vector<std::uint8_t>& data) {
  if (!chunkCrcGood_ || HasTransparencyChunk()) return;
  const std::size_t size = data.size();
  if (colour_ == kPalette) {
    if (size == 0 || size > paletteLength_) return;
    std::memcpy(alpha_, data.data(), size);
    paletteAlphas_ = unsigned(size);
  } else if (colour_ == kGrey || colour_ == kRgb) {
    const unsigned samples = colour_ == kGrey ? 1 : 3;
    if (size != 2 * samples) return;
    // libpng compares samples below 16 bits with the key's low bits only.
    const unsigned mask = depth_ == 16 ? 0xFFFF : (1u << depth_) - 1;
    for (unsigned i = 0; i < samples; ++i) key_[i] = std::uint16_t((data[2 * i] << 8 | data[2 * i + 1]) & mask);
    hasKey_ = true;
  }
}

bool PngDecoder::ReadHeader() {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::uint8_t signature[8];
  if (!source_.Read(signature, 8) || std::memcmp(signature, kSignature, 8) != 0) return false;
  std::memset(alpha_, 0xFF, sizeof alpha_);
  bool haveHeader = false;
  std::vector<std::uint8_t> data;
  for (;;) {
    if (!NextChunk()) return false;
    const std::uint32_t type = chunkType_;
    if (type == kIdat) return haveHeader && (colour_ != kPalette || havePalette_);
    // Before the header only chunks to skip may come.
    if (type == kIhdr ? haveHeader : !haveHeader && (IsCritical(type) || type == kTrns)) return false;
    if (type == kIend) return false;
    data.clear();
    const bool known = type == kIhdr || type == kPlte || type == kTrns;
    if (!ReadChunkData(known ? &data : nullptr)) return false;
    if (type == kIhdr) {
      if (data.size() != 13 || !TakeHeader(data)) return false;
      haveHeader = true;
    } else if (type == kPlte) {
      if (havePalette_) return false;
      havePalette_ = true;
      if ((colour_ & 2) == 0) continue;  // a palette in a grey picture is ignored
      if (data.size() % 3 != 0 || data.size() > 768) {
        if (colour_ == kPalette) return false;
        continue;
      }
      paletteLength_ = unsigned(data.size() / 3);
      if (paletteLength_ == 0) return false;
      if (colour_ == kPalette && paletteLength_ > (1u << depth_)) paletteLength_ = 1u << depth_;
      std::memcpy(palette_, data.data(), paletteLength_ * 3);
      // libpng drops a colour key that came before the palette.
      hasKey_ = false;
    } else if (type == kTrns) {
      TakeTransparency(data);
    } else if (IsCritical(type)) {
      return false;
    }
  }
}

bool PngDecoder::ReadRestOfFile() {
  for (;;) {
    const std::uint32_t type = chunkType_;
    // After the image libpng skips every chunk but a second header, critical
    // ones too (a palette, unknown ones), whose CRC must still hold.
    if (type == kIhdr) return false;
    if (!ReadChunkData(nullptr)) return false;
    if (type == kIend) return true;
    if (!NextChunk()) return false;
  }
}

bool PngDecoder::Unfilter(std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes,
                          unsigned filter) const {
  const std::size_t step = BitsPerPixel() < 8 ? 1 : BitsPerPixel() / 8;
  switch (filter) {
    case 0: break;
    case 1:
      for (std::size_t i = step; i < rowBytes; ++i) row[i] = std::uint8_t(row[i] + row[i - step]);
      break;
    case 2:
      for (std::size_t i = 0; i < rowBytes; ++i) row[i] = std::uint8_t(row[i] + previous[i]);
      break;
    case 3:
      for (std::size_t i = 0; i < rowBytes; ++i)
        row[i] = std::uint8_t(row[i] + (((i >= step ? row[i - step] : 0) + previous[i]) >> 1));
      break;
    case 4:
      // The first pixel has nothing to its left: Paeth predicts the byte above.
      for (std::size_t i = 0; i < step && i < rowBytes; ++i) row[i] = std::uint8_t(row[i] + previous[i]);
      for (std::size_t i = step; i < rowBytes; ++i) {
        const int left = row[i - step];
        const int up = previous[i];
        const int corner = previous[i - step];
        const int toLeft = up > corner ? up - corner : corner - up;
        const int toUp = left > corner ? left - corner : corner - left;
        const int toCorner = left + up - 2 * corner < 0 ? 2 * corner - left - up : left + up - 2 * corner;
        const int predicted = toLeft <= toUp && toLeft <= toCorner ? left : toUp <= toCorner ? up : corner;
        row[i] = std::uint8_t(row[i] + predicted);
      }
      break;
    default: return false;
  }
  return true;
}

// One unfiltered row of a pass into the output row `out`, at columns x0,
// x0 + dx, ...
void PngDecoder::Emit(PngRows layout, const std::uint8_t* row, std::uint32_t passWidth, std::uint8_t* out,
                      std::uint32_t x0, std::uint32_t dx) const {
  const unsigned channels = Channels();
  const unsigned size = layout == PngRows::kBgra ? 4 : 3;
  // The skins' usual kinds, 8-bit colour with alpha or without a key, take a
  // shorter way: the bytes reordered.
  if (depth_ == 8 && layout != PngRows::kOneBit && (colour_ == kRgba || (colour_ == kRgb && !hasKey_))) {
    for (std::uint32_t x = 0; x < passWidth; ++x, row += channels) {
      std::uint8_t* pixel = out + std::size_t{x0 + x * dx} * size;
      pixel[0] = row[2];
      pixel[1] = row[1];
      pixel[2] = row[0];
      if (size == 4) pixel[3] = channels == 4 ? row[3] : 255;
    }
    return;
  }
  const unsigned sampleMask = (1u << (depth_ < 8 ? depth_ : 8)) - 1;
  for (std::uint32_t x = 0; x < passWidth; ++x) {
    const std::uint32_t column = x0 + x * dx;
    unsigned samples[4];
    for (unsigned c = 0; c < channels; ++c) {
      const std::size_t index = std::size_t{x} * channels + c;
      if (depth_ == 16) {
        samples[c] = unsigned(row[2 * index] << 8 | row[2 * index + 1]);
      } else {
        const std::size_t bit = index * unsigned(depth_);
        samples[c] = (row[bit / 8] >> (8 - depth_ - bit % 8)) & sampleMask;
      }
    }
    if (layout == PngRows::kOneBit) {
      const std::uint8_t bit = std::uint8_t(0x80 >> (column % 8));
      out[column / 8] = std::uint8_t(samples[0] ? out[column / 8] | bit : out[column / 8] & ~bit);
      continue;
    }
    std::uint8_t colour[4];  // red, green, blue, alpha
    unsigned alpha = 255;
    if (colour_ == kPalette) {
      std::memcpy(colour, palette_[samples[0]], 3);
      alpha = alpha_[samples[0]];
    } else {
      const bool grey = colour_ == kGrey || colour_ == kGreyAlpha;
      if (colour_ == kGreyAlpha || colour_ == kRgba) alpha = samples[channels - 1];
      else if (hasKey_ && samples[0] == key_[0] && (grey || (samples[1] == key_[1] && samples[2] == key_[2]))) alpha = 0;
      else alpha = depth_ == 16 ? 0xFFFF : 255;
      if (depth_ == 16) alpha = Scale16(alpha);
      for (unsigned c = 0; c < 3; ++c) {
        const unsigned value = samples[grey ? 0 : c];
        colour[c] = depth_ == 16 ? Scale16(value) : std::uint8_t(value * (255 / sampleMask));
      }
    }
    colour[3] = std::uint8_t(alpha);
    std::uint8_t* pixel = out + std::size_t{column} * size;
    pixel[0] = colour[2];
    pixel[1] = colour[1];
    pixel[2] = colour[0];
    if (size == 4) pixel[3] = colour[3];
  }
}

bool PngDecoder::ReadImage(PngRows layout, std::uint8_t* const* rows) {
  const unsigned passes = interlaced_ ? 7 : 1;
  const Pass* pass = interlaced_ ? kAdam7 : &kWhole;
  const unsigned pixelBits = BitsPerPixel();
  std::uint64_t rawSize = 0;
  std::size_t widestRow = 0;
  for (unsigned p = 0; p < passes; ++p) {
    const std::uint32_t passWidth = PassSize(width_, pass[p].x0, pass[p].dx);
    const std::uint32_t passHeight = PassSize(height_, pass[p].y0, pass[p].dy);
    if (passWidth == 0 || passHeight == 0) continue;
    const std::size_t rowBytes = std::size_t((std::uint64_t{passWidth} * pixelBits + 7) / 8);
    if (rowBytes > widestRow) widestRow = rowBytes;
    rawSize += std::uint64_t{passHeight} * (rowBytes + 1);
  }
  // Far more than a picture within any sensible side limit needs, and small
  // enough for the sums below in 32 bits.
  if (rawSize > 0x3FFFFFFFu) return false;

  // The image data: the chunks that follow each other from the first. Twice
  // the rows and a mebibyte is more than any encoder writes for them; what
  // lies beyond is read and dropped, as libpng lets data after the stream's
  // end pass. A file thus cannot ask for memory the picture does not need.
  std::vector<std::uint8_t> compressed;
  do {
    if (!ReadChunkData(&compressed, std::size_t(2 * rawSize + (1 << 20))) || !NextChunk()) return false;
  } while (chunkType_ == kIdat);
  // Deflate makes at most 258 bytes of two bits: data that could not fill
  // the rows is refused before their memory is asked for.
  if (rawSize / 1032 > compressed.size()) return false;
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(rawSize));
  if (!Inflater(compressed, raw).Run()) return false;
  compressed = std::vector<std::uint8_t>();

  const std::vector<std::uint8_t> zeros(widestRow);
  std::uint8_t* at = raw.data();
  for (unsigned p = 0; p < passes; ++p) {
    const std::uint32_t passWidth = PassSize(width_, pass[p].x0, pass[p].dx);
    const std::uint32_t passHeight = PassSize(height_, pass[p].y0, pass[p].dy);
    if (passWidth == 0 || passHeight == 0) continue;
    const std::size_t rowBytes = std::size_t((std::uint64_t{passWidth} * pixelBits + 7) / 8);
    const std::uint8_t* previous = zeros.data();
    for (std::uint32_t y = 0; y < passHeight; ++y) {
      std::uint8_t* row = at + 1;
      if (!Unfilter(row, previous, rowBytes, *at)) return false;
      Emit(layout, row, passWidth, rows[pass[p].y0 + std::size_t{y} * pass[p].dy], pass[p].x0, pass[p].dx);
      previous = row;
      at += rowBytes + 1;
    }
  }
  return ReadRestOfFile();
}

}  // namespace tarvelo
