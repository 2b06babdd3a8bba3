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
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "app/CaptureGeometry.h"
#include "app/MainImage.h"
#include "app/PictureJobs.h"
#include "app/Settings.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/CaptureRender.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtFontRasteriser.h"

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

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string ControlValueText(double value) {
  char buffer[48];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3).ptr;
  return std::string(buffer, end);
}

bool IsMetafile(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".wmf" || ext == ".emf";
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

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
  jobs_ = std::make_unique<TPictureJobs>(*this, settings_, controller_);
  controller_.SetThreadPanel(thread_panel_, thread_progress_bar_, thread_caption_label_);
}

TPictureView::~TPictureView() = default;

QAction* TPictureView::Action(const std::string& name) const {
  const auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* TPictureView::MakeAction(const char* name, const char* caption, const QKeySequence& key,
                                  bool checkable) {
  auto* action = new QAction(QString::fromUtf8(caption), &window_);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  action->setCheckable(checkable);
  window_.addAction(action);
  actions_[name] = action;
  return action;
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

  thread_panel_ = new QWidget;
  thread_panel_->setObjectName("ThreadPanel");
  auto* thread_layout = new QVBoxLayout(thread_panel_);
  thread_layout->setContentsMargins(0, 0, 0, 0);
  thread_layout->setSpacing(1);
  thread_caption_label_ = new QLabel;
  thread_caption_label_->setObjectName("ThreadCaptionLabel");
  thread_progress_bar_ = new QProgressBar;
  thread_progress_bar_->setObjectName("ThreadProgressBar");
  thread_progress_bar_->setRange(0, 100);
  thread_progress_bar_->setTextVisible(false);
  thread_abort_button_ = new QPushButton("中止(&A)");
  thread_abort_button_->setObjectName("ThreadAbortButton");
  thread_layout->addWidget(thread_caption_label_);
  thread_layout->addWidget(thread_progress_bar_);
  thread_layout->addWidget(thread_abort_button_);
  thread_panel_->hide();
  connect(thread_abort_button_, &QPushButton::clicked, this, [this] { jobs_->Abort(); });
}

void TPictureView::BuildActions() {
  auto on = [this](QAction* action, const char* handler, void (TPictureView::*method)()) {
    connect(action, &QAction::triggered, this,
            [this, handler, method] { Guard(handler, [this, method] { (this->*method)(); }); });
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

bool TPictureView::Guard(const char* handler, const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (...) {
    ApU().ShowMessage(std::string(handler) + " Error", TApU::kCaption);
    return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Pictures

bool TPictureView::HasPicture() const { return !back_.Empty() || !metafile_path_.empty(); }

bool TPictureView::Processing() const { return controller_.Busy() || jobs_->Running(); }

void TPictureView::ClearPicture(const std::string& note) {
  LeaveFrameMode();
  back_.Clear();
  stock_.Clear();
  metafile_path_.clear();
  shown_path_.clear();
  processed_ = undo_in_effect_ = resized_ = false;
  main_image_->SetPicture(nullptr, false);
  main_image_->hide();
  SetCaption("Velmora  " + note);
}

bool TPictureView::LoadPicture(const std::string& path) {
  std::string error;
  if (IsMetafile(path)) {
    int width = 0, height = 0;
    if (!loader_.ReadSize(path, width, height, error) || width <= 0 || height <= 0) return false;
    back_.Clear();
    stock_.Clear();
    metafile_path_ = path;
    geometry_.SetPicture(width, height);
    over_limit_ = false;
    return true;
  }
  if (!loader_.Load(path, back_, error)) return false;
  stock_.Clear();
  geometry_.SetPicture(back_.Width(), back_.Height());
  return true;
}

bool TPictureView::ShowPictureFile(const std::string& path, const TShownFrom& from) {
  if (Processing()) return false;
  TakeTypedZoom();
  LeaveFrameMode();
  from_ = from;
  processed_ = undo_in_effect_ = resized_ = false;
  std::string file = path;
  if (!FileExists(file) && !settings_.base.search_more_drive.empty())
    file = paths_.ReplaceDrive(file, settings_.base.search_more_drive);
  if (!FileExists(file)) {
    ClearPicture(from.name + "[存在しない]");
    return false;
  }
  if (!LoadPicture(file)) {
    ClearPicture(from.name + "[未対応]");
    if (gestures_.picture_stopped) gestures_.picture_stopped();
    return false;
  }
  shown_path_ = file;
  if (jobs_->Begin(EveryTimeSteps(EveryTimeOptions()))) return true;
  FinishProcessing();
  return true;
}

bool TPictureView::ShowRecordCut(TBitmap24& cut, const std::vector<std::string>& effects,
                                 const TShownFrom& from) {
  if (Processing()) return false;
  TakeTypedZoom();
  LeaveFrameMode();
  from_ = from;
  processed_ = undo_in_effect_ = resized_ = false;
  metafile_path_.clear();
  back_.Swap(cut);
  stock_.Clear();
  geometry_.SetPicture(back_.Width(), back_.Height());
  std::vector<std::string> steps;
  for (const std::string& entry : effects)
    if (EffectKindOf(entry) != TEffectKind::kNone) steps.push_back(TJobList::RecordStep(entry));
  const std::vector<std::string> every_time = EveryTimeSteps(EveryTimeOptions());
  steps.insert(steps.end(), every_time.begin(), every_time.end());
  if (!jobs_->Begin(steps)) FinishProcessing();
  return true;
}

bool TPictureView::ShowRecordFramed(const std::string& path, int left, int top, int width,
                                    int height, bool shadows, const TShownFrom& from) {
  if (Processing()) return false;
  TakeTypedZoom();
  from_ = from;
  processed_ = undo_in_effect_ = resized_ = false;
  if (!LoadPicture(path)) {
    LeaveFrameMode();
    ClearPicture(from.name + "[未対応]");
    return false;
  }
  shown_path_ = path;
  frame_mode_ = true;
  over_limit_ = metafile_path_.empty() && !TImU::SizeIsAllowed(back_.Width(), back_.Height());
  TFrameZoom zoom;
  zoom.real_mode = geometry_.real_mode;
  zoom.real = geometry_.Real();
  zoom.control_in = geometry_.real_control_in;
  zoom.control = geometry_.real_control;
  zoom.relative = geometry_.Relative();
  const TFramePlacement p = PlaceRecordFrame({left, top, width, height}, geometry_.AreaWidth(),
                                             geometry_.AreaHeight(), geometry_.position, zoom);
  if (p.real <= 0) return false;
  geometry_.SetPlacement(p.real, p.picture_left, p.picture_top);
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l + p.frame.left, t + p.frame.top, p.frame.width, p.frame.height);
  main_image_->SetPicture(metafile_path_.empty() ? &back_ : &stock_, over_limit_);
  ApplyLayout();
  PlaceShadows(shadows);
  ShowZoomTexts(true);
  ShowCaption();
  return true;
}

QRect TPictureView::FrameRect() const { return image_panel_->geometry(); }

QPoint TPictureView::PictureOffset() const { return main_image_->pos(); }

void TPictureView::LeaveFrameMode() {
  if (!frame_mode_) return;
  frame_mode_ = false;
  PlaceShadows(false);
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l, t, std::max(0, geometry_.AreaWidth()),
                            std::max(0, geometry_.AreaHeight()));
}

void TPictureView::PlaceShadows(bool show) {
  const QRect area(settings_.panel.image_panel_left, settings_.panel.image_panel_top,
                   geometry_.AreaWidth(), geometry_.AreaHeight());
  const QRect frame = image_panel_->geometry();
  const QRect parts[4] = {
      QRect(QPoint(area.left(), area.top()), QPoint(area.right(), frame.top() - 1)),
      QRect(QPoint(area.left(), frame.top()), QPoint(frame.left() - 1, frame.bottom())),
      QRect(QPoint(frame.right() + 1, frame.top()), QPoint(area.right(), frame.bottom())),
      QRect(QPoint(area.left(), frame.bottom() + 1), QPoint(area.right(), area.bottom()))};
  for (int i = 0; i < 4; ++i) {
    shadows_[i]->setGeometry(parts[i]);
    shadows_[i]->setVisible(show && parts[i].isValid());
    shadows_[i]->raise();
  }
}

void TPictureView::ResetFrame() {
  LeaveFrameMode();
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l, t, std::max(0, geometry_.AreaWidth()),
                            std::max(0, geometry_.AreaHeight()));
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  ZoomChange(geometry_.real_mode ? geometry_.Fit() : 1.0);
  geometry_.RestorePlace(0, 0);
  ApplyLayout();
}

void TPictureView::MaximizeFrame() {
  const QRect frame = image_panel_->geometry();
  const double k =
      MaximizeFactor(geometry_.AreaWidth(), geometry_.AreaHeight(), frame.width(), frame.height());
  if (!HasPicture() || k <= 0) return;
  geometry_.SetPlacement(geometry_.Real() * k, static_cast<int>(std::trunc(geometry_.Left() * k)),
                         static_cast<int>(std::trunc(geometry_.Top() * k)));
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l, t, static_cast<int>(std::trunc(frame.width() * k)),
                            static_cast<int>(std::trunc(frame.height() * k)));
  ShowZoomTexts(true);
  ApplyLayout();
  if (frame_mode_)
    PlaceShadows(shadows_[0]->isVisible() || shadows_[1]->isVisible() || shadows_[2]->isVisible() ||
                 shadows_[3]->isVisible());
}

void TPictureView::ShrinkFrameToPicture() {
  const QRect frame = image_panel_->geometry();
  const int width =
      std::max(10, std::min(frame.width(), geometry_.Left() + geometry_.DisplayWidth() + 1));
  const int height =
      std::max(10, std::min(frame.height(), geometry_.Top() + geometry_.DisplayHeight() + 1));
  image_panel_->resize(width, height);
}

bool TPictureView::DrawTextEffect(const std::string& entry) {
  if (!HasPicture()) return false;
  PrepareEffectStep();
  TQtFontRasteriser fonts;
  TCapDataEffectOptions options;
  options.fonts = &fonts;
  std::string message;
  if (!ApplyCapDataEffects(back_, {entry}, options, false, &message)) {
    if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
    ApU().ShowMessage("Execute_TextArrange (例外1)", TApU::kCaption);
    return false;
  }
  stock_ = back_;
  processed_ = true;
  return true;
}

void TPictureView::RenderMetafile() {
  const int width = geometry_.DisplayWidth(), height = geometry_.DisplayHeight();
  if (metafile_path_.empty() || width <= 0 || height <= 0) return;
  if (stock_.Width() == width && stock_.Height() == height) return;
  std::string error;
  TBitmap24 rendered;
  if (loader_.Render(metafile_path_, width, height, rendered, error)) stock_.Swap(rendered);
}

bool TPictureView::SetUpPicture(TViewerGeometry::TPlacing placing) {
  if (!metafile_path_.empty()) {
    // The metafile's natural size stays the picture size; it is drawn anew at the display size.
  } else {
    if (back_.Width() > 0) geometry_.SetPicture(back_.Width(), back_.Height());
  }
  if (geometry_.AreaWidth() <= 0 || geometry_.AreaHeight() <= 0) return false;  // not laid out yet
  const bool rendered = !metafile_path_.empty();
  switch (geometry_.SetUp(placing, processed_ || rendered)) {
    case TViewerGeometry::TSetUpResult::kNoWidth:
      ApU().ShowMessage("未対応の画像ファイルです!!\nWidth = 0 !!", TApU::kCaption);
      return false;
    case TViewerGeometry::TSetUpResult::kNoFit:
      ApU().ShowMessage("SettingOfMainImage Error", TApU::kCaption);
      return false;
    case TViewerGeometry::TSetUpResult::kOk:
      break;
  }
  if (geometry_.no_space && placing == TViewerGeometry::TPlacing::kPosition)
    geometry_.FillWithoutSpace();
  ShowZoomTexts(false);
  ApplyLayout();
  return true;
}

void TPictureView::ApplyLayout() {
  if (!HasPicture()) return;
  if (!metafile_path_.empty()) {
    RenderMetafile();
    main_image_->SetPicture(&stock_, false);
  } else if (main_image_->Picture() != &back_) {
    main_image_->SetPicture(&back_, over_limit_);
  }
  main_image_->setGeometry(geometry_.Left(), geometry_.Top(), geometry_.DisplayWidth(),
                           geometry_.DisplayHeight());
  main_image_->show();
}

void TPictureView::AreaChanged() {
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  const int width = area_override_width_ >= 0 ? area_override_width_ : main_panel_->width() - 2 * l;
  const int height =
      area_override_height_ >= 0 ? area_override_height_ : main_panel_->height() - 2 * t;
  image_panel_->setGeometry(l, t, std::max(0, width), std::max(0, height));
  const bool first = geometry_.AreaWidth() <= 0 || geometry_.AreaHeight() <= 0;
  geometry_.SetArea(width, height);
  if (frame_mode_) {
    // The record's frame is laid out anew once the size settles.
    if (gestures_.frame_area_changed) gestures_.frame_area_changed();
    return;
  }
  if (!HasPicture() || jobs_->Running()) return;
  SetUpPicture(first ? TViewerGeometry::TPlacing::kPosition
                     : TViewerGeometry::TPlacing::kKeepPlace);
}

void TPictureView::SetAreaOverride(int width, int height) {
  area_override_width_ = width;
  area_override_height_ = height;
  AreaChanged();
}

void TPictureView::PrepareEffectStep() {
  if (!metafile_path_.empty()) {
    // Effects work on the raster copy of a drawn metafile.
    RenderMetafile();
    back_ = stock_;
    metafile_path_.clear();
    geometry_.SetPicture(back_.Width(), back_.Height());
    main_image_->SetPicture(&back_, false);
    resized_ = true;
  }
  stock_ = back_;
  undo_in_effect_ = false;
}

bool TPictureView::SetThreadPicture(TBitmap24& result, bool into_stock) {
  if (result.Empty()) return false;
  back_.Swap(result);  // the controller keeps the old buffer for its next run
  if (into_stock) stock_ = back_;
  processed_ = true;
  over_limit_ = !TImU::SizeIsAllowed(back_.Width(), back_.Height());
  return true;
}

void TPictureView::FinishProcessing() {
  over_limit_ = metafile_path_.empty() && !TImU::SizeIsAllowed(back_.Width(), back_.Height());
  main_image_->SetPicture(metafile_path_.empty() ? &back_ : &stock_, over_limit_);
  if (SetUpPicture(TViewerGeometry::TPlacing::kPosition)) {
    int left = 0, top = 0;
    if (geometry_.free_position && gestures_.slide_place && gestures_.slide_place(left, top)) {
      geometry_.PlaceForSlide(left, top);
      ApplyLayout();
    }
  }
  ShowCaption();
}

void TPictureView::SetSlideColors(bool slide, TColor color) {
  const QColor back = slide ? QColor(ColorRed(color), ColorGreen(color), ColorBlue(color))
                            : main_panel_->parentWidget()
                                  ? main_panel_->parentWidget()->palette().color(QPalette::Window)
                                  : QColor(Qt::lightGray);
  for (QWidget* surface : {main_panel_, image_panel_}) {
    QPalette palette = surface->palette();
    palette.setColor(QPalette::Window, back);
    surface->setPalette(palette);
    surface->setAutoFillBackground(true);
  }
  auto* frame = static_cast<QFrame*>(image_panel_);
  frame->setFrameStyle(slide ? QFrame::NoFrame : QFrame::Panel | QFrame::Raised);
  for (QWidget* shadow : shadows_)
    shadow->setStyleSheet(slide ? QString("background-color: %1;").arg(back.name())
                                : QString("background-color: rgb(128, 128, 128);"));
}

void TPictureView::SetCaption(const std::string& caption) { window_.setWindowTitle(Q(caption)); }

void TPictureView::ShowCaption() {
  if (!HasPicture()) {
    SetCaption("Velmora  ");
    return;
  }
  std::string caption = "Velmora  " + from_.name + " ( " + std::to_string(from_.index) + "/" +
                        std::to_string(from_.count) + " )";
  if (from_.list == TShownFrom::kCapData) caption += "[キャプデータ]";
  if (from_.list == TShownFrom::kDataFile) caption += "[未知のデータ]";
  SetCaption(caption);
}

void TPictureView::ShowAgain() {
  if (HasPicture() && !jobs_->Running()) SetUpPicture(TViewerGeometry::TPlacing::kPosition);
}

// ---------------------------------------------------------------------------------------------
// Zoom

void TPictureView::ShowZoomTexts(bool after_change) {
  real_zoom_combo_box_->setCurrentText(
      Q(TViewerGeometry::ZoomText(geometry_.Real(), after_change)));
  if (geometry_.real_mode || after_change)
    zoom_combo_box_->setCurrentText(
        Q(TViewerGeometry::ZoomText(geometry_.Relative(), after_change)));
}

void TPictureView::SyncZoomControls() {
  const bool real = geometry_.real_mode;
  real_zoom_combo_box_->setEnabled(real);
  zoom_combo_box_->setEnabled(!real);
  zoom_control_check_box_->setEnabled(!real);
  actions_["PictureSizeReal"]->setChecked(real);
  actions_["PictureSizeNoSpace"]->setChecked(geometry_.no_space);
}

void TPictureView::ZoomChange(double x) {
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  if (geometry_.ZoomChange(x)) ApU().ShowMessage("倍率が小さすぎます。", TApU::kCaption);
  ShowZoomTexts(true);
  ApplyLayout();
}

bool TPictureView::ZoomStep(double& step, const char* error) {
  int rate = settings_.base.zoom_rate;
  if (TViewerGeometry::ZoomStep(rate, step)) return true;
  settings_.base.zoom_rate = rate;
  ApU().ShowMessage(error, TApU::kCaption);
  return false;
}

void TPictureView::PictureZoomInExecute() {
  double step = 0;
  ZoomStep(step, "PictureZoomInExecute Error");
  ZoomChange(TViewerGeometry::ZoomInValue(geometry_.StepZoom(), step));
}

void TPictureView::PictureZoomOutExecute() {
  double step = 0;
  ZoomStep(step, "PictureZoomOutExecute Error");
  ZoomChange(TViewerGeometry::ZoomOutValue(geometry_.StepZoom(), step));
}

void TPictureView::PictureNoZoomExecute() { ZoomChange(1.0); }

void TPictureView::PictureWidthBaseExecute() {
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  geometry_.WidthBase();
  ShowZoomTexts(true);
  ApplyLayout();
}

void TPictureView::PictureHeightBaseExecute() {
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  geometry_.HeightBase();
  ShowZoomTexts(true);
  ApplyLayout();
}

void TPictureView::PictureZoomInputExecute() {
  if (Processing()) return;
  const bool real = geometry_.real_mode;
  const std::string prompt = "正の数を入力してください。";
  QComboBox* box = real ? real_zoom_combo_box_ : zoom_combo_box_;
  std::string value = box->currentText().toStdString();
  double x = 0;
  if (!TViewerGeometry::ParseZoom(value, x)) value = "1";
  if (!ApU().Dialogs().InputQuery(std::string("  倍率の指定") + (real ? "(実倍率)" : "(相対倍率)"),
                                  prompt, value))
    return;
  if (TViewerGeometry::ParseZoom(value, x) && x > 0)
    ZoomChange(x);
  else
    ApU().ShowMessage(prompt, TApU::kCaption);
}

void TPictureView::ZoomButtonClick() {
  QComboBox* box = geometry_.real_mode ? real_zoom_combo_box_ : zoom_combo_box_;
  double x = 0;
  if (!TViewerGeometry::ParseZoom(box->currentText().toStdString(), x)) {
    ApU().ShowMessage("数値を入力してください。", TApU::kCaption);
    zoom_combo_box_->setCurrentText("1.00000");
    x = 1;
  } else if (x <= 0) {
    ApU().ShowMessage("「０以下」は不正な値です。", TApU::kCaption);
    box->setCurrentText("1.00000");
    x = 1;
  }
  ZoomChange(x);
}

void TPictureView::TakeTypedZoom() {
  if (!HasPicture()) return;
  QComboBox* box = geometry_.real_mode ? real_zoom_combo_box_ : zoom_combo_box_;
  const double current = geometry_.StepZoom();
  double x = 0;
  const std::string typed = box->currentText().toStdString();
  if (!TViewerGeometry::ParseZoom(typed, x) || x <= 0) {
    box->setCurrentText(Q(TViewerGeometry::ZoomText(current)));
    return;
  }
  if (TViewerGeometry::ZoomText(x) == TViewerGeometry::ZoomText(current)) return;
  if (geometry_.real_mode)
    geometry_.ZoomChange(x);
  else
    geometry_.SetRelative(x);
}

void TPictureView::PictureSizeNoSpaceExecute() {
  geometry_.no_space = actions_["PictureSizeNoSpace"]->isChecked();
  if (!HasPicture()) return;
  if (geometry_.no_space) {
    geometry_.FillWithoutSpace();
    ShowZoomTexts(true);
    ApplyLayout();
  } else {
    ShowAgain();
  }
}

void TPictureView::PictureSizeRealExecute() {
  geometry_.real_mode = !geometry_.real_mode;
  geometry_.no_space = false;
  SyncZoomControls();
  ShowAgain();
}

void TPictureView::PictureSizeRealControlInExecute() {
  geometry_.real_control_in = static_cast<QCheckBox*>(zoom_control_check_box_)->isChecked();
  actions_["PictureSizeRealControlIn"]->setChecked(geometry_.real_control_in);
  ShowAgain();
}

void TPictureView::RealZoomExecute(QAction* action) {
  // The value is the caption's text after "×" and its blank.
  const std::string caption = action->text().toStdString();
  const std::string mark = "× ";
  const std::size_t at = caption.find(mark);
  double value = 0;
  if (at == std::string::npos ||
      !TViewerGeometry::ParseZoom(caption.substr(at + mark.size()), value)) {
    ApU().ShowMessage("RealZoom100Execute Error(1)", TApU::kCaption);
    return;
  }
  if (value <= 0) {
    ApU().ShowMessage("RealZoom100Execute Error(2)", TApU::kCaption);
    return;
  }
  const bool changed = value != geometry_.real_control;
  geometry_.real_control = value;
  if (changed && geometry_.real_control_in) ShowAgain();
}

void TPictureView::GetRealZoomControlExecute() {
  actions_["NowRealZoomControl"]->setText(Q("値= ×" + ControlValueText(geometry_.real_control)));
}

void TPictureView::NowRealZoomControlExecute() {
  const std::string prompt = "正の数を入力してください。";
  std::string value = ControlValueText(geometry_.real_control);
  if (!ApU().Dialogs().InputQuery("実倍率制御値の設定", prompt, value)) return;
  double x = 0;
  if (!TViewerGeometry::ParseZoom(value, x) || x <= 0) {
    ApU().ShowMessage(prompt, TApU::kCaption);
    return;
  }
  if (x == geometry_.real_control) return;
  geometry_.real_control = x;
  if (geometry_.real_control_in) ShowAgain();
}

// ---------------------------------------------------------------------------------------------
// Positions

void TPictureView::PicturePosExecute(int position) {
  geometry_.free_position = false;
  actions_["PicturePosFree"]->setChecked(false);
  position_menu_->setEnabled(true);
  for (QAction* action : position_group_->actions())
    action->setChecked(action->data().toInt() == position);
  geometry_.position = position;
  ShowAgain();
}

void TPictureView::PicturePosFreeExecute() {
  geometry_.free_position = actions_["PicturePosFree"]->isChecked();
  position_menu_->setEnabled(!geometry_.free_position);
}

void TPictureView::PicturePosRotationExecute() {
  if (geometry_.free_position) {
    actions_["PicturePosFree"]->setChecked(false);
    PicturePosFreeExecute();
    return;
  }
  PicturePosExecute(TViewerGeometry::NextPosition(geometry_.position));
}

// ---------------------------------------------------------------------------------------------
// Undo, renew, copy

void TPictureView::UndoPictureExecute() {
  if (undo_in_effect_ || stock_.Empty() || Processing()) return;
  try {
    const int left = geometry_.Left(), top = geometry_.Top();
    back_ = stock_;
    metafile_path_.clear();
    undo_in_effect_ = true;
    over_limit_ = !TImU::SizeIsAllowed(back_.Width(), back_.Height());
    main_image_->SetPicture(&back_, over_limit_);
    if (SetUpPicture(TViewerGeometry::TPlacing::kPosition)) {
      geometry_.RestorePlace(left, top);
      ApplyLayout();
    }
  } catch (...) {
    // An undo that fails leaves the pictures as they were.
  }
}

void TPictureView::ReNewStockPictureExecute() {
  if (back_.Empty() || Processing()) return;
  try {
    stock_ = back_;
    undo_in_effect_ = false;
  } catch (...) {
  }
}

void TPictureView::PictureCopyExecute() {
  const TBitmap24* picture = main_image_->Picture();
  if (picture && !picture->Empty()) TApU::CopyPictureToClipboard(*picture);
}

// ---------------------------------------------------------------------------------------------
// Mouse

bool TPictureView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == main_panel_ && type == QEvent::Resize) {
    AreaChanged();
    return false;
  }
  if (watched == real_label_ && type == QEvent::MouseButtonDblClick) {
    Guard("PictureSizeRealExecute", [this] { PictureSizeRealExecute(); });
    return true;
  }
  if (watched != main_image_ && watched != image_panel_) return false;
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  switch (type) {
    case QEvent::MouseButtonPress:
      if (watched == main_image_)
        PicturePressed(mouse);
      else
        FramePressed(mouse);
      return true;
    case QEvent::MouseMove:
      if (drag_ == TDrag::kPicture) PictureMoved(mouse);
      if (drag_ == TDrag::kFrame) FrameMoved(mouse);
      return drag_ != TDrag::kNone;
    case QEvent::MouseButtonRelease:
      if (drag_ == TDrag::kPicture) PictureReleased();
      if (drag_ == TDrag::kFrame) FrameReleased();
      return true;
    case QEvent::MouseButtonDblClick:
      if (mouse->button() == Qt::LeftButton && gestures_.toggle_slide_show)
        gestures_.toggle_slide_show();
      return true;
    default:
      return false;
  }
}

void TPictureView::PicturePressed(QMouseEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool left = event->button() == Qt::LeftButton;
  const bool right = event->button() == Qt::RightButton;
  if (mods & Qt::ShiftModifier) {
    if ((left || right) && gestures_.step_list) gestures_.step_list(left ? -1 : 1);
    return;
  }
  if (mods & Qt::ControlModifier) {
    if ((left || right) && gestures_.toggle_panel) gestures_.toggle_panel(right);
    return;
  }
  if (mods & Qt::AltModifier) {
    if (left && gestures_.toggle_full_screen) gestures_.toggle_full_screen();
    return;
  }
  if (right) {
    popup_menu_->popup(event->globalPosition().toPoint());
    return;
  }
  if (!left) return;
  drag_ = TDrag::kPicture;
  drag_start_ = event->globalPosition().toPoint();
  drag_left_ = geometry_.Left();
  drag_top_ = geometry_.Top();
}

void TPictureView::PictureMoved(QMouseEvent* event) {
  const QPoint delta = event->globalPosition().toPoint() - drag_start_;
  MovePictureTo(drag_left_ + delta.x(), drag_top_ + delta.y());
  ShowDragFigures();
}

void TPictureView::MovePictureTo(int left, int top) {
  geometry_.MoveTo(left, top);
  main_image_->move(geometry_.Left(), geometry_.Top());
}

void TPictureView::PictureReleased() {
  drag_ = TDrag::kNone;
  ShowCaption();
}

void TPictureView::FramePressed(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && event->modifiers() == Qt::NoModifier) {
    popup_menu_->popup(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier) return;
  drag_ = TDrag::kFrame;
  FrameMoved(event);
}

void TPictureView::FrameMoved(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  image_panel_->resize(std::max(at.x(), 1), std::max(at.y(), 1));
  ShowDragFigures();
}

void TPictureView::FrameReleased() {
  drag_ = TDrag::kNone;
  // The frame stays within the panel and at least 10 x 10.
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  const int width = std::max(std::min(image_panel_->width(), main_panel_->width() - 2 * l), 10);
  const int height = std::max(std::min(image_panel_->height(), main_panel_->height() - 2 * t), 10);
  image_panel_->resize(width, height);
  ShowCaption();
}

void TPictureView::ShowDragFigures() {
  if (!actions_["ShowPictureData"]->isChecked()) return;
  const auto n = [](int v) { return std::to_string(v); };
  SetCaption(" ( " + n(geometry_.Left()) + ", " + n(geometry_.Top()) + ", " +
             n(image_panel_->width()) + ", " + n(image_panel_->height()) + " ) [ " +
             n(geometry_.DisplayWidth()) + ", " + n(geometry_.DisplayHeight()) + " ] [ " +
             n(geometry_.PictureWidth()) + ", " + n(geometry_.PictureHeight()) + " ]");
}
