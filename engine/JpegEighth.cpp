#include "engine/JpegEighth.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/EngineOwner.h"

namespace {

// As libjpeg, which refuses scans with more blocks an MCU.
constexpr int kMaxBlocksInMcu = 10;

// Bits looked at at once; codes and code + extra bits up to this length take one look-up.
constexpr int kPeekBits = 12;
constexpr int kPeekSize = 1 << kPeekBits;

// The natural position of each zig-zag index, with room for a run that overshoots the block
// (whose coefficient lands on the last position, as libjpeg puts it).
constexpr std::uint8_t kNaturalOrder[64 + 16] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33,
    40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36,
    29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54,
    47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

// A value of s bits as the entropy coder sends it: the high half positive, the low half negative.
inline int Extend(std::uint32_t value, int s) {
  return value < (1u << (s - 1)) ? static_cast<int>(value) - (1 << s) + 1 : static_cast<int>(value);
}

// The entropy-coded data of a scan without its stuffing (0xFF 0x00 is a data byte 0xFF), cut
// into its restart intervals, in one buffer with zero bytes after the last so that a reader may
// look past the end. A worker keeps its buffer for the next picture.
class TEntropySegments {
 public:
  // More than one MCU can use (up to ten blocks of at most 64 codes of 31 bits each) and a
  // reader's 8-byte look-ahead.
  static constexpr std::size_t kGuard = kMaxBlocksInMcu * 64 * 31 / 8 + 64;

  // False when the data does not hold segments restart intervals with the restart markers
  // due between them. The data of the last runs to the next marker or the end.
  bool Split(const std::uint8_t* data, std::size_t size, std::int64_t segments) {
    if (segments < 1 || static_cast<std::uint64_t>(segments) > size + 1) return false;
    Reserve(size + kGuard);
    starts_.assign(1, 0);
    std::size_t length = 0;
    const std::uint8_t* p = data;
    const std::uint8_t* const end = data + size;
    while (true) {
      const auto* ff = static_cast<const std::uint8_t*>(std::memchr(p, 0xFF, end - p));
      const std::uint8_t* stop = ff ? ff : end;
      std::memcpy(buffer_.get() + length, p, stop - p);
      length += stop - p;
      if (!ff) break;
      // Fill bytes 0xFF before the 0x00 go with it, as libjpeg takes them.
      const std::uint8_t* q = ff + 1;
      while (q < end && *q == 0xFF) ++q;
      if (q < end && *q == 0) {
        buffer_[length++] = 0xFF;
        p = q + 1;
        continue;
      }
      const std::int64_t segment = static_cast<std::int64_t>(starts_.size());
      if (segment == segments) break;  // the marker after the last interval
      if (q >= end || *q != 0xD0 + ((segment - 1) & 7)) return false;
      starts_.push_back(length);
      p = q + 1;
    }
    if (static_cast<std::int64_t>(starts_.size()) != segments) return false;
    starts_.push_back(length);
    std::memset(buffer_.get() + length, 0, kGuard);
    return true;
  }

  const std::uint8_t* Begin(std::size_t segment) const { return buffer_.get() + starts_[segment]; }
  std::size_t Length(std::size_t segment) const { return starts_[segment + 1] - starts_[segment]; }

 private:
  void Reserve(std::size_t bytes) {
    if (bytes <= capacity_) return;
    buffer_.reset(new std::uint8_t[bytes]);
    capacity_ = bytes;
  }

  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t capacity_ = 0;
  std::vector<std::size_t> starts_;
};

// Reads a segment's bits from the top of a 64-bit buffer, refilled without a branch: after
// Refill at least 56 bits are there, and the bits below them are already the next ones.
class TBitReader {
 public:
  void Start(const std::uint8_t* begin, std::size_t length) {
    base_ = p_ = begin;
    length_bits_ = static_cast<std::int64_t>(length) * 8;
    bits_ = 0;
    count_ = 0;
  }
  void Refill() {
    std::uint64_t word;
    std::memcpy(&word, p_, 8);
    bits_ |= __builtin_bswap64(word) >> count_;
    p_ += (63 - count_) >> 3;
    count_ |= 56;
  }
  std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
  void Drop(int n) {
    bits_ <<= n;
    count_ -= n;
  }
  // True once bits past the segment have been used.
  bool Overrun() const { return Used() > length_bits_; }
  // True when what is left of the segment is the fill of its last byte.
  bool AtEnd() const { return !Overrun() && length_bits_ - Used() < 8; }

 private:
  std::int64_t Used() const { return (p_ - base_) * std::int64_t{8} - count_; }

  const std::uint8_t* base_ = nullptr;
  const std::uint8_t* p_ = nullptr;
  std::int64_t length_bits_ = 0;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

// A Huffman table made into look-ups.
class THuffman {
 public:
  // As libjpeg builds a table, refusing what it refuses: more than 256 codes, lengths that do
  // not make a prefix code, DC symbols above 15.
  bool Build(const TJpegHuffmanTable& table, bool dc) {
    int count = 0;
    for (int length = 1; length <= 16; ++length) count += table.bits[length];
    if (count > 256) return false;
    count_ = count;
    std::memcpy(values_, table.values, sizeof values_);
    if (dc)
      for (int i = 0; i < count; ++i)
        if (values_[i] > 15) return false;
    std::memset(code_, 0, sizeof code_);
    std::int32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
      valoffset_[length] = index - code;
      maxcode_[length] = table.bits[length] ? code + table.bits[length] - 1 : -1;
      for (int i = 0; i < table.bits[length]; ++i, ++index, ++code) {
        if (length <= kPeekBits) Fill(code, length, values_[index]);
      }
      if (code >= (std::int32_t{1} << length)) return false;
      code <<= 1;
    }
    if (!dc) BuildSkip();  // only AC coefficients are stepped over
    return true;
  }

  // The next symbol, its code dropped; -1 for a sequence that is no code.
  int Symbol(TBitReader& bits) const {
    const std::uint16_t entry = code_[bits.Peek(kPeekBits)];
    if (entry) {
      bits.Drop(entry >> 8);
      return entry & 0xFF;
    }
    const std::uint32_t next = bits.Peek(16);
    for (int length = kPeekBits + 1; length <= 16; ++length) {
      const std::int32_t code = static_cast<std::int32_t>(next >> (16 - length));
      if (code <= maxcode_[length]) {
        const std::int32_t index = valoffset_[length] + code;
        if (index < 0 || index >= count_) return -1;
        bits.Drop(length);
        return values_[index];
      }
    }
    return -1;
  }

  // Steps over the AC coefficients of a block; false for a sequence that is no code.
  bool SkipAc(TBitReader& bits) const {
    int k = 1;
    while (true) {
      // Four look-ups of at most kPeekBits bits each per refill.
      bits.Refill();
      std::uint32_t entry = 0;
      for (int i = 0; i < 4; ++i) {
        entry = skip_[bits.Peek(kPeekBits)];
        if (!entry) break;
        // Both symbols unless the first ends the block.
        const int after_first = k + static_cast<int>(entry >> 5 & 0x7F);
        if (after_first < 64) {
          bits.Drop(static_cast<int>(entry >> 12 & 0x1F));
          k += static_cast<int>(entry >> 17);
        } else {
          bits.Drop(static_cast<int>(entry & 0x1F));
          k = after_first;
        }
        if (k >= 64) return true;
      }
      if (entry) continue;
      bits.Refill();
      const int symbol = Symbol(bits);
      if (symbol < 0) return false;
      const int run = symbol >> 4, size = symbol & 0x0F;
      if (size) {
        bits.Drop(size);
        k += run + 1;
      } else if (run == 15) {
        k += 16;
      } else {
        return true;
      }
      if (k >= 64) return true;
    }
  }

  // Decodes the AC coefficients of a block into block (natural order, zeroed by the caller);
  // stored marks the positions of those that are not zero.
  bool DecodeAc(TBitReader& bits, std::int16_t* block, std::uint64_t& stored) const {
    stored = 0;
    for (int k = 1; k < 64; ++k) {
      bits.Refill();
      const int symbol = Symbol(bits);
      if (symbol < 0) return false;
      const int run = symbol >> 4, size = symbol & 0x0F;
      if (size) {
        k += run;
        block[kNaturalOrder[k]] = static_cast<std::int16_t>(Extend(bits.Peek(size), size));
        stored |= std::uint64_t{1} << kNaturalOrder[k];
        bits.Drop(size);
      } else if (run == 15) {
        k += 15;
      } else {
        break;
      }
    }
    return true;
  }

 private:
  void Fill(std::int32_t code, int length, std::uint8_t symbol) {
    const int first = code << (kPeekBits - length);
    const int last = first + (1 << (kPeekBits - length));
    for (int i = first; i < last; ++i) code_[i] = static_cast<std::uint16_t>(length << 8 | symbol);
  }

  // For AC: the bits of the first code and its extra bits, and how far it moves in the block,
  // then the same for it and the code after it when that fits too.
  void BuildSkip() {
    const auto step = [&](int index, int& bits, int& advance) {
      const std::uint16_t entry = code_[index];
      if (!entry) return false;
      const int symbol = entry & 0xFF, run = symbol >> 4, size = symbol & 0x0F;
      bits = (entry >> 8) + size;
      advance = size ? run + 1 : run == 15 ? 16 : 64;
      return true;
    };
    for (int i = 0; i < kPeekSize; ++i) {
      int bits = 0, advance = 0, bits2 = 0, advance2 = 0;
      if (!step(i, bits, advance) || bits > kPeekBits) {
        skip_[i] = 0;
        continue;
      }
      int total = bits, total_advance = advance;
      if (advance < 64 && bits < kPeekBits &&
          step((i << bits) & (kPeekSize - 1), bits2, advance2) && bits + bits2 <= kPeekBits) {
        total += bits2;
        total_advance += advance2;
      }
      skip_[i] =
          static_cast<std::uint32_t>(bits | advance << 5 | total << 12 | total_advance << 17);
    }
  }

  std::uint16_t code_[kPeekSize];  // length << 8 | symbol, 0 for a longer code
  // bits | advance << 5 | bits of two << 12 | advance of two << 17; 0 when the first does not fit
  std::uint32_t skip_[kPeekSize];
  std::int32_t maxcode_[17] = {};
  std::int32_t valoffset_[17] = {};
  std::uint8_t values_[256] = {};
  int count_ = 0;
};

// libjpeg's range limit after the inverse DCT: values wrap at 1024, those just above 127 and
// below -128 are clamped.
inline std::uint8_t IdctLimit(std::int64_t value) {
  const int index = static_cast<int>(value) & 1023;
  if (index < 128) return static_cast<std::uint8_t>(index + 128);
  if (index < 512) return 255;
  if (index < 896) return 0;
  return static_cast<std::uint8_t>(index - 896);
}

inline std::int64_t Descale(std::int64_t value, int n) {
  return (value + (std::int64_t{1} << (n - 1))) >> n;
}

inline int Dequantize(std::int16_t coefficient, std::uint16_t quant) {
  return static_cast<int>(coefficient) * static_cast<std::int16_t>(quant);
}

// One pixel from a block: an eighth of its DC coefficient.
inline std::uint8_t Idct1x1(std::int16_t dc, const std::uint16_t* quant) {
  return IdctLimit(Descale(Dequantize(dc, quant[0]), 3));
}

// Dequantized coefficients beyond this are beyond what an encoder writes for 8-bit samples
// (the true DCT of such a block stays within +-1024). libjpeg's vector code for the 2 x 2
// inverse DCT works in 16 bits and gives other pixels than its plain code, and this one, for
// values far beyond it, which only damaged or made-up files hold.
constexpr int kEncoderRange = 2048;

// Rows 1, 3, 5 and 7 of column 0 of a block, as bits of its natural positions.
constexpr std::uint64_t kOddRows = 0x0100010001000100ull;

// Two by two pixels from a block's coefficients at 0, 1, 3, 5 and 7 in each direction
// (libjpeg's reduced LL&M inverse DCT with 13 fraction bits). stored marks the AC positions
// that are not zero. False, with nothing written, for coefficients beyond an encoder's range.
bool Idct2x2(const std::int16_t* block, std::uint64_t stored, const std::uint16_t* quant,
             std::uint8_t* top, std::uint8_t* bottom) {
  constexpr int kConstBits = 13, kPass1Bits = 2;
  constexpr std::int64_t k0_720959822 = 5906, k0_850430095 = 6967, k1_272758580 = 10426,
                         k3_624509785 = 29692;
  const auto odd = [&](std::int64_t c1, std::int64_t c3, std::int64_t c5, std::int64_t c7) {
    return c7 * -k0_720959822 + c5 * k0_850430095 + c3 * -k1_272758580 + c1 * k3_624509785;
  };
  bool in_range = true;
  const auto at = [&](int row, int column) {
    const int value = Dequantize(block[8 * row + column], quant[8 * row + column]);
    in_range &= value >= -kEncoderRange && value < kEncoderRange;
    return std::int64_t{value};
  };
  int work[2][8] = {};
  for (const int column : {0, 1, 3, 5, 7}) {
    if (column > 0 && !(stored & (0x0100010001000101ull << column))) continue;  // all zero
    const std::int64_t even = at(0, column) * (std::int64_t{1} << (kConstBits + 2));
    // Without odd rows both outputs are the even part, descaled exactly.
    const std::int64_t sum = stored & (kOddRows << column)
                                 ? odd(at(1, column), at(3, column), at(5, column), at(7, column))
                                 : 0;
    work[0][column] = static_cast<int>(Descale(even + sum, kConstBits - kPass1Bits + 2));
    work[1][column] = static_cast<int>(Descale(even - sum, kConstBits - kPass1Bits + 2));
  }
  if (!in_range) return false;
  std::uint8_t* out[2] = {top, bottom};
  for (int row = 0; row < 2; ++row) {
    const int* w = work[row];
    const std::int64_t even = std::int64_t{w[0]} * (std::int64_t{1} << (kConstBits + 2));
    const std::int64_t sum = odd(w[1], w[3], w[5], w[7]);
    constexpr int kShift = kConstBits + kPass1Bits + 3 + 2;
    out[row][0] = IdctLimit(Descale(even + sum, kShift));
    out[row][1] = IdctLimit(Descale(even - sum, kShift));
  }
  return true;
}

// libjpeg's YCbCr to RGB tables (16 fraction bits).
struct TYccTables {
  int cr_r[256], cb_b[256];
  std::int64_t cr_g[256], cb_g[256];
  TYccTables() {
    const auto fix = [](double x) { return static_cast<std::int64_t>(x * 65536.0 + 0.5); };
    constexpr std::int64_t kHalf = std::int64_t{1} << 15;
    for (int i = 0; i < 256; ++i) {
      const std::int64_t x = i - 128;
      cr_r[i] = static_cast<int>((fix(1.40200) * x + kHalf) >> 16);
      cb_b[i] = static_cast<int>((fix(1.77200) * x + kHalf) >> 16);
      cr_g[i] = -fix(0.71414) * x;
      cb_g[i] = -fix(0.34414) * x + kHalf;
    }
  }
};

inline std::uint8_t Clamp255(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// One component's pixels at the reduced size, block by block.
struct TPlane {
  const TJpegEighthComponent* info = nullptr;
  const THuffman* dc = nullptr;
  const THuffman* ac = nullptr;
  int h = 1, v = 1;                // blocks in an MCU
  int scale = 1;                   // pixels a side per block: 1, or 2 from the low coefficients
  int repeat_x = 1, repeat_y = 1;  // each pixel replicated to the output
  int width = 0;                   // pixels a row
  std::vector<std::uint8_t> pixels;
  std::uint32_t prediction = 0;
};

bool DecodeBlock(TBitReader& bits, TPlane& plane, int x, int y) {
  bits.Refill();
  const int size = plane.dc->Symbol(bits);
  if (size < 0) return false;
  int difference = 0;
  if (size) {
    difference = Extend(bits.Peek(size), size);
    bits.Drop(size);
  }
  // libjpeg lets the prediction wrap and keeps 16 bits of it in the block.
  plane.prediction += static_cast<std::uint32_t>(difference);
  const auto dc = static_cast<std::int16_t>(plane.prediction);
  std::uint8_t* at = plane.pixels.data() + static_cast<std::size_t>(y) * plane.width + x;
  if (plane.scale == 1) {
    if (!plane.ac->SkipAc(bits)) return false;
    *at = Idct1x1(dc, plane.info->quant);
    return true;
  }
  std::int16_t block[64] = {};
  block[0] = dc;
  std::uint64_t stored = 0;
  return plane.ac->DecodeAc(bits, block, stored) &&
         Idct2x2(block, stored, plane.info->quant, at, at + plane.width);
}

}  // namespace

bool DecodeJpegEighth(const TJpegEighthInput& in, TBitmap24& out, const TEngineOwner* owner) {
  if ((in.components != 1 && in.components != 3) || in.width <= 0 || in.height <= 0 || !in.data)
    return false;
  const bool single = in.components == 1;
  int max_h = 1, max_v = 1;
  for (int c = 0; c < in.components; ++c) {
    const TJpegEighthComponent& info = in.component[c];
    if (info.h < 1 || info.h > 2 || info.v < 1 || info.v > 2 || !info.dc || !info.ac) return false;
    max_h = std::max(max_h, info.h);
    max_v = std::max(max_v, info.v);
  }
  if (single) max_h = max_v = 1;  // a lone component's MCU is one block whatever it says
  int blocks = 0;
  for (int c = 0; c < in.components; ++c) blocks += in.component[c].h * in.component[c].v;
  if (!single && blocks > kMaxBlocksInMcu) return false;

  // A table is built once however many components share it.
  std::vector<std::pair<const TJpegHuffmanTable*, THuffman>> tables;
  tables.reserve(6);
  const auto table = [&](const TJpegHuffmanTable* source, bool dc) -> const THuffman* {
    for (const auto& [known, built] : tables)
      if (known == source) return &built;
    tables.emplace_back(source, THuffman{});
    if (!tables.back().second.Build(*source, dc)) return nullptr;
    return &tables.back().second;
  };

  const int mcus_x = (in.width + 8 * max_h - 1) / (8 * max_h);
  const int mcus_y = (in.height + 8 * max_v - 1) / (8 * max_v);
  TPlane planes[3];
  for (int c = 0; c < in.components; ++c) {
    TPlane& plane = planes[c];
    plane.info = &in.component[c];
    plane.h = single ? 1 : plane.info->h;
    plane.v = single ? 1 : plane.info->v;
    // Half-resolution components are reconstructed at twice the size of a block rather than
    // replicated, when they are so in both directions.
    while (plane.scale < 2 && max_h % (plane.h * plane.scale * 2) == 0 &&
           max_v % (plane.v * plane.scale * 2) == 0)
      plane.scale *= 2;
    plane.repeat_x = max_h / (plane.h * plane.scale);
    plane.repeat_y = max_v / (plane.v * plane.scale);
    plane.dc = table(plane.info->dc, true);
    plane.ac = table(plane.info->ac, false);
    if (!plane.dc || !plane.ac) return false;
    plane.width = mcus_x * plane.h * plane.scale;
    plane.pixels.assign(static_cast<std::size_t>(plane.width) * mcus_y * plane.v * plane.scale, 0);
  }

  const std::int64_t mcus = std::int64_t{mcus_x} * mcus_y;
  const std::int64_t segments =
      in.restart_interval ? (mcus + in.restart_interval - 1) / in.restart_interval : 1;
  thread_local TEntropySegments kept;
  TEntropySegments own;
  // A worker keeps a buffer of up to 64 MB for the next picture.
  TEntropySegments& data = in.size <= (std::size_t{64} << 20) ? kept : own;
  if (!data.Split(in.data, in.size, segments)) return false;

  TBitReader bits;
  std::int64_t segment = 0, left_in_segment = 0;
  for (int my = 0; my < mcus_y; ++my) {
    if (OwnerCancelled(owner)) return false;
    for (int mx = 0; mx < mcus_x; ++mx) {
      if (left_in_segment == 0) {
        if (segment > 0 && !bits.AtEnd()) return false;
        bits.Start(data.Begin(static_cast<std::size_t>(segment)),
                   data.Length(static_cast<std::size_t>(segment)));
        ++segment;
        left_in_segment = in.restart_interval ? in.restart_interval : mcus;
        for (TPlane& plane : planes) plane.prediction = 0;
      }
      --left_in_segment;
      for (int c = 0; c < in.components; ++c) {
        TPlane& plane = planes[c];
        for (int by = 0; by < plane.v; ++by)
          for (int bx = 0; bx < plane.h; ++bx)
            if (!DecodeBlock(bits, plane, (mx * plane.h + bx) * plane.scale,
                             (my * plane.v + by) * plane.scale))
              return false;
      }
      if (bits.Overrun()) return false;
    }
  }
  // The last segment may end with more than fill bits: the trailer is not read.

  const int width = (in.width + 7) / 8, height = (in.height + 7) / 8;
  if (!out.SetSize(width, height)) return false;
  static const TYccTables ycc;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* rows[3] = {};
    for (int c = 0; c < in.components; ++c)
      rows[c] = planes[c].pixels.data() +
                static_cast<std::size_t>(y / planes[c].repeat_y) * planes[c].width;
    std::uint8_t* target = out.Row(y);
    const auto sample = [&](int c, int x) { return rows[c][x / planes[c].repeat_x]; };
    for (int x = 0; x < width; ++x, target += 3) {
      if (single) {
        target[0] = target[1] = target[2] = rows[0][x];
      } else if (in.rgb) {
        target[0] = sample(2, x);
        target[1] = sample(1, x);
        target[2] = sample(0, x);
      } else {
        const int luma = sample(0, x), cb = sample(1, x), cr = sample(2, x);
        target[0] = Clamp255(luma + ycc.cb_b[cb]);
        target[1] = Clamp255(luma + static_cast<int>((ycc.cb_g[cb] + ycc.cr_g[cr]) >> 16));
        target[2] = Clamp255(luma + ycc.cr_r[cr]);
      }
    }
  }
  return true;
}
