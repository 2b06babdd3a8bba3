#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/ImageSizeChange.h"
#include "tests/TestSupport.h"

// The references below must round exactly like the engine: no fused multiply-add.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(__GNUC__) && defined(__FMA__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

// --- straightforward per-pixel references of the four algorithms ---------------------------

TBitmap24 RefBiLiner(const TBitmap24& src, int dw, int dh) {
  const int sw = src.Width(), sh = src.Height();
  TBitmap24 out(dw, dh);
  for (int y = 0; y < dh; ++y) {
    const float sy =
        (static_cast<float>(sh) / static_cast<float>(dh)) * (static_cast<float>(y) + 0.5f) - 0.5f;
    const int iy = static_cast<int>(std::floor(sy));
    const float fy = sy - static_cast<float>(iy);
    const int up = iy < 0 ? 0 : iy;
    const int lo = iy + 1 > sh - 1 ? sh - 1 : iy + 1;
    for (int x = 0; x < dw; ++x) {
      const float sx =
          (static_cast<float>(sw) / static_cast<float>(dw)) * (static_cast<float>(x) + 0.5f) - 0.5f;
      const int ix = static_cast<int>(std::floor(sx));
      const float fx = sx - static_cast<float>(ix);
      int left = 0, right = 0;
      if (ix >= 0) {
        left = ix;
        right = ix + 1 >= sw ? sw - 1 : ix + 1;
      }
      for (int c = 0; c < 3; ++c) {
        const float p00 = src.Row(up)[3 * left + c], p10 = src.Row(up)[3 * right + c];
        const float p01 = src.Row(lo)[3 * left + c], p11 = src.Row(lo)[3 * right + c];
        const float v =
            p00 + (p10 - p00) * fx + (p00 + p11 - p10 - p01) * fx * fy + (p01 - p00) * fy;
        out.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::nearbyint(v));
      }
    }
  }
  return out;
}

TBitmap24 RefBiLinerDouble(const TBitmap24& src, int dw, int dh) {
  const int sw = src.Width(), sh = src.Height();
  TBitmap24 out(dw, dh);
  for (int y = 0; y < dh; ++y) {
    const double sy = (static_cast<double>(sh) / dh) * (y + 0.5) - 0.5;
    const int iy = static_cast<int>(std::floor(sy));
    const double fy = sy - iy;
    const int up = iy < 0 ? 0 : iy;
    const int lo = iy + 1 > sh - 1 ? sh - 1 : iy + 1;
    for (int x = 0; x < dw; ++x) {
      const double sx = (static_cast<double>(sw) / dw) * (x + 0.5) - 0.5;
      const int ix = static_cast<int>(std::floor(sx));
      const double fx = sx - ix;
      int left = 0, right = 0;
      if (ix >= 0) {
        left = ix;
        right = ix + 1 >= sw ? sw - 1 : ix + 1;
      }
      for (int c = 0; c < 3; ++c) {
        const double p00 = src.Row(up)[3 * left + c], p10 = src.Row(up)[3 * right + c];
        const double p01 = src.Row(lo)[3 * left + c], p11 = src.Row(lo)[3 * right + c];
        long double v = p00;
        v = v + (p10 - p00) * fx;
        v = v + (p00 + p11 - p10 - p01) * fx * fy;
        v = v + (p01 - p00) * fy;
        out.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::nearbyint(v));
      }
    }
  }
  return out;
}

double RefWeight(int cell, double start, double end) {
  if (cell < start && cell + 1 >= end) return end - start;
  if (cell < start) return 1 - (start - cell);
  if (cell + 1 >= end) return end - cell;
  return 1;
}

TBitmap24 RefIntegral(const TBitmap24& src, int dw, int dh) {
  const int sw = src.Width(), sh = src.Height();
  const double rx = static_cast<double>(sw) / dw, ry = static_cast<double>(sh) / dh;
  const double area = static_cast<double>(sw * sh) / (dw * dh);
  TBitmap24 out(dw, dh);
  for (int y = 0; y < dh; ++y) {
    const double y0 = ry * y, y1 = ry * (y + 1) - 0.000001;
    for (int x = 0; x < dw; ++x) {
      const double x0 = rx * x, x1 = rx * (x + 1) - 0.000001;
      for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (int r = static_cast<int>(std::floor(y0)); r <= static_cast<int>(std::floor(y1)); ++r)
          for (int col = static_cast<int>(std::floor(x0)); col <= static_cast<int>(std::floor(x1));
               ++col)
            sum += (RefWeight(col, x0, x1) * RefWeight(r, y0, y1)) * src.Row(r)[3 * col + c];
        out.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::nearbyint(sum / area));
      }
    }
  }
  return out;
}

struct TRefOverlap {
  double length, centre;
};

TRefOverlap RefOverlap(int cell, double start, double end) {
  const bool before = cell<start, after = cell + 1> end;
  if (before && after) return {end - start, ((end - cell) + (start - cell)) / 2};
  if (before) return {1 - (start - cell), (start - cell + 1) / 2};
  if (after) return {end - cell, (end - cell) / 2};
  return {1, 0.5};
}

TBitmap24 RefBiLinerAndIntegralDouble(const TBitmap24& src, int dw, int dh) {
  const int sw = src.Width(), sh = src.Height();
  const double rx = static_cast<double>(sw) / dw, ry = static_cast<double>(sh) / dh;
  const double area = static_cast<double>(sw * sh) / (dw * dh);
  TBitmap24 out(dw, dh);
  for (int y = 0; y < dh; ++y) {
    const double y0 = ry * y - 0.5, y1 = ry * (y + 1) - 0.500001;
    for (int x = 0; x < dw; ++x) {
      const double x0 = rx * x - 0.5, x1 = rx * (x + 1) - 0.500001;
      for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (int k = static_cast<int>(std::floor(y0)); k <= static_cast<int>(std::floor(y1)); ++k) {
          const int up = k < 0 ? 0 : k, lo = k + 1 > sh - 1 ? sh - 1 : k + 1;
          const TRefOverlap oy = RefOverlap(k, y0, y1);
          for (int j = static_cast<int>(std::floor(x0)); j <= static_cast<int>(std::floor(x1));
               ++j) {
            const int left = j < 0 ? 0 : j, right = j + 1 > sw - 1 ? sw - 1 : j + 1;
            const TRefOverlap ox = RefOverlap(j, x0, x1);
            const double p00 = src.Row(up)[3 * left + c], p10 = src.Row(up)[3 * right + c];
            const double p01 = src.Row(lo)[3 * left + c], p11 = src.Row(lo)[3 * right + c];
            const double b = p00 + (p10 - p00) * ox.centre +
                             (p00 + p11 - p10 - p01) * ox.centre * oy.centre +
                             (p01 - p00) * oy.centre;
            sum += ox.length * oy.length * b;
          }
        }
        out.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::nearbyint(sum / area));
      }
    }
  }
  return out;
}

// --- helpers -------------------------------------------------------------------------------

TBitmap24 RandomBitmap(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  TBitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) bmp.Row(y)[x] = static_cast<std::uint8_t>(rng() & 0xFF);
  return bmp;
}

// An owner whose busy flag clears at its busy_calls-th look; records progress.
class TTestOwner : public TEngineOwner {
 public:
  bool IsBusy() const override { return ++busy_calls <= busy_limit; }
  bool ReportsProgress() const override { return reports; }
  void ProgressRange(int max) override { range = max; }
  void Progress(int position) override { positions.push_back(position); }

  mutable int busy_calls = 0;
  int busy_limit = INT_MAX;
  bool reports = false;
  int range = -1;
  std::vector<int> positions;
};

using TAlgorithm = bool (TImageSizeChange::*)(const TBitmap24&, TBitmap24&, int, int);
using TReference = TBitmap24 (*)(const TBitmap24&, int, int);

struct TCase {
  const char* name;
  TAlgorithm run;
  TReference reference;
};

const TCase kCases[] = {
    {"BiLiner", &TImageSizeChange::BiLiner, RefBiLiner},
    {"BiLinerDouble", &TImageSizeChange::BiLinerDouble, RefBiLinerDouble},
    {"Integral", &TImageSizeChange::Integral, RefIntegral},
    {"BiLinerAndIntegralDouble", &TImageSizeChange::BiLinerAndIntegralDouble,
     RefBiLinerAndIntegralDouble},
};

int FirstDifference(const TBitmap24& a, const TBitmap24& b) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < 3 * a.Width(); ++x)
      if (a.Row(y)[x] != b.Row(y)[x]) return y * 3 * a.Width() + x;
  return -1;
}

void PrintTo(const TCase& c, std::ostream* os) { *os << c.name; }

class ImageSizeChangeTest : public ::testing::TestWithParam<TCase> {};

// --- tests ---------------------------------------------------------------------------------

TEST_P(ImageSizeChangeTest, MatchesPerPixelReferenceBitForBit) {
  struct TSizes {
    int sw, sh, dw, dh;
  };
  const TSizes sizes[] = {
      {1, 1, 5, 3},
      {1, 9, 4, 20},
      {9, 1, 20, 3},
      {1, 30, 1, 7},
      {30, 1, 7, 1},
      {7, 5, 3, 2},
      {13, 11, 29, 17},
      {37, 23, 10, 9},
      {64, 48, 16, 12},
      {100, 80, 33, 27},
      {3, 200, 7, 41},
      {250, 2, 1, 1},
      {17, 19, 17, 19},
      {41, 29, 160, 7},
      {301, 7, 117, 5},
      // Rows of several 100-pixel parts, the last one short.
      {530, 300, 211, 75},
      {120, 90, 101, 61},
  };
  // One object for all cases: what one call leaves behind must not leak into the next.
  TImageSizeChange resizer;
  unsigned seed = 1;
  for (const TSizes& s : sizes) {
    const TBitmap24 src = RandomBitmap(s.sw, s.sh, seed++);
    TBitmap24 dst;
    ASSERT_TRUE((resizer.*GetParam().run)(src, dst, s.dh, s.dw));
    ASSERT_EQ(dst.Width(), s.dw);
    ASSERT_EQ(dst.Height(), s.dh);
    const TBitmap24 expected = GetParam().reference(src, s.dw, s.dh);
    EXPECT_EQ(FirstDifference(dst, expected), -1)
        << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh;
  }
}

TEST_P(ImageSizeChangeTest, ExtremeShapesWithinTheLimit) {
  TImageSizeChange resizer;
  for (const auto& [sw, sh, dw, dh] :
       {std::array{5000, 1, 7, 3}, std::array{1, 400000, 2, 9}, std::array{3, 5, 1, 40000}}) {
    const TBitmap24 src = RandomBitmap(sw, sh, 11);
    TBitmap24 dst;
    ASSERT_TRUE((resizer.*GetParam().run)(src, dst, dh, dw));
    EXPECT_EQ(FirstDifference(dst, GetParam().reference(src, dw, dh)), -1)
        << sw << "x" << sh << " -> " << dw << "x" << dh;
  }
}

TEST_P(ImageSizeChangeTest, AnOwnerThatNeverCancelsChangesNothing) {
  TTestOwner owner;
  TImageSizeChange resizer(&owner);
  for (const auto& [sw, sh, dw, dh] :
       {std::array{97, 31, 251, 64}, std::array{530, 120, 233, 41}}) {
    const TBitmap24 src = RandomBitmap(sw, sh, 77);
    TBitmap24 dst;
    ASSERT_TRUE((resizer.*GetParam().run)(src, dst, dh, dw));
    EXPECT_EQ(FirstDifference(dst, GetParam().reference(src, dw, dh)), -1);
  }
}

TEST_P(ImageSizeChangeTest, EnlargedSinglePixelIsUniformAndSameSizeIsACopy) {
  TImageSizeChange resizer;
  TBitmap24 one(1, 1);
  one.SetPixel(0, 0, MakeColor(200, 17, 255));
  TBitmap24 big;
  ASSERT_TRUE((resizer.*GetParam().run)(one, big, 7, 13));
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(big.Pixel(x, y), MakeColor(200, 17, 255));

  // The bilinear integral averages over a footprint that reaches into the neighbours.
  if (std::string(GetParam().name) == "BiLinerAndIntegralDouble") return;
  const TBitmap24 src = PatternBitmap(23, 11);
  TBitmap24 same;
  ASSERT_TRUE((resizer.*GetParam().run)(src, same, 11, 23));
  EXPECT_TRUE(same.SamePixels(src));
}

TEST_P(ImageSizeChangeTest, SourceAndDestinationMayBeOneBitmap) {
  TImageSizeChange resizer;
  TBitmap24 bmp = RandomBitmap(45, 30, 5);
  const TBitmap24 expected = GetParam().reference(bmp, 20, 61);
  ASSERT_TRUE((resizer.*GetParam().run)(bmp, bmp, 61, 20));
  EXPECT_EQ(FirstDifference(bmp, expected), -1);
}

TEST_P(ImageSizeChangeTest, SizesBeyondTheLimitAreRefusedAndLeaveTheDestination) {
  TTestOwner owner;
  owner.reports = true;
  TImageSizeChange resizer(&owner);
  const TBitmap24 src = PatternBitmap(10, 10);
  TBitmap24 dst = PatternBitmap(3, 4);
  const std::uint8_t* buffer = dst.Data();
  const TBitmap24 before = dst;
  for (auto [w, h] : {std::pair{5001, 1}, std::pair{2001, 2000}, std::pair{0, 5}, std::pair{5, 0},
                      std::pair{-3, 5}}) {
    EXPECT_FALSE((resizer.*GetParam().run)(src, dst, h, w)) << w << "x" << h;
  }
  const TBitmap24 wide_src(5001, 1);
  EXPECT_FALSE((resizer.*GetParam().run)(wide_src, dst, 2, 2));
  const TBitmap24 empty;
  EXPECT_FALSE((resizer.*GetParam().run)(empty, dst, 2, 2));
  EXPECT_EQ(dst.Data(), buffer);
  EXPECT_TRUE(dst.SamePixels(before));
  EXPECT_EQ(owner.busy_calls, 0);
  EXPECT_EQ(owner.range, -1);  // refused before any work began
  // The largest allowed sizes pass.
  EXPECT_TRUE((resizer.*GetParam().run)(src, dst, 800, 5000));
}

// Sizes for the checks: an uneven ratio, and a ratio of 4 (the integer path of the bilinear modes).
struct TCheckSizes {
  int sw, sh, dw, dh;
};
constexpr TCheckSizes kCheckSizes[] = {{40, 30, 201, 250}, {60, 75, 240, 300}};

TEST_P(ImageSizeChangeTest, ProgressAndChecksEveryHundredRowsAndPixels) {
  for (const TCheckSizes& z : kCheckSizes) {
    TTestOwner owner;
    owner.reports = true;
    TImageSizeChange resizer(&owner);
    const TBitmap24 src = PatternBitmap(z.sw, z.sh);
    TBitmap24 dst;
    ASSERT_TRUE((resizer.*GetParam().run)(src, dst, z.dh, z.dw));
    EXPECT_EQ(owner.range, z.dh - 1);
    std::vector<int> positions = owner.positions;
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    EXPECT_EQ(positions, (std::vector<int>{0, 100, 200})) << z.dw;
    // Rows 0, 100, 200, and pixels 0, 100, 200 of every row.
    EXPECT_EQ(owner.busy_calls, 3 + z.dh * 3) << z.dw;

    TTestOwner quiet;
    TImageSizeChange silent(&quiet);
    ASSERT_TRUE((silent.*GetParam().run)(src, dst, z.dh, z.dw));
    EXPECT_TRUE(quiet.positions.empty());
    EXPECT_EQ(quiet.range, -1);
  }
}

TEST_P(ImageSizeChangeTest, CancelStopsAtTheNextCheckAndLeavesTheDestination) {
  for (const TCheckSizes& z : kCheckSizes) {
    const TBitmap24 src = RandomBitmap(z.sw, z.sh, 9);
    // Cleared at the first look, between the pixel checks of a row, and at the check of row 100
    // (row 0 takes 1 + 3 looks, every other row 3).
    for (int limit : {0, 7, 1 + 100 * 3}) {
      TTestOwner owner;
      owner.busy_limit = limit;
      TImageSizeChange resizer(&owner);
      TBitmap24 dst = PatternBitmap(8, 8);
      const TBitmap24 before = dst;
      EXPECT_FALSE((resizer.*GetParam().run)(src, dst, z.dh, z.dw)) << limit;
      EXPECT_TRUE(dst.SamePixels(before));
      // The first look at a cleared flag is the last one.
      EXPECT_EQ(owner.busy_calls, limit + 1);
      // The same object works normally afterwards.
      owner.busy_limit = INT_MAX;
      ASSERT_TRUE((resizer.*GetParam().run)(src, dst, z.dh, z.dw));
      EXPECT_EQ(FirstDifference(dst, GetParam().reference(src, z.dw, z.dh)), -1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Algorithms, ImageSizeChangeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Single precision leaves results near a half often enough that a product and a sum fused into
// one rounding, or a sum taken in another order, shows up in a few million values.
TEST(ImageSizeChange, BilinearSinglePrecisionMatchesOverMillionsOfValues) {
  TImageSizeChange resizer;
  const TBitmap24 src = RandomBitmap(1500, 700, 99);
  for (auto [dw, dh] : {std::pair{1037, 1013}, std::pair{611, 250}}) {
    TBitmap24 dst;
    ASSERT_TRUE(resizer.BiLiner(src, dst, dh, dw));
    EXPECT_EQ(FirstDifference(dst, RefBiLiner(src, dw, dh)), -1) << dw << "x" << dh;
  }
}

// The quality modes sum in double and look again, in the extended type, only where a sum lies
// near a half; power-of-two ratios, whose sums often end in exactly one half, are exact in
// double. Millions of values of both kinds against the extended-precision references (fewer in
// the sanitizer build, which runs the same tests far slower).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kValueScale = 4;
#else
constexpr int kValueScale = 1;
#endif

TEST(ImageSizeChange, QualityModesMatchTheExtendedReferencesOverMillionsOfValues) {
  struct TSizes {
    int sw, sh, dw, dh;
  };
  TImageSizeChange resizer;
  const TSizes bilinear[] = {{1500, 700, 1037, 1013}, {700, 500, 1400, 1000},
                             {1600, 1200, 400, 300},  {999, 333, 1711, 777},
                             {1203, 905, 602, 453},   {640, 480, 1600, 1200}};
  for (const TSizes& z : bilinear) {
    const int sw = z.sw / kValueScale, sh = z.sh / kValueScale;
    const int dw = z.dw / kValueScale, dh = z.dh / kValueScale;
    const TBitmap24 src = RandomBitmap(sw, sh, static_cast<unsigned>(sw * 31 + dh));
    TBitmap24 dst;
    ASSERT_TRUE(resizer.BiLinerDouble(src, dst, dh, dw));
    EXPECT_EQ(FirstDifference(dst, RefBiLinerDouble(src, dw, dh)), -1)
        << sw << "x" << sh << " -> " << dw << "x" << dh;
  }  // The bilinear integral, worked in planes of column cells: reductions by whole and uneven
  // ratios, an enlargement, and columns of differing cell counts.
  const TSizes integral[] = {{1203, 905, 300, 226}, {777, 555, 1000, 700}, {1000, 700, 333, 517}};
  for (const TSizes& z : integral) {
    const int sw = z.sw / kValueScale, sh = z.sh / kValueScale;
    const int dw = z.dw / kValueScale, dh = z.dh / kValueScale;
    const TBitmap24 src = RandomBitmap(sw, sh, static_cast<unsigned>(sw + dh));
    TBitmap24 dst;
    ASSERT_TRUE(resizer.BiLinerAndIntegralDouble(src, dst, dh, dw));
    EXPECT_EQ(FirstDifference(dst, RefBiLinerAndIntegralDouble(src, dw, dh)), -1)
        << sw << "x" << sh << " -> " << dw << "x" << dh;
  }
}

// Random pictures made of runs of noise, flat colour, the extremes 0 and 255, and two
// neighbouring levels (whose averages often end in exactly one half).
TBitmap24 MixedBitmap(int w, int h, std::mt19937& rng) {
  TBitmap24 bmp(w, h);
  const int n = 3 * w;
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = bmp.Row(y);
    for (int e = 0; e < n;) {
      const int run = std::min(n - e, 1 + static_cast<int>(rng() % 90));
      const unsigned kind = rng() % 4;
      const std::uint8_t level = static_cast<std::uint8_t>(rng() % 255);
      for (int i = 0; i < run; ++i, ++e) {
        switch (kind) {
          case 0:
            row[e] = static_cast<std::uint8_t>(rng());
            break;
          case 1:
            row[e] = level;
            break;
          case 2:
            row[e] = rng() % 2 ? 255 : 0;
            break;
          default:
            row[e] = static_cast<std::uint8_t>(level + rng() % 2);
            break;
        }
      }
    }
    // Whole rows repeated now and then: flat columns.
    if (y > 0 && rng() % 4 == 0) std::memcpy(row, bmp.Row(y - 1), n);
  }
  return bmp;
}

// A destination side for a source side: the usual power-of-two and other whole ratios, or any
// ratio from 1/8 to 8; both axes independently.
int RandomSide(int side, std::mt19937& rng) {
  static const double kFactors[] = {0.125, 0.25, 0.5, 2, 4, 1, 1.0 / 3, 3, 0.75, 1.5, 1.6, 8};
  const double f = rng() % 2 ? kFactors[rng() % std::size(kFactors)]
                             : std::exp2(std::uniform_real_distribution<double>(-3, 3)(rng));
  return std::clamp(static_cast<int>(std::lround(side * f)), 1, 2000);
}

struct TFastCase {
  const char* name;
  TAlgorithm run;
};

class FastPathTest : public ::testing::TestWithParam<TFastCase> {};

// The fast paths against the reference paths of the same object, over millions of values:
// tiny and odd sizes, enlargements and reductions on either axis, mixed content. Whole-number
// and power-of-two factors take the integer path of the bilinear modes.
TEST_P(FastPathTest, MatchesTheReferencePathOverMillionsOfValues) {
  struct TRange {
    int pictures, max_side;
  };
  const TRange ranges[] = {{300, 6}, {200, 60}, {80, 600 / kValueScale}};
  std::mt19937 rng(20261209);
  // The second looks are rare on real content, so one object takes them everywhere.
  TImageSizeChange fast, everywhere, reference;
  everywhere.LookAgainEverywhere(true);
  reference.UseReferencePaths(true);
  long long values = 0;
  for (const TRange& range : ranges) {
    for (int i = 0; i < range.pictures; ++i) {
      const int sw = 1 + static_cast<int>(rng() % range.max_side);
      const int sh = 1 + static_cast<int>(rng() % range.max_side);
      const int dw = RandomSide(sw, rng), dh = RandomSide(sh, rng);
      const TBitmap24 src = MixedBitmap(sw, sh, rng);
      TBitmap24 expected, got;
      ASSERT_TRUE((reference.*GetParam().run)(src, expected, dh, dw));
      for (TImageSizeChange* resizer : {&fast, &everywhere}) {
        if (resizer == &everywhere && i % 4 != 0) continue;
        ASSERT_TRUE((resizer->*GetParam().run)(src, got, dh, dw));
        ASSERT_EQ(FirstDifference(got, expected), -1)
            << (resizer == &fast ? "fast " : "second looks ") << sw << "x" << sh << " -> " << dw
            << "x" << dh;
      }
      values += 3LL * dw * dh;
    }
  }
  EXPECT_GT(values, 15'000'000 / (kValueScale * kValueScale));
}

INSTANTIATE_TEST_SUITE_P(QualityModes, FastPathTest,
                         ::testing::Values(TFastCase{"BiLiner", &TImageSizeChange::BiLiner},
                                           TFastCase{"BiLinerDouble",
                                                     &TImageSizeChange::BiLinerDouble},
                                           TFastCase{"BiLinerAndIntegralDouble",
                                                     &TImageSizeChange::BiLinerAndIntegralDouble}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImageSizeChange, IntegralAveragesEachBlockWhenHalving) {
  TBitmap24 src(4, 4);
  const std::uint8_t values[4][4] = {
      {10, 20, 100, 101}, {30, 41, 102, 104}, {0, 0, 255, 255}, {0, 1, 255, 254}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.SetPixel(x, y, MakeColor(values[y][x], values[y][x], 7));
  TImageSizeChange resizer;
  TBitmap24 dst;
  ASSERT_TRUE(resizer.Integral(src, dst, 2, 2));
  // Block sums 101, 407, 1, 1019: averages 25.25, 101.75, 0.25, 254.75.
  EXPECT_EQ(dst.Pixel(0, 0), MakeColor(25, 25, 7));
  EXPECT_EQ(dst.Pixel(1, 0), MakeColor(102, 102, 7));
  EXPECT_EQ(dst.Pixel(0, 1), MakeColor(0, 0, 7));
  EXPECT_EQ(dst.Pixel(1, 1), MakeColor(255, 255, 7));
}

TEST(ImageSizeChange, BilinearHalvingAveragesNeighbourPairs) {
  // Halving samples exactly between two pixels: fx = fy = 0.5.
  TBitmap24 src(4, 2);
  const std::uint8_t row0[4] = {0, 10, 50, 51}, row1[4] = {20, 30, 53, 54};
  for (int x = 0; x < 4; ++x) {
    src.SetPixel(x, 0, MakeColor(row0[x], 0, 0));
    src.SetPixel(x, 1, MakeColor(row1[x], 0, 0));
  }
  TImageSizeChange resizer;
  TBitmap24 dst;
  ASSERT_TRUE(resizer.BiLiner(src, dst, 1, 2));
  EXPECT_EQ(ColorRed(dst.Pixel(0, 0)), 15);  // 15.0
  EXPECT_EQ(ColorRed(dst.Pixel(1, 0)), 52);  // 52.0
}

// --- nearest-neighbour stretch -------------------------------------------------------------

std::vector<int> StretchedColumns(int sw, int dw) {
  TBitmap24 src(sw, 1);
  for (int x = 0; x < sw; ++x) src.SetPixel(x, 0, static_cast<TColor>(x));
  TBitmap24 dst;
  EXPECT_TRUE(StretchBitmap(src, dst, dw, 1));
  std::vector<int> cols;
  for (int x = 0; x < dw; ++x) cols.push_back(static_cast<int>(dst.Pixel(x, 0)));
  return cols;
}

TEST(StretchBitmap, PicksThePixelUnderEachDestinationCentre) {
  EXPECT_EQ(StretchedColumns(4, 2), (std::vector<int>{1, 3}));
  EXPECT_EQ(StretchedColumns(3, 1), (std::vector<int>{1}));
  // (x + 0.5) * 2 / 5 reaches 1 exactly at x = 2.
  EXPECT_EQ(StretchedColumns(2, 5), (std::vector<int>{0, 0, 1, 1, 1}));
  EXPECT_EQ(StretchedColumns(10, 4), (std::vector<int>{1, 3, 6, 8}));
}

TEST(StretchBitmap, IntegerEnlargementRepeatsEveryPixel) {
  const TBitmap24 src = RandomBitmap(7, 5, 3);
  TBitmap24 dst;
  ASSERT_TRUE(StretchBitmap(src, dst, 21, 10));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 21; ++x) ASSERT_EQ(dst.Pixel(x, y), src.Pixel(x / 3, y / 2));
  TBitmap24 same;
  ASSERT_TRUE(StretchBitmap(src, same, 7, 5));
  EXPECT_TRUE(same.SamePixels(src));
}

TEST(StretchBitmap, ShrinksOversizedSourcesButRefusesOversizedResults) {
  TBitmap24 src = RandomBitmap(6000, 3, 4);  // wider than the working limit
  TBitmap24 dst;
  ASSERT_TRUE(StretchBitmap(src, dst, 3000, 1));
  for (int x = 0; x < 3000; ++x) ASSERT_EQ(dst.Pixel(x, 0), src.Pixel(2 * x + 1, 1));

  const TBitmap24 before = dst;
  EXPECT_FALSE(StretchBitmap(src, dst, 5001, 1));
  EXPECT_FALSE(StretchBitmap(src, dst, 2001, 2000));
  EXPECT_FALSE(StretchBitmap(src, dst, 0, 1));
  EXPECT_FALSE(StretchBitmap(TBitmap24(), dst, 5, 5));
  EXPECT_TRUE(dst.SamePixels(before));

  const TBitmap24 original = src;
  ASSERT_TRUE(StretchBitmap(src, src, 2, 3));  // in place
  EXPECT_EQ(src.Pixel(0, 0), original.Pixel(1500, 0));
  EXPECT_EQ(src.Pixel(1, 2), original.Pixel(4500, 2));
}

}  // namespace
