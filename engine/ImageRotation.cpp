#include "engine/ImageRotation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/DecimalText.h"
#include "engine/ImageUtils.h"
#include "engine/MathInt.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// In both quarter turns the result is h wide and w high, and its pixel dst(i, r) is the source
// pixel at origin + r * r_step + i * i_step: r_step is 3 or -3 (along a source row), i_step the
// source stride, up or down.
struct TTurnMap {
  const std::uint8_t* origin;
  std::ptrdiff_t r_step;
  std::ptrdiff_t i_step;
  const std::uint8_t* At(int r, int i) const { return origin + r * r_step + i * i_step; }
};

constexpr int kTile = 8;

// The turns copy whole 8 x 8 blocks of pixels: source line k (the 24 bytes at s + k * ss) gives
// pixel k of every destination row, and destination row m (the 24 bytes at d + m * ds) gets
// pixel m of every line. Blocks never read or write a byte outside those 8 + 8 runs.
using TBlockCopy = void (*)(const std::uint8_t* s, std::ptrdiff_t ss, std::uint8_t* d,
                            std::ptrdiff_t ds);

void Block8Plain(const std::uint8_t* s, std::ptrdiff_t ss, std::uint8_t* d, std::ptrdiff_t ds) {
  // Wide copies where the spare byte stays inside both runs: not from a line's last pixel, not
  // to a row's last pixel.
  for (int m = 0; m < 7; ++m, d += ds) {
    const std::uint8_t* p = s + 3 * m;
    for (int k = 0; k < 7; ++k) CopyPixelWide(d + 3 * k, p + k * ss);
    CopyPixel(d + 21, p + 7 * ss);
  }
  for (int k = 0; k < 8; ++k) CopyPixel(d + 3 * k, s + 21 + k * ss);
}

// Tiles of 8-pixel blocks: a tile's source lines and destination rows stay in the first-level
// cache, and while one tile is copied the lines of the next are fetched ahead, spread over its
// blocks. Without that the copy waits for memory at nearly every block: neither side of a quarter
// turn runs along memory far enough for the processor to fetch ahead by itself.
constexpr int kTileRows = 64, kTileColumns = 32;

// Asks for the cache lines of [first, last] ahead of use; kWrite for lines about to be written.
template <int kWrite>
inline void PrefetchLines(const std::uint8_t* first, const std::uint8_t* last) {
  const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(last);
  for (std::uintptr_t a = reinterpret_cast<std::uintptr_t>(first) & ~std::uintptr_t{63}; a <= end;
       a += 64)
    __builtin_prefetch(reinterpret_cast<const void*>(a), kWrite, 3);
}

// Copies the result rows [first_row, rows) x columns [0, columns), all multiples of 8, block by
// block.
template <TBlockCopy kBlock>
inline __attribute__((always_inline)) void TurnBlocks(const TTurnMap& map, TBitmap24& dst,
                                                      int first_row, int rows, int columns) {
  // A block's 8 source pixels run forward in memory; with r_step < 0 they are those of its last
  // result row first.
  const bool forward = map.r_step > 0;
  const std::ptrdiff_t ds = forward ? static_cast<std::ptrdiff_t>(dst.Stride())
                                    : -static_cast<std::ptrdiff_t>(dst.Stride());
  const std::ptrdiff_t block_step = kTile * map.i_step;
  for (int rb = first_row; rb < rows; rb += kTileRows) {
    const int r_end = std::min(rb + kTileRows, rows);
    for (int ib = 0; ib < columns; ib += kTileColumns) {
      const int i_end = std::min(ib + kTileColumns, columns);
      // The next tile: its source lines (one per result column), then its result rows.
      int next_r = rb, next_i = ib + kTileColumns;
      if (next_i >= columns) {
        next_r += kTileRows;
        next_i = 0;
      }
      const int next_rows = next_r < rows ? std::min(kTileRows, rows - next_r) : 0;
      const int next_columns = std::min(kTileColumns, columns - next_i);
      const int spans = next_rows > 0 ? next_columns + next_rows : 0;
      const int blocks = ((r_end - rb) / kTile) * ((i_end - ib) / kTile);
      int block = 0, span = 0;
      for (int r0 = rb; r0 < r_end; r0 += kTile) {
        const int first = forward ? r0 : r0 + kTile - 1;
        const std::uint8_t* s = map.At(first, ib);
        std::uint8_t* d = dst.Row(first) + 3 * static_cast<std::size_t>(ib);
        for (int i0 = ib; i0 < i_end; i0 += kTile, s += block_step, d += 3 * kTile) {
          for (const int target = ++block * spans / blocks; span < target; ++span) {
            if (span < next_columns) {
              const std::uint8_t* a = map.At(next_r, next_i + span);
              const std::uint8_t* b = map.At(next_r + next_rows - 1, next_i + span);
              PrefetchLines<0>(std::min(a, b), std::max(a, b) + 2);
            } else {
              const std::uint8_t* row = dst.Row(next_r + span - next_columns) + 3 * next_i;
              PrefetchLines<1>(row, row + 3 * next_columns - 1);
            }
          }
          kBlock(s, map.i_step, d, ds);
        }
      }
    }
  }
}

#if defined(__x86_64__)
bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// Transposes the 4 x 4 words of each lane of x into y.
__attribute__((target("avx2"))) inline void TransposeLanes4x4(const __m256i x[4], __m256i y[4]) {
  const __m256i t0 = _mm256_unpacklo_epi32(x[0], x[1]), t1 = _mm256_unpackhi_epi32(x[0], x[1]);
  const __m256i t2 = _mm256_unpacklo_epi32(x[2], x[3]), t3 = _mm256_unpackhi_epi32(x[2], x[3]);
  y[0] = _mm256_unpacklo_epi64(t0, t2);
  y[1] = _mm256_unpackhi_epi64(t0, t2);
  y[2] = _mm256_unpacklo_epi64(t1, t3);
  y[3] = _mm256_unpackhi_epi64(t1, t3);
}

// The block as two 4 x 4 transposes of pixels widened to 32 bits. Each register holds four pixels
// of line k in its low lane and of line k + 4 in its high lane, so the transposes never cross
// lanes; the result row m then holds pixels of lines 0-3 low and 4-7 high, in order.
__attribute__((target("avx2"))) inline void TransposeWidened(const std::uint8_t* s,
                                                             std::ptrdiff_t ss, __m256i out[8]) {
  const __m256i widen_low = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,
                                             0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  // The high four pixels sit at bytes 4-15 of a load from byte 8 (no read past the line).
  const __m256i widen_high =
      _mm256_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1, 4, 5, 6, -1, 7, 8,
                       9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  __m256i low[4], high[4];
  for (int k = 0; k < 4; ++k) {
    const std::uint8_t* p = s + k * ss;
    const std::uint8_t* q = p + 4 * ss;
    const __m256i a = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)), 1);
    const __m256i b = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 8)), 1);
    low[k] = _mm256_shuffle_epi8(a, widen_low);
    high[k] = _mm256_shuffle_epi8(b, widen_high);
  }
  TransposeLanes4x4(low, out);
  TransposeLanes4x4(high, out + 4);
}

__attribute__((target("avx2"))) void Block8Avx2(const std::uint8_t* s, std::ptrdiff_t ss,
                                                std::uint8_t* d, std::ptrdiff_t ds) {
  __m256i rows[8];
  TransposeWidened(s, ss, rows);
  const __m256i narrow = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  for (int m = 0; m < 8; ++m, d += ds) {
    const __m256i v = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(rows[m], narrow), join);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(v));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_extracti128_si256(v, 1));
  }
}

__attribute__((target("avx2"))) void TurnBlocksAvx2(const TTurnMap& map, TBitmap24& dst,
                                                    int first_row, int rows, int columns) {
  TurnBlocks<Block8Avx2>(map, dst, first_row, rows, columns);
}
#endif

void TurnBlocksPlain(const TTurnMap& map, TBitmap24& dst, int first_row, int rows, int columns) {
  TurnBlocks<Block8Plain>(map, dst, first_row, rows, columns);
}

// The widest unit asked for that the processor has.
TTurnVectorUnit UsableUnit(TTurnVectorUnit unit) {
#if defined(__x86_64__)
  if (unit >= TTurnVectorUnit::kAvx2 && CpuHasAvx2()) return TTurnVectorUnit::kAvx2;
#else
  (void)unit;
#endif
  return TTurnVectorUnit::kPlain;
}

// Result rows [begin, end): whole blocks with the unit, then the last (up to 7) result columns
// and rows pixel by pixel. Band edges fall on block edges except at the end of the picture.
void QuarterTurnInto(const TTurnMap& map, TBitmap24& dst, TTurnVectorUnit unit, int begin,
                     int end) {
  const int width = dst.Width();
  const int columns = width & ~(kTile - 1);
  const int block_end = end & ~(kTile - 1);
  if (begin < block_end) {
    switch (UsableUnit(unit)) {
#if defined(__x86_64__)
      case TTurnVectorUnit::kAvx2:
        TurnBlocksAvx2(map, dst, begin, block_end, columns);
        break;
#endif
      default:
        TurnBlocksPlain(map, dst, begin, block_end, columns);
    }
  }
  for (int r = begin; r < end; ++r) {
    std::uint8_t* d = dst.Row(r);
    for (int i = r < block_end ? columns : 0; i < width; ++i) CopyPixel(d + 3 * i, map.At(r, i));
  }
}

// Bands of whole 8-row blocks; the last band takes the rows past the last whole block.
void TurnInBands(const TTurnMap& map, TBitmap24& dst, TTurnVectorUnit unit,
                 TBandExecutor* executor) {
  const int height = dst.Height();
  TRowBands run(executor, nullptr, TEngineOperation::kRotation, (height + kTile - 1) / kTile);
  run.Run([&](int, int begin, int end) {
    QuarterTurnInto(map, dst, unit, begin * kTile, std::min(end * kTile, height));
    return true;
  });
}

void ClockwiseInto(const TBitmap24& src, TBitmap24& dst, TTurnVectorUnit unit,
                   TBandExecutor* executor) {
  // dst(i, r) = src(r, h - 1 - i)
  const TTurnMap map{src.Row(src.Height() - 1), 3, -static_cast<std::ptrdiff_t>(src.Stride())};
  TurnInBands(map, dst, unit, executor);
}

void AnticlockwiseInto(const TBitmap24& src, TBitmap24& dst, TTurnVectorUnit unit,
                       TBandExecutor* executor) {
  // dst(i, r) = src(w - 1 - r, i)
  const TTurnMap map{src.Row(0) + 3 * static_cast<std::size_t>(src.Width() - 1), -3,
                     static_cast<std::ptrdiff_t>(src.Stride())};
  TurnInBands(map, dst, unit, executor);
}

// A result row of the half turn is a source row backwards. The row reversals fill the result row
// from its front and return how many pixels they wrote; the caller writes the rest.
#if defined(__x86_64__)
__attribute__((target("avx2"))) int ReverseRowAvx2(std::uint8_t* d, const std::uint8_t* s, int w) {
  // Loaded with the high 12 bytes first, each lane reverses its own four pixels.
  const __m256i reverse = _mm256_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, -1, -1, -1, -1,
                                           9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2, -1, -1, -1, -1);
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  const int n = w & ~7;
  const std::uint8_t* p = s + 3 * static_cast<std::size_t>(w);
  for (int x = 0; x < n; x += 8, d += 24) {
    p -= 24;
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), 1);
    const __m256i r = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v, reverse), join);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(r));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_extracti128_si256(r, 1));
  }
  return n;
}
#endif

int ReverseRowPlain(std::uint8_t* d, const std::uint8_t* s, int w) {
  // The first pixel read is the source row's last, and the last written would end the result
  // row: both go byte-wise (the caller's tail loop writes the last).
  if (w < 2) return 0;
  const std::uint8_t* p = s + 3 * static_cast<std::size_t>(w - 1);
  CopyPixel(d, p);
  for (int x = 1; x < w - 1; ++x) CopyPixelWide(d + 3 * x, p - 3 * x);
  return w - 1;
}

void HalfTurnInto(const TBitmap24& src, TBitmap24& dst, TTurnVectorUnit unit,
                  TBandExecutor* executor) {
  const int w = src.Width(), h = src.Height();
  unit = UsableUnit(unit);
  TRowBands run(executor, nullptr, TEngineOperation::kRotation, h);
  run.Run([&](int, int begin, int end) {
    for (int y = begin; y < end; ++y) {
      std::uint8_t* d = dst.Row(y);
      const std::uint8_t* s = src.Row(h - 1 - y);
      int x = 0;
      switch (unit) {
#if defined(__x86_64__)
        case TTurnVectorUnit::kAvx2:
          x = ReverseRowAvx2(d, s, w);
          break;
#endif
        default:
          x = ReverseRowPlain(d, s, w);
      }
      for (; x < w; ++x) CopyPixel(d + 3 * x, s + 3 * (w - 1 - x));
    }
    return true;
  });
}

using TTurn = void (*)(const TBitmap24&, TBitmap24&, TTurnVectorUnit, TBandExecutor*);

bool TurnWith(TTurn turn, bool swaps_sides, const TBitmap24& src, TBitmap24& dst,
              std::string* message, TTurnVectorUnit unit, TBandExecutor* executor) {
  if (src.Empty()) {
    SetMessage(message, kTurnSizeMessage);
    return false;
  }
  const int w = swaps_sides ? src.Height() : src.Width();
  const int h = swaps_sides ? src.Width() : src.Height();
  if (&src == &dst) {
    TBitmap24 turned;
    if (!turned.SetSize(w, h)) return false;
    turn(src, turned, unit, executor);
    dst.Swap(turned);
    return true;
  }
  if (!dst.SetSize(w, h)) return false;
  turn(src, dst, unit, executor);
  return true;
}

void FillPixel(std::uint8_t* d, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  d[0] = b;
  d[1] = g;
  d[2] = r;
}

}  // namespace

bool TurnClockwise90(const TBitmap24& src, TBitmap24& dst, std::string* message,
                     TTurnVectorUnit unit, TBandExecutor* executor) {
  return TurnWith(ClockwiseInto, true, src, dst, message, unit, executor);
}
bool TurnAnticlockwise90(const TBitmap24& src, TBitmap24& dst, std::string* message,
                         TTurnVectorUnit unit, TBandExecutor* executor) {
  return TurnWith(AnticlockwiseInto, true, src, dst, message, unit, executor);
}
bool Turn180(const TBitmap24& src, TBitmap24& dst, std::string* message, TTurnVectorUnit unit,
             TBandExecutor* executor) {
  return TurnWith(HalfTurnInto, false, src, dst, message, unit, executor);
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
    // Past the integer range the angle is refused here as in the other modes.
    TAngle angle;
    if (!ParseAngleText(angle_text, angle)) return false;
    degrees = angle.value;
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
        ok = Turn180(src, scratch_, message, TTurnVectorUnit::kAvx2, Executor());
      else if (k == 1 || k == -3)
        ok = TurnClockwise90(src, scratch_, message, TTurnVectorUnit::kAvx2, Executor());
      else
        ok = TurnAnticlockwise90(src, scratch_, message, TTurnVectorUnit::kAvx2, Executor());
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

namespace {

// One pixel of "回転1" at the source position (fsx, fsy), or the background outside the picture.
inline void BlendPixel(const TBitmap24& src, float fsx, float fsy, float last_x, float last_y,
                       const std::uint8_t back[3], std::uint8_t* d) {
  const int w = src.Width(), h = src.Height();
  if (!(fsx >= 0.0f && fsx <= last_x && fsy >= 0.0f && fsy <= last_y)) {
    FillPixel(d, back[0], back[1], back[2]);
    return;
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

#if defined(__x86_64__)
// Of eight positions: the nearest whole numbers (halves up), and the offsets from them times 5000,
// truncated.
__attribute__((target("avx2"))) inline void SplitPositions(__m256 f, __m256i& whole,
                                                           __m256i& part) {
  const __m256 fl = _mm256_floor_ps(f);
  const __m256 up = _mm256_cmp_ps(_mm256_sub_ps(f, fl), _mm256_set1_ps(0.5f), _CMP_GE_OQ);
  const __m256 r = _mm256_add_ps(fl, _mm256_and_ps(up, _mm256_set1_ps(1.0f)));
  whole = _mm256_cvttps_epi32(r);
  const __m256 t = _mm256_sub_ps(f, r);
  const __m256d five_thousand = _mm256_set1_pd(5000.0);
  const __m128i lo =
      _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(t)), five_thousand));
  const __m128i hi = _mm256_cvttpd_epi32(
      _mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(t, 1)), five_thousand));
  part = _mm256_set_m128i(hi, lo);
}

// The same for eight pixels at a time where all eight lie inside the picture and their samples
// can be read four bytes at a time; other pixels one by one. Every step computes what the one
// pixel version computes: round(fsx) as floor plus a comparison, fsx - ix exactly in float (the
// two lie within a factor of two), its product with 5000 exactly in double (24 + 13 bits), and
// the quotient by 10000 of a sum below 2^22 by a float division that cannot cross an integer.
__attribute__((target("avx2"))) void BlendRowAvx2(const TBitmap24& src, const float* px,
                                                  const float* py, int n, float last_x,
                                                  float last_y, const std::uint8_t back[3],
                                                  std::uint8_t* d) {
  const int w = src.Width(), h = src.Height();
  const int stride = static_cast<int>(src.Stride());
  const std::uint8_t* data = src.Data();
  // Offsets past this would read beyond the buffer with a four-byte load.
  const __m256i last_offset = _mm256_set1_epi32(static_cast<int>(src.ByteSize()) - 4);
  const __m256 zero = _mm256_setzero_ps();
  const __m256 vlast_x = _mm256_set1_ps(last_x), vlast_y = _mm256_set1_ps(last_y);
  const __m256i one = _mm256_set1_epi32(1), zero_i = _mm256_setzero_si256();
  const __m256i max_x = _mm256_set1_epi32(w - 1), max_y = _mm256_set1_epi32(h - 1);
  const __m256i vstride = _mm256_set1_epi32(stride), three = _mm256_set1_epi32(3);
  const __m256i ten_thousand = _mm256_set1_epi32(10000), byte = _mm256_set1_epi32(0xFF);
  const __m256 divisor = _mm256_set1_ps(10000.0f);
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                        1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int i = 0;
  for (; i + 8 <= n; i += 8, d += 24) {
    const __m256 fsx = _mm256_loadu_ps(px + i), fsy = _mm256_loadu_ps(py + i);
    const __m256 inside = _mm256_and_ps(_mm256_and_ps(_mm256_cmp_ps(fsx, zero, _CMP_GE_OQ),
                                                      _mm256_cmp_ps(fsx, vlast_x, _CMP_LE_OQ)),
                                        _mm256_and_ps(_mm256_cmp_ps(fsy, zero, _CMP_GE_OQ),
                                                      _mm256_cmp_ps(fsy, vlast_y, _CMP_LE_OQ)));
    const int inside_bits = _mm256_movemask_ps(inside);
    if (inside_bits == 0) {
      for (int k = 0; k < 8; ++k) FillPixel(d + 3 * k, back[0], back[1], back[2]);
      continue;
    }
    __m256i ix, iy, fx, fy;
    SplitPositions(fsx, ix, fx);
    SplitPositions(fsy, iy, fy);
    const __m256i a = _mm256_abs_epi32(fx), b = _mm256_abs_epi32(fy);
    const __m256i m = _mm256_srli_epi32(_mm256_add_epi32(a, b), 1);
    const __m256i wc = _mm256_sub_epi32(_mm256_sub_epi32(ten_thousand, _mm256_add_epi32(a, b)), m);
    const __m256i nx = _mm256_blendv_epi8(_mm256_min_epi32(_mm256_add_epi32(ix, one), max_x),
                                          _mm256_max_epi32(_mm256_sub_epi32(ix, one), zero_i),
                                          _mm256_cmpgt_epi32(zero_i, fx));
    const __m256i ny = _mm256_blendv_epi8(_mm256_min_epi32(_mm256_add_epi32(iy, one), max_y),
                                          _mm256_max_epi32(_mm256_sub_epi32(iy, one), zero_i),
                                          _mm256_cmpgt_epi32(zero_i, fy));
    const __m256i centre_row = _mm256_mullo_epi32(iy, vstride);
    const __m256i other_row = _mm256_mullo_epi32(ny, vstride);
    const __m256i cx = _mm256_mullo_epi32(ix, three), hx = _mm256_mullo_epi32(nx, three);
    const __m256i oc = _mm256_add_epi32(centre_row, cx), oh = _mm256_add_epi32(centre_row, hx);
    const __m256i ov = _mm256_add_epi32(other_row, cx), od = _mm256_add_epi32(other_row, hx);
    const __m256i beyond = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpgt_epi32(oc, last_offset), _mm256_cmpgt_epi32(oh, last_offset)),
        _mm256_or_si256(_mm256_cmpgt_epi32(ov, last_offset), _mm256_cmpgt_epi32(od, last_offset)));
    if (inside_bits != 0xFF || !_mm256_testz_si256(beyond, beyond)) {
      for (int k = 0; k < 8; ++k)
        BlendPixel(src, px[i + k], py[i + k], last_x, last_y, back, d + 3 * k);
      continue;
    }
    const int* base = reinterpret_cast<const int*>(data);
    const __m256i gc = _mm256_i32gather_epi32(base, oc, 1);
    const __m256i gh = _mm256_i32gather_epi32(base, oh, 1);
    const __m256i gv = _mm256_i32gather_epi32(base, ov, 1);
    const __m256i gd = _mm256_i32gather_epi32(base, od, 1);
    __m256i result = _mm256_setzero_si256();
    for (int k = 0; k < 3; ++k) {
      const __m256i shift = _mm256_set1_epi32(8 * k);
      const __m256i pc = _mm256_and_si256(_mm256_srlv_epi32(gc, shift), byte);
      const __m256i ph = _mm256_and_si256(_mm256_srlv_epi32(gh, shift), byte);
      const __m256i pv = _mm256_and_si256(_mm256_srlv_epi32(gv, shift), byte);
      const __m256i pd = _mm256_and_si256(_mm256_srlv_epi32(gd, shift), byte);
      const __m256i sum =
          _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(pc, wc), _mm256_mullo_epi32(ph, b)),
                           _mm256_add_epi32(_mm256_mullo_epi32(pd, a), _mm256_mullo_epi32(pv, m)));
      const __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(sum), divisor));
      result = _mm256_or_si256(result, _mm256_sllv_epi32(q, shift));
    }
    const __m256i packed = _mm256_shuffle_epi8(result, pack);
    // Twelve bytes from each half; the first store's last four are written over by the second.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(packed));
    const __m128i high = _mm256_extracti128_si256(packed, 1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 12), high);
    const int last4 = _mm_extract_epi32(high, 2);
    std::memcpy(d + 20, &last4, 4);
  }
  for (; i < n; ++i, d += 3) BlendPixel(src, px[i], py[i], last_x, last_y, back, d);
}
#endif

}  // namespace

// "回転1": each result pixel looks back into the source and blends four samples with integer
// weights. Positions are held in single precision; the arithmetic around them is exact in double.
bool TImageRotation::RotateBlend(const TBitmap24& src, const TRotationGeometry& g, TColor back) {
  const int w = src.Width(), h = src.Height();
  const int new_width = g.width, new_height = g.height;
  const float last_x = static_cast<float>(w - 1), last_y = static_cast<float>(h - 1);
  const double c = g.cos_theta, s = g.sin_theta;
  const std::uint8_t back_bgr[3] = {ColorBlue(back), ColorGreen(back), ColorRed(back)};
  TRowBands run(Executor(), owner_, TEngineOperation::kRotation, new_height);
  const std::size_t band_row = static_cast<std::size_t>(new_width);
  row_x_.resize(band_row * static_cast<std::size_t>(run.Count()));
  row_y_.resize(band_row * static_cast<std::size_t>(run.Count()));

  return run.Run([&](int band, int begin, int end) {
    float* const px = row_x_.data() + band_row * static_cast<std::size_t>(band);
    float* const py = row_y_.data() + band_row * static_cast<std::size_t>(band);
    for (int j = begin; j < end; ++j) {
      if (!run.Checkpoint(j)) return false;
      const double v = static_cast<double>(g.offset_y) + j;
      const double vs = v * s, vc = v * c;
      for (int i = 0; i < new_width; ++i) {
        const double u = static_cast<double>(g.offset_x) + i;
        px[i] = static_cast<float>(u * c + vs);
        py[i] = static_cast<float>(-(u * s) + vc);
      }
      std::uint8_t* d = scratch_.Row(j);
#if defined(__x86_64__)
      if (CpuHasAvx2()) {
        BlendRowAvx2(src, px, py, new_width, last_x, last_y, back_bgr, d);
        continue;
      }
#endif
      for (int i = 0; i < new_width; ++i, d += 3)
        BlendPixel(src, px[i], py[i], last_x, last_y, back_bgr, d);
    }
    return true;
  });
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

// One result pixel of "回転2" at (sx, sy), inside the picture, in extended precision throughout.
void AreaPixelExtended(const TBitmap24& src, long double sx, long double sy, std::uint8_t* d) {
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

// Positions in double are within 2^-36 of the extended ones (the products of integers and
// single-precision sines are exact; each sum rounds once), and the weighted sums then within
// 10^-8. Positions within kEdge of a cell edge or of the picture's edges, and sums within
// kNearHalf of a half, could fall the other way: those pixels are done again in extended
// precision.
constexpr double kEdge = 1e-9;
constexpr double kFootprintCut = 0.000001;
constexpr double kNearHalfArea = 1.0 / (1 << 20);
constexpr double kRoundShiftArea = 6755399441055744.0;  // 1.5 * 2^52

// Positions and footprints of a run of result pixels, written without branches so that they
// are worked in vectors: per pixel the first cell column and row, the two weights along each
// axis (a weight of 0 for a cell the footprint does not reach) and the status: 0 outside the
// picture, 1 worked in double, 2 to be done in extended precision.
#if defined(__x86_64__) && !defined(__AVX2__) && defined(__has_attribute)
#if __has_attribute(target_clones)
__attribute__((target_clones("avx2", "default")))
#endif
#endif
void AreaFootprints(double u0, double vs, double vc, double c, double s, double last_x,
                    double last_y, int n, std::int32_t* __restrict xs, std::int32_t* __restrict ys,
                    double* __restrict weights, std::uint8_t* __restrict status) {
  for (int i = 0; i < n; ++i) {
    const double u = u0 + i;
    const double sx = u * c + vs;
    const double sy = -(u * s) + vc;
    const bool inside =
        (sx >= -kEdge) & (sx <= last_x + kEdge) & (sy >= -kEdge) & (sy <= last_y + kEdge);
    // Held inside the picture first, so that far positions convert safely; inside it changes
    // nothing.
    const double cx = std::min(std::max(sx, 0.0), last_x);
    const double cy = std::min(std::max(sy, 0.0), last_y);
    const int x0 = static_cast<int>(cx), y0 = static_cast<int>(cy);
    const double fx = cx - x0, fy = cy - y0;
    const bool edge = (sx < kEdge) | (sx > last_x - kEdge) | (sy < kEdge) | (sy > last_y - kEdge) |
                      (fx < kEdge) | (fx > 1 - kEdge) | (std::fabs(fx - kFootprintCut) < kEdge) |
                      (fy < kEdge) | (fy > 1 - kEdge) | (std::fabs(fy - kFootprintCut) < kEdge);
    xs[i] = x0;
    ys[i] = y0;
    double* w = weights + 4 * static_cast<std::ptrdiff_t>(i);
    w[0] = fx < kFootprintCut ? 1 - kFootprintCut : 1 - fx;
    w[1] = fx < kFootprintCut ? 0.0 : fx - kFootprintCut;
    w[2] = fy < kFootprintCut ? 1 - kFootprintCut : 1 - fy;
    w[3] = fy < kFootprintCut ? 0.0 : fy - kFootprintCut;
    status[i] = static_cast<std::uint8_t>(inside ? (edge ? 2 : 1) : 0);
  }
}

}  // namespace

// "回転2": each result pixel averages the source over a unit square at its looked-back position,
// weighted by the area it covers; extended precision throughout. Worked in double, with the
// rare pixels whose rounding could differ done again in extended precision.
bool TImageRotation::RotateArea(const TBitmap24& src, const TRotationGeometry& g, TColor back) {
  const int w = src.Width(), h = src.Height();
  const int new_width = g.width, new_height = g.height;
  const long double c = g.cos_theta, s = g.sin_theta;
  const double cd = g.cos_theta, sd = g.sin_theta;
  const double last_xd = w - 1, last_yd = h - 1;
  const std::uint8_t back_b = ColorBlue(back), back_g = ColorGreen(back), back_r = ColorRed(back);
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(src.Stride());

  TRowBands run(Executor(), owner_, TEngineOperation::kRotation, new_height);
  return run.Run([&](int, int begin, int end) {
    std::vector<std::int32_t> xs(static_cast<std::size_t>(new_width)),
        ys(static_cast<std::size_t>(new_width));
    std::vector<double> weights(4 * static_cast<std::size_t>(new_width));
    std::vector<std::uint8_t> status(static_cast<std::size_t>(new_width));
    for (int j = begin; j < end; ++j) {
      if (!run.Checkpoint(j)) return false;
      const long double v = static_cast<long double>(g.offset_y) + j;
      const long double vs = v * s, vc = v * c;
      const double vd = static_cast<double>(g.offset_y) + j;
      AreaFootprints(static_cast<double>(g.offset_x), vd * sd, vd * cd, cd, sd, last_xd, last_yd,
                     new_width, xs.data(), ys.data(), weights.data(), status.data());
      std::uint8_t* d = scratch_.Row(j);
      for (int i = 0; i < new_width; ++i, d += 3) {
        if (status[i] == 0) {
          FillPixel(d, back_b, back_g, back_r);
          continue;
        }
        auto extended = [&] {
          const long double u = static_cast<long double>(g.offset_x) + i;
          const long double lsx = u * c + vs;
          const long double lsy = -(u * s) + vc;
          if (!(lsx >= 0 && lsx <= last_xd && lsy >= 0 && lsy <= last_yd))
            FillPixel(d, back_b, back_g, back_r);
          else
            AreaPixelExtended(src, lsx, lsy, d);
        };
        if (status[i] == 2) {
          extended();
          continue;
        }
        const double* wt = &weights[4 * static_cast<std::size_t>(i)];
        const double wx0 = wt[0], wx1 = wt[1], wy0 = wt[2], wy1 = wt[3];
        // A cell of weight 0 is read from inside the picture all the same.
        const int x0 = xs[i], x1 = wx1 > 0 ? x0 + 1 : x0;
        const std::ptrdiff_t y_step = wy1 > 0 ? stride : 0;
        const std::uint8_t* p0 = src.Row(ys[i]) + 3 * x0;
        const std::uint8_t* p1 = src.Row(ys[i]) + 3 * x1;
        const double w00 = wx0 * wy0, w10 = wx1 * wy0, w01 = wx0 * wy1, w11 = wx1 * wy1;
        bool near = false;
        std::uint8_t out[3];
        for (int k = 0; k < 3; ++k) {
          const double sum =
              ((w00 * p0[k] + w10 * p1[k]) + w01 * p0[k + y_step]) + w11 * p1[k + y_step];
          // Nearest, ties to even, without a library call: the sum is far below 2^51.
          const double rounded = (sum + kRoundShiftArea) - kRoundShiftArea;
          near |= std::fabs(sum - rounded) > 0.5 - kNearHalfArea;
          out[k] = static_cast<std::uint8_t>(static_cast<int>(rounded));
        }
        if (near) {
          extended();
          continue;
        }
        d[0] = out[0];
        d[1] = out[1];
        d[2] = out[2];
      }
    }
    return true;
  });
}

// "穴空き回転": every source pixel is carried forward to its nearest result pixel; result pixels
// that none reaches keep the background. Where several source pixels reach one result pixel the
// last in source order wins. A band owns a run of result rows and carries exactly the source
// pixels that land in it, in source order, so every band count gives the same picture: the
// result row of a source pixel moves monotonically along its source row, so each source row's
// share of a band is one run of columns, found by bisection.
bool TImageRotation::RotateHoles(const TBitmap24& src, const TRotationGeometry& g, TColor back) {
  const int w = src.Width(), h = src.Height();
  const int last_x = g.width - 1, last_y = g.height - 1;
  const double c = g.cos_theta, s = g.sin_theta;
  const double mx = g.offset_x, my = g.offset_y;

  // Progress and cancellation run over the source rows, as every band walks all of them.
  TRowBands run(Executor(), owner_, TEngineOperation::kRotation, h);
  const int bands = run.Count();
  return run.Run([&](int band, int, int) {
    const int d0 = static_cast<int>(static_cast<long long>(g.height) * band / bands);
    const int d1 = static_cast<int>(static_cast<long long>(g.height) * (band + 1) / bands);
    scratch_.FillRect(0, d0, g.width, d1, back);
    for (int y = 0; y < h; ++y) {
      if (!run.Checkpoint(y)) return false;
      if (d0 >= d1) continue;
      const double ys = y * s, yc = y * c;
      auto row_of = [&](int x) { return std::clamp(RoundHalfAway(x * s + yc - my), 0, last_y); };
      // The first column whose row passes the test; the test holds for a tail of the row.
      auto first_where = [&](auto&& test) {
        int lo = 0, hi = w;
        while (lo < hi) {
          const int mid = lo + (hi - lo) / 2;
          if (test(row_of(mid)))
            hi = mid;
          else
            lo = mid + 1;
        }
        return lo;
      };
      int x_begin, x_end;
      if (s >= 0) {
        x_begin = first_where([&](int r) { return r >= d0; });
        x_end = first_where([&](int r) { return r >= d1; });
      } else {
        x_begin = first_where([&](int r) { return r < d1; });
        x_end = first_where([&](int r) { return r < d0; });
      }
      const std::uint8_t* p = src.Row(y) + 3 * static_cast<std::size_t>(x_begin);
      for (int x = x_begin; x < x_end; ++x, p += 3) {
        int dx = RoundHalfAway(x * c - ys - mx);
        const int dy = row_of(x);
        dx = dx < 0 ? 0 : (dx > last_x ? last_x : dx);
        CopyPixel(scratch_.Row(dy) + 3 * static_cast<std::size_t>(dx), p);
      }
    }
    return true;
  });
}
