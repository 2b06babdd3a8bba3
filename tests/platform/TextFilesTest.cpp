#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/LineFile.h"
#include "tests/TestSupport.h"

namespace {
const std::string kJapanese = "指定フォルダ";  // representable in CP932
const std::string kCp932Japanese = "\x8E\x77\x92\xE8\x83\x74\x83\x48\x83\x8B\x83\x5F";  // same text
const std::string kOutsideCp932 = "caf\xC3\xA9 \xF0\x9F\x98\x80";  // e-acute and an emoji
}  // namespace

TEST(CodePage, ConvertsBothWaysAndMeasuresCp932Bytes) {
  std::string cp932, back;
  ASSERT_TRUE(Utf8ToCp932(kJapanese, cp932));
  EXPECT_EQ(cp932, kCp932Japanese);
  ASSERT_TRUE(Cp932ToUtf8(cp932, back));
  EXPECT_EQ(back, kJapanese);
  EXPECT_FALSE(Utf8ToCp932(kOutsideCp932, cp932));
  EXPECT_EQ(Cp932Length("ab" + kJapanese), 2u + 12u);
  EXPECT_EQ(Cp932Length("\xEF\xBD\xB1"), 1u);  // half-width katakana is one byte
  EXPECT_FALSE(IsValidUtf8("\x8E\x77"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a UTF-16 surrogate
}

TEST(LineFile, WritesCodePage932WithCrLfAndReadsItBack) {
  TTempDir dir;
  const std::string path = dir.File("list.dat");
  ASSERT_TRUE(LineFile::Write(path, {"C:\\a.jpg", kJapanese, ""}));
  EXPECT_EQ(ReadWholeFile(path), "C:\\a.jpg\r\n" + kCp932Japanese + "\r\n\r\n");
  std::vector<std::string> lines;
  LineFile::Encoding enc;
  ASSERT_TRUE(LineFile::Read(path, lines, nullptr, &enc));
  EXPECT_EQ(enc, LineFile::Encoding::Cp932);
  EXPECT_EQ(lines, (std::vector<std::string>{"C:\\a.jpg", kJapanese, ""}));
}

TEST(LineFile, FallsBackToUtf8WithBomWhenALineHasNoCp932Form) {
  TTempDir dir;
  const std::string path = dir.File("list.dat");
  ASSERT_TRUE(LineFile::Write(path, {kJapanese, kOutsideCp932}));
  EXPECT_EQ(ReadWholeFile(path), "\xEF\xBB\xBF" + kJapanese + "\r\n" + kOutsideCp932 + "\r\n");
  std::vector<std::string> lines;
  ASSERT_TRUE(LineFile::Read(path, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{kJapanese, kOutsideCp932}));
}

TEST(LineFile, ReadingRules) {
  std::vector<std::string> lines;
  LineFile::Encoding enc;
  ASSERT_TRUE(LineFile::Decode("a\nb\r\nc", lines, &enc));  // LF, CR LF, no final break
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c"}));
  ASSERT_TRUE(LineFile::Decode(kJapanese + "\n", lines, &enc));
  EXPECT_EQ(enc, LineFile::Encoding::Utf8);
  ASSERT_TRUE(LineFile::Decode(kCp932Japanese + "\r\n", lines, &enc));
  EXPECT_EQ(enc, LineFile::Encoding::Cp932);
  EXPECT_EQ(lines, std::vector<std::string>{kJapanese});
  ASSERT_TRUE(LineFile::Decode("", lines));
  EXPECT_TRUE(lines.empty());
  // Neither UTF-8 nor code page 932: refused, lines untouched.
  lines = {"kept"};
  EXPECT_FALSE(LineFile::Decode("ok\r\n\x85\x40\xFF\xFF", lines));
  EXPECT_EQ(lines, std::vector<std::string>{"kept"});
  EXPECT_FALSE(LineFile::Decode("\x82", lines));  // a lead byte cut off at the end
}

TEST(LineFile, ReplaceKeepsTheOldFileWhenTheFolderIsGone) {
  TTempDir dir;
  std::string error;
  EXPECT_FALSE(LineFile::Write(dir.File("missing/list.dat"), {"x"}, &error));
  EXPECT_FALSE(error.empty());
  const std::string path = dir.File("list.dat");
  WriteWholeFile(path, "old\r\n");
  chmod(path.c_str(), 0600);
  ASSERT_TRUE(LineFile::Write(path, {"new"}));
  EXPECT_EQ(ReadWholeFile(path), "new\r\n");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // No temporary files are left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(IniFile, ReadsValuesWithDefaultsAndCaseInsensitiveNames) {
  TIniFile ini;
  ini.LoadLines({"; comment", "[Form]", "Left=-50", "width = 3000", "Big=1099511627776",
                 "Bad=12abc", "[BaseSettings]", "RealZoomControl=1.5", "Comma=2,25", "SlideView=0",
                 "Hex=0xFFFFFF", "Name=指定 フォルダ=x"});
  EXPECT_EQ(ini.ReadInteger("form", "LEFT", 0), -50);
  EXPECT_EQ(ini.ReadInteger("Form", "Width", 500), 3000);
  EXPECT_EQ(ini.ReadInteger("Form", "Big", 7), 7);  // 2^40 does not fit
  EXPECT_EQ(ini.ReadInteger("Form", "Bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger("Form", "Missing", 400), 400);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("BaseSettings", "RealZoomControl", 1.0), 1.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("BaseSettings", "Comma", 1.0), 2.25);
  EXPECT_FALSE(ini.ReadBool("BaseSettings", "SlideView", true));
  EXPECT_EQ(ini.ReadInteger("BaseSettings", "Hex", 0), 0xFFFFFF);
  EXPECT_EQ(ini.ReadString("BaseSettings", "Name", ""), "指定 フォルダ=x");
}

TEST(IniFile, WritesInPlaceKeepingOrderAndAppendsNewKeys) {
  TIniFile ini;
  ini.LoadLines({"; kept", "[Form]", "Top=1", "Left=2", "", "[Panel]", "LeftWidth=120"});
  ini.WriteInteger("Form", "left", 9);
  ini.WriteBool("Form", "Maximized", true);
  ini.WriteFloat("Panel", "Rate", 0.25);
  ini.WriteFloat("Panel", "Whole", 50);
  ini.WriteString("New", "Text", "a\r\nb");
  EXPECT_EQ(ini.Lines(), (std::vector<std::string>{
                             "; kept", "[Form]", "Top=1", "Left=9", "Maximized=1", "", "[Panel]",
                             "LeftWidth=120", "Rate=0.25", "Whole=50", "[New]", "Text=a\r\nb"}));
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Form", "Panel", "New"}));
}

TEST(IniFile, GarbageNeverStopsLoadingAndUndecodableLinesSurviveASave) {
  TTempDir dir;
  const std::string path = dir.File("Velmora.ini");
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  const std::string kept_line = "; caf\xE9 \xFF comment";  // text in neither encoding
  WriteWholeFile(path, "[Form]\r\nLeft=12\r\n" + kept_line + "\r\n[Mine]\r\nKey=\x82\xA0\r\n" +
                           garbage + "\r\n" + std::string(200000, 'x') + "\r\n[Panel\r\n=3\r\n");
  TIniFile ini;
  ASSERT_TRUE(ini.Load(path));
  EXPECT_GT(ini.UndecodedLines(), 0u);
  EXPECT_EQ(ini.ReadInteger("Form", "Left", 0), 12);
  EXPECT_EQ(ini.ReadString("Mine", "Key", ""), "\xE3\x81\x82");  // the rest is code page 932
  ini.WriteInteger("Form", "Left", 40);
  ini.WriteString("Mine", "Key", "\xF0\x9F\x98\x80");  // forces UTF-8 with a mark
  ASSERT_TRUE(ini.Save(path));
  const std::string saved = ReadWholeFile(path);
  EXPECT_NE(saved.find("\r\n" + kept_line + "\r\n"), std::string::npos);
  TIniFile again;
  ASSERT_TRUE(again.Load(path));
  EXPECT_EQ(again.ReadInteger("Form", "Left", 0), 40);
  EXPECT_EQ(again.ReadString("Mine", "Key", ""), "\xF0\x9F\x98\x80");
  EXPECT_EQ(again.Bytes(), saved);
  ASSERT_TRUE(ini.Load(dir.File("absent.ini")));
  EXPECT_TRUE(ini.Sections().empty());
  EXPECT_FALSE(ini.Load(dir.Path().string()));  // a folder
}
