// JPEG decoder through libjpeg: any bytes must give a picture or a failure, never an exit. At 1/8
// the quick decoder either declines a file or gives libjpeg's own pixels.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/JpegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int width = 0, height = 0;
  std::string error;
  const bool sized = ReadJpegSize(data, size, width, height, error);
  TBitmap24 out;
  const bool decoded = DecodeJpeg(data, size, out, error);
  if (decoded && (!sized || out.Width() != width || out.Height() != height)) __builtin_trap();
  if (!decoded && error.empty()) __builtin_trap();

  TBitmap24 quick;
  if (DecodeJpegEighthQuickly(data, size, quick)) {
    if (!sized) __builtin_trap();
    SetQuickEighthDecoding(false);
    TBitmap24 reference;
    const bool ok =
        DecodeJpegAtLeast(data, size, (width + 7) / 8, (height + 7) / 8, reference, error);
    SetQuickEighthDecoding(true);
    if (!ok || !quick.SamePixels(reference)) __builtin_trap();
  }
  return 0;
}
