#include "platform/ApUWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

TApUWindow::TApUWindow() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint) {
  setObjectName("ApU");
  setWindowTitle("ApU");
  resize(250, 100);
  setMinimumSize(250, 100);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 6, 4, 6);
  message_label_ = new QLabel(this);
  message_label_->setObjectName("MessageLabel");
  message_label_->setWordWrap(true);
  message_label_->setAutoFillBackground(true);
  QPalette palette = message_label_->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::ToolTipBase));
  message_label_->setPalette(palette);
  layout->addWidget(message_label_);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
}

void TApUWindow::ShowText(const QString& caption, const QString& text) {
  setWindowTitle(caption);
  message_label_->setText(text);
  if (!shown_) show();
}

void TApUWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

void TApUWindow::hideEvent(QHideEvent* event) {
  message_label_->clear();
  shown_ = false;
  QWidget::hideEvent(event);
}

void TApUWindow::showEvent(QShowEvent* event) {
  shown_ = true;
  QWidget::showEvent(event);
}
