#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/DecimalText.h"
#include "engine/ImageRotation.h"
#include "tests/TestSupport.h"

namespace {

constexpr TColor kBack = 0x00123456;

// A picture with no pixel in the background colour, so that holes and corners are visible.
TBitmap24 Picture(int width, int height) {
  TBitmap24 bmp = PatternBitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (bmp.Pixel(x, y) == kBack) bmp.SetPixel(x, y, kWhite);
  return bmp;
}

// Stops after a given number of looks at the busy flag and records the progress it is shown.
class TRecordingOwner : public TEngineOwner {
 public:
  explicit TRecordingOwner(int busy_looks = 1 << 30) : busy_looks_(busy_looks) {}
  bool IsBusy() const override { return busy_looks_-- > 0; }
  bool ReportsProgress() const override { return true; }
  void ProgressRange(int max) override { range = max; }
  void Progress(int position) override { positions.push_back(position); }
  int range = -1;
  std::vector<int> positions;

 private:
  mutable int busy_looks_;
};

// The general rotation written out plainly from its definition: one table of positions for the
// whole result, pixels through Pixel/SetPixel.
struct TReference {
  float c, s;
  int width, height, mx, my;
};

int HalfAway(double x) {
  if (x > 0) return static_cast<int>(std::trunc(x + 0.5));
  if (x < 0) return static_cast<int>(std::trunc(x - 0.5));
  return 0;
}

TReference ReferenceGeometry(const TBitmap24& src, double degrees, bool one_rounding) {
  TReference g;
  const float theta = static_cast<float>(degrees * M_PI / 180);
  g.c = static_cast<float>(std::cos(static_cast<double>(theta)));
  g.s = static_cast<float>(std::sin(static_cast<double>(theta)));
  const double w = src.Width(), h = src.Height();
  if (one_rounding) {
    g.width = static_cast<int>(std::nearbyint(std::fabs(w * g.c) + std::fabs(h * g.s)));
    g.height = static_cast<int>(std::nearbyint(std::fabs(w * g.s) + std::fabs(h * g.c)));
  } else {
    g.width =
        static_cast<int>(std::nearbyint(std::fabs(w * g.c)) + std::nearbyint(std::fabs(h * g.s)));
    g.height =
        static_cast<int>(std::nearbyint(std::fabs(w * g.s)) + std::nearbyint(std::fabs(h * g.c)));
  }
  g.mx = g.my = 1 << 30;
  for (double x : {0.0, w - 1})
    for (double y : {0.0, h - 1}) {
      g.mx = std::min(g.mx, HalfAway(x * g.c - y * g.s));
      g.my = std::min(g.my, HalfAway(x * g.s + y * g.c));
    }
  return g;
}

TBitmap24 ReferenceBlend(const TBitmap24& src, double degrees, TColor back) {
  const TReference g = ReferenceGeometry(src, degrees, false);
  const int w = src.Width(), h = src.Height();
  std::vector<float> tx(static_cast<std::size_t>(g.width) * g.height);
  std::vector<float> ty(tx.size());
  for (int j = 0; j < g.height; ++j)
    for (int i = 0; i < g.width; ++i) {
      const double u = g.mx + i, v = g.my + j;
      tx[j * g.width + i] = static_cast<float>(u * g.c + v * g.s);
      ty[j * g.width + i] = static_cast<float>(v * g.c - u * g.s);
    }
  TBitmap24 out(g.width, g.height);
  out.Fill(back);
  for (int j = 0; j < g.height; ++j)
    for (int i = 0; i < g.width; ++i) {
      const float sx = tx[j * g.width + i], sy = ty[j * g.width + i];
      if (sx < 0 || sx > w - 1 || sy < 0 || sy > h - 1) continue;
      const int ix = static_cast<int>(std::trunc(static_cast<double>(sx) + 0.5));
      const int iy = static_cast<int>(std::trunc(static_cast<double>(sy) + 0.5));
      const int fx = static_cast<int>(std::trunc((static_cast<double>(sx) - ix) * 5000));
      const int fy = static_cast<int>(std::trunc((static_cast<double>(sy) - iy) * 5000));
      const int a = std::abs(fx), b = std::abs(fy), m = (a + b) / 2;
      const int nx = fx < 0 ? std::max(ix - 1, 0) : std::min(ix + 1, w - 1);
      const int ny = fy < 0 ? std::max(iy - 1, 0) : std::min(iy + 1, h - 1);
      const TColor c = src.Pixel(ix, iy), hp = src.Pixel(nx, iy), vp = src.Pixel(ix, ny),
                   d = src.Pixel(nx, ny);
      auto mix = [&](auto channel) {
        return static_cast<std::uint8_t>((channel(c) * (10000 - a - b - m) + channel(hp) * b +
                                          channel(d) * a + channel(vp) * m) /
                                         10000);
      };
      out.SetPixel(i, j, MakeColor(mix(ColorRed), mix(ColorGreen), mix(ColorBlue)));
    }
  return out;
}

// Overlap of cell [cell, cell + 1) with [start, end], in the four cases of the area average.
long double Overlap(int cell, long double start, long double end) {
  const bool starts_before = cell < start;
  const bool ends_after = cell + 1 > end;
  if (cell <= start && ends_after) return end - start;
  if (starts_before) return 1 - (start - cell);
  if (ends_after) return end - cell;
  return 1;
}

TBitmap24 ReferenceArea(const TBitmap24& src, double degrees, TColor back) {
  const TReference g = ReferenceGeometry(src, degrees, false);
  const int w = src.Width(), h = src.Height();
  TBitmap24 out(g.width, g.height);
  out.Fill(back);
  for (int j = 0; j < g.height; ++j)
    for (int i = 0; i < g.width; ++i) {
      const long double u = g.mx + i, v = g.my + j;
      const long double sx = u * g.c + v * g.s;
      const long double sy = v * g.c - u * g.s;
      if (sx < 0 || sx > w - 1 || sy < 0 || sy > h - 1) continue;
      const long double x1 = sx + 1 - 0.000001L, y1 = sy + 1 - 0.000001L;
      long double sum[3] = {0, 0, 0};
      for (int r = static_cast<int>(std::floor(sy)); r <= static_cast<int>(std::floor(y1)); ++r)
        for (int c = static_cast<int>(std::floor(sx)); c <= static_cast<int>(std::floor(x1)); ++c) {
          const long double weight = Overlap(c, sx, x1) * Overlap(r, sy, y1);
          const TColor p = src.Pixel(c, r);
          sum[0] += weight * ColorRed(p);
          sum[1] += weight * ColorGreen(p);
          sum[2] += weight * ColorBlue(p);
        }
      auto round = [](long double x) { return static_cast<std::uint8_t>(std::nearbyint(x)); };
      out.SetPixel(i, j, MakeColor(round(sum[0]), round(sum[1]), round(sum[2])));
    }
  return out;
}

TBitmap24 ReferenceHoles(const TBitmap24& src, double degrees, TColor back) {
  const TReference g = ReferenceGeometry(src, degrees, true);
  TBitmap24 out(g.width, g.height);
  out.Fill(back);
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) {
      const double xd = x, yd = y;
      const int dx = std::clamp(HalfAway(xd * g.c - yd * g.s - g.mx), 0, g.width - 1);
      const int dy = std::clamp(HalfAway(xd * g.s + yd * g.c - g.my), 0, g.height - 1);
      out.SetPixel(dx, dy, src.Pixel(x, y));
    }
  return out;
}

bool Rotated(TBitmap24& bmp, const std::string& angle, int mode, TColor back = kBack) {
  TImageRotation rotation;
  return rotation.Rotate(bmp, angle, back, mode);
}

}  // namespace

TEST(AngleText, IntegersFirstThenNumbersWithFraction) {
  TAngle a;
  ASSERT_TRUE(ParseAngleText("90", a));
  EXPECT_TRUE(a.is_integer);
  EXPECT_EQ(a.integer, 90);
  ASSERT_TRUE(ParseAngleText(" -270 ", a));
  EXPECT_TRUE(a.is_integer);
  EXPECT_EQ(a.integer, -270);
  ASSERT_TRUE(ParseAngleText("+45", a));
  EXPECT_EQ(a.integer, 45);
  for (const char* text : {"30.5", "90.0", "1e2", ".5", "5.", "-0.25", "2147483647.5e-1"}) {
    ASSERT_TRUE(ParseAngleText(text, a)) << text;
    EXPECT_FALSE(a.is_integer) << text;
  }
  ASSERT_TRUE(ParseAngleText("30.5", a));
  EXPECT_DOUBLE_EQ(a.value, 30.5);
  for (const char* text :
       {"",     " ",     "nan",   "NaN",  "inf",         "-infinity",     "0x5A",
        "$5A",  "1e",    "1e+",   ".",    "-",           "+-5",           "5 5",
        "30,5", "1e400", "12abc", "１２", "99999999999", "-2147483648.5", "1e10"})
    EXPECT_FALSE(ParseAngleText(text, a)) << text;
  int i = 0;
  EXPECT_TRUE(ParseDecimalInt("-2147483648", i));
  EXPECT_EQ(i, -2147483647 - 1);
  EXPECT_FALSE(ParseDecimalInt("2147483648", i));
  EXPECT_FALSE(ParseDecimalInt(std::string(500, '9'), i));
}

constexpr TTurnVectorUnit kTurnUnits[] = {TTurnVectorUnit::kPlain, TTurnVectorUnit::kAvx2};

// Checks the three turns of src, made with one vector unit, pixel by pixel.
void ExpectExactTurns(const TBitmap24& src, TTurnVectorUnit unit) {
  const int w = src.Width(), h = src.Height();
  TBitmap24 cw, acw, half;
  ASSERT_TRUE(TurnClockwise90(src, cw, nullptr, unit));
  ASSERT_TRUE(TurnAnticlockwise90(src, acw, nullptr, unit));
  ASSERT_TRUE(Turn180(src, half, nullptr, unit));
  ASSERT_EQ(cw.Width(), h);
  ASSERT_EQ(cw.Height(), w);
  ASSERT_EQ(acw.Width(), h);
  ASSERT_EQ(acw.Height(), w);
  ASSERT_TRUE(half.SameSizeAs(src));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Clockwise on screen: the top-left corner goes to the top-right.
      ASSERT_EQ(cw.Pixel(h - 1 - y, x), src.Pixel(x, y)) << x << "," << y;
      ASSERT_EQ(acw.Pixel(y, w - 1 - x), src.Pixel(x, y)) << x << "," << y;
      ASSERT_EQ(half.Pixel(w - 1 - x, h - 1 - y), src.Pixel(x, y)) << x << "," << y;
    }
}

TEST(QuarterTurns, MapEveryPixelExactly) {
  // Rows with and without padding, single rows and columns, partial copy blocks. Turns copy 8 x 8
  // blocks in tiles of 64 result rows by 32 result columns (a result is as high as the source is
  // wide), the rest pixel by pixel: shapes below end blocks and tiles evenly and unevenly, and
  // whole blocks that end at the last byte of an unpadded source buffer (both sides multiples of
  // 8). Half turns reverse rows in groups of 8 pixels.
  for (auto [w, h] :
       {std::pair{5, 3}, {1, 1},   {1, 5},   {5, 1},   {2, 2},    {4, 3},    {8, 9},
        {33, 17},        {40, 41}, {4, 600}, {8, 8},   {16, 8},   {7, 9},    {9, 7},
        {64, 32},        {64, 96}, {96, 64}, {65, 33}, {130, 70}, {200, 17}, {17, 200}}) {
    const TBitmap24 src = Picture(w, h);
    for (TTurnVectorUnit unit : kTurnUnits) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " unit " +
                   std::to_string(static_cast<int>(unit)));
      ExpectExactTurns(src, unit);
    }
  }
}

TEST(QuarterTurns, ExactOnManyTilesAndEveryShortRowLength) {
  // Many tiles with ragged edges on a random picture; the half turn at every row length around
  // its groups.
  std::mt19937 rng(11);
  TBitmap24 src(389, 517);
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < 3 * src.Width(); ++x) src.Row(y)[x] = static_cast<std::uint8_t>(rng());
  for (TTurnVectorUnit unit : kTurnUnits) {
    SCOPED_TRACE("unit " + std::to_string(static_cast<int>(unit)));
    ExpectExactTurns(src, unit);
    for (int w = 1; w <= 50; ++w) {
      SCOPED_TRACE("width " + std::to_string(w));
      const TBitmap24 row = Picture(w, 2);
      TBitmap24 half;
      ASSERT_TRUE(Turn180(row, half, nullptr, unit));
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(half.Pixel(w - 1 - x, 1), row.Pixel(x, 0));
        ASSERT_EQ(half.Pixel(w - 1 - x, 0), row.Pixel(x, 1));
      }
    }
  }
}

TEST(QuarterTurns, FourTurnsGiveTheOriginal) {
  // Larger than one copy tile in both directions, with ragged edges.
  const TBitmap24 src = Picture(77, 45);
  TBitmap24 bmp = src;
  for (int k = 0; k < 4; ++k) ASSERT_TRUE(TurnClockwise90(bmp));
  EXPECT_TRUE(bmp.SamePixels(src));
  for (int k = 0; k < 4; ++k) ASSERT_TRUE(TurnAnticlockwise90(bmp));
  EXPECT_TRUE(bmp.SamePixels(src));
  ASSERT_TRUE(Turn180(bmp));
  ASSERT_TRUE(Turn180(bmp));
  EXPECT_TRUE(bmp.SamePixels(src));
  TBitmap24 twice = src;
  ASSERT_TRUE(TurnClockwise90(twice));
  ASSERT_TRUE(TurnClockwise90(twice));
  TBitmap24 half;
  ASSERT_TRUE(Turn180(src, half));
  EXPECT_TRUE(twice.SamePixels(half));
}

TEST(QuarterTurns, EmptyPictureIsRefusedWithMessage) {
  TBitmap24 empty;
  TBitmap24 dst = Picture(2, 2);
  std::string message;
  EXPECT_FALSE(TurnClockwise90(empty, dst, &message));
  EXPECT_EQ(message, "ピクチャーのサイズが不正です。");
  EXPECT_EQ(dst.Width(), 2);
  EXPECT_FALSE(TurnAnticlockwise90(empty));
  EXPECT_FALSE(Turn180(empty));
}

struct TQuarterCase {
  const char* angle;
  int turn;  // 0 none, 1 clockwise, 2 half, 3 anticlockwise
};

class RotationQuarterAngles : public ::testing::TestWithParam<TQuarterCase> {};

TEST_P(RotationQuarterAngles, UseTheExactTurnsInModesZeroAndOne) {
  const TBitmap24 src = Picture(7, 4);
  TBitmap24 expected = src;
  const int turn = GetParam().turn;
  if (turn == 1) TurnClockwise90(expected);
  if (turn == 2) Turn180(expected);
  if (turn == 3) TurnAnticlockwise90(expected);
  for (int mode : {0, 1}) {
    TBitmap24 bmp = src;
    ASSERT_TRUE(Rotated(bmp, GetParam().angle, mode)) << mode;
    EXPECT_TRUE(bmp.SamePixels(expected)) << mode;
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, RotationQuarterAngles,
                         ::testing::Values(TQuarterCase{"90", 1}, TQuarterCase{"-270", 1},
                                           TQuarterCase{"450", 1}, TQuarterCase{"-90", 3},
                                           TQuarterCase{"270", 3}, TQuarterCase{"180", 2},
                                           TQuarterCase{"-180", 2}, TQuarterCase{"0", 0},
                                           TQuarterCase{"360", 0}, TQuarterCase{"-720", 0},
                                           TQuarterCase{"-2147483610", 3}));

TEST(Rotation, FortyFiveDegreesEnlargesAndPaintsCorners) {
  for (int mode : {0, 1}) {
    TBitmap24 bmp = Picture(100, 100);
    ASSERT_TRUE(Rotated(bmp, "45", mode));
    EXPECT_EQ(bmp.Width(), 142);
    EXPECT_EQ(bmp.Height(), 142);
    for (auto [x, y] : {std::pair{0, 0}, {141, 0}, {0, 141}, {141, 141}})
      EXPECT_EQ(bmp.Pixel(x, y), kBack) << mode;
    EXPECT_NE(bmp.Pixel(71, 71), kBack);
  }
  TBitmap24 bmp = Picture(100, 100);
  ASSERT_TRUE(Rotated(bmp, "45", 2));
  EXPECT_EQ(bmp.Width(), 141);  // one rounding of the summed sides
  EXPECT_EQ(bmp.Pixel(0, 0), kBack);
}

TEST(Rotation, FractionalAngleTextAlwaysRotatesGenerally) {
  TBitmap24 bmp = Picture(10, 6);
  ASSERT_TRUE(Rotated(bmp, "90.0", 0));
  TBitmap24 turned = Picture(10, 6);
  TurnClockwise90(turned);
  ASSERT_TRUE(bmp.SameSizeAs(turned));
  // The single-precision cosine of a right angle is not zero: the general rotation looks just
  // outside the picture for the last column and paints it with the background.
  EXPECT_FALSE(bmp.SamePixels(turned));
  EXPECT_EQ(bmp.Pixel(5, 9), kBack);
  EXPECT_EQ(bmp.Pixel(2, 3), turned.Pixel(2, 3));
}

struct TGeneralCase {
  int width, height;
  double degrees;
};

class GeneralRotation : public ::testing::TestWithParam<TGeneralCase> {};

TEST_P(GeneralRotation, MatchesThePlainDefinitionBitForBit) {
  const TGeneralCase& p = GetParam();
  const TBitmap24 src = Picture(p.width, p.height);
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", p.degrees);
  const std::string angle = std::string(text) + (std::strchr(text, '.') ? "" : ".0");
  TImageRotation rotation;
  TBitmap24 out;
  ASSERT_TRUE(rotation.Rotate(src, out, angle, kBack, 0));
  EXPECT_TRUE(out.SamePixels(ReferenceBlend(src, p.degrees, kBack))) << "mode 0";
  ASSERT_TRUE(rotation.Rotate(src, out, angle, kBack, 1));
  EXPECT_TRUE(out.SamePixels(ReferenceArea(src, p.degrees, kBack))) << "mode 1";
  ASSERT_TRUE(rotation.Rotate(src, out, angle, kBack, 2));
  EXPECT_TRUE(out.SamePixels(ReferenceHoles(src, p.degrees, kBack))) << "mode 2";
}

INSTANTIATE_TEST_SUITE_P(Angles, GeneralRotation,
                         ::testing::Values(TGeneralCase{37, 23, 30}, TGeneralCase{37, 23, -17.25},
                                           TGeneralCase{40, 64, 123.4}, TGeneralCase{31, 29, 200},
                                           TGeneralCase{64, 48, 1}, TGeneralCase{50, 50, 45},
                                           TGeneralCase{1, 1, 33}, TGeneralCase{1, 40, 60},
                                           TGeneralCase{40, 1, -75}, TGeneralCase{25, 17, 90.5},
                                           TGeneralCase{25, 17, 1e6 + 0.5}));

// "回転1" works eight pixels at a time where it can: noise with runs of 0 and 255, widths with and
// without row padding (the last pixel of an unpadded picture ends its buffer), many angles.
TEST(Rotation, BlendMatchesThePlainDefinitionOverManyPixels) {
  std::mt19937 rng(77);
  const int sizes[][2] = {{64, 48}, {100, 77}, {203, 150}, {8, 300}, {301, 9}, {128, 128}};
  const double angles[] = {30, -17.25, 123.4, 200, 1, 45, 0.001, 89.99, 271.5, -135};
  TImageRotation rotation;
  long long pixels = 0;
  for (const auto& size : sizes) {
    TBitmap24 src(size[0], size[1]);
    for (int y = 0; y < src.Height(); ++y)
      for (int x = 0; x < 3 * src.Width(); ++x) {
        const unsigned r = rng();
        src.Row(y)[x] = static_cast<std::uint8_t>(r % 8 == 0 ? 0 : r % 8 == 1 ? 255 : r >> 24);
      }
    for (double degrees : angles) {
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", degrees);
      const std::string angle = std::string(text) + (std::strchr(text, '.') ? "" : ".0");
      TBitmap24 out;
      ASSERT_TRUE(rotation.Rotate(src, out, angle, kBack, 0));
      ASSERT_TRUE(out.SamePixels(ReferenceBlend(src, degrees, kBack)))
          << size[0] << "x" << size[1] << " at " << degrees;
      pixels += static_cast<long long>(out.Width()) * out.Height();
    }
  }
  EXPECT_GT(pixels, 1'000'000);
}

// "回転2" works in double and goes back to extended precision only for pixels near a cell edge,
// the picture's edge or a half: millions of pixels of noise, at angles whose sines are exact
// halves (positions on cell edges), tiny (inexact products) and plain, against the definition.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kAreaScale = 3;
#else
constexpr int kAreaScale = 1;
#endif

TEST(Rotation, AreaModeMatchesTheExtendedDefinitionOverMillionsOfPixels) {
  std::mt19937 rng(77);
  TBitmap24 src(700 / kAreaScale, 520 / kAreaScale);
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < 3 * src.Width(); ++x) src.Row(y)[x] = static_cast<std::uint8_t>(rng());
  TImageRotation rotation;
  for (double degrees : {30.0, 0.001, -45.0, 123.456, 270.25, 1.5}) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", degrees);
    TBitmap24 out;
    ASSERT_TRUE(rotation.Rotate(src, out, text, kBack, kRotationArea));
    EXPECT_TRUE(out.SamePixels(ReferenceArea(src, degrees, kBack))) << text;
  }
}

TEST(Rotation, ModeTwoLeavesHolesInside) {
  TBitmap24 bmp = Picture(60, 60);
  ASSERT_TRUE(Rotated(bmp, "45", 2));
  // Look only well inside the turned square, away from its edges.
  int holes = 0;
  const int c = bmp.Width() / 2;
  for (int y = c - 15; y <= c + 15; ++y)
    for (int x = c - 15; x <= c + 15; ++x) holes += bmp.Pixel(x, y) == kBack;
  EXPECT_GT(holes, 0);
  TBitmap24 blended = Picture(60, 60);
  ASSERT_TRUE(Rotated(blended, "45", 0));
  for (int y = c - 15; y <= c + 15; ++y)
    for (int x = c - 15; x <= c + 15; ++x) ASSERT_NE(blended.Pixel(x, y), kBack);
}

TEST(Rotation, RefusesWithoutTouchingThePicture) {
  const TBitmap24 src = Picture(9, 7);
  for (int mode : {0, 1, 2}) {
    const std::vector<std::string> angles = {
        "", "nan", "inf", "abc", "1e308", "-1e300", "1e41", "1e400", std::string(400, '9')};
    for (const std::string& angle : angles) {
      TBitmap24 bmp = src;
      std::string message;
      TImageRotation rotation;
      EXPECT_FALSE(rotation.Rotate(bmp, angle, kBack, mode, &message)) << angle << " " << mode;
      EXPECT_TRUE(bmp.SamePixels(src));
      EXPECT_TRUE(message.empty());
    }
  }
  TBitmap24 bmp = src;
  EXPECT_FALSE(Rotated(bmp, "30", 3));
  EXPECT_FALSE(Rotated(bmp, "30", -1));
  EXPECT_TRUE(bmp.SamePixels(src));
}

TEST(Rotation, SizeLimits) {
  // 2000 x 2000 turned by 45 degrees needs 2828 x 2828 pixels: beyond the area limit.
  TBitmap24 big(2000, 2000);
  big.Fill(kWhite);
  for (int mode : {0, 1, 2}) {
    EXPECT_FALSE(Rotated(big, "45", mode)) << mode;
    EXPECT_EQ(big.Width(), 2000);
  }
  // Quarter turns stay allowed for it.
  EXPECT_TRUE(Rotated(big, "90", 0));
  // A source beyond the limit is refused by modes 0 and 1 even for quarter turns.
  TBitmap24 wide(5001, 2);
  wide.Fill(kWhite);
  EXPECT_FALSE(Rotated(wide, "90", 0));
  EXPECT_FALSE(Rotated(wide, "90", 1));
  // Mode 2 only needs a picture; an empty one gets its own message.
  TBitmap24 empty;
  std::string message;
  TImageRotation rotation;
  EXPECT_FALSE(rotation.Rotate(empty, "30", kBack, 2, &message));
  EXPECT_EQ(message, "ピクチャーのサイズ不正です。");
  EXPECT_FALSE(Rotated(empty, "30", 0));
}

TEST(Rotation, ProgressAndCancellation) {
  const TBitmap24 src = Picture(150, 180);
  {
    TRecordingOwner owner;
    TImageRotation rotation(&owner);
    TBitmap24 bmp = src;
    ASSERT_TRUE(rotation.Rotate(bmp, "30", kBack, 0));
    EXPECT_EQ(owner.range, bmp.Height() - 1);
    ASSERT_GE(owner.positions.size(), 3u);
    EXPECT_EQ(owner.positions[0], 0);
    EXPECT_EQ(owner.positions.back(), (bmp.Height() - 1) / 100 * 100);
  }
  {
    TRecordingOwner owner;
    TImageRotation rotation(&owner);
    TBitmap24 bmp = src;
    ASSERT_TRUE(rotation.Rotate(bmp, "30", kBack, 2));
    EXPECT_EQ(owner.range, src.Height() - 1);  // mode 2 walks the source rows
  }
  for (int mode : {0, 1, 2}) {
    TRecordingOwner owner(1);  // busy for the first checkpoint only
    TImageRotation rotation(&owner);
    TBitmap24 bmp = src;
    EXPECT_FALSE(rotation.Rotate(bmp, "30", kBack, mode)) << mode;
    EXPECT_TRUE(bmp.SamePixels(src));
  }
}

TEST(Rotation, ReusesItsBuffersAcrossJobs) {
  const TBitmap24 src = Picture(64, 48);
  TImageRotation rotation;
  TBitmap24 first, second;
  ASSERT_TRUE(rotation.Rotate(src, first, "30", kBack, 0));
  ASSERT_TRUE(rotation.Rotate(src, second, "-30", kWhite, 0));
  ASSERT_TRUE(rotation.Rotate(src, second, "30", kBack, 0));
  EXPECT_TRUE(second.SamePixels(first));
}

// Every input kept from fuzzing (and texts that once went through unchecked arithmetic) must be
// refused cleanly or give a proper picture, in every mode.
TEST(AngleText, FuzzRegressionsReplay) {
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / "angle_text";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  const TBitmap24 src = Picture(7, 5);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string text = ReadWholeFile(entry.path().string());
    SCOPED_TRACE(entry.path().filename().string());
    ++files;
    for (int mode : {0, 1, 2}) {
      TBitmap24 bmp = src;
      TImageRotation rotation;
      if (rotation.Rotate(bmp, text, kBack, mode)) {
        EXPECT_TRUE(!bmp.Empty() && bmp.Width() <= 13 && bmp.Height() <= 13);
      } else {
        EXPECT_TRUE(bmp.SamePixels(src));
      }
    }
  }
  EXPECT_GT(files, 0);
}

namespace {

// The angle must be within the integer range in every mode: past it single precision turns the
// picture by an arbitrary amount.
TEST(ImageRotation, EveryModeRefusesAnglesBeyondTheIntegerRange) {
  const TBitmap24 src = PatternBitmap(9, 7);
  TImageRotation rotation;
  for (int mode : {kRotationBlend, kRotationArea, kRotationHoles}) {
    for (const char* text : {"1e10", "3e9", "-2147483649", "2147483647.5", "-2147483648.5"}) {
      TBitmap24 bmp = src;
      EXPECT_FALSE(rotation.Rotate(bmp, text, kWhite, mode)) << mode << " " << text;
      EXPECT_TRUE(bmp.SamePixels(src));
    }
    for (const char* text : {"2147483647", "-2147483648", "-2147483646.5"}) {
      TBitmap24 bmp = src;
      EXPECT_TRUE(rotation.Rotate(bmp, text, kWhite, mode)) << mode << " " << text;
    }
  }
}

}  // namespace
