// Icon decoder on arbitrary bytes.
#include "fuzz/QtFuzzSupport.h"
#include "platform/IconDecoder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartOffscreenApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  QImage picture;
  std::string error;
  if (!TIconDecoder::DecodeBytes(bytes, picture, error)) return 0;
  TBitmap24 out;
  TIconDecoder::RenderBytes(bytes, 37, 23, out, error);
  return 0;
}
