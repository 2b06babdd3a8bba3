#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "effects/FreeFilterTexts.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollArea;
class TEffectOwner;

// The free filter tool window: a square kernel edited cell by cell, a calculation type, grey and
// colour, turned into the free filter parameter text, run on the owner's picture, handed to
// captures as the "FFi" entry, and kept as records that the owner carries between sessions.
class TImageFreeFilter : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kShowAction = "ShowFreeFilterForm";

  explicit TImageFreeFilter(TEffectOwner& owner);

  // The controls as the parameter text; empty when a cell or the colour is not a number.
  std::string ParameterText() const;
  const TFreeKernel& Kernel() const { return kernel_; }
  int Direction() const { return direction_; }
  bool AutoEffect() const;
  bool AutoMode() const { return auto_mode_; }
  // The record list as shown, and what the owner keeps of it with the records not shown.
  std::vector<std::string> Records() const;
  std::vector<std::string> RecordsToStore() const;

  // Sets the kernel (and the grid of boxes) from a kernel text; a malformed text gives 3 x 3 ones.
  void SetKernelText(const std::string& text);
  void Apply();
  // Kernel_EditExit: false (message shown, value restored) when the cell is not a kernel value.
  bool KernelEditExit(int index);
  // Kernel_EditKeyDown with Enter: checks the cell, then moves to the next one.
  void KernelEditEnter(int index);
  // SetColorComboBoxExit.
  bool SetColorComboBoxExit();
  void ChoosePreset(TKernelPreset preset);
  void BoundComboBoxChange();
  void ValueReverseButtonClick();
  void ToggleAutoMode();
  void RecordButtonClick();
  void DeleteButtonClick();
  void RecordListBoxClick(bool double_click);
  void ReNewButtonClick();
  void FreeFilterCapButtonClick();
  void FreeFilterCapAddButtonClick();
  void ReplaceCapData(bool same_kind);

  QLineEdit* Cell(int index) const;
  int CellCount() const { return static_cast<int>(cells_.size()); }
  QScrollArea* KernelScrollBox() const { return kernel_scroll_box_; }
  QComboBox* BoundComboBox() const { return bound_combo_box_; }
  QComboBox* CalTypeComboBox() const { return cal_type_combo_box_; }
  QComboBox* SetColorComboBox() const { return set_color_combo_box_; }
  QCheckBox* GrayCheckBox() const { return gray_check_box_; }
  QCheckBox* AutoEffectCheckBox() const { return auto_effect_check_box_; }
  QListWidget* RecordListBox() const { return record_list_box_; }
  QPushButton* Button(const std::string& name) const;
  QMenu* PopupMenu() const { return popup_menu_; }
  QAction* PresetAction(TKernelPreset preset) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildKernelEdits();
  void ShowKernelValues();
  void Regenerate();
  void StoreRecords();
  int CellIndexOf(QObject* object) const;

  TEffectOwner& owner_;
  TFreeKernel kernel_;
  int direction_ = 3;
  bool auto_mode_ = false;
  bool checking_ = false;  // a message box of an entry check is up: its focus change is no exit
  std::vector<QLineEdit*> cells_;
  std::vector<std::string> hidden_records_;  // kinds this dialog does not show, kept as they are
  QWidget* kernel_grid_ = nullptr;
  QScrollArea* kernel_scroll_box_;
  QComboBox* bound_combo_box_;
  QComboBox* cal_type_combo_box_;
  QComboBox* set_color_combo_box_;
  QCheckBox* gray_check_box_;
  QPushButton* execute_button_;
  QCheckBox* auto_effect_check_box_;
  QLabel* auto_effect_label_;
  QListWidget* record_list_box_;
  QMenu* popup_menu_;
  std::vector<QAction*> preset_actions_;
  QWidget* button_panel_;
};
