#include "app/SettigFrm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "engine/FileNames.h"
#include "platform/AppUtils.h"
#include "platform/QtText.h"
#include "widgets/BoxEvents.h"
#include "widgets/ColorRecords.h"
#include "widgets/SetColorDialog.h"

namespace {

// The name a folder is listed under: a drive root whole, otherwise its last component.
std::string VisibleFolderName(const std::string& path) {
  const std::filesystem::path p(path);
  const std::string name = p.filename().string();
  return name.empty() || p == p.root_path() ? path : name;
}

}  // namespace

TSettingForm::TSettingForm(QWidget* parent, TSettingFormData data)
    : QDialog(parent), data_(std::move(data)) {
  setObjectName("SettingForm");
  setWindowTitle("基本設定");
  const TMainSettings& s = data_.settings;
  slide_back_color_ = s.base.slide_back_color;
  rotation_back_color_ = s.effect.rotation_back_color;
  folders_ = data_.folders;

  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  // Every page caption shows whole: the dialog grows to the tab bar instead of scrolling it.
  pages_->setUsesScrollButtons(false);
  pages_->setElideMode(Qt::ElideNone);
  layout->addWidget(pages_);

  // 通常表示
  auto* view_page = new QWidget;
  auto* view_layout = new QVBoxLayout(view_page);
  auto* base_box = new QGroupBox("基準位置", view_page);
  auto* base_form = new QFormLayout(base_box);
  base_form->addRow("左（Left）", AddNumberBox(TNumberBox::kPanelLeft, "PanelLeftComboBox",
                                               s.panel.image_panel_left));
  base_form->addRow(
      "上(Top)", AddNumberBox(TNumberBox::kPanelTop, "PanelTopComboBox", s.panel.image_panel_top));
  view_layout->addWidget(base_box);
  auto* slide_box = new QGroupBox("スライドショー", view_page);
  auto* slide_form = new QFormLayout(slide_box);
  auto* interval_row = new QHBoxLayout;
  interval_row->addWidget(
      AddNumberBox(TNumberBox::kSlideInterval, "TimeLagComboBox", s.base.slide_interval));
  interval_row->addWidget(new QLabel("ミリ秒"));
  slide_form->addRow("切り替え時間", interval_row);
  AddGroup("SlideRadioGroup", {"通常表示", "最大限表示"}, s.base.slide_view ? 0 : 1, slide_box,
           slide_form, "表示方法");
  auto* color_row = new QHBoxLayout;
  slide_back_color_label_ = new QLabel(slide_box);
  slide_back_color_label_->setObjectName("SlideBackColorLabel");
  auto* slide_color_button = new QPushButton("色の設定(&S)", slide_box);
  slide_color_button->setObjectName("SetSlideBackColorButton");
  color_row->addWidget(slide_back_color_label_, 1);
  color_row->addWidget(slide_color_button);
  slide_form->addRow("背景色", color_row);
  view_layout->addWidget(slide_box);
  auto* zoom_form = new QFormLayout;
  auto* zoom_row = new QHBoxLayout;
  zoom_row->addWidget(AddNumberBox(TNumberBox::kZoomStep, "ZoomComboBox", s.base.zoom_rate));
  zoom_row->addWidget(new QLabel("％"));
  zoom_form->addRow("拡大縮小単位", zoom_row);
  auto* real_row = new QHBoxLayout;
  real_row->addWidget(AddNumberBox(TNumberBox::kRealZoomControl, "RealZoomControlComboBox",
                                   s.base.real_zoom_control));
  real_row->addWidget(new QLabel("倍"));
  zoom_form->addRow("実倍率制御", real_row);
  view_layout->addLayout(zoom_form);
  pages_->addTab(view_page, "通常表示");

  // ファイル
  auto* file_page = new QWidget;
  auto* file_layout = new QVBoxLayout(file_page);
  auto* kinds_box = new QGroupBox("表示するファイルの種類を選択してください。", file_page);
  auto* kinds_layout = new QVBoxLayout(kinds_box);
  const std::pair<const char*, bool> kinds[] = {{"bmp", s.file_filter.bmp_file},
                                                {"jpg", s.file_filter.jpg_file},
                                                {"ico", s.file_filter.ico_file},
                                                {"wmf", s.file_filter.wmf_file},
                                                {"emf", s.file_filter.emf_file}};
  for (const auto& [kind, on] : kinds) {
    QString upper = QString(kind).toUpper();
    auto* box = new QCheckBox(upper + "ファイル", kinds_box);
    box->setObjectName(QString(kind) + "CheckBox");
    box->setChecked(on);
    kinds_layout->addWidget(box);
    kinds_.push_back(box);
  }
  file_layout->addWidget(kinds_box);
  auto* jpeg_form = new QFormLayout;
  auto* jpeg_row = new QHBoxLayout;
  jpeg_row->addWidget(AddNumberBox(TNumberBox::kJpegQuality, "JPGQualityComboBox",
                                   s.file_filter.jpeg_save_quality));
  jpeg_row->addWidget(new QLabel("%"));
  jpeg_form->addRow("保存時のJPG品質の設定", jpeg_row);
  file_layout->addLayout(jpeg_form);
  auto* drive_check = new QCheckBox("検索ドライブを指定する。", file_page);
  drive_check->setObjectName("SearchMoreDriveCheckBox");
  drive_combo_box_ = new QComboBox(file_page);
  drive_combo_box_->setObjectName("SearchMoreDriveComboBox");
  for (const std::string& drive : data_.drives)
    drive_combo_box_->addItem(Q(drive.empty() ? "/" : drive));
  const auto drive = std::find(data_.drives.begin(), data_.drives.end(), s.base.search_more_drive);
  if (!s.base.search_more_drive.empty() && drive != data_.drives.end()) {
    drive_check->setChecked(true);
    drive_combo_box_->setCurrentIndex(static_cast<int>(drive - data_.drives.begin()));
  }
  file_layout->addWidget(drive_check);
  file_layout->addWidget(drive_combo_box_);
  file_layout->addStretch();
  pages_->addTab(file_page, "ファイル");

  // フォルダ
  auto* folder_page = new QWidget;
  auto* folder_layout = new QHBoxLayout(folder_page);
  auto* folder_box = new QGroupBox("指定フォルダの設定", folder_page);
  auto* folder_box_layout = new QVBoxLayout(folder_box);
  folder_list_box_ = new QListWidget(folder_box);
  folder_list_box_->setObjectName("SelectedFolderNameListBox");
  folder_box_layout->addWidget(folder_list_box_);
  folder_layout->addWidget(folder_box, 1);
  auto* folder_buttons = new QVBoxLayout;
  const std::pair<const char*, const char*> folder_actions[] = {{"AddButton", "追加"},
                                                                {"DeleteButton", "削除"},
                                                                {"UpButton", "↑"},
                                                                {"DownButton", "↓"},
                                                                {"DefaultButton", "デフォルト"}};
  for (const auto& [name, caption] : folder_actions) {
    auto* button = new QPushButton(caption, folder_page);
    button->setObjectName(name);
    button->setAutoDefault(false);
    folder_buttons->addWidget(button);
    const std::string n = name;
    connect(button, &QPushButton::clicked, this, [this, n] {
      if (n == "AddButton") FolderAddClick();
      if (n == "DeleteButton") FolderDeleteClick();
      if (n == "UpButton") FolderMove(-1);
      if (n == "DownButton") FolderMove(1);
      if (n == "DefaultButton") FolderDefaultClick();
    });
  }
  folder_buttons->addStretch();
  folder_layout->addLayout(folder_buttons);
  connect(folder_list_box_, &QListWidget::currentRowChanged, this, [this](int row) {
    folder_list_box_->setToolTip(
        row >= 0 && row < static_cast<int>(folders_.size()) ? Q(folders_[row]) : QString());
  });
  ShowFolders(folders_.empty() ? -1 : 0);
  pages_->addTab(folder_page, "フォルダ");

  // フィルタ
  auto* filter_page = new QWidget;
  auto* filter_layout = new QFormLayout(filter_page);
  filter_layout->addRow("サイズ",
                        AddNumberBox(TNumberBox::kKernelSize, "SizeComboBox", s.base.kernel_bound));
  auto* manual = new QCheckBox("設定する", filter_page);
  manual->setObjectName("CenterPercentManualCheckBox");
  manual->setChecked(s.base.kernel_center_percent_manual);
  auto* centre_row = new QHBoxLayout;
  centre_row->addWidget(AddNumberBox(TNumberBox::kCenterPercent, "CenterPercentComboBox",
                                     s.base.kernel_center_percent));
  centre_row->addWidget(manual);
  filter_layout->addRow("中央の値の割合(%)", centre_row);
  filter_layout->addRow(
      "効果の割合(%)",
      AddNumberBox(TNumberBox::kStrength, "StrengthPercentComboBox", s.base.kernel_strength));
  auto* option = new QCheckBox("中央の値以外はすべて １ にする。", filter_page);
  option->setObjectName("OptionCheckBox");
  option->setChecked(s.base.kernel_option);
  filter_layout->addRow(option);
  AddGroup("SetValueRadioGroup", {"中央からの距離で決定する。", "マス目で決定する。"},
           s.base.kernel_value_grid ? 1 : 0, filter_page, filter_layout, "値の決定法");
  auto* show_filter = new QCheckBox("フィルタを表示する", filter_page);
  show_filter->setObjectName("ShowFilterCheckBox");
  show_filter->setChecked(s.base.kernel_show);
  filter_layout->addRow(show_filter);
  pages_->addTab(filter_page, "フィルタ");

  // 効果1
  auto* effect_page = new QWidget;
  auto* effect_layout = new QVBoxLayout(effect_page);
  AddGroup("RotationRadioGroup", {"回転1", "回転2", "穴空き回転"}, s.effect.rotation, effect_page,
           effect_layout, "回転");
  AddGroup("RectifyRadioGroup", {"補正1", "補正2", "補正3"}, s.effect.rectify_type, effect_page,
           effect_layout, "補正");
  AddGroup("ShowProgressPanelRadioGroup",
           {"常に表示する。", "スライドショー時は表示しない。", "常に表示しない。"},
           s.effect.show_progress_panel, effect_page, effect_layout, "経過パネルの表示");
  auto* rotation_box = new QGroupBox("回転の背景色", effect_page);
  auto* rotation_row = new QHBoxLayout(rotation_box);
  rotation_back_color_label_ = new QLabel(rotation_box);
  rotation_back_color_label_->setObjectName("RotationBackColorLabel");
  auto* rotation_color_button = new QPushButton("色の設定(&S)", rotation_box);
  rotation_color_button->setObjectName("SetRotationBackColorButton");
  auto* ignore = new QCheckBox("スライドショー時も維持。", rotation_box);
  ignore->setObjectName("RotationIgnoreSlideBackColorCheckBox");
  ignore->setChecked(s.effect.rotation_ignore_back_color);
  rotation_row->addWidget(rotation_back_color_label_, 1);
  rotation_row->addWidget(rotation_color_button);
  rotation_row->addWidget(ignore);
  effect_layout->addWidget(rotation_box);
  effect_layout->addStretch();
  pages_->addTab(effect_page, "効果1");

  // Velmora's own settings.
  auto* extension_page = new QWidget;
  auto* extension_layout = new QVBoxLayout(extension_page);
  auto* large = new QCheckBox("大きなピクチャーを扱う(幅20000・1億画素まで)", extension_page);
  large->setObjectName("LargePicturesCheckBox");
  large->setChecked(s.extensions.large_pictures);
  auto* other = new QCheckBox("PNG・GIF・TIFF・WebPファイルも表示する", extension_page);
  other->setObjectName("OtherFormatsCheckBox");
  other->setChecked(s.extensions.other_formats);
  kinds_.push_back(other);
  extension_layout->addWidget(large);
  extension_layout->addWidget(other);
  auto* read_ahead_box = new QGroupBox("先読み", extension_page);
  auto* read_ahead_layout = new QFormLayout(read_ahead_box);
  auto* read_ahead = new QSpinBox(read_ahead_box);
  read_ahead->setObjectName("ReadAheadSpinBox");
  read_ahead->setRange(0, kMaxReadAhead);
  read_ahead->setValue(s.extensions.read_ahead);
  read_ahead_layout->addRow("前後それぞれの枚数(0 = 先読みしない)", read_ahead);
  auto* read_ahead_megabytes = new QSpinBox(read_ahead_box);
  read_ahead_megabytes->setObjectName("ReadAheadMegabytesSpinBox");
  read_ahead_megabytes->setRange(kMinReadAheadMegabytes, kMaxReadAheadMegabytes);
  read_ahead_megabytes->setValue(s.extensions.read_ahead_megabytes);
  read_ahead_layout->addRow("使うメモリーの上限(MB)", read_ahead_megabytes);
  extension_layout->addWidget(read_ahead_box);
  auto* quick =
      new QCheckBox("JPEGの参照画像を縮小して読み込む(速いが少し粗くなる)", extension_page);
  quick->setObjectName("QuickThumbnailsCheckBox");
  quick->setChecked(s.extensions.quick_thumbnails);
  extension_layout->addWidget(quick);
  extension_layout->addStretch();
  pages_->addTab(extension_page, "拡張");

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK(&O)", this);
  ok->setObjectName("OKButton");
  auto* cancel = new QPushButton("Cancel(&C)", this);
  cancel->setObjectName("CancelButton");
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(slide_color_button, &QPushButton::clicked, this,
          [this] { SetSlideBackColorButtonClick(); });
  connect(rotation_color_button, &QPushButton::clicked, this,
          [this] { SetRotationBackColorButtonClick(); });
  for (QCheckBox* box : kinds_)
    connect(box, &QCheckBox::clicked, this, [this, box] { KindClicked(box); });
  for (QCheckBox* box : {drive_check, manual, option})
    connect(box, &QCheckBox::toggled, this, [this] { UpdateDependents(); });

  next_box_ = {{TNumberBox::kPanelLeft, TNumberBox::kPanelTop},
               {TNumberBox::kPanelTop, TNumberBox::kSlideInterval},
               {TNumberBox::kSlideInterval, TNumberBox::kZoomStep},
               {TNumberBox::kZoomStep, TNumberBox::kRealZoomControl},
               {TNumberBox::kKernelSize, TNumberBox::kCenterPercent},
               {TNumberBox::kCenterPercent, TNumberBox::kStrength}};

  // Enter moves through the boxes; no button is pressed by an Enter meant for another control.
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);

  ShowColor(slide_back_color_label_, slide_back_color_);
  ShowColor(rotation_back_color_label_, rotation_back_color_);
  UpdateDependents();
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QComboBox* TSettingForm::AddNumberBox(TNumberBox box, const char* name, double value) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& item : NumberBoxItems(box)) combo->addItem(Q(item));
  const std::string text = NumberBoxText(box, value);
  combo->setCurrentText(Q(text));
  combo->setCompleter(nullptr);  // completion would choose an item for a typed text
  WatchBox(combo, this);
  combo->setProperty("number_box", static_cast<int>(box));
  combo->lineEdit()->setProperty("number_box", static_cast<int>(box));
  number_boxes_[box] = combo;
  accepted_[box] = text;
  return combo;
}

QButtonGroup* TSettingForm::AddGroup(const char* name, const std::vector<const char*>& items,
                                     int checked, QWidget* parent, QLayout* layout,
                                     const char* title) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  auto* box_layout = new QVBoxLayout(box);
  auto* group = new QButtonGroup(box);
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(items[i], box);
    group->addButton(radio, static_cast<int>(i));
    box_layout->addWidget(radio);
  }
  if (QAbstractButton* button = group->button(checked)) button->setChecked(true);
  if (auto* form = qobject_cast<QFormLayout*>(layout))
    form->addRow(box);
  else
    static_cast<QBoxLayout*>(layout)->addWidget(box);
  groups_[name] = group;
  return group;
}

QCheckBox* TSettingForm::CheckBox(const char* name) const { return findChild<QCheckBox*>(name); }

bool TSettingForm::NumberBoxExit(TNumberBox box) {
  QComboBox* combo = number_boxes_.at(box);
  double value = 0;
  std::string message;
  if (CheckNumberBox(box, combo->currentText().toStdString(), value, message)) {
    accepted_[box] = combo->currentText().toStdString();
    return true;
  }
  checking_ = true;
  ApU().ShowMessage(message, TApU::kCaption);
  combo->setCurrentText(Q(accepted_[box]));
  checking_ = false;
  // The focus goes back once the change that left the box is complete; taking it from a
  // pressed button also cancels that button's click.
  QTimer::singleShot(0, combo, [this, combo] {
    for (int i = 0; i < pages_->count(); ++i)
      if (pages_->widget(i)->isAncestorOf(combo)) pages_->setCurrentIndex(i);
    combo->setFocus(Qt::OtherFocusReason);
  });
  return false;
}

void TSettingForm::KindClicked(QCheckBox* box) {
  if (box->isChecked()) return;
  if (std::none_of(kinds_.begin(), kinds_.end(), [](QCheckBox* b) { return b->isChecked(); })) {
    ApU().ShowMessage("ひとつ以上選択してください。", TApU::kCaption);
    box->setChecked(true);
  }
}

void TSettingForm::UpdateDependents() {
  const bool drive = CheckBox("SearchMoreDriveCheckBox")->isChecked();
  drive_combo_box_->setEnabled(drive);
  groups_.at("SetValueRadioGroup")
      ->buttons()
      .first()
      ->parentWidget()
      ->setEnabled(!CheckBox("OptionCheckBox")->isChecked());
  number_boxes_.at(TNumberBox::kCenterPercent)
      ->setEnabled(CheckBox("CenterPercentManualCheckBox")->isChecked());
}

void TSettingForm::ShowColor(QLabel* label, TColor color) {
  const TRgb rgb = SplitColorValue(color);
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, QColor(rgb.red, rgb.green, rgb.blue));
  label->setPalette(palette);
  label->setMinimumSize(40, 20);
}

bool TSettingForm::PickColor(TColor& color) {
  return ChooseColorWithRecords(this, color, data_.color_records,
                                data_.settings.palette.palette_show);
}

void TSettingForm::SetSlideBackColorButtonClick() {
  try {
    if (PickColor(slide_back_color_)) ShowColor(slide_back_color_label_, slide_back_color_);
  } catch (...) {
    ApU().ShowMessage("SetSlideBackColorButtonClick Error(2)", TApU::kCaption);
  }
}

void TSettingForm::SetRotationBackColorButtonClick() {
  try {
    if (PickColor(rotation_back_color_))
      ShowColor(rotation_back_color_label_, rotation_back_color_);
  } catch (...) {
    ApU().ShowMessage("SetSlideBackColorButtonClick Error(2)", TApU::kCaption);
  }
}

void TSettingForm::ShowFolders(int select) {
  folder_list_box_->clear();
  for (const std::string& folder : folders_)
    folder_list_box_->addItem(Q(VisibleFolderName(folder)));
  if (select >= 0 && select < folder_list_box_->count()) folder_list_box_->setCurrentRow(select);
}

void TSettingForm::AddFolder(const std::string& path) {
  folders_.push_back(path);
  ShowFolders(static_cast<int>(folders_.size()) - 1);
}

void TSettingForm::FolderAddClick() {
  std::string folder = folders_.empty() ? data_.program_folder : folders_.back();
  if (!ApU().Dialogs().ChooseFolder(" フォルダの選択", folder) || folder.empty()) return;
  if (std::find(folders_.begin(), folders_.end(), folder) != folders_.end()) {
    ApU().ShowMessage("既に登録されています。", TApU::kCaption);
    return;
  }
  AddFolder(folder);
}

void TSettingForm::FolderDeleteClick() {
  const int row = folder_list_box_->currentRow();
  if (row < 0 || row >= static_cast<int>(folders_.size())) return;
  folders_.erase(folders_.begin() + row);
  ShowFolders(std::max(0, row - 1));
}

void TSettingForm::FolderMove(int delta) {
  const int row = folder_list_box_->currentRow();
  const int other = row + delta;
  if (row < 0 || other < 0 || other >= static_cast<int>(folders_.size())) return;
  std::swap(folders_[static_cast<std::size_t>(row)], folders_[static_cast<std::size_t>(other)]);
  ShowFolders(other);
}

void TSettingForm::FolderDefaultClick() {
  const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  if (home.isEmpty()) {
    ApU().ShowMessage("フォルダ検出に失敗しました。", TApU::kCaption);
    return;
  }
  const std::string candidates[] = {
      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString(),
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString(),
      QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString(),
      data_.program_folder};
  for (const std::string& folder : candidates) {
    if (!IsFolder(folder)) continue;
    if (std::find(folders_.begin(), folders_.end(), folder) != folders_.end()) continue;
    AddFolder(folder);
  }
}

void TSettingForm::accept() {
  // A box whose text was typed but not yet left is checked as if it had been left. A stored
  // value the checks would refuse is kept as it is unless the user types another.
  for (const auto& [box, combo] : number_boxes_)
    if (combo->isEnabled() && combo->currentText().toStdString() != accepted_[box] &&
        !NumberBoxExit(box))
      return;
  WriteBack();
  QDialog::accept();
}

void TSettingForm::WriteBack() {
  TMainSettings& s = data_.settings;
  const auto read = [this](TNumberBox box, double current) {
    double v = 0;
    std::string message;
    return CheckNumberBox(box, accepted_[box], v, message) ? v : current;
  };
  const auto integer = [&read](TNumberBox box, int current) {
    return static_cast<int>(read(box, current));
  };
  s.panel.image_panel_left = integer(TNumberBox::kPanelLeft, s.panel.image_panel_left);
  s.panel.image_panel_top = integer(TNumberBox::kPanelTop, s.panel.image_panel_top);
  s.base.slide_interval = integer(TNumberBox::kSlideInterval, s.base.slide_interval);
  s.base.slide_back_color = slide_back_color_;
  s.base.zoom_rate = integer(TNumberBox::kZoomStep, s.base.zoom_rate);
  s.base.real_zoom_control = read(TNumberBox::kRealZoomControl, s.base.real_zoom_control);
  s.base.slide_view = groups_.at("SlideRadioGroup")->checkedId() == 0;
  bool* kinds[] = {&s.file_filter.bmp_file, &s.file_filter.jpg_file, &s.file_filter.ico_file,
                   &s.file_filter.wmf_file, &s.file_filter.emf_file, &s.extensions.other_formats};
  for (std::size_t i = 0; i < kinds_.size(); ++i) *kinds[i] = kinds_[i]->isChecked();
  s.file_filter.jpeg_save_quality =
      integer(TNumberBox::kJpegQuality, s.file_filter.jpeg_save_quality);
  const int drive = drive_combo_box_->currentIndex();
  s.base.search_more_drive = CheckBox("SearchMoreDriveCheckBox")->isChecked() && drive >= 0 &&
                                     drive < static_cast<int>(data_.drives.size())
                                 ? data_.drives[static_cast<std::size_t>(drive)]
                                 : std::string();
  data_.folders = folders_;
  s.base.kernel_bound = integer(TNumberBox::kKernelSize, s.base.kernel_bound);
  s.base.kernel_center_percent = integer(TNumberBox::kCenterPercent, s.base.kernel_center_percent);
  s.base.kernel_strength = integer(TNumberBox::kStrength, s.base.kernel_strength);
  s.base.kernel_center_percent_manual = CheckBox("CenterPercentManualCheckBox")->isChecked();
  s.base.kernel_option = CheckBox("OptionCheckBox")->isChecked();
  s.base.kernel_value_grid = groups_.at("SetValueRadioGroup")->checkedId() == 1;
  s.base.kernel_show = CheckBox("ShowFilterCheckBox")->isChecked();
  s.effect.rectify_type = groups_.at("RectifyRadioGroup")->checkedId();
  s.effect.rotation = groups_.at("RotationRadioGroup")->checkedId();
  s.effect.rotation_back_color = rotation_back_color_;
  s.effect.rotation_ignore_back_color =
      CheckBox("RotationIgnoreSlideBackColorCheckBox")->isChecked();
  s.effect.show_progress_panel = groups_.at("ShowProgressPanelRadioGroup")->checkedId();
  s.extensions.large_pictures = CheckBox("LargePicturesCheckBox")->isChecked();
  s.extensions.read_ahead = findChild<QSpinBox*>("ReadAheadSpinBox")->value();
  s.extensions.read_ahead_megabytes = findChild<QSpinBox*>("ReadAheadMegabytesSpinBox")->value();
  s.extensions.quick_thumbnails = CheckBox("QuickThumbnailsCheckBox")->isChecked();
}

void TSettingForm::keyPressEvent(QKeyEvent* event) {
  if (!IsEnter(event)) {
    QDialog::keyPressEvent(event);
    return;
  }
  // Enter presses the button that has the focus, and nothing else.
  if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
}

bool TSettingForm::eventFilter(QObject* watched, QEvent* event) {
  const QVariant tag = watched->property("number_box");
  if (tag.isValid()) {
    const auto box = static_cast<TNumberBox>(tag.toInt());
    if (LeftTheBox(event) && !checking_) {
      NumberBoxExit(box);
    } else if (event->type() == QEvent::KeyPress) {
      if (IsEnter(event)) {
        if (NumberBoxExit(box)) {
          auto next = next_box_.find(box);
          if (next != next_box_.end() && !number_boxes_.at(next->second)->isEnabled())
            next = next_box_.find(next->second);
          if (box == TNumberBox::kJpegQuality)
            CheckBox("SearchMoreDriveCheckBox")->setFocus();
          else if (next != next_box_.end())
            number_boxes_.at(next->second)->setFocus();
          else
            findChild<QPushButton*>("OKButton")->setFocus();
        }
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}
