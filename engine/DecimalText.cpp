#include "engine/DecimalText.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool ParseDecimalInt(std::string_view text, int& value) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    magnitude = magnitude * 10 + (c - '0');
    // Stop long before the accumulator could overflow.
    if (magnitude > std::int64_t{2147483648}) return false;
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > 2147483647 || signed_value < -std::int64_t{2147483648}) return false;
  value = static_cast<int>(signed_value);
  return true;
}

bool ParseDecimalReal(std::string_view text, double& value) {
  text = TrimBlanks(text);
  std::size_t pos = 0;
  const std::size_t n = text.size();
  bool negative = false;
  if (pos < n && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t number_start = pos;
  std::size_t digits = 0;
  while (pos < n && IsDigit(text[pos])) ++pos, ++digits;
  if (pos < n && text[pos] == '.') {
    ++pos;
    while (pos < n && IsDigit(text[pos])) ++pos, ++digits;
  }
  if (digits == 0) return false;
  if (pos < n && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < n && (text[pos] == '+' || text[pos] == '-')) ++pos;
    std::size_t exponent_digits = 0;
    while (pos < n && IsDigit(text[pos])) ++pos, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (pos != n) return false;
  // from_chars knows no leading '+' and no sign handling we need: the sign is applied after.
  double magnitude = 0;
  const char* first = text.data() + number_start;
  const char* last = text.data() + n;
  const auto result = std::from_chars(first, last, magnitude, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != last) return false;
  value = negative ? -magnitude : magnitude;
  return true;
}
