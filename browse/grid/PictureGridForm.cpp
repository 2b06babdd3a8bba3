#include "browse/grid/PictureGridForm.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "browse/grid/GridPreview.h"
#include "browse/grid/GridRules.h"
#include "browse/table/TableEffectDialogs.h"
#include "browse/table/TableSettings.h"
#include "effects/GridThreadWatcher.h"
#include "effects/ThumbNailThreadWatcher.h"
#include "engine/DecimalText.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PictureSave.h"
#include "platform/QtText.h"
#include "widgets/BoxEvents.h"
#include "widgets/MainImage.h"

namespace {

constexpr char kCaption[] = "PictureGrid  ";
constexpr char kNoPicture[] = "ピクチャーがありませんよ。";
constexpr int kMaxLineWidth = 20;

std::string ComboText(const QComboBox* combo) { return combo->currentText().toStdString(); }

void SetComboText(QComboBox* combo, const std::string& text) {
  const QSignalBlocker blocker(combo);
  combo->setEditText(Q(text));
}

QComboBox* MakeCombo(const char* name, const std::vector<std::string>& items, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& item : items) combo->addItem(Q(item));
  return combo;
}

bool SameFolderExists(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(folder, ec);
}

}  // namespace

TPictureGridForm::TPictureGridForm(TContext context, TGridPictureSource& source,
                                   TGridThreadWatcherForm& controller, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      context_(std::move(context)),
      settings_(*context_.settings),
      source_(source),
      controller_(controller) {
  setObjectName("PictureGridForm");
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(kCaption);
  BuildWidgets();
  BuildActions();
  TTableEffectDialogs::THooks hooks;
  hooks.apply = [this](const std::string& step, const std::string& parameter) {
    return ApplyEffect(step, parameter);
  };
  hooks.renew = [this] { back_ = shown_; };
  effects_ = new TTableEffectDialogs(*this, actions_, context_.rgb_records, context_.filter_records,
                                     std::move(hooks), TEffectOwner::TKind::kPictureGrid);
  RestoreSettings();
  resize_timer_ = new QTimer(this);
  resize_timer_->setSingleShot(true);
  resize_timer_->setInterval(50);
  connect(resize_timer_, &QTimer::timeout, this, [this] {
    // A new size waits for the controller: its picture would replace the one laid out now.
    if (Busy()) {
      resize_timer_->start();
    } else if (isVisible()) {
      ApplyLayout();
    }
  });
}

TPictureGridForm::~TPictureGridForm() {
  // A run still going hands nothing over to a window that is gone.
  if (controller_.Busy()) controller_.AbortThread();
  if (effects_) effects_->CloseAll();
}

// ---------------------------------------------------------------------------------------------
// Building

void TPictureGridForm::BuildWidgets() {
  grid_area_ = new QScrollArea;
  grid_area_->setObjectName("GridScrollBox");
  preview_ = new TGridPreview;
  grid_area_->setWidget(preview_);
  grid_area_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  connect(preview_, &TGridPreview::cellSelected, this, [this] {
    if (!show_all_->isChecked()) ShowSelectedCell();
  });

  image_area_ = new QScrollArea;
  image_area_->setObjectName("ImageScrollBox");
  main_image_ = new TMainImage;
  main_image_->setObjectName("MainImage");
  main_image_->resize(0, 0);
  image_area_->setWidget(main_image_);
  image_area_->setAlignment(Qt::AlignCenter);

  right_panel_ = new QWidget;
  right_panel_->setObjectName("RightPanel");
  auto* right = new QVBoxLayout(right_panel_);
  right->setContentsMargins(0, 0, 0, 0);
  right->addWidget(BuildButtonPanel());

  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setChildrenCollapsible(false);
  auto* main_area = new QWidget;
  main_area->setObjectName("MainPanel");
  auto* main_layout = new QVBoxLayout(main_area);
  main_layout->setContentsMargins(0, 0, 0, 0);
  splitter_->addWidget(main_area);
  splitter_->addWidget(right_panel_);
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 0);
  connect(splitter_, &QSplitter::splitterMoved, this, [this] { resize_timer_->start(); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter_);

  for (QWidget* w : {static_cast<QWidget*>(preview_), static_cast<QWidget*>(main_image_)})
    w->installEventFilter(this);
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(mapToGlobal(at)); });
}

QWidget* TPictureGridForm::BuildButtonPanel() {
  auto* panel = new QWidget;
  panel->setObjectName("ButtonPanel");
  auto* box = new QVBoxLayout(panel);
  box->setContentsMargins(2, 2, 2, 2);
  box->setSpacing(2);
  const auto check = [&](const char* name, const char* caption) {
    auto* c = new QCheckBox(QString::fromUtf8(caption), panel);
    c->setObjectName(name);
    box->addWidget(c);
    return c;
  };

  auto* size_panel = new QWidget(panel);
  size_panel->setObjectName("SizePanel");
  auto* sizes = new QGridLayout(size_panel);
  sizes->setContentsMargins(0, 0, 0, 0);
  size_select_ = new QCheckBox("サイズ指定", size_panel);
  size_select_->setObjectName("SizeSelectCheckBox");
  size_frame_ = new QRadioButton("外枠を指定", size_panel);
  size_frame_->setObjectName("SizeFrameRadioButton");
  size_grid_ = new QRadioButton("各格子を指定", size_panel);
  size_grid_->setObjectName("SizeGridRadioButton");
  size_frame_->setChecked(true);
  width_combo_ = MakeCombo("SizeWidthComboBox", GridSizeItems(), size_panel);
  height_combo_ = MakeCombo("SizeHeightComboBox", GridSizeItems(), size_panel);
  sizes->addWidget(size_select_, 0, 0, 1, 2);
  sizes->addWidget(size_frame_, 1, 0, 1, 2);
  sizes->addWidget(size_grid_, 2, 0, 1, 2);
  sizes->addWidget(new QLabel("幅", size_panel), 3, 0);
  sizes->addWidget(width_combo_, 3, 1);
  sizes->addWidget(new QLabel("高さ", size_panel), 4, 0);
  sizes->addWidget(height_combo_, 4, 1);
  columns_combo_ = MakeCombo("WCountComboBox", GridColumnItems(), size_panel);
  sizes->addWidget(new QLabel("列数", size_panel), 5, 0);
  sizes->addWidget(columns_combo_, 5, 1);
  box->addWidget(size_panel);
  const auto sizes_enabled = [this] {
    const bool on = size_select_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(size_frame_), static_cast<QWidget*>(size_grid_),
                       static_cast<QWidget*>(width_combo_), static_cast<QWidget*>(height_combo_)})
      w->setEnabled(on);
  };
  connect(size_select_, &QCheckBox::toggled, this, sizes_enabled);
  sizes_enabled();
  for (QComboBox* combo : {width_combo_, height_combo_, columns_combo_}) WatchBox(combo, this);

  show_repeat_ = check("ShowRepeatCheckBox", "繰り返し表示");
  get_thumbnail_ = check("GetThumbNailPictureCheckBox", "参照画像表示");
  show_other_ = check("ShowOtherPictureCheckBox", "裏画像表示");
  show_all_ = check("ShowAllCheckBox", "一覧表示");
  show_real_size_ = check("ShowRealSizeCheckBox", "実倍率表示");
  show_reverse_ = check("ShowReverseCheckBox", "配置反転");
  connect(show_repeat_, &QCheckBox::clicked, this, [this] { ApplyLayout(); });
  connect(get_thumbnail_, &QCheckBox::clicked, this, [this] { ApplyLayout(); });
  connect(show_other_, &QCheckBox::clicked, this, [this] { ShowPicture(); });
  connect(show_real_size_, &QCheckBox::clicked, this, [this] { ShowPicture(); });
  connect(show_all_, &QCheckBox::toggled, this, [this](bool on) { show_other_->setEnabled(!on); });
  connect(show_all_, &QCheckBox::clicked, this, [this] { ShowPicture(); });
  connect(show_reverse_, &QCheckBox::toggled, this, [this] {
    PlaceAreas();
    resize_timer_->start();
  });

  const auto button = [&](const char* name, const char* caption, auto handler) {
    auto* b = new QPushButton(QString::fromUtf8(caption), panel);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [name, handler] { GuardHandler(name, handler); });
    box->addWidget(b);
    return b;
  };
  set_grid_button_ = button("SetGridButton", "セット(&P)", [this] { ApplyLayout(); });
  button("SaveButton", "保存(&S)", [this] { SaveButtonClick(); });
  button("RectifyButton", "補正(&R)", [this] { RectifyButtonClick(); });
  button("UnSharpMaskingButton", "効果(&M)", [this] { UnSharpMaskingButtonClick(); });
  box->addStretch(1);

  // The progress panel: caption, bar and abort button, shown while the controller works.
  thread_panel_ = new QWidget(panel);
  thread_panel_->setObjectName("ThreadPanel");
  thread_panel_->setFixedHeight(61);
  auto* thread = new QVBoxLayout(thread_panel_);
  thread->setContentsMargins(2, 1, 2, 1);
  thread->setSpacing(1);
  thread_caption_label_ = new QLabel(thread_panel_);
  thread_caption_label_->setObjectName("ThreadCaptionLabel");
  thread_progress_bar_ = new QProgressBar(thread_panel_);
  thread_progress_bar_->setObjectName("ThreadProgressBar");
  thread_progress_bar_->setFixedHeight(18);
  thread_progress_bar_->setTextVisible(false);
  auto* abort = new QPushButton("中止(&A)", thread_panel_);
  abort->setObjectName("ThreadAbortButton");
  connect(abort, &QPushButton::clicked, this, [this] { controller_.abortButtonClick(); });
  thread->addWidget(thread_caption_label_);
  thread->addWidget(thread_progress_bar_);
  thread->addWidget(abort);
  // Its place is kept while hidden: showing it must not resize the areas, which would lay the
  // grid out again over the controller's result.
  QSizePolicy keep = thread_panel_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  thread_panel_->setSizePolicy(keep);
  thread_panel_->hide();
  box->addWidget(thread_panel_);
  return panel;
}

void TPictureGridForm::BuildActions() {
  const auto make = [this](const char* name, const char* caption, bool checkable = false) {
    return MakeNamedAction(*this, actions_, name, caption, {}, checkable);
  };
  const auto on = [this](const char* name, std::function<void()> body) {
    connect(actions_.at(name), &QAction::triggered, this,
            [name, body = std::move(body)] { GuardHandler(name, body); });
  };
  make("PictureCopy1", "コピー(&C)");
  make("NoGrid1", "枠線なし(&G)", true);
  make("GridSize1", "枠線サイズ(&S)");
  make("PictureWithGrid1", "ピクチャーを線で囲む(&P)", true);
  make("LowPassFilter1", "ローパスフィルター(&L)");
  make("ShowRotationArrangeForm1", "回転する(&X)", true);
  make("ShowRGBArrangeForm1", "RGB操作(&B)", true);
  make("ShowFreeFilterForm1", "フリーフィルタ(&F)", true);
  make("SetFocus1", "セットフォーカス(&E)");
  make("FocusRotationArrangeForm1", "回転する(&X)");
  make("FocusRGBArrangeForm1", "RGB操作(&B)");
  make("FocusFreeFilterForm1", "フリーフィルタ(&F)");
  make("BaseSetting1", "設定( &I )");
  on("PictureCopy1", [this] { TApU::CopyPictureToClipboard(shown_); });
  on("NoGrid1", [this] { ApplyLayout(); });
  on("PictureWithGrid1", [this] { ApplyLayout(); });
  on("GridSize1", [this] { GridSizeClick(); });
  on("LowPassFilter1", [this] { LowPassFilterClick(); });
  on("BaseSetting1", [this] {
    if (!context_.table_settings || !context_.color_records || !context_.main_settings) return;
    bool memory_show = false;
    TTableSettingContext settings{*context_.table_settings, memory_show, *context_.color_records,
                                  context_.main_settings->palette.palette_show};
    settings.filter_only = true;
    TTableSettingForm::Ask(this, settings);
  });

  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu");
  for (const char* name :
       {"PictureCopy1", "NoGrid1", "GridSize1", "PictureWithGrid1", "LowPassFilter1",
        "ShowRotationArrangeForm1", "ShowRGBArrangeForm1", "ShowFreeFilterForm1"})
    popup_->addAction(actions_.at(name));
  QMenu* focus = popup_->addMenu("セットフォーカス(&E)");
  focus->setObjectName("SetFocus1");
  for (const char* name :
       {"FocusRotationArrangeForm1", "FocusRGBArrangeForm1", "FocusFreeFilterForm1"})
    focus->addAction(actions_.at(name));
  popup_->addAction(actions_.at("BaseSetting1"));

  // Keys the table and the main window use do nothing here.
  std::vector<QKeySequence> quiet;
  for (int f = 0; f < 12; ++f) quiet.emplace_back(Qt::Key_F1 + f);
  for (int f = 3; f < 7; ++f) {
    quiet.emplace_back(Qt::SHIFT | (Qt::Key_F1 + f));
    quiet.emplace_back(Qt::CTRL | (Qt::Key_F1 + f));
  }
  for (const Qt::Key key : {Qt::Key_A, Qt::Key_B, Qt::Key_H, Qt::Key_L, Qt::Key_M, Qt::Key_N,
                            Qt::Key_R, Qt::Key_T, Qt::Key_W})
    quiet.emplace_back(Qt::CTRL | key);
  for (const QKeySequence& key : quiet) {
    auto* action = new QAction(this);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
}

// ---------------------------------------------------------------------------------------------
// Settings

void TPictureGridForm::RestoreSettings() {
  TFormBounds bounds{settings_.left, settings_.top, settings_.width, settings_.height};
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    bounds = ClampFormBounds(bounds, screen->geometry().width(), screen->geometry().height());
  setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
  splitter_->setSizes({std::max(bounds.width - settings_.right_panel_width, 1),
                       std::max(settings_.right_panel_width, 1)});
  size_grid_->setChecked(settings_.size_grid);
  size_frame_->setChecked(!settings_.size_grid);
  show_repeat_->setChecked(settings_.show_repeat);
  get_thumbnail_->setChecked(settings_.get_picture);
  const int index = columns_combo_->findText(Q(GridColumnText(settings_.w_count)));
  const QSignalBlocker blocker(columns_combo_);
  if (index >= 0) {
    columns_combo_->setCurrentIndex(index);
  } else {
    columns_combo_->setCurrentIndex(
        std::clamp(source_.GridColumnIndex(), 0, columns_combo_->count() - 1));
  }
  PlaceAreas();
}

void TPictureGridForm::StoreSettings() {
  settings_.left = geometry().left();
  settings_.top = geometry().top();
  settings_.width = width();
  settings_.height = height();
  settings_.right_panel_width = right_panel_->width();
  StoreGridBoxes({ComboText(columns_combo_), ComboText(width_combo_), ComboText(height_combo_),
                  size_select_->isChecked(), size_grid_->isChecked()},
                 settings_);
  settings_.show_repeat = show_repeat_->isChecked();
  settings_.get_picture = get_thumbnail_->isChecked();
  settings_.show_other_picture = show_other_->isChecked();
  settings_.show_all = show_all_->isChecked();
  settings_.show_real_size = show_real_size_->isChecked();
  settings_.show_reverse = show_reverse_->isChecked();
}

void TPictureGridForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  controller_.SetThreadPanel(thread_panel_, thread_progress_bar_, thread_caption_label_);
  if (shown_once_) return;
  shown_once_ = true;
  {
    const QSignalBlocker blockers[] = {QSignalBlocker(show_all_), QSignalBlocker(show_other_),
                                       QSignalBlocker(show_real_size_)};
    show_all_->setChecked(settings_.show_all);
    show_other_->setChecked(settings_.show_other_picture);
    show_other_->setEnabled(!settings_.show_all);
    show_real_size_->setChecked(settings_.show_real_size);
  }
  show_reverse_->setChecked(settings_.show_reverse);
  if (settings_.seize_select) {
    std::string width, height;
    RestoreGridSizes(settings_, width, height);
    SetComboText(width_combo_, width);
    SetComboText(height_combo_, height);
    size_select_->setChecked(true);
  }
  // The areas take their sizes once the window is laid out: one layout for the first size.
  resize_timer_->start();
}

void TPictureGridForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (resize_timer_) resize_timer_->start();
}

bool TPictureGridForm::Busy() const { return controller_.Busy(); }

bool TPictureGridForm::LayoutPending() const { return resize_timer_->isActive(); }

void TPictureGridForm::closeEvent(QCloseEvent* event) {
  if (Busy()) {
    event->ignore();
    return;
  }
  effects_->CloseAll();
  StoreSettings();
  event->accept();
  emit Closed();
}

// ---------------------------------------------------------------------------------------------
// Layout and pictures

void TPictureGridForm::PlaceAreas() {
  QWidget* main_area = splitter_->widget(0);
  const bool reverse = show_reverse_->isChecked();
  QWidget* in_main = reverse ? static_cast<QWidget*>(image_area_) : grid_area_;
  QWidget* in_right = reverse ? static_cast<QWidget*>(grid_area_) : image_area_;
  main_area->layout()->addWidget(in_main);
  auto* right = static_cast<QVBoxLayout*>(right_panel_->layout());
  right->insertWidget(0, in_right, 1);
}

std::vector<const TBitmap24*> TPictureGridForm::CellPictures(bool held) const {
  const std::vector<int> tags = source_.GridCellTags();
  const int cells = layout_.columns * layout_.rows;
  const std::vector<int> map = GridPictureMap(tags, cells, show_repeat_->isChecked());
  std::vector<const TBitmap24*> pictures(map.size(), nullptr);
  for (std::size_t k = 0; k < map.size(); ++k) {
    const int cell = map[k];
    if (cell < 0 || cell >= static_cast<int>(tags.size())) continue;
    pictures[k] = held ? (tags[static_cast<std::size_t>(cell)] >= 0
                              ? source_.GridHeldPicture(tags[static_cast<std::size_t>(cell)])
                              : nullptr)
                       : source_.GridShownPicture(cell);
  }
  return pictures;
}

void TPictureGridForm::ApplyLayout() {
  if (placing_) return;
  placing_ = true;
  const std::vector<int> tags = source_.GridCellTags();
  int columns = kDefaultGridColumns;
  if (!ParseGridColumns(ComboText(columns_combo_), columns)) {
    SetComboText(columns_combo_, GridColumnText(kDefaultGridColumns));
    columns = kDefaultGridColumns;
  }
  TGridSizeRequest request;
  request.size_select = size_select_->isChecked();
  request.each_cell = size_grid_->isChecked();
  request.width_text = ComboText(width_combo_);
  request.height_text = ComboText(height_combo_);
  request.client_width = grid_area_->viewport()->width();
  request.client_height = grid_area_->viewport()->height();
  request.cell_width = layout_.cell_width;
  request.cell_height = layout_.cell_height;
  request.columns = columns;
  request.count = GridCellsToShow(tags, show_repeat_->isChecked());
  request.line_width = layout_.line_width;
  const TGridSizeDecision decision = DecideGridSizes(request);
  SetComboText(width_combo_, decision.width_text);
  SetComboText(height_combo_, decision.height_text);
  if (!decision.stop) {
    layout_ = decision.layout;
    preview_->SetGrid(layout_, CellPictures(get_thumbnail_->isChecked()),
                      actions_.at("NoGrid1")->isChecked(),
                      actions_.at("PictureWithGrid1")->isChecked());
    ShowPicture();
  }
  placing_ = false;
}

void TPictureGridForm::ShowPicture() {
  if (show_all_->isChecked()) {
    ComposeAll();
  } else {
    ShowSelectedCell();
  }
}

void TPictureGridForm::ComposeAll() {
  const std::vector<int> tags = source_.GridCellTags();
  if (GridCellsToShow(tags, show_repeat_->isChecked()) <= 0) {
    ApU().ShowMessage(kNoPicture, TApU::kCaption);
    return;
  }
  if (!GridCanvasAllowed(layout_)) {
    ApU().ShowMessage(kGridTooLargeMessage, TApU::kCaption);
    SetShown(TBitmap24(), false);
    back_ = TBitmap24();
    return;
  }
  TGridComposeOptions options;
  options.no_grid = actions_.at("NoGrid1")->isChecked();
  options.frame_pictures = actions_.at("PictureWithGrid1")->isChecked();
  const TGridComposeResult result =
      ComposeGrid(layout_, CellPictures(get_thumbnail_->isChecked()), options, canvas_);
  if (!result.ok) {
    ApU().ShowMessage("予定外エラー(例外1)", TApU::kCaption);
    return;
  }
  SetShown(std::move(canvas_), true);
  if (result.failed_cells > 0)
    ApU().ShowMessage(
        std::to_string(result.failed_cells) + "個のピクチャー処理にエラーが発生しました。",
        TApU::kCaption);
  back_ = shown_;
}

void TPictureGridForm::ShowSelectedCell() {
  const int cell = preview_->SelectedCell();
  // The reference picture when exactly one of the two boxes asks for it.
  const bool held = get_thumbnail_->isChecked() != show_other_->isChecked();
  const std::vector<const TBitmap24*> pictures = CellPictures(held);
  const TBitmap24* picture =
      cell >= 0 && cell < static_cast<int>(pictures.size()) ? pictures[cell] : nullptr;
  SetShown(picture ? TBitmap24(*picture) : TBitmap24(), !show_real_size_->isChecked());
  back_ = shown_;
}

void TPictureGridForm::SetShown(TBitmap24&& picture, bool refit) {
  shown_.Swap(picture);  // picture keeps the old buffer for its next use
  if (refit) {
    FitImage();
  } else if (main_image_->size() != QSize(shown_.Width(), shown_.Height()) &&
             !show_all_->isChecked() && show_real_size_->isChecked()) {
    main_image_->resize(shown_.Width(), shown_.Height());
  }
  main_image_->SetPicture(shown_.Empty() ? nullptr : &shown_, false);
  if (shown_.Empty()) main_image_->resize(0, 0);
}

void TPictureGridForm::FitImage() {
  const int box_width = image_area_->viewport()->width() - 2;
  const int box_height = image_area_->viewport()->height() - 2;
  if (shown_.Empty() || box_width <= 0 || box_height <= 0) return;
  const float factor = FitFactor(box_width, box_height, shown_.Width(), shown_.Height());
  if (!(factor > 0)) return;
  main_image_->resize(std::max(1, static_cast<int>(shown_.Width() * factor)),
                      std::max(1, static_cast<int>(shown_.Height() * factor)));
}

// ---------------------------------------------------------------------------------------------
// Boxes, caption and line width

bool TPictureGridForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == preview_ || watched == main_image_) {
    if (event->type() == QEvent::MouseButtonPress) ResetCaption(true);
    if (event->type() == QEvent::MouseButtonRelease) ResetCaption(false);
    return false;
  }
  for (QComboBox* combo : {width_combo_, height_combo_, columns_combo_}) {
    if (!IsBox(watched, combo)) continue;
    if (IsEnter(event)) {
      EnterInBox(combo);
      return true;
    }
    if (LeftTheBox(event)) BoxLeft(combo);
    return false;
  }
  return QWidget::eventFilter(watched, event);
}

void TPictureGridForm::ResetCaption(bool pressed) {
  if (!pressed) {
    setWindowTitle(kCaption);
    return;
  }
  setWindowTitle(
      QString("PictureGrid  ( %1, %2 )").arg(main_image_->width()).arg(main_image_->height()));
}

void TPictureGridForm::BoxLeft(QComboBox* combo) {
  int value = 0;
  const bool valid = combo == columns_combo_ ? ParseGridColumns(ComboText(combo), value)
                                             : ParseGridSize(ComboText(combo), value);
  if (!valid) {
    ApU().ShowMessage("正の整数を入力してください。", TApU::kCaption);
    QTimer::singleShot(0, combo, [combo] { combo->setFocus(); });
    return;
  }
  if (combo == columns_combo_) ApplyLayout();
}

void TPictureGridForm::EnterInBox(QComboBox* combo) {
  set_grid_button_->setFocus();
  ApplyLayout();
  combo->setFocus();
}

void TPictureGridForm::GridSizeClick() {
  std::string text = std::to_string(layout_.line_width);
  if (!ApU().Dialogs().InputQuery("PictureGrid", "枠線サイズの指定", text)) return;
  int width = 0;
  if (!ParseDecimalInt(text, width) || width < 0 || width > kMaxLineWidth) {
    ApU().ShowMessage("0以上の20以下の整数を入力してください。", TApU::kCaption);
    return;
  }
  layout_.line_width = width;
  ApplyLayout();
}

// ---------------------------------------------------------------------------------------------
// Processing by the grid controller

bool TPictureGridForm::HandOver(TBitmap24& picture, bool refit) {
  SetShown(std::move(picture), refit && !show_real_size_->isChecked());
  return true;
}

void TPictureGridForm::RectifyButtonClick() {
  if (Busy()) return;
  thread_caption_label_->clear();
  thread_panel_->show();
  back_ = shown_;
  const int resize = context_.table_settings ? context_.table_settings->rectify_type : 0;
  const auto target = [this](TBitmap24& picture, bool refit) { return HandOver(picture, refit); };
  try {
    if (show_all_->isChecked()) {
      TGridZoomRequest request;
      request.layout = layout_;
      for (const TBitmap24* picture : CellPictures(get_thumbnail_->isChecked()))
        request.pictures.push_back(picture ? *picture : TBitmap24());
      request.no_grid = actions_.at("NoGrid1")->isChecked();
      request.picture_with_grid = actions_.at("PictureWithGrid1")->isChecked();
      request.from_thumbnails = get_thumbnail_->isChecked();
      controller_.StartGridRectify(std::move(request), resize, target);
    } else {
      controller_.StartGridSingleZoom(shown_, main_image_->width(), resize, target);
    }
  } catch (...) {
    controller_.AbortThread();
    ApU().ShowMessage("GridImageZoomShrink Error(例外1)", TApU::kCaption);
  }
}

bool TPictureGridForm::StartFilter(int kind) {
  if (Busy()) return false;
  thread_caption_label_->clear();
  thread_panel_->show();
  back_ = shown_;
  try {
    const TSimpleFilterSettings kernel = context_.table_settings
                                             ? TableKernelSettings(*context_.table_settings)
                                             : TSimpleFilterSettings();
    return controller_.StartGridFilter(
        shown_, kind, kernel,
        [this](TBitmap24& picture, bool refit) { return HandOver(picture, refit); });
  } catch (...) {
    controller_.AbortThread();
    ApU().ShowMessage("ImageFilter Error(例外1)", TApU::kCaption);
    return false;
  }
}

void TPictureGridForm::UnSharpMaskingButtonClick() { StartFilter(1); }

void TPictureGridForm::LowPassFilterClick() { StartFilter(0); }

bool TPictureGridForm::ApplyEffect(const std::string& step, const std::string& parameter) {
  if (Busy()) return false;
  const auto target = [this](TBitmap24& picture, bool refit) { return HandOver(picture, refit); };
  const TPictureTableSettings* table = context_.table_settings;
  try {
    thread_panel_->show();
    if (step == kStepRotation) {
      thread_caption_label_->setText("回転 " + Q(parameter).trimmed() + "度");
      return controller_.StartGridRotation(back_, target,
                                           table ? table->rotation_back_color : kWhite,
                                           table ? table->rotation_type : 0, parameter);
    }
    if (step == kStepRGBArrange) {
      thread_caption_label_->setText("RGBArrange");
      return controller_.StartGridRGBArrange(back_, target, parameter);
    }
    thread_caption_label_->setText("FreeFilter");
    return controller_.StartGridFreeFilter(back_, target, parameter);
  } catch (...) {
    controller_.AbortThread();
    ApU().ShowMessage(step == kStepRotation     ? "Rotation Error"
                      : step == kStepRGBArrange ? "RGBArrange Error"
                                                : "FreeFilter (例外4)",
                      TApU::kCaption);
    return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Saving

void TPictureGridForm::SaveButtonClick() {
  if (shown_.Empty()) {
    ApU().ShowMessage(kNoPicture, TApU::kCaption);
    return;
  }
  TMainSettings* main = context_.main_settings;
  TFileDialogRequest request;
  request.filter = "ピクチャー(*.bmp)|*.bmp|ピクチャー(*.jpg)|*.jpg|ピクチャー(*.png)|*.png";
  request.confirm_overwrite = false;
  const std::string last = main ? main->base.save_folder : std::string();
  request.folder = SameFolderExists(last) ? last : context_.program_folder;
  if (context_.save_name)
    request.file_name = std::filesystem::path(context_.save_name()).stem().string();
  int filter = 1;
  request.chosen_filter = &filter;
  std::string target;
  if (!ApU().Dialogs().SaveFile(request, target) || target.empty()) return;
  static const char* const kExtensions[] = {".bmp", ".jpg", ".png"};
  if (filter < 1 || filter > 3) {
    ApU().ShowMessage("予定外のフィルター", TApU::kCaption);
    return;
  }
  // A name without a picture extension takes the chosen filter's; the extension decides the
  // format written.
  std::filesystem::path path(target);
  const std::string typed = LowerExtension(target);
  if (typed != ".bmp" && typed != ".jpg" && typed != ".jpeg" && typed != ".png")
    path += kExtensions[filter - 1];
  std::error_code ec;
  if (std::filesystem::exists(path, ec) &&
      ApU().ShowMessage(path.filename().string() + " は既に存在します。" + "\r\n" + "\r\n" +
                            "上書きしてもよいですか?",
                        TApU::kCaption, mb::kYesNo | mb::kIconQuestion) != mb::kIdYes)
    return;
  std::string error;
  const int quality = main ? main->file_filter.jpeg_save_quality : 90;
  bool saved = false;
  try {
    saved = SavePicture(shown_, path.string(), true, quality, nullptr, &error);
  } catch (...) {
    ApU().ShowMessage("ファイルセーブに失敗しました(例外1)。", TApU::kCaption);
    return;
  }
  if (!saved) {
    ApU().ShowMessage("ファイルセーブに失敗しました。", TApU::kCaption);
    return;
  }
  if (main) main->base.save_folder = path.parent_path().string();
  if (context_.set_save_name) context_.set_save_name(path.stem().string() + ".txt");
}
