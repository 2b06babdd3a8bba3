#include "app/ReadAhead.h"

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <filesystem>

#include "app/CaptureActions.h"
#include "app/FileBrowser.h"
#include "app/MainParts.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "app/SlideShow.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/CaptureRender.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"

namespace {

bool IsMetafilePath(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".wmf" || ext == ".emf";
}

std::string RecordId(const TCapData& record) {
  std::string id = "record:";
  id.append(record.path);
  for (const int value : {record.x, record.y, record.w, record.h})
    id.append(1, '/').append(std::to_string(value));
  for (const std::string& effect : record.effects) id.append(1, '/').append(effect);
  return id;
}

// The step name of an effect as the prepared steps carry it.
const char* StepName(TPictureJobs::TEffect effect) {
  switch (effect) {
    case TPictureJobs::TEffect::kRectify:
      return "Rectify";
    case TPictureJobs::TEffect::kRotation:
      return "Rotation";
    case TPictureJobs::TEffect::kRGB:
      return "RGBArrange";
    case TPictureJobs::TEffect::kFreeFilter:
      return "FreeFilter";
    default:
      return "";
  }
}

void AddNumber(std::string& text, double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  text.append(buffer, end).push_back(';');
}

}  // namespace

// One neighbour's preparation: its inputs, copied on the UI thread, and what the worker made.
struct TReadAheadJob {
  std::string id;
  bool record = false;
  std::string path;
  TCapData data;
  bool large_pictures = false;
  std::string signature;
  TPreparedPicture held;      // a picture loaded before, whose steps are prepared again
  std::size_t available = 0;  // bytes the store can still take
  // The correction: prepared when it is the first step that changes the picture.
  bool correct = false;
  int every_option = 0;
  int rectify_type = 0;
  TArrangement arrangement = TArrangement::kNormal;
  TViewerGeometry geometry;
  // The records' effects.
  int rotation_type = 0;
  TColor rotation_back = 0;

  bool ok = false;
  std::size_t reserved = 0;  // bytes the preparation took at its largest
  TPreparedPicture prepared;
};

TReadAhead::TReadAhead(const TMainParts& parts)
    : QObject(&parts.window),
      parts_(parts),
      loader_(parts.loader),
      schedule_timer_(new QTimer(this)),
      watch_timer_(new QTimer(this)) {
  setObjectName("ReadAhead");
  schedule_timer_->setSingleShot(true);
  schedule_timer_->setInterval(0);
  connect(schedule_timer_, &QTimer::timeout, this, [this] { Schedule(); });
  // Whatever the prepared pictures depend on may change without a new picture (the window's
  // size, a zoom, an option): they are thrown away and prepared anew once it has.
  watch_timer_->setInterval(100);
  connect(watch_timer_, &QTimer::timeout, this, [this] {
    if (!worker_) {
      if (Signature() != last_signature_) Schedule();
      return;
    }
    // A slide show started while the next picture was being prepared at idle priority.
    if (IsBusy() && !next_slide_ && parts_.slide_show.Running()) {
      const std::vector<TItem> wanted = Wanted();
      if (!wanted.empty() && wanted.front().id == working_id_) {
        next_slide_ = true;
        own_thread_only_.store(false, std::memory_order_release);
        if (worker_->isRunning()) worker_->setPriority(QThread::NormalPriority);
      }
    }
  });
}

TReadAhead::~TReadAhead() { Shutdown(); }

void TReadAhead::Shutdown() {
  Abort();
  Reap();
}

void TReadAhead::Reap() {
  if (!worker_) return;
  worker_->wait();
  delete worker_;
  worker_ = nullptr;
  job_.reset();  // an end still on its way belongs to no one now
}

bool TReadAhead::Idle() const {
  if (worker_ || pending_ || schedule_timer_->isActive()) return false;
  return parts_.settings.extensions.read_ahead <= 0 || Signature() == last_signature_;
}

std::vector<TReadAhead::TItem> TReadAhead::Wanted() const {
  std::vector<TItem> items;
  const int each_way = parts_.settings.extensions.read_ahead;
  if (each_way <= 0) return items;
  TCaptureActions& capture = parts_.capture;
  if (capture.RecordShown()) {
    const TCapDataList& list = parts_.right_list.CapData();
    for (const int i : ReadAheadOrder(capture.ShownRecord(), static_cast<int>(list.Size()),
                                      direction_, each_way)) {
      TItem item;
      item.record = true;
      item.data = list.Record(static_cast<std::size_t>(i));
      item.path = item.data.path;
      item.id = RecordId(item.data);
      items.push_back(std::move(item));
    }
    return items;
  }
  // Pictures shown from elsewhere (the right list of files, a data file) have no neighbours here.
  if (parts_.files.CurrentPath() != parts_.view.ShownPath()) return items;
  const std::vector<std::string>& paths = parts_.files.Paths();
  const int row = parts_.files.CurrentRow();
  for (const int i : ReadAheadOrder(row, static_cast<int>(paths.size()), direction_, each_way)) {
    const std::string& path = paths[static_cast<std::size_t>(i)];
    if (IsMetafilePath(path)) continue;  // drawn anew at every size, nothing to gain
    items.push_back({path, false, path, {}});
  }
  return items;
}

std::string TReadAhead::Signature() const {
  const TPictureView& view = parts_.view;
  const TViewerGeometry& g = view.Geometry();
  const TMainSettings& s = parts_.settings;
  const TJobOptions o = view.EveryTimeOptions();
  std::string text;
  for (const int value :
       {g.AreaWidth(), g.AreaHeight(), g.real_mode ? 1 : 0, g.real_control_in ? 1 : 0,
        g.no_space ? 1 : 0, o.every_time ? 1 : 0, o.every_option, o.normal_arrangement ? 1 : 0,
        static_cast<int>(view.Arrangement()), o.fusion ? 1 : 0, o.text ? 1 : 0, o.rotation ? 1 : 0,
        o.free_filter ? 1 : 0, o.rgb ? 1 : 0, TImU::LargePictures() ? 1 : 0, s.effect.rectify_type})
    text.append(std::to_string(value)).push_back(';');
  // Only records carry rotations that are prepared.
  if (parts_.capture.RecordShown())
    for (const int value :
         {s.effect.rotation,
          static_cast<int>(parts_.slide_show.Running() && !s.effect.rotation_ignore_back_color
                               ? s.base.slide_back_color
                               : s.effect.rotation_back_color)})
      text.append(std::to_string(value)).push_back(';');
  // The zoom a new picture starts from: R in real-size mode, Z otherwise; with no-space mode
  // the picture fills the area whatever it is.
  if (!g.no_space) AddNumber(text, g.real_mode ? g.Real() : g.Relative());
  AddNumber(text, g.real_control);
  return text;
}

void TReadAhead::Showing(bool record, int index) {
  if (record == last_record_ && last_index_ >= 0 && index != last_index_)
    direction_ = index > last_index_ ? 1 : -1;
  last_record_ = record;
  last_index_ = index;
  armed_.clear();
  if (!worker_ || !IsBusy()) return;
  // A neighbour that this move passed by is given up at the engine's next check point.
  const std::vector<TItem> wanted = Wanted();
  if (std::none_of(wanted.begin(), wanted.end(),
                   [this](const TItem& item) { return item.id == working_id_; })) {
    Abort();
    // An idle worker on a busy machine would hold the next neighbour back until it got the
    // processor to reach its check point.
    if (worker_->isRunning()) worker_->setPriority(QThread::NormalPriority);
  }
}

bool TReadAhead::NextSlideOnItsWay() const { return worker_ && IsBusy() && next_slide_; }

bool TReadAhead::Take(const std::string& id, const std::string& path, TBitmap24& picture) {
  if (store_.Count() == 0) return false;
  TFileStamp stamp;
  TPreparedPicture prepared;
  if (!ReadFileStamp(path, stamp) ||
      !store_.Take(id, stamp, TImU::LargePictures(), Signature(), prepared))
    return false;
  picture.Swap(prepared.picture);
  armed_ = std::move(prepared.steps);
  ++pictures_taken_;
  return true;
}

bool TReadAhead::TakePicture(const std::string& path, bool record, int index, TBitmap24& picture) {
  Showing(record, index);
  return Take(path, path, picture);
}

bool TReadAhead::TakeRecordCut(const TCapData& record, TBitmap24& cut) {
  Showing(true, parts_.capture.ShownRecord());
  return Take(RecordId(record), record.path, cut);
}

bool TReadAhead::RunPreparedStep(TPictureJobs::TEffect effect, const std::string& parameter,
                                 bool into_stock, bool from_reference) {
  if (armed_.empty()) return false;
  TPictureView& view = parts_.view;
  TPreparedStep& step = armed_.front();
  bool match = parts_.jobs.Running() && !from_reference && step.name == StepName(effect);
  if (effect == TPictureJobs::TEffect::kRectify) {
    const TViewerGeometry& g = view.Geometry();
    match = match && step.target_width == g.DisplayWidth() &&
            step.target_height == g.DisplayHeight() &&
            step.kind == parts_.settings.effect.rectify_type;
  } else {
    match = match && into_stock && step.parameter == parameter;
  }
  if (!match) {
    armed_.clear();
    return false;
  }
  view.PrepareEffectStep(from_reference);
  // What the run shows of itself: the panel's caption, then the engine's status and progress.
  std::string caption = step.name;
  if (effect == TPictureJobs::TEffect::kRotation) caption = "回転 " + parameter + "度";
  QProgressBar* bar = parts_.jobs.ThreadProgressBar();
  QLabel* label = parts_.jobs.ThreadCaptionLabel();
  bar->setRange(0, 100);
  bar->setValue(0);
  label->setText(QString::fromStdString(caption));
  if (!step.status.empty()) label->setText(QString::fromStdString(step.status));
  if (step.progress_max >= 0) bar->setRange(0, step.progress_max);
  if (step.progress >= 0) bar->setValue(step.progress);
  if (step.hand_over) view.SetThreadPicture(step.result, into_stock);
  armed_.erase(armed_.begin());
  ++steps_taken_;
  return true;
}

void TReadAhead::PictureFinished() {
  armed_.clear();
  pending_ = true;
  schedule_timer_->start();
}

void TReadAhead::Schedule() {
  // The end of a running or given-up worker schedules again; the window never waits for one.
  if (worker_) return;
  const TMainSettings& s = parts_.settings;
  if (s.extensions.read_ahead <= 0) {
    store_.Clear();
    watch_timer_->stop();
    pending_ = false;
    return;
  }
  TPictureView& view = parts_.view;
  // Only between pictures: while a picture is processed the worker would compete with it.
  if (view.Processing()) return;
  pending_ = false;
  const std::string signature = Signature();
  if (signature != last_signature_) given_up_.clear();
  last_signature_ = signature;
  if (!view.HasPicture()) return;
  store_.SetBudget(static_cast<std::size_t>(std::max(0, s.extensions.read_ahead_megabytes)) << 20);
  const std::vector<TItem> wanted = Wanted();
  std::vector<std::string> ids;
  for (const TItem& item : wanted) ids.push_back(item.id);
  store_.Retain(ids, signature, TImU::LargePictures());
  given_up_.erase(std::remove_if(given_up_.begin(), given_up_.end(),
                                 [&ids](const std::string& id) {
                                   return std::find(ids.begin(), ids.end(), id) == ids.end();
                                 }),
                  given_up_.end());
  watch_timer_->start();
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    const TItem& item = wanted[i];
    const TPreparedPicture* held = store_.Find(item.id);
    if (held && held->signature == signature) continue;
    if (std::find(given_up_.begin(), given_up_.end(), item.id) != given_up_.end()) continue;
    // The picture the next slide tick shows is certain to be asked for: it is prepared at the
    // priority the tick would load it at, so that a busy machine cannot starve it.
    Launch(item, i == 0 && parts_.slide_show.Running());
    return;
  }
}

void TReadAhead::Launch(TItem item, bool next_slide) {
  const TMainSettings& s = parts_.settings;
  const TPictureView& view = parts_.view;
  auto job = std::make_shared<TReadAheadJob>();
  job->id = item.id;
  job->record = item.record;
  job->path = item.path;
  job->data = item.data;
  job->large_pictures = TImU::LargePictures();
  job->signature = last_signature_;
  // A picture held from before keeps its decoding; only its steps are prepared again.
  store_.Release(item.id, job->held);
  job->available = store_.Budget() - std::min(store_.Budget(), store_.Held());
  const TJobOptions o = view.EveryTimeOptions();
  const bool dialogs = o.fusion || o.text || o.rotation || o.free_filter || o.rgb;
  job->every_option = o.every_option;
  job->correct = o.every_time && !dialogs &&
                 (o.every_option == 0 || o.every_option == 4 || o.every_option == 5);
  job->rectify_type = s.effect.rectify_type;
  job->arrangement = view.Arrangement();
  job->geometry = view.Geometry();
  job->rotation_type = s.effect.rotation < 0 || s.effect.rotation > 2 ? 0 : s.effect.rotation;
  job->rotation_back = parts_.slide_show.Running() && !s.effect.rotation_ignore_back_color
                           ? s.base.slide_back_color
                           : s.effect.rotation_back_color;
  working_id_ = item.id;
  next_slide_ = next_slide;
  own_thread_only_.store(!next_slide, std::memory_order_release);
  job_ = job;
  busy_.store(true, std::memory_order_release);
  worker_ = new TWorkerThread([this, job] {
    Prepare(*job);
    QMetaObject::invokeMethod(
        this, [this, job] { Finished(job); }, Qt::QueuedConnection);
  });
  worker_->start(next_slide ? QThread::NormalPriority : QThread::IdlePriority);
}

void TReadAhead::Finished(std::shared_ptr<TReadAheadJob> job) {
  if (job != job_) return;  // given up and reaped before its end arrived
  const bool wanted = IsBusy();
  busy_.store(false, std::memory_order_release);
  Reap();
  working_id_.clear();
  peak_bytes_ = std::max(peak_bytes_, store_.Held() + job->reserved);
  if (wanted) {
    if (!job->ok || !store_.Put(std::move(job->prepared))) given_up_.push_back(job->id);
  }
  pending_ = true;
  Schedule();
}

void TReadAhead::ProgressRange(int max) {
  const std::lock_guard lock(report_mutex_);
  progress_max_ = std::max(max, 0);
}

void TReadAhead::Progress(int position) {
  const std::lock_guard lock(report_mutex_);
  progress_ = position;
}

void TReadAhead::Status(const std::string& text) {
  const std::lock_guard lock(report_mutex_);
  status_ = text;
}

void TReadAhead::Prepare(TReadAheadJob& job) {
  TFileStamp stamp;
  if (!ReadFileStamp(job.path, stamp)) return;
  TPreparedPicture& out = job.prepared;
  out.id = job.id;
  out.stamp = stamp;
  out.large_pictures = job.large_pictures;
  out.signature = job.signature;
  std::size_t used = 0;
  const auto reserve = [&job, &used](std::size_t bytes) {
    used += bytes;
    if (used > job.available) return false;
    job.reserved = std::max(job.reserved, used);
    return true;
  };
  std::string error;
  if (!job.held.picture.Empty() && job.held.stamp == stamp &&
      job.held.large_pictures == job.large_pictures) {
    out.picture.Swap(job.held.picture);
    reserve(out.picture.ByteSize());
  } else {
    int width = 0, height = 0;
    if (!loader_.ReadSize(job.path, width, height, error) ||
        !TImU::LoadSizeIsAllowed(width, height))
      return;  // showing it says why
    // The file's bytes are held while it is decoded.
    if (!reserve(PictureBytes(width, height) + static_cast<std::size_t>(stamp.size))) return;
    if (job.record) {
      if (!reserve(PictureBytes(job.data.w, job.data.h))) return;
      std::string message;
      if (!RenderRegion(out.picture, job.data, false, loader_, &message) || !message.empty())
        return;
    } else if (!loader_.Load(job.path, out.picture, error, this)) {
      return;
    }
    used = out.picture.ByteSize();
  }
  if (!IsBusy()) return;

  const auto clear_reports = [this] {
    const std::lock_guard lock(report_mutex_);
    status_.clear();
    progress_max_ = progress_ = -1;
  };
  const auto take_reports = [this](TPreparedStep& step) {
    const std::lock_guard lock(report_mutex_);
    step.status = status_;
    step.progress_max = progress_max_;
    step.progress = progress_;
  };
  // A record's effects, each as the controller runs it on a copy of the picture before.
  const TBitmap24* current = &out.picture;
  out.steps.reserve(job.data.effects.size() + 1);  // current stays where it points
  if (job.record) {
    for (const std::string& entry : job.data.effects) {
      const TEffectKind kind = EffectKindOf(entry);
      if (kind == TEffectKind::kNone) continue;
      const std::string parameters(EffectParameters(entry));
      TPreparedStep step;
      step.parameter = parameters;
      step.hand_over = true;
      if (!reserve(current->ByteSize())) return;
      step.result = *current;
      clear_reports();
      bool done = false;
      std::string message;
      if (kind == TEffectKind::kRotation) {
        TAngle angle;
        if (!ParseAngleText(parameters, angle)) return;
        step.name = "Rotation";
        TImageRotation rotation(this);
        done = rotation.Rotate(step.result, parameters, job.rotation_back, job.rotation_type,
                               &message);
      } else if (kind == TEffectKind::kRGB) {
        if (std::count(parameters.begin(), parameters.end(), ',') != 8) return;
        step.name = "RGBArrange";
        TImageRGBArrange arrange(this);
        done = arrange.Arrange(step.result, parameters, &message);
      } else if (kind == TEffectKind::kFreeFilter) {
        step.name = "FreeFilter";
        TImageFilterSimple filter(this);
        done = filter.RunKernelText(step.result, parameters);
        if (!filter.Messages().empty()) return;
      } else {
        return;  // text is drawn with the window's fonts: the record is not prepared
      }
      // A run with something to say is left to the viewer, which says it.
      if (!done || !message.empty()) return;
      used += step.result.ByteSize() - current->ByteSize();
      if (!reserve(0)) return;
      take_reports(step);
      out.steps.push_back(std::move(step));
      current = &out.steps.back().result;
    }
  }

  // The correction, when it is the first step to change the picture: as the controller's
  // resize correction computes it, to the display size the set-up step would give.
  const int width = current->Width(), height = current->Height();
  if (!job.correct || width <= 0) {
    job.ok = true;
    return;
  }
  if (job.arrangement != TArrangement::kNormal &&
      DirectionTurn(job.arrangement, width, height) != 0) {
    job.ok = true;
    return;
  }
  TViewerGeometry g = job.geometry;
  g.SetPicture(width, height);
  if (g.SetUp(TViewerGeometry::TPlacing::kPosition, !out.steps.empty()) !=
      TViewerGeometry::TSetUpResult::kOk) {
    job.ok = true;
    return;
  }
  if (g.no_space) g.FillWithoutSpace();
  TPreparedStep step;
  step.name = "Rectify";
  step.target_width = g.DisplayWidth();
  step.target_height = g.DisplayHeight();
  step.kind = job.rectify_type;
  if (job.every_option == 5 && step.target_width > width) {
    job.ok = true;  // the unsharp masking comes first
    return;
  }
  int target_width = step.target_width, target_height = step.target_height;
  TImageThreadWatcherForm::LimitTarget(target_width, target_height);
  const float scale = static_cast<float>(target_width) / static_cast<float>(width);
  clear_reports();
  Status(TImageThreadWatcherForm::ScaleCaption(scale));
  if ((target_width == width && target_height >= height) ||
      (target_height == height && target_width >= width)) {
    step.hand_over = false;
  } else {
    if (!reserve(PictureBytes(target_width, target_height))) {
      job.ok = true;  // the picture without its correction
      return;
    }
    TImageSizeChange engine(this);
    bool done;
    switch (job.rectify_type) {
      case 1:
        done = scale > 1 ? engine.BiLinerDouble(*current, step.result, target_height, target_width)
                         : engine.Integral(*current, step.result, target_height, target_width);
        break;
      case 2:
        done = engine.BiLinerAndIntegralDouble(*current, step.result, target_height, target_width);
        break;
      default:
        done = engine.BiLiner(*current, step.result, target_height, target_width);
        break;
    }
    if (!done) {
      job.ok = IsBusy();
      return;
    }
    step.hand_over = true;
  }
  take_reports(step);
  out.steps.push_back(std::move(step));
  job.ok = true;
}
