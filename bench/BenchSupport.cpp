#include "bench/BenchSupport.h"

#include <cstdint>

TBitmap24 MakeBenchPicture(int width, int height) {
  TBitmap24 bmp(width, height);
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bmp.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 27);
      p[0] = static_cast<std::uint8_t>((x + noise) & 0xFF);
      p[1] = static_cast<std::uint8_t>((y * 2 + noise) & 0xFF);
      p[2] = static_cast<std::uint8_t>(((x ^ y) + noise) & 0xFF);
    }
  }
  return bmp;
}
