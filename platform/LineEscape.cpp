#include "platform/LineEscape.h"

#include "platform/CodePage.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte of a well-formed escape at text[at], or -1.
int EscapedByteAt(const std::string& text, std::size_t at) {
  if (text.compare(at, 3, kByteEscapeStart) != 0 || at + 6 > text.size() || text[at + 5] != ')')
    return -1;
  const int high = HexValue(text[at + 3]), low = HexValue(text[at + 4]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void AppendEscape(std::string& out, unsigned char byte) {
  out.append(kByteEscapeStart);
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 15]);
  out.push_back(')');
}

}  // namespace

std::string EscapeLineBytes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '\r' || c == '\n' || (c == '(' && EscapedByteAt(text, i) >= 0)) {
      AppendEscape(out, static_cast<unsigned char>(c));
      ++i;
      continue;
    }
    const std::size_t len = Utf8CharLength(text, i);
    if (len == 0) {
      AppendEscape(out, static_cast<unsigned char>(c));
      ++i;
      continue;
    }
    out.append(text, i, len);
    i += len;
  }
  return out;
}

std::string UnescapeLineBytes(const std::string& text) {
  if (text.find(kByteEscapeStart) == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const int byte = text[i] == '(' ? EscapedByteAt(text, i) : -1;
    if (byte >= 0) {
      out.push_back(static_cast<char>(byte));
      i += 6;
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}
