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

bool TImageRGBArrange::Arrange(TBitmap24& bitmap, const TRGBArrangeParams& params) {
  if (!TImU::SizeIsAllowed(bitmap.Width(), bitmap.Height())) return false;

  // Every channel's result depends on one key only: a source byte, the sum of the three (whose
  // integer third is the average), or nothing. One table per channel over the key makes the
  // per-pixel work a lookup.
  constexpr int kKeys = 3 * 255 + 1;
  std::uint8_t table[3][kKeys];
  unsigned mask[3][3];  // per result channel: masks for the red, green, blue bytes
  bool any_average = false;
  for (int ch = 0; ch < 3; ++ch) {
    const TSourceKind kind = KindOf(params.source[ch]);
    for (int k = 0; k < 3; ++k)
      mask[ch][k] = (kind == kAverage || kind == static_cast<TSourceKind>(k)) ? ~0u : 0u;
    any_average = any_average || kind == kAverage;
    for (int key = 0; key < kKeys; ++key) {
      int v;
      if (kind == kFixed)
        v = FixedValue(params, ch);
      else if (kind == kAverage)
        v = key / 3;
      else
        v = key < 256 ? key : 255;  // keys beyond a byte never occur for single sources
      table[ch][key] = static_cast<std::uint8_t>(FinishChannel(params, ch, v));
    }
  }

  const int width = bitmap.Width(), height = bitmap.Height();
  const bool progress = owner_ && owner_->ReportsProgress();
  OwnerStart(owner_, height);
  if (!any_average) {
    // Each result byte looks up one source byte of the same pixel (fixed values: any byte).
    int offset[3];  // byte offset of the source, per result channel red, green, blue
    for (int ch = 0; ch < 3; ++ch) {
      const TSourceKind kind = KindOf(params.source[ch]);
      offset[ch] = kind == kRed ? 2 : (kind == kGreen ? 1 : (kind == kBlue ? 0 : 0));
    }
    const std::uint8_t* tr = table[0];
    const std::uint8_t* tg = table[1];
    const std::uint8_t* tb = table[2];
    const int or_ = offset[0], og = offset[1], ob = offset[2];
    for (int y = 0; y < height; ++y) {
      if (progress && y % 100 == 0) owner_->Progress(y);
      std::uint8_t* p = bitmap.Row(y);
      for (int x = 0; x < width; ++x, p += 3) {
        const std::uint8_t r = tr[p[or_]], g = tg[p[og]], b = tb[p[ob]];
        p[0] = b;
        p[1] = g;
        p[2] = r;
      }
    }
    return true;
  }
  for (int y = 0; y < height; ++y) {
    if (progress && y % 100 == 0) owner_->Progress(y);
    std::uint8_t* p = bitmap.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const unsigned b = p[0], g = p[1], r = p[2];
      std::uint8_t out[3];
      for (int ch = 0; ch < 3; ++ch)
        out[ch] = table[ch][(r & mask[ch][0]) + (g & mask[ch][1]) + (b & mask[ch][2])];
      p[0] = out[2];
      p[1] = out[1];
      p[2] = out[0];
    }
  }
  return true;
}
