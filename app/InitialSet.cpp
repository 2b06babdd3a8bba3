#include "app/InitialSet.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "model/Settings.h"
#include "platform/AppUtils.h"

void PrimaryScreenSize(int& width, int& height) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize size = screen ? screen->geometry().size() : QSize(1024, 768);
  width = size.width();
  height = size.height();
}

void PlaceForm(QWidget* form) {
  int screen_width, screen_height, left, top;
  PrimaryScreenSize(screen_width, screen_height);
  PlaceFormPosition(form->width(), form->height(), screen_width, screen_height, left, top);
  form->move(left, top);
}

void IniSet_FormBounds(QWidget* form, int left, int top, int width, int height) {
  if (!form) {
    ApU().Say("IniSet_FormBounds Error(例外)");
    return;
  }
  int screen_width, screen_height;
  PrimaryScreenSize(screen_width, screen_height);
  const TFormBounds b = ClampFormBounds({left, top, width, height}, screen_width, screen_height);
  form->setGeometry(b.left, b.top, b.width, b.height);
}
