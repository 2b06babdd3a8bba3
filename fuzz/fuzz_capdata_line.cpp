// Cap data lines from outside: the list reader, the strict reader and writer, the text escapes
// and the widening of a region, each checked against the properties the program relies on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/CaptureBasics.h"
#include "engine/CaptureRender.h"
#include "platform/PathText.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::size_t FieldCount(const std::string& line) {
  std::size_t n = 1;
  for (const char c : line) n += c == '/';
  return n;
}

bool SameRecord(const TCapData& a, const TCapData& b) {
  return a.path == b.path && a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h &&
         a.effects == b.effects;
}

// Every line break as CR LF: what escaping and unescaping give back.
std::string NormalisedBreaks(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

void CheckList(const std::vector<std::string>& lines, const PathText& codec) {
  std::vector<TCapData> table;
  std::string message;
  Check(ReadCapDataList(lines, 0, codec, table, &message));
  Check(table.size() == lines.size());
  bool unknown = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t fields = FieldCount(lines[i]);
    const TCapData& entry = table[i];
    if (fields < kCapDataMinFields || fields > kCapDataMaxFields) {
      unknown = true;
      Check(entry.path.empty() && entry.x == 1 && entry.y == 1 && entry.w == 1 && entry.h == 1 &&
            entry.effects.empty());
      continue;
    }
    Check(entry.effects.size() == fields - kCapDataMinFields);
    TCapData record;
    if (!ParseCapDataLine(lines[i], codec, record)) {
      Check(entry.path.empty());
      continue;
    }
    Check(SameRecord(record, entry));
    // A record written out reads back as the same record.
    std::string line;
    if (FormatCapDataLine(record, codec, line)) {
      TCapData again;
      Check(ParseCapDataLine(line, codec, again));
      Check(SameRecord(record, again));
    }
  }
  Check(message == (unknown ? kUnknownDataMessage : ""));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines(1);
  for (const char c : input) {
    if (c == '\n')
      lines.emplace_back();
    else
      lines.back() += c;
  }
  static const PathText kStyles[] = {PathText(TPathStyle::Posix), PathText(TPathStyle::Windows)};
  for (const PathText& codec : kStyles) CheckList(lines, codec);

  // An escaped text cannot break a line or a field, and comes back as it was.
  const std::string escaped = EscapeText(input);
  Check(escaped.find_first_of(",/\r\n") == std::string::npos);
  if (input.find("(@") == std::string::npos)
    Check(UnescapeText(escaped) == NormalisedBreaks(input));
  UnescapeText(input);

  // The widening stays inside the picture whatever the numbers.
  if (size >= 36) {
    int v[9];
    std::memcpy(v, data, sizeof v);
    const int width = 1 + static_cast<int>(static_cast<unsigned>(v[0]) % 6000);
    const int height = 1 + static_cast<int>(static_cast<unsigned>(v[1]) % 6000);
    TRegion region;
    if (WidenRegionToAspect(width, height, v[2], v[3], v[4], v[5], v[6], v[7], v[8], region)) {
      Check(region.left >= 0 && region.top >= 0 && region.width >= 1 && region.height >= 1);
      Check(static_cast<long long>(region.left) + region.width <= width);
      Check(static_cast<long long>(region.top) + region.height <= height);
    }
  }
  return 0;
}
