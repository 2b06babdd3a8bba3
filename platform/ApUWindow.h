#pragma once

#include <QCloseEvent>
#include <QLabel>
#include <QWidget>

// The hidden message window: a small stay-on-top window that shows a message when a message box
// cannot. Closing it only hides it.
class TApUWindow : public QWidget {
  Q_OBJECT

 public:
  TApUWindow();
  void ShowText(const QString& caption, const QString& text);
  bool Shown() const { return shown_; }
  QLabel* MessageLabel() const { return message_label_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* message_label_;
  bool shown_ = false;
};
