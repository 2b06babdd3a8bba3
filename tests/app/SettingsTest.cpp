#include <gtest/gtest.h>

#include <set>

#include "app/FolderMenu.h"
#include "app/Settings.h"
#include "platform/IniFile.h"
#include "platform/PathText.h"

TEST(SettingsSchema, KeysAreUniqueWithinTheirSections) {
  std::set<std::string> seen;
  for (const TSettingDef& def : SettingsSchema())
    EXPECT_TRUE(seen.insert(std::string(def.section) + "/" + def.key).second) << def.key;
  EXPECT_EQ(seen.size(), 166u);
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

TEST(FolderMenu, CaptionsAndPruning) {
  const PathText paths(TPathStyle::Posix, {"", "/media/u/DiskA"});
  std::vector<std::string> folders{"/home/u/photos/", "/gone", "/media/u/DiskA", "/"};
  const auto items =
      BuildFolderMenu(folders, paths, [](const std::string& f) { return f != "/gone"; });
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].caption, "photos");
  EXPECT_EQ(items[1].caption, "/media/u/DiskA");
  EXPECT_EQ(items[2].caption, "/");
  EXPECT_EQ(folders, (std::vector<std::string>{"/home/u/photos/", "/media/u/DiskA", "/"}));
}
