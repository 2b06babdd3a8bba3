#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browse/table/ThumbNailAcquire.h"
#include "engine/EngineOwner.h"

class TBandExecutor;

// The decodes of a page's pictures, made on worker threads ahead of their cells so that the
// page fill only places what is ready. The fill still decides everything (the capacity test,
// the store, the messages) in its own thread and cell order; a prepared decode is only the
// result AcquireFileThumbNail would have given there. Decodes are begun in job order on a
// thread of our own that lends itself to the executor's bands, so with a pool of n lanes n
// pictures decode at once and the calling thread is never among them.
class TThumbNailPrefetch {
 public:
  struct TJob {
    int cell = -1;
    std::string path;       // the picture file, or the record's picture
    bool cap_data = false;  // a cap data record's region
    TCapData record;
  };
  // The decode of one picture; Acquire unless a test holds it. options.owner is the job's
  // cancellation.
  using TPrepare =
      std::function<TThumbNailAcquisition(const TJob&, const TThumbNailAcquireOptions&)>;
  // What the fill would obtain: AcquireFileThumbNail or AcquireCapDataThumbNail.
  static TThumbNailAcquisition Acquire(const TJob& job, const TThumbNailAcquireOptions& options);

  // Starts at once. ready is called on a worker thread after each decode ends (done or
  // cancelled); it must only post. A null executor decodes one picture at a time.
  TThumbNailPrefetch(std::vector<TJob> jobs, const TThumbNailAcquireOptions& options,
                     TBandExecutor* executor, std::function<void()> ready,
                     TPrepare prepare = Acquire);
  // Cancels what is left and waits for the decodes under way (they stop at their next check
  // point).
  ~TThumbNailPrefetch();
  TThumbNailPrefetch(const TThumbNailPrefetch&) = delete;
  TThumbNailPrefetch& operator=(const TThumbNailPrefetch&) = delete;

  // Whether the cell has a decode on its way.
  bool Has(int cell) const { return JobOf(cell) >= 0; }
  // Whether waiting for the cell is over: its decode ended or was cancelled.
  bool Settled(int cell) const;
  // Hands over the cell's decode once it is settled; false when it was cancelled (or the cell
  // has none), and the fill then obtains the picture itself.
  bool Take(int cell, TThumbNailAcquisition& out);
  // The decodes of the cells after cell are given up (all of them for -1); those of the cells
  // up to it keep going. Jobs are given in cell order.
  void CancelAfter(int cell);
  void Cancel();

  // Decodes begun and decodes that ran to their end (for tests and the benchmark).
  int Started() const { return started_.load(); }
  int Finished() const { return finished_.load(); }

 private:
  // Job k's view of the cancellation: busy while k is below the limit.
  class TJobOwner final : public TEngineOwner {
   public:
    TJobOwner(const std::atomic<int>& limit, int job) : limit_(limit), job_(job) {}
    bool IsBusy() const override { return job_ < limit_.load(std::memory_order_acquire); }

   private:
    const std::atomic<int>& limit_;
    int job_;
  };
  enum class TState { kWaiting, kDone, kCancelled };

  int JobOf(int cell) const;
  void Work();
  void RunJob(int job);

  std::vector<TJob> jobs_;
  TPictureTableSettings settings_;  // a copy: the user may not change it under the workers
  TThumbNailAcquireOptions options_;
  TPictureLoader loader_;  // a copy: the workers never reach into the window
  TBandExecutor* executor_;
  std::function<void()> ready_;
  TPrepare prepare_;
  std::atomic<int> next_{0};  // first job not yet claimed
  std::atomic<int> limit_;    // jobs at or beyond it are cancelled
  std::atomic<int> started_{0};
  std::atomic<int> finished_{0};
  mutable std::mutex mutex_;
  std::vector<TState> states_;
  std::vector<TThumbNailAcquisition> results_;
  std::thread thread_;
};
