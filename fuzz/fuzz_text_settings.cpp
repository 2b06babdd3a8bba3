// Text settings from records and settings files, drawn with block glyphs onto a small picture.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ImageOption.h"
#include "tests/engine/BlockFontRasteriser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const TBlockFontRasteriser font;
  static TBitmap24 source = [] {
    TBitmap24 b(64, 48);
    b.Fill(0x808080);
    return b;
  }();
  static TBitmap24 result;
  const std::string settings(reinterpret_cast<const char*>(data), size);
  int left = 0, top = 0;
  if (DrawText(source, result, settings, font, left, top)) {
    // Whatever was drawn stays within the working size limit.
    if (result.Width() > 5000 || static_cast<long long>(result.Width()) * result.Height() > 4000000)
      __builtin_trap();
  }
  return 0;
}
