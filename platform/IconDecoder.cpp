#include "platform/IconDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <cstring>

#include "engine/ImageUtils.h"
#include "platform/DecoderSupport.h"

namespace {

constexpr std::size_t kMaxIconFileBytes = 16u << 20;
// Icons hold at most 256 x 256 images by their directory; PNG entries may claim more.
constexpr int kMaxIconSide = 4096;

std::uint32_t Get16(const std::string& b, std::size_t at) {
  return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8);
}

std::uint32_t Get32(const std::string& b, std::size_t at) {
  return Get16(b, at) | (Get16(b, at + 2) << 16);
}

std::uint32_t Get32BigEndian(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
  return v;
}

struct TIconEntry {
  int width = 0;
  int height = 0;
  int depth = 0;
  bool png = false;  // the image is a PNG file of its own
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// A PNG image's header may claim any size; one far larger than its directory entry says (which
// holds 1 to 256, 0 meaning 256) is a broken or hostile file, refused before decoding.
bool PngSizeFitsDirectory(std::uint32_t png_side, int directory_side) {
  return png_side <= 2 * static_cast<std::uint32_t>(directory_side);
}

// Size and depth of one directory entry, preferring what its image data says: directories
// written by careless tools often hold zeros or stale values.
bool ReadEntry(const std::string& bytes, std::size_t dir, TIconEntry& entry, std::string& refusal) {
  entry.width = static_cast<std::uint8_t>(bytes[dir]);
  entry.height = static_cast<std::uint8_t>(bytes[dir + 1]);
  if (entry.width == 0) entry.width = 256;
  if (entry.height == 0) entry.height = 256;
  entry.depth = static_cast<int>(Get16(bytes, dir + 6));
  const std::uint32_t size = Get32(bytes, dir + 8);
  const std::uint32_t offset = Get32(bytes, dir + 12);
  if (offset >= bytes.size() || size == 0 || size > bytes.size() - offset) return false;
  entry.offset = offset;
  entry.size = size;
  static const char kPng[] = "\x89PNG\r\n\x1a\n";
  if (size >= 29 && std::memcmp(bytes.data() + offset, kPng, 8) == 0) {
    const std::uint32_t w = Get32BigEndian(bytes, offset + 16);
    const std::uint32_t h = Get32BigEndian(bytes, offset + 20);
    const int bit_depth = static_cast<std::uint8_t>(bytes[offset + 24]);
    const int channels[] = {1, 0, 3, 1, 2, 0, 4};
    const int colour_type = static_cast<std::uint8_t>(bytes[offset + 25]);
    if (w == 0 || h == 0) return false;
    if (!TImU::LoadSizeIsAllowed(w, h)) {
      refusal = TImU::LoadRefusalText(w, h);
      return false;
    }
    if (w > kMaxIconSide || h > kMaxIconSide || !PngSizeFitsDirectory(w, entry.width) ||
        !PngSizeFitsDirectory(h, entry.height)) {
      refusal = "icon image of " + std::to_string(w) + " x " + std::to_string(h) +
                " beyond its directory's " + std::to_string(entry.width) + " x " +
                std::to_string(entry.height);
      return false;
    }
    entry.png = true;
    entry.width = static_cast<int>(w);
    entry.height = static_cast<int>(h);
    if (colour_type <= 6 && channels[colour_type] > 0)
      entry.depth = colour_type == 3 ? bit_depth : bit_depth * channels[colour_type];
    return true;
  }
  if (size < 16 || Get32(bytes, offset) < 16) return false;
  const std::int32_t w = static_cast<std::int32_t>(Get32(bytes, offset + 4));
  const std::int32_t h = static_cast<std::int32_t>(Get32(bytes, offset + 8)) / 2;
  if (w > 0 && h > 0 && w <= kMaxIconSide && h <= kMaxIconSide) {
    entry.width = w;
    entry.height = h;
  }
  const int bits = static_cast<int>(Get16(bytes, offset + 14));
  if (bits > 0) entry.depth = bits;
  return true;
}

// Index of the image to show: the largest by area, then the deepest; -1 when the directory is
// broken.
int ChooseImage(const std::string& bytes, TIconEntry& chosen, std::string& error) {
  if (bytes.size() < 6 || Get16(bytes, 0) != 0 || (Get16(bytes, 2) != 1 && Get16(bytes, 2) != 2)) {
    error = "not an icon file";
    return -1;
  }
  const std::size_t count = Get16(bytes, 4);
  if (count == 0 || bytes.size() < 6 + 16 * count) {
    error = "broken icon directory";
    return -1;
  }
  int best = -1;
  TIconEntry best_entry;
  std::string refusal;
  for (std::size_t i = 0; i < count; ++i) {
    TIconEntry e;
    if (!ReadEntry(bytes, 6 + 16 * i, e, refusal)) continue;
    const long long area = static_cast<long long>(e.width) * e.height;
    const long long best_area = static_cast<long long>(best_entry.width) * best_entry.height;
    if (best < 0 || area > best_area || (area == best_area && e.depth > best_entry.depth)) {
      best = static_cast<int>(i);
      best_entry = e;
    }
  }
  if (best < 0) error = refusal.empty() ? "icon holds no readable image" : refusal;
  chosen = best_entry;
  return best;
}

// A PNG image is read by the PNG reader itself, whatever the icon reader makes of it.
bool ReadPngImage(const std::string& bytes, const TIconEntry& entry, QImage& image,
                  std::string& error) {
  QByteArray data =
      QByteArray::fromRawData(bytes.data() + entry.offset, static_cast<qsizetype>(entry.size));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  reader.setAllocationLimit(64);
  if (!reader.read(&image) || image.isNull()) {
    error = "cannot decode the icon's PNG image: " + reader.errorString().toStdString();
    return false;
  }
  if (image.width() != entry.width || image.height() != entry.height) {
    error = "icon PNG image differs from its header";
    return false;
  }
  return true;
}

}  // namespace

bool TIconDecoder::DecodeBytes(const std::string& bytes, QImage& picture, std::string& error) {
  TIconEntry entry;
  const int index = ChooseImage(bytes, entry, error);
  if (index < 0) return false;
  QImage image;
  if (entry.png) {
    if (!ReadPngImage(bytes, entry, image, error)) return false;
  } else {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.setAllocationLimit(64);
    if (index > 0 && !reader.jumpToImage(index)) {
      error = "cannot reach the icon image";
      return false;
    }
    if (!reader.read(&image) || image.isNull()) {
      error = "cannot decode the icon: " + reader.errorString().toStdString();
      return false;
    }
  }
  if (image.width() > kMaxIconSide || image.height() > kMaxIconSide) {
    error = "icon image too large";
    return false;
  }
  image.convertTo(QImage::Format_ARGB32);
  const int w = image.width();
  for (int y = 0; y < image.height(); ++y) {
    QRgb* p = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int a = qAlpha(p[x]);
      const int back = 255 * (255 - a);
      p[x] = qRgb((qRed(p[x]) * a + back + 127) / 255, (qGreen(p[x]) * a + back + 127) / 255,
                  (qBlue(p[x]) * a + back + 127) / 255);
    }
  }
  picture = image.convertToFormat(QImage::Format_RGB32);
  return true;
}

bool TIconDecoder::RenderBytes(const std::string& bytes, int width, int height, TBitmap24& out,
                               std::string& error) {
  if (!RenderSizeIsSane(width, height)) {
    error = "render size out of range";
    return false;
  }
  QImage picture;
  if (!DecodeBytes(bytes, picture, error)) return false;
  if (picture.width() != width || picture.height() != height)
    picture = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return ImageToBitmap24(picture, out, error);
}

bool TIconDecoder::ReadSize(const std::string& path, int& width, int& height,
                            std::string& error) const {
  std::string bytes;
  if (!ReadDecoderFile(path, kMaxIconFileBytes, bytes, error)) return false;
  QImage picture;
  if (!DecodeBytes(bytes, picture, error)) return false;
  width = picture.width();
  height = picture.height();
  return true;
}

bool TIconDecoder::Render(const std::string& path, int width, int height, TBitmap24& out,
                          std::string& error) const {
  std::string bytes;
  if (!ReadDecoderFile(path, kMaxIconFileBytes, bytes, error)) return false;
  return RenderBytes(bytes, width, height, out, error);
}
