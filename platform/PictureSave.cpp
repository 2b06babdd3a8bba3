#include "platform/PictureSave.h"

#include <QBuffer>
#include <QImage>

#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "platform/LineFile.h"

bool EncodePng(const TBitmap24& bitmap, std::string& bytes) {
  if (bitmap.Empty()) return false;
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB888);
  if (image.isNull()) return false;
  const int w = bitmap.Width();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* src = bitmap.Row(y);
    uchar* dst = image.scanLine(y);
    for (int x = 0; x < w; ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "png")) return false;
  bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
  return true;
}

bool SavePicture(const TBitmap24& bitmap, const std::string& path, bool keep_name, int quality,
                 std::string* saved_path, std::string* error) {
  if (LowerExtension(path) != ".png")
    return SavePictureFile(bitmap, path, keep_name, quality, saved_path, error);
  if (error) error->clear();
  const std::string target = keep_name ? path : MakeFreeFileName(path, 2);
  if (target.empty() || bitmap.Empty()) return false;
  std::string bytes;
  if (!EncodePng(bitmap, bytes)) {
    if (error) *error = "PNG: the picture cannot be written";
    return false;
  }
  if (!LineFile::ReplaceFile(target, bytes, error)) return false;
  if (saved_path) *saved_path = target;
  return true;
}
