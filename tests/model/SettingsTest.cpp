#include <gtest/gtest.h>

#include <set>

#include "model/Settings.h"
#include "platform/IniFile.h"
#include "platform/PathText.h"

TEST(SettingsSchema, KeysAreUniqueWithinTheirSections) {
  std::set<std::string> seen;
  for (const TSettingDef& def : SettingsSchema())
    EXPECT_TRUE(seen.insert(std::string(def.section) + "/" + def.key).second) << def.key;
  EXPECT_EQ(seen.size(), 170u);
}

TEST(SettingsSchema, SectionsAreWrittenInReadingOrder) {
  TIniFile ini;
  WriteSettings(DefaultSettings({1024, 768, "/opt/v"}), ini);
  EXPECT_EQ(ini.Sections(),
            (std::vector<std::string>{"Form", "Panel", "FileFilter", "Effect", "BaseSettings",
                                      "PictureTableForm", "PlayListViewerForm",
                                      "ImageViewBasicForm", "PictureGridForm", "TextArrange",
                                      "FusionArrange", "Palette", "Extensions"}));
  EXPECT_EQ(ini.ReadString("BaseSettings", "RealZoomControl", ""), "1");
  EXPECT_EQ(ini.ReadString("Effect", "RotationBackColor", ""), "16777215");
  EXPECT_EQ(ini.ReadString("BaseSettings", "SlideView", ""), "1");
  EXPECT_EQ(ini.ReadString("BaseSettings", "NowFolder", ""), "/opt/v");
  EXPECT_EQ(ini.ReadString("PictureTableForm", "ThumbPercentPercent", ""), "50");
  // The other formats stay out of the folder's file mask unless asked for.
  EXPECT_EQ(ini.ReadString("Extensions", "OtherFormats", ""), "0");
  // One neighbour each way within 256 MB unless asked otherwise.
  EXPECT_EQ(ini.ReadString("Extensions", "ReadAhead", ""), "1");
  EXPECT_EQ(ini.ReadString("Extensions", "ReadAheadMegabytes", ""), "256");
  // Thumbnails are exact unless the quicker reduced decoding is asked for.
  EXPECT_EQ(ini.ReadString("Extensions", "QuickThumbnails", ""), "0");
}

TEST(Settings, ThumbPercentIsReadAsAWholeNumber) {
  TIniFile ini;
  ini.LoadLines({"[PictureTableForm]", "ThumbPercentPercent=62.5"});
  TMainSettings s;
  ReadSettings(ini, s);
  EXPECT_EQ(s.picture_table.thumb_percent_percent, 50);  // not a whole number: the default
  ini.WriteString("PictureTableForm", "ThumbPercentPercent", "62");
  ReadSettings(ini, s);
  EXPECT_EQ(s.picture_table.thumb_percent_percent, 62);
}

TEST(Settings, ExtractFileSizeKeepsItsDecimals) {
  TIniFile ini;
  ini.LoadLines({"[PictureTableForm]", "FileExtractFileSize=120"});  // as older files hold it
  TMainSettings s;
  ReadSettings(ini, s);
  EXPECT_EQ(s.picture_table.file_extract_file_size, 120);
  s.picture_table.file_extract_file_size = 250.4;
  TIniFile out;
  WriteSettings(s, out);
  EXPECT_EQ(out.ReadString("PictureTableForm", "FileExtractFileSize", ""), "250.4");
  TMainSettings back;
  ReadSettings(out, back);
  EXPECT_EQ(back.picture_table.file_extract_file_size, 250.4);
}

TEST(Settings, ColoursKeepAllTheirBits) {
  TIniFile ini;
  ini.LoadLines({"[Effect]", "RotationBackColor=536870912", "BackColor=-16777201"});
  TMainSettings s;
  ReadSettings(ini, s);
  EXPECT_EQ(s.effect.rotation_back_color, 0x20000000u);  // the default-colour sentinel
  EXPECT_EQ(s.effect.back_color, 0xFF00000Fu);
  TIniFile out;
  WriteSettings(s, out);
  EXPECT_EQ(out.ReadString("Effect", "RotationBackColor", ""), "536870912");
  EXPECT_EQ(out.ReadString("Effect", "BackColor", ""), "-16777201");
}

TEST(Settings, ExtremeValuesAreHeldInTheirRangesWithoutOverflow) {
  TIniFile ini;
  ini.LoadLines({"[Form]", "Left=-2147483648", "Top=2147483647", "Width=2147483647",
                 "Height=-2147483648", "[Panel]", "LeftWidth=-2147483648", "DirHeight=2147483647",
                 "RightWidth=2147483647", "ImagePanelLeft=2000000000", "ImagePanelTop=-2147483648",
                 "TextDataListBoxHeight=-2147483648", "[BaseSettings]", "SlideInterval=0",
                 "ZoomRate=2147483647", "RealZoomControl=-1", "[FileFilter]",
                 "JPEGSaveQuality=-5"});
  ini.WriteString("Extensions", "ReadAhead", "2147483647");
  ini.WriteString("Extensions", "ReadAheadMegabytes", "-1");
  const TSettingsContext context{1024, 768, "/opt/v"};
  TMainSettings s = DefaultSettings(context);
  ReadSettings(ini, s);
  NormalizeSettings(s, context, PathText(TPathStyle::Posix, {""}));
  const struct {
    const char* name;
    long long value, expected;
  } cases[] = {
      {"Form.Left", s.form.left, 200 - 1024},
      {"Form.Top", s.form.top, 768 - 200},
      {"Form.Width", s.form.width, 1024},
      {"Form.Height", s.form.height, 400},
      {"LeftWidth", s.panel.left_width, 80},
      {"DirHeight", s.panel.dir_height, 768},
      {"RightWidth", s.panel.right_width, 1024},
      {"ImagePanelLeft", s.panel.image_panel_left, 25},
      {"ImagePanelTop", s.panel.image_panel_top, 0},
      {"TextDataListBoxHeight", s.panel.text_data_list_box_height, 30},
      {"SlideInterval", s.base.slide_interval, 1},
      {"ZoomRate", s.base.zoom_rate, 100},
      {"JPEGSaveQuality", s.file_filter.jpeg_save_quality, 1},
      {"ReadAhead", s.extensions.read_ahead, 10},
      {"ReadAheadMegabytes", s.extensions.read_ahead_megabytes, 16},
  };
  for (const auto& c : cases) EXPECT_EQ(c.value, c.expected) << c.name;
  EXPECT_EQ(s.base.real_zoom_control, 1.0);
  // The layout sums the window makes from them stay within int.
  const long long middle =
      static_cast<long long>(s.form.width) - s.panel.left_width - s.panel.right_width;
  EXPECT_GE(middle, -2147483647LL);
}
