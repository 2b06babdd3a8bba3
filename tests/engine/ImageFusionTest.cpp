#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/ImageCanvasEdit.h"
#include "engine/ImageFusion.h"
#include "tests/TestSupport.h"

namespace {

TBitmap24 Plain(int w, int h, TColor c) {
  TBitmap24 b(w, h);
  b.Fill(c);
  return b;
}

TColor Grey(int v) { return MakeColor(v, v, v); }

class FuseTest : public ::testing::Test {
 protected:
  bool Run(const TBitmap24& a, const TBitmap24& b, const std::string& settings) {
    return Fuse(a, b, top_, left_, settings, result_, &reason_);
  }
  TBitmap24 result_;
  int top_ = -1, left_ = -1;
  std::string reason_;
};

TEST_F(FuseTest, AverageInTheCentreKeepsTheSizeOfA) {
  const TBitmap24 a = Plain(100, 80, Grey(200)), b = Plain(40, 20, Grey(100));
  ASSERT_TRUE(Run(a, b, "C,C,50,50,1,0,1,16777215"));
  EXPECT_EQ(left_, 30);
  EXPECT_EQ(top_, 30);
  ASSERT_EQ(result_.Width(), 100);
  ASSERT_EQ(result_.Height(), 80);
  EXPECT_EQ(result_.Pixel(30, 30), Grey(150));
  EXPECT_EQ(result_.Pixel(69, 49), Grey(150));
  // Outside B, B counts as 0: A at half.
  EXPECT_EQ(result_.Pixel(29, 30), Grey(100));
  EXPECT_EQ(result_.Pixel(70, 49), Grey(100));
  EXPECT_EQ(result_.Pixel(50, 50), Grey(100));
}

TEST_F(FuseTest, RightOfAGrowsAndLeavesUncoveredCanvasWhite) {
  const TBitmap24 a = PatternBitmap(100, 80), b = PatternBitmap(40, 20);
  ASSERT_TRUE(Run(a, b, "RR,T,100,100,1,0,0,16777215"));
  EXPECT_EQ(left_, 100);
  EXPECT_EQ(top_, 0);
  ASSERT_EQ(result_.Width(), 140);
  ASSERT_EQ(result_.Height(), 80);
  EXPECT_EQ(result_.Pixel(37, 61), a.Pixel(37, 61));
  EXPECT_EQ(result_.Pixel(100 + 13, 19), b.Pixel(13, 19));
  EXPECT_EQ(result_.Pixel(100, 20), kWhite);
  EXPECT_EQ(result_.Pixel(139, 79), kWhite);

  // A non-white canvas colour fills what neither picture covers.
  ASSERT_TRUE(Run(a, b, "RR,T,100,100,1,0,0,255"));
  EXPECT_EQ(result_.Pixel(120, 50), MakeColor(255, 0, 0));
  EXPECT_EQ(result_.Pixel(37, 61), a.Pixel(37, 61));
}

TEST_F(FuseTest, NegativePlacesGrowToTheLeftAndTop) {
  const TBitmap24 a = Plain(50, 40, Grey(10)), b = Plain(20, 10, Grey(20));
  ASSERT_TRUE(Run(a, b, "LL,-5,100,100,1,0,0,16777215"));
  EXPECT_EQ(left_, -20);
  EXPECT_EQ(top_, -5);
  ASSERT_EQ(result_.Width(), 70);
  ASSERT_EQ(result_.Height(), 45);
  EXPECT_EQ(result_.Pixel(0, 0), Grey(20));   // B
  EXPECT_EQ(result_.Pixel(20, 5), Grey(10));  // A's corner
  EXPECT_EQ(result_.Pixel(19, 44), kWhite);   // below B, left of A
  EXPECT_EQ(result_.Pixel(30, 0), kWhite);    // above A, right of B

  // Keeping A's size, the part of B beyond A is cut off.
  ASSERT_TRUE(Run(a, b, "-15,-5,100,100,4,0,1,16777215"));
  ASSERT_EQ(result_.Width(), 50);
  EXPECT_EQ(result_.Pixel(4, 4), Grey(20));
  EXPECT_EQ(result_.Pixel(5, 4), Grey(10));
  EXPECT_EQ(result_.Pixel(4, 5), Grey(10));
}

TEST_F(FuseTest, ModeTwoWithOppositeWeightsGivesTheDifference) {
  const TBitmap24 a = PatternBitmap(30, 20);
  TBitmap24 b(30, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) b.SetPixel(x, y, MakeColor(x * 9, 255 - y * 11, 77));
  ASSERT_TRUE(Run(a, b, "L,T,100,-100,2,0,1,16777215"));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const TColor p = a.Pixel(x, y), q = b.Pixel(x, y), r = result_.Pixel(x, y);
      ASSERT_EQ(ColorRed(r), std::abs(ColorRed(p) - ColorRed(q)));
      ASSERT_EQ(ColorGreen(r), std::abs(ColorGreen(p) - ColorGreen(q)));
      ASSERT_EQ(ColorBlue(r), std::abs(ColorBlue(p) - ColorBlue(q)));
    }
  // Mode 1 with the same weights clamps the negative differences to 0.
  ASSERT_TRUE(Run(Plain(2, 2, Grey(10)), Plain(2, 2, Grey(30)), "L,T,100,-100,1,0,1,0"));
  EXPECT_EQ(result_.Pixel(1, 1), Grey(0));
}

TEST_F(FuseTest, WeightedSumsRoundHalfToEven) {
  // 0.5 x 1 + 0.5 x 2 = 1.5 -> 2; 0.5 x 1 + 0.5 x 4 = 2.5 -> 2; 0.5 x 255 + 0.5 x 0 = 127.5 -> 128.
  const TBitmap24 a = Plain(1, 1, MakeColor(1, 1, 255)), b = Plain(1, 1, MakeColor(2, 4, 0));
  ASSERT_TRUE(Run(a, b, "L,T,50,50,1,0,1,16777215"));
  EXPECT_EQ(result_.Pixel(0, 0), MakeColor(2, 2, 128));
  ASSERT_TRUE(Run(a, b, "L,T,300,300,1,0,1,16777215"));
  EXPECT_EQ(result_.Pixel(0, 0), MakeColor(9, 15, 255));
}

TEST_F(FuseTest, BrightnessVariantLightensWhatOnlyOnePictureCovers) {
  const TBitmap24 a = Plain(10, 10, Grey(100)), b = Plain(4, 4, Grey(60));
  ASSERT_TRUE(Run(a, b, "0,0,50,50,-1,100,1,16777215"));
  EXPECT_EQ(result_.Pixel(0, 0), Grey(80));
  EXPECT_EQ(result_.Pixel(5, 5), Grey(100));  // full brightness outside the overlap
  ASSERT_TRUE(Run(a, b, "0,0,50,50,-1,150,0,16777215"));
  EXPECT_EQ(result_.Pixel(5, 5), Grey(150));
  // -2 takes the absolute value first, also where one picture covers.
  ASSERT_TRUE(Run(a, b, "0,0,-50,-50,-2,100,1,16777215"));
  EXPECT_EQ(result_.Pixel(0, 0), Grey(80));
  EXPECT_EQ(result_.Pixel(5, 5), Grey(100));
  EXPECT_FALSE(Run(a, b, "0,0,50,50,-1,x,1,16777215"));
}

TEST_F(FuseTest, PriorityModesAndKeyColours) {
  TBitmap24 a = Plain(6, 6, Grey(40)), b = Plain(6, 6, Grey(90));
  a.SetPixel(3, 0, kWhite);  // A's top centre: key for code TC
  a.SetPixel(1, 1, kWhite);
  b.SetPixel(0, 0, kBlack);  // B's top left: key for code TL
  b.SetPixel(2, 2, kBlack);
  b.SetPixel(0, 5, Grey(1));  // B's lower left
  b.SetPixel(5, 3, kBlack);
  ASSERT_TRUE(Run(a, b, "2,0,100,50,3,0,0,16777215"));
  EXPECT_EQ(result_.Pixel(3, 1), Grey(40));  // A in front
  EXPECT_EQ(result_.Pixel(7, 0), Grey(45));  // only B, weighted
  ASSERT_TRUE(Run(a, b, "2,0,100,50,4,0,0,16777215"));
  EXPECT_EQ(result_.Pixel(3, 1), Grey(45));  // B in front

  ASSERT_TRUE(Run(a, b, "2,0,100,50,-3,tc,0,16777215"));
  EXPECT_EQ(result_.Pixel(1, 1), kWhite);    // A's key, nothing behind: canvas
  EXPECT_EQ(result_.Pixel(3, 0), Grey(45));  // A's key over B: B shows
  EXPECT_EQ(result_.Pixel(2, 0), Grey(40));
  // A's key where only A lies leaves the canvas colour.
  ASSERT_TRUE(Run(a, b, "2,0,100,50,-3,TC,0,255"));
  EXPECT_EQ(result_.Pixel(1, 1), MakeColor(255, 0, 0));

  ASSERT_TRUE(Run(a, b, "2,0,100,50,-4,TL,0,16777215"));
  EXPECT_EQ(result_.Pixel(2, 0), Grey(40));  // B's key over A: A shows
  EXPECT_EQ(result_.Pixel(4, 2), Grey(40));
  EXPECT_EQ(result_.Pixel(3, 0), Grey(45));
  EXPECT_EQ(result_.Pixel(7, 5), Grey(45));
  EXPECT_EQ(result_.Pixel(7, 3), kWhite);  // B's key where only B lies: canvas
  // -4 knows only TL and CC: TC falls back to the lower-left pixel.
  ASSERT_TRUE(Run(a, b, "2,0,100,50,-4,TC,0,16777215"));
  EXPECT_EQ(result_.Pixel(2, 5), Grey(40));
  EXPECT_EQ(result_.Pixel(2, 0), kBlack);
}

TEST_F(FuseTest, BadSettingsAndOversizedCanvasesFail) {
  const TBitmap24 a = Plain(20, 10, Grey(1)), b = Plain(10, 10, Grey(2));
  const TBitmap24 sentinel = Plain(1, 1, kBlack);
  for (const char* bad :
       {"L,T,50,50,1,0,0", "L,T,50,50,1,0,0,0,0", "", "L,T,x,50,1,0,0,0", "L,T,50,5.0,1,0,0,0",
        "L,T,50,50,,0,0,0", "L,T,50,50,1,0,0,white", "L,T,50,50,5,0,0,0", "L,T,50,50,0,0,0,0",
        "L,T,50,50,-5,0,0,0", "2147483647,0,50,50,1,0,0,0", "0,-2147483648,50,50,1,0,0,0",
        "4991,0,50,50,1,0,0,0"}) {
    result_ = sentinel;
    EXPECT_FALSE(Run(a, b, bad)) << bad;
    EXPECT_FALSE(reason_.empty()) << bad;
    EXPECT_TRUE(result_.SamePixels(sentinel)) << bad;
  }
  EXPECT_FALSE(Run(TBitmap24(), b, "L,T,50,50,1,0,0,0"));
  EXPECT_FALSE(Run(a, TBitmap24(), "L,T,50,50,1,0,0,0"));
  // Far outside but kept at A's size: nothing of B shows.
  ASSERT_TRUE(Run(a, b, "2147483647,-2147483648,100,50,1,0,1,0"));
  EXPECT_EQ(result_.Pixel(0, 0), Grey(1));
  // Unknown place names read as 0.
  ASSERT_TRUE(Run(a, b, "X,Y,0,100,1,0,1,0"));
  EXPECT_EQ(left_, 0);
  EXPECT_EQ(result_.Pixel(0, 0), Grey(2));
}

TEST_F(FuseTest, ResultMayBeOneOfThePictures) {
  TBitmap24 a = PatternBitmap(30, 20);
  const TBitmap24 b = Plain(10, 10, Grey(0));
  const TBitmap24 expected_a = a;
  TBitmap24 expected;
  int t = 0, l = 0;
  ASSERT_TRUE(Fuse(expected_a, b, t, l, "RR,BB,100,100,1,0,0,0", expected));
  ASSERT_TRUE(Fuse(a, b, t, l, "RR,BB,100,100,1,0,0,0", a));
  EXPECT_TRUE(a.SamePixels(expected));
}

TEST(MapChannelValuesTest, ThresholdsSearchFromTheLastEntry) {
  TBitmap24 source(256, 1);
  for (int x = 0; x < 256; ++x) source.SetPixel(x, 0, MakeColor(x, 255 - x, x / 2));
  TBitmap24 result;
  // Two tones: below 128 -> 0, from 128 -> 255.
  ASSERT_TRUE(TImageCanvasEdit::MapChannelValues(source, result, false, {0, 255}, {0, 128}));
  EXPECT_EQ(result.Pixel(127, 0), MakeColor(0, 255, 0));
  EXPECT_EQ(result.Pixel(128, 0), MakeColor(255, 0, 0));
  // The last matching entry wins, not the closest one.
  ASSERT_TRUE(TImageCanvasEdit::MapChannelValues(source, result, false, {1, 2, 3}, {10, 100, 50}));
  EXPECT_EQ(ColorRed(result.Pixel(120, 0)), 3);
  EXPECT_EQ(ColorRed(result.Pixel(60, 0)), 3);
  EXPECT_EQ(ColorRed(result.Pixel(20, 0)), 1);
  EXPECT_EQ(ColorRed(result.Pixel(5, 0)), 5);  // below every entry: unchanged
}

TEST(MapChannelValuesTest, ExactMatchesOnlyAndChecks) {
  TBitmap24 source = Plain(4, 1, kBlack);
  source.SetPixel(0, 0, MakeColor(0, 1, 2));
  source.SetPixel(1, 0, MakeColor(5, 254, 255));
  TBitmap24 result;
  ASSERT_TRUE(TImageCanvasEdit::MapChannelValues(source, result, true, {2, 2, 7, 8}, {0, 1, 5, 5}));
  EXPECT_EQ(result.Pixel(0, 0), MakeColor(2, 2, 2));
  EXPECT_EQ(result.Pixel(1, 0), MakeColor(8, 254, 255));
  // In place works too.
  ASSERT_TRUE(TImageCanvasEdit::MapChannelValues(source, source, true, {9}, {255}));
  EXPECT_EQ(source.Pixel(1, 0), MakeColor(5, 254, 9));

  const TBitmap24 sentinel = Plain(1, 1, kBlack);
  result = sentinel;
  EXPECT_FALSE(TImageCanvasEdit::MapChannelValues(source, result, true, {1, 2}, {1}));
  EXPECT_FALSE(TImageCanvasEdit::MapChannelValues(TBitmap24(), result, true, {}, {}));
  EXPECT_FALSE(TImageCanvasEdit::MapChannelValues(Plain(5001, 1, 0), result, true, {}, {}));
  EXPECT_TRUE(result.SamePixels(sentinel));
}

}  // namespace
