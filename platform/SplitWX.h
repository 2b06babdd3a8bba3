#pragma once

#include <string>
#include <vector>

// Splits a line at any of a set of delimiter characters and keeps the pieces. Texts are UTF-8, so
// no byte of a multi-byte character can be taken for an ASCII delimiter.
class TSplitWX {
 public:
  // Cuts text at every delimiter; the pieces, empty ones included, replace the previous ones.
  // Returns the number of pieces: the delimiters plus one (an empty text gives one empty piece).
  int Split(const std::string& text, const std::string& delimiters);
  const std::vector<std::string>& Pieces() const { return pieces_; }
  std::size_t Count() const { return pieces_.size(); }
  const std::string& operator[](std::size_t i) const { return pieces_[i]; }

 private:
  std::vector<std::string> pieces_;
};

// One-shot form of TSplitWX::Split.
std::vector<std::string> SplitText(const std::string& text, const std::string& delimiters);
