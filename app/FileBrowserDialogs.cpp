// The file browser's dialogs: opening and saving pictures, and data files (the data file window,
// the data-file list and placing their lines).
#include <QAction>
#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>

#include "app/FileBrowser.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "browse/DataFile.h"
#include "browse/PlayListViewer.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/PictureSave.h"
#include "platform/QtText.h"

// ---------------------------------------------------------------------------------------------
// Opening and saving pictures

std::string TFileBrowser::StartFolder(TDialogFrom from, const std::string& current_folder,
                                      const std::string& remembered) const {
  std::error_code ec;
  if (from == TDialogFrom::kFileList && !CurrentPath().empty())
    return std::filesystem::path(CurrentPath()).parent_path().string();
  if (from == TDialogFrom::kFolder) {
    const std::filesystem::path folder(current_folder);
    // A drive root has no parent of its own.
    return folder.has_relative_path() ? folder.parent_path().string() : current_folder;
  }
  if (!remembered.empty() && std::filesystem::is_directory(remembered, ec)) return remembered;
  return program_folder_;
}

void TFileBrowser::FileOpenExecute(TDialogFrom from, const std::string& current_folder) {
  TFileDialogRequest request;
  request.filter = "ピクチャー(bmp, jpg, jpeg, ico, wmf, emf)|*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf";
  // The other formats open whatever the folder mask holds; the design's filter stays first.
  request.filter += "|ピクチャー(png, gif, tif, tiff, webp)|*.png;*.gif;*.tif;*.tiff;*.webp";
  request.folder = StartFolder(from, current_folder, base_.used_folder);
  request.multiple = true;
  std::vector<std::string> chosen;
  if (!ApU().Dialogs().OpenFiles(request, chosen) || chosen.empty()) {
    ApU().ShowMessage("No Data !", TApU::kCaption);
    return;
  }
  std::sort(chosen.begin(), chosen.end(), LessIgnoringCase);
  if (from != TDialogFrom::kFolder)
    base_.used_folder = std::filesystem::path(chosen.front()).parent_path().string();
  paths_.insert(paths_.end(), chosen.begin(), chosen.end());
  const int row = std::max(CurrentRow(), 0);
  RebuildNames(row);
  ShowEntry(row);
}

void TFileBrowser::FileSaveExecute(TDialogFrom from, const std::string& current_folder) {
  if (!view_.HasPicture()) {
    ApU().ShowMessage("ピクチャーがありません。", TApU::kCaption);
    return;
  }
  const std::string source = view_.ShownPath();
  const std::string source_ext = LowerExtension(source);
  const bool metafile = source_ext == ".wmf" || source_ext == ".emf";
  TFileDialogRequest request;
  request.confirm_overwrite = false;
  std::vector<std::string> extensions;  // of the filters, in their order
  if (metafile) {
    request.filter = source_ext == ".wmf" ? "ピクチャー(*.wmf)|*.wmf|ピクチャー(*.emf)|*.emf"
                                          : "ピクチャー(*.emf)|*.emf|ピクチャー(*.wmf)|*.wmf";
    extensions = {source_ext};
  } else {
    const bool jpeg = source_ext == ".jpg" || source_ext == ".jpeg";
    request.filter = jpeg ? "ピクチャー(*.jpg, *.jpeg)|*.jpg;*.jpeg|ピクチャー(*.bmp)|*.bmp"
                          : "ピクチャー(*.bmp)|*.bmp|ピクチャー(*.jpg, *.jpeg)|*.jpg;*.jpeg";
    request.filter += "|ピクチャー(*.png)|*.png";
    extensions = {jpeg ? ".jpg" : ".bmp"};
  }
  request.folder = StartFolder(from, current_folder, base_.save_folder);
  request.file_name = std::filesystem::path(source).stem().string();
  std::string target;
  if (!ApU().Dialogs().SaveFile(request, target) || target.empty()) return;
  const std::string ext = LowerExtension(target);
  const bool valid = metafile ? ext == ".wmf" || ext == ".emf"
                              : ext == ".bmp" || ext == ".jpg" || ext == ".jpeg" || ext == ".png";
  if (!valid) target += extensions.front();
  std::error_code ec;
  if (std::filesystem::exists(target, ec) &&
      ApU().ShowMessage(std::filesystem::path(target).filename().string() +
                            " は既に存在します。\r\n\r\n上書きしてもよいですか?",
                        TApU::kCaption, mb::kYesNo) != mb::kIdYes)
    return;
  bool saved = false;
  if (metafile) {
    // A metafile is kept as the drawing it is; the other kind would need a conversion we lack.
    saved = LowerExtension(target) == source_ext &&
            (target == source ||
             std::filesystem::copy_file(source, target,
                                        std::filesystem::copy_options::overwrite_existing, ec));
  } else {
    std::string error;
    saved = SavePicture(view_.Working(), target, true, filter_.jpeg_save_quality, nullptr, &error);
  }
  if (!saved) {
    ApU().ShowMessage("ファイルセーブに失敗しました。", TApU::kCaption);
    return;
  }
  if (from != TDialogFrom::kFolder)
    base_.save_folder = std::filesystem::path(target).parent_path().string();
}

// ---------------------------------------------------------------------------------------------
// Data files

bool TFileBrowser::PlaceDataLines(std::vector<std::string> lines, bool add) {
  if (lines.empty()) return false;
  const PathText& paths = path_text_;
  switch (DetectDataType(lines.front(), paths)) {
    case TDataType::kCapData: {
      last_placed_cap_data_ = true;
      if (FileListMode()) {
        right_.SetFiles({});  // the mode is left without a question: the list is replaced
        GetFileListExecute();
      }
      std::vector<std::string> all = add ? right_.CapData().Lines() : std::vector<std::string>();
      all.insert(all.end(), std::make_move_iterator(lines.begin()),
                 std::make_move_iterator(lines.end()));
      std::string message;
      if (!right_.CapData().Assign(std::move(all), &message) && !message.empty())
        ApU().ShowMessage(message, TApU::kCaption);
      right_.Refresh(-1);
      return true;
    }
    case TDataType::kFileData:
      last_placed_cap_data_ = false;
      if (add) {
        AppendFiles(lines);
      } else {
        paths_ = std::move(lines);
        RebuildNames(0);
        ShowEntry(0);
      }
      return true;
    case TDataType::kUnknown:
      break;
  }
  return false;
}

void TFileBrowser::CaptureDataOpenExecute() {
  if (view_.Processing()) return;
  TPlayListViewerForm form(settings_.play_list, path_text_, program_folder_,
                           qobject_cast<QWidget*>(parent()));
  form.SetMode(false);
  form.SetPreview(loader_, settings_.image_view, settings_.base.search_more_drive);
  form.folder_changed = [this](const std::string& folder) { base_.data_folder = folder; };
  form.SetFolder(base_.data_folder.empty() ? program_folder_ : base_.data_folder);
  const int result = form.exec();
  if (result != TPlayListViewerForm::kResultOk && result != TPlayListViewerForm::kResultAdd) return;
  if (!PlaceDataLines(form.Lines(), result == TPlayListViewerForm::kResultAdd))
    ApU().ShowMessage("データファイルリスト以外の文字列です。", TApU::kCaption);
}

void TFileBrowser::CaptureDataSaveExecute() {
  const std::vector<std::string>& right = right_.Lines();
  if (paths_.empty() && right.empty()) {
    ApU().ShowMessage("セーブするデータが見つかりませんでした。", TApU::kCaption);
    return;
  }
  const int answer = ApU().ShowMessage(std::string("データをセーブします。\r\n\r\n") +
                                           kListChoiceLines + "キャンセル  => セーブ中止",
                                       "　データセーブ", mb::kYesNoCancel);
  if (answer != mb::kIdYes && answer != mb::kIdNo) return;
  const bool files = answer == mb::kIdYes;
  const std::vector<std::string>& lines = files ? paths_ : right;
  if (lines.empty()) {
    ApU().ShowMessage(
        files ? "ファイルデータが見つかりませんでした。" : "キャプデータが見つかりませんでした。",
        TApU::kCaption);
    return;
  }
  TPlayListViewerForm form(settings_.play_list, path_text_, program_folder_,
                           qobject_cast<QWidget*>(parent()));
  form.SetMode(true);
  form.folder_changed = [this](const std::string& folder) { base_.data_folder = folder; };
  form.SetFolder(base_.data_folder.empty() ? program_folder_ : base_.data_folder);
  const bool cap = !files && !FileListMode();
  form.SetSaveData(lines, cap ? TDataType::kCapData : TDataType::kFileData, new_data_file_name_);
  if (form.exec() == TPlayListViewerForm::kResultOk) new_data_file_name_ = form.Name();
}

void TFileBrowser::SetShowTextDataPictureExecute() {
  if (!text_names_) return;
  filter_.show_text_data_picture = !filter_.show_text_data_picture;
  actions_["SetShowTextDataPicture"]->setChecked(filter_.show_text_data_picture);
  text_names_->setVisible(filter_.show_text_data_picture);
  if (filter_.show_text_data_picture) ListTextDataFiles(current_folder_, true);
}

void TFileBrowser::SetTextDataFiles(std::vector<std::string> paths) {
  text_paths_ = std::move(paths);
  const QSignalBlocker blocker(text_names_);
  text_names_->setUpdatesEnabled(false);
  text_names_->clear();
  QStringList names;
  for (const std::string& path : text_paths_) names << Q(FileNameOf(path));
  text_names_->addItems(names);
  if (!text_paths_.empty()) text_names_->setCurrentRow(0);
  text_names_->setUpdatesEnabled(true);
}

void TFileBrowser::ListTextDataFiles(const std::string& folder, bool open_first) {
  if (!text_names_) return;
  SetTextDataFiles(ListFolderFiles(folder, "*.txt"));
  if (!text_paths_.empty() && open_first) OpenTextDataFile(0);
}

bool TFileBrowser::OpenTextDataFile(int row) {
  if (row < 0 || row >= static_cast<int>(text_paths_.size())) return false;
  const std::string& path = text_paths_[static_cast<std::size_t>(row)];
  std::vector<std::string> lines;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    ApU().ShowMessage(FileNameOf(path) + "ファイルが見つかりませんでした。", TApU::kCaption);
    return false;
  }
  ReadDataFile(path, program_folder_, path_text_, lines);
  if (PlaceDataLines(std::move(lines), false)) return true;
  view_.ClearPicture(FileNameOf(path) + "[未知のデータ]");
  return false;
}

bool TFileBrowser::OpenNextTextDataFile(bool wrap) {
  if (text_paths_.empty()) return false;
  int row = text_names_->currentRow() + 1;
  if (row >= static_cast<int>(text_paths_.size())) {
    if (!wrap) return false;
    row = 0;
  }
  {
    const QSignalBlocker blocker(text_names_);
    text_names_->setCurrentRow(row);
  }
  OpenTextDataFile(row);
  return true;
}
