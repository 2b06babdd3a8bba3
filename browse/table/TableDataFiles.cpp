// The thumbnail table's data files: opening one into the table and saving the table's items.
#include <QAction>
#include <QListWidget>

#include "browse/DataFile.h"
#include "browse/PlayListViewer.h"
#include "browse/table/PictureTableForm.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"

namespace {

// Paths have their own "/" here: a line's kind is read from its form, not from a "/" in it.
bool IsCapDataLine(const std::string& line, const PathText& paths) {
  return DetectDataType(line, paths) == TDataType::kCapData;
}

}  // namespace

void TPictureTableForm::FileListOpenExecute() {
  if (Busy() || (controller_ && controller_->Busy()) || !context_.main_settings) return;
  TMainSettings& main = *context_.main_settings;
  TPlayListViewerForm form(main.play_list, *context_.paths, context_.program_folder, this);
  form.SetMode(false);
  form.SetPreview(*context_.loader, main.image_view, context_.search_more_drive);
  form.folder_changed = [&main](const std::string& folder) { main.base.data_folder = folder; };
  form.SetFolder(main.base.data_folder.empty() ? context_.program_folder : main.base.data_folder);
  const int result = form.exec();
  if (result != TPlayListViewerForm::kResultOk && result != TPlayListViewerForm::kResultAdd) return;
  std::vector<std::string> lines = form.Lines();
  if (lines.empty()) return;
  const bool cap_data = IsCapDataLine(lines.front(), *context_.paths);
  const bool add = result == TPlayListViewerForm::kResultAdd;
  if (!items_.empty()) {
    // A list of the other kind is refused, except cap data replacing a list of files.
    if (file_data_ && cap_data && add) {
      ApU().ShowMessage("既存のファイルとファイルタイプが違います。", TApU::kCaption);
      return;
    }
    if (!file_data_ && !cap_data) {
      ApU().ShowMessage("既存のファイルとファイルタイプが違います。", TApU::kCaption);
      return;
    }
    if (!file_data_ && add && !IsCapDataLine(items_.front(), *context_.paths)) {
      ApU().ShowMessage("未知のデータファイルです。", TApU::kCaption);
      return;
    }
  }
  new_data_file_name_ = form.Name();
  if (add && !items_.empty()) {
    AppendItems(lines, !cap_data);
    return;
  }
  shown_page_start_ = 0;
  SetItems(std::move(lines), !cap_data);
}

void TPictureTableForm::FileListSaveExecute(bool only_selected) {
  if (Busy() || !context_.main_settings) return;
  std::vector<std::string> lines;
  if (only_selected) {
    for (const int item : SelectedItems()) lines.push_back(items_[static_cast<std::size_t>(item)]);
  } else {
    lines = items_;
  }
  if (lines.empty()) {
    ApU().ShowMessage("セーブするデータが見つかりませんでした。", TApU::kCaption);
    return;
  }
  TMainSettings& main = *context_.main_settings;
  TPlayListViewerForm form(main.play_list, *context_.paths, context_.program_folder, this);
  form.SetMode(true);
  form.folder_changed = [&main](const std::string& folder) { main.base.data_folder = folder; };
  form.SetFolder(main.base.data_folder.empty() ? context_.program_folder : main.base.data_folder);
  form.SetSaveData(std::move(lines), file_data_ ? TDataType::kFileData : TDataType::kCapData,
                   new_data_file_name_);
  if (form.exec() == TPlayListViewerForm::kResultOk) new_data_file_name_ = form.Name();
}
