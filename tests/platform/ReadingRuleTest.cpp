// The reading rule for text files without a byte-order mark: bytes valid in both code page 932
// and UTF-8 are read in the encoding whose characters are plausible, code page 932 winning a tie.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/LineFile.h"

namespace {

using Enc = LineFile::Encoding;

struct Reading {
  bool ok = false;
  Enc encoding = Enc::Utf8Bom;
  std::vector<std::string> lines;
};

Reading Decode(const std::string& bytes) {
  Reading r;
  r.ok = LineFile::Decode(bytes, r.lines, &r.encoding);
  return r;
}

// Written and read back: the same lines, and writing them again gives the same bytes.
void ExpectRoundTrip(const std::vector<std::string>& lines, const std::string& context) {
  Enc written;
  const std::string bytes = LineFile::Encode(lines, &written);
  const Reading back = Decode(bytes);
  ASSERT_TRUE(back.ok) << context;
  EXPECT_EQ(back.lines, lines) << context;
  EXPECT_EQ(LineFile::Encode(back.lines), bytes) << context;
}

std::string Cp932Text(const std::string& bytes) {
  std::string utf8;
  EXPECT_TRUE(Cp932ToUtf8(bytes, utf8));
  return utf8;
}

}  // namespace

TEST(ReadingRule, EveryPairOfHalfWidthKatakanaIsCodePage932) {
  int also_utf8 = 0;
  for (int a = 0xA1; a <= 0xDF; ++a) {
    for (int b = 0xA1; b <= 0xDF; ++b) {
      const std::string pair{static_cast<char>(a), static_cast<char>(b)};
      also_utf8 += IsValidUtf8(pair);
      for (const std::string& line :
           {pair, "/home/u/" + pair + "/a.jpg", "\\" + pair + "\\1.jpg/0/0/9/9"}) {
        const Reading r = Decode(line + "\r\n");
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.encoding, Enc::Cp932) << std::hex << a << " " << b;
        EXPECT_EQ(r.lines, std::vector<std::string>{Cp932Text(line)});
        // Written by the program, the same bytes come back.
        Enc written;
        EXPECT_EQ(LineFile::Encode(r.lines, &written), line + "\r\n");
        EXPECT_EQ(written, Enc::Cp932);
      }
    }
  }
  EXPECT_EQ(also_utf8, 30 * 31);  // lead C2..DF, trail A1..BF: the cases that collide
}

TEST(ReadingRule, EveryLevel2KanjiFollowedByAHalfWidthKanaIsCodePage932) {
  // Level 2 and the extension kanji of rows ED and EE.
  int colliding_kanji = 0;
  for (int code = 0x989F; code <= 0xEEFC; ++code) {
    const int trail = code & 0xFF;
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) continue;
    const std::string kanji{static_cast<char>(code >> 8), static_cast<char>(trail)};
    std::string utf8_kanji;
    if (!Cp932ToUtf8(kanji, utf8_kanji)) continue;  // gaps of the code page
    bool collides = false;
    for (int kana = 0xA1; kana <= 0xDF; ++kana) {
      const std::string text = kanji + static_cast<char>(kana);
      if (!IsValidUtf8(text)) continue;
      collides = true;
      for (const std::string& line : {text, "/home/u/" + text + "/a.jpg"}) {
        const Reading r = Decode(line + "\r\n");
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.encoding, Enc::Cp932) << std::hex << code << " " << kana;
        EXPECT_EQ(r.lines, std::vector<std::string>{Cp932Text(line)});
        // Rows ED and EE are written in their IBM form (FA..FC), as Windows writes them too.
        if (code < 0xED00)
          EXPECT_EQ(LineFile::Encode(r.lines), line + "\r\n");
        else
          ExpectRoundTrip(r.lines, line);
      }
    }
    colliding_kanji += collides;
  }
  EXPECT_EQ(colliding_kanji, 741);
}

TEST(ReadingRule, Utf8ListsFromLinuxEditorsStayUtf8) {
  // As a Linux editor saves it: UTF-8, LF line ends, no byte-order mark.
  const std::vector<std::string> lines{
      "/home/u/写真/旅行/東京タワー.jpg",
      "/home/u/写真/家族/お正月.jpg",
      "/home/u/Pictures/café/crème brûlée.jpg",
      "/home/u/Pictures/naïve résumé.bmp",
      "/home/u/ダウンロード/スクリーンショット 2024-01-02.jpg",
      "/home/u/画像/ﾃｽﾄ/ｶﾒﾗ.jpg",  // half-width katakana in UTF-8
      "/home/u/画像/〜まとめ〜/①.jpg",
      "\\home\\u\\写真\\富士山.jpg/10/20/300/200/ARo90",
      "日本語",
      "東京",
      "ファイル",
      "Ünïcödé",
  };
  for (const std::string& line : lines) {
    const Reading r = Decode(line + "\n");
    ASSERT_TRUE(r.ok) << line;
    EXPECT_EQ(r.encoding, Enc::Utf8) << line;
    EXPECT_EQ(r.lines, std::vector<std::string>{line});
    ExpectRoundTrip(r.lines, line);
  }
  std::string file;
  for (const std::string& line : lines) file += line + "\n";
  const Reading r = Decode(file);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.encoding, Enc::Utf8);
  EXPECT_EQ(r.lines, lines);
  ExpectRoundTrip(r.lines, "whole list");
}

TEST(ReadingRule, AsciiAndMixedFiles) {
  const std::vector<std::vector<std::string>> files{
      {},
      {""},
      {"", ""},
      {"C:\\Pictures\\a.jpg", "/home/u/b.bmp", "\\home\\u\\c.jpg/0/0/10/10", "", "end"},
      {"/home/u/ﾅｶ/a.jpg", "/home/u/写真/b.jpg", "/home/u/plain.jpg"},
      {"ﾅｶ", "指定フォルダ", "café"},                // café has no code page 932 form
      {"/home/u/ｱｲｳ", "/home/u/～波～/〜波〜.jpg"},  // two wave dashes fold in the code page
      {"¥100.jpg", "a\\b"},                          // the yen sign folds into a backslash
      {"line with trailing CR\r", "\t tab"},
  };
  for (const auto& lines : files) ExpectRoundTrip(lines, lines.empty() ? "" : lines[0]);
  // A mixed file in code page 932: the collision line reads as the rest of the file does.
  const std::string cp932 = "/home/u/\xC5\xB6/a.jpg\r\n/home/u/\x8E\xCA\x90\x5E/b.jpg\r\n";
  const Reading r = Decode(cp932);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.encoding, Enc::Cp932);
  EXPECT_EQ(r.lines, (std::vector<std::string>{"/home/u/ﾅｶ/a.jpg", "/home/u/写真/b.jpg"}));
  EXPECT_EQ(LineFile::Encode(r.lines), cp932);
}

TEST(ReadingRule, ShortAndOddFiles) {
  Reading r = Decode("");
  EXPECT_TRUE(r.ok && r.lines.empty());
  r = Decode("\xEF\xBB\xBF");
  EXPECT_TRUE(r.ok && r.lines.empty() && r.encoding == Enc::Utf8Bom);
  // A mark followed by code page 932 bytes is not what it claims: refused, not misread.
  EXPECT_FALSE(Decode("\xEF\xBB\xBF\x8E\x77\x92\xE8").ok);
  std::vector<std::string> lines;
  std::vector<bool> raw;
  EXPECT_EQ(LineFile::DecodeKeeping("\xEF\xBB\xBF\x8E\x77\x92\xE8\nok", lines, raw), Enc::Utf8Bom);
  EXPECT_EQ(lines, (std::vector<std::string>{"\x8E\x77\x92\xE8", "ok"}));
  EXPECT_EQ(raw, (std::vector<bool>{true, false}));
  EXPECT_EQ(LineFile::EncodeKeeping(lines, raw), "\xEF\xBB\xBF\x8E\x77\x92\xE8\r\nok\r\n");
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    r = Decode(one);
    if (!r.ok) {
      // Lone lead bytes and the bytes neither encoding has.
      EXPECT_TRUE(b >= 0x80) << b;
      continue;
    }
    ExpectRoundTrip(r.lines, "byte " + std::to_string(b));
  }
}

// Every byte value at every position of a line: a file is read or refused, never misread, and
// the settings reader keeps what it cannot decode byte for byte.
TEST(ReadingRule, EveryByteAtEveryPosition) {
  const std::string base = "a\x82\xA0\xC5\xB6/\xE3\x81\x82z";
  for (std::size_t at = 0; at <= base.size(); ++at) {
    for (int b = 0; b < 256; ++b) {
      for (bool replace : {false, true}) {
        if (replace && at == base.size()) continue;
        std::string line = base;
        if (replace)
          line[at] = static_cast<char>(b);
        else
          line.insert(at, 1, static_cast<char>(b));
        const std::string bytes = "first\r\n" + line + "\r\nlast\r\n";
        const std::string context = std::to_string(at) + "/" + std::to_string(b);
        Reading r = Decode(bytes);
        if (r.ok) ExpectRoundTrip(r.lines, context);
        std::vector<std::string> lines, back;
        std::vector<bool> raw, back_raw;
        LineFile::DecodeKeeping(bytes, lines, raw);
        const std::string written = LineFile::EncodeKeeping(lines, raw);
        LineFile::DecodeKeeping(written, back, back_raw);
        EXPECT_EQ(back, lines) << context;
        EXPECT_EQ(back_raw, raw) << context;
        EXPECT_EQ(LineFile::EncodeKeeping(back, back_raw), written) << context;
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.front(), "first");
        EXPECT_EQ(lines.back(), "last");
      }
    }
  }
}
