#include "effects/EffectDialogButtons.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>

#include "effects/EffectDialogTexts.h"
#include "effects/EffectOwner.h"
#include "platform/AppUtils.h"

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
