#include "effects/CapDataEditRules.h"

#include <algorithm>
#include <cctype>

#include "engine/CaptureBasics.h"
#include "engine/DecimalText.h"
#include "platform/SplitWX.h"
#include "platform/StringFormats.h"

namespace {

std::string Join(const std::vector<std::string>& fields, std::size_t first, std::size_t last,
                 const char* separator) {
  std::string text;
  for (std::size_t i = first; i < last; ++i) {
    if (i != first) text += separator;
    text += fields[i];
  }
  return text;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool IsInteger(const std::string& text, int* value = nullptr) {
  int v = 0;
  if (!ParseDecimalInt(text, v)) return false;
  if (value) *value = v;
  return true;
}

bool NormalizeRGB(const std::string& parameters, std::string& out) {
  std::vector<std::string> f = SplitText(parameters, ",");
  if (f.size() != 9) return false;
  for (std::size_t i = 0; i < 9; ++i) {
    int value = 0;
    if (!IsInteger(f[i], &value)) return false;
    if (i >= 6) f[i] = SignedFixedWidth(value, 3, nullptr);
  }
  out = "RGB" + Join(f, 0, 9, ",");
  return true;
}

bool NormalizeFreeFilter(const std::string& parameters, std::string& out) {
  const std::vector<std::string> f = SplitText(parameters, ",");
  if (f.size() < 2) return false;
  const std::string kind = Upper(f[0]);
  const char* written = kind == "STD"   ? "Std"
                        : kind == "UNS" ? "UnS"
                        : kind == "EMB" ? "Emb"
                        : kind == "+EM" ? "+Em"
                                        : nullptr;
  int n = 0;
  if (!written || !IsInteger(f[1], &n) || n < 2 || n > 255) return false;
  const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  if (f.size() != cells + 4) return false;
  std::vector<std::string> numbers;
  numbers.reserve(cells + 2);
  for (std::size_t i = 2; i < f.size(); ++i) {
    int value = 0;
    if (!IsInteger(f[i], &value)) return false;
    numbers.push_back(std::to_string(value));
  }
  out = std::string("FFi") + written + ",  " + std::to_string(n) + ", " +
        Join(numbers, 0, cells, ",") + ", " + numbers[cells] + "," + numbers[cells + 1];
  return true;
}

bool NormalizeText(const std::string& parameters, std::string& out) {
  std::vector<std::string> f = SplitText(parameters, ",");
  if (f.size() != 12) return false;
  const std::string x = Upper(f[0]), y = Upper(f[1]);
  const bool x_ok = x == "LL" || x == "L" || x == "C" || x == "R" || x == "RR" || IsInteger(x);
  const bool y_ok = y == "TT" || y == "T" || y == "C" || y == "B" || y == "BB" || IsInteger(y);
  if (!x_ok || !y_ok) return false;
  for (std::size_t i : {3u, 4u, 5u, 7u, 8u, 9u, 10u, 11u})
    if (!IsInteger(f[i])) return false;
  f[6] = EscapeText(f[6]);
  if (f[6].empty()) return false;
  out = "Txt" + Join(f, 0, 12, ",");
  return true;
}

}  // namespace

bool NormalizeEffectEntry(const std::string& entry, std::string& normalised) {
  if (entry.size() < 3) return false;
  const std::string kind = Upper(entry.substr(0, 3));
  const std::string parameters = entry.substr(3);
  std::string out;
  bool done = false;
  if (kind == "ARO") {
    double angle = 0;
    done = ParseDecimalReal(parameters, angle);
    if (done) out = "ARo" + parameters;
  } else if (kind == "RGB") {
    done = NormalizeRGB(parameters, out);
  } else if (kind == "FFI") {
    done = NormalizeFreeFilter(parameters, out);
  } else if (kind == "TXT") {
    done = NormalizeText(parameters, out);
  }
  if (done) normalised = out;
  return done;
}

bool SplitRecordLine(const std::string& line, TEditedRecord& record) {
  const std::vector<std::string> fields = SplitText(line, "/");
  if (fields.size() < kCapDataMinFields || fields.size() > kCapDataMaxFields) return false;
  record.path_field = fields[0];
  for (int i = 0; i < 4; ++i) record.numbers[i] = fields[static_cast<std::size_t>(i) + 1];
  record.effects.assign(fields.begin() + 5, fields.end());
  return true;
}

std::string JoinRecordLine(const TEditedRecord& record) {
  std::string line = record.path_field;
  for (const std::string& number : record.numbers) line.append("/").append(number);
  for (const std::string& effect : record.effects) line.append("/").append(effect);
  return line;
}
