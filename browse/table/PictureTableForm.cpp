#include "browse/table/PictureTableForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "browse/SavePictureList.h"
#include "browse/table/PictureTableFullScreen.h"
#include "browse/table/TableEffectDialogs.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtText.h"

TPictureTableForm::TPictureTableForm(TContext context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      context_(std::move(context)),
      settings_(*context_.settings),
      cap_data_(*context_.paths) {
  setObjectName("PictureTableForm");
  setWindowTitle("PictureTable");
  setMinimumSize(150, 150);
  setAttribute(Qt::WA_DeleteOnClose);
  setAcceptDrops(true);
  save_dialog_runner = [](TSavePictureListForm& dialog) { return dialog.exec(); };
  BuildWidgets();
  BuildActions();
  BuildMenu();
  ApplySettings();
  effects_ =
      new TTableEffectDialogs(*this, actions_, context_.rgb_records, context_.filter_records,
                              {[this](const std::string& step, const std::string& parameter) {
                                 return ApplyEffect(step, parameter);
                               },
                               [this] { actions_["ReNewPicture1"]->trigger(); }});
  full_screen_ = std::make_unique<TPictureTableFullScreenForm>(this);
  full_screen_->leave = [this] { ViewFullScreenExecute(); };
  full_screen_->layout_changed = [this] {
    ClearCellImages();
    ApplyLayout(false);
  };
  full_screen_->close_owner = [this] {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
  };
  EnableCommands();
}

TPictureTableForm::~TPictureTableForm() = default;

QLabel* TPictureTableForm::CellImage(int cell) const {
  return cell >= 0 && cell < CellCount() ? cells_[static_cast<std::size_t>(cell)].image : nullptr;
}

bool TPictureTableForm::Busy() const { return filling_ || getting_all_; }

// ---------------------------------------------------------------------------------------------
// Settings

void TPictureTableForm::ApplySettings() {
  const TFormBounds bounds =
      TableOpeningBounds(settings_, context_.screen_width, context_.screen_height);
  setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
  {
    const QSignalBlocker rows(rows_combo_), columns(columns_combo_);
    rows_combo_->setCurrentIndex(OpeningCountIndex(settings_.h_count));
    columns_combo_->setCurrentIndex(OpeningCountIndex(settings_.w_count));
  }
  actions_["NotGetThumbNail1"]->setChecked(settings_.not_get_thumb_nail);
  actions_["RectifyBeforeEffect1"]->setChecked(settings_.rectify_before_effect);
  actions_["ShowFileData1"]->setChecked(settings_.show_file_data);
  actions_["GetRectifiedThumbNail1"]->setChecked(settings_.thumb_get_rectified);
  const int every = settings_.every_rectify_type;
  actions_["EveryTimeOnlyRectify1"]->setChecked(every != 1 && every != 2);
  actions_["EveryTimeAfterLowPassFilter1"]->setChecked(every == 1);
  actions_["EveryTimeAfterUnSharpMasking1"]->setChecked(every == 2);
  picture_position_ = kPositionCentre;
  ShowRepeat();
  slide_timer_->setInterval(std::max(settings_.slide_interval, 1));
}

void TPictureTableForm::TakeSettings() {
  const QRect bounds = full_screen_ && full_screen_->isVisible() ? normalGeometry() : geometry();
  settings_.left = bounds.left();
  settings_.top = bounds.top();
  settings_.width = bounds.width();
  settings_.height = bounds.height();
  settings_.h_count = rows_combo_->currentIndex();
  settings_.w_count = columns_combo_->currentIndex();
  settings_.not_get_thumb_nail = actions_["NotGetThumbNail1"]->isChecked();
  settings_.rectify_before_effect = actions_["RectifyBeforeEffect1"]->isChecked();
  settings_.show_file_data = actions_["ShowFileData1"]->isChecked();
  settings_.thumb_get_rectified = actions_["GetRectifiedThumbNail1"]->isChecked();
}

int TPictureTableForm::ColumnCount() const { return columns_combo_->currentIndex() + 1; }
int TPictureTableForm::RowCount() const { return rows_combo_->currentIndex() + 1; }

// ---------------------------------------------------------------------------------------------
// Items

void TPictureTableForm::SetItems(std::vector<std::string> items, bool file_data) {
  items_ = std::move(items);
  file_data_ = file_data || items_.empty();
  page_start_ = 0;
  ItemsChanged(true);
}

bool TPictureTableForm::AppendItems(const std::vector<std::string>& items, bool file_data) {
  if (!items_.empty() && file_data != file_data_) return false;
  if (items_.empty()) file_data_ = file_data;
  items_.insert(items_.end(), items.begin(), items.end());
  ItemsChanged(false);
  return true;
}

void TPictureTableForm::ItemsChanged(bool replaced) {
  if (!file_data_) {
    std::string message;
    if (!cap_data_.Assign(items_, &message) && message.empty())
      message = "データの取り扱いに問題が発生しました。";
    if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
  } else {
    cap_data_.Clear();
  }
  if (replaced)
    store_.Reset(items_.size());
  else
    store_.Resize(items_.size());
  RebuildNames();
  if (!first_resize_) ApplyLayout(false);
}

void TPictureTableForm::RebuildNames() {
  const QSignalBlocker blocker(names_);
  names_->setUpdatesEnabled(false);
  names_->clear();
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(items_.size()));
  if (file_data_) {
    for (const std::string& path : items_) lines << Q(FileNameOf(path));
  } else {
    for (const std::string& text : cap_data_.Texts()) lines << Q(text);
  }
  names_->addItems(lines);
  names_->setUpdatesEnabled(true);
}

std::vector<int> TPictureTableForm::SelectedItems() const {
  // From the selection's ranges: asking every item whether it is selected searches all ranges
  // for each, which is seconds for thousands of items picked one by one in a long list.
  std::vector<int> selected;
  const QModelIndexList indexes = names_->selectionModel()->selectedIndexes();
  selected.reserve(static_cast<std::size_t>(indexes.size()));
  for (const QModelIndex& index : indexes) selected.push_back(index.row());
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  return selected;
}

// ---------------------------------------------------------------------------------------------
// Layout

void TPictureTableForm::SetPnlButtonExecute() {
  if (filling_) return;
  if (controller_ && controller_->Busy()) {
    controller_->AbortThread();
    return;
  }
  ApplyLayout(false);
}

void TPictureTableForm::ApplyLayout(bool from_form) {
  if (filling_) return;
  if (!ThumbNailSizeIsFixed(settings_) || actions_["EraseCapFrame1"]->isChecked())
    store_.ReleaseAll();
  const int cells = ColumnCount() * RowCount();
  if (cells != CellCount()) CreateCells(cells);
  PlaceCells();
  if (from_form) {
    RefreshLabel();
    return;
  }
  page_start_ = std::max(shown_page_start_, 0);
  FillPage();
}

void TPictureTableForm::CreateCells(int count) {
  for (TCell& cell : cells_) delete cell.bevel;
  cells_.assign(static_cast<std::size_t>(count), TCell{});
  for (int i = 0; i < count; ++i) {
    TCell& cell = cells_[static_cast<std::size_t>(i)];
    cell.bevel = new QFrame(main_panel_);
    cell.bevel->setObjectName(QString("Bevel%1").arg(i));
    cell.bevel->setFrameShape(QFrame::Panel);
    cell.bevel->setFrameShadow(QFrame::Raised);
    cell.panel = new QWidget(main_panel_);
    cell.panel->setObjectName(QString("Panel%1").arg(i));
    cell.panel->setAutoFillBackground(true);
    cell.image = new QLabel(cell.panel);
    cell.image->setObjectName(QString("Image%1").arg(i));
    cell.image->setScaledContents(true);
    cell.image->setProperty("cell", i);
    cell.image->setProperty("item", -1);
    cell.image->installEventFilter(this);
    cell.panel->installEventFilter(this);
    cell.panel->setProperty("cell", i);
    cell.bevel->show();
    cell.panel->show();
  }
}

void TPictureTableForm::PlaceCells() {
  layout_ = Set_Bevel(LayoutInputFrom(settings_, main_panel_->width(), main_panel_->height(),
                                      ColumnCount(), RowCount()));
  QPalette colours = main_panel_->palette();
  colours.setColor(QPalette::Window, palette().color(QPalette::Button));
  for (std::size_t i = 0; i < cells_.size() && i < layout_.frames.size(); ++i) {
    const TTableRect& frame = layout_.frames[i];
    const TTableRect& panel = layout_.panels[i];
    cells_[i].bevel->setGeometry(frame.left, frame.top, frame.width, frame.height);
    cells_[i].panel->setGeometry(panel.left, panel.top, panel.width, panel.height);
    cells_[i].panel->setPalette(colours);
  }
  applied_size_ = main_panel_->size();
}

void TPictureTableForm::ClearCellImages() {
  for (int i = 0; i < CellCount(); ++i) ClearCell(i);
}

void TPictureTableForm::ClearCell(int cell) {
  TCell& c = cells_[static_cast<std::size_t>(cell)];
  c.item = -1;
  c.shown = TBitmap24();
  c.image->clear();
  c.image->hide();
  c.image->setProperty("item", -1);
  c.image->setToolTip(QString());
  c.bevel->setFrameShadow(QFrame::Raised);
}

void TPictureTableForm::ShowCell(int cell, int item) {
  TCell& c = cells_[static_cast<std::size_t>(cell)];
  c.item = item;
  c.image->setProperty("item", item);
  const bool selected = names_->item(item) && names_->item(item)->isSelected();
  c.bevel->setFrameShadow(selected ? QFrame::Sunken : QFrame::Raised);
  const TThumbNailData& record = store_[static_cast<std::size_t>(item)];
  if (!record.has_picture) {
    c.shown = TBitmap24();
    c.image->clear();
    c.image->hide();
    return;
  }
  SetCellPicture(cell, record.bitmap);
  const std::string name = file_data_
                               ? FileNameOf(items_[static_cast<std::size_t>(item)])
                               : FileNameOf(cap_data_.Record(static_cast<std::size_t>(item)).path);
  c.image->setToolTip(actions_["ShowFileData1"]->isChecked() ? Q(" " + name) : QString());
}

void TPictureTableForm::SetCellPicture(int cell, const TBitmap24& picture) {
  TCell& c = cells_[static_cast<std::size_t>(cell)];
  const TTableRect place =
      PlacePicture(layout_, picture.Width(), picture.Height(),
                   actions_["PictureSizeNoSpace1"]->isChecked(), picture_position_);
  c.image->setGeometry(place.left, place.top, place.width, place.height);
  c.shown = picture;
  const QImage image(picture.Row(0), picture.Width(), picture.Height(),
                     static_cast<qsizetype>(picture.Stride()), QImage::Format_BGR888);
  c.image->setPixmap(QPixmap::fromImage(image));
  c.image->show();
}

void TPictureTableForm::RefreshLabel() {
  const int count = static_cast<int>(items_.size());
  const bool repeat = settings_.slide_repeat;
  const int first = std::max(shown_page_start_, 0);
  count_label_->setText(Q(FileNumLabelText(first, CellCount(), count, repeat)));
  setWindowTitle(Q(TableCaptionText(first, CellCount(), count, repeat)));
}

// ---------------------------------------------------------------------------------------------
// Paging and selection

bool TPictureTableForm::AskStopFilling() {
  if (!filling_) return false;
  if (ApU().ShowMessage("ピクチャー表示を中断します", TApU::kCaption, mb::kYesNo) == mb::kIdYes) {
    stop_filling_ = true;
    // The cell being placed is finished; the decodes of those after it are given up now.
    if (prefetch_) prefetch_->CancelAfter(placing_cell_);
  }
  return true;
}

void TPictureTableForm::FileNextExecute() {
  if (AskStopFilling() || (controller_ && controller_->Busy())) return;
  if (names_->count() != static_cast<int>(items_.size())) {
    ApU().ShowMessage("データの取り扱いに問題が発生しました。", TApU::kCaption);
    return;
  }
  bool wrapped = false;
  page_start_ = NextPageStart(std::max(page_start_, 0), static_cast<int>(items_.size()), wrapped);
  FillPage();
}

void TPictureTableForm::FileBackExecute() {
  if (AskStopFilling() || (controller_ && controller_->Busy())) return;
  page_start_ =
      BackPageStart(std::max(page_start_, 0), CellCount(), static_cast<int>(items_.size()));
  FillPage();
}

void TPictureTableForm::SelectionReverseExecute() {
  if (Busy()) return;
  {
    const QSignalBlocker blocker(names_);
    for (int i = 0; i < names_->count(); ++i)
      names_->item(i)->setSelected(!names_->item(i)->isSelected());
  }
  MarkSelection();
}

void TPictureTableForm::ToggleItem(int item) {
  QListWidgetItem* line = names_->item(item);
  if (!line) return;
  line->setSelected(!line->isSelected());
}

void TPictureTableForm::MarkSelection() {
  for (const TCell& cell : cells_) {
    const QListWidgetItem* line = cell.item >= 0 ? names_->item(cell.item) : nullptr;
    cell.bevel->setFrameShadow(line && line->isSelected() ? QFrame::Sunken : QFrame::Raised);
  }
}

void TPictureTableForm::ChangeCounts(int columns_delta, int rows_delta) {
  if (Busy()) return;
  int columns = columns_combo_->currentIndex(), rows = rows_combo_->currentIndex();
  const int delta = columns_delta != 0 ? columns_delta : rows_delta;
  if (!StepCellCounts(columns, rows, columns_delta != 0, rows_delta != 0, delta)) return;
  {
    const QSignalBlocker c(columns_combo_), r(rows_combo_);
    columns_combo_->setCurrentIndex(columns);
    rows_combo_->setCurrentIndex(rows);
  }
  ClearCellImages();
  ApplyLayout(false);
}

void TPictureTableForm::PicturePositionStepExecute() {
  picture_position_ = NextPicturePosition(picture_position_);
  EnableCommands();
  ApplyLayout(false);
}

void TPictureTableForm::ViewPanelExecute() {
  QList<int> sizes = splitter_->sizes();
  if (sizes.value(1) > 1) {
    operation_width_ = sizes[1];
    sizes[0] += sizes[1] - 1;
    sizes[1] = 1;
  } else {
    sizes[0] -= operation_width_ - sizes.value(1);
    sizes[1] = operation_width_;
  }
  splitter_->setSizes(sizes);
  pending_size_ = QSize();
  resize_timer_->start();
}

void TPictureTableForm::CellPressed(int cell, QMouseEvent* event) {
  actions_["PictureCopy1"]->setEnabled(false);
  const int item =
      cell >= 0 && cell < CellCount() ? cells_[static_cast<std::size_t>(cell)].item : -1;
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool left = event->button() == Qt::LeftButton;
  const bool right = event->button() == Qt::RightButton;
  if (mods & Qt::ShiftModifier) {
    if (left) FileBackExecute();
    if (right) FileNextExecute();
    return;
  }
  if (mods & Qt::ControlModifier) {
    if (left) SlideShowExecute();
    if (right) {
      if (full_screen_->isVisible())
        full_screen_->ToggleSidePanel();
      else
        ViewPanelExecute();
    }
    return;
  }
  if (item < 0) {
    if (right) popup_->popup(event->globalPosition().toPoint());
    return;
  }
  if (left) {
    if (Busy()) return;
    ToggleItem(item);
    MarkSelection();
  } else if (right) {
    copy_cell_ = cell;
    actions_["PictureCopy1"]->setEnabled(
        !cells_[static_cast<std::size_t>(cell)].image->pixmap().isNull());
    popup_->popup(event->globalPosition().toPoint());
  }
}

bool TPictureTableForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (watched == buttons_["TransportButton"]) {
      if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton)
        TransferExecute(mouse->button() == Qt::RightButton);
      return true;
    }
    if (watched == buttons_["SelectionReverseButton"]) {
      if (mouse->button() == Qt::LeftButton) SelectionReverseExecute();
      if (mouse->button() == Qt::RightButton && !Busy()) {
        for (const TCell& cell : cells_)
          if (cell.item >= 0) ToggleItem(cell.item);
        MarkSelection();
      }
      return true;
    }
    const QVariant cell = watched->property("cell");
    if (cell.isValid()) {
      CellPressed(cell.toInt(), mouse);
      return true;
    }
  }
  if (watched == main_panel_ && event->type() == QEvent::Resize && !first_resize_ &&
      !full_screen_->isVisible() && main_panel_->size() != applied_size_) {
    pending_size_ = QSize();
    resize_timer_->start();
  }
  return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Showing, full screen and closing

void TPictureTableForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!first_resize_) return;
  first_resize_ = false;
  splitter_->setSizes({std::max(width() - operation_width_, 1), operation_width_});
  // The first layout is made once the window has its size.
  QTimer::singleShot(0, this, [this] {
    page_start_ = 0;
    ApplyLayout(false);
  });
}

void TPictureTableForm::resizeEvent(QResizeEvent* event) { QWidget::resizeEvent(event); }

void TPictureTableForm::ViewFullScreenExecute() {
  if (Busy() || (controller_ && controller_->Busy())) {
    actions_["ShowFullScreen1"]->setChecked(full_screen_->isVisible());
    return;
  }
  if (!full_screen_->isVisible()) {
    full_screen_->Lend(main_panel_, names_, thread_panel_, settings_.progress_panel_show_type != 2,
                       operation_width_);
    full_screen_->LendKeys(actions().toList());
    full_screen_->showFullScreen();
    full_screen_->raise();
    full_screen_->activateWindow();
    actions_["ShowFullScreen1"]->setChecked(true);
  } else {
    full_screen_->ReturnKeys();
    full_screen_->ReturnLent();
    full_screen_->hide();
    actions_["ShowFullScreen1"]->setChecked(false);
    raise();
  }
  ClearCellImages();
  QTimer::singleShot(0, this, [this] { ApplyLayout(false); });
}

void TPictureTableForm::SetController(TThumbNailThreadWatcherForm* controller) {
  controller_ = controller;
  if (!controller_) return;
  connect(buttons_["ThreadAbortButton"], &QPushButton::clicked, controller_,
          &TThumbNailThreadWatcherForm::AbortThumbNailEffects);
  connect(controller_, &TThreadWatcherBase::Finished, this, [this] { EnableCommands(); });
  connect(buttons_["ThreadAbortButton"], &QPushButton::clicked, this,
          [this] { getting_all_ = false; });
}

void TPictureTableForm::closeEvent(QCloseEvent* event) {
  // Obtaining every picture handles events too: closing under it would take its records away.
  if (Busy() || (controller_ && controller_->Busy()) || (grid_ && !grid_->close())) {
    event->ignore();
    return;
  }
  StopSlideShow();
  if (full_screen_->isVisible()) ViewFullScreenExecute();
  effects_->CloseAll();
  if (controller_) controller_->ReleaseOwner(this);
  store_.Clear();
  cap_data_.Clear();
  setAcceptDrops(false);
  TakeSettings();
  emit Closed();
  event->accept();
}
