// Windows metafiles (16-bit records): header, size and the record reader.
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/Bitmap24.h"
#include "platform/GdiPlayer.h"
#include "platform/MetafilePlayers.h"

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kMaxObjects = 65535;

struct TWmfHeader {
  bool placeable = false;
  QRectF box;  // logical units: from the placeable header or the records' first window
  int units_per_inch = 0;
  std::size_t records = 0;
  std::size_t objects = 0;
};

bool ReadHeader(const TBytes& b, TWmfHeader& h, std::string& error) {
  std::size_t at = 0;
  if (b.U32(0) == kPlaceableKey) {
    if (!b.Has(0, 22)) {
      error = "truncated metafile header";
      return false;
    }
    h.placeable = true;
    h.box = QRectF(QPointF(b.S16(6), b.S16(8)), QPointF(b.S16(10), b.S16(12)));
    h.units_per_inch = b.U16(14);
    at = 22;
  }
  const std::uint16_t type = b.U16(at);
  if (!b.Has(at, 18) || (type != 1 && type != 2) || b.U16(at + 2) != 9) {
    error = "not a Windows metafile";
    return false;
  }
  h.objects = b.U16(at + 10);
  h.records = at + 18;
  if (!h.placeable) {
    // Without a placeable header the picture is the window the records set up first.
    std::optional<QPointF> org;
    std::optional<QSizeF> ext;
    for (std::size_t off = h.records; b.Has(off, 6) && !ext;) {
      const std::uint32_t words = b.U32(off);
      const std::uint16_t func = b.U16(off + 4);
      if (words < 3 || words > (b.Size() - off) / 2 || func == 0) break;
      if (func == 0x020B && words >= 5 && !org) org = QPointF(b.S16(off + 8), b.S16(off + 6));
      if (func == 0x020C && words >= 5) ext = QSizeF(b.S16(off + 8), b.S16(off + 6));
      off += std::size_t{words} * 2;
    }
    if (!ext || ext->width() == 0 || ext->height() == 0) {
      error = "metafile without a size";
      return false;
    }
    h.box = QRectF(org.value_or(QPointF(0, 0)), *ext);
  }
  return true;
}

class TWmfReader {
 public:
  TWmfReader(const TBytes& b, const TWmfHeader& header, QImage& image)
      : b_(b),
        player_(image, QTransform(), QSizeF(25.4 / 96, 25.4 / 96)),
        objects_(std::clamp<std::size_t>(header.objects, 1, kMaxObjects)) {
    // The picture's box is stretched over the image; the records may set the window anew.
    TGdiState& s = player_.State();
    s.map_mode = 8;
    s.window_org = header.box.topLeft();
    s.window_ext = header.box.size();
    s.viewport_org = QPointF(0, 0);
    s.viewport_ext = QSizeF(image.width(), image.height());
  }

  void Play(std::size_t off) {
    while (b_.Has(off, 6)) {
      const std::uint32_t words = b_.U32(off);
      const std::uint16_t func = b_.U16(off + 4);
      if (words < 3 || words > (b_.Size() - off) / 2 || func == 0) break;
      p_ = off + 6;
      n_ = std::size_t{words} * 2 - 6;
      Record(func);
      off += std::size_t{words} * 2;
    }
  }

 private:
  // Parameter word i of the current record (0 past its end).
  int P(std::size_t i) const { return 2 * i + 2 <= n_ ? b_.S16(p_ + 2 * i) : 0; }
  unsigned U(std::size_t i) const { return 2 * i + 2 <= n_ ? b_.U16(p_ + 2 * i) : 0; }
  std::uint32_t U32(std::size_t i) const { return U(i) | (U(i + 1) << 16); }
  std::size_t Words() const { return n_ / 2; }
  QPointF Pt(std::size_t i) const { return QPointF(P(i + 1), P(i)); }  // y first, then x
  // Rectangle stored bottom, right, top, left from word i.
  QRectF Box(std::size_t i) const {
    return QRectF(QPointF(P(i + 3), P(i + 2)), QPointF(P(i + 1), P(i)));
  }

  int NewSlot() {
    for (std::size_t i = 0; i < objects_.size(); ++i)
      if (objects_[i].kind == TGdiObject::Kind::kNone) return static_cast<int>(i);
    if (objects_.size() >= kMaxObjects) return -1;
    objects_.emplace_back();
    return static_cast<int>(objects_.size() - 1);
  }

  void Create(TGdiObject object) {
    const int slot = NewSlot();
    if (slot >= 0) objects_[static_cast<std::size_t>(slot)] = std::move(object);
  }

  TGdiObject* Object(unsigned index) {
    if (index >= objects_.size() || objects_[index].kind == TGdiObject::Kind::kNone) return nullptr;
    return &objects_[index];
  }

  void Select(unsigned index) {
    TGdiObject* o = Object(index);
    if (!o) return;
    TGdiState& s = player_.State();
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
      case TGdiObject::Kind::kRegion:
        player_.SelectClipLogicalRects(o->region, 5);
        break;
      default:
        break;
    }
  }

  // A DIB that fills the record from word i.
  bool Dib(std::size_t i, int usage, QImage& image, bool* bottom_up) const {
    if (2 * i >= n_) return false;
    const std::uint8_t* info = b_.At(p_ + 2 * i);
    const std::size_t size = n_ - 2 * i;
    const std::size_t info_size = DibInfoSize(info, size, usage);
    if (info_size == 0) return false;
    return DecodeDib(info, info_size, info + info_size, size - info_size, usage, player_palette_,
                     false, image, bottom_up);
  }

  QString Text(std::size_t byte_offset, std::size_t length) {
    if (byte_offset > n_ || length > n_ - byte_offset)
      length = byte_offset > n_ ? 0 : n_ - byte_offset;
    const TGdiFont& font = player_.State().font;
    return DecodeFontText(reinterpret_cast<const char*>(b_.At(p_ + byte_offset)), length,
                          font.charset, font.face);
  }

  QPolygonF Points(std::size_t first, std::size_t count) const {
    QPolygonF poly;
    count = std::min(count, (Words() - std::min(first, Words())) / 2);
    poly.reserve(static_cast<qsizetype>(count));
    for (std::size_t k = 0; k < count; ++k) poly << QPointF(P(first + 2 * k), P(first + 2 * k + 1));
    return poly;
  }

  void Record(std::uint16_t func);
  void Bitmap(std::uint16_t func);
  void CreateFont();
  void CreateRegion();

  const TBytes& b_;
  TGdiPlayer player_;
  std::vector<TGdiObject> objects_;
  std::vector<QRgb> player_palette_;
  std::size_t p_ = 0;
  std::size_t n_ = 0;
};

void TWmfReader::Record(std::uint16_t func) {
  TGdiState& s = player_.State();
  switch (func) {
    case 0x0201:  // SETBKCOLOR
      s.bk_color = GdiColor(U32(0));
      break;
    case 0x0209:  // SETTEXTCOLOR
      s.text_color = GdiColor(U32(0));
      break;
    case 0x0102:  // SETBKMODE
      s.bk_mode = P(0);
      break;
    case 0x0104:  // SETROP2
      s.rop2 = P(0);
      break;
    case 0x0106:  // SETPOLYFILLMODE
      s.poly_fill_mode = P(0);
      break;
    case 0x0107:  // SETSTRETCHBLTMODE
      s.stretch_mode = P(0);
      break;
    case 0x012E:  // SETTEXTALIGN
      s.text_align = P(0);
      break;
    case 0x020B:  // SETWINDOWORG
      s.window_org = Pt(0);
      break;
    case 0x020C:  // SETWINDOWEXT
      if (P(0) != 0 && P(1) != 0) s.window_ext = QSizeF(P(1), P(0));
      break;
    case 0x020F:  // OFFSETWINDOWORG
      s.window_org += Pt(0);
      break;
    case 0x0410:  // SCALEWINDOWEXT
      if (P(0) != 0 && P(2) != 0 && P(1) != 0 && P(3) != 0)
        s.window_ext =
            QSizeF(s.window_ext.width() * P(3) / P(2), s.window_ext.height() * P(1) / P(0));
      break;
    case 0x0213:  // LINETO
      player_.LineTo(Pt(0));
      break;
    case 0x0214:  // MOVETO
      player_.MoveTo(Pt(0));
      break;
    case 0x0415:  // EXCLUDECLIPRECT
      player_.ExcludeClipRect(Box(0));
      break;
    case 0x0416:  // INTERSECTCLIPRECT
      player_.IntersectClipRect(Box(0));
      break;
    case 0x0220:  // OFFSETCLIPRGN
      player_.OffsetClip(Pt(0));
      break;
    case 0x0817:  // ARC
      player_.Arc(TGdiPlayer::ArcKind::kArc, Box(4), Pt(2), Pt(0));
      break;
    case 0x081A:  // PIE
      player_.Arc(TGdiPlayer::ArcKind::kPie, Box(4), Pt(2), Pt(0));
      break;
    case 0x0830:  // CHORD
      player_.Arc(TGdiPlayer::ArcKind::kChord, Box(4), Pt(2), Pt(0));
      break;
    case 0x0418:  // ELLIPSE
      player_.Ellipse(Box(0));
      break;
    case 0x041B:  // RECTANGLE
      player_.Rectangle(Box(0));
      break;
    case 0x061C:  // ROUNDRECT
      player_.RoundRect(Box(2), QSizeF(P(1), P(0)));
      break;
    case 0x061D:  // PATBLT
      player_.PatBlt(QRectF(P(5), P(4), P(3), P(2)), U32(0));
      break;
    case 0x001E:  // SAVEDC
      player_.SaveDC();
      break;
    case 0x0127:  // RESTOREDC
      player_.RestoreDC(P(0));
      break;
    case 0x041F:  // SETPIXEL
      player_.SetPixel(Pt(2), GdiColor(U32(0)));
      break;
    case 0x0521: {  // TEXTOUT
      const std::size_t length = static_cast<std::size_t>(std::max(P(0), 0));
      const std::size_t padded = (length + 1) / 2;
      if (Words() < 1 + padded + 2) break;
      player_.Text(Pt(1 + padded), Text(2, length), {}, 0, std::nullopt);
      break;
    }
    case 0x0A32: {  // EXTTEXTOUT
      const std::size_t length = static_cast<std::size_t>(std::max(P(2), 0));
      const int options = P(3);
      std::size_t at = 4;
      std::optional<QRectF> rect;
      if (options & 6) {
        rect = QRectF(QPointF(P(4), P(5)), QPointF(P(6), P(7)));
        at = 8;
      }
      const std::size_t padded = (length + 1) / 2;
      if (Words() < at + padded) break;
      std::vector<double> dx;
      if (Words() >= at + padded + length)
        for (std::size_t k = 0; k < length; ++k) dx.push_back(P(at + padded + k));
      const QString text = Text(2 * at, length);
      // Advances count bytes; they only apply when every byte made one character.
      if (static_cast<std::size_t>(text.size()) != length) dx.clear();
      player_.Text(Pt(0), text, dx, options, rect);
      break;
    }
    case 0x0324:  // POLYGON
      player_.Polygon(Points(1, static_cast<std::size_t>(std::max(P(0), 0))));
      break;
    case 0x0325:  // POLYLINE
      player_.Polyline(Points(1, static_cast<std::size_t>(std::max(P(0), 0))));
      break;
    case 0x0538: {  // POLYPOLYGON
      const std::size_t count = U(0);
      if (Words() < 1 + count) break;
      std::vector<QPolygonF> polygons;
      std::size_t at = 1 + count;
      for (std::size_t k = 0; k < count && at < Words(); ++k) {
        const std::size_t points = U(1 + k);
        polygons.push_back(Points(at, points));
        at += 2 * points;
      }
      player_.PolyPolygon(polygons);
      break;
    }
    case 0x012D:  // SELECTOBJECT
      Select(U(0));
      break;
    case 0x0234:  // SELECTPALETTE
      if (TGdiObject* o = Object(U(0)); o && o->kind == TGdiObject::Kind::kPalette)
        player_palette_ = o->palette;
      break;
    case 0x01F0:  // DELETEOBJECT
      if (U(0) < objects_.size()) objects_[U(0)] = TGdiObject();
      break;
    case 0x012C:  // SELECTCLIPREGION
      if (TGdiObject* o = Object(U(0)); o && o->kind == TGdiObject::Kind::kRegion)
        player_.SelectClipLogicalRects(o->region, 5);
      else
        player_.ResetClip();
      break;
    case 0x0228:  // FILLREGION
      if (TGdiObject* r = Object(U(0)); r && r->kind == TGdiObject::Kind::kRegion)
        if (TGdiObject* br = Object(U(1)); br && br->kind == TGdiObject::Kind::kBrush)
          player_.FillRegion(r->region, br->brush);
      break;
    case 0x012B:  // PAINTREGION
      if (TGdiObject* r = Object(U(0)); r && r->kind == TGdiObject::Kind::kRegion)
        player_.FillRegion(r->region, s.brush);
      break;
    case 0x02FA: {  // CREATEPENINDIRECT
      TGdiObject o;
      o.kind = TGdiObject::Kind::kPen;
      o.pen.style = U(0);
      o.pen.width = P(1);
      o.pen.cosmetic = P(1) <= 0;
      o.pen.color = GdiColor(U(3) | (U(4) << 16));
      Create(o);
      break;
    }
    case 0x02FC: {  // CREATEBRUSHINDIRECT
      TGdiObject o;
      o.kind = TGdiObject::Kind::kBrush;
      o.brush.style = P(0);
      o.brush.color = GdiColor(U32(1));
      o.brush.hatch = P(3);
      Create(o);
      break;
    }
    case 0x0142: {  // DIBCREATEPATTERNBRUSH
      TGdiObject o;
      o.kind = TGdiObject::Kind::kBrush;
      o.brush.style = 5;
      o.brush.color = qRgb(128, 128, 128);
      if (P(0) != 3) Dib(2, P(1), o.brush.pattern, nullptr);
      Create(o);
      break;
    }
    case 0x01F9: {  // CREATEPATTERNBRUSH (device dependent bitmap: shown as grey)
      TGdiObject o;
      o.kind = TGdiObject::Kind::kBrush;
      o.brush.color = qRgb(128, 128, 128);
      Create(o);
      break;
    }
    case 0x02FB:
      CreateFont();
      break;
    case 0x00F7: {  // CREATEPALETTE
      TGdiObject o;
      o.kind = TGdiObject::Kind::kPalette;
      const std::size_t count =
          std::min<std::size_t>(U(1), (Words() - std::min<std::size_t>(Words(), 2)) / 2);
      for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = p_ + 4 + 4 * k;
        o.palette.push_back(qRgb(b_.U8(at), b_.U8(at + 1), b_.U8(at + 2)));
      }
      Create(o);
      break;
    }
    case 0x06FF:
      CreateRegion();
      break;
    case 0x0940:  // DIBBITBLT
    case 0x0B41:  // DIBSTRETCHBLT
    case 0x0F43:  // STRETCHDIB
    case 0x0D33:  // SETDIBTODEV
      Bitmap(func);
      break;
    default:
      break;
  }
}

void TWmfReader::Bitmap(std::uint16_t func) {
  // The blit records without a bitmap are one word longer than their function's size field.
  const bool no_bitmap = (func == 0x0940 || func == 0x0B41) && Words() == (func >> 8);
  QImage image;
  bool bottom_up = false;
  switch (func) {
    case 0x0940:  // rop, ySrc, xSrc, height, width, yDst, xDst, DIB
      if (no_bitmap) return player_.PatBlt(QRectF(P(8), P(7), P(6), P(5)), U32(0));
      if (!Dib(8, 0, image, &bottom_up)) return;
      player_.StretchBitmap(QRectF(P(7), P(6), P(5), P(4)), image, QRectF(P(3), P(2), P(5), P(4)),
                            U32(0));
      return;
    case 0x0B41:  // rop, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst, DIB
      if (no_bitmap) return player_.PatBlt(QRectF(P(10), P(9), P(8), P(7)), U32(0));
      if (!Dib(10, 0, image, &bottom_up)) return;
      player_.StretchBitmap(QRectF(P(9), P(8), P(7), P(6)), image, QRectF(P(5), P(4), P(3), P(2)),
                            U32(0));
      return;
    case 0x0F43: {  // rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst, DIB
      if (!Dib(11, P(2), image, &bottom_up)) return;
      // Source rows count from the bottom of a bottom-up bitmap.
      const double y_src = bottom_up ? image.height() - P(5) - P(3) : P(5);
      player_.StretchBitmap(QRectF(P(10), P(9), P(8), P(7)), image, QRectF(P(6), y_src, P(4), P(3)),
                            U32(0));
      return;
    }
    case 0x0D33: {  // usage, scans, start, yDib, xDib, height, width, yDst, xDst, DIB
      if (!Dib(9, P(0), image, &bottom_up)) return;
      const double y_src = bottom_up ? image.height() - P(3) - P(5) : P(3);
      player_.StretchBitmap(QRectF(P(8), P(7), P(6), P(5)), image, QRectF(P(4), y_src, P(6), P(5)),
                            0x00CC0020);
      return;
    }
    default:
      return;
  }
}

void TWmfReader::CreateFont() {
  TGdiObject o;
  o.kind = TGdiObject::Kind::kFont;
  TGdiFont& f = o.font;
  f.height = P(0);
  f.width = P(1);
  f.escapement = P(2);
  f.weight = P(4);
  f.italic = (U(5) & 0xFF) != 0;
  f.underline = (U(5) >> 8) != 0;
  f.strikeout = (U(6) & 0xFF) != 0;
  f.charset = static_cast<int>(U(6) >> 8);
  if (n_ > 18) {
    const char* face = reinterpret_cast<const char*>(b_.At(p_ + 18));
    const std::size_t room = std::min<std::size_t>(n_ - 18, 32);
    const std::size_t length = std::find(face, face + room, '\0') - face;
    f.face = DecodeAnsiText(face, length, f.charset);
  }
  Create(o);
}

void TWmfReader::CreateRegion() {
  // nextInChain, objectType, objectCount(2), regionSize, scanCount, maxScan, bounds(4), scans
  TGdiObject o;
  o.kind = TGdiObject::Kind::kRegion;
  const std::size_t scans = U(5);
  std::size_t at = 11;
  for (std::size_t k = 0; k < scans && at + 3 <= Words(); ++k) {
    const std::size_t count = U(at);
    const int top = P(at + 1);
    const int bottom = P(at + 2);
    const std::size_t pairs = count / 2;
    if (at + 3 + 2 * pairs + 1 > Words()) break;
    for (std::size_t j = 0; j < pairs; ++j)
      o.region.push_back(
          QRectF(QPointF(P(at + 3 + 2 * j), top), QPointF(P(at + 4 + 2 * j), bottom)));
    at += 3 + 2 * pairs + 1;
  }
  if (o.region.empty() && Words() >= 11)
    o.region.push_back(QRectF(QPointF(P(7), P(8)), QPointF(P(9), P(10))));
  Create(o);
}

}  // namespace

bool ReadWmfSize(const std::string& bytes, int& width, int& height, std::string& error) {
  const TBytes b(bytes);
  TWmfHeader h;
  if (!ReadHeader(b, h, error)) return false;
  double w = std::fabs(h.box.width());
  double hh = std::fabs(h.box.height());
  if (h.placeable) {
    if (h.units_per_inch == 0) {
      error = "metafile without units per inch";
      return false;
    }
    w = w * 96.0 / h.units_per_inch;
    hh = hh * 96.0 / h.units_per_inch;
  }
  return WholePixelSize(w, hh, width, height, error);
}

bool PlayWmf(const std::string& bytes, QImage& image, std::string& error) {
  const TBytes b(bytes);
  TWmfHeader h;
  if (!ReadHeader(b, h, error)) return false;
  if (h.box.width() == 0 || h.box.height() == 0) {
    error = "metafile without a size";
    return false;
  }
  TWmfReader reader(b, h, image);
  reader.Play(h.records);
  return true;
}
