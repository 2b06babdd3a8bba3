#include <gtest/gtest.h>

#include <string>

#include "engine/ImageOption.h"
#include "tests/TestSupport.h"
#include "tests/engine/BlockFontRasteriser.h"

namespace {

constexpr TColor kGrey = 0x808080;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;
constexpr TColor kBlue = 0xFF0000;

// 12 points is a 16 pixel font: block-font cells are 8 x 16, glyphs 6 x 14 inside them.
std::string Settings(const std::string& x, const std::string& y, const std::string& text,
                     int blend = 0, int angle = 0, int keep = 0, TColor color = kRed,
                     TColor back = kGreen, TColor canvas = kBlue) {
  return x + "," + y + ",Block,0,12," + std::to_string(color) + "," + text + "," +
         std::to_string(blend) + "," + std::to_string(back) + "," + std::to_string(canvas) + "," +
         std::to_string(angle) + "," + std::to_string(keep);
}

TBitmap24 Plain(int w, int h, TColor c) {
  TBitmap24 b(w, h);
  b.Fill(c);
  return b;
}

// Bounding box of the pixels of one colour.
struct TBox {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};
TBox BoxOf(const TBitmap24& b, TColor c) {
  TBox box;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) == c) {
        box.left = std::min(box.left, x), box.right = std::max(box.right, x);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
      }
  return box;
}

class DrawTextTest : public ::testing::Test {
 protected:
  bool Draw(const TBitmap24& source, const std::string& settings) {
    return DrawText(source, result_, settings, font_, left_, top_, &reason_);
  }
  TBlockFontRasteriser font_;
  TBitmap24 result_;
  int left_ = -1, top_ = -1;
  std::string reason_;
};

TEST_F(DrawTextTest, CentredOpaqueBlockShowsItsBackground) {
  const TBitmap24 source = Plain(100, 60, kGrey);
  ASSERT_TRUE(Draw(source, Settings("C", "c", "AB")));
  // Block: 2 cells of 8 plus 2 = 18 wide, 16 + 2 = 18 high.
  EXPECT_EQ(left_, 41);
  EXPECT_EQ(top_, 21);
  ASSERT_EQ(result_.Width(), 100);
  ASSERT_EQ(result_.Height(), 60);
  const TBox back = BoxOf(result_, kGreen);
  EXPECT_EQ(back.left, 41);
  EXPECT_EQ(back.top, 21);
  EXPECT_EQ(back.Width(), 18);
  EXPECT_EQ(back.Height(), 18);
  // Text starts at (1, 1) in the block; the first glyph is one pixel inside its cell.
  const TBox text = BoxOf(result_, kRed);
  EXPECT_EQ(text.left, 41 + 2);
  EXPECT_EQ(text.top, 21 + 2);
  EXPECT_EQ(text.right, 41 + 1 + 16 - 2);
  EXPECT_EQ(result_.Pixel(40, 21), kGrey);
  EXPECT_TRUE(font_.last_smooth);
}

TEST_F(DrawTextTest, OutsidePositionsGrowTheCanvasOrFailWhenKeepingSize) {
  const TBitmap24 source = Plain(100, 60, kGrey);
  ASSERT_TRUE(Draw(source, Settings("RR", "T", "AB")));
  ASSERT_EQ(result_.Width(), 118);
  ASSERT_EQ(result_.Height(), 60);
  EXPECT_EQ(left_, 100);
  EXPECT_EQ(top_, 0);
  EXPECT_EQ(result_.Pixel(99, 59), kGrey);
  EXPECT_EQ(result_.Pixel(100, 0), kGreen);
  EXPECT_EQ(result_.Pixel(110, 30), kBlue);  // below the block: canvas colour

  ASSERT_TRUE(Draw(source, Settings("LL", "TT", "AB")));
  ASSERT_EQ(result_.Width(), 118);
  ASSERT_EQ(result_.Height(), 78);
  EXPECT_EQ(left_, 0);
  EXPECT_EQ(top_, 0);
  EXPECT_EQ(result_.Pixel(18, 18), kGrey);
  EXPECT_EQ(result_.Pixel(17, 30), kBlue);

  const TBitmap24 sentinel = Plain(3, 3, kBlack);
  for (const char* x : {"RR", "LL"}) {
    result_ = sentinel;
    EXPECT_FALSE(Draw(source, Settings(x, "T", "AB", 0, 0, 1))) << x;
    EXPECT_TRUE(result_.SamePixels(sentinel));
  }
  EXPECT_FALSE(Draw(source, Settings("L", "BB", "AB", 0, 0, 1)));
  EXPECT_FALSE(Draw(source, Settings("101", "0", "AB", 0, 0, 1)));
  EXPECT_FALSE(Draw(source, Settings("0", "61", "AB", 0, 0, 1)));
}

TEST_F(DrawTextTest, KeepSizeCutsTheBlockAtEveryEdge) {
  const TBitmap24 source = Plain(100, 60, kGrey);
  // Five columns cut off the start: the second glyph (block columns 10..15) lands at 5..10.
  ASSERT_TRUE(Draw(source, Settings("-5", "-3", "AB", 0, 0, 1)));
  ASSERT_EQ(result_.Width(), 100);
  EXPECT_EQ(left_, 0);
  EXPECT_EQ(top_, 0);
  EXPECT_EQ(BoxOf(result_, kGreen).Width(), 13);
  EXPECT_EQ(BoxOf(result_, kGreen).Height(), 15);
  EXPECT_EQ(BoxOf(result_, kRed).right, 10);
  EXPECT_EQ(BoxOf(result_, kRed).top, 0);  // glyph rows 2.. moved up by 3

  ASSERT_TRUE(Draw(source, Settings("R", "B", "AB", 0, 0, 1)));
  EXPECT_EQ(left_, 82);
  EXPECT_EQ(top_, 42);
  ASSERT_TRUE(Draw(source, Settings("95", "50", "AB", 0, 0, 1)));
  EXPECT_EQ(BoxOf(result_, kGreen).Width() + BoxOf(result_, kGreen).left, 100);
  EXPECT_EQ(BoxOf(result_, kGreen).bottom, 59);

  // Placed exactly at the right edge or wholly left of the picture: nothing to draw.
  ASSERT_TRUE(Draw(source, Settings("100", "0", "AB", 0, 0, 1)));
  EXPECT_TRUE(result_.SamePixels(source));
  ASSERT_TRUE(Draw(source, Settings("-40", "0", "AB", 0, 0, 1)));
  EXPECT_TRUE(result_.SamePixels(source));
}

TEST_F(DrawTextTest, TwoLinesAreOneLineHeightApart) {
  const TBitmap24 source = Plain(40, 60, kGrey);
  ASSERT_TRUE(Draw(source, Settings("0", "0", "A(@CRLF)B")));
  // 8 + 2 wide, 2 x 16 + 2 high.
  EXPECT_EQ(BoxOf(result_, kGreen).Width(), 10);
  EXPECT_EQ(BoxOf(result_, kGreen).Height(), 34);
  EXPECT_EQ(result_.Pixel(4, 2), kRed);
  EXPECT_EQ(result_.Pixel(4, 15), kRed);
  EXPECT_EQ(result_.Pixel(4, 16), kGreen);
  EXPECT_EQ(result_.Pixel(4, 17), kGreen);
  EXPECT_EQ(result_.Pixel(4, 18), kRed);  // 16 rows below the first line's top glyph row
  EXPECT_EQ(result_.Pixel(4, 31), kRed);
  EXPECT_EQ(result_.Pixel(4, 32), kGreen);

  // A lone line feed breaks the line too.
  TBitmap24 lf;
  int l = 0, t = 0;
  TTextSettings parsed;
  ASSERT_TRUE(ParseTextSettings(Settings("0", "0", "A"), parsed));
  parsed.text = "A\nB";
  ASSERT_TRUE(DrawText(source, lf, parsed, font_, l, t));
  EXPECT_TRUE(lf.SamePixels(result_));
}

TEST_F(DrawTextTest, QuarterTurnsTurnTheBlock) {
  const TBitmap24 source = Plain(60, 60, kGrey);
  ASSERT_TRUE(Draw(source, Settings("0", "0", "ABC", 0, 900)));
  // w = 26, h = 18: turned, the block is 18 wide and 26 high.
  EXPECT_EQ(BoxOf(result_, kGreen).Width(), 18);
  EXPECT_EQ(BoxOf(result_, kGreen).Height(), 26);
  const TBox turned = BoxOf(result_, kRed);
  EXPECT_GT(turned.Height(), turned.Width());
  const TBitmap24 at_900 = result_;

  // -900 is read as 2700: text reading upwards, its first glyph at the bottom.
  ASSERT_TRUE(Draw(source, Settings("0", "0", "ABC", 0, -900)));
  const TBitmap24 at_minus_900 = result_;
  ASSERT_TRUE(Draw(source, Settings("0", "0", "ABC", 0, 2700)));
  EXPECT_TRUE(result_.SamePixels(at_minus_900));
  EXPECT_FALSE(result_.SamePixels(at_900));
  EXPECT_EQ(BoxOf(result_, kGreen).Height(), 26);
  EXPECT_EQ(result_.Pixel(5, 23), kRed);  // first glyph: rows 18..23
  EXPECT_EQ(result_.Pixel(5, 24), kGreen);
  EXPECT_EQ(result_.Pixel(5, 2), kRed);  // third glyph: rows 2..7

  // A full turn either way is no turn at all.
  ASSERT_TRUE(Draw(source, Settings("0", "0", "ABC", 0, 0)));
  const TBitmap24 upright = result_;
  for (int angle : {3600, -3600, 7200}) {
    ASSERT_TRUE(Draw(source, Settings("0", "0", "ABC", 0, angle)));
    EXPECT_TRUE(result_.SamePixels(upright)) << angle;
  }
}

TEST_F(DrawTextTest, ObliqueAnglesKeepEveryGlyphInsideTheBlock) {
  const TBitmap24 source = Plain(200, 200, kGrey);
  // Six glyphs of 6 x 14 pixels: a block laid out wrongly would cut some of them off.
  for (int angle : {150, 450, 899, 1200, 1800, 2250, 2699, 3150}) {
    ASSERT_TRUE(Draw(source, Settings("50", "50", "WXYZ(@CRLF)AB", 0, angle))) << angle;
    int text = 0;
    for (int y = 0; y < result_.Height(); ++y)
      for (int x = 0; x < result_.Width(); ++x) text += result_.Pixel(x, y) == kRed;
    EXPECT_NEAR(text, 6 * 84, 6 * 84 / 10) << angle;
    EXPECT_EQ(result_.Width(), 200) << angle;
  }
}

TEST_F(DrawTextTest, BlendedBlocksHideTheirBackgroundAndMixText) {
  const TBitmap24 source = Plain(60, 40, MakeColor(100, 100, 100));
  ASSERT_TRUE(Draw(source, Settings("0", "0", "A", 2, 0, 0, MakeColor(255, 0, 51))));
  EXPECT_FALSE(font_.last_smooth);
  EXPECT_EQ(BoxOf(result_, kGreen).right, -1);  // background invisible
  // Half of each: round(50) + round(127.5 -> 128), round(0), round(25.5 -> 26).
  EXPECT_EQ(result_.Pixel(3, 3), MakeColor(178, 50, 76));
  EXPECT_EQ(result_.Pixel(0, 0), MakeColor(100, 100, 100));

  const TBitmap24 bright = Plain(60, 40, MakeColor(255, 100, 100));
  ASSERT_TRUE(Draw(bright, Settings("0", "0", "A", -1, 0, 0, MakeColor(10, 200, 50))));
  // Added, but subtracted where the channel is full or the sum passes 255.
  EXPECT_EQ(result_.Pixel(3, 3), MakeColor(245, 0, 150));
  EXPECT_EQ(result_.Pixel(0, 0), MakeColor(255, 100, 100));
}

TEST_F(DrawTextTest, EmptyTextCopiesAndBadSettingsFail) {
  const TBitmap24 source = PatternBitmap(30, 20);
  ASSERT_TRUE(Draw(source, Settings("C", "C", "")));
  EXPECT_TRUE(result_.SamePixels(source));
  EXPECT_EQ(left_, 0);

  const TBitmap24 sentinel = Plain(2, 2, kBlack);
  const std::string good = Settings("C", "C", "A");
  for (const std::string& bad :
       {std::string(), good + ",1", good.substr(0, good.rfind(',')),
        std::string("C,C,F,x,12,0,A,0,0,0,0,0"), std::string("C,C,F,0,1.5,0,A,0,0,0,0,0"),
        std::string("C,C,F,0,12,red,A,0,0,0,0,0"), std::string("C,C,F,0,12,0,A,0,0,0,9e9,0"),
        std::string("C,C,F,0,12,0,A,0,0,0,0,"),
        std::string("C,C,F,0,12,0,A,0,0,0,0,99999999999")}) {
    result_ = sentinel;
    EXPECT_FALSE(Draw(source, bad)) << bad;
    EXPECT_FALSE(reason_.empty());
    EXPECT_TRUE(result_.SamePixels(sentinel)) << bad;
  }
  // Blend and colours that are not numbers fall back to opaque on white.
  ASSERT_TRUE(Draw(Plain(40, 30, kGrey), "0,0,F,0,12,255,A,x,y,z,0,0"));
  EXPECT_EQ(result_.Pixel(1, 1), kWhite);
  EXPECT_EQ(result_.Pixel(3, 3), kRed);

  EXPECT_FALSE(Draw(Plain(5001, 1, kGrey), good));
  font_.fail_draw = true;
  result_ = sentinel;
  EXPECT_FALSE(Draw(source, good));
  EXPECT_TRUE(result_.SamePixels(sentinel));
}

TEST_F(DrawTextTest, UntrustedSizesFailWithoutHugeAllocations) {
  const TBitmap24 source = Plain(50, 50, kGrey);
  // Positions far outside would grow the canvas past the limit.
  EXPECT_FALSE(Draw(source, Settings("2147483647", "0", "A")));
  EXPECT_FALSE(Draw(source, Settings("-2147483648", "-2147483648", "A")));
  EXPECT_FALSE(Draw(source, Settings("2147483647", "0", "A", 0, 0, 1)));
  // Fonts no block can hold.
  EXPECT_FALSE(Draw(source, "0,0,F,0,2147483647,0,A,0,0,0,0,0"));
  EXPECT_FALSE(Draw(source, "0,0,F,0,-2147483648,0,A,0,0,0,0,0"));
  // Blend and angle at the ends of the integer range.
  EXPECT_TRUE(Draw(source, Settings("0", "0", "A", -2147483647 - 1, 2147483647)));
  EXPECT_TRUE(Draw(source, Settings("0", "0", "A", 2147483647, -2147483647 - 1)));
  // Megabytes of text, on one line and on many.
  EXPECT_FALSE(Draw(source, Settings("0", "0", std::string(3 << 20, 'W'))));
  EXPECT_FALSE(Draw(source, Settings("0", "0", std::string(900000, 'W'))));
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "W(@CRLF)";
  EXPECT_FALSE(Draw(source, Settings("0", "0", many)));
}

TEST_F(DrawTextTest, DrawsOntoItsOwnSource) {
  TBitmap24 picture = PatternBitmap(40, 30);
  const TBitmap24 original = picture;
  int l = 0, t = 0;
  ASSERT_TRUE(DrawText(picture, picture, Settings("RR", "C", "AB"), font_, l, t));
  EXPECT_EQ(picture.Width(), 58);
  EXPECT_EQ(l, 40);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(picture.Pixel(x, y), original.Pixel(x, y));
}

TEST(TextSettingsTest, ReadsStylesSizesAndEscapes) {
  TTextSettings s;
  ASSERT_TRUE(
      ParseTextSettings(" rr ,bb, IPAGothic ,1011,12,255,a(@COM)b(@SLA)c(@CRLF)d,-3,"
                        "65280,16711680,-900,1",
                        s));
  EXPECT_EQ(s.font.family, "IPAGothic");
  EXPECT_TRUE(s.font.bold);
  EXPECT_TRUE(s.font.italic);
  EXPECT_FALSE(s.font.underline);
  EXPECT_TRUE(s.font.strike_out);
  EXPECT_EQ(s.font.size, 12);
  EXPECT_EQ(s.color, kRed);
  EXPECT_EQ(s.text, "a,b/c\r\nd");
  EXPECT_EQ(s.blend, -3);
  EXPECT_EQ(s.back_color, kGreen);
  EXPECT_EQ(s.canvas_color, kBlue);
  EXPECT_EQ(s.angle, 2700);
  EXPECT_TRUE(s.keep_size);

  EXPECT_EQ(FontPixelSize(9), 12);
  EXPECT_EQ(FontPixelSize(10), 13);  // 13.33
  EXPECT_EQ(FontPixelSize(11), 15);  // 14.67
  EXPECT_EQ(FontPixelSize(0), 12);
  EXPECT_EQ(UnescapeEffectText("(@CRLF)(@COM)(@SLA)(@X)"), "\r\n,/(@X)");
}

TEST(OverlayKeyedTest, KeyIsTheLowerLeftPixelAndTheBlockMustFit) {
  TBitmap24 block = Plain(4, 3, kBlue);
  block.SetPixel(0, 2, kGreen);  // key
  block.SetPixel(3, 2, kGreen);
  block.SetPixel(0, 0, kRed);
  TBitmap24 target = Plain(10, 10, kBlack);
  ASSERT_TRUE(OverlayKeyed(block, target, false, 1.0, 6, 7));
  EXPECT_EQ(target.Pixel(6, 9), kBlack);
  EXPECT_EQ(target.Pixel(9, 9), kBlack);
  EXPECT_EQ(target.Pixel(6, 7), kRed);
  EXPECT_EQ(target.Pixel(7, 8), kBlue);

  const TBitmap24 before = target;
  EXPECT_FALSE(OverlayKeyed(block, target, false, 1.0, 7, 7));
  EXPECT_FALSE(OverlayKeyed(block, target, false, 1.0, -1, 0));
  EXPECT_FALSE(OverlayKeyed(block, target, false, 1.0, 0, 8));
  EXPECT_FALSE(OverlayKeyed(block, target, false, 0.0, 0, 0));
  EXPECT_TRUE(target.SamePixels(before));

  // Weight 1/3: round(90 x 2/3) + round(255 / 3).
  TBitmap24 grey = Plain(4, 3, MakeColor(90, 90, 90));
  ASSERT_TRUE(OverlayKeyed(block, grey, false, 1.0 / 3, 0, 0));
  EXPECT_EQ(grey.Pixel(1, 1), MakeColor(60, 60, 145));
}

}  // namespace
