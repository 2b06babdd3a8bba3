#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/FileListAccess.h"
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
class TFileSearchAllThread;
class TPictureLoader;
class TPictureView;
class TRightList;
struct TFileFilterSettings;

// The answers of the questions that choose between the left and the right list.
inline constexpr const char* kListChoiceLines =
    "はい   =>　ファイルデータ(左側のリスト)\r\nいいえ =>　キャプデータ(右側のリスト)\r\n";

// What stepping through a list did.
enum class TStepResult { kShown, kMissing, kFailed, kAtEnd, kBusy };

// The left side of the main window: the drive box, the folder list, the file list (visible names
// and hidden full paths, always of equal length) and the data-file list, showing their entries
// in the picture area; and the commands that move files between the file list and the right
// list in file-list mode. It builds its widgets; the window places them.
class TFileBrowser : public QObject, public TFileListAccess {
  Q_OBJECT

 public:
  // program_folder stands in for a remembered folder that is gone.
  TFileBrowser(TPictureView& view, TRightList& right, TMainSettings& settings,
               const PathText& path_text, std::string program_folder, const TPictureLoader& loader,
               QObject* parent = nullptr);
  ~TFileBrowser() override;

  QComboBox* DriveComboBox1() const { return drive_combo_box_; }
  QTreeView* DirectoryListBox1() const { return directory_list_box_; }
  QListWidget* FileNameListBox() const { return names_; }
  QListWidget* TextDataFileNameListBox() const { return text_names_; }
  const std::vector<std::string>& TextDataPaths() const { return text_paths_; }
  // The name offered for a new data file, updated by saves and by opening a folder.
  const std::string& NewDataFileName() const { return new_data_file_name_; }
  void SetNewDataFileName(std::string name) { new_data_file_name_ = std::move(name); }
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
  // Empties the lists; the picture stays.
  void ClearList();
  // Shows or hides the full paths as the names' tool tips.
  void ShowPathHints(bool show);
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
  // Removes the entry at row and shows the one now there (or the new last one).
  void RemoveEntry(int row);
  int CurrentRow() const;
  // TFileListAccess
  bool Empty() const override { return paths_.empty(); }
  void RemoveSelected() override { RemoveEntry(CurrentRow()); }
  void ShowSelected() override { ShowEntry(CurrentRow()); }
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
  // "抽出(&E)": the entries that do not match the criteria leave the file list.
  void FileExtractExecute();
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
  // Opens the data file at row of the data-file list; false when it is missing or holds neither
  // kind of data (the message or the caption says which).
  bool OpenTextDataFile(int row);
  // A slide show over all data files: the next one in the list is opened (after the last, the
  // first when wrap is set). False when there is none to go on to.
  bool OpenNextTextDataFile(bool wrap);
  // Whether the last data lines placed were cap data (else file data).
  bool LastPlacedCapData() const { return last_placed_cap_data_; }
  // Files and folders dropped from the desktop. first_folder receives the first dropped folder,
  // to be opened in the folder list.
  void DropFiles(const std::vector<std::string>& items, std::string* first_folder);
  // Lists every picture under root into the file list (in the background); the button that
  // shows the progress and stops the search lies over the widget over.
  void FileSearchAllExecute(const std::string& root, QWidget& over);
  bool Searching() const { return search_ != nullptr; }

  // True while the main window starts.
  std::function<bool()> starting;

 signals:
  // An entry of the file list was shown: the file list became the active list.
  void EntryShown();

 private:
  void BuildWidgets();
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
  TRightList& right_;
  TMainSettings& settings_;
  TFileFilterSettings& filter_;
  TBaseSettings& base_;
  const PathText& path_text_;
  const TPictureLoader& loader_;
  std::string program_folder_;
  QListWidget* names_ = nullptr;
  std::vector<std::string> paths_;
  std::string StartFolder(TDialogFrom from, const std::string& current_folder,
                          const std::string& remembered) const;

  QComboBox* drive_combo_box_ = nullptr;
  QTreeView* directory_list_box_ = nullptr;
  QFileSystemModel* folder_model_ = nullptr;
  std::string current_folder_;
  std::string reveal_folder_;  // the folder to show in the folder list once it has been read
  std::string new_data_file_name_ = "New01";
  QListWidget* text_names_ = nullptr;
  std::vector<std::string> text_paths_;
  bool last_placed_cap_data_ = false;
  int undo_index_ = -1;  // where the last moved file came from
  std::map<std::string, QAction*> actions_;
  QMenu* file_popup_ = nullptr;
  QPushButton* search_button_ = nullptr;
  TFileSearchAllThread* search_ = nullptr;
};
