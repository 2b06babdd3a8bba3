#include "platform/WorkerPool.h"

#include <algorithm>
#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// A thread that has run out of bands, or waits for the bands others took, looks again for this
// long before it sleeps. The runs of a routine, and of routines called one after another, follow
// each other within microseconds, while waking a sleeping thread takes tens of microseconds: as
// long as a band of a small picture takes.
constexpr auto kSpin = std::chrono::microseconds(250);

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

// Polls ready() until it holds (true) or the spin time is over (false).
template <class Ready>
bool SpinUntil(Ready&& ready) {
  const auto end = std::chrono::steady_clock::now() + kSpin;
  for (unsigned i = 1;; ++i) {
    if (ready()) return true;
    Pause();
    if (i % 64 == 0 && std::chrono::steady_clock::now() >= end) return false;
  }
}

}  // namespace

TWorkerPool::TWorkerPool(int lanes)
    : lanes_(lanes > 0 ? lanes : CoreCount()), spin_(lanes_ <= CoreCount()) {
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
    stopping_.store(true, std::memory_order_relaxed);
  }
  work_.notify_all();
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
}

int TWorkerPool::ClaimBand(TJob& job) {
  const int band = job.next++;
  if (job.next >= job.bands) {
    const auto it = std::find(queue_.begin(), queue_.end(), &job);
    if (it != queue_.end()) {
      queue_.erase(it);
      queued_.store(static_cast<int>(queue_.size()), std::memory_order_relaxed);
    }
  }
  return band;
}

void TWorkerPool::Run(int bands, TBandTask task) {
  if (bands <= 0) return;
  TJob job{task, bands};
  std::unique_lock<std::mutex> lock(mutex_);
  const bool shared = bands > 1 && !stopping_.load(std::memory_order_relaxed) && lanes_ > 1;
  if (!shared) {
    lock.unlock();
    for (int b = 0; b < bands; ++b) task(b);
    return;
  }
  queue_.push_back(&job);
  queued_.store(static_cast<int>(queue_.size()), std::memory_order_relaxed);
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
    job.finished.fetch_add(1, std::memory_order_relaxed);
  }
  // The job is off the queue; wait for the bands the threads took.
  auto done = [&] { return job.finished.load(std::memory_order_acquire) == job.bands; };
  if (spin_ && !done()) {
    lock.unlock();
    SpinUntil(done);
    lock.lock();
  }
  // Taking the lock also waits for the thread that finished last to let go of the job.
  finished_.wait(lock, done);
}

void TWorkerPool::WorkerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  auto has_work = [&] {
    return stopping_.load(std::memory_order_relaxed) || queued_.load(std::memory_order_relaxed) > 0;
  };
  for (;;) {
    if (spin_ && !has_work()) {
      lock.unlock();
      SpinUntil(has_work);
      lock.lock();
    }
    work_.wait(lock, [&] { return stopping_.load(std::memory_order_relaxed) || !queue_.empty(); });
    if (stopping_.load(std::memory_order_relaxed)) return;
    TJob& job = *queue_.front();
    const int band = ClaimBand(job);
    lock.unlock();
    job.task(band);
    lock.lock();
    if (job.finished.fetch_add(1, std::memory_order_release) + 1 == job.bands)
      finished_.notify_all();
  }
}
