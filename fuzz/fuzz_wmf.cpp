// WMF player on arbitrary bytes: natural size, then renders at bounded sizes.
#include "fuzz/QtFuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartOffscreenApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMetafile(TMetafileKind::kWmf, data, size);
  return 0;
}
