#pragma once

#include <string>
#include <vector>

#include "engine/Bitmap24.h"

// What the text drawing needs from the platform's fonts. The platform implements it (with Qt's
// font engine); tests may provide a simple block-glyph implementation.
struct TFontSpec {
  std::string family;  // UTF-8 face name
  int size = 9;        // point size as the text settings give it
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
};

class TFontRasteriser {
 public:
  virtual ~TFontRasteriser() = default;
  // Width and height in pixels of one line of text (UTF-8) in the font, unrotated.
  virtual void MeasureLine(const TFontSpec& font, const std::string& line, int& width,
                           int& height) const = 0;
  // Draws lines (UTF-8, top to bottom) in the colour onto block, the first line's unrotated
  // top-left corner at (x, y), the whole text turned by angle_tenths tenths of a degree
  // anticlockwise about that corner, with no background.
  virtual void DrawLines(TBitmap24& block, const TFontSpec& font, TColor color,
                         const std::vector<std::string>& lines, int x, int y,
                         int angle_tenths) const = 0;
};
