#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/ImageRGBArrange.h"
#include "tests/TestSupport.h"

namespace {

// Every byte value appears in every channel, and the channels differ from each other.
TBitmap24 AllValues() {
  TBitmap24 bmp(256, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 256; ++x)
      bmp.SetPixel(x, y,
                   MakeColor(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x * 3 + y),
                             static_cast<std::uint8_t>(255 - x + 11 * y)));
  return bmp;
}

bool Arranged(TBitmap24& bmp, const std::string& text, std::string* message = nullptr) {
  TImageRGBArrange arrange;
  return arrange.Arrange(bmp, text, message);
}

// Checks every pixel of the arranged picture against a per-pixel expectation.
void ExpectEveryPixel(const TBitmap24& before, const TBitmap24& after,
                      const std::function<TColor(int r, int g, int b)>& expected) {
  ASSERT_TRUE(after.SameSizeAs(before));
  for (int y = 0; y < before.Height(); ++y)
    for (int x = 0; x < before.Width(); ++x) {
      const TColor p = before.Pixel(x, y);
      ASSERT_EQ(after.Pixel(x, y), expected(ColorRed(p), ColorGreen(p), ColorBlue(p)))
          << x << "," << y;
    }
}

// One channel written out from the table of source codes.
int Expected(int code, bool percent, int amount, int r, int g, int b) {
  int v;
  switch (code) {
    case 0:
      v = r;
      break;
    case 1:
      v = g;
      break;
    case 2:
      v = b;
      break;
    case 3:
      v = (r + g + b) / 3;
      break;
    case 5:
      v = 255 - r;
      break;
    case 6:
      v = 255 - g;
      break;
    case 7:
      v = 255 - b;
      break;
    case 8:
      v = 255 - (r + g + b) / 3;
      break;
    default: {
      const int fixed = percent ? (amount & 0xFF) : 0;
      v = code > 4 ? 255 - fixed : fixed;
    }
  }
  const double adjusted = percent ? v + std::trunc(v * static_cast<double>(amount) / 100)
                                  : static_cast<double>(v) + amount;
  return adjusted < 0 ? 0 : (adjusted > 255 ? 255 : static_cast<int>(adjusted));
}

class TProgressOwner : public TEngineOwner {
 public:
  bool IsBusy() const override { return false; }  // cleared flag: the arrangement goes on anyway
  bool ReportsProgress() const override { return true; }
  void Progress(int position) override { positions.push_back(position); }
  std::vector<int> positions;
};

}  // namespace

TEST(RGBArrange, ExamplesOfTheDialog) {
  const TBitmap24 src = AllValues();
  TBitmap24 bmp = src;
  ASSERT_TRUE(Arranged(bmp, "0,1,2,0,0,0,0,0,0"));
  EXPECT_TRUE(bmp.SamePixels(src));

  bmp = src;
  ASSERT_TRUE(Arranged(bmp, "2,1,0,0,0,0,0,0,0"));
  ExpectEveryPixel(src, bmp, [](int r, int g, int b) { return MakeColor(b, g, r); });

  bmp = src;
  ASSERT_TRUE(Arranged(bmp, "3,3,3,0,0,0,0,0,0"));
  ExpectEveryPixel(src, bmp, [](int r, int g, int b) {
    const int a = (r + g + b) / 3;
    return MakeColor(a, a, a);
  });

  bmp = src;
  ASSERT_TRUE(Arranged(bmp, "5,6,7,0,0,0,0,0,0"));
  ExpectEveryPixel(src, bmp,
                   [](int r, int g, int b) { return MakeColor(255 - r, 255 - g, 255 - b); });

  bmp = src;
  ASSERT_TRUE(Arranged(bmp, "0,1,2,1,1,1,50,50,50"));
  ExpectEveryPixel(src, bmp, [](int r, int g, int b) {
    auto up = [](int v) { return static_cast<std::uint8_t>(std::min(255, v + v / 2)); };
    return MakeColor(up(r), up(g), up(b));
  });
  TBitmap24 one(1, 1);
  one.SetPixel(0, 0, MakeColor(1, 2, 200));
  ASSERT_TRUE(Arranged(one, "0,1,2,1,1,1,50,50,50"));
  EXPECT_EQ(one.Pixel(0, 0), MakeColor(1, 3, 255));

  bmp = src;
  ASSERT_TRUE(Arranged(bmp, "4,4,4,0,0,0,10,20,30"));
  ExpectEveryPixel(src, bmp, [](int, int, int) { return MakeColor(10, 20, 30); });
}

struct TArrangeCase {
  int source[3];
  bool percent;
  int amount[3];
  std::string Text() const {
    std::string text;
    for (int k = 0; k < 3; ++k) text += std::to_string(source[k]) + ",";
    for (int k = 0; k < 3; ++k) text += std::string(percent ? "1" : "0") + ",";
    return text + std::to_string(amount[0]) + "," + std::to_string(amount[1]) + "," +
           std::to_string(amount[2]);
  }
};

void ExpectArrangement(const TArrangeCase& c) {
  const TBitmap24 src = AllValues();
  TBitmap24 bmp = src;
  ASSERT_TRUE(Arranged(bmp, c.Text())) << c.Text();
  ExpectEveryPixel(src, bmp, [&](int r, int g, int b) {
    int out[3];
    for (int k = 0; k < 3; ++k) out[k] = Expected(c.source[k], c.percent, c.amount[k], r, g, b);
    return MakeColor(out[0], out[1], out[2]);
  });
}

TEST(RGBArrange, EverySourceCodeInEveryChannel) {
  const std::vector<int> codes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -1, 12345, -2147483647};
  for (int code : codes)
    for (int channel = 0; channel < 3; ++channel)
      for (bool percent : {false, true}) {
        TArrangeCase c{{0, 1, 2}, percent, {-300, 77, 265}};  // 265: low byte 9
        c.source[channel] = code;
        SCOPED_TRACE(c.Text());
        ExpectArrangement(c);
        if (HasFatalFailure()) return;
      }
}

TEST(RGBArrange, AmountsAtTheEndsOfTheIntegerRange) {
  constexpr int kMax = 2147483647, kMin = -2147483647 - 1;
  for (const TArrangeCase& c : {TArrangeCase{{0, 1, 2}, false, {kMax, kMin, 0}},
                                TArrangeCase{{0, 1, 2}, true, {kMax, kMin, -100}},
                                TArrangeCase{{8, 3, 9}, true, {kMax, kMin, -1}},
                                TArrangeCase{{0, 1, 2}, true, {-99, -101, 1}}}) {
    SCOPED_TRACE(c.Text());
    ExpectArrangement(c);
  }
}

TEST(RGBArrange, PercentageFlagIsExactlyTheTextOne) {
  TRGBArrangeParams params;
  ASSERT_TRUE(ParseRGBArrangeText("0,1,2,1,01, 1,5,6,7", params));
  EXPECT_TRUE(params.percent[0]);
  EXPECT_FALSE(params.percent[1]);
  EXPECT_FALSE(params.percent[2]);
  ASSERT_TRUE(ParseRGBArrangeText("0,1,2,x,,yes,-5, +6 ,7", params));
  EXPECT_FALSE(params.percent[0]);
  EXPECT_EQ(params.amount[0], -5);
  EXPECT_EQ(params.amount[1], 6);
}

TEST(RGBArrange, BadTextsGiveTheirMessagesAndLeaveThePicture) {
  const TBitmap24 src = AllValues();
  struct TCase {
    const char* text;
    const char* message;
  };
  for (const TCase& c : {TCase{"0,1,2,0,0,0,0,0", "ImageRGB データエラー(1)"},
                         TCase{"0,1,2,0,0,0,0,0,0,0", "ImageRGB データエラー(1)"},
                         TCase{"", "ImageRGB データエラー(1)"},
                         TCase{"0,1,2,0,0,0,x,0,0", "ImageRGB データエラー(2)"},
                         TCase{"0,1,x,0,0,0,0,0,0", "ImageRGB データエラー(2)"},
                         TCase{"0,1,2,0,0,0,0,0,", "ImageRGB データエラー(2)"},
                         TCase{"0,1,2,0,0,0,0,1.5,0", "ImageRGB データエラー(2)"},
                         TCase{"0,1,2,0,0,0,0,0,2147483648", "ImageRGB データエラー(2)"}}) {
    TBitmap24 bmp = src;
    std::string message;
    EXPECT_FALSE(Arranged(bmp, c.text, &message)) << c.text;
    EXPECT_EQ(message, c.message) << c.text;
    EXPECT_TRUE(bmp.SamePixels(src));
  }
  // Beyond the working size limit: refused without a message.
  TBitmap24 wide(5001, 1);
  std::string message;
  EXPECT_FALSE(Arranged(wide, "2,1,0,0,0,0,0,0,0", &message));
  EXPECT_TRUE(message.empty());
}

TEST(RGBArrange, ReportsProgressAndIsNotCancelled) {
  TBitmap24 bmp(3, 250);
  bmp.Fill(MakeColor(1, 2, 3));
  TProgressOwner owner;
  TImageRGBArrange arrange(&owner);
  ASSERT_TRUE(arrange.Arrange(bmp, "2,1,0,0,0,0,0,0,0"));
  EXPECT_EQ(bmp.Pixel(2, 249), MakeColor(3, 2, 1));
  EXPECT_EQ(owner.positions.front(), 0);
  EXPECT_EQ(owner.positions.back(), 200);
}

TEST(RGBArrange, FuzzRegressionsReplay) {
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / "rgb_text";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  const TBitmap24 src = AllValues();
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    SCOPED_TRACE(entry.path().filename().string());
    ++files;
    TBitmap24 bmp = src;
    std::string message;
    const bool ok = Arranged(bmp, ReadWholeFile(entry.path().string()), &message);
    EXPECT_EQ(ok, message.empty());
    if (!ok) {
      EXPECT_TRUE(bmp.SamePixels(src));
    }
  }
  EXPECT_GT(files, 0);
}
