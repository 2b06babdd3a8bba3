#include "app/EffectDialogHost.h"

#include <QAction>
#include <algorithm>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/InitialSet.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "effects/ImageRGBArrangeFrm.h"
#include "effects/ImageRotationArrangeForm.h"

TMainEffectDialogs::TMainEffectDialogs(TMainForm& form) : QObject(&form), form_(form) {
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
  form_.EditCommands().RegisterDialog(TImageRotationArrange::kShowAction, std::move(host));
  auto automatic = [this] { return rotation_ && rotation_->AutoEffect(); };
  form_.PictureView().Jobs().RegisterDialogStep(
      "Rotation", {automatic, [this] {
                     const std::string angle = rotation_ ? rotation_->ParameterText() : "";
                     return !angle.empty() && form_.PictureView().Jobs().StartEffectStep(
                                                  TPictureJobs::TEffect::kRotation, angle, true);
                   }});
  form_.Capture().RegisterCaptureEffect(
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
    form_.Data().rgb_records = std::move(records);
    ReleaseDialog(rgb_);
  };
  host.focus = [this] { FocusDialog(rgb_.data()); };
  form_.EditCommands().RegisterDialog(TImageRGBArrangeForm::kShowAction, std::move(host));
  auto automatic = [this] { return rgb_ && rgb_->AutoEffect(); };
  form_.PictureView().Jobs().RegisterDialogStep(
      "RGBArrange", {automatic, [this] {
                       const std::string text = rgb_ ? rgb_->ParameterText() : "";
                       return !text.empty() && form_.PictureView().Jobs().StartEffectStep(
                                                   TPictureJobs::TEffect::kRGB, text);
                     }});
  form_.Capture().RegisterCaptureEffect(
      TEffectKind::kRGB,
      {automatic, [this] { return rgb_ ? rgb_->ParameterText() : std::string(); }});
}

QWidget* TMainEffectDialogs::Window() const { return &form_; }

bool TMainEffectDialogs::StartRotation(const std::string& angle_text) {
  TPictureView& view = form_.PictureView();
  if (view.Processing()) return false;
  if (!view.Jobs().StartEffectStep(TPictureJobs::TEffect::kRotation, angle_text)) return false;
  view.SetResized(true);
  return true;
}

bool TMainEffectDialogs::StartRGBArrange(const std::string& parameter_text) {
  TPictureView& view = form_.PictureView();
  if (view.Processing()) return false;
  return view.Jobs().StartFromReference(TPictureJobs::TEffect::kRGB, parameter_text);
}

void TMainEffectDialogs::Renew() { form_.PictureView().ReNewStockPictureExecute(); }

bool TMainEffectDialogs::ShowingCapData() const { return form_.Capture().RecordShown(); }

void TMainEffectDialogs::Capture() { form_.Capture().CaptureDataCaptureExecute(); }

void TMainEffectDialogs::AddCapture(TEffectKind kind, const std::string& setting) {
  form_.Capture().CaptureAddCaptureExecute(kind, setting);
}

void TMainEffectDialogs::ReplaceEffect(TEffectKind kind, const std::string& text, bool same_kind) {
  form_.Capture().ReplaceEffectCapDataExecute(kind, text, same_kind);
}

std::vector<std::string>* TMainEffectDialogs::RgbRecords() { return &form_.Data().rgb_records; }

void TMainEffectDialogs::ToggleDialog(const std::string& show_action) {
  if (QAction* action = form_.EditCommands().Action(show_action)) action->trigger();
}
