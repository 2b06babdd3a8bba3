// The main window's free filter dialog: its show command, its automatic job step, its capture
// entry and its records.
#include <QMainWindow>
#include <QPointer>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/FileBrowser.h"
#include "app/MainParts.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/SlideShow.h"
#include "effects/ImageFreeFilterForm.h"
#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/PathText.h"
#include "widgets/ToolWindows.h"

void TMainEffectDialogs::RegisterFreeFilter() {
  TEditCommands::TDialogHost host;
  host.open = [this] {
    if (!free_filter_) free_filter_ = new TImageFreeFilter(*this);
    free_filter_->show();
    CascadeToolWindow(free_filter_);
    return true;
  };
  host.close = [this] {
    if (!free_filter_) return;
    parts_.data.filter_records = free_filter_->RecordsToStore();
    ReleaseDialog(free_filter_);
  };
  host.focus = [this] { FocusDialog(free_filter_.data()); };
  parts_.edit.RegisterDialog(TImageFreeFilter::kShowAction, std::move(host));
  auto automatic = [this] { return free_filter_ && free_filter_->AutoEffect(); };
  parts_.jobs.RegisterDialogStep(
      "FreeFilter", {automatic, [this] {
                       const std::string text = free_filter_ ? free_filter_->ParameterText() : "";
                       return !text.empty() &&
                              parts_.jobs.StartEffectStep(TPictureJobs::TEffect::kFreeFilter, text);
                     }});
  parts_.capture.RegisterCaptureEffect(
      TEffectKind::kFreeFilter,
      {automatic, [this] { return free_filter_ ? free_filter_->ParameterText() : std::string(); }});
}

bool TMainEffectDialogs::StartFreeFilter(const std::string& parameter_text) {
  TPictureView& view = parts_.view;
  if (view.Processing()) return false;
  view.SetEndPosition(5);
  if (parts_.jobs.StartFromReference(TPictureJobs::TEffect::kFreeFilter, parameter_text))
    return true;
  view.SetEndPosition(0);
  return false;
}

std::vector<std::string>* TMainEffectDialogs::FilterRecords() {
  return &parts_.data.filter_records;
}
