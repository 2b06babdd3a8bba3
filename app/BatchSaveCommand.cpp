#include "app/BatchSaveCommand.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "app/CaptureActions.h"
#include "app/FileBrowser.h"
#include "app/MainParts.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "browse/SavePictureList.h"
#include "effects/ImageThreadWatcher.h"
#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/QtFontRasteriser.h"
#include "widgets/ActionSupport.h"

TBatchSaveCommand::TBatchSaveCommand(TMainParts& parts, TImageThreadWatcherForm& controller)
    : QObject(&parts.window),
      parts_(parts),
      controller_(controller),
      runner_([](TSavePictureListForm& dialog) { return dialog.exec(); }) {
  action_ = new QAction("一括リサイズ保存(&T)", &parts.window);
  action_->setObjectName("FileAllReSizeSave");
  parts.window.addAction(action_);
  connect(action_, &QAction::triggered, this, [this] { FileAllReSizeSaveExecute(); });
}

void TBatchSaveCommand::PlaceIn(QMenu* menu) {
  menu->addAction(action_);
  connect(menu, &QMenu::aboutToShow, this,
          [this] { action_->setEnabled(!parts_.view.Processing() && !controller_.Busy()); });
}

void TBatchSaveCommand::FileAllReSizeSaveExecute() {
  if (parts_.view.Processing() || controller_.Busy()) return;
  // The active list is the one the shown picture came from.
  const bool cap_data = parts_.capture.RecordShown();
  const std::vector<std::string>& lines =
      cap_data ? parts_.right_list.CapData().Lines() : parts_.files.Paths();
  if (lines.empty()) {
    ApU().ShowMessage("保存するデータがありません。", cap_data ? "キャプデータ" : "ファイルデータ");
    return;
  }
  if (!controller_.Reserve()) return;
  TMainSettings& settings = parts_.settings;
  try {
    const QAction* no_frame = parts_.capture.Action("CaptureShowNoFrameStandard");
    const bool fit_region = cap_data && no_frame && no_frame->isChecked();
    const TQtFontRasteriser fonts;
    TSavePictureListForm::TContext context;
    context.paths = &parts_.paths;
    context.loader = &parts_.loader;
    context.fonts = &fonts;
    context.program_folder = parts_.data.ProgramFolder();
    context.save_folder = settings.base.save_folder;
    context.color_records = &parts_.data.color_records;
    context.palette_show = &settings.palette.palette_show;
    TSavePictureListForm dialog(std::move(context), &parts_.window);
    dialog.setWindowTitle(!cap_data ? "　ピクチャーの一括保存"
                          : fit_region ? "　キャプデータピクチャー( フレームなし ) の一括保存"
                                       : "　キャプデータピクチャーの一括保存");
    dialog.SetCaller(TSavePictureListForm::TCaller::kMainLists);
    dialog.SetFileData(!cap_data);
    dialog.SetSourceList(lines);
    dialog.SetRendering(settings.effect.rotation, settings.effect.rotation_back_color, fit_region);
    dialog.SetOptions(settings.effect);
    if (runner_(dialog) == TSavePictureListForm::kExitResult) {
      try {
        dialog.TakeOptions(settings.effect);
        settings.base.save_folder = dialog.SaveFolder();
      } catch (...) {
        ApU().ShowMessage("FileAllReSizeSaveExecute Error(1)", TApU::kCaption);
      }
    }
  } catch (...) {
    ApU().ShowMessage("FileAllReSizeSaveExecute Error(2)", TApU::kCaption);
  }
  controller_.Release();
}
