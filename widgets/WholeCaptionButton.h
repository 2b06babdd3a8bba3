#pragma once

#include <QFont>
#include <QPushButton>

// A push button for narrow panels: when its caption is wider than the face, the caption is drawn
// in a smaller font instead of being cut off. The button's size and layout stay as they are.
class TWholeCaptionButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

  // The font the caption is drawn in at the button's present width.
  QFont CaptionFont() const;
  // The width the face leaves for the caption.
  int CaptionWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
