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
#include "app/SettingBase.h"
#include "app/SlideShow.h"
#include "effects/CapDataEditForm.h"
#include "effects/ImageThreadWatcher.h"
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
  if (image_controller_) image_controller_->Shutdown();
}

void TMainForm::FormCreate() {
  starting_ = true;
  // What a write cut short by a kill left behind; a viewer that does not write leaves them.
  if (!options_.read_only) RemoveStaleTemporaries(options_.program_folder);
  AddPlatformDecoders(loader_);
  image_controller_ = std::make_unique<TImageThreadWatcherForm>();
  picture_view_ = new TPictureView(*this, settings_, loader_, *image_controller_, paths_);
  if (options_.read_only) picture_view_->SetCaptionNote(kNotSavingNote);
  picture_view_->SetCaption("Velmora");
  BuildLayout();
  BuildActions();
  file_browser_ = new TFileBrowser(*file_name_list_box_, file_paths_, *picture_view_,
                                   settings_.file_filter, this);
  capture_actions_ = new TCaptureActions(*this, settings_, *picture_view_, *file_browser_,
                                         *data_file_name_list_box_, paths_, loader_);
  file_browser_->shown = [this] { capture_actions_->FileListShown(); };
  capture_actions_->SetEditor([this](std::size_t, std::string& line) {
    TEditedRecord record;
    if (!SplitRecordLine(line, record)) return 0;
    TCapDataEdit editor(record, paths_.FileName(paths_.DecodeRecordPath(record.path_field)), this);
    const int result = editor.exec();
    if (result == TCapDataEdit::kResultReplace || result == TCapDataEdit::kResultAdd)
      line = JoinRecordLine(editor.Record());
    return result;
  });
  file_browser_->other_formats = [this] { return settings_.extensions.other_formats; };
  file_browser_->AttachRightList(*data_file_name_list_box_, data_file_paths_, *capture_actions_,
                                 paths_);
  file_browser_->SetSettings(settings_, options_.program_folder, new_data_file_name_, loader_);
  file_browser_->AttachTextDataList(*text_data_file_name_list_box_, text_data_file_paths_);
  file_browser_->starting = [this] { return starting_; };
  file_browser_->AttachFolderWidgets(*drive_combo_box_, *directory_list_box_);
  setAcceptDrops(true);
  for (const char* name : {"FolderFileOpen", "FolderFileSave", "SetShowTextDataPicture"})
    directory_popup_->addAction(file_browser_->Action(name));
  if (auto* file_menu = findChild<QMenu*>("FileMenu")) {
    QAction* first = file_menu->actions().value(0);
    for (const char* name : {"FileOpen", "FileSave", "CaptureDataOpen", "CaptureDataSave"})
      file_menu->insertAction(first, file_browser_->Action(name));
  }
  button_panel_->layout()->addWidget(capture_actions_->ButtonPanel());
  menuBar()->insertMenu(menuBar()->actions().value(2), capture_actions_->Menu());
  edit_commands_ = new TEditCommands(*this, settings_, *picture_view_, *image_controller_);
  menuBar()->insertMenu(menuBar()->actions().value(3), edit_commands_->Menu());
  TWindowPanels panels;
  panels.main_splitter = main_splitter_;
  panels.left_splitter = left_splitter_;
  panels.file_list = file_name_list_box_;
  panels.cap_list = data_file_name_list_box_;
  panels.right_layout = static_cast<QBoxLayout*>(right_panel_->layout());
  panels.button_layout = static_cast<QBoxLayout*>(button_panel_->layout());
  panels.remembered_left = &remembered_left_width_;
  panels.remembered_right = &remembered_right_width_;
  slide_show_ = new TSlideShow(*this, settings_, *picture_view_, *image_controller_, panels);
  static_cast<QBoxLayout*>(button_panel_->layout())->insertWidget(0, slide_show_->ButtonPanel());
  menuBar()->insertMenu(menuBar()->actions().value(2), slide_show_->Menu());
  // Every command stays reachable from the picture's pop-up menu, the menu bar's own switch too.
  picture_view_->PopupMenu()->addSeparator();
  picture_view_->PopupMenu()->addMenu(slide_show_->DisplayMenu());
  // The active list is the one the shown picture came from.
  slide_show_->step = [this](int delta) {
    return capture_actions_->RecordShown() ? capture_actions_->Step(delta)
                                           : static_cast<int>(file_browser_->Step(delta));
  };
  slide_show_->select = [this](int index) {
    if (capture_actions_->RecordShown()) return capture_actions_->ShowRecord(index) ? 0 : 2;
    return static_cast<int>(file_browser_->Select(index));
  };
  slide_show_->data_files_shown = [this] { return settings_.file_filter.show_text_data_picture; };
  slide_show_->reshow_record = [this] {
    if (capture_actions_->RecordShown())
      capture_actions_->ShowRecord(capture_actions_->ShownRecord());
  };
  parts_ = std::make_unique<TMainParts>(
      TMainParts{*this, settings_, data_, paths_, loader_, *picture_view_, *capture_actions_,
                 *file_browser_, *edit_commands_, *slide_show_, [this] { RebuildFolderMenu(); }});
  new TMainEffectDialogs(*parts_);
  new TReadAhead(*parts_);
  new TSettingBase(*parts_);

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

  new_data_file_name_ = "New01";

  if (IsFolder(settings_.base.now_folder)) OpenFolder(settings_.base.now_folder);
  LoadCapList();
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
  drive_combo_box_ = new QComboBox;
  drive_combo_box_->setObjectName("DriveComboBox1");
  left_layout->addWidget(drive_combo_box_);

  left_splitter_ = new QSplitter(Qt::Vertical);
  left_splitter_->setObjectName("LeftSplitter");
  left_splitter_->setChildrenCollapsible(false);
  directory_list_box_ = new QTreeView;
  directory_list_box_->setObjectName("DirectoryListBox1");
  directory_list_box_->header()->hide();
  directory_list_box_->setContextMenuPolicy(Qt::CustomContextMenu);
  left_splitter_->addWidget(directory_list_box_);

  file_name_list_box_ = new QListWidget;
  file_name_list_box_->setObjectName("FileNameListBox");
  file_name_list_box_->setContextMenuPolicy(Qt::ActionsContextMenu);
  left_splitter_->addWidget(file_name_list_box_);

  text_data_file_name_list_box_ = new QListWidget;
  text_data_file_name_list_box_->setObjectName("TextDataFileNameListBox");
  text_data_file_name_list_box_->setMinimumHeight(30);
  left_splitter_->addWidget(text_data_file_name_list_box_);
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
  button_layout->addWidget(picture_view_->ThreadPanel());
  right_layout->addWidget(button_panel_);
  data_file_name_list_box_ = new QListWidget;
  data_file_name_list_box_->setObjectName("DataFileNameListBox");
  right_layout->addWidget(data_file_name_list_box_, 1);
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
    if (text_data_file_name_list_box_->isVisible())
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

  file_name_list_box_->addAction(show_file_path_hint_);

  directory_popup_ = new QMenu(this);
  directory_popup_->setObjectName("DirectoryPopupMenu");
  folder_menu_ = directory_popup_->addMenu("指定フォルダ(&F)");
  folder_menu_->setObjectName("FolderMenu");
  QAction* search_all = directory_popup_->addAction("全検索(&A)");
  search_all->setObjectName("FileSearchAll");
  connect(search_all, &QAction::triggered, this,
          [this] { file_browser_->FileSearchAllExecute(CurrentFolder(), *directory_list_box_); });
  connect(directory_list_box_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) {
            directory_popup_->popup(directory_list_box_->viewport()->mapToGlobal(at));
          });
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
    if (!text_data_file_name_list_box_->isHidden())
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
    data_file_paths_ = std::move(lines);
    for (const std::string& path : data_file_paths_)
      data_file_name_list_box_->addItem(Q(paths_.FileName(path)));
    return;
  }
  capture_actions_->LoadLines(std::move(lines));
}

const std::vector<std::string>& TMainForm::DataFilePathList() const {
  return file_browser_->RightLines();
}

void TMainForm::LoadFileList() {
  if (!settings_.file_filter.stock_file_list) return;
  std::vector<std::string> lines;
  if (!data_.LoadList(TProgramData::kFileListFile, lines)) {
    // A missing file leaves the remembered folder's pictures; one that failed empties the list.
    if (data_.NotUnderstood(TProgramData::kFileListFile)) {
      file_paths_.clear();
      file_name_list_box_->clear();
    }
    return;
  }
  if (lines.empty()) return;
  file_browser_->SetList(std::move(lines), 0);
  ShowFileListHints();
}

void TMainForm::ShowFileListHints() {
  const bool show = show_file_path_hint_->isChecked();
  for (int i = 0; i < file_name_list_box_->count() && i < static_cast<int>(file_paths_.size()); ++i)
    file_name_list_box_->item(i)->setToolTip(show ? Q(file_paths_[i]) : QString());
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
  slide_show_->Stop();
  picture_view_->Jobs().Stop();
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
    data_.SaveList(TProgramData::kFileListFile, file_paths_);
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
  picture_view_->Jobs().Stop();
  close();
}

bool TMainForm::OpenArgument(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path given = std::filesystem::absolute(path, ec);
  if (!ec && std::filesystem::is_directory(given, ec)) return OpenFolder(given.string());
  if (!ec && std::filesystem::is_regular_file(given, ec)) {
    const std::string file = given.lexically_normal().string();
    OpenFolder(given.parent_path().string());
    const auto it = std::find(file_paths_.begin(), file_paths_.end(), file);
    if (it != file_paths_.end()) {
      file_name_list_box_->setCurrentRow(static_cast<int>(it - file_paths_.begin()));
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
