// The kernel text: any bytes must parse or fail with a message, and a parsed kernel must filter
// a small picture exactly as the plain definition of the convolution says.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ImageFilterSimple.h"

namespace {

const TBitmap24& Source() {
  static const TBitmap24 bmp = [] {
    TBitmap24 b(7, 5);
    for (int y = 0; y < 5; ++y)
      for (int m = 0; m < 21; ++m)
        b.Row(y)[m] = static_cast<std::uint8_t>((m * 37 + y * 91) & 0xFF);
    return b;
  }();
  return bmp;
}

// Sums are exact in long double (64-bit mantissa) for every kernel the parser accepts.
std::uint8_t Reference(const TImageFilterSimple& f, int x, int y, int ch) {
  const TBitmap24& src = Source();
  const int n = f.KernelSize();
  const int r = static_cast<int>(std::nearbyint((n - 1) / 2.0));
  long double sum = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int sy = std::clamp(y - r + i, 0, src.Height() - 1);
      const int sx = std::clamp(x - r + j, 0, src.Width() - 1);
      sum += static_cast<long double>(f.Weight(i, j)) * src.Row(sy)[3 * sx + ch];
    }
  if (f.Total() > 0)
    return static_cast<std::uint8_t>(std::clamp(std::nearbyintl(sum / f.Total()), 0.0L, 255.0L));
  return static_cast<std::uint8_t>(sum < 0 ? 0 : (sum > 255 ? 255 : sum));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TImageFilterSimple f;
  if (!f.ParseKernelText(text, true)) {
    if (f.Messages().empty()) __builtin_trap();
    return 0;
  }
  const int n = f.KernelSize();
  if (n < 2 || n > TImageFilterSimple::kMaxKernelSize || f.Kernel().size() != std::size_t(n) * n ||
      f.Level() < 0 || f.Level() > 255)
    __builtin_trap();

  TBitmap24 plain = Source();
  if (!f.Convolve(plain, 0, 255)) __builtin_trap();
  for (int y = 0; y < plain.Height(); ++y)
    for (int x = 0; x < plain.Width(); ++x)
      for (int ch = 0; ch < 3; ++ch)
        if (plain.Row(y)[3 * x + ch] != Reference(f, x, y, ch)) __builtin_trap();

  TBitmap24 run = Source();
  if (!f.RunKernelText(run, text) || run.Width() != 7 || run.Height() != 5) __builtin_trap();
  return 0;
}
