#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/CaptureBasics.h"

// The cap data list of the main window: the line store (what CapList.dat and data files hold),
// the table of parsed records beside it and the numbered texts of the visible list, always of
// equal length and in the same order. The lines are never rewritten by parsing: a line that is
// not a record keeps its place and its text.
// The list's visible entry of record number (1-based): the number right-aligned in three
// characters, a blank and the file name.
std::string NumberedEntry(std::size_t number, const std::string& file_name);

class TCapDataList {
 public:
  // Most records a division may bring the list to.
  static constexpr std::size_t kCapacity = 32736;

  explicit TCapDataList(const TRecordPathCodec& codec) : codec_(codec) {}

  std::size_t Size() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::string& Line(std::size_t index) const { return lines_[index]; }
  const TCapData& Record(std::size_t index) const { return table_[index]; }
  TCapDataEntryKind Kind(std::size_t index) const { return kinds_[index]; }
  const std::vector<std::string>& Texts() const { return texts_; }

  // Adds a line at the end (index == Size()) or replaces the line at index. False, with the
  // message to show, for a line of fewer than 5 or more than 11 fields
  // ("未知のデータファイルです。") or an index past the end ("Set_NewCapData Error").
  bool Set(std::size_t index, const std::string& line, std::string* message);
  // Removes the line at index; the following texts are renumbered.
  void Delete(std::size_t index);
  void Clear();
  // Replaces the whole store and parses every line. message receives "未知のデータが含まれて
  // いました。" when some line was not a record. False when parsing failed as a whole (the
  // lines are kept, the table and texts emptied).
  bool Assign(std::vector<std::string> lines, std::string* message);
  // Appends lines and parses them.
  bool Append(const std::vector<std::string>& lines, std::string* message);
  // Moves the lines into a new order (indices into the old order) and parses them again.
  bool Reorder(const std::vector<std::size_t>& order, std::string* message);

 private:
  bool ParseFrom(std::size_t first, std::string* message);
  std::string TextOf(std::size_t index) const;

  const TRecordPathCodec& codec_;
  std::vector<std::string> lines_;
  std::vector<TCapData> table_;
  std::vector<TCapDataEntryKind> kinds_;
  std::vector<std::string> texts_;
};
