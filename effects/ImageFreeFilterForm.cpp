#include "effects/ImageFreeFilterForm.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "effects/EffectDialogButtons.h"
#include "effects/EffectDialogTexts.h"
#include "effects/EffectOwner.h"
#include "platform/AppUtils.h"
#include "widgets/BoxEvents.h"

namespace {

constexpr const char* kCellRangeMessage = "-999以上999以下の整数を入力してください。";
constexpr const char* kDirectionFailed = "検索方向の取得に失敗しました。";
constexpr const char* kKernelNotSet = "カーネルデータの設定に失敗しました。";
constexpr int kCellWidth = 35;

QComboBox* MakeCombo(const char* name, const std::vector<std::string>& items, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  for (const std::string& item : items) combo->addItem(QString::fromStdString(item));
  return combo;
}

struct TPresetItem {
  TKernelPreset preset;
  const char* name;
  const char* caption;
};
constexpr TPresetItem kPresetItems[] = {
    {TKernelPreset::kAllOnes, "FilterStandard1", "すべて1(&S)"},
    {TKernelPreset::kGrid, "FilterGrid1", "マス目で決定(&G)"},
    {TKernelPreset::kDistance, "FilterDistance1", "距離で決定(&D)"},
    {TKernelPreset::kEmboss, "FilterEmbossing1", "エンボス型(&E)"},
    {TKernelPreset::kEdge, "FilterPrewitt1", "エッジ検出(&P)"},
    {TKernelPreset::kEdgeAll, "FilterLaplacian1", "エッジ検出(全方向)(&L)"},
};

}  // namespace

TImageFreeFilter::TImageFreeFilter(TEffectOwner& owner)
    : QWidget(owner.Window(), Qt::Tool | Qt::WindowStaysOnTopHint), owner_(owner) {
  setObjectName("ImageFreeFilter");
  setWindowTitle("FreeFilterDialog");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 3, 3, 3);

  auto* kernel_panel = new QWidget(this);
  kernel_panel->setObjectName("KernelPanel");
  auto* kernel_layout = new QGridLayout(kernel_panel);
  kernel_layout->setContentsMargins(0, 0, 0, 0);
  bound_combo_box_ = MakeCombo("BoundComboBox", BoundItems(), kernel_panel);
  cal_type_combo_box_ = MakeCombo("CalTypeComboBox", CalTypeItems(), kernel_panel);
  gray_check_box_ = new QCheckBox("Gray", kernel_panel);
  gray_check_box_->setObjectName("GrayCheckBox");
  set_color_combo_box_ = MakeCombo("SetColorComboBox", ColorItems(), kernel_panel);
  set_color_combo_box_->setEditable(true);
  set_color_combo_box_->setInsertPolicy(QComboBox::NoInsert);
  set_color_combo_box_->installEventFilter(this);
  set_color_combo_box_->lineEdit()->installEventFilter(this);
  auto* reverse = MakeDialogButton("ValueReverseButton", "反転(&R)", kernel_panel);
  kernel_scroll_box_ = new QScrollArea(kernel_panel);
  kernel_scroll_box_->setObjectName("KernelScrollBox");
  kernel_scroll_box_->setWidgetResizable(false);
  kernel_layout->addWidget(bound_combo_box_, 0, 0);
  kernel_layout->addWidget(cal_type_combo_box_, 0, 1);
  kernel_layout->addWidget(gray_check_box_, 0, 2);
  kernel_layout->addWidget(set_color_combo_box_, 1, 0);
  kernel_layout->addWidget(reverse, 1, 1);
  kernel_layout->addWidget(kernel_scroll_box_, 2, 0, 1, 3);
  kernel_layout->setRowStretch(2, 1);
  layout->addWidget(kernel_panel, 1);

  button_panel_ = new QWidget(this);
  button_panel_->setObjectName("ButtonPanel");
  button_panel_->installEventFilter(this);
  auto* buttons = new QGridLayout(button_panel_);
  buttons->setContentsMargins(0, 0, 0, 0);
  execute_button_ = MakeDialogButton("ExecuteButton", "実行(&E)", button_panel_);
  execute_button_->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* renew = MakeDialogButton("ReNewButton", "更新(&N)", button_panel_);
  auto* cap = MakeDialogButton("FreeFilterCapButton", "キャプ(&C)", button_panel_);
  auto* cap_add = MakeDialogButton("FreeFilterCapAddButton", "追加(&A)", button_panel_);
  auto_effect_check_box_ = new QCheckBox(button_panel_);
  auto_effect_check_box_->setObjectName("AutoEffectCheckBox");
  auto_effect_label_ = new QLabel("効果", button_panel_);
  auto_effect_label_->setObjectName("AutoEffectLabel");
  auto_effect_label_->installEventFilter(this);
  auto* auto_row = new QHBoxLayout;
  auto_row->addWidget(auto_effect_check_box_);
  auto_row->addWidget(auto_effect_label_);
  auto_row->addStretch();
  buttons->addWidget(execute_button_, 0, 0);
  buttons->addLayout(auto_row, 0, 1);
  buttons->addWidget(renew, 0, 2);
  buttons->addWidget(cap, 1, 1);
  buttons->addWidget(cap_add, 1, 2);
  layout->addWidget(button_panel_);

  const TRecordPanel records = MakeRecordPanel(this);
  record_list_box_ = records.list;
  layout->addWidget(records.panel);

  popup_menu_ = new QMenu(this);
  popup_menu_->setObjectName("FilterPopupMenu");
  QAction* replace_last = popup_menu_->addAction("置き換え(最終)(&R)");
  replace_last->setObjectName("ReplaceLastCapData1");
  QAction* replace_same = popup_menu_->addAction("置き換え(同種)(&S)");
  replace_same->setObjectName("ReplaceSameKindCapData1");
  QAction* separator = popup_menu_->addSeparator();
  QAction* self_hide = popup_menu_->addAction("フォームを隠す(&H)");
  self_hide->setObjectName("SelfHide1");
  for (QAction* hidden : {replace_last, replace_same, separator, self_hide})
    hidden->setVisible(false);
  auto* presets = new QActionGroup(this);
  presets->setExclusive(true);
  for (const TPresetItem& item : kPresetItems) {
    QAction* action = popup_menu_->addAction(QString::fromUtf8(item.caption));
    action->setObjectName(item.name);
    action->setCheckable(true);
    presets->addAction(action);
    preset_actions_.push_back(action);
    const TKernelPreset preset = item.preset;
    connect(action, &QAction::triggered, this, [this, preset] { ChoosePreset(preset); });
  }
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_menu_->popup(mapToGlobal(at)); });

  connect(bound_combo_box_, &QComboBox::activated, this, [this] { BoundComboBoxChange(); });
  connect(reverse, &QPushButton::clicked, this, [this] { ValueReverseButtonClick(); });
  connect(execute_button_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(execute_button_, &QWidget::customContextMenuRequested, this,
          [this] { ToggleAutoMode(); });
  connect(renew, &QPushButton::clicked, this, [this] { ReNewButtonClick(); });
  connect(cap, &QPushButton::clicked, this, [this] { FreeFilterCapButtonClick(); });
  connect(cap_add, &QPushButton::clicked, this, [this] { FreeFilterCapAddButtonClick(); });
  connect(records.record, &QPushButton::clicked, this, [this] { RecordButtonClick(); });
  connect(records.remove, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
  connect(record_list_box_, &QListWidget::itemClicked, this, [this] { RecordListBoxClick(false); });
  connect(record_list_box_, &QListWidget::itemDoubleClicked, this,
          [this] { RecordListBoxClick(true); });
  connect(replace_last, &QAction::triggered, this, [this] { ReplaceCapData(false); });
  connect(replace_same, &QAction::triggered, this, [this] { ReplaceCapData(true); });
  connect(self_hide, &QAction::triggered, this, &QWidget::hide);

  EnableForOwner(owner_, {cap, cap_add, replace_last, replace_same, auto_effect_check_box_});

  if (const std::vector<std::string>* stored = owner_.FilterRecords()) {
    for (const std::string& record : GroupFilterRecords(*stored, &hidden_records_))
      record_list_box_->addItem(QString::fromStdString(record));
  }

  preset_actions_.front()->setChecked(true);
  SetKernelText(kInitialKernelText);
  kernel_scroll_box_->setMinimumSize(kernel_grid_->width() + 2 * kernel_scroll_box_->frameWidth(),
                                     kernel_grid_->height() + 2 * kernel_scroll_box_->frameWidth());

  // The first size is the smallest: the kernel area alone grows with the window.
  const QSize first(std::max(250, minimumSizeHint().width()), sizeHint().height());
  resize(first);
  setMinimumSize(first);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.right() + 1 - frameGeometry().width() - 10, area.top());
  }
}

QPushButton* TImageFreeFilter::Button(const std::string& name) const {
  return findChild<QPushButton*>(QString::fromStdString(name));
}

QAction* TImageFreeFilter::PresetAction(TKernelPreset preset) const {
  return preset_actions_[static_cast<std::size_t>(preset)];
}

QLineEdit* TImageFreeFilter::Cell(int index) const {
  return index >= 0 && index < CellCount() ? cells_[static_cast<std::size_t>(index)] : nullptr;
}

int TImageFreeFilter::CellIndexOf(QObject* object) const {
  const auto it = std::find(cells_.begin(), cells_.end(), object);
  return it == cells_.end() ? -1 : static_cast<int>(it - cells_.begin());
}

bool TImageFreeFilter::AutoEffect() const { return auto_effect_check_box_->isChecked(); }

std::string TImageFreeFilter::ParameterText() const {
  try {
    std::vector<std::string> cells;
    cells.reserve(cells_.size());
    for (const QLineEdit* cell : cells_) cells.push_back(cell->text().toStdString());
    return FreeFilterParameterText(cal_type_combo_box_->currentIndex(), kernel_.size, cells,
                                   gray_check_box_->isChecked(),
                                   set_color_combo_box_->currentText().toStdString());
  } catch (...) {
    return {};
  }
}

std::vector<std::string> TImageFreeFilter::Records() const {
  return RecordLines(*record_list_box_);
}

std::vector<std::string> TImageFreeFilter::RecordsToStore() const {
  return RecordsToKeep(Records(), hidden_records_);
}

// The owner's copy is kept as a close would leave it, so that ending the program with the
// dialog open keeps the records too.
void TImageFreeFilter::StoreRecords() {
  if (std::vector<std::string>* stored = owner_.FilterRecords()) *stored = RecordsToStore();
}

void TImageFreeFilter::SetKernelText(const std::string& text) {
  const TFreeKernel kernel = KernelFromText(text);
  const bool rebuild = kernel.size != kernel_.size || cells_.empty();
  kernel_ = kernel;
  if (rebuild)
    BuildKernelEdits();
  else
    ShowKernelValues();
}

void TImageFreeFilter::BuildKernelEdits() {
  // A box that goes away with the focus must not be checked as it leaves.
  checking_ = true;
  try {
    for (QLineEdit* cell : cells_) cell->removeEventFilter(this);
    cells_.clear();
    delete kernel_grid_;
    kernel_grid_ = nullptr;
  } catch (...) {
    checking_ = false;
    ApU().ShowMessage("Set_KernelEdit Error(1)", TApU::kCaption);
    return;
  }
  try {
    const int n = kernel_.size;
    kernel_grid_ = new QWidget;
    kernel_grid_->setObjectName("KernelGrid");
    int height = 0;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        auto* cell = new QLineEdit(kernel_grid_);
        cell->setObjectName(QString("KernelEdit%1").arg(j + i * n));
        cell->setAlignment(Qt::AlignRight);
        cell->setFixedWidth(kCellWidth);
        if (height == 0) height = cell->sizeHint().height();
        cell->move(j * (kCellWidth + 1) - 1, i * (height + 1) - 1);
        cell->installEventFilter(this);
        cells_.push_back(cell);
      }
    }
    kernel_grid_->resize(n * (kCellWidth + 1) - 1, n * (height + 1) - 1);
    kernel_scroll_box_->setWidget(kernel_grid_);
    ShowKernelValues();
  } catch (...) {
    ApU().ShowMessage("Set_KernelEdit Error(2)", TApU::kCaption);
  }
  checking_ = false;
}

void TImageFreeFilter::ShowKernelValues() {
  for (std::size_t k = 0; k < cells_.size() && k < kernel_.values.size(); ++k)
    cells_[k]->setText(QString::fromStdString(KernelCellGridText(kernel_.values[k])));
}

void TImageFreeFilter::Apply() {
  const std::string text = ParameterText();
  if (text.empty()) return;
  owner_.StartFreeFilter(text);
}

bool TImageFreeFilter::KernelEditExit(int index) {
  QLineEdit* cell = Cell(index);
  if (!cell || static_cast<std::size_t>(index) >= kernel_.values.size()) {
    ApU().ShowMessage("Kernel_EditExit Error", TApU::kCaption);
    return false;
  }
  int& stored = kernel_.values[static_cast<std::size_t>(index)];
  int value = 0;
  if (ReadKernelCell(cell->text().toStdString(), value)) {
    stored = value;
    cell->setText(QString::fromStdString(KernelCellEditText(value)));
    return true;
  }
  // The message takes the focus away: that focus change is not another exit.
  checking_ = true;
  ApU().ShowMessage(kCellRangeMessage, TApU::kCaption);
  const QString restored = QString::fromStdString(KernelCellEditText(stored));
  cell->setText(restored);
  cell->setFocus();
  cell->setSelection(1, static_cast<int>(restored.size()) - 1);
  checking_ = false;
  return false;
}

void TImageFreeFilter::KernelEditEnter(int index) {
  if (!Cell(index)) {
    ApU().ShowMessage("Kernel_EditKeyDown Error", TApU::kCaption);
    return;
  }
  if (!KernelEditExit(index)) return;
  QLineEdit* next = cells_[static_cast<std::size_t>((index + 1) % CellCount())];
  // Moving on is not leaving with an unchecked value: this one was just checked.
  checking_ = true;
  next->setFocus();
  checking_ = false;
  next->selectAll();
}

bool TImageFreeFilter::SetColorComboBoxExit() {
  TColorEntry entry;
  try {
    entry = ReadColorEntry(set_color_combo_box_->currentText().toStdString());
    set_color_combo_box_->setEditText(QString::fromStdString(ColorEntryText(entry.value)));
  } catch (...) {
    ApU().ShowMessage("SetColorComboBoxExit Error(1)", TApU::kCaption);
    return false;
  }
  if (!entry.message) return true;
  try {
    checking_ = true;
    ApU().ShowMessage(ColorRangeMessage(), TApU::kCaption);
    set_color_combo_box_->setFocus();
    set_color_combo_box_->lineEdit()->selectAll();
    checking_ = false;
  } catch (...) {
    checking_ = false;
    ApU().ShowMessage("SetColorComboBoxExit Error(2)", TApU::kCaption);
  }
  return false;
}

void TImageFreeFilter::ChoosePreset(TKernelPreset preset) {
  PresetAction(preset)->setChecked(true);
  if (PresetNeedsDirection(preset)) {
    std::string answer = std::to_string(direction_);
    // A cancelled box answers its default, as the design's input box does.
    ApU().Dialogs().InputQuery("走査方向の指定", "走査方向を指定してください(テンキーの方向)。",
                               answer);
    if (!ReadScanDirection(answer, direction_)) {
      ApU().ShowMessage(kDirectionFailed, TApU::kCaption);
      return;
    }
  }
  Regenerate();
}

void TImageFreeFilter::BoundComboBoxChange() { Regenerate(); }

void TImageFreeFilter::Regenerate() {
  int size = SizeOfBoundText(bound_combo_box_->currentText().toStdString());
  if (size < 0) {
    bound_combo_box_->setCurrentIndex(0);
    size = kFreeKernelMinSize;
  }
  TKernelPreset preset = TKernelPreset::kAllOnes;
  for (const TPresetItem& item : kPresetItems)
    if (PresetAction(item.preset)->isChecked()) preset = item.preset;
  const std::string text = PresetKernelText(preset, size, direction_);
  if (text.empty() || KernelFromText(text).size != size) {
    ApU().ShowMessage(kKernelNotSet, TApU::kCaption);
    return;
  }
  SetKernelText(text);
}

void TImageFreeFilter::ValueReverseButtonClick() {
  kernel_ = NegatedKernel(kernel_);
  ShowKernelValues();
}

void TImageFreeFilter::ToggleAutoMode() {
  auto_mode_ = !auto_mode_;
  execute_button_->setText(auto_mode_ ? "自動(&E)" : "実行(&E)");
}

void TImageFreeFilter::RecordButtonClick() {
  if (RegisterRecord(*record_list_box_, ParameterText())) StoreRecords();
}

void TImageFreeFilter::DeleteButtonClick() {
  if (DeleteSelectedRecord(*record_list_box_)) StoreRecords();
}

void TImageFreeFilter::RecordListBoxClick(bool double_click) {
  if (double_click) {
    Apply();
    return;
  }
  QListWidgetItem* item = record_list_box_->currentItem();
  if (!item || !item->isSelected()) return;
  try {
    TFreeFilterRecord record;
    const int error = ParseFreeFilterRecord(item->text().toStdString(), record);
    if (error != 0) {
      ApU().ShowMessage(FilterDataError(error), TApU::kCaption);
      return;
    }
    cal_type_combo_box_->setCurrentIndex(record.cal_type);
    bound_combo_box_->setCurrentIndex(BoundIndexOfSize(record.kernel.size));
    gray_check_box_->setChecked(record.gray);
    set_color_combo_box_->setEditText(QString::fromStdString(ColorEntryText(record.color)));
    SetKernelText(KernelText(record.kernel));
  } catch (...) {
    ApU().ShowMessage(FilterDataError(6), TApU::kCaption);
    return;
  }
  if (auto_mode_) Apply();
}

void TImageFreeFilter::ReNewButtonClick() { RenewOwnerPicture(owner_); }

void TImageFreeFilter::FreeFilterCapButtonClick() {
  CaptureWithEffect(owner_, *auto_effect_check_box_);
}

void TImageFreeFilter::FreeFilterCapAddButtonClick() {
  owner_.AddCapture(TEffectKind::kFreeFilter, ParameterText());
}

void TImageFreeFilter::ReplaceCapData(bool same_kind) {
  owner_.ReplaceEffect(TEffectKind::kFreeFilter, ParameterText(), same_kind);
}

void TImageFreeFilter::closeEvent(QCloseEvent* event) {
  RedirectClose(owner_, *event, kShowAction, false);
}

bool TImageFreeFilter::eventFilter(QObject* watched, QEvent* event) {
  const int cell = CellIndexOf(watched);
  if (cell >= 0) {
    if (LeftTheBox(event) && !checking_) {
      // A refused value keeps the focus and its selection: the box must not see itself left.
      if (!KernelEditExit(cell)) return true;
    } else if (IsEnter(event)) {
      KernelEditEnter(cell);
      return true;
    }
  } else if (watched == set_color_combo_box_ || watched == set_color_combo_box_->lineEdit()) {
    if (LeftTheBox(event) && !checking_ && watched == set_color_combo_box_) {
      if (!SetColorComboBoxExit()) return true;
    } else if (IsEnter(event)) {
      SetColorComboBoxExit();
      return true;
    }
  } else if (PanelGesture(*this, {auto_effect_label_, auto_effect_check_box_, button_panel_},
                          watched, *event)) {
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
