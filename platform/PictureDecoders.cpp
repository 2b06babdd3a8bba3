#include "platform/PictureDecoders.h"

#include "platform/IconDecoder.h"
#include "platform/MetafileDecoder.h"
#include "platform/OtherFormatDecoder.h"

namespace {

const TIconDecoder kIconDecoder;
const TMetafileDecoder kWmfDecoder(TMetafileKind::kWmf);
const TMetafileDecoder kEmfDecoder(TMetafileKind::kEmf);
const TOtherFormatDecoder kPngDecoder("png");
const TOtherFormatDecoder kGifDecoder("gif");
const TOtherFormatDecoder kTiffDecoder("tiff");
const TOtherFormatDecoder kWebpDecoder("webp");

}  // namespace

const TPictureDecoder* PlatformDecoderFor(const std::string& ext) {
  if (ext == ".ico") return &kIconDecoder;
  if (ext == ".wmf") return &kWmfDecoder;
  if (ext == ".emf") return &kEmfDecoder;
  if (ext == ".png") return &kPngDecoder;
  if (ext == ".gif") return &kGifDecoder;
  if (ext == ".tif" || ext == ".tiff") return &kTiffDecoder;
  if (ext == ".webp") return &kWebpDecoder;
  return nullptr;
}

void AddPlatformDecoders(TPictureLoader& loader) {
  for (const char* ext : {".ico", ".wmf", ".emf", ".png", ".gif", ".tif", ".tiff", ".webp"})
    loader.AddDecoder(ext, PlatformDecoderFor(ext));
}
