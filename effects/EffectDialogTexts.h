#pragma once

#include <array>
#include <string>
#include <vector>

// The texts of the rotation and RGB dialogs in both directions, kept apart from the widgets.

// Rotation dialog.
inline constexpr const char* kInitialAngleText = "      0";
// DegreeListBox's presets, right-aligned in seven characters.
const std::vector<std::string>& DegreePresets();
// The angle parameter text: the edit text without surrounding blanks when it reads as a finite
// decimal number, otherwise empty.
std::string AngleParameterText(const std::string& edit_text);
// The opposite angle padded with blanks to width: 30 gives "    -30", -30 gives "     30", 0
// stays 0. False when the text is not an angle.
bool NegateAngleText(const std::string& text, int width, std::string& result);

// RGB dialog. Each array holds red, green, blue.
struct TRGBDialogState {
  std::array<int, 3> source = {0, 1, 2};  // 0 R, 1 G, 2 B, 3 Ave, 4 指定
  std::array<bool, 3> reverse = {false, false, false};
  std::array<bool, 3> percent = {false, false, false};
  std::array<int, 3> offset = {0, 0, 0};
  bool operator==(const TRGBDialogState&) const = default;
};
inline constexpr int kRGBSourceFixed = 4;
inline constexpr int kRGBOffsetMax = 255;
// The smallest offset for a source: 0 for a fixed value, -255 otherwise.
int RGBOffsetMin(int source);
// "R +005", "G  000", "B -012".
std::string RGBChannelLabel(int channel, int offset);
// The nine-field parameter text: 0,1,2,0,0,0,+005, 000, 000.
std::string RGBParameterText(const TRGBDialogState& state);
// Reads a record into state. False, state untouched, unless the record has exactly nine fields,
// source codes 0..9 and offsets that are integers; an offset is held within its source's range.
bool ParseRGBRecord(const std::string& record, TRGBDialogState& state);
// The position of the first record equal to text, or -1.
int FindRecord(const std::vector<std::string>& records, const std::string& text);
// The message for a text that is already a record (index 0-based) and its caption.
std::string AlreadyRecordedText(const std::string& text);
std::string AlreadyRecordedCaption(int index);
