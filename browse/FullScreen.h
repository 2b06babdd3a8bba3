#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

class QAction;
class QSplitter;

// The full-screen host of the main window: a borderless window over the whole screen with a
// picture panel between two side panels; the right one has a top part for the progress panel.
// It draws nothing of its own: the main window moves its panels in and back. Esc leaves full
// screen through the owner's command.
class TFullScreenForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinPanelWidth = 100;

  explicit TFullScreenForm(QWidget* parent = nullptr);

  QWidget* FullPanel() const { return full_panel_; }
  QWidget* LeftPanel() const { return left_panel_; }
  QWidget* RightPanel() const { return right_panel_; }
  QWidget* RightTopPanel() const { return right_top_panel_; }
  QWidget* RightCenterPanel() const { return right_center_panel_; }

  // The widths a side panel returns to when shown (its "tag"), at least kMinPanelWidth.
  void SetRememberedWidths(int left, int right);
  int RememberedWidth(bool right) const { return right ? right_width_ : left_width_; }
  // Shows a hidden side panel at its remembered width, or hides a shown one.
  void TogglePanel(bool right);

  // The owner's commands answer their keys here while full screen is on; Esc stays the host's
  // own, so a command on Esc is not taken.
  void LendKeys(const QList<QAction*>& actions);
  void ReturnKeys();

  std::function<void()> leave;           // Esc: the owner's full-screen command
  std::function<void()> layout_changed;  // after a panel toggle or a splitter move
  // A close request on the host (the window manager's close, Alt+F4) is one on its owner: the
  // host itself only ever hides when full screen ends, with the owner's panels back home.
  std::function<void()> close_owner;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ApplyWidths();

  QSplitter* splitter_;
  QWidget* left_panel_;
  QWidget* full_panel_;
  QWidget* right_panel_;
  QWidget* right_top_panel_;
  QWidget* right_center_panel_;
  QList<QPointer<QAction>> lent_keys_;
  int left_width_ = kMinPanelWidth;
  int right_width_ = kMinPanelWidth;
};
