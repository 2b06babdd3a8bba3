#include "engine/ImageRGBArrange.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/DecimalText.h"
#include "engine/ImageUtils.h"

namespace {

enum TSourceKind { kRed = 0, kGreen = 1, kBlue = 2, kAverage = 3, kFixed = 4 };

TSourceKind KindOf(int code) {
  if (code >= 0 && code <= 9) return static_cast<TSourceKind>(code % 5);
  return kFixed;
}

// The value a channel ends with when its source gave v.
int FinishChannel(const TRGBArrangeParams& params, int channel, int v) {
  if (params.source[channel] > 4) v = 255 - v;
  const int n = params.amount[channel];
  long long result;
  if (params.percent[channel]) {
    // In floating point: v x n would overflow 32 bits for large amounts.
    result = v + static_cast<long long>(std::trunc(static_cast<double>(v) * n / 100.0));
  } else {
    result = static_cast<long long>(v) + n;
  }
  return result < 0 ? 0 : (result > 255 ? 255 : static_cast<int>(result));
}

int FixedValue(const TRGBArrangeParams& params, int channel) {
  return params.percent[channel] ? static_cast<std::uint8_t>(params.amount[channel]) : 0;
}

}  // namespace

bool ParseRGBArrangeText(std::string_view text, TRGBArrangeParams& params, std::string* message) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    fields.push_back(
        text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields.size() != 9) {
    if (message) *message = kRGBDataError1;
    return false;
  }
  TRGBArrangeParams parsed;
  for (int ch = 0; ch < 3; ++ch) {
    if (!ParseDecimalInt(fields[ch], parsed.source[ch]) ||
        !ParseDecimalInt(fields[6 + ch], parsed.amount[ch])) {
      if (message) *message = kRGBDataError2;
      return false;
    }
    parsed.percent[ch] = fields[3 + ch] == "1";
  }
  params = parsed;
  return true;
}

bool TImageRGBArrange::Arrange(TBitmap24& bitmap, std::string_view params_text,
                               std::string* message) {
  if (!TImU::SizeIsAllowed(bitmap.Width(), bitmap.Height())) return false;
  TRGBArrangeParams params;
  if (!ParseRGBArrangeText(params_text, params, message)) return false;
  return Arrange(bitmap, params);
}

namespace {

constexpr int kKeys = 3 * 255 + 1;

// One table per result channel over its key: a source byte, or for the average the sum of the
// three bytes (whose integer third is the average). Which channels take the sum is fixed at
// compile time so that the pixel loop has no branch and no selection.
template <bool kRedAverage, bool kGreenAverage, bool kBlueAverage>
void ArrangeRows(TBitmap24& bitmap, const std::uint8_t (&table)[3][kKeys], const int (&offset)[3],
                 TRowBands& run, int begin, int end) {
  const int width = bitmap.Width();
  const std::uint8_t* const tr = table[0];
  const std::uint8_t* const tg = table[1];
  const std::uint8_t* const tb = table[2];
  const int off_r = offset[0], off_g = offset[1], off_b = offset[2];
  for (int y = begin; y < end; ++y) {
    run.Checkpoint(y);
    std::uint8_t* p = bitmap.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const unsigned sum = (kRedAverage || kGreenAverage || kBlueAverage) ? p[0] + p[1] + p[2] : 0;
      const std::uint8_t r = tr[kRedAverage ? sum : p[off_r]];
      const std::uint8_t g = tg[kGreenAverage ? sum : p[off_g]];
      const std::uint8_t b = tb[kBlueAverage ? sum : p[off_b]];
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  }
}

}  // namespace

bool TImageRGBArrange::Arrange(TBitmap24& bitmap, const TRGBArrangeParams& params) {
  if (!TImU::SizeIsAllowed(bitmap.Width(), bitmap.Height())) return false;

  std::uint8_t table[3][kKeys];
  int offset[3];  // byte of the source within the pixel, per result channel red, green, blue
  bool average[3];
  for (int ch = 0; ch < 3; ++ch) {
    const TSourceKind kind = KindOf(params.source[ch]);
    average[ch] = kind == kAverage;
    // Fixed values ignore their key: any byte will do.
    offset[ch] = kind == kRed ? 2 : (kind == kGreen ? 1 : 0);
    const int keys = average[ch] ? kKeys : 256;
    for (int key = 0; key < keys; ++key) {
      const int v = kind == kFixed ? FixedValue(params, ch) : (average[ch] ? key / 3 : key);
      table[ch][key] = static_cast<std::uint8_t>(FinishChannel(params, ch, v));
    }
  }

  TRowBands run(ChooseExecutor(executor_, owner_), owner_, TEngineOperation::kRGBArrange,
                bitmap.Height(), false);
  using TRows =
      void (*)(TBitmap24&, const std::uint8_t(&)[3][kKeys], const int(&)[3], TRowBands&, int, int);
  static constexpr TRows kRows[8] = {
      ArrangeRows<false, false, false>, ArrangeRows<false, false, true>,
      ArrangeRows<false, true, false>,  ArrangeRows<false, true, true>,
      ArrangeRows<true, false, false>,  ArrangeRows<true, false, true>,
      ArrangeRows<true, true, false>,   ArrangeRows<true, true, true>};
  const TRows rows = kRows[(average[0] ? 4 : 0) + (average[1] ? 2 : 0) + (average[2] ? 1 : 0)];
  return run.Run([&](int, int begin, int end) {
    rows(bitmap, table, offset, run, begin, end);
    return true;
  });
}
