#pragma once

#include <QDialog>
#include <string>

#include "effects/CapDataEditRules.h"

class QLineEdit;
class QListWidget;
class QPushButton;

// The cap data editor ("　キャプデータの編集"): the region's four numbers and the effect entries
// of one record, edited line by line. "置換(&R)" closes with OK (replace the record), "追加(&A)"
// with Yes (add the edited copy as a new record), "Cancel(&C)" with Cancel.
class TCapDataEdit : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kResultReplace = 1;  // mb::kIdOk
  static constexpr int kResultAdd = 6;      // mb::kIdYes

  // record: the line split by SplitRecordLine; file_name: what the base list shows for the path.
  TCapDataEdit(const TEditedRecord& record, const std::string& file_name,
               QWidget* parent = nullptr);

  // The record as edited.
  TEditedRecord Record() const;

  // The buttons' handlers (tests drive them directly).
  void ChangeButtonClick();
  void PlusButtonClick();
  void MinusButtonClick();
  void MoveEntry(int direction);

  QListWidget* BaseDataListBox() const { return base_list_; }
  QListWidget* OptionDataListBox() const { return option_list_; }
  QLineEdit* DataEdit() const { return data_edit_; }

 private:
  QPushButton* Button(const char* name, const char* caption);

  TEditedRecord record_;
  QListWidget* base_list_;
  QListWidget* option_list_;
  QLineEdit* data_edit_;
  QPushButton* change_button_ = nullptr;
};
