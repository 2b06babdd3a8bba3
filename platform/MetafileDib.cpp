// Bitmaps and 8-bit text inside metafile records.
#include "platform/MetafileDib.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

// Bitmaps inside metafiles are pictures of at most this many pixels.
constexpr long long kMaxDibPixels = 1LL << 25;

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) {
  return Le16(p) | (static_cast<std::uint32_t>(Le16(p + 2)) << 16);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Device-independent bitmaps

std::size_t DibInfoSize(const std::uint8_t* info, std::size_t size, int usage) {
  if (size < 12) return 0;
  const std::uint32_t header = Le32(info);
  if (header == 12) {
    const int bits = static_cast<int>(Le16(info + 10));
    const std::size_t colours = bits <= 8 ? (std::size_t{1} << bits) : 0;
    const std::size_t total = 12 + colours * (usage == 1 ? 2 : 3);
    return total <= size ? total : 0;
  }
  if (header < 40 || header > size || size < 40) return 0;
  const int bits = static_cast<int>(Le16(info + 14));
  const std::uint32_t compression = Le32(info + 16);
  std::size_t colours = Le32(info + 32);
  if (colours == 0 && bits <= 8) colours = std::size_t{1} << bits;
  if (colours > 65536) return 0;
  std::size_t total = header;
  if (header == 40 && (compression == 3 || compression == 6)) total += compression == 6 ? 16 : 12;
  total += colours * (usage == 1 ? 2 : 4);
  return total <= size ? total : 0;
}

namespace {

struct TMask {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  int Get(std::uint32_t v) const {
    if (bits == 0) return 0;
    const std::uint32_t x = (v & mask) >> shift;
    if (bits >= 8) return static_cast<int>(x >> (bits - 8));
    return static_cast<int>(x * 255 / ((1u << bits) - 1));
  }
};

TMask MakeMask(std::uint32_t mask) {
  TMask m;
  m.mask = mask;
  if (mask == 0) return m;
  while (!((mask >> m.shift) & 1)) ++m.shift;
  while (m.shift + m.bits < 32 && ((mask >> (m.shift + m.bits)) & 1)) ++m.bits;
  return m;
}

// Expands run-length coded rows into one palette index per pixel, bottom row first.
void DecodeRle(const std::uint8_t* bits, std::size_t size, int width, int height, bool four,
               std::vector<std::uint8_t>& indexes) {
  indexes.assign(static_cast<std::size_t>(width) * height, 0);
  long long x = 0, y = 0;
  std::size_t i = 0;
  auto put = [&](int v) {
    if (x < width && y < height)
      indexes[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(v);
    ++x;
  };
  while (i + 1 < size && y < height) {
    const int count = bits[i];
    const int value = bits[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count && x < width; ++k)
        put(four ? (k & 1 ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (i + 1 >= size) break;
      x += bits[i];
      y += bits[i + 1];
      i += 2;
    } else {
      const std::size_t bytes = four ? (static_cast<std::size_t>(value) + 1) / 2 : value;
      if (i + bytes > size) break;
      for (int k = 0; k < value; ++k)
        put(four ? (k & 1 ? bits[i + k / 2] & 15 : bits[i + k / 2] >> 4) : bits[i + k]);
      i += (bytes + 1) & ~std::size_t{1};
    }
  }
}

}  // namespace

bool DecodeDib(const std::uint8_t* info, std::size_t info_size, const std::uint8_t* bits,
               std::size_t bits_size, int usage, const std::vector<QRgb>& palette, bool keep_alpha,
               QImage& image, bool* bottom_up) {
  const std::size_t table_end = DibInfoSize(info, info_size, usage);
  if (table_end == 0) return false;
  const std::uint32_t header = Le32(info);
  long long width, height;
  int bit_count;
  std::uint32_t compression = 0;
  std::size_t colours;
  std::size_t table_at;
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (header == 12) {
    width = Le16(info + 4);
    height = static_cast<std::int16_t>(Le16(info + 6));
    bit_count = static_cast<int>(Le16(info + 10));
    colours = bit_count <= 8 ? (std::size_t{1} << bit_count) : 0;
    table_at = 12;
  } else {
    width = static_cast<std::int32_t>(Le32(info + 4));
    height = static_cast<std::int32_t>(Le32(info + 8));
    bit_count = static_cast<int>(Le16(info + 14));
    compression = Le32(info + 16);
    colours = Le32(info + 32);
    if (colours == 0 && bit_count <= 8) colours = std::size_t{1} << bit_count;
    table_at = header;
    if (compression == 3 || compression == 6) {
      const std::uint8_t* m = header == 40 ? info + 40 : info + 40;
      if (info_size < 52) return false;
      for (int k = 0; k < 3; ++k) masks[k] = Le32(m + 4 * k);
      if (header == 40) table_at += compression == 6 ? 16 : 12;
    } else if (bit_count == 32) {
      masks[0] = 0xFF0000;
      masks[1] = 0xFF00;
      masks[2] = 0xFF;
    }
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (bottom_up) *bottom_up = !top_down;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
      width * height > kMaxDibPixels)
    return false;
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 && bit_count != 24 &&
      bit_count != 32)
    return false;
  const bool rle = compression == 1 || compression == 2;
  if (rle && (top_down || bit_count != (compression == 1 ? 8 : 4))) return false;
  if (!rle && compression != 0 && compression != 3 && compression != 6) return false;
  if ((compression == 3 || compression == 6) && bit_count != 16 && bit_count != 32) return false;

  std::vector<QRgb> table(bit_count <= 8 ? (std::size_t{1} << bit_count) : 0, qRgb(0, 0, 0));
  for (std::size_t k = 0; k < table.size() && k < colours; ++k) {
    if (usage == 1) {
      const std::size_t at = table_at + 2 * k;
      if (at + 2 > info_size) break;
      const std::size_t index = Le16(info + at);
      table[k] = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
    } else {
      const std::size_t entry = header == 12 ? 3 : 4;
      const std::size_t at = table_at + entry * k;
      if (at + 3 > info_size) break;
      table[k] = qRgb(info[at + 2], info[at + 1], info[at]);
    }
  }

  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t h = static_cast<std::size_t>(height);
  QImage out(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
  if (out.isNull()) return false;
  if (rle) {
    std::vector<std::uint8_t> indexes;
    DecodeRle(bits, bits_size, static_cast<int>(w), static_cast<int>(h), compression == 2, indexes);
    for (std::size_t row = 0; row < h; ++row) {
      QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(h - 1 - row)));
      const std::uint8_t* src = indexes.data() + row * w;
      for (std::size_t x = 0; x < w; ++x) dst[x] = table[src[x] % table.size()];
    }
    image = out;
    return true;
  }
  const std::size_t stride = ((w * static_cast<std::size_t>(bit_count) + 31) / 32) * 4;
  if (stride * h > bits_size) return false;
  const TMask mr = MakeMask(masks[0]), mg = MakeMask(masks[1]), mb = MakeMask(masks[2]);
  for (std::size_t row = 0; row < h; ++row) {
    const std::uint8_t* src = bits + row * stride;
    QRgb* dst =
        reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(top_down ? row : h - 1 - row)));
    switch (bit_count) {
      case 1:
      case 4:
      case 8: {
        const int per_byte = 8 / bit_count;
        const int mask = (1 << bit_count) - 1;
        for (std::size_t x = 0; x < w; ++x) {
          const int shift = 8 - bit_count * (1 + static_cast<int>(x % per_byte));
          dst[x] = table[(src[x / per_byte] >> shift) & mask];
        }
        break;
      }
      case 16:
        for (std::size_t x = 0; x < w; ++x) {
          const std::uint32_t v = Le16(src + 2 * x);
          dst[x] = qRgb(mr.Get(v), mg.Get(v), mb.Get(v));
        }
        break;
      case 24:
        for (std::size_t x = 0; x < w; ++x)
          dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
      case 32:
        if (keep_alpha && compression == 0) {
          // Premultiplied blue, green, red, alpha as alpha blending expects them.
          for (std::size_t x = 0; x < w; ++x) {
            const int a = src[4 * x + 3];
            dst[x] = qRgba(std::min<int>(src[4 * x + 2], a), std::min<int>(src[4 * x + 1], a),
                           std::min<int>(src[4 * x], a), a);
          }
          break;
        }
        for (std::size_t x = 0; x < w; ++x) {
          const std::uint32_t v = Le32(src + 4 * x);
          dst[x] = qRgb(mr.Get(v), mg.Get(v), mb.Get(v));
        }
        break;
    }
  }
  if (keep_alpha && bit_count == 32 && compression == 0)
    out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  image = out;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Text of 8-bit character sets

QString DecodeAnsiText(const char* bytes, std::size_t size, int charset) {
  const char* name = "CP1252";
  switch (charset) {
    case 1:  // the system's code page: the program's users write Japanese
    case 128:
      name = "CP932";
      break;
    case 2:
      return QString::fromLatin1(bytes, static_cast<qsizetype>(size));
    case 77:
      name = "MACINTOSH";
      break;
    case 129:
      name = "CP949";
      break;
    case 134:
      name = "GBK";
      break;
    case 136:
      name = "BIG5";
      break;
    case 161:
      name = "CP1253";
      break;
    case 162:
      name = "CP1254";
      break;
    case 163:
      name = "CP1258";
      break;
    case 177:
      name = "CP1255";
      break;
    case 178:
      name = "CP1256";
      break;
    case 186:
      name = "CP1257";
      break;
    case 204:
      name = "CP1251";
      break;
    case 222:
      name = "TIS-620";
      break;
    case 238:
      name = "CP1250";
      break;
    case 255:
      name = "CP437";
      break;
    default:
      break;
  }
  iconv_t cd = iconv_open("UTF-8", name);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return QString::fromLatin1(bytes, static_cast<qsizetype>(size));
  std::string out(size * 4 + 4, '\0');
  char* in_ptr = const_cast<char*>(bytes);
  std::size_t in_left = size;
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  while (in_left > 0) {
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG || out_left < 4) break;
    // A byte with no character becomes the replacement character.
    ++in_ptr;
    --in_left;
    std::memcpy(out_ptr, "\xEF\xBF\xBD", 3);
    out_ptr += 3;
    out_left -= 3;
  }
  iconv_close(cd);
  return QString::fromUtf8(out.data(), out_ptr - out.data());
}

// ---------------------------------------------------------------------------------------------
// Symbol fonts

namespace {

// The Symbol font's characters from 0x20 to 0xFF; 0 where it has none.
constexpr char16_t kSymbolEncoding[224] = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F,
    // 0x30
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B,
    0x003C, 0x003D, 0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A,
    0x039B, 0x039C, 0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA,
    0x03BB, 0x03BC, 0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B,
    0x007C, 0x007D, 0x223C, 0,
    // 0x80, 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284,
    0x2282, 0x2286, 0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA,
    // 0xF0
    0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6,
    0x23AB, 0x23AC, 0x23AD, 0};

// Pictograph fonts: the glyphs with a plain Unicode counterpart; the rest draw as a bullet.
struct TDingbat {
  std::uint8_t code;
  char16_t unicode;
};
constexpr TDingbat kWingdings[] = {
    {0x21, 0x270F}, {0x22, 0x2702}, {0x23, 0x2701}, {0x28, 0x260E}, {0x2A, 0x2709}, {0x36, 0x231B},
    {0x37, 0x2328}, {0x41, 0x270C}, {0x4A, 0x263A}, {0x4C, 0x2639}, {0x4E, 0x2620}, {0x52, 0x263C},
    {0x54, 0x2744}, {0x56, 0x271E}, {0x58, 0x2720}, {0x59, 0x2721}, {0x5A, 0x262A}, {0x5B, 0x262F},
    {0x5D, 0x2638}, {0x6C, 0x25CF}, {0x6D, 0x274D}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751},
    {0x72, 0x2752}, {0x75, 0x25C6}, {0x76, 0x2756}, {0x78, 0x2327}, {0x9F, 0x2022}, {0xA1, 0x25CB},
    {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xAB, 0x2605}, {0xD8, 0x27A2}, {0xE8, 0x2794}, {0xF0, 0x21E8},
    {0xFB, 0x2717}, {0xFC, 0x2713}, {0xFD, 0x2612}, {0xFE, 0x2611}};

QString Trimmed(const QString& face) { return face.trimmed().toCaseFolded(); }

}  // namespace

TSymbolFont SymbolFontOf(const QString& face, int charset) {
  const QString name = Trimmed(face);
  if (name == u"symbol" || (charset == 2 && name.contains(u"symbol"))) return TSymbolFont::kSymbol;
  static const char16_t* const kPictographs[] = {u"wingdings",    u"webdings",      u"marlett",
                                                 u"zapfdingbats", u"zapf dingbats", u"mt extra"};
  for (const char16_t* p : kPictographs)
    if (name.startsWith(QStringView(p))) return TSymbolFont::kPictographs;
  return TSymbolFont::kNone;
}

char16_t SymbolCharacter(std::uint8_t code, TSymbolFont font) {
  if (code < 0x20) return code;
  if (font == TSymbolFont::kSymbol) {
    const char16_t c = kSymbolEncoding[code - 0x20];
    return c != 0 ? c : 0xFFFD;
  }
  if (code == 0x20) return 0x20;
  for (const TDingbat& d : kWingdings)
    if (d.code == code) return d.unicode;
  return 0x2022;
}

QString DecodeFontText(const char* bytes, std::size_t size, int charset, const QString& face) {
  const TSymbolFont font = SymbolFontOf(face, charset);
  if (font == TSymbolFont::kNone) return DecodeAnsiText(bytes, size, charset);
  QString text(static_cast<qsizetype>(size), Qt::Uninitialized);
  for (std::size_t i = 0; i < size; ++i)
    text[static_cast<qsizetype>(i)] =
        QChar(SymbolCharacter(static_cast<std::uint8_t>(bytes[i]), font));
  return text;
}

QString MapSymbolText(const QString& text, int charset, const QString& face) {
  const TSymbolFont font = SymbolFontOf(face, charset);
  if (font == TSymbolFont::kNone) return text;
  QString out = text;
  for (QChar& c : out) {
    // Symbol fonts are addressed either by their bytes or through the private use area.
    const char16_t u = c.unicode();
    if (u < 0x100 || (u >= 0xF020 && u <= 0xF0FF))
      c = QChar(SymbolCharacter(static_cast<std::uint8_t>(u & 0xFF), font));
  }
  return out;
}
