#include "browse/table/TableSettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "engine/DecimalText.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/QtText.h"
#include "widgets/ActionSupport.h"
#include "widgets/BoxEvents.h"
#include "widgets/FormPlacement.h"
#include "widgets/SetColorDialog.h"

bool ReadTableBoxValue(TTableBox kind, const std::string& text, int& value) {
  int read = 0;
  if (!ParseDecimalInt(text, read)) return false;
  bool ok = false;
  switch (kind) {
    case TTableBox::kMargin:
      ok = read >= 0 && read <= 20;
      break;
    case TTableBox::kPositive:
      ok = read >= 1 && read <= 60000;
      break;
    case TTableBox::kKernelSize:
      ok = read >= 3 && read <= 60000 && read % 2 == 1;
      break;
    case TTableBox::kCenterPercent:
      ok = read >= 1 && read <= 99;
      break;
    case TTableBox::kStrength:
      ok = read >= -60000 && read <= 60000 && read != 0;
      break;
  }
  if (ok) value = read;
  return ok;
}

const char* TableBoxMessage(TTableBox kind) {
  switch (kind) {
    case TTableBox::kMargin:
      return "0以上の20以下の整数を入力してください。";
    case TTableBox::kPositive:
      return "正の整数を入力してください。";
    case TTableBox::kKernelSize:
      return "３以上の奇数を入力してください。";
    case TTableBox::kCenterPercent:
      return "100より小さい正の整数を入力してください。";
    case TTableBox::kStrength:
      return "０以外の整数を入力してください。";
  }
  return "";
}

long long ThumbCapacityEstimate(int capacity_mb, int width, int height) {
  if (width <= 0) width = 100;
  if (height <= 0) height = 100;
  return static_cast<long long>(
      std::trunc(static_cast<double>(capacity_mb) * 1000000.0 / 3.0 / width / height));
}

std::string ThumbCapacityEstimateText(int capacity_mb, int width, int height) {
  return "約" + std::to_string(ThumbCapacityEstimate(capacity_mb, width, height)) + "枚分";
}

namespace {

// The typed-box events both dialogs share: leaving a box checks it; Enter checks it and, when
// the value is taken, moves on to the next enabled box (of the same page, when a page is given)
// and from the last one to OK. True when the event was Enter on a box (consumed).
template <class Box, class Check>
bool BoxEvent(QEvent* event, Box* box, std::vector<Box>& boxes, bool& checking, QWidget* ok_button,
              const QWidget* page, Check check) {
  if (!box) return false;
  if (LeftTheBox(event) && !checking) {
    checking = true;
    check(box->combo);
    checking = false;
    return false;
  }
  if (!IsEnter(event)) return false;
  checking = true;
  const bool accepted = check(box->combo);
  checking = false;
  if (accepted) {
    QWidget* next = ok_button;
    for (auto it = boxes.begin() + (box - boxes.data()) + 1; it != boxes.end(); ++it) {
      if (it->combo->isEnabled() && (!page || page->isAncestorOf(it->combo))) {
        next = it->combo;
        break;
      }
    }
    next->setFocus(Qt::TabFocusReason);
  }
  return true;
}

QString Padded(int value, int digits) {
  return value < 0 ? QString::number(value) : QString("%1").arg(value, digits, 10, QChar('0'));
}

QButtonGroup* AddRadioGroup(QWidget* owner, QLayout* layout, const char* name, const char* caption,
                            std::initializer_list<const char*> items, int checked,
                            QGroupBox** box_out = nullptr) {
  auto* box = new QGroupBox(caption);
  box->setObjectName(name);
  auto* box_layout = new QVBoxLayout(box);
  auto* group = new QButtonGroup(owner);
  int id = 0;
  for (const char* item : items) {
    auto* radio = new QRadioButton(item);
    group->addButton(radio, id++);
    box_layout->addWidget(radio);
  }
  if (auto* button = group->button(checked)) button->setChecked(true);
  layout->addWidget(box);
  if (box_out) *box_out = box;
  return group;
}

}  // namespace

// ---- TTableSettingForm ----

QComboBox* TTableSettingForm::AddBox(const char* name, TTableBox kind,
                                     const std::vector<int>& items, int digits, int value) {
  auto* combo = new QComboBox;
  combo->setObjectName(name);
  combo->setEditable(true);
  for (int item : items) combo->addItem(Padded(item, digits));
  combo->setCurrentText(Padded(value, digits));
  WatchBox(combo, this);
  boxes_.push_back(TBox{combo, kind, combo->currentText()});
  return combo;
}

TTableSettingForm::TTableSettingForm(TTableSettingContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("TableSettingForm");
  setWindowTitle("基本設定");
  const TPictureTableSettings& s = context_.settings;
  slide_color_ = s.slide_back_color;
  rotation_color_ = s.rotation_back_color;
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget;
  layout->addWidget(pages_);

  // 表示
  auto* view = new QWidget;
  view->setObjectName("ViewTabSheet");
  auto* view_layout = new QVBoxLayout(view);
  auto* view_form = new QFormLayout;
  left_box_ =
      AddBox("DisplayLeftComboBox", TTableBox::kMargin, {0, 1, 2, 3, 4, 5}, 1, s.display_zero_left);
  top_box_ =
      AddBox("DisplayTopComboBox", TTableBox::kMargin, {0, 1, 2, 3, 4, 5}, 1, s.display_zero_top);
  space_box_ =
      AddBox("PanelSpaceComboBox", TTableBox::kMargin, {0, 1, 2, 3, 4, 5, 8, 10}, 2, s.panel_space);
  slide_time_box_ =
      AddBox("SlideTimeComboBox", TTableBox::kPositive,
             {500, 1000, 1500, 2000, 3000, 4000, 5000, 7000, 10000}, 5, s.slide_interval);
  view_form->addRow("左余白", left_box_);
  view_form->addRow("上余白", top_box_);
  view_form->addRow("間隔", space_box_);
  view_form->addRow("スライド時間(ms)", slide_time_box_);
  slide_color_label_ = new QLabel;
  slide_color_label_->setObjectName("SlideBackColorLabel");
  slide_color_label_->setMinimumSize(40, 20);
  ShowColor(slide_color_label_, slide_color_);
  auto* slide_color_button = new QPushButton("色の設定(&S)");
  slide_color_button->setObjectName("SetSlideBackColorButton");
  slide_color_button->setAutoDefault(false);
  view_form->addRow(slide_color_label_, slide_color_button);
  view_layout->addLayout(view_form);
  direction_group_ =
      AddRadioGroup(this, view_layout, "ArrangeDirectionRadioGroup", "配置方向",
                    {"左右上下", "右左上下", "上下左右", "上下右左"}, s.panel_arrange_direction);
  pages_->addTab(view, "表示");

  // 参照画像
  auto* thumb = new QWidget;
  thumb->setObjectName("ThumbNailTabSheet");
  auto* thumb_layout = new QVBoxLayout(thumb);
  auto* thumb_form = new QFormLayout;
  capacity_box_ = AddBox("ThumbNailCapacityComboBox", TTableBox::kPositive,
                         {10, 20, 30, 50, 100, 150, 200}, 3, s.thumb_capacity);
  count_box_ = AddBox("ThumbNailCountComboBox", TTableBox::kPositive, {250, 300, 400, 500, 600}, 3,
                      s.thumb_count);
  const std::vector<int> sides = {100, 150, 200, 250, 300, 400, 500, 600, 800};
  thumb_width_box_ =
      AddBox("ThumbNailWidthComboBox", TTableBox::kPositive, sides, 3, s.thumb_size_width);
  thumb_height_box_ =
      AddBox("ThumbNailHeightComboBox", TTableBox::kPositive, sides, 3, s.thumb_size_height);
  thumb_form->addRow("容量(MB)", capacity_box_);
  thumb_form->addRow("個数", count_box_);
  thumb_form->addRow("幅", thumb_width_box_);
  thumb_form->addRow("高さ", thumb_height_box_);
  estimate_label_ = new QLabel;
  estimate_label_->setObjectName("ThumbNailResultCountLabel");
  thumb_form->addRow(estimate_label_);
  thumb_layout->addLayout(thumb_form);
  // The check box's own text is its label: clicking it toggles the box.
  memory_show_box_ = new QCheckBox("使用量をタイトルバーに表示する。");
  memory_show_box_->setObjectName("ThumbNailCapacityShowCheckBox");
  memory_show_box_->setChecked(context_.memory_show);
  thumb_layout->addWidget(memory_show_box_);
  pages_->addTab(thumb, "参照画像");

  // フィルタ
  auto* filter = new QWidget;
  filter->setObjectName("FilterTabSheet");
  auto* filter_layout = new QVBoxLayout(filter);
  auto* filter_form = new QFormLayout;
  kernel_size_box_ =
      AddBox("SizeComboBox", TTableBox::kKernelSize, {3, 5, 7, 9, 11}, 1, s.kernel_bound);
  center_manual_box_ = new QCheckBox("設定する");
  center_manual_box_->setObjectName("CenterPercentManualCheckBox");
  center_manual_box_->setChecked(s.kernel_center_percent_manual);
  center_percent_box_ = AddBox("CenterPercentComboBox", TTableBox::kCenterPercent,
                               {10, 20, 30, 40, 50, 60, 70, 80, 90}, 2, s.kernel_center_percent);
  strength_box_ = AddBox("StrengthPercentComboBox", TTableBox::kStrength,
                         {10, 25, 50, 75, 100, 150, 200, 300, 400, 500}, 2, s.kernel_strength);
  filter_form->addRow("サイズ", kernel_size_box_);
  auto* center_row = new QHBoxLayout;
  center_row->addWidget(center_manual_box_);
  center_row->addWidget(center_percent_box_);
  filter_form->addRow("中央の値(%)", center_row);
  filter_form->addRow("強さ(%)", strength_box_);
  filter_layout->addLayout(filter_form);
  option_box_ = new QCheckBox("中央の値以外はすべて １ にする。");
  option_box_->setObjectName("OptionCheckBox");
  option_box_->setChecked(s.kernel_option);
  filter_layout->addWidget(option_box_);
  set_value_group_ = AddRadioGroup(this, filter_layout, "SetValueRadioGroup", "値の決定法",
                                   {"中央からの距離で決定する。", "マス目で決定する。"},
                                   s.kernel_value_grid ? 1 : 0, &set_value_group_box_);
  pages_->addTab(filter, "フィルタ");

  // 効果1
  auto* effect = new QWidget;
  effect->setObjectName("EffectTabSheet1");
  auto* effect_layout = new QVBoxLayout(effect);
  rectify_group_ = AddRadioGroup(this, effect_layout, "RectifyRadioGroup", "補正",
                                 {"補正1", "補正2", "補正3"}, s.rectify_type);
  rotation_group_ = AddRadioGroup(this, effect_layout, "RotationRadioGroup", "回転",
                                  {"回転1", "回転2", "穴空き回転"}, s.rotation_type);
  progress_group_ =
      AddRadioGroup(this, effect_layout, "ShowProgressPanelRadioGroup", "経過パネルの表示",
                    {"常に表示する。", "スライドショー時は表示しない。", "常に表示しない。"},
                    s.progress_panel_show_type);
  auto* rotation_row = new QHBoxLayout;
  rotation_color_label_ = new QLabel;
  rotation_color_label_->setObjectName("RotationBackColorLabel");
  rotation_color_label_->setMinimumSize(40, 20);
  ShowColor(rotation_color_label_, rotation_color_);
  auto* rotation_color_button = new QPushButton("色の設定(&R)");
  rotation_color_button->setObjectName("SetRotationBackColorButton");
  rotation_color_button->setAutoDefault(false);
  rotation_ignore_box_ = new QCheckBox("スライドショー時も維持。");
  rotation_ignore_box_->setObjectName("RotationIgnoreSlideBackColorCheckBox");
  rotation_ignore_box_->setChecked(s.rotation_ignore_slide_back_color);
  rotation_row->addWidget(rotation_color_label_);
  rotation_row->addWidget(rotation_color_button);
  rotation_row->addWidget(rotation_ignore_box_);
  effect_layout->addLayout(rotation_row);
  pages_->addTab(effect, "効果1");

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_button_ = buttons->button(QDialogButtonBox::Ok);
  ok_button_->setObjectName("OKButton");
  ok_button_->setAutoDefault(false);
  buttons->button(QDialogButtonBox::Cancel)->setAutoDefault(false);
  layout->addWidget(buttons);

  auto enable_dependents = [this] {
    center_percent_box_->setEnabled(center_manual_box_->isChecked());
    set_value_group_box_->setEnabled(!option_box_->isChecked());
  };
  enable_dependents();
  connect(center_manual_box_, &QCheckBox::toggled, this, enable_dependents);
  connect(option_box_, &QCheckBox::toggled, this, enable_dependents);
  connect(slide_color_button, &QPushButton::clicked, this,
          [this] { SetSlideBackColorButtonClick(); });
  connect(rotation_color_button, &QPushButton::clicked, this,
          [this] { SetRotationBackColorButtonClick(); });
  connect(pages_, &QTabWidget::currentChanged, this, [this, thumb](int) {
    if (pages_->currentWidget() == thumb) ShowEstimate();
  });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OKButtonClick(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  ShowEstimate();
  if (context_.filter_only) {
    pages_->setCurrentWidget(filter);
    pages_->setTabEnabled(pages_->indexOf(view), false);
    pages_->setTabEnabled(pages_->indexOf(thumb), false);
  }
  PlaceForm(*this);
}

TTableSettingResult TTableSettingForm::Ask(QWidget* parent, TTableSettingContext context) {
  TTableSettingForm form(context, parent);
  form.exec();
  return form.Result();
}

void TTableSettingForm::ShowColor(QLabel* label, TColor color) {
  std::uint8_t red = 0, green = 0, blue = 0;
  TApU::SplitColor(color, red, green, blue);
  label->setAutoFillBackground(true);
  label->setStyleSheet(QString("background-color: rgb(%1, %2, %3);").arg(red).arg(green).arg(blue));
}

bool TTableSettingForm::ChooseColor(TColor& color, QLabel* label) {
  if (!ChooseColorWithRecords(this, color, context_.color_records, context_.palette_show))
    return false;
  ShowColor(label, color);
  return true;
}

void TTableSettingForm::SetSlideBackColorButtonClick() {
  try {
    ChooseColor(slide_color_, slide_color_label_);
  } catch (...) {
    ApU().ShowMessage("SetSlideBackColorButtonClick Error(1)", TApU::kCaption);
  }
}

void TTableSettingForm::SetRotationBackColorButtonClick() {
  try {
    ChooseColor(rotation_color_, rotation_color_label_);
  } catch (...) {
    ApU().ShowMessage("SetSlideBackColorButtonClick Error(2)", TApU::kCaption);
  }
}

TTableSettingForm::TBox* TTableSettingForm::FindBox(const QObject* watched) {
  for (TBox& box : boxes_)
    if (IsBox(watched, box.combo)) return &box;
  return nullptr;
}

int TTableSettingForm::Value(const QComboBox* combo) const {
  for (const TBox& box : boxes_) {
    if (box.combo != combo) continue;
    int value = 0;
    ParseDecimalInt(S(box.accepted), value);
    return value;
  }
  return 0;
}

void TTableSettingForm::ShowEstimate() {
  estimate_label_->setText(Q(ThumbCapacityEstimateText(
      Value(capacity_box_), Value(thumb_width_box_), Value(thumb_height_box_))));
}

bool TTableSettingForm::BoxExit(QComboBox* combo) {
  TBox* box = FindBox(combo);
  if (!box) {
    ApU().ShowMessage("予定外の呼び出し。", TApU::kCaption);
    return false;
  }
  int value = 0;
  if (!ReadTableBoxValue(box->kind, S(combo->currentText()), value)) {
    ApU().ShowMessage(TableBoxMessage(box->kind), TApU::kCaption);
    combo->setCurrentText(box->accepted);
    return false;
  }
  box->accepted = combo->currentText();
  if (combo == capacity_box_ || combo == thumb_width_box_ || combo == thumb_height_box_)
    ShowEstimate();
  return true;
}

bool TTableSettingForm::eventFilter(QObject* watched, QEvent* event) {
  if (BoxEvent(event, FindBox(watched), boxes_, checking_, ok_button_, pages_->currentWidget(),
               [this](QComboBox* combo) { return BoxExit(combo); }))
    return true;
  return QDialog::eventFilter(watched, event);
}

void TTableSettingForm::OKButtonClick() {
  // A value still typed in a box is checked as if the box were left.
  for (TBox& box : boxes_)
    if (box.combo->currentText() != box.accepted && !BoxExit(box.combo)) return;
  TPictureTableSettings& s = context_.settings;
  const int left = Value(left_box_), top = Value(top_box_), space = Value(space_box_);
  const int direction = std::max(0, direction_group_->checkedId());
  result_.layout_changed = left != s.display_zero_left || top != s.display_zero_top ||
                           space != s.panel_space || direction != s.panel_arrange_direction;
  s.display_zero_left = left;
  s.display_zero_top = top;
  s.panel_space = space;
  s.panel_arrange_direction = direction;
  s.slide_interval = Value(slide_time_box_);
  s.slide_back_color = slide_color_;
  s.thumb_capacity = Value(capacity_box_);
  s.thumb_count = Value(count_box_);
  context_.memory_show = memory_show_box_->isChecked();
  s.kernel_bound = Value(kernel_size_box_);
  s.kernel_center_percent_manual = center_manual_box_->isChecked();
  s.kernel_center_percent = Value(center_percent_box_);
  s.kernel_strength = Value(strength_box_);
  s.kernel_option = option_box_->isChecked();
  s.kernel_value_grid = set_value_group_->checkedId() == 1;
  s.rectify_type = std::max(0, rectify_group_->checkedId());
  s.rotation_type = std::max(0, rotation_group_->checkedId());
  s.progress_panel_show_type = std::max(0, progress_group_->checkedId());
  s.rotation_back_color = rotation_color_;
  s.rotation_ignore_slide_back_color = rotation_ignore_box_->isChecked();
  result_.accepted = true;
  done(1);
}

// ---- TSetThunbNailForm ----

namespace {

constexpr const char* kOptimise = "最適化";
constexpr const char* kResetMessage =
    "予定外のエラーです(例外)。\r\n\r\n設定データをリセットします。";

}  // namespace

void TSetThunbNailForm::Show(QComboBox* combo, int value) {
  if (value == 0 && combo->itemText(0) == kOptimise)
    combo->setCurrentIndex(0);
  else
    combo->setCurrentText(Padded(value, combo->itemText(combo->count() - 1).size()));
}

QComboBox* TSetThunbNailForm::AddBox(const char* name, bool optimise_item,
                                     const std::vector<int>& items, int max, int value) {
  auto* combo = new QComboBox;
  combo->setObjectName(name);
  combo->setEditable(true);
  if (optimise_item) combo->addItem(kOptimise);
  const int digits = max > 100 ? 4 : 3;
  for (int item : items) combo->addItem(Padded(item, digits));
  Show(combo, value);
  WatchBox(combo, this);
  boxes_.push_back(TBox{combo, max, value});
  return combo;
}

TSetThunbNailForm::TSetThunbNailForm(TPictureTableSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setObjectName("SetThunbNailForm");
  setWindowTitle("参照画像の設定");
  const TPictureTableSettings& s = settings_;
  const std::vector<int> sizes = {50, 100, 150, 200, 250, 300, 400, 500, 600, 800};
  const std::vector<int> percents = {10, 25, 50, 75, 100};
  auto* layout = new QVBoxLayout(this);

  size_radio_ = new QRadioButton("サイズで制御する");
  size_radio_->setObjectName("SizeControlRadioButton");
  layout->addWidget(size_radio_);
  size_group_ = new QGroupBox;
  size_group_->setObjectName("SizeGroupBox");
  auto* size_layout = new QVBoxLayout(size_group_);
  auto* size_row = new QHBoxLayout;
  size_width_box_ = AddBox("SizeWidthComboBox", true, sizes, 32767, s.thumb_size_width);
  size_height_box_ = AddBox("SizeHeightComboBox", true, sizes, 32767, s.thumb_size_height);
  size_row->addWidget(new QLabel("幅"));
  size_row->addWidget(size_width_box_);
  size_row->addWidget(new QLabel("高さ"));
  size_row->addWidget(size_height_box_);
  size_layout->addLayout(size_row);
  auto* size_percent_row = new QHBoxLayout;
  // The check box carries the group's label, so clicking the label toggles it.
  size_percent_box_ = new QCheckBox("ただし、元の画像サイズの");
  size_percent_box_->setObjectName("SizePercentCheckBox");
  size_percent_box_->setChecked(s.thumb_size_percent_control);
  size_percent_combo_ = AddBox("SizePercentComboBox", false, percents, 100, s.thumb_size_percent);
  size_percent_row->addWidget(size_percent_box_);
  size_percent_row->addWidget(size_percent_combo_);
  size_percent_row->addWidget(new QLabel("％ 以上"));
  size_layout->addLayout(size_percent_row);
  layout->addWidget(size_group_);

  percent_radio_ = new QRadioButton("縮小率で制御する");
  percent_radio_->setObjectName("PercentControlRadioButton");
  layout->addWidget(percent_radio_);
  percent_group_ = new QGroupBox;
  percent_group_->setObjectName("PercentGroupBox");
  auto* percent_layout = new QVBoxLayout(percent_group_);
  auto* percent_row = new QHBoxLayout;
  percent_percent_box_ = AddBox("PercentPercentComboBox", false, percents, 100,
                                static_cast<int>(s.thumb_percent_percent));
  percent_row->addWidget(new QLabel("元の画像サイズの"));
  percent_row->addWidget(percent_percent_box_);
  percent_row->addWidget(new QLabel("％"));
  percent_layout->addLayout(percent_row);
  auto* percent_size_row = new QHBoxLayout;
  percent_size_box_ = new QCheckBox("ただし、画像サイズは、");
  percent_size_box_->setObjectName("PercentSizeCheckBox");
  percent_size_box_->setChecked(s.thumb_percent_size_control);
  percent_width_box_ = AddBox("PercentWidthComboBox", false, sizes, 32767, s.thumb_percent_width);
  percent_height_box_ =
      AddBox("PercentHeightComboBox", false, sizes, 32767, s.thumb_percent_height);
  percent_size_row->addWidget(percent_size_box_);
  percent_size_row->addWidget(percent_width_box_);
  percent_size_row->addWidget(percent_height_box_);
  percent_size_row->addWidget(new QLabel("ピクセル以上"));
  percent_layout->addLayout(percent_size_row);
  layout->addWidget(percent_group_);

  (s.thumb_control_with_percent ? percent_radio_ : size_radio_)->setChecked(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_button_ = buttons->button(QDialogButtonBox::Ok);
  ok_button_->setObjectName("OKButton");
  ok_button_->setAutoDefault(false);
  buttons->button(QDialogButtonBox::Cancel)->setAutoDefault(false);
  layout->addWidget(buttons);

  EnableGroups();
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           size_radio_, percent_radio_, size_percent_box_, percent_size_box_})
    connect(button, &QAbstractButton::toggled, this, [this] { EnableGroups(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OKButtonClick(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  PlaceForm(*this);
}

bool TSetThunbNailForm::Ask(QWidget* parent, TPictureTableSettings& settings) {
  TSetThunbNailForm form(settings, parent);
  return form.exec() == 1;
}

void TSetThunbNailForm::EnableGroups() {
  const bool by_size = size_radio_->isChecked();
  size_group_->setEnabled(by_size);
  percent_group_->setEnabled(!by_size);
  size_percent_combo_->setEnabled(size_percent_box_->isChecked());
  percent_width_box_->setEnabled(percent_size_box_->isChecked());
  percent_height_box_->setEnabled(percent_size_box_->isChecked());
}

void TSetThunbNailForm::ResetValues() {
  const int values[] = {100, 100, 50, 50, 100, 100};
  QComboBox* combos[] = {size_width_box_,      size_height_box_,   size_percent_combo_,
                         percent_percent_box_, percent_width_box_, percent_height_box_};
  for (int i = 0; i < 6; ++i) {
    TBox* box = FindBox(combos[i]);
    box->value = values[i];
    Show(box->combo, values[i]);
  }
}

TSetThunbNailForm::TBox* TSetThunbNailForm::FindBox(const QObject* watched) {
  for (TBox& box : boxes_)
    if (IsBox(watched, box.combo)) return &box;
  return nullptr;
}

bool TSetThunbNailForm::BoxExit(QComboBox* combo) {
  try {
    TBox* box = FindBox(combo);
    if (!box) {
      ApU().ShowMessage("予定外の呼び出しです。", TApU::kCaption);
      return false;
    }
    int value = 0;
    const bool optimise = combo->currentText() == kOptimise;
    if (!optimise &&
        (!ParseDecimalInt(S(combo->currentText()), value) || value < 0 || value > box->max)) {
      ApU().ShowMessage("0以上の整数を入力してください。", TApU::kCaption);
      Show(combo, box->value);
      return false;
    }
    box->value = value;
    return true;
  } catch (...) {
    ApU().ShowMessage(kResetMessage, TApU::kCaption);
    ResetValues();
    return false;
  }
}

bool TSetThunbNailForm::eventFilter(QObject* watched, QEvent* event) {
  if (BoxEvent(event, FindBox(watched), boxes_, checking_, ok_button_, nullptr,
               [this](QComboBox* combo) { return BoxExit(combo); }))
    return true;
  return QDialog::eventFilter(watched, event);
}

void TSetThunbNailForm::OKButtonClick() {
  for (TBox& box : boxes_) {
    const bool optimise = box.combo->currentText() == kOptimise;
    int typed = 0;
    const bool same =
        optimise ? box.value == 0
                 : ParseDecimalInt(S(box.combo->currentText()), typed) && typed == box.value;
    if (!same && !BoxExit(box.combo)) return;
  }
  auto value = [this](QComboBox* combo) { return FindBox(combo)->value; };
  TPictureTableSettings before = settings_;
  TPictureTableSettings& s = settings_;
  s.thumb_control_with_percent = percent_radio_->isChecked();
  s.thumb_size_width = value(size_width_box_);
  s.thumb_size_height = value(size_height_box_);
  s.thumb_size_percent_control = size_percent_box_->isChecked();
  s.thumb_size_percent = value(size_percent_combo_);
  s.thumb_percent_percent = value(percent_percent_box_);
  s.thumb_percent_size_control = percent_size_box_->isChecked();
  s.thumb_percent_width = value(percent_width_box_);
  s.thumb_percent_height = value(percent_height_box_);
  changed_ = before.thumb_control_with_percent != s.thumb_control_with_percent ||
             before.thumb_size_width != s.thumb_size_width ||
             before.thumb_size_height != s.thumb_size_height ||
             before.thumb_size_percent_control != s.thumb_size_percent_control ||
             before.thumb_size_percent != s.thumb_size_percent ||
             before.thumb_percent_percent != s.thumb_percent_percent ||
             before.thumb_percent_size_control != s.thumb_percent_size_control ||
             before.thumb_percent_width != s.thumb_percent_width ||
             before.thumb_percent_height != s.thumb_percent_height;
  done(1);
}
