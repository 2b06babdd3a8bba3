#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "effects/TextArrangeTexts.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class TEffectOwner;

// The three settings texts the main window keeps for the text dialog between sessions.
struct TTextArrangeTexts {
  std::string text_font;     // "TextFont"
  std::string text_options;  // "TextOptions"
  std::string base_data;     // "BaseData"
};

// The text tool window: a text with its font, colours, position, rotation and transparency,
// drawn onto the owner's picture and handed to captures as the "Txt" entry.
class TTextArrangeForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kShowAction = "ShowTextArrangeForm";
  static constexpr const char* kCaption = "TextArrangeDialog";

  explicit TTextArrangeForm(TEffectOwner& owner);

  // Restores the controls from the three texts; each applies only when it reads whole.
  void RestoreTexts(const TTextArrangeTexts& texts);
  // The three texts to keep: a text the dialog has not changed keeps its stored bytes.
  TTextArrangeTexts Texts() const;

  // The text effect parameter text; empty when it cannot be built. A position box holding
  // neither an item nor an integer is set to "  0" first.
  std::string ParameterText();
  bool AutoEffect() const;
  bool AlwaysShowFileName() const;
  // With "Ｆ名" checked the text becomes the current file name.
  void FollowFileName();
  // The caption after a drawing: the drawn block's place, or the plain caption after a failure.
  void ShowDrawResult(bool drawn, int left, int top);

  // Handlers (the design's names).
  void ExecuteButtonClick();
  void FontButtonClick();
  // Leaving a box (or Enter in it): false when the entry was refused with a message.
  bool XComboBoxExit();
  bool YComboBoxExit();
  bool TransParentComboBoxExit();
  bool RotationComboBoxExit();
  void GetFileName1Click(bool full_path);
  void FileNameOptionClick(QAction* option);
  void AlwaysShowFileNameCheckBoxClick();
  void SetColorClick(QAction* item);
  void NotChangeViewTextFont1Click();
  void SetViewTextFont1Click();
  void EditMenuOpening();
  void ReNewButtonClick();
  void TextCapButtonClick();
  void TextCapAddButtonClick();

  QPlainTextEdit* TextMemo() const { return text_memo_; }
  QFrame* SpacePanel() const { return space_panel_; }
  QComboBox* XComboBox() const { return x_combo_box_; }
  QComboBox* YComboBox() const { return y_combo_box_; }
  QComboBox* RotationComboBox() const { return rotation_combo_box_; }
  QComboBox* TransParentComboBox() const { return trans_parent_combo_box_; }
  QCheckBox* ControlCheckBox() const { return control_check_box_; }
  QCheckBox* AlwaysShowFileNameCheckBox() const { return always_show_file_name_check_box_; }
  QCheckBox* AutoEffectCheckBox() const { return auto_effect_check_box_; }
  QPushButton* Button(const std::string& name) const;
  QMenu* PopupMenu() const { return popup_menu_; }
  QAction* MenuItem(const std::string& name) const;
  const TTextFontState& Font() const { return font_; }
  int ViewSize() const { return view_size_; }
  // The three colours as the controls show them.
  TColor FontColor() const;
  TColor TextBackColor() const;
  TColor SpaceBackColor() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class TBox { kX, kY, kTransparency, kRotation };

  QComboBox* MakeCombo(const char* name, const char* const* items, std::size_t count, int initial);
  QComboBox* Box(TBox box) const;
  bool BoxExit(TBox box);
  bool Exit(TBox box);
  void ShowMemoFont();
  void ShowColors();
  TTextLayout Layout(bool& complete) const;
  TTextViewOptions ViewOptions() const;
  void SetFixedView(bool fixed);

  TEffectOwner& owner_;
  TTextFontState font_;
  int text_back_ = static_cast<int>(kWhite);
  int space_back_ = static_cast<int>(kWhite);
  int view_size_ = 9;
  bool checking_ = false;  // a message is up: its focus changes are not exits
  TTextArrangeTexts stored_;
  TTextArrangeTexts composed_when_read_;

  QFrame* space_panel_ = nullptr;
  QPlainTextEdit* text_memo_ = nullptr;
  QWidget* button_panel_ = nullptr;
  QComboBox* x_combo_box_ = nullptr;
  QComboBox* y_combo_box_ = nullptr;
  QComboBox* rotation_combo_box_ = nullptr;
  QComboBox* trans_parent_combo_box_ = nullptr;
  QCheckBox* control_check_box_ = nullptr;
  QCheckBox* always_show_file_name_check_box_ = nullptr;
  QCheckBox* auto_effect_check_box_ = nullptr;
  QLabel* auto_effect_label_ = nullptr;
  QPushButton* cap_button_ = nullptr;
  QPushButton* cap_add_button_ = nullptr;
  QMenu* popup_menu_ = nullptr;
  QAction* without_extension_ = nullptr;
  QAction* with_space_ = nullptr;
  QAction* fixed_view_ = nullptr;
  QAction* paste_ = nullptr;
};
