#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "browse/DataFile.h"

class QAction;
class TImageViewBasicForm;
class TPictureLoader;
struct TImageViewBasicSettings;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class PathText;
struct TPlayListViewerSettings;

// The data file dialog: a navigator restricted to *.txt files, the lines of the chosen file with
// its detected type, and the name box. In "Open" mode it returns the chosen file's lines
// (references resolved); in "Save" mode it writes the lines it was given, in reference form when
// that menu item is checked.
class TPlayListViewerForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kResultOk = 1;
  static constexpr int kResultCancel = 2;
  static constexpr int kResultAdd = 6;

  TPlayListViewerForm(TPlayListViewerSettings& settings, const PathText& paths,
                      std::string program_folder, QWidget* parent = nullptr);
  ~TPlayListViewerForm() override;

  // "Open" or "Save": the caption decides the mode.
  void SetMode(bool save);
  bool SaveMode() const { return save_mode_; }
  // The folder of the navigator; every change is reported through folder_changed.
  void SetFolder(const std::string& folder);
  const std::string& Folder() const { return folder_; }
  // Save mode: the lines to save, their type and the default name.
  void SetSaveData(std::vector<std::string> lines, TDataType type, const std::string& name);

  // Clicking a file of the navigator (its name in the current folder).
  void FileClick(const std::string& name);
  void OKButtonClick();
  void AddButtonClick();
  void NotExistFileDeleteExecute();
  void FileSaveExecute();

  // The picture preview through the basic picture view ("表示する").
  void SetPreview(const TPictureLoader& loader, TImageViewBasicSettings& settings,
                  std::string search_more_drive);
  void SetShowPicture(bool on);
  // Shows the line at row in the preview (when it is on and the data is valid).
  void ShowLine(int row);
  TImageViewBasicForm* ImageView() const { return image_view_; }
  // One slide show tick of the preview; false when the show ends.
  bool SlideTick();

  int Result() const { return result_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  TDataType Type() const { return type_; }
  std::string Name() const;
  QAction* Action(const std::string& name) const;
  QLabel* TypeLabel() const { return type_label_; }
  QListWidget* FileListBox() const { return file_list_box_; }

  std::function<void(const std::string&)> folder_changed;

 private:
  void ListFiles();
  void ShowLines();
  bool SaveTo(const std::string& path);
  void Finish(int result);

  TPlayListViewerSettings& settings_;
  const PathText& paths_;
  std::string program_folder_;
  std::string folder_;
  bool save_mode_ = false;
  bool data_valid_ = false;
  TDataType type_ = TDataType::kFileData;
  int result_ = kResultCancel;
  std::vector<std::string> lines_;

  QComboBox* drive_combo_box_ = nullptr;
  QListWidget* directory_list_box_ = nullptr;
  QListWidget* file_list_box_ = nullptr;
  QListWidget* data_list_box_ = nullptr;
  QLabel* type_label_ = nullptr;
  QLineEdit* text_name_edit_ = nullptr;
  QPushButton* ok_button_ = nullptr;
  QPushButton* add_button_ = nullptr;
  QAction* reference_folder_ = nullptr;
  QAction* reference_drive_ = nullptr;
  QAction* not_exist_delete_ = nullptr;
  QAction* file_save_ = nullptr;
  QCheckBox* show_picture_check_box_ = nullptr;
  const TPictureLoader* loader_ = nullptr;
  TImageViewBasicSettings* view_settings_ = nullptr;
  std::string search_more_drive_;
  TImageViewBasicForm* image_view_ = nullptr;
};
