// The nine-field parameter text of the RGB arrangement, read and applied to a small picture.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/ImageRGBArrange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static const TBitmap24 src = [] {
    TBitmap24 bmp(256, 1);
    for (int x = 0; x < 256; ++x)
      bmp.SetPixel(x, 0,
                   MakeColor(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(255 - x),
                             static_cast<std::uint8_t>(x * 7)));
    return bmp;
  }();
  TBitmap24 bmp = src;
  std::string message;
  TImageRGBArrange arrange;
  const bool ok = arrange.Arrange(bmp, text, &message);
  // A refused text names its fault and leaves the picture alone; an accepted one says nothing.
  if (ok != message.empty()) __builtin_trap();
  if (!ok && !bmp.SamePixels(src)) __builtin_trap();
  return 0;
}
