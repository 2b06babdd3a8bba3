#include <gtest/gtest.h>

#include <cstdio>

#include "engine/DecimalText.h"
#include "platform/IniFile.h"
#include "platform/SplitWX.h"
#include "platform/StringFormats.h"
#include "tests/platform/DecimalCommaLocale.h"

TEST(StringFormats, PaddingPutsTheSignByThePad) {
  EXPECT_EQ(PadInteger(-7, 4, '0'), "-007");
  EXPECT_EQ(PadInteger(-7, 4, ' '), "  -7");
  EXPECT_EQ(PadInteger(12345, 3, '0'), "12345");
  EXPECT_EQ(PadInteger(5, 3, '0'), "005");
  EXPECT_EQ(PadUnsigned(42, 5, '_'), "___42");
}

TEST(StringFormats, SignedFixedWidth) {
  std::string overflow;
  EXPECT_EQ(SignedFixedWidth(5, 3, &overflow), "+005");
  EXPECT_EQ(SignedFixedWidth(-12, 3, &overflow), "-012");
  EXPECT_EQ(SignedFixedWidth(0, 3, &overflow), " 000");
  EXPECT_TRUE(overflow.empty());
  EXPECT_EQ(SignedFixedWidth(1000, 3, &overflow), "1000");
  EXPECT_EQ(overflow, "オーバーフローしました(数が大)。");
  EXPECT_EQ(SignedFixedWidth(-1000, 3, &overflow), "1000");
  EXPECT_EQ(overflow, "オーバーフローしました(数が小)。");
}

TEST(StringFormats, FigureReverse) {
  std::string r = "unchanged";
  ASSERT_TRUE(FigureReverse(" 12.5 ", 0, r));
  EXPECT_EQ(r, "-12.5");
  ASSERT_TRUE(FigureReverse("-30", 4, r));
  EXPECT_EQ(r, "  30");
  ASSERT_TRUE(FigureReverse("0", 0, r));
  EXPECT_EQ(r, "0");
  r = "unchanged";
  EXPECT_FALSE(FigureReverse("abc", 4, r));
  EXPECT_FALSE(FigureReverse("", 4, r));
  EXPECT_EQ(r, "unchanged");
}

TEST(SplitWX, KeepsEmptyPieces) {
  TSplitWX split;
  EXPECT_EQ(split.Split("a,,b", ","), 3);
  EXPECT_EQ(split.Pieces(), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(split.Split("", ","), 1);
  EXPECT_EQ(split[0], "");
  EXPECT_EQ(split.Split("x/y,z", "/,"), 3);
  // The second byte of a code page 932 character may equal "\" or "|"; in UTF-8 it never does.
  EXPECT_EQ(SplitText("表示,ソフト|能", ",|"), (std::vector<std::string>{"表示", "ソフト", "能"}));
}

TEST(Numbers, AreReadAndWrittenInTheCLocaleOnADecimalCommaDesktop) {
  TDecimalCommaLocale german;
  VELMORA_NEED_DECIMAL_COMMA(german);
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  ASSERT_STREQ(printed, "1,5");  // the locale really is in force
  double v = 0;
  ASSERT_TRUE(TIniFile::ParseFloat("1.5", v));
  EXPECT_EQ(v, 1.5);
  EXPECT_EQ(TIniFile::FormatFloat(1.5), "1.5");
  EXPECT_EQ(TIniFile::FormatFloat(0.25), "0.25");
  ASSERT_TRUE(ParseDecimalReal("1.5", v));
  EXPECT_EQ(v, 1.5);
  std::string reversed;
  ASSERT_TRUE(FigureReverse("12.5", 6, reversed));
  EXPECT_EQ(reversed, " -12.5");
  ASSERT_TRUE(FigureReverse("-0.75", 0, reversed));
  EXPECT_EQ(reversed, "0.75");
  TIniFile ini;
  ini.WriteFloat("BaseSettings", "RealZoomControl", 2.25);
  EXPECT_EQ(ini.ReadString("BaseSettings", "RealZoomControl", ""), "2.25");
  EXPECT_EQ(ini.ReadFloat("BaseSettings", "RealZoomControl", 0), 2.25);
}
