#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

// One conversion through iconv; false on any invalid or unconvertible sequence.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string result;
  result.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  std::size_t done = 0;
  bool ok = true;
  while (src_left > 0) {
    char* dst = result.data() + done;
    std::size_t dst_left = result.size() - done;
    const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    done = result.size() - dst_left;
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      result.resize(result.size() * 2);
      continue;
    }
    ok = false;
    break;
  }
  iconv_close(cd);
  if (!ok) return false;
  result.resize(done);
  out.swap(result);
  return true;
}

// Length of the UTF-8 sequence starting with lead byte c, 0 when c cannot start one.
int Utf8SequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool Utf8ToCp932(const std::string& utf8, std::string& cp932) {
  return Convert("CP932", "UTF-8", utf8, cp932);
}

bool Cp932ToUtf8(const std::string& cp932, std::string& utf8) {
  return Convert("UTF-8", "CP932", cp932, utf8);
}

std::size_t Utf8CharLength(const std::string& text, std::size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  if (at >= n) return 0;
  const std::size_t len = static_cast<std::size_t>(Utf8SequenceLength(p[at]));
  if (len == 0 || at + len > n) return 0;
  for (std::size_t k = 1; k < len; ++k)
    if ((p[at + k] & 0xC0) != 0x80) return 0;
  if (len == 3) {
    const unsigned cp = ((p[at] & 0x0Fu) << 12) | ((p[at + 1] & 0x3Fu) << 6) | (p[at + 2] & 0x3Fu);
    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  } else if (len == 4) {
    const unsigned cp = ((p[at] & 0x07u) << 18) | ((p[at + 1] & 0x3Fu) << 12) |
                        ((p[at + 2] & 0x3Fu) << 6) | (p[at + 3] & 0x3Fu);
    if (cp < 0x10000 || cp > 0x10FFFF) return 0;
  }
  return len;
}

bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = Utf8CharLength(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::size_t Cp932Length(const std::string& utf8) {
  std::size_t total = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    int len = Utf8SequenceLength(p[i]);
    if (len == 0 || i + len > n) len = 1;
    if (len == 1) {
      total += 1;
    } else {
      std::string one;
      // Half-width katakana is the only multi-byte UTF-8 text that is one byte in code page 932.
      total += Utf8ToCp932(utf8.substr(i, len), one) ? one.size() : 2;
    }
    i += len;
  }
  return total;
}

bool IsLevel1Kanji(char32_t code_point) {
  constexpr char32_t kFirst = 0x4E00, kLast = 0x9FFF;
  static const std::vector<bool> level1 = [] {
    std::vector<bool> set(kLast - kFirst + 1, false);
    std::string codes;
    for (int code = 0x889F; code <= 0x9872; ++code) {
      const int trail = code & 0xFF;
      if (trail < 0x40 || trail == 0x7F || trail > 0xFC) continue;
      codes.push_back(static_cast<char>(code >> 8));
      codes.push_back(static_cast<char>(trail));
    }
    std::string utf8;
    if (Cp932ToUtf8(codes, utf8))
      for (char32_t c : Utf8CodePoints(utf8))
        if (c >= kFirst && c <= kLast) set[c - kFirst] = true;
    return set;
  }();
  return code_point >= kFirst && code_point <= kLast && level1[code_point - kFirst];
}

std::u32string Utf8CodePoints(const std::string& utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    int len = Utf8SequenceLength(p[i]);
    if (len == 0 || i + len > n) len = 1;
    char32_t c = len == 1 ? p[i] : p[i] & (0x7F >> len);
    for (int k = 1; k < len; ++k) c = (c << 6) | (p[i + k] & 0x3Fu);
    out.push_back(c);
    i += len;
  }
  return out;
}
