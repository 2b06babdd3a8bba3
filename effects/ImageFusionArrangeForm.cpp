#include "effects/ImageFusionArrangeForm.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "effects/EffectDialogButtons.h"
#include "effects/EffectOwner.h"
#include "engine/DecimalText.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "engine/PictureLoader.h"
#include "platform/AppUtils.h"
#include "platform/QtText.h"
#include "widgets/BoxEvents.h"

namespace {

constexpr const char* kOperations[] = {"融合", "混合", "Z混合", "A上", "B上"};
const std::vector<std::string> kXItems = {"  LL", "   L", "   C", "   R", "  RR"};
const std::vector<std::string> kYItems = {"  TT", "   T", "   C", "   B", "  BB"};
constexpr const char* kGroundPath = "台紙";
constexpr const char* kShownPath = "表示画像";
constexpr int kRateLimit = 100;
constexpr int kGroundSide = 100;
constexpr int kPreviewSide = 640;

QComboBox* MakePlaceCombo(const char* name, const std::vector<std::string>& items, int initial,
                          QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& item : items) combo->addItem(Q(item));
  combo->setCurrentIndex(initial);
  return combo;
}

// A typed text that differs from the chosen item counts as no item chosen.
bool NoItemSelected(const QComboBox* combo) {
  const int index = combo->currentIndex();
  return index < 0 || combo->currentText() != combo->itemText(index);
}

}  // namespace

TImageFusionArrangeForm::TImageFusionArrangeForm(TEffectOwner& owner,
                                                 const TFusionDialogSettings& settings)
    : QWidget(owner.Window(), Qt::Tool | Qt::WindowStaysOnTopHint),
      owner_(owner),
      settings_(NormalizeFusionSettings(settings)) {
  setObjectName("ImageFusionArrangeForm");
  setWindowTitle(kCaption);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* main_panel = new QWidget(this);
  main_panel->setObjectName("MainPanel");
  outer->addWidget(main_panel);
  auto* main_layout = new QVBoxLayout(main_panel);
  main_layout->setContentsMargins(3, 3, 3, 3);
  main_layout->setSpacing(2);

  // Left: the picture list over the fitted picture; right: the operation and its settings.
  auto* upper = new QHBoxLayout;
  upper->setSpacing(1);
  auto* left_panel = new QWidget(main_panel);
  left_panel->setObjectName("LeftPanel");
  auto* left_layout = new QVBoxLayout(left_panel);
  left_layout->setContentsMargins(0, 0, 0, 0);
  left_layout->setSpacing(2);
  name_list_box_ = new QListWidget(left_panel);
  name_list_box_->setObjectName("FusionFileNameListBox");
  name_list_box_->addItem(Q(GroundEntryText(kWhite)));
  name_list_box_->addItem("表示画像の取得");
  paths_ = {kGroundPath, kShownPath};
  name_list_box_->setMinimumWidth(60);
  name_list_box_->setFixedHeight(name_list_box_->sizeHintForRow(0) * 8 +
                                 2 * name_list_box_->frameWidth());
  fusion_image_panel_ = new QFrame(left_panel);
  fusion_image_panel_->setObjectName("FusionImagePanel");
  static_cast<QFrame*>(fusion_image_panel_)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  fusion_image_panel_->setMinimumHeight(40);
  fusion_image_ = new QLabel(fusion_image_panel_);
  fusion_image_->setObjectName("FusionImage");
  fusion_image_->hide();
  left_layout->addWidget(name_list_box_);
  left_layout->addWidget(fusion_image_panel_, 1);
  upper->addWidget(left_panel, 1);

  auto* right_layout = new QVBoxLayout;
  right_layout->setSpacing(2);
  auto* operate_box = new QGroupBox(main_panel);
  operate_box->setObjectName("OperateRadioGroup");
  auto* operate_layout = new QVBoxLayout(operate_box);
  operate_layout->setContentsMargins(4, 2, 4, 2);
  operate_layout->setSpacing(0);
  operate_group_ = new QButtonGroup(operate_box);
  for (int i = 0; i < 5; ++i) {
    auto* radio = new QRadioButton(QString::fromUtf8(kOperations[i]), operate_box);
    operate_group_->addButton(radio, i);
    operate_layout->addWidget(radio);
  }
  operate_group_->button(kFusionBlend)->setChecked(true);
  auto* fusion_button = MakeDialogButton("FusionButton", "実行(&E)", main_panel);
  x_combo_box_ = MakePlaceCombo("XComboBox", kXItems, 1, main_panel);
  y_combo_box_ = MakePlaceCombo("YComboBox", kYItems, 1, main_panel);
  for (QComboBox* combo : {x_combo_box_, y_combo_box_}) {
    combo->setMaximumWidth(80);
  }
  trans_parent_check_box_ = new QCheckBox("明度", main_panel);
  trans_parent_check_box_->setObjectName("TransParentCheckBox");
  control_check_box_ = new QCheckBox("制限", main_panel);
  control_check_box_->setObjectName("ControlCheckBox");
  right_layout->addWidget(operate_box);
  right_layout->addWidget(fusion_button);
  right_layout->addWidget(x_combo_box_);
  right_layout->addWidget(y_combo_box_);
  right_layout->addWidget(trans_parent_check_box_);
  right_layout->addWidget(control_check_box_);
  right_layout->addStretch();
  upper->addLayout(right_layout);
  main_layout->addLayout(upper, 1);

  auto* rates = new QGridLayout;
  rates->setSpacing(2);
  a_scroll_bar_ = new QScrollBar(Qt::Horizontal, main_panel);
  a_scroll_bar_->setObjectName("AFusionRateScrollBar");
  b_scroll_bar_ = new QScrollBar(Qt::Horizontal, main_panel);
  b_scroll_bar_->setObjectName("BFusionRateScrollBar");
  a_rate_label_ = new QLabel(main_panel);
  a_rate_label_->setObjectName("AFusionRateLabel");
  b_rate_label_ = new QLabel(main_panel);
  b_rate_label_->setObjectName("BFusionRateLabel");
  for (QScrollBar* bar : {a_scroll_bar_, b_scroll_bar_}) {
    bar->setRange(-kRateLimit, kRateLimit);
    bar->setPageStep(10);
    bar->setValue(50);
    connect(bar, &QScrollBar::valueChanged, this, [this] {
      try {
        WriteRateLabels();
      } catch (...) {
        ApU().ShowMessage("AFusionScrollBarScroll Error", TApU::kCaption);
      }
    });
  }
  for (QLabel* label : {a_rate_label_, b_rate_label_}) {
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("B +999%") + 4);
  }
  a_scroll_bar_->setEnabled(false);
  a_rate_label_->hide();
  rates->addWidget(a_scroll_bar_, 0, 0);
  rates->addWidget(a_rate_label_, 0, 1);
  rates->addWidget(b_scroll_bar_, 1, 0);
  rates->addWidget(b_rate_label_, 1, 1);
  main_layout->addLayout(rates);

  auto* button_panel = new QWidget(main_panel);
  button_panel->setObjectName("ButtonPanel");
  auto* buttons = new QHBoxLayout(button_panel);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->setSpacing(2);
  auto_effect_check_box_ = new QCheckBox(button_panel);
  auto_effect_check_box_->setObjectName("AutoEffectCheckBox");
  auto_effect_label_ = new QLabel("効果", button_panel);
  auto_effect_label_->setObjectName("AutoEffectLabel");
  auto* renew = MakeDialogButton("ReNewButton", "更新(&N)", button_panel);
  auto* cap = MakeDialogButton("FusionCapButton", "キャプ(&C)", button_panel);
  auto* cap_add = MakeDialogButton("FusionCapAddButton", "追加(&A)", button_panel);
  // A fusion is never part of a capture.
  cap->setEnabled(false);
  cap_add->setEnabled(false);
  buttons->addWidget(auto_effect_check_box_);
  buttons->addWidget(auto_effect_label_);
  buttons->addWidget(renew);
  buttons->addWidget(cap);
  buttons->addWidget(cap_add);
  main_layout->addWidget(button_panel);

  BuildMenu();

  connect(operate_group_, &QButtonGroup::idClicked, this,
          [this](int id) { OperateRadioGroupClick(id); });
  connect(fusion_button, &QPushButton::clicked, this, [this] { FusionButtonClick(); });
  connect(renew, &QPushButton::clicked, this, [this] { ReNewButtonClick(); });
  connect(name_list_box_, &QListWidget::itemClicked, this,
          [this] { FusionFileNameListBoxClick(false); });
  connect(name_list_box_, &QListWidget::itemDoubleClicked, this,
          [this] { FusionFileNameListBoxClick(true); });

  ApplySettings();
  WriteRateLabels();
  // Filters go on last: the filter reads every control. A position box is watched itself as
  // well as its line edit: the box holds the focus and hands keys and focus changes to the edit
  // directly, past the edit's filters.
  for (QObject* watched : std::initializer_list<QObject*>{
           fusion_image_panel_, name_list_box_, x_combo_box_, x_combo_box_->lineEdit(),
           y_combo_box_, y_combo_box_->lineEdit(), a_rate_label_, b_rate_label_,
           auto_effect_label_})
    watched->installEventFilter(this);

  // The size of the design where the controls fit in it; otherwise what they need.
  const QSize needed = minimumSizeHint().expandedTo(QSize(250, 285));
  setMinimumSize(needed);
  resize(needed);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.right() + 1 - frameGeometry().width() - 10, area.top());
  }
}

void TImageFusionArrangeForm::ApplySettings() {
  name_list_box_->item(kGroundEntry)->setText(Q(GroundEntryText(settings_.ground_color)));
  Action("OverRange1")->setChecked(settings_.over_range);
  ApplyRanges();
  const int code = settings_.trans_position >= 2 ? settings_.trans_position : 1;
  for (QAction* action : trans_group_->actions())
    action->setChecked(action->data().toInt() == code);
  WriteLevelCaptions();
}

TFusionDialogSettings TImageFusionArrangeForm::Settings() const {
  TFusionDialogSettings settings = settings_;
  settings.over_range = Action("OverRange1")->isChecked();
  return settings;
}

QPushButton* TImageFusionArrangeForm::Button(const std::string& name) const {
  return findChild<QPushButton*>(Q(name));
}

QAction* TImageFusionArrangeForm::Action(const std::string& name) const {
  return findChild<QAction*>(Q(name));
}

bool TImageFusionArrangeForm::AutoEffect() const { return auto_effect_check_box_->isChecked(); }

TFusionControls TImageFusionArrangeForm::Controls() const {
  TFusionControls c;
  c.x = x_combo_box_->currentText().toStdString();
  c.y = y_combo_box_->currentText().toStdString();
  c.operation = std::max(0, operate_group_->checkedId());
  c.a_position = a_scroll_bar_->value();
  c.b_position = b_scroll_bar_->value();
  c.transparent = trans_parent_check_box_->isChecked();
  c.bright_rate = settings_.bright_rate;
  c.trans_position = settings_.trans_position;
  c.limit = control_check_box_->isChecked();
  c.back_color = settings_.back_color;
  return c;
}

std::string TImageFusionArrangeForm::ParameterText() {
  for (QComboBox* combo : {x_combo_box_, y_combo_box_}) {
    int value = 0;
    if (NoItemSelected(combo) && !ParseDecimalInt(combo->currentText().toStdString(), value)) {
      combo->setCurrentIndex(-1);
      combo->setEditText("  0");
    }
  }
  return FusionParameterText(Controls());
}

// ---------------------------------------------------------------------------------------------
// The fusion picture

bool TImageFusionArrangeForm::GroundSelected() const {
  return name_list_box_->currentRow() == kGroundEntry;
}

void TImageFusionArrangeForm::SetFusionPicture(TBitmap24 picture) {
  fusion_.Swap(picture);
  preview_ = QImage();
  if (!fusion_.Empty()) {
    const QImage source(fusion_.Data(), fusion_.Width(), fusion_.Height(),
                        static_cast<qsizetype>(fusion_.Stride()), QImage::Format_BGR888);
    // Reduced once, so that resizing the window does not scale the whole picture every time.
    preview_ = source.width() > kPreviewSide || source.height() > kPreviewSide
                   ? source.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation)
                   : source.copy();
  }
  FitFusionImage();
}

void TImageFusionArrangeForm::MakeGroundCanvas(int width, int height) {
  TBitmap24 ground;
  // A canvas the fusion could not use is never made.
  if (!TImU::SizeIsAllowed(width, height) || !ground.SetSize(width, height)) return;
  ground.Fill(settings_.ground_color);
  SetFusionPicture(std::move(ground));
}

void TImageFusionArrangeForm::FitFusionImage() {
  const QRect inside = static_cast<QFrame*>(fusion_image_panel_)->contentsRect();
  const float f = FitFactor(inside.width(), inside.height(), fusion_.Width(), fusion_.Height());
  const int width = static_cast<int>(std::trunc(fusion_.Width() * f));
  const int height = static_cast<int>(std::trunc(fusion_.Height() * f));
  if (fusion_.Empty() || width <= 0 || height <= 0) {
    fusion_image_->clear();
    fusion_image_->hide();
    return;
  }
  fusion_image_->setPixmap(QPixmap::fromImage(
      preview_.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
  fusion_image_->setGeometry(inside.x() + (inside.width() - width) / 2,
                             inside.y() + (inside.height() - height) / 2, width, height);
  fusion_image_->show();
}

void TImageFusionArrangeForm::GroundCanvasRefresh(int width, int height) {
  if (!GroundSelected() || width <= 0 || height <= 0) return;
  if (fusion_.Width() == width && fusion_.Height() == height) return;
  MakeGroundCanvas(width, height);
}

void TImageFusionArrangeForm::FusionFileNameListBoxClick(bool double_click) {
  if (name_list_box_->count() == 0) {
    SetFusionPicture({});
    ApU().ShowMessage("データの取り扱いにエラーが発生しました。", TApU::kCaption);
    return;
  }
  if (name_list_box_->currentRow() < 0) name_list_box_->setCurrentRow(kGroundEntry);
  if (static_cast<std::size_t>(name_list_box_->count()) != paths_.size()) {
    SetFusionPicture({});
    return;
  }
  const int row = name_list_box_->currentRow();
  TBitmap24 picture;
  if (row == kShownEntry && !owner_.CopyShownPicture(picture)) {
    name_list_box_->setCurrentRow(kGroundEntry);
    MakeGroundCanvas(kGroundSide, kGroundSide);
  } else if (row == kGroundEntry) {
    MakeGroundCanvas(kGroundSide, kGroundSide);
  } else {
    if (row != kShownEntry) {
      const TPictureLoader* loader = owner_.Loader();
      const std::string& path = paths_[static_cast<std::size_t>(row)];
      std::string error;
      int width = 0, height = 0;
      // The size is read first, so that a picture beyond the working size limit is never
      // decoded: the fusion could not use it.
      if (!loader || !loader->ReadSize(path, width, height, error) ||
          !TImU::SizeIsAllowed(width, height) || !loader->Load(path, picture, error))
        picture.Clear();
    }
    if (!TImU::SizeIsAllowed(picture.Width(), picture.Height())) picture.Clear();
    SetFusionPicture(std::move(picture));
  }
  if (double_click) FusionButtonClick();
}

void TImageFusionArrangeForm::AddEntry(const std::string& name, const std::string& path) {
  name_list_box_->addItem(Q(name));
  paths_.push_back(path);
}

// ---------------------------------------------------------------------------------------------
// Running

void TImageFusionArrangeForm::FusionButtonClick() {
  if (GroundSelected()) {
    int width = 0, height = 0;
    if (!owner_.PictureSize(width, height)) width = height = kGroundSide;
    MakeGroundCanvas(width, height);
  }
  if (fusion_.Empty()) {
    ApU().ShowMessage("ピクチャーがありませんよ。", TApU::kCaption);
    return;
  }
  const std::string text = ParameterText();
  int left = 0, top = 0;
  switch (owner_.RunFusion(fusion_, text, left, top)) {
    case TEffectOwner::TPictureResult::kDone:
      setWindowTitle(QString("(%1, %2)").arg(left).arg(top));
      break;
    case TEffectOwner::TPictureResult::kNoPicture:
      ApU().ShowMessage("ピクチャーがありませんよ。", TApU::kCaption);
      break;
    case TEffectOwner::TPictureResult::kBusy:
      break;
    default:
      setWindowTitle(kCaption);
      ApU().ShowMessage("FusionArrange Error", TApU::kCaption);
      break;
  }
}

void TImageFusionArrangeForm::ReNewButtonClick() { RenewOwnerPicture(owner_); }

// ---------------------------------------------------------------------------------------------
// Operation and rates

void TImageFusionArrangeForm::OperateRadioGroupClick(int operation) {
  if (operation != kFusionBlend) {
    a_scroll_bar_->setRange(b_scroll_bar_->minimum(), b_scroll_bar_->maximum());
    if (a_rate_label_->isHidden())
      a_scroll_bar_->setValue(APositionFromB(b_scroll_bar_->maximum(), b_scroll_bar_->value()));
    a_rate_label_->show();
    a_scroll_bar_->setEnabled(true);
  } else {
    a_rate_label_->hide();
    a_scroll_bar_->setEnabled(false);
  }
  trans_parent_check_box_->setText(operation >= kFusionAOver ? "透過" : "明度");
  WriteRateLabels();
}

void TImageFusionArrangeForm::WriteRateLabels() {
  a_rate_label_->setText(Q(FusionRateLabel('A', a_scroll_bar_->value())));
  b_rate_label_->setText(Q(FusionRateLabel('B', b_scroll_bar_->value())));
}

void TImageFusionArrangeForm::RateLabelDoubleClick(bool b_label) {
  try {
    QScrollBar* bar = b_label ? b_scroll_bar_ : a_scroll_bar_;
    if (!bar->isEnabled()) return;
    bar->setValue(NextRateStep(bar->value(), bar->minimum(), bar->maximum()));
    WriteRateLabels();
  } catch (...) {
    ApU().ShowMessage("Write_FusionRateLabel Error", TApU::kCaption);
  }
}

void TImageFusionArrangeForm::ApplyRanges() {
  if (Action("OverRange1")->isChecked()) {
    b_scroll_bar_->setRange(-settings_.range_super_max, settings_.range_super_max);
  } else {
    b_scroll_bar_->setRange(-kRateLimit, kRateLimit);
  }
  if (operate_group_->checkedId() != kFusionBlend)
    a_scroll_bar_->setRange(b_scroll_bar_->minimum(), b_scroll_bar_->maximum());
  WriteRateLabels();
}

void TImageFusionArrangeForm::OverRange1Click() {
  settings_.over_range = Action("OverRange1")->isChecked();
  ApplyRanges();
  if (!settings_.over_range) b_scroll_bar_->setValue(kRateLimit);
  WriteRateLabels();
  emit SettingsChanged();
}

// ---------------------------------------------------------------------------------------------
// Position boxes

bool TImageFusionArrangeForm::PositionComboExit(QComboBox* combo) {
  if (!NoItemSelected(combo)) return true;
  exiting_ = true;
  bool accepted = true;
  try {
    const std::vector<std::string>& items = combo == x_combo_box_ ? kXItems : kYItems;
    const TPositionEntry entry = CheckPositionEntry(combo->currentText().toStdString(), items);
    switch (entry.kind) {
      case TPositionEntry::kItem:
        combo->setCurrentIndex(entry.item);
        break;
      case TPositionEntry::kNumber:
        if (entry.clamped) {
          combo->setCurrentIndex(-1);
          combo->setEditText(QString::number(entry.value));
          ApU().ShowMessage(PlaceRangeMessage(), TApU::kCaption);
          accepted = false;
        }
        break;
      case TPositionEntry::kNotNumber:
        ApU().ShowMessage(PlaceRangeMessage(), TApU::kCaption);
        combo->setCurrentIndex(0);
        accepted = false;
        break;
    }
  } catch (...) {
    ApU().ShowMessage("XComboBoxExit Error(1)", TApU::kCaption);
    accepted = false;
  }
  if (!accepted) {
    combo->setFocus();
    combo->lineEdit()->selectAll();
  }
  exiting_ = false;
  return accepted;
}

// ---------------------------------------------------------------------------------------------
// Window events

void TImageFusionArrangeForm::closeEvent(QCloseEvent* event) {
  RedirectClose(owner_, *event, kShowAction, true);
}

void TImageFusionArrangeForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  if (name_list_box_->count() > 0) {
    name_list_box_->setCurrentRow(kGroundEntry);
    FusionFileNameListBoxClick(false);
  }
  WriteLevelCaptions();
}

void TImageFusionArrangeForm::contextMenuEvent(QContextMenuEvent* event) {
  popup_menu_->popup(event->globalPos());
}

bool TImageFusionArrangeForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == fusion_image_panel_ && event->type() == QEvent::Resize) {
    FitFusionImage();
  } else if ((watched == a_rate_label_ || watched == b_rate_label_) &&
             event->type() == QEvent::MouseButtonDblClick) {
    RateLabelDoubleClick(watched == b_rate_label_);
    return true;
  } else if (watched == name_list_box_ && event->type() == QEvent::KeyRelease) {
    // Moving through the list with the keys takes the entry as a click does.
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_Home:
      case Qt::Key_End:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        FusionFileNameListBoxClick(false);
        break;
      default:
        break;
    }
  } else if (watched == auto_effect_label_ && event->type() == QEvent::MouseButtonPress) {
    auto_effect_check_box_->toggle();
    return true;
  } else if (IsBox(watched, x_combo_box_) || IsBox(watched, y_combo_box_)) {
    QComboBox* combo = IsBox(watched, x_combo_box_) ? x_combo_box_ : y_combo_box_;
    if (LeftTheBox(event)) {
      if (!exiting_) PositionComboExit(combo);
    } else if (IsEnter(event)) {
      try {
        if (PositionComboExit(combo)) combo->lineEdit()->selectAll();
      } catch (...) {
        ApU().ShowMessage("SetColorComboBoxExit Error(2)", TApU::kCaption);
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
