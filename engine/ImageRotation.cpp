#include "engine/ImageRotation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/DecimalText.h"
#include "engine/ImageUtils.h"
#include "engine/MathInt.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void SetMessage(std::string* message, const char* text) {
  if (message) *message = text;
}

inline void CopyPixel(std::uint8_t* d, const std::uint8_t* s) {
  d[0] = s[0];
  d[1] = s[1];
  d[2] = s[2];
}

// A 4-byte copy of one pixel: the extra byte read is the next pixel or row padding of the
// source, and the extra byte written is overwritten by the next pixel of the same row. Callers
// keep it away from a row's last pixel on either side.
inline void CopyPixelWide(std::uint8_t* d, const std::uint8_t* s) {
  std::uint32_t v;
  std::memcpy(&v, s, 4);
  std::memcpy(d, &v, 4);
}

// Quarter turns walk the result in 8 x 8 tiles inside 128 x 128 blocks: the column-wise side of
// the copy then stays within a few pages and cache lines at a time.
constexpr int kBlockRows = 128, kBlockColumns = 128, kTile = 8;

// Turns dst rows [row_begin, row_end) x columns [0, columns); source(r, i) points at the
// source pixel of dst(i, r) and step is the source distance from dst(i, r) to dst(i + 1, r).
template <typename TSource>
void TurnTiles(TBitmap24& dst, int row_begin, int row_end, int columns, TSource source,
               std::ptrdiff_t step) {
  for (int r_block = row_begin; r_block < row_end; r_block += kBlockRows) {
    const int r_block_end = std::min(r_block + kBlockRows, row_end);
    for (int i_block = 0; i_block < columns; i_block += kBlockColumns) {
      const int i_block_end = std::min(i_block + kBlockColumns, columns);
      for (int r0 = r_block; r0 < r_block_end; r0 += kTile) {
        const int r1 = std::min(r0 + kTile, r_block_end);
        for (int i0 = i_block; i0 < i_block_end; i0 += kTile) {
          const int i1 = std::min(i0 + kTile, i_block_end);
          for (int r = r0; r < r1; ++r) {
            std::uint8_t* d = dst.Row(r) + 3 * static_cast<std::size_t>(i0);
            const std::uint8_t* s = source(r, i0);
            for (int i = i0; i < i1; ++i, d += 3, s += step) CopyPixelWide(d, s);
          }
        }
      }
    }
  }
}

// Byte-wise copy of the result column i, rows [row_begin, row_end).
template <typename TSource>
void TurnColumn(TBitmap24& dst, int i, int row_begin, int row_end, TSource source) {
  for (int r = row_begin; r < row_end; ++r)
    CopyPixel(dst.Row(r) + 3 * static_cast<std::size_t>(i), source(r, i));
}

// Byte-wise copy of the result row r.
template <typename TSource>
void TurnRow(TBitmap24& dst, int r, int columns, TSource source, std::ptrdiff_t step) {
  std::uint8_t* d = dst.Row(r);
  const std::uint8_t* s = source(r, 0);
  for (int i = 0; i < columns; ++i, d += 3, s += step) CopyPixel(d, s);
}

// In both quarter turns the result is h wide and w high. The result row that reads the source's
// last column, and the last result column (which ends each row), go byte by byte.
void ClockwiseInto(const TBitmap24& src, TBitmap24& dst) {
  const int w = src.Width(), h = src.Height();
  const std::ptrdiff_t up = -static_cast<std::ptrdiff_t>(src.Stride());
  // dst(i, r) = src(r, h - 1 - i)
  auto source = [&](int r, int i) { return src.Row(h - 1 - i) + 3 * static_cast<std::size_t>(r); };
  TurnTiles(dst, 0, w - 1, h - 1, source, up);
  TurnColumn(dst, h - 1, 0, w - 1, source);
  TurnRow(dst, w - 1, h, source, up);
}

void AnticlockwiseInto(const TBitmap24& src, TBitmap24& dst) {
  const int w = src.Width(), h = src.Height();
  const std::ptrdiff_t down = static_cast<std::ptrdiff_t>(src.Stride());
  // dst(i, r) = src(w - 1 - r, i)
  auto source = [&](int r, int i) { return src.Row(i) + 3 * static_cast<std::size_t>(w - 1 - r); };
  TurnTiles(dst, 1, w, h - 1, source, down);
  TurnColumn(dst, h - 1, 1, w, source);
  TurnRow(dst, 0, h, source, down);
}

void HalfTurnInto(const TBitmap24& src, TBitmap24& dst) {
  const int w = src.Width(), h = src.Height();
  for (int y = 0; y < h; ++y) {
    std::uint8_t* d = dst.Row(y);
    const std::uint8_t* s = src.Row(h - 1 - y) + 3 * static_cast<std::size_t>(w - 1);
    // The first pixel read is the source row's last; the last written ends the result row.
    CopyPixel(d, s);
    d += 3;
    s -= 3;
    for (int x = 1; x < w - 1; ++x, d += 3, s -= 3) CopyPixelWide(d, s);
    if (w > 1) CopyPixel(d, s);
  }
}

using TTurn = void (*)(const TBitmap24&, TBitmap24&);

bool TurnWith(TTurn turn, bool swaps_sides, const TBitmap24& src, TBitmap24& dst,
              std::string* message) {
  if (src.Empty()) {
    SetMessage(message, kTurnSizeMessage);
    return false;
  }
  const int w = swaps_sides ? src.Height() : src.Width();
  const int h = swaps_sides ? src.Width() : src.Height();
  if (&src == &dst) {
    TBitmap24 turned;
    if (!turned.SetSize(w, h)) return false;
    turn(src, turned);
    dst.Swap(turned);
    return true;
  }
  if (!dst.SetSize(w, h)) return false;
  turn(src, dst);
  return true;
}

void FillPixel(std::uint8_t* d, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  d[0] = b;
  d[1] = g;
  d[2] = r;
}

}  // namespace

bool TurnClockwise90(const TBitmap24& src, TBitmap24& dst, std::string* message) {
  return TurnWith(ClockwiseInto, true, src, dst, message);
}
bool TurnAnticlockwise90(const TBitmap24& src, TBitmap24& dst, std::string* message) {
  return TurnWith(AnticlockwiseInto, true, src, dst, message);
}
bool Turn180(const TBitmap24& src, TBitmap24& dst, std::string* message) {
  return TurnWith(HalfTurnInto, false, src, dst, message);
}
bool TurnClockwise90(TBitmap24& bitmap, std::string* message) {
  return TurnClockwise90(bitmap, bitmap, message);
}
bool TurnAnticlockwise90(TBitmap24& bitmap, std::string* message) {
  return TurnAnticlockwise90(bitmap, bitmap, message);
}
bool Turn180(TBitmap24& bitmap, std::string* message) { return Turn180(bitmap, bitmap, message); }

bool ParseAngleText(std::string_view text, TAngle& angle) {
  int integer = 0;
  if (ParseDecimalInt(text, integer)) {
    angle.is_integer = true;
    angle.integer = integer;
    angle.value = integer;
    return true;
  }
  double value = 0;
  if (!ParseDecimalReal(text, value)) return false;
  // Past the integer range single precision no longer tells one angle from the next: an angle
  // like 99999999999 would turn the picture by an arbitrary amount.
  if (std::fabs(value) > 2147483647.0) return false;
  angle.is_integer = false;
  angle.integer = 0;
  angle.value = value;
  return true;
}

bool RotationGeometry(double degrees, int width, int height, int mode,
                      TRotationGeometry& geometry) {
  if (width <= 0 || height <= 0) return false;
  const float theta = static_cast<float>(degrees * kPi / 180.0);
  // A huge angle has no single-precision form; the trigonometry would give NaN sizes.
  if (!std::isfinite(theta)) return false;
  const float c = static_cast<float>(std::cos(static_cast<double>(theta)));
  const float s = static_cast<float>(std::sin(static_cast<double>(theta)));
  const double wc = std::fabs(static_cast<double>(width) * c);
  const double hs = std::fabs(static_cast<double>(height) * s);
  const double ws = std::fabs(static_cast<double>(width) * s);
  const double hc = std::fabs(static_cast<double>(height) * c);
  double new_width, new_height;
  if (mode == kRotationHoles) {
    new_width = std::nearbyint(wc + hs);
    new_height = std::nearbyint(ws + hc);
  } else {
    new_width = std::nearbyint(wc) + std::nearbyint(hs);
    new_height = std::nearbyint(ws) + std::nearbyint(hc);
  }
  // Both are at most width + height, far inside long long.
  if (!TImU::SizeIsAllowed(static_cast<long long>(new_width), static_cast<long long>(new_height)))
    return false;
  int min_x = 0, min_y = 0;
  const int corners[4][2] = {{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}};
  for (int k = 0; k < 4; ++k) {
    const double x = corners[k][0], y = corners[k][1];
    const int tx = RoundHalfAway(x * c - y * s);
    const int ty = RoundHalfAway(x * s + y * c);
    if (k == 0 || tx < min_x) min_x = tx;
    if (k == 0 || ty < min_y) min_y = ty;
  }
  geometry.cos_theta = c;
  geometry.sin_theta = s;
  geometry.width = static_cast<int>(new_width);
  geometry.height = static_cast<int>(new_height);
  geometry.offset_x = min_x;
  geometry.offset_y = min_y;
  return true;
}

bool TImageRotation::Rotate(TBitmap24& bitmap, const std::string& angle_text, TColor back, int mode,
                            std::string* message) {
  return Rotate(bitmap, bitmap, angle_text, back, mode, message);
}

bool TImageRotation::Rotate(const TBitmap24& src, TBitmap24& dst, const std::string& angle_text,
                            TColor back, int mode, std::string* message) {
  double degrees = 0;
  if (mode == kRotationHoles) {
    if (src.Empty()) {
      SetMessage(message, kRotateWithHolesSizeMessage);
      return false;
    }
    if (!ParseDecimalReal(angle_text, degrees)) return false;
  } else if (mode == kRotationBlend || mode == kRotationArea) {
    if (!TImU::SizeIsAllowed(src.Width(), src.Height())) return false;
    TAngle angle;
    if (!ParseAngleText(angle_text, angle)) return false;
    if (angle.is_integer && angle.integer % 90 == 0) {
      const long long a = angle.integer;
      const long long sign = a < 1 ? -1 : 1;
      const long long k = (std::llabs(a) / 90) * sign % 4;
      if (k == 0) {
        if (&src != &dst) dst = src;
        return true;
      }
      bool ok = false;
      if (k == 2 || k == -2)
        ok = Turn180(src, scratch_, message);
      else if (k == 1 || k == -3)
        ok = TurnClockwise90(src, scratch_, message);
      else
        ok = TurnAnticlockwise90(src, scratch_, message);
      if (ok) dst.Swap(scratch_);
      return ok;
    }
    degrees = angle.value;
  } else {
    return false;
  }

  TRotationGeometry g;
  if (!RotationGeometry(degrees, src.Width(), src.Height(), mode, g)) return false;
  if (!scratch_.SetSize(g.width, g.height)) return false;
  bool ok = false;
  if (mode == kRotationBlend)
    ok = RotateBlend(src, g, back);
  else if (mode == kRotationArea)
    ok = RotateArea(src, g, back);
  else
    ok = RotateHoles(src, g, back);
  if (!ok) return false;
  dst.Swap(scratch_);
  return true;
}

// "回転1": each result pixel looks back into the source and blends four samples with integer
// weights. Positions are held in single precision; the arithmetic around them is exact in double.
bool TImageRotation::RotateBlend(const TBitmap24& src, const TRotationGeometry& g, TColor back) {
  const int w = src.Width(), h = src.Height();
  const int new_width = g.width, new_height = g.height;
  const float last_x = static_cast<float>(w - 1), last_y = static_cast<float>(h - 1);
  const double c = g.cos_theta, s = g.sin_theta;
  const std::uint8_t back_b = ColorBlue(back), back_g = ColorGreen(back), back_r = ColorRed(back);
  row_x_.resize(static_cast<std::size_t>(new_width));
  row_y_.resize(static_cast<std::size_t>(new_width));
  float* const px = row_x_.data();
  float* const py = row_y_.data();

  OwnerStart(owner_, new_height);
  for (int j = 0; j < new_height; ++j) {
    if (!OwnerRowCheckpoint(owner_, j)) return false;
    const double v = static_cast<double>(g.offset_y) + j;
    const double vs = v * s, vc = v * c;
    for (int i = 0; i < new_width; ++i) {
      const double u = static_cast<double>(g.offset_x) + i;
      px[i] = static_cast<float>(u * c + vs);
      py[i] = static_cast<float>(-(u * s) + vc);
    }
    std::uint8_t* d = scratch_.Row(j);
    for (int i = 0; i < new_width; ++i, d += 3) {
      const float fsx = px[i], fsy = py[i];
      if (!(fsx >= 0.0f && fsx <= last_x && fsy >= 0.0f && fsy <= last_y)) {
        FillPixel(d, back_b, back_g, back_r);
        continue;
      }
      const double sx = fsx, sy = fsy;
      const int ix = static_cast<int>(sx + 0.5);
      const int iy = static_cast<int>(sy + 0.5);
      const int fx = static_cast<int>((sx - ix) * 5000.0);
      const int fy = static_cast<int>((sy - iy) * 5000.0);
      const int a = fx < 0 ? -fx : fx;
      const int b = fy < 0 ? -fy : fy;
      const int m = (a + b) / 2;
      const int wc = 10000 - a - b - m;
      const int nx = fx < 0 ? (ix < 1 ? 0 : ix - 1) : (ix >= w - 1 ? ix : ix + 1);
      const int ny = fy < 0 ? (iy < 1 ? 0 : iy - 1) : (iy >= h - 1 ? iy : iy + 1);
      const std::uint8_t* centre_row = src.Row(iy);
      const std::uint8_t* other_row = src.Row(ny);
      const std::uint8_t* pc = centre_row + 3 * ix;
      const std::uint8_t* ph = centre_row + 3 * nx;
      const std::uint8_t* pv = other_row + 3 * ix;
      const std::uint8_t* pd = other_row + 3 * nx;
      for (int k = 0; k < 3; ++k)
        d[k] = static_cast<std::uint8_t>((pc[k] * wc + ph[k] * b + pd[k] * a + pv[k] * m) / 10000);
    }
  }
  return true;
}

namespace {

// Overlap of the footprint [start, start + 1 - 0.000001] with the one or two cells it touches.
struct TSpan {
  int first;
  int count;
  long double w0;
  long double w1;
};

inline TSpan Footprint(long double start) {
  const long double end = start + 1 - 0.000001L;
  const int c0 = static_cast<int>(start);  // start >= 0: truncation is floor
  const int c1 = static_cast<int>(end);
  if (c0 == c1) return {c0, 1, end - start, 0};
  return {c0, 2, 1 - (start - c0), end - c1};
}

}  // namespace

// "回転2": each result pixel averages the source over a unit square at its looked-back position,
// weighted by the area it covers; extended precision throughout.
bool TImageRotation::RotateArea(const TBitmap24& src, const TRotationGeometry& g, TColor back) {
  const int w = src.Width(), h = src.Height();
  const int new_width = g.width, new_height = g.height;
  const long double last_x = w - 1, last_y = h - 1;
  const long double c = g.cos_theta, s = g.sin_theta;
  const std::uint8_t back_b = ColorBlue(back), back_g = ColorGreen(back), back_r = ColorRed(back);

  OwnerStart(owner_, new_height);
  for (int j = 0; j < new_height; ++j) {
    if (!OwnerRowCheckpoint(owner_, j)) return false;
    const long double v = static_cast<long double>(g.offset_y) + j;
    const long double vs = v * s, vc = v * c;
    std::uint8_t* d = scratch_.Row(j);
    for (int i = 0; i < new_width; ++i, d += 3) {
      const long double u = static_cast<long double>(g.offset_x) + i;
      const long double sx = u * c + vs;
      const long double sy = -(u * s) + vc;
      if (!(sx >= 0 && sx <= last_x && sy >= 0 && sy <= last_y)) {
        FillPixel(d, back_b, back_g, back_r);
        continue;
      }
      const TSpan fx = Footprint(sx), fy = Footprint(sy);
      const long double wx[2] = {fx.w0, fx.w1};
      const long double wy[2] = {fy.w0, fy.w1};
      long double sum[3] = {0, 0, 0};
      for (int r = 0; r < fy.count; ++r) {
        const std::uint8_t* p = src.Row(fy.first + r) + 3 * fx.first;
        for (int q = 0; q < fx.count; ++q, p += 3) {
          const long double weight = wx[q] * wy[r];
          sum[0] += weight * p[0];
          sum[1] += weight * p[1];
          sum[2] += weight * p[2];
        }
      }
      for (int k = 0; k < 3; ++k) d[k] = static_cast<std::uint8_t>(std::lrint(sum[k]));
    }
  }
  return true;
}

// "穴空き回転": every source pixel is carried forward to its nearest result pixel; result pixels
// that none reaches keep the background.
bool TImageRotation::RotateHoles(const TBitmap24& src, const TRotationGeometry& g, TColor back) {
  const int w = src.Width(), h = src.Height();
  const int last_x = g.width - 1, last_y = g.height - 1;
  const double c = g.cos_theta, s = g.sin_theta;
  const double mx = g.offset_x, my = g.offset_y;
  scratch_.Fill(back);

  OwnerStart(owner_, h);
  for (int y = 0; y < h; ++y) {
    if (!OwnerRowCheckpoint(owner_, y)) return false;
    const double ys = y * s, yc = y * c;
    const std::uint8_t* p = src.Row(y);
    for (int x = 0; x < w; ++x, p += 3) {
      int dx = RoundHalfAway(x * c - ys - mx);
      int dy = RoundHalfAway(x * s + yc - my);
      dx = dx < 0 ? 0 : (dx > last_x ? last_x : dx);
      dy = dy < 0 ? 0 : (dy > last_y ? last_y : dy);
      CopyPixel(scratch_.Row(dy) + 3 * static_cast<std::size_t>(dx), p);
    }
  }
  return true;
}
