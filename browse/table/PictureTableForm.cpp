#include "browse/table/PictureTableForm.h"

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
#include "browse/table/PictureTableFullScreen.h"
#include "browse/table/TableEffectDialogs.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtText.h"

namespace {

constexpr int kMaxCount = 16;
constexpr int kMinOperationWidth = 100;
constexpr int kMaxOperationWidth = 400;

}  // namespace

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
  // Commands whose windows come later stay visible but disabled.
  later_.insert("ShowThumbNail1");
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
  for (const std::string& name : later_) actions_[name]->setEnabled(false);

  const auto on = [this](const char* name, auto handler) {
    connect(actions_[name], &QAction::triggered, this, handler);
  };
  on("FileBack1", [this] { FileBackExecute(); });
  on("FileNext1", [this] { FileNextExecute(); });
  on("SelectionReverse1", [this] { SelectionReverseExecute(); });
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
    actions_[name]->setEnabled(idle && !later_.count(name));
  actions_["GetAllThumbNailPicture1"]->setEnabled(idle &&
                                                  !actions_["NotGetThumbNail1"]->isChecked());
  const bool no_space = actions_["PictureSizeNoSpace1"]->isChecked();
  if (QMenu* position = popup_ ? popup_->findChild<QMenu*>("PicturePosition1") : nullptr)
    position->setEnabled(no_space);
  actions_["TopLeft1"]->setChecked(picture_position_ == 7);
  actions_["CenterCenter1"]->setChecked(picture_position_ == 5);
  actions_["BottomRight1"]->setChecked(picture_position_ == 3);
}

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
  std::vector<int> selected;
  for (int i = 0; i < names_->count(); ++i)
    if (names_->item(i)->isSelected()) selected.push_back(i);
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
// Filling a page

TThumbNailAcquireOptions TPictureTableForm::AcquireOptions() const {
  TThumbNailAcquireOptions options;
  options.settings = &settings_;
  options.area_width = layout_.image_width;
  options.area_height = layout_.image_height;
  options.erase_cap_frame = actions_.at("EraseCapFrame1")->isChecked();
  options.get_rectified = actions_.at("GetRectifiedThumbNail1")->isChecked();
  options.can_get_big = actions_.at("CanGetBigThumbNail1")->isChecked();
  options.thumbnails_off = actions_.at("NotGetThumbNail1")->isChecked();
  options.search_more_drive = context_.search_more_drive;
  options.paths = context_.paths;
  options.loader = context_.loader;
  return options;
}

TCellStepOptions TPictureTableForm::StepOptions(int item, bool own_effects) const {
  TCellStepOptions options;
  if (own_effects && !file_data_)
    options.cap_effects = &cap_data_.Record(static_cast<std::size_t>(item)).effects;
  options.rectify_before_effect = actions_.at("RectifyBeforeEffect1")->isChecked();
  options.every_time_rectify = actions_.at("EveryTimeRectify1")->isChecked();
  options.every_rectify_type = settings_.every_rectify_type;
  options.auto_renew = actions_.at("AutoReNewIniEffectedPicture1")->isChecked();
  effects_->AddAutomaticSteps(options);
  return options;
}

void TPictureTableForm::FillPage() {
  if (layout_.PanelWidth() < 5 || layout_.PanelHeight() < 5) {
    ApU().ShowMessage("メインパネルのサイズが小さすぎます!!", TApU::kCaption);
    return;
  }
  if (controller_ && controller_->Busy()) return;
  if (filling_) ApU().ShowMessage("Picture_Putting", TApU::kCaption);
  const int count = static_cast<int>(items_.size());
  const int cells = CellCount();
  std::vector<TThumbNailSteps> steps(static_cast<std::size_t>(cells));
  if (count == 0) {
    page_start_ = -1;
    shown_page_start_ = -1;
    ClearCellImages();
    RefreshLabel();
    return;
  }
  filling_ = true;
  stop_filling_ = false;
  EnableCommands();
  const bool repeat = settings_.slide_repeat;
  const TPageItems page = PageItems(std::max(page_start_, 0), cells, count, repeat);
  shown_page_start_ = page.first;
  RefreshLabel();
  if (store_.Size() < items_.size()) {
    store_.Resize(items_.size());
    ApU().ShowMessage("array_ThumbNailData_Error(例外)", TApU::kCaption);
  }
  if (reset_) {
    reset_ = false;
    store_.Reset(items_.size());
  }
  const TThumbNailAcquireOptions options = AcquireOptions();
  const bool thumbnails_off = options.thumbnails_off;
  bool over_capacity = false;
  bool thread_work = false;
  int unknown = 0;
  for (int i = 0; i < cells; ++i) {
    QApplication::processEvents();
    if (stop_filling_) break;
    const int item = page.items[static_cast<std::size_t>(i)];
    if (item < 0) {
      ClearCell(i);
      continue;
    }
    const std::size_t index = static_cast<std::size_t>(item);
    bool obtained = false;
    if (NeedsAcquisition(store_[index], !file_data_, options.erase_cap_frame) && !over_capacity &&
        !reset_) {
      if (!CapacityAllows(settings_.thumb_capacity, store_.UsedMemory(), store_.HeldCount(),
                          settings_.thumb_count)) {
        over_capacity = true;
      } else {
        const TThumbNailOutcome outcome =
            file_data_ ? ObtainFileThumbNail(store_, index, items_[index], options)
                       : ObtainCapDataThumbNail(store_, index, cap_data_.Record(index), options);
        if (outcome == TThumbNailOutcome::kOutOfResources) reset_ = true;
        obtained = outcome == TThumbNailOutcome::kDone;
      }
    }
    if (store_[index].has_picture &&
        (obtained || !actions_["AutoReNewIniEffectedPicture1"]->isChecked())) {
      const TStepSlots built = BuildCellSteps(StepOptions(item, obtained));
      if (built.Any()) {
        steps[static_cast<std::size_t>(i)] = built.Slots();
        thread_work = true;
      }
    }
    ShowCell(i, item);
    if (!store_[index].has_picture) {
      ++unknown;
      if (!reset_ && !over_capacity) names_->item(item)->setSelected(true);
    } else if (thumbnails_off) {
      store_.ResetRecord(index);
    }
    main_panel_->repaint();
  }
  const bool interrupted = stop_filling_;
  page_start_ = page.last_index;
  filling_ = false;
  ReportAcquisition(over_capacity, unknown);
  if (!interrupted && thread_work) StartCellSteps(std::move(steps));
  EnableCommands();
}

void TPictureTableForm::ReportAcquisition(bool over_capacity, int unknown) {
  if (over_capacity || reset_) {
    const bool resources = !over_capacity;
    reset_ = false;
    const std::string text = std::string(resources ? "リソース不足のため参照画像が取得できません。"
                                                   : "参照画像の取得許容量を越えています。") +
                             "\r\n\r\n画像が取得されていないファイルを抽出しますか？";
    if (ApU().ShowMessage(text, TApU::kCaption, mb::kYesNo) == mb::kIdYes) SelectWithoutPicture();
  } else if (unknown > 0) {
    ApU().ShowMessage("未知の画像ファイルが " + std::to_string(unknown) +
                          "個 発見されました。\r\n\r\n必要に応じて削除してください。\r\n("
                          "ファイルはセレクト状態になっています。",
                      TApU::kCaption);
  }
}

void TPictureTableForm::GetAllThumbNailExecute() {
  if (Busy() || (controller_ && controller_->Busy()) || actions_["NotGetThumbNail1"]->isChecked())
    return;
  if (layout_.PanelWidth() < 5 || layout_.PanelHeight() < 5) {
    ApU().ShowMessage("メインパネルのサイズが小さすぎます!!", TApU::kCaption);
    return;
  }
  const int count = static_cast<int>(items_.size());
  if (count == 0) return;
  getting_all_ = true;
  EnableCommands();
  thread_panel_->show();
  thread_caption_label_->setText("総参照画像取得中");
  thread_progress_bar_->setRange(0, std::max(count - 1, 0));
  if (reset_) {
    reset_ = false;
    store_.Reset(items_.size());
  } else if (store_.Size() < items_.size()) {
    store_.Resize(items_.size());
  }
  const TThumbNailAcquireOptions options = AcquireOptions();
  bool over_capacity = false;
  int unknown = 0;
  for (int i = 0; i < count; ++i) {
    if (i % 5 == 0) {
      if (!getting_all_) break;
      thread_caption_label_->setText(
          Q(" " + std::to_string(i + 1) + " / " + std::to_string(count)));
      thread_progress_bar_->setValue(i);
      QApplication::processEvents();
      if (!getting_all_) break;
    }
    const std::size_t index = static_cast<std::size_t>(i);
    if (!NeedsAcquisition(store_[index], !file_data_, options.erase_cap_frame)) continue;
    if (!CapacityAllows(settings_.thumb_capacity, store_.UsedMemory(), store_.HeldCount(),
                        settings_.thumb_count)) {
      over_capacity = true;
      break;
    }
    const TThumbNailOutcome outcome =
        file_data_ ? ObtainFileThumbNail(store_, index, items_[index], options)
                   : ObtainCapDataThumbNail(store_, index, cap_data_.Record(index), options);
    if (outcome == TThumbNailOutcome::kOutOfResources) {
      reset_ = true;
      break;
    }
    if (outcome != TThumbNailOutcome::kDone) ++unknown;
  }
  thread_panel_->hide();
  getting_all_ = false;
  ReportAcquisition(over_capacity, unknown);
  EnableCommands();
}

bool TPictureTableForm::ApplyEffect(const std::string& step, const std::string& parameter) {
  if (!controller_ || controller_->Busy() || Busy()) return false;
  std::vector<TThumbNailSteps> steps(cells_.size());
  bool any = false;
  const bool rectify_before = actions_["RectifyBeforeEffect1"]->isChecked();
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const TCell& cell = cells_[i];
    if (cell.item < 0 || cell.shown.Empty()) continue;
    const TStepSlots built =
        EffectSteps(step, parameter, rectify_before, cell.shown.Width(), cell.shown.Height(),
                    layout_.image_width, layout_.image_height);
    steps[i] = built.Slots();
    any = any || built.Any();
  }
  if (!any) return false;
  StartCellSteps(std::move(steps));
  return true;
}

void TPictureTableForm::SelectWithoutPicture() {
  const QSignalBlocker blocker(names_);
  for (int i = 0; i < names_->count(); ++i)
    names_->item(i)->setSelected(!store_[static_cast<std::size_t>(i)].has_picture);
  MarkSelection();
}

// ---------------------------------------------------------------------------------------------
// Effect steps on the worker

void TPictureTableForm::StartCellSteps(std::vector<TThumbNailSteps> steps) {
  if (!controller_ || controller_->Busy()) return;
  TThumbNailRequest request;
  request.steps = std::move(steps);
  request.thumb_count = static_cast<int>(store_.Size());
  request.not_get_thumbnail = actions_["NotGetThumbNail1"]->isChecked();
  request.kernel = TableKernelSettings(settings_);
  for (const TCell& cell : cells_) {
    TThumbNailCell c;
    c.tag = cell.item;
    if (cell.item >= 0 && cell.image->isVisible()) {
      c.width = cell.image->width();
      c.height = cell.image->height();
      const TThumbNailData& record = store_[static_cast<std::size_t>(cell.item)];
      c.picture = record.has_picture ? record.bitmap : cell.shown;
    }
    request.cells.push_back(std::move(c));
  }
  if (settings_.progress_panel_show_type == 0) thread_panel_->show();
  thread_caption_label_->clear();
  thread_progress_bar_->setValue(0);
  controller_->SetThreadPanel(thread_panel_, thread_progress_bar_, thread_caption_label_);
  controller_->SetOwner(this);
  if (!controller_->StartThumbNailEffects(std::move(request), settings_.rectify_type,
                                          settings_.rotation_type, settings_.rotation_back_color))
    thread_panel_->hide();
}

void TPictureTableForm::Set_ThreadPicture(const TBitmap24& picture, int cell, int renew_index,
                                          bool refit) {
  if (cell < 0 || cell >= CellCount()) return;
  if (refit) {
    int width = picture.Width(), height = picture.Height();
    if (!RefitSize(layout_, width, height)) return;
  }
  SetCellPicture(cell, picture);
  cells_[static_cast<std::size_t>(cell)].image->repaint();
  if (!actions_["NotGetThumbNail1"]->isChecked() && renew_index >= 0 &&
      renew_index < static_cast<int>(store_.Size()))
    store_.HoldCopy(static_cast<std::size_t>(renew_index), picture);
}

void TPictureTableForm::Set_CapDataPicture(const TBitmap24& picture, int tag) {
  if (tag >= 0 && tag < static_cast<int>(store_.Size()))
    store_.HoldCopy(static_cast<std::size_t>(tag), picture);
}

void TPictureTableForm::ProcessExecute(TProcessCommand command) {
  if (!controller_ || controller_->Busy() || filling_) return;
  std::vector<TThumbNailSteps> steps(cells_.size());
  bool any = false;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const TCell& cell = cells_[i];
    if (cell.item < 0 || !cell.image->isVisible()) continue;
    const TThumbNailData& record = store_[static_cast<std::size_t>(cell.item)];
    const bool off = actions_["NotGetThumbNail1"]->isChecked();
    const int width = off || !record.has_picture ? cell.image->width() : record.bitmap.Width();
    const int height = off || !record.has_picture ? cell.image->height() : record.bitmap.Height();
    const TStepSlots built =
        CommandSteps(command, actions_["RectifyBeforeEffect1"]->isChecked(),
                     actions_["EveryTimeRectify1"]->isChecked(), settings_.every_rectify_type,
                     width, height, layout_.image_width, layout_.image_height);
    steps[i] = built.Slots();
    any = any || built.Any();
  }
  if (any) StartCellSteps(std::move(steps));
}

// ---------------------------------------------------------------------------------------------
// Paging and selection

bool TPictureTableForm::AskStopFilling() {
  if (!filling_) return false;
  if (ApU().ShowMessage("ピクチャー表示を中断します", TApU::kCaption, mb::kYesNo) == mb::kIdYes)
    stop_filling_ = true;
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
  if (filling_ || (controller_ && controller_->Busy())) {
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
