#include "platform/SplitWX.h"

int TSplitWX::Split(const std::string& text, const std::string& delimiters) {
  pieces_ = SplitText(text, delimiters);
  return static_cast<int>(pieces_.size());
}

std::vector<std::string> SplitText(const std::string& text, const std::string& delimiters) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pos = text.find_first_of(delimiters, start);
    if (pos == std::string::npos) {
      pieces.emplace_back(text, start);
      return pieces;
    }
    pieces.emplace_back(text, start, pos - start);
    start = pos + 1;
  }
}
