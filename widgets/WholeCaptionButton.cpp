#include "widgets/WholeCaptionButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// Below this the caption would no longer be legible; it is cut off instead.
constexpr double kSmallestPointSize = 6.0;

int TextWidth(const QWidget& button, const QFont& font, const QString& text) {
  return button.style()
      ->itemTextRect(QFontMetrics(font), QRect(), Qt::TextShowMnemonic, true, text)
      .width();
}

}  // namespace

int TWholeCaptionButton::CaptionWidth() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width();
}

QFont TWholeCaptionButton::CaptionFont() const {
  QFont caption = font();
  const int room = CaptionWidth();
  double size = caption.pointSizeF();
  if (size <= 0) return caption;  // a pixel-sized font is left alone
  while (size > kSmallestPointSize && TextWidth(*this, caption, text()) > room) {
    size -= 0.5;
    caption.setPointSizeF(size);
  }
  return caption;
}

void TWholeCaptionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QFont caption = CaptionFont();
  painter.setFont(caption);
  option.fontMetrics = QFontMetrics(caption);
  painter.drawControl(QStyle::CE_PushButton, option);
}
