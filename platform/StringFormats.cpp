#include "platform/StringFormats.h"

#include <cmath>
#include <cstdlib>

#include "engine/DecimalText.h"

namespace {

std::string Digits(unsigned long long n) { return std::to_string(n); }

unsigned long long Magnitude(long long n) {
  return n < 0 ? 0ull - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
}

std::string Trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

}  // namespace

std::string PadInteger(long long number, int width, char pad) {
  const std::string digits = Digits(Magnitude(number));
  const std::string sign = number < 0 ? "-" : "";
  const int length = static_cast<int>(digits.size() + sign.size());
  if (length >= width) return sign + digits;
  const std::string padding(static_cast<std::size_t>(width - length), pad);
  return pad == '0' ? sign + padding + digits : padding + sign + digits;
}

std::string PadUnsigned(unsigned long long number, int width, char pad) {
  const std::string digits = Digits(number);
  if (static_cast<int>(digits.size()) >= width) return digits;
  return std::string(static_cast<std::size_t>(width) - digits.size(), pad) + digits;
}

std::string SignedFixedWidth(long long value, int digits, std::string* overflow_message) {
  const std::string bare = Digits(Magnitude(value));
  if (static_cast<int>(bare.size()) > digits) {
    if (overflow_message)
      *overflow_message =
          value > 0 ? "オーバーフローしました(数が大)。" : "オーバーフローしました(数が小)。";
    return bare;
  }
  const char sign = value > 0 ? '+' : (value < 0 ? '-' : ' ');
  return sign + std::string(static_cast<std::size_t>(digits) - bare.size(), '0') + bare;
}

bool FigureReverse(const std::string& text, int width, std::string& result) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return false;
  double value = 0;
  if (!ParseDecimalReal(trimmed, value)) return false;  // C locale: "12.5" on any desktop
  std::string out = value > 0 ? "-" : "";
  for (char c : trimmed)
    if ((c >= '0' && c <= '9') || c == '.') out += c;
  if (static_cast<int>(out.size()) < width)
    out.insert(0, static_cast<std::size_t>(width) - out.size(), ' ');
  result = out;
  return true;
}
