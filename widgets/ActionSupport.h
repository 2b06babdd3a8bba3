#pragma once

#include <QAction>
#include <QKeySequence>
#include <functional>
#include <map>
#include <string>

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

// Runs part's method when the action is triggered, guarded under the handler's name.
template <typename Part>
void ConnectGuarded(QAction* action, Part* part, const char* handler, void (Part::*method)()) {
  QObject::connect(action, &QAction::triggered, part, [part, handler, method] {
    GuardHandler(handler, [part, method] { (part->*method)(); });
  });
}
