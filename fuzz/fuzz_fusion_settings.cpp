// Fusion settings with two small pictures whose sizes come from the first two bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ImageFusion.h"

namespace {

TBitmap24 Picture(int width, int height, std::uint8_t seed) {
  TBitmap24 b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      b.SetPixel(x, y, MakeColor(x * 7 + seed, y * 5, (x ^ y) & 1 ? 0 : 255));
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const TBitmap24 a = Picture(1 + data[0] % 40, 1 + data[0] / 40 % 30, data[1]);
  const TBitmap24 b = Picture(1 + data[1] % 40, 1 + data[1] / 40 % 30, data[0]);
  static TBitmap24 result;
  const std::string settings(reinterpret_cast<const char*>(data + 2), size - 2);
  int top = 0, left = 0;
  if (Fuse(a, b, top, left, settings, result)) {
    if (result.Width() > 5000 || static_cast<long long>(result.Width()) * result.Height() > 4000000)
      __builtin_trap();
  }
  return 0;
}
