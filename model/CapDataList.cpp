#include "model/CapDataList.h"

#include <algorithm>

#include "engine/FileNames.h"

namespace {

std::size_t FieldCount(const std::string& line) {
  return static_cast<std::size_t>(std::count(line.begin(), line.end(), '/')) + 1;
}

}  // namespace

std::string TCapDataList::TextOf(std::size_t index) const {
  return NumberedEntry(index + 1, FileNameOf(table_[index].path));
}

bool TCapDataList::Set(std::size_t index, const std::string& line, std::string* message) {
  if (index > lines_.size()) {
    if (message) *message = "Set_NewCapData Error";
    return false;
  }
  const std::size_t fields = FieldCount(line);
  if (fields < kCapDataMinFields || fields > kCapDataMaxFields) {
    if (message) *message = "未知のデータファイルです。";
    return false;
  }
  TCapData record;
  const TCapDataEntryKind kind = ReadCapDataEntry(line, codec_, record);
  if (index == lines_.size()) {
    lines_.push_back(line);
    table_.push_back(std::move(record));
    kinds_.push_back(kind);
    texts_.push_back(TextOf(index));
  } else {
    lines_[index] = line;
    table_[index] = std::move(record);
    kinds_[index] = kind;
    texts_[index] = TextOf(index);
  }
  return true;
}

void TCapDataList::Delete(std::size_t index) {
  if (index >= lines_.size()) return;
  const auto at = static_cast<std::ptrdiff_t>(index);
  lines_.erase(lines_.begin() + at);
  table_.erase(table_.begin() + at);
  kinds_.erase(kinds_.begin() + at);
  texts_.erase(texts_.begin() + at);
  for (std::size_t i = index; i < texts_.size(); ++i) texts_[i] = TextOf(i);
}

void TCapDataList::Clear() {
  lines_.clear();
  table_.clear();
  kinds_.clear();
  texts_.clear();
}

bool TCapDataList::Assign(std::vector<std::string> lines, std::string* message) {
  lines_ = std::move(lines);
  table_.clear();
  kinds_.clear();
  texts_.clear();
  return ParseFrom(0, message);
}

bool TCapDataList::Append(const std::vector<std::string>& lines, std::string* message) {
  const std::size_t first = lines_.size();
  lines_.insert(lines_.end(), lines.begin(), lines.end());
  return ParseFrom(first, message);
}

bool TCapDataList::Reorder(const std::vector<std::size_t>& order, std::string* message) {
  std::vector<std::string> lines;
  lines.reserve(order.size());
  for (std::size_t i : order) lines.push_back(std::move(lines_[i]));
  return Assign(std::move(lines), message);
}

bool TCapDataList::ParseFrom(std::size_t first, std::string* message) {
  try {
    table_.resize(lines_.size());
    kinds_.resize(lines_.size());
    texts_.resize(lines_.size());
    bool unknown = false;
    for (std::size_t i = first; i < lines_.size(); ++i) {
      table_[i] = TCapData{};
      kinds_[i] = ReadCapDataEntry(lines_[i], codec_, table_[i]);
      unknown = unknown || kinds_[i] == TCapDataEntryKind::kUnknown;
      texts_[i] = TextOf(i);
    }
    if (message) *message = unknown ? kUnknownDataMessage : "";
    return true;
  } catch (...) {
    table_.clear();
    kinds_.clear();
    texts_.clear();
    if (message) *message = kDataHandlingMessage;
    return false;
  }
}

std::string NumberedEntry(std::size_t number, const std::string& file_name) {
  std::string text = std::to_string(number);
  if (text.size() < 3) text.insert(0, 3 - text.size(), ' ');
  return text + " " + file_name;
}
