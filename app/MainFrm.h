#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "browse/table/PictureTableForm.h"
#include "engine/PictureLoader.h"
#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/PathText.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class QTreeView;
class TCaptureActions;
class TEditCommands;
class TSlideShow;
class TFileBrowser;
class TImageThreadWatcherForm;
class TThumbNailThreadWatcherForm;
class TGridThreadWatcherForm;
class TPictureJobs;
class TReadAhead;
class TPictureView;
class TRightList;
struct TMainParts;

// How the main window is started: the program folder that holds the settings and data files, and
// for tests a fixed screen size and drive list instead of the machine's.
struct TMainFormOptions {
  std::string program_folder;
  int screen_width = 0;  // 0: the primary screen's size
  int screen_height = 0;
  std::vector<std::string> drives;  // empty: the mounted drives
  // A viewer beside the one that owns the program folder: it never writes the settings and lists.
  bool read_only = false;
};

// The main window: owner of every remembered setting and list. It reads the settings file and
// the data files when created and writes them back when it closes.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr const char* kVersionText = "Velmora Version 01.02.02";
  // Ends the caption of a viewer that does not save (TMainFormOptions::read_only).
  static constexpr const char* kNotSavingNote = " （リストと設定は保存されません）";

  explicit TMainForm(TMainFormOptions options, QWidget* parent = nullptr);
  ~TMainForm() override;

  TMainSettings& Settings() { return settings_; }
  const TMainSettings& Settings() const { return settings_; }
  TProgramData& Data() { return data_; }
  const PathText& Paths() const { return paths_; }

  // The hidden store lists behind the visible lists.
  const std::vector<std::string>& FilePathList() const;
  // The right list's lines: cap data lines, or file paths in file-list mode.
  const std::vector<std::string>& DataFilePathList() const;

  // The parts of the window.
  TPictureView& PictureView() const { return *picture_view_; }
  TPictureJobs& Jobs() const { return *picture_jobs_; }
  TRightList& RightList() const { return *right_list_; }
  TFileBrowser& FileBrowser() const { return *file_browser_; }
  TCaptureActions& Capture() const { return *capture_actions_; }
  TEditCommands& EditCommands() const { return *edit_commands_; }
  TSlideShow& SlideShow() const { return *slide_show_; }
  TImageThreadWatcherForm& ImageController() const { return *image_controller_; }
  const TPictureLoader& Loader() const { return loader_; }

  // "velmora PATH": a picture opens its folder and shows it, a folder opens and shows its first
  // picture. False (with a message) for anything else.
  bool OpenArgument(const std::string& path);
  // A later start on the same program folder handed its argument over: the window comes to the
  // front, also from the task bar, and shows path as OpenArgument does (nothing when empty).
  void ShowHandedArgument(const std::string& path);

  // The folder shown in the folder list, and opening another one there.
  std::string CurrentFolder() const;
  bool OpenFolder(const std::string& folder);
  void RebuildFolderMenu();

  bool Starting() const { return starting_; }
  std::string NewDataFileName() const;

  // Commands.
  void ApplicationExitExecute();
  // "一覧表示(&T)" (add false) and "リストに追加(&G)" (add true): the thumbnail table opens with
  // the active list, or the open one takes it.
  void OpenPictureTable(bool add);
  TPictureTableForm* PictureTable() const { return table_; }
  void ViewHelpExecute();
  void aboutVersionExecute();

  QMenu* FolderMenu() const { return folder_menu_; }
  QListWidget* FileNameListBox() const;
  QListWidget* DataFileNameListBox() const;
  QListWidget* TextDataFileNameListBox() const;
  QTreeView* DirectoryListBox1() const;
  QComboBox* DriveComboBox1() const;

 signals:
  // The window agreed to close; the settings and lists are written right after.
  void Closing();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();

  void CreateParts();
  void BuildLayout();
  void BuildActions();
  void PlaceMenus();
  void WireParts();
  void WireReadAhead(TReadAhead& read_ahead);
  void ApplySettingsToWindow();
  void TakeSettingsFromWindow();
  void LoadCapList();
  void LoadFileList();
  void SaveSettingsFile();
  void ShowFileListHints();

  TMainFormOptions options_;
  TSettingsContext context_;
  PathText paths_;
  TProgramData data_;
  TMainSettings settings_;
  TPictureLoader loader_;
  std::unique_ptr<TImageThreadWatcherForm> image_controller_;
  std::unique_ptr<TThumbNailThreadWatcherForm> thumb_controller_;
  std::unique_ptr<TGridThreadWatcherForm> grid_controller_;
  QPointer<TPictureTableForm> table_;
  std::unique_ptr<TMainParts> parts_;  // what the dialog hosts get instead of the window
  TPictureView* picture_view_ = nullptr;
  TPictureJobs* picture_jobs_ = nullptr;
  TRightList* right_list_ = nullptr;
  TFileBrowser* file_browser_ = nullptr;
  TCaptureActions* capture_actions_ = nullptr;
  TEditCommands* edit_commands_ = nullptr;
  TSlideShow* slide_show_ = nullptr;

  bool starting_ = true;
  bool shown_once_ = false;
  bool close_done_ = false;
  int remembered_left_width_ = 120;
  int remembered_right_width_ = 101;

  QSplitter* main_splitter_ = nullptr;
  QSplitter* left_splitter_ = nullptr;
  QWidget* left_panel_ = nullptr;
  QWidget* right_panel_ = nullptr;
  QWidget* button_panel_ = nullptr;
  QMenu* directory_popup_ = nullptr;
  QMenu* folder_menu_ = nullptr;

  QAction* application_exit_ = nullptr;
  QAction* view_help_ = nullptr;
  QAction* about_version_ = nullptr;
  QAction* show_file_path_hint_ = nullptr;
  QAction* stock_file_list_ = nullptr;
  QAction* stock_cap_data_list_ = nullptr;
};
