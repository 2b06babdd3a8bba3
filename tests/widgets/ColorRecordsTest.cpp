// The colour dialog's record format, labels and palette colour lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "widgets/ColorRecords.h"

namespace {

TEST(ColorRecordTest, TextInBothDirections) {
  EXPECT_EQ(ColorRecordText({255, 255, 255}), "   255,255,255");
  EXPECT_EQ(ColorRecordText({10, 20, 30}), "   010,020,030");
  TRgb rgb;
  ASSERT_TRUE(ParseColorRecord("   010,020,030", rgb));
  EXPECT_EQ(rgb, (TRgb{10, 20, 30}));
  ASSERT_TRUE(ParseColorRecord("000,128,255", rgb));
  EXPECT_EQ(rgb, (TRgb{0, 128, 255}));
  EXPECT_TRUE(SameColorRecord("   010,020,030", "010,020,030"));
  EXPECT_FALSE(SameColorRecord("   010,020,030", "   010,020,031"));
}

TEST(ColorRecordTest, UnreadableRecordsAreRefused) {
  for (const char* bad : {"", "   ", "256,000,000", "010;020;030", "10,20,30", "010,020,030,",
                          "abc,def,ghi", "-01,020,030", "\x81\x40\xff,020,030", "0100,20,030"}) {
    TRgb rgb{1, 2, 3};
    EXPECT_FALSE(ParseColorRecord(bad, rgb)) << bad;
    EXPECT_EQ(rgb, (TRgb{1, 2, 3}));
  }
}

TEST(ColorRecordTest, AverageColorsAreAddedOnceAndSorted) {
  std::vector<std::string> records = {"   255,255,255", "   010,020,030"};
  AddAverageColors(records);
  EXPECT_EQ(records.size(), 28u);
  EXPECT_TRUE(std::is_sorted(records.begin(), records.end()));
  EXPECT_EQ(std::count(records.begin(), records.end(), "   255,255,255"), 1);
  EXPECT_EQ(records.front(), "   000,000,000");
  EXPECT_EQ(records[1], "   000,000,128");
}

TEST(ColorRecordTest, ColourValuesAndLabels) {
  EXPECT_EQ(ColorValue({0x12, 0x34, 0x56}), 0x563412u);
  EXPECT_EQ(SplitColorValue(0x563412), (TRgb{0x12, 0x34, 0x56}));
  EXPECT_EQ(SplitColorValue(0x1FFFFFF), (TRgb{255, 255, 255}));
  EXPECT_EQ(ColorSliderLabel('R', 7), "R  007");
  EXPECT_EQ(GradationLabel(0, 255), "R: +255");
  EXPECT_EQ(GradationLabel(1, 0), "G: +000");
  EXPECT_EQ(GradationLabel(2, -32), "B: -032");
}

TEST(PaletteLayoutTest, ListsOfEveryKind) {
  const std::vector<std::string> none;
  EXPECT_EQ(PaletteLayout(0, 0, none), (std::vector<std::string>{"0", "000,000,000"}));
  EXPECT_EQ(PaletteLayout(0, 0, {"   010,020,030", ""}),
            (std::vector<std::string>{"0", "010,020,030"}));

  const auto gra_r = PaletteLayout(1, 0, none);
  ASSERT_EQ(gra_r.size(), 26u);
  EXPECT_EQ(gra_r[0], "0");
  EXPECT_EQ(gra_r[1], "000,000,000");
  EXPECT_EQ(gra_r[2], "000,000,064");
  EXPECT_EQ(gra_r[6], "000,064,000");
  EXPECT_EQ(gra_r[25], "000,255,255");
  EXPECT_EQ(PaletteLayout(1, 1, none)[2], "000,000,064");
  EXPECT_EQ(PaletteLayout(1, 1, none)[6], "064,000,000");
  EXPECT_EQ(PaletteLayout(2, 2, none)[2], "000,032,000");
  EXPECT_EQ(PaletteLayout(2, 2, none).size(), 82u);

  const auto cube27 = PaletteLayout(3, 0, none);
  ASSERT_EQ(cube27.size(), 28u);
  EXPECT_EQ(cube27[0], "3");
  EXPECT_EQ(cube27[1], "000,000,000");
  EXPECT_EQ(cube27[2], "000,000,128");
  EXPECT_EQ(cube27[3], "000,000,255");
  EXPECT_EQ(cube27[4], "000,128,000");
  EXPECT_EQ(cube27[27], "255,255,255");
  EXPECT_EQ(PaletteLayout(4, 0, none).size(), 126u);
  const auto cube729 = PaletteLayout(5, 0, none);
  ASSERT_EQ(cube729.size(), 730u);
  EXPECT_EQ(cube729[0], "9");
  EXPECT_EQ(cube729[2], "000,000,032");
  EXPECT_EQ(cube729[9], "000,000,255");
  EXPECT_TRUE(PaletteLayout(6, 0, none).empty());
}

TEST(PaletteLayoutTest, ShiftingTheBaseCutsToTheByteRange) {
  EXPECT_EQ(ShiftBase({100, 50, 200}, 0, -255), (TRgb{0, 50, 200}));
  EXPECT_EQ(ShiftBase({100, 50, 200}, 2, 100), (TRgb{100, 50, 255}));
  EXPECT_EQ(ShiftBase({100, 50, 200}, 1, 10), (TRgb{100, 60, 200}));
}

}  // namespace
