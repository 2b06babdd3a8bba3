#pragma once

#include <QKeySequence>
#include <functional>
#include <map>
#include <string>

class QAction;
class QWidget;

// The actions of a window part: named as the design names them, added to the window so that
// their shortcuts work while the menu bar is hidden, and kept by name for lookups.
using TActionMap = std::map<std::string, QAction*>;

QAction* MakeNamedAction(QWidget& window, TActionMap& actions, const char* name,
                         const char* caption, const QKeySequence& key = {}, bool checkable = false);

// The action by name, or nullptr.
QAction* FindAction(const TActionMap& actions, const std::string& name);

// Runs a handler's body; an unexpected failure shows the handler's name and " Error".
void GuardHandler(const char* handler, const std::function<void()>& body);
