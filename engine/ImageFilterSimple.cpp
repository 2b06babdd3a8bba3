#include "engine/ImageFilterSimple.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>

#include "engine/ImageUtils.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VELMORA_X86 1
#define VELMORA_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VELMORA_CLONES
#endif

namespace {

constexpr const char* kSizeMismatchUnsharp = "ピクチャーのサイズが不正です(2)。";
constexpr const char* kSizeMismatchCombine = "２つのピクチャーのサイズが異なっています。";
constexpr const char* kUnexpectedCall = "予定外の呼び出しです。";
constexpr const char* kTooManyRows = "行数が多すぎるためフィルタの表示は中止します。";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A 32-bit decimal integer with optional sign; blanks around it are allowed, as the dialog
// writes " 1" and "  3".
bool ParseInt32(std::string_view text, int& value) {
  text = Trim(text);
  if (text.empty()) return false;
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  long long v = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return false;
    v = v * 10 + (ch - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  value = static_cast<int>(v);
  return true;
}

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& ch : u)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return u;
}

// round((n - 1) / 2) with ties to even: 4 gives 2 and 6 gives 2.
int KernelRadius(int n) { return static_cast<int>(std::nearbyint((n - 1) / 2.0)); }

// round(s / t) to nearest, ties to even, for t > 0, held to 0..255. The sum is first held to
// [-t, 256t], which cannot change the clamped result; the quotient is then estimated in single
// precision (off by at most one) and settled exactly by the integer remainder. Needs 258 * t
// and |s| below 2^31.
inline __attribute__((always_inline)) std::uint8_t RoundDivToByte(int s, int t, float inverse) {
  s = s < -t ? -t : (s > 256 * t ? 256 * t : s);
  // Shifted by an even multiple of t so that the parity of the quotient is kept.
  const int s2 = s + 2 * t;
  const int q1 = static_cast<int>(static_cast<float>(s2) * inverse + 0.5f);
  const int r2 = 2 * (s2 - q1 * t);
  const int odd = q1 & 1;
  const int up = (r2 > t) | ((r2 == t) & odd);
  const int down = (r2 < -t) | ((r2 == -t) & odd);
  int q = q1 + up - down - 2;
  q = q < 0 ? 0 : (q > 255 ? 255 : q);
  return static_cast<std::uint8_t>(q);
}

// The same rounding for any 64-bit sum.
std::uint8_t RoundDivToByte64(long long s, long long t) {
  long long q = s / t;
  long long rem = s - q * t;
  if (rem < 0) {
    --q;
    rem += t;
  }
  if (2 * rem > t || (2 * rem == t && (q & 1))) ++q;
  return static_cast<std::uint8_t>(q < 0 ? 0 : (q > 255 ? 255 : q));
}

// One pair of horizontally neighbouring kernel taps: ptr points into a pair row (each lane
// holds a source byte and the byte one pixel to its right as two 16-bit halves) and weights
// holds the two 16-bit weights in the same order.
struct TPairTap {
  const std::uint32_t* ptr;
  std::uint32_t weights;
};

VELMORA_CLONES void AccumulatePairsPlain(const TPairTap* taps, int count, int lanes,
                                         std::int32_t* sums) {
  std::fill(sums, sums + lanes, 0);
  for (int t = 0; t < count; ++t) {
    const std::uint32_t* p = taps[t].ptr;
    const int lo = static_cast<std::int16_t>(taps[t].weights & 0xFFFF);
    const int hi = static_cast<std::int16_t>(taps[t].weights >> 16);
    for (int m = 0; m < lanes; ++m)
      sums[m] += static_cast<int>(p[m] & 0xFFFF) * lo + static_cast<int>(p[m] >> 16) * hi;
  }
}

#ifdef VELMORA_X86
// lanes must be a multiple of 32 and every pair row readable that far past its tap offset.
__attribute__((target("avx2"))) void AccumulatePairsAvx2(const TPairTap* taps, int count, int lanes,
                                                         std::int32_t* sums) {
  for (int m = 0; m < lanes; m += 32) {
    __m256i a0 = _mm256_setzero_si256(), a1 = a0, a2 = a0, a3 = a0;
    for (int t = 0; t < count; ++t) {
      const __m256i w = _mm256_set1_epi32(static_cast<int>(taps[t].weights));
      const __m256i* p = reinterpret_cast<const __m256i*>(taps[t].ptr + m);
      a0 = _mm256_add_epi32(a0, _mm256_madd_epi16(_mm256_loadu_si256(p), w));
      a1 = _mm256_add_epi32(a1, _mm256_madd_epi16(_mm256_loadu_si256(p + 1), w));
      a2 = _mm256_add_epi32(a2, _mm256_madd_epi16(_mm256_loadu_si256(p + 2), w));
      a3 = _mm256_add_epi32(a3, _mm256_madd_epi16(_mm256_loadu_si256(p + 3), w));
    }
    __m256i* out = reinterpret_cast<__m256i*>(sums + m);
    _mm256_storeu_si256(out, a0);
    _mm256_storeu_si256(out + 1, a1);
    _mm256_storeu_si256(out + 2, a2);
    _mm256_storeu_si256(out + 3, a3);
  }
}

// lanes must be a multiple of 64.
__attribute__((target("avx512bw"))) void AccumulatePairsAvx512(const TPairTap* taps, int count,
                                                               int lanes, std::int32_t* sums) {
  for (int m = 0; m < lanes; m += 64) {
    __m512i a0 = _mm512_setzero_si512(), a1 = a0, a2 = a0, a3 = a0;
    for (int t = 0; t < count; ++t) {
      const __m512i w = _mm512_set1_epi32(static_cast<int>(taps[t].weights));
      const std::uint32_t* p = taps[t].ptr + m;
      a0 = _mm512_add_epi32(a0, _mm512_madd_epi16(_mm512_loadu_si512(p), w));
      a1 = _mm512_add_epi32(a1, _mm512_madd_epi16(_mm512_loadu_si512(p + 16), w));
      a2 = _mm512_add_epi32(a2, _mm512_madd_epi16(_mm512_loadu_si512(p + 32), w));
      a3 = _mm512_add_epi32(a3, _mm512_madd_epi16(_mm512_loadu_si512(p + 48), w));
    }
    _mm512_storeu_si512(sums + m, a0);
    _mm512_storeu_si512(sums + m + 16, a1);
    _mm512_storeu_si512(sums + m + 32, a2);
    _mm512_storeu_si512(sums + m + 48, a3);
  }
}

bool CpuHasAvx512() {
  static const bool has = __builtin_cpu_supports("avx512bw");
  return has;
}

bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

void AccumulatePairs(TImageFilterSimple::TVectorUnit unit, const TPairTap* taps, int count,
                     int lanes, std::int32_t* sums) {
  using TUnit = TImageFilterSimple::TVectorUnit;
#ifdef VELMORA_X86
  if (unit >= TUnit::kAvx512 && CpuHasAvx512())
    return AccumulatePairsAvx512(taps, count, lanes, sums);
  if (unit >= TUnit::kAvx2 && CpuHasAvx2()) return AccumulatePairsAvx2(taps, count, lanes, sums);
#else
  (void)unit;
#endif
  AccumulatePairsPlain(taps, count, lanes, sums);
}

VELMORA_CLONES void FinalisePositive(const std::int32_t* sums, int lanes, int offset, int total,
                                     float inverse, std::uint8_t* out) {
  for (int m = 0; m < lanes; ++m) out[m] = RoundDivToByte(sums[m] + offset, total, inverse);
}

// Totals up to kSmallTotal: with the sum held to [-t, 256t] a quotient that is not a tie lies at
// least 1 / (2t) from the nearest half, far beyond the single-precision error (about 5e-5), so
// the estimate is already exact; only ties of even totals need the integer remainder.
constexpr int kSmallTotal = 4096;

template <bool kEvenTotal>
inline __attribute__((always_inline)) std::uint8_t RoundSmallDivToByte(int s, int total,
                                                                       float inverse) {
  // Shifted by an even multiple of t, which keeps the parity of the quotient.
  int s2 = std::clamp(s, -total, 256 * total) + 2 * total;
  int q = static_cast<int>(static_cast<float>(s2) * inverse + 0.5f);
  if constexpr (kEvenTotal) {
    const int r = s2 - q * total;
    const int odd = q & 1;
    const int half = total / 2;
    q += ((r == half) & odd) - ((r == -half) & odd);
  }
  return static_cast<std::uint8_t>(std::clamp(q - 2, 0, 255));
}

template <bool kEvenTotal>
inline __attribute__((always_inline)) void FinaliseSmallTotal(const std::int32_t* sums, int lanes,
                                                              int offset, int total, float inverse,
                                                              std::uint8_t* out) {
  for (int m = 0; m < lanes; ++m)
    out[m] = RoundSmallDivToByte<kEvenTotal>(sums[m] + offset, total, inverse);
}

VELMORA_CLONES void FinaliseSmallOddTotal(const std::int32_t* sums, int lanes, int offset,
                                          int total, float inverse, std::uint8_t* out) {
  FinaliseSmallTotal<false>(sums, lanes, offset, total, inverse, out);
}

VELMORA_CLONES void FinaliseSmallEvenTotal(const std::int32_t* sums, int lanes, int offset,
                                           int total, float inverse, std::uint8_t* out) {
  FinaliseSmallTotal<true>(sums, lanes, offset, total, inverse, out);
}

VELMORA_CLONES void FinaliseNonPositive(const std::int32_t* sums, int lanes, int offset,
                                        int maximum, std::uint8_t* out) {
  for (int m = 0; m < lanes; ++m) {
    const int s = sums[m] + offset;
    out[m] = static_cast<std::uint8_t>(s < 0 ? 0 : (s > maximum ? maximum : s));
  }
}

// Pair lanes of the padded row: lane k holds padded byte k and padded byte k + 3 (one pixel to
// the right), where the padded row is the source row with r copies of its first pixel before it
// and n - r copies of its last pixel after it. Tap j of output lane m then reads lane m + 3j.
VELMORA_CLONES void MakePairRowMiddle(const std::uint8_t* row, int count, std::uint32_t* pairs) {
  for (int m = 0; m < count; ++m)
    pairs[m] = static_cast<std::uint32_t>(row[m]) | (static_cast<std::uint32_t>(row[m + 3]) << 16);
}

void MakePairRow(const std::uint8_t* row, int width, int n, int r, std::uint32_t* pairs) {
  auto byte_at = [&](int p, int ch) {
    return static_cast<std::uint32_t>(row[3 * std::clamp(p - r, 0, width - 1) + ch]);
  };
  auto edge = [&](int p) {
    for (int ch = 0; ch < 3; ++ch) pairs[3 * p + ch] = byte_at(p, ch) | (byte_at(p + 1, ch) << 16);
  };
  // Padded pixels p and p + 1 both inside the picture for r <= p <= r + width - 2.
  for (int p = 0; p < r; ++p) edge(p);
  if (width > 1) MakePairRowMiddle(row, 3 * (width - 1), pairs + 3 * r);
  for (int p = r + width - 1; p < width + n - 1; ++p) edge(p);
}

// The source row with r copies of its first pixel before it and n - r copies of its last
// pixel after it, so that tap j of output pixel x reads pixel x + j.
void PadRow(const std::uint8_t* row, int width, int n, int r, std::uint8_t* padded) {
  for (int p = 0; p < r; ++p) std::memcpy(padded + 3 * p, row, 3);
  std::memcpy(padded + 3 * r, row, 3 * static_cast<std::size_t>(width));
  const std::uint8_t* last = row + 3 * static_cast<std::size_t>(width - 1);
  for (int p = r + width; p < width + n; ++p) std::memcpy(padded + 3 * p, last, 3);
}

// Beyond this strength every changed channel is already driven to 0 or 255, so holding it here
// keeps the products within 32 bits without changing any result.
int ClampUnsharpStrength(int strength) { return std::clamp(strength, -8000000, 8000000); }

VELMORA_CLONES void UnsharpRow(const std::uint8_t* a, const std::uint8_t* b, int lanes,
                               int strength, std::uint8_t* out) {
  constexpr float kInverse = 1.0f / 100.0f;
  for (int m = 0; m < lanes; ++m)
    out[m] = RoundSmallDivToByte<true>(100 * a[m] + (a[m] - b[m]) * strength, 100, kInverse);
}

VELMORA_CLONES void GreyRow(const std::uint8_t* src, int width, std::uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    const int v = (src[3 * x] + src[3 * x + 1] + src[3 * x + 2]) / 3;
    out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = static_cast<std::uint8_t>(v);
  }
}

}  // namespace

bool TImageFilterSimple::SetKernel(int n, const std::vector<int>& weights) {
  if (n < 1 || n > kMaxKernelSize || weights.size() != static_cast<std::size_t>(n) * n)
    return false;
  size_ = n;
  kernel_ = weights;
  total_ = 0;
  for (int w : kernel_) total_ += w;
  return true;
}

void TImageFilterSimple::AddMessage(const char* caption, std::string text) {
  messages_.push_back({caption, std::move(text)});
}

void TImageFilterSimple::SetStatus(const std::string& text) {
  if (owner_) owner_->Status(text);
}

bool TImageFilterSimple::ParseKernelText(const std::string& text, bool show_kernel) {
  try {
    if (Trim(text).empty()) {
      AddMessage(kConfirmCaption, "KernelData Error(4)");
      return false;
    }
    const std::vector<std::string_view> fields = SplitFields(text);
    const std::string kind = Upper(Trim(fields[0]));
    if (kind == "STD") {
      kind_ = kStandard;
    } else if (kind == "UNS") {
      kind_ = kUnsharp;
    } else if (kind == "EMB") {
      kind_ = kEmboss;
    } else if (kind == "+EM") {
      kind_ = kEmbossAdded;
    } else {
      AddMessage(kConfirmCaption, "KernelData Error(1)");
      return false;
    }
    int n = 0;
    const bool n_read = fields.size() >= 2 && ParseInt32(fields[1], n);
    if (!n_read) {
      // Reading goes on with n = 0, which the field count check turns away.
      AddMessage(kConfirmCaption, "KernelData Error(2)");
      if (fields.size() != 4) AddMessage(kConfirmCaption, "KernelData Error(3)");
      return false;
    }
    // The count check bounds n by what the text holds before anything is allocated.
    const long long weight_count = static_cast<long long>(n) * n;
    if (static_cast<long long>(fields.size()) != weight_count + 4) {
      AddMessage(kConfirmCaption, "KernelData Error(3)");
      return false;
    }
    const int size = n < 2 ? 3 : n;
    if (size > kMaxKernelSize) {
      AddMessage(kConfirmCaption, "KernelData Error(5)");
      return false;
    }
    std::vector<int> kernel(static_cast<std::size_t>(size) * size, 0);
    if (n >= 2) {
      for (std::size_t k = 0; k < kernel.size(); ++k) {
        int w = 1;  // a weight that is not a number counts as 1
        if (!ParseInt32(fields[2 + k], w)) w = 1;
        kernel[k] = w;
      }
    } else if (n == 1) {
      // A 1 x 1 kernel is its own centre.
      int w = 1;
      if (!ParseInt32(fields[2], w)) w = 1;
      kernel[static_cast<std::size_t>(size / 2) * size + size / 2] = w;
    }
    SetKernel(size, kernel);
    int grey = 0;
    if (!ParseInt32(fields[weight_count + 2], grey)) {
      AddMessage(kConfirmCaption, "KernelData Error(5)");
      return false;
    }
    grey_ = grey == 1;
    int level = 128;
    if (ParseInt32(fields[weight_count + 3], level))
      level_ = std::clamp(level, 0, 255);
    else
      level_ = 128;
    if (show_kernel) AddMessage(kFilterCaption, ShowKernel());
    return true;
  } catch (const std::exception&) {
    AddMessage(kConfirmCaption, "KernelData Error(5)");
    return false;
  }
}

bool TImageFilterSimple::MakeKernel(int size, bool apply_centre_percent, bool show_kernel,
                                    bool grid_method, bool all_ones, int centre_percent) {
  const int n = size < 2 ? 3 : size;
  if (n > kMaxKernelSize) return false;
  std::vector<int> weights = LowPassWeights(n, all_ones, grid_method);
  if (apply_centre_percent) {
    const std::size_t centre = static_cast<std::size_t>(n / 2) * n + n / 2;
    long long others = 0;
    for (int w : weights) others += w;
    others -= weights[centre];
    long long value = 0;
    if (!CentreWeightForPercent(others, centre_percent, value)) return false;
    if (value > 2147483647LL || value < -2147483647LL) return false;
    weights[centre] = static_cast<int>(value);
  }
  SetKernel(n, weights);
  if (show_kernel) AddMessage(kFilterCaption, ShowKernel());
  return true;
}

std::string TImageFilterSimple::ShowKernel() const {
  if (size_ >= 22) return kTooManyRows;
  std::string text;
  char cell[16];
  for (int i = 0; i < size_; ++i) {
    for (int j = 0; j < size_; ++j) {
      std::snprintf(cell, sizeof cell, "%4d ", Weight(i, j));
      text += cell;
    }
    text += "\r\n";
  }
  return text;
}

bool TImageFilterSimple::ConvolveInto(const TBitmap24& src, TBitmap24& dst, int offset, int maximum,
                                      const int* unsharp_strength) {
  if (maximum < 0 || maximum > 255) maximum = 255;
  const int width = src.Width();
  const int height = src.Height();
  const int n = size_;
  if (!TImU::SizeIsAllowed(width, height)) return false;
  if (n < 1 || n > kMaxKernelSize || kernel_.size() != static_cast<std::size_t>(n) * n)
    return false;
  if (!dst.SetSize(width, height)) return false;

  const int r = KernelRadius(n);
  const int lanes = 3 * width;
  long long abs_sum = 0;
  int max_abs = 0;
  for (int w : kernel_) {
    const int a = w < 0 ? (w == -2147483647 - 1 ? 2147483647 : -w) : w;
    abs_sum += a;
    max_abs = std::max(max_abs, a);
  }
  // 16-bit weights and 32-bit sums are exact while the sum of |weights| x 255 stays far below
  // 2^31; anything larger takes the 64-bit path.
  const bool fast =
      max_abs <= 32767 && abs_sum <= 4000000 && offset > -(1 << 28) && offset < (1 << 28);

  // Each band keeps a ring of source rows: the window of one output row is a run of at most
  // min(n, height) consecutive source rows, so row sy lives in slot sy mod slots.
  const int slots = std::min(n, height);
  const std::size_t padded_bytes = 3 * (static_cast<std::size_t>(width) + n);
  const int padded_lanes = (lanes + 63) / 64 * 64;
  const std::size_t pair_stride =
      (static_cast<std::size_t>(padded_lanes) + 3 * static_cast<std::size_t>(n) + 15) / 16 * 16;
  const int pairs_per_row = (n + 1) / 2;
  const int total = static_cast<int>(total_);
  const float inverse = total > 0 ? 1.0f / static_cast<float>(total) : 0.0f;

  TRowBands run(Executor(), owner_, TEngineOperation::kFilter, height);
  if (bands_.size() < static_cast<std::size_t>(run.Count()))
    bands_.resize(static_cast<std::size_t>(run.Count()));
  return run.Run([&](int band, int begin, int end) {
    TBandScratch& bs = bands_[static_cast<std::size_t>(band)];
    // With unsharp masking each convolved row is combined with its source row at once, while
    // both are still in cache; the blurred picture is never stored.
    if (unsharp_strength) bs.row.resize(static_cast<std::size_t>(lanes));
    auto output_row = [&](int y) { return unsharp_strength ? bs.row.data() : dst.Row(y); };
    auto finish_row = [&](int y) {
      if (unsharp_strength)
        UnsharpRow(src.Row(y), bs.row.data(), lanes, *unsharp_strength, dst.Row(y));
    };
    std::vector<int> slot_row(static_cast<std::size_t>(slots), -1);
    std::vector<int> source_rows(static_cast<std::size_t>(n));
    auto window_rows = [&](int y) {
      for (int i = 0; i < n; ++i) source_rows[i] = std::clamp(y - r + i, 0, height - 1);
    };

    if (fast) {
      bs.rows.assign(static_cast<std::size_t>(slots) * pair_stride, 0);
      bs.sums.resize(static_cast<std::size_t>(padded_lanes));
      std::vector<TPairTap> taps;
      taps.reserve(static_cast<std::size_t>(n) * pairs_per_row);
      for (int y = begin; y < end; ++y) {
        if (!run.Checkpoint(y)) return false;
        window_rows(y);
        taps.clear();
        for (int i = 0; i < n; ++i) {
          const int sy = source_rows[i];
          std::uint32_t* pairs =
              bs.rows.data() + static_cast<std::size_t>(sy % slots) * pair_stride;
          if (slot_row[sy % slots] != sy) {
            MakePairRow(src.Row(sy), width, n, r, pairs);
            slot_row[sy % slots] = sy;
          }
          const int* krow = kernel_.data() + static_cast<std::size_t>(i) * n;
          for (int p = 0; p < pairs_per_row; ++p) {
            const int lo = krow[2 * p];
            const int hi = 2 * p + 1 < n ? krow[2 * p + 1] : 0;
            if (lo == 0 && hi == 0) continue;
            taps.push_back({pairs + 6 * p, static_cast<std::uint32_t>(lo & 0xFFFF) |
                                               (static_cast<std::uint32_t>(hi & 0xFFFF) << 16)});
          }
        }
        AccumulatePairs(vector_unit_, taps.data(), static_cast<int>(taps.size()), padded_lanes,
                        bs.sums.data());
        std::uint8_t* out = output_row(y);
        const std::int32_t* sums = bs.sums.data();
        if (total > kSmallTotal)
          FinalisePositive(sums, lanes, offset, total, inverse, out);
        else if (total > 0 && total % 2 != 0)
          FinaliseSmallOddTotal(sums, lanes, offset, total, inverse, out);
        else if (total > 0)
          FinaliseSmallEvenTotal(sums, lanes, offset, total, inverse, out);
        else
          FinaliseNonPositive(sums, lanes, offset, maximum, out);
        finish_row(y);
      }
      return true;
    }

    // Exact 64-bit path for kernels with very large weights.
    bs.padded.resize(static_cast<std::size_t>(slots) * padded_bytes);
    std::vector<long long> sums(static_cast<std::size_t>(lanes));
    for (int y = begin; y < end; ++y) {
      if (!run.Checkpoint(y)) return false;
      window_rows(y);
      std::fill(sums.begin(), sums.end(), 0LL);
      for (int i = 0; i < n; ++i) {
        const int sy = source_rows[i];
        std::uint8_t* padded =
            bs.padded.data() + static_cast<std::size_t>(sy % slots) * padded_bytes;
        if (slot_row[sy % slots] != sy) {
          PadRow(src.Row(sy), width, n, r, padded);
          slot_row[sy % slots] = sy;
        }
        for (int j = 0; j < n; ++j) {
          const long long w = kernel_[static_cast<std::size_t>(i) * n + j];
          if (w == 0) continue;
          const std::uint8_t* p = padded + 3 * j;
          for (int m = 0; m < lanes; ++m) sums[m] += w * p[m];
        }
      }
      std::uint8_t* out = output_row(y);
      for (int m = 0; m < lanes; ++m) {
        const long long s = sums[m] + offset;
        if (total_ > 0)
          out[m] = RoundDivToByte64(s, total_);
        else
          out[m] = static_cast<std::uint8_t>(s < 0 ? 0 : (s > maximum ? maximum : s));
      }
      finish_row(y);
    }
    return true;
  });
}

bool TImageFilterSimple::Convolve(TBitmap24& bitmap, int offset, int maximum) {
  try {
    if (!ConvolveInto(bitmap, scratch_[0], offset, maximum)) return false;
    bitmap.Swap(scratch_[0]);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TImageFilterSimple::GreyInto(const TBitmap24& src, TBitmap24& dst) {
  const int width = src.Width();
  const int height = src.Height();
  if (!TImU::SizeIsAllowed(width, height) || !dst.SetSize(width, height)) return false;
  // Cancellable but without progress of its own: it is a step of a larger filter.
  TRowBands run(Executor(), nullptr, TEngineOperation::kFilter, height);
  return run.Run([&](int, int begin, int end) {
    for (int y = begin; y < end; ++y) {
      if (y % 100 == 0 && OwnerCancelled(owner_)) return false;
      GreyRow(src.Row(y), width, dst.Row(y));
    }
    return true;
  });
}

bool TImageFilterSimple::MakeGrey(TBitmap24& bitmap) {
  try {
    if (!GreyInto(bitmap, scratch_[0])) return false;
    bitmap.Swap(scratch_[0]);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TImageFilterSimple::LowPass(TBitmap24& bitmap, int size, bool apply_centre_percent,
                                 int centre_percent, bool show_kernel, bool grid_method,
                                 bool all_ones) {
  SetStatus("LowPassFilter");
  if (!MakeKernel(size, apply_centre_percent, show_kernel, grid_method, all_ones, centre_percent))
    return false;
  return Convolve(bitmap, 0, 255);
}

bool TImageFilterSimple::UnsharpMask(TBitmap24& bitmap, int strength, int size,
                                     bool apply_centre_percent, int centre_percent,
                                     bool show_kernel, bool grid_method, bool all_ones) {
  try {
    SetStatus("LowPassFilter");
    if (!MakeKernel(size, apply_centre_percent, show_kernel, grid_method, all_ones, centre_percent))
      return false;
    SetStatus("UnSharpMasking");
    const int held = ClampUnsharpStrength(strength);
    if (!ConvolveInto(bitmap, scratch_[0], 0, 255, &held)) return false;
    bitmap.Swap(scratch_[0]);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TImageFilterSimple::UnsharpInto(const TBitmap24& picture, const TBitmap24& blurred,
                                     int strength, TBitmap24& dst) {
  const int width = picture.Width();
  const int height = picture.Height();
  if (!TImU::SizeIsAllowed(width, height) || !dst.SetSize(width, height)) return false;
  strength = ClampUnsharpStrength(strength);
  TRowBands run(Executor(), owner_, TEngineOperation::kFilter, height);
  return run.Run([&](int, int begin, int end) {
    for (int y = begin; y < end; ++y) {
      if (!run.Checkpoint(y)) return false;
      UnsharpRow(picture.Row(y), blurred.Row(y), 3 * width, strength, dst.Row(y));
    }
    return true;
  });
}

bool TImageFilterSimple::UnsharpCombine(TBitmap24& picture, const TBitmap24& blurred,
                                        int strength) {
  try {
    SetStatus("UnSharpMasking");
    if (!picture.SameSizeAs(blurred)) {
      AddMessage(kConfirmCaption, kSizeMismatchUnsharp);
      return false;
    }
    TBitmap24& out = &blurred == &scratch_[0] ? scratch_[2] : scratch_[0];
    if (!UnsharpInto(picture, blurred, strength, out)) return false;
    picture.Swap(out);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TImageFilterSimple::CombineInto(const TBitmap24& picture, const TBitmap24& second,
                                     double weight_second, double weight_picture,
                                     const std::string& operation, TBitmap24& dst) {
  SetStatus(operation + "_Caliculate");
  const std::string op = Upper(operation);
  if (!picture.SameSizeAs(second)) {
    AddMessage(kConfirmCaption, kSizeMismatchCombine);
    return false;
  }
  enum { kAdd, kSub, kAve, kCal } mode;
  if (op == "ADD") {
    mode = kAdd;
  } else if (op == "SUB") {
    mode = kSub;
  } else if (op == "AVE") {
    mode = kAve;
  } else if (op == "CAL") {
    mode = kCal;
  } else {
    AddMessage(kConfirmCaption, kUnexpectedCall);
    return false;
  }
  const int width = picture.Width();
  const int height = picture.Height();
  if (!TImU::SizeIsAllowed(width, height) || !dst.SetSize(width, height)) return false;
  double picture_part[256], second_part[256];
  for (int v = 0; v < 256; ++v) {
    picture_part[v] = v * weight_picture;
    second_part[v] = v * weight_second;
  }
  const int lanes = 3 * width;
  TRowBands run(Executor(), owner_, TEngineOperation::kFilter, height);
  return run.Run([&](int, int begin, int end) {
    for (int y = begin; y < end; ++y) {
      if (!run.Checkpoint(y)) return false;
      const std::uint8_t* a = picture.Row(y);
      const std::uint8_t* b = second.Row(y);
      std::uint8_t* out = dst.Row(y);
      for (int m = 0; m < lanes; ++m) {
        int v;
        switch (mode) {
          case kAdd:
            v = a[m] + b[m];
            break;
          case kSub:
            v = a[m] - b[m];
            break;
          case kAve: {
            const int s = a[m] + b[m];
            v = (s >> 1) + ((s & 1) & ((s >> 1) & 1));  // ties to even
            break;
          }
          default: {
            const double x = picture_part[a[m]] + second_part[b[m]];
            // Negative weights and NaN must not wrap around.
            v = !(x > 0) ? 0 : (x > 255 ? 255 : static_cast<int>(std::nearbyint(x)));
            break;
          }
        }
        out[m] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
    }
    return true;
  });
}

bool TImageFilterSimple::CombineTwo(TBitmap24& picture, const TBitmap24& second,
                                    double weight_second, double weight_picture,
                                    const std::string& operation) {
  try {
    TBitmap24& out = &second == &scratch_[0] ? scratch_[2] : scratch_[0];
    if (!CombineInto(picture, second, weight_second, weight_picture, operation, out)) return false;
    picture.Swap(out);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TImageFilterSimple::EmbossInto(const TBitmap24& src, TBitmap24& dst) {
  if (level_ < 0 || level_ > 255) level_ = 128;
  const int maximum = level_ < 18 ? 32 : 2 * level_ - 1;
  return ConvolveInto(src, dst, level_, maximum);
}

bool TImageFilterSimple::Emboss(TBitmap24& bitmap) {
  try {
    if (!EmbossInto(bitmap, scratch_[0])) return false;
    bitmap.Swap(scratch_[0]);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TImageFilterSimple::RunParsedKernel(const TBitmap24& bitmap, TBitmap24& out) {
  TBitmap24& grey = scratch_[1];
  TBitmap24& work = scratch_[2];
  const TBitmap24* source = &bitmap;
  if (grey_ && kind_ != kEmbossAdded) {
    if (!GreyInto(bitmap, grey)) {
      AddMessage(kConfirmCaption, "FreeKernel Error(1)");
      return false;
    }
    source = &grey;
  }
  switch (kind_) {
    case kStandard:
      SetStatus("FilterCalculation");
      return ConvolveInto(*source, out, 0, 255);
    case kUnsharp: {
      SetStatus("UnSharpMasking");
      const int strength = 100;
      return ConvolveInto(*source, out, 0, 255, &strength);
    }
    case kEmboss:
      SetStatus("Embossing");
      return EmbossInto(*source, out);
    case kEmbossAdded: {
      SetStatus("+Embossing");
      if (grey_) {
        if (!GreyInto(bitmap, grey)) {
          AddMessage(kConfirmCaption, "FreeKernel Error(1)");
          return false;
        }
        source = &grey;
      }
      if (!EmbossInto(*source, work)) return false;
      if (level_ < 0 || level_ > 255) level_ = 128;
      return CombineInto(bitmap, work, 1.0, 1.0 - level_ / 255.0, "Cal", out);
    }
    default:
      AddMessage(kConfirmCaption, "FreeKernelData Error");
      return false;
  }
}

bool TImageFilterSimple::RunKernelText(TBitmap24& bitmap, const std::string& text) {
  // A text that does not parse is not applied: a half-read kernel would spoil the picture.
  if (!ParseKernelText(text, false)) return false;
  try {
    if (!RunParsedKernel(bitmap, scratch_[0])) return false;
    bitmap.Swap(scratch_[0]);
    return true;
  } catch (const std::exception&) {
    AddMessage(kConfirmCaption, "FreeKernel Error(2)");
    return false;
  }
}
