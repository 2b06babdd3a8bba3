#include "platform/DecoderSupport.h"

#include "engine/FileAccess.h"

bool ReadDecoderFile(const std::string& path, std::size_t max_bytes, std::string& bytes,
                     std::string& error) {
  std::string data, reason;
  if (!ReadRegularFile(path, max_bytes, data, reason)) {
    error = "cannot read " + path + ": " + reason;
    return false;
  }
  if (data.empty()) {
    error = "empty file " + path;
    return false;
  }
  bytes.swap(data);
  return true;
}

bool RenderSizeIsSane(int width, int height) {
  return width > 0 && height > 0 && static_cast<long long>(width) * height <= TBitmap24::kMaxPixels;
}

bool ImageToBitmap24(const QImage& image, TBitmap24& out, std::string& error) {
  if (image.isNull() ||
      (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
       image.format() != QImage::Format_ARGB32_Premultiplied)) {
    error = "no picture";
    return false;
  }
  // Sizing cannot fail after this check, so the caller's buffer is reused.
  if (!out.SetSize(image.width(), image.height())) {
    error = "picture too large";
    return false;
  }
  const int w = image.width();
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    std::uint8_t* dst = out.Row(y);
    for (int x = 0; x < w; ++x) {
      dst[3 * x] = static_cast<std::uint8_t>(qBlue(src[x]));
      dst[3 * x + 1] = static_cast<std::uint8_t>(qGreen(src[x]));
      dst[3 * x + 2] = static_cast<std::uint8_t>(qRed(src[x]));
    }
  }
  return true;
}
