#pragma once

#include <QImage>
#include <QWidget>

#include "engine/Bitmap24.h"

// The shown picture (MainImage): a widget of the display size drawing its picture stretched over
// itself. The stretched copy is made once per display size and source, never on a repaint, so
// dragging the picture only moves the widget. A picture shown far beyond the screen (a display
// copy of more than kMaxCachedPixels) is stretched part by part for the exposed region instead.
class TMainImage : public QWidget {
  Q_OBJECT

 public:
  static constexpr long long kMaxCachedPixels = 16'000'000;

  explicit TMainImage(QWidget* parent = nullptr);

  // The picture to show; the widget keeps the pointer until the next call (nullptr: none).
  // smooth stretches with area averaging (pictures beyond the working size limit, which the
  // correction cannot handle); otherwise the nearest pixel is taken, as the platform's stretch
  // drawing does.
  void SetPicture(const TBitmap24* picture, bool smooth);
  // Call after the picture's pixels changed in place.
  void PictureChanged();
  const TBitmap24* Picture() const { return picture_; }

  // The displayed picture as the user sees it (for the clipboard and tests).
  QImage DisplayedImage() const;

  // The stretch of the display copy: columns and rows take source pixel floor((x + 0.5) * sw / dw).
  static QImage Stretch(const TBitmap24& picture, int width, int height, const QRect& part,
                        bool smooth);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool CacheFits() const;

  const TBitmap24* picture_ = nullptr;
  bool smooth_ = false;
  QImage cache_;
};
