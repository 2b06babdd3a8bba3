#include "browse/FullScreen.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QWidget* Panel(const char* name, QBoxLayout* layout) {
  auto* panel = new QWidget;
  panel->setObjectName(name);
  layout->setParent(panel);
  panel->setLayout(layout);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return panel;
}

}  // namespace

TFullScreenForm::TFullScreenForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("FullScreenForm");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  splitter_ = new QSplitter(Qt::Horizontal);
  splitter_->setObjectName("FullScreenSplitter");
  splitter_->setChildrenCollapsible(false);
  layout->addWidget(splitter_);
  left_panel_ = Panel("LeftPanel", new QVBoxLayout);
  full_panel_ = Panel("FullPanel", new QVBoxLayout);
  right_panel_ = Panel("RightPanel", new QVBoxLayout);
  right_top_panel_ = Panel("RightTopPanel", new QVBoxLayout);
  right_center_panel_ = Panel("RightCenterPanel", new QVBoxLayout);
  right_panel_->layout()->addWidget(right_top_panel_);
  static_cast<QVBoxLayout*>(right_panel_->layout())->addWidget(right_center_panel_, 1);
  right_top_panel_->hide();
  splitter_->addWidget(left_panel_);
  splitter_->addWidget(full_panel_);
  splitter_->addWidget(right_panel_);
  splitter_->setStretchFactor(1, 1);
  left_panel_->hide();
  right_panel_->hide();
  // Esc leaves full screen whichever moved-in panel has the focus.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, [this] {
    if (leave) leave();
  });
  connect(splitter_, &QSplitter::splitterMoved, this, [this] {
    const QList<int> sizes = splitter_->sizes();
    if (left_panel_->isVisible()) left_width_ = std::max(sizes[0], kMinPanelWidth);
    if (right_panel_->isVisible()) right_width_ = std::max(sizes[2], kMinPanelWidth);
    if (layout_changed) layout_changed();
  });
}

void TFullScreenForm::SetRememberedWidths(int left, int right) {
  left_width_ = std::max(left, kMinPanelWidth);
  right_width_ = std::max(right, kMinPanelWidth);
}

void TFullScreenForm::LendKeys(const QList<QAction*>& actions) {
  ReturnKeys();
  const QKeySequence escape(Qt::Key_Escape);
  for (QAction* action : actions) {
    if (!action || action->shortcuts().contains(escape) || this->actions().contains(action))
      continue;
    addAction(action);
    lent_keys_.append(action);
  }
}

void TFullScreenForm::ReturnKeys() {
  for (const QPointer<QAction>& action : lent_keys_)
    if (action) removeAction(action);
  lent_keys_.clear();
}

void TFullScreenForm::TogglePanel(bool right) {
  QWidget* panel = right ? right_panel_ : left_panel_;
  panel->setVisible(!panel->isVisible());
  ApplyWidths();
  if (layout_changed) layout_changed();
}

void TFullScreenForm::ApplyWidths() {
  const int total = std::max(splitter_->width(), 3 * kMinPanelWidth);
  const int left = left_panel_->isVisible() ? left_width_ : 0;
  const int right = right_panel_->isVisible() ? right_width_ : 0;
  splitter_->setSizes({left, std::max(1, total - left - right), right});
}

void TFullScreenForm::closeEvent(QCloseEvent* event) {
  if (!close_owner) return;  // no owner: the window closes
  event->ignore();
  close_owner();
}

void TFullScreenForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (leave) leave();
    return;
  }
  QWidget::keyPressEvent(event);
}
