#include "widgets/ToolWindows.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QPoint CascadePosition(const QRect& own, const QRect& last_open, const QRect& screen, int step) {
  if (last_open.isEmpty()) return own.topLeft();
  QPoint at = last_open.topLeft() + QPoint(-step, step);
  if (at.y() + own.height() > screen.bottom() + 1) at.setY(own.top());
  if (at.x() < screen.left()) at.setX(own.left());
  return at;
}

namespace {

// Tool windows placed by CascadeToolWindow carry the order in which they were opened.
constexpr const char* kCascadeOrder = "cascadeOrder";

}  // namespace

void CascadeToolWindow(QWidget* window) {
  if (!window || window->property(kCascadeOrder).isValid()) return;
  static qlonglong opened = 0;
  window->setProperty(kCascadeOrder, ++opened);
  const QWidget* last = nullptr;
  for (QWidget* other : QApplication::topLevelWidgets()) {
    if (other == window || !other->isVisible() || !other->property(kCascadeOrder).isValid())
      continue;
    if (!last ||
        other->property(kCascadeOrder).toLongLong() > last->property(kCascadeOrder).toLongLong())
      last = other;
  }
  if (!last) return;
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  window->move(CascadePosition(window->frameGeometry(), last->frameGeometry(), area));
}
