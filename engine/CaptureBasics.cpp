#include "engine/CaptureBasics.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "engine/DecimalText.h"

namespace {

constexpr std::string_view kCrLfToken = "(@CRLF)";
constexpr std::string_view kCommaToken = "(@COM)";
constexpr std::string_view kSlashToken = "(@SLA)";

// One pass over text, building a new text: never quadratic, whatever the number of hits.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (;;) {
    const std::size_t hit = text.find(from, start);
    if (hit == std::string_view::npos) break;
    out.append(text, start, hit - start);
    out.append(to);
    start = hit + from.size();
  }
  out.append(text, start, std::string_view::npos);
  return out;
}

// Splits at every "/". Only whether a line has more than 11 fields matters beyond that, so the
// split stops at 12 fields (the twelfth then holds the rest of the line).
using TFields = std::array<std::string_view, kCapDataMaxFields + 1>;
std::size_t SplitFields(std::string_view line, TFields& fields) {
  std::size_t count = 0, start = 0;
  for (;;) {
    const std::size_t end = line.find('/', start);
    if (end == std::string_view::npos || count + 1 == fields.size()) {
      fields[count++] = line.substr(start);
      return count;
    }
    fields[count++] = line.substr(start, end - start);
    start = end + 1;
  }
}

bool HoldsLineBreakOr(std::string_view text, char also) {
  return text.find_first_of("\r\n") != std::string_view::npos ||
         (also != '\0' && text.find(also) != std::string_view::npos);
}

}  // namespace

TEffectKind EffectKindOf(std::string_view entry) {
  if (entry.size() < 3) return TEffectKind::kNone;
  char code[3];
  for (int i = 0; i < 3; ++i) {
    const char c = entry[i];
    code[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  const std::string_view upper(code, 3);
  if (upper == "ARO") return TEffectKind::kRotation;
  if (upper == "RGB") return TEffectKind::kRGB;
  if (upper == "FFI") return TEffectKind::kFreeFilter;
  if (upper == "TXT") return TEffectKind::kText;
  return TEffectKind::kNone;
}

std::string_view EffectParameters(std::string_view entry) {
  return entry.size() < 3 ? std::string_view() : entry.substr(3);
}

const char* EffectCode(TEffectKind kind) {
  switch (kind) {
    case TEffectKind::kRotation:
      return "ARo";
    case TEffectKind::kRGB:
      return "RGB";
    case TEffectKind::kFreeFilter:
      return "FFi";
    case TEffectKind::kText:
      return "Txt";
    case TEffectKind::kNone:
      break;
  }
  return "";
}

std::string MakeEffectEntry(TEffectKind kind, std::string_view parameters) {
  if (kind == TEffectKind::kNone) return {};
  std::string entry = EffectCode(kind);
  entry.append(parameters);
  return entry;
}

std::string EscapeText(std::string_view text) {
  try {
    std::string breaks;
    breaks.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '\r' || c == '\n') {
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        breaks.append(kCrLfToken);
      } else {
        breaks.push_back(c);
      }
    }
    return ReplaceAll(ReplaceAll(breaks, ",", kCommaToken), "/", kSlashToken);
  } catch (const std::exception&) {
    return {};
  }
}

std::string UnescapeText(std::string_view text) {
  try {
    return ReplaceAll(ReplaceAll(ReplaceAll(text, kCrLfToken, "\r\n"), kCommaToken, ","),
                      kSlashToken, "/");
  } catch (const std::exception&) {
    return {};
  }
}

bool FormatCapDataLine(const TCapData& record, const TRecordPathCodec& codec, std::string& line) {
  if (record.effects.size() > kCapDataMaxEffects) return false;
  std::string out = codec.EncodeRecordPath(record.path);
  if (HoldsLineBreakOr(out, '/')) return false;
  for (const int value : {record.x, record.y, record.w, record.h}) {
    out.push_back('/');
    out.append(std::to_string(value));
  }
  for (const std::string& effect : record.effects) {
    if (HoldsLineBreakOr(effect, '/')) return false;
    out.push_back('/');
    out.append(effect);
  }
  line.swap(out);
  return true;
}

TCapDataEntryKind ReadCapDataEntry(std::string_view line, const TRecordPathCodec& codec,
                                   TCapData& entry) {
  TFields fields;
  const std::size_t count = SplitFields(line, fields);
  if (count < kCapDataMinFields || count > kCapDataMaxFields) {
    entry = TCapData{};
    entry.x = entry.y = entry.w = entry.h = 1;
    return TCapDataEntryKind::kUnknown;
  }
  TCapData read;
  int* const numbers[4] = {&read.x, &read.y, &read.w, &read.h};
  bool numbers_ok = true;
  for (int i = 0; i < 4; ++i)
    if (!ParseDecimalInt(fields[1 + i], *numbers[i])) numbers_ok = false;
  if (numbers_ok) read.path = codec.DecodeRecordPath(std::string(fields[0]));
  read.effects.reserve(count - kCapDataMinFields);
  for (std::size_t i = kCapDataMinFields; i < count; ++i) read.effects.emplace_back(fields[i]);
  entry = std::move(read);
  return numbers_ok ? TCapDataEntryKind::kRecord : TCapDataEntryKind::kBadNumbers;
}

bool ParseCapDataLine(std::string_view line, const TRecordPathCodec& codec, TCapData& record) {
  TCapData read;
  if (ReadCapDataEntry(line, codec, read) != TCapDataEntryKind::kRecord) return false;
  record = std::move(read);
  return true;
}

bool ReadCapDataList(const std::vector<std::string>& lines, std::size_t first,
                     const TRecordPathCodec& codec, std::vector<TCapData>& table,
                     std::string* message) {
  try {
    std::vector<TCapData> read;
    read.reserve(lines.size());
    const std::size_t kept = std::min({first, table.size(), lines.size()});
    for (std::size_t i = 0; i < kept; ++i) read.push_back(table[i]);
    bool unknown = false;
    for (std::size_t i = kept; i < lines.size(); ++i) {
      read.emplace_back();
      if (ReadCapDataEntry(lines[i], codec, read.back()) == TCapDataEntryKind::kUnknown)
        unknown = true;
    }
    table.swap(read);
    if (message) *message = unknown ? kUnknownDataMessage : "";
    return true;
  } catch (const std::exception&) {
    if (message) *message = kDataHandlingMessage;
    return false;
  }
}
