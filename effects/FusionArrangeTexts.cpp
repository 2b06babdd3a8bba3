#include "effects/FusionArrangeTexts.h"

#include <algorithm>
#include <cctype>

#include "engine/DecimalText.h"
#include "platform/StringFormats.h"

namespace {

std::string WithoutBlanks(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out += c;
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// An optional sign and digits with blanks around; a number too long for an int is held near the
// end of its sign, so that 99999999999 is refused as out of range, not as a word.
bool ReadWideInteger(const std::string& text, long long& value) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::string bare = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  std::size_t i = 0;
  bool negative = false;
  if (bare[i] == '+' || bare[i] == '-') negative = bare[i++] == '-';
  if (i == bare.size()) return false;
  long long magnitude = 0;
  for (; i < bare.size(); ++i) {
    if (bare[i] < '0' || bare[i] > '9') return false;
    magnitude = std::min(magnitude * 10 + (bare[i] - '0'), 1LL << 40);
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

TFusionDialogSettings NormalizeFusionSettings(TFusionDialogSettings s) {
  const TFusionDialogSettings defaults;
  if (s.any_tone_level < 4 || s.any_tone_level > 255) s.any_tone_level = 4;
  if (s.up_down_level < 1 || s.up_down_level > 255) s.up_down_level = 1;
  if (s.bright_rate < 1 || s.bright_rate > 999) s.bright_rate = defaults.bright_rate;
  if (s.range_super_max < 1 || s.range_super_max > 999)
    s.range_super_max = defaults.range_super_max;
  if (s.trans_position < 0 || s.trans_position > 9) s.trans_position = 1;
  if (s.back_color > kWhite) s.back_color = kWhite;
  if (s.ground_color > kWhite) s.ground_color = kWhite;
  return s;
}

std::string TransPositionCode(int keypad) {
  switch (keypad) {
    case 7:
      return "TL";
    case 8:
      return "TC";
    case 9:
      return "TR";
    case 4:
      return "CL";
    case 5:
      return "CC";
    case 6:
      return "CR";
    case 2:
      return "BC";
    case 3:
      return "BR";
    default:
      return "BL";
  }
}

std::string FusionParameterText(const TFusionControls& c) {
  const int a_rate = c.operation == kFusionBlend ? 100 - c.b_position : c.a_position;
  std::string pair;
  switch (c.operation) {
    case kFusionBlend:
    case kFusionMix:
      pair = c.transparent ? "-1," + std::to_string(c.bright_rate) : "1,0";
      break;
    case kFusionZMix:
      pair = c.transparent ? "-2," + std::to_string(c.bright_rate) : "2,0";
      break;
    default:
      pair = std::to_string(c.transparent ? -c.operation : c.operation) + "," +
             TransPositionCode(c.trans_position);
      break;
  }
  return WithoutBlanks(c.x) + "," + WithoutBlanks(c.y) + "," + std::to_string(a_rate) + "," +
         std::to_string(c.b_position) + "," + pair + "," + (c.limit ? "1" : "0") + "," +
         std::to_string(c.back_color);
}

std::string FusionRateLabel(char letter, int position) {
  return std::string(1, letter) + " " + SignedFixedWidth(position, 3, nullptr) + "%";
}

int NextRateStep(int position, int minimum, int maximum) {
  if (position >= maximum) return minimum;
  // Floor division, so that -30 steps to 0 and -100 to -50.
  int below = position / 50;
  if (position % 50 != 0 && position < 0) --below;
  return std::min((below + 1) * 50, maximum);
}

std::string GroundEntryText(TColor ground) {
  return "台紙(" + std::to_string(ColorRed(ground)) + "," + std::to_string(ColorGreen(ground)) +
         "," + std::to_string(ColorBlue(ground)) + ")";
}

TToneTable ToneLevelTable(int levels) {
  TToneTable table;
  levels = std::clamp(levels, 1, 255);
  for (int i = 1; i <= levels; ++i) {
    table.from.push_back(static_cast<std::uint8_t>(i));
    table.to.push_back(static_cast<std::uint8_t>(std::min(256 / levels * i, 255)));
  }
  return table;
}

TToneTable BottomUpTable(int k) {
  TToneTable table;
  table.exact = true;
  k = std::clamp(k, 1, 255);
  for (int v = 0; v < k; ++v) {
    table.from.push_back(static_cast<std::uint8_t>(v));
    table.to.push_back(static_cast<std::uint8_t>(k));
  }
  return table;
}

TToneTable TopDownTable(int k) {
  TToneTable table;
  table.exact = true;
  k = std::clamp(k, 1, 255);
  for (int v = 255; v >= 256 - k; --v) {
    table.from.push_back(static_cast<std::uint8_t>(v));
    table.to.push_back(static_cast<std::uint8_t>(255 - k));
  }
  return table;
}

std::string AnyToneCaption(int levels) { return std::to_string(levels) + "段階(&A)"; }

std::string BottomUpCaption(int k) { return "ボトムアップ to " + std::to_string(k) + "(&B)"; }

std::string TopDownCaption(int k) { return "トップダウン to " + std::to_string(k) + "(&T)"; }

std::string LevelRangePrompt(int lower) {
  return std::to_string(lower) + "以上255以下の整数を指定してください。";
}

bool ReadRangedInteger(const std::string& text, int low, int high, int& value) {
  int read = 0;
  if (!ParseDecimalInt(text, read) || read < low || read > high) return false;
  value = read;
  return true;
}

TPositionEntry CheckPositionEntry(const std::string& text, const std::vector<std::string>& items) {
  TPositionEntry entry;
  const std::string typed = Upper(WithoutBlanks(text));
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!typed.empty() && typed == Upper(WithoutBlanks(items[i]))) {
      entry.kind = TPositionEntry::kItem;
      entry.item = static_cast<int>(i);
      return entry;
    }
  }
  long long value = 0;
  if (!ReadWideInteger(text, value)) return entry;
  entry.kind = TPositionEntry::kNumber;
  entry.value = static_cast<int>(std::clamp<long long>(value, kFusionPlaceMin, kFusionPlaceMax));
  entry.clamped = entry.value != value;
  return entry;
}

std::string PlaceRangeMessage() {
  return std::to_string(kFusionPlaceMin) + "から" + std::to_string(kFusionPlaceMax) +
         "までの整数を入力してください。";
}
