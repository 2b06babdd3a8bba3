#include "widgets/BoxEvents.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

bool LeftTheBox(const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool IsEnter(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void WatchBox(QComboBox* combo, QObject* filter) {
  combo->installEventFilter(filter);
  if (combo->lineEdit()) combo->lineEdit()->installEventFilter(filter);
}

bool IsBox(const QObject* watched, const QComboBox* combo) {
  return combo && (watched == combo || watched == combo->lineEdit());
}
