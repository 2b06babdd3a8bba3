#include "effects/EffectDialogButtons.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "effects/EffectDialogTexts.h"
#include "effects/EffectOwner.h"
#include "platform/AppUtils.h"

QPushButton* MakeDialogButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

TRecordPanel MakeRecordPanel(QWidget* parent) {
  TRecordPanel made;
  made.panel = new QWidget(parent);
  made.panel->setObjectName("RecordPanel");
  auto* row = new QHBoxLayout(made.panel);
  row->setContentsMargins(0, 0, 0, 0);
  made.list = new QListWidget(made.panel);
  made.list->setObjectName("RecordListBox");
  made.list->setFixedHeight(90);
  made.record = MakeDialogButton("RecordButton", "登録(&P)", made.panel);
  made.remove = MakeDialogButton("DeleteButton", "削除(&D)", made.panel);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(made.record);
  buttons->addWidget(made.remove);
  buttons->addStretch();
  row->addWidget(made.list, 1);
  row->addLayout(buttons);
  return made;
}

void RenewOwnerPicture(TEffectOwner& owner) {
  if (owner.Kind() == TEffectOwner::TKind::kOther) {
    ApU().ShowMessage("予定外の呼び出しです(ReNewButtonClick)。", TApU::kCaption);
    return;
  }
  owner.Renew();
}

void CaptureWithEffect(TEffectOwner& owner, QCheckBox& automatic_effect) {
  if (owner.ShowingCapData()) {
    ApU().ShowMessage("キャプデータは追加のみ可能です。", TApU::kCaption);
    return;
  }
  const bool was = automatic_effect.isChecked();
  automatic_effect.setChecked(true);
  owner.Capture();
  automatic_effect.setChecked(was);
}

void EnableForOwner(const TEffectOwner& owner, const TCaptureControls& controls) {
  const TEffectOwner::TKind kind = owner.Kind();
  if (kind != TEffectOwner::TKind::kMainWindow) {
    for (QWidget* button : {controls.cap, controls.cap_add})
      if (button) button->setEnabled(false);
    for (QAction* item : {controls.replace_last, controls.replace_same})
      if (item) item->setEnabled(false);
  }
  if (kind == TEffectOwner::TKind::kPictureGrid && controls.auto_effect)
    controls.auto_effect->setEnabled(false);
}

void RedirectClose(TEffectOwner& owner, QCloseEvent& event, const char* show_action,
                   bool complain) {
  if (owner.Kind() == TEffectOwner::TKind::kOther) {
    if (complain) ApU().ShowMessage("予定外の呼び出しです。", TApU::kCaption);
    event.accept();
    return;
  }
  event.ignore();
  owner.ToggleDialog(show_action);
}

bool PanelGesture(QWidget& dialog, const TDialogPanels& panels, QObject* watched, QEvent& event) {
  if (watched == panels.auto_effect_label && panels.auto_effect_label &&
      event.type() == QEvent::MouseButtonPress) {
    if (panels.auto_effect_check_box && panels.auto_effect_check_box->isEnabled())
      panels.auto_effect_check_box->toggle();
    return true;
  }
  if (watched == panels.button_panel && panels.button_panel &&
      event.type() == QEvent::MouseButtonDblClick) {
    dialog.hide();
    return true;
  }
  return false;
}

std::vector<std::string> RecordLines(const QListWidget& records) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(records.count()));
  for (int i = 0; i < records.count(); ++i) lines.push_back(records.item(i)->text().toStdString());
  return lines;
}

bool RegisterRecord(QListWidget& records, const std::string& text) {
  if (text.empty()) {
    ApU().ShowMessage("RecordButtonClick Error", TApU::kCaption);
    return false;
  }
  const int found = FindRecord(RecordLines(records), text);
  if (found >= 0) {
    records.setCurrentRow(found);
    ApU().ShowMessage(AlreadyRecordedText(text), AlreadyRecordedCaption(found));
    return false;
  }
  records.addItem(QString::fromStdString(text));
  return true;
}

bool DeleteSelectedRecord(QListWidget& records) {
  const int row = records.currentRow();
  QListWidgetItem* item = records.item(row);
  if (!item || !item->isSelected()) return false;
  delete records.takeItem(row);
  return true;
}
