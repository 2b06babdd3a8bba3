// BMP reader: any bytes must give a picture or a failure, within the size checks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int width = 0, height = 0;
  std::string error;
  const bool sized = ReadBmpSize(data, size, width, height, error);
  TBitmap24 out;
  const bool decoded = DecodeBmp(data, size, out, error);
  // Both readers agree on what a valid file is and on its size.
  if (decoded && (!sized || out.Width() != width || out.Height() != height)) __builtin_trap();
  if (!decoded && error.empty()) __builtin_trap();
  return 0;
}
