#include "widgets/PanelLender.h"

#include <QLayout>
#include <QSplitter>
#include <QWidget>

void TPanelLender::Lend(QWidget* panel, QWidget* host) {
  QWidget* home = panel->parentWidget();
  auto* stand_in = new QWidget;
  stand_in->setObjectName(panel->objectName() + "Place");
  stand_in->setSizePolicy(panel->sizePolicy());
  stand_in->setMinimumSize(panel->minimumSizeHint().expandedTo(panel->minimumSize()));
  TLent lent{panel, stand_in, qobject_cast<QSplitter*>(home), nullptr};
  if (lent.splitter && lent.splitter->indexOf(panel) >= 0) {
    lent.splitter->replaceWidget(lent.splitter->indexOf(panel), stand_in);
  } else if (home && home->layout()) {
    lent.splitter = nullptr;
    lent.layout = home->layout();
    delete lent.layout->replaceWidget(panel, stand_in);
    stand_in->setVisible(!panel->isHidden());
  } else {
    delete stand_in;
    lent.stand_in = nullptr;
  }
  lent_.push_back(lent);
  host->layout()->addWidget(panel);
  panel->show();
}

void TPanelLender::ReturnAll() {
  for (auto it = lent_.rbegin(); it != lent_.rend(); ++it) {
    const bool hidden = it->panel->isHidden();
    if (it->splitter) {
      it->splitter->replaceWidget(it->splitter->indexOf(it->stand_in), it->panel);
    } else if (it->layout) {
      delete it->layout->replaceWidget(it->stand_in, it->panel);
    }
    it->panel->setVisible(!hidden);
    delete it->stand_in;
  }
  lent_.clear();
}
