#pragma once

#include <string>
#include <vector>

#include "model/Settings.h"

// The arithmetic of the thumbnail table: cell layout, picture placement, paging and the texts
// that tell where the page is. No widget appears here; the table applies the results.

struct TTableRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TTableRect&) const = default;
};

// Arrangement directions of the cells (PanelArrangeDirection).
enum TPanelArrangeDirection : int {
  kRowsLeftToRight = 0,
  kRowsRightToLeft = 1,
  kColumnsLeftToRight = 2,  // cells run top to bottom, columns left to right
  kColumnsRightToLeft = 3,  // cells run top to bottom, columns right to left
};

// Picture position codes under cover fit (keypad layout).
inline constexpr int kPositionTopLeft = 7;
inline constexpr int kPositionCentre = 5;
inline constexpr int kPositionBottomRight = 3;

// What the layout depends on: MainPanel's size, the margins of the table settings and the
// cell counts.
struct TTableLayoutInput {
  int main_width = 0;
  int main_height = 0;
  int display_zero_left = 1;
  int display_zero_top = 1;
  int panel_zero_left = 2;
  int panel_zero_top = 2;
  int panel_space = 0;
  int image_zero_left = 0;
  int image_zero_top = 0;
  int columns = 1;
  int rows = 1;
  int direction = kRowsLeftToRight;
};
// The margins and direction of the table settings, with the panel size and counts given.
TTableLayoutInput LayoutInputFrom(const TPictureTableSettings& settings, int main_width,
                                  int main_height, int columns, int rows);

struct TTableLayout {
  int available_width = 0;
  int available_height = 0;
  int cell_width = 0;  // of a frame
  int cell_height = 0;
  std::vector<TTableRect> frames;  // in MainPanel, one per cell
  std::vector<TTableRect> panels;  // in MainPanel, inside each frame
  int image_zero_left = 0;         // the image area's offset in its panel
  int image_zero_top = 0;
  int image_width = 0;  // the image area
  int image_height = 0;
  float aspect = 0;  // image area height / width; 0 when a side is 0 or less

  int PanelWidth() const { return panels.empty() ? 0 : panels.front().width; }
  int PanelHeight() const { return panels.empty() ? 0 : panels.front().height; }
};

// The frame layout (every division truncates toward zero). Cells are placed in the direction's
// order; for the right-to-left directions the right edge is the available width itself.
// Panels take the margins inside their frames with the size of the first frame's panel.
TTableLayout Set_Bevel(const TTableLayoutInput& input);

// Where a picture of picture_width x picture_height is shown in a cell's panel (the rectangle of
// the stretching image, relative to the panel): fitted into the image area keeping its aspect and
// centred; with cover the fitted size is enlarged by CoverFactor so that the picture fills the
// area (clipped by the panel), placed by position (7 at the margins, 3 against the bottom-right
// corner, otherwise centred). An empty picture or area gives an empty rectangle.
TTableRect PlacePicture(const TTableLayout& layout, int picture_width, int picture_height,
                        bool cover, int position);

// The size of a processed picture refitted into the image area (after a rotation): the picture
// scaled by FitFactor and truncated; false (sizes unchanged) when there is no positive factor.
bool RefitSize(const TTableLayout& layout, int& width, int& height);

// Paging. The page start is the index of the item in the first cell; after a page is filled it
// points past that page (min(start + cells, count)).
struct TPageItems {
  std::vector<int> items;  // item index per cell, -1 for an empty cell
  int first = 0;           // the page's start (after wrapping)
  int last_index = 0;      // the page start that follows: min(first + cells, count)
};
// The items of a page starting at page_start. A start at or past the item count wraps to 0.
// With repeat, cells past the last item continue with item 0 (and round again when the list is
// shorter than the page).
TPageItems PageItems(int page_start, int cells, int count, bool repeat);
// Next: a start at or past the count wraps to 0 (wrapped tells, so the caller can stop a slide
// show without repeat).
int NextPageStart(int page_start, int count, bool& wrapped);
// Back: start 0 -> count - 2 x cells; start = cells (the first page is shown) -> count - cells;
// otherwise start - 2 x cells, or 0 when the start is below 2 x cells; never below 0.
int BackPageStart(int page_start, int cells, int count);

// The first and last numbers (1-based) of the page that starts at first_index: the last passes
// the count only with repeat, where it becomes last mod count (count when that is 0).
void PageNumbers(int first_index, int cells, int count, bool repeat, int& first, int& last);
// FileNumLabel's text for the page that starts at first_index.
std::string FileNumLabelText(int first_index, int cells, int count, bool repeat);
// The window caption for that page ("PictureTable  " when the list is empty).
std::string TableCaptionText(int first_index, int cells, int count, bool repeat);
// The caption while MemoryTimer runs: " 12.345MB, 7枚".
std::string MemoryCaptionText(float used_megabytes, int held_count);

// Window bounds at opening, from the stored ones and the screen (the shares of 98 % and 95 %
// of the screen, clamps to keep the window reachable).
TFormBounds TableOpeningBounds(const TPictureTableSettings& settings, int screen_width,
                               int screen_height);
// The item index of HCountCombo / WCountCombo at opening: at most 4 (five rows or columns);
// an index below 0 selects item 1.
int OpeningCountIndex(int stored_index);

// Reduction (delta +1: one more column or row, up to 16) and zoom (delta -1: one fewer, down to
// 1) of the counts; each flag says whether that count takes part. The counts are combo item
// indexes (0 = " 1" .. 15 = "16"). True when a count changed (only then is the page redrawn).
bool StepCellCounts(int& column_index, int& row_index, bool columns, bool rows, int delta);

// PicturePositionStep1: centre -> bottom-right -> top-left -> centre.
int NextPicturePosition(int position);
// One step of the flashing slide: the same page at top-left, centre, bottom-right, then the next
// page at top-left again (next_page set). Any other position starts over at top-left.
int NextFlashingPosition(int position, bool& next_page);
