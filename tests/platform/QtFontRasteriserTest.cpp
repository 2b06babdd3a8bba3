#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>
#include <set>
#include <string>

#include "engine/ImageOption.h"
#include "platform/QtFontRasteriser.h"

namespace {

constexpr TColor kGrey = 0xC0C0C0;

TBitmap24 Plain(int w, int h, TColor c) {
  TBitmap24 b(w, h);
  b.Fill(c);
  return b;
}

struct TBox {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

// Pixels clearly darker than the light backgrounds used here.
TBox DarkPixels(const TBitmap24& b) {
  TBox box;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = b.Pixel(x, y);
      if (ColorRed(c) + ColorGreen(c) + ColorBlue(c) >= 3 * 96) continue;
      ++box.count;
      box.left = std::min(box.left, x), box.right = std::max(box.right, x);
      box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
    }
  return box;
}

class QtFontRasteriserTest : public ::testing::Test {
 protected:
  // Another suite of this executable may already have made the application.
  static void SetUpTestSuite() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> application =
        std::make_unique<QGuiApplication>(argc, argv);
  }

  bool Draw(const TBitmap24& source, const std::string& settings) {
    return DrawText(source, result_, settings, font_, left_, top_, &reason_);
  }

  TQtFontRasteriser font_;
  TBitmap24 result_;
  int left_ = 0, top_ = 0;
  std::string reason_;
};

TEST_F(QtFontRasteriserTest, JapaneseTextFallsBackToAJapaneseFace) {
  const std::vector<std::string> japanese = {"日本語のテキスト"};
  TFontSpec face;
  face.size = 12;
  for (const char* family : {"ＭＳ ゴシック", "DejaVu Sans", ""}) {
    face.family = family;
    EXPECT_EQ(TQtFontRasteriser::ChooseFamily(face, japanese).toStdString(), "IPAGothic") << family;
  }
  face.family = "DejaVu Sans";
  EXPECT_EQ(TQtFontRasteriser::ChooseFamily(face, {"Latin only"}).toStdString(), "DejaVu Sans");

  // Missing face, Japanese text: dark glyph pixels inside the white block on a grey picture.
  ASSERT_TRUE(Draw(Plain(300, 80, kGrey),
                   "C,C,ＭＳ ゴシック,0,12,0,日本語のテキスト,0,16777215,16777215,0,1"))
      << reason_;
  const TBox dark = DarkPixels(result_);
  EXPECT_GT(dark.count, 150);
  // Eight full-width characters of a 16 pixel font.
  EXPECT_GE(dark.Width(), 8 * 16 - 20);
  EXPECT_LE(dark.Width(), 8 * 16 + 4);
  EXPECT_EQ(result_.Pixel(left_, top_), kWhite);
}

TEST_F(QtFontRasteriserTest, MeasuresLinesInPixelsOfThePointSize) {
  TFontSpec face;
  face.family = "IPAGothic";
  face.size = 24;  // 32 pixels
  std::vector<TTextExtent> extents;
  ASSERT_TRUE(font_.MeasureLines(face, {"ab", "abab", ""}, extents));
  ASSERT_EQ(extents.size(), 3u);
  EXPECT_EQ(extents[1].width, 2 * extents[0].width);
  EXPECT_EQ(extents[2].width, 0);
  EXPECT_GE(extents[0].height, 32);
  EXPECT_LE(extents[0].height, 48);
  EXPECT_EQ(extents[1].height, extents[0].height);
  // IPAGothic is monospaced: a full-width character is one em.
  ASSERT_TRUE(font_.MeasureLines(face, {"日"}, extents));
  EXPECT_EQ(extents[0].width, 32);
}

TEST_F(QtFontRasteriserTest, QuarterTurnTurnsTheBlockAndTheGlyphs) {
  const TBitmap24 source = Plain(200, 200, kGrey);
  ASSERT_TRUE(Draw(source, "L,T,DejaVu Sans,1,14,0,Velmora,0,16777215,0,0,1"));
  const TBox upright = DarkPixels(result_);
  ASSERT_GT(upright.count, 50);
  EXPECT_GT(upright.Width(), 2 * upright.Height());

  ASSERT_TRUE(Draw(source, "L,T,DejaVu Sans,1,14,0,Velmora,0,16777215,0,900,1"));
  const TBox turned = DarkPixels(result_);
  EXPECT_GT(turned.Height(), 2 * turned.Width());
  EXPECT_NEAR(turned.Height(), upright.Width(), 3);
  EXPECT_NEAR(turned.count, upright.count, upright.count / 5);
  // Turned clockwise the text reads downwards with the letters' tops facing right: the capital
  // V at the top reaches further right than the low letters "ra" at the bottom.
  const auto rightmost = [&](int from, int to) {
    int right = -1;
    for (int y = from; y < to; ++y)
      for (int x = turned.left; x <= turned.right; ++x)
        if (ColorRed(result_.Pixel(x, y)) < 96) right = std::max(right, x);
    return right;
  };
  const int quarter = turned.Height() / 4;
  EXPECT_GT(rightmost(turned.top, turned.top + quarter),
            rightmost(turned.bottom - quarter, turned.bottom + 1) + 2);
}

TEST_F(QtFontRasteriserTest, KeyedBlocksHaveNoMixedEdgePixels) {
  TBitmap24 block = Plain(120, 60, kWhite);
  TFontSpec face;
  face.family = "IPAGothic";
  face.size = 20;
  face.italic = true;
  ASSERT_TRUE(
      font_.DrawLines(block, face, MakeColor(200, 0, 0), {"Key テスト"}, {{4, 4}}, 300, false));
  std::set<TColor> colours;
  for (int y = 0; y < block.Height(); ++y)
    for (int x = 0; x < block.Width(); ++x) colours.insert(block.Pixel(x, y));
  EXPECT_EQ(colours, (std::set<TColor>{kWhite, MakeColor(200, 0, 0)}));

  // Blended onto a picture: the white background stays invisible.
  ASSERT_TRUE(Draw(Plain(200, 100, kGrey), "C,C,IPAGothic,0,20,0,Key テスト,2,16777215,0,300,1"));
  std::set<TColor> shown;
  for (int y = 0; y < result_.Height(); ++y)
    for (int x = 0; x < result_.Width(); ++x) shown.insert(result_.Pixel(x, y));
  EXPECT_EQ(shown, (std::set<TColor>{kGrey, MakeColor(96, 96, 96)}));
}

}  // namespace
