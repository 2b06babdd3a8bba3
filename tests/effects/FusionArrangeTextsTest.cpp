// The fusion dialog's texts and rules: the parameter text, rate labels and steps, tone tables
// and the settings it restores.
#include <gtest/gtest.h>

#include "effects/FusionArrangeTexts.h"
#include "engine/ImageCanvasEdit.h"
#include "engine/ImageFusion.h"

namespace {

TEST(FusionParameterTextTest, OperationsBuildTheirFields) {
  const auto with = [](auto change) {
    TFusionControls c;
    change(c);
    return FusionParameterText(c);
  };
  const struct {
    std::string text;
    const char* expected;
  } cases[] = {
      {with([](TFusionControls&) {}), "L,T,50,50,1,0,0,16777215"},
      // 融合: A is what B leaves of 100.
      {with([](TFusionControls& c) { c.b_position = 30; }), "L,T,70,30,1,0,0,16777215"},
      {with([](TFusionControls& c) { c.b_position = -100; }), "L,T,200,-100,1,0,0,16777215"},
      {with([](TFusionControls& c) { c.transparent = true, c.bright_rate = 120; }),
       "L,T,50,50,-1,120,0,16777215"},
      // The other operations take the A bar as it is.
      {with([](TFusionControls& c) { c.operation = kFusionMix, c.a_position = 10; }),
       "L,T,10,50,1,0,0,16777215"},
      {with([](TFusionControls& c) { c.operation = kFusionZMix; }), "L,T,50,50,2,0,0,16777215"},
      {with([](TFusionControls& c) { c.operation = kFusionZMix, c.transparent = true; }),
       "L,T,50,50,-2,100,0,16777215"},
      {with([](TFusionControls& c) { c.operation = kFusionAOver, c.trans_position = 8; }),
       "L,T,50,50,3,TC,0,16777215"},
      {with([](TFusionControls& c) {
         c.operation = kFusionAOver, c.transparent = true, c.trans_position = 8;
       }),
       "L,T,50,50,-3,TC,0,16777215"},
      {with([](TFusionControls& c) {
         c.operation = kFusionBOver, c.transparent = true, c.trans_position = 0;
       }),
       "L,T,50,50,-4,BL,0,16777215"},
      // Places lose their blanks; the limit and the back colour close the text.
      {with([](TFusionControls& c) {
         c.x = "  RR", c.y = " -120 ", c.limit = true, c.back_color = 0x102030;
       }),
       "RR,-120,50,50,1,0,1,1056816"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, c.expected);
}

TEST(FusionParameterTextTest, EveryTextTheDialogBuildsIsReadByTheEngine) {
  for (int operation = kFusionBlend; operation <= kFusionBOver; ++operation) {
    for (bool transparent : {false, true}) {
      for (int keypad = 0; keypad <= 9; ++keypad) {
        TFusionControls c;
        c.operation = operation;
        c.transparent = transparent;
        c.trans_position = keypad;
        c.x = "  0";
        TFusionSettings parsed;
        EXPECT_TRUE(ParseFusionSettings(FusionParameterText(c), parsed)) << FusionParameterText(c);
      }
    }
  }
}

TEST(FusionParameterTextTest, KeypadCodesNameTheCorners) {
  const char* expected[] = {"BL", "BL", "BC", "BR", "CL", "CC", "CR", "TL", "TC", "TR"};
  for (int keypad = 0; keypad <= 9; ++keypad)
    EXPECT_EQ(TransPositionCode(keypad), expected[keypad]) << keypad;
  EXPECT_EQ(TransPositionCode(-3), "BL");
}

TEST(FusionRateTest, LabelsAndDoubleClickSteps) {
  EXPECT_EQ(FusionRateLabel('B', 50), "B +050%");
  EXPECT_EQ(FusionRateLabel('A', -100), "A -100%");
  EXPECT_EQ(FusionRateLabel('B', 0), "B  000%");
  EXPECT_EQ(FusionRateLabel('B', 999), "B +999%");

  const struct {
    int position, minimum, maximum, next;
  } steps[] = {
      {30, -100, 100, 50},    {50, -100, 100, 100},    {100, -100, 100, -100},
      {-100, -100, 100, -50}, {-30, -100, 100, 0},     {-50, -100, 100, 0},
      {0, -100, 100, 50},     {99, -100, 100, 100},    {250, -255, 255, 255},
      {255, -255, 255, -255}, {-255, -255, 255, -250}, {7, -7, 7, -7},
      {3, -7, 7, 7},
  };
  for (const auto& s : steps)
    EXPECT_EQ(NextRateStep(s.position, s.minimum, s.maximum), s.next) << s.position;
  EXPECT_EQ(APositionFromB(100, 30), 70);
}

TEST(FusionToneTest, TablesMapThroughTheChannelMap) {
  // Each row: table, then pairs of channel value in and out.
  const struct {
    TToneTable table;
    std::vector<std::pair<int, int>> values;
  } cases[] = {
      {ToneLevelTable(1), {{0, 0}, {1, 255}, {200, 255}}},
      {ToneLevelTable(2), {{0, 0}, {1, 128}, {2, 255}, {77, 255}}},
      {ToneLevelTable(4), {{1, 64}, {2, 128}, {3, 192}, {4, 255}, {9, 255}}},
      {ToneLevelTable(255), {{0, 0}, {1, 1}, {254, 254}, {255, 255}}},
      {BottomUpTable(2), {{0, 2}, {1, 2}, {2, 2}, {3, 3}, {255, 255}}},
      {BottomUpTable(1), {{0, 1}, {1, 1}, {2, 2}}},
      {TopDownTable(2), {{255, 253}, {254, 253}, {253, 253}, {0, 0}}},
      {TopDownTable(255), {{255, 0}, {1, 0}, {0, 0}}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(c.table.from.size(), c.table.to.size());
    TBitmap24 source(static_cast<int>(c.values.size()), 1);
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      const auto v = static_cast<std::uint8_t>(c.values[i].first);
      source.SetPixel(static_cast<int>(i), 0, MakeColor(v, v, v));
    }
    TBitmap24 result;
    ASSERT_TRUE(TImageCanvasEdit::MapChannelValues(source, result, c.table.exact, c.table.to,
                                                   c.table.from));
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      const auto v = static_cast<std::uint8_t>(c.values[i].second);
      EXPECT_EQ(result.Pixel(static_cast<int>(i), 0), MakeColor(v, v, v))
          << "in " << c.values[i].first;
    }
  }
}

TEST(FusionToneTest, CaptionsAndPrompts) {
  EXPECT_EQ(AnyToneCaption(255), "255段階(&A)");
  EXPECT_EQ(BottomUpCaption(2), "ボトムアップ to 2(&B)");
  EXPECT_EQ(TopDownCaption(17), "トップダウン to 17(&T)");
  EXPECT_EQ(LevelRangePrompt(4), "4以上255以下の整数を指定してください。");
  EXPECT_EQ(LevelRangePrompt(1), "1以上255以下の整数を指定してください。");
  EXPECT_EQ(GroundEntryText(0xFFFFFF), "台紙(255,255,255)");
  EXPECT_EQ(GroundEntryText(MakeColor(1, 20, 255)), "台紙(1,20,255)");
}

TEST(FusionSettingsTest, StoredValuesAreHeldToWhatTheDialogShows) {
  TFusionDialogSettings bad;
  bad.any_tone_level = 3;
  bad.up_down_level = 256;
  bad.bright_rate = 0;
  bad.range_super_max = 1000;
  bad.trans_position = 10;
  bad.back_color = 0x1FFFFFF;
  bad.ground_color = 0x20000000;
  const TFusionDialogSettings fixed = NormalizeFusionSettings(bad);
  EXPECT_EQ(fixed.any_tone_level, 4);
  EXPECT_EQ(fixed.up_down_level, 1);
  EXPECT_EQ(fixed.bright_rate, 100);
  EXPECT_EQ(fixed.range_super_max, 255);
  EXPECT_EQ(fixed.trans_position, 1);
  EXPECT_EQ(fixed.back_color, kWhite);
  EXPECT_EQ(fixed.ground_color, kWhite);

  TFusionDialogSettings good;
  good.any_tone_level = 255;
  good.up_down_level = 1;
  good.bright_rate = 999;
  good.range_super_max = 1;
  good.trans_position = 0;
  good.back_color = 0x123456;
  good.over_range = true;
  EXPECT_EQ(NormalizeFusionSettings(good), good);
}

TEST(FusionEntryTest, RangedIntegersAndPlaces) {
  int value = -1;
  EXPECT_TRUE(ReadRangedInteger(" 255 ", 4, 255, value));
  EXPECT_EQ(value, 255);
  for (const char* bad : {"3", "256", "abc", "", "4.5", "99999999999"}) {
    value = -1;
    EXPECT_FALSE(ReadRangedInteger(bad, 4, 255, value)) << bad;
    EXPECT_EQ(value, -1);
  }

  const std::vector<std::string> items = {"  LL", "   L", "   C", "   R", "  RR"};
  const struct {
    const char* text;
    TPositionEntry::TKind kind;
    int item_or_value;
    bool clamped;
  } cases[] = {
      {"rr", TPositionEntry::kItem, 4, false},
      {" c ", TPositionEntry::kItem, 2, false},
      {"-120", TPositionEntry::kNumber, -120, false},
      {"  +4000", TPositionEntry::kNumber, 4000, false},
      {"5000", TPositionEntry::kNumber, 4000, true},
      {"-99999999999", TPositionEntry::kNumber, -4000, true},
      {"abc", TPositionEntry::kNotNumber, 0, false},
      {"", TPositionEntry::kNotNumber, 0, false},
      {"1 2", TPositionEntry::kNotNumber, 0, false},
      {"-", TPositionEntry::kNotNumber, 0, false},
  };
  for (const auto& c : cases) {
    const TPositionEntry entry = CheckPositionEntry(c.text, items);
    EXPECT_EQ(entry.kind, c.kind) << c.text;
    if (c.kind == TPositionEntry::kItem) {
      EXPECT_EQ(entry.item, c.item_or_value) << c.text;
    } else if (c.kind == TPositionEntry::kNumber) {
      EXPECT_EQ(entry.value, c.item_or_value) << c.text;
      EXPECT_EQ(entry.clamped, c.clamped) << c.text;
    }
  }
  EXPECT_EQ(PlaceRangeMessage(), "-4000から4000までの整数を入力してください。");
}

}  // namespace
