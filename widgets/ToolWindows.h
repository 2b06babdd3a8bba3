#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>

class QWidget;

// The effect dialogs and other tool windows a window opens beside itself.

// Where a tool window goes that opens while another is open: one step down and to the left of
// the last open one (tool windows are placed at the screen's right edge), so that the new one
// does not cover it. A step that would leave the screen starts again from the window's own
// place in that direction. own is the window's frame at its own place.
QPoint CascadePosition(const QRect& own, const QRect& last_open, const QRect& screen,
                       int step = 24);
// Moves a tool window that was just opened for the first time to its cascade position after the
// last tool window still open (nothing when none is); later opens leave it where it is.
void CascadeToolWindow(QWidget* window);

// Releases a dialog that may be inside its own event handler.
template <class Dialog>
void ReleaseDialog(QPointer<Dialog>& dialog) {
  if (!dialog) return;
  Dialog* old = dialog;
  dialog = nullptr;
  old->hide();
  old->deleteLater();
}

// Shows a dialog in front of the others.
template <class Dialog>
void FocusDialog(Dialog* dialog) {
  if (!dialog) return;
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}
