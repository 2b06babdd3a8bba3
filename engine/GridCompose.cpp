#include "engine/GridCompose.h"

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

TGridComposeResult ComposeGrid(const TGridLayout& layout,
                               const std::vector<const TBitmap24*>& pictures,
                               const TGridComposeOptions& options, TBitmap24& canvas,
                               const TGridResize& resize, TEngineOwner* owner) {
  TGridComposeResult outcome;
  if (!GridCanvasAllowed(layout)) {
    outcome.too_large = true;
    return outcome;
  }
  TBitmap24 composed(static_cast<int>(GridCanvasWidth(layout)),
                     static_cast<int>(GridCanvasHeight(layout)));
  if (composed.Empty()) return outcome;
  composed.Fill(options.background);
  if (!options.no_grid) {
    for (const TGridRect& line : GridLineRects(layout))
      composed.FillRect(line.left, line.top, line.left + line.width, line.top + line.height,
                        kBlack);
  }
  const int cells = layout.columns * layout.rows;
  if (owner) owner->ProgressRange(cells);
  TBitmap24 scaled;
  for (int k = 0; k < cells && k < static_cast<int>(pictures.size()); ++k) {
    if (OwnerCancelled(owner)) return outcome;
    if (owner) owner->Progress(k);
    const TBitmap24* picture = pictures[k];
    if (!picture || picture->Empty()) continue;
    const TGridRect cell = GridCellRect(layout, k % layout.columns, k / layout.columns);
    const TGridPlacement place =
        PlaceInGridCell(cell, picture->Width(), picture->Height(), options.rounding);
    if (!place.ok || place.rect.width <= 0 || place.rect.height <= 0) {
      ++outcome.failed_cells;
      continue;
    }
    const TBitmap24* drawn = picture;
    if (place.rect.width != picture->Width() || place.rect.height != picture->Height()) {
      const bool done =
          resize ? resize(*picture, scaled, place.rect.width, place.rect.height, place.mode)
                 : StretchBitmap(*picture, scaled, place.rect.width, place.rect.height);
      if (!done) return outcome;
      drawn = &scaled;
    }
    composed.Draw(*drawn, place.rect.left, place.rect.top);
    if (options.frame_pictures) DrawGridFrame(composed, place.rect, kBlack);
  }
  if (owner) owner->Progress(cells);
  canvas.Swap(composed);
  outcome.ok = true;
  return outcome;
}
