// velmora-test-picture OUT WIDTH HEIGHT [SEED]: a photo-like picture (soft gradients, shapes and
// grain) for scripts that try commands on camera-sized pictures. .jpg or .bmp by the name.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "engine/ImageBasics.h"

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: velmora-test-picture OUT WIDTH HEIGHT [SEED]\n");
    return 2;
  }
  const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
  const unsigned seed = argc == 5 ? static_cast<unsigned>(std::atoi(argv[4])) : 1;
  TBitmap24 picture;
  if (width < 1 || height < 1 || !picture.SetSize(width, height)) {
    std::fprintf(stderr, "velmora-test-picture: no picture of %s x %s\n", argv[2], argv[3]);
    return 2;
  }
  // Per column and per row waves, so that the inner loop only adds and looks up.
  std::vector<int> column(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x)
    column[static_cast<std::size_t>(x)] =
        static_cast<int>(60 * std::sin(x * 0.004 + seed) + 30 * std::sin(x * 0.031));
  std::uint32_t noise = 2463534242u + seed;
  const int cx = width / 2, cy = height / 2, radius = std::min(width, height) / 4;
  for (int y = 0; y < height; ++y) {
    const int row = static_cast<int>(50 * std::cos(y * 0.005 + 2.0 * seed));
    std::uint8_t* p = picture.Row(y);
    const long long dy = y - cy;
    for (int x = 0; x < width; ++x, p += 3) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      const int grain = static_cast<int>(noise & 15) - 8;
      const long long dx = x - cx;
      const int disc = dx * dx + dy * dy < static_cast<long long>(radius) * radius ? 50 : 0;
      const int base = 120 + column[static_cast<std::size_t>(x)] + row + grain;
      p[0] = static_cast<std::uint8_t>(std::clamp(base + disc - y * 60 / height, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(base - disc / 2, 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(base + x * 80 / width - disc, 0, 255));
    }
  }
  std::string error;
  if (!SavePictureFile(picture, argv[1], true, 92, nullptr, &error)) {
    std::fprintf(stderr, "velmora-test-picture: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  return 0;
}
