#include "platform/OtherFormatDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <cstdint>

#include "engine/ImageUtils.h"
#include "platform/DecoderSupport.h"

namespace {

// What a reader may allocate, in megabytes: the largest picture that may be loaded at 8 bytes a
// pixel (16-bit colour with alpha), for readers whose header tells no size.
constexpr int kAllocationLimitMb = static_cast<int>((TImU::kMaxLoadArea * 8 >> 20) + 1);

bool SizeRefused(const char* what, long long width, long long height, std::string& error) {
  if (width * height <= TImU::kMaxLoadArea) return false;
  error = std::string(what) + " " + TImU::LoadRefusalText(width, height);
  return true;
}

// Every size a GIF declares: the logical screen, which the reader allocates whatever the frames
// hold, and each frame's extent. False with error when one is beyond the load limit; damage is
// left for the reader to report.
bool GifSizesAllowed(const std::string& b, std::string& error) {
  if (b.size() < 13 || b.compare(0, 3, "GIF") != 0) return true;
  auto u8 = [&](std::size_t at) { return static_cast<std::uint8_t>(b[at]); };
  auto u16 = [&](std::size_t at) { return static_cast<long long>(u8(at) | (u8(at + 1) << 8)); };
  if (SizeRefused("GIF: the logical screen", u16(6), u16(8), error)) return false;
  auto colour_table = [&](std::uint8_t flags) {
    return (flags & 0x80) ? std::size_t{3} << ((flags & 7) + 1) : std::size_t{0};
  };
  auto skip_sub_blocks = [&](std::size_t pos) {
    while (pos < b.size()) {
      const std::size_t n = u8(pos);
      pos += 1 + n;
      if (n == 0) break;
    }
    return pos;
  };
  std::size_t pos = 13 + colour_table(u8(10));
  while (pos < b.size()) {
    const std::uint8_t tag = u8(pos);
    if (tag == 0x21) {
      pos = skip_sub_blocks(pos + 2);
    } else if (tag == 0x2C) {
      if (pos + 10 > b.size()) break;
      if (SizeRefused("GIF: a frame reaching", u16(pos + 1) + u16(pos + 5),
                      u16(pos + 3) + u16(pos + 7), error))
        return false;
      pos = skip_sub_blocks(pos + 10 + colour_table(u8(pos + 9)) + 1);
    } else {
      break;
    }
  }
  return true;
}

// A reader over bytes already read, with every size the file declares checked.
bool OpenReader(QImageReader& reader, const std::string& bytes, const std::string& path,
                const char* format, std::string& error) {
  reader.setFormat(format);
  reader.setDecideFormatFromContent(false);
  reader.setAllocationLimit(kAllocationLimitMb);
  if (!reader.canRead()) {
    error = "cannot read " + path + ": " + reader.errorString().toStdString();
    return false;
  }
  const QSize size = reader.size();
  if (size.isValid() && SizeRefused("the picture", size.width(), size.height(), error))
    return false;
  return GifSizesAllowed(bytes, error);
}

bool ReadBytes(const std::string& path, std::string& bytes, std::string& error) {
  return ReadDecoderFile(path, TImU::kMaxPictureFileBytes, bytes, error);
}

// The reader reads from memory: the file was opened as a regular file only, and a name that is
// not UTF-8 never passes through a QString.
struct TMemoryReader {
  explicit TMemoryReader(const std::string& bytes)
      : data(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))),
        buffer(&data) {
    buffer.open(QIODevice::ReadOnly);
    reader.setDevice(&buffer);
  }
  QByteArray data;
  QBuffer buffer;
  QImageReader reader;
};

}  // namespace

bool TOtherFormatDecoder::Available(const char* format) {
  return QImageReader::supportedImageFormats().contains(QByteArray(format));
}

bool TOtherFormatDecoder::ReadSize(const std::string& path, int& width, int& height,
                                   std::string& error) const {
  std::string bytes;
  if (!ReadBytes(path, bytes, error)) return false;
  TMemoryReader memory(bytes);
  if (!OpenReader(memory.reader, bytes, path, format_, error)) return false;
  const QSize size = memory.reader.size();
  if (size.isValid()) {
    width = size.width();
    height = size.height();
    return true;
  }
  QImage picture;
  if (!DecodeBytes(bytes, path, picture, error)) return false;
  width = picture.width();
  height = picture.height();
  return true;
}

bool TOtherFormatDecoder::Decode(const std::string& path, QImage& picture,
                                 std::string& error) const {
  std::string bytes;
  return ReadBytes(path, bytes, error) && DecodeBytes(bytes, path, picture, error);
}

bool TOtherFormatDecoder::DecodeBytes(const std::string& bytes, const std::string& path,
                                      QImage& picture, std::string& error) const {
  TMemoryReader memory(bytes);
  QImageReader& reader = memory.reader;
  if (!OpenReader(reader, bytes, path, format_, error)) return false;
  QImage image;
  if (!reader.read(&image) || image.isNull()) {
    error = "cannot decode " + path + ": " + reader.errorString().toStdString();
    return false;
  }
  if (!RenderSizeIsSane(image.width(), image.height()) ||
      SizeRefused("the picture", image.width(), image.height(), error)) {
    if (error.empty()) error = "picture too large";
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
