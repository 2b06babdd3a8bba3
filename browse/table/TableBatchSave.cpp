// The thumbnail table's batch saves: the selected items' reference pictures, or the selected
// pictures shown on the page, through the batch save dialog.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>

#include "browse/SavePictureList.h"
#include "browse/table/PictureTableForm.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/QtFontRasteriser.h"

void TPictureTableForm::SaveSelectedExecute(bool shown_pictures) {
  if (!context_.main_settings) return;
  if (Busy() || (controller_ && controller_->Busy())) return;
  if (SlideRunning()) {
    ApU().ShowMessage("スライドショー中は不可。", TApU::kCaption);
    return;
  }
  const char* error = shown_pictures ? "SaveSelectedImagePicture1Click Error"
                                     : "SaveSelectedThumbNailPicture1Click Error";
  // The items to save: their source paths and their indexes.
  std::vector<std::string> lines;
  std::vector<int> indexes;
  if (shown_pictures) {
    for (const TCell& cell : cells_) {
      if (cell.item < 0 || cell.shown.Empty()) continue;
      const QListWidgetItem* line = names_->item(cell.item);
      if (!line || !line->isSelected()) continue;
      lines.push_back(store_[static_cast<std::size_t>(cell.item)].source_path);
      indexes.push_back(cell.item);
    }
  } else {
    for (const int item : SelectedItems()) {
      const TThumbNailData& record = store_[static_cast<std::size_t>(item)];
      if (!record.has_picture) continue;
      lines.push_back(record.source_path);
      indexes.push_back(item);
    }
  }
  if (lines.empty()) {
    ApU().ShowMessage("選択データが見つかりませんでした。", TApU::kCaption);
    return;
  }
  if (controller_ && !controller_->Reserve()) return;
  TMainSettings& main = *context_.main_settings;
  try {
    const TQtFontRasteriser fonts;
    TSavePictureListForm::TContext context;
    context.paths = context_.paths;
    context.loader = context_.loader;
    context.fonts = &fonts;
    context.program_folder = context_.program_folder;
    context.save_folder = main.base.save_folder;
    context.color_records = context_.color_records;
    context.palette_show = &main.palette.palette_show;
    TSavePictureListForm dialog(std::move(context), this);
    dialog.setWindowTitle(shown_pictures ? "  選択画像(表示)の保存" : "  選択画像(参照)の保存");
    dialog.SetCaller(shown_pictures ? TSavePictureListForm::TCaller::kShownPictures
                                    : TSavePictureListForm::TCaller::kHeldThumbnails);
    dialog.SetFileData(file_data_);
    dialog.SetSourceList(lines, indexes);
    // The dialog's run asks for pictures on its own thread while this one waits in the dialog:
    // it reads copies made now.
    std::map<int, TBitmap24> pictures;
    for (const int item : indexes) {
      if (shown_pictures) {
        for (const TCell& cell : cells_)
          if (cell.item == item) pictures[item] = cell.shown;
      } else {
        pictures[item] = store_[static_cast<std::size_t>(item)].bitmap;
      }
    }
    dialog.SetHeldPictures([&pictures](std::size_t index, TBitmap24& picture) {
      const auto it = pictures.find(static_cast<int>(index));
      if (it == pictures.end() || it->second.Empty()) return false;
      picture = it->second;
      return true;
    });
    dialog.SetOptions(main.effect);
    for (const char* group : {"PictureSizeGroupBox", "WithBackColorGroupBox", "ResizeGroupBox"})
      dialog.Group(group)->setEnabled(false);
    dialog.CheckBox("CanZoomCheckBox")->setEnabled(false);
    dialog.CheckBox("EdgeSurroundPictureCheckBox")->setChecked(true);
    dialog.CheckBox("EdgeSurroundPictureCheckBox")->setEnabled(false);
    if (save_dialog_runner(dialog) == TSavePictureListForm::kExitResult) {
      try {
        // Only what the table's saves use goes back to the settings.
        TEffectSettings taken = main.effect;
        dialog.TakeOptions(taken);
        TEffectSettings& kept = main.effect;
        kept.with_edge = taken.with_edge;
        kept.edge_size = taken.edge_size;
        kept.edge_color = taken.edge_color;
        kept.resize_save_method = taken.resize_save_method;
        kept.jpeg_save_quality = taken.jpeg_save_quality;
        kept.not_change_ext_name = taken.not_change_ext_name;
        main.base.save_folder = dialog.SaveFolder();
      } catch (...) {
        ApU().ShowMessage(std::string(error) + "(1)", TApU::kCaption);
      }
    }
  } catch (...) {
    ApU().ShowMessage(std::string(error) + "(2)", TApU::kCaption);
  }
  if (controller_) controller_->Release();
  EnableCommands();
}
