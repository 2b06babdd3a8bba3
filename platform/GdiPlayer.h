#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform/MetafileDib.h"

// The drawing state and drawing operations that Windows metafiles replay, shared by the WMF and
// EMF record readers. Coordinates handed in are logical; the player maps them through the world
// transform, the page transform (window and viewport) and the playback transform onto the
// output picture, and draws with QPainter without antialiasing, as the original device did.

// Colours here are COLORREF values (0x00BBGGRR).
QRgb GdiColor(std::uint32_t colorref);

struct TGdiPen {
  std::uint32_t style = 0;  // PS_* including end cap and join bits
  double width = 0;         // logical units; 0 draws one pixel whatever the scale
  QRgb color = qRgb(0, 0, 0);
  bool cosmetic = true;  // a cosmetic pen is one pixel wide whatever its width says
};

struct TGdiBrush {
  int style = 0;  // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN / BS_DIBPATTERN
  QRgb color = qRgb(255, 255, 255);
  int hatch = 0;
  QImage pattern;
};

struct TGdiFont {
  int height = 0;
  int width = 0;
  int escapement = 0;  // tenths of a degree, counter-clockwise
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  int charset = 1;
  QString face;
};

// One object of a metafile's object table.
struct TGdiObject {
  enum class Kind { kNone, kPen, kBrush, kFont, kPalette, kRegion, kOther };
  Kind kind = Kind::kNone;
  TGdiPen pen;
  TGdiBrush brush;
  TGdiFont font;
  std::vector<QRgb> palette;
  std::vector<QRectF> region;  // logical rectangles
};

struct TGdiState {
  int map_mode = 1;  // MM_TEXT
  QPointF window_org{0, 0};
  QSizeF window_ext{1, 1};
  QPointF viewport_org{0, 0};
  QSizeF viewport_ext{1, 1};
  QTransform world;
  TGdiPen pen;
  TGdiBrush brush;
  TGdiFont font;
  std::vector<QRgb> palette;
  QRgb text_color = qRgb(0, 0, 0);
  QRgb bk_color = qRgb(255, 255, 255);
  int bk_mode = 2;  // OPAQUE
  int text_align = 0;
  int poly_fill_mode = 1;  // ALTERNATE
  int rop2 = 13;           // R2_COPYPEN
  int stretch_mode = 1;
  bool arc_clockwise = false;
  QPointF position;
  bool clipped = false;
  QRegion clip;  // output pixels
};

class TGdiPlayer {
 public:
  // Draws onto image (RGB32). base maps the reference device onto the image; device_mm is the
  // size of one reference device pixel in millimetres, for the fixed mapping modes.
  TGdiPlayer(QImage& image, const QTransform& base, QSizeF device_mm);
  ~TGdiPlayer();
  TGdiPlayer(const TGdiPlayer&) = delete;
  TGdiPlayer& operator=(const TGdiPlayer&) = delete;

  TGdiState& State() { return state_; }

  // Page and world transforms.
  // As the original device does: a mode sets the extents it starts with, and extents are taken
  // only in MM_ISOTROPIC and MM_ANISOTROPIC.
  void SetMapMode(int mode);
  void SetWindowExt(QSizeF ext);
  void SetViewportExt(QSizeF ext);
  void SetWorldTransform(const QTransform& t);
  // mode: 1 identity, 2 left multiply, 3 right multiply, 4 set.
  void ModifyWorldTransform(const QTransform& t, int mode);

  // Drawing in logical coordinates.
  void MoveTo(QPointF p);
  void LineTo(QPointF p);
  void Rectangle(const QRectF& r);
  void RoundRect(const QRectF& r, QSizeF corner);
  void Ellipse(const QRectF& r);
  enum class ArcKind { kArc, kArcTo, kChord, kPie };
  void Arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
  void AngleArc(QPointF center, double radius, double start_deg, double sweep_deg);
  void Polygon(const QPolygonF& points);
  void PolyPolygon(const std::vector<QPolygonF>& polygons);
  void Polyline(const QPolygonF& points);
  void PolylineTo(const QPolygonF& points);
  void PolyBezier(const QPolygonF& points, bool from_position);
  void SetPixel(QPointF p, QRgb color);
  void FillRegion(const std::vector<QRectF>& rects, const TGdiBrush& brush);

  // Text at a reference point; dx are logical advances per character (may be empty).
  // options: ETO_OPAQUE 2, ETO_CLIPPED 4.
  void Text(QPointF reference, const QString& text, const std::vector<double>& dx, int options,
            const std::optional<QRectF>& rect);

  // A bitmap (RGB32 or ARGB32) over a logical rectangle with a ternary raster operation.
  void StretchBitmap(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                     std::uint32_t rop);
  // A raster operation that involves no source bitmap (pattern and destination only).
  void PatBlt(const QRectF& dest, std::uint32_t rop);
  // Alpha blend: source_alpha uses the bitmap's own alpha, constant is 0..255.
  void AlphaBlend(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                  int constant_alpha);

  // Clipping. Logical rectangles, or device rectangles of the reference device for regions.
  void IntersectClipRect(const QRectF& r);
  void ExcludeClipRect(const QRectF& r);
  // mode: RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5.
  void SelectClipDeviceRects(const std::vector<QRectF>& rects, int mode);
  void SelectClipLogicalRects(const std::vector<QRectF>& rects, int mode);
  void ResetClip();
  void OffsetClip(QPointF delta);

  // Paths.
  void BeginPath();
  void EndPath();
  void AbortPath();
  void CloseFigure();
  void FillPath();
  void StrokePath();
  void StrokeAndFillPath();
  void SelectClipPath(int mode);

  void SaveDC();
  void RestoreDC(int which);

 private:
  QTransform Page() const;
  QTransform Full() const;
  bool DevicePen(QPen& pen) const;
  bool DeviceBrush(QBrush& brush) const;
  // Sets clip, transform and raster mode for pen and brush drawing; false when nothing draws.
  bool PrepareShapes(bool& white_or_black, QRgb& forced);
  void DrawPath(const QPainterPath& path, bool fill, bool stroke);
  void AddToPath(const QPainterPath& shape, bool connect);
  void ApplyClip();
  void CombineClip(const QRegion& region, int mode);
  QRegion LogicalRectsToRegion(const std::vector<QRectF>& rects) const;
  // Samples the bitmap onto the picture: with the ternary operation table when alpha < 0,
  // blended over with that constant alpha otherwise.
  void Blit(const QRectF& dest, const QImage& bitmap, const QRectF& source, std::uint32_t table,
            int alpha);

  QImage& image_;
  QPainter painter_;
  QTransform base_;
  QSizeF device_mm_;
  TGdiState state_;
  std::deque<TGdiState> saved_;
  long long dropped_states_ = 0;
  bool in_path_ = false;
  bool path_done_ = false;
  QPainterPath path_;  // output pixels: GDI maps path points when they are added
};
