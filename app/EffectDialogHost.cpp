#include "app/EffectDialogHost.h"

#include <QAction>
#include <QMainWindow>
#include <algorithm>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/FileBrowser.h"
#include "app/MainParts.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/SlideShow.h"
#include "effects/ImageRGBArrangeFrm.h"
#include "effects/ImageRotationArrangeForm.h"
#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/PathText.h"
#include "widgets/ToolWindows.h"

TMainEffectDialogs::TMainEffectDialogs(const TMainParts& parts)
    : QObject(&parts.window), parts_(parts) {
  RegisterRotation();
  RegisterRGB();
  RegisterFreeFilter();
  RegisterFusion();
  RegisterText();
}

TMainEffectDialogs::~TMainEffectDialogs() = default;

void TMainEffectDialogs::RegisterRotation() {
  TEditCommands::TDialogHost host;
  host.open = [this] {
    if (!rotation_) rotation_ = new TImageRotationArrange(*this);
    rotation_->show();
    CascadeToolWindow(rotation_);
    return true;
  };
  host.close = [this] { ReleaseDialog(rotation_); };
  host.focus = [this] { FocusDialog(rotation_.data()); };
  parts_.edit.RegisterDialog(TImageRotationArrange::kShowAction, std::move(host));
  auto automatic = [this] { return rotation_ && rotation_->AutoEffect(); };
  parts_.jobs.RegisterDialogStep(
      "Rotation", {automatic, [this] {
                     const std::string angle = rotation_ ? rotation_->ParameterText() : "";
                     return !angle.empty() && parts_.jobs.StartEffectStep(
                                                  TPictureJobs::TEffect::kRotation, angle, true);
                   }});
  parts_.capture.RegisterCaptureEffect(
      TEffectKind::kRotation,
      {automatic, [this] { return rotation_ ? rotation_->ParameterText() : std::string(); }});
}

void TMainEffectDialogs::RegisterRGB() {
  TEditCommands::TDialogHost host;
  host.open = [this] {
    if (!rgb_) rgb_ = new TImageRGBArrangeForm(*this);
    rgb_->show();
    CascadeToolWindow(rgb_);
    return true;
  };
  host.close = [this] {
    if (!rgb_) return;
    std::vector<std::string> records = rgb_->Records();
    std::sort(records.begin(), records.end());
    parts_.data.rgb_records = std::move(records);
    ReleaseDialog(rgb_);
  };
  host.focus = [this] { FocusDialog(rgb_.data()); };
  parts_.edit.RegisterDialog(TImageRGBArrangeForm::kShowAction, std::move(host));
  auto automatic = [this] { return rgb_ && rgb_->AutoEffect(); };
  parts_.jobs.RegisterDialogStep(
      "RGBArrange", {automatic, [this] {
                       const std::string text = rgb_ ? rgb_->ParameterText() : "";
                       return !text.empty() &&
                              parts_.jobs.StartEffectStep(TPictureJobs::TEffect::kRGB, text);
                     }});
  parts_.capture.RegisterCaptureEffect(
      TEffectKind::kRGB,
      {automatic, [this] { return rgb_ ? rgb_->ParameterText() : std::string(); }});
}

QWidget* TMainEffectDialogs::Window() const { return &parts_.window; }

bool TMainEffectDialogs::StartRotation(const std::string& angle_text) {
  TPictureView& view = parts_.view;
  if (view.Processing()) return false;
  if (!parts_.jobs.StartEffectStep(TPictureJobs::TEffect::kRotation, angle_text)) return false;
  view.SetResized(true);
  return true;
}

bool TMainEffectDialogs::StartRGBArrange(const std::string& parameter_text) {
  TPictureView& view = parts_.view;
  if (view.Processing()) return false;
  return parts_.jobs.StartFromReference(TPictureJobs::TEffect::kRGB, parameter_text);
}

void TMainEffectDialogs::Renew() { parts_.view.ReNewStockPictureExecute(); }

bool TMainEffectDialogs::ShowingCapData() const { return parts_.capture.RecordShown(); }

void TMainEffectDialogs::Capture() { parts_.capture.CaptureDataCaptureExecute(); }

void TMainEffectDialogs::AddCapture(TEffectKind kind, const std::string& setting) {
  parts_.capture.CaptureAddCaptureExecute(kind, setting);
}

void TMainEffectDialogs::ReplaceEffect(TEffectKind kind, const std::string& text, bool same_kind) {
  parts_.capture.ReplaceEffectCapDataExecute(kind, text, same_kind);
}

std::vector<std::string>* TMainEffectDialogs::RgbRecords() { return &parts_.data.rgb_records; }

void TMainEffectDialogs::ToggleDialog(const std::string& show_action) {
  if (QAction* action = parts_.edit.Action(show_action)) action->trigger();
}
