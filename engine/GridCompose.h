#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"

// The arithmetic of the picture grid: how many rows and how large a cell, where each cell and
// each picture inside it goes, which table cell a grid cell shows, and the composing of the
// pictures into one bitmap with black grid lines.

// What the size boxes of the grid give: nothing (the window's client area decides), the whole
// grid (outer frame) or one cell.
enum class TGridSizeMode { kNone, kOuterFrame, kEachCell };

struct TGridLayout {
  int columns = 1;
  int rows = 1;
  int cell_width = 0;
  int cell_height = 0;
  int line_width = 1;
};

struct TGridRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TGridRect&) const = default;
};

// Rows for count pictures in columns columns: ceil(count / columns), 1 when there is nothing.
int GridRows(int count, int columns);

// The layout of count pictures in columns columns with line width line_width. kNone and
// kOuterFrame divide width x height (the client area, or the outer frame's sizes) among the
// cells and their lines; kEachCell takes width x height as the cell size. Sides may come out 0
// or negative when the area is too small; the caller refuses those.
TGridLayout ComputeGridLayout(TGridSizeMode mode, int width, int height, int columns, int count,
                              int line_width);

// The composed picture: line + (cell + line) per column and row.
long long GridCanvasWidth(const TGridLayout& layout);
long long GridCanvasHeight(const TGridLayout& layout);

// The window's refusal of a composed picture beyond the working size limit (two lines).
inline constexpr char kGridTooLargeMessage[] =
    "ピクチャーのサイズが許容範囲を超えています。\r\n\r\nピクチャーは表示できませんでした。";
// True when the composed picture fits the working size limit; otherwise message (if given)
// takes kGridTooLargeMessage.
bool GridCanvasAllowed(const TGridLayout& layout, std::string* message = nullptr);

// Cell (column, row): left = L + (CW + L) x column, top = L + (RH + L) x row.
TGridRect GridCellRect(const TGridLayout& layout, int column, int row);
// The grid lines: one vertical strip per column boundary, then one horizontal per row boundary.
std::vector<TGridRect> GridLineRects(const TGridLayout& layout);

// How a drawn height (or width) comes from the fit factor: the window's own composing truncates,
// the controller's resize rounds half to even.
enum class TGridFitRounding { kTruncate, kRound };

// Where a picture goes inside its cell and how it is resized: mode 0 enlarge, 1 reduce,
// -1 copy unchanged. ok is false when the fit factor is not positive (no picture, empty cell).
struct TGridPlacement {
  bool ok = false;
  TGridRect rect;
  int mode = -1;
};

// Fits a picture_width x picture_height picture into cell with FitFactorWithSide: the deciding
// side fills the cell, the other is scaled and grows by one pixel when the leftover is odd, and
// the picture is centred on that axis only.
TGridPlacement PlaceInGridCell(const TGridRect& cell, int picture_width, int picture_height,
                               TGridFitRounding rounding);

// The table cell each of grid_cells grid cells shows, -1 for none. table_tags holds one entry per
// table cell, -1 for a cell without an item. Without repeat the cells past the last used table
// cell stay empty; with repeat an empty grid cell k past the last used table cell m shows cell
// k mod (m + 1).
std::vector<int> GridPictureMap(const std::vector<int>& table_tags, int grid_cells, bool repeat);

// The number of grid cells to show: 0 without items, the table's cell count with repeat, else
// the last used table cell + 1.
int GridCellsToShow(const std::vector<int>& table_tags, bool repeat);

struct TGridComposeOptions {
  bool no_grid = false;         // keep the spacing of the lines but leave it unpainted
  bool frame_pictures = false;  // a one-pixel black frame just outside every picture
  TGridFitRounding rounding = TGridFitRounding::kTruncate;
  TColor background = kWhite;  // the inside of the cells
};

// Resizes src to width x height into dst; mode as in TGridPlacement (-1: the fit factor was 1
// and only the odd-leftover pixel differs).
using TGridResize =
    std::function<bool(const TBitmap24& src, TBitmap24& dst, int width, int height, int mode)>;

// The outcome of composing.
struct TGridComposeResult {
  bool ok = false;         // false: refused size, a failed resize or cancelled
  bool too_large = false;  // the canvas passes the working size limit
  int failed_cells = 0;    // cells whose picture could not be fitted (non-positive factor)
};

// Composes pictures (one per grid cell in row-major order, null or empty for none) into canvas.
// resize defaults to the nearest-neighbour stretch. A picture whose placement keeps its size is
// copied as it is. The owner is asked between cells whether to go on; progress counts cells.
// canvas's buffer is reused; it is left empty when the result is not ok.
// With the default stretch and no owner the cells are shared out among the executor's bands
// (the default executor when none is given), one cell to a thread at a time; the bytes are those
// of the cell-by-cell order (frames are drawn after the pictures unless lines of width 0 would
// let a frame cover a neighbour, in which case the cells go one by one).
TGridComposeResult ComposeGrid(const TGridLayout& layout,
                               const std::vector<const TBitmap24*>& pictures,
                               const TGridComposeOptions& options, TBitmap24& canvas,
                               const TGridResize& resize = {}, TEngineOwner* owner = nullptr,
                               TBandExecutor* executor = nullptr);

// Draws a one-pixel frame round rect (just outside it), clipped to bitmap.
void DrawGridFrame(TBitmap24& bitmap, const TGridRect& rect, TColor color);
