#include "engine/BmpFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engine/ImageUtils.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;

// Compression values of the Windows headers.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

// A compressed file may claim at most this many pixels per byte of its data (beyond the working
// area, which is always allowed): no real encoder comes near it, while a few bytes that claim a
// huge picture are refused before allocation.
constexpr std::int64_t kMaxPixelsPerRleByte = 1024;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

enum class TKind { kIndexed, kRle8, kRle4, kRgb24, kFields };

// One channel of a bit-field pixel: (pixel & mask) >> shift gives 0..max, scaled to 0..255.
struct TChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  std::vector<std::uint8_t> table;  // max + 1 entries when max is small enough

  void Init(std::uint32_t m) {
    mask = m;
    shift = 0;
    max = 0;
    table.clear();
    if (m == 0) return;
    while (!((m >> shift) & 1u)) ++shift;
    max = m >> shift;
    if (max <= 0xFFFF) {
      table.resize(static_cast<std::size_t>(max) + 1);
      for (std::uint32_t v = 0; v <= max; ++v) table[v] = Scale(v);
    }
  }
  std::uint8_t Scale(std::uint32_t v) const {
    return static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 510 + max) /
                                     (2 * static_cast<std::uint64_t>(max)));
  }
  std::uint8_t Get(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    return table.empty() ? Scale(v) : table[v];
  }
};

struct THeader {
  int width = 0;
  int height = 0;
  bool top_down = false;
  int bits = 0;
  TKind kind = TKind::kIndexed;
  std::uint32_t masks[3] = {0, 0, 0};           // red, green, blue
  std::array<std::uint8_t, 3 * 256> palette{};  // blue, green, red per entry; unused entries black
  int palette_count = 0;
  std::size_t pixel_offset = 0;
  std::size_t row_bytes = 0;  // uncompressed rows only
};

bool Fail(std::string& error, const char* text) {
  error = text;
  return false;
}

// size bytes of a file of total bytes are at d (the headers must be among them); the pixel data
// is checked against total.
bool ParseHeader(const std::uint8_t* d, std::size_t size, std::size_t total, THeader& h,
                 std::string& error) {
  if (size < kFileHeaderSize + 4) return Fail(error, "BMP: the file is truncated");
  if (!IsBmpData(d, size)) return Fail(error, "BMP: not a bitmap file");
  const std::uint32_t off_bits = U32(d + 10);
  const std::uint32_t header_size = U32(d + 14);
  const bool core = header_size == 12;
  const bool windows = header_size == 40 || header_size == 52 || header_size == 56 ||
                       header_size == 108 || header_size == 124;
  const bool os2v2 = !windows && header_size >= 16 && header_size <= 64;
  if (!core && !windows && !os2v2) return Fail(error, "BMP: unknown header version");
  if (kFileHeaderSize + header_size > size) return Fail(error, "BMP: the file is truncated");
  const std::uint8_t* info = d + kFileHeaderSize;

  std::int64_t width, height;
  std::uint32_t compression = kBiRgb, colors_used = 0;
  if (core) {
    width = U16(info + 4);
    height = U16(info + 6);
    h.bits = U16(info + 10);
  } else {
    width = static_cast<std::int32_t>(U32(info + 4));
    height = static_cast<std::int32_t>(U32(info + 8));
    h.bits = U16(info + 14);
    if (header_size >= 20) compression = U32(info + 16);
    if (header_size >= 36) colors_used = U32(info + 32);
  }
  if (height < 0) {
    if (core) return Fail(error, "BMP: invalid size");
    h.top_down = true;
    height = -height;
  }
  if (width <= 0 || height <= 0) return Fail(error, "BMP: the picture has no pixels");
  // RLE data may claim far more pixels than its bytes hold: the claim is checked before the
  // bitmap is allocated.
  if (!TImU::LoadSizeIsAllowed(width, height)) {
    error = "BMP: the picture " + TImU::LoadRefusalText(width, height);
    return false;
  }
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);

  // Bit-field masks live inside the longer headers, or follow a 40-byte header.
  std::size_t palette_start = kFileHeaderSize + header_size;
  bool fields = false;
  if (compression == kBiRgb) {
    switch (h.bits) {
      case 1:
      case 4:
      case 8:
        h.kind = TKind::kIndexed;
        break;
      case 24:
        h.kind = TKind::kRgb24;
        break;
      case 16:
        h.kind = TKind::kFields;
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
        break;
      case 32:
        h.kind = TKind::kFields;
        h.masks[0] = 0xFF0000;
        h.masks[1] = 0x00FF00;
        h.masks[2] = 0x0000FF;
        break;
      default:
        return Fail(error, "BMP: unsupported bit count");
    }
    if (core && h.kind == TKind::kFields) return Fail(error, "BMP: unsupported bit count");
  } else if (os2v2) {
    return Fail(error, "BMP: unsupported compression");
  } else if (compression == kBiRle8) {
    if (h.bits != 8) return Fail(error, "BMP: invalid compression for the bit count");
    h.kind = TKind::kRle8;
  } else if (compression == kBiRle4) {
    if (h.bits != 4) return Fail(error, "BMP: invalid compression for the bit count");
    h.kind = TKind::kRle4;
  } else if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
    if (h.bits != 16 && h.bits != 32)
      return Fail(error, "BMP: invalid compression for the bit count");
    h.kind = TKind::kFields;
    fields = true;
  } else {
    return Fail(error, "BMP: unsupported compression");
  }
  if (fields) {
    const std::uint8_t* m = info + 40;
    if (header_size == 40) {
      palette_start += compression == kBiAlphaBitfields ? 16 : 12;
      if (palette_start > size) return Fail(error, "BMP: the file is truncated");
    }
    for (int i = 0; i < 3; ++i) h.masks[i] = U32(m + 4 * i);
    if (h.bits == 16)
      for (auto& mask : h.masks) mask &= 0xFFFF;
  }

  // The palette ends where the pixels begin; a short one leaves the other entries black.
  const std::size_t entry = core ? 3 : 4;
  std::size_t declared = 0;
  if (h.bits <= 8) {
    declared = std::size_t{1} << h.bits;
    if (colors_used > 0 && colors_used < declared) declared = colors_used;
  } else if (colors_used > 0 && colors_used <= 256) {
    declared = colors_used;  // an optional palette before true-colour pixels
  }
  std::size_t offset = off_bits;
  if (offset < palette_start) offset = palette_start + declared * entry;  // missing or bogus
  if (offset >= total) return Fail(error, "BMP: the file is truncated");
  h.pixel_offset = offset;
  if (h.bits <= 8) {
    const std::size_t available = (std::min(offset, size) - palette_start) / entry;
    h.palette_count = static_cast<int>(std::min(declared, available));
    for (int i = 0; i < h.palette_count; ++i) {
      const std::uint8_t* p = d + palette_start + entry * static_cast<std::size_t>(i);
      std::memcpy(&h.palette[3 * static_cast<std::size_t>(i)], p, 3);
    }
  }

  const std::size_t data_size = total - offset;
  const std::int64_t pixels = width * height;
  if (h.kind == TKind::kRle8 || h.kind == TKind::kRle4) {
    if (pixels > TImU::kDesignMaxArea &&
        pixels / kMaxPixelsPerRleByte > static_cast<std::int64_t>(data_size))
      return Fail(error, "BMP: the picture size does not match the file");
  } else {
    // Every row but the last must be whole; the last may lack its padding.
    const std::uint64_t bits_per_row = static_cast<std::uint64_t>(width) * h.bits;
    h.row_bytes = static_cast<std::size_t>((bits_per_row + 31) / 32 * 4);
    const std::uint64_t needed =
        static_cast<std::uint64_t>(h.row_bytes) * static_cast<std::uint64_t>(height - 1) +
        (bits_per_row + 7) / 8;
    if (needed > data_size) return Fail(error, "BMP: the file is truncated");
  }
  return true;
}

void DecodeIndexedRow(const THeader& h, const std::uint8_t* src, std::uint8_t* dst) {
  const std::uint8_t* pal = h.palette.data();
  const int w = h.width;
  switch (h.bits) {
    case 8:
      for (int x = 0; x < w; ++x) std::memcpy(dst + 3 * x, pal + 3 * src[x], 3);
      break;
    case 4:
      for (int x = 0; x < w; ++x) {
        const int index = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        std::memcpy(dst + 3 * x, pal + 3 * index, 3);
      }
      break;
    case 1:
      for (int x = 0; x < w; ++x) {
        const int index = (src[x >> 3] >> (7 - (x & 7))) & 1;
        std::memcpy(dst + 3 * x, pal + 3 * index, 3);
      }
      break;
  }
}

void DecodeUncompressed(const THeader& h, const std::uint8_t* data, TBitmap24& out) {
  const int w = h.width;
  TChannel red, green, blue;
  bool plain32 = false;
  if (h.kind == TKind::kFields) {
    red.Init(h.masks[0]);
    green.Init(h.masks[1]);
    blue.Init(h.masks[2]);
    plain32 = h.bits == 32 && h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF;
  }
  for (int r = 0; r < h.height; ++r) {
    const std::uint8_t* src = data + h.pixel_offset + h.row_bytes * static_cast<std::size_t>(r);
    std::uint8_t* dst = out.Row(h.top_down ? r : h.height - 1 - r);
    switch (h.kind) {
      case TKind::kRgb24:
        std::memcpy(dst, src, 3 * static_cast<std::size_t>(w));
        break;
      case TKind::kIndexed:
        DecodeIndexedRow(h, src, dst);
        break;
      case TKind::kFields:
        if (plain32) {
          for (int x = 0; x < w; ++x) {
            dst[3 * x] = src[4 * x];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x + 2];
          }
        } else {
          for (int x = 0; x < w; ++x) {
            const std::uint32_t p = h.bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
            dst[3 * x] = blue.Get(p);
            dst[3 * x + 1] = green.Get(p);
            dst[3 * x + 2] = red.Get(p);
          }
        }
        break;
      default:
        break;
    }
  }
}

// Run-length data. Pixels the stream skips keep palette entry 0, as on a fresh bitmap.
bool DecodeRle(const THeader& h, const std::uint8_t* d, std::size_t size, TBitmap24& out,
               std::string& error) {
  const bool rle4 = h.kind == TKind::kRle4;
  const std::uint8_t* pal = h.palette.data();
  out.Fill(MakeColor(pal[2], pal[1], pal[0]));
  const int w = h.width;
  std::size_t pos = h.pixel_offset;
  int x = 0, y = 0;
  auto row = [&](int line) { return out.Row(h.top_down ? line : h.height - 1 - line); };
  while (y < h.height) {
    if (pos + 2 > size) return Fail(error, "BMP: the compressed data is truncated");
    const int count = d[pos];
    const int code = d[pos + 1];
    pos += 2;
    if (count > 0) {
      const int n = std::min(count, w - x);
      std::uint8_t* dst = row(y);
      for (int i = 0; i < n; ++i) {
        const int index = rle4 ? ((i & 1) ? (code & 0x0F) : (code >> 4)) : code;
        std::memcpy(dst + 3 * (x + i), pal + 3 * index, 3);
      }
      x += count;
      if (x > w) x = w;
    } else if (code == 0) {
      x = 0;
      ++y;
    } else if (code == 1) {
      return true;
    } else if (code == 2) {
      if (pos + 2 > size) return Fail(error, "BMP: the compressed data is truncated");
      x = std::min(w, x + d[pos]);
      y += d[pos + 1];
      pos += 2;
    } else {
      const std::size_t bytes = rle4 ? (static_cast<std::size_t>(code) + 1) / 2 : code;
      if (pos + bytes > size) return Fail(error, "BMP: the compressed data is truncated");
      const int n = std::min(code, w - x);
      std::uint8_t* dst = row(y);
      const std::uint8_t* src = d + pos;
      for (int i = 0; i < n; ++i) {
        const int index = rle4 ? ((i & 1) ? (src[i >> 1] & 0x0F) : (src[i >> 1] >> 4)) : src[i];
        std::memcpy(dst + 3 * (x + i), pal + 3 * index, 3);
      }
      x = std::min(w, x + code);
      pos += bytes + (bytes & 1);  // absolute runs are padded to a 16-bit boundary
    }
  }
  return true;  // past the last row: whatever follows cannot show
}

}  // namespace

bool IsBmpData(const std::uint8_t* data, std::size_t size) {
  return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

bool ReadBmpSize(const std::uint8_t* data, std::size_t size, int& width, int& height,
                 std::string& error) {
  return ReadBmpSize(data, size, size, width, height, error);
}

bool ReadBmpSize(const std::uint8_t* data, std::size_t size, std::size_t file_size, int& width,
                 int& height, std::string& error) {
  THeader h;
  if (!ParseHeader(data, size, std::max(size, file_size), h, error)) return false;
  width = h.width;
  height = h.height;
  return true;
}

bool DecodeBmp(const std::uint8_t* data, std::size_t size, TBitmap24& out, std::string& error) {
  THeader h;
  if (!ParseHeader(data, size, size, h, error)) return false;
  if (h.kind == TKind::kRle8 || h.kind == TKind::kRle4) {
    TBitmap24 scratch;
    if (!scratch.SetSize(h.width, h.height)) return Fail(error, "BMP: the picture is too large");
    if (!DecodeRle(h, data, size, scratch, error)) return false;
    out.Swap(scratch);
    return true;
  }
  // Nothing can fail once the header is checked, so the rows go straight into out.
  if (!out.SetSize(h.width, h.height)) return Fail(error, "BMP: the picture is too large");
  DecodeUncompressed(h, data, out);
  return true;
}

bool EncodeBmp(const TBitmap24& bitmap, std::string& bytes) {
  if (bitmap.Empty()) return false;
  const std::size_t stride = TBitmap24::StrideFor(bitmap.Width());
  const std::size_t image_size = stride * static_cast<std::size_t>(bitmap.Height());
  constexpr std::size_t kHeaders = kFileHeaderSize + 40;
  if (image_size > 0xFFFFFFFFu - kHeaders) return false;
  bytes.assign(kHeaders + image_size, '\0');
  auto* p = reinterpret_cast<std::uint8_t*>(bytes.data());
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, static_cast<std::uint32_t>(kHeaders + image_size));
  Put32(p + 10, static_cast<std::uint32_t>(kHeaders));
  std::uint8_t* info = p + kFileHeaderSize;
  Put32(info, 40);
  Put32(info + 4, static_cast<std::uint32_t>(bitmap.Width()));
  Put32(info + 8, static_cast<std::uint32_t>(bitmap.Height()));
  Put16(info + 12, 1);
  Put16(info + 14, 24);
  Put32(info + 20, static_cast<std::uint32_t>(image_size));
  // Rows bottom-up; the padding stays zero (the bitmap's own padding bytes are undefined).
  const std::size_t row_bytes = 3 * static_cast<std::size_t>(bitmap.Width());
  for (int y = 0; y < bitmap.Height(); ++y)
    std::memcpy(p + kHeaders + stride * static_cast<std::size_t>(bitmap.Height() - 1 - y),
                bitmap.Row(y), row_bytes);
  return true;
}
