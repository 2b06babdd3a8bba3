// Enhanced metafiles (32-bit records): header, size and the record reader.
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/Bitmap24.h"
#include "platform/GdiPlayer.h"
#include "platform/MetafilePlayers.h"

namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520;
constexpr std::size_t kMaxObjects = 65535;
constexpr std::uint32_t kSrcCopy = 0x00CC0020;

struct TEmfHeader {
  QRect bounds;                            // reference device pixels, inclusive
  QRect frame;                             // hundredths of a millimetre, inclusive
  QSizeF device_mm{25.4 / 96, 25.4 / 96};  // size of one reference device pixel
  std::size_t first_record = 0;
  std::size_t objects = 0;
};

bool ReadHeader(const TBytes& b, TEmfHeader& h, std::string& error) {
  const std::uint32_t size = b.U32(4);
  if (b.U32(0) != 1 || size < 88 || !b.Has(0, size) || b.U32(40) != kEmfSignature) {
    error = "not an enhanced metafile";
    return false;
  }
  h.bounds = QRect(QPoint(b.S32(8), b.S32(12)), QPoint(b.S32(16), b.S32(20)));
  h.frame = QRect(QPoint(b.S32(24), b.S32(28)), QPoint(b.S32(32), b.S32(36)));
  h.objects = b.U16(56);
  const double dev_w = b.S32(72), dev_h = b.S32(76);
  double mm_w = b.S32(80), mm_h = b.S32(84);
  // The size in micrometres is there only when the description does not start before it.
  const bool described = b.U32(60) != 0;
  if (size >= 108 && (!described || b.U32(64) >= 108) && b.S32(100) > 0 && b.S32(104) > 0) {
    mm_w = b.S32(100) / 1000.0;
    mm_h = b.S32(104) / 1000.0;
  }
  if (dev_w > 0 && dev_h > 0 && mm_w > 0 && mm_h > 0)
    h.device_mm = QSizeF(mm_w / dev_w, mm_h / dev_h);
  h.first_record = size;
  return true;
}

// The picture frame in reference device pixels: what the output image shows.
QRectF FrameInDevice(const TEmfHeader& h) {
  const double l = h.frame.left() / 100.0 / h.device_mm.width();
  const double t = h.frame.top() / 100.0 / h.device_mm.height();
  const double r = h.frame.right() / 100.0 / h.device_mm.width();
  const double bt = h.frame.bottom() / 100.0 / h.device_mm.height();
  if (r - l > 0 && bt - t > 0 && std::isfinite(r - l) && std::isfinite(bt - t))
    return QRectF(QPointF(l, t), QPointF(r, bt));
  return QRectF(QPointF(h.bounds.left(), h.bounds.top()),
                QPointF(h.bounds.right() + 1.0, h.bounds.bottom() + 1.0));
}

// What the output picture shows, in reference device pixels: the frame, unless the bounds say
// that the records were drawn for another device than the header names (the frame converted
// through that device misses the drawing, or dwarfs it), in which case the bounds.
QRectF PictureInDevice(const TEmfHeader& h) {
  const QRectF frame = FrameInDevice(h);
  const QRectF bounds(QPointF(h.bounds.left(), h.bounds.top()),
                      QPointF(h.bounds.right() + 1.0, h.bounds.bottom() + 1.0));
  if (!(bounds.width() > 1 && bounds.height() > 1) || bounds == frame) return frame;
  const bool apart = !frame.intersects(bounds);
  const bool dwarfed = bounds.width() * 4 < frame.width() && bounds.height() * 4 < frame.height();
  return apart || dwarfed ? bounds : frame;
}

class TEmfReader {
 public:
  TEmfReader(const TBytes& b, const TEmfHeader& h, QImage& image, const QTransform& base)
      : b_(b),
        player_(image, base, h.device_mm),
        objects_(std::clamp<std::size_t>(h.objects, 1, kMaxObjects)) {}

  void Play(std::size_t off) {
    while (b_.Has(off, 8)) {
      const std::uint32_t type = b_.U32(off);
      const std::uint32_t size = b_.U32(off + 4);
      if (size < 8 || size % 4 != 0 || !b_.Has(off, size) || type == 14) break;
      r_ = off;
      n_ = size;
      Record(type);
      off += size;
    }
  }

 private:
  // Fields of the current record by byte offset from its start (0 past its end).
  std::int32_t S(std::size_t o) const { return o + 4 <= n_ ? b_.S32(r_ + o) : 0; }
  std::uint32_t U(std::size_t o) const { return o + 4 <= n_ ? b_.U32(r_ + o) : 0; }
  float F(std::size_t o) const { return o + 4 <= n_ ? b_.F32(r_ + o) : 0.0f; }
  QPointF Pt(std::size_t o) const { return QPointF(S(o), S(o + 4)); }
  QRectF Box(std::size_t o) const { return QRectF(Pt(o), Pt(o + 8)); }
  QTransform Xform(std::size_t o) const {
    return QTransform(F(o), F(o + 4), F(o + 8), F(o + 12), F(o + 16), F(o + 20));
  }
  bool Fits(std::size_t offset, std::size_t length) const {
    return offset <= n_ && length <= n_ - offset;
  }

  // count points from byte offset o; 16-bit points when small.
  QPolygonF Points(std::size_t o, std::size_t count, bool small) const {
    const std::size_t each = small ? 4 : 8;
    QPolygonF poly;
    if (o > n_) return poly;
    count = std::min(count, (n_ - o) / each);
    poly.reserve(static_cast<qsizetype>(count));
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t at = r_ + o + each * k;
      if (small)
        poly << QPointF(b_.S16(at), b_.S16(at + 2));
      else
        poly << QPointF(b_.S32(at), b_.S32(at + 4));
    }
    return poly;
  }

  std::vector<QPolygonF> PolyPoints(bool small) const {
    const std::size_t polys = U(24);
    const std::size_t total = U(28);
    std::vector<QPolygonF> out;
    if (!Fits(32, polys * 4)) return out;
    std::size_t at = 32 + polys * 4;
    const std::size_t each = small ? 4 : 8;
    if (!Fits(at, total * each)) return out;
    std::size_t used = 0;
    for (std::size_t k = 0; k < polys; ++k) {
      const std::size_t count = U(32 + 4 * k);
      if (count > total - used) break;
      out.push_back(Points(at, count, small));
      at += count * each;
      used += count;
    }
    return out;
  }

  // Rectangles of a RGNDATA at byte offset o with cb bytes.
  std::vector<QRectF> Region(std::size_t o, std::size_t cb) const {
    std::vector<QRectF> rects;
    if (cb < 32 || !Fits(o, cb)) return rects;
    const std::size_t count = std::min<std::size_t>(U(o + 8), (cb - 32) / 16);
    for (std::size_t k = 0; k < count; ++k) rects.push_back(Box(o + 32 + 16 * k));
    return rects;
  }

  bool Dib(std::size_t off_bmi, std::size_t cb_bmi, std::size_t off_bits, std::size_t cb_bits,
           int usage, bool keep_alpha, QImage& image, bool* bottom_up) const {
    if (cb_bmi == 0 || !Fits(off_bmi, cb_bmi) || !Fits(off_bits, cb_bits)) return false;
    const std::uint8_t* info = b_.At(r_ + off_bmi);
    if (DibInfoSize(info, cb_bmi, usage) == 0) return false;
    return DecodeDib(info, cb_bmi, b_.At(r_ + off_bits), cb_bits, usage, palette_, keep_alpha,
                     image, bottom_up);
  }

  TGdiObject* Object(std::uint32_t index) {
    if (index >= objects_.size() || objects_[index].kind == TGdiObject::Kind::kNone) return nullptr;
    return &objects_[index];
  }

  void Store(std::uint32_t index, TGdiObject object) {
    if (index == 0 || index >= kMaxObjects) return;
    if (index >= objects_.size()) objects_.resize(index + 1);
    objects_[index] = std::move(object);
  }

  void Record(std::uint32_t type);
  void Select(std::uint32_t index);
  void Text(bool wide);
  void Bitmap(std::uint32_t type);

  const TBytes& b_;
  TGdiPlayer player_;
  std::vector<TGdiObject> objects_;
  std::vector<QRgb> palette_;
  std::size_t r_ = 0;
  std::size_t n_ = 0;
};

void TEmfReader::Select(std::uint32_t index) {
  TGdiState& s = player_.State();
  if (index & 0x80000000u) {
    const std::uint32_t stock = index & 0x7FFFFFFFu;
    static const int kGrey[] = {255, 192, 128, 64, 0};
    if (stock <= 4 || stock == 18) {
      const int g = stock == 18 ? 255 : kGrey[stock];
      s.brush = TGdiBrush{0, qRgb(g, g, g), 0, QImage()};
    } else if (stock == 5) {
      s.brush = TGdiBrush{1, qRgb(0, 0, 0), 0, QImage()};
    } else if (stock == 6 || stock == 7 || stock == 19) {
      s.pen = TGdiPen{0, 0, stock == 6 ? qRgb(255, 255, 255) : qRgb(0, 0, 0), true};
    } else if (stock == 8) {
      s.pen = TGdiPen{5, 0, qRgb(0, 0, 0), true};
    } else if (stock >= 10 && stock <= 17 && stock != 15) {
      s.font = TGdiFont();
    }
    return;
  }
  TGdiObject* o = Object(index);
  if (!o) return;
  switch (o->kind) {
    case TGdiObject::Kind::kPen:
      s.pen = o->pen;
      break;
    case TGdiObject::Kind::kBrush:
      s.brush = o->brush;
      break;
    case TGdiObject::Kind::kFont:
      s.font = o->font;
      break;
    default:
      break;
  }
}

void TEmfReader::Record(std::uint32_t type) {
  TGdiState& s = player_.State();
  switch (type) {
    case 2:   // POLYBEZIER
    case 85:  // POLYBEZIER16
      player_.PolyBezier(Points(28, U(24), type == 85), false);
      break;
    case 3:
    case 86:
      player_.Polygon(Points(28, U(24), type == 86));
      break;
    case 4:
    case 87:
      player_.Polyline(Points(28, U(24), type == 87));
      break;
    case 5:  // POLYBEZIERTO
    case 88:
      player_.PolyBezier(Points(28, U(24), type == 88), true);
      break;
    case 6:  // POLYLINETO
    case 89:
      player_.PolylineTo(Points(28, U(24), type == 89));
      break;
    case 7:  // POLYPOLYLINE
    case 90:
      for (const QPolygonF& p : PolyPoints(type == 90)) player_.Polyline(p);
      break;
    case 8:  // POLYPOLYGON
    case 91:
      player_.PolyPolygon(PolyPoints(type == 91));
      break;
    case 9:
      player_.SetWindowExt(QSizeF(S(8), S(12)));
      break;
    case 10:
      s.window_org = Pt(8);
      break;
    case 11:
      player_.SetViewportExt(QSizeF(S(8), S(12)));
      break;
    case 12:
      s.viewport_org = Pt(8);
      break;
    case 15:  // SETPIXELV
      player_.SetPixel(Pt(8), GdiColor(U(16)));
      break;
    case 17:
      player_.SetMapMode(S(8));
      break;
    case 18:
      s.bk_mode = S(8);
      break;
    case 19:
      s.poly_fill_mode = S(8);
      break;
    case 20:
      s.rop2 = S(8);
      break;
    case 21:
      s.stretch_mode = S(8);
      break;
    case 22:
      s.text_align = S(8);
      break;
    case 24:
      s.text_color = GdiColor(U(8));
      break;
    case 25:
      s.bk_color = GdiColor(U(8));
      break;
    case 26:
      player_.OffsetClip(Pt(8));
      break;
    case 27:
      player_.MoveTo(Pt(8));
      break;
    case 29:
      player_.ExcludeClipRect(Box(8));
      break;
    case 30:
      player_.IntersectClipRect(Box(8));
      break;
    case 31:  // SCALEVIEWPORTEXTEX
    case 32:  // SCALEWINDOWEXTEX
      if (S(12) != 0 && S(20) != 0) {
        const QSizeF& ext = type == 31 ? s.viewport_ext : s.window_ext;
        const QSizeF scaled(ext.width() * S(8) / S(12), ext.height() * S(16) / S(20));
        type == 31 ? player_.SetViewportExt(scaled) : player_.SetWindowExt(scaled);
      }
      break;
    case 33:
      player_.SaveDC();
      break;
    case 34:
      player_.RestoreDC(S(8));
      break;
    case 35:
      player_.SetWorldTransform(Xform(8));
      break;
    case 36:
      player_.ModifyWorldTransform(Xform(8), S(32));
      break;
    case 37:
      Select(U(8));
      break;
    case 38: {  // CREATEPEN
      TGdiObject o;
      o.kind = TGdiObject::Kind::kPen;
      o.pen.style = U(12);
      o.pen.width = S(16);
      o.pen.cosmetic = S(16) <= 0;
      o.pen.color = GdiColor(U(24));
      Store(U(8), o);
      break;
    }
    case 95: {  // EXTCREATEPEN
      TGdiObject o;
      o.kind = TGdiObject::Kind::kPen;
      o.pen.style = U(28);
      o.pen.width = S(32);
      // A cosmetic pen of width 1 scales like a geometric one: drawn larger than its natural
      // size, a metafile's thin outlines keep their share of the drawing, as other renderers
      // show them; only width 0 means one pixel at every scale.
      o.pen.cosmetic = S(32) <= 0;
      o.pen.color = GdiColor(U(40));
      if (U(36) == 1) o.pen.style = 5;  // a hollow brush draws nothing
      Store(U(8), o);
      break;
    }
    case 39: {  // CREATEBRUSHINDIRECT
      TGdiObject o;
      o.kind = TGdiObject::Kind::kBrush;
      o.brush.style = S(12);
      o.brush.color = GdiColor(U(16));
      o.brush.hatch = S(20);
      Store(U(8), o);
      break;
    }
    case 93:    // CREATEMONOBRUSH
    case 94: {  // CREATEDIBPATTERNBRUSHPT
      TGdiObject o;
      o.kind = TGdiObject::Kind::kBrush;
      o.brush.style = 5;
      o.brush.color = qRgb(128, 128, 128);
      Dib(U(16), U(20), U(24), U(28), static_cast<int>(U(12)), false, o.brush.pattern, nullptr);
      if (type == 93 && !o.brush.pattern.isNull()) {
        // Monochrome brushes take the text colour for 0 bits and the background for 1 bits.
        QImage& p = o.brush.pattern;
        for (int y = 0; y < p.height(); ++y) {
          QRgb* line = reinterpret_cast<QRgb*>(p.scanLine(y));
          for (int x = 0; x < p.width(); ++x)
            line[x] = qGray(line[x]) < 128 ? s.text_color : s.bk_color;
        }
      }
      Store(U(8), o);
      break;
    }
    case 82: {  // EXTCREATEFONTINDIRECTW
      TGdiObject o;
      o.kind = TGdiObject::Kind::kFont;
      TGdiFont& f = o.font;
      f.height = S(12);
      f.width = S(16);
      f.escapement = S(20);
      f.weight = S(28);
      const std::uint32_t flags = U(32);
      f.italic = (flags & 0xFF) != 0;
      f.underline = ((flags >> 8) & 0xFF) != 0;
      f.strikeout = ((flags >> 16) & 0xFF) != 0;
      f.charset = static_cast<int>(flags >> 24);
      std::u16string face;
      for (std::size_t k = 0; k < 32 && Fits(40 + 2 * k, 2); ++k) {
        const char16_t c = b_.U16(r_ + 40 + 2 * k);
        if (c == 0) break;
        face += c;
      }
      f.face = QString::fromStdU16String(face);
      Store(U(8), o);
      break;
    }
    case 40:  // DELETEOBJECT
      if (U(8) < objects_.size()) objects_[U(8)] = TGdiObject();
      break;
    case 41:  // ANGLEARC
      player_.AngleArc(Pt(8), U(16), F(20), F(24));
      break;
    case 42:
      player_.Ellipse(Box(8));
      break;
    case 43:
      player_.Rectangle(Box(8));
      break;
    case 44:
      player_.RoundRect(Box(8), QSizeF(S(24), S(28)));
      break;
    case 45:
      player_.Arc(TGdiPlayer::ArcKind::kArc, Box(8), Pt(24), Pt(32));
      break;
    case 46:
      player_.Arc(TGdiPlayer::ArcKind::kChord, Box(8), Pt(24), Pt(32));
      break;
    case 47:
      player_.Arc(TGdiPlayer::ArcKind::kPie, Box(8), Pt(24), Pt(32));
      break;
    case 55:
      player_.Arc(TGdiPlayer::ArcKind::kArcTo, Box(8), Pt(24), Pt(32));
      break;
    case 48:  // SELECTPALETTE
      if (TGdiObject* o = Object(U(8)); o && o->kind == TGdiObject::Kind::kPalette)
        palette_ = o->palette;
      break;
    case 49: {  // CREATEPALETTE: ihPal, version, count, entries
      TGdiObject o;
      o.kind = TGdiObject::Kind::kPalette;
      const std::size_t count =
          std::min<std::size_t>(b_.U16(r_ + 14), n_ >= 16 ? (n_ - 16) / 4 : 0);
      for (std::size_t k = 0; k < count; ++k) o.palette.push_back(GdiColor(U(16 + 4 * k)));
      Store(U(8), o);
      break;
    }
    case 54:
      player_.LineTo(Pt(8));
      break;
    case 57:
      s.arc_clockwise = S(8) == 2;
      break;
    case 59:
      player_.BeginPath();
      break;
    case 60:
      player_.EndPath();
      break;
    case 61:
      player_.CloseFigure();
      break;
    case 62:
      player_.FillPath();
      break;
    case 63:
      player_.StrokeAndFillPath();
      break;
    case 64:
      player_.StrokePath();
      break;
    case 67:
      player_.SelectClipPath(S(8));
      break;
    case 68:
      player_.AbortPath();
      break;
    case 71:  // FILLRGN
      if (TGdiObject* br = Object(U(28)); br && br->kind == TGdiObject::Kind::kBrush)
        player_.FillRegion(Region(32, U(24)), br->brush);
      break;
    case 74:  // PAINTRGN
      player_.FillRegion(Region(28, U(24)), s.brush);
      break;
    case 75: {  // EXTSELECTCLIPRGN
      const std::uint32_t cb = U(8);
      const int mode = S(12);
      if (cb < 32) {
        if (mode == 5) player_.ResetClip();
      } else {
        player_.SelectClipDeviceRects(Region(16, cb), mode);
      }
      break;
    }
    case 83:
    case 84:
      Text(type == 84);
      break;
    case 76:
    case 77:
    case 80:
    case 81:
    case 114:
    case 116:
      Bitmap(type);
      break;
    default:
      break;
  }
}

void TEmfReader::Text(bool wide) {
  const std::size_t count = U(44);
  const std::size_t off_string = U(48);
  const int options = S(52);
  const std::size_t off_dx = U(72);
  if (!Fits(off_string, count * (wide ? 2 : 1))) return;
  const TGdiFont& font = player_.State().font;
  QString text;
  if (wide) {
    std::u16string units;
    units.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
      units += static_cast<char16_t>(b_.U16(r_ + off_string + 2 * k));
    text = MapSymbolText(QString::fromStdU16String(units), font.charset, font.face);
  } else {
    text = DecodeFontText(reinterpret_cast<const char*>(b_.At(r_ + off_string)), count,
                          font.charset, font.face);
  }
  std::vector<double> dx;
  const bool pairs = options & 0x2000;  // ETO_PDY: x and y advances
  if (off_dx != 0 && Fits(off_dx, count * (pairs ? 8 : 4))) {
    for (std::size_t k = 0; k < count; ++k) dx.push_back(S(off_dx + (pairs ? 8 : 4) * k));
  }
  if (static_cast<std::size_t>(text.size()) != count) dx.clear();
  std::optional<QRectF> rect;
  if (options & 6) rect = Box(56);
  player_.Text(Pt(36), text, dx, options, rect);
}

void TEmfReader::Bitmap(std::uint32_t type) {
  QImage image;
  bool bottom_up = false;
  switch (type) {
    case 76:    // BITBLT
    case 77: {  // STRETCHBLT
      const QRectF dest(S(24), S(28), S(32), S(36));
      const std::uint32_t rop = U(40);
      if (n_ < 100 || U(88) == 0) return player_.PatBlt(dest, rop);
      if (!Dib(U(84), U(88), U(92), U(96), static_cast<int>(U(80)), false, image, nullptr)) return;
      const double w = type == 77 ? S(100) : S(32);
      const double h = type == 77 ? S(104) : S(36);
      player_.StretchBitmap(dest, image, QRectF(S(44), S(48), w, h), rop);
      return;
    }
    case 80:    // SETDIBITSTODEVICE
    case 81: {  // STRETCHDIBITS
      const bool stretch = type == 81;
      const QRectF dest(S(24), S(28), stretch ? S(72) : S(40), stretch ? S(76) : S(44));
      const std::uint32_t rop = stretch ? U(68) : kSrcCopy;
      if (U(52) == 0) return player_.PatBlt(dest, rop);
      if (!Dib(U(48), U(52), U(56), U(60), S(64), false, image, &bottom_up)) return;
      // Source rows count from the bottom of a bottom-up bitmap.
      const double y_src = bottom_up ? image.height() - S(36) - S(44) : S(36);
      player_.StretchBitmap(dest, image, QRectF(S(32), y_src, S(40), S(44)), rop);
      return;
    }
    case 114:    // ALPHABLEND
    case 116: {  // TRANSPARENTBLT
      const QRectF dest(S(24), S(28), S(32), S(36));
      const std::uint32_t blend = U(40);
      const bool source_alpha = type == 114 && ((blend >> 24) & 1);
      if (!Dib(U(84), U(88), U(92), U(96), static_cast<int>(U(80)), source_alpha, image, nullptr))
        return;
      const QRectF source(S(44), S(48), S(100), S(104));
      if (type == 114) return player_.AlphaBlend(dest, image, source, (blend >> 16) & 0xFF);
      // Pixels of the transparent colour are left out.
      const QRgb key = GdiColor(blend) & 0xFFFFFF;
      image.convertTo(QImage::Format_ARGB32);
      for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
          if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
      }
      player_.AlphaBlend(dest, image, source, 255);
      return;
    }
    default:
      return;
  }
}

}  // namespace

bool ReadEmfSize(const std::string& bytes, int& width, int& height, std::string& error) {
  const TBytes b(bytes);
  TEmfHeader h;
  if (!ReadHeader(b, h, error)) return false;
  double w = (static_cast<double>(h.frame.right()) - h.frame.left()) * 96.0 / 2540.0;
  double hh = (static_cast<double>(h.frame.bottom()) - h.frame.top()) * 96.0 / 2540.0;
  if (!(w > 0 && hh > 0)) {
    w = static_cast<double>(h.bounds.right()) - h.bounds.left() + 1;
    hh = static_cast<double>(h.bounds.bottom()) - h.bounds.top() + 1;
  }
  return WholePixelSize(w, hh, width, height, error);
}

bool PlayEmf(const std::string& bytes, QImage& image, std::string& error) {
  const TBytes b(bytes);
  TEmfHeader h;
  if (!ReadHeader(b, h, error)) return false;
  const QRectF frame = PictureInDevice(h);
  if (!(frame.width() > 0 && frame.height() > 0)) {
    error = "metafile without a size";
    return false;
  }
  const double sx = image.width() / frame.width();
  const double sy = image.height() / frame.height();
  const QTransform base(sx, 0, 0, sy, -frame.left() * sx, -frame.top() * sy);
  TEmfReader reader(b, h, image, base);
  reader.Play(h.first_record);
  return true;
}
