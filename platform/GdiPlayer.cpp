#include "platform/GdiPlayer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kMaxSavedStates = 1024;
// Coordinates far outside the picture are pulled in before they reach integer regions.
constexpr double kCoordinateLimit = 1e6;
constexpr double kMaxFontPixels = 8192;
// QPainter refuses pens from 32768 pixels on.
constexpr double kMaxPenPixels = 32767;

double Clamp(double v) {
  if (!std::isfinite(v)) return 0;
  return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

QPointF ClampPoint(QPointF p) { return {Clamp(p.x()), Clamp(p.y())}; }

QPainterPath ClampPath(const QPainterPath& path) {
  QPainterPath out = path;
  for (int i = 0; i < out.elementCount(); ++i) {
    const QPainterPath::Element& e = out.elementAt(i);
    out.setElementPositionAt(i, Clamp(e.x), Clamp(e.y));
  }
  return out;
}

bool IsFiniteTransform(const QTransform& t) {
  const double v[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
  return std::all_of(std::begin(v), std::end(v), [](double x) { return std::isfinite(x); });
}

QPainter::CompositionMode Rop2Mode(int rop2) {
  switch (rop2) {
    case 4:
      return QPainter::RasterOp_NotSource;
    case 6:
      return QPainter::RasterOp_NotDestination;
    case 7:
      return QPainter::RasterOp_SourceXorDestination;
    case 9:
      return QPainter::RasterOp_SourceAndDestination;
    case 10:
      return QPainter::RasterOp_NotSourceXorDestination;
    case 15:
      return QPainter::RasterOp_SourceOrDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// Angle on an ellipse, in degrees as QPainterPath::arcTo counts them, of the ray from the
// centre through p.
double EllipseAngle(const QRectF& box, QPointF p) {
  const QPointF c = box.center();
  const double rx = std::max(box.width() / 2, 1e-9);
  const double ry = std::max(box.height() / 2, 1e-9);
  return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / M_PI;
}

}  // namespace

QRgb GdiColor(std::uint32_t colorref) {
  return qRgb(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

TGdiPlayer::TGdiPlayer(QImage& image, const QTransform& base, QSizeF device_mm)
    : image_(image), painter_(&image), base_(base), device_mm_(device_mm) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

TGdiPlayer::~TGdiPlayer() { painter_.end(); }

// ---------------------------------------------------------------------------------------------
// Transforms

QTransform TGdiPlayer::Page() const {
  const TGdiState& s = state_;
  double sx = 1, sy = 1;
  const double mm_x = device_mm_.width() > 0 ? device_mm_.width() : 25.4 / 96;
  const double mm_y = device_mm_.height() > 0 ? device_mm_.height() : 25.4 / 96;
  switch (s.map_mode) {
    case 2:    // LOMETRIC
    case 3:    // HIMETRIC
    case 4:    // LOENGLISH
    case 5:    // HIENGLISH
    case 6: {  // TWIPS
      static const double kUnitMm[] = {0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
      const double unit = kUnitMm[s.map_mode - 2];
      sx = unit / mm_x;
      sy = -unit / mm_y;
      break;
    }
    case 7:
    case 8:
      if (s.window_ext.width() != 0) sx = s.viewport_ext.width() / s.window_ext.width();
      if (s.window_ext.height() != 0) sy = s.viewport_ext.height() / s.window_ext.height();
      if (s.map_mode == 7) {
        const double m = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
      }
      break;
    default:
      break;
  }
  return QTransform(sx, 0, 0, sy, s.viewport_org.x() - s.window_org.x() * sx,
                    s.viewport_org.y() - s.window_org.y() * sy);
}

QTransform TGdiPlayer::Full() const { return state_.world * Page() * base_; }

void TGdiPlayer::SetMapMode(int mode) {
  if (mode < 1 || mode > 8) return;
  TGdiState& s = state_;
  if (mode == s.map_mode && mode >= 7) return;
  // The extents each mode starts with, per reference device pixel: the fixed modes' own, the
  // isotropic mode those of MM_LOMETRIC; the anisotropic mode keeps what was there.
  static const double kUnitMm[] = {0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
  const double mm_x = device_mm_.width() > 0 ? device_mm_.width() : 25.4 / 96;
  const double mm_y = device_mm_.height() > 0 ? device_mm_.height() : 25.4 / 96;
  if (mode == 1) {
    s.window_ext = s.viewport_ext = QSizeF(1, 1);
  } else if (mode <= 7) {
    const double unit = kUnitMm[mode == 7 ? 0 : mode - 2];
    s.window_ext = QSizeF(mm_x / unit, mm_y / unit);
    s.viewport_ext = QSizeF(1, -1);
  }
  s.map_mode = mode;
}

void TGdiPlayer::SetWindowExt(QSizeF ext) {
  // Only the two scalable modes take extents; zero would divide by nothing.
  if ((state_.map_mode == 7 || state_.map_mode == 8) && ext.width() != 0 && ext.height() != 0)
    state_.window_ext = ext;
}

void TGdiPlayer::SetViewportExt(QSizeF ext) {
  if ((state_.map_mode == 7 || state_.map_mode == 8) && ext.width() != 0 && ext.height() != 0)
    state_.viewport_ext = ext;
}

void TGdiPlayer::SetWorldTransform(const QTransform& t) {
  if (IsFiniteTransform(t) && t.determinant() != 0) state_.world = t;
}

void TGdiPlayer::ModifyWorldTransform(const QTransform& t, int mode) {
  if (mode == 1) {
    state_.world = QTransform();
    return;
  }
  if (!IsFiniteTransform(t)) return;
  QTransform next = state_.world;
  if (mode == 2)
    next = t * state_.world;
  else if (mode == 3)
    next = state_.world * t;
  else if (mode == 4)
    next = t;
  else
    return;
  if (IsFiniteTransform(next) && next.determinant() != 0) state_.world = next;
}

// ---------------------------------------------------------------------------------------------
// Pens, brushes and the raster mode

bool TGdiPlayer::DevicePen(QPen& pen) const {
  const TGdiPen& p = state_.pen;
  const int style = p.style & 0xF;
  if (style == 5) return false;  // PS_NULL
  const QTransform full = Full();
  const double scale = std::hypot(full.m11(), full.m12());
  const double width = p.cosmetic ? 0 : p.width * scale;
  pen = QPen(QColor(p.color));
  pen.setWidthF(width < 1.5 || !std::isfinite(width) ? 0 : std::min(width, kMaxPenPixels));
  switch (style) {
    case 1:
      pen.setStyle(Qt::DashLine);
      break;
    case 2:
    case 8:
      pen.setStyle(Qt::DotLine);
      break;
    case 3:
      pen.setStyle(Qt::DashDotLine);
      break;
    case 4:
      pen.setStyle(Qt::DashDotDotLine);
      break;
    default:
      pen.setStyle(Qt::SolidLine);
  }
  // Wide dashed pens draw solid on the original device.
  if (pen.widthF() > 1.5) pen.setStyle(Qt::SolidLine);
  const std::uint32_t cap = p.style & 0xF00;
  pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
  const std::uint32_t join = p.style & 0xF000;
  pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
  return true;
}

bool TGdiPlayer::DeviceBrush(QBrush& brush) const {
  const TGdiBrush& b = state_.brush;
  switch (b.style) {
    case 1:  // BS_NULL
      return false;
    case 2: {  // BS_HATCHED
      static const Qt::BrushStyle kHatch[] = {Qt::HorPattern,   Qt::VerPattern,
                                              Qt::FDiagPattern, Qt::BDiagPattern,
                                              Qt::CrossPattern, Qt::DiagCrossPattern};
      brush =
          QBrush(QColor(b.color), b.hatch >= 0 && b.hatch < 6 ? kHatch[b.hatch] : Qt::SolidPattern);
      return true;
    }
    case 3:
    case 5:
    case 6:
      if (!b.pattern.isNull()) {
        brush = QBrush(b.pattern);
        return true;
      }
      brush = QBrush(QColor(b.color));
      return true;
    default:
      brush = QBrush(QColor(b.color));
      return true;
  }
}

void TGdiPlayer::ApplyClip() {
  painter_.resetTransform();
  if (state_.clipped)
    painter_.setClipRegion(state_.clip);
  else
    painter_.setClipping(false);
}

void TGdiPlayer::DrawPath(const QPainterPath& device_path, bool fill, bool stroke) {
  if (state_.rop2 == 11) return;  // R2_NOP
  QPen pen;
  QBrush brush;
  const bool has_pen = stroke && DevicePen(pen);
  const bool has_brush = fill && DeviceBrush(brush);
  if (!has_pen && !has_brush) return;
  if (state_.rop2 == 1 || state_.rop2 == 16) {
    const QColor forced = state_.rop2 == 1 ? Qt::black : Qt::white;
    pen.setColor(forced);
    brush = QBrush(forced);
  }
  const QPainterPath path = ClampPath(device_path);
  ApplyClip();
  painter_.setCompositionMode(Rop2Mode(state_.rop2));
  if (has_brush) {
    if (brush.style() != Qt::SolidPattern && brush.style() != Qt::TexturePattern &&
        state_.bk_mode == 2)
      painter_.fillPath(path, QColor(state_.bk_color));
    painter_.fillPath(path, brush);
  }
  if (has_pen) painter_.strokePath(path, pen);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TGdiPlayer::AddToPath(const QPainterPath& device_shape, bool connect) {
  if (connect && path_.elementCount() > 0) {
    for (int i = 0; i < device_shape.elementCount(); ++i) {
      const QPainterPath::Element& e = device_shape.elementAt(i);
      if (i == 0 && e.isMoveTo()) {
        if (path_.currentPosition() != QPointF(e.x, e.y)) path_.lineTo(e.x, e.y);
        continue;
      }
      if (e.isMoveTo())
        path_.moveTo(e.x, e.y);
      else if (e.isLineTo())
        path_.lineTo(e.x, e.y);
      else if (e.type == QPainterPath::CurveToElement && i + 2 < device_shape.elementCount()) {
        const QPainterPath::Element& c2 = device_shape.elementAt(i + 1);
        const QPainterPath::Element& end = device_shape.elementAt(i + 2);
        path_.cubicTo(e.x, e.y, c2.x, c2.y, end.x, end.y);
        i += 2;
      }
    }
    return;
  }
  path_.addPath(device_shape);
}

// ---------------------------------------------------------------------------------------------
// Shapes

void TGdiPlayer::MoveTo(QPointF p) {
  state_.position = p;
  if (in_path_) path_.moveTo(ClampPoint(Full().map(p)));
}

void TGdiPlayer::LineTo(QPointF p) {
  QPainterPath line;
  line.moveTo(state_.position);
  line.lineTo(p);
  state_.position = p;
  const QPainterPath device = Full().map(line);
  if (in_path_) {
    AddToPath(ClampPath(device), true);
    return;
  }
  DrawPath(device, false, true);
}

void TGdiPlayer::Rectangle(const QRectF& r) {
  QPainterPath shape;
  shape.addRect(r.normalized());
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), false);
  DrawPath(device, true, true);
}

void TGdiPlayer::RoundRect(const QRectF& r, QSizeF corner) {
  QPainterPath shape;
  shape.addRoundedRect(r.normalized(), std::fabs(corner.width()) / 2,
                       std::fabs(corner.height()) / 2);
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), false);
  DrawPath(device, true, true);
}

void TGdiPlayer::Ellipse(const QRectF& r) {
  QPainterPath shape;
  shape.addEllipse(r.normalized());
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), false);
  DrawPath(device, true, true);
}

void TGdiPlayer::Arc(ArcKind kind, const QRectF& box_in, QPointF start, QPointF end) {
  const QRectF box = box_in.normalized();
  const double a1 = EllipseAngle(box, start);
  const double a2 = EllipseAngle(box, end);
  double sweep = a2 - a1;
  if (state_.arc_clockwise) {
    while (sweep >= 0) sweep -= 360;
  } else {
    while (sweep <= 0) sweep += 360;
  }
  QPainterPath shape;
  if (kind == ArcKind::kPie) {
    shape.moveTo(box.center());
    shape.arcTo(box, a1, sweep);
    shape.closeSubpath();
  } else {
    shape.arcMoveTo(box, a1);
    if (kind == ArcKind::kArcTo) {
      QPainterPath joined;
      joined.moveTo(state_.position);
      joined.lineTo(shape.currentPosition());
      shape = joined;
    }
    shape.arcTo(box, a1, sweep);
    if (kind == ArcKind::kChord) shape.closeSubpath();
  }
  if (kind == ArcKind::kArcTo) state_.position = shape.currentPosition();
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), kind == ArcKind::kArcTo);
  const bool closed = kind == ArcKind::kChord || kind == ArcKind::kPie;
  DrawPath(device, closed, true);
}

void TGdiPlayer::AngleArc(QPointF center, double radius, double start_deg, double sweep_deg) {
  if (!std::isfinite(start_deg) || !std::isfinite(sweep_deg) || !std::isfinite(radius)) return;
  sweep_deg = std::clamp(sweep_deg, -3600.0, 3600.0);
  const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
  QPainterPath shape;
  shape.moveTo(state_.position);
  QPainterPath arc;
  arc.arcMoveTo(box, start_deg);
  shape.lineTo(arc.currentPosition());
  shape.arcTo(box, start_deg, sweep_deg);
  state_.position = shape.currentPosition();
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), true);
  DrawPath(device, false, true);
}

void TGdiPlayer::Polygon(const QPolygonF& points) {
  if (points.size() < 2) return;
  QPainterPath shape;
  shape.setFillRule(state_.poly_fill_mode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
  shape.addPolygon(points);
  shape.closeSubpath();
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), false);
  DrawPath(device, true, true);
}

void TGdiPlayer::PolyPolygon(const std::vector<QPolygonF>& polygons) {
  QPainterPath shape;
  shape.setFillRule(state_.poly_fill_mode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
  for (const QPolygonF& p : polygons) {
    if (p.size() < 2) continue;
    shape.addPolygon(p);
    shape.closeSubpath();
  }
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), false);
  DrawPath(device, true, true);
}

void TGdiPlayer::Polyline(const QPolygonF& points) {
  if (points.size() < 2) return;
  QPainterPath shape;
  shape.addPolygon(points);
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), false);
  DrawPath(device, false, true);
}

void TGdiPlayer::PolylineTo(const QPolygonF& points) {
  if (points.isEmpty()) return;
  QPolygonF all;
  all << state_.position << points;
  state_.position = points.back();
  QPainterPath shape;
  shape.addPolygon(all);
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), true);
  DrawPath(device, false, true);
}

void TGdiPlayer::PolyBezier(const QPolygonF& points, bool from_position) {
  QPainterPath shape;
  int i = 0;
  if (from_position) {
    shape.moveTo(state_.position);
  } else {
    if (points.isEmpty()) return;
    shape.moveTo(points[0]);
    i = 1;
  }
  for (; i + 2 < points.size(); i += 3) shape.cubicTo(points[i], points[i + 1], points[i + 2]);
  if (from_position) state_.position = shape.currentPosition();
  const QPainterPath device = Full().map(shape);
  if (in_path_) return AddToPath(ClampPath(device), from_position);
  DrawPath(device, false, true);
}

void TGdiPlayer::SetPixel(QPointF p, QRgb color) {
  if (in_path_) return;
  const QPointF d = ClampPoint(Full().map(p));
  ApplyClip();
  painter_.fillRect(QRectF(std::floor(d.x()), std::floor(d.y()), 1, 1), QColor(color));
}

void TGdiPlayer::FillRegion(const std::vector<QRectF>& rects, const TGdiBrush& brush) {
  if (in_path_ || rects.empty()) return;
  const TGdiBrush keep = state_.brush;
  const TGdiPen keep_pen = state_.pen;
  state_.brush = brush;
  state_.pen.style = 5;
  QPainterPath shape;
  for (const QRectF& r : rects) shape.addRect(r.normalized());
  DrawPath(Full().map(shape), true, false);
  state_.brush = keep;
  state_.pen = keep_pen;
}

// ---------------------------------------------------------------------------------------------
// Text

void TGdiPlayer::Text(QPointF reference, const QString& text, const std::vector<double>& dx,
                      int options, const std::optional<QRectF>& rect) {
  if (in_path_) return;
  const QTransform full = Full();
  const TGdiFont& lf = state_.font;
  const double scale_x = std::hypot(full.m11(), full.m12());
  const double scale_y = std::hypot(full.m21(), full.m22());
  const double logical_height = lf.height == 0 ? 12.0 : std::fabs(static_cast<double>(lf.height));
  double pixels = logical_height * scale_y;
  if (!std::isfinite(pixels) || pixels > kMaxFontPixels) return;

  ApplyClip();
  if (rect && (options & 2)) {  // ETO_OPAQUE
    QPainterPath box;
    box.addRect(rect->normalized());
    painter_.fillPath(ClampPath(full.map(box)), QColor(state_.bk_color));
  }
  if (rect && (options & 4)) {  // ETO_CLIPPED
    QPainterPath box;
    box.addRect(rect->normalized());
    painter_.setClipPath(ClampPath(full.map(box)), Qt::IntersectClip);
  }
  if (text.isEmpty() || pixels < 1) return;

  // Text in a symbol font reaches here as Unicode; the symbol font itself (when installed) maps
  // only its own codes, so an ordinary face of the same style draws it.
  const TSymbolFont symbol = SymbolFontOf(lf.face, lf.charset);
  QFont font(symbol == TSymbolFont::kSymbol        ? QStringLiteral("serif")
             : symbol == TSymbolFont::kPictographs ? QStringLiteral("sans-serif")
             : lf.face.isEmpty()                   ? QStringLiteral("Arial")
                                                   : lf.face);
  font.setStyleStrategy(QFont::PreferOutline);
  font.setWeight(
      static_cast<QFont::Weight>(std::clamp(lf.weight == 0 ? 400 : lf.weight, 100, 900)));
  font.setItalic(lf.italic);
  font.setUnderline(lf.underline);
  font.setStrikeOut(lf.strikeout);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  if (lf.height > 0) {
    // A positive height is the character cell, the em square is smaller by the leading.
    const QFontMetricsF m(font);
    const double cell = m.ascent() + m.descent();
    if (cell > 0) pixels = pixels * font.pixelSize() / cell;
    if (pixels < 1) return;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  }
  const QFontMetricsF metrics(font);
  double stretch = 1;
  if (lf.width != 0 && metrics.averageCharWidth() > 0)
    stretch = std::clamp(std::fabs(lf.width) * scale_x / metrics.averageCharWidth(), 0.05, 20.0);

  std::vector<double> advances;
  const bool per_char = !dx.empty() && dx.size() >= static_cast<std::size_t>(text.size());
  double width = 0;
  if (per_char) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const double a = Clamp(dx[static_cast<std::size_t>(i)] * scale_x);
      advances.push_back(a);
      width += a;
    }
  } else {
    width = metrics.horizontalAdvance(text) * stretch;
  }

  const bool update_cp = state_.text_align & 1;
  const QPointF origin = ClampPoint(full.map(update_cp ? state_.position : reference));
  double x0 = 0;
  switch (state_.text_align & 6) {
    case 6:
      x0 = -width / 2;
      break;
    case 2:
      x0 = -width;
      break;
    default:
      break;
  }
  double baseline = 0;
  switch (state_.text_align & 24) {
    case 24:
      break;
    case 8:
      baseline = -metrics.descent();
      break;
    default:
      baseline = metrics.ascent();
  }
  QTransform local;
  local.translate(origin.x(), origin.y());
  local.rotate(-lf.escapement / 10.0);
  painter_.setTransform(local);
  if (state_.bk_mode == 2 && !(rect && (options & 2)))
    painter_.fillRect(QRectF(x0, baseline - metrics.ascent(), width, metrics.height()),
                      QColor(state_.bk_color));
  painter_.setFont(font);
  painter_.setPen(QColor(state_.text_color));
  if (per_char) {
    double x = x0;
    for (qsizetype i = 0; i < text.size(); ++i) {
      painter_.drawText(QPointF(x, baseline), QString(text[i]));
      x += advances[static_cast<std::size_t>(i)];
    }
  } else {
    painter_.save();
    painter_.scale(stretch, 1);
    painter_.drawText(QPointF(x0 / stretch, baseline), text);
    painter_.restore();
  }
  // The current position moves past the text unless the text is centred on it.
  if (update_cp && (state_.text_align & 6) != 6 && full.isInvertible()) {
    const double advance = (state_.text_align & 6) == 2 ? -width : width;
    state_.position = full.inverted().map(local.map(QPointF(advance, 0)));
  }
  painter_.resetTransform();
}

// ---------------------------------------------------------------------------------------------
// Bitmaps

namespace {

// The 8-bit truth table of a ternary raster operation (bit index: pattern 4, source 2,
// destination 1) applied to every bit of 24-bit colours at once.
std::uint32_t TernaryRop(std::uint32_t table, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t out = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((table >> i) & 1)) continue;
    out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return out & 0xFFFFFF;
}

bool UsesPattern(std::uint32_t table) { return (table >> 4) != (table & 0xF); }

// Source-over of a premultiplied pixel scaled by alpha (0..255) onto an opaque one.
QRgb BlendOver(QRgb s, QRgb d, int alpha) {
  const int sa = qAlpha(s) * alpha / 255;
  auto channel = [&](int sc, int dc) {
    return std::min(255, sc * alpha / 255 + dc * (255 - sa) / 255);
  };
  return qRgb(channel(qRed(s), qRed(d)), channel(qGreen(s), qGreen(d)),
              channel(qBlue(s), qBlue(d)));
}

}  // namespace

void TGdiPlayer::StretchBitmap(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                               std::uint32_t rop) {
  if (in_path_ || bitmap.isNull()) return;
  const std::uint32_t table = (rop >> 16) & 0xFF;
  // Operations that ignore the source are pattern blits, whatever bitmap comes with them.
  if (((table >> 2) & 0x33) == (table & 0x33)) return PatBlt(dest, rop);
  Blit(dest, bitmap, source, table, -1);
}

void TGdiPlayer::AlphaBlend(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                            int constant_alpha) {
  if (in_path_ || bitmap.isNull()) return;
  Blit(dest, bitmap, source, 0, std::clamp(constant_alpha, 0, 255));
}

// Bitmaps are sampled here rather than by QPainter: its scaled blit reads outside the bitmap
// when the transform mirrors and a clip cuts the target, and sub-pixel or inverted targets
// reach corners of it that metafiles hit often. Every output pixel whose centre maps into the
// source rectangle, clamped to the bitmap, takes the nearest source pixel; the rest of the
// destination stays as it is, as if the destination had been cut with the source.
void TGdiPlayer::Blit(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                      std::uint32_t table, int alpha) {
  if (dest.width() == 0 || dest.height() == 0 || source.width() == 0 || source.height() == 0)
    return;
  const QTransform full = Full();
  if (!full.isInvertible()) return;
  const QRectF device = full.mapRect(dest.normalized());
  if (!std::isfinite(device.left()) || !std::isfinite(device.right()) ||
      !std::isfinite(device.top()) || !std::isfinite(device.bottom()))
    return;
  // Pixels whose centres lie inside the mapped rectangle.
  const int x0 = static_cast<int>(std::max(0.0, std::ceil(Clamp(device.left()) - 0.5)));
  const int y0 = static_cast<int>(std::max(0.0, std::ceil(Clamp(device.top()) - 0.5)));
  const int x1 =
      static_cast<int>(std::min<double>(image_.width(), std::ceil(Clamp(device.right()) - 0.5)));
  const int y1 =
      static_cast<int>(std::min<double>(image_.height(), std::ceil(Clamp(device.bottom()) - 0.5)));
  if (x0 >= x1 || y0 >= y1) return;
  QRegion area(QRect(x0, y0, x1 - x0, y1 - y0));
  if (state_.clipped) area &= state_.clip;
  if (area.isEmpty()) return;

  // Output pixel centre -> logical point -> source point.
  const double fx = source.width() / dest.width();
  const double fy = source.height() / dest.height();
  const QTransform to_source =
      full.inverted() *
      QTransform(fx, 0, 0, fy, source.left() - dest.left() * fx, source.top() - dest.top() * fy);
  const QRectF valid = source.normalized() & QRectF(0, 0, bitmap.width(), bitmap.height());
  if (valid.isEmpty()) return;
  const bool opaque = bitmap.format() == QImage::Format_RGB32;
  const QImage src = opaque || bitmap.format() == QImage::Format_ARGB32_Premultiplied
                         ? bitmap
                         : bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);

  // The pattern, drawn once over the area when the operation needs it.
  const bool pattern = alpha < 0 && UsesPattern(table);
  QRgb solid = 0;
  QImage pattern_image;
  const QRect box = area.boundingRect();
  if (pattern) {
    QBrush brush;
    if (DeviceBrush(brush) && brush.style() == Qt::SolidPattern) {
      solid = brush.color().rgb();
    } else if (brush.style() != Qt::NoBrush) {
      pattern_image = QImage(box.size(), QImage::Format_RGB32);
      pattern_image.fill(state_.bk_color);
      QPainter fill(&pattern_image);
      fill.setBrushOrigin(-box.topLeft());
      fill.fillRect(pattern_image.rect(), brush);
    }
  }

  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  const double du = to_source.m11(), dv = to_source.m12();
  for (const QRect& r : area) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      QRgb* out = reinterpret_cast<QRgb*>(bits + stride * y);
      const QRgb* pat =
          pattern_image.isNull()
              ? nullptr
              : reinterpret_cast<const QRgb*>(pattern_image.constScanLine(y - box.top()));
      QPointF at = to_source.map(QPointF(r.left() + 0.5, y + 0.5));
      double u = at.x(), v = at.y();
      for (int x = r.left(); x <= r.right(); ++x, u += du, v += dv) {
        if (!(u >= valid.left() && u < valid.right() && v >= valid.top() && v < valid.bottom()))
          continue;
        const int sx = std::clamp(static_cast<int>(u), 0, src.width() - 1);
        const int sy = std::clamp(static_cast<int>(v), 0, src.height() - 1);
        const QRgb s = reinterpret_cast<const QRgb*>(src.constScanLine(sy))[sx];
        if (alpha >= 0) {
          out[x] = BlendOver(opaque ? s | 0xFF000000u : s, out[x], alpha);
          continue;
        }
        const QRgb p = pat ? pat[x - box.left()] : solid;
        out[x] = 0xFF000000u | TernaryRop(table, p, s, out[x]);
      }
    }
  }
}

void TGdiPlayer::PatBlt(const QRectF& dest, std::uint32_t rop) {
  if (in_path_) return;
  QPainterPath shape;
  shape.addRect(dest.normalized());
  const QPainterPath device = ClampPath(Full().map(shape));
  ApplyClip();
  switch (rop) {
    case 0x00AA0029:  // destination unchanged
      return;
    case 0x00000042:
      painter_.fillPath(device, Qt::black);
      return;
    case 0x00FF0062:
      painter_.fillPath(device, Qt::white);
      return;
    case 0x00550009:
      painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
      painter_.fillPath(device, Qt::black);
      painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
      return;
    default:
      break;
  }
  QBrush brush;
  if (!DeviceBrush(brush)) return;
  if (rop == 0x005A0049) painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter_.fillPath(device, brush);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---------------------------------------------------------------------------------------------
// Clipping

QRegion TGdiPlayer::LogicalRectsToRegion(const std::vector<QRectF>& rects) const {
  const QTransform full = Full();
  QRegion region;
  for (const QRectF& r : rects) {
    const QPolygonF poly = full.map(QPolygonF(r.normalized()));
    QPolygonF clamped;
    for (QPointF p : poly) clamped << ClampPoint(p);
    if (!full.isRotating()) {
      const QRectF b = clamped.boundingRect();
      region += QRect(
          QPoint(static_cast<int>(std::lround(b.left())), static_cast<int>(std::lround(b.top()))),
          QPoint(static_cast<int>(std::lround(b.right())) - 1,
                 static_cast<int>(std::lround(b.bottom())) - 1));
    } else {
      region += QRegion(clamped.toPolygon());
    }
  }
  return region;
}

void TGdiPlayer::CombineClip(const QRegion& region, int mode) {
  const QRegion all(image_.rect());
  const QRegion current = state_.clipped ? state_.clip : all;
  QRegion next;
  switch (mode) {
    case 1:
      next = current & region;
      break;
    case 2:
      next = current | region;
      break;
    case 3:
      next = current ^ region;
      break;
    case 4:
      next = current - region;
      break;
    case 5:
      next = region;
      break;
    default:
      return;
  }
  state_.clip = next & all;
  state_.clipped = true;
}

void TGdiPlayer::IntersectClipRect(const QRectF& r) { CombineClip(LogicalRectsToRegion({r}), 1); }

void TGdiPlayer::ExcludeClipRect(const QRectF& r) { CombineClip(LogicalRectsToRegion({r}), 4); }

void TGdiPlayer::SelectClipLogicalRects(const std::vector<QRectF>& rects, int mode) {
  CombineClip(LogicalRectsToRegion(rects), mode);
}

void TGdiPlayer::SelectClipDeviceRects(const std::vector<QRectF>& rects, int mode) {
  if (rects.empty() && mode == 5) return ResetClip();
  QRegion region;
  for (const QRectF& r : rects) {
    const QRectF b = base_.mapRect(r.normalized());
    region += QRect(QPoint(static_cast<int>(std::lround(Clamp(b.left()))),
                           static_cast<int>(std::lround(Clamp(b.top())))),
                    QPoint(static_cast<int>(std::lround(Clamp(b.right()))) - 1,
                           static_cast<int>(std::lround(Clamp(b.bottom()))) - 1));
  }
  CombineClip(region, mode);
}

void TGdiPlayer::ResetClip() {
  state_.clipped = false;
  state_.clip = QRegion();
}

void TGdiPlayer::OffsetClip(QPointF delta) {
  if (!state_.clipped) return;
  const QTransform full = Full();
  const QPointF d = full.map(delta) - full.map(QPointF(0, 0));
  state_.clip.translate(static_cast<int>(std::lround(Clamp(d.x()))),
                        static_cast<int>(std::lround(Clamp(d.y()))));
  state_.clip &= QRegion(image_.rect());
}

// ---------------------------------------------------------------------------------------------
// Paths

void TGdiPlayer::BeginPath() {
  in_path_ = true;
  path_done_ = false;
  path_ = QPainterPath();
}

void TGdiPlayer::EndPath() {
  if (!in_path_) return;
  in_path_ = false;
  path_done_ = true;
}

void TGdiPlayer::AbortPath() {
  in_path_ = false;
  path_done_ = false;
  path_ = QPainterPath();
}

void TGdiPlayer::CloseFigure() {
  if (in_path_) path_.closeSubpath();
}

void TGdiPlayer::FillPath() {
  if (!path_done_) return;
  path_.setFillRule(state_.poly_fill_mode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
  DrawPath(path_, true, false);
  AbortPath();
}

void TGdiPlayer::StrokePath() {
  if (!path_done_) return;
  DrawPath(path_, false, true);
  AbortPath();
}

void TGdiPlayer::StrokeAndFillPath() {
  if (!path_done_) return;
  path_.setFillRule(state_.poly_fill_mode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
  DrawPath(path_, true, true);
  AbortPath();
}

void TGdiPlayer::SelectClipPath(int mode) {
  if (!path_done_) return;
  path_.setFillRule(state_.poly_fill_mode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
  const QPolygon polygon = path_.toFillPolygon().toPolygon();
  CombineClip(QRegion(polygon, path_.fillRule()), mode);
  AbortPath();
}

// ---------------------------------------------------------------------------------------------
// Saved states

void TGdiPlayer::SaveDC() {
  // Beyond the cap the oldest state gives way, so that the usual save and restore pairs near
  // the top keep working however deep a file nests them.
  if (saved_.size() >= kMaxSavedStates) {
    saved_.pop_front();
    ++dropped_states_;
  }
  saved_.push_back(state_);
}

void TGdiPlayer::RestoreDC(int which) {
  // Negative: relative to the newest; positive: the n-th save counted from the first.
  const long long index =
      which < 0 ? static_cast<long long>(saved_.size()) + which : which - 1LL - dropped_states_;
  if (which == 0 || index < 0 || index >= static_cast<long long>(saved_.size())) return;
  state_ = saved_[static_cast<std::size_t>(index)];
  saved_.resize(static_cast<std::size_t>(index));
}
