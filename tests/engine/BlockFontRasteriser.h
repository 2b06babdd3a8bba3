#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "engine/FontRasteriser.h"

// A font whose every character is a cell p / 2 wide and p high (p = FontPixelSize), its glyph a
// solid rectangle one pixel inside the cell. Lets tests check layout and keying exactly.
class TBlockFontRasteriser : public TFontRasteriser {
 public:
  static int CellWidth(const TFontSpec& font) { return std::max(1, FontPixelSize(font.size) / 2); }
  static int LineHeight(const TFontSpec& font) { return FontPixelSize(font.size); }

  static int Characters(const std::string& line) {
    int n = 0;
    for (unsigned char c : line) n += (c & 0xC0) != 0x80;
    return n;
  }

  bool MeasureLines(const TFontSpec& font, const std::vector<std::string>& lines,
                    std::vector<TTextExtent>& extents) const override {
    extents.clear();
    for (const std::string& line : lines)
      extents.push_back({Characters(line) * CellWidth(font), LineHeight(font)});
    return true;
  }

  bool DrawLines(TBitmap24& block, const TFontSpec& font, TColor color,
                 const std::vector<std::string>& lines, const std::vector<TTextOrigin>& origins,
                 int angle_tenths, bool smooth) const override {
    last_smooth = smooth;
    ++draw_calls;
    if (fail_draw) return false;
    const double t = angle_tenths * std::numbers::pi / 1800.0;
    const double s = std::sin(t), c = std::cos(t);
    const int cw = CellWidth(font), lh = LineHeight(font);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      const double len = static_cast<double>(Characters(lines[k])) * cw;
      if (len == 0) continue;
      // Bounding box of the turned line, cut to the block.
      const double ox = origins[k].x, oy = origins[k].y;
      const double xs[4] = {0, len * c, -lh * s, len * c - lh * s};
      const double ys[4] = {0, len * s, lh * c, len * s + lh * c};
      const int x_lo =
          std::max(0, static_cast<int>(std::floor(ox + *std::min_element(xs, xs + 4))));
      const int x_hi = std::min(
          block.Width(), static_cast<int>(std::ceil(ox + *std::max_element(xs, xs + 4))) + 1);
      const int y_lo =
          std::max(0, static_cast<int>(std::floor(oy + *std::min_element(ys, ys + 4))));
      const int y_hi = std::min(
          block.Height(), static_cast<int>(std::ceil(oy + *std::max_element(ys, ys + 4))) + 1);
      for (int py = y_lo; py < y_hi; ++py)
        for (int px = x_lo; px < x_hi; ++px) {
          const double dx = px + 0.5 - ox, dy = py + 0.5 - oy;
          const double u = dx * c + dy * s, v = -dx * s + dy * c;
          if (u < 0 || u >= len || v < 1 || v >= lh - 1) continue;
          const double in_cell = u - std::floor(u / cw) * cw;
          if (in_cell < 1 || in_cell >= cw - 1) continue;
          block.SetPixel(px, py, color);
        }
    }
    return true;
  }

  bool fail_draw = false;
  mutable bool last_smooth = false;
  mutable int draw_calls = 0;
};
