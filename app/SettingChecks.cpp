#include "app/SettingChecks.h"

#include <cmath>
#include <cstdio>

#include "engine/DecimalText.h"

namespace {

std::string Blanks(TNumberBox box) {
  switch (box) {
    case TNumberBox::kPanelLeft:
    case TNumberBox::kPanelTop:
    case TNumberBox::kSlideInterval:
      return "    ";
    case TNumberBox::kZoomStep:
    case TNumberBox::kRealZoomControl:
      return "      ";
    case TNumberBox::kKernelSize:
    case TNumberBox::kCenterPercent:
    case TNumberBox::kStrength:
      return "   ";
    case TNumberBox::kJpegQuality:
      return " ";
  }
  return {};
}

std::string ZeroPadded(long long value, int width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return (value < 0 ? "-" : "") + digits;
}

}  // namespace

std::string NumberBoxText(TNumberBox box, double value) {
  char buffer[64];
  switch (box) {
    case TNumberBox::kPanelLeft:
    case TNumberBox::kPanelTop:
      return Blanks(box) + ZeroPadded(std::llround(value), 2);
    case TNumberBox::kSlideInterval:
      return Blanks(box) + ZeroPadded(std::llround(value), 5);
    case TNumberBox::kJpegQuality:
      return Blanks(box) + ZeroPadded(std::llround(value), 3);
    case TNumberBox::kZoomStep:
      std::snprintf(buffer, sizeof buffer, "%4lld", std::llround(value));
      return Blanks(box) + buffer;
    case TNumberBox::kRealZoomControl: {
      // Two decimals in the C locale whatever the desktop's locale is.
      const long long hundredths = std::llround(value * 100);
      return Blanks(box) + std::to_string(hundredths / 100) + "." +
             ZeroPadded(std::llabs(hundredths % 100), 2);
    }
    case TNumberBox::kKernelSize:
    case TNumberBox::kCenterPercent:
    case TNumberBox::kStrength:
      return Blanks(box) + std::to_string(std::llround(value));
  }
  return {};
}

std::vector<std::string> NumberBoxItems(TNumberBox box) {
  std::vector<double> values;
  switch (box) {
    case TNumberBox::kPanelLeft:
    case TNumberBox::kPanelTop:
      values = {0, 1, 2, 3, 4, 5, 6, 8, 10, 20};
      break;
    case TNumberBox::kSlideInterval:
      values = {100,  250,  500,  750,  1000, 1250, 1500, 1750,
                2000, 2500, 3000, 4000, 5000, 7500, 10000};
      break;
    case TNumberBox::kZoomStep:
      values = {25, 50, 100};
      break;
    case TNumberBox::kRealZoomControl:
      values = {0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 2.5};
      break;
    case TNumberBox::kJpegQuality:
      values = {75, 80, 85, 90, 95, 100};
      break;
    case TNumberBox::kKernelSize:
      values = {3, 5, 7, 9, 11};
      break;
    case TNumberBox::kCenterPercent:
      values = {10, 20, 30, 40, 50, 60, 70, 80, 90};
      break;
    case TNumberBox::kStrength:
      values = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 150, 200, 250, 300, 500};
      break;
  }
  std::vector<std::string> items;
  for (double value : values) items.push_back(NumberBoxText(box, value));
  return items;
}

bool CheckNumberBox(TNumberBox box, const std::string& text, double& value, std::string& message) {
  if (box == TNumberBox::kRealZoomControl) {
    double x = 0;
    if (ParseDecimalReal(text, x) && std::isfinite(x) && x > 0) {
      value = x;
      return true;
    }
    message = "0以上の数を入力してください。";
    return false;
  }
  int n = 0;
  const bool read = ParseDecimalInt(text, n);
  bool ok = false;
  switch (box) {
    case TNumberBox::kPanelLeft:
    case TNumberBox::kPanelTop:
      ok = read && n >= 0 && n <= 25;
      message = "0以上25以下の整数を入力してください。";
      break;
    case TNumberBox::kSlideInterval:
      ok = read && n >= 1 && n <= 60000;
      message = "1以上の整数を入力してください。";
      break;
    case TNumberBox::kZoomStep:
      ok = read && n >= 1 && n <= 100;
      message = "1以上100以下の整数を入力してください。";
      break;
    case TNumberBox::kJpegQuality:
      ok = read && n >= 1 && n <= 100;
      message = "100以下の正の整数を入力してください。";
      break;
    case TNumberBox::kKernelSize:
      ok = read && n >= 3 && n <= 60000 && n % 2 == 1;
      message = "３以上の奇数を入力してください。";
      break;
    case TNumberBox::kCenterPercent:
      ok = read && n >= 0 && n <= 99;
      message = "0以上100未満の整数を入力してください。";
      break;
    case TNumberBox::kStrength:
      ok = read && n >= -60000 && n <= 60000 && n != 0;
      message = "0以外の整数を入力してください。";
      break;
    case TNumberBox::kRealZoomControl:
      break;
  }
  if (!ok) return false;
  message.clear();
  value = n;
  return true;
}
