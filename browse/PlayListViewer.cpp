#include "browse/PlayListViewer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "effects/ImageViewBasic.h"
#include "engine/FileNames.h"
#include "model/FileLists.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtText.h"
#include "widgets/FormPlacement.h"
#include "widgets/ListPrompts.h"

TPlayListViewerForm::TPlayListViewerForm(TPlayListViewerSettings& settings, const PathText& paths,
                                         std::string program_folder, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      paths_(paths),
      program_folder_(std::move(program_folder)) {
  setObjectName("PlayListViewerForm");
  setWindowTitle("PlayListViewer");
  setMinimumWidth(200);
  auto* layout = new QVBoxLayout(this);
  auto* menu_bar = new QMenuBar;
  layout->setMenuBar(menu_bar);
  QMenu* menu = menu_bar->addMenu("ファイル(&F)");
  reference_folder_ = menu->addAction("参照形で保存(&O)");
  reference_folder_->setObjectName("FileSaveReferenceFileFolder1");
  reference_folder_->setCheckable(true);
  reference_folder_->setChecked(settings_.file_save_reference_file_folder);
  reference_drive_ = menu->addAction("ドライブ名のみ参照(&D)");
  reference_drive_->setObjectName("FileSaveReferenceOnlyDrive1");
  reference_drive_->setCheckable(true);
  reference_drive_->setChecked(settings_.file_save_reference_only_drive);
  menu->addSeparator();
  not_exist_delete_ = menu->addAction("存在しないファイルの削除(&D)");
  not_exist_delete_->setObjectName("NotExistFileDelete1");
  connect(not_exist_delete_, &QAction::triggered, this,
          &TPlayListViewerForm::NotExistFileDeleteExecute);
  file_save_ = menu->addAction("データファイルの保存(&S)");
  file_save_->setObjectName("FileSave1");
  connect(file_save_, &QAction::triggered, this, &TPlayListViewerForm::FileSaveExecute);

  drive_combo_box_ = new QComboBox;
  drive_combo_box_->setObjectName("DriveComboBox");
  for (const std::string& drive : paths_.Drives())
    drive_combo_box_->addItem(Q(drive.empty() ? "/" : drive), Q(drive.empty() ? "/" : drive));
  connect(drive_combo_box_, &QComboBox::activated, this,
          [this](int index) { SetFolder(S(drive_combo_box_->itemData(index).toString())); });
  layout->addWidget(drive_combo_box_);

  auto* splitter = new QSplitter(Qt::Vertical);
  auto* navigator = new QSplitter(Qt::Horizontal);
  directory_list_box_ = new QListWidget;
  directory_list_box_->setObjectName("DirectoryListBox");
  connect(directory_list_box_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    const std::string name = S(item->text());
    const std::filesystem::path here(folder_.empty() ? "/" : folder_);
    SetFolder(name == ".." ? here.parent_path().string() : (here / name).string());
  });
  file_list_box_ = new QListWidget;
  file_list_box_->setObjectName("FileListBox");
  connect(file_list_box_, &QListWidget::currentTextChanged, this,
          [this](const QString& name) { FileClick(S(name)); });
  navigator->addWidget(directory_list_box_);
  navigator->addWidget(file_list_box_);
  navigator->setSizes({settings_.file_list_box_width, settings_.file_list_box_width});
  splitter->addWidget(navigator);
  auto* preview = new QWidget;
  auto* preview_layout = new QVBoxLayout(preview);
  preview_layout->setContentsMargins(0, 0, 0, 0);
  auto* type_row = new QHBoxLayout;
  type_label_ = new QLabel(Q(DataTypeLabel(TDataType::kUnknown)));
  type_label_->setObjectName("TypeLabel");
  type_row->addWidget(type_label_, 1);
  show_picture_check_box_ = new QCheckBox("表示する");
  show_picture_check_box_->setObjectName("ShowPictureCheckBox");
  show_picture_check_box_->setEnabled(false);
  connect(show_picture_check_box_, &QCheckBox::toggled, this,
          [this](bool on) { SetShowPicture(on); });
  type_row->addWidget(show_picture_check_box_);
  preview_layout->addLayout(type_row);
  data_list_box_ = new QListWidget;
  data_list_box_->setObjectName("DataListBox");
  data_list_box_->setMinimumHeight(120);
  connect(data_list_box_, &QListWidget::currentRowChanged, this,
          [this](int row) { ShowLine(row); });
  preview_layout->addWidget(data_list_box_);
  splitter->addWidget(preview);
  splitter->setSizes({settings_.file_navigator_height, std::max(120, settings_.height / 2)});
  layout->addWidget(splitter, 1);

  text_name_edit_ = new QLineEdit;
  text_name_edit_->setObjectName("TextNameEdit");
  layout->addWidget(text_name_edit_);
  auto* buttons = new QHBoxLayout;
  ok_button_ = new QPushButton("OK");
  ok_button_->setObjectName("OKButton");
  add_button_ = new QPushButton("Add");
  add_button_->setObjectName("AddButton");
  auto* cancel = new QPushButton("Cancel");
  connect(ok_button_, &QPushButton::clicked, this, &TPlayListViewerForm::OKButtonClick);
  connect(add_button_, &QPushButton::clicked, this, &TPlayListViewerForm::AddButtonClick);
  connect(cancel, &QPushButton::clicked, this, [this] { Finish(kResultCancel); });
  buttons->addWidget(ok_button_);
  buttons->addWidget(add_button_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  const QRect screen = FormScreenArea(*this);
  const TFormBounds bounds = PlayListViewerBounds(settings_, screen.width(), screen.height());
  resize(bounds.width, bounds.height);
  move(screen.x() + bounds.left, screen.y() + bounds.top);
}

TPlayListViewerForm::~TPlayListViewerForm() {
  delete image_view_;
  const QRect screen = FormScreenArea(*this);
  settings_.left = x() - screen.x();
  settings_.top = y() - screen.y();
  settings_.width = width();
  settings_.height = height();
  settings_.file_save_reference_file_folder = reference_folder_->isChecked();
  settings_.file_save_reference_only_drive = reference_drive_->isChecked();
}

QAction* TPlayListViewerForm::Action(const std::string& name) const {
  for (QAction* action : {reference_folder_, reference_drive_, not_exist_delete_, file_save_})
    if (S(action->objectName()) == name) return action;
  return nullptr;
}

void TPlayListViewerForm::SetMode(bool save) {
  save_mode_ = save;
  setWindowTitle(save ? "Save" : "Open");
  add_button_->setVisible(!save);
  if (!save) {
    data_list_box_->clear();
    lines_.clear();
  }
}

void TPlayListViewerForm::SetFolder(const std::string& folder) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder.empty() ? "/" : folder, ec)) return;
  folder_ = paths_.FolderText(folder);
  const int drive = drive_combo_box_->findData(
      Q(paths_.DriveOf(folder_).empty() ? std::string("/") : paths_.DriveOf(folder_)));
  if (drive >= 0) drive_combo_box_->setCurrentIndex(drive);
  ListFiles();
  if (folder_changed) folder_changed(folder_.empty() ? "/" : folder_);
}

void TPlayListViewerForm::ListFiles() {
  const std::string folder = folder_.empty() ? "/" : folder_;
  std::vector<std::string> folders;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code type_ec;
    if (it->is_directory(type_ec)) folders.push_back(it->path().filename().string());
  }
  std::sort(folders.begin(), folders.end(), LessIgnoringCase);
  const QSignalBlocker block_dirs(directory_list_box_);
  const QSignalBlocker block_files(file_list_box_);
  directory_list_box_->clear();
  if (!folder_.empty()) directory_list_box_->addItem("..");
  for (const std::string& name : folders) directory_list_box_->addItem(Q(name));
  file_list_box_->clear();
  for (const std::string& path : ListFolderFiles(folder, "*.txt"))
    file_list_box_->addItem(Q(paths_.FileName(path)));
}

void TPlayListViewerForm::SetSaveData(std::vector<std::string> lines, TDataType type,
                                      const std::string& name) {
  lines_ = std::move(lines);
  type_ = type;
  type_label_->setText(Q(DataTypeLabel(type)));
  text_name_edit_->setText(Q(name));
  ShowLines();
}

void TPlayListViewerForm::ShowLines() {
  data_list_box_->setUpdatesEnabled(false);
  data_list_box_->clear();
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(lines_.size()));
  for (const std::string& line : lines_) texts << Q(line);
  data_list_box_->addItems(texts);
  data_list_box_->setUpdatesEnabled(true);
}

std::string TPlayListViewerForm::Name() const {
  return std::filesystem::path(S(text_name_edit_->text())).stem().string();
}

void TPlayListViewerForm::FileClick(const std::string& name) {
  if (name.empty()) return;
  if (save_mode_) {
    text_name_edit_->setText(Q(name));
    data_valid_ = true;
    return;
  }
  data_valid_ = false;
  lines_.clear();
  type_ = TDataType::kUnknown;
  type_label_->setText(Q(DataTypeLabel(type_)));
  if (LowerExtension(name) != ".txt") {
    text_name_edit_->clear();
    ShowLines();
    return;
  }
  text_name_edit_->setText(Q(name));
  std::vector<std::string> lines;
  ReadDataFile(paths_.Join(folder_, name), program_folder_, paths_, lines);
  lines_ = std::move(lines);
  ShowLines();
  if (lines_.empty()) return;
  type_ = DetectDataType(lines_.front(), paths_);
  type_label_->setText(Q(DataTypeLabel(type_)));
  data_valid_ = type_ != TDataType::kUnknown;
  if (data_valid_ && image_view_) {
    const QSignalBlocker blocker(data_list_box_);
    data_list_box_->setCurrentRow(0);
    ShowLine(0);
  }
}

void TPlayListViewerForm::Finish(int result) {
  result_ = result;
  done(result);
}

bool TPlayListViewerForm::SaveTo(const std::string& path) {
  std::string error;
  if (!WriteDataFile(path, lines_, reference_folder_->isChecked(), reference_drive_->isChecked(),
                     paths_, &error)) {
    ApU().ShowMessage("DataFile_Save Error(1)", TApU::kCaption);
    return false;
  }
  return true;
}

void TPlayListViewerForm::OKButtonClick() {
  if (!save_mode_) {
    if (text_name_edit_->text().trimmed().isEmpty()) {
      ApU().ShowMessage("データファイルが選択されていません。", TApU::kCaption);
      Finish(kResultCancel);
    } else if (!data_valid_) {
      ApU().ShowMessage("未知のデータファイルです。", TApU::kCaption);
      Finish(kResultCancel);
    } else {
      Finish(kResultOk);
    }
    return;
  }
  std::string name;
  switch (CheckDataFileName(S(text_name_edit_->text()), name)) {
    case TDataNameCheck::kEmpty:
      ApU().ShowMessage("ファイル名が指定されていません。", TApU::kCaption);
      text_name_edit_->setFocus();
      return;
    case TDataNameCheck::kBadCharacter:
      ApU().ShowMessage("ファイル名には次の文字は使えません。\r\n\r\n  \\ / : . ; * ? \" < > |",
                        TApU::kCaption);
      text_name_edit_->setFocus();
      return;
    case TDataNameCheck::kOk:
      break;
  }
  text_name_edit_->setText(Q(name));
  if (lines_.empty()) {
    ApU().ShowMessage("データがありません!!", TApU::kCaption);
    return;
  }
  const std::string path = paths_.Join(folder_.empty() ? "/" : folder_, name + ".txt");
  std::error_code ec;
  if (std::filesystem::exists(path, ec) &&
      ApU().ShowMessage("'" + name + ".txt' は既に存在します。\r\n\r\n上書きしますか？", "Save",
                        mb::kYesNo) != mb::kIdYes)
    return;
  SaveTo(path);
  Finish(kResultOk);
}

void TPlayListViewerForm::AddButtonClick() {
  if (save_mode_) return;
  if (text_name_edit_->text().trimmed().isEmpty()) {
    ApU().ShowMessage("データファイルが選択されていません。", TApU::kCaption);
    Finish(kResultCancel);
  } else if (!data_valid_) {
    ApU().ShowMessage("未知のデータファイルです。", TApU::kCaption);
    Finish(kResultCancel);
  } else {
    Finish(kResultAdd);
  }
}

void TPlayListViewerForm::NotExistFileDeleteExecute() {
  if (lines_.empty()) {
    ApU().ShowMessage("データがありませんよ。", TApU::kCaption);
    return;
  }
  if (ApU().ShowMessage("存在しないファイルを削除します。", TApU::kCaption, mb::kYesNo) !=
      mb::kIdYes)
    return;
  const bool cap = DetectDataType(lines_.front(), paths_) == TDataType::kCapData;
  const std::size_t removed = RemoveMissingEntries(lines_, cap, paths_);
  ShowLines();
  SayRemovedCount(removed);
}

void TPlayListViewerForm::FileSaveExecute() {
  TFileDialogRequest request;
  request.filter = "テキストファイル(*.txt)|*.txt";
  request.folder = folder_.empty() ? "/" : folder_;
  request.file_name = S(text_name_edit_->text());
  std::string path;
  if (!ApU().Dialogs().SaveFile(request, path) || path.empty()) return;
  if (!SaveTo(path)) return;
  SetFolder(std::filesystem::path(path).parent_path().string());
  const auto found = file_list_box_->findItems(Q(paths_.FileName(path)), Qt::MatchExactly);
  if (!found.isEmpty()) {
    const QSignalBlocker blocker(file_list_box_);
    file_list_box_->setCurrentItem(found.front());
  }
}

void TPlayListViewerForm::SetPreview(const TPictureLoader& loader,
                                     TImageViewBasicSettings& settings,
                                     std::string search_more_drive) {
  loader_ = &loader;
  view_settings_ = &settings;
  search_more_drive_ = std::move(search_more_drive);
  show_picture_check_box_->setEnabled(true);
}

void TPlayListViewerForm::SetShowPicture(bool on) {
  if (show_picture_check_box_->isChecked() != on) {
    show_picture_check_box_->setChecked(on);  // comes back here through toggled
    return;
  }
  if (!on) {
    delete image_view_;
    image_view_ = nullptr;
    return;
  }
  if (image_view_ || !loader_) return;
  image_view_ =
      new TImageViewBasicForm(*view_settings_, *loader_, paths_, search_more_drive_, this);
  image_view_->step = [this](int delta) {
    const int count = data_list_box_->count();
    if (count == 0) return;
    int row = data_list_box_->currentRow() + delta;
    if (row < 0) row = count - 1;
    if (row >= count) row = 0;
    data_list_box_->setCurrentRow(row);
  };
  image_view_->slide_tick = [this] { return SlideTick(); };
  // Released after its close event has returned.
  image_view_->close_request = [this] {
    QMetaObject::invokeMethod(
        this, [this] { SetShowPicture(false); }, Qt::QueuedConnection);
  };
  image_view_->show();
  if (data_list_box_->count() > 0) ShowLine(std::max(data_list_box_->currentRow(), 0));
}

void TPlayListViewerForm::ShowLine(int row) {
  if (!image_view_ || !data_valid_ || row < 0 || row >= static_cast<int>(lines_.size())) return;
  const std::string& line = lines_[static_cast<std::size_t>(row)];
  std::vector<std::string> fields;
  if (type_ == TDataType::kCapData) {
    for (std::size_t start = 0;;) {
      const std::size_t end = line.find('/', start);
      fields.push_back(line.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    if (fields.size() < 5 || fields.size() > 11) {
      image_view_->SetItem({});
      image_view_->ShowItem();
      return;
    }
    fields.resize(5);
    fields[0] = paths_.DecodeRecordPath(fields[0]);
  } else {
    fields = {line};
  }
  image_view_->SetItem(std::move(fields));
  if (!image_view_->ShowItem() &&
      image_view_->windowTitle() == QString("ファイルが見つかりません。"))
    type_label_->setText(Q(DataTypeLabel(TDataType::kUnknown)));
}

bool TPlayListViewerForm::SlideTick() {
  const int count = data_list_box_->count();
  if (count == 0) return false;
  const int row = data_list_box_->currentRow();
  if (row < count - 1) {
    data_list_box_->setCurrentRow(row + 1);
    return true;
  }
  const bool repeat = image_view_ && image_view_->Action("SlideRepeat1")->isChecked();
  if (image_view_ && image_view_->Action("SlideShowAll1")->isChecked()) {
    const int files = file_list_box_->count();
    if (files == 0) return false;
    int next = file_list_box_->currentRow() + 1;
    if (next >= files) {
      if (!repeat) return false;
      next = 0;
    }
    file_list_box_->setCurrentRow(next);  // the viewer loads it
    if (data_list_box_->count() > 0) data_list_box_->setCurrentRow(0);
    return true;
  }
  data_list_box_->setCurrentRow(0);
  return repeat;
}
