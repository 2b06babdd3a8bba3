#include "platform/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "engine/FileAccess.h"
#include "platform/CodePage.h"
#include "platform/LineEscape.h"

namespace fs = std::filesystem;

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

bool HasBom(const std::string& bytes) { return bytes.compare(0, 3, kBom) == 0; }

// Lines end at LF, CR LF or a lone CR, as the Windows program read them; no code page 932
// character holds either byte.
std::vector<std::string> SplitLines(const std::string& text, std::size_t start) {
  std::vector<std::string> lines;
  std::size_t pos = start;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) {
      lines.emplace_back(text, pos, std::string::npos);
      break;
    }
    lines.emplace_back(text, pos, end - pos);
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

void UnescapeAll(std::vector<std::string>& lines, const std::vector<bool>* raw = nullptr) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!raw || !(*raw)[i]) lines[i] = UnescapeLineBytes(lines[i]);
}

std::string JoinLines(const std::vector<std::string>& lines, const char* end) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append(end);
  return text;
}

bool IsAsciiLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsHalfWidthKana(char32_t c) { return c >= 0xFF61 && c <= 0xFF9F; }

// Characters of two columns: everything past ASCII but half-width katakana.
bool IsWide(char32_t c) { return c >= 0x80 && !IsHalfWidthKana(c); }

bool IsLatin1Letter(char32_t c) { return c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7; }

// How plausible character i is in a path or in Japanese text. Kana, kanji, ASCII and common
// punctuation score; rare Latin, other scripts, symbols and controls cost. An accented Latin
// letter counts only inside a Latin word (café), since read alone it is far more likely to be two
// half-width katakana.
int CharScore(const std::u32string& text, std::size_t i) {
  const char32_t c = text[i];
  if (c == '\t' || c == '\r' || c == '\n') return 0;
  if (c >= 0x20 && c < 0x7F) return 1;
  if (c >= 0x3041 && c <= 0x30FF) {
    // Kana in a word of wide characters, as Japanese is written.
    const bool in_word =
        (i > 0 && IsWide(text[i - 1])) || (i + 1 < text.size() && IsWide(text[i + 1]));
    return in_word ? 3 : 2;
  }
  if (c >= 0x3000 && c <= 0x303F) return 2;  // CJK punctuation
  if (c >= 0xFF01 && c <= 0xFF5E) return 2;  // full-width forms
  if (c >= 0xFFE0 && c <= 0xFFE5) return 2;
  if (IsHalfWidthKana(c)) return 1;
  if (c >= 0x4E00 && c <= 0x9FFF) {
    if (IsLevel1Kanji(c)) return 2;
    // Rare kanji next to other wide characters are what UTF-8 kana and kanji look like when
    // read as code page 932 (繝輔ぃ繧､繝ｫ); alone or beside ASCII and half-width kana they count.
    const bool crowded =
        (i > 0 && IsWide(text[i - 1])) || (i + 1 < text.size() && IsWide(text[i + 1]));
    return crowded ? 0 : 1;
  }
  if (c >= 0x2010 && c <= 0x203B) return 1;  // dashes, quotes, ellipsis, reference mark
  if (c >= 0x2100 && c <= 0x27BF) return 0;  // arrows, maths, boxes, shapes in the code page
  if (IsLatin1Letter(c)) {
    const bool in_word = (i > 0 && IsAsciiLetter(text[i - 1])) ||
                         (i + 1 < text.size() && IsAsciiLetter(text[i + 1]));
    return in_word ? 3 : -1;
  }
  if (c >= 0xA0 && c <= 0xFF) return -1;  // Latin-1 signs
  return -2;
}

long long Plausibility(const std::string& utf8) {
  const std::u32string text = Utf8CodePoints(utf8);
  long long score = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (!IsHalfWidthKana(text[i])) {
      score += CharScore(text, i++);
      continue;
    }
    // Half-width kana hemmed in by wide characters on both sides is what UTF-8 kanji look like
    // when read as code page 932; real text has them beside ASCII or at either end.
    std::size_t end = i;
    while (end < text.size() && IsHalfWidthKana(text[end])) ++end;
    const bool hemmed = i > 0 && end < text.size() && IsWide(text[i - 1]) && IsWide(text[end]);
    score += static_cast<long long>(end - i) * (hemmed ? -1 : 1);
    i = end;
  }
  return score;
}

bool IsAscii(const std::string& bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Text without a byte-order mark: the encoding it is read in, and its UTF-8 form.
bool DecideEncoding(const std::string& bytes, LineFile::Encoding& encoding, std::string& utf8) {
  if (IsAscii(bytes)) {
    encoding = LineFile::Encoding::Cp932;
    utf8 = bytes;
    return true;
  }
  const bool is_utf8 = IsValidUtf8(bytes);
  std::string from_cp932;
  const bool is_cp932 = Cp932ToUtf8(bytes, from_cp932);
  if (is_utf8 && (!is_cp932 || Plausibility(bytes) > Plausibility(from_cp932))) {
    encoding = LineFile::Encoding::Utf8;
    utf8 = bytes;
    return true;
  }
  if (!is_cp932) return false;
  encoding = LineFile::Encoding::Cp932;
  utf8.swap(from_cp932);
  return true;
}

// Lines in code page 932, or false when one has no form there. The lines are converted in one
// pass: no code page 932 character holds the byte of LF.
bool ToCp932Lines(const std::vector<std::string>& lines, std::vector<std::string>& out) {
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += lines[i];
  }
  std::string cp932;
  if (!Utf8ToCp932(joined, cp932)) return false;
  out.clear();
  if (lines.empty()) return true;
  std::size_t pos = 0;
  for (std::size_t end; (end = cp932.find('\n', pos)) != std::string::npos; pos = end + 1)
    out.emplace_back(cp932, pos, end - pos);
  out.emplace_back(cp932, pos);
  return out.size() == lines.size();
}

}  // namespace

bool LineFile::Decode(const std::string& bytes, std::vector<std::string>& lines,
                      Encoding* encoding) {
  Encoding found;
  std::string utf8;
  if (HasBom(bytes)) {
    if (!IsValidUtf8(bytes.substr(3))) return false;
    found = Encoding::Utf8Bom;
    utf8 = bytes.substr(3);
  } else if (!DecideEncoding(bytes, found, utf8)) {
    return false;
  }
  lines = SplitLines(utf8, 0);
  UnescapeAll(lines);
  if (encoding) *encoding = found;
  return true;
}

LineFile::Encoding LineFile::DecodeKeeping(const std::string& bytes,
                                           std::vector<std::string>& lines,
                                           std::vector<bool>& raw) {
  Encoding found;
  if (Decode(bytes, lines, &found)) {
    raw.assign(lines.size(), false);
    return found;
  }
  const bool bom = HasBom(bytes);
  std::vector<std::string> split = SplitLines(bytes, bom ? 3 : 0);
  std::vector<std::string> as_utf8(split.size()), as_cp932(split.size());
  std::vector<bool> utf8_ok(split.size()), cp932_ok(split.size());
  std::size_t utf8_bad = 0, cp932_bad = 0;
  long long utf8_score = 0, cp932_score = 0;
  for (std::size_t i = 0; i < split.size(); ++i) {
    utf8_ok[i] = IsValidUtf8(split[i]);
    if (utf8_ok[i]) as_utf8[i] = split[i];
    cp932_ok[i] = !bom && Cp932ToUtf8(split[i], as_cp932[i]);
    utf8_bad += !utf8_ok[i];
    cp932_bad += !cp932_ok[i];
    if (utf8_ok[i] && cp932_ok[i]) {
      utf8_score += Plausibility(as_utf8[i]);
      cp932_score += Plausibility(as_cp932[i]);
    }
  }
  const bool use_utf8 =
      bom || utf8_bad < cp932_bad || (utf8_bad == cp932_bad && utf8_score > cp932_score);
  lines.clear();
  raw.clear();
  for (std::size_t i = 0; i < split.size(); ++i) {
    const bool ok = use_utf8 ? utf8_ok[i] : cp932_ok[i];
    lines.push_back(ok ? (use_utf8 ? as_utf8[i] : as_cp932[i]) : split[i]);
    raw.push_back(!ok);
  }
  UnescapeAll(lines, &raw);
  return bom ? Encoding::Utf8Bom : use_utf8 ? Encoding::Utf8 : Encoding::Cp932;
}

std::string LineFile::EncodeKeeping(const std::vector<std::string>& lines,
                                    const std::vector<bool>& raw, Encoding* encoding) {
  auto is_raw = [&](std::size_t i) { return i < raw.size() && raw[i]; };
  std::vector<std::string> escaped(lines.size());
  std::vector<std::string> text_lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    escaped[i] = is_raw(i) ? lines[i] : EscapeLineBytes(lines[i]);
    if (!is_raw(i)) text_lines.push_back(escaped[i]);
  }
  std::vector<std::string> cp932_lines;
  if (ToCp932Lines(text_lines, cp932_lines)) {
    std::string bytes;
    std::size_t next = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
      bytes.append(is_raw(i) ? lines[i] : cp932_lines[next++]).append("\r\n");
    // Bytes that read back as other text (a name of two half-width katakana that is also a
    // UTF-8 character, or a character the code page folds into another) go out as UTF-8.
    std::vector<std::string> back;
    std::vector<bool> back_raw;
    DecodeKeeping(bytes, back, back_raw);
    std::vector<bool> want_raw(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) want_raw[i] = is_raw(i);
    if (back == lines && back_raw == want_raw) {
      if (encoding) *encoding = Encoding::Cp932;
      return bytes;
    }
  }
  if (encoding) *encoding = Encoding::Utf8Bom;
  return kBom + JoinLines(escaped, "\r\n");
}

std::string LineFile::Encode(const std::vector<std::string>& lines, Encoding* encoding) {
  return EncodeKeeping(lines, {}, encoding);
}

bool LineFile::ReadBytes(const std::string& path, std::string& bytes, std::string* error) {
  std::string reason;
  if (ReadRegularFile(path, kMaxFileBytes, bytes, reason)) return true;
  SetError(error, "cannot read " + path + ": " + reason);
  return false;
}

bool LineFile::Read(const std::string& path, std::vector<std::string>& lines, std::string* error,
                    Encoding* encoding) {
  std::string bytes;
  if (!ReadBytes(path, bytes, error)) return false;
  if (!Decode(bytes, lines, encoding)) {
    SetError(error, "unknown text encoding: " + path);
    return false;
  }
  return true;
}

bool LineFile::Write(const std::string& path, const std::vector<std::string>& lines,
                     std::string* error) {
  const std::string bytes = Encode(lines);
  // Only a form this program reads back as the same lines is ever written.
  std::vector<std::string> back;
  if (!Decode(bytes, back) || back != lines) {
    SetError(error, "the lines cannot be written so that they read back unchanged: " + path);
    return false;
  }
  return ReplaceFile(path, bytes, error);
}

bool LineFile::CanReplace(const std::string& path, std::string* error) {
  return CanReplaceFile(path, error);
}

bool LineFile::ReplaceFile(const std::string& path, const std::string& bytes, std::string* error) {
  return ReplaceFileBytes(path, bytes, error);
}
