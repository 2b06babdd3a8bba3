#pragma once

class QComboBox;
class QEvent;
class QObject;

// The typed-box rules every dialog shares: what is checked when the user leaves a box, and where
// the events of a combo box arrive.

// Leaving a box: the focus went to another control of this window. Switching to another window
// or opening a menu or the drop-down list is not leaving it.
bool LeftTheBox(const QEvent* event);
// Enter or Return was pressed.
bool IsEnter(const QEvent* event);
// A combo box takes the focus itself and hands keys to its line edit: a filter that checks typed
// entries must watch both.
void WatchBox(QComboBox* combo, QObject* filter);
// True when watched is combo or its line edit.
bool IsBox(const QObject* watched, const QComboBox* combo);
