#include "browse/table/TableGeometry.h"

#include <algorithm>
#include <charconv>

#include "engine/ImageBasics.h"

TTableLayoutInput LayoutInputFrom(const TPictureTableSettings& s, int main_width, int main_height,
                                  int columns, int rows) {
  TTableLayoutInput input;
  input.main_width = main_width;
  input.main_height = main_height;
  input.display_zero_left = s.display_zero_left;
  input.display_zero_top = s.display_zero_top;
  input.panel_zero_left = s.panel_zero_left;
  input.panel_zero_top = s.panel_zero_top;
  input.panel_space = s.panel_space;
  input.image_zero_left = s.image_zero_left;
  input.image_zero_top = s.image_zero_top;
  input.columns = columns;
  input.rows = rows;
  input.direction = s.panel_arrange_direction;
  return input;
}

TTableLayout Set_Bevel(const TTableLayoutInput& in) {
  TTableLayout layout;
  const int columns = std::max(in.columns, 1), rows = std::max(in.rows, 1);
  const int space = in.panel_space;
  layout.available_width = in.main_width - 2 * in.display_zero_left;
  layout.available_height = in.main_height - 2 * in.display_zero_top;
  const int cell_width = (layout.available_width - (columns - 1) * space) / columns;
  const int cell_height = (layout.available_height - (rows - 1) * space) / rows;
  layout.cell_width = cell_width;
  layout.cell_height = cell_height;
  const int top_offset = (in.main_height + space - (cell_height + space) * rows) / 2;
  const int left_offset = (in.main_width + space - (cell_width + space) * columns) / 2;
  const int step_x = cell_width + space, step_y = cell_height + space;
  const int cells = columns * rows;
  layout.frames.reserve(static_cast<std::size_t>(cells));
  for (int i = 0; i < cells; ++i) {
    TTableRect frame{0, 0, cell_width, cell_height};
    switch (in.direction) {
      case kRowsRightToLeft:
        frame.left = layout.available_width - (i % columns) * step_x - cell_width;
        frame.top = top_offset + (i / columns) * step_y;
        break;
      case kColumnsLeftToRight:
        frame.left = left_offset + (i / rows) * step_x;
        frame.top = top_offset + (i % rows) * step_y;
        break;
      case kColumnsRightToLeft:
        frame.left = layout.available_width - (i / rows) * step_x - cell_width;
        frame.top = top_offset + (i % rows) * step_y;
        break;
      default:
        frame.left = left_offset + (i % columns) * step_x;
        frame.top = top_offset + (i / columns) * step_y;
        break;
    }
    layout.frames.push_back(frame);
  }
  const int panel_width = cell_width - 2 * in.panel_zero_left;
  const int panel_height = cell_height - 2 * in.panel_zero_top;
  for (const TTableRect& frame : layout.frames)
    layout.panels.push_back({frame.left + in.panel_zero_left, frame.top + in.panel_zero_top,
                             panel_width, panel_height});
  layout.image_zero_left = in.image_zero_left;
  layout.image_zero_top = in.image_zero_top;
  layout.image_width = panel_width - 2 * in.image_zero_left;
  layout.image_height = panel_height - 2 * in.image_zero_top;
  layout.aspect =
      layout.image_width <= 0 || layout.image_height <= 0
          ? 0.0f
          : static_cast<float>(layout.image_height) / static_cast<float>(layout.image_width);
  return layout;
}

TTableRect PlacePicture(const TTableLayout& layout, int picture_width, int picture_height,
                        bool cover, int position) {
  const int area_width = layout.image_width, area_height = layout.image_height;
  if (picture_width <= 0 || picture_height <= 0 || area_width <= 0 || area_height <= 0) return {};
  const double pw = picture_width, ph = picture_height;
  int width, height;
  if (pw * static_cast<double>(layout.aspect) >= ph) {
    width = area_width;
    height = static_cast<int>(ph / pw * area_width);
  } else {
    height = area_height;
    width = static_cast<int>(pw / ph * area_height);
  }
  TTableRect rect{0, 0, width, height};
  const int zero_left = layout.image_zero_left, zero_top = layout.image_zero_top;
  if (cover && width > 0 && height > 0) {
    const float factor = CoverFactor(area_width, area_height, width, height);
    rect.width = static_cast<int>(static_cast<float>(width) * factor);
    rect.height = static_cast<int>(static_cast<float>(height) * factor);
    if (position == kPositionTopLeft) {
      rect.left = zero_left;
      rect.top = zero_top;
      return rect;
    }
    if (position == kPositionBottomRight) {
      rect.left = zero_left + area_width - rect.width;
      rect.top = zero_top + area_height - rect.height;
      return rect;
    }
  }
  rect.left = zero_left + (area_width - rect.width) / 2;
  rect.top = zero_top + (area_height - rect.height) / 2;
  return rect;
}

bool RefitSize(const TTableLayout& layout, int& width, int& height) {
  const float factor = FitFactor(layout.image_width, layout.image_height, width, height);
  if (!(factor > 0)) return false;
  width = static_cast<int>(static_cast<float>(width) * factor);
  height = static_cast<int>(static_cast<float>(height) * factor);
  return true;
}

TPageItems PageItems(int page_start, int cells, int count, bool repeat) {
  TPageItems page;
  cells = std::max(cells, 0);
  page.items.assign(static_cast<std::size_t>(cells), -1);
  if (count <= 0) {
    page.first = page.last_index = 0;
    return page;
  }
  if (page_start >= count || page_start < 0) page_start = 0;
  page.first = page_start;
  page.last_index =
      static_cast<int>(std::min<long long>(static_cast<long long>(page_start) + cells, count));
  int item = page_start;
  for (int i = 0; i < cells; ++i, ++item) {
    if (item >= count) {
      if (!repeat) break;
      item = 0;
    }
    page.items[static_cast<std::size_t>(i)] = item;
  }
  return page;
}

int NextPageStart(int page_start, int count, bool& wrapped) {
  wrapped = page_start >= count || page_start < 0;
  return wrapped ? 0 : page_start;
}

int BackPageStart(int page_start, int cells, int count) {
  int start;
  if (page_start == 0)
    start = count - 2 * cells;
  else if (page_start == cells)
    start = count - cells;
  else if (page_start < 2 * cells)
    start = 0;
  else
    start = page_start - 2 * cells;
  return std::max(start, 0);
}

void PageNumbers(int first_index, int cells, int count, bool repeat, int& first, int& last) {
  first = first_index + 1;
  last = first_index + cells;
  if (last > count) {
    if (repeat && count > 0) {
      last %= count;
      if (last == 0) last = count;
    } else {
      last = count;
    }
  }
}

std::string FileNumLabelText(int first_index, int cells, int count, bool repeat) {
  if (count <= 0) return " File = 0\r\n       (       / 0 )";
  int first, last;
  PageNumbers(first_index, cells, count, repeat, first, last);
  // Built by appending: GCC 12 misreads chains of + on temporaries (-Wrestrict).
  const std::string n = std::to_string(count);
  std::string label = " File= ";
  label.append(std::to_string(first)).append("-").append(std::to_string(last));
  label.append("\r\n       (   ");
  switch (n.size()) {
    case 1:
      label.append("  / ").append(n).append(" ");
      break;
    case 2:
      label.append(" /  ").append(n).append(" ");
      break;
    case 3:
      label.append("/ ").append(n).append(" ");
      break;
    default:
      label.append("/ ").append(n);
      break;
  }
  return label.append(")");
}

std::string TableCaptionText(int first_index, int cells, int count, bool repeat) {
  if (count <= 0) return "PictureTable  ";
  int first, last;
  PageNumbers(first_index, cells, count, repeat, first, last);
  std::string caption = "PictureTable  ( ";
  caption.append(std::to_string(first)).append("-").append(std::to_string(last));
  return caption.append(" /").append(std::to_string(count)).append(" )");
}

std::string MemoryCaptionText(float used_megabytes, int held_count) {
  char buffer[64];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, used_megabytes, std::chars_format::fixed, 3)
          .ptr;
  std::string caption = " ";
  caption.append(buffer, end).append("MB, ").append(std::to_string(held_count));
  return caption.append("枚");
}

TFormBounds TableOpeningBounds(const TPictureTableSettings& s, int screen_width,
                               int screen_height) {
  return ClampFormBounds({s.left, s.top, s.width, s.height}, screen_width, screen_height);
}

int OpeningCountIndex(int stored_index) {
  if (stored_index < 0) return 1;
  return std::min(stored_index, 4);
}

bool StepCellCounts(int& column_index, int& row_index, bool columns, bool rows, int delta) {
  constexpr int kLastIndex = 15;  // "16"
  bool changed = false;
  auto step = [&](int& index) {
    const int stepped = std::clamp(index + delta, 0, kLastIndex);
    if (stepped != index) {
      index = stepped;
      changed = true;
    }
  };
  if (columns) step(column_index);
  if (rows) step(row_index);
  return changed;
}

int NextPicturePosition(int position) {
  switch (position) {
    case kPositionCentre:
      return kPositionBottomRight;
    case kPositionBottomRight:
      return kPositionTopLeft;
    default:
      return kPositionCentre;
  }
}

int NextFlashingPosition(int position, bool& next_page) {
  next_page = position == kPositionBottomRight;
  switch (position) {
    case kPositionTopLeft:
      return kPositionCentre;
    case kPositionCentre:
      return kPositionBottomRight;
    default:
      return kPositionTopLeft;
  }
}
