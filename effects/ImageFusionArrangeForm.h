#pragma once

#include <QImage>
#include <QWidget>
#include <string>
#include <vector>

#include "effects/FusionArrangeTexts.h"
#include "engine/Bitmap24.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollBar;
class TEffectOwner;

// The fusion tool window of the main window: a second picture (the ground canvas, the shown
// picture or a picture file), how it is mixed into the shown picture, and the tone reductions
// of the shown picture. The mixing itself is the owner's; a fusion never goes into a capture.
class TImageFusionArrangeForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kShowAction = "ShowFusionArrangeForm";
  static constexpr const char* kCaption = "FusionArrangeDialog";
  // Entries 0 and 1 of the list; picture files follow.
  static constexpr int kGroundEntry = 0;
  static constexpr int kShownEntry = 1;

  TImageFusionArrangeForm(TEffectOwner& owner, const TFusionDialogSettings& settings);

  // The settings the owner keeps between sessions, as they stand.
  TFusionDialogSettings Settings() const;
  // The fusion text; an X or Y box holding no item and no integer is first reset to "  0".
  std::string ParameterText();
  TFusionControls Controls() const;
  const TBitmap24& FusionPicture() const { return fusion_; }
  bool AutoEffect() const;
  // The picture size changed in the owner: a selected ground canvas follows it.
  void GroundCanvasRefresh(int width, int height);
  // The list's paths behind the names ("台紙", "表示画像", then full paths).
  const std::vector<std::string>& Paths() const { return paths_; }

  // Handlers (the design's names).
  void FusionFileNameListBoxClick(bool double_click);
  void FusionButtonClick();
  void OperateRadioGroupClick(int operation);
  void RateLabelDoubleClick(bool b_label);
  void PictureOpen1Click();
  void LoadFromFileList1Click();
  enum class TTone { kTwo, kThree, kAny, kBottomUp, kTopDown };
  void ToneClick(TTone tone);
  void SetAnyToneLavel1Click();
  void SetUpDownLevel1Click();
  void SetFusionBackColor1Click();
  void SetGroundCanvasColor1Click();
  void OverRange1Click();
  void SetRangeSuperMax1Click();
  void SetFusionBrightRate1Click();
  void TransPositionClick(int keypad);
  // Leaving XComboBox or YComboBox (or Enter); false when a message was shown.
  bool PositionComboExit(QComboBox* combo);
  void ReNewButtonClick();

  QButtonGroup* OperateRadioGroup() const { return operate_group_; }
  QListWidget* FusionFileNameListBox() const { return name_list_box_; }
  QScrollBar* RateScrollBar(bool b) const { return b ? b_scroll_bar_ : a_scroll_bar_; }
  QLabel* RateLabel(bool b) const { return b ? b_rate_label_ : a_rate_label_; }
  QComboBox* XComboBox() const { return x_combo_box_; }
  QComboBox* YComboBox() const { return y_combo_box_; }
  QCheckBox* TransParentCheckBox() const { return trans_parent_check_box_; }
  QCheckBox* ControlCheckBox() const { return control_check_box_; }
  QCheckBox* AutoEffectCheckBox() const { return auto_effect_check_box_; }
  QLabel* FusionImage() const { return fusion_image_; }
  QWidget* FusionImagePanel() const { return fusion_image_panel_; }
  QPushButton* Button(const std::string& name) const;
  QAction* Action(const std::string& name) const;
  QMenu* PopupMenu() const { return popup_menu_; }

 signals:
  // One of the kept settings changed (the owner stores them at once, so that ending the
  // program with the dialog open keeps them too).
  void SettingsChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();
  void ApplySettings();
  void WriteRateLabels();
  void ApplyRanges();
  void WriteLevelCaptions();
  void SetFusionPicture(TBitmap24 picture);
  void MakeGroundCanvas(int width, int height);
  void FitFusionImage();
  bool GroundSelected() const;
  void AddEntry(const std::string& name, const std::string& path);
  bool AskNumber(const std::string& caption, const std::string& prompt, int low, int high,
                 int& value);
  bool PickColor(TColor& color);

  TEffectOwner& owner_;
  TFusionDialogSettings settings_;
  TBitmap24 fusion_;
  QImage preview_;                  // fusion_ reduced for the panel
  std::vector<std::string> paths_;  // FusionFilePathListBox
  bool exiting_ = false;            // a message of the combo check takes the focus away

  QButtonGroup* operate_group_ = nullptr;
  QListWidget* name_list_box_ = nullptr;
  QWidget* fusion_image_panel_ = nullptr;
  QLabel* fusion_image_ = nullptr;
  QScrollBar* a_scroll_bar_ = nullptr;
  QScrollBar* b_scroll_bar_ = nullptr;
  QLabel* a_rate_label_ = nullptr;
  QLabel* b_rate_label_ = nullptr;
  QComboBox* x_combo_box_ = nullptr;
  QComboBox* y_combo_box_ = nullptr;
  QCheckBox* trans_parent_check_box_ = nullptr;
  QCheckBox* control_check_box_ = nullptr;
  QCheckBox* auto_effect_check_box_ = nullptr;
  QLabel* auto_effect_label_ = nullptr;
  QMenu* popup_menu_ = nullptr;
  QActionGroup* trans_group_ = nullptr;
};
