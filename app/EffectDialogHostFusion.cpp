// The main window's side of the fusion dialog: opening and closing it with its settings, the
// "FusionArrange" step of the job list, and the pictures the dialog mixes and tones.
#include <QAction>
#include <QMainWindow>
#include <filesystem>

#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/FileBrowser.h"
#include "app/MainParts.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/SlideShow.h"
#include "engine/ImageCanvasEdit.h"
#include "engine/ImageFusion.h"
#include "engine/PictureLoader.h"
#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "widgets/ToolWindows.h"

namespace {

constexpr int kCentre = 5;

TFusionDialogSettings FromMain(const TFusionArrangeSettings& s) {
  TFusionDialogSettings d;
  d.back_color = s.back_color;
  d.ground_color = s.ground_color;
  d.bright_rate = s.bright_rate;
  d.range_super_max = s.range_super_max;
  d.trans_position = s.trans_position;
  d.any_tone_level = s.any_tone_level;
  d.up_down_level = s.up_down_level;
  d.over_range = s.over_range;
  return d;
}

void ToMain(const TFusionDialogSettings& d, TFusionArrangeSettings& s) {
  s.back_color = d.back_color;
  s.ground_color = d.ground_color;
  s.bright_rate = d.bright_rate;
  s.range_super_max = d.range_super_max;
  s.trans_position = d.trans_position;
  s.any_tone_level = d.any_tone_level;
  s.up_down_level = d.up_down_level;
  s.over_range = d.over_range;
}

}  // namespace

void TMainEffectDialogs::RegisterFusion() {
  TEditCommands::TDialogHost host;
  host.open = [this] {
    if (!fusion_) {
      fusion_ = new TImageFusionArrangeForm(*this, FromMain(parts_.settings.fusion));
      connect(fusion_, &TImageFusionArrangeForm::SettingsChanged, this, [this] {
        if (fusion_) ToMain(fusion_->Settings(), parts_.settings.fusion);
      });
      ToMain(fusion_->Settings(), parts_.settings.fusion);
    }
    fusion_->show();
    CascadeToolWindow(fusion_);
    return true;
  };
  host.close = [this] {
    if (!fusion_) return;
    ToMain(fusion_->Settings(), parts_.settings.fusion);
    ReleaseDialog(fusion_);
  };
  host.focus = [this] { FocusDialog(fusion_.data()); };
  parts_.edit.RegisterDialog(TImageFusionArrangeForm::kShowAction, std::move(host));
  parts_.jobs.RegisterDialogStep("FusionArrange",
                                 {[this] { return fusion_ && fusion_->AutoEffect(); },
                                  [this] {
                                    FusionStep();
                                    return false;
                                  }});
  connect(&parts_.view, &TPictureView::PictureSizeChanged, this, [this](int width, int height) {
    if (fusion_) fusion_->GroundCanvasRefresh(width, height);
  });
}

void TMainEffectDialogs::FusionStep() {
  TPictureView& view = parts_.view;
  if (!fusion_ || !view.HasPicture()) return;
  int width = 0, height = 0;
  if (PictureSize(width, height)) fusion_->GroundCanvasRefresh(width, height);
  if (fusion_->FusionPicture().Empty()) return;
  const std::string text = fusion_->ParameterText();
  if (view.Working().Empty()) view.PrepareEffectStep();  // a metafile: its raster copy
  TBitmap24 result;
  int top = 0, left = 0;
  if (!Fuse(view.Working(), fusion_->FusionPicture(), top, left, text, result)) {
    ApU().ShowMessage("FusionArrange Error", TApU::kCaption);
    return;
  }
  view.PrepareEffectStep();
  view.SetThreadPicture(result, true);
}

bool TMainEffectDialogs::CopyShownPicture(TBitmap24& out) const {
  TPictureView& view = parts_.view;
  if (!view.HasPicture()) return false;
  if (!view.Working().Empty()) {
    out = view.Working();
    return true;
  }
  // A metafile is drawn onto a bitmap of its own size.
  const TViewerGeometry& g = view.Geometry();
  std::string error;
  return parts_.loader.Render(view.ShownPath(), g.PictureWidth(), g.PictureHeight(), out, error);
}

bool TMainEffectDialogs::PictureSize(int& width, int& height) const {
  TPictureView& view = parts_.view;
  if (!view.HasPicture()) return false;
  if (!view.Working().Empty()) {
    width = view.Working().Width();
    height = view.Working().Height();
  } else {
    // A metafile is mixed as the raster copy drawn at the display size.
    width = view.Geometry().DisplayWidth();
    height = view.Geometry().DisplayHeight();
  }
  return width > 0 && height > 0;
}

TEffectOwner::TPictureResult TMainEffectDialogs::RunFusion(const TBitmap24& picture,
                                                           const std::string& text, int& left,
                                                           int& top) {
  TPictureView& view = parts_.view;
  if (view.Processing()) return TPictureResult::kBusy;
  if (!view.HasPicture()) return TPictureResult::kNoPicture;
  if (view.Working().Empty()) view.PrepareEffectStep();
  TBitmap24 result;
  if (!Fuse(view.Working(), picture, top, left, text, result)) return TPictureResult::kFailed;
  view.SetEndPosition(kCentre);
  view.SetWorkingPicture(result);
  return TPictureResult::kDone;
}

TEffectOwner::TPictureResult TMainEffectDialogs::MapPictureTones(
    bool exact, const std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& from) {
  TPictureView& view = parts_.view;
  if (view.Processing()) return TPictureResult::kBusy;
  if (!view.HasPicture()) return TPictureResult::kNoPicture;
  if (view.Working().Empty()) return TPictureResult::kNotBitmap;
  TBitmap24 result;
  if (!TImageCanvasEdit::MapChannelValues(view.Working(), result, exact, to, from))
    return TPictureResult::kFailed;
  view.SetWorkingPicture(result);
  return TPictureResult::kDone;
}

std::vector<std::string> TMainEffectDialogs::FileList() const { return parts_.files.Paths(); }

std::string TMainEffectDialogs::PictureFolder() const {
  const std::string& used = parts_.settings.base.used_folder;
  std::error_code ec;
  if (!used.empty() && std::filesystem::is_directory(used, ec)) return used;
  return parts_.data.ProgramFolder();
}

void TMainEffectDialogs::SetPictureFolder(const std::string& folder) {
  parts_.settings.base.used_folder = folder;
}

const TPictureLoader* TMainEffectDialogs::Loader() const { return &parts_.loader; }
