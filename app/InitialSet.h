#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// Window placement on the primary screen.

// Puts a dialog a quarter of the free height down and centred across the screen.
void PlaceForm(QWidget* form);
// Restores a stored window rectangle, clamped so that the window stays reachable on the screen.
void IniSet_FormBounds(QWidget* form, int left, int top, int width, int height);
// The primary screen's size (1024 x 768 when there is none).
void PrimaryScreenSize(int& width, int& height);

// Where a tool window goes that opens while another is open: one step down and to the left of
// the last open one (tool windows are placed at the screen's right edge), so that the new one
// does not cover it. A step that would leave the screen starts again from the window's own
// place in that direction. own is the window's frame at its own place.
QPoint CascadePosition(const QRect& own, const QRect& last_open, const QRect& screen,
                       int step = 24);
// Moves a tool window that was just opened for the first time to its cascade position after the
// last tool window still open (nothing when none is); later opens leave it where it is.
void CascadeToolWindow(QWidget* window);
