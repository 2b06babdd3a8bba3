#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
struct TPictureTableSettings;

// The kinds of typed numbers of the table's basic settings, each with its range and message.
enum class TTableBox {
  kMargin,         // display margins and panel space: 0 to 20
  kPositive,       // slide time, capacity, count, thumbnail sizes: 1 to 60000
  kKernelSize,     // odd, 3 to 60000
  kCenterPercent,  // 1 to 99
  kStrength,       // -60000 to 60000 but not 0
};
// Reads text (blanks around it allowed) as a value of kind; false when the kind refuses it.
bool ReadTableBoxValue(TTableBox kind, const std::string& text, int& value);
// The message that refuses a value of kind.
const char* TableBoxMessage(TTableBox kind);

// How many thumbnails of width x height fit in capacity_mb megabytes at 3 bytes a pixel; a side
// of 0 or less counts as 100.
long long ThumbCapacityEstimate(int capacity_mb, int width, int height);
// The estimate as the thumbnail page shows it: "約" + N + "枚分".
std::string ThumbCapacityEstimateText(int capacity_mb, int width, int height);

// What the table's basic settings dialog edits. The references are the caller's and are written
// only on OK (the colour records whenever the colour dialog closes, as that dialog does).
struct TTableSettingContext {
  TPictureTableSettings& settings;
  bool& memory_show;                        // the used memory in the table's caption
  std::vector<std::string>& color_records;  // the colour dialog's record list
  bool& palette_show;                       // the colour dialog's palette switch
  bool filter_only = false;                 // from the picture grid: the filter page only
};

// What OK changed that the table must act on.
struct TTableSettingResult {
  bool accepted = false;
  // A display margin, the panel space or the direction changed: the cells are laid out again.
  bool layout_changed = false;
};

// "基本設定": the table's basic settings on four pages (表示, 参照画像, フィルタ, 効果1).
class TTableSettingForm : public QDialog {
  Q_OBJECT

 public:
  explicit TTableSettingForm(TTableSettingContext context, QWidget* parent = nullptr);

  // Shows the dialog modally and applies it on OK.
  static TTableSettingResult Ask(QWidget* parent, TTableSettingContext context);

  TTableSettingResult Result() const { return result_; }
  // Checks the box on leaving it: a refused value gives the message and the last accepted text.
  bool BoxExit(QComboBox* combo);
  void OKButtonClick();
  void SetSlideBackColorButtonClick();
  void SetRotationBackColorButtonClick();
  QLabel* EstimateLabel() const { return estimate_label_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TBox {
    QComboBox* combo;
    TTableBox kind;
    QString accepted;  // the text shown again when a typed value is refused
  };
  QComboBox* AddBox(const char* name, TTableBox kind, const std::vector<int>& items, int digits,
                    int value);
  TBox* FindBox(const QObject* watched);
  int Value(const QComboBox* combo) const;
  void ShowEstimate();
  static void ShowColor(QLabel* label, TColor color);
  bool ChooseColor(TColor& color, QLabel* label);

  TTableSettingContext context_;
  std::vector<TBox> boxes_;
  QTabWidget* pages_;
  QComboBox* left_box_;
  QComboBox* top_box_;
  QComboBox* space_box_;
  QComboBox* slide_time_box_;
  QComboBox* capacity_box_;
  QComboBox* count_box_;
  QComboBox* thumb_width_box_;
  QComboBox* thumb_height_box_;
  QComboBox* kernel_size_box_;
  QComboBox* center_percent_box_;
  QComboBox* strength_box_;
  QCheckBox* memory_show_box_;
  QCheckBox* center_manual_box_;
  QCheckBox* option_box_;
  QGroupBox* set_value_group_box_;
  QButtonGroup* direction_group_;
  QButtonGroup* set_value_group_;
  QButtonGroup* rectify_group_;
  QButtonGroup* rotation_group_;
  QButtonGroup* progress_group_;
  QCheckBox* rotation_ignore_box_;
  QLabel* slide_color_label_;
  QLabel* rotation_color_label_;
  QLabel* estimate_label_;
  QPushButton* ok_button_;
  TColor slide_color_;
  TColor rotation_color_;
  bool checking_ = false;
  TTableSettingResult result_;
};

// "参照画像の設定": how big the table's thumbnails are made, by size or by percentage.
class TSetThunbNailForm : public QDialog {
  Q_OBJECT

 public:
  // On OK the thumbnail fields of settings are replaced.
  explicit TSetThunbNailForm(TPictureTableSettings& settings, QWidget* parent = nullptr);

  // Shows the dialog modally; true when OK replaced the settings (the table then releases its
  // thumbnails, clears the cells and lays them out again).
  static bool Ask(QWidget* parent, TPictureTableSettings& settings);

  // Checks the box on leaving it: a refused value gives the message and the stored value.
  bool BoxExit(QComboBox* combo);
  void OKButtonClick();
  // Whether the OK changed any thumbnail field.
  bool Changed() const { return changed_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TBox {
    QComboBox* combo;
    int max;
    int value;
  };
  QComboBox* AddBox(const char* name, bool optimise_item, const std::vector<int>& items, int max,
                    int value);
  TBox* FindBox(const QObject* watched);
  static void Show(QComboBox* combo, int value);
  void ResetValues();
  void EnableGroups();

  TPictureTableSettings& settings_;
  std::vector<TBox> boxes_;
  QRadioButton* size_radio_;
  QRadioButton* percent_radio_;
  QGroupBox* size_group_;
  QGroupBox* percent_group_;
  QCheckBox* size_percent_box_;
  QCheckBox* percent_size_box_;
  QComboBox* size_width_box_;
  QComboBox* size_height_box_;
  QComboBox* size_percent_combo_;
  QComboBox* percent_percent_box_;
  QComboBox* percent_width_box_;
  QComboBox* percent_height_box_;
  QPushButton* ok_button_;
  bool checking_ = false;
  bool changed_ = false;
};
