#include "browse/table/ThumbNailPrefetch.h"

#include <algorithm>

#include "engine/BandExecutor.h"

TThumbNailPrefetch::TThumbNailPrefetch(std::vector<TJob> jobs,
                                       const TThumbNailAcquireOptions& options,
                                       TBandExecutor* executor, std::function<void()> ready,
                                       TPrepare prepare)
    : jobs_(std::move(jobs)),
      settings_(options.settings ? *options.settings : TPictureTableSettings()),
      options_(options),
      loader_(options.loader ? *options.loader : TPictureLoader()),
      executor_(executor),
      ready_(std::move(ready)),
      prepare_(std::move(prepare)),
      limit_(static_cast<int>(jobs_.size())),
      states_(jobs_.size(), TState::kWaiting),
      results_(jobs_.size()) {
  options_.settings = &settings_;
  options_.loader = &loader_;
  if (!jobs_.empty()) thread_ = std::thread([this] { Work(); });
}

TThumbNailAcquisition TThumbNailPrefetch::Acquire(const TJob& job,
                                                  const TThumbNailAcquireOptions& options) {
  return job.cap_data ? AcquireCapDataThumbNail(job.record, options)
                      : AcquireFileThumbNail(job.path, options);
}

TThumbNailPrefetch::~TThumbNailPrefetch() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

int TThumbNailPrefetch::JobOf(int cell) const {
  const auto it = std::find_if(jobs_.begin(), jobs_.end(),
                               [cell](const TJob& job) { return job.cell == cell; });
  return it == jobs_.end() ? -1 : static_cast<int>(it - jobs_.begin());
}

bool TThumbNailPrefetch::Settled(int cell) const {
  const int job = JobOf(cell);
  if (job < 0 || job >= limit_.load(std::memory_order_acquire)) return true;
  std::lock_guard<std::mutex> lock(mutex_);
  return states_[static_cast<std::size_t>(job)] != TState::kWaiting;
}

bool TThumbNailPrefetch::Take(int cell, TThumbNailAcquisition& out) {
  const int job = JobOf(cell);
  if (job < 0 || job >= limit_.load(std::memory_order_acquire)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  const std::size_t k = static_cast<std::size_t>(job);
  if (states_[k] != TState::kDone) return false;
  out = std::move(results_[k]);
  states_[k] = TState::kCancelled;  // handed over once
  return true;
}

void TThumbNailPrefetch::CancelAfter(int cell) {
  // Jobs are in cell order: those of the cells up to this one stay.
  const int limit = static_cast<int>(std::count_if(
      jobs_.begin(), jobs_.end(), [cell](const TJob& job) { return job.cell <= cell; }));
  int current = limit_.load();
  while (limit < current && !limit_.compare_exchange_weak(current, limit)) {
  }
}

void TThumbNailPrefetch::Cancel() { limit_.store(0, std::memory_order_release); }

void TThumbNailPrefetch::Work() {
  const int count = static_cast<int>(jobs_.size());
  auto band = [this, count](int) {
    for (int job = next_.fetch_add(1); job < count; job = next_.fetch_add(1)) RunJob(job);
  };
  const int lanes = executor_ ? std::min(executor_->Bands(), count) : 1;
  if (lanes > 1)
    executor_->Run(lanes, TBandTask(band));
  else
    band(0);
}

void TThumbNailPrefetch::RunJob(int job) {
  const std::size_t k = static_cast<std::size_t>(job);
  TThumbNailAcquisition result;
  bool done = false;
  if (job < limit_.load(std::memory_order_acquire)) {
    started_.fetch_add(1);
    TJobOwner owner(limit_, job);
    TThumbNailAcquireOptions options = options_;
    options.owner = &owner;
    try {
      result = prepare_(jobs_[k], options);
      done = true;
    } catch (...) {
      // Left to the fill, which obtains the picture itself and reports what goes wrong.
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (done && job < limit_.load(std::memory_order_acquire)) {
      results_[k] = std::move(result);
      states_[k] = TState::kDone;
      finished_.fetch_add(1);
    } else {
      states_[k] = TState::kCancelled;
    }
  }
  if (ready_) ready_();
}
