#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/FileLists.h"

struct TBaseSettings;
struct TMainSettings;
class QAction;
class QComboBox;
class QFileSystemModel;
class QTreeView;
class QListWidget;
class QMenu;
class QPushButton;
class QWidget;
class PathText;
class TCaptureActions;
class TFileSearchAllThread;
class TPictureLoader;
class TPictureView;
struct TFileFilterSettings;

// The answers of the questions that choose between the left and the right list.
inline constexpr const char* kListChoiceLines =
    "はい   =>　ファイルデータ(左側のリスト)\r\nいいえ =>　キャプデータ(右側のリスト)\r\n";

// What stepping through a list did.
enum class TStepResult { kShown, kMissing, kFailed, kAtEnd, kBusy };

// The file list of the main window: the visible names and the hidden full paths, always of equal
// length, and showing their entries in the picture area.
class TFileBrowser : public QObject {
  Q_OBJECT

 public:
  TFileBrowser(QListWidget& names, std::vector<std::string>& paths, TPictureView& view,
               TFileFilterSettings& filter, QObject* parent = nullptr);
  ~TFileBrowser() override;

  // The right list as it is in file-list mode (names and hidden paths) and the capture part that
  // owns it otherwise. Called once, before any command.
  void AttachRightList(QListWidget& names, std::vector<std::string>& paths,
                       TCaptureActions& capture, const PathText& path_text);
  // The remembered open and save folders, and the program folder that stands in for a missing
  // one.
  // new_data_file_name: the name offered for a new data file, updated by saves.
  void SetSettings(TMainSettings& settings, std::string program_folder,
                   std::string& new_data_file_name, const TPictureLoader& loader);
  // The data-file list (names and hidden paths) of the left panel.
  void AttachTextDataList(QListWidget& names, std::vector<std::string>& paths);
  // The drive box and the folder list of the main window (folders only, over the file system).
  void AttachFolderWidgets(QComboBox& drives, QTreeView& folders);
  // The folder shown in the folder list, and opening another one there (its files listed).
  std::string CurrentFolder() const { return current_folder_; }
  bool OpenFolder(const std::string& folder);
  // Shows folder in the folder list without listing its files.
  void ShowFolder(const std::string& folder);
  QAction* Action(const std::string& name) const;
  // The file list's pop-up menu.
  QMenu* FileListPopup() const { return file_popup_; }

  // Fills both lists with the folder's pictures and shows the first.
  void ListFolder(const std::string& folder);
  // Replaces the lists and shows the entry at row (none when out of range).
  void SetList(std::vector<std::string> paths, int row);
  // Shows the entry at row; an empty list clears the picture.
  TStepResult ShowEntry(int row);
  // Back (-1) and next (+1) in the list.
  TStepResult Step(int delta);
  // Selects and shows row (the first entry after a slide show's end).
  TStepResult Select(int row);
  int Count() const { return static_cast<int>(paths_.size()); }
  const std::vector<std::string>& Paths() const { return paths_; }
  // The right list's lines (file paths in file-list mode, cap data lines otherwise) and the row
  // selected in it.
  const std::vector<std::string>& RightLines() const;
  int RightRow() const;
  // Removes the entry at row and shows the one now there (or the new last one).
  void RemoveEntry(int row);
  int CurrentRow() const;
  bool Empty() const { return paths_.empty(); }
  std::string CurrentPath() const;
  // Appends paths to the file list and shows the first appended entry.
  void AppendFiles(const std::vector<std::string>& files);

  // Commands.
  void SortExecute(TFileSortKey key);
  void SortToUpSideDownExecute();
  void GetFileListExecute();
  // Shows the stored list modes (file-list mode, the data-file list) in the actions and lists.
  void ApplySettings();
  bool FileListMode() const;
  // Capture in file-list mode: the current file joins the right list (moved with dividing on).
  void AddCurrentToList();
  void UndoGetFileListExecute();
  void TransportToFileListExecute();
  void TransportToFileListAddExecute();
  void TransportToFileListAddUnitExecute();
  void MoveToFileListAddUnitExecute();
  void NotExistFileDeleteExecute();
  // Where an open or save command was given: the menu, the file list's or the folder list's
  // pop-up menu (the dialog's first folder and the remembered folder depend on it).
  enum class TDialogFrom { kMenu, kFileList, kFolder };
  void FileOpenExecute(TDialogFrom from, const std::string& current_folder);
  void FileSaveExecute(TDialogFrom from, const std::string& current_folder);
  // Data files: lines read from one are placed by their first line (file data into the file
  // list, cap data into the cap data list), replacing the list or appended when add is set.
  // False for lines of neither kind.
  bool PlaceDataLines(std::vector<std::string> lines, bool add);
  void CaptureDataOpenExecute();
  void CaptureDataSaveExecute();
  void SetShowTextDataPictureExecute();
  // Lists the folder's data files in the data-file list and opens the first when asked.
  void ListTextDataFiles(const std::string& folder, bool open_first);
  void OpenTextDataFile(int row);
  // Files and folders dropped from the desktop. first_folder receives the first dropped folder,
  // to be opened in the folder list.
  void DropFiles(const std::vector<std::string>& items, std::string* first_folder);
  // Lists every picture under root into the file list (in the background); the button that
  // shows the progress and stops the search lies over the widget over.
  void FileSearchAllExecute(const std::string& root, QWidget& over);
  bool Searching() const { return search_ != nullptr; }
  // Refills the right list from its paths (file-list mode) in one update.
  void RefreshRightList(int select);

  // Called whenever an entry of the file list is shown: the file list became the active list.
  std::function<void()> shown;
  // True when the other picture formats join the folder's file mask.
  std::function<bool()> other_formats;
  // True while the main window starts.
  std::function<bool()> starting;

 private:
  QListWidget& names_;
  std::vector<std::string>& paths_;
  void BuildActions();
  // Replaces the data-file list (names and paths) in one update, the first entry selected.
  void SetTextDataFiles(std::vector<std::string> paths);
  void DriveChanged(int index);
  void FolderChosen(const std::string& folder);
  void RevealFolder();
  QAction* MakeAction(const char* name, const char* caption, void (TFileBrowser::*handler)());
  void RebuildNames(int select);
  void ShowListMode();
  void RenumberShown();
  void Transport(bool replace, bool single, bool move);
  void SearchFinished();

  TPictureView& view_;
  TFileFilterSettings& filter_;
  QListWidget* right_names_ = nullptr;
  std::vector<std::string>* right_paths_ = nullptr;
  TCaptureActions* capture_ = nullptr;
  const PathText* path_text_ = nullptr;
  std::string StartFolder(TDialogFrom from, const std::string& current_folder,
                          const std::string& remembered) const;

  QComboBox* drive_combo_box_ = nullptr;
  QTreeView* directory_list_box_ = nullptr;
  QFileSystemModel* folder_model_ = nullptr;
  std::string current_folder_;
  std::string reveal_folder_;  // the folder to show in the folder list once it has been read
  TMainSettings* settings_ = nullptr;
  const TPictureLoader* loader_ = nullptr;
  TBaseSettings* base_ = nullptr;
  std::string* new_data_file_name_ = nullptr;
  QListWidget* text_names_ = nullptr;
  std::vector<std::string>* text_paths_ = nullptr;
  std::string program_folder_;
  int undo_index_ = -1;  // where the last moved file came from
  std::map<std::string, QAction*> actions_;
  QMenu* file_popup_ = nullptr;
  QPushButton* search_button_ = nullptr;
  TFileSearchAllThread* search_ = nullptr;
};
