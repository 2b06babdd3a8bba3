#include "widgets/ColorRecords.h"

#include <algorithm>

namespace {

std::string Three(int value) {
  std::string text = std::to_string(std::clamp(value, 0, 255));
  return std::string(3 - text.size(), '0') + text;
}

std::string LeadingBlanksRemoved(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

bool ReadThree(const std::string& text, std::size_t at, int& value) {
  if (at + 3 > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + 3; ++i) {
    const char c = text[i];
    if (c == ' ' && value == 0) continue;  // short numbers padded with blanks
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= 255;
}

std::string Triple(const TRgb& rgb) {
  return Three(rgb.red) + "," + Three(rgb.green) + "," + Three(rgb.blue);
}

}  // namespace

std::string ColorRecordText(const TRgb& rgb) { return "   " + Triple(rgb); }

bool ParseColorRecord(const std::string& record, TRgb& rgb) {
  const std::string text = LeadingBlanksRemoved(record);
  if (text.size() != 11 || text[3] != ',' || text[7] != ',') return false;
  TRgb read;
  if (!ReadThree(text, 0, read.red) || !ReadThree(text, 4, read.green) ||
      !ReadThree(text, 8, read.blue))
    return false;
  rgb = read;
  return true;
}

bool SameColorRecord(const std::string& a, const std::string& b) {
  return LeadingBlanksRemoved(a) == LeadingBlanksRemoved(b);
}

void AddAverageColors(std::vector<std::string>& records) {
  static const int kLevels[3] = {0, 128, 255};
  for (int r : kLevels)
    for (int g : kLevels)
      for (int b : kLevels) records.push_back(ColorRecordText({r, g, b}));
  std::sort(records.begin(), records.end());
  records.erase(std::unique(records.begin(), records.end()), records.end());
}

TColor ColorValue(const TRgb& rgb) {
  return static_cast<TColor>(std::clamp(rgb.blue, 0, 255)) << 16 |
         static_cast<TColor>(std::clamp(rgb.green, 0, 255)) << 8 |
         static_cast<TColor>(std::clamp(rgb.red, 0, 255));
}

TRgb SplitColorValue(TColor color) {
  if (color > 0xFFFFFF) return {255, 255, 255};
  return {static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF),
          static_cast<int>(color >> 16 & 0xFF)};
}

std::string ColorSliderLabel(char letter, int value) {
  return std::string(1, letter) + "  " + Three(value);
}

std::string GradationLabel(int base, int offset) {
  static const char kLetters[] = "RGB";
  offset = std::clamp(offset, -255, 255);
  return std::string(1, kLetters[std::clamp(base, 0, 2)]) + ": " + (offset >= 0 ? "+" : "-") +
         Three(offset < 0 ? -offset : offset);
}

const std::vector<std::string>& PaletteKinds() {
  static const std::vector<std::string> kinds = {"選択色", "gra_025", "gra_081",
                                                 "  27色", " 125色",  " 729色"};
  return kinds;
}

std::vector<std::string> PaletteLayout(int kind, int base,
                                       const std::vector<std::string>& records) {
  std::vector<std::string> colors;
  if (kind == 0) {
    colors.push_back("0");
    for (const std::string& record : records)
      if (!LeadingBlanksRemoved(record).empty()) colors.push_back(LeadingBlanksRemoved(record));
    if (colors.size() == 1) colors.push_back("000,000,000");
  } else if (kind == 1 || kind == 2) {
    const int n = kind == 1 ? 5 : 9;
    const int step = 256 / (n - 1);
    colors.push_back("0");
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const int a = std::min(i * step, 255), b = std::min(j * step, 255);
        TRgb rgb;
        if (base == 0)
          rgb = {0, a, b};
        else if (base == 1)
          rgb = {a, 0, b};
        else
          rgb = {a, b, 0};
        colors.push_back(Triple(rgb));
      }
  } else if (kind >= 3 && kind <= 5) {
    const int n = kind == 3 ? 3 : kind == 4 ? 5 : 9;
    const int step = 256 / (n - 1);
    colors.push_back(std::to_string(n));
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b)
          colors.push_back(
              Triple({std::min(r * step, 255), std::min(g * step, 255), std::min(b * step, 255)}));
  }
  return colors;
}

bool ParsePaletteColor(const std::string& text, TRgb& rgb) { return ParseColorRecord(text, rgb); }

TRgb ShiftBase(TRgb rgb, int base, int offset) {
  int* channel = base == 0 ? &rgb.red : base == 1 ? &rgb.green : &rgb.blue;
  *channel = std::clamp(*channel + offset, 0, 255);
  return rgb;
}
