#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "effects/EffectDialogTexts.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollBar;
class TEffectOwner;

// The RGB tool window: per output channel a source, an inversion, a percentage flag and an
// offset, turned into the nine-field RGB text, run on the owner's picture, handed to captures
// as the "RGB" entry, and kept as records that the owner carries between sessions.
class TImageRGBArrangeForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kShowAction = "ShowRGBArrangeForm";

  explicit TImageRGBArrangeForm(TEffectOwner& owner);

  // The controls as the parameter text; empty on error.
  std::string ParameterText() const;
  TRGBDialogState State() const;
  void SetState(const TRGBDialogState& state);
  bool AutoEffect() const;
  bool AutoMode() const { return auto_mode_; }
  // The record list as shown (the owner takes it at close).
  std::vector<std::string> Records() const;

  void Apply();
  void SourceChanged(int channel, int source);
  void ScrollMoved(int channel, int position);
  void ScrollReleased(int channel);
  void NoIntenseButtonClick();
  void ToggleAutoMode();
  void RecordButtonClick();
  void DeleteButtonClick();
  void RecordListBoxClick(bool double_click);
  void ReNewButtonClick();
  void RGBCapButtonClick();
  void RGBCapAddButtonClick();
  void ReplaceCapData(bool same_kind);

  QScrollBar* ScrollBar(int channel) const { return scroll_bars_[channel]; }
  QLabel* Label(int channel) const { return labels_[channel]; }
  QButtonGroup* SourceGroup(int channel) const { return source_groups_[channel]; }
  QCheckBox* ReverseCheckBox(int channel) const { return reverse_boxes_[channel]; }
  QCheckBox* PercentCheckBox(int channel) const { return percent_boxes_[channel]; }
  QListWidget* RecordListBox() const { return record_list_box_; }
  QCheckBox* AutoEffectCheckBox() const { return auto_effect_check_box_; }
  QPushButton* Button(const std::string& name) const;
  QMenu* PopupMenu() const { return popup_menu_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ChangedWhileAuto();
  void StoreRecords();

  TEffectOwner& owner_;
  bool auto_mode_ = false;
  bool loading_ = false;  // controls are set from code: no apply per control
  std::array<QButtonGroup*, 3> source_groups_{};
  std::array<QCheckBox*, 3> reverse_boxes_{};
  std::array<QCheckBox*, 3> percent_boxes_{};
  std::array<QScrollBar*, 3> scroll_bars_{};
  std::array<QLabel*, 3> labels_{};
  QPushButton* auto_set_button_;
  QCheckBox* auto_effect_check_box_;
  QLabel* auto_effect_label_;
  QListWidget* record_list_box_;
  QMenu* popup_menu_;
  QWidget* button_panel_;
};
