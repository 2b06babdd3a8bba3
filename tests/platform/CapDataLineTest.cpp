// Cap data lines with this platform's path codec, and the replay of kept fuzz inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/BmpFile.h"
#include "engine/CaptureBasics.h"
#include "engine/CaptureRender.h"
#include "engine/PictureLoader.h"
#include "platform/PathText.h"
#include "tests/TestSupport.h"

namespace {

const PathText kPosix(TPathStyle::Posix);
const PathText kWindows(TPathStyle::Windows, {"C:"});

TEST(CapDataLine, LinuxPathsTravelThroughTheLine) {
  TCapData record;
  record.path = "/home/u/a.jpg";
  record.x = 10;
  record.y = 20;
  record.w = 30;
  record.h = 40;
  std::string line;
  ASSERT_TRUE(FormatCapDataLine(record, kPosix, line));
  EXPECT_EQ(line, "\\home\\u\\a.jpg/10/20/30/40");
  record.path = "/home/u/back\\slash/b.jpg";
  record.effects = {"ARo90"};
  ASSERT_TRUE(FormatCapDataLine(record, kPosix, line));
  EXPECT_EQ(line, "\\home\\u\\back(@BSL)slash\\b.jpg/10/20/30/40/ARo90");
  TCapData back;
  ASSERT_TRUE(ParseCapDataLine(line, kPosix, back));
  EXPECT_EQ(back.path, record.path);

  // Lines written on Windows read unchanged in the Windows style.
  ASSERT_TRUE(ParseCapDataLine("C:\\pics\\a.jpg/-20/10/100/50", kWindows, back));
  EXPECT_EQ(back.path, "C:\\pics\\a.jpg");
  ASSERT_TRUE(FormatCapDataLine(back, kWindows, line));
  EXPECT_EQ(line, "C:\\pics\\a.jpg/-20/10/100/50");
}

TEST(CapDataLine, RecordFromALineRendersTheFileItNames) {
  TTempDir dir;
  const std::string folder = dir.File("with\\backslash");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/a.bmp";
  TBitmap24 picture(4, 2);
  picture.Fill(0x404040);
  std::string bmp;
  ASSERT_TRUE(EncodeBmp(picture, bmp));
  WriteWholeFile(path, bmp);

  TCapData record;
  ASSERT_TRUE(ParseCapDataLine(kPosix.EncodeRecordPath(path) + "/-1/0/3/2", kPosix, record));
  EXPECT_EQ(record.path, path);
  TBitmap24 out;
  ASSERT_TRUE(RenderCapData(record, TPictureLoader(), {}, out));
  EXPECT_EQ(out.Width(), 3);
  EXPECT_EQ(out.Pixel(0, 0), kWhite);
  EXPECT_EQ(out.Pixel(1, 1), 0x404040u);
}

TEST(CapDataLine, LongPathFieldsDecodeInLinearTime) {
  std::string field;
  for (int i = 0; i < 400000; ++i) field += "(@BSL)";
  const auto start = std::chrono::steady_clock::now();
  std::vector<TCapData> table;
  ASSERT_TRUE(ReadCapDataList({field + "/0/0/1/1"}, 0, kPosix, table, nullptr));
  EXPECT_EQ(table[0].path, std::string(400000, '\\'));
  EXPECT_EQ(kPosix.EncodeRecordPath(table[0].path), field);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Every kept fuzz input goes through the list reader and the escapes again.
TEST(CapDataLineFuzzRegressions, InputsReadCleanly) {
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / "capdata_line";
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  ASSERT_FALSE(files.empty());
  std::sort(files.begin(), files.end());
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::string input = ReadWholeFile(file);
    std::vector<std::string> lines(1);
    for (const char c : input) {
      if (c == '\n')
        lines.emplace_back();
      else
        lines.back() += c;
    }
    for (const PathText* codec : {&kPosix, &kWindows}) {
      std::vector<TCapData> table;
      std::string message;
      ASSERT_TRUE(ReadCapDataList(lines, 0, *codec, table, &message));
      ASSERT_EQ(table.size(), lines.size());
      for (std::size_t i = 0; i < lines.size(); ++i) {
        TCapData record;
        std::string line;
        if (ParseCapDataLine(lines[i], *codec, record) && FormatCapDataLine(record, *codec, line)) {
          TCapData again;
          ASSERT_TRUE(ParseCapDataLine(line, *codec, again));
          EXPECT_EQ(again.path, record.path);
          EXPECT_EQ(again.effects, record.effects);
        }
      }
    }
    const std::string escaped = EscapeText(input);
    EXPECT_EQ(escaped.find_first_of(",/\r\n"), std::string::npos);
    UnescapeText(input);
  }
}

}  // namespace
