#include "widgets/FormPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "model/Settings.h"

QRect FormScreenArea(const QWidget& widget) {
  const QWidget* owner = widget.parentWidget() ? widget.parentWidget()->window() : &widget;
  QScreen* screen = owner->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry() : QRect();
}

void PlaceForm(QWidget& form) {
  const QRect area = FormScreenArea(form);
  if (area.isEmpty()) return;
  int left = 0, top = 0;
  PlaceFormPosition(form.width(), form.height(), area.width(), area.height(), left, top);
  form.move(area.x() + left, area.y() + top);
}
