#pragma once

#include <QDialog>
#include <map>
#include <string>
#include <vector>

#include "app/SettingChecks.h"
#include "model/Settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QTabWidget;

// What the settings dialog edits: a copy of the main window's values. The dialog never touches
// the settings file.
struct TSettingFormData {
  TMainSettings settings;
  std::vector<std::string> folders;        // the remembered folders (Folders.dat)
  std::vector<std::string> color_records;  // taken back whatever the result
  std::vector<std::string> drives;         // the drive list of the main window
  std::string program_folder;
};

// The modal "基本設定" dialog (SettingForm): the viewer's basic settings on five pages, checked
// as they are typed and written into its data on OK only.
class TSettingForm : public QDialog {
  Q_OBJECT

 public:
  TSettingForm(QWidget* parent, TSettingFormData data);

  // After OK the edited values; the colour records are current in either case.
  const TSettingFormData& Data() const { return data_; }

  // Leaving a numeric box: false (message shown, last accepted text back) when refused.
  bool NumberBoxExit(TNumberBox box);
  QComboBox* NumberBox(TNumberBox box) const { return number_boxes_.at(box); }
  void KindClicked(QCheckBox* box);
  void SetSlideBackColorButtonClick();
  void SetRotationBackColorButtonClick();
  void FolderAddClick();
  void FolderDeleteClick();
  void FolderMove(int delta);
  void FolderDefaultClick();
  std::vector<std::string> Folders() const { return folders_; }
  QListWidget* FolderListBox() const { return folder_list_box_; }
  QCheckBox* CheckBox(const char* name) const;
  QButtonGroup* Group(const char* name) const { return groups_.at(name); }
  QComboBox* DriveComboBox() const { return drive_combo_box_; }
  TColor SlideBackColor() const { return slide_back_color_; }
  TColor RotationBackColor() const { return rotation_back_color_; }

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QComboBox* AddNumberBox(TNumberBox box, const char* name, double value);
  QButtonGroup* AddGroup(const char* name, const std::vector<const char*>& items, int checked,
                         QWidget* parent, class QLayout* layout, const char* title);
  void AddFolder(const std::string& path);
  void ShowFolders(int select);
  void UpdateDependents();
  void ShowColor(QLabel* label, TColor color);
  bool PickColor(TColor& color);
  void WriteBack();

  TSettingFormData data_;
  std::map<TNumberBox, QComboBox*> number_boxes_;
  std::map<TNumberBox, std::string> accepted_;
  std::map<TNumberBox, TNumberBox> next_box_;
  std::map<std::string, QButtonGroup*> groups_;
  std::vector<QCheckBox*> kinds_;
  std::vector<std::string> folders_;
  bool checking_ = false;
  TColor slide_back_color_;
  TColor rotation_back_color_;
  QLabel* slide_back_color_label_ = nullptr;
  QLabel* rotation_back_color_label_ = nullptr;
  QComboBox* drive_combo_box_ = nullptr;
  QListWidget* folder_list_box_ = nullptr;
  QTabWidget* pages_ = nullptr;
};
