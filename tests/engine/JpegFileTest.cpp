#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/JpegFile.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "engine/BmpFile.h"
#include "engine/EngineOwner.h"
#include "tests/TestSupport.h"

namespace {

const std::uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const std::uint8_t*>(s.data());
}

// A test JPEG written with libjpeg directly, so that kinds our encoder never writes (greyscale,
// other samplings, progressive, CMYK) can be checked.
struct TJpegKind {
  J_COLOR_SPACE space = JCS_RGB;  // JCS_RGB (stored as YCbCr), JCS_GRAYSCALE or JCS_CMYK
  int h_samp = 2, v_samp = 2;     // of the first component
  bool progressive = false;
  bool arithmetic = false;
  bool stored_rgb = false;   // three components kept as R, G, B
  int chroma_samp = 1;       // both factors of the second and third components
  int restart_interval = 0;  // in MCUs
  bool grain = false;        // pixel noise, for long codes and coefficients everywhere
};

std::string MakeJpeg(int width, int height, const TJpegKind& kind, int quality = 85) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  const int components = kind.space == JCS_GRAYSCALE ? 1 : kind.space == JCS_CMYK ? 4 : 3;
  c.image_width = width;
  c.image_height = height;
  c.input_components = components;
  c.in_color_space = kind.space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (kind.stored_rgb) jpeg_set_colorspace(&c, JCS_RGB);
  if (components == 3) {
    c.comp_info[0].h_samp_factor = kind.h_samp;
    c.comp_info[0].v_samp_factor = kind.v_samp;
    for (int k : {1, 2})
      c.comp_info[k].h_samp_factor = c.comp_info[k].v_samp_factor = kind.chroma_samp;
  }
  if (kind.progressive) jpeg_simple_progression(&c);
  c.arith_code = kind.arithmetic ? TRUE : FALSE;
  c.restart_interval = static_cast<unsigned>(kind.restart_interval);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * components);
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      for (int k = 0; k < components; ++k)
        row[x * components + k] = static_cast<unsigned char>(
            x * (5 + 3 * k) + y * (2 + k) + 40 * k + (kind.grain ? random() % 48 : 0));
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return bytes;
}

TBitmap24 Decode(const std::string& bytes, bool expect_ok = true) {
  TBitmap24 out;
  std::string error;
  const bool ok = DecodeJpeg(Bytes(bytes), bytes.size(), out, error);
  EXPECT_EQ(ok, expect_ok) << error;
  if (!ok) {
    EXPECT_FALSE(error.empty());
  }
  return out;
}

// libjpeg-turbo's own command-line decoder with the same settings, read back through our BMP
// reader (it writes greyscale as an 8-bit palette file).
bool DjpegReference(const TTempDir& dir, const std::string& jpeg, TBitmap24& out) {
  const std::string in = dir.File("in.jpg"), bmp = dir.File("ref.bmp");
  WriteWholeFile(in, jpeg);
  const std::string command = "djpeg -dct int -bmp -outfile '" + bmp + "' '" + in + "'";
  if (std::system(command.c_str()) != 0) return false;
  const std::string ref = ReadWholeFile(bmp);
  std::string error;
  return DecodeBmp(Bytes(ref), ref.size(), out, error);
}

bool HaveDjpeg() { return std::system("command -v djpeg >/dev/null 2>&1") == 0; }

TEST(JpegFile, PixelsEqualTheLibrarysOwnDecoder) {
  if (!HaveDjpeg()) GTEST_SKIP() << "djpeg is not installed";
  TTempDir dir;
  struct TCase {
    const char* name;
    TJpegKind kind;
  };
  const std::vector<TCase> cases = {
      {"4:2:0", {JCS_RGB, 2, 2, false, false}},
      {"4:2:2", {JCS_RGB, 2, 1, false, false}},
      {"4:4:4", {JCS_RGB, 1, 1, false, false}},
      {"greyscale", {JCS_GRAYSCALE, 1, 1, false, false}},
      {"progressive", {JCS_RGB, 2, 2, true, false}},
      {"arithmetic", {JCS_RGB, 2, 2, false, true}},
      {"CMYK (Adobe, inverted)", {JCS_CMYK, 1, 1, false, false}},
  };
  for (const TCase& c : cases) {
    const std::string jpeg = MakeJpeg(37, 23, c.kind);  // partial MCUs on both edges
    TBitmap24 reference;
    ASSERT_TRUE(DjpegReference(dir, jpeg, reference)) << c.name;
    const TBitmap24 ours = Decode(jpeg);
    EXPECT_TRUE(ours.SamePixels(reference)) << c.name;
  }
  // Our own encoder's output (4:2:0 from BGR rows).
  std::string ours_jpeg, error;
  ASSERT_TRUE(EncodeJpeg(PatternBitmap(64, 48), 75, ours_jpeg, error));
  TBitmap24 reference;
  ASSERT_TRUE(DjpegReference(dir, ours_jpeg, reference));
  EXPECT_TRUE(Decode(ours_jpeg).SamePixels(reference));
}

TEST(JpegFile, GreyscaleComesOutAsEqualChannels) {
  const TBitmap24 got = Decode(MakeJpeg(16, 16, {JCS_GRAYSCALE, 1, 1, false, false}));
  ASSERT_EQ(got.Width(), 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const TColor c = got.Pixel(x, y);
      EXPECT_EQ(ColorRed(c), ColorGreen(c));
      EXPECT_EQ(ColorRed(c), ColorBlue(c));
    }
}

TEST(JpegFile, EncoderKeepsTheSizeQualityAndDefaultSampling) {
  const TBitmap24 pattern = PatternBitmap(40, 30);
  std::string best, worst, error;
  ASSERT_TRUE(EncodeJpeg(pattern, 100, best, error));
  ASSERT_TRUE(EncodeJpeg(pattern, 1, worst, error));
  EXPECT_LT(worst.size(), best.size() / 2);
  std::string clamped;
  ASSERT_TRUE(EncodeJpeg(pattern, 500, clamped, error));
  EXPECT_EQ(clamped, best);

  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, Bytes(best), best.size());
  jpeg_read_header(&d, TRUE);
  EXPECT_EQ(d.num_components, 3);
  EXPECT_EQ(d.comp_info[0].h_samp_factor, 2);
  EXPECT_EQ(d.comp_info[0].v_samp_factor, 2);
  jpeg_destroy_decompress(&d);

  // Quality 100 stays close to the source (the chroma is halved, so not exact).
  const TBitmap24 back = Decode(best);
  ASSERT_TRUE(back.SameSizeAs(pattern));
  long long total = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 3 * 40; ++x) total += std::abs(back.Row(y)[x] - pattern.Row(y)[x]);
  EXPECT_LT(total / (40 * 30 * 3), 12);
  EXPECT_FALSE(EncodeJpeg(TBitmap24(), 90, best, error));
}

// Writes the size fields of the first SOF marker.
std::string WithSize(std::string jpeg, int width, int height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    const auto m = static_cast<unsigned char>(jpeg[i + 1]);
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height & 0xFF);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width & 0xFF);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no SOF marker";
  return jpeg;
}

TEST(JpegFile, RefusesBrokenAndOversizedFiles) {
  const std::string good = MakeJpeg(64, 64, {});
  Decode("", false);
  Decode("\xFF\xD8\xFF", false);
  Decode(good.substr(0, 100), false);  // ends inside the headers
  Decode(std::string(500, 'x'), false);
  // A few kilobytes that claim 8000 x 8000 (64 M pixels, under the hard ceiling).
  const std::string claimed = WithSize(good, 8000, 8000);
  Decode(claimed, false);
  int width = 0, height = 0;
  std::string error;
  EXPECT_FALSE(ReadJpegSize(Bytes(claimed), claimed.size(), width, height, error));
  EXPECT_TRUE(ReadJpegSize(Bytes(good), good.size(), width, height, error));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 64);
  // A claim within the working area is decoded even from few bytes (grey where data is missing).
  EXPECT_EQ(Decode(WithSize(good, 1000, 1000)).Width(), 1000);
}

TEST(JpegFile, TruncatedEntropyDataDecodesAsFarAsItGoes) {
  const std::string good = MakeJpeg(64, 64, {});
  const TBitmap24 full = Decode(good);
  const TBitmap24 part = Decode(good.substr(0, good.size() * 2 / 3));
  ASSERT_TRUE(part.SameSizeAs(full));
  EXPECT_EQ(std::memcmp(part.Row(0), full.Row(0), 64 * 3), 0);
}

// The first scan's segment: from its SOS marker to the next marker that is not a restart.
std::string FirstScan(const std::string& jpeg) {
  const std::size_t start = jpeg.find("\xFF\xDA");
  for (std::size_t i = start + 2; i + 1 < jpeg.size(); ++i) {
    const auto m = static_cast<unsigned char>(jpeg[i + 1]);
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF && m != 0 && (m < 0xD0 || m > 0xD7))
      return jpeg.substr(start, i - start);
  }
  return {};
}

TEST(JpegFile, EndlessScansAreCutShort) {
  // The same progressive scan a thousand times: libjpeg only warns about each repeat, so
  // without a limit a small file keeps the decoder busy for as long as it likes.
  const std::string jpeg = MakeJpeg(8, 8, {JCS_GRAYSCALE, 1, 1, true, false});
  const std::string scan = FirstScan(jpeg);
  ASSERT_FALSE(scan.empty());
  const std::size_t at = jpeg.find("\xFF\xDA");
  std::string many = jpeg.substr(0, at);
  for (int i = 0; i < 1000; ++i) many += scan;
  many += "\xFF\xD9";
  TBitmap24 out;
  std::string error;
  EXPECT_FALSE(DecodeJpeg(Bytes(many), many.size(), out, error));
  EXPECT_NE(error.find("scans"), std::string::npos) << error;
  // A few repeats are still a picture.
  std::string few = jpeg.substr(0, at);
  for (int i = 0; i < 20; ++i) few += scan;
  few += "\xFF\xD9";
  EXPECT_TRUE(DecodeJpeg(Bytes(few), few.size(), out, error)) << error;
}

TEST(JpegFile, RandomBytesNeverCrash) {
  std::mt19937 rng(11);
  const std::string base = MakeJpeg(48, 32, {JCS_RGB, 2, 2, true, false});
  for (int round = 0; round < 1500; ++round) {
    std::string file = base;
    const int flips = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < flips; ++i) file[rng() % file.size()] = static_cast<char>(rng());
    if (round % 4 == 0) file.resize(rng() % file.size());
    TBitmap24 out;
    std::string error;
    DecodeJpeg(Bytes(file), file.size(), out, error);
  }
}

TEST(JpegFile, FuzzRegressionsReplay) {
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / "jpeg";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no regressions kept";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string bytes = ReadWholeFile(entry.path().string());
    TBitmap24 out;
    std::string error;
    DecodeJpeg(Bytes(bytes), bytes.size(), out, error);
  }
}

}  // namespace

namespace {

// Busy for its first `allowed` looks, then cleared, as a controller's abort does.
class TAbortingOwner : public TEngineOwner {
 public:
  explicit TAbortingOwner(int allowed) : allowed_(allowed) {}
  bool IsBusy() const override { return looks_++ < allowed_; }
  int Looks() const { return looks_; }

 private:
  int allowed_;
  mutable int looks_ = 0;
};

}  // namespace

TEST(JpegFile, AnAbortStopsDecodingAtTheNextHundredthRowAndLeavesTheTargetAlone) {
  const std::string bytes = MakeJpeg(64, 450, TJpegKind{});
  const TBitmap24 whole = Decode(bytes);
  const struct {
    int allowed;
    bool finished;
    int looks;  // a look at rows 0, 100, 200, 300 and 400
  } cases[] = {{0, false, 1}, {3, false, 4}, {5, true, 5}};
  for (const auto& c : cases) {
    TAbortingOwner owner(c.allowed);
    TBitmap24 out = PatternBitmap(3, 2);
    std::string error;
    EXPECT_EQ(DecodeJpeg(Bytes(bytes), bytes.size(), out, error, &owner), c.finished) << c.allowed;
    EXPECT_EQ(owner.Looks(), c.looks) << c.allowed;
    if (c.finished) {
      EXPECT_EQ(out.Width(), 64);
      EXPECT_EQ(std::memcmp(out.Data(), whole.Data(), whole.ByteSize()), 0);
    } else {
      EXPECT_EQ(out.Width(), 3) << "an aborted decoding keeps the old picture";
    }
  }
}

TEST(JpegFile, ReducedDecodingTakesTheSmallestScaleThatCoversTheTarget) {
  const struct {
    int width, height, min_width, min_height;
    int eighths;
  } cases[] = {
      {800, 600, 100, 75, 1},  // exactly an eighth
      {800, 600, 100, 76, 2},  // one row more needs a quarter
      {801, 601, 500, 0, 5},   // sides round up: 801 x 5 / 8 = 500.6 -> 501
      {37, 23, 5, 3, 1},       // partial blocks: 37 / 8 -> 5, 23 / 8 -> 3
      {37, 23, 6, 3, 2},
      {37, 23, 36, 1, 8},  // 7/8 gives 33: only the full scale covers 36
      {37, 23, 37, 23, 8},
      {4000, 3000, 400, 400, 2},  // the benchmark's page: 500 x 375 is too low
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.width << "x" << c.height << " for " << c.min_width << "x" << c.min_height);
    EXPECT_EQ(JpegScaleFor(c.width, c.height, c.min_width, c.min_height), c.eighths);
    if (c.width > 1000) continue;
    const std::string jpeg = MakeJpeg(c.width, c.height, {});
    TBitmap24 out;
    std::string error;
    ASSERT_TRUE(DecodeJpegAtLeast(Bytes(jpeg), jpeg.size(), c.min_width, c.min_height, out, error))
        << error;
    EXPECT_EQ(out.Width(), (c.width * c.eighths + 7) / 8);
    EXPECT_EQ(out.Height(), (c.height * c.eighths + 7) / 8);
    if (c.eighths == 8) {
      EXPECT_TRUE(out.SamePixels(Decode(jpeg)));
    }
  }
}

TEST(JpegFile, ReducedDecodingRefusesBrokenAndOversizedFilesAlike) {
  const std::string good = MakeJpeg(64, 64, {});
  for (const std::string& bad : {std::string(), std::string("\xFF\xD8\xFF"), good.substr(0, 100),
                                 std::string(500, 'x'), WithSize(good, 8000, 8000)}) {
    TBitmap24 out = PatternBitmap(3, 2);
    std::string error;
    EXPECT_FALSE(DecodeJpegAtLeast(Bytes(bad), bad.size(), 8, 8, out, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(out.SamePixels(PatternBitmap(3, 2)));
  }
}

// The quick decoder at 1/8 against libjpeg at 1/8: the same pixels for every kind it takes, and
// for the rest (and broken files) DecodeJpegAtLeast gives what libjpeg alone gives.
class QuickEighth : public testing::Test {
 protected:
  void TearDown() override { SetQuickEighthDecoding(true); }

  // libjpeg alone at 1/8; false when it fails.
  static bool Libjpeg(const std::string& jpeg, int width, int height, TBitmap24& out) {
    SetQuickEighthDecoding(false);
    std::string error;
    const bool ok =
        DecodeJpegAtLeast(Bytes(jpeg), jpeg.size(), (width + 7) / 8, (height + 7) / 8, out, error);
    SetQuickEighthDecoding(true);
    return ok;
  }

  // DecodeJpegAtLeast with the quick decoder on agrees with libjpeg alone.
  static void ExpectSameAsLibjpeg(const std::string& jpeg, int width, int height) {
    TBitmap24 ours, theirs;
    std::string error;
    const bool ok =
        DecodeJpegAtLeast(Bytes(jpeg), jpeg.size(), (width + 7) / 8, (height + 7) / 8, ours, error);
    ASSERT_EQ(ok, Libjpeg(jpeg, width, height, theirs));
    if (ok) {
      EXPECT_TRUE(ours.SamePixels(theirs));
    }
  }
};

TEST_F(QuickEighth, GivesLibjpegsPixelsForEveryKindItTakes) {
  TJpegKind grey;
  grey.space = JCS_GRAYSCALE;
  const auto kind = [](int h, int v, int chroma, bool rgb = false) {
    TJpegKind k;
    k.h_samp = h;
    k.v_samp = v;
    k.chroma_samp = chroma;
    k.stored_rgb = rgb;
    return k;
  };
  const struct {
    const char* name;
    TJpegKind kind;
  } kinds[] = {
      {"4:2:0", kind(2, 2, 1)},
      {"4:2:2", kind(2, 1, 1)},
      {"4:4:0", kind(1, 2, 1)},
      {"4:4:4", kind(1, 1, 1)},
      {"grey", grey},
      {"stored RGB", kind(1, 1, 1, true)},
      // Luma at half the resolution of its chroma: luma is then the one reconstructed 2 x 2.
      {"chroma over luma", kind(1, 1, 2)},
  };
  const struct { int width, height; } sizes[] = {{1, 1}, {9, 7}, {37, 23}, {250, 190}};
  for (const auto& k : kinds)
    for (const auto& size : sizes)
      for (const int restart : {0, 1, 3})
        for (const bool grain : {false, true})
          for (const int quality : {40, 97}) {
            SCOPED_TRACE(testing::Message()
                         << k.name << " " << size.width << "x" << size.height << " restart "
                         << restart << " grain " << grain << " quality " << quality);
            TJpegKind with = k.kind;
            with.restart_interval = restart;
            with.grain = grain;
            const std::string jpeg = MakeJpeg(size.width, size.height, with, quality);
            TBitmap24 quick, reference;
            ASSERT_TRUE(DecodeJpegEighthQuickly(Bytes(jpeg), jpeg.size(), quick));
            ASSERT_TRUE(Libjpeg(jpeg, size.width, size.height, reference));
            ASSERT_TRUE(quick.SamePixels(reference));
          }
}

TEST_F(QuickEighth, LeavesOtherKindsAndBrokenDataToLibjpeg) {
  TJpegKind progressive, arithmetic, cmyk, grainy;
  progressive.progressive = true;
  arithmetic.arithmetic = true;
  cmyk.space = JCS_CMYK;
  grainy.grain = true;
  grainy.restart_interval = 2;
  for (const TJpegKind& kind : {progressive, arithmetic, cmyk}) {
    const std::string jpeg = MakeJpeg(80, 48, kind);
    TBitmap24 out;
    EXPECT_FALSE(DecodeJpegEighthQuickly(Bytes(jpeg), jpeg.size(), out));
    ExpectSameAsLibjpeg(jpeg, 80, 48);
  }
  const std::string good = MakeJpeg(120, 72, grainy);
  const std::size_t scan = FirstScan(good).size();
  std::string renumbered = good, stuffed = good;
  // The second restart marker given the number of the first.
  const std::size_t first = good.find("\xFF\xD0", scan);
  renumbered[good.find("\xFF\xD1", first) + 1] = static_cast<char>(0xD0);
  // Thirty-two 1 bits are no code of any table.
  stuffed.insert(scan + 40, std::string("\xFF\x00\xFF\x00\xFF\x00\xFF\x00", 8));
  const struct {
    std::string file;
    bool quick;
  } cases[] = {
      {good.substr(0, good.size() - 2), true},  // no end marker: the data is all there
      {good.substr(0, good.size() * 3 / 5), false},
      {renumbered, false},
      {stuffed, false},
  };
  for (const auto& c : cases) {
    TBitmap24 out;
    EXPECT_EQ(DecodeJpegEighthQuickly(Bytes(c.file), c.file.size(), out), c.quick);
    ExpectSameAsLibjpeg(c.file, 120, 72);
  }
  // Flipped bytes anywhere: the quick decoder either declines or gives libjpeg's pixels.
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    std::string file = good;
    for (int i = 0; i < 1 + static_cast<int>(random() % 4); ++i)
      file[scan + random() % (file.size() - scan)] = static_cast<char>(random());
    SCOPED_TRACE(round);
    ExpectSameAsLibjpeg(file, 120, 72);
  }
}
