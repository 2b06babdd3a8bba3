#include "app/FileBrowser.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/PictureView.h"
#include "app/RightList.h"
#include "browse/DataFile.h"
#include "browse/FileSearchAll.h"
#include "browse/PlayListViewer.h"
#include "browse/table/FileExtract.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/PictureSave.h"
#include "platform/QtText.h"
#include "widgets/ListPrompts.h"

namespace {

// Native text of a folder: no trailing separator except for the root itself.
std::string NativeFolder(const PathText& paths, const std::string& folder) {
  const std::string text = paths.FolderText(folder);
  return text.empty() ? "/" : text;
}

}  // namespace

TFileBrowser::TFileBrowser(TPictureView& view, TRightList& right, TMainSettings& settings,
                           const PathText& path_text, std::string program_folder,
                           const TPictureLoader& loader, QObject* parent)
    : QObject(parent),
      view_(view),
      right_(right),
      settings_(settings),
      filter_(settings.file_filter),
      base_(settings.base),
      path_text_(path_text),
      loader_(loader),
      program_folder_(std::move(program_folder)) {
  BuildWidgets();
  connect(names_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ShowEntry(row);
  });
  connect(text_names_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { OpenTextDataFile(text_names_->row(item)); });
  BuildActions();
}

void TFileBrowser::BuildWidgets() {
  drive_combo_box_ = new QComboBox;
  drive_combo_box_->setObjectName("DriveComboBox1");
  directory_list_box_ = new QTreeView;
  directory_list_box_->setObjectName("DirectoryListBox1");
  directory_list_box_->header()->hide();
  directory_list_box_->setContextMenuPolicy(Qt::CustomContextMenu);
  names_ = new QListWidget;
  names_->setObjectName("FileNameListBox");
  text_names_ = new QListWidget;
  text_names_->setObjectName("TextDataFileNameListBox");
  text_names_->setMinimumHeight(30);

  folder_model_ = new QFileSystemModel(this);
  folder_model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folder_model_->setReadOnly(true);
  folder_model_->setRootPath("/");
  directory_list_box_->setModel(folder_model_);
  for (int column = 1; column < folder_model_->columnCount(); ++column)
    directory_list_box_->hideColumn(column);
  for (const std::string& drive : path_text_.Drives())
    drive_combo_box_->addItem(Q(drive.empty() ? "/" : drive), Q(drive));
  connect(folder_model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (!reveal_folder_.empty() && QString::fromStdString(reveal_folder_).startsWith(path))
      RevealFolder();
  });
  // The model sorts what it has read a moment later, which moves the rows again.
  connect(folder_model_, &QAbstractItemModel::layoutChanged, this, [this] {
    if (!reveal_folder_.empty()) RevealFolder();
  });
  connect(drive_combo_box_, &QComboBox::activated, this, &TFileBrowser::DriveChanged);
  connect(directory_list_box_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!current.isValid()) return;
            reveal_folder_.clear();  // the user has taken over
            FolderChosen(S(folder_model_->filePath(current)));
          });
}

// A running search is stopped and waited for before the lists it fills go away.
TFileBrowser::~TFileBrowser() { delete search_; }

QAction* TFileBrowser::MakeAction(const char* name, const char* caption,
                                  void (TFileBrowser::*handler)()) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  if (handler) connect(action, &QAction::triggered, this, handler);
  actions_[name] = action;
  return action;
}

QAction* TFileBrowser::Action(const std::string& name) const {
  const auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

void TFileBrowser::BuildActions() {
  const struct {
    const char* name;
    const char* caption;
    TFileSortKey key;
  } sorts[] = {{"SortByName", "名前順(&N)", TFileSortKey::kName},
               {"SortByPath", "パス順(&P)", TFileSortKey::kPath},
               {"SortByExtName", "種類順(T)", TFileSortKey::kExtName},
               {"SortByFileSize", "サイズ順(&Z)", TFileSortKey::kFileSize},
               {"SortByDate", "日付順(&D)", TFileSortKey::kDate}};
  for (const auto& sort : sorts) {
    const TFileSortKey key = sort.key;
    connect(MakeAction(sort.name, sort.caption, nullptr), &QAction::triggered, this,
            [this, key] { SortExecute(key); });
  }
  MakeAction("SortToUpSideDown", "上下反転(&U)", &TFileBrowser::SortToUpSideDownExecute);
  QAction* mode = MakeAction("GetFileList", "ファイルリスト作成(&L)", nullptr);
  mode->setCheckable(true);
  connect(mode, &QAction::triggered, this, [this, mode] {
    mode->setChecked(filter_.get_file_list);  // the question decides
    GetFileListExecute();
  });
  QAction* divided = MakeAction("GetFileListDivided", "リスト作成時振り分ける(&D)", nullptr);
  divided->setCheckable(true);
  connect(divided, &QAction::toggled, this,
          [this](bool on) { filter_.get_file_list_divided = on; });
  MakeAction("UndoGetFileList", "元の位置に戻す(&U)", &TFileBrowser::UndoGetFileListExecute)
      ->setEnabled(false);
  MakeAction("TransportToFileList", "ファイルリストに転送(&T)",
             &TFileBrowser::TransportToFileListExecute);
  MakeAction("TransportToFileListAdd", "ファイルリストに追加(A)",
             &TFileBrowser::TransportToFileListAddExecute);
  MakeAction("TransportToFileListAddUnit", "ファイルリストに単追加(&O)",
             &TFileBrowser::TransportToFileListAddUnitExecute);
  MakeAction("MoveToFileListAddUnit", "ファイルリストに単移動(&M)",
             &TFileBrowser::MoveToFileListAddUnitExecute);
  MakeAction("NotExistFileDelete", "存在しないファイルの削除(&D)",
             &TFileBrowser::NotExistFileDeleteExecute);
  MakeAction("FileExtract", "抽出(&E)", &TFileBrowser::FileExtractExecute);
  MakeAction("CaptureDataOpen", "データを開く(&O)", &TFileBrowser::CaptureDataOpenExecute)
      ->setShortcut(QKeySequence(Qt::Key_F11));
  MakeAction("CaptureDataSave", "データの保存(&S)", &TFileBrowser::CaptureDataSaveExecute)
      ->setShortcut(QKeySequence(Qt::Key_F12));
  QAction* text_data = MakeAction("SetShowTextDataPicture", "データファイル表示(&D)", nullptr);
  text_data->setCheckable(true);
  connect(text_data, &QAction::triggered, this, [this] { SetShowTextDataPictureExecute(); });

  const struct {
    const char* name;
    const char* caption;
    TDialogFrom from;
    bool open;
  } dialogs[] = {{"FileOpen", "ピクチャーを開く(&O)", TDialogFrom::kMenu, true},
                 {"FileSave", "ピクチャーの保存(&S)", TDialogFrom::kMenu, false},
                 {"FileListFileOpen", "ピクチャーを開く(&O)", TDialogFrom::kFileList, true},
                 {"FileListFileSave", "ピクチャーの保存(&S)", TDialogFrom::kFileList, false},
                 {"FolderFileOpen", "ピクチャーを開く(&O)", TDialogFrom::kFolder, true},
                 {"FolderFileSave", "ピクチャーの保存(&S)", TDialogFrom::kFolder, false}};
  for (const auto& dialog : dialogs) {
    const TDialogFrom from = dialog.from;
    const bool open = dialog.open;
    connect(MakeAction(dialog.name, dialog.caption, nullptr), &QAction::triggered, this,
            [this, from, open] {
              const std::string folder = current_folder_;
              if (open)
                FileOpenExecute(from, folder);
              else
                FileSaveExecute(from, folder);
            });
  }
  actions_["FileOpen"]->setShortcut(QKeySequence(Qt::Key_F9));
  actions_["FileSave"]->setShortcut(QKeySequence(Qt::Key_F10));

  file_popup_ = new QMenu;
  file_popup_->setObjectName("FileListPopupMenu");
  file_popup_->addAction(actions_["GetFileList"]);
  file_popup_->addAction(actions_["GetFileListDivided"]);
  file_popup_->addSeparator();
  for (const char* name : {"SortByName", "SortByPath", "SortByExtName", "SortByFileSize",
                           "SortByDate", "SortToUpSideDown"})
    file_popup_->addAction(actions_[name]);
  file_popup_->addSeparator();
  file_popup_->addAction(actions_["NotExistFileDelete"]);
  file_popup_->addSeparator();
  file_popup_->addAction(actions_["FileListFileOpen"]);
  file_popup_->addAction(actions_["FileListFileSave"]);
  names_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(names_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { file_popup_->popup(names_->viewport()->mapToGlobal(at)); });
  connect(names_, &QObject::destroyed, file_popup_, &QObject::deleteLater);
  for (const char* name : {"FileOpen", "FileSave", "CaptureDataOpen", "CaptureDataSave"})
    names_->addAction(actions_[name]);
  for (const char* name :
       {"TransportToFileList", "TransportToFileListAdd", "TransportToFileListAddUnit",
        "MoveToFileListAddUnit", "UndoGetFileList"})
    actions_[name]->setVisible(false);
}

void TFileBrowser::ListFolder(const std::string& folder) {
  if (filter_.show_text_data_picture && text_names_) {
    // At start the cap data list restored from the last run stays.
    ListTextDataFiles(folder, !(starting && starting()));
    return;
  }
  SetList(ListFolderFiles(folder, FolderFileMask(filter_, settings_.extensions.other_formats)), 0);
}

void TFileBrowser::ClearList() {
  paths_.clear();
  names_->clear();
}

void TFileBrowser::ShowPathHints(bool show) {
  for (int i = 0; i < names_->count() && i < Count(); ++i)
    names_->item(i)->setToolTip(show ? Q(paths_[static_cast<std::size_t>(i)]) : QString());
}

void TFileBrowser::SetList(std::vector<std::string> paths, int row) {
  paths_ = std::move(paths);
  RebuildNames(row);
  ShowEntry(row);
}

TStepResult TFileBrowser::ShowEntry(int row) {
  if (paths_.empty()) {
    view_.ClearPicture();
    return TStepResult::kAtEnd;
  }
  if (row < 0 || row >= static_cast<int>(paths_.size())) return TStepResult::kAtEnd;
  TShownFrom from;
  from.list = TShownFrom::kFileList;
  from.name = std::filesystem::path(paths_[static_cast<std::size_t>(row)]).filename().string();
  from.index = row + 1;
  from.count = static_cast<int>(paths_.size());
  if (view_.Processing()) return TStepResult::kBusy;
  emit EntryShown();
  const std::string& path = paths_[static_cast<std::size_t>(row)];
  if (view_.ShowPictureFile(path, from)) return TStepResult::kShown;
  std::error_code ec;
  return std::filesystem::exists(path, ec) ? TStepResult::kFailed : TStepResult::kMissing;
}

TStepResult TFileBrowser::Select(int row) {
  if (row < 0 || row >= names_->count()) return TStepResult::kAtEnd;
  {
    const QSignalBlocker blocker(names_);
    names_->setCurrentRow(row);
  }
  return ShowEntry(row);
}

void TFileBrowser::RemoveEntry(int row) {
  if (row < 0 || row >= static_cast<int>(paths_.size())) return;
  paths_.erase(paths_.begin() + row);
  {
    const QSignalBlocker blocker(names_);
    delete names_->takeItem(row);
  }
  if (paths_.empty()) {
    view_.ClearPicture();
    return;
  }
  const int next = std::min(row, static_cast<int>(paths_.size()) - 1);
  {
    const QSignalBlocker blocker(names_);
    names_->setCurrentRow(next);
  }
  ShowEntry(next);
}

int TFileBrowser::CurrentRow() const { return names_->currentRow(); }

std::string TFileBrowser::CurrentPath() const {
  const int row = names_->currentRow();
  return row >= 0 && row < static_cast<int>(paths_.size()) ? paths_[static_cast<std::size_t>(row)]
                                                           : std::string();
}

TStepResult TFileBrowser::Step(int delta) {
  if (view_.Processing()) return TStepResult::kBusy;
  return Select(names_->currentRow() + delta);
}

void TFileBrowser::RebuildNames(int select) {
  const QSignalBlocker blocker(names_);
  names_->setUpdatesEnabled(false);
  names_->clear();
  QStringList names;
  names.reserve(static_cast<qsizetype>(paths_.size()));
  for (const std::string& path : paths_) names << Q(FileNameOf(path));
  names_->addItems(names);
  if (filter_.show_file_path_hint)
    for (int i = 0; i < names_->count(); ++i)
      names_->item(i)->setToolTip(Q(paths_[static_cast<std::size_t>(i)]));
  if (select >= 0 && select < names_->count()) names_->setCurrentRow(select);
  names_->setUpdatesEnabled(true);
}

void TFileBrowser::AppendFiles(const std::vector<std::string>& files) {
  if (files.empty()) return;
  const int first = Count();
  paths_.insert(paths_.end(), files.begin(), files.end());
  RebuildNames(first);
  ShowEntry(first);
}

// ---------------------------------------------------------------------------------------------
// The sorts

void TFileBrowser::SortExecute(TFileSortKey key) {
  if (names_->count() != Count()) return;
  // A long sort (size and date read every file) shows "ソート中 " over the folder list.
  QPushButton* sorting = nullptr;
  if (directory_list_box_ && directory_list_box_->parentWidget()) {
    sorting = new QPushButton("ソート中 ", directory_list_box_->parentWidget());
    sorting->setObjectName("SortingButton");
    sorting->setGeometry(directory_list_box_->geometry());
    sorting->show();
    sorting->repaint();
  }
  const std::unique_ptr<QPushButton> sorting_owner(sorting);
  const std::string current = CurrentPath();
  paths_ = Reordered(paths_, FileSortOrder(paths_, key));
  const auto it = std::find(paths_.begin(), paths_.end(), current);
  RebuildNames(it == paths_.end() ? -1 : static_cast<int>(it - paths_.begin()));
  RenumberShown();
}

void TFileBrowser::SortToUpSideDownExecute() {
  if (names_->count() != Count()) return;
  const int row = CurrentRow();
  std::reverse(paths_.begin(), paths_.end());
  RebuildNames(row < 0 ? -1 : Count() - 1 - row);
  RenumberShown();
}

// The shown entry keeps its picture after a sort; the caption's number follows it.
void TFileBrowser::RenumberShown() {
  const int row = CurrentRow();
  if (row >= 0 && paths_[static_cast<std::size_t>(row)] == view_.ShownPath())
    view_.Renumber(TShownFrom::kFileList, row + 1, Count());
}

// ---------------------------------------------------------------------------------------------
// File-list mode

bool TFileBrowser::FileListMode() const { return filter_.get_file_list; }

void TFileBrowser::GetFileListExecute() {
  const bool on = !filter_.get_file_list;
  if (right_.HasEntries()) {
    if (ApU().ShowMessage("キャプチャーリストのデータは全て削除されます。", TApU::kCaption,
                          mb::kYesNo) != mb::kIdYes)
      return;
  }
  undo_index_ = -1;
  right_.SetFileListMode(on);
  ShowListMode();
  right_.Refresh(-1);
  if (on && CurrentRow() >= 0) ShowEntry(CurrentRow());
}

void TFileBrowser::ApplySettings() {
  actions_["SetShowTextDataPicture"]->setChecked(filter_.show_text_data_picture);
  if (text_names_) text_names_->setVisible(filter_.show_text_data_picture);
  actions_["GetFileListDivided"]->setChecked(filter_.get_file_list_divided);
  ShowListMode();
}

void TFileBrowser::ShowListMode() {
  const bool on = filter_.get_file_list;
  actions_["GetFileList"]->setChecked(on);
  for (const char* name :
       {"TransportToFileList", "TransportToFileListAdd", "TransportToFileListAddUnit",
        "MoveToFileListAddUnit", "UndoGetFileList"})
    actions_[name]->setVisible(on);
  actions_["UndoGetFileList"]->setEnabled(on && undo_index_ >= 0);
}

void TFileBrowser::AddCurrentToList() {
  if (!FileListMode()) {
    ApU().ShowMessage("Get_FileList Error", TApU::kCaption);
    return;
  }
  const int row = CurrentRow();
  if (row < 0 || row >= Count()) {
    ApU().ShowMessage("ピクチャーがありませんよ!", TApU::kCaption);
    return;
  }
  right_.AppendFile(paths_[static_cast<std::size_t>(row)]);
  if (!filter_.get_file_list_divided) return;
  undo_index_ = row;
  actions_["UndoGetFileList"]->setEnabled(true);
  paths_.erase(paths_.begin() + row);
  const int next = std::min(row, Count() - 1);
  RebuildNames(next);
  if (next >= 0)
    ShowEntry(next);
  else
    view_.ClearPicture();
}

void TFileBrowser::UndoGetFileListExecute() {
  if (right_.Files().empty() || undo_index_ < 0) return;
  const int at = std::min(undo_index_, Count());
  paths_.insert(paths_.begin() + at, right_.TakeLastFile());
  RebuildNames(at);
  ShowEntry(at);
  undo_index_ = -1;
  actions_["UndoGetFileList"]->setEnabled(false);
}

void TFileBrowser::Transport(bool replace, bool single, bool move) {
  if (!FileListMode()) {
    ApU().ShowMessage("TransportToFileListExecute Error", TApU::kCaption);
    return;
  }
  if (!single) {
    if (replace) {
      paths_ = right_.Files();
      RebuildNames(0);
      ShowEntry(0);
    } else {
      AppendFiles(right_.Files());
    }
    return;
  }
  const int row = right_.Row();
  if (row < 0 || row >= static_cast<int>(right_.Files().size())) {
    ApU().ShowMessage("追加するファイルが選択されていません。", TApU::kCaption);
    return;
  }
  AppendFiles({right_.Files()[static_cast<std::size_t>(row)]});
  if (move) right_.RemoveFile(row);
}

void TFileBrowser::TransportToFileListExecute() { Transport(true, false, false); }
void TFileBrowser::TransportToFileListAddExecute() { Transport(false, false, false); }
void TFileBrowser::TransportToFileListAddUnitExecute() { Transport(false, true, false); }
void TFileBrowser::MoveToFileListAddUnitExecute() { Transport(false, true, true); }

// ---------------------------------------------------------------------------------------------
// Missing files, dropped files, the search

void TFileBrowser::FileExtractExecute() {
  if (paths_.empty()) {
    ApU().ShowMessage("抽出するデータがありませんよ。", TApU::kCaption);
    return;
  }
  try {
    std::vector<std::string> paths = paths_;
    std::vector<std::string> names;
    for (const std::string& path : paths) names.push_back(FileNameOf(path));
    std::vector<bool> selected;
    TFileExtractForm form(settings_.picture_table, paths, names, selected,
                          TFileExtractForm::kDeleteMode, loader_, qobject_cast<QWidget*>(parent()));
    form.exec();
    if (form.Removed().empty()) return;
    paths_ = std::move(paths);
    RebuildNames(paths_.empty() ? -1 : 0);
    ShowEntry(0);
  } catch (...) {
    ApU().ShowMessage("EileExtract1Click Error", TApU::kCaption);
  }
}

void TFileBrowser::NotExistFileDeleteExecute() {
  const bool list_mode = FileListMode();
  if (paths_.empty() && !right_.HasEntries()) {
    ApU().ShowMessage("データが見つかりませんでした。", TApU::kCaption);
    return;
  }
  const int answer = ApU().ShowMessage(std::string("存在しないファイルを削除します。\r\n\r\n") +
                                           kListChoiceLines + "キャンセル  => 操作中止",
                                       "　存在しないファイルの削除", mb::kYesNoCancel);
  const PathText& paths = path_text_;
  std::size_t removed = 0;
  if (answer == mb::kIdYes) {
    removed = RemoveMissingEntries(paths_, false, paths);
    if (removed) {
      RebuildNames(paths_.empty() ? -1 : 0);
      ShowEntry(0);
    }
  } else if (answer == mb::kIdNo) {
    std::vector<std::string> lines = right_.Lines();
    removed = RemoveMissingEntries(lines, !list_mode, paths);
    if (removed && list_mode) {
      right_.SetFiles(std::move(lines));
    } else if (removed) {
      std::string message;
      right_.CapData().Assign(std::move(lines), &message);
      right_.Refresh(-1);
    }
  } else {
    return;
  }
  SayRemovedCount(removed);
}

void TFileBrowser::DropFiles(const std::vector<std::string>& items, std::string* first_folder) {
  if (view_.Processing()) return;
  AppendFiles(CollectDropped(items, kDropMask, first_folder));
}

void TFileBrowser::FileSearchAllExecute(const std::string& root, QWidget& over) {
  // With the data-file list on, the search collects data files into it.
  const bool text_data_mode = filter_.show_text_data_picture && text_names_;
  if (search_) {
    ApU().ShowMessage("検索中", TApU::kCaption);
    return;
  }
  search_ = new TFileSearchAllThread(
      root, text_data_mode ? std::string("*.txt")
                           : FolderFileMask(filter_, settings_.extensions.other_formats));
  if (!search_button_) {
    search_button_ = new QPushButton(&over);
    search_button_->setObjectName("SearchingButton");
    connect(search_button_, &QPushButton::clicked, this, [this] {
      if (search_) search_->Stop();
    });
  }
  search_button_->setGeometry(0, 0, over.width(), 24);
  search_button_->setText("検索中");
  search_button_->show();
  connect(search_, &TFileSearchAllThread::StatusChanged, search_button_, &QPushButton::setText);
  connect(search_, &TFileSearchAllThread::SearchFinished, this, &TFileBrowser::SearchFinished,
          Qt::QueuedConnection);
  search_->start(QThread::NormalPriority);
}

void TFileBrowser::SearchFinished() {
  if (!search_) return;
  search_->wait();
  std::unique_ptr<TFileSearchAllThread> search(search_);
  search_ = nullptr;
  const TSearchResult& result = search->Result();
  if (result.end == TSearchResult::TEnd::kNoRoot) {
    search_button_->hide();
    ApU().ShowMessage("No Exists", TApU::kCaption);
    return;
  }
  if (result.end != TSearchResult::TEnd::kError) {
    search_button_->setText("転送");
    if (filter_.show_text_data_picture && text_names_) {
      SetTextDataFiles(result.files);
    } else {
      paths_ = result.files;
      RebuildNames(paths_.empty() ? -1 : 0);
      if (!paths_.empty()) ShowEntry(0);
    }
  }
  search_button_->hide();
  ApU().ShowMessage(SearchResultMessage(result, TFileSearchAllThread::kLimit), TApU::kCaption);
}

// ---------------------------------------------------------------------------------------------
// Drives and folders

bool TFileBrowser::OpenFolder(const std::string& folder) {
  if (!IsFolder(folder) || !directory_list_box_) return false;
  ShowFolder(folder);
  FolderChosen(current_folder_);
  return true;
}

void TFileBrowser::ShowFolder(const std::string& folder) {
  if (!directory_list_box_) return;
  const std::string native = NativeFolder(path_text_, folder);
  const std::string drive = path_text_.DriveOf(native);
  const int drive_index = drive_combo_box_->findData(Q(drive));
  if (drive_index >= 0) drive_combo_box_->setCurrentIndex(drive_index);
  const QModelIndex root = folder_model_->index(Q(drive.empty() ? "/" : drive));
  directory_list_box_->setRootIndex(root);
  current_folder_ = native;
  reveal_folder_ = native;
  RevealFolder();
}

void TFileBrowser::RevealFolder() {
  // The folder model reads folders in the background: expand what is known now and try again
  // whenever another folder on the way has been read.
  const QModelIndex root = directory_list_box_->rootIndex();
  const QModelIndex index = folder_model_->index(Q(reveal_folder_));
  if (!index.isValid() || index == root) return;
  for (QModelIndex up = index.parent(); up.isValid() && up != root; up = up.parent())
    directory_list_box_->expand(up);
  const QSignalBlocker blocker(directory_list_box_->selectionModel());
  directory_list_box_->setCurrentIndex(index);
  directory_list_box_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TFileBrowser::FolderChosen(const std::string& folder) {
  current_folder_ = NativeFolder(path_text_, folder);
  // The name offered for a new data file follows the folder.
  new_data_file_name_ = NewDataFileNameFor(current_folder_, path_text_);
  ListFolder(current_folder_);
}

void TFileBrowser::DriveChanged(int index) {
  const std::string drive = S(drive_combo_box_->itemData(index).toString());
  OpenFolder(drive.empty() ? "/" : drive);
}
