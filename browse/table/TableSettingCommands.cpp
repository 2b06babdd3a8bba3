// The thumbnail table's settings dialogs and its file extract.
#include <QAction>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "browse/table/FileExtract.h"
#include "browse/table/PictureTableForm.h"
#include "browse/table/TableSettings.h"
#include "model/FileLists.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"

void TPictureTableForm::BaseSettingsExecute() {
  if (Busy() || (controller_ && controller_->Busy()) || !context_.main_settings ||
      !context_.color_records)
    return;
  const TTableSettingResult result =
      TTableSettingForm::Ask(this, {settings_, memory_show_, *context_.color_records,
                                    context_.main_settings->palette.palette_show});
  if (!result.accepted) return;
  slide_timer_->setInterval(std::max(settings_.slide_interval, 1));
  if (memory_show_) {
    memory_timer_->start();
  } else {
    memory_timer_->stop();
    RefreshLabel();
  }
  if (result.layout_changed) {
    ClearCellImages();
    ApplyLayout(false);
  }
}

void TPictureTableForm::SetThumbNailSizeExecute() {
  if (Busy() || (controller_ && controller_->Busy())) return;
  if (!TSetThunbNailForm::Ask(this, settings_)) return;
  store_.ReleaseAll();
  ClearCellImages();
  ApplyLayout(false);
}

void TPictureTableForm::FileExtractExecute() {
  if (Busy() || (controller_ && controller_->Busy())) return;
  if (!file_data_) {
    ApU().ShowMessage("抽出不可", TApU::kCaption);
    return;
  }
  if (items_.empty()) {
    ApU().ShowMessage("抽出するデータがありませんよ。", TApU::kCaption);
    return;
  }
  std::vector<std::string> paths = items_;
  std::vector<std::string> names;
  for (int i = 0; i < names_->count(); ++i) names.push_back(names_->item(i)->text().toStdString());
  std::vector<bool> selected(paths.size(), false);
  for (const int item : SelectedItems()) selected[static_cast<std::size_t>(item)] = true;
  TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                        *context_.loader, this);
  form.exec();
  // Missing files the user let go leave the list with their reference pictures.
  if (!form.Removed().empty()) {
    // One pass, whatever the order of the indices (two runs of the dialog each give theirs).
    const std::vector<std::size_t>& gone = form.Removed();
    std::vector<bool> doomed(items_.size(), false);
    for (const std::size_t index : gone)
      if (index < doomed.size()) doomed[index] = true;
    EraseMarked(items_, doomed);
    store_.Delete(gone);
    RebuildNames();
  }
  {
    // The selection as runs of items, handed over at once.
    const QSignalBlocker blocker(names_);
    QItemSelection selection;
    const int count = std::min(names_->count(), static_cast<int>(selected.size()));
    for (int i = 0; i < count; ++i) {
      if (!selected[static_cast<std::size_t>(i)]) continue;
      int last = i;
      while (last + 1 < count && selected[static_cast<std::size_t>(last + 1)]) ++last;
      selection.select(names_->model()->index(i, 0), names_->model()->index(last, 0));
      i = last;
    }
    names_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
  MarkSelection();
  if (!form.Removed().empty()) {
    ClearCellImages();
    ApplyLayout(false);
  }
}
