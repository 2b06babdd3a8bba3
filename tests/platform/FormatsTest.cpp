#include <gtest/gtest.h>

#include "platform/SplitWX.h"
#include "platform/StringFormats.h"

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
