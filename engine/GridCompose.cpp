#include "engine/GridCompose.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"

int GridRows(int count, int columns) {
  if (count <= 0 || columns <= 0) return 1;
  return (count + columns - 1) / columns;
}

TGridLayout ComputeGridLayout(TGridSizeMode mode, int width, int height, int columns, int count,
                              int line_width) {
  TGridLayout layout;
  layout.columns = columns > 0 ? columns : 1;
  layout.rows = GridRows(count, layout.columns);
  layout.line_width = line_width > 0 ? line_width : 0;
  if (mode == TGridSizeMode::kEachCell) {
    layout.cell_width = width;
    layout.cell_height = height;
    return layout;
  }
  const int l = layout.line_width;
  layout.cell_width = (width - l * (layout.columns + 1)) / layout.columns;
  layout.cell_height = (height - l * (layout.rows + 1)) / layout.rows;
  return layout;
}

long long GridCanvasWidth(const TGridLayout& layout) {
  return layout.line_width +
         (static_cast<long long>(layout.cell_width) + layout.line_width) * layout.columns;
}

long long GridCanvasHeight(const TGridLayout& layout) {
  return layout.line_width +
         (static_cast<long long>(layout.cell_height) + layout.line_width) * layout.rows;
}

bool GridCanvasAllowed(const TGridLayout& layout, std::string* message) {
  if (layout.cell_width > 0 && layout.cell_height > 0 &&
      TImU::SizeIsAllowed(GridCanvasWidth(layout), GridCanvasHeight(layout)))
    return true;
  if (message) *message = kGridTooLargeMessage;
  return false;
}

TGridRect GridCellRect(const TGridLayout& layout, int column, int row) {
  const int l = layout.line_width;
  return {l + (layout.cell_width + l) * column, l + (layout.cell_height + l) * row,
          layout.cell_width, layout.cell_height};
}

std::vector<TGridRect> GridLineRects(const TGridLayout& layout) {
  std::vector<TGridRect> lines;
  if (layout.line_width <= 0) return lines;
  const int width = static_cast<int>(GridCanvasWidth(layout));
  const int height = static_cast<int>(GridCanvasHeight(layout));
  for (int c = 0; c <= layout.columns; ++c)
    lines.push_back({c * (layout.cell_width + layout.line_width), 0, layout.line_width, height});
  for (int r = 0; r <= layout.rows; ++r)
    lines.push_back({0, r * (layout.cell_height + layout.line_width), width, layout.line_width});
  return lines;
}

TGridPlacement PlaceInGridCell(const TGridRect& cell, int picture_width, int picture_height,
                               TGridFitRounding rounding) {
  TGridPlacement placement;
  bool width_decides = false;
  const float factor =
      FitFactorWithSide(cell.width, cell.height, picture_width, picture_height, width_decides);
  if (!(factor > 0)) return placement;
  const auto scaled = [&](int side) {
    const float value = factor * static_cast<float>(side);
    return static_cast<int>(rounding == TGridFitRounding::kRound ? std::nearbyint(value) : value);
  };
  placement.ok = true;
  placement.mode = factor > 1 ? 0 : (factor < 1 ? 1 : -1);
  placement.rect = cell;
  if (width_decides) {
    int h = scaled(picture_height);
    if ((cell.height - h) % 2 != 0 && cell.height - h > 0) ++h;
    placement.rect.top += (cell.height - h) / 2;
    placement.rect.height = h;
  } else {
    int w = scaled(picture_width);
    if ((cell.width - w) % 2 != 0 && cell.width - w > 0) ++w;
    placement.rect.left += (cell.width - w) / 2;
    placement.rect.width = w;
  }
  return placement;
}

int GridCellsToShow(const std::vector<int>& table_tags, bool repeat) {
  int last = -1;
  for (int i = 0; i < static_cast<int>(table_tags.size()); ++i)
    if (table_tags[i] >= 0) last = i;
  if (last < 0) return 0;
  return repeat ? static_cast<int>(table_tags.size()) : last + 1;
}

std::vector<int> GridPictureMap(const std::vector<int>& table_tags, int grid_cells, bool repeat) {
  std::vector<int> map(grid_cells > 0 ? grid_cells : 0, -1);
  int last = -1;
  for (int i = 0; i < static_cast<int>(table_tags.size()); ++i)
    if (table_tags[i] >= 0) last = i;
  const int to_show = GridCellsToShow(table_tags, repeat);
  const int table_cells = static_cast<int>(table_tags.size());
  for (int k = 0; k < static_cast<int>(map.size()); ++k) {
    const bool used = k < to_show && k < table_cells && table_tags[k] >= 0;
    if (used) {
      map[k] = k;
    } else if (repeat && last >= 0 && last < k) {
      map[k] = k % (last + 1);
    }
  }
  return map;
}

void DrawGridFrame(TBitmap24& bitmap, const TGridRect& rect, TColor color) {
  const int left = rect.left - 1, top = rect.top - 1;
  const int right = rect.left + rect.width + 1, bottom = rect.top + rect.height + 1;
  bitmap.FillRect(left, top, right, top + 1, color);
  bitmap.FillRect(left, bottom - 1, right, bottom, color);
  bitmap.FillRect(left, top, left + 1, bottom, color);
  bitmap.FillRect(right - 1, top, right, bottom, color);
}

namespace {

// The inside of a cell that its picture leaves uncovered (all of it without a picture).
void FillAroundPicture(TBitmap24& canvas, const TGridRect& cell, const TGridPlacement& place,
                       TColor color) {
  const int right = cell.left + cell.width, bottom = cell.top + cell.height;
  if (!place.ok) {
    canvas.FillRect(cell.left, cell.top, right, bottom, color);
    return;
  }
  const TGridRect& p = place.rect;
  canvas.FillRect(cell.left, cell.top, right, p.top, color);
  canvas.FillRect(cell.left, p.top + p.height, right, bottom, color);
  canvas.FillRect(cell.left, p.top, p.left, p.top + p.height, color);
  canvas.FillRect(p.left + p.width, p.top, right, p.top + p.height, color);
}

// One cell's picture stretched into its place (straight into the canvas with the default
// stretch); false when the stretch fails.
bool DrawCell(const TBitmap24& picture, const TGridPlacement& place, TBitmap24& canvas,
              TBitmap24& scaled, const TGridResize& resize, TBandExecutor* executor) {
  const TGridRect& r = place.rect;
  if (r.width == picture.Width() && r.height == picture.Height()) {
    canvas.Draw(picture, r.left, r.top);
    return true;
  }
  if (!resize)
    return StretchBitmapInto(picture, canvas, r.left, r.top, r.width, r.height, executor);
  if (!resize(picture, scaled, r.width, r.height, place.mode)) return false;
  canvas.Draw(scaled, r.left, r.top);
  return true;
}

TGridRect CellOf(const TGridLayout& layout, int k) {
  return GridCellRect(layout, k % layout.columns, k / layout.columns);
}

// The cells' pictures drawn on the executor's threads: every cell is stretched and drawn by one
// thread into its own part of the canvas, so the order does not matter. False when a stretch
// fails.
bool DrawCellsInBands(const TGridLayout& layout, const std::vector<const TBitmap24*>& pictures,
                      const std::vector<TGridPlacement>& places, TColor background,
                      TBitmap24& canvas, TBandExecutor& executor, int bands) {
  std::atomic<bool> failed{false};
  const int cells = static_cast<int>(places.size());
  auto band = [&](int b) {
    TSequentialBands inline_bands(1);  // one cell, one thread
    TBitmap24 scaled;
    for (int k = b; k < cells && !failed.load(std::memory_order_relaxed); k += bands) {
      const TGridPlacement& place = places[static_cast<std::size_t>(k)];
      FillAroundPicture(canvas, CellOf(layout, k), place, background);
      if (place.ok && !DrawCell(*pictures[static_cast<std::size_t>(k)], place, canvas, scaled, {},
                                &inline_bands))
        failed.store(true, std::memory_order_relaxed);
    }
  };
  executor.Run(bands, TBandTask(band));
  return !failed.load();
}

// Where each of the layout's cells gets its picture; cells without a picture, or whose picture
// cannot be fitted, are not ok (the latter counted in failed).
std::vector<TGridPlacement> PlaceCells(const TGridLayout& layout,
                                       const std::vector<const TBitmap24*>& pictures,
                                       TGridFitRounding rounding, int& failed) {
  const int cells = layout.columns * layout.rows;
  std::vector<TGridPlacement> places(static_cast<std::size_t>(cells));
  for (int k = 0; k < cells && k < static_cast<int>(pictures.size()); ++k) {
    const TBitmap24* picture = pictures[static_cast<std::size_t>(k)];
    if (!picture || picture->Empty()) continue;
    TGridPlacement& place = places[static_cast<std::size_t>(k)];
    place = PlaceInGridCell(CellOf(layout, k), picture->Width(), picture->Height(), rounding);
    if (!place.ok || place.rect.width <= 0 || place.rect.height <= 0) {
      place.ok = false;
      ++failed;
    }
  }
  return places;
}

}  // namespace

TGridComposeResult ComposeGrid(const TGridLayout& layout,
                               const std::vector<const TBitmap24*>& pictures,
                               const TGridComposeOptions& options, TBitmap24& canvas,
                               const TGridResize& resize, TEngineOwner* owner,
                               TBandExecutor* executor) {
  TGridComposeResult outcome;
  if (!GridCanvasAllowed(layout)) {
    outcome.too_large = true;
    return outcome;
  }
  // The canvas's buffer is reused; every pixel is written below (lines, then each cell).
  const int width = static_cast<int>(GridCanvasWidth(layout));
  const int height = static_cast<int>(GridCanvasHeight(layout));
  if (!canvas.SetSize(width, height) || canvas.Empty()) {
    canvas.SetSize(0, 0);
    return outcome;
  }
  for (const TGridRect& line : GridLineRects(layout))
    canvas.FillRect(line.left, line.top, line.left + line.width, line.top + line.height,
                    options.no_grid ? options.background : kBlack);
  const std::vector<TGridPlacement> places =
      PlaceCells(layout, pictures, options.rounding, outcome.failed_cells);
  const int cells = static_cast<int>(places.size());
  if (!executor) executor = DefaultBandExecutor();
  const int bands = executor ? std::min(executor->Bands(), cells) : 1;
  const bool frames_may_cover = options.frame_pictures && layout.line_width == 0;
  if (!resize && !owner && bands > 1 && !frames_may_cover) {
    if (!DrawCellsInBands(layout, pictures, places, options.background, canvas, *executor, bands)) {
      canvas.SetSize(0, 0);
      return outcome;
    }
    if (options.frame_pictures)
      for (const TGridPlacement& place : places)
        if (place.ok) DrawGridFrame(canvas, place.rect, kBlack);
    outcome.ok = true;
    return outcome;
  }
  // One by one: every background first, so that a frame is never painted over by a later
  // cell's background.
  for (int k = 0; k < cells; ++k)
    FillAroundPicture(canvas, CellOf(layout, k), places[static_cast<std::size_t>(k)],
                      options.background);
  if (owner) owner->ProgressRange(cells);
  TBitmap24 scaled;
  for (int k = 0; k < cells; ++k) {
    if (OwnerCancelled(owner)) {
      canvas.SetSize(0, 0);
      return outcome;
    }
    if (owner) owner->Progress(k);
    const TGridPlacement& place = places[static_cast<std::size_t>(k)];
    if (!place.ok) continue;
    if (!DrawCell(*pictures[static_cast<std::size_t>(k)], place, canvas, scaled, resize, nullptr)) {
      canvas.SetSize(0, 0);
      return outcome;
    }
    if (options.frame_pictures) DrawGridFrame(canvas, place.rect, kBlack);
  }
  if (owner) owner->Progress(cells);
  outcome.ok = true;
  return outcome;
}
