#include "engine/EffectFields.h"

#include <charconv>

namespace effect_fields {

bool SplitExact(std::string_view text, char delimiter, std::size_t count,
                std::string_view* pieces) {
  std::size_t found = 0, start = 0;
  for (;;) {
    const std::size_t end = text.find(delimiter, start);
    if (found == count) return false;
    pieces[found++] = text.substr(start, end == std::string_view::npos ? end : end - start);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return found == count;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool ParseInt(std::string_view text, int& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return false;
  }
  if (text.empty()) return false;
  int parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

bool ParseColor(std::string_view text, TColor& color) {
  int value = 0;
  if (!ParseInt(text, value)) return false;
  color = (value < 0 || value > 0xFFFFFF) ? kWhite : static_cast<TColor>(value);
  return true;
}

}  // namespace effect_fields
