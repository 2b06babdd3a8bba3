#include "app/SettingBase.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "app/FileBrowser.h"
#include "app/MainParts.h"
#include "app/PictureView.h"
#include "app/SettigFrm.h"
#include "app/SlideShow.h"
#include "browse/FullScreen.h"
#include "engine/ImageUtils.h"
#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/PathText.h"

TSettingBase::TSettingBase(const TMainParts& parts) : QObject(&parts.window), parts_(parts) {
  action_ = new QAction("基本設定(&B)", &parts.window);
  action_->setObjectName("SettingBase");
  connect(action_, &QAction::triggered, this, [this] { SettingBaseExecute(); });
  if (auto* menu = parts.window.findChild<QMenu*>("FileMenu")) {
    QAction* before = nullptr;
    for (QAction* action : menu->actions())
      if (action->isSeparator()) before = action;
    menu->insertAction(before, action_);
  }
}

void TSettingBase::SettingBaseExecute() {
  TSettingFormData data;
  data.settings = parts_.settings;
  data.settings.base.real_zoom_control = parts_.view.Geometry().real_control;
  data.folders = parts_.data.folders;
  data.color_records = parts_.data.color_records;
  data.drives = parts_.paths.Drives();
  data.program_folder = parts_.data.ProgramFolder();
  TSettingForm dialog(&parts_.window, std::move(data));
  const bool ok = dialog.exec() == QDialog::Accepted;
  // The colour records edited on the way are kept even when the dialog is cancelled.
  parts_.data.color_records = dialog.Data().color_records;
  parts_.settings.palette.palette_show = dialog.Data().settings.palette.palette_show;
  if (ok) Apply(dialog.Data());
}

void TSettingBase::Apply(const TSettingFormData& data) {
  TMainSettings& s = parts_.settings;
  const TMainSettings& d = data.settings;
  const bool margins = s.panel.image_panel_left != d.panel.image_panel_left ||
                       s.panel.image_panel_top != d.panel.image_panel_top;
  s.panel.image_panel_left = d.panel.image_panel_left;
  s.panel.image_panel_top = d.panel.image_panel_top;
  if (margins) parts_.view.AreaChanged();
  s.base.slide_interval = d.base.slide_interval;
  s.base.slide_back_color = d.base.slide_back_color;
  s.base.zoom_rate = d.base.zoom_rate;
  parts_.view.SetRealZoomControl(d.base.real_zoom_control);
  s.base.slide_view = d.base.slide_view;
  TFileFilterSettings& f = s.file_filter;
  const TFileFilterSettings& df = d.file_filter;
  const bool kinds = f.bmp_file != df.bmp_file || f.jpg_file != df.jpg_file ||
                     f.ico_file != df.ico_file || f.wmf_file != df.wmf_file ||
                     f.emf_file != df.emf_file ||
                     s.extensions.other_formats != d.extensions.other_formats;
  f.bmp_file = df.bmp_file;
  f.jpg_file = df.jpg_file;
  f.ico_file = df.ico_file;
  f.wmf_file = df.wmf_file;
  f.emf_file = df.emf_file;
  s.extensions.other_formats = d.extensions.other_formats;
  if (kinds && !parts_.files.CurrentFolder().empty())
    parts_.files.ListFolder(parts_.files.CurrentFolder());
  f.jpeg_save_quality = df.jpeg_save_quality;
  s.base.search_more_drive = d.base.search_more_drive;
  parts_.data.folders = data.folders;
  parts_.rebuild_folder_menu();
  s.base.kernel_bound = d.base.kernel_bound;
  s.base.kernel_center_percent = d.base.kernel_center_percent;
  s.base.kernel_strength = d.base.kernel_strength;
  s.base.kernel_center_percent_manual = d.base.kernel_center_percent_manual;
  s.base.kernel_option = d.base.kernel_option;
  s.base.kernel_value_grid = d.base.kernel_value_grid;
  s.base.kernel_show = d.base.kernel_show;
  s.effect.rectify_type = d.effect.rectify_type;
  s.effect.rotation = d.effect.rotation;
  s.effect.rotation_back_color = d.effect.rotation_back_color;
  s.effect.rotation_ignore_back_color = d.effect.rotation_ignore_back_color;
  s.effect.show_progress_panel = d.effect.show_progress_panel;
  if (parts_.slide_show.FullScreenOn())
    parts_.slide_show.FullScreen().RightTopPanel()->setVisible(s.effect.show_progress_panel != 2);
  s.extensions.large_pictures = d.extensions.large_pictures;
  TImU::SetLargePictures(s.extensions.large_pictures);
  s.extensions.read_ahead = d.extensions.read_ahead;
  s.extensions.read_ahead_megabytes = d.extensions.read_ahead_megabytes;
  // Thumbnails the table holds stay as they were taken; new ones follow the setting.
  s.extensions.quick_thumbnails = d.extensions.quick_thumbnails;
}
