#include "platform/WorkerPool.h"

#include <algorithm>

TWorkerPool::TWorkerPool(int lanes) : lanes_(lanes > 0 ? lanes : CoreCount()) {
  threads_.reserve(static_cast<std::size_t>(lanes_ - 1));
  for (int i = 1; i < lanes_; ++i) threads_.emplace_back([this] { WorkerLoop(); });
}

TWorkerPool::~TWorkerPool() { Shutdown(); }

int TWorkerPool::CoreCount() {
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void TWorkerPool::Shutdown() {
  std::lock_guard<std::mutex> once(shutdown_mutex_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
}

int TWorkerPool::ClaimBand(TJob& job) {
  const int band = job.next++;
  if (job.next >= job.bands) {
    const auto it = std::find(queue_.begin(), queue_.end(), &job);
    if (it != queue_.end()) queue_.erase(it);
  }
  return band;
}

void TWorkerPool::Run(int bands, TBandTask task) {
  if (bands <= 0) return;
  TJob job{task, bands};
  std::unique_lock<std::mutex> lock(mutex_);
  const bool shared = bands > 1 && !stopping_ && lanes_ > 1;
  if (!shared) {
    lock.unlock();
    for (int b = 0; b < bands; ++b) task(b);
    return;
  }
  queue_.push_back(&job);
  lock.unlock();
  if (bands - 1 >= lanes_ - 1)
    work_.notify_all();
  else
    for (int i = 1; i < bands; ++i) work_.notify_one();
  lock.lock();
  while (job.next < job.bands) {
    const int band = ClaimBand(job);
    lock.unlock();
    task(band);
    lock.lock();
    ++job.finished;
  }
  // The job is off the queue; wait for the bands the threads took.
  finished_.wait(lock, [&] { return job.finished == job.bands; });
}

void TWorkerPool::WorkerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    TJob& job = *queue_.front();
    const int band = ClaimBand(job);
    lock.unlock();
    job.task(band);
    lock.lock();
    if (++job.finished == job.bands) finished_.notify_all();
  }
}
