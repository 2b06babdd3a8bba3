// The text dialog's texts: its three settings texts, the parameter text and the entry rules of
// its combo boxes.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "effects/TextArrangeTexts.h"
#include "engine/ImageOption.h"

namespace {

TTextFontState BoldItalicArial() {
  TTextFontState font;
  font.name = "Arial";
  font.bold = font.italic = true;
  font.size = 12;
  font.color = 255;
  return font;
}

TEST(TextFontTextTest, StyleCodeBothWays) {
  EXPECT_EQ(FontText(BoldItalicArial()), "Arial,11,12,255");
  const struct {
    const char* text;
    bool bold, italic, underline, strike_out;
    int size;
    int color;
  } cases[] = {
      {"Arial,11,12,255", true, true, false, false, 12, 255},
      {"ＭＳ ゴシック,0,9,0", false, false, false, false, 9, 0},
      {"ＭＳ ゴシック,1000,9,-16777208", false, false, false, true, 9, -16777208},
      {"IPAGothic,1111,72,16777215", true, true, true, true, 72, 16777215},
      // A digit other than 1 sets nothing.
      {"Arial,2,12,0", false, false, false, false, 12, 0},
      {"Arial,120,12,0", false, false, true, false, 12, 0},
      {"Arial, 101 , 10 ,0", true, false, true, false, 10, 0},
  };
  for (const auto& c : cases) {
    TTextFontState font;
    ASSERT_TRUE(ParseFontText(c.text, font)) << c.text;
    EXPECT_EQ(font.bold, c.bold) << c.text;
    EXPECT_EQ(font.italic, c.italic) << c.text;
    EXPECT_EQ(font.underline, c.underline) << c.text;
    EXPECT_EQ(font.strike_out, c.strike_out) << c.text;
    EXPECT_EQ(font.size, c.size) << c.text;
    EXPECT_EQ(font.color, c.color) << c.text;
  }
  TTextFontState font;
  ASSERT_TRUE(ParseFontText("ＭＳ ゴシック,11,12,255", font));
  EXPECT_EQ(font.name, "ＭＳ ゴシック");
  EXPECT_EQ(FontText(font), "ＭＳ ゴシック,11,12,255");
}

TEST(TextSettingsTextTest, MalformedTextsLeaveTheState) {
  const TTextFontState font_before = BoldItalicArial();
  for (const char* bad : {"", "ＭＳ ゴシック,9", "Arial,x,12,0", "Arial,1,12,0,5", "Arial,1,,0",
                          "Arial,1,12,99999999999", "Arial;1;12;0"}) {
    TTextFontState font = font_before;
    EXPECT_FALSE(ParseFontText(bad, font)) << bad;
    EXPECT_EQ(font, font_before) << bad;
  }
  TTextLayout layout_before;
  layout_before.rotation = 450;
  for (const char* bad : {"", "1,2,3,4", "1,2,3,4,5,6", "a,16777215,16777215,0,0",
                          "1,16777215,16777215,4.5,0", "1,16777215,16777215,0,"}) {
    TTextLayout layout = layout_before;
    EXPECT_FALSE(ParseLayoutText(bad, layout)) << bad;
    EXPECT_EQ(layout, layout_before) << bad;
  }
  TTextViewOptions options_before;
  options_before.view_size = 20;
  for (const char* bad : {"", "1,1,12", "1,1,12,1,1", "1,1,big,1"}) {
    TTextViewOptions options = options_before;
    EXPECT_FALSE(ParseOptionText(bad, options)) << bad;
    EXPECT_EQ(options, options_before) << bad;
  }
}

TEST(TextSettingsTextTest, LayoutAndOptionsBothWays) {
  TTextLayout layout;
  EXPECT_EQ(LayoutText(layout), "1,16777215,16777215,0,0");
  layout = {-255, 0, 65280, -300, true};
  EXPECT_EQ(LayoutText(layout), "-255,0,65280,-300,1");
  TTextLayout read;
  ASSERT_TRUE(ParseLayoutText("-255,0,65280,-300,1", read));
  EXPECT_EQ(read, layout);
  // Only 1 turns the limit on; a system colour stays as stored.
  ASSERT_TRUE(ParseLayoutText("0,-16777211,16777215,450,2", read));
  EXPECT_EQ(read, (TTextLayout{0, -16777211, 16777215, 450, false}));

  TTextViewOptions options{true, false, 24, true};
  EXPECT_EQ(OptionText(options), "1,0,24,1");
  TTextViewOptions back;
  ASSERT_TRUE(ParseOptionText("1,0,24,1", back));
  EXPECT_EQ(back, options);
  ASSERT_TRUE(ParseOptionText("yes,1,9,0", back));
  EXPECT_EQ(back, (TTextViewOptions{false, true, 9, false}));
}

TEST(TextParameterTextTest, TwelveFieldsWithTheEscapesInOrder) {
  TTextLayout layout{-255, 0xFFFFFF, 0xFF00, 450, true};
  const std::string text =
      TextParameterText("   C", "  BB", BoldItalicArial(), "1,2/3\r\nnext", layout);
  EXPECT_EQ(text, "C,BB,Arial,11,12,255,1(@COM)2(@SLA)3(@CRLF)next,-255,16777215,65280,450,1");
  // The memo's own line ends are single line feeds; a typed "(@COM)" stays as typed.
  EXPECT_EQ(TextParameterText(" 120", "-35", BoldItalicArial(), "a\nb", TTextLayout{}),
            "120,-35,Arial,11,12,255,a(@CRLF)b,1,16777215,16777215,0,0");

  // The engine reads back exactly what was written.
  TTextSettings settings;
  ASSERT_TRUE(ParseTextSettings(text, settings));
  EXPECT_EQ(settings.x, "C");
  EXPECT_EQ(settings.y, "BB");
  EXPECT_EQ(settings.font.family, "Arial");
  EXPECT_TRUE(settings.font.bold && settings.font.italic && !settings.font.underline);
  EXPECT_EQ(settings.color, 255u);
  EXPECT_EQ(settings.text, "1,2/3\r\nnext");
  EXPECT_EQ(settings.blend, -255);
  EXPECT_EQ(settings.canvas_color, 0xFF00u);
  EXPECT_EQ(settings.angle, 450);
  EXPECT_TRUE(settings.keep_size);
}

TEST(TextParameterTextTest, OriginalColourReferencesAreDrawnAsTheirColours) {
  TTextFontState font = BoldItalicArial();
  font.color = -16777208;                                  // window text
  TTextLayout layout{1, -16777211, 0x20000000, 0, false};  // window, default
  EXPECT_EQ(TextParameterText("C", "C", font, "x", layout),
            "C,C,Arial,11,12,0,x,1,16777215,16777215,0,0");
  const struct {
    int reference;
    TColor fallback;
    TColor color;
  } cases[] = {
      {0, kWhite, 0},
      {0xFFFFFF, kBlack, 0xFFFFFF},
      {255, kWhite, 255},
      {-16777211, kBlack, kWhite},
      {-16777208, kWhite, kBlack},
      {-16777201, kBlack, 0xF0F0F0},
      {-16777198, kWhite, kBlack},
      {-16777215, kBlack, kBlack},
      {0x1FFFFFFF, kWhite, kWhite},
      {0x1000000, kBlack, kBlack},
      {-1, kWhite, kWhite},
      {INT_MIN, kBlack, kBlack},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveColorReference(c.reference, c.fallback), c.color) << c.reference;
}

TEST(TextParameterTextTest, NamesThatWouldBreakTheRecordGiveNothing) {
  for (const char* name : {"Bad,Font", "Bad/Font", "Bad\nFont"}) {
    TTextFontState font = BoldItalicArial();
    font.name = name;
    EXPECT_EQ(TextParameterText("C", "C", font, "x", TTextLayout{}), "") << name;
  }
  EXPECT_EQ(TextParameterText("1,2", "C", BoldItalicArial(), "x", TTextLayout{}), "");
}

TEST(TextSettingsTextTest, UnchangedTextsKeepTheirStoredBytes) {
  EXPECT_EQ(TextToStore("Arial,011,12,255", "Arial,11,12,255", "Arial,11,12,255"),
            "Arial,011,12,255");
  EXPECT_EQ(TextToStore("Arial,011,12,255", "Arial,11,12,255", "Arial,1,12,255"), "Arial,1,12,255");
  EXPECT_EQ(TextToStore("ＭＳ ゴシック,9", "IPAGothic,0,9,0", "IPAGothic,0,9,0"),
            "ＭＳ ゴシック,9");
}

TEST(TextComboEntryTest, PositionAndTransparencyEntries) {
  const std::string xy = "-4000から4000までの整数を入力してください。";
  const std::string alpha = "0から255までの整数を入力してください。";
  const struct {
    TTextCombo combo;
    const char* typed;
    TComboEntry entry;
  } cases[] = {
      {TTextCombo::kX, "rr", {4, "", ""}},
      {TTextCombo::kX, " l l ", {0, "", ""}},
      {TTextCombo::kX, "5000", {-1, " 4000", xy}},
      {TTextCombo::kX, "-4001", {-1, " -4000", xy}},
      {TTextCombo::kX, "99999999999999999999999", {-1, " 4000", xy}},
      {TTextCombo::kX, "9999999999940004000", {-1, " 4000", xy}},
      {TTextCombo::kX, "-9999999999940004000", {-1, " -4000", xy}},
      {TTextCombo::kX, "-120", {-1, " -120", ""}},
      {TTextCombo::kX, "+7", {-1, " 7", ""}},
      {TTextCombo::kX, "abc", {0, "", xy}},
      {TTextCombo::kX, "", {0, "", xy}},
      {TTextCombo::kX, "1.5", {0, "", xy}},
      {TTextCombo::kX, "BB", {0, "", xy}},
      {TTextCombo::kY, "bb", {4, "", ""}},
      {TTextCombo::kY, " t", {1, "", ""}},
      {TTextCombo::kY, "4000", {-1, " 4000", ""}},
      {TTextCombo::kY, "xyz", {0, "", xy}},
      {TTextCombo::kTransparency, "#300", {-1, " #255", alpha}},
      {TTextCombo::kTransparency, "0", {1, "", ""}},
      {TTextCombo::kTransparency, "#0", {1, "", ""}},
      {TTextCombo::kTransparency, "-5", {1, "", alpha}},
      {TTextCombo::kTransparency, "2", {2, "", ""}},
      {TTextCombo::kTransparency, "128", {9, "", ""}},
      {TTextCombo::kTransparency, "7", {-1, " 7", ""}},
      {TTextCombo::kTransparency, "# 40", {-1, " #40", ""}},
      {TTextCombo::kTransparency, "通常", {0, "", ""}},
      {TTextCombo::kTransparency, "#", {0, "", alpha}},
      {TTextCombo::kTransparency, "abc", {0, "", alpha}},
  };
  for (const auto& c : cases) EXPECT_EQ(PositionEntry(c.combo, c.typed), c.entry) << c.typed;
}

TEST(TextComboEntryTest, TransparencyTextsBothWays) {
  const struct {
    const char* text;
    int value;
  } readable[] = {{" 通常", 0}, {" 透過", 1}, {" #255", -255}, {"   10", 10}, {" 7", 7}};
  for (const auto& c : readable) {
    int value = 99;
    ASSERT_TRUE(TransparencyValue(c.text, value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    if (c.value != 10) {
      EXPECT_EQ(TransparencyComboText(c.value), c.text) << c.text;
    }
  }
  for (const char* bad : {"", "abc", "#", "#-3", "1.5", "透"}) {
    int value = 99;
    EXPECT_FALSE(TransparencyValue(bad, value)) << bad;
  }
  EXPECT_EQ(TransparencyComboText(INT_MIN), " #2147483648");
  int least = 0;
  ASSERT_TRUE(TransparencyValue(" #2147483648", least));
  EXPECT_EQ(least, INT_MIN);
  EXPECT_EQ(TransparencyComboText(999), " 999");
}

TEST(TextComboEntryTest, RotationEntryInTenthsWithinOneTurn) {
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {
      {"12.34", " 12.3"}, {"370", " 10.0"},   {"45", " 45.0"},     {"-30", "-30.0"},
      {"360", "  0.0"},   {"-0.04", "  0.0"}, {".5", "  0.5"},     {"-0.5", " -0.5"},
      {"359.9", "359.9"}, {"-725", " -5.0"},  {"359.96", "  0.0"}, {" 180 ", "180.0"},
      {"1e300", nullptr},
  };
  for (const auto& c : cases) {
    std::string shown = "unchanged";
    ASSERT_TRUE(RotationEntry(c.typed, shown)) << c.typed;
    if (c.shown) {
      EXPECT_EQ(shown, c.shown) << c.typed;
    }
    int tenths = 0;
    ASSERT_TRUE(RotationTenths(shown, tenths)) << shown;
    EXPECT_LT(std::abs(tenths), 3600) << c.typed;
  }
  for (const char* bad : {"", "abc", "1,5", "nan", "inf", "0x10"}) {
    std::string shown = "unchanged";
    EXPECT_FALSE(RotationEntry(bad, shown)) << bad;
    EXPECT_EQ(shown, "unchanged");
  }
}

TEST(TextComboEntryTest, StoredRotationShowsLikeTheItems) {
  for (const char* item : RotationItems()) {
    int tenths = 0;
    ASSERT_TRUE(RotationTenths(item, tenths)) << item;
    EXPECT_EQ(RotationComboText(tenths), item);
  }
  EXPECT_EQ(RotationComboText(5), "  0.5");
  EXPECT_EQ(RotationComboText(-3599), "-359.9");
  EXPECT_EQ(RotationComboText(INT64_MIN), "-922337203685477580.8");
  int tenths = 0;
  EXPECT_FALSE(RotationTenths("1e12", tenths));
  EXPECT_FALSE(RotationTenths("", tenths));
}

TEST(TextFileDataTest, NameOrPathWithTheTwoOptions) {
  const struct {
    const char* path;
    bool full, without_extension, with_space;
    const char* text;
  } cases[] = {
      {"/home/u/花.jpg", false, false, false, "花.jpg"},
      {"/home/u/花.jpg", true, false, false, "/home/u/花.jpg"},
      {"/home/u/花.jpg", false, true, false, "花"},
      {"/home/u/花.jpg", true, true, true, " /home/u/花 "},
      {"/home/u/a.b.c", false, true, false, "a.b"},
      {"/home/u.d/noext", false, true, false, "noext"},
      {"/home/u.d/noext", true, true, false, "/home/u.d/noext"},
      {"/home/u/.hidden", false, true, true, " .hidden "},
      {"C:\\Pictures\\a.bmp", false, false, false, "C:\\Pictures\\a.bmp"},
      {"", false, true, true, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FileDataText(c.path, c.full, c.without_extension, c.with_space), c.text) << c.path;
}

}  // namespace
