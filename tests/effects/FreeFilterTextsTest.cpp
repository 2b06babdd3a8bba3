// The free filter dialog's texts in both directions.
#include <gtest/gtest.h>

#include "effects/FreeFilterTexts.h"

namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

const std::vector<std::string> kOnes(9, "1");

TEST(FreeFilterKernelTest, KernelTextReadsOnlyOfferedSquareKernels) {
  const TFreeKernel ones;
  const struct {
    std::string text;
    int size;  // 0: the 3 x 3 ones
    int first;
  } cases[] = {
      {"3,1,1,1,1,1,1,1,1,1", 3, 1},
      {"3, -2,0,0,0,9,0,0,0, 4", 3, -2},
      {"5" + Repeat(",7", 25), 5, 7},
      {"21" + Repeat(",-1", 441), 21, -1},
      {"4" + Repeat(",1", 16), 0, 0},
      {"1,5", 0, 0},
      {"-3" + Repeat(",1", 9), 0, 0},
      {"23" + Repeat(",1", 529), 0, 0},
      {"3,1,1", 0, 0},
      {"3" + Repeat(",1", 10), 0, 0},
      {"3,1,1,1,1,x,1,1,1,1", 0, 0},
      {"3,1,1,1,1,,1,1,1,1", 0, 0},
      {"", 0, 0},
      {"abc", 0, 0},
      {"99999999999" + Repeat(",1", 4), 0, 0},
  };
  for (const auto& c : cases) {
    const TFreeKernel kernel = KernelFromText(c.text);
    if (c.size == 0) {
      EXPECT_EQ(kernel, ones) << c.text;
      continue;
    }
    EXPECT_EQ(kernel.size, c.size) << c.text;
    ASSERT_EQ(kernel.values.size(), static_cast<std::size_t>(c.size * c.size)) << c.text;
    EXPECT_EQ(kernel.values[0], c.first) << c.text;
    EXPECT_EQ(KernelFromText(KernelText(kernel)), kernel) << c.text;
  }
  EXPECT_EQ(KernelText(ones), kInitialKernelText);
  EXPECT_EQ(KernelText(NegatedKernel(KernelFromText("3,1,-2,0,0,0,0,0,0,999"))),
            "3,-1,2,0,0,0,0,0,0,-999");
}

TEST(FreeFilterKernelTest, CellEntriesAreIntegersWithinTheRange) {
  const struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"5", true, 5},     {"  -12", true, -12},      {" 999 ", true, 999}, {"-999", true, -999},
      {"+7", true, 7},    {"1000", false, 0},        {"-1000", false, 0},  {"", false, 0},
      {"  ", false, 0},   {"abc", false, 0},         {"1.5", false, 0},    {"12x", false, 0},
      {"0x10", false, 0}, {"99999999999", false, 0},
  };
  for (const auto& c : cases) {
    int value = 4242;
    EXPECT_EQ(ReadKernelCell(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 4242) << c.text;
  }
  EXPECT_EQ(KernelCellEditText(5), "  5");
  EXPECT_EQ(KernelCellEditText(-999), " -999");
  EXPECT_EQ(KernelCellGridText(1), "   1");
  EXPECT_EQ(KernelCellGridText(-12), " -12");
  EXPECT_EQ(KernelCellGridText(-999), "-999");
}

TEST(FreeFilterKernelTest, ColourEntriesAreHeldWithinAByte) {
  const struct {
    const char* text;
    int value;
    bool message;
  } cases[] = {
      {" 064", 64, false}, {"0", 0, false},    {"255", 255, false}, {"300", 255, true},
      {"-1", 0, true},     {"abc", 128, true}, {"", 128, true},     {"99999999999", 128, true},
  };
  for (const auto& c : cases) {
    const TColorEntry entry = ReadColorEntry(c.text);
    EXPECT_EQ(entry.value, c.value) << c.text;
    EXPECT_EQ(entry.message, c.message) << c.text;
  }
  EXPECT_EQ(ColorRangeMessage(), "0から255までの整数を入力してください。");
  EXPECT_EQ(ColorEntryText(255), " 255");
}

TEST(FreeFilterKernelTest, BoundItemsNameTheOddSizesUpTo21) {
  const std::vector<std::string>& items = BoundItems();
  ASSERT_EQ(items.size(), 10u);
  EXPECT_EQ(items.front(), " 003");
  EXPECT_EQ(items.back(), " 021");
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int size = SizeOfBoundText(items[i]);
    EXPECT_EQ(size, static_cast<int>(2 * i + 3));
    EXPECT_EQ(BoundIndexOfSize(size), static_cast<int>(i));
  }
  for (int size : {-1, 0, 1, 2, 4, 20, 23, 255}) EXPECT_EQ(BoundIndexOfSize(size), -1) << size;
  EXPECT_EQ(SizeOfBoundText("abc"), -1);
  EXPECT_EQ(ColorItems().front(), " 000");
  EXPECT_EQ(CalTypeItems()[3], "+エンボス型");
}

TEST(FreeFilterParameterTextTest, ControlsToText) {
  std::vector<std::string> grid = {"   1", "  -2", "   3", "4", " 5 ", "6", "7", "8", "-999"};
  const struct {
    int cal_type;
    std::vector<std::string> cells;
    bool gray;
    const char* color;
    const char* text;
  } cases[] = {
      {0, kOnes, false, " 000", "Std,  3, 1,1,1,1,1,1,1,1,1, 0,0"},
      {1, grid, true, " 128", "UnS,  3, 1,-2,3,4,5,6,7,8,-999, 1,0"},
      {2, kOnes, false, " 064", "Emb,  3, 1,1,1,1,1,1,1,1,1, 0,64"},
      {3, kOnes, true, "300", "+Em,  3, 1,1,1,1,1,1,1,1,1, 1,255"},
      {3, kOnes, false, "-4", "+Em,  3, 1,1,1,1,1,1,1,1,1, 0,0"},
      // What the parameter text cannot carry gives no text.
      {4, kOnes, false, " 000", ""},
      {-1, kOnes, false, " 000", ""},
      {0, kOnes, false, "abc", ""},
      {0, {"1", "1", "1", "1", "abc", "1", "1", "1", "1"}, false, " 000", ""},
      {0, {"1", "1", "1", "1", "", "1", "1", "1", "1"}, false, " 000", ""},
      {0, {"1", "1", "1", "1", "1000", "1", "1", "1", "1"}, false, " 000", ""},
      {0, {"1", "1", "1", "1"}, false, " 000", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FreeFilterParameterText(c.cal_type, 3, c.cells, c.gray, c.color), c.text) << c.text;
}

TEST(FreeFilterRecordTest, RecordsReadWithTheirErrorCodes) {
  const std::string ones = ",1,1,1,1,1,1,1,1,1";
  const struct {
    std::string record;
    int error;
  } cases[] = {
      {"Std,  3, 1,1,1,1,1,1,1,1,1, 0,0", 0},
      {"", 5},
      {"   ", 5},
      {"Xyz,3" + ones + ",0,0", 1},
      {"Stdx,3" + ones + ",0,0", 1},
      {"Std", 2},
      {"Std,a" + ones + ",0,0", 2},
      {"Std,,1", 2},
      {"Std,23" + Repeat(",1", 529) + ",0,0", 3},
      {"Std,4" + Repeat(",1", 16) + ",0,0", 3},
      {"Std,1,1,0,0", 3},
      {"Std,-3" + ones + ",0,0", 3},
      {"Std,2147483647,1", 3},
      {"Std,3,1,1", 4},
      {"Std,3" + ones + ",0", 4},
      {"Std,3" + ones + ",0,0,0", 4},
      {"Std,21" + Repeat(",1", 200000), 4},
      {"Std,3,1,1,1,1,x,1,1,1,1,0,0", 6},
      {"Std,3,1,1,1,1,1000,1,1,1,1,0,0", 6},
      {"Std,3,1,1,1,1,,1,1,1,1,0,0", 6},
  };
  for (const auto& c : cases) {
    TFreeFilterRecord record;
    record.color = 77;
    EXPECT_EQ(ParseFreeFilterRecord(c.record, record), c.error) << c.record.substr(0, 60);
    if (c.error != 0) {
      EXPECT_EQ(record.color, 77) << "read in part: " << c.record.substr(0, 60);
    }
  }
  EXPECT_EQ(FilterDataError(3), "FilterData Error(3)");
}

TEST(FreeFilterRecordTest, RecordFieldsToControls) {
  const struct {
    std::string record;
    int cal_type;
    int size;
    bool gray;
    int color;
  } cases[] = {
      {"Std,  3, 1,1,1,1,1,1,1,1,1, 0,0", 0, 3, false, 0},
      {"uns,5" + Repeat(",2", 25) + ", 1 ,17", 1, 5, true, 17},
      {"EMB,3,1,1,1,1,1,1,1,1,1,2,x", 2, 3, false, 128},
      {"+em,3,1,1,1,1,1,1,1,1,1,1,300", 3, 3, true, 255},
      {"+Em,3,1,1,1,1,1,1,1,1,1,0,-5", 3, 3, false, 0},
  };
  for (const auto& c : cases) {
    TFreeFilterRecord record;
    ASSERT_EQ(ParseFreeFilterRecord(c.record, record), 0) << c.record;
    EXPECT_EQ(record.cal_type, c.cal_type) << c.record;
    EXPECT_EQ(record.kernel.size, c.size) << c.record;
    EXPECT_EQ(record.kernel.values.size(), static_cast<std::size_t>(c.size * c.size));
    EXPECT_EQ(record.gray, c.gray) << c.record;
    EXPECT_EQ(record.color, c.color) << c.record;
  }
}

TEST(FreeFilterRecordTest, EveryParameterTextReadsBackAsItsControls) {
  for (int cal_type = 0; cal_type < 4; ++cal_type) {
    for (bool gray : {false, true}) {
      std::vector<std::string> cells;
      for (int k = 0; k < 25; ++k) cells.push_back(std::to_string(k * 83 - 999));
      const std::string text = FreeFilterParameterText(cal_type, 5, cells, gray, " 192");
      TFreeFilterRecord record;
      ASSERT_EQ(ParseFreeFilterRecord(text, record), 0) << text;
      EXPECT_EQ(record.cal_type, cal_type);
      EXPECT_EQ(record.gray, gray);
      EXPECT_EQ(record.color, cal_type >= 2 ? 192 : 0);
      for (int k = 0; k < 25; ++k) EXPECT_EQ(record.kernel.values[k], k * 83 - 999);
    }
  }
}

TEST(FreeFilterRecordTest, GroupedByKindWithUnknownKindsKept) {
  const std::vector<std::string> stored = {"+Em,a", "Std,b", "RGB,c", "emb,d", "Std,a",
                                           "UnS,e", "xx",    "",      "St"};
  std::vector<std::string> hidden = {"stale"};
  EXPECT_EQ(GroupFilterRecords(stored, &hidden),
            (std::vector<std::string>{"Std,b", "Std,a", "UnS,e", "emb,d", "+Em,a"}));
  EXPECT_EQ(hidden, (std::vector<std::string>{"RGB,c", "xx", "", "St"}));
  EXPECT_EQ(RecordsToKeep({"Std,b", "+Em,a"}, hidden),
            (std::vector<std::string>{"", "+Em,a", "RGB,c", "St", "Std,b", "xx"}));
  EXPECT_EQ(CalTypeOfRecord("+EMB"), 3);
  EXPECT_EQ(CalTypeOfRecord("St"), -1);
}

TEST(FreeFilterPresetTest, ScanDirectionIsTheFirstCharacterOfAKeypadDirection) {
  const struct {
    const char* answer;
    bool ok;
    int direction;
  } cases[] = {
      {"9", true, 9}, {"1", true, 1},  {"4 left", true, 4}, {"5", false, 0},
      {"", false, 0}, {"0", false, 0}, {" 8", false, 0},    {"a", false, 0},
  };
  for (const auto& c : cases) {
    int direction = 3;
    EXPECT_EQ(ReadScanDirection(c.answer, direction), c.ok) << c.answer;
    EXPECT_EQ(direction, c.ok ? c.direction : 3) << c.answer;
  }
  EXPECT_TRUE(PresetNeedsDirection(TKernelPreset::kEmboss));
  EXPECT_TRUE(PresetNeedsDirection(TKernelPreset::kEdge));
  EXPECT_FALSE(PresetNeedsDirection(TKernelPreset::kEdgeAll));
}

// Whatever the dialog generates it must be able to show in its boxes and record.
TEST(FreeFilterPresetTest, EveryPresetFitsTheGridAtEverySize) {
  for (TKernelPreset preset :
       {TKernelPreset::kAllOnes, TKernelPreset::kGrid, TKernelPreset::kDistance,
        TKernelPreset::kEmboss, TKernelPreset::kEdge, TKernelPreset::kEdgeAll}) {
    for (const std::string& item : BoundItems()) {
      const int size = SizeOfBoundText(item);
      for (int direction : {1, 2, 3, 4, 6, 7, 8, 9}) {
        const std::string text = PresetKernelText(preset, size, direction);
        const TFreeKernel kernel = KernelFromText(text);
        ASSERT_EQ(kernel.size, size) << text;
        for (int value : kernel.values) {
          ASSERT_GE(value, kKernelCellMin) << text;
          ASSERT_LE(value, kKernelCellMax) << text;
        }
      }
    }
  }
  EXPECT_EQ(PresetKernelText(TKernelPreset::kAllOnes, 3, 3), kInitialKernelText);
  EXPECT_EQ(PresetKernelText(TKernelPreset::kEmboss, 3, 8), "3,0,-1,0,0,0,0,0,1,0");
}

}  // namespace
