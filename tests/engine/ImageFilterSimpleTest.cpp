#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/ImageFilterSimple.h"
#include "tests/TestSupport.h"

namespace {

// Straight from the definition: clamped indices, integer products summed in floating point.
TBitmap24 ReferenceConvolve(const TBitmap24& src, int n, const std::vector<int>& k, int offset,
                            int maximum) {
  if (maximum < 0 || maximum > 255) maximum = 255;
  const int r = static_cast<int>(std::nearbyint((n - 1) / 2.0));
  long long total = 0;
  for (int w : k) total += w;
  TBitmap24 out(src.Width(), src.Height());
  for (int y = 0; y < src.Height(); ++y) {
    for (int x = 0; x < src.Width(); ++x) {
      for (int ch = 0; ch < 3; ++ch) {
        double sum = 0;
        for (int i = 0; i < n; ++i) {
          const int sy = std::clamp(y - r + i, 0, src.Height() - 1);
          for (int j = 0; j < n; ++j) {
            const int sx = std::clamp(x - r + j, 0, src.Width() - 1);
            sum += static_cast<double>(static_cast<long long>(k[i * n + j]) *
                                       src.Row(sy)[3 * sx + ch]);
          }
        }
        sum += offset;
        double v;
        if (total > 0)
          v = std::clamp(std::nearbyint(sum / static_cast<double>(total)), 0.0, 255.0);
        else
          v = sum < 0 ? 0 : (sum > maximum ? maximum : std::nearbyint(sum));
        out.Row(y)[3 * x + ch] = static_cast<std::uint8_t>(v);
      }
    }
  }
  return out;
}

TBitmap24 RandomBitmap(int width, int height, std::mt19937& rng) {
  TBitmap24 bmp(width, height);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int y = 0; y < height; ++y)
    for (int m = 0; m < 3 * width; ++m) bmp.Row(y)[m] = static_cast<std::uint8_t>(byte(rng));
  return bmp;
}

std::string KernelText(const std::string& kind, int n, const std::vector<int>& k, int grey,
                       int level) {
  std::string text = kind;
  text.append(",").append(std::to_string(n));
  for (int w : k) text.append(",").append(std::to_string(w));
  text.append(",").append(std::to_string(grey)).append(",").append(std::to_string(level));
  return text;
}

// Cancels once the given number of busy checks has been answered, and records progress.
class TScriptedOwner : public TEngineOwner {
 public:
  explicit TScriptedOwner(int busy_checks, bool reports = true)
      : busy_checks_(busy_checks), reports_(reports) {}
  bool IsBusy() const override { return busy_checks_-- > 0; }
  bool ReportsProgress() const override { return reports_; }
  void ProgressRange(int max) override { range = max; }
  void Progress(int position) override { positions.push_back(position); }
  void Status(const std::string& text) override { statuses.push_back(text); }
  int range = -1;
  std::vector<int> positions;
  std::vector<std::string> statuses;

 private:
  mutable int busy_checks_;
  bool reports_;
};

std::string Texts(const TImageFilterSimple& f) {
  std::string all;
  for (const TFilterMessage& m : f.Messages()) all += m.text + "|";
  return all;
}

}  // namespace

TEST(ImageFilterSimpleParse, ReadsTheFieldsOfAKernelText) {
  TImageFilterSimple f;
  ASSERT_TRUE(f.ParseKernelText("emb,3,-1,0,0,0,0,0,0,0,1,1,300", false));
  EXPECT_EQ(f.Kind(), TImageFilterSimple::kEmboss);
  EXPECT_EQ(f.KernelSize(), 3);
  EXPECT_EQ(f.Weight(0, 0), -1);
  EXPECT_EQ(f.Weight(2, 2), 1);
  EXPECT_EQ(f.Total(), 0);
  EXPECT_TRUE(f.Grey());
  EXPECT_EQ(f.Level(), 255);  // held to 0..255

  // The dialog's own record form, with its blanks; a level that is no number reads as 128 and
  // a weight that is no number as 1; a grey flag other than 1 is off.
  ASSERT_TRUE(f.ParseKernelText("Std,  3, 1,2,x,1,1,1,1,1,1, 0,abc", false));
  EXPECT_EQ(f.Kind(), TImageFilterSimple::kStandard);
  EXPECT_EQ(f.Weight(0, 2), 1);
  EXPECT_EQ(f.Total(), 10);
  EXPECT_FALSE(f.Grey());
  EXPECT_EQ(f.Level(), 128);

  ASSERT_TRUE(f.ParseKernelText("+em,4," + std::string("1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1") + ",2,-5",
                                false));
  EXPECT_EQ(f.Kind(), TImageFilterSimple::kEmbossAdded);
  EXPECT_EQ(f.KernelSize(), 4);  // even sizes are kept
  EXPECT_FALSE(f.Grey());
  EXPECT_EQ(f.Level(), 0);

  // A 1 x 1 kernel becomes the centre of a 3 x 3 one, so it does not shift the picture.
  ASSERT_TRUE(f.ParseKernelText("UNS,1,7,0,10", false));
  EXPECT_EQ(f.KernelSize(), 3);
  EXPECT_EQ(f.Weight(1, 1), 7);
  EXPECT_EQ(f.Total(), 7);
  EXPECT_TRUE(f.Messages().empty());
}

TEST(ImageFilterSimpleParse, EveryErrorHasItsNumber) {
  struct Case {
    std::string text;
    std::string messages;
  };
  const std::string nine = "1,1,1,1,1,1,1,1,1";
  const std::vector<Case> cases = {
      {"", "KernelData Error(4)|"},
      {"   ", "KernelData Error(4)|"},
      {"XYZ,3," + nine + ",0,128", "KernelData Error(1)|"},
      {"STD,three," + nine + ",0,128", "KernelData Error(2)|KernelData Error(3)|"},
      {"STD", "KernelData Error(2)|KernelData Error(3)|"},
      {"STD,3," + nine + ",0", "KernelData Error(3)|"},  // 12 fields for n = 3
      {"STD,3," + nine + ",0,128,5", "KernelData Error(3)|"},
      {"STD,100000,1,0,128", "KernelData Error(3)|"},  // no n x n allocation for a claim
      {"STD,-2147483648,1,0,128", "KernelData Error(3)|"},
      {"STD,3," + nine + ",on,128", "KernelData Error(5)|"},
  };
  for (const Case& c : cases) {
    TImageFilterSimple f;
    EXPECT_FALSE(f.ParseKernelText(c.text, true)) << c.text;
    EXPECT_EQ(Texts(f), c.messages) << c.text;
    for (const TFilterMessage& m : f.Messages()) EXPECT_EQ(m.caption, "  確認");
  }
  // A kernel larger than the filters take is refused even when the text holds all its weights.
  const int n = TImageFilterSimple::kMaxKernelSize + 1;
  std::string big = "STD," + std::to_string(n);
  for (int k = 0; k < n * n; ++k) big += ",1";
  TImageFilterSimple f;
  EXPECT_FALSE(f.ParseKernelText(big + ",0,128", false));
  EXPECT_EQ(Texts(f), "KernelData Error(5)|");
}

TEST(ImageFilterSimpleKernel, MakeKernelAndShowKernel) {
  TImageFilterSimple f;
  const std::vector<int> box3 = {1, 1, 1, 1, 2, 1, 1, 1, 1};
  ASSERT_TRUE(f.MakeKernel(3, false, false, false, false, 50));
  EXPECT_EQ(f.Kernel(), box3);
  ASSERT_TRUE(f.MakeKernel(1, false, false, true, false, 50));  // below 2: size 3
  EXPECT_EQ(f.Kernel(), box3);
  ASSERT_TRUE(f.MakeKernel(5, false, false, false, false, 50));
  EXPECT_EQ(f.Kernel(), (std::vector<int>{1, 2, 3, 2, 1, 2, 5, 6, 5, 2, 3, 6, 9,
                                          6, 3, 2, 5, 6, 5, 2, 1, 2, 3, 2, 1}));
  ASSERT_TRUE(f.MakeKernel(3, true, true, false, false, 50));
  EXPECT_EQ(f.Weight(1, 1), 8);
  EXPECT_EQ(f.Total(), 16);
  ASSERT_EQ(f.Messages().size(), 1u);
  EXPECT_EQ(f.Messages()[0].caption, "  Filter");
  EXPECT_EQ(f.Messages()[0].text, "   1    1    1 \r\n   1    8    1 \r\n   1    1    1 \r\n");
  // All ones with 90 percent: others 8, centre round(720 / 10) = 72.
  ASSERT_TRUE(f.MakeKernel(3, true, false, false, true, 90));
  EXPECT_EQ(f.Weight(1, 1), 72);

  // The centre cannot carry the whole total; oversized kernels are refused, kernel kept.
  EXPECT_FALSE(f.MakeKernel(3, true, false, false, false, 100));
  EXPECT_FALSE(f.MakeKernel(60000, false, false, false, true, 50));
  EXPECT_EQ(f.Weight(1, 1), 72);

  ASSERT_TRUE(f.MakeKernel(23, false, false, true, false, 50));
  EXPECT_EQ(f.ShowKernel(), "行数が多すぎるためフィルタの表示は中止します。");
  EXPECT_EQ(f.Weight(11, 11), 12);
  EXPECT_EQ(f.Weight(0, 0), 1);
}

TEST(ImageFilterSimpleConvolve, MatchesTheDefinitionBitForBit) {
  std::mt19937 rng(20240611);
  struct Shape {
    int width, height, n;
  };
  // Odd sizes, one-pixel-wide and -high pictures, even kernels and kernels larger than the
  // picture.
  const std::vector<Shape> shapes = {{17, 13, 3}, {1, 9, 3},   {9, 1, 5},  {1, 1, 7},
                                     {5, 4, 9},   {33, 7, 4},  {6, 11, 6}, {2, 2, 2},
                                     {40, 3, 21}, {3, 40, 11}, {71, 5, 5}};
  std::uniform_int_distribution<int> small(-9, 9);
  for (const Shape& s : shapes) {
    for (int round = 0; round < 3; ++round) {
      const TBitmap24 src = RandomBitmap(s.width, s.height, rng);
      std::vector<int> k(static_cast<std::size_t>(s.n) * s.n);
      for (int& w : k) w = round == 0 ? std::abs(small(rng)) : small(rng);
      if (round == 2) k[k.size() / 2] -= std::accumulate(k.begin(), k.end(), 0);  // total 0
      const int offset = round == 2 ? 100 : 0;
      const int maximum = round == 2 ? 180 : 255;
      const TBitmap24 expected = ReferenceConvolve(src, s.n, k, offset, maximum);
      using TUnit = TImageFilterSimple::TVectorUnit;
      for (TUnit unit : {TUnit::kPlain, TUnit::kAvx2, TUnit::kAvx512}) {
        TImageFilterSimple f;
        f.SetVectorUnit(unit);
        ASSERT_TRUE(f.SetKernel(s.n, k));
        TBitmap24 out = src;
        ASSERT_TRUE(f.Convolve(out, offset, maximum));
        EXPECT_TRUE(out.SamePixels(expected))
            << s.width << "x" << s.height << " n=" << s.n << " round " << round << " unit "
            << static_cast<int>(unit);
      }
    }
  }
}

TEST(ImageFilterSimpleConvolve, RoundsTiesToEvenAndTakesLargeWeightsExactly) {
  std::mt19937 rng(7);
  const TBitmap24 src = RandomBitmap(37, 23, rng);
  const std::vector<std::vector<int>> kernels = {
      {1, 1, 0, 0},                          // total 2: every odd sum is a tie
      {1, 1, 1, 1, 0, 1, 1, 1, 1},           // total 8
      {3000, 3000, 0, 0},                    // a large even total with ties
      {5001, 3, 2, 7, 4095, 1, 0, 9, 1000},  // a large odd total
      {-3, 5, 1, 4, 1, -1, 0, 2, 3},         // a small odd total with negative weights
      {40000, -1, 3, 0, 7, 0, 2, 0, 40000},  // beyond 16-bit weights
      {2000000, 2000000, 1, 1},              // sum of weights beyond the 32-bit lanes
      {-70000, 0, 0, 0, 1, 0, 0, 0, 69999},  // total <= 0 with large sums
  };
  for (const std::vector<int>& k : kernels) {
    const int n = static_cast<int>(std::lround(std::sqrt(k.size())));
    for (int offset : {0, 37, -5000}) {
      TImageFilterSimple f;
      ASSERT_TRUE(f.SetKernel(n, k));
      TBitmap24 out = src;
      ASSERT_TRUE(f.Convolve(out, offset, 300));  // a maximum past 255 means 255
      EXPECT_TRUE(out.SamePixels(ReferenceConvolve(src, n, k, offset, 255)))
          << "first weight " << k[0] << " offset " << offset;
    }
  }
}

TEST(ImageFilterSimpleConvolve, NormalisedKernelsKeepAConstantPicture) {
  for (int size : {3, 4, 7, 15}) {
    for (bool grid : {false, true}) {
      TBitmap24 bmp(23, 9);
      bmp.Fill(MakeColor(201, 7, 99));
      TImageFilterSimple f;
      ASSERT_TRUE(f.LowPass(bmp, size, true, 30, false, grid, false));
      TBitmap24 expected(23, 9);
      expected.Fill(MakeColor(201, 7, 99));
      EXPECT_TRUE(bmp.SamePixels(expected)) << size;
    }
  }
  // The identity and the box blur of the kernel text examples.
  std::mt19937 rng(3);
  const TBitmap24 src = RandomBitmap(19, 8, rng);
  TImageFilterSimple f;
  TBitmap24 same = src;
  ASSERT_TRUE(f.RunKernelText(same, "STD,3,0,0,0,0,1,0,0,0,0,0,128"));
  EXPECT_TRUE(same.SamePixels(src));
  TBitmap24 box = src;
  ASSERT_TRUE(f.RunKernelText(box, "STD,3,1,1,1,1,1,1,1,1,1,0,128"));
  EXPECT_TRUE(box.SamePixels(ReferenceConvolve(src, 3, std::vector<int>(9, 1), 0, 255)));
}

TEST(ImageFilterSimpleEffects, EmbossGivesTheLevelOnFlatAreasAndIsClamped) {
  TBitmap24 flat(8, 6);
  flat.Fill(MakeColor(10, 200, 90));
  TImageFilterSimple f;
  ASSERT_TRUE(f.RunKernelText(flat, "EMB,3,-1,0,0,0,0,0,0,0,1,0,128"));
  TBitmap24 grey128(8, 6);
  grey128.Fill(MakeColor(128, 128, 128));
  EXPECT_TRUE(flat.SamePixels(grey128));

  // A step edge: the sum leaves 0..maximum on both sides. Level 10 caps at 32, level 100 at 199.
  TBitmap24 step(6, 6);
  step.FillRect(0, 0, 6, 3, kBlack);
  step.FillRect(0, 3, 6, 6, kWhite);
  for (int level : {10, 100}) {
    TBitmap24 out = step;
    ASSERT_TRUE(f.RunKernelText(out, "emb,3,-1,0,0,0,0,0,0,0,1,0," + std::to_string(level)));
    const int maximum = level < 18 ? 32 : 2 * level - 1;
    EXPECT_TRUE(
        out.SamePixels(ReferenceConvolve(step, 3, {-1, 0, 0, 0, 0, 0, 0, 0, 1}, level, maximum)));
    EXPECT_EQ(ColorRed(out.Pixel(2, 2)), maximum);  // 255 + level, capped
  }
  // A level set out of range is taken as 128 (maximum 255).
  f.SetLevel(300);
  TBitmap24 reset = step;
  ASSERT_TRUE(f.Emboss(reset));
  EXPECT_EQ(f.Level(), 128);
  EXPECT_EQ(ColorRed(reset.Pixel(0, 0)), 128);
  EXPECT_EQ(ColorRed(reset.Pixel(2, 2)), 255);

  TBitmap24 inverse = step;
  ASSERT_TRUE(f.RunKernelText(inverse, "EMB,3,1,0,0,0,0,0,0,0,-1,0,100"));
  EXPECT_EQ(ColorRed(inverse.Pixel(2, 2)), 0);  // -255 + 100 is below 0
}

TEST(ImageFilterSimpleEffects, UnsharpAndAddedEmbossFollowTheirComposition) {
  std::mt19937 rng(11);
  const TBitmap24 src = RandomBitmap(21, 14, rng);
  const std::vector<int> k = {1, 2, 1, 2, 4, 2, 1, 2, 1};

  // UNS: picture + (picture - convolved) at strength 100.
  const TBitmap24 blurred = ReferenceConvolve(src, 3, k, 0, 255);
  TImageFilterSimple f;
  TBitmap24 uns = src;
  ASSERT_TRUE(f.RunKernelText(uns, KernelText("UnS", 3, k, 0, 0)));
  for (int y = 0; y < src.Height(); ++y)
    for (int m = 0; m < 3 * src.Width(); ++m) {
      const int a = src.Row(y)[m], b = blurred.Row(y)[m];
      ASSERT_EQ(uns.Row(y)[m], std::clamp(2 * a - b, 0, 255));
    }

  // +EM with grey: the picture weighted by 1 - level / 255 plus the embossed grey copy.
  const std::vector<int> e = {-1, 0, 0, 0, 0, 0, 0, 0, 1};
  TBitmap24 grey = src;
  for (int y = 0; y < grey.Height(); ++y)
    for (int x = 0; x < grey.Width(); ++x) {
      std::uint8_t* p = grey.Row(y) + 3 * x;
      p[0] = p[1] = p[2] = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
    }
  const TBitmap24 embossed = ReferenceConvolve(grey, 3, e, 60, 119);
  TBitmap24 added = src;
  ASSERT_TRUE(f.RunKernelText(added, KernelText("+Em", 3, e, 1, 60)));
  for (int y = 0; y < src.Height(); ++y)
    for (int m = 0; m < 3 * src.Width(); ++m) {
      const double x = src.Row(y)[m] * (1.0 - 60 / 255.0) + embossed.Row(y)[m];
      ASSERT_EQ(added.Row(y)[m], static_cast<int>(std::min(255.0, std::nearbyint(x))));
    }

  // STD with grey filters the grey picture.
  TBitmap24 grey_box = src;
  ASSERT_TRUE(f.RunKernelText(grey_box, KernelText("STD", 3, k, 1, 0)));
  EXPECT_TRUE(grey_box.SamePixels(ReferenceConvolve(grey, 3, k, 0, 255)));
  EXPECT_TRUE(f.Messages().empty());
}

TEST(ImageFilterSimpleEffects, UnsharpCombineRoundsTiesToEvenAndChecksSizes) {
  TBitmap24 picture(4, 1), blurred(4, 1);
  // a = 10, 11 with b = a - 1 at strength 50: 10.5 -> 10, 11.5 -> 12.
  const std::uint8_t a[12] = {10, 11, 200, 0, 0, 0, 250, 5, 128, 1, 2, 3};
  const std::uint8_t b[12] = {9, 10, 100, 0, 0, 0, 0, 255, 128, 1, 2, 3};
  std::copy(a, a + 12, picture.Row(0));
  std::copy(b, b + 12, blurred.Row(0));
  TImageFilterSimple f;
  ASSERT_TRUE(f.UnsharpCombine(picture, blurred, 50));
  const std::uint8_t expected[12] = {10, 12, 250, 0, 0, 0, 255, 0, 128, 1, 2, 3};
  EXPECT_TRUE(std::equal(expected, expected + 12, picture.Row(0)));

  // Huge and negative strengths saturate exactly as the formula says.
  std::copy(a, a + 12, picture.Row(0));
  ASSERT_TRUE(f.UnsharpCombine(picture, blurred, -2000000000));
  EXPECT_EQ(picture.Row(0)[2], 0);    // 200 + 100 * (-huge)
  EXPECT_EQ(picture.Row(0)[7], 255);  // 5 - 250 * (-huge)
  EXPECT_EQ(picture.Row(0)[8], 128);

  // Unsharp masking combines each blurred row as it is made; the result is that of the two
  // steps, also for strengths that reach past 0..255 and for kernels with huge weights.
  std::mt19937 rng(13);
  const TBitmap24 src = RandomBitmap(45, 31, rng);
  for (int strength : {250, -60, 100}) {
    TImageFilterSimple g;
    TBitmap24 fused = src;
    ASSERT_TRUE(g.UnsharpMask(fused, strength, 5, true, 40, false, false, false));
    TBitmap24 blurred = src;
    ASSERT_TRUE(g.LowPass(blurred, 5, true, 40, false, false, false));
    TBitmap24 two_steps = src;
    ASSERT_TRUE(g.UnsharpCombine(two_steps, blurred, strength));
    EXPECT_TRUE(fused.SamePixels(two_steps)) << strength;
  }
  const std::vector<int> heavy = {70000, 1, 3, 0, 5, 2, 1, 1, 90000};
  TBitmap24 uns = src;
  ASSERT_TRUE(f.RunKernelText(uns, KernelText("UNS", 3, heavy, 0, 0)));
  TBitmap24 two_steps = src;
  ASSERT_TRUE(f.UnsharpCombine(two_steps, ReferenceConvolve(src, 3, heavy, 0, 255), 100));
  EXPECT_TRUE(uns.SamePixels(two_steps));

  TBitmap24 other(3, 1);
  EXPECT_FALSE(f.UnsharpCombine(picture, other, 100));
  EXPECT_EQ(f.LastMessage(), "ピクチャーのサイズが不正です(2)。");

  // Unsharp masking of a flat picture changes nothing.
  TBitmap24 flat(30, 20);
  flat.Fill(MakeColor(3, 130, 250));
  const TBitmap24 before = flat;
  ASSERT_TRUE(f.UnsharpMask(flat, 100, 5, false, 50, false, false, false));
  EXPECT_TRUE(flat.SamePixels(before));
}

TEST(ImageFilterSimpleEffects, CombineTwoAndMakeGrey) {
  TBitmap24 picture(2, 1), second(2, 1);
  const std::uint8_t a[6] = {200, 10, 3, 4, 100, 255};
  const std::uint8_t b[6] = {100, 20, 0, 5, 100, 254};
  auto run = [&](const std::string& op, double ws, double wp) {
    std::copy(a, a + 6, picture.Row(0));
    std::copy(b, b + 6, second.Row(0));
    TImageFilterSimple f;
    EXPECT_TRUE(f.CombineTwo(picture, second, ws, wp, op)) << op;
    return std::vector<int>(picture.Row(0), picture.Row(0) + 6);
  };
  EXPECT_EQ(run("Add", 1, 1), (std::vector<int>{255, 30, 3, 9, 200, 255}));
  EXPECT_EQ(run("SUB", 1, 1), (std::vector<int>{100, 0, 3, 0, 0, 1}));
  EXPECT_EQ(run("ave", 1, 1), (std::vector<int>{150, 15, 2, 4, 100, 254}));  // 1.5->2, 4.5->4
  EXPECT_EQ(run("cal", 0.5, 1.0), (std::vector<int>{250, 20, 3, 6, 150, 255}));
  EXPECT_EQ(run("Cal", -1.0, 1.0), (std::vector<int>{100, 0, 3, 0, 0, 1}));  // never wraps

  TImageFilterSimple f;
  EXPECT_FALSE(f.CombineTwo(picture, second, 1, 1, "mul"));
  EXPECT_EQ(f.LastMessage(), "予定外の呼び出しです。");
  TBitmap24 small(1, 1);
  EXPECT_FALSE(f.CombineTwo(picture, small, 1, 1, "add"));
  EXPECT_EQ(f.LastMessage(), "２つのピクチャーのサイズが異なっています。");

  TBitmap24 colour(1, 1);
  colour.SetPixel(0, 0, MakeColor(10, 20, 32));
  ASSERT_TRUE(f.MakeGrey(colour));
  EXPECT_EQ(colour.Pixel(0, 0), MakeColor(20, 20, 20));
}

TEST(ImageFilterSimpleLimits, RefusedSizesAndCancellationLeaveThePictureAlone) {
  TImageFilterSimple f;
  ASSERT_TRUE(f.MakeKernel(3, false, false, false, true, 50));
  for (auto [w, h] : {std::pair{5001, 1}, std::pair{2000, 2001}}) {
    TBitmap24 big(w, h);
    big.Fill(kWhite);
    const std::uint8_t* data = big.Data();
    EXPECT_FALSE(f.Convolve(big, 0, 255));
    EXPECT_FALSE(f.MakeGrey(big));
    EXPECT_FALSE(f.RunKernelText(big, "STD,3,1,1,1,1,1,1,1,1,1,1,128"));
    EXPECT_EQ(big.Data(), data);
    EXPECT_EQ(big.Width(), w);
  }
  TBitmap24 empty;
  EXPECT_FALSE(f.Convolve(empty, 0, 255));

  std::mt19937 rng(5);
  const TBitmap24 src = RandomBitmap(9, 350, rng);
  {
    // Rows 0, 100 and 200 pass; the check at row 300 cancels.
    TScriptedOwner owner(3);
    TImageFilterSimple g(&owner);
    TBitmap24 bmp = src;
    EXPECT_FALSE(g.LowPass(bmp, 3, false, 50, false, false, false));
    EXPECT_TRUE(bmp.SamePixels(src));
    EXPECT_EQ(owner.range, 349);
    EXPECT_EQ(owner.positions, (std::vector<int>{0, 0, 100, 200}));
    EXPECT_EQ(owner.statuses, (std::vector<std::string>{"LowPassFilter"}));
  }
  // Cancelled in each stage of the composite effects: the picture stays as it was.
  for (const char* text : {"UNS,3,1,1,1,1,1,1,1,1,1,1,0", "+EM,3,1,0,0,0,0,0,0,0,-1,1,9",
                           "EMB,3,1,0,0,0,0,0,0,0,-1,1,9"}) {
    for (int checks = 0; checks < 12; ++checks) {
      TScriptedOwner owner(checks, false);
      TImageFilterSimple g(&owner);
      TBitmap24 bmp = src;
      if (!g.RunKernelText(bmp, text)) {
        EXPECT_TRUE(bmp.SamePixels(src)) << text << checks;
      }
    }
  }
  {
    TScriptedOwner owner(1000);
    TImageFilterSimple g(&owner);
    TBitmap24 bmp = src;
    ASSERT_TRUE(g.RunKernelText(bmp, "+EM,3,1,0,0,0,0,0,0,0,-1,1,9"));
    EXPECT_EQ(owner.statuses, (std::vector<std::string>{"+Embossing", "Cal_Caliculate"}));
  }
  // A text that does not parse is not applied.
  TBitmap24 bmp = src;
  EXPECT_FALSE(f.RunKernelText(bmp, "STD,3,1,1,1,1,1,1,1,1,1,0"));
  EXPECT_TRUE(bmp.SamePixels(src));
}

TEST(ImageFilterSimpleFuzzRegressions, EveryKeptInputIsHandled) {
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / "kernel_text";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no kept inputs";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string text = ReadWholeFile(entry.path().string());
    TImageFilterSimple f;
    const TBitmap24 before = PatternBitmap(7, 5);
    TBitmap24 bmp = before;
    if (!f.RunKernelText(bmp, text)) {
      EXPECT_TRUE(bmp.SamePixels(before)) << entry.path();
    }
    EXPECT_EQ(bmp.Width(), 7) << entry.path();
  }
}
