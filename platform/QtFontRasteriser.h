#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <vector>

#include "engine/FontRasteriser.h"

// Text drawing with Qt's font engine. Needs a QGuiApplication (on any platform, offscreen
// included); without one it refuses to measure or draw.
//
// Sizes: the point size becomes an em height in pixels as on a 96 dpi Windows canvas
// (FontPixelSize: round(points x 96 / 72)), passed to QFont::setPixelSize, so text has the same
// pixel size in every picture whatever the screen's resolution.
// Faces: a face that is not installed, or that lacks a character of the text, is replaced for
// the whole text by IPAGothic, so that Japanese text always shows.
class TQtFontRasteriser : public TFontRasteriser {
 public:
  static constexpr const char* kFallbackFamily = "IPAGothic";

  bool MeasureLines(const TFontSpec& font, const std::vector<std::string>& lines,
                    std::vector<TTextExtent>& extents) const override;
  bool DrawLines(TBitmap24& block, const TFontSpec& font, TColor color,
                 const std::vector<std::string>& lines, const std::vector<TTextOrigin>& origins,
                 int angle_tenths, bool smooth) const override;

  // The face used for the lines: the named one when installed and able to show every
  // character, otherwise the fallback.
  static QString ChooseFamily(const TFontSpec& font, const std::vector<std::string>& lines);
  static QFont MakeFont(const QString& family, const TFontSpec& font, bool smooth);
};
