#pragma once

#include <string>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/FontRasteriser.h"

// Text drawn onto pictures: the twelve-field text settings of a "Txt" effect, and the keyed
// overlay of the drawn text block.

// The text settings, read but not yet laid out.
struct TTextSettings {
  std::string x;   // "LL", "L", "C", "R", "RR" (upper-cased) or a number of pixels
  std::string y;   // "TT", "T", "C", "B", "BB" (upper-cased) or a number of pixels
  TFontSpec font;  // face trimmed, styles decoded, size converted to pixels
  int points = 0;  // the size field as written
  TColor color = kBlack;
  std::string text;              // unescaped, lines separated by "\r"
  int blend = 0;                 // 0 opaque; n > 0 blended by 1/n; n < 0 added by 1/|n|
  TColor back_color = kWhite;    // the block's background (its key colour when blended)
  TColor canvas_color = kWhite;  // canvas added around the picture
  int angle = 0;                 // tenths of a degree, 0..3599
  bool keep_size = false;
};

// Reads the settings text. Fields 4, 5, 6, 11 and 12 must be integers; the blend reads as 0 and
// the two background colours as white when they are not numbers. reason (optional) says what is
// wrong when false is returned.
bool ParseTextSettings(const std::string& settings, TTextSettings& out,
                       std::string* reason = nullptr);

// Undoes the cap data escapes (UnescapeText of CaptureBasics).
std::string UnescapeEffectText(const std::string& text);

// Draws the text of settings onto source into result, using rasteriser for the glyphs. left and
// top receive the text block's place in result (0 unless drawn). An empty text gives a copy of
// source. False (result untouched) when the source is beyond the working size limit, the
// settings are malformed, the block or the grown canvas would be beyond the limit, or the
// rasteriser fails; reason (optional) says which.
bool DrawText(const TBitmap24& source, TBitmap24& result, const std::string& settings,
              const TFontRasteriser& rasteriser, int& left, int& top,
              std::string* reason = nullptr);
bool DrawText(const TBitmap24& source, TBitmap24& result, const TTextSettings& settings,
              const TFontRasteriser& rasteriser, int& left, int& top,
              std::string* reason = nullptr);

// Lays block over target at (x, y), skipping every pixel equal to the block's key colour (its
// pixel in the last row, first column). Other pixels are mixed per channel with weight:
// additively (subtracting where the sum would pass 255) or as d(1 - weight) + b weight, each
// term rounded; weight 1 copies. False (target untouched) when the block does not lie wholly
// inside target or weight is not positive. Rows go in bands on executor's threads when one is
// given.
bool OverlayKeyed(const TBitmap24& block, TBitmap24& target, bool additive, double weight, int x,
                  int y, TBandExecutor* executor = nullptr);
