#include "widgets/ActionSupport.h"

#include <QAction>
#include <QWidget>

#include "platform/AppUtils.h"

QAction* MakeNamedAction(QWidget& window, TActionMap& actions, const char* name,
                         const char* caption, const QKeySequence& key, bool checkable) {
  auto* action = new QAction(QString::fromUtf8(caption), &window);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  action->setCheckable(checkable);
  window.addAction(action);
  actions[name] = action;
  return action;
}

QAction* FindAction(const TActionMap& actions, const std::string& name) {
  const auto it = actions.find(name);
  return it == actions.end() ? nullptr : it->second;
}

void GuardHandler(const char* handler, const std::function<void()>& body) {
  try {
    body();
  } catch (...) {
    ApU().ShowMessage(std::string(handler) + " Error", TApU::kCaption);
  }
}
