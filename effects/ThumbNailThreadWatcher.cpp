#include "effects/ThumbNailThreadWatcher.h"

#include <QWidget>
#include <algorithm>
#include <exception>
#include <new>

#include "engine/ImageFilterSimple.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"

namespace {

std::string Upper(const std::string& text) {
  std::string upper = text;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

// Creates one working object; a failure is reported with its own message.
template <class T, class... Args>
std::unique_ptr<T> Create(const char* failure, Args&&... args) {
  try {
    return std::make_unique<T>(std::forward<Args>(args)...);
  } catch (const std::exception&) {
    ApU().ShowMessage(failure, TApU::kCaption);
    return nullptr;
  }
}

}  // namespace

TSimpleFilterSettings TableKernelSettings(const TPictureTableSettings& s) {
  TSimpleFilterSettings kernel;
  kernel.size = s.kernel_bound;
  kernel.centre_percent = s.kernel_center_percent;
  kernel.strength = s.kernel_strength;
  kernel.manual_centre = s.kernel_center_percent_manual;
  kernel.all_ones = s.kernel_option;
  kernel.grid = s.kernel_value_grid;
  kernel.show_kernel = false;
  return kernel;
}

struct TThumbNailThreadWatcherForm::TCellOutcome {
  bool effect_ran = false;
  bool rotated = false;
  int renew_index = -1;
};

TThumbNailThreadWatcherForm::TThumbNailThreadWatcherForm(QWidget* parent)
    : TThreadWatcherBase("ThumbNailThreadWatcherForm", 55, parent) {
  // The bar counts cells; the engines keep it still.
  SetReportsProgress(false);
  size_change_ = Create<TImageSizeChange>("ImageSizeChange.Create Error", this);
  filter_ = Create<TImageFilterSimple>("ImageFilterSimple.Create Error", this);
  rotation_ = Create<TImageRotation>("ImageRotation.Create Error", this);
  rgb_ = Create<TImageRGBArrange>("ImageRGBArrange.Create Error", this);
  SetReady(size_change_ && filter_ && rotation_ && rgb_);
  connect(this, &TThreadWatcherBase::Finished, this, [this] {
    if (QWidget* panel = BoundThreadPanel()) panel->hide();
  });
}

TThumbNailThreadWatcherForm::~TThumbNailThreadWatcherForm() {
  // The engines must outlive the worker that uses them.
  Shutdown();
}

void TThumbNailThreadWatcherForm::ReleaseOwner(TThumbNailOwner* owner) {
  if (owner_ != owner) return;
  AbortThread();
  owner_ = nullptr;
}

std::string TThumbNailThreadWatcherForm::RotationCaption(const std::string& degree_text) {
  return "回転 " + degree_text + "度";
}

bool TThumbNailThreadWatcherForm::StartThumbNailEffects(TThumbNailRequest request,
                                                        int resize_setting, int rotation_type,
                                                        TColor back) {
  if (!Ready() || Busy()) return false;
  if (request.cells.size() != request.steps.size() || request.cells.empty()) {
    ApU().ShowMessage(
        std::to_string(request.cells.size()) + ", " + std::to_string(request.steps.size()),
        TApU::kCaption);
    AbortThumbNailEffects();
    return false;
  }
  if (rotation_type < 0 || rotation_type > 2) rotation_type = 0;
  auto shared = std::make_shared<const TThumbNailRequest>(std::move(request));
  return Launch<TImageZoomShrinkSingle>(
      [=, this] { return Run(*shared, resize_setting, rotation_type, back); }, nullptr,
      "Thread Error(例外)", "");
}

void TThumbNailThreadWatcherForm::AbortThumbNailEffects() {
  if (owner_) owner_->StopThumbNailSlideShow();
  AbortThread();
  if (QWidget* panel = BoundThreadPanel()) panel->hide();
}

void TThumbNailThreadWatcherForm::PostOnce(const std::string& text, const std::string& caption) {
  if (text.empty() || !posted_.insert(caption + '\n' + text).second) return;
  PostMessage(text, caption);
}

void TThumbNailThreadWatcherForm::Deliver(TBitmap24 picture, int cell, int renew_index,
                                          bool refit) {
  QMetaObject::invokeMethod(
      this,
      [this, picture = std::move(picture), cell, renew_index, refit] {
        if (owner_) owner_->Set_ThreadPicture(picture, cell, renew_index, refit);
      },
      Qt::QueuedConnection);
}

void TThumbNailThreadWatcherForm::DeliverCapData(TBitmap24 picture, int tag) {
  QMetaObject::invokeMethod(
      this,
      [this, picture = std::move(picture), tag] {
        if (owner_) owner_->Set_CapDataPicture(picture, tag);
      },
      Qt::QueuedConnection);
}

TThreadWatcherBase::TRunResult TThumbNailThreadWatcherForm::Run(const TThumbNailRequest& request,
                                                                int resize_setting,
                                                                int rotation_type, TColor back) {
  posted_.clear();
  const std::size_t cells = request.cells.size();
  ProgressRange(static_cast<int>(cells));
  try {
    for (std::size_t i = 0; i < cells && Busy(); ++i) {
      Progress(static_cast<int>(i));
      TCellOutcome outcome;
      RunCell(request, i, resize_setting, rotation_type, back, outcome);
      // After a failed step result_ already holds the picture from before it.
      if (outcome.effect_ran && Busy() && !result_.Empty())
        Deliver(result_, static_cast<int>(i), outcome.renew_index, outcome.rotated);
    }
  } catch (const std::exception&) {
    PostMessage("ExecuteThread Error(例外4)");
  }
  return {};
}

void TThumbNailThreadWatcherForm::RunCell(const TThumbNailRequest& request, std::size_t i,
                                          int resize_setting, int rotation_type, TColor back,
                                          TCellOutcome& outcome) {
  const TThumbNailCell& cell = request.cells[i];
  const TThumbNailSteps& steps = request.steps[i];
  if (cell.width <= 0) return;
  if (cell.tag < 0 || cell.tag >= request.thumb_count) return;
  result_ = cell.picture;

  // Every effect step keeps the picture as it was in source_ and works on result_.
  auto effect = [&](auto&& run) {
    source_ = result_;
    outcome.effect_ran = true;
    if (run()) return true;
    result_ = source_;
    return false;
  };
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const std::string step = Upper(steps[k]);
    if (step.empty()) break;
    bool done = true;
    if (step == "RECTIFY") {
      done = effect([&] { return Rectify(cell.width, cell.height, resize_setting); });
    } else if (step == "LOWPASSFILTER" || step == "UNSHARPMASKING") {
      const bool low_pass = step == "LOWPASSFILTER";
      Status(low_pass ? "LowPassFilter" : "UnSharpMasking");
      const TSimpleFilterSettings& s = request.kernel;
      done = effect([&] {
        filter_->ClearMessages();
        const bool filtered =
            low_pass ? filter_->LowPass(result_, s.size, s.manual_centre, s.centre_percent,
                                        s.show_kernel, s.grid, s.all_ones)
                     : filter_->UnsharpMask(result_, s.strength, s.size, s.manual_centre,
                                            s.centre_percent, s.show_kernel, s.grid, s.all_ones);
        for (const TFilterMessage& m : filter_->Messages()) PostOnce(m.text, m.caption);
        return filtered;
      });
    } else if (step == "ROTATION" || step == "RGBARRANGE" || step == "FREEFILTER") {
      // Without a parameter slot after it the step is ignored.
      if (k + 1 >= steps.size()) break;
      const std::string& parameter = steps[++k];
      if (parameter.empty()) continue;
      std::string message;
      if (step == "ROTATION") {
        Status(RotationCaption(parameter));
        done = effect(
            [&] { return rotation_->Rotate(result_, parameter, back, rotation_type, &message); });
        if (done) outcome.rotated = true;
      } else if (step == "RGBARRANGE") {
        Status("RGBArrnge");
        done = effect([&] { return rgb_->Arrange(result_, parameter, &message); });
      } else {
        done = effect([&] {
          filter_->ClearMessages();
          const bool filtered = filter_->RunKernelText(result_, parameter);
          for (const TFilterMessage& m : filter_->Messages()) PostOnce(m.text, m.caption);
          return filtered;
        });
      }
      PostOnce(message);
    } else if (step == "RENEW") {
      outcome.renew_index = cell.tag;
    } else if (step == "CAPDATA") {
      if (!request.not_get_thumbnail) DeliverCapData(result_, cell.tag);
    }
    if (!done) break;
  }
}

bool TThumbNailThreadWatcherForm::Rectify(int width, int height, int resize_setting) {
  const int source_width = source_.Width(), source_height = source_.Height();
  if (!TImU::SizeIsAllowed(source_width, source_height)) return false;
  if ((source_width == width && height >= source_height) ||
      (source_height == height && width >= source_width))
    return true;
  TImU::FitSize(width, height);
  if (width == 0) return false;
  const float scale = static_cast<float>(width) / static_cast<float>(source_width);
  Status(TImageThreadWatcherForm::ScaleCaption(scale));
  return TImageThreadWatcherForm::ResizeBySetting(*size_change_, source_, result_, resize_setting,
                                                  scale, height, width);
}
