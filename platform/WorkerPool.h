#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/BandExecutor.h"

// The program's worker threads for row bands, shared by the controllers' workers, the command
// line and the benchmarks. A pool of n lanes keeps n - 1 threads: the thread that calls Run
// works on its own bands too, so a run never waits for a free thread, and runs from several
// callers (or from inside a band) share the threads without deadlock.
class TWorkerPool final : public TBandExecutor {
 public:
  // lanes <= 0: one per processor core.
  explicit TWorkerPool(int lanes = 0);
  ~TWorkerPool() override;
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  int Bands() const override { return lanes_; }
  void Run(int bands, TBandTask task) override;

  // Stops the threads once their current bands are done; bands not yet begun are then run by
  // the threads that asked for them. Runs asked for later go on the calling thread. Idempotent.
  void Shutdown();

  static int CoreCount();

 private:
  struct TJob {
    TBandTask task;
    int bands;
    int next = 0;                   // first band not yet claimed
    std::atomic<int> finished = 0;  // bands whose call has returned (changed under the lock)
  };
  void WorkerLoop();
  // With the lock held: the next band of job, taking the job off the queue when it has no more.
  int ClaimBand(TJob& job);

  int lanes_;
  bool spin_;  // threads look again before they sleep (not when there are more than cores)
  std::mutex mutex_;
  std::mutex shutdown_mutex_;
  std::condition_variable work_;
  std::condition_variable finished_;
  std::deque<TJob*> queue_;
  std::atomic<int> queued_ = 0;  // queue_.size(), for the spinning threads
  std::atomic<bool> stopping_ = false;
  std::vector<std::thread> threads_;
};
