#pragma once

#include <string>
#include <vector>

#include "engine/GridCompose.h"

struct TPictureGridSettings;

// The picture grid window's rules for its typed boxes: the column count, the size boxes and
// what is kept in the settings.

// The column box's items ("   1" ... " 100") and the size boxes' ("050" ... "800").
std::vector<std::string> GridColumnItems();
std::vector<std::string> GridSizeItems();
// The column box's text for a count, right-aligned in four places as its items are.
std::string GridColumnText(int columns);

// The most columns the grid takes: no composed picture can be wider anyway.
inline constexpr int kMaxGridColumns = 10000;
inline constexpr int kDefaultGridColumns = 3;

// A column count typed into the box: a whole number from 1 to kMaxGridColumns (blanks around it
// allowed).
bool ParseGridColumns(const std::string& text, int& columns);
// A size typed into a size box: a whole number from 1 up.
bool ParseGridSize(const std::string& text, int& size);

// What the layout needs from the window.
struct TGridSizeRequest {
  bool size_select = false;  // SizeSelectCheckBox
  bool each_cell = false;    // SizeGridRadioButton (else the outer frame)
  std::string width_text;    // the size boxes
  std::string height_text;
  int client_width = 0;  // the grid's client area
  int client_height = 0;
  int cell_width = 0;  // the cell size in force
  int cell_height = 0;
  int columns = kDefaultGridColumns;
  int count = 0;  // grid cells to show
  int line_width = 1;
};

// The layout decided, and what the size boxes show afterwards. stop: the size boxes held no
// numbers in each-cell mode; they were given the current cell size and nothing else changes.
struct TGridSizeDecision {
  TGridLayout layout;
  std::string width_text;
  std::string height_text;
  bool stop = false;
};

TGridSizeDecision DecideGridSizes(const TGridSizeRequest& request);

// The size boxes as the window shows them, and its column box.
struct TGridBoxTexts {
  std::string columns;
  std::string width;
  std::string height;
  bool size_select = false;
  bool each_cell = false;
};

// Writes the boxes back into settings. Texts that are not numbers store 3 columns and sizes of
// 100 (each cell) or 300 (outer frame).
void StoreGridBoxes(const TGridBoxTexts& boxes, TPictureGridSettings& settings);
// The size boxes' texts restored from settings: non-positive sizes give 100 x 100 in each-cell
// mode and 300 x 300 otherwise.
void RestoreGridSizes(const TPictureGridSettings& settings, std::string& width,
                      std::string& height);
