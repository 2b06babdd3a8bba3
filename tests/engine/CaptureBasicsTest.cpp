#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/CaptureBasics.h"
#include "tests/engine/CapDataTestCodec.h"

namespace {

const TTestPathCodec kCodec;

TEST(CapDataLine, WritesAndReadsTheNativePathThroughTheCodec) {
  TCapData record;
  record.path = "/home/u/a.jpg";
  record.x = 10;
  record.y = 20;
  record.w = 30;
  record.h = 40;
  std::string line;
  ASSERT_TRUE(FormatCapDataLine(record, kCodec, line));
  EXPECT_EQ(line, "\\home\\u\\a.jpg/10/20/30/40");

  record.path = "/pics/odd\\name.jpg";
  record.x = -20;
  record.effects = {"ARo90", "RGB1,0,2,0,0,0,0,0,0"};
  ASSERT_TRUE(FormatCapDataLine(record, kCodec, line));
  EXPECT_EQ(line, "\\pics\\odd(@BSL)name.jpg/-20/20/30/40/ARo90/RGB1,0,2,0,0,0,0,0,0");
  TCapData back;
  ASSERT_TRUE(ParseCapDataLine(line, kCodec, back));
  EXPECT_EQ(back.path, record.path);
  EXPECT_EQ(back.x, -20);
  EXPECT_EQ(back.h, 40);
  EXPECT_EQ(back.effects, record.effects);
}

TEST(CapDataLine, RefusesRecordsItCouldNotReadBack) {
  TCapData record;
  record.path = "/a.jpg";
  record.w = record.h = 1;
  std::string line = "unchanged";
  record.effects.assign(7, "ARo1");
  EXPECT_FALSE(FormatCapDataLine(record, kCodec, line));
  for (const char* effect : {"TxtA/B", "Txta\r\nb", "Txta\nb"}) {
    record.effects = {effect};
    EXPECT_FALSE(FormatCapDataLine(record, kCodec, line)) << effect;
  }
  record.effects.clear();
  record.path = "/a\nb.jpg";
  EXPECT_FALSE(FormatCapDataLine(record, kCodec, line));
  EXPECT_EQ(line, "unchanged");
}

TEST(CapDataLine, StrictReading) {
  TCapData record;
  ASSERT_TRUE(ParseCapDataLine("a.jpg/1/-2/3/4", kCodec, record));
  EXPECT_TRUE(record.effects.empty());
  ASSERT_TRUE(ParseCapDataLine("a.jpg/1/2/3/4/ARo1/ARo2/ARo3/ARo4/ARo5/ARo6", kCodec, record));
  EXPECT_EQ(record.effects.size(), 6u);
  // An empty effect slot is kept, so that the line is written back as it was.
  ASSERT_TRUE(ParseCapDataLine("a.jpg/1/2/3/4/", kCodec, record));
  EXPECT_EQ(record.effects, std::vector<std::string>{""});

  record.path = "kept";
  for (const char* line :
       {"a.jpg/1/2/3", "a.jpg/1/2/3/4/1/2/3/4/5/6/7", "", "a.jpg", "a.jpg/1/2/3/x",
        "a.jpg/1.5/2/3/4", "a.jpg/0x10/2/3/4", "a.jpg/2147483648/2/3/4", "a.jpg/1/2//4",
        "a.jpg/1/2/3/4/1/2/3/4/5/6/7/8/9/10/11/12/13/14/15/16/17/18/19/20"})
    EXPECT_FALSE(ParseCapDataLine(line, kCodec, record)) << line;
  EXPECT_EQ(record.path, "kept");
  ASSERT_TRUE(ParseCapDataLine("a.jpg/-2147483648/2147483647/3/4", kCodec, record));
  EXPECT_EQ(record.x, -2147483647 - 1);
  EXPECT_EQ(record.y, 2147483647);
}

TEST(CapDataList, UnknownLinesBecomePlaceholdersWithOneMessage) {
  const std::vector<std::string> lines = {
      "a.jpg/1/2/3",                    // four fields
      "\\p\\b.jpg/5/6/7/8/ARo9",        // a record
      "c.jpg/1/2/3/4/5/6/7/8/9/10/11",  // twelve fields
      "d.jpg/1/x/3/4/RGB1,0,2,0,0,0,0,0,0",
      "",
  };
  std::vector<TCapData> table;
  std::string message;
  ASSERT_TRUE(ReadCapDataList(lines, 0, kCodec, table, &message));
  EXPECT_EQ(message, kUnknownDataMessage);
  ASSERT_EQ(table.size(), lines.size());
  for (const std::size_t i : {0u, 2u, 4u}) {
    EXPECT_EQ(table[i].path, "") << i;
    EXPECT_EQ(table[i].x, 1);
    EXPECT_EQ(table[i].y, 1);
    EXPECT_EQ(table[i].w, 1);
    EXPECT_EQ(table[i].h, 1);
    EXPECT_TRUE(table[i].effects.empty());
  }
  EXPECT_EQ(table[1].path, "/p/b.jpg");
  EXPECT_EQ(table[1].effects, std::vector<std::string>{"ARo9"});
  // Numbers that do not read clear the path only.
  EXPECT_EQ(table[3].path, "");
  EXPECT_EQ(table[3].w, 3);
  EXPECT_EQ(table[3].effects.size(), 1u);

  std::vector<std::string> good = {"a.jpg/1/2/3/4", "b.jpg/1/2/3/4"};
  message = "stale";
  ASSERT_TRUE(ReadCapDataList(good, 0, kCodec, table, &message));
  EXPECT_TRUE(message.empty());
  EXPECT_EQ(table.size(), 2u);
}

TEST(CapDataList, AppendingReadsOnlyTheNewLines) {
  std::vector<std::string> lines = {"a.jpg/1/2/3/4"};
  std::vector<TCapData> table;
  ASSERT_TRUE(ReadCapDataList(lines, 0, kCodec, table, nullptr));
  table[0].path = "edited in the table";
  lines.push_back("b.jpg/1/2");
  lines.push_back("c.jpg/5/6/7/8");
  std::string message;
  ASSERT_TRUE(ReadCapDataList(lines, 1, kCodec, table, &message));
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].path, "edited in the table");
  EXPECT_EQ(table[2].path, "c.jpg");
  EXPECT_EQ(message, kUnknownDataMessage);
  // A start beyond the table reads the missing entries too.
  std::vector<TCapData> short_table;
  ASSERT_TRUE(ReadCapDataList(lines, 3, kCodec, short_table, &message));
  ASSERT_EQ(short_table.size(), 3u);
  EXPECT_EQ(short_table[2].path, "c.jpg");
}

TEST(CapDataEscapes, ExampleAndOrder) {
  EXPECT_EQ(EscapeText("a,b/c\r\n"), "a(@COM)b(@SLA)c(@CRLF)");
  EXPECT_EQ(UnescapeText("a(@COM)b(@SLA)c(@CRLF)"), "a,b/c\r\n");
  // Unknown or broken tokens stay; every occurrence is replaced.
  EXPECT_EQ(UnescapeText("(@X)(@COM(@COM)(@SLA)(@SLA)(@crlf)"), "(@X)(@COM,//(@crlf)");
  // A lone CR or LF would split a data file line: escaped as a line break too.
  EXPECT_EQ(EscapeText("a\nb\rc\r\r\nd"), "a(@CRLF)b(@CRLF)c(@CRLF)(@CRLF)d");
  EXPECT_EQ(UnescapeText(EscapeText("a\nb")), "a\r\nb");
}

TEST(CapDataEscapes, RoundTripKeepsTextsAndTheLine) {
  const std::string texts[] = {
      "",          "plain", ",,//", "a,b/c\r\nd", "日本語,テキスト/です\r\n", "(@ not a token",
      "\r\n\r\n,", "/(COM)"};
  for (const std::string& text : texts) {
    const std::string escaped = EscapeText(text);
    EXPECT_EQ(escaped.find_first_of(",/\r\n"), std::string::npos) << text;
    EXPECT_EQ(UnescapeText(escaped), text) << text;
    TCapData record;
    ASSERT_TRUE(ParseCapDataLine("a.jpg/0/0/1/1/Txt" + escaped, kCodec, record));
    ASSERT_EQ(record.effects.size(), 1u);
    EXPECT_EQ(UnescapeText(EffectParameters(record.effects[0])), text);
  }
}

TEST(CapDataEscapes, LongTextsTakeLinearTime) {
  const std::string text(4 << 20, ',');
  const auto start = std::chrono::steady_clock::now();
  const std::string escaped = EscapeText(text);
  EXPECT_EQ(escaped.size(), text.size() * 6);
  EXPECT_EQ(UnescapeText(escaped), text);
  std::vector<TCapData> table;
  ASSERT_TRUE(ReadCapDataList({"a.jpg/0/0/1/1/Txt" + escaped}, 0, kCodec, table, nullptr));
  EXPECT_EQ(table[0].effects[0].size(), escaped.size() + 3);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(CapDataEffects, CodesAreComparedUpperCased) {
  EXPECT_EQ(EffectKindOf("ARo90"), TEffectKind::kRotation);
  EXPECT_EQ(EffectKindOf("aro-1.5"), TEffectKind::kRotation);
  EXPECT_EQ(EffectKindOf("rgb1,0,2,0,0,0,0,0,0"), TEffectKind::kRGB);
  EXPECT_EQ(EffectKindOf("FFi"), TEffectKind::kFreeFilter);
  EXPECT_EQ(EffectKindOf("TXTc,c"), TEffectKind::kText);
  for (const char* entry : {"", "AR", "XYZ90", " ARo", "FUS1,2"})
    EXPECT_EQ(EffectKindOf(entry), TEffectKind::kNone) << entry;
  EXPECT_EQ(EffectParameters("ARo-12.5"), "-12.5");
  EXPECT_EQ(EffectParameters("AR"), "");
  EXPECT_EQ(MakeEffectEntry(TEffectKind::kRotation, "90"), "ARo90");
  EXPECT_EQ(MakeEffectEntry(TEffectKind::kRGB, "x"), "RGBx");
  EXPECT_EQ(MakeEffectEntry(TEffectKind::kFreeFilter, "x"), "FFix");
  EXPECT_EQ(MakeEffectEntry(TEffectKind::kText, "x"), "Txtx");
  EXPECT_EQ(MakeEffectEntry(TEffectKind::kNone, "x"), "");
}

}  // namespace
