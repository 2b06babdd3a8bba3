#include "platform/PictureDecoders.h"

#include "platform/IconDecoder.h"
#include "platform/MetafileDecoder.h"

namespace {

const TIconDecoder kIconDecoder;
const TMetafileDecoder kWmfDecoder(TMetafileKind::kWmf);
const TMetafileDecoder kEmfDecoder(TMetafileKind::kEmf);

}  // namespace

const TPictureDecoder* PlatformDecoderFor(const std::string& ext) {
  if (ext == ".ico") return &kIconDecoder;
  if (ext == ".wmf") return &kWmfDecoder;
  if (ext == ".emf") return &kEmfDecoder;
  return nullptr;
}

void AddPlatformDecoders(TPictureLoader& loader) {
  for (const char* ext : {".ico", ".wmf", ".emf"}) loader.AddDecoder(ext, PlatformDecoderFor(ext));
}
