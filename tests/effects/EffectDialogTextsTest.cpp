// The rotation and RGB dialogs' texts in both directions.
#include <gtest/gtest.h>

#include "effects/EffectDialogTexts.h"

namespace {

TEST(AngleTextTest, ReadsTrimmedDecimalNumbersOnly) {
  const struct {
    const char* edit;
    const char* parameter;
  } cases[] = {
      {"     30", "30"}, {" 12.5 ", "12.5"}, {"-45", "-45"}, {"+7", "+7"},  {"1e2", "1e2"},
      {"", ""},          {"   ", ""},        {"abc", ""},    {"1e999", ""}, {"90.5.5", ""},
      {"12abc", ""},     {"nan", ""},        {"inf", ""},    {"0x10", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AngleParameterText(c.edit), c.parameter) << c.edit;
}

TEST(AngleTextTest, NegateKeepsTheNumberAndPadsToSeven) {
  const struct {
    const char* text;
    const char* negated;
  } cases[] = {
      {"     45", "    -45"}, {"    -45", "     45"},      {"      0", "      0"},
      {"12.5", "  -12.5"},    {"-0.0", "    0.0"},         {"+30", "    -30"},
      {"-3e1", "    3e1"},    {"123456789", "-123456789"},
  };
  for (const auto& c : cases) {
    std::string result = "unchanged";
    ASSERT_TRUE(NegateAngleText(c.text, 7, result)) << c.text;
    EXPECT_EQ(result, c.negated) << c.text;
  }
  for (const char* bad : {"", "abc", "1e999", "90.5.5"}) {
    std::string result = "unchanged";
    EXPECT_FALSE(NegateAngleText(bad, 7, result)) << bad;
    EXPECT_EQ(result, "unchanged");
  }
}

TEST(AngleTextTest, PresetsAreRightAlignedWith245) {
  const auto& presets = DegreePresets();
  ASSERT_EQ(presets.size(), 12u);
  for (const std::string& preset : presets) EXPECT_EQ(preset.size(), 7u) << preset;
  EXPECT_EQ(presets[10], "    245");
  EXPECT_EQ(AngleParameterText(presets[1]), "30");
}

TEST(RGBTextTest, ControlsToParameterText) {
  TRGBDialogState state;
  EXPECT_EQ(RGBParameterText(state), "0,1,2,0,0,0, 000, 000, 000");
  state.offset[0] = 5;
  EXPECT_EQ(RGBParameterText(state), "0,1,2,0,0,0,+005, 000, 000");
  state.source = {2, 3, 4};
  state.reverse = {true, false, true};
  state.percent = {true, false, true};
  state.offset = {-12, 255, 0};
  EXPECT_EQ(RGBParameterText(state), "7,3,9,1,0,1,-012,+255, 000");
  EXPECT_EQ(RGBChannelLabel(0, 0), "R  000");
  EXPECT_EQ(RGBChannelLabel(1, -40), "G -040");
  EXPECT_EQ(RGBChannelLabel(2, 7), "B +007");
}

TEST(RGBTextTest, RecordToControlsAndBack) {
  TRGBDialogState state;
  ASSERT_TRUE(ParseRGBRecord("7,1,2,1,0,0,+010, 000,-020", state));
  EXPECT_EQ(state.source, (std::array<int, 3>{2, 1, 2}));
  EXPECT_EQ(state.reverse, (std::array<bool, 3>{true, false, false}));
  EXPECT_EQ(state.percent, (std::array<bool, 3>{true, false, false}));
  EXPECT_EQ(state.offset, (std::array<int, 3>{10, 0, -20}));
  EXPECT_EQ(RGBParameterText(state), "7,1,2,1,0,0,+010, 000,-020");
  // A fixed source cannot hold a negative offset; offsets stay within the scroll range.
  ASSERT_TRUE(ParseRGBRecord("4,1,2,0,0,0,-050,999,-999", state));
  EXPECT_EQ(state.offset, (std::array<int, 3>{0, 255, -255}));
}

TEST(RGBTextTest, GarbageRecordsLeaveTheControls) {
  TRGBDialogState state;
  state.offset[1] = 33;
  const TRGBDialogState before = state;
  for (const char* bad :
       {"", "garbage", "0,1,2,0,0,0, 000, 000", "0,1,2,0,0,0, 000, 000, 000,0", "x,1,2,0,0,0,0,0,0",
        "10,1,2,0,0,0,0,0,0", "-1,1,2,0,0,0,0,0,0", "0,1,2,0,0,0,1.5,0,0", "0,1,2,0,0,0,,0,0",
        "0,1,2,0,0,0,99999999999,0,0", "\xff\xfe,1,2,0,0,0,0,0,0"}) {
    EXPECT_FALSE(ParseRGBRecord(bad, state)) << bad;
    EXPECT_EQ(state, before);
  }
}

TEST(RGBTextTest, AlreadyRecordedMessage) {
  EXPECT_EQ(FindRecord({"a", "b", "c"}, "c"), 2);
  EXPECT_EQ(FindRecord({"a", "b"}, "B"), -1);
  EXPECT_EQ(AlreadyRecordedText("0,1,2,0,0,0, 000, 000, 000"),
            "0,1,2,0,0,0, 000, 000, 000\r\n\r\nは既に登録されています。");
  EXPECT_EQ(AlreadyRecordedCaption(2), "  確認( Index= 3 )");
}

}  // namespace
