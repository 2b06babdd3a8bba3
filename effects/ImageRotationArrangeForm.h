#pragma once

#include <QWidget>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class TEffectOwner;

// The rotation tool window: an angle in degrees, run on the owner's picture with the owner's
// rotation type and back colour, and handed to captures as the "ARo" entry.
class TImageRotationArrange : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kShowAction = "ShowRotationArrangeForm";

  explicit TImageRotationArrange(TEffectOwner& owner);

  // The angle for captures and the job list; empty when the box holds no number.
  std::string ParameterText() const;
  bool AutoEffect() const;

  void RotationButtonClick();
  void OppositeButtonClick();
  // Leaving DegreeEdit (or Enter): false when the text was refused and put back.
  bool DegreeEditExit();
  void DegreeEditEnter();
  void DegreeListBoxClick(bool double_click);
  void ReNewButtonClick();
  void RotationCapButtonClick();
  void RotationCapAddButtonClick();
  void ReplaceCapData(bool same_kind);

  QLineEdit* DegreeEdit() const { return degree_edit_; }
  QListWidget* DegreeListBox() const { return degree_list_box_; }
  QCheckBox* AutoEffectCheckBox() const { return auto_effect_check_box_; }
  QPushButton* Button(const std::string& name) const;
  QMenu* RoundPopupMenu() const { return round_popup_menu_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TEffectOwner& owner_;
  std::string last_angle_;
  bool checking_ = false;
  QLineEdit* degree_edit_;
  QListWidget* degree_list_box_;
  QPushButton* rotation_button_;
  QPushButton* opposite_button_;
  QPushButton* cap_button_;
  QPushButton* cap_add_button_;
  QPushButton* renew_button_;
  QCheckBox* auto_effect_check_box_;
  QLabel* auto_effect_label_;
  QMenu* round_popup_menu_;
};
