#pragma once

#include <string>
#include <vector>

class QCheckBox;
class QCloseEvent;
class QEvent;
class QLabel;
class QAction;
class QListWidget;
class QObject;
class QPushButton;
class QWidget;
class TEffectOwner;

// The buttons and gestures every effect dialog shares with its owner.

// A named push button that Enter in a box does not press.
QPushButton* MakeDialogButton(const char* name, const char* caption, QWidget* parent);

// "RecordPanel": the record list with its "登録(&P)" and "削除(&D)" buttons beside it.
struct TRecordPanel {
  QWidget* panel = nullptr;
  QListWidget* list = nullptr;
  QPushButton* record = nullptr;
  QPushButton* remove = nullptr;
};
TRecordPanel MakeRecordPanel(QWidget* parent);

// "更新": the owner's working picture becomes its undo point. A dialog without a known owner
// reports the unexpected call.
void RenewOwnerPicture(TEffectOwner& owner);

// "キャプ": one capture that carries this dialog's effect whatever its automatic box says; a
// shown cap data record takes effects only through "追加".
void CaptureWithEffect(TEffectOwner& owner, QCheckBox& automatic_effect);

// The capture controls work for the main window only, and the picture grid takes no automatic
// effects: disables what the owner does not offer.
struct TCaptureControls {
  QWidget* cap = nullptr;
  QWidget* cap_add = nullptr;
  QAction* replace_last = nullptr;
  QAction* replace_same = nullptr;
  QCheckBox* auto_effect = nullptr;
};
void EnableForOwner(const TEffectOwner& owner, const TCaptureControls& controls);

// A close request: the owner's toggle command (show_action) closes the dialog. A dialog without
// a known owner just closes, with the unexpected-call message when complain is set.
void RedirectClose(TEffectOwner& owner, QCloseEvent& event, const char* show_action, bool complain);

// The panel gestures: a press on the "効果" label toggles its box, a double click on the button
// panel hides the dialog. True when the event was one of them.
struct TDialogPanels {
  QLabel* auto_effect_label = nullptr;
  QCheckBox* auto_effect_check_box = nullptr;
  QWidget* button_panel = nullptr;
};
bool PanelGesture(QWidget& dialog, const TDialogPanels& panels, QObject* watched, QEvent& event);

// The record list's lines in order.
std::vector<std::string> RecordLines(const QListWidget& records);
// "登録(&P)": appends text to the record list unless it is empty (the error message) or already
// there (selected, with the duplicate message). True when it was appended.
bool RegisterRecord(QListWidget& records, const std::string& text);
// "削除(&D)": removes the selected record; true when one was removed.
bool DeleteSelectedRecord(QListWidget& records);
