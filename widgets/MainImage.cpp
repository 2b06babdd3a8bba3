#include "widgets/MainImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <vector>

namespace {

// Source index of every destination column (or row) of part, nearest-pixel rule.
std::vector<int> NearestIndex(int source_size, int size, int first, int count) {
  std::vector<int> index(static_cast<std::size_t>(count));
  const double scale = static_cast<double>(source_size) / size;
  for (int i = 0; i < count; ++i) {
    const int s = static_cast<int>(std::floor((first + i + 0.5) * scale));
    index[static_cast<std::size_t>(i)] = std::min(std::max(s, 0), source_size - 1);
  }
  return index;
}

}  // namespace

TMainImage::TMainImage(QWidget* parent) : QWidget(parent) {
  setObjectName("MainImage");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMainImage::SetPicture(const TBitmap24* picture, bool smooth) {
  picture_ = picture;
  smooth_ = smooth;
  cache_ = QImage();
  update();
}

void TMainImage::PictureChanged() {
  cache_ = QImage();
  update();
}

bool TMainImage::CacheFits() const {
  return static_cast<long long>(width()) * height() <= kMaxCachedPixels;
}

QImage TMainImage::Stretch(const TBitmap24& picture, int width, int height, const QRect& part,
                           bool smooth) {
  if (picture.Empty() || width <= 0 || height <= 0 || part.isEmpty()) return {};
  if (smooth && part == QRect(0, 0, width, height)) {
    const QImage source(picture.Data(), picture.Width(), picture.Height(),
                        static_cast<qsizetype>(picture.Stride()), QImage::Format_BGR888);
    return source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
  }
  QImage image(part.size(), QImage::Format_RGB32);
  if (image.isNull()) return {};
  const std::vector<int> columns = NearestIndex(picture.Width(), width, part.x(), part.width());
  const std::vector<int> rows = NearestIndex(picture.Height(), height, part.y(), part.height());
  for (int y = 0; y < part.height(); ++y) {
    const std::uint8_t* source = picture.Row(rows[static_cast<std::size_t>(y)]);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < part.width(); ++x) {
      const std::uint8_t* p =
          source + 3 * static_cast<std::size_t>(columns[static_cast<std::size_t>(x)]);
      out[x] = qRgb(p[2], p[1], p[0]);
    }
  }
  return image;
}

QImage TMainImage::DisplayedImage() const {
  if (!picture_) return {};
  if (cache_.size() == size()) return cache_;
  return Stretch(*picture_, width(), height(), rect(), smooth_);
}

void TMainImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!picture_ || picture_->Empty()) {
    painter.fillRect(event->rect(), palette().window());
    return;
  }
  if (CacheFits()) {
    if (cache_.size() != size()) cache_ = Stretch(*picture_, width(), height(), rect(), smooth_);
    painter.drawImage(event->rect().topLeft(), cache_, event->rect());
    return;
  }
  const QRect part = event->rect() & rect();
  painter.drawImage(part.topLeft(), Stretch(*picture_, width(), height(), part, false));
}
