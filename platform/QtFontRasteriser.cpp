#include "platform/QtFontRasteriser.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <algorithm>

namespace {

QString ToQString(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool HaveGuiApplication() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()); }

bool ShowsEveryCharacter(const QFont& font, const std::vector<std::string>& lines) {
  const QRawFont raw = QRawFont::fromFont(font);
  if (!raw.isValid()) return false;
  for (const std::string& line : lines)
    for (const char32_t c : ToQString(line).toUcs4())
      if (c >= 0x20 && !raw.supportsCharacter(c)) return false;
  return true;
}

}  // namespace

QFont TQtFontRasteriser::MakeFont(const QString& family, const TFontSpec& font, bool smooth) {
  QFont qfont(family);
  qfont.setPixelSize(std::max(1, FontPixelSize(font.size)));
  qfont.setBold(font.bold);
  qfont.setItalic(font.italic);
  qfont.setUnderline(font.underline);
  qfont.setStrikeOut(font.strike_out);
  qfont.setStyleStrategy(smooth ? QFont::PreferDefault : QFont::NoAntialias);
  return qfont;
}

QString TQtFontRasteriser::ChooseFamily(const TFontSpec& font,
                                        const std::vector<std::string>& lines) {
  const QString wanted = ToQString(font.family);
  if (!wanted.isEmpty() && QFontDatabase::hasFamily(wanted) &&
      ShowsEveryCharacter(MakeFont(wanted, font, true), lines))
    return wanted;
  return QString::fromLatin1(kFallbackFamily);
}

bool TQtFontRasteriser::MeasureLines(const TFontSpec& font, const std::vector<std::string>& lines,
                                     std::vector<TTextExtent>& extents) const {
  extents.clear();
  if (!HaveGuiApplication()) return false;
  const QFontMetrics metrics(MakeFont(ChooseFamily(font, lines), font, true));
  extents.reserve(lines.size());
  for (const std::string& line : lines)
    extents.push_back({metrics.horizontalAdvance(ToQString(line)), metrics.height()});
  return true;
}

bool TQtFontRasteriser::DrawLines(TBitmap24& block, const TFontSpec& font, TColor color,
                                  const std::vector<std::string>& lines,
                                  const std::vector<TTextOrigin>& origins, int angle_tenths,
                                  bool smooth) const {
  if (!HaveGuiApplication() || origins.size() < lines.size()) return false;
  if (block.Empty()) return true;
  // Qt paints straight into the bitmap's rows: both are blue, green, red bytes per pixel.
  QImage image(block.Data(), block.Width(), block.Height(), static_cast<qsizetype>(block.Stride()),
               QImage::Format_BGR888);
  QPainter painter(&image);
  if (!painter.isActive()) return false;
  const QFont qfont = MakeFont(ChooseFamily(font, lines), font, smooth);
  painter.setFont(qfont);
  painter.setPen(QColor(ColorRed(color), ColorGreen(color), ColorBlue(color)));
  painter.setRenderHint(QPainter::TextAntialiasing, smooth);
  painter.setRenderHint(QPainter::Antialiasing, smooth);
  const int ascent = QFontMetrics(qfont).ascent();
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].empty()) continue;
    painter.save();
    painter.translate(origins[k].x, origins[k].y);
    // Positive angles turn clockwise on a y-down canvas, as the text settings want.
    if (angle_tenths != 0) painter.rotate(angle_tenths / 10.0);
    painter.drawText(QPointF(0, ascent), ToQString(lines[k]));
    painter.restore();
  }
  return painter.end();
}
