#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/BmpFile.h"
#include "tests/TestSupport.h"

namespace {

void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// How one test file is laid out.
struct TLayout {
  int header = 40;  // 12 core, 16..64 OS/2 2.x, 40/52/56/108/124 Windows
  int bits = 24;
  std::uint32_t compression = 0;
  bool top_down = false;
  std::vector<std::uint32_t> masks;  // red, green, blue (written after a 40-byte header)
  std::uint32_t colors_used = 0;
};

// Headers, masks and palette before the pixel data; the pixel offset is where they end.
std::string MakeBmp(const TLayout& l, int width, int height, const std::vector<TColor>& palette,
                    const std::string& pixels) {
  std::string info;
  if (l.header == 12) {
    Put32(info, 12);
    Put16(info, width);
    Put16(info, height);
    Put16(info, 1);
    Put16(info, l.bits);
  } else {
    Put32(info, l.header);
    Put32(info, width);
    Put32(info, static_cast<std::uint32_t>(l.top_down ? -height : height));
    Put16(info, 1);
    Put16(info, l.bits);
    Put32(info, l.compression);
    Put32(info, static_cast<std::uint32_t>(pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, l.colors_used);
    Put32(info, 0);
    for (std::uint32_t m : l.masks)
      if (l.header > 40) Put32(info, m);
    info.resize(l.header, '\0');
    if (l.header == 40)
      for (std::uint32_t m : l.masks) Put32(info, m);
  }
  for (TColor c : palette) {
    info += static_cast<char>(ColorBlue(c));
    info += static_cast<char>(ColorGreen(c));
    info += static_cast<char>(ColorRed(c));
    if (l.header != 12) info += '\0';
  }
  std::string file = "BM";
  Put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + info.size()));
  return file + info + pixels;
}

std::vector<TColor> Palette(int count) {
  std::vector<TColor> p;
  for (int i = 0; i < count; ++i)
    p.push_back(MakeColor(static_cast<std::uint8_t>(i * 37 + 5), static_cast<std::uint8_t>(i * 11),
                          static_cast<std::uint8_t>(255 - i * 13)));
  return p;
}

int Index(int x, int y, int colors) { return (x * 3 + y * 5) % colors; }

// Indexed rows in file order, packed msb first and padded to four bytes.
std::string IndexedPixels(int width, int height, int bits, bool top_down) {
  std::string out;
  const int stride = (width * bits + 31) / 32 * 4;
  for (int r = 0; r < height; ++r) {
    const int y = top_down ? r : height - 1 - r;
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const int bit = x * bits;
      row[bit / 8] =
          static_cast<char>(row[bit / 8] | (Index(x, y, 1 << bits) << (8 - bits - bit % 8)));
    }
    out += row;
  }
  return out;
}

TBitmap24 IndexedExpected(int width, int height, int bits, const std::vector<TColor>& palette) {
  TBitmap24 bmp(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int i = Index(x, y, 1 << bits);
      bmp.SetPixel(x, y, i < static_cast<int>(palette.size()) ? palette[i] : kBlack);
    }
  return bmp;
}

// Bit-field pixels: each channel takes value (x, y)-dependent within its mask's range.
std::uint32_t FieldValue(int x, int y, int channel, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const std::uint32_t max = mask >> shift;
  const std::uint32_t v = static_cast<std::uint32_t>(x * 7 + y * 3 + channel * 11) % (max + 1);
  return (v << shift) & mask;
}

std::uint8_t Scaled(std::uint32_t field, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  return static_cast<std::uint8_t>(
      std::lround(static_cast<double>(field >> shift) * 255.0 / (mask >> shift)));
}

std::string FieldPixels(int width, int height, int bits, const std::vector<std::uint32_t>& masks,
                        bool top_down, TBitmap24& expected) {
  expected.SetSize(width, height);
  std::string out;
  const int stride = (width * bits + 31) / 32 * 4;
  for (int r = 0; r < height; ++r) {
    const int y = top_down ? r : height - 1 - r;
    std::string row;
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = 0;
      std::uint8_t c[3];
      for (int ch = 0; ch < 3; ++ch) {
        const std::uint32_t f = FieldValue(x, y, ch, masks[ch]);
        p |= f;
        c[ch] = Scaled(f, masks[ch]);
      }
      // Bits outside the masks (alpha, unused) must be ignored.
      if (bits == 32) p |= ~(masks[0] | masks[1] | masks[2]) & 0xA5A5A5A5u;
      if (bits == 16)
        Put16(row, p);
      else
        Put32(row, p);
      expected.SetPixel(x, y, MakeColor(c[0], c[1], c[2]));
    }
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

std::string Rgb24Pixels(const TBitmap24& picture, bool top_down) {
  std::string out;
  const int stride = (picture.Width() * 3 + 3) / 4 * 4;
  for (int r = 0; r < picture.Height(); ++r) {
    const int y = top_down ? r : picture.Height() - 1 - r;
    std::string row(reinterpret_cast<const char*>(picture.Row(y)), picture.Width() * 3);
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

TBitmap24 Decode(const std::string& file, bool expect_ok = true) {
  TBitmap24 out;
  std::string error;
  const bool ok =
      DecodeBmp(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), out, error);
  EXPECT_EQ(ok, expect_ok) << error;
  if (!ok) {
    EXPECT_FALSE(error.empty());
  }
  return out;
}

struct TIndexedCase {
  int header, bits;
  bool top_down;
};

class BmpIndexed : public ::testing::TestWithParam<TIndexedCase> {};

TEST_P(BmpIndexed, DecodesPaletteIndices) {
  const TIndexedCase c = GetParam();
  const int width = 13, height = 7;  // odd sizes exercise packing and row padding
  const auto palette = Palette(1 << c.bits);
  TLayout l;
  l.header = c.header;
  l.bits = c.bits;
  l.top_down = c.top_down;
  const TBitmap24 got =
      Decode(MakeBmp(l, width, height, palette, IndexedPixels(width, height, c.bits, c.top_down)));
  EXPECT_TRUE(got.SamePixels(IndexedExpected(width, height, c.bits, palette)));
}

INSTANTIATE_TEST_SUITE_P(Headers, BmpIndexed,
                         ::testing::Values(TIndexedCase{12, 1, false}, TIndexedCase{12, 4, false},
                                           TIndexedCase{12, 8, false}, TIndexedCase{40, 1, false},
                                           TIndexedCase{40, 4, false}, TIndexedCase{40, 8, false},
                                           TIndexedCase{40, 8, true}, TIndexedCase{124, 4, true},
                                           TIndexedCase{64, 8, false}, TIndexedCase{16, 1, false}));

TEST(BmpFile, TrueColourVariantsMatchThePattern) {
  const TBitmap24 pattern = PatternBitmap(11, 5);
  for (int header : {12, 40, 52, 56, 108, 124, 64}) {
    for (bool top_down : {false, true}) {
      if (header == 12 && top_down) continue;
      TLayout l;
      l.header = header;
      l.top_down = top_down;
      EXPECT_TRUE(Decode(MakeBmp(l, 11, 5, {}, Rgb24Pixels(pattern, top_down))).SamePixels(pattern))
          << header << " " << top_down;
    }
  }
}

TEST(BmpFile, SixteenAndThirtyTwoBitFields) {
  struct TCase {
    int header, bits;
    std::uint32_t compression;
    std::vector<std::uint32_t> masks;
  };
  const std::vector<TCase> cases = {
      {40, 16, 0, {0x7C00, 0x03E0, 0x001F}},               // plain 16-bit is 5-5-5
      {40, 16, 3, {0xF800, 0x07E0, 0x001F}},               // 5-6-5
      {56, 16, 3, {0x000F, 0x00F0, 0x0F00}},               // 4-4-4 with the top nibble unused
      {40, 16, 6, {0x7C00, 0x03E0, 0x001F}},               // alpha bit-fields after the header
      {40, 32, 0, {0xFF0000, 0x00FF00, 0x0000FF}},         // plain 32-bit
      {52, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}},   // 10-10-10
      {108, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}},  // red in the low byte
      {124, 32, 3, {0x00000007, 0x00000000, 0xFFFF0000}},  // 3 bits, no green, 16 bits
  };
  for (const TCase& c : cases) {
    for (bool top_down : {false, true}) {
      TLayout l;
      l.header = c.header;
      l.bits = c.bits;
      l.compression = c.compression;
      l.top_down = top_down;
      if (c.compression != 0) l.masks = c.masks;
      if (c.compression == 6 && c.header == 40) l.masks.push_back(0);  // the alpha mask
      TBitmap24 expected;
      const std::string pixels = FieldPixels(9, 4, c.bits, c.masks, top_down, expected);
      EXPECT_TRUE(Decode(MakeBmp(l, 9, 4, {}, pixels)).SamePixels(expected))
          << c.header << " " << c.bits << " " << std::hex << c.masks[0];
    }
  }
}

TEST(BmpFile, ShortPalettesLeaveTheOtherEntriesBlack) {
  TLayout l;
  l.bits = 8;
  l.colors_used = 5;
  const auto palette = Palette(5);
  const std::string pixels = IndexedPixels(10, 4, 8, false);
  EXPECT_TRUE(
      Decode(MakeBmp(l, 10, 4, palette, pixels)).SamePixels(IndexedExpected(10, 4, 8, palette)));
  // No colour count, but the pixels start after three entries.
  l.colors_used = 0;
  const auto three = Palette(3);
  EXPECT_TRUE(
      Decode(MakeBmp(l, 10, 4, three, pixels)).SamePixels(IndexedExpected(10, 4, 8, three)));
}

// Run-length streams written by hand; expected pictures listed top row first.
TEST(BmpFile, Rle8RunsEscapesAndDelta) {
  TLayout l;
  l.bits = 8;
  l.compression = 1;
  const auto palette = Palette(8);
  const std::string stream = std::string(
      "\x03\x01"                  // bottom row: three of colour 1
      "\x00\x03\x02\x03\x04\x00"  // absolute 2,3,4 and its pad byte
      "\x00\x00"                  // end of line
      "\x09\x05"                  // run longer than the row: clipped
      "\x00\x00"
      "\x00\x02\x02\x01"  // delta: two right, one up
      "\x01\x06"
      "\x00\x01",  // end of bitmap
      22);
  const TBitmap24 got = Decode(MakeBmp(l, 6, 4, palette, stream));
  const int rows[4][6] = {
      {0, 0, 6, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {5, 5, 5, 5, 5, 5}, {1, 1, 1, 2, 3, 4}};
  TBitmap24 expected(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) expected.SetPixel(x, y, palette[rows[y][x]]);
  EXPECT_TRUE(got.SamePixels(expected));
}

TEST(BmpFile, Rle4AlternatesNibblesAndPadsOddRuns) {
  TLayout l;
  l.bits = 4;
  l.compression = 2;
  const auto palette = Palette(16);
  const std::string stream = std::string(
      "\x05\x12"                  // 1,2,1,2,1 and two pixels left as they were
      "\x00\x00"                  // end of line
      "\x00\x05\x34\x5A\xB0\x00"  // absolute 3,4,5,10,11: three bytes and a pad byte
      "\x02\xCD"                  // 12,13
      "\x00\x01",
      14);
  const TBitmap24 got = Decode(MakeBmp(l, 7, 2, palette, stream));
  const int rows[2][7] = {{3, 4, 5, 10, 11, 12, 13}, {1, 2, 1, 2, 1, 0, 0}};
  TBitmap24 expected(7, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 7; ++x) expected.SetPixel(x, y, palette[rows[y][x]]);
  EXPECT_TRUE(got.SamePixels(expected));
}

TEST(BmpFile, MalformedFilesFailWithAReason) {
  TLayout l;
  const TBitmap24 pattern = PatternBitmap(8, 8);
  const std::string good = MakeBmp(l, 8, 8, {}, Rgb24Pixels(pattern, false));
  Decode(good);
  Decode(good.substr(0, good.size() - 1), false);  // last row short
  Decode(good.substr(0, 30), false);               // inside the header
  Decode("", false);
  Decode("BM", false);

  std::string zero = good;
  zero[18] = zero[19] = 0;  // width 0
  Decode(zero, false);

  // 100000 x 100000 claimed by a small file, uncompressed and run-length.
  std::string huge = good;
  for (int at : {18, 22}) {
    huge[at] = static_cast<char>(0xA0);
    huge[at + 1] = static_cast<char>(0x86);
    huge[at + 2] = 0x01;
  }
  Decode(huge, false);
  TLayout rle;
  rle.bits = 8;
  rle.compression = 1;
  std::string tiny_rle = MakeBmp(rle, 3000, 3000, Palette(2), std::string("\x00\x01", 2));
  Decode(tiny_rle, false);  // 9 M pixels from two bytes
  Decode(MakeBmp(rle, 100, 100, Palette(2), std::string("\x00\x01", 2)));  // small: fine
  // 16000 x 16000 from 2 MB of end-of-line codes: within the bytes-per-pixel rule, yet 768 MB of
  // pixels; refused by its declared size before anything is allocated.
  std::string lines(2 << 20, '\0');
  const std::string bomb = MakeBmp(rle, 16000, 16000, Palette(2), lines);
  std::string error;
  TBitmap24 out;
  EXPECT_FALSE(
      DecodeBmp(reinterpret_cast<const std::uint8_t*>(bomb.data()), bomb.size(), out, error));
  EXPECT_NE(error.find("16000 x 16000 is beyond"), std::string::npos) << error;

  // Run-length data that stops before its end-of-bitmap, and before the last row.
  Decode(MakeBmp(rle, 4, 3, Palette(2), std::string("\x04\x01\x00\x00\x04", 5)), false);
  // Wrong bit count for the compression, unknown header size.
  rle.bits = 4;
  Decode(MakeBmp(rle, 4, 3, Palette(2), std::string("\x00\x01", 2)), false);
  std::string odd_header = good;
  odd_header[14] = 70;
  Decode(odd_header, false);
}

TEST(BmpFile, RandomBytesNeverCrash) {
  std::mt19937 rng(7);
  TLayout l;
  l.bits = 8;
  const std::string base = MakeBmp(l, 16, 16, Palette(256), IndexedPixels(16, 16, 8, false));
  for (int round = 0; round < 3000; ++round) {
    std::string file = base;
    const int flips = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < flips; ++i) file[rng() % 60] = static_cast<char>(rng());
    if (round % 3 == 0) file.resize(rng() % file.size());
    TBitmap24 out;
    std::string error;
    DecodeBmp(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), out, error);
  }
}

TEST(BmpFile, WriterRoundTripsAndPadsRows) {
  const TBitmap24 pattern = PatternBitmap(7, 3);
  std::string bytes;
  ASSERT_TRUE(EncodeBmp(pattern, bytes));
  EXPECT_EQ(bytes.size(), 54u + 24u * 3);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<int>(bytes[28]), 24);
  EXPECT_EQ(bytes[54 + 21], 0);  // row padding is zero
  EXPECT_TRUE(Decode(bytes).SamePixels(pattern));
  EXPECT_FALSE(EncodeBmp(TBitmap24(), bytes));
}

TEST(BmpFile, FuzzRegressionsReplay) {
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / "bmp";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no regressions kept";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string bytes = ReadWholeFile(entry.path().string());
    TBitmap24 out;
    std::string error;
    int width = 0, height = 0;
    ReadBmpSize(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), width, height,
                error);
    DecodeBmp(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out, error);
  }
}

}  // namespace
