#include "platform/OtherFormatDecoder.h"

#include <QImageReader>
#include <QPainter>

#include "platform/DecoderSupport.h"

namespace {

bool OpenReader(QImageReader& reader, const std::string& path, const char* format,
                std::string& error) {
  reader.setFileName(QString::fromStdString(path));
  reader.setFormat(format);
  reader.setDecideFormatFromContent(false);
  if (!reader.canRead()) {
    error = "cannot read " + path + ": " + reader.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace

bool TOtherFormatDecoder::Available(const char* format) {
  return QImageReader::supportedImageFormats().contains(QByteArray(format));
}

bool TOtherFormatDecoder::ReadSize(const std::string& path, int& width, int& height,
                                   std::string& error) const {
  QImageReader reader;
  if (!OpenReader(reader, path, format_, error)) return false;
  const QSize size = reader.size();
  if (size.isValid()) {
    width = size.width();
    height = size.height();
    return true;
  }
  QImage picture;
  if (!Decode(path, picture, error)) return false;
  width = picture.width();
  height = picture.height();
  return true;
}

bool TOtherFormatDecoder::Decode(const std::string& path, QImage& picture,
                                 std::string& error) const {
  QImageReader reader;
  if (!OpenReader(reader, path, format_, error)) return false;
  const QSize size = reader.size();
  if (size.isValid() && !RenderSizeIsSane(size.width(), size.height())) {
    error = "picture too large";
    return false;
  }
  // Qt's own ceiling, in megabytes, for a reader whose header tells no size.
  reader.setAllocationLimit(static_cast<int>(TBitmap24::kMaxPixels * 8 >> 20));
  QImage image;
  if (!reader.read(&image) || image.isNull()) {
    error = "cannot decode " + path + ": " + reader.errorString().toStdString();
    return false;
  }
  if (!RenderSizeIsSane(image.width(), image.height())) {
    error = "picture too large";
    return false;
  }
  picture = QImage(image.size(), QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.drawImage(0, 0, image);
  painter.end();
  return true;
}

bool TOtherFormatDecoder::Render(const std::string& path, int width, int height, TBitmap24& out,
                                 std::string& error) const {
  if (!RenderSizeIsSane(width, height)) {
    error = "render size out of range";
    return false;
  }
  QImage picture;
  if (!Decode(path, picture, error)) return false;
  if (picture.width() != width || picture.height() != height)
    picture = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return ImageToBitmap24(picture, out, error);
}
