#pragma once

#include <QRect>

class QWidget;

// Where dialogs open: on the screen of the window that opens them, so that a dialog of a window
// on a second monitor opens there.

// The screen area of widget's parent window (or of widget itself, then the primary screen).
QRect FormScreenArea(const QWidget& widget);
// Moves form a quarter down and centred across the screen of its parent, at its current size.
void PlaceForm(QWidget& form);
