// The settings and data files in the program folder: what cannot be read is kept and reported,
// and nothing the user made is written over.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/IniFile.h"
#include "platform/LineFile.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/platform/DecimalCommaLocale.h"

namespace fs = std::filesystem;

namespace {

class ProgramDataTest : public ::testing::Test {
 protected:
  ProgramDataTest() : apu_(&recorder_), scope_(apu_) {}

  std::string PathOf(const char* name) const { return dir_.File(name); }
  std::vector<std::string> BadFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.Path()))
      if (entry.path().extension() == ".bad") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TTempDir dir_;
  TRecordingDialogService recorder_;
  TApU apu_;
  TApUScope scope_;
};

const std::string kGarbage = "ok line\r\n\x85\x40\xFF\xFE\x81";

}  // namespace

TEST_F(ProgramDataTest, AnUnreadableListIsKeptAsideOnceAndReported) {
  WriteWholeFile(PathOf("CapList.dat"), kGarbage);
  for (int start = 0; start < 3; ++start) {
    TProgramData data(dir_.Path().string());
    std::vector<std::string> lines{"stale"};
    EXPECT_FALSE(data.LoadList(TProgramData::kCapListFile, lines));
    EXPECT_TRUE(lines.empty());
  }
  EXPECT_EQ(BadFiles(), std::vector<std::string>{"CapList.dat.bad"});
  EXPECT_EQ(ReadWholeFile(PathOf("CapList.dat.bad")), kGarbage);
  ASSERT_EQ(recorder_.Texts().size(), 3u);
  EXPECT_EQ(
      recorder_.Texts()[2],
      "CapList.dat を読み込めませんでした。元のファイルは CapList.dat.bad として残しました。");
  // Other unreadable content is kept beside the first copy.
  WriteWholeFile(PathOf("CapList.dat"), kGarbage + "\xFF");
  TProgramData data(dir_.Path().string());
  std::vector<std::string> lines;
  data.LoadList(TProgramData::kCapListFile, lines);
  EXPECT_EQ(BadFiles(), (std::vector<std::string>{"CapList.dat.bad", "CapList.dat_01.bad"}));
  EXPECT_TRUE(data.SaveList(TProgramData::kCapListFile, {"new"}));
}

TEST_F(ProgramDataTest, ReadOnlyFilesAreNeverReplaced) {
  // Checked from the permission bits, so that it holds when the tests run as root as well.
  const std::string list = PathOf("FileList.dat"), ini = PathOf("Velmora.ini");
  WriteWholeFile(list, "/home/u/a.jpg\r\n");
  WriteWholeFile(ini, "[Form]\r\nWidth=640\r\n");
  chmod(list.c_str(), 0444);
  chmod(ini.c_str(), 0444);
  TProgramData data(dir_.Path().string());
  std::vector<std::string> lines;
  ASSERT_TRUE(data.LoadList(TProgramData::kFileListFile, lines));
  EXPECT_FALSE(data.SaveList(TProgramData::kFileListFile, {"/home/u/b.jpg"}));
  TIniFile settings_file;
  data.LoadSettings(settings_file);
  TMainSettings settings;
  ReadSettings(settings_file, settings);
  EXPECT_EQ(settings.form.width, 640);
  settings.form.width = 800;
  EXPECT_FALSE(data.SaveSettings(settings));
  EXPECT_EQ(recorder_.Texts(), std::vector<std::string>{"初期化ファイルの設定に失敗しました。"});
  EXPECT_EQ(ReadWholeFile(list), "/home/u/a.jpg\r\n");
  EXPECT_EQ(ReadWholeFile(ini), "[Form]\r\nWidth=640\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), {}), 2);
}

TEST_F(ProgramDataTest, SettingsThatAreAFolderOrADanglingLinkStartWithDefaults) {
  const std::string ini = PathOf("Velmora.ini");
  fs::create_directory(ini);
  WriteWholeFile(ini + "/keep", "x");
  {
    TProgramData data(dir_.Path().string());
    TIniFile settings_file;
    data.LoadSettings(settings_file);
    EXPECT_TRUE(settings_file.Sections().empty());
    EXPECT_FALSE(data.SaveSettings(TMainSettings{}));
    EXPECT_EQ(recorder_.Texts(),
              (std::vector<std::string>{
                  "初期化ファイル を読み込めませんでした。このファイルは書き換えません。",
                  "初期化ファイルの設定に失敗しました。"}));
    EXPECT_EQ(ReadWholeFile(ini + "/keep"), "x");
  }
  fs::remove_all(ini);
  recorder_.Clear();
  // A link to a file not yet made: reported, and the settings then go where it points.
  fs::create_directory(dir_.Path() / "elsewhere");
  fs::create_symlink(dir_.Path() / "elsewhere" / "mine.ini", ini);
  TProgramData data(dir_.Path().string());
  TIniFile settings_file;
  data.LoadSettings(settings_file);
  EXPECT_EQ(recorder_.Texts().size(), 1u);
  TMainSettings settings;
  settings.base.zoom_rate = 50;
  EXPECT_TRUE(data.SaveSettings(settings));
  EXPECT_TRUE(fs::is_symlink(ini));
  TIniFile written;
  ASSERT_TRUE(written.Load(dir_.File("elsewhere/mine.ini")));
  EXPECT_EQ(written.ReadInteger("BaseSettings", "ZoomRate", 0), 50);
}

TEST_F(ProgramDataTest, AListThatIsAFolderIsReportedAndLeftAlone) {
  fs::create_directory(PathOf("Folders.dat"));
  TProgramData data(dir_.Path().string());
  data.LoadFolders();
  data.folders = {"/home/u"};
  data.SaveRecordsAndFolders();
  EXPECT_TRUE(fs::is_directory(PathOf("Folders.dat")));
  EXPECT_EQ(recorder_.Texts().size(), 1u);
}

TEST_F(ProgramDataTest, UndecodableSettingsLinesAndOwnSectionsSurviveAClose) {
  const std::string ini = PathOf("Velmora.ini");
  const std::string comment = "; notes \xFF\xFE";
  WriteWholeFile(ini, "[Form]\r\nWidth=640\r\n" + comment +
                          "\r\n[BaseSettings]\r\nZoomRate=50\r\n" +
                          "SlideInterval=3000\r\n[Mine]\r\nColour=blue\r\n");
  TProgramData data(dir_.Path().string());
  TIniFile settings_file;
  data.LoadSettings(settings_file);
  TMainSettings settings;
  ReadSettings(settings_file, settings);
  EXPECT_EQ(settings.form.width, 640);
  EXPECT_EQ(settings.base.zoom_rate, 50);
  EXPECT_EQ(settings.base.slide_interval, 3000);
  EXPECT_EQ(recorder_.Texts(),
            std::vector<std::string>{
                "初期化ファイルに読み込めない行がありました。その行は書き換えずに残します。"});
  settings.form.width = 700;
  ASSERT_TRUE(data.SaveSettings(settings));
  const std::string saved = ReadWholeFile(ini);
  EXPECT_NE(saved.find("\r\n" + comment + "\r\n"), std::string::npos);
  TIniFile again;
  ASSERT_TRUE(again.Load(ini));
  EXPECT_EQ(again.ReadInteger("Form", "Width", 0), 700);
  EXPECT_EQ(again.ReadString("Mine", "Colour", ""), "blue");
  EXPECT_EQ(again.ReadInteger("BaseSettings", "SlideInterval", 0), 3000);
  EXPECT_TRUE(BadFiles().empty());
}

TEST_F(ProgramDataTest, ListsInCodePage932KeepTheirNamesAndBytes) {
  // ﾅｶ is also the UTF-8 form of Ŷ; 写真 is plain code page 932.
  const std::string bytes = "/home/u/\xC5\xB6/a.jpg\r\n/home/u/\x8E\xCA\x90\x5E/b.jpg\r\n";
  WriteWholeFile(PathOf("FileList.dat"), bytes);
  TProgramData data(dir_.Path().string());
  std::vector<std::string> lines;
  ASSERT_TRUE(data.LoadList(TProgramData::kFileListFile, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"/home/u/ﾅｶ/a.jpg", "/home/u/写真/b.jpg"}));
  ASSERT_TRUE(data.SaveList(TProgramData::kFileListFile, lines));
  EXPECT_EQ(ReadWholeFile(PathOf("FileList.dat")), bytes);
}

TEST_F(ProgramDataTest, SettingsRoundTripOnADecimalCommaDesktop) {
  TDecimalCommaLocale german;
  VELMORA_NEED_DECIMAL_COMMA(german);
  TProgramData data(dir_.Path().string());
  TMainSettings settings = DefaultSettings({1024, 768, dir_.Path().string()});
  settings.base.real_zoom_control = 1.5;
  settings.picture_table.thumb_percent_percent = 75;
  ASSERT_TRUE(data.SaveSettings(settings));
  const std::string saved = ReadWholeFile(PathOf("Velmora.ini"));
  EXPECT_NE(saved.find("RealZoomControl=1.5\r\n"), std::string::npos);
  EXPECT_NE(saved.find("ThumbPercentPercent=75\r\n"), std::string::npos);
  TIniFile file;
  data.LoadSettings(file);
  TMainSettings back = DefaultSettings({1024, 768, dir_.Path().string()});
  ReadSettings(file, back);
  EXPECT_EQ(back.base.real_zoom_control, 1.5);
  EXPECT_EQ(back.picture_table.thumb_percent_percent, 75);
  EXPECT_TRUE(recorder_.Texts().empty());
}
