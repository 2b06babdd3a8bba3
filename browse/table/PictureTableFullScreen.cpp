#include "browse/table/PictureTableFullScreen.h"

#include <QListWidget>

TPictureTableFullScreenForm::TPictureTableFullScreenForm(QWidget* parent)
    : TFullScreenForm(parent) {
  setObjectName("PictureTableFullScreenForm");
}

void TPictureTableFullScreenForm::Lend(QWidget* main_panel, QListWidget* list, QWidget* progress,
                                       bool show_progress, int side_width) {
  SetRememberedWidths(kMinPanelWidth, side_width);
  RightPanel()->hide();
  lender_.Lend(main_panel, FullPanel());
  lender_.Lend(progress, RightTopPanel());
  progress->hide();
  RightTopPanel()->setVisible(show_progress);
  lender_.Lend(list, RightCenterPanel());
  list->setFrameShape(QFrame::NoFrame);
  list_ = list;
}

void TPictureTableFullScreenForm::ReturnLent() {
  lender_.ReturnAll();
  if (list_) list_->setFrameShape(QFrame::StyledPanel);
  list_ = nullptr;
}
