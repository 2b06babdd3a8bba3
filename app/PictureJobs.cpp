#include "app/PictureJobs.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "effects/ImageThreadWatcher.h"
#include "engine/CaptureBasics.h"
#include "engine/ImageRotation.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

TPictureJobs::TPictureJobs(TJobTarget& view, TMainSettings& settings,
                           TImageThreadWatcherForm& controller, QObject* parent)
    : QObject(parent),
      view_(view),
      settings_(settings),
      controller_(controller),
      thread_timer_(new QTimer(this)) {
  BuildPanel();
  controller_.SetThreadPanel(thread_panel_, thread_progress_bar_, thread_caption_label_);
  thread_timer_->setObjectName("ThreadTimer");
  thread_timer_->setInterval(100);
  connect(thread_timer_, &QTimer::timeout, this, [this] {
    try {
      ThreadTimerTimer();
    } catch (...) {
      thread_timer_->stop();
      ApU().ShowMessage("ThreadTimerTimer Error(例外1)", TApU::kCaption);
    }
  });
  connect(&controller_, &TThreadWatcherBase::Finished, this, [this] {
    if (Running()) Pump();
  });
}

TPictureJobs::~TPictureJobs() = default;

void TPictureJobs::BuildPanel() {
  thread_panel_ = new QWidget;
  thread_panel_->setObjectName("ThreadPanel");
  auto* layout = new QVBoxLayout(thread_panel_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  thread_caption_label_ = new QLabel;
  thread_caption_label_->setObjectName("ThreadCaptionLabel");
  thread_progress_bar_ = new QProgressBar;
  thread_progress_bar_->setObjectName("ThreadProgressBar");
  thread_progress_bar_->setRange(0, 100);
  thread_progress_bar_->setTextVisible(false);
  auto* abort_button = new QPushButton("中止(&A)");
  abort_button->setObjectName("ThreadAbortButton");
  layout->addWidget(thread_caption_label_);
  layout->addWidget(thread_progress_bar_);
  layout->addWidget(abort_button);
  thread_panel_->hide();
  connect(abort_button, &QPushButton::clicked, this, [this] { Abort(); });
}

void TPictureJobs::RegisterDialogStep(const std::string& name, TDialogStep step) {
  dialog_steps_[Upper(name)] = std::move(step);
}

TJobOptions TPictureJobs::DialogOptions() const {
  const auto automatic = [this](const char* name) {
    const auto it = dialog_steps_.find(Upper(name));
    return it != dialog_steps_.end() && it->second.automatic && it->second.automatic();
  };
  TJobOptions options;
  options.fusion = automatic("FusionArrange");
  options.text = automatic("Text");
  options.rotation = automatic("Rotation");
  options.free_filter = automatic("FreeFilter");
  options.rgb = automatic("RGBArrange");
  return options;
}

bool TPictureJobs::Begin(const std::vector<std::string>& steps) {
  list_.Build(steps);
  if (list_.Empty()) return false;
  if (!view_.HasPicture()) {
    list_.Clear();
    return false;
  }
  busy_caption_.Reset();
  thread_timer_->start();
  Pump();
  return true;
}

void TPictureJobs::Abort() {
  if (stop_slide_show) stop_slide_show();
  const bool was_running = Running();
  list_.Clear();
  controller_.AbortThread();
  thread_panel_->hide();
  thread_timer_->stop();
  if (was_running) view_.FinishProcessing();
}

void TPictureJobs::Stop() { thread_timer_->stop(); }

void TPictureJobs::ThreadTimerTimer() {
  if (!Running()) {
    thread_timer_->stop();
    return;
  }
  std::string stars;
  if (!thread_panel_->isVisible() && busy_caption_.Tick(stars)) view_.SetCaption(stars);
  if (!controller_.Busy()) Pump();
}

void TPictureJobs::Pump() {
  if (pumping_) return;
  pumping_ = true;
  while (Running() && !controller_.Busy()) {
    const std::string name = list_.Front();
    if (name == "FASTUNSHARP") {
      const TViewerGeometry& g = view_.Geometry();
      list_.ExpandFastUnSharp(g.DisplayWidth() > g.PictureWidth());
      continue;
    }
    const std::string raw = list_.FrontRaw();
    list_.PopFront();
    if (name == Upper(TJobList::kEnd)) {
      thread_timer_->stop();
      thread_panel_->hide();
      view_.FinishProcessing();
      break;
    }
    if (!raw.empty() && raw[0] == '/' ? RunRecordStep(raw.substr(1)) : RunStep(name)) break;
  }
  pumping_ = false;
}

bool TPictureJobs::RunStep(const std::string& name) {
  if (name == "SETPOSITION") {
    view_.SetUpPicture(TViewerGeometry::TPlacing::kPosition);
    return false;
  }
  if (name == "RECTIFY") return StartEffectStep(TEffect::kRectify);
  if (name == "LOWPASSFILTER") return StartEffectStep(TEffect::kLowPass);
  if (name == "UNSHARPMASKING") return StartEffectStep(TEffect::kUnsharp);
  if (name == "ANALIZEDIRECTION") {
    const TBitmap24& picture = view_.Working();
    const int turn = DirectionTurn(view_.Arrangement(), picture.Width(), picture.Height());
    return turn != 0 && StartEffectStep(TEffect::kRotation, std::to_string(turn));
  }
  const auto it = dialog_steps_.find(name);
  if (it != dialog_steps_.end() && it->second.start) return it->second.start();
  return false;
}

bool TPictureJobs::RunRecordStep(const std::string& entry) {
  const std::string parameters(EffectParameters(entry));
  switch (EffectKindOf(entry)) {
    case TEffectKind::kRotation: {
      TAngle angle;
      if (!ParseAngleText(parameters, angle)) {
        ApU().ShowMessage("Auto_RotationArrange Error", TApU::kCaption);
        return false;
      }
      return StartEffectStep(TEffect::kRotation, parameters, true);
    }
    case TEffectKind::kRGB: {
      if (std::count(parameters.begin(), parameters.end(), ',') == 8)
        return StartEffectStep(TEffect::kRGB, parameters, true);
      // Not a whole RGB text: the open RGB dialog gives its own, or the step is skipped.
      const auto it = dialog_steps_.find("RGBARRANGE");
      return it != dialog_steps_.end() && it->second.start && it->second.start();
    }
    case TEffectKind::kFreeFilter:
      return StartEffectStep(TEffect::kFreeFilter, parameters, true);
    case TEffectKind::kText: {
      // A bare "Txt": the open text dialog gives its own text, or the step is skipped.
      if (parameters.empty()) {
        const auto it = dialog_steps_.find("TEXT");
        return it != dialog_steps_.end() && it->second.start && it->second.start();
      }
      view_.DrawTextEffect(entry, true, nullptr, nullptr);
      return false;
    }
    case TEffectKind::kNone:
      return false;
  }
  return false;
}

void TPictureJobs::ShowProgressPanel(const std::string& caption) {
  const int mode = settings_.effect.show_progress_panel;
  thread_progress_bar_->setRange(0, 100);
  thread_progress_bar_->setValue(0);
  thread_caption_label_->setText(QString::fromStdString(caption));
  if (mode == 2 || (mode == 1 && SlideShowRunning())) return;
  thread_panel_->show();
}

bool TPictureJobs::StartEffectStep(TEffect effect, const std::string& parameter, bool into_stock) {
  return StartStep(effect, parameter, into_stock, false);
}

bool TPictureJobs::StartFromReference(TEffect effect, const std::string& parameter) {
  return StartStep(effect, parameter, false, true);
}

bool TPictureJobs::StartStep(TEffect effect, const std::string& parameter, bool into_stock,
                             bool from_reference) {
  if (controller_.Busy() || !view_.HasPicture()) return false;
  if (prepared_step && prepared_step(effect, parameter, into_stock, from_reference)) return false;
  // A step started by hand ends like the job list: the end mark lays the result out.
  const bool own_end = list_.Empty();
  if (own_end) list_.ResetToEnd();
  view_.PrepareEffectStep(from_reference);
  const TBitmap24* source = &view_.Stock();
  auto hand_over = [this, into_stock](TBitmap24& result) {
    if (view_.SetThreadPicture(result, into_stock)) return true;
    thread_timer_->stop();
    ApU().ShowMessage("Set_ThreadPicture Error", TApU::kCaption);
    return true;  // the message above is the report
  };
  const TBaseSettings& base = settings_.base;
  TSimpleFilterSettings filter;
  filter.size = base.kernel_bound;
  filter.centre_percent = base.kernel_center_percent;
  filter.strength = base.kernel_strength;
  filter.manual_centre = base.kernel_center_percent_manual;
  filter.all_ones = base.kernel_option;
  filter.grid = base.kernel_value_grid;
  filter.show_kernel = base.kernel_show;
  bool started = false;
  const char* start_error = "";
  try {
    switch (effect) {
      case TEffect::kRectify: {
        start_error = "ImageZoomShrink (例外1)";
        ShowProgressPanel("Rectify");
        const TViewerGeometry& g = view_.Geometry();
        started = controller_.StartRectify(source, hand_over, settings_.effect.rectify_type,
                                           g.DisplayHeight(), g.DisplayWidth());
        break;
      }
      case TEffect::kLowPass:
      case TEffect::kUnsharp:
        start_error = "ImageFilter (例外2)";
        ShowProgressPanel(effect == TEffect::kLowPass ? "LowPassFilter" : "UnSharpMasking");
        started =
            controller_.StartFilter(source, hand_over, effect == TEffect::kLowPass ? 0 : 1, filter);
        break;
      case TEffect::kRotation: {
        start_error = "Rotation (例外2)";
        ShowProgressPanel("回転 " + parameter + "度");
        const TEffectSettings& e = settings_.effect;
        const TColor back = SlideShowRunning() && !e.rotation_ignore_back_color
                                ? base.slide_back_color
                                : e.rotation_back_color;
        started = controller_.StartRotation(source, hand_over, back, e.rotation, parameter);
        break;
      }
      case TEffect::kRGB:
        start_error = "RGBArrange (例外2)";
        ShowProgressPanel("RGBArrange");
        started = controller_.StartRGBArrange(source, hand_over, parameter);
        break;
      case TEffect::kFreeFilter:
        start_error = "FreeFilter (例外)";
        ShowProgressPanel("FreeFilter");
        started = controller_.StartFreeFilter(source, hand_over, parameter);
        break;
    }
  } catch (...) {
    ApU().ShowMessage(start_error, TApU::kCaption);
    Abort();
    return false;
  }
  if (!started) {
    if (own_end) list_.Clear();
    thread_panel_->hide();
    return false;
  }
  thread_timer_->start();
  return true;
}
