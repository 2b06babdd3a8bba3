#pragma once

class QWidget;

// Window placement on the primary screen.

// Puts a dialog a quarter of the free height down and centred across the screen.
void PlaceForm(QWidget* form);
// Restores a stored window rectangle, clamped so that the window stays reachable on the screen.
void IniSet_FormBounds(QWidget* form, int left, int top, int width, int height);
// The primary screen's size (1024 x 768 when there is none).
void PrimaryScreenSize(int& width, int& height);
