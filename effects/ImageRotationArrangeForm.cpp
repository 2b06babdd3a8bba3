#include "effects/ImageRotationArrangeForm.h"

#include <QCheckBox>
#include <QCloseEvent>
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
#include <QVBoxLayout>

#include "effects/EffectDialogButtons.h"
#include "effects/EffectDialogTexts.h"
#include "effects/EffectOwner.h"
#include "platform/AppUtils.h"
#include "widgets/BoxEvents.h"

namespace {

constexpr const char* kNotANumber = "数値を入力してください。";

}  // namespace

TImageRotationArrange::TImageRotationArrange(TEffectOwner& owner)
    : QWidget(owner.Window(), Qt::Tool | Qt::WindowStaysOnTopHint),
      owner_(owner),
      last_angle_(kInitialAngleText) {
  setObjectName("ImageRotationArrange");
  setWindowTitle("RotationArrangeDialog");

  degree_edit_ = new QLineEdit(QString::fromStdString(last_angle_), this);
  degree_edit_->setObjectName("DegreeEdit");
  degree_edit_->installEventFilter(this);
  degree_list_box_ = new QListWidget(this);
  degree_list_box_->setObjectName("DegreeListBox");
  for (const std::string& preset : DegreePresets())
    degree_list_box_->addItem(QString::fromStdString(preset));
  rotation_button_ = MakeDialogButton("RotationButton", "実行(&E)", this);
  opposite_button_ = MakeDialogButton("OppositeButton", "逆符号(&O)", this);
  cap_button_ = MakeDialogButton("RotationCapButton", "キャプ(&C)", this);
  cap_add_button_ = MakeDialogButton("RotationCapAddButton", "追加(&A)", this);
  renew_button_ = MakeDialogButton("ReNewButton", "更新(&N)", this);
  auto_effect_check_box_ = new QCheckBox(this);
  auto_effect_check_box_->setObjectName("AutoEffectCheckBox");
  auto_effect_label_ = new QLabel("効果", this);
  auto_effect_label_->setObjectName("AutoEffectLabel");
  auto_effect_label_->installEventFilter(this);

  round_popup_menu_ = new QMenu(this);
  round_popup_menu_->setObjectName("RoundPopupMenu");
  QAction* replace_last = round_popup_menu_->addAction("置き換え(最終)(&R)");
  replace_last->setObjectName("ReplaceLastCapData1");
  QAction* replace_same = round_popup_menu_->addAction("置き換え(同種)(&S)");
  replace_same->setObjectName("ReplaceSameKindCapData1");
  round_popup_menu_->addSeparator();
  QAction* self_hide = round_popup_menu_->addAction("フォームを隠す(&H)");
  self_hide->setObjectName("SelfHide1");
  for (QPushButton* button : {cap_button_, cap_add_button_}) {
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, this, [this, button](const QPoint& at) {
      round_popup_menu_->popup(button->mapToGlobal(at));
    });
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 3, 3, 3);
  auto* operation_panel = new QWidget(this);
  operation_panel->setObjectName("OperationPanel");
  operation_panel->installEventFilter(this);
  auto* grid = new QGridLayout(operation_panel);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(degree_edit_, 0, 0, 1, 2);
  grid->addWidget(rotation_button_, 1, 0);
  grid->addWidget(opposite_button_, 1, 1);
  auto* auto_row = new QHBoxLayout;
  auto_row->addWidget(auto_effect_check_box_);
  auto_row->addWidget(auto_effect_label_);
  auto_row->addStretch();
  grid->addLayout(auto_row, 2, 0);
  grid->addWidget(renew_button_, 2, 1);
  grid->addWidget(cap_button_, 3, 0);
  grid->addWidget(cap_add_button_, 3, 1);
  layout->addWidget(operation_panel);
  layout->addWidget(degree_list_box_);
  degree_list_box_->setFixedHeight(degree_list_box_->sizeHintForRow(0) * 6 + 4);

  connect(rotation_button_, &QPushButton::clicked, this, [this] { RotationButtonClick(); });
  connect(opposite_button_, &QPushButton::clicked, this, [this] { OppositeButtonClick(); });
  connect(renew_button_, &QPushButton::clicked, this, [this] { ReNewButtonClick(); });
  connect(cap_button_, &QPushButton::clicked, this, [this] { RotationCapButtonClick(); });
  connect(cap_add_button_, &QPushButton::clicked, this, [this] { RotationCapAddButtonClick(); });
  connect(replace_last, &QAction::triggered, this, [this] { ReplaceCapData(false); });
  connect(replace_same, &QAction::triggered, this, [this] { ReplaceCapData(true); });
  connect(self_hide, &QAction::triggered, this, &QWidget::hide);
  connect(degree_list_box_, &QListWidget::itemClicked, this, [this] { DegreeListBoxClick(false); });
  connect(degree_list_box_, &QListWidget::itemDoubleClicked, this,
          [this] { DegreeListBoxClick(true); });

  EnableForOwner(
      owner_, {cap_button_, cap_add_button_, replace_last, replace_same, auto_effect_check_box_});

  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.right() + 1 - frameGeometry().width() - 10, area.top());
  }
}

QPushButton* TImageRotationArrange::Button(const std::string& name) const {
  return findChild<QPushButton*>(QString::fromStdString(name));
}

std::string TImageRotationArrange::ParameterText() const {
  return AngleParameterText(degree_edit_->text().toStdString());
}

bool TImageRotationArrange::AutoEffect() const { return auto_effect_check_box_->isChecked(); }

void TImageRotationArrange::RotationButtonClick() {
  const std::string angle = ParameterText();
  if (angle.empty()) {
    ApU().ShowMessage("RotationButtonClick Error", TApU::kCaption);
  } else if (owner_.Kind() == TEffectOwner::TKind::kOther) {
    ApU().ShowMessage("予定外の呼び出しです(RotationButtonClick)。", TApU::kCaption);
  } else {
    owner_.StartRotation(angle);
  }
  degree_edit_->setFocus();
}

void TImageRotationArrange::OppositeButtonClick() {
  std::string result;
  if (!NegateAngleText(degree_edit_->text().toStdString(), 7, result)) {
    ApU().ShowMessage("OppositeButtonClick Error", TApU::kCaption);
    return;
  }
  degree_edit_->setText(QString::fromStdString(result));
  last_angle_ = result;
}

bool TImageRotationArrange::DegreeEditExit() {
  const std::string text = degree_edit_->text().toStdString();
  if (!AngleParameterText(text).empty()) {
    last_angle_ = text;
    return true;
  }
  // The message takes the focus away: that focus change is not another exit.
  checking_ = true;
  ApU().ShowMessage(kNotANumber, TApU::kCaption);
  degree_edit_->setText(QString::fromStdString(last_angle_));
  degree_edit_->setFocus();
  checking_ = false;
  return false;
}

void TImageRotationArrange::DegreeEditEnter() {
  if (DegreeEditExit()) rotation_button_->setFocus();
}

void TImageRotationArrange::DegreeListBoxClick(bool double_click) {
  if (double_click) {
    RotationButtonClick();
    return;
  }
  QListWidgetItem* item = degree_list_box_->currentItem();
  if (!item || !item->isSelected()) {
    ApU().ShowMessage(kNotANumber, TApU::kCaption);
    degree_edit_->setText(QString::fromStdString(last_angle_));
    degree_list_box_->setFocus();
    return;
  }
  last_angle_ = item->text().toStdString();
  degree_edit_->setText(item->text());
}

void TImageRotationArrange::ReNewButtonClick() { RenewOwnerPicture(owner_); }

void TImageRotationArrange::RotationCapButtonClick() {
  CaptureWithEffect(owner_, *auto_effect_check_box_);
}

void TImageRotationArrange::RotationCapAddButtonClick() {
  owner_.AddCapture(TEffectKind::kRotation, ParameterText());
}

void TImageRotationArrange::ReplaceCapData(bool same_kind) {
  owner_.ReplaceEffect(TEffectKind::kRotation, ParameterText(), same_kind);
}

void TImageRotationArrange::closeEvent(QCloseEvent* event) {
  RedirectClose(owner_, *event, kShowAction, true);
}

bool TImageRotationArrange::eventFilter(QObject* watched, QEvent* event) {
  if (watched == degree_edit_) {
    if (LeftTheBox(event) && !checking_) {
      DegreeEditExit();
    } else if (IsEnter(event)) {
      DegreeEditEnter();
      return true;
    }
  } else if (watched == auto_effect_label_ && event->type() == QEvent::MouseButtonPress) {
    if (auto_effect_check_box_->isEnabled()) auto_effect_check_box_->toggle();
    return true;
  } else if (watched->objectName() == "OperationPanel" &&
             event->type() == QEvent::MouseButtonDblClick) {
    hide();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
