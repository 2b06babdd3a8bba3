// The settings dialog's numeric boxes: items as shown and the checks made when a box is left.
#include <gtest/gtest.h>

#include "app/SettingChecks.h"
#include "tests/platform/DecimalCommaLocale.h"

namespace {

TEST(SettingChecksTest, ItemsAreShownAfterTheirBlanks) {
  EXPECT_EQ(NumberBoxItems(TNumberBox::kPanelLeft).front(), "    00");
  EXPECT_EQ(NumberBoxItems(TNumberBox::kPanelLeft).back(), "    20");
  EXPECT_EQ(NumberBoxItems(TNumberBox::kSlideInterval).front(), "    00100");
  EXPECT_EQ(NumberBoxItems(TNumberBox::kSlideInterval).size(), 15u);
  EXPECT_EQ(NumberBoxItems(TNumberBox::kZoomStep),
            (std::vector<std::string>{"        25", "        50", "       100"}));
  EXPECT_EQ(NumberBoxItems(TNumberBox::kRealZoomControl)[1], "      0.50");
  EXPECT_EQ(NumberBoxItems(TNumberBox::kJpegQuality).front(), " 075");
  EXPECT_EQ(NumberBoxItems(TNumberBox::kCenterPercent).front(), "   10");
  EXPECT_EQ(NumberBoxItems(TNumberBox::kStrength).back(), "   500");
  EXPECT_EQ(NumberBoxText(TNumberBox::kStrength, -50), "   -50");
}

TEST(SettingChecksTest, RealZoomTextIgnoresTheDesktopLocale) {
  TDecimalCommaLocale comma;
  if (!comma.Available()) GTEST_SKIP() << "no German locale";
  EXPECT_EQ(NumberBoxText(TNumberBox::kRealZoomControl, 1.25), "      1.25");
  double value = 0;
  std::string message;
  EXPECT_TRUE(CheckNumberBox(TNumberBox::kRealZoomControl, "1.5", value, message));
  EXPECT_EQ(value, 1.5);
}

TEST(SettingChecksTest, RangesAndTheirMessages) {
  const struct {
    TNumberBox box;
    const char* text;
    bool ok;
    const char* message;
  } cases[] = {
      {TNumberBox::kPanelLeft, "25", true, ""},
      {TNumberBox::kPanelLeft, "26", false, "0以上25以下の整数を入力してください。"},
      {TNumberBox::kPanelTop, "-1", false, "0以上25以下の整数を入力してください。"},
      {TNumberBox::kSlideInterval, "60000", true, ""},
      {TNumberBox::kSlideInterval, "0", false, "1以上の整数を入力してください。"},
      {TNumberBox::kSlideInterval, "60001", false, "1以上の整数を入力してください。"},
      {TNumberBox::kZoomStep, "101", false, "1以上100以下の整数を入力してください。"},
      {TNumberBox::kRealZoomControl, "0", false, "0以上の数を入力してください。"},
      {TNumberBox::kRealZoomControl, "1e999", false, "0以上の数を入力してください。"},
      {TNumberBox::kJpegQuality, "100", true, ""},
      {TNumberBox::kJpegQuality, "0", false, "100以下の正の整数を入力してください。"},
      {TNumberBox::kKernelSize, "4", false, "３以上の奇数を入力してください。"},
      {TNumberBox::kKernelSize, "13", true, ""},
      {TNumberBox::kKernelSize, "1", false, "３以上の奇数を入力してください。"},
      {TNumberBox::kKernelSize, "60001", false, "３以上の奇数を入力してください。"},
      {TNumberBox::kCenterPercent, "100", false, "0以上100未満の整数を入力してください。"},
      {TNumberBox::kCenterPercent, "0", true, ""},
      {TNumberBox::kStrength, "-50", true, ""},
      {TNumberBox::kStrength, "0", false, "0以外の整数を入力してください。"},
      {TNumberBox::kStrength, "abc", false, "0以外の整数を入力してください。"},
      {TNumberBox::kPanelLeft, "99999999999", false, "0以上25以下の整数を入力してください。"},
      {TNumberBox::kZoomStep, "", false, "1以上100以下の整数を入力してください。"},
  };
  for (const auto& c : cases) {
    double value = -7;
    std::string message;
    EXPECT_EQ(CheckNumberBox(c.box, c.text, value, message), c.ok) << c.text;
    EXPECT_EQ(message, c.message) << c.text;
    if (!c.ok) {
      EXPECT_EQ(value, -7);
    }
  }
  double value = 0;
  std::string message;
  ASSERT_TRUE(CheckNumberBox(TNumberBox::kPanelLeft, "    05", value, message));
  EXPECT_EQ(value, 5);
}

}  // namespace
