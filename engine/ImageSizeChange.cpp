#include "engine/ImageSizeChange.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "engine/ImageUtils.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// The results are defined by separately rounded products and sums; a fused multiply-add would
// change them. Plain x86-64 has no FMA, but a build for a newer machine must not contract either.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(__GNUC__) && defined(__FMA__)
#pragma GCC optimize("fp-contract=off")
#endif

// The inner loops are written so that the compiler vectorises them; on x86-64 an AVX2 copy is
// picked at run time when the processor has it. The AVX2 copy has no FMA, so it computes exactly
// what the baseline copy computes.
#if defined(__x86_64__) && !defined(__AVX2__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define VELMORA_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef VELMORA_VECTOR_CLONES
#define VELMORA_VECTOR_CLONES
#endif

namespace {

using std::int32_t;
using std::uint8_t;

// Rows are rendered in parts of this many pixels: the owner is asked before each part, and the
// working rows of a part stay in the first-level cache.
constexpr int kPart = 100;
// Values a part may be rounded up by, so that it is worked in whole vectors: the values past the
// part are computed from stale inputs and written over by the next part.
constexpr int kSpare = 32;

// Round to nearest, ties to even, for values known to lie in [-0.5, 255.5): adding 1.5 * 2^23
// leaves the rounded integer in the low mantissa bits, so the low byte is the result.
inline uint8_t RoundToByte(float v) {
  return static_cast<uint8_t>(std::bit_cast<std::uint32_t>(v + 12582912.0f));
}
inline uint8_t RoundToByte(double v) {
  return static_cast<uint8_t>(std::bit_cast<std::uint64_t>(v + 6755399441055744.0));
}
// The same for the extended type. On x87 the store to an integer rounds by the control word,
// which is to nearest with ties to even (as for nearbyint, which would also follow a changed
// mode). Elsewhere the round trip through 1.5 * 2^(digits-1) does it, and the whole number goes
// through double, which holds it exactly.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && LDBL_MANT_DIG == 64
inline uint8_t RoundToByte(long double v) {
  int r;
  __asm__("fistpl %0" : "=m"(r) : "t"(v) : "st");
  return static_cast<uint8_t>(r);
}
#else
constexpr long double Pow2(int n) {
  long double r = 1;
  while (n-- > 0) r *= 2;
  return r;
}
inline uint8_t RoundToByte(long double v) {
  constexpr long double kShift = 1.5L * Pow2(LDBL_MANT_DIG - 1);
  return static_cast<uint8_t>(static_cast<int>(static_cast<double>((v + kShift) - kShift)));
}
#endif

// floor for the positions met here (well inside the int range), without a library call.
template <class Real>
int FloorToInt(Real v) {
  const int i = static_cast<int>(v);
  return static_cast<Real>(i) > v ? i - 1 : i;
}

// Sampling position of destination index i in a source of n samples; ratio = source / destination.
template <class Real>
struct TSample {
  int low;   // first sample
  int high;  // second sample
  Real frac;
};

template <class Real>
TSample<Real> SampleAt(Real ratio, int i, int n) {
  const Real s = ratio * (static_cast<Real>(i) + Real(0.5)) - Real(0.5);
  const int is = FloorToInt(s);
  TSample<Real> r;
  r.frac = s - static_cast<Real>(is);
  r.low = std::clamp(is, 0, n - 1);
  r.high = std::clamp(is + 1, 0, n - 1);
  return r;
}

// The end of the group of destination rows from y on that sample the same two source rows.
template <class RowSample>
int SameSamplesEnd(RowSample&& row_sample, int y, int rows) {
  const auto r = row_sample(y);
  int end = y + 1;
  while (end < rows && row_sample(end).low == r.low && row_sample(end).high == r.high) ++end;
  return end;
}

// Per destination pixel the byte offsets of its two samples, per element (3 a pixel) the
// fraction. Columns are non-decreasing, so the pixels whose two samples are neighbours form one
// run [pair_begin, pair_end_float); up to pair_end the eight bytes from the left sample on also
// lie inside the row.
struct TColumnRuns {
  int pair_begin = 0, pair_end = 0, pair_end_float = 0;
};

template <class Real>
TColumnRuns ColumnTables(int sw, int dw, std::vector<int32_t>& left, std::vector<int32_t>& right,
                         std::vector<Real>& fx) {
  const Real ratio = static_cast<Real>(sw) / static_cast<Real>(dw);
  left.resize(dw);
  right.resize(dw);
  fx.assign(3 * static_cast<std::size_t>(dw) + kSpare, Real(0));
  for (int x = 0; x < dw; ++x) {
    const TSample<Real> s = SampleAt(ratio, x, sw);
    left[x] = 3 * s.low;
    right[x] = 3 * s.high;
    for (int c = 0; c < 3; ++c) fx[3 * x + c] = s.frac;
  }
  TColumnRuns runs;
  auto neighbours = [&](int x) { return right[x] == left[x] + 3; };
  while (runs.pair_begin < dw && !neighbours(runs.pair_begin)) ++runs.pair_begin;
  runs.pair_end = runs.pair_begin;
  while (runs.pair_end < dw && neighbours(runs.pair_end) && left[runs.pair_end] + 8 <= 3 * sw)
    ++runs.pair_end;
  runs.pair_end_float = runs.pair_end;
  while (runs.pair_end_float < dw && neighbours(runs.pair_end_float)) ++runs.pair_end_float;
  return runs;
}

// Share of the unit cell [c, c + 1) inside [start, end] (area average).
double CellWeight(int c, double start, double end) {
  const bool before = c < start;
  const bool after = c + 1 >= end;
  if (before && after) return end - start;
  if (before) return 1 - (start - c);
  if (after) return end - c;
  return 1;
}

// Length and centre (from the cell's start) of the part of cell [c, c + 1) inside [start, end].
struct TOverlap {
  double length;
  double centre;
};

TOverlap CellOverlap(int c, double start, double end) {
  const bool before = c < start;
  const bool after = c + 1 > end;
  if (before && after) return {end - start, ((end - c) + (start - c)) / 2};
  if (before) return {1 - (start - c), (start - c + 1) / 2};
  if (after) return {end - c, (end - c) / 2};
  return {1, 0.5};
}

// --- single-precision bilinear -------------------------------------------------------------
// value = ((p00 + (p10 - p00) fx) + (A fx) fy) + (p01 - p00) fy with A = p00 + p11 - p10 - p01.
// Per source row: l = p(left), d = p(right) - p(left), s = l + d fx. Per row pair:
// a_fx = (d_lower - d_upper) fx (A exactly, then the same product), e = l_lower - l_upper.
// Per destination row only the last two products and sums remain.

// The left and right samples of pixels [x0, x1) side by side into a and b (one spare byte each).
// In [pair_begin, pair_end) the right sample directly follows the left one and eight bytes from
// the left one are still inside the row: one load serves both.
void GatherPairs(const uint8_t* __restrict row, const int32_t* __restrict left,
                 const int32_t* __restrict right, int x0, int x1, int pair_begin, int pair_end,
                 uint8_t* __restrict a, uint8_t* __restrict b) {
  static_assert(std::endian::native == std::endian::little);
  const int fast_begin = std::clamp(pair_begin, x0, x1), fast_end = std::clamp(pair_end, x0, x1);
  for (int x = x0; x < fast_begin; ++x) {
    std::memcpy(a + 3 * (x - x0), row + left[x], 3);
    std::memcpy(b + 3 * (x - x0), row + right[x], 3);
  }
#pragma GCC unroll 4
  for (int x = fast_begin; x < fast_end; ++x) {
    std::uint64_t v;
    std::memcpy(&v, row + left[x], 8);
    const std::uint32_t lo = static_cast<std::uint32_t>(v),
                        hi = static_cast<std::uint32_t>(v >> 24);
    std::memcpy(a + 3 * (x - x0), &lo, 4);
    std::memcpy(b + 3 * (x - x0), &hi, 4);
  }
  for (int x = fast_end; x < x1; ++x) {
    std::memcpy(a + 3 * (x - x0), row + left[x], 3);
    std::memcpy(b + 3 * (x - x0), row + right[x], 3);
  }
}

// The same from a source row already turned into floats (with four spare values at its end):
// three values of a sample and one more are moved at once.
void GatherFloatPairs(const float* __restrict row, const int32_t* __restrict left,
                      const int32_t* __restrict right, int x0, int x1, int pair_begin, int pair_end,
                      float* __restrict a, float* __restrict b) {
  const int fast_begin = std::clamp(pair_begin, x0, x1), fast_end = std::clamp(pair_end, x0, x1);
  auto general = [&](int x) {
    std::memcpy(a + 3 * (x - x0), row + left[x], 4 * sizeof(float));
    std::memcpy(b + 3 * (x - x0), row + right[x], 4 * sizeof(float));
  };
  for (int x = x0; x < fast_begin; ++x) general(x);
#pragma GCC unroll 4
  for (int x = fast_begin; x < fast_end; ++x) {
    const float* p = row + left[x];
    std::memcpy(a + 3 * (x - x0), p, 4 * sizeof(float));
    std::memcpy(b + 3 * (x - x0), p + 3, 4 * sizeof(float));
  }
  for (int x = fast_end; x < x1; ++x) general(x);
}

VELMORA_VECTOR_CLONES
void RowToFloat(const uint8_t* __restrict row, int n, float* __restrict out) {
  for (int e = 0; e < n; ++e) out[e] = row[e];
}

// The element formulas, shared by the plain loops and the flagged ones of the double-precision
// fast path, so that both round the very same float values.
[[gnu::always_inline]] inline float StreamValue(float p00, float p10, float p01, float p11,
                                                float fx, float fy) {
  const float d_up = p10 - p00, d_lo = p11 - p01;
  const float s = p00 + d_up * fx;
  return (s + ((d_lo - d_up) * fx) * fy) + (p01 - p00) * fy;
}

[[gnu::always_inline]] inline float OutputValue(float s, float a_fx, float e_diff, float fy) {
  return (s + a_fx * fy) + e_diff * fy;
}

// A source row's element below a kept row's: its d and s, the pair's a_fx and e stored, the
// output value returned.
[[gnu::always_inline]] inline float NextRowValue(float pl, float pr, float fx, float l_up,
                                                 float d_up, float s_up, float fy, float& d,
                                                 float& s, float& a_fx, float& e_diff) {
  const float dd = pr - pl;
  d = dd;
  s = pl + dd * fx;
  a_fx = (dd - d_up) * fx;
  e_diff = pl - l_up;
  return OutputValue(s_up, a_fx, e_diff, fy);
}

// l already holds the left samples (gathered straight into it).
VELMORA_VECTOR_CLONES
void BiLinerSourceRow(const float* __restrict l, const float* __restrict right,
                      const float* __restrict fx, int n, float* __restrict d, float* __restrict s) {
  for (int e = 0; e < n; ++e) {
    const float dd = right[e] - l[e];
    d[e] = dd;
    s[e] = l[e] + dd * fx[e];
  }
}

VELMORA_VECTOR_CLONES
void BiLinerRowPair(const float* __restrict l_up, const float* __restrict d_up,
                    const float* __restrict l_lo, const float* __restrict d_lo,
                    const float* __restrict fx, int n, float* __restrict a_fx,
                    float* __restrict e_diff) {
  for (int e = 0; e < n; ++e) {
    a_fx[e] = (d_lo[e] - d_up[e]) * fx[e];
    e_diff[e] = l_lo[e] - l_up[e];
  }
}

// Source row below a kept one (its left samples already in l): its d and s, the pair's a_fx and
// e, and the output row at once.
VELMORA_VECTOR_CLONES
void BiLinerNextRow(const float* __restrict l, const float* __restrict right,
                    const float* __restrict fx, const float* __restrict l_up,
                    const float* __restrict d_up, const float* __restrict s_up, float fy, int n,
                    float* __restrict d, float* __restrict s, float* __restrict a_fx,
                    float* __restrict e_diff, uint8_t* __restrict out) {
  for (int e = 0; e < n; ++e)
    out[e] = RoundToByte(NextRowValue(l[e], right[e], fx[e], l_up[e], d_up[e], s_up[e], fy, d[e],
                                      s[e], a_fx[e], e_diff[e]));
}

// Both rows new and not needed again: straight from the four sample planes.
VELMORA_VECTOR_CLONES
void BiLinerStream(const uint8_t* __restrict up_left, const uint8_t* __restrict up_right,
                   const uint8_t* __restrict lo_left, const uint8_t* __restrict lo_right,
                   const float* __restrict fx, float fy, int n, uint8_t* __restrict out) {
  for (int e = 0; e < n; ++e)
    out[e] = RoundToByte(StreamValue(up_left[e], up_right[e], lo_left[e], lo_right[e], fx[e], fy));
}

VELMORA_VECTOR_CLONES
void BiLinerOutput(const float* __restrict s, const float* __restrict a_fx,
                   const float* __restrict e_diff, float fy, int n, uint8_t* __restrict out) {
  for (int e = 0; e < n; ++e) out[e] = RoundToByte(OutputValue(s[e], a_fx[e], e_diff[e], fy));
}

// --- bilinear in sixteenths ---------------------------------------------------------------------
// Where every fraction, across and down, is a whole number of sixteenths (enlargements by 2, 4, 8
// or 1.6, reductions to a half or a quarter, ...), every product and sum of the formula is exact,
// in float and in double alike (fewer than 24 significant bits), so the defined value is the
// exact bilinear one: a whole number of 1/256. Sixteen-bit integers give it, 16 lanes to a vector:
// per source row h = l (16 - wx) + r wx (at most 4080), per destination row
// v = h_up (16 - wy) + h_lo wy (at most 65280), rounded to even like the float sum.
template <class Real>
bool InSixteenths(Real f) {
  return f * 16 == std::floor(f * 16);
}

VELMORA_VECTOR_CLONES
void SixteenthsRow(const uint8_t* __restrict l, const uint8_t* __restrict r,
                   const std::uint16_t* __restrict wl, const std::uint16_t* __restrict wr, int n,
                   std::uint16_t* __restrict h) {
  for (int e = 0; e < n; ++e)
    h[e] = static_cast<std::uint16_t>(static_cast<std::uint16_t>(l[e] * wl[e]) +
                                      static_cast<std::uint16_t>(r[e] * wr[e]));
}

VELMORA_VECTOR_CLONES
void SixteenthsOutput(const std::uint16_t* __restrict up, const std::uint16_t* __restrict lo,
                      std::uint16_t w_up, std::uint16_t w_lo, int n, uint8_t* __restrict out) {
  for (int e = 0; e < n; ++e) {
    const std::uint16_t v = static_cast<std::uint16_t>(static_cast<std::uint16_t>(up[e] * w_up) +
                                                       static_cast<std::uint16_t>(lo[e] * w_lo));
    // Halves go to the even neighbour: the quotient's low bit decides whether 128 rounds up.
    out[e] = static_cast<uint8_t>((v + 127 + ((v >> 8) & 1)) >> 8);
  }
}

// Where the samples of every eight elements lie within 16 bytes of the source row (enlargements,
// and reductions to no less than about 60 %), a byte shuffle picks each element's left and right
// samples side by side out of one 16-byte window and a multiply-add of bytes weighs them: h for
// 16 elements in a handful of vector instructions, in place of a gather per pixel. The tables are
// laid out per part of a row (parts start at multiples of 3 kPart elements): per block of eight
// elements where its window starts in the row and the shuffle, per element the two weights.
constexpr int kWindow = 16, kBlock = 8;
constexpr int kBlocksPerPart = (3 * kPart + kSpare + 2 * kBlock - 1) / (2 * kBlock) * 2;

struct TWindowTables {
  std::vector<int32_t> start;        // per block
  std::vector<std::uint8_t> mask;    // kWindow per block
  std::vector<std::int8_t> weights;  // 2 per element: 16 - wx, wx
};

// False when some block's samples do not fit one window (or the row is narrower than one).
bool MakeWindowTables(const std::vector<int32_t>& left, const std::vector<int32_t>& right,
                      const std::vector<std::uint16_t>& wx, int sw, int dw, TWindowTables& t) {
  const int n = 3 * dw, row_bytes = 3 * sw;
  if (row_bytes < kWindow) return false;
  const int parts = (dw + kPart - 1) / kPart;
  t.start.assign(static_cast<std::size_t>(parts) * kBlocksPerPart, 0);
  t.mask.assign(t.start.size() * kWindow, 0);
  for (int part = 0; part < parts; ++part) {
    for (int j = 0; j < kBlocksPerPart; ++j) {
      const int e_begin = 3 * kPart * part + kBlock * j, e_end = std::min(e_begin + kBlock, n);
      if (e_begin >= e_end) continue;
      const int block = part * kBlocksPerPart + j;
      auto left_at = [&](int e) { return left[e / 3] + e % 3; };
      auto right_at = [&](int e) { return right[e / 3] + e % 3; };
      int low = left_at(e_begin), high = right_at(e_begin);
      for (int e = e_begin + 1; e < e_end; ++e) {
        low = std::min(low, left_at(e));
        high = std::max(high, right_at(e));
      }
      const int start = std::min(low, row_bytes - kWindow);
      if (high - start >= kWindow) return false;
      t.start[block] = start;
      std::uint8_t* mask = &t.mask[static_cast<std::size_t>(block) * kWindow];
      for (int e = e_begin; e < e_end; ++e) {
        mask[2 * (e - e_begin)] = static_cast<std::uint8_t>(left_at(e) - start);
        mask[2 * (e - e_begin) + 1] = static_cast<std::uint8_t>(right_at(e) - start);
      }
    }
  }
  t.weights.assign(2 * (static_cast<std::size_t>(n) + kSpare + 2 * kBlock), 0);
  for (int e = 0; e < n; ++e) {
    t.weights[2 * e] = static_cast<std::int8_t>(16 - wx[e]);
    t.weights[2 * e + 1] = static_cast<std::int8_t>(wx[e]);
  }
  return true;
}

#if defined(__x86_64__)
// h of the part starting at element e0 (part number part), count elements rounded up to whole
// pairs of blocks.
__attribute__((target("avx2"))) void SixteenthsRowWindowed(const uint8_t* __restrict row,
                                                           const TWindowTables& t, int part, int e0,
                                                           int count, std::uint16_t* __restrict h) {
  const int32_t* start = &t.start[static_cast<std::size_t>(part) * kBlocksPerPart];
  const std::uint8_t* mask = &t.mask[static_cast<std::size_t>(part) * kBlocksPerPart * kWindow];
  const std::int8_t* weights = &t.weights[2 * static_cast<std::size_t>(e0)];
  for (int j = 0; kBlock * j < count; j += 2) {
    const __m256i window = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(row + start[j + 1]),
                                               reinterpret_cast<const __m128i*>(row + start[j]));
    const __m256i pairs = _mm256_shuffle_epi8(
        window, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(mask + kWindow * j)));
    const __m256i sums = _mm256_maddubs_epi16(
        pairs, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + 2 * kBlock * j)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(h + kBlock * j), sums);
  }
}
#endif

// Asks for the span [from, to] of a row that a reduction reads next: it starts far from the rows
// just read, where the hardware does not look ahead.
void PrefetchSpan(const uint8_t* row, int from, int to) {
  for (int at = from; at <= to; at += 64) __builtin_prefetch(row + at);
}

// Picks the caches of a row group's source rows low and high from a band's two; a row the
// previous group used is kept. fresh_up and fresh_lo tell which ones must be filled.
template <class Cache>
void PickRowCaches(Cache (&cache)[2], int low, int high, Cache*& up, Cache*& lo, bool& fresh_up,
                   bool& fresh_lo) {
  auto find = [&](int row) -> Cache* {
    for (Cache& c : cache)
      if (c.row == row) return &c;
    return nullptr;
  };
  auto other = [&](const Cache* c) { return c == &cache[0] ? &cache[1] : &cache[0]; };
  up = find(low);
  lo = high == low ? up : find(high);
  fresh_up = fresh_lo = false;
  if (!up) {
    up = other(lo);
    up->row = low;
    fresh_up = true;
  }
  if (high == low) {
    lo = up;
  } else if (!lo) {
    lo = other(up);
    lo->row = high;
    fresh_lo = true;
  }
}

// --- double-precision bilinear, fast path -----------------------------------------------------
// The single-precision pipeline above, fed with the double positions rounded to float, flags the
// values it cannot be sure to round like the double products summed in the extended type.
//
// Bound. With fx, fy the double fractions and V the exact value of the formula, the defined sum
// lies within 2^-40 of V (a few roundings in double and the extended type of numbers below 765).
// The float one: fx and fy rounded to float (relative 2^-24 each), then per product and sum one
// rounding; with |d| <= 255, |A| <= 510, |e| <= 255 and partial sums below 765 the errors add up
// to less than 4400 2^-24 (s 765, A fx fy 2040, e fy 510, the two sums 765 and 255, in units of
// 2^-24). Together below 2^-11.9: a float value farther than 2^-11 from every half rounds like
// the defined one. Where both fractions are multiples of 2^-7 every float
// product and sum is exact (at most 24 significant bits), so nothing needs a second look.
constexpr float kFloatNearHalf = 1.0f / (1 << 11);

// 1 unless f is a multiple of 2^-7 (and so exact in float).
inline uint8_t FloatInexact(double f) {
  const double scaled = f * (1 << 7);
  return scaled == std::floor(scaled) ? 0 : 1;
}

// v rounded into out, and into near whether it lies within margin of a half (margin 1: always).
inline void RoundAndFlag(float v, float margin, uint8_t& out, uint8_t& near) {
  const float shifted = v + 12582912.0f;
  const float off = v - (shifted - 12582912.0f);
  out = static_cast<uint8_t>(std::bit_cast<std::uint32_t>(shifted));
  near = static_cast<uint8_t>((off > 0.5f - margin) | (off < margin - 0.5f));
}

VELMORA_VECTOR_CLONES
void BiLinerStreamFlagged(const uint8_t* __restrict up_left, const uint8_t* __restrict up_right,
                          const uint8_t* __restrict lo_left, const uint8_t* __restrict lo_right,
                          const float* __restrict fx, float fy, float margin, int n,
                          uint8_t* __restrict out, uint8_t* __restrict near) {
  for (int e = 0; e < n; ++e)
    RoundAndFlag(StreamValue(up_left[e], up_right[e], lo_left[e], lo_right[e], fx[e], fy), margin,
                 out[e], near[e]);
}

VELMORA_VECTOR_CLONES
void BiLinerNextRowFlagged(const float* __restrict l, const float* __restrict right,
                           const float* __restrict fx, const float* __restrict l_up,
                           const float* __restrict d_up, const float* __restrict s_up, float fy,
                           float margin, int n, float* __restrict d, float* __restrict s,
                           float* __restrict a_fx, float* __restrict e_diff,
                           uint8_t* __restrict out, uint8_t* __restrict near) {
  for (int e = 0; e < n; ++e)
    RoundAndFlag(NextRowValue(l[e], right[e], fx[e], l_up[e], d_up[e], s_up[e], fy, d[e], s[e],
                              a_fx[e], e_diff[e]),
                 margin, out[e], near[e]);
}

VELMORA_VECTOR_CLONES
void BiLinerOutputFlagged(const float* __restrict s, const float* __restrict a_fx,
                          const float* __restrict e_diff, float fy, float margin, int n,
                          uint8_t* __restrict out, uint8_t* __restrict near) {
  for (int e = 0; e < n; ++e)
    RoundAndFlag(OutputValue(s[e], a_fx[e], e_diff[e], fy), margin, out[e], near[e]);
}

// --- double-precision bilinear --------------------------------------------------------------
// The products in double, then their sum in the extended type, one element at a time. The sum
// is first taken in double: its error is below 2^-40, so it rounds like the extended sum unless
// it lies within kNearHalf of a half. Only those elements, flagged, are summed again in the
// extended type. Where both fractions are multiples of 2^-20 (the usual halving, doubling and
// other power-of-two ratios, whose sums often end in exactly one half) every product and sum is
// exact in double, so the double sum is the extended one and needs no second look.

constexpr double kNearHalf = 1.0 / (1 << 20);

// 1 unless f is a multiple of 2^-20.
inline uint8_t Inexact(double f) {
  const double scaled = f * (1 << 20);
  return scaled == std::floor(scaled) ? 0 : 1;
}
constexpr double kRoundShift = 6755399441055744.0;  // 1.5 * 2^52

// The terms of one element, as the extended sum takes them.
struct TBiLinerTerms {
  double p00, t1, t2, t3;
};

inline TBiLinerTerms BiLinerDoubleTermsOf(double a, double b, double c, double d, double fx,
                                          double fy) {
  const double dx = b - a;
  // (p00 + p11 - p10 - p01) is exact; times fx, then fy.
  return {a, dx * fx, (((d - c) - dx) * fx) * fy, (c - a) * fy};
}

uint8_t BiLinerDoubleExtended(double a, double b, double c, double d, double fx, double fy) {
  const TBiLinerTerms t = BiLinerDoubleTermsOf(a, b, c, d, fx, fy);
  long double v = t.p00;
  v += t.t1;
  v += t.t2;
  v += t.t3;
  return RoundToByte(v);
}

#if defined(__x86_64__)
bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// BiLinerDoubleOutput for 16 elements a step (the rest by the caller): the same products and
// sums, rounded to nearest even by the conversion, as the shifted sum rounds them. Flags are
// made only where some are set.
__attribute__((target("avx2"))) int BiLinerDoubleOutputAvx2(
    const double* __restrict s, const double* __restrict a_fx, const double* __restrict e_diff,
    const uint8_t* __restrict fx_inexact, double fy, int fy_inexact, int n, uint8_t* __restrict out,
    uint8_t* __restrict near, int& any) {
  const __m256d vfy = _mm256_set1_pd(fy);
  const __m256d sign = _mm256_set1_pd(-0.0);
  const __m256d limit = _mm256_set1_pd(0.5 - kNearHalf);
  const __m256i all_inexact = _mm256_set1_epi64x(fy_inexact ? -1 : 0);
  int e = 0;
  for (; e + 16 <= n; e += 16) {
    __m128i words[4];
    int near_bits = 0;
    for (int k = 0; k < 4; ++k) {
      const int i = e + 4 * k;
      const __m256d v = _mm256_add_pd(
          _mm256_add_pd(_mm256_loadu_pd(s + i), _mm256_mul_pd(_mm256_loadu_pd(a_fx + i), vfy)),
          _mm256_mul_pd(_mm256_loadu_pd(e_diff + i), vfy));
      words[k] = _mm256_cvtpd_epi32(v);
      const __m256d r = _mm256_round_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
      const __m256d off = _mm256_andnot_pd(sign, _mm256_sub_pd(v, r));
      std::int32_t inexact4;
      std::memcpy(&inexact4, fx_inexact + i, 4);
      const __m256i inexact = _mm256_or_si256(
          all_inexact, _mm256_cmpgt_epi64(_mm256_cvtepu8_epi64(_mm_cvtsi32_si128(inexact4)),
                                          _mm256_setzero_si256()));
      const __m256d near4 =
          _mm256_and_pd(_mm256_cmp_pd(off, limit, _CMP_GT_OQ), _mm256_castsi256_pd(inexact));
      near_bits |= _mm256_movemask_pd(near4) << (4 * k);
    }
    const __m128i bytes =
        _mm_packus_epi16(_mm_packs_epi32(words[0], words[1]), _mm_packs_epi32(words[2], words[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + e), bytes);
    if (near_bits == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(near + e), _mm_setzero_si128());
      continue;
    }
    for (int k = 0; k < 16; ++k) near[e + k] = static_cast<uint8_t>((near_bits >> k) & 1);
    any = 1;
  }
  return e;
}
#endif

// What the destination rows between one pair of source rows share: s = p00 + dx fx (the first
// partial sum), a_fx = (p00 + p11 - p10 - p01) fx and e = p01 - p00.
VELMORA_VECTOR_CLONES
void BiLinerDoublePair(const uint8_t* __restrict up_left, const uint8_t* __restrict up_right,
                       const uint8_t* __restrict lo_left, const uint8_t* __restrict lo_right,
                       const double* __restrict fx, int n, double* __restrict s,
                       double* __restrict a_fx, double* __restrict e_diff) {
  for (int e = 0; e < n; ++e) {
    const double a = up_left[e], b = up_right[e], c = lo_left[e], d = lo_right[e];
    const double dx = b - a;
    s[e] = a + dx * fx[e];
    a_fx[e] = ((d - c) - dx) * fx[e];
    e_diff[e] = c - a;
  }
}

// ((s + a_fx fy) + e fy) rounded, with the flags of the elements to sum again.
VELMORA_VECTOR_CLONES
void BiLinerDoubleOutputPlain(const double* __restrict s, const double* __restrict a_fx,
                              const double* __restrict e_diff, const uint8_t* __restrict fx_inexact,
                              double fy, int fy_inexact, int e_begin, int n,
                              uint8_t* __restrict out, uint8_t* __restrict near, int& any_flag) {
  int any = 0;
  for (int e = e_begin; e < n; ++e) {
    const double v = (s[e] + a_fx[e] * fy) + e_diff[e] * fy;
    const double shifted = v + kRoundShift;
    const double off = v - (shifted - kRoundShift);  // v less its nearest integer
    out[e] = static_cast<uint8_t>(std::bit_cast<std::uint64_t>(shifted));
    const int flag =
        ((off > 0.5 - kNearHalf) | (off < kNearHalf - 0.5)) & (fx_inexact[e] | fy_inexact);
    near[e] = static_cast<uint8_t>(flag);
    any |= flag;
  }
  any_flag |= any;
}

bool BiLinerDoubleOutput(const double* s, const double* a_fx, const double* e_diff,
                         const uint8_t* fx_inexact, double fy, int fy_inexact, int n, uint8_t* out,
                         uint8_t* near) {
  int any = 0, e = 0;
#if defined(__x86_64__)
  if (CpuHasAvx2())
    e = BiLinerDoubleOutputAvx2(s, a_fx, e_diff, fx_inexact, fy, fy_inexact, n, out, near, any);
#endif
  BiLinerDoubleOutputPlain(s, a_fx, e_diff, fx_inexact, fy, fy_inexact, e, n, out, near, any);
  return any != 0;
}

void BiLinerDoubleFixNear(const uint8_t* up_left, const uint8_t* up_right, const uint8_t* lo_left,
                          const uint8_t* lo_right, const double* fx, double fy, int n,
                          const uint8_t* near, uint8_t* out) {
  for (int e = 0; e < n; ++e)
    if (near[e])
      out[e] = BiLinerDoubleExtended(up_left[e], up_right[e], lo_left[e], lo_right[e], fx[e], fy);
}

// --- area average --------------------------------------------------------------------------

// The cells of pixels [x0, x1) of one source row into one plane per cell. Pixel x covers columns
// from first[x] / 3 on; below fast_end all its cells (and one more byte) lie inside the row and
// are moved four bytes at a time, columns past a pixel's last cell included (they weigh 0).
// Beyond fast_end the exact, clamped offsets of each cell are used.
template <int kCells>
void GatherCellsFast(const uint8_t* __restrict row, const int32_t* __restrict first, int x0, int x1,
                     int cells, uint8_t* __restrict planes, int plane_stride) {
  const int count = kCells > 0 ? kCells : cells;
  for (int x = x0; x < x1; ++x) {
    const uint8_t* base = row + first[x];
    uint8_t* out = planes + 3 * (x - x0);
    for (int k = 0; k < count; ++k) std::memcpy(out + k * plane_stride, base + 3 * k, 4);
  }
}

void GatherCells(const uint8_t* __restrict row, const int32_t* __restrict first,
                 const int32_t* __restrict offset, int offset_stride, int x0, int x1, int cells,
                 int fast_end, uint8_t* __restrict planes, int plane_stride) {
  const int fast = std::clamp(fast_end, x0, x1);
  // The usual cell counts get a loop of their own with the cells unrolled.
  switch (cells) {
    case 1:
      GatherCellsFast<1>(row, first, x0, fast, cells, planes, plane_stride);
      break;
    case 2:
      GatherCellsFast<2>(row, first, x0, fast, cells, planes, plane_stride);
      break;
    case 3:
      GatherCellsFast<3>(row, first, x0, fast, cells, planes, plane_stride);
      break;
    case 4:
      GatherCellsFast<4>(row, first, x0, fast, cells, planes, plane_stride);
      break;
    case 5:
      GatherCellsFast<5>(row, first, x0, fast, cells, planes, plane_stride);
      break;
    case 6:
      GatherCellsFast<6>(row, first, x0, fast, cells, planes, plane_stride);
      break;
    default:
      GatherCellsFast<0>(row, first, x0, fast, cells, planes, plane_stride);
      break;
  }
  for (int x = fast; x < x1; ++x)
    for (int k = 0; k < cells; ++k)
      std::memcpy(planes + k * plane_stride + 3 * (x - x0), row + offset[k * offset_stride + x], 3);
}

VELMORA_VECTOR_CLONES
void IntegralCell(const uint8_t* __restrict p, const double* __restrict wx, double wy, int n,
                  double* __restrict acc) {
  for (int e = 0; e < n; ++e) acc[e] += (wx[e] * wy) * static_cast<double>(p[e]);
}

// A source row's part of the bilinear integral, for one column cell: its left samples p, the
// differences d to the right samples, and the surface along the row at the cells' centres,
// s = p + d cx (the first partial sum of every cell row whose upper row it is).
VELMORA_VECTOR_CLONES
void BiLinerIntegralRow(const uint8_t* __restrict left, const uint8_t* __restrict right,
                        const double* __restrict cx, int n, double* __restrict p,
                        double* __restrict d, double* __restrict s) {
  for (int e = 0; e < n; ++e) {
    const int a = left[e];
    const double dx = static_cast<double>(right[e] - a);
    p[e] = a;
    d[e] = dx;
    s[e] = a + dx * cx[e];
  }
}

// One cell of the bilinear integral for a part of a row: the surface at the cell's centre
// (cx, cy), ((s + (A cx) cy) + (p01 - p00) cy) with A = p00 + p11 - p10 - p01, times the cell's
// area, added to the sums. A and p01 - p00 are exact in double.
VELMORA_VECTOR_CLONES
void BiLinerIntegralCell(const double* __restrict p_up, const double* __restrict d_up,
                         const double* __restrict s_up, const double* __restrict p_lo,
                         const double* __restrict d_lo, const double* __restrict length_x,
                         const double* __restrict cx, double length_y, double cy, int n,
                         double* __restrict acc) {
  for (int e = 0; e < n; ++e) {
    double b = s_up[e];
    b += ((d_lo[e] - d_up[e]) * cx[e]) * cy;
    b += (p_lo[e] - p_up[e]) * cy;
    acc[e] += (length_x[e] * length_y) * b;
  }
}

// --- bilinear integral, fast path ------------------------------------------------------------
// The integral of the bilinear surface is a weighted sum of source pixels whose weights split
// into a column part and a row part: a cell with lengths lx, ly and centres cx, cy gives its left
// and right samples lx (1 - cx) and lx cx, its upper and lower ones ly (1 - cy) and ly cy. The
// fast path sums each column over the footprint's rows and then the columns, in TFast, and
// looks again the defined way (IntegralElement) where the result may round differently from it.
// (In float, with its far wider bound, enlargements would look again at about one value in
// twenty: their sums land near halves that often.)
//
// Bound. Let v be the exact average with the double lengths and centres the defined sum uses, N
// its number of cells, m the rows and n the columns with a weight. The defined sum: each cell's
// surface value takes at most 7 roundings of numbers below 765 (error < 2^-40); the products
// with lx ly and the running sum of N non-negative terms of total at most 256 area add at most
// (N + 2) 2^-53 256 area; the division adds 2^-53 256. So it lies within (N + 40) 2^-44 of v.
// The fast sums, with u the unit roundoff of TFast, have only non-negative terms: each weight is
// within 5u of exact (at most four roundings in double, as up to three cells meet on an edge
// line, and one more into TFast), each product and sum is rounded once, so the column sums lie
// within (m + 5) u of exact relatively, the row of them within (n + 5) u more, and the product
// with the rounded 1 / area adds 2u. As v <= 255, the fast value lies within 256 (m + n + 12) u
// of v. 512 (m + n + 8) u plus the first bound is kept from every half: outside it both round to
// the same byte.
using TFast = double;

double FastIntegralMargin(int rows, int columns, long long cells) {
  return (rows + columns + 8) * std::ldexp(1.0, 9 - std::numeric_limits<TFast>::digits) +
         (static_cast<double>(cells) + 40) * std::ldexp(1.0, -44);
}

// Weights of source lines (columns or rows) for the footprint [start, end] in sample units,
// merged per line in increasing order: add(line, weight) is called once per line.
template <class Add>
void LineWeights(double start, double end, int lines, Add&& add) {
  int pending = -1;
  double weight = 0;
  auto put = [&](int line, double w) {
    if (line != pending) {
      if (pending >= 0) add(pending, weight);
      pending = line;
      weight = 0;
    }
    weight += w;
  };
  for (int c = FloorToInt(start); c <= FloorToInt(end); ++c) {
    const TOverlap o = CellOverlap(c, start, end);
    put(std::clamp(c, 0, lines - 1), o.length * (1 - o.centre));
    put(std::clamp(c + 1, 0, lines - 1), o.length * o.centre);
  }
  add(pending, weight);
}

VELMORA_VECTOR_CLONES
void WeightedRowAdd(const uint8_t* __restrict row, TFast w, int n, TFast* __restrict sums) {
  for (int e = 0; e < n; ++e) sums[e] += w * static_cast<TFast>(row[e]);
}

// The weighted sums of the column sums, one pixel at a time: its three values (and one spare)
// in one vector per column, the columns in increasing order. sums holds a spare value at its end;
// the spare written past a pixel is overwritten by the next one.
typedef TFast TFast4 __attribute__((vector_size(4 * sizeof(TFast))));

VELMORA_VECTOR_CLONES
void WeightedColumns(const TFast* __restrict sums, const int32_t* __restrict offset,
                     const TFast* __restrict w, int taps, int pixels, TFast* __restrict acc) {
  for (int i = 0; i < pixels; ++i) {
    const TFast* p = sums + offset[i];
    const TFast* wi = w + static_cast<std::size_t>(i) * taps;
    TFast4 r = {0, 0, 0, 0};
    for (int t = 0; t < taps; ++t) {
      TFast4 v;
      std::memcpy(&v, p + 3 * t, sizeof v);
      r += wi[t] * v;
    }
    std::memcpy(acc + 3 * i, &r, sizeof r);
  }
}

// acc / area rounded, with the flags of the elements within margin of a half.
VELMORA_VECTOR_CLONES
int FastIntegralOutput(const TFast* __restrict acc, double inverse_area, double margin, int n,
                       uint8_t* __restrict out, uint8_t* __restrict near) {
  int any = 0;
  for (int e = 0; e < n; ++e) {
    const double v = static_cast<double>(acc[e]) * inverse_area;
    const double shifted = v + 6755399441055744.0;
    const double off = v - (shifted - 6755399441055744.0);
    out[e] = static_cast<uint8_t>(std::bit_cast<std::uint64_t>(shifted));
    const int flag = (off > 0.5 - margin) | (off < margin - 0.5);
    near[e] = static_cast<uint8_t>(flag);
    any |= flag;
  }
  return any;
}

// One element of the bilinear integral the defined way: the cells row by row, each cell's
// surface value and product rounded as the planes of cells round them.
uint8_t IntegralElement(const TBitmap24& src, double rx, double ry, double area, int x, int y,
                        int channel) {
  const int sw = src.Width(), sh = src.Height();
  const double x0 = rx * x - 0.5, x1 = rx * (x + 1) - 0.500001;
  const double y0 = ry * y - 0.5, y1 = ry * (y + 1) - 0.500001;
  double sum = 0;
  for (int k = FloorToInt(y0); k <= FloorToInt(y1); ++k) {
    const TOverlap oy = CellOverlap(k, y0, y1);
    const uint8_t* up = src.Row(std::clamp(k, 0, sh - 1)) + channel;
    const uint8_t* lo = src.Row(std::clamp(k + 1, 0, sh - 1)) + channel;
    for (int j = FloorToInt(x0); j <= FloorToInt(x1); ++j) {
      const TOverlap ox = CellOverlap(j, x0, x1);
      const int left = 3 * std::clamp(j, 0, sw - 1), right = 3 * std::clamp(j + 1, 0, sw - 1);
      const double p00 = up[left], p10 = up[right], p01 = lo[left], p11 = lo[right];
      const double d_up = p10 - p00, d_lo = p11 - p01;
      double b = p00 + d_up * ox.centre;
      b += ((d_lo - d_up) * ox.centre) * oy.centre;
      b += (p01 - p00) * oy.centre;
      sum += (ox.length * oy.length) * b;
    }
  }
  return RoundToByte(sum / area);
}

VELMORA_VECTOR_CLONES
void IntegralOutput(const double* __restrict acc, double area, int n, uint8_t* __restrict out) {
  for (int e = 0; e < n; ++e) out[e] = RoundToByte(acc[e] / area);
}

bool SizesAllowed(const TBitmap24& src, int dst_width, int dst_height) {
  return TImU::SizeIsAllowed(dst_width, dst_height) &&
         TImU::SizeIsAllowed(src.Width(), src.Height());
}

double PixelArea(const TBitmap24& src, int dst_width, int dst_height) {
  return static_cast<double>(static_cast<long long>(src.Width()) * src.Height()) /
         static_cast<double>(static_cast<long long>(dst_width) * dst_height);
}

}  // namespace

// Working memory of one row band.
struct TImageSizeChange::TBandWork {
  // Pixels gathered from source rows, side by side, for one part of a row.
  std::vector<std::uint8_t> planes[4];
  std::uint8_t* plane_ptrs[4] = {};
  // Source rows as floats, and their samples gathered for one part of a row.
  std::vector<float> row_f[2], fplanes[1];

  struct TRowCache {
    int row = -1;
    std::vector<float> l, d, s;
  };
  TRowCache cache[2];
  TRowCache* up = nullptr;
  TRowCache* lo = nullptr;
  bool fresh_up = false, fresh_lo = false;
  std::vector<float> a_fx, e_diff;  // of one part of a row group

  // Bilinear in sixteenths: source rows weighted across.
  struct TWordRow {
    int row = -1;
    std::vector<std::uint16_t> h;
  };
  TWordRow words[2];
  TWordRow* word_up = nullptr;
  TWordRow* word_lo = nullptr;

  // Double-precision bilinear: elements whose double sum lies near a half, of one part.
  std::vector<std::uint8_t> near;
  std::vector<double> pair_d[3];  // what the rows of a group share, of one part

  // Area averages: the sums of one part.
  std::vector<double> acc;
  // Fast bilinear integral: column sums over a footprint's rows, and the row of them, of one part.
  std::vector<TFast> column_sums, row_sums;
};

struct TImageSizeChange::TWork {
  TBitmap24 scratch;
  std::vector<TBandWork> bands;

  // Column tables (see ColumnTables).
  std::vector<int32_t> left, right;
  std::vector<float> fx;
  std::vector<double> fx_d;
  std::vector<std::uint8_t> fx_inexact;
  std::vector<std::uint16_t> wx_left, wx_right;  // bilinear in sixteenths, per element
  TWindowTables windows;

  // Area average: per cell k of a column, planes of byte offsets and weights per element,
  // padded with zero weights to the widest column.
  int cells_x = 0;
  std::vector<int32_t> cell_offset;  // per cell and pixel
  std::vector<int32_t> first;        // offset of each pixel's first cell
  std::vector<double> cell_wx;       // per cell and element

  // Fast bilinear integral: per pixel its first source column, where that column starts in the
  // column sums of its part, and the weights of its columns (taps past its last column weigh 0).
  int taps_x = 0;
  std::vector<int32_t> first_column, sum_offset;
  std::vector<TFast> tap_wx;
};

TImageSizeChange::TImageSizeChange(TEngineOwner* owner)
    : owner_(owner), work_(std::make_unique<TWork>()) {}

TImageSizeChange::~TImageSizeChange() = default;

// Sizes the scratch bitmap, gives every band its working memory (prepare(band_work)) and calls
// render_part(band_work, y, first, x_begin, x_end, out_row) for every part of every row; on
// success the scratch becomes the destination. Rows come in groups [first, group_end(first))
// that are worked part by part, each part of each row right after its own look at the owner, so
// that what a group's rows share is still at hand. A band cuts a group at its edges; the cut
// parts compute the same values for themselves.
template <class Prepare, class GroupEnd, class RenderPart>
bool TImageSizeChange::RenderRowGroups(int dst_width, int dst_height, Prepare&& prepare,
                                       GroupEnd&& group_end, RenderPart&& render_part) {
  TBitmap24& out = work_->scratch;
  if (!out.SetSize(dst_width, dst_height)) return false;
  TRowBands run(ChooseExecutor(executor_, owner_), owner_, TEngineOperation::kResize, dst_height);
  if (work_->bands.size() < static_cast<std::size_t>(run.Count()))
    work_->bands.resize(static_cast<std::size_t>(run.Count()));
  return run.Run([&](int band, int begin, int end_row) {
    TBandWork& bw = work_->bands[static_cast<std::size_t>(band)];
    prepare(bw);
    for (int first = begin; first < end_row;) {
      const int end = std::clamp(group_end(first), first + 1, end_row);
      for (int x = 0; x < dst_width; x += kPart) {
        for (int y = first; y < end; ++y) {
          if (x == 0 && !run.Checkpoint(y)) return false;
          if (run.Cancelled()) return false;
          render_part(bw, y, first, x, std::min(x + kPart, dst_width), out.Row(y));
        }
      }
      first = end;
    }
    return true;
  });
}

template <class Prepare, class RenderPart>
bool TImageSizeChange::RenderRows(int dst_width, int dst_height, Prepare&& prepare,
                                  RenderPart&& render_part) {
  return RenderRowGroups(
      dst_width, dst_height, prepare, [](int y) { return y + 1; },
      [&](TBandWork& bw, int y, int, int x0, int x1, std::uint8_t* out) {
        render_part(bw, y, x0, x1, out);
      });
}

bool TImageSizeChange::BiLiner(const TBitmap24& src, TBitmap24& dst, int dst_height,
                               int dst_width) {
  return BiLinerIn<float>(src, dst, dst_height, dst_width);
}

// Single precision throughout, or (Real double) the positions in double rounded to float for
// the same pipeline, with second looks the defined way where the float value may round
// differently.
template <class Real>
bool TImageSizeChange::BiLinerIn(const TBitmap24& src, TBitmap24& dst, int dst_height,
                                 int dst_width) {
  constexpr bool kDouble = std::is_same_v<Real, double>;
  try {
    if (!SizesAllowed(src, dst_width, dst_height)) return false;
    TWork& w = *work_;
    const int sw = src.Width(), sh = src.Height();
    const int n = 3 * dst_width;
    TColumnRuns runs;
    bool columns_inexact = false;
    if constexpr (kDouble) {
      runs = ColumnTables(sw, dst_width, w.left, w.right, w.fx_d);
      w.fx.resize(w.fx_d.size());
      for (std::size_t e = 0; e < w.fx_d.size(); ++e) {
        w.fx[e] = static_cast<float>(w.fx_d[e]);
        columns_inexact = columns_inexact || FloatInexact(w.fx_d[e]);
      }
    } else {
      runs = ColumnTables(sw, dst_width, w.left, w.right, w.fx);
    }
    const int pair_begin = runs.pair_begin, pair_end = runs.pair_end;
    const int float_pair_end = runs.pair_end_float;
    const Real ratio_y = static_cast<Real>(sh) / static_cast<Real>(dst_height);
    // Row samples are worked out as rows come: a picture may be up to 4,000,000 rows high.
    auto row_sample = [&](int y) { return SampleAt(ratio_y, y, sh); };
    if (!reference_) {
      bool sixteenths = true;
      for (std::size_t e = 0; e < w.fx.size() && sixteenths; e += 3) {
        if constexpr (kDouble)
          sixteenths = InSixteenths(w.fx_d[e]);
        else
          sixteenths = InSixteenths(w.fx[e]);
      }
      for (int y = 0; y < dst_height && sixteenths; ++y)
        sixteenths = InSixteenths(row_sample(y).frac);
      if (sixteenths) {
        if (!BiLinerSixteenths<Real>(src, dst_height, dst_width, pair_begin, pair_end))
          return false;
        dst.Swap(w.scratch);
        return true;
      }
    }
    // When no source row serves two destination rows (a reduction to half or less), every row
    // is computed straight from its four gathered sample planes and nothing is kept.
    bool stream = true;
    for (int y = 0; y + 1 < dst_height && stream; ++y)
      stream = row_sample(y).high < row_sample(y + 1).low;
    const std::size_t plane_size =
        3 * static_cast<std::size_t>(std::min(dst_width, kPart)) + kSpare + 4;
    auto prepare = [&](TBandWork& b) {
      for (std::vector<std::uint8_t>& plane : b.planes) plane.assign(plane_size, 0);
      for (int i = 0; i < 4; ++i) b.plane_ptrs[i] = b.planes[i].data();
      b.up = b.lo = nullptr;
      for (TBandWork::TRowCache& c : b.cache) c.row = -1;
      if (kDouble) b.near.assign(plane_size, 0);
      if (stream) return;
      for (std::vector<float>& row : b.row_f)
        row.assign(3 * static_cast<std::size_t>(sw) + 4, 0.0f);
      for (std::vector<float>& plane : b.fplanes) plane.assign(plane_size, 0.0f);
      for (TBandWork::TRowCache& c : b.cache) {
        c.l.assign(n + kSpare + 4, 0.0f);
        c.d.assign(n + kSpare, 0.0f);
        c.s.assign(n + kSpare, 0.0f);
      }
      b.a_fx.assign(plane_size, 0.0f);
      b.e_diff.assign(plane_size, 0.0f);
    };
    // Destination rows between the same two source rows form a group: the values they share
    // (a_fx and e) are made by the group's first row for one part and used by the others at once.
    auto group_end = [&](int y) {
      return stream ? y + 1 : SameSamplesEnd(row_sample, y, dst_height);
    };
    auto render = [&](TBandWork& b, int y, int first, int x0, int x1, std::uint8_t* out) {
      TBandWork::TRowCache*& up = b.up;
      TBandWork::TRowCache*& lo = b.lo;
      bool& fresh_up = b.fresh_up;
      bool& fresh_lo = b.fresh_lo;
      const TSample<Real> r = row_sample(y);
      const float fy = static_cast<float>(r.frac);
      const int e0 = 3 * x0;
      const int count = std::min((3 * (x1 - x0) + kSpare - 1) & -kSpare, n - e0);
      std::uint8_t* const* planes = b.plane_ptrs;
      std::uint8_t* const near = b.near.data();
      const float margin = look_again_ ? 1.0f : kFloatNearHalf;
      const bool check = kDouble && (look_again_ || columns_inexact || FloatInexact(r.frac));
      // The flagged values of the part the defined way.
      auto look_again = [&] {
        if constexpr (kDouble) {
          const std::uint8_t* up_row = src.Row(r.low);
          const std::uint8_t* lo_row = src.Row(r.high);
          for (int e = 0; e < 3 * (x1 - x0); ++e) {
            if (!near[e]) continue;
            const int x = x0 + e / 3, c = e % 3;
            out[e0 + e] = BiLinerDoubleExtended(up_row[w.left[x] + c], up_row[w.right[x] + c],
                                                lo_row[w.left[x] + c], lo_row[w.right[x] + c],
                                                w.fx_d[e0 + e], r.frac);
          }
        }
      };
      if (stream) {
        auto gather = [&](int row, std::uint8_t* left, std::uint8_t* right) {
          GatherPairs(src.Row(row), w.left.data(), w.right.data(), x0, x1, pair_begin, pair_end,
                      left, right);
        };
        gather(r.low, planes[0], planes[1]);
        gather(r.high, planes[2], planes[3]);
        // The rows a reduction reads next start far from these, where the hardware does not
        // look ahead: ask for this part's span of them now.
        if (y + 1 < dst_height) {
          const TSample<Real> next = row_sample(y + 1);
          PrefetchSpan(src.Row(next.low), w.left[x0], w.right[x1 - 1]);
          PrefetchSpan(src.Row(next.high), w.left[x0], w.right[x1 - 1]);
        }
        if (!check) {
          BiLinerStream(planes[0], planes[1], planes[2], planes[3], &w.fx[e0], fy, count, out + e0);
          return;
        }
        BiLinerStreamFlagged(planes[0], planes[1], planes[2], planes[3], &w.fx[e0], fy, margin,
                             count, out + e0, near);
        look_again();
        return;
      }
      float* const a_fx = b.a_fx.data();
      float* const e_diff = b.e_diff.data();
      auto output = [&] {
        if (!check) {
          BiLinerOutput(&up->s[e0], a_fx, e_diff, fy, count, out + e0);
          return;
        }
        BiLinerOutputFlagged(&up->s[e0], a_fx, e_diff, fy, margin, count, out + e0, near);
        look_again();
      };
      if (y != first) {
        output();
        return;
      }
      if (x0 == 0) {
        PickRowCaches(b.cache, r.low, r.high, up, lo, fresh_up, fresh_lo);
        if (fresh_up) RowToFloat(src.Row(r.low), 3 * sw, b.row_f[0].data());
        if (fresh_lo) RowToFloat(src.Row(r.high), 3 * sw, b.row_f[1].data());
      }
      // Left samples go straight into the row cache; the one value written past the part
      // belongs to the next part, which writes it again.
      float* const right = b.fplanes[0].data();
      auto gather_f = [&](const std::vector<float>& row, TBandWork::TRowCache& cache) {
        GatherFloatPairs(row.data(), w.left.data(), w.right.data(), x0, x1, pair_begin,
                         float_pair_end, &cache.l[e0], right);
      };
      if (!fresh_up && fresh_lo) {
        // The usual step of an enlargement: one new row below a kept one, all in one pass.
        gather_f(b.row_f[1], *lo);
        if (!check) {
          BiLinerNextRow(&lo->l[e0], right, &w.fx[e0], &up->l[e0], &up->d[e0], &up->s[e0], fy,
                         count, &lo->d[e0], &lo->s[e0], a_fx, e_diff, out + e0);
          return;
        }
        BiLinerNextRowFlagged(&lo->l[e0], right, &w.fx[e0], &up->l[e0], &up->d[e0], &up->s[e0], fy,
                              margin, count, &lo->d[e0], &lo->s[e0], a_fx, e_diff, out + e0, near);
        look_again();
        return;
      }
      auto source_row = [&](const std::vector<float>& row, TBandWork::TRowCache& cache) {
        gather_f(row, cache);
        BiLinerSourceRow(&cache.l[e0], right, &w.fx[e0], count, &cache.d[e0], &cache.s[e0]);
      };
      if (fresh_up) source_row(b.row_f[0], *up);
      if (fresh_lo) source_row(b.row_f[1], *lo);
      BiLinerRowPair(&up->l[e0], &up->d[e0], &lo->l[e0], &lo->d[e0], &w.fx[e0], count, a_fx,
                     e_diff);
      output();
    };
    if (!RenderRowGroups(dst_width, dst_height, prepare, group_end, render)) return false;
    dst.Swap(w.scratch);
    return true;
  } catch (...) {
    return false;
  }
}

// The bilinear of either precision where every fraction is a whole number of sixteenths (see
// SixteenthsRow), into the scratch bitmap; the column tables are made.
template <class Real>
bool TImageSizeChange::BiLinerSixteenths(const TBitmap24& src, int dst_height, int dst_width,
                                         int pair_begin, int pair_end) {
  TWork& w = *work_;
  const int sh = src.Height();
  const int n = 3 * dst_width;
  w.wx_left.assign(w.fx.size(), 0);
  w.wx_right.assign(w.fx.size(), 0);
  for (int e = 0; e < n; ++e) {
    w.wx_right[e] = static_cast<std::uint16_t>(w.fx[e] * 16);
    w.wx_left[e] = static_cast<std::uint16_t>(16 - w.wx_right[e]);
  }
#if defined(__x86_64__)
  const bool windowed = CpuHasAvx2() && MakeWindowTables(w.left, w.right, w.wx_right, src.Width(),
                                                         dst_width, w.windows);
#else
  const bool windowed = false;
#endif
  const Real ratio_y = static_cast<Real>(sh) / static_cast<Real>(dst_height);
  auto row_sample = [&](int y) { return SampleAt(ratio_y, y, sh); };
  const std::size_t plane_size =
      3 * static_cast<std::size_t>(std::min(dst_width, kPart)) + kSpare + 4;
  auto prepare = [&](TBandWork& b) {
    for (int i = 0; i < 2; ++i) b.planes[i].assign(plane_size, 0);
    for (TBandWork::TWordRow& c : b.words) {
      c.row = -1;
      c.h.assign(n + kSpare + 2 * kBlock, 0);
    }
  };
  auto group_end = [&](int y) { return SameSamplesEnd(row_sample, y, dst_height); };
  auto render = [&](TBandWork& b, int y, int first, int x0, int x1, std::uint8_t* out) {
    const TSample<Real> r = row_sample(y);
    const int e0 = 3 * x0;
    const int count = std::min((3 * (x1 - x0) + kSpare - 1) & -kSpare, n - e0);
    if (y == first) {
      if (x0 == 0)
        PickRowCaches(b.words, r.low, r.high, b.word_up, b.word_lo, b.fresh_up, b.fresh_lo);
      auto fill = [&](int row, TBandWork::TWordRow& c) {
#if defined(__x86_64__)
        if (windowed) {
          SixteenthsRowWindowed(src.Row(row), w.windows, x0 / kPart, e0, count, &c.h[e0]);
          return;
        }
#endif
        GatherPairs(src.Row(row), w.left.data(), w.right.data(), x0, x1, pair_begin, pair_end,
                    b.planes[0].data(), b.planes[1].data());
        SixteenthsRow(b.planes[0].data(), b.planes[1].data(), &w.wx_left[e0], &w.wx_right[e0],
                      count, &c.h[e0]);
      };
      if (b.fresh_up) fill(r.low, *b.word_up);
      if (b.fresh_lo) fill(r.high, *b.word_lo);
      // A reduction reads new rows for every destination row.
      if (b.fresh_up && b.fresh_lo && y + 1 < dst_height) {
        const TSample<Real> next = row_sample(y + 1);
        PrefetchSpan(src.Row(next.low), w.left[x0], w.right[x1 - 1]);
        PrefetchSpan(src.Row(next.high), w.left[x0], w.right[x1 - 1]);
      }
    }
    const auto wy = static_cast<std::uint16_t>(r.frac * 16);
    SixteenthsOutput(&b.word_up->h[e0], &b.word_lo->h[e0], static_cast<std::uint16_t>(16 - wy), wy,
                     count, out + e0);
  };
  return RenderRowGroups(dst_width, dst_height, prepare, group_end, render);
}

bool TImageSizeChange::BiLinerDouble(const TBitmap24& src, TBitmap24& dst, int dst_height,
                                     int dst_width) {
  if (!reference_) return BiLinerIn<double>(src, dst, dst_height, dst_width);
  try {
    if (!SizesAllowed(src, dst_width, dst_height)) return false;
    TWork& w = *work_;
    const int sw = src.Width(), sh = src.Height();
    const int n = 3 * dst_width;
    const TColumnRuns runs = ColumnTables(sw, dst_width, w.left, w.right, w.fx_d);
    w.fx_inexact.resize(w.fx_d.size());
    for (std::size_t e = 0; e < w.fx_d.size(); ++e) w.fx_inexact[e] = Inexact(w.fx_d[e]);
    const double ratio_y = static_cast<double>(sh) / dst_height;
    auto row_sample = [&](int y) { return SampleAt(ratio_y, y, sh); };
    const std::size_t plane_size =
        3 * static_cast<std::size_t>(std::min(dst_width, kPart)) + kSpare + 4;
    auto prepare = [&](TBandWork& b) {
      for (std::vector<std::uint8_t>& plane : b.planes) plane.assign(plane_size, 0);
      for (std::vector<double>& shared : b.pair_d) shared.assign(plane_size, 0.0);
      b.near.assign(plane_size, 0);
    };
    // Destination rows between the same two source rows form a group; its first row makes what
    // they share for one part, and the four gathered sample planes stay for the second looks.
    auto group_end = [&](int y) { return SameSamplesEnd(row_sample, y, dst_height); };
    auto render = [&](TBandWork& b, int y, int first, int x0, int x1, std::uint8_t* out) {
      const TSample<double> r = row_sample(y);
      const int e0 = 3 * x0;
      const int count = std::min((3 * (x1 - x0) + kSpare - 1) & -kSpare, n - e0);
      std::vector<std::uint8_t>* p = b.planes;
      double* const shared_s = b.pair_d[0].data();
      double* const a_fx = b.pair_d[1].data();
      double* const e_diff = b.pair_d[2].data();
      if (y == first) {
        GatherPairs(src.Row(r.low), w.left.data(), w.right.data(), x0, x1, runs.pair_begin,
                    runs.pair_end, p[0].data(), p[1].data());
        GatherPairs(src.Row(r.high), w.left.data(), w.right.data(), x0, x1, runs.pair_begin,
                    runs.pair_end, p[2].data(), p[3].data());
        BiLinerDoublePair(p[0].data(), p[1].data(), p[2].data(), p[3].data(), &w.fx_d[e0], count,
                          shared_s, a_fx, e_diff);
      }
      std::uint8_t* near = b.near.data();
      if (BiLinerDoubleOutput(shared_s, a_fx, e_diff, &w.fx_inexact[e0], r.frac, Inexact(r.frac),
                              count, out + e0, near))
        BiLinerDoubleFixNear(p[0].data(), p[1].data(), p[2].data(), p[3].data(), &w.fx_d[e0],
                             r.frac, 3 * (x1 - x0), near, out + e0);
    };
    if (!RenderRowGroups(dst_width, dst_height, prepare, group_end, render)) return false;
    dst.Swap(w.scratch);
    return true;
  } catch (...) {
    return false;
  }
}

bool TImageSizeChange::Integral(const TBitmap24& src, TBitmap24& dst, int dst_height,
                                int dst_width) {
  try {
    if (!SizesAllowed(src, dst_width, dst_height)) return false;
    TWork& w = *work_;
    const int sw = src.Width(), sh = src.Height();
    const int n = 3 * dst_width;
    const double rx = static_cast<double>(sw) / dst_width;
    const double ry = static_cast<double>(sh) / dst_height;

    int cells = 1;
    for (int x = 0; x < dst_width; ++x) {
      const double x0 = rx * x, x1 = rx * (x + 1) - 0.000001;
      cells = std::max(cells, FloorToInt(x1) - FloorToInt(x0) + 1);
    }
    w.cells_x = cells;
    w.cell_offset.assign(static_cast<std::size_t>(cells) * dst_width, 0);
    w.cell_wx.assign(static_cast<std::size_t>(cells) * n, 0.0);
    for (int x = 0; x < dst_width; ++x) {
      const double x0 = rx * x, x1 = rx * (x + 1) - 0.000001;
      const int c0 = FloorToInt(x0), c1 = FloorToInt(x1);
      for (int k = 0; k < cells; ++k) {
        // Columns narrower than the widest repeat their last cell with weight 0: adding an exact
        // zero leaves the sum as it is.
        const int c = std::min(c0 + k, c1);
        const double wx = c0 + k <= c1 ? CellWeight(c, x0, x1) : 0.0;
        w.cell_offset[static_cast<std::size_t>(k) * dst_width + x] = 3 * std::clamp(c, 0, sw - 1);
        for (int ch = 0; ch < 3; ++ch) w.cell_wx[static_cast<std::size_t>(k) * n + 3 * x + ch] = wx;
      }
    }
    w.first.resize(dst_width);
    int fast_end = 0;
    for (int x = 0; x < dst_width; ++x) {
      const int c0 = FloorToInt(rx * x);
      w.first[x] = 3 * c0;
      if (c0 + cells <= sw - 1) fast_end = x + 1;
    }
    const int plane_stride = 3 * std::min(dst_width, kPart) + 4;
    auto prepare = [&](TBandWork& b) {
      b.planes[0].assign(static_cast<std::size_t>(cells) * plane_stride, 0);
      b.acc.resize(3 * static_cast<std::size_t>(kPart));
    };
    const double area = PixelArea(src, dst_width, dst_height);

    auto render = [&](TBandWork& b, int y, int x0, int x1, std::uint8_t* out) {
      const int e0 = 3 * x0, count = 3 * (x1 - x0);
      double* acc = b.acc.data();
      std::fill(acc, acc + count, 0.0);
      const double y0 = ry * y, y1 = ry * (y + 1) - 0.000001;
      for (int r = FloorToInt(y0); r <= FloorToInt(y1); ++r) {
        const std::uint8_t* row = src.Row(std::clamp(r, 0, sh - 1));
        const double wy = CellWeight(r, y0, y1);
        GatherCells(row, w.first.data(), w.cell_offset.data(), dst_width, x0, x1, w.cells_x,
                    fast_end, b.planes[0].data(), plane_stride);
        for (int k = 0; k < w.cells_x; ++k)
          IntegralCell(&b.planes[0][static_cast<std::size_t>(k) * plane_stride],
                       &w.cell_wx[static_cast<std::size_t>(k) * n + e0], wy, count, acc);
      }
      IntegralOutput(acc, area, count, out + e0);
    };
    if (!RenderRows(dst_width, dst_height, prepare, render)) return false;
    dst.Swap(w.scratch);
    return true;
  } catch (...) {
    return false;
  }
}

bool TImageSizeChange::BiLinerAndIntegralDouble(const TBitmap24& src, TBitmap24& dst,
                                                int dst_height, int dst_width) {
  if (reference_) return BiLinerAndIntegralCells(src, dst, dst_height, dst_width);
  try {
    if (!SizesAllowed(src, dst_width, dst_height)) return false;
    TWork& w = *work_;
    const int sw = src.Width(), sh = src.Height();
    const double rx = static_cast<double>(sw) / dst_width;
    const double ry = static_cast<double>(sh) / dst_height;
    const double area = PixelArea(src, dst_width, dst_height);

    // Column weights once per call; a pixel's columns are contiguous.
    w.first_column.resize(dst_width);
    int taps = 1, cells_x = 1;
    auto footprint_x = [&](int x, double& x0, double& x1) {
      x0 = rx * x - 0.5;
      x1 = rx * (x + 1) - 0.500001;
    };
    for (int x = 0; x < dst_width; ++x) {
      double x0, x1;
      footprint_x(x, x0, x1);
      cells_x = std::max(cells_x, FloorToInt(x1) - FloorToInt(x0) + 1);
      w.first_column[x] = std::clamp(FloorToInt(x0), 0, sw - 1);
      int last = 0;
      LineWeights(x0, x1, sw, [&](int c, double) { last = c; });
      taps = std::max(taps, last - w.first_column[x] + 1);
    }
    w.taps_x = taps;
    w.tap_wx.assign(static_cast<std::size_t>(taps) * dst_width, 0);
    w.sum_offset.resize(dst_width);
    for (int x = 0; x < dst_width; ++x) {
      double x0, x1;
      footprint_x(x, x0, x1);
      LineWeights(x0, x1, sw, [&](int c, double weight) {
        w.tap_wx[static_cast<std::size_t>(x) * taps + (c - w.first_column[x])] =
            static_cast<TFast>(weight);
      });
      // Where the pixel's columns start in the column sums of its part.
      w.sum_offset[x] = 3 * (w.first_column[x] - w.first_column[x - x % kPart]);
    }
    // Columns a part reads, at most.
    int part_columns = 1;
    for (int x = 0; x < dst_width; x += kPart) {
      const int last = std::min(x + kPart, dst_width) - 1;
      part_columns = std::max(part_columns, w.first_column[last] - w.first_column[x] + taps);
    }
    auto prepare = [&](TBandWork& b) {
      b.column_sums.assign(3 * static_cast<std::size_t>(part_columns) + 4, 0);
      b.row_sums.assign(3 * static_cast<std::size_t>(kPart) + 4, 0);
      b.near.assign(3 * static_cast<std::size_t>(kPart), 0);
    };
    auto render = [&](TBandWork& b, int y, int x0, int x1, std::uint8_t* out) {
      const int e0 = 3 * x0, count = 3 * (x1 - x0);
      const int base = w.first_column[x0];
      const int columns = w.first_column[x1 - 1] - base + taps;
      const int inside = std::min(columns, sw - base);
      TFast* sums = b.column_sums.data();
      std::fill(sums, sums + 3 * columns + 1, 0);
      const double y0 = ry * y - 0.5, y1 = ry * (y + 1) - 0.500001;
      int rows = 0;
      LineWeights(y0, y1, sh, [&](int r, double weight) {
        WeightedRowAdd(src.Row(r) + 3 * base, static_cast<TFast>(weight), 3 * inside, sums);
        ++rows;
      });
      TFast* acc = b.row_sums.data();
      WeightedColumns(sums, &w.sum_offset[x0], &w.tap_wx[static_cast<std::size_t>(x0) * taps], taps,
                      x1 - x0, acc);
      const long long cells = static_cast<long long>(FloorToInt(y1) - FloorToInt(y0) + 1) * cells_x;
      std::uint8_t* near = b.near.data();
      if (!FastIntegralOutput(acc, 1 / area,
                              look_again_ ? 1.0 : FastIntegralMargin(rows, taps, cells), count,
                              out + e0, near))
        return;
      for (int e = 0; e < count; ++e)
        if (near[e]) out[e0 + e] = IntegralElement(src, rx, ry, area, x0 + e / 3, y, e % 3);
    };
    if (!RenderRows(dst_width, dst_height, prepare, render)) return false;
    dst.Swap(w.scratch);
    return true;
  } catch (...) {
    return false;
  }
}

bool TImageSizeChange::BiLinerAndIntegralCells(const TBitmap24& src, TBitmap24& dst, int dst_height,
                                               int dst_width) {
  try {
    if (!SizesAllowed(src, dst_width, dst_height)) return false;
    TWork& w = *work_;
    const int sw = src.Width(), sh = src.Height();
    const int n = 3 * dst_width;
    const double rx = static_cast<double>(sw) / dst_width;
    const double ry = static_cast<double>(sh) / dst_height;

    // Column cells as planes: cell q of every pixel, padded to the widest column with cells of
    // length 0 (their term is an exact zero, which leaves a sum as it is).
    int cells = 1;
    for (int x = 0; x < dst_width; ++x) {
      const double x0 = rx * x - 0.5, x1 = rx * (x + 1) - 0.500001;
      cells = std::max(cells, FloorToInt(x1) - FloorToInt(x0) + 1);
    }
    w.cells_x = cells;
    const std::size_t cells_size = static_cast<std::size_t>(cells);
    w.cell_offset.assign(2 * cells_size * dst_width, 0);
    w.cell_wx.assign(2 * cells_size * n, 0.0);
    for (int x = 0; x < dst_width; ++x) {
      const double x0 = rx * x - 0.5, x1 = rx * (x + 1) - 0.500001;
      const int j0 = FloorToInt(x0), j1 = FloorToInt(x1);
      for (int q = 0; q < cells; ++q) {
        const int j = std::min(j0 + q, j1);
        const TOverlap o = j0 + q <= j1 ? CellOverlap(j, x0, x1) : TOverlap{0.0, 0.0};
        int32_t* offsets = &w.cell_offset[2 * q * static_cast<std::size_t>(dst_width)];
        offsets[x] = 3 * std::clamp(j, 0, sw - 1);
        offsets[dst_width + x] = 3 * std::clamp(j + 1, 0, sw - 1);
        double* lengths = &w.cell_wx[2 * q * static_cast<std::size_t>(n)];
        for (int ch = 0; ch < 3; ++ch) {
          lengths[3 * x + ch] = o.length;
          lengths[n + 3 * x + ch] = o.centre;
        }
      }
    }
    const int plane_stride = 3 * std::min(dst_width, kPart) + 4;
    // Per source row and column cell: p, d and s of one part.
    const std::size_t row_values = 3 * cells_size * plane_stride;
    auto prepare = [&](TBandWork& b) {
      b.acc.resize(3 * static_cast<std::size_t>(std::min(dst_width, kPart)));
      b.planes[0].assign(2 * static_cast<std::size_t>(plane_stride), 0);
      b.pair_d[0].assign(2 * row_values, 0.0);
    };
    const double area = PixelArea(src, dst_width, dst_height);
    const int row_bytes = 3 * sw;

    // Cell rows outermost and the cells of a column next, so that each element's sum runs over
    // the cells in the same order as one pixel at a time would.
    auto render = [&](TBandWork& b, int y, int x0, int x1, std::uint8_t* out) {
      const int e0 = 3 * x0, count = 3 * (x1 - x0);
      double* acc = b.acc.data();
      std::fill(acc, acc + count, 0.0);
      // The left and right samples of every cell, from one source row, made into p, d and s.
      auto gather = [&](int row, double* values) {
        const std::uint8_t* line = src.Row(row);
        std::uint8_t* pl = b.planes[0].data();
        std::uint8_t* pr = pl + plane_stride;
        for (int q = 0; q < cells; ++q) {
          const int32_t* left = &w.cell_offset[2 * q * static_cast<std::size_t>(dst_width)];
          const int32_t* right = left + dst_width;
          for (int x = x0; x < x1; ++x) {
            std::uint8_t* dl = pl + 3 * (x - x0);
            std::uint8_t* dr = pr + 3 * (x - x0);
            // Four bytes where the row has them; the spare one is the next pixel's.
            if (right[x] + 4 <= row_bytes) {
              std::memcpy(dl, line + left[x], 4);
              std::memcpy(dr, line + right[x], 4);
            } else {
              std::memcpy(dl, line + left[x], 3);
              std::memcpy(dr, line + right[x], 3);
            }
          }
          double* v = values + 3 * q * static_cast<std::size_t>(plane_stride);
          BiLinerIntegralRow(pl, pr, &w.cell_wx[(2 * q + 1) * static_cast<std::size_t>(n) + e0],
                             count, v, v + plane_stride, v + 2 * plane_stride);
        }
      };
      double* up_values = b.pair_d[0].data();
      double* lo_values = up_values + row_values;
      const double y0 = ry * y - 0.5, y1 = ry * (y + 1) - 0.500001;
      const int k0 = FloorToInt(y0), k1 = FloorToInt(y1);
      gather(std::clamp(k0, 0, sh - 1), up_values);
      for (int k = k0; k <= k1; ++k) {
        const TOverlap oy = CellOverlap(k, y0, y1);
        const int up_row = std::clamp(k, 0, sh - 1), lo_row = std::clamp(k + 1, 0, sh - 1);
        // Rows past the picture's edges repeat it: the same values serve both.
        double* lo = up_values;
        if (lo_row != up_row) {
          gather(lo_row, lo_values);
          lo = lo_values;
        }
        for (int q = 0; q < cells; ++q) {
          const double* u = up_values + 3 * q * static_cast<std::size_t>(plane_stride);
          const double* l = lo + 3 * q * static_cast<std::size_t>(plane_stride);
          const double* lengths = &w.cell_wx[2 * q * static_cast<std::size_t>(n)];
          BiLinerIntegralCell(u, u + plane_stride, u + 2 * plane_stride, l, l + plane_stride,
                              lengths + e0, lengths + n + e0, oy.length, oy.centre, count, acc);
        }
        if (lo != up_values) std::swap(up_values, lo_values);
      }
      IntegralOutput(acc, area, count, out + e0);
    };
    if (!RenderRows(dst_width, dst_height, prepare, render)) return false;
    dst.Swap(w.scratch);
    return true;
  } catch (...) {
    return false;
  }
}

bool StretchBitmap(const TBitmap24& src, TBitmap24& dst, int dst_width, int dst_height,
                   TBandExecutor* executor) {
  try {
    if (!TImU::SizeIsAllowed(dst_width, dst_height) || src.Empty()) return false;
    if (&src == &dst) {
      TBitmap24 out;
      if (!StretchBitmap(src, out, dst_width, dst_height, executor)) return false;
      dst.Swap(out);
      return true;
    }
    if (!dst.SetSize(dst_width, dst_height)) return false;
    return StretchBitmapInto(src, dst, 0, 0, dst_width, dst_height, executor);
  } catch (...) {
    return false;
  }
}

bool StretchBitmapInto(const TBitmap24& src, TBitmap24& dst, int left, int top, int width,
                       int height, TBandExecutor* executor) {
  try {
    if (src.Empty() || &src == &dst || width <= 0 || height <= 0 || left < 0 || top < 0 ||
        width > dst.Width() - left || height > dst.Height() - top)
      return false;
    const long long sw = src.Width(), sh = src.Height();
    std::vector<int32_t> cols(width);
    // floor((i + 0.5) * s / d) in integers: no rounding question at exact halves.
    for (int x = 0; x < width; ++x)
      cols[x] = static_cast<int32_t>(3 * std::min((2LL * x + 1) * sw / (2LL * width), sw - 1));
    auto source_row = [&](int y) {
      return static_cast<int>(std::min((2LL * y + 1) * sh / (2LL * height), sh - 1));
    };
    const std::size_t row_bytes = 3 * static_cast<std::size_t>(width);
    const std::size_t offset = 3 * static_cast<std::size_t>(left);
    // A four-byte copy may read past the last pixel of the last row only at the last column,
    // and writes one byte into the next pixel, which the next copy overwrites: the last pixel
    // of a row is copied with three bytes, so nothing beyond the region is touched.
    const int32_t wide_limit = static_cast<int32_t>(3 * (sw - 1));
    TRowBands run(executor, nullptr, TEngineOperation::kResize, height);
    return run.Run([&](int, int begin, int end) {
      for (int y = begin; y < end; ++y) {
        std::uint8_t* out = dst.Row(top + y) + offset;
        if (y > begin && source_row(y) == source_row(y - 1)) {
          std::memcpy(out, dst.Row(top + y - 1) + offset, row_bytes);
          continue;
        }
        const std::uint8_t* in = src.Row(source_row(y));
        int x = 0;
        for (; x + 1 < width && cols[x] < wide_limit; ++x)
          std::memcpy(out + 3 * x, in + cols[x], 4);
        for (; x < width; ++x) std::memcpy(out + 3 * x, in + cols[x], 3);
      }
      return true;
    });
  } catch (...) {
    return false;
  }
}
