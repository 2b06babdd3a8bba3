#pragma once

#include "browse/FullScreen.h"
#include "widgets/PanelLender.h"

class QListWidget;

// The thumbnail table's full-screen host: the table's cells fill the screen, with the item list
// (and above it the progress panel) in the side panel on the right, hidden at first. Esc leaves
// full screen through the table's command.
class TPictureTableFullScreenForm : public TFullScreenForm {
  Q_OBJECT

 public:
  explicit TPictureTableFullScreenForm(QWidget* parent = nullptr);

  // The table's panels move in: cells, list (without its border), progress panel (in the top
  // part, shown unless show_progress is off). side_width: the side panel's width to return to.
  void Lend(QWidget* main_panel, QListWidget* list, QWidget* progress, bool show_progress,
            int side_width);
  // Everything back to the table; the list gets its border again.
  void ReturnLent();
  // Ctrl + right click on a cell: the side panel shown or hidden.
  void ToggleSidePanel() { TogglePanel(true); }

 private:
  TPanelLender lender_;
  QListWidget* list_ = nullptr;
};
