#include "effects/EffectDialogTexts.h"

#include <algorithm>
#include <cmath>

#include "engine/DecimalText.h"
#include "platform/SplitWX.h"
#include "platform/StringFormats.h"

namespace {

std::string Trim(const std::string& text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

const std::vector<std::string>& DegreePresets() {
  static const std::vector<std::string> presets = {"      0", "     30", "     45", "     60",
                                                   "     90", "    120", "    135", "    150",
                                                   "    180", "    210", "    245", "    270"};
  return presets;
}

std::string AngleParameterText(const std::string& edit_text) {
  const std::string text = Trim(edit_text);
  double value = 0;
  if (!ParseDecimalReal(text, value) || !std::isfinite(value)) return {};
  return text;
}

bool NegateAngleText(const std::string& text, int width, std::string& result) {
  std::string trimmed = AngleParameterText(text);
  if (trimmed.empty()) return false;
  double value = 0;
  ParseDecimalReal(trimmed, value);
  // Only the sign changes, so that an exponent or a fraction keeps its meaning.
  if (trimmed[0] == '+' || trimmed[0] == '-') trimmed.erase(0, 1);
  if (value > 0) trimmed = "-" + trimmed;
  result.assign(static_cast<std::size_t>(std::max(0, width - static_cast<int>(trimmed.size()))),
                ' ');
  result += trimmed;
  return true;
}

int RGBOffsetMin(int source) { return source == kRGBSourceFixed ? 0 : -kRGBOffsetMax; }

std::string RGBChannelLabel(int channel, int offset) {
  static const char kLetters[] = "RGB";
  offset = std::clamp(offset, -kRGBOffsetMax, kRGBOffsetMax);
  return std::string(1, kLetters[std::clamp(channel, 0, 2)]) + " " +
         SignedFixedWidth(offset, 3, nullptr);
}

std::string RGBParameterText(const TRGBDialogState& state) {
  std::string text;
  for (int i = 0; i < 3; ++i)
    text += std::to_string(state.source[i] + (state.reverse[i] ? 5 : 0)) + ",";
  for (int i = 0; i < 3; ++i) text += state.percent[i] ? "1," : "0,";
  for (int i = 0; i < 3; ++i) {
    text += RGBChannelLabel(i, state.offset[i]).substr(2);
    if (i < 2) text += ",";
  }
  return text;
}

bool ParseRGBRecord(const std::string& record, TRGBDialogState& state) {
  const std::vector<std::string> fields = SplitText(record, ",");
  if (fields.size() != 9) return false;
  TRGBDialogState read;
  for (int i = 0; i < 3; ++i) {
    int code = 0, offset = 0;
    if (!ParseDecimalInt(fields[i], code) || code < 0 || code > 9) return false;
    if (!ParseDecimalInt(fields[6 + i], offset)) return false;
    read.source[i] = code % 5;
    read.reverse[i] = code >= 5;
    read.percent[i] = fields[3 + i] == "1";
    read.offset[i] = std::clamp(offset, RGBOffsetMin(read.source[i]), kRGBOffsetMax);
  }
  state = read;
  return true;
}

int FindRecord(const std::vector<std::string>& records, const std::string& text) {
  const auto it = std::find(records.begin(), records.end(), text);
  return it == records.end() ? -1 : static_cast<int>(it - records.begin());
}

std::string AlreadyRecordedText(const std::string& text) {
  return text + "\r\n\r\nは既に登録されています。";
}

std::string AlreadyRecordedCaption(int index) {
  return "  確認( Index= " + std::to_string(index + 1) + " )";
}
