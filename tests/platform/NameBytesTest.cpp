// Linux names are bytes: every name must come back byte for byte from every file the program
// writes, and names that need nothing special must be written exactly as before.
#include <gtest/gtest.h>

#include "platform/IniFile.h"
#include "platform/LineEscape.h"
#include "platform/LineFile.h"
#include "platform/PathText.h"
#include "tests/TestSupport.h"

namespace {

const PathText kPaths(TPathStyle::Posix, {""});

class NameRoundTrip : public ::testing::TestWithParam<const char*> {
 protected:
  std::string Path() const { return std::string("/home/u/") + GetParam(); }
  TTempDir dir_;
};

TEST_P(NameRoundTrip, ThroughAListFile) {
  const std::string file = dir_.File("FileList.dat");
  const std::vector<std::string> lines{Path(), "/home/u/a.jpg"};
  ASSERT_TRUE(LineFile::Write(file, lines));
  std::vector<std::string> back;
  ASSERT_TRUE(LineFile::Read(file, back));
  EXPECT_EQ(back, lines);
}

TEST_P(NameRoundTrip, ThroughACapDataLine) {
  const std::string file = dir_.File("CapList.dat");
  ASSERT_TRUE(LineFile::Write(file, {kPaths.EncodeRecordPath(Path()) + "/1/2/3/4/ARo90"}));
  std::vector<std::string> back;
  ASSERT_TRUE(LineFile::Read(file, back));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(kPaths.LineKind(back[0]), TDataLineKind::CapData);
  const std::size_t slash = back[0].find('/');
  EXPECT_EQ(kPaths.DecodeRecordPath(back[0].substr(0, slash)), Path());
  EXPECT_EQ(back[0].substr(slash), "/1/2/3/4/ARo90");
}

TEST_P(NameRoundTrip, ThroughTheSettingsFile) {
  const std::string file = dir_.File("Velmora.ini");
  TIniFile ini;
  ini.WriteString("BaseSettings", "NowFolder", Path());
  ini.WriteInteger("BaseSettings", "SlideView", 1);
  ASSERT_TRUE(ini.Save(file));
  TIniFile again;
  ASSERT_TRUE(again.Load(file));
  EXPECT_EQ(again.UndecodedLines(), 0u);
  EXPECT_EQ(again.ReadString("BaseSettings", "NowFolder", ""), Path());
  EXPECT_EQ(again.Keys("BaseSettings"), (std::vector<std::string>{"NowFolder", "SlideView"}));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameRoundTrip,
    ::testing::Values("sjis_\x83\x65\x83\x58\x83\x67.jpg",  // a zip unpacked without a code page
                      "\xE9.jpg",                           // Latin-1
                      "写真\xE9.jpg", "a\nb.jpg", "a\rb.jpg", "a\r\n.jpg", "x(@BSL)y.jpg",
                      "(@X41).jpg", "(@X28)@.jpg", "((@X0A)(@", "back\\slash (1).jpg",
                      "caf\xC3\xA9 \xF0\x9F\x98\x80.jpg", "写真.jpg"));

TEST(NameBytes, OrdinaryNamesAreWrittenAsBefore) {
  TTempDir dir;
  const std::string file = dir.File("list.dat");
  ASSERT_TRUE(LineFile::Write(file, {"/home/u/a.jpg", "\\home\\u\\写真.jpg/1/2/3/4/Txt(@COM)"}));
  EXPECT_EQ(ReadWholeFile(file),
            "/home/u/a.jpg\r\n\\home\\u\\\x8E\xCA\x90\x5E.jpg/1/2/3/4/Txt(@COM)\r\n");
}

TEST(NameBytes, EscapesOnlyWhatALineCannotHold) {
  const std::pair<std::string, std::string> cases[] = {
      {"/a/\xE9.jpg", "/a/(@XE9).jpg"},
      {"\x83\x65", "(@X83)e"},  // the second byte of a code page 932 pair is plain ASCII
      {"a\nb\rc", "a(@X0A)b(@X0D)c"},
      {"(@X41)", "(@X28)@X41)"},
      {"(@BSL) (@X4) (@Xzz) (@x41)", "(@BSL) (@X4) (@Xzz) (@x41)"},
      {"写真 caf\xC3\xA9", "写真 caf\xC3\xA9"},
      {"\xF0\x9F\x98", "(@XF0)(@X9F)(@X98)"},  // a character cut short
  };
  for (const auto& [text, escaped] : cases) {
    EXPECT_EQ(EscapeLineBytes(text), escaped) << text;
    EXPECT_EQ(UnescapeLineBytes(escaped), text) << escaped;
  }
  // Escapes that are not well formed are left as they stand.
  EXPECT_EQ(UnescapeLineBytes("(@X4)(@XG1)(@X41"), "(@X4)(@XG1)(@X41");
}

TEST(NameBytes, ALoneCarriageReturnEndsALine) {
  std::vector<std::string> lines;
  ASSERT_TRUE(LineFile::Decode("a\rb\r\nc\n\rd", lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));
  TIniFile ini;
  ini.LoadBytes("[Form]\rLeft=3\rTop=4\r\n");
  EXPECT_EQ(ini.ReadInteger("Form", "Left", 0), 3);
  EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), 4);
}

// The system would read such a path only up to the NUL, and so write or read another file.
TEST(NameBytes, ALineHoldingNulIsUnknownData) {
  for (const std::string& line :
       {std::string("/home/u/src.jpg\0.bmp", 20), std::string("\\home\\u\\a.jpg\0/1/2/3/4", 22)})
    EXPECT_EQ(kPaths.LineKind(line), TDataLineKind::Unknown);
}

// An older version wrote a raw name into the settings file: the key still reads as those bytes,
// and writing it replaces the line instead of adding a second key at every close.
TEST(NameBytes, ARawSettingsLineIsReplacedNotDuplicated) {
  TTempDir dir;
  const std::string file = dir.File("Velmora.ini");
  WriteWholeFile(file, "\xEF\xBB\xBF[BaseSettings]\r\nNowFolder=/home/u/\xE9\r\nSlideView=1\r\n");
  TIniFile ini;
  ASSERT_TRUE(ini.Load(file));
  EXPECT_EQ(ini.UndecodedLines(), 1u);
  EXPECT_EQ(ini.ReadString("BaseSettings", "NowFolder", ""), "/home/u/\xE9");
  ini.WriteString("BaseSettings", "NowFolder", "/home/u/\xE9");
  ASSERT_TRUE(ini.Save(file));
  EXPECT_EQ(ReadWholeFile(file), "[BaseSettings]\r\nNowFolder=/home/u/(@XE9)\r\nSlideView=1\r\n");
  TIniFile again;
  ASSERT_TRUE(again.Load(file));
  EXPECT_EQ(again.UndecodedLines(), 0u);
  EXPECT_EQ(again.ReadString("BaseSettings", "NowFolder", ""), "/home/u/\xE9");
}

}  // namespace
