// Data files: reference form round trips, lists written on Windows, type detection, names.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/DataFile.h"
#include "platform/LineFile.h"
#include "tests/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const PathText kPosix(TPathStyle::Posix);

TEST(DataFileReference, SavedBesideItsPicturesAndOpenedAfterTheFolderMoved) {
  TTempDir dir;
  fs::create_directories(dir.Path() / "album" / "sub");
  const std::string album = dir.File("album");
  const std::vector<std::string> lines = {
      album + "/b.jpg", album + "/sub/c.jpg",
      kPosix.EncodeRecordPath(album + "/b.jpg") + "/10/10/50/50", "/elsewhere/d.jpg"};
  ASSERT_TRUE(WriteDataFile(album + "/list.txt", lines, true, false, kPosix));
  std::vector<std::string> written;
  ASSERT_TRUE(LineFile::Read(album + "/list.txt", written));
  EXPECT_EQ(written[0], "//FiF/b.jpg");
  EXPECT_EQ(written[2], "//FiF\\b.jpg/10/10/50/50");
  // "/elsewhere" lies on the root drive too, which has no name of its own.
  EXPECT_EQ(written[3], "//FiD/elsewhere/d.jpg");

  fs::rename(album, dir.File("moved"));
  const std::string moved = dir.File("moved");
  std::vector<std::string> read;
  ASSERT_TRUE(ReadDataFile(moved + "/list.txt", "/opt/velmora", kPosix, read));
  EXPECT_EQ(read,
            (std::vector<std::string>{moved + "/b.jpg", moved + "/sub/c.jpg",
                                      kPosix.EncodeRecordPath(moved + "/b.jpg") + "/10/10/50/50",
                                      "/elsewhere/d.jpg"}));
}

TEST(DataFileReference, WindowsWrittenListOpensBesideItsPictures) {
  TTempDir dir;
  WriteWholeFile(dir.File("b.jpg"), "x");
  WriteWholeFile(dir.File("list.txt"), "//FiF\\b.jpg\r\n//FiF\\b.jpg/1/2/3/4\r\n//ApF\\x.jpg\r\n");
  std::vector<std::string> read;
  ASSERT_TRUE(ReadDataFile(dir.File("list.txt"), "/opt/velmora", kPosix, read));
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0], dir.File("b.jpg"));
  EXPECT_TRUE(fs::exists(read[0]));
  EXPECT_EQ(read[1], kPosix.EncodeRecordPath(dir.File("b.jpg")) + "/1/2/3/4");
  EXPECT_EQ(read[2], "/opt/velmora/x.jpg");
}

TEST(DataFileReference, DriveOnlyAndPlainModes) {
  const PathText windows(TPathStyle::Windows);
  TTempDir dir;
  ASSERT_TRUE(WriteDataFile(dir.File("p.txt"), {dir.File("x.jpg")}, false, false, kPosix));
  std::vector<std::string> plain;
  ASSERT_TRUE(LineFile::Read(dir.File("p.txt"), plain));
  EXPECT_EQ(plain, (std::vector<std::string>{dir.File("x.jpg")}));
  EXPECT_EQ(windows.MakeReference("C:\\a\\b.jpg", "C:\\a", false), "//FiF\\b.jpg");
  EXPECT_EQ(windows.MakeReference("C:\\a\\b.jpg", "C:\\a", true), "//FiD\\a\\b.jpg");
}

TEST(DataFileRead, MissingAndGarbageFilesLoseNothing) {
  TTempDir dir;
  std::vector<std::string> lines = {"kept"};
  EXPECT_FALSE(ReadDataFile(dir.File("none.txt"), "/opt", kPosix, lines));
  EXPECT_TRUE(lines.empty());
  const std::string garbage("\x00\xFF\xFE\x81\x00\r\n\x85", 8);
  WriteWholeFile(dir.File("bad.txt"), garbage);
  ReadDataFile(dir.File("bad.txt"), "/opt", kPosix, lines);
  EXPECT_EQ(ReadWholeFile(dir.File("bad.txt")), garbage);
}

TEST(DataFileRead, ManyAndLongLinesArriveWhole) {
  TTempDir dir;
  std::string text;
  const std::string long_line = "/p/" + std::string(100 * 1024, 'x') + ".jpg";
  text += long_line + "\r\n";
  for (int i = 0; i < 200000; ++i) text += "//FiF\\" + std::to_string(i) + ".jpg\r\n";
  WriteWholeFile(dir.File("big.txt"), text);
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadDataFile(dir.File("big.txt"), "/opt", kPosix, lines));
  ASSERT_EQ(lines.size(), 200001u);
  EXPECT_EQ(lines[0], long_line);
  EXPECT_EQ(lines.back(), dir.File("199999.jpg"));
  EXPECT_EQ(DetectDataType(lines[0], kPosix), TDataType::kFileData);
}

TEST(DataFileReference, NamesOutsideCodePage932SurviveTheRoundTrip) {
  TTempDir dir;
  const std::vector<std::string> lines = {dir.File("사진/ㄱ.jpg"), dir.File("写真/é😀.jpg")};
  ASSERT_TRUE(WriteDataFile(dir.File("l.txt"), lines, true, false, kPosix));
  std::vector<std::string> read;
  ASSERT_TRUE(ReadDataFile(dir.File("l.txt"), "/opt", kPosix, read));
  EXPECT_EQ(read, lines);
}

TEST(DataType, DetectedFromTheFirstLine) {
  const PathText windows(TPathStyle::Windows);
  struct Case {
    const PathText* paths;
    const char* line;
    TDataType type;
  } cases[] = {
      {&windows, "C:\\a\\b.jpg/10/10/50/50", TDataType::kCapData},
      {&windows, "C:\\a\\b.jpg", TDataType::kFileData},
      {&windows, "a,b/c", TDataType::kUnknown},
      {&windows, "C:\\a,b\\c.jpg", TDataType::kUnknown},
      {&kPosix, "\\home\\u\\b.jpg/10/10/50/50", TDataType::kCapData},
      {&kPosix, "/home/u/b.jpg", TDataType::kFileData},
      {&kPosix, "a,b/c", TDataType::kUnknown},
      {&kPosix, "/home/u/folder", TDataType::kUnknown},
      {&kPosix, "", TDataType::kUnknown},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectDataType(c.line, *c.paths), c.type) << c.line;
  EXPECT_EQ(DataTypeLabel(TDataType::kCapData), "  ( キャプデータ )");
}

TEST(DataFileName, ExtensionDroppedAndForbiddenCharactersRefused) {
  std::string name;
  EXPECT_EQ(CheckDataFileName("  list.txt ", name), TDataNameCheck::kOk);
  EXPECT_EQ(name, "list");
  EXPECT_EQ(CheckDataFileName("   ", name), TDataNameCheck::kEmpty);
  for (const char* bad :
       {"a:b", "a/b.txt", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a;b", "a.b.txt", "a\\b"})
    EXPECT_EQ(CheckDataFileName(bad, name), TDataNameCheck::kBadCharacter) << bad;
}

}  // namespace

TEST(DataFileDialogBounds, StoredPlaceIsKeptOnTheScreen) {
  struct Case {
    TFormBounds stored;
    TFormBounds opened;
  };
  const Case cases[] = {
      {{387, 92, 250, 400}, {387, 92, 250, 400}},      // the defaults on 1024 x 768
      {{5000, 5000, 250, 400}, {774, 568, 250, 400}},  // right edge; 30 from the bottom, then 200
      {{-500, -50, 250, 400}, {0, 0, 250, 400}},
      {{-10, 10, 100, 300}, {0, 10, 200, 300}},    // at least 200 wide
      {{300, 10, 1500, 300}, {0, 10, 1500, 300}},  // wider than the screen: left edge in view
      {{900, 600, 250, 100}, {774, 568, 250, 100}},
  };
  for (const Case& c : cases) {
    TPlayListViewerSettings settings;
    settings.left = c.stored.left;
    settings.top = c.stored.top;
    settings.width = c.stored.width;
    settings.height = c.stored.height;
    const TFormBounds b = PlayListViewerBounds(settings, 1024, 768);
    EXPECT_EQ(b.left, c.opened.left) << c.stored.left << "," << c.stored.top;
    EXPECT_EQ(b.top, c.opened.top) << c.stored.left << "," << c.stored.top;
    EXPECT_EQ(b.width, c.opened.width);
    EXPECT_EQ(b.height, c.opened.height);
  }
}
