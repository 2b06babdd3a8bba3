// The thumbnail table's widgets, commands and pop-up menu.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
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
#include "browse/table/PictureTableForm.h"
#include "browse/table/PictureTableFullScreen.h"
#include "browse/table/TableEffectDialogs.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtText.h"

namespace {

constexpr int kMaxCount = 16;            // rows or columns at most
constexpr int kMaxOperationWidth = 400;  // the operation panel's widest

}  // namespace

// ---------------------------------------------------------------------------------------------
// Widgets, actions and the menu

void TPictureTableForm::BuildWidgets() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  splitter_ = new QSplitter(Qt::Horizontal);
  splitter_->setObjectName("RightSplitter");
  splitter_->setChildrenCollapsible(true);
  layout->addWidget(splitter_);

  main_panel_ = new QWidget;
  main_panel_->setObjectName("MainPanel");
  main_panel_->setAutoFillBackground(true);
  main_panel_->setContextMenuPolicy(Qt::CustomContextMenu);
  main_panel_->installEventFilter(this);
  splitter_->addWidget(main_panel_);

  operation_panel_ = new QWidget;
  operation_panel_->setObjectName("OperationPanel");
  operation_panel_->setMaximumWidth(kMaxOperationWidth);
  auto* operation = new QVBoxLayout(operation_panel_);
  operation->setContentsMargins(2, 2, 2, 2);
  operation->setSpacing(2);

  thread_panel_ = new QWidget;
  thread_panel_->setObjectName("ThreadPanel");
  auto* thread = new QVBoxLayout(thread_panel_);
  thread->setContentsMargins(0, 0, 0, 0);
  thread->setSpacing(1);
  thread_caption_label_ = new QLabel;
  thread_caption_label_->setObjectName("ThreadCaptionLabel");
  thread_progress_bar_ = new QProgressBar;
  thread_progress_bar_->setObjectName("ThreadProgressBar");
  thread_progress_bar_->setTextVisible(false);
  auto* abort = new QPushButton("中止(&A)");
  abort->setObjectName("ThreadAbortButton");
  buttons_["ThreadAbortButton"] = abort;
  thread->addWidget(thread_caption_label_);
  thread->addWidget(thread_progress_bar_);
  thread->addWidget(abort);
  thread_panel_->hide();
  operation->addWidget(thread_panel_);

  auto* grid = new QGridLayout;
  grid->setSpacing(2);
  const struct {
    const char* name;
    const char* caption;
    int row, column, span;
  } buttons[] = {{"BackButton", "前へ(&B)", 0, 0, 1},
                 {"NextButton", "次へ(&N)", 0, 1, 1},
                 {"SelectionReverseButton", "反転させる(&R)", 1, 0, 2},
                 {"DeleteButton", "選択削除(&D)", 2, 0, 1},
                 {"TransportButton", "データ転送", 2, 1, 1},
                 {"SlideButton", "スライド(&S)", 3, 0, 1},
                 {"SlideRepeatButton", "×", 3, 1, 1},
                 {"PanelButton", "→", 4, 0, 1},
                 {"FullScreenButton", "画面", 4, 1, 1},
                 {"SetPnlButton", "パネルセット(&P)", 6, 0, 2}};
  for (const auto& b : buttons) {
    auto* button = new QPushButton(b.caption);
    button->setObjectName(b.name);
    buttons_[b.name] = button;
    grid->addWidget(button, b.row, b.column, 1, b.span);
  }
  rows_combo_ = new QComboBox;
  rows_combo_->setObjectName("HCountCombo");
  columns_combo_ = new QComboBox;
  columns_combo_->setObjectName("WCountCombo");
  for (int i = 1; i <= kMaxCount; ++i) {
    const QString text = QString("%1").arg(i, 2);
    rows_combo_->addItem(text);
    columns_combo_->addItem(text);
  }
  rows_combo_->setToolTip("縦の数");
  columns_combo_->setToolTip("横の数");
  grid->addWidget(rows_combo_, 5, 0);
  grid->addWidget(columns_combo_, 5, 1);
  operation->addLayout(grid);
  count_label_ = new QLabel;
  count_label_->setObjectName("FileNumLabel");
  operation->addWidget(count_label_);
  names_ = new QListWidget;
  names_->setObjectName("FileNameListBox");
  names_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  operation->addWidget(names_, 1);
  splitter_->addWidget(operation_panel_);
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 0);

  connect(names_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (Busy()) return;
    page_start_ = names_->row(item);
    FillPage();
  });
  connect(names_, &QListWidget::itemSelectionChanged, this, [this] { MarkSelection(); });
  resize_timer_ = new QTimer(this);
  resize_timer_->setObjectName("ResizeTimer");
  resize_timer_->setInterval(250);
  connect(resize_timer_, &QTimer::timeout, this, [this] {
    if (main_panel_->size() != pending_size_) {
      pending_size_ = main_panel_->size();
      return;
    }
    resize_timer_->stop();
    if (filling_) {
      stop_filling_ = true;
      return;
    }
    ClearCellImages();
    ApplyLayout(false);
  });
  slide_timer_ = new QTimer(this);
  slide_timer_->setObjectName("SlideTimer");
  connect(slide_timer_, &QTimer::timeout, this, [this] { SlideTimerTimer(); });
  memory_timer_ = new QTimer(this);
  memory_timer_->setObjectName("MemoryTimer");
  memory_timer_->setInterval(3000);
  connect(memory_timer_, &QTimer::timeout, this, [this] {
    setWindowTitle(Q(MemoryCaptionText(store_.UsedMemory(), store_.HeldCount())));
  });
  connect(splitter_, &QSplitter::splitterMoved, this, [this] {
    if (Busy()) return;
    const int width = splitter_->sizes().value(1);
    if (width > 1) operation_width_ = width;
    pending_size_ = QSize();
    resize_timer_->start();
  });
}

QAction* TPictureTableForm::MakeAction(const char* name, const char* caption,
                                       const QKeySequence& key, bool checkable) {
  return MakeNamedAction(*this, actions_, name, caption, key, checkable);
}

void TPictureTableForm::BuildActions() {
  const struct {
    const char* name;
    const char* caption;
    QKeySequence key;
    bool checkable;
  } commands[] = {
      {"PictureFileOpen1", "ピクチャーを開く(&O)", Qt::Key_F9, false},
      {"SaveSelectedThumbNailPicture1", "選択画像(参照)の一括保存(S)", {}, false},
      {"SaveSelectedImagePicture1", "選択画像(表示)の一括保存(&V)", {}, false},
      {"FileListOpen1", "データを開く(&O)", Qt::Key_F11, false},
      {"FileListSave1", "データの保存(&S)", Qt::Key_F12, false},
      {"FileListSaveOnlySelected1", "選択データのみ保存(&P)", {}, false},
      {"FileBack1", "前へ(&B)", Qt::CTRL | Qt::Key_B, false},
      {"FileNext1", "次へ(&N)", Qt::CTRL | Qt::Key_N, false},
      {"SelectionReverse1", "反転させる(&R)", {}, false},
      {"SelDelete1", "選択削除(&D)", {}, false},
      {"DataTransport1", "データ転送(&T)", {}, false},
      {"DataTransportAdd1", "データ追加転送(&A)", {}, false},
      {"EileExtract1", "抽出(&E)", {}, false},
      {"Exit1", "終了(&X)", {}, false},
      {"PictureCopy1", "コピー(&C)", {}, false},
      {"ReNewPicture1", "参照画像更新(&N)", {}, false},
      {"ReSetPicture1", "参照画像再取得(&S)", {}, false},
      {"AllReSetPicture1", "参照画像のリセット(&R)", {}, false},
      {"GetAllThumbNailPicture1", "総参照画像取得(&A)", {}, false},
      {"SetRectify1", "補正する(&R)", Qt::CTRL | Qt::Key_R, false},
      {"SetLowPassFilter1", "ローパスフィルタ(&L)", Qt::CTRL | Qt::Key_L, false},
      {"SetUnSharpMasking1", "アンシャープマスク(&M)", Qt::CTRL | Qt::Key_M, false},
      {"ShowRotationArrangeForm1", "回転する(&X)", {}, true},
      {"ShowRGBArrangeForm1", "RGB操作(&B)", {}, true},
      {"ShowFreeFilterForm1", "フリーフィルタ(&F)", {}, true},
      {"FocusRotationArrangeForm1", "回転する(&X)", {}, false},
      {"FocusRGBArrangeForm1", "RGB操作(&B)", {}, false},
      {"FocusFreeFilterForm1", "フリーフィルタ(&F)", {}, false},
      {"ShowThumbNail1", "テーブル編集(&T)", Qt::CTRL | Qt::Key_T, true},
      {"SlideShow1", "スライドショー(&S)", Qt::Key_F1, true},
      {"SlideRepeat1", "繰り返す(&A)", Qt::Key_F2, true},
      {"SlideInterval1", "インターバル( &I )", Qt::Key_F3, false},
      {"FlashingSlideShow1", "フラッシングスライド(&F)", Qt::Key_F4, true},
      {"TopLeft1", "左上 (&L)", {}, true},
      {"CenterCenter1", "中央 (&C)", {}, true},
      {"BottomRight1", "右下 (&R)", {}, true},
      {"PicturePositionStep1", "表示位置の切り替え(&S)", Qt::Key_F7, false},
      {"PictureSizeNoSpace1", "余白をなくす(&M)", Qt::CTRL | Qt::Key_F4, true},
      {"PicWHReduction1", "縮小(&R)", Qt::Key_F5, false},
      {"PicWReduction1", "横縮小(&W)", Qt::SHIFT | Qt::Key_F5, false},
      {"PicHReduction1", "縦縮小(&H)", Qt::CTRL | Qt::Key_F5, false},
      {"PicWHZoom1", "拡大(&Z)", Qt::Key_F6, false},
      {"PicWZoom1", "横拡大(&W)", Qt::SHIFT | Qt::Key_F6, false},
      {"PicHZoom1", "縦拡大(&H)", Qt::CTRL | Qt::Key_F6, false},
      {"EraseCapFrame1", "フレームを外す(&F)", Qt::CTRL | Qt::Key_F7, true},
      {"ViewPanel1", "操作パネルを閉じる(&P)", {}, false},
      {"ShowFullScreen1", "全画面表示(&F)", Qt::Key_F8, true},
      {"BaseSettings1", "基本設定(&B)", {}, false},
      {"SetThumbNailSize1", "参照画像の設定(&T)", {}, false},
      {"EveryTimeRectify1", "常に加工する(&R)", {}, true},
      {"EveryTimeOnlyRectify1", "補正する(&R)", {}, true},
      {"EveryTimeAfterLowPassFilter1", "補正+ローパスフィルタ(&L)", {}, true},
      {"EveryTimeAfterUnSharpMasking1", "補正+アンシャープマスク(&M)", {}, true},
      {"NotGetThumbNail1", "取得しない(&N)", {}, true},
      {"AutoReNewIniEffectedPicture1", "効果画像を取得する(&E)", {}, true},
      {"GetRectifiedThumbNail1", "取得時補正する(&R)", {}, true},
      {"CanGetBigThumbNail1", "補正+拡大を許す(&B)", {}, true},
      {"RectifyBeforeEffect1", "効果の直前に補正する(&E)", {}, true},
      {"ShowFileData1", "ファイル情報の表示( &I )", {}, true},
      {"SetPnlButton1", "パネルセット(&P)", {}, false},
  };
  for (const auto& command : commands)
    MakeAction(command.name, command.caption, command.key, command.checkable);
  // Keys that do nothing in the table.
  for (const auto& [name, key] : {std::pair{"NoKeyF10", QKeySequence(Qt::Key_F10)},
                                  std::pair{"NoKeyCtrlA", QKeySequence(Qt::CTRL | Qt::Key_A)},
                                  std::pair{"NoKeyCtrlH", QKeySequence(Qt::CTRL | Qt::Key_H)},
                                  std::pair{"NoKeyCtrlW", QKeySequence(Qt::CTRL | Qt::Key_W)}})
    MakeAction(name, "", key);

  const auto on = [this](const char* name, auto handler) {
    connect(actions_[name], &QAction::triggered, this, handler);
  };
  on("FileBack1", [this] { FileBackExecute(); });
  on("FileNext1", [this] { FileNextExecute(); });
  on("SelectionReverse1", [this] { SelectionReverseExecute(); });
  on("ShowThumbNail1", [this] { ShowThumbNailExecute(); });
  on("Exit1", [this] {
    if (full_screen_ && full_screen_->isVisible()) ViewFullScreenExecute();
    close();
  });
  on("PicturePositionStep1", [this] { PicturePositionStepExecute(); });
  on("PicWHReduction1", [this] { ChangeCounts(1, 1); });
  on("PicWReduction1", [this] { ChangeCounts(1, 0); });
  on("PicHReduction1", [this] { ChangeCounts(0, 1); });
  on("PicWHZoom1", [this] { ChangeCounts(-1, -1); });
  on("PicWZoom1", [this] { ChangeCounts(-1, 0); });
  on("PicHZoom1", [this] { ChangeCounts(0, -1); });
  on("ViewPanel1", [this] { ViewPanelExecute(); });
  on("ShowFullScreen1", [this] { ViewFullScreenExecute(); });
  on("SetPnlButton1", [this] { SetPnlButtonExecute(); });
  for (const auto& [name, code] :
       {std::pair{"TopLeft1", 7}, std::pair{"CenterCenter1", 5}, std::pair{"BottomRight1", 3}}) {
    const int position = code;
    on(name, [this, position] {
      picture_position_ = position;
      EnableCommands();
      ApplyLayout(false);
    });
  }
  on("PictureSizeNoSpace1", [this] {
    EnableCommands();
    ApplyLayout(false);
  });
  on("ShowFileData1", [this] {
    settings_.show_file_data = actions_["ShowFileData1"]->isChecked();
    ApplyLayout(false);
  });
  on("EraseCapFrame1", [this] { ApplyLayout(false); });
  on("PictureCopy1", [this] {
    const QLabel* image = CellImage(copy_cell_);
    if (image && !image->pixmap().isNull()) QApplication::clipboard()->setPixmap(image->pixmap());
  });

  on("SetRectify1", [this] { ProcessExecute(TProcessCommand::kRectify); });
  on("SetLowPassFilter1", [this] { ProcessExecute(TProcessCommand::kLowPassFilter); });
  on("SetUnSharpMasking1", [this] { ProcessExecute(TProcessCommand::kUnSharpMasking); });
  for (const auto& [name, type] :
       {std::pair{"EveryTimeOnlyRectify1", 0}, std::pair{"EveryTimeAfterLowPassFilter1", 1},
        std::pair{"EveryTimeAfterUnSharpMasking1", 2}}) {
    const int every = type;
    on(name, [this, every] {
      settings_.every_rectify_type = every;
      actions_["EveryTimeOnlyRectify1"]->setChecked(every == 0);
      actions_["EveryTimeAfterLowPassFilter1"]->setChecked(every == 1);
      actions_["EveryTimeAfterUnSharpMasking1"]->setChecked(every == 2);
    });
  }
  on("EveryTimeRectify1", [this] {
    if (!actions_["EveryTimeRectify1"]->isChecked()) return;
    const int every = settings_.every_rectify_type;
    ProcessExecute(every == 1   ? TProcessCommand::kLowPassFilter
                   : every == 2 ? TProcessCommand::kUnSharpMasking
                                : TProcessCommand::kRectify);
  });
  on("NotGetThumbNail1", [this] {
    if (Busy()) return;
    reset_ = actions_["NotGetThumbNail1"]->isChecked();
    ApplyLayout(false);
  });
  on("AllReSetPicture1", [this] {
    if (Busy()) return;
    ClearCellImages();
    store_.ReleaseAll();
    ApplyLayout(false);
  });
  on("ReSetPicture1", [this] {
    if (Busy() || actions_["NotGetThumbNail1"]->isChecked()) return;
    for (int i = 0; i < CellCount(); ++i) {
      const int item = cells_[static_cast<std::size_t>(i)].item;
      if (item >= 0 && item < static_cast<int>(store_.Size()))
        store_.ResetRecord(static_cast<std::size_t>(item));
    }
    ClearCellImages();
    ApplyLayout(false);
  });
  on("GetAllThumbNailPicture1", [this] { GetAllThumbNailExecute(); });
  on("FileListOpen1", [this] { FileListOpenExecute(); });
  on("BaseSettings1", [this] { BaseSettingsExecute(); });
  on("SetThumbNailSize1", [this] { SetThumbNailSizeExecute(); });
  on("EileExtract1", [this] { FileExtractExecute(); });
  on("PictureFileOpen1", [this] { PictureFileOpenExecute(); });
  on("SelDelete1", [this] { DeleteSelectedExecute(); });
  on("DataTransport1", [this] { TransferExecute(false); });
  on("DataTransportAdd1", [this] { TransferExecute(true); });
  on("SlideShow1", [this] { SlideShowExecute(); });
  on("SlideRepeat1", [this] { SlideRepeatExecute(); });
  on("SlideInterval1", [this] { SlideIntervalExecute(); });
  on("FlashingSlideShow1", [this] { FlashingSlideShowExecute(); });
  on("SaveSelectedThumbNailPicture1", [this] { SaveSelectedExecute(false); });
  on("SaveSelectedImagePicture1", [this] { SaveSelectedExecute(true); });
  on("FileListSave1", [this] { FileListSaveExecute(false); });
  on("FileListSaveOnlySelected1", [this] { FileListSaveExecute(true); });
  on("ReNewPicture1", [this] {
    if (actions_["NotGetThumbNail1"]->isChecked()) {
      ApU().ShowMessage("参照画像は取得しないよう設定されています。", TApU::kCaption);
      return;
    }
    int failed = 0;
    for (const TCell& cell : cells_) {
      if (cell.item < 0 || cell.shown.Empty()) continue;
      if (cell.item < static_cast<int>(store_.Size()))
        store_.HoldCopy(static_cast<std::size_t>(cell.item), cell.shown);
      else
        ++failed;
    }
    if (failed > 0)
      ApU().ShowMessage(std::to_string(failed) + "個の画像は取得できませんでした。",
                        TApU::kCaption);
  });
  connect(buttons_["BackButton"], &QPushButton::clicked, this, [this] { FileBackExecute(); });
  connect(buttons_["NextButton"], &QPushButton::clicked, this, [this] { FileNextExecute(); });
  connect(buttons_["PanelButton"], &QPushButton::clicked, this, [this] { ViewPanelExecute(); });
  connect(buttons_["FullScreenButton"], &QPushButton::clicked, this,
          [this] { ViewFullScreenExecute(); });
  connect(buttons_["SetPnlButton"], &QPushButton::clicked, this, [this] { SetPnlButtonExecute(); });
  // The reverse button acts on the press: left inverts the list, right the page.
  buttons_["SelectionReverseButton"]->installEventFilter(this);
  connect(buttons_["DeleteButton"], &QPushButton::clicked, this,
          [this] { DeleteSelectedExecute(); });
  connect(buttons_["SlideButton"], &QPushButton::clicked, this, [this] { SlideShowExecute(); });
  connect(buttons_["SlideRepeatButton"], &QPushButton::clicked, this,
          [this] { SlideRepeatExecute(); });
  // The transport button acts on the press: left replaces, right appends.
  buttons_["TransportButton"]->installEventFilter(this);
}

void TPictureTableForm::BuildMenu() {
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu");
  const auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
    for (const char* name : names) menu->addAction(actions_[name]);
    menu->addSeparator();
  };
  add(popup_, {"FileBack1", "FileNext1", "SelectionReverse1", "SelDelete1"});
  QMenu* file = popup_->addMenu("ファイル(&F)");
  add(file, {"PictureFileOpen1", "FileListOpen1", "FileListSave1", "FileListSaveOnlySelected1"});
  add(file, {"DataTransport1", "DataTransportAdd1", "EileExtract1"});
  add(file, {"Exit1"});
  QMenu* edit = popup_->addMenu("編集する(&E)");
  edit->setObjectName("EditPicture1");
  add(edit, {"PictureCopy1", "ShowThumbNail1"});
  add(edit, {"SaveSelectedThumbNailPicture1", "SaveSelectedImagePicture1"});
  add(edit, {"SetRectify1", "SetLowPassFilter1", "SetUnSharpMasking1"});
  add(edit, {"ShowRotationArrangeForm1", "ShowRGBArrangeForm1", "ShowFreeFilterForm1"});
  QMenu* focus = edit->addMenu("セットフォーカス(&E)");
  add(focus, {"FocusRotationArrangeForm1", "FocusRGBArrangeForm1", "FocusFreeFilterForm1"});
  QMenu* thumbs = popup_->addMenu("参照画像(&R)");
  add(thumbs, {"ReNewPicture1", "ReSetPicture1", "AllReSetPicture1", "GetAllThumbNailPicture1"});
  add(thumbs, {"NotGetThumbNail1", "AutoReNewIniEffectedPicture1", "GetRectifiedThumbNail1",
               "CanGetBigThumbNail1", "RectifyBeforeEffect1"});
  QMenu* every = thumbs->addMenu("加工(&P)");
  add(every, {"EveryTimeRectify1"});
  add(every,
      {"EveryTimeOnlyRectify1", "EveryTimeAfterLowPassFilter1", "EveryTimeAfterUnSharpMasking1"});
  QMenu* slide = popup_->addMenu("スライド(&S)");
  add(slide, {"SlideShow1", "SlideRepeat1", "SlideInterval1", "FlashingSlideShow1"});
  QMenu* view = popup_->addMenu("表示(&V)");
  QMenu* position = view->addMenu("表示位置(&P)");
  position->setObjectName("PicturePosition1");
  add(position, {"TopLeft1", "CenterCenter1", "BottomRight1"});
  add(view, {"PicturePositionStep1", "PictureSizeNoSpace1", "EraseCapFrame1", "ShowFileData1"});
  add(view, {"PicWHReduction1", "PicWReduction1", "PicHReduction1", "PicWHZoom1", "PicWZoom1",
             "PicHZoom1"});
  add(view, {"ViewPanel1", "ShowFullScreen1", "SetPnlButton1"});
  QMenu* settings = popup_->addMenu("設定(&O)");
  add(settings, {"BaseSettings1", "SetThumbNailSize1"});
  connect(edit, &QMenu::aboutToShow, this, [this] { EnableCommands(); });
  connect(main_panel_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(main_panel_->mapToGlobal(at)); });
  names_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(names_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(names_->viewport()->mapToGlobal(at)); });
}

void TPictureTableForm::EnableCommands() {
  const bool idle = !Busy();
  for (const char* name : {"SaveSelectedThumbNailPicture1", "SaveSelectedImagePicture1"})
    actions_[name]->setEnabled(idle);
  actions_["GetAllThumbNailPicture1"]->setEnabled(idle &&
                                                  !actions_["NotGetThumbNail1"]->isChecked());
  const bool no_space = actions_["PictureSizeNoSpace1"]->isChecked();
  if (QMenu* position = popup_ ? popup_->findChild<QMenu*>("PicturePosition1") : nullptr)
    position->setEnabled(no_space);
  actions_["TopLeft1"]->setChecked(picture_position_ == 7);
  actions_["CenterCenter1"]->setChecked(picture_position_ == 5);
  actions_["BottomRight1"]->setChecked(picture_position_ == 3);
}
