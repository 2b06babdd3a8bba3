#pragma once

#include <vector>

class QLayout;
class QSplitter;
class QWidget;

// Moves panels of a window into a full-screen host and back: each lent panel leaves a stand-in
// of its size in its home slot (a splitter slot or a layout slot), so it returns to the same
// place.
class TPanelLender {
 public:
  TPanelLender() = default;
  TPanelLender(const TPanelLender&) = delete;
  TPanelLender& operator=(const TPanelLender&) = delete;
  ~TPanelLender() { ReturnAll(); }

  // panel moves to the end of host's layout and is shown.
  void Lend(QWidget* panel, QWidget* host);
  // Every lent panel goes home, last lent first. A panel the host hid stays hidden; one shown
  // there stays shown.
  void ReturnAll();

 private:
  struct TLent {
    QWidget* panel;
    QWidget* stand_in;
    QSplitter* splitter;
    QLayout* layout;
  };
  std::vector<TLent> lent_;
};
