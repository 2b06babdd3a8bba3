#include "app/PictureView.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "app/CaptureGeometry.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/CaptureRender.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtFontRasteriser.h"
#include "widgets/ActionSupport.h"
#include "widgets/MainImage.h"

namespace {
const char* const kZoomItems[] = {"0.10", "0.25", "0.50", "0.75", "1.00",
                                  "1.25", "1.50", "1.75", "2.00", "3.00"};

struct TPositionAction {
  const char* name;
  const char* caption;
  Qt::Key key;
  int position;
};
const TPositionAction kPositions[] = {
    {"PicturePosTopLeft", "上左表示(&Q)", Qt::Key_Q, 7},
    {"PicturePosTopCenter", "上中表示(&W)", Qt::Key_W, 8},
    {"PicturePosTopRight", "上右表示(&E)", Qt::Key_E, 9},
    {"PicturePosCenterLeft", "中左表示(&A)", Qt::Key_A, 4},
    {"PicturePosCenter", "中央表示(&S)", Qt::Key_S, 5},
    {"PicturePosCenterRight", "中右表示(&D)", Qt::Key_D, 6},
    {"PicturePosBottomLeft", "下左表示(&Z)", Qt::Key_Z, 1},
    {"PicturePosBottomCenter", "下中表示(&X)", Qt::Key_X, 2},
    {"PicturePosBottomRight", "下右表示(&C)", Qt::Key_C, 3},
};

struct TNamedCaption {
  const char* name;
  const char* caption;
};
const TNamedCaption kArrangements[] = {
    {"NormalWH", "制御しない(&F)"},      {"WidthLargeA", "すべて横長A（&W)"},
    {"WidthLargeB", "すべて横長B(&X)"},  {"HeightLargeA", "すべて縦長A(&H)"},
    {"HeightLargeB", "すべて縦長B(&Y)"},
};
const TNamedCaption kEveryTimeOptions[] = {
    {"EveryTimeOnlyRectify", "補正する(&R)"},
    {"EveryTimeLowPassFilter", "ローパスフィルタ(&L)"},
    {"EveryTimeUnSharpMasking", "アンシャープマスク(&M)"},
    {"EveryTimeBeforeUnSharpMasking", "補正前アンシャープマスク(&B)"},
    {"EveryTimeAfterUnSharpMasking", "補正後アンシャープマスク(&A)"},
    {"EveryTimeFastUnSharpMasking", "補正+アンシャープマスク(速)(&F)"},
};
const TNamedCaption kRealZooms[] = {
    {"RealZoom050", "× 0.5"}, {"RealZoom100", "× 1.0"}, {"RealZoom150", "× 1.5"},
    {"RealZoom200", "× 2.0"}, {"RealZoom250", "× 2.5"}, {"RealZoom300", "× 3.0"},
};

}  // namespace

TPictureView::TPictureView(QMainWindow& window, TMainSettings& settings,
                           const TPictureLoader& loader, TImageThreadWatcherForm& controller,
                           const PathText& paths)
    : QObject(&window),
      window_(window),
      settings_(settings),
      loader_(loader),
      controller_(controller),
      paths_(paths) {
  BuildWidgets();
  BuildActions();
  BuildMenus();
}

TPictureView::~TPictureView() = default;

QAction* TPictureView::Action(const std::string& name) const { return FindAction(actions_, name); }

QAction* TPictureView::MakeAction(const char* name, const char* caption, const QKeySequence& key,
                                  bool checkable) {
  return MakeNamedAction(window_, actions_, name, caption, key, checkable);
}

void TPictureView::BuildWidgets() {
  main_panel_ = new QWidget;
  main_panel_->setObjectName("MainPanel");
  main_panel_->setAutoFillBackground(true);
  image_panel_ = new QFrame(main_panel_);
  image_panel_->setObjectName("ImagePanel");
  static_cast<QFrame*>(image_panel_)->setFrameStyle(QFrame::Panel | QFrame::Raised);
  main_image_ = new TMainImage(image_panel_);
  const char* shadow_names[] = {"ShadowTopLabel", "ShadowLeftLabel", "ShadowRightLabel",
                                "ShadowBottomLabel"};
  for (int i = 0; i < 4; ++i) {
    auto* shadow = new QLabel(main_panel_);
    shadow->setObjectName(shadow_names[i]);
    shadow->setAutoFillBackground(true);
    shadow->setStyleSheet("background-color: rgb(128, 128, 128);");
    shadow->hide();
    shadows_[i] = shadow;
  }
  main_panel_->installEventFilter(this);
  image_panel_->installEventFilter(this);
  main_image_->installEventFilter(this);

  zoom_panel_ = new QWidget;
  zoom_panel_->setObjectName("ZoomPanel");
  auto* zoom_layout = new QGridLayout(zoom_panel_);
  zoom_layout->setContentsMargins(0, 0, 0, 0);
  zoom_layout->setSpacing(2);
  real_zoom_combo_box_ = new QComboBox;
  real_zoom_combo_box_->setObjectName("RealZoomComboBox");
  zoom_combo_box_ = new QComboBox;
  zoom_combo_box_->setObjectName("ZoomComboBox");
  for (QComboBox* box : {real_zoom_combo_box_, zoom_combo_box_}) {
    box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const char* item : kZoomItems) box->addItem(item);
    box->setCurrentText("1.00");
  }
  real_label_ = new QLabel("実倍");
  real_label_->setObjectName("RealZoomLabel");
  real_label_->setContextMenuPolicy(Qt::CustomContextMenu);
  real_label_->installEventFilter(this);
  auto* check = new QCheckBox;
  check->setObjectName("ZoomControlCheckBox");
  zoom_control_check_box_ = check;
  zoom_button_ = new QPushButton("倍率変更(&Z)");
  zoom_button_->setObjectName("ZoomButton");
  zoom_button_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  // Narrow enough for the default 101-pixel operations panel: each box has a row of its own.
  zoom_layout->addWidget(real_label_, 0, 0);
  zoom_layout->addWidget(check, 0, 1, Qt::AlignRight);
  zoom_layout->addWidget(real_zoom_combo_box_, 1, 0, 1, 2);
  zoom_layout->addWidget(zoom_combo_box_, 2, 0, 1, 2);
  zoom_layout->addWidget(zoom_button_, 3, 0, 1, 2);
  connect(zoom_button_, &QPushButton::clicked, this, [this] { ZoomButtonClick(); });
  for (QComboBox* box : {real_zoom_combo_box_, zoom_combo_box_})
    connect(box->lineEdit(), &QLineEdit::returnPressed, zoom_button_,
            [this] { zoom_button_->setFocus(); });
  connect(check, &QCheckBox::clicked, this, [this] { PictureSizeRealControlInExecute(); });
}

void TPictureView::BuildActions() {
  const auto on = [this](QAction* action, const char* handler, void (TPictureView::*method)()) {
    ConnectGuarded(action, this, handler, method);
  };
  on(MakeAction("PictureZoomIn", "拡大(&Z)", Qt::Key_F6), "PictureZoomInExecute",
     &TPictureView::PictureZoomInExecute);
  on(MakeAction("PictureZoomOut", "縮小(&R)", Qt::Key_F5), "PictureZoomOutExecute",
     &TPictureView::PictureZoomOutExecute);
  on(MakeAction("PictureNoZoom", "倍率=1(&N)", Qt::Key_F4), "PictureNoZoomExecute",
     &TPictureView::PictureNoZoomExecute);
  on(MakeAction("PictureWidthBase", "横基準(&Y)", Qt::CTRL | Qt::Key_Y), "PictureWidthBaseExecute",
     &TPictureView::PictureWidthBaseExecute);
  on(MakeAction("PictureHeightBase", "縦基準(&H)", Qt::CTRL | Qt::Key_H),
     "PictureHeightBaseExecute", &TPictureView::PictureHeightBaseExecute);
  on(MakeAction("PictureZoomInput", "指定する(&B)", Qt::CTRL | Qt::Key_F5),
     "PictureZoomInputExecute", &TPictureView::PictureZoomInputExecute);
  on(MakeAction("PictureSizeNoSpace", "余白をなくす(&M)", Qt::CTRL | Qt::Key_F4, true),
     "PictureSizeNoSpaceExecute", &TPictureView::PictureSizeNoSpaceExecute);
  on(MakeAction("PictureSizeReal", "実倍率表示(&R)", {}, true), "PictureSizeRealExecute",
     &TPictureView::PictureSizeRealExecute);
  // The action mirrors the check box: the box is what the user clicks, the action toggles it.
  QAction* control_in =
      MakeAction("PictureSizeRealControlIn", "実倍率制御(&C)", Qt::SHIFT | Qt::Key_F4, true);
  connect(control_in, &QAction::triggered, this, [this] {
    auto* check = static_cast<QCheckBox*>(zoom_control_check_box_);
    check->setChecked(!check->isChecked());
    Guard("PictureSizeRealControlInExecute", [this] { PictureSizeRealControlInExecute(); });
  });
  for (const TNamedCaption& zoom : kRealZooms) {
    QAction* action = MakeAction(zoom.name, zoom.caption);
    connect(action, &QAction::triggered, this, [this, action] { RealZoomExecute(action); });
  }
  on(MakeAction("GetRealZoomControl", "実倍率制御値(&R)"), "GetRealZoomControlExecute",
     &TPictureView::GetRealZoomControlExecute);
  on(MakeAction("NowRealZoomControl", "値= ×1.000"), "NowRealZoomControlExecute",
     &TPictureView::NowRealZoomControlExecute);

  position_group_ = new QActionGroup(this);
  for (const TPositionAction& p : kPositions) {
    QAction* action = MakeAction(p.name, p.caption, Qt::CTRL | p.key, true);
    action->setData(p.position);
    position_group_->addAction(action);
    const int position = p.position;
    connect(action, &QAction::triggered, this, [this, position] {
      Guard("PicturePosExecute", [this, position] { PicturePosExecute(position); });
    });
  }
  on(MakeAction("PicturePosFree", "制御しない(&F)", Qt::CTRL | Qt::Key_F, true),
     "PicturePosFreeExecute", &TPictureView::PicturePosFreeExecute);
  on(MakeAction("PicturePosRotation", "循環ポジション(&R)", Qt::Key_F7),
     "PicturePosRotationExecute", &TPictureView::PicturePosRotationExecute);

  arrangement_group_ = new QActionGroup(this);
  for (const TNamedCaption& a : kArrangements)
    arrangement_group_->addAction(MakeAction(a.name, a.caption, {}, true));
  actions_["NormalWH"]->setChecked(true);

  MakeAction("EveryTimeRectify", "常に加工する(&R)", {}, true);
  every_time_group_ = new QActionGroup(this);
  int tag = 0;
  for (const TNamedCaption& o : kEveryTimeOptions) {
    QAction* action = MakeAction(o.name, o.caption, {}, true);
    action->setData(tag++);
    every_time_group_->addAction(action);
  }

  on(MakeAction("UndoPicture", "元に戻す(&U)"), "UndoPictureExecute",
     &TPictureView::UndoPictureExecute);
  on(MakeAction("ReNewStockPicture", "画像の更新(&N)"), "ReNewStockPictureExecute",
     &TPictureView::ReNewStockPictureExecute);
  on(MakeAction("PictureCopy", "コピー(&C)"), "PictureCopyExecute",
     &TPictureView::PictureCopyExecute);
  MakeAction("ShowPictureData", "ピクチャーデータの表示(&D)", {}, true);
}

void TPictureView::BuildMenus() {
  view_menu_ = new QMenu("表示(&V)", &window_);
  view_menu_->setObjectName("ViewMenu");
  for (const char* name : {"PictureZoomIn", "PictureZoomOut", "PictureNoZoom", "PictureWidthBase",
                           "PictureHeightBase", "PictureZoomInput", "PictureSizeNoSpace"})
    view_menu_->addAction(actions_[name]);
  view_menu_->addSeparator();
  view_menu_->addAction(actions_["PictureSizeReal"]);
  view_menu_->addAction(actions_["PictureSizeRealControlIn"]);
  view_menu_->addAction(actions_["GetRealZoomControl"]);
  view_menu_->addSeparator();
  position_menu_ = view_menu_->addMenu("表示位置(&P)");
  position_menu_->setObjectName("PositionMenu");
  position_menu_->addActions(position_group_->actions());
  view_menu_->addAction(actions_["PicturePosFree"]);
  view_menu_->addAction(actions_["PicturePosRotation"]);
  QMenu* arrangement = view_menu_->addMenu("縦横の制御(&A)");
  arrangement->setObjectName("ArrangementMenu");
  arrangement->addActions(arrangement_group_->actions());
  QMenu* every_time = view_menu_->addMenu("常時加工(&K)");
  every_time->setObjectName("EveryTimeMenu");
  every_time->addAction(actions_["EveryTimeRectify"]);
  every_time->addSeparator();
  every_time->addActions(every_time_group_->actions());
  view_menu_->addSeparator();
  view_menu_->addAction(actions_["ShowPictureData"]);

  real_popup_ = new QMenu(&window_);
  real_popup_->setObjectName("RealZoomPopupMenu");
  for (const TNamedCaption& zoom : kRealZooms) real_popup_->addAction(actions_[zoom.name]);
  real_popup_->addSeparator();
  real_popup_->addAction(actions_["NowRealZoomControl"]);
  connect(real_popup_, &QMenu::aboutToShow, this, [this] { GetRealZoomControlExecute(); });
  connect(real_label_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { real_popup_->popup(real_label_->mapToGlobal(at)); });

  popup_menu_ = new QMenu(&window_);
  popup_menu_->setObjectName("PicturePopupMenu");
  for (const char* name : {"PictureZoomIn", "PictureZoomOut", "PictureNoZoom", "PictureWidthBase",
                           "PictureHeightBase", "PictureZoomInput"})
    popup_menu_->addAction(actions_[name]);
  popup_menu_->addSeparator();
  popup_menu_->addMenu(position_menu_);
  popup_menu_->addAction(actions_["PicturePosFree"]);
  popup_menu_->addSeparator();
  for (const char* name : {"UndoPicture", "ReNewStockPicture", "PictureCopy"})
    popup_menu_->addAction(actions_[name]);
}

void TPictureView::ApplySettings() {
  geometry_.position = settings_.base.position;
  geometry_.real_control = settings_.base.real_zoom_control;
  geometry_.real_control_in = settings_.base.real_zoom_control_in;
  static_cast<QCheckBox*>(zoom_control_check_box_)->setChecked(geometry_.real_control_in);
  actions_["PictureSizeRealControlIn"]->setChecked(geometry_.real_control_in);
  for (QAction* action : position_group_->actions())
    action->setChecked(action->data().toInt() == geometry_.position);
  const int option = settings_.base.every_rectify_type;
  for (QAction* action : every_time_group_->actions())
    action->setChecked(action->data().toInt() == (option >= 1 && option <= 5 ? option : 0));
  actions_["ShowPictureData"]->setChecked(settings_.file_filter.show_picture_data);
  if (settings_.base.zoom_real) PictureSizeRealExecute();
  SyncZoomControls();
}

void TPictureView::TakeSettings() {
  settings_.base.position = geometry_.position;
  settings_.base.zoom_real = geometry_.real_mode;
  settings_.base.real_zoom_control = geometry_.real_control;
  settings_.base.real_zoom_control_in = geometry_.real_control_in;
  // A stored value outside 1..5 means correction only; it is kept unless the user chose another.
  const int stored = settings_.base.every_rectify_type;
  const int stored_tag = stored >= 1 && stored <= 5 ? stored : 0;
  if (const QAction* checked = every_time_group_->checkedAction();
      checked && checked->data().toInt() != stored_tag)
    settings_.base.every_rectify_type = checked->data().toInt();
  settings_.file_filter.show_picture_data = actions_["ShowPictureData"]->isChecked();
}

TJobOptions TPictureView::EveryTimeOptions() const {
  TJobOptions options = jobs_->DialogOptions();
  options.normal_arrangement = Arrangement() == TArrangement::kNormal;
  options.every_time = actions_.at("EveryTimeRectify")->isChecked();
  const QAction* checked = every_time_group_->checkedAction();
  options.every_option = checked ? checked->data().toInt() : 0;
  return options;
}

TArrangement TPictureView::Arrangement() const {
  const QAction* checked = arrangement_group_->checkedAction();
  const QString name = checked ? checked->objectName() : QString("NormalWH");
  if (name == "WidthLargeA") return TArrangement::kWidthLargeA;
  if (name == "WidthLargeB") return TArrangement::kWidthLargeB;
  if (name == "HeightLargeA") return TArrangement::kHeightLargeA;
  if (name == "HeightLargeB") return TArrangement::kHeightLargeB;
  return TArrangement::kNormal;
}

void TPictureView::Guard(const char* handler, const std::function<void()>& body) {
  GuardHandler(handler, body);
}
