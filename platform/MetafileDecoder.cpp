#include "platform/MetafileDecoder.h"

#include <QImage>

#include "platform/DecoderSupport.h"
#include "platform/MetafilePlayers.h"

namespace {

// Real metafiles stay far below this; it bounds the work a single file can ask for.
constexpr std::size_t kMaxMetafileBytes = 64u << 20;

}  // namespace

bool ReadMetafileSize(TMetafileKind kind, const std::string& bytes, int& width, int& height,
                      std::string& error) {
  if (bytes.size() > kMaxMetafileBytes) {
    error = "metafile too large";
    return false;
  }
  return kind == TMetafileKind::kWmf ? ReadWmfSize(bytes, width, height, error)
                                     : ReadEmfSize(bytes, width, height, error);
}

bool RenderMetafile(TMetafileKind kind, const std::string& bytes, int width, int height,
                    TBitmap24& out, std::string& error) {
  if (!RenderSizeIsSane(width, height)) {
    error = "render size out of range";
    return false;
  }
  if (bytes.size() > kMaxMetafileBytes) {
    error = "metafile too large";
    return false;
  }
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) {
    error = "not enough memory for the picture";
    return false;
  }
  image.fill(Qt::white);
  const bool played =
      kind == TMetafileKind::kWmf ? PlayWmf(bytes, image, error) : PlayEmf(bytes, image, error);
  return played && ImageToBitmap24(image, out, error);
}

bool TMetafileDecoder::ReadSize(const std::string& path, int& width, int& height,
                                std::string& error) const {
  std::string bytes;
  return ReadDecoderFile(path, kMaxMetafileBytes, bytes, error) &&
         ReadMetafileSize(kind_, bytes, width, height, error);
}

bool TMetafileDecoder::Render(const std::string& path, int width, int height, TBitmap24& out,
                              std::string& error) const {
  std::string bytes;
  return ReadDecoderFile(path, kMaxMetafileBytes, bytes, error) &&
         RenderMetafile(kind_, bytes, width, height, out, error);
}
