#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"

// What the text drawing needs from the platform's fonts. The platform implements it (with Qt's
// font engine); tests use a simple block-glyph implementation. The layout (block size, start
// points of the lines, rotation quadrants) is the engine's; the rasteriser only measures and
// draws glyphs.
struct TFontSpec {
  std::string family;  // UTF-8 face name
  int size = 9;        // point size as the text settings give it
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
};

// Em height in pixels of a font of the given point size, as a 96 dpi Windows canvas makes it:
// round(points x 96 / 72), halves away from zero. 0 points means the default 9 points; a
// negative size is taken by its magnitude. Both rasterisers size their fonts with it.
inline int FontPixelSize(int points) {
  const std::int64_t p = points == 0 ? 9 : std::llabs(points);
  const std::int64_t pixels = (p * 96 + 36) / 72;
  return static_cast<int>(pixels > (1 << 30) ? (1 << 30) : pixels);
}

struct TTextExtent {
  int width = 0;   // advance width of the line
  int height = 0;  // cell height of the line (ascent + descent)
};

struct TTextOrigin {
  int x = 0;
  int y = 0;
};

class TFontRasteriser {
 public:
  virtual ~TFontRasteriser() = default;

  // Measures every line (UTF-8) in the font, unrotated. The lines are treated as one text: when
  // the face is missing or lacks a character of any line, a substitute face is used for all of
  // them, and DrawLines with the same font and lines makes the same choice. False when the
  // platform cannot measure text at all.
  virtual bool MeasureLines(const TFontSpec& font, const std::vector<std::string>& lines,
                            std::vector<TTextExtent>& extents) const = 0;

  // Draws line k in color onto block (glyphs only, the block keeps its background), the top-left
  // corner of its text cell at origins[k], the text turned clockwise as seen on screen by
  // angle_tenths tenths of a degree about that corner. Without smooth, glyph edges are not
  // blended with the background, so every pixel is either background or text colour (keyed
  // blocks need that). Clipped to the block.
  virtual bool DrawLines(TBitmap24& block, const TFontSpec& font, TColor color,
                         const std::vector<std::string>& lines,
                         const std::vector<TTextOrigin>& origins, int angle_tenths,
                         bool smooth) const = 0;
};
