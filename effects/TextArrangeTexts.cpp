#include "effects/TextArrangeTexts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "engine/CaptureBasics.h"
#include "engine/DecimalText.h"
#include "engine/EffectFields.h"

namespace {

using effect_fields::ParseInt;
using effect_fields::SplitExact;

std::string WithoutBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    if (c != ' ') out.push_back(c);
  return out;
}

std::string Bit(bool on) { return on ? "1" : "0"; }

// An optional sign and at least one digit, nothing else; values beyond the 64-bit range are
// held at its ends, since they are clamped to a small range afterwards anyway.
bool ReadWholeNumber(std::string_view text, std::int64_t& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  constexpr std::int64_t kLimit = std::int64_t{1} << 50;
  std::int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    if (magnitude < kLimit) magnitude = magnitude * 10 + (c - '0');
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

std::string Decimal(std::int64_t value) { return std::to_string(value); }

bool HasBreakingCharacter(std::string_view text) {
  return text.find_first_of(",/\r\n") != std::string_view::npos;
}

}  // namespace

int FontStyleCode(const TTextFontState& font) {
  return (font.bold ? 1 : 0) + (font.italic ? 10 : 0) + (font.underline ? 100 : 0) +
         (font.strike_out ? 1000 : 0);
}

std::string FontText(const TTextFontState& font) {
  return font.name + "," + std::to_string(FontStyleCode(font)) + "," + std::to_string(font.size) +
         "," + std::to_string(font.color);
}

bool ParseFontText(const std::string& text, TTextFontState& font) {
  std::string_view f[4];
  if (!SplitExact(text, ',', 4, f)) return false;
  int style = 0, size = 0, color = 0;
  if (!ParseInt(f[1], style) || !ParseInt(f[2], size) || !ParseInt(f[3], color)) return false;
  const std::int64_t digits = std::llabs(static_cast<std::int64_t>(style));
  TTextFontState read;
  read.name = std::string(f[0]);
  read.bold = digits % 10 == 1;
  read.italic = digits / 10 % 10 == 1;
  read.underline = digits / 100 % 10 == 1;
  read.strike_out = digits / 1000 % 10 == 1;
  read.size = size;
  read.color = color;
  font = std::move(read);
  return true;
}

std::string LayoutText(const TTextLayout& layout) {
  return std::to_string(layout.transparency) + "," + std::to_string(layout.text_back) + "," +
         std::to_string(layout.space_back) + "," + std::to_string(layout.rotation) + "," +
         Bit(layout.limit);
}

bool ParseLayoutText(const std::string& text, TTextLayout& layout) {
  std::string_view f[5];
  if (!SplitExact(text, ',', 5, f)) return false;
  TTextLayout read;
  int limit = 0;
  if (!ParseInt(f[0], read.transparency) || !ParseInt(f[1], read.text_back) ||
      !ParseInt(f[2], read.space_back) || !ParseInt(f[3], read.rotation) || !ParseInt(f[4], limit))
    return false;
  read.limit = limit == 1;
  layout = read;
  return true;
}

std::string OptionText(const TTextViewOptions& options) {
  return Bit(options.without_extension) + "," + Bit(options.with_space) + "," +
         std::to_string(options.view_size) + "," + Bit(options.fixed_view);
}

bool ParseOptionText(const std::string& text, TTextViewOptions& options) {
  std::string_view f[4];
  if (!SplitExact(text, ',', 4, f)) return false;
  TTextViewOptions read;
  if (!ParseInt(f[2], read.view_size)) return false;
  read.without_extension = f[0] == "1";
  read.with_space = f[1] == "1";
  read.fixed_view = f[3] == "1";
  options = read;
  return true;
}

TColor ResolveColorReference(int reference, TColor fallback) {
  if (reference >= 0 && reference <= 0xFFFFFF) return static_cast<TColor>(reference);
  const auto bits = static_cast<std::uint32_t>(reference);
  if ((bits & 0xFFFFFF00u) != 0xFF000000u) return fallback;
  switch (bits & 0xFFu) {
    case 5:  // window
      return kWhite;
    case 8:   // window text
    case 18:  // button text
      return kBlack;
    case 15:  // button face
      return 0xF0F0F0;
    default:
      return fallback;
  }
}

std::string TextParameterText(const std::string& x_text, const std::string& y_text,
                              const TTextFontState& font, const std::string& text,
                              const TTextLayout& layout) {
  const std::string x = WithoutBlanks(x_text), y = WithoutBlanks(y_text);
  if (HasBreakingCharacter(font.name) || HasBreakingCharacter(x) || HasBreakingCharacter(y))
    return {};
  const std::string escaped = EscapeText(text);
  if (escaped.empty() && !text.empty()) return {};  // out of memory
  std::string out;
  out.reserve(escaped.size() + font.name.size() + 96);
  out.append(x).append(",").append(y).append(",").append(font.name).append(",");
  out.append(std::to_string(FontStyleCode(font))).append(",");
  out.append(std::to_string(font.size)).append(",");
  out.append(Decimal(ResolveColorReference(font.color, kBlack))).append(",");
  out.append(escaped).append(",");
  out.append(std::to_string(layout.transparency)).append(",");
  out.append(Decimal(ResolveColorReference(layout.text_back, kWhite))).append(",");
  out.append(Decimal(ResolveColorReference(layout.space_back, kWhite))).append(",");
  out.append(std::to_string(layout.rotation)).append(",").append(Bit(layout.limit));
  return out;
}

std::string TextToStore(const std::string& stored, const std::string& composed_when_read,
                        const std::string& composed_now) {
  return composed_now == composed_when_read ? stored : composed_now;
}

const std::array<const char*, 5>& PositionItems(TTextCombo combo) {
  static const std::array<const char*, 5> x = {"  LL", "   L", "   C", "   R", "  RR"};
  static const std::array<const char*, 5> y = {"  TT", "   T", "   C", "   B", "  BB"};
  return combo == TTextCombo::kY ? y : x;
}

const std::array<const char*, 11>& TransparencyItems() {
  static const std::array<const char*, 11> items = {
      kTextOpaqueItem, kTextKeyedItem, "    2", "    5", "   10", "   15",
      "   20",         "   25",        "   50", "  128", "  255"};
  return items;
}

const std::array<const char*, 9>& RotationItems() {
  static const std::array<const char*, 9> items = {
      kRotationZeroItem, " 30.0", " 45.0", " 60.0", " 90.0", "120.0", "135.0", "150.0", "180.0"};
  return items;
}

TComboEntry PositionEntry(TTextCombo combo, const std::string& typed) {
  std::string key = WithoutBlanks(typed);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const bool transparency = combo == TTextCombo::kTransparency;
  const auto match = [&key](const auto& items) {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (WithoutBlanks(items[i]) == key) return static_cast<int>(i);
    return -1;
  };
  TComboEntry entry;
  entry.select = transparency ? match(TransparencyItems()) : match(PositionItems(combo));
  if (entry.select >= 0) return entry;

  const std::int64_t low = transparency ? 0 : -4000, high = transparency ? 255 : 4000;
  const std::string message =
      Decimal(low) + "から" + Decimal(high) + "までの整数を入力してください。";
  std::string_view digits = key;
  const bool hash = transparency && !digits.empty() && digits[0] == '#';
  if (hash) digits.remove_prefix(1);
  std::int64_t value = 0;
  if (!ReadWholeNumber(digits, value)) {
    entry.select = 0;
    entry.message = message;
    return entry;
  }
  if (value < low || value > high) {
    value = std::clamp(value, low, high);
    entry.message = message;
  }
  if (transparency && value == 0) {
    entry.select = 1;
    return entry;
  }
  entry.text = hash ? " #" : " ";
  entry.text.append(Decimal(value));
  return entry;
}

bool TransparencyValue(const std::string& combo_text, int& value) {
  const std::string key = WithoutBlanks(combo_text);
  if (key == WithoutBlanks(kTextOpaqueItem)) {
    value = 0;
    return true;
  }
  if (key == WithoutBlanks(kTextKeyedItem)) {
    value = 1;
    return true;
  }
  if (key.empty() || key[0] != '#') return ParseDecimalInt(key, value);
  // "#n" is -n, read as one number so that the whole integer range comes back.
  if (key.size() < 2 || key[1] < '0' || key[1] > '9') return false;
  std::string negative = key;
  negative[0] = '-';
  return ParseDecimalInt(negative, value);
}

std::string TransparencyComboText(int value) {
  if (value == 0) return kTextOpaqueItem;
  if (value == 1) return kTextKeyedItem;
  const std::int64_t v = value;
  std::string text = v < 0 ? " #" : " ";
  text.append(Decimal(v < 0 ? -v : v));
  return text;
}

bool RotationTenths(const std::string& combo_text, int& tenths) {
  double angle = 0;
  if (!ParseDecimalReal(combo_text, angle)) return false;
  const double v = std::nearbyint(angle * 10);
  if (!std::isfinite(v) || v < -2147483648.0 || v > 2147483647.0) return false;
  tenths = static_cast<int>(v);
  return true;
}

std::string RotationComboText(std::int64_t tenths) {
  const bool negative = tenths < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(tenths) : static_cast<std::uint64_t>(tenths);
  const std::string digits = std::to_string(magnitude);
  const std::string whole = digits.size() > 1 ? digits.substr(0, digits.size() - 1) : "0";
  const std::size_t length = (negative ? 1 : 0) + whole.size() + 2;
  std::string text;
  if (length < 5) text.append(5 - length, ' ');
  if (negative) text.push_back('-');
  text.append(whole);
  text.push_back('.');
  text.push_back(digits.back());
  return text;
}

bool RotationEntry(const std::string& typed, std::string& shown) {
  double x = 0;
  if (!ParseDecimalReal(typed, x)) return false;
  double v = std::nearbyint(x / 0.1);
  // Beyond 2^53 the tenths are lost anyway: take the turn off first so nothing overflows.
  if (!std::isfinite(v) || std::fabs(v) > 9007199254740992.0)
    v = std::nearbyint(std::fmod(x, 360.0) / 0.1);
  v = std::fmod(v, 3600.0);
  shown = RotationComboText(static_cast<std::int64_t>(v));
  return true;
}

bool IsIntegerText(const std::string& text) {
  int value = 0;
  return ParseDecimalInt(text, value);
}

std::string FileDataText(const std::string& path, bool full_path, bool without_extension,
                         bool with_space) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  std::string text = full_path ? path : path.substr(name_start);
  if (without_extension) {
    const std::size_t dot = path.find_last_of('.');
    // A name that only starts with a dot has no extension.
    if (dot != std::string::npos && dot > name_start)
      text.resize(text.size() - (path.size() - dot));
  }
  if (with_space && !text.empty()) text = " " + text + " ";
  return text;
}
