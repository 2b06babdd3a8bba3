// The angle text of the rotation, from the reader through the size arithmetic of every mode to
// the pixels of a small picture.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ImageRotation.h"
#include "engine/ImageUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TAngle angle;
  if (ParseAngleText(text, angle)) {
    for (int mode = 0; mode < 3; ++mode) {
      TRotationGeometry g;
      if (RotationGeometry(angle.value, 7, 5, mode, g) && !TImU::SizeIsAllowed(g.width, g.height))
        __builtin_trap();
    }
  }
  static const TBitmap24 src = [] {
    TBitmap24 bmp(7, 5);
    bmp.Fill(0x00336699);
    bmp.SetPixel(3, 2, kBlack);
    return bmp;
  }();
  TImageRotation rotation;
  for (int mode = 0; mode < 3; ++mode) {
    TBitmap24 out;
    if (rotation.Rotate(src, out, text, kWhite, mode) && out.Empty()) __builtin_trap();
  }
  return 0;
}
