#include "browse/grid/GridRules.h"

#include <algorithm>

#include "engine/DecimalText.h"
#include "model/Settings.h"

namespace {

int FallbackSize(bool each_cell) { return each_cell ? 100 : 300; }

}  // namespace

std::vector<std::string> GridColumnItems() {
  std::vector<std::string> items;
  for (int i = 1; i <= 16; ++i) items.push_back(GridColumnText(i));
  for (const int i : {20, 25, 30, 40, 50, 100}) items.push_back(GridColumnText(i));
  return items;
}

std::vector<std::string> GridSizeItems() {
  std::vector<std::string> items;
  for (int size = 50; size <= 800; size += 50) {
    std::string text = std::to_string(size);
    items.push_back(std::string(3 - std::min<std::size_t>(3, text.size()), '0') + text);
  }
  return items;
}

std::string GridColumnText(int columns) {
  std::string text = std::to_string(columns);
  if (text.size() < 4) text.insert(0, 4 - text.size(), ' ');
  return text;
}

bool ParseGridColumns(const std::string& text, int& columns) {
  int value = 0;
  if (!ParseDecimalInt(text, value) || value < 1 || value > kMaxGridColumns) return false;
  columns = value;
  return true;
}

bool ParseGridSize(const std::string& text, int& size) {
  int value = 0;
  if (!ParseDecimalInt(text, value) || value < 1) return false;
  size = value;
  return true;
}

TGridSizeDecision DecideGridSizes(const TGridSizeRequest& request) {
  TGridSizeDecision decision;
  decision.width_text = request.width_text;
  decision.height_text = request.height_text;
  int width = request.client_width;
  int height = request.client_height;
  TGridSizeMode mode = TGridSizeMode::kNone;
  if (request.size_select) {
    int typed_width = 0, typed_height = 0;
    const bool numbers = ParseGridSize(request.width_text, typed_width) &&
                         ParseGridSize(request.height_text, typed_height);
    if (request.each_cell) {
      if (!numbers) {
        decision.width_text = std::to_string(request.cell_width);
        decision.height_text = std::to_string(request.cell_height);
        decision.stop = true;
        return decision;
      }
      mode = TGridSizeMode::kEachCell;
    } else {
      mode = TGridSizeMode::kOuterFrame;
      if (!numbers) {
        decision.width_text = std::to_string(width);
        decision.height_text = std::to_string(height);
      }
    }
    if (numbers) {
      width = typed_width;
      height = typed_height;
    }
  }
  decision.layout =
      ComputeGridLayout(mode, width, height, request.columns, request.count, request.line_width);
  if (!request.size_select) {
    // The boxes show what the sizes came to: the area, or one cell.
    decision.width_text =
        std::to_string(request.each_cell ? decision.layout.cell_width : request.client_width);
    decision.height_text =
        std::to_string(request.each_cell ? decision.layout.cell_height : request.client_height);
  }
  return decision;
}

void StoreGridBoxes(const TGridBoxTexts& boxes, TPictureGridSettings& settings) {
  int columns = 0, width = 0, height = 0;
  settings.seize_select = boxes.size_select;
  settings.size_grid = boxes.each_cell;
  if (ParseGridColumns(boxes.columns, columns) && ParseGridSize(boxes.width, width) &&
      ParseGridSize(boxes.height, height)) {
    settings.w_count = columns;
    settings.size_width = width;
    settings.size_height = height;
    return;
  }
  settings.w_count = kDefaultGridColumns;
  settings.size_width = settings.size_height = FallbackSize(boxes.each_cell);
}

void RestoreGridSizes(const TPictureGridSettings& settings, std::string& width,
                      std::string& height) {
  const bool good = settings.size_width > 0 && settings.size_height > 0;
  const int fallback = FallbackSize(settings.size_grid);
  width = std::to_string(good ? settings.size_width : fallback);
  height = std::to_string(good ? settings.size_height : fallback);
}
