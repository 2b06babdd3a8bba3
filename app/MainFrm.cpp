#include "app/MainFrm.h"

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "app/BatchSaveCommand.h"
#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/FileBrowser.h"
#include "app/FolderMenu.h"
#include "app/InitialSet.h"
#include "app/MainParts.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/ReadAhead.h"
#include "app/RightList.h"
#include "app/SettingBase.h"
#include "app/SlideShow.h"
#include "browse/table/PictureTableForm.h"
#include "effects/CapDataEditForm.h"
#include "effects/GridThreadWatcher.h"
#include "effects/ImageThreadWatcher.h"
#include "effects/ThumbNailThreadWatcher.h"
#include "engine/FileAccess.h"
#include "engine/FileNames.h"
#include "engine/ImageUtils.h"
#include "platform/AppUtils.h"
#include "platform/IniFile.h"
#include "platform/PictureDecoders.h"
#include "platform/QtText.h"
#include "widgets/MainImage.h"

namespace {

TSettingsContext MakeContext(const TMainFormOptions& options) {
  TSettingsContext context;
  context.program_folder = options.program_folder;
  context.screen_width = options.screen_width;
  context.screen_height = options.screen_height;
  if (context.screen_width <= 0 || context.screen_height <= 0)
    PrimaryScreenSize(context.screen_width, context.screen_height);
  return context;
}

}  // namespace

// The help pages are compiled into the UI library, which is static: register them explicitly.
static void InitHelpResources() { Q_INIT_RESOURCE(velmora); }

TMainForm::TMainForm(TMainFormOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      context_(MakeContext(options_)),
      paths_(options_.drives.empty() ? PathText::Native()
                                     : PathText(TPathStyle::Posix, options_.drives)),
      data_(options_.program_folder) {
  InitHelpResources();
  setObjectName("MainForm");
  data_.SetReadOnly(options_.read_only);
  FormCreate();
}

// The worker reads the window's pictures: it is stopped before they go.
TMainForm::~TMainForm() {
  delete table_;
  if (thumb_controller_) thumb_controller_->Shutdown();
  if (grid_controller_) grid_controller_->Shutdown();
  if (image_controller_) image_controller_->Shutdown();
}

void TMainForm::FormCreate() {
  starting_ = true;
  // What a write cut short by a kill left behind; a viewer that does not write leaves them.
  if (!options_.read_only) RemoveStaleTemporaries(options_.program_folder);
  AddPlatformDecoders(loader_);
  CreateParts();
  BuildLayout();
  BuildActions();
  TWindowPanels panels;
  panels.main_splitter = main_splitter_;
  panels.left_splitter = left_splitter_;
  panels.file_list = file_browser_->FileNameListBox();
  panels.cap_list = right_list_->Widget();
  panels.right_layout = static_cast<QBoxLayout*>(right_panel_->layout());
  panels.button_layout = static_cast<QBoxLayout*>(button_panel_->layout());
  panels.thread_panel = picture_jobs_->ThreadPanel();
  panels.remembered_left = &remembered_left_width_;
  panels.remembered_right = &remembered_right_width_;
  slide_show_ = new TSlideShow(*this, settings_, *picture_view_, *image_controller_, panels);
  PlaceMenus();
  WireParts();
  setAcceptDrops(true);
  parts_ = std::make_unique<TMainParts>(
      TMainParts{*this, settings_, data_, paths_, loader_, *picture_view_, *picture_jobs_,
                 *right_list_, *capture_actions_, *file_browser_, *edit_commands_, *slide_show_,
                 [this] { RebuildFolderMenu(); }});
  new TMainEffectDialogs(*parts_);
  WireReadAhead(*new TReadAhead(*parts_));
  new TSettingBase(*parts_);
  (new TBatchSaveCommand(*parts_, *image_controller_))->PlaceIn(edit_commands_->Menu());

  data_.LoadRecords();

  TIniFile ini;
  data_.LoadSettings(ini);  // what cannot be read takes the defaults; the user is told
  settings_ = DefaultSettings(context_);
  ReadSettings(ini, settings_);
  NormalizeSettings(settings_, context_, paths_);
  if (!data_.SettingsFileFound()) {
    const TFormBounds first = FirstStartBounds(context_.screen_width, context_.screen_height);
    settings_.form.left = first.left;
    settings_.form.top = first.top;
    settings_.form.width = first.width;
    settings_.form.height = first.height;
  }
  TImU::SetLargePictures(settings_.extensions.large_pictures);
  ApplySettingsToWindow();

  remembered_left_width_ = std::max(settings_.panel.left_width, 80);
  remembered_right_width_ = std::max(settings_.panel.right_width, 101);

  data_.LoadFolders();
  RebuildFolderMenu();

  if (IsFolder(settings_.base.now_folder)) OpenFolder(settings_.base.now_folder);
  LoadCapList();
}

void TMainForm::CreateParts() {
  image_controller_ = std::make_unique<TImageThreadWatcherForm>();
  thumb_controller_ = std::make_unique<TThumbNailThreadWatcherForm>();
  grid_controller_ = std::make_unique<TGridThreadWatcherForm>();
  picture_view_ = new TPictureView(*this, settings_, loader_, *image_controller_, paths_);
  if (options_.read_only) picture_view_->SetCaptionNote(kNotSavingNote);
  picture_view_->SetCaption("Velmora");
  picture_jobs_ = new TPictureJobs(*picture_view_, settings_, *image_controller_, this);
  right_list_ = new TRightList(settings_.file_filter, paths_, this);
  file_browser_ = new TFileBrowser(*picture_view_, *right_list_, settings_, paths_,
                                   options_.program_folder, loader_, this);
  capture_actions_ = new TCaptureActions(*this, settings_, *picture_view_, *file_browser_,
                                         *right_list_, paths_, loader_);
  edit_commands_ =
      new TEditCommands(*this, settings_, *picture_view_, *picture_jobs_, *image_controller_);
}

void TMainForm::BuildLayout() {
  main_splitter_ = new QSplitter(Qt::Horizontal, this);
  main_splitter_->setObjectName("MainSplitter");
  main_splitter_->setChildrenCollapsible(false);
  setCentralWidget(main_splitter_);

  left_panel_ = new QWidget;
  left_panel_->setObjectName("LeftPanel");
  auto* left_layout = new QVBoxLayout(left_panel_);
  left_layout->setContentsMargins(0, 0, 0, 0);
  left_layout->setSpacing(2);
  left_layout->addWidget(file_browser_->DriveComboBox1());

  left_splitter_ = new QSplitter(Qt::Vertical);
  left_splitter_->setObjectName("LeftSplitter");
  left_splitter_->setChildrenCollapsible(false);
  left_splitter_->addWidget(file_browser_->DirectoryListBox1());
  left_splitter_->addWidget(file_browser_->FileNameListBox());
  left_splitter_->addWidget(file_browser_->TextDataFileNameListBox());
  left_splitter_->setStretchFactor(1, 1);
  left_layout->addWidget(left_splitter_, 1);
  main_splitter_->addWidget(left_panel_);

  main_splitter_->addWidget(picture_view_->MainPanel());

  right_panel_ = new QWidget;
  right_panel_->setObjectName("RightPanel");
  auto* right_layout = new QVBoxLayout(right_panel_);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->setSpacing(2);
  button_panel_ = new QWidget;
  button_panel_->setObjectName("ButtonPanel");
  auto* button_layout = new QVBoxLayout(button_panel_);
  button_layout->setContentsMargins(2, 2, 2, 2);
  button_layout->addWidget(picture_view_->ZoomPanel());
  button_layout->addWidget(picture_jobs_->ThreadPanel());
  button_layout->addWidget(capture_actions_->ButtonPanel());
  right_layout->addWidget(button_panel_);
  right_layout->addWidget(right_list_->Widget(), 1);
  main_splitter_->addWidget(right_panel_);
  main_splitter_->setStretchFactor(1, 1);

  // The user's splitter moves are what the settings remember; a collapsed panel (under 10
  // pixels) keeps the width to restore.
  connect(main_splitter_, &QSplitter::splitterMoved, this, [this] {
    const QList<int> sizes = main_splitter_->sizes();
    if (sizes[0] >= 10) remembered_left_width_ = std::max(sizes[0], 79);
    if (sizes[2] >= 10) remembered_right_width_ = std::max(sizes[2], 101);
  });
  connect(left_splitter_, &QSplitter::splitterMoved, this, [this] {
    const QList<int> sizes = left_splitter_->sizes();
    settings_.panel.dir_height = sizes[0];
    if (file_browser_->TextDataFileNameListBox()->isVisible())
      settings_.panel.text_data_list_box_height = std::max(sizes[2], 30);
  });
}

void TMainForm::BuildActions() {
  application_exit_ = new QAction("終了(&X)", this);
  application_exit_->setObjectName("ApplicationExit");
  connect(application_exit_, &QAction::triggered, this, &TMainForm::ApplicationExitExecute);

  view_help_ = new QAction("ヘルプの表示(&H)", this);
  view_help_->setObjectName("ViewHelp");
  view_help_->setShortcut(QKeySequence(Qt::Key_F1 | Qt::ShiftModifier));
  connect(view_help_, &QAction::triggered, this, &TMainForm::ViewHelpExecute);

  about_version_ = new QAction("バージョン情報(&A)", this);
  about_version_->setObjectName("aboutVersion");
  connect(about_version_, &QAction::triggered, this, &TMainForm::aboutVersionExecute);

  auto toggle = [this](const char* name, const char* caption) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setCheckable(true);
    return action;
  };
  show_file_path_hint_ = toggle("ShowFilePathHint", "パスを表示する(&P)");
  connect(show_file_path_hint_, &QAction::toggled, this, [this](bool on) {
    settings_.file_filter.show_file_path_hint = on;
    ShowFileListHints();
  });
  stock_file_list_ = toggle("StockFileList", "ファイルリストの保存(&F)");
  stock_cap_data_list_ = toggle("StockCapDataList", "キャプデータリストの保存(&C)");

  QMenu* file_menu = menuBar()->addMenu("ファイル(&F)");
  file_menu->setObjectName("FileMenu");
  file_menu->addAction(show_file_path_hint_);
  file_menu->addAction(stock_file_list_);
  file_menu->addAction(stock_cap_data_list_);
  file_menu->addSeparator();
  file_menu->addAction(application_exit_);
  menuBar()->addMenu(picture_view_->ViewMenu());
  QMenu* help_menu = menuBar()->addMenu("ヘルプ(&H)");
  help_menu->setObjectName("HelpMenu");
  help_menu->addAction(view_help_);
  help_menu->addAction(about_version_);

  file_browser_->FileNameListBox()->addAction(show_file_path_hint_);

  directory_popup_ = new QMenu(this);
  directory_popup_->setObjectName("DirectoryPopupMenu");
  folder_menu_ = directory_popup_->addMenu("指定フォルダ(&F)");
  folder_menu_->setObjectName("FolderMenu");
  QAction* search_all = directory_popup_->addAction("全検索(&A)");
  search_all->setObjectName("FileSearchAll");
  connect(search_all, &QAction::triggered, this,
          [this] { file_browser_->FileSearchAllExecute(CurrentFolder(), *DirectoryListBox1()); });
  connect(DirectoryListBox1(), &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) {
            directory_popup_->popup(DirectoryListBox1()->viewport()->mapToGlobal(at));
          });
}

void TMainForm::PlaceMenus() {
  for (const char* name : {"FolderFileOpen", "FolderFileSave", "SetShowTextDataPicture"})
    directory_popup_->addAction(file_browser_->Action(name));
  if (auto* file_menu = findChild<QMenu*>("FileMenu")) {
    QAction* first = file_menu->actions().value(0);
    for (const char* name : {"FileOpen", "FileSave", "CaptureDataOpen", "CaptureDataSave"})
      file_menu->insertAction(first, file_browser_->Action(name));
  }
  // The right list's pop-up menu: capture's commands, then moving files in file-list mode.
  QMenu* list_popup = capture_actions_->ListPopup();
  list_popup->addSeparator();
  for (const char* name :
       {"TransportToFileList", "TransportToFileListAdd", "TransportToFileListAddUnit",
        "MoveToFileListAddUnit", "UndoGetFileList", "NotExistFileDelete"})
    list_popup->addAction(file_browser_->Action(name));
  menuBar()->insertMenu(menuBar()->actions().value(2), capture_actions_->Menu());
  menuBar()->insertMenu(menuBar()->actions().value(3), edit_commands_->Menu());
  edit_commands_->Menu()->addAction(file_browser_->Action("FileExtract"));
  static_cast<QBoxLayout*>(button_panel_->layout())->insertWidget(0, slide_show_->ButtonPanel());
  menuBar()->insertMenu(menuBar()->actions().value(2), slide_show_->Menu());
  // Every command stays reachable from the picture's pop-up menu, the menu bar's own switch too.
  picture_view_->PopupMenu()->addSeparator();
  picture_view_->PopupMenu()->addMenu(slide_show_->DisplayMenu());
}

// Every connection between the parts of the window is made here.
void TMainForm::WireParts() {
  TPictureView* view = picture_view_;
  TSlideShow* slide = slide_show_;
  TCaptureActions* capture = capture_actions_;
  TFileBrowser* files = file_browser_;
  view->SetJobs(*picture_jobs_);

  // Gestures on the picture.
  connect(view, &TPictureView::StepListRequested, slide,
          [slide](int delta) { delta < 0 ? slide->FileBackExecute() : slide->FileNextExecute(); });
  connect(view, &TPictureView::TogglePanelRequested, slide, &TSlideShow::TogglePanel);
  connect(view, &TPictureView::FullScreenToggleRequested, slide,
          &TSlideShow::ViewFullScreenExecute);
  connect(view, &TPictureView::SlideShowToggleRequested, slide, &TSlideShow::PictureSlideExecute);
  connect(view, &TPictureView::PictureStopped, slide, &TSlideShow::Stop);
  connect(view, &TPictureView::FrameAreaChanged, capture, &TCaptureActions::FrameAreaChanged);
  view->slide_place = [slide](int& left, int& top) { return slide->SlidePlace(left, top); };

  // The job list and the slide show.
  picture_jobs_->slide_show_running = [slide] { return slide->Running(); };
  picture_jobs_->stop_slide_show = [slide] { slide->Stop(); };

  // The file list, the right list and capture.
  connect(files, &TFileBrowser::EntryShown, capture, &TCaptureActions::FileListShown);
  connect(right_list_, &TRightList::ModeChanged, capture, &TCaptureActions::SetFileListMode);
  connect(capture, &TCaptureActions::FileListModeToggleRequested, files,
          &TFileBrowser::GetFileListExecute);
  connect(capture, &TCaptureActions::AddFileToListRequested, files,
          &TFileBrowser::AddCurrentToList);
  files->starting = [this] { return starting_; };
  capture->SetEditor([this](std::size_t, std::string& line) {
    TEditedRecord record;
    if (!SplitRecordLine(line, record)) return 0;
    TCapDataEdit editor(record, paths_.FileName(paths_.DecodeRecordPath(record.path_field)), this);
    const int result = editor.exec();
    if (result == TCapDataEdit::kResultReplace || result == TCapDataEdit::kResultAdd)
      line = JoinRecordLine(editor.Record());
    return result;
  });

  // The slide show steps through the list the shown picture came from.
  slide->step = [capture, files](int delta) {
    return capture->RecordShown() ? capture->Step(delta) : static_cast<int>(files->Step(delta));
  };
  slide->select = [capture, files](int index) {
    if (capture->RecordShown()) return capture->ShowRecord(index) ? 0 : 2;
    return static_cast<int>(files->Select(index));
  };
  slide->data_files_shown = [this] { return settings_.file_filter.show_text_data_picture; };
  slide->next_data_file = [capture, files](bool wrap) {
    if (!files->OpenNextTextDataFile(wrap)) return false;
    if (files->LastPlacedCapData()) capture->ShowRecord(0);
    return true;
  };
  slide->reshow_record = [capture] {
    if (capture->RecordShown()) capture->ShowRecord(capture->ShownRecord());
  };

  // The thumbnail table.
  edit_commands_->RegisterTable([this](bool add) { OpenPictureTable(add); },
                                [this] { return !thumb_controller_->Busy(); });
}

// Read-ahead hands prepared pictures, cuts and steps to the parts that would make them.
void TMainForm::WireReadAhead(TReadAhead& read_ahead) {
  TReadAhead* ahead = &read_ahead;
  picture_view_->SetReadAhead(ahead);
  picture_jobs_->prepared_step = [ahead](TPictureJobs::TEffect effect, const std::string& parameter,
                                         bool into_stock, bool from_reference) {
    return ahead->RunPreparedStep(effect, parameter, into_stock, from_reference);
  };
  capture_actions_->take_prepared_cut = [ahead](const TCapData& record, TBitmap24& cut) {
    return ahead->TakeRecordCut(record, cut);
  };
  slide_show_->next_on_its_way = [ahead] { return ahead->NextSlideOnItsWay(); };
}

void TMainForm::OpenPictureTable(bool add) {
  try {
    // The active list is the one the shown picture came from.
    const bool cap_data = capture_actions_->RecordShown();
    const std::vector<std::string>& lines =
        cap_data ? right_list_->CapData().Lines() : FilePathList();
    if (!table_) {
      if (lines.empty()) {
        ApU().ShowMessage("データがありませんよ !!", TApU::kCaption);
        return;
      }
      TPictureTableForm::TContext context;
      context.settings = &settings_.picture_table;
      context.main_settings = &settings_;
      context.paths = &paths_;
      context.loader = &loader_;
      context.search_more_drive = settings_.base.search_more_drive;
      context.program_folder = options_.program_folder;
      context.screen_width = context_.screen_width;
      context.screen_height = context_.screen_height;
      context.rgb_records = &data_.rgb_records;
      context.filter_records = &data_.filter_records;
      context.color_records = &data_.color_records;
      context.save_name = [this] { return NewDataFileName(); };
      context.set_save_name = [this](const std::string& name) {
        file_browser_->SetNewDataFileName(name);
      };
      table_ = new TPictureTableForm(std::move(context), this);
      table_->SetNewDataFileName(NewDataFileName());
      table_->SetController(thumb_controller_.get());
      table_->SetGridController(grid_controller_.get());
      // The table's list comes back into the list of its kind.
      table_->transfer = [this](const std::vector<std::string>& items, bool, bool append) {
        file_browser_->PlaceDataLines(items, append);
      };
      table_->SetItems(lines, !cap_data);
      table_->show();
      return;
    }
    if (!add) {
      table_->SetItems(lines, !cap_data);
    } else if (!table_->AppendItems(lines, !cap_data)) {
      ApU().ShowMessage("既存のファイルとファイルタイプが違います。", TApU::kCaption);
      return;
    }
    table_->raise();
    table_->activateWindow();
  } catch (...) {
    ApU().ShowMessage("呼び出しに失敗しました。", TApU::kCaption);
    delete table_;
  }
}

void TMainForm::ApplySettingsToWindow() {
  const TFormSettings& form = settings_.form;
  setGeometry(form.left, form.top, form.width, form.height);
  main_splitter_->setSizes(
      {settings_.panel.left_width,
       std::max(1, form.width - settings_.panel.left_width - settings_.panel.right_width),
       settings_.panel.right_width});
  left_splitter_->setSizes({settings_.panel.dir_height, std::max(1, form.height),
                            std::max(settings_.panel.text_data_list_box_height, 30)});
  if (settings_.base.set_menu) menuBar()->hide();
  show_file_path_hint_->setChecked(settings_.file_filter.show_file_path_hint);
  stock_file_list_->setChecked(settings_.file_filter.stock_file_list);
  stock_cap_data_list_->setChecked(settings_.file_filter.stock_cap_data_list);
  picture_view_->ApplySettings();
  capture_actions_->ApplySettings();
  file_browser_->ApplySettings();
  slide_show_->ApplySettings();
}

void TMainForm::TakeSettingsFromWindow() {
  TFormSettings& form = settings_.form;
  form.maximized = isMaximized();
  const QRect bounds = form.maximized ? normalGeometry() : geometry();
  form.left = bounds.left();
  form.top = bounds.top();
  form.width = bounds.width();
  form.height = bounds.height();
  settings_.panel.left_width = remembered_left_width_;
  settings_.panel.right_width = remembered_right_width_;
  if (shown_once_) {  // the splitter's heights are real only once it was laid out
    const QList<int> heights = left_splitter_->sizes();
    settings_.panel.dir_height = heights[0];
    if (!file_browser_->TextDataFileNameListBox()->isHidden())
      settings_.panel.text_data_list_box_height = std::max(heights[2], 30);
  }
  settings_.file_filter.show_file_path_hint = show_file_path_hint_->isChecked();
  settings_.file_filter.stock_file_list = stock_file_list_->isChecked();
  settings_.file_filter.stock_cap_data_list = stock_cap_data_list_->isChecked();
  settings_.base.set_menu = menuBar()->isHidden();
  picture_view_->TakeSettings();
  capture_actions_->TakeSettings();
  slide_show_->TakeSettings();
  const std::string folder = CurrentFolder();
  if (!folder.empty()) settings_.base.now_folder = folder;
}

void TMainForm::LoadCapList() {
  if (!settings_.file_filter.stock_cap_data_list) return;
  std::vector<std::string> lines;
  if (!data_.LoadList(TProgramData::kCapListFile, lines) || lines.empty()) return;
  if (settings_.file_filter.get_file_list) {
    // The right list held plain file paths when the program last closed.
    right_list_->SetFiles(std::move(lines));
    return;
  }
  capture_actions_->LoadLines(std::move(lines));
}

const std::vector<std::string>& TMainForm::FilePathList() const { return file_browser_->Paths(); }

const std::vector<std::string>& TMainForm::DataFilePathList() const { return right_list_->Lines(); }

QListWidget* TMainForm::FileNameListBox() const { return file_browser_->FileNameListBox(); }
QListWidget* TMainForm::DataFileNameListBox() const { return right_list_->Widget(); }
QListWidget* TMainForm::TextDataFileNameListBox() const {
  return file_browser_->TextDataFileNameListBox();
}
QTreeView* TMainForm::DirectoryListBox1() const { return file_browser_->DirectoryListBox1(); }
QComboBox* TMainForm::DriveComboBox1() const { return file_browser_->DriveComboBox1(); }
std::string TMainForm::NewDataFileName() const { return file_browser_->NewDataFileName(); }

void TMainForm::LoadFileList() {
  if (!settings_.file_filter.stock_file_list) return;
  std::vector<std::string> lines;
  if (!data_.LoadList(TProgramData::kFileListFile, lines)) {
    // A missing file leaves the remembered folder's pictures; one that failed empties the list.
    if (data_.NotUnderstood(TProgramData::kFileListFile)) {
      file_browser_->ClearList();
    }
    return;
  }
  if (lines.empty()) return;
  file_browser_->SetList(std::move(lines), 0);
  ShowFileListHints();
}

void TMainForm::ShowFileListHints() {
  file_browser_->ShowPathHints(show_file_path_hint_->isChecked());
}

std::string TMainForm::CurrentFolder() const { return file_browser_->CurrentFolder(); }

bool TMainForm::OpenFolder(const std::string& folder) { return file_browser_->OpenFolder(folder); }

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  std::vector<std::string> items;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) items.push_back(S(url.toLocalFile()));
  std::string first_folder;
  file_browser_->DropFiles(items, &first_folder);
  // The folder list follows the first dropped folder; the file list keeps the dropped files.
  if (!first_folder.empty()) file_browser_->ShowFolder(first_folder);
  event->acceptProposedAction();
}

void TMainForm::RebuildFolderMenu() {
  folder_menu_->clear();
  const std::vector<TFolderMenuItem> items = BuildFolderMenu(data_.folders, paths_, IsFolder);
  for (const TFolderMenuItem& item : items) {
    QAction* action = folder_menu_->addAction(Q(item.caption));
    const std::string path = item.path;
    connect(action, &QAction::triggered, this, [this, path] {
      if (!OpenFolder(path)) ApU().ShowMessage("フォルダ設定エラー(例外1)。", TApU::kCaption);
    });
  }
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_once_) {
    shown_once_ = true;
    FormShow();
  }
}

void TMainForm::FormShow() {
  if (settings_.form.maximized) showMaximized();
  LoadFileList();
  starting_ = false;
}

bool TMainForm::FormCloseQuery() {
  // An open table closes first; it refuses while it works.
  if (table_ && !table_->close()) return false;
  slide_show_->Stop();
  picture_jobs_->Stop();
  // A running worker is only asked to stop; the next close request closes the window.
  if (image_controller_->Busy()) {
    image_controller_->AbortThread();
    return false;
  }
  if (slide_show_->FullScreenOn()) slide_show_->ViewFullScreenExecute();
  starting_ = true;  // from here on nothing reacts to list selections
  return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (close_done_) {
    event->accept();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  close_done_ = true;
  event->accept();
}

void TMainForm::FormClose() {
  emit Closing();
  edit_commands_->CloseDialogs();  // their records go to the lists written below
  TakeSettingsFromWindow();
  data_.SaveRecordsAndFolders();
  if (settings_.file_filter.stock_file_list)
    data_.SaveList(TProgramData::kFileListFile, FilePathList());
  if (settings_.file_filter.stock_cap_data_list)
    data_.SaveList(TProgramData::kCapListFile, DataFilePathList());
  SaveSettingsFile();
}

void TMainForm::SaveSettingsFile() {
  data_.SaveSettings(settings_);  // shows the designed message when it fails
}

void TMainForm::ApplicationExitExecute() {
  slide_show_->Stop();
  if (image_controller_->Busy()) {
    image_controller_->AbortThread();
    return;
  }
  picture_jobs_->Stop();
  close();
}

bool TMainForm::OpenArgument(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path given = std::filesystem::absolute(path, ec);
  if (!ec && std::filesystem::is_directory(given, ec)) return OpenFolder(given.string());
  if (!ec && std::filesystem::is_regular_file(given, ec)) {
    const std::string file = given.lexically_normal().string();
    OpenFolder(given.parent_path().string());
    const std::vector<std::string>& files = FilePathList();
    const auto it = std::find(files.begin(), files.end(), file);
    if (it != files.end()) {
      FileNameListBox()->setCurrentRow(static_cast<int>(it - files.begin()));
    } else {
      // A picture the folder mask does not list is shown on its own.
      file_browser_->SetList({file}, 0);
    }
    return true;
  }
  ApU().ShowMessage(path + "ファイルが見つかりませんでした。", TApU::kCaption);
  return false;
}

void TMainForm::ShowHandedArgument(const std::string& path) {
  // Out of the task bar first, so that a message about the path shows over the window.
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  if (!path.empty()) OpenArgument(path);
}

void TMainForm::ViewHelpExecute() {
  auto* help = new QDialog(this);
  help->setObjectName("HelpWindow");
  help->setAttribute(Qt::WA_DeleteOnClose);
  help->setWindowTitle("Velmora ヘルプ");
  auto* layout = new QVBoxLayout(help);
  auto* browser = new QTextBrowser;
  browser->setObjectName("HelpBrowser");
  browser->setSource(QUrl("qrc:/help/index.html"));
  layout->addWidget(browser);
  help->resize(640, 560);
  help->show();
}

void TMainForm::aboutVersionExecute() { ApU().ShowMessage(kVersionText, "  Velmora", mb::kOk); }
