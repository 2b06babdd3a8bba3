#include "effects/ImageRGBArrangeFrm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "effects/EffectDialogButtons.h"
#include "effects/EffectOwner.h"
#include "platform/AppUtils.h"

namespace {

constexpr const char* kChannelNames[3] = {"R", "G", "B"};
constexpr const char* kSourceItems[5] = {"R", "G", "B", "Ave", "指定"};

}  // namespace

TImageRGBArrangeForm::TImageRGBArrangeForm(TEffectOwner& owner)
    : QWidget(owner.Window(), Qt::Tool | Qt::WindowStaysOnTopHint), owner_(owner) {
  setObjectName("ImageRGBArrangeForm");
  setWindowTitle("RGBArrangeDialog");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 3, 3, 3);

  auto* set_panel = new QWidget(this);
  set_panel->setObjectName("SetRGBPanel");
  auto* set_layout = new QGridLayout(set_panel);
  set_layout->setContentsMargins(0, 0, 0, 0);
  for (int c = 0; c < 3; ++c) {
    const QString letter = kChannelNames[c];
    auto* group_box = new QGroupBox(letter + "の変更", set_panel);
    group_box->setObjectName(letter + "RadioGroup");
    auto* row = new QHBoxLayout(group_box);
    source_groups_[c] = new QButtonGroup(group_box);
    for (int i = 0; i < 5; ++i) {
      auto* radio = new QRadioButton(QString::fromUtf8(kSourceItems[i]), group_box);
      source_groups_[c]->addButton(radio, i);
      row->addWidget(radio);
    }
    source_groups_[c]->button(c)->setChecked(true);
    reverse_boxes_[c] = new QCheckBox("反転色", set_panel);
    reverse_boxes_[c]->setObjectName(letter + "ReverseCheckBox");
    percent_boxes_[c] = new QCheckBox(letter, set_panel);
    percent_boxes_[c]->setObjectName(letter + "CheckBox");
    scroll_bars_[c] = new QScrollBar(Qt::Horizontal, set_panel);
    scroll_bars_[c]->setObjectName(letter + "ScrollBar");
    scroll_bars_[c]->setRange(-kRGBOffsetMax, kRGBOffsetMax);
    scroll_bars_[c]->setPageStep(10);
    scroll_bars_[c]->setMinimumWidth(160);
    labels_[c] = new QLabel(QString::fromStdString(RGBChannelLabel(c, 0)), set_panel);
    labels_[c]->setObjectName("Label" + letter);
    set_layout->addWidget(group_box, c * 2, 0, 1, 3);
    set_layout->addWidget(reverse_boxes_[c], c * 2, 3);
    set_layout->addWidget(percent_boxes_[c], c * 2 + 1, 0);
    set_layout->addWidget(scroll_bars_[c], c * 2 + 1, 1);
    set_layout->addWidget(labels_[c], c * 2 + 1, 2);

    connect(source_groups_[c], &QButtonGroup::idClicked, this,
            [this, c](int id) { SourceChanged(c, id); });
    connect(reverse_boxes_[c], &QCheckBox::clicked, this, [this] { ChangedWhileAuto(); });
    connect(percent_boxes_[c], &QCheckBox::clicked, this, [this] { ChangedWhileAuto(); });
    connect(scroll_bars_[c], &QScrollBar::valueChanged, this,
            [this, c](int position) { ScrollMoved(c, position); });
    connect(scroll_bars_[c], &QScrollBar::actionTriggered, this, [this, c](int action) {
      // Clicks and keys end their scroll at once; a drag ends at the release.
      if (action != QAbstractSlider::SliderMove && !scroll_bars_[c]->isSliderDown())
        QMetaObject::invokeMethod(
            this, [this, c] { ScrollReleased(c); }, Qt::QueuedConnection);
    });
    connect(scroll_bars_[c], &QScrollBar::sliderReleased, this, [this, c] { ScrollReleased(c); });
  }
  percent_boxes_[0]->setToolTip("+ Val% [ or Val ]");
  layout->addWidget(set_panel);

  button_panel_ = new QWidget(this);
  button_panel_->setObjectName("ButtonPanel");
  button_panel_->installEventFilter(this);
  auto* buttons = new QGridLayout(button_panel_);
  buttons->setContentsMargins(0, 0, 0, 0);
  auto* intense_label = new QLabel("強調度", button_panel_);
  intense_label->setObjectName("IntenseLabel");
  auto* reset = MakeDialogButton("NoIntenseButton", "リセット(&R)", button_panel_);
  auto_set_button_ = MakeDialogButton("RGBAutoSetButton", "実行(&E)", button_panel_);
  auto_set_button_->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* renew = MakeDialogButton("ReNewButton", "更新(&N)", button_panel_);
  auto* cap = MakeDialogButton("RGBCapButton", "キャプ(&C)", button_panel_);
  auto* cap_add = MakeDialogButton("RGBCapAddButton", "追加(&A)", button_panel_);
  auto_effect_check_box_ = new QCheckBox(button_panel_);
  auto_effect_check_box_->setObjectName("AutoEffectCheckBox");
  auto_effect_label_ = new QLabel("効果", button_panel_);
  auto_effect_label_->setObjectName("AutoEffectLabel");
  auto_effect_label_->installEventFilter(this);
  auto* auto_row = new QHBoxLayout;
  auto_row->addWidget(auto_effect_check_box_);
  auto_row->addWidget(auto_effect_label_);
  buttons->addWidget(intense_label, 0, 0);
  buttons->addWidget(reset, 0, 1);
  buttons->addWidget(auto_set_button_, 0, 2);
  buttons->addLayout(auto_row, 1, 0);
  buttons->addWidget(renew, 1, 1);
  buttons->addWidget(cap, 1, 2);
  buttons->addWidget(cap_add, 1, 3);
  layout->addWidget(button_panel_);

  const TRecordPanel records = MakeRecordPanel(this);
  record_list_box_ = records.list;
  layout->addWidget(records.panel);

  popup_menu_ = new QMenu(this);
  popup_menu_->setObjectName("RGBPopupMenu");
  QAction* replace_last = popup_menu_->addAction("置き換え(最終)(&R)");
  replace_last->setObjectName("ReplaceLastCapData1");
  QAction* replace_same = popup_menu_->addAction("置き換え(同種)(&S)");
  replace_same->setObjectName("ReplaceSameKindCapData1");
  popup_menu_->addSeparator();
  QAction* self_hide = popup_menu_->addAction("フォームを隠す（&H)");
  self_hide->setObjectName("SelfHide1");
  for (QPushButton* button : {cap, cap_add}) {
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, this,
            [this, button](const QPoint& at) { popup_menu_->popup(button->mapToGlobal(at)); });
  }

  connect(reset, &QPushButton::clicked, this, [this] { NoIntenseButtonClick(); });
  connect(auto_set_button_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(auto_set_button_, &QWidget::customContextMenuRequested, this,
          [this] { ToggleAutoMode(); });
  connect(renew, &QPushButton::clicked, this, [this] { ReNewButtonClick(); });
  connect(cap, &QPushButton::clicked, this, [this] { RGBCapButtonClick(); });
  connect(cap_add, &QPushButton::clicked, this, [this] { RGBCapAddButtonClick(); });
  connect(records.record, &QPushButton::clicked, this, [this] { RecordButtonClick(); });
  connect(records.remove, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
  connect(record_list_box_, &QListWidget::itemClicked, this, [this] { RecordListBoxClick(false); });
  connect(record_list_box_, &QListWidget::itemDoubleClicked, this,
          [this] { RecordListBoxClick(true); });
  connect(replace_last, &QAction::triggered, this, [this] { ReplaceCapData(false); });
  connect(replace_same, &QAction::triggered, this, [this] { ReplaceCapData(true); });
  connect(self_hide, &QAction::triggered, this, &QWidget::hide);

  EnableForOwner(owner_, {cap, cap_add, replace_last, replace_same, auto_effect_check_box_});

  if (const std::vector<std::string>* stored = owner_.RgbRecords()) {
    std::vector<std::string> sorted = *stored;
    std::sort(sorted.begin(), sorted.end());
    for (const std::string& record : sorted)
      record_list_box_->addItem(QString::fromStdString(record));
  }

  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.right() + 1 - frameGeometry().width() - 10, area.top());
  }
}

QPushButton* TImageRGBArrangeForm::Button(const std::string& name) const {
  return findChild<QPushButton*>(QString::fromStdString(name));
}

TRGBDialogState TImageRGBArrangeForm::State() const {
  TRGBDialogState state;
  for (int c = 0; c < 3; ++c) {
    state.source[c] = std::max(0, source_groups_[c]->checkedId());
    state.reverse[c] = reverse_boxes_[c]->isChecked();
    state.percent[c] = percent_boxes_[c]->isChecked();
    state.offset[c] = scroll_bars_[c]->value();
  }
  return state;
}

void TImageRGBArrangeForm::SetState(const TRGBDialogState& state) {
  loading_ = true;
  for (int c = 0; c < 3; ++c) {
    source_groups_[c]->button(std::clamp(state.source[c], 0, 4))->setChecked(true);
    scroll_bars_[c]->setMinimum(RGBOffsetMin(state.source[c]));
    reverse_boxes_[c]->setChecked(state.reverse[c]);
    percent_boxes_[c]->setChecked(state.percent[c]);
    scroll_bars_[c]->setValue(state.offset[c]);
    labels_[c]->setText(QString::fromStdString(RGBChannelLabel(c, scroll_bars_[c]->value())));
  }
  loading_ = false;
}

std::string TImageRGBArrangeForm::ParameterText() const {
  try {
    return RGBParameterText(State());
  } catch (...) {
    return {};
  }
}

bool TImageRGBArrangeForm::AutoEffect() const { return auto_effect_check_box_->isChecked(); }

std::vector<std::string> TImageRGBArrangeForm::Records() const {
  return RecordLines(*record_list_box_);
}

// The owner's copy is kept as a close would leave it, so that ending the program with the
// dialog open keeps the records too.
void TImageRGBArrangeForm::StoreRecords() {
  std::vector<std::string>* stored = owner_.RgbRecords();
  if (!stored) return;
  *stored = Records();
  std::sort(stored->begin(), stored->end());
}

void TImageRGBArrangeForm::Apply() {
  const std::string text = ParameterText();
  if (text.empty()) return;
  owner_.StartRGBArrange(text);
}

void TImageRGBArrangeForm::ChangedWhileAuto() {
  if (auto_mode_ && !loading_) Apply();
}

void TImageRGBArrangeForm::SourceChanged(int channel, int source) {
  QScrollBar* bar = scroll_bars_[channel];
  if (source == kRGBSourceFixed) {
    if (bar->value() < 0) labels_[channel]->setText(QString(kChannelNames[channel]) + "  000");
    bar->setMinimum(0);
  } else {
    bar->setMinimum(-kRGBOffsetMax);
  }
  ChangedWhileAuto();
}

void TImageRGBArrangeForm::ScrollMoved(int channel, int position) {
  labels_[channel]->setText(QString::fromStdString(RGBChannelLabel(channel, position)));
}

void TImageRGBArrangeForm::ScrollReleased(int /*channel*/) { ChangedWhileAuto(); }

void TImageRGBArrangeForm::NoIntenseButtonClick() {
  loading_ = true;
  for (int c = 0; c < 3; ++c) {
    if (!scroll_bars_[c]->isEnabled()) continue;
    scroll_bars_[c]->setValue(0);
    labels_[c]->setText(QString::fromStdString(RGBChannelLabel(c, 0)));
  }
  loading_ = false;
  ChangedWhileAuto();
}

void TImageRGBArrangeForm::ToggleAutoMode() {
  auto_mode_ = !auto_mode_;
  auto_set_button_->setText(auto_mode_ ? "自動(&E)" : "実行(&E)");
}

void TImageRGBArrangeForm::RecordButtonClick() {
  if (RegisterRecord(*record_list_box_, ParameterText())) StoreRecords();
}

void TImageRGBArrangeForm::DeleteButtonClick() {
  if (DeleteSelectedRecord(*record_list_box_)) StoreRecords();
}

void TImageRGBArrangeForm::RecordListBoxClick(bool double_click) {
  if (double_click) {
    Apply();
    return;
  }
  QListWidgetItem* item = record_list_box_->currentItem();
  if (!item || !item->isSelected()) return;
  TRGBDialogState state;
  if (!ParseRGBRecord(item->text().toStdString(), state)) return;
  SetState(state);
  if (auto_mode_) Apply();
}

void TImageRGBArrangeForm::ReNewButtonClick() { RenewOwnerPicture(owner_); }

void TImageRGBArrangeForm::RGBCapButtonClick() {
  CaptureWithEffect(owner_, *auto_effect_check_box_);
}

void TImageRGBArrangeForm::RGBCapAddButtonClick() {
  owner_.AddCapture(TEffectKind::kRGB, ParameterText());
}

void TImageRGBArrangeForm::ReplaceCapData(bool same_kind) {
  owner_.ReplaceEffect(TEffectKind::kRGB, ParameterText(), same_kind);
}

void TImageRGBArrangeForm::closeEvent(QCloseEvent* event) {
  RedirectClose(owner_, *event, kShowAction, false);
}

bool TImageRGBArrangeForm::eventFilter(QObject* watched, QEvent* event) {
  if (PanelGesture(*this, {auto_effect_label_, auto_effect_check_box_, button_panel_}, watched,
                   *event))
    return true;
  return QWidget::eventFilter(watched, event);
}
