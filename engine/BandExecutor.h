#pragma once

#include <algorithm>
#include <atomic>
#include <concepts>
#include <mutex>
#include <type_traits>

#include "engine/EngineOwner.h"

// Row bands on borrowed threads.
//
// The engine starts no threads. A routine that can split its rows takes a TBandExecutor and hands
// it one task per band of rows; the platform implements the executor once over a pool of worker
// threads (platform/WorkerPool.h). A routine finds its executor in one of two places:
//   - the owner's Executor() (the worker controllers lend their pool this way), or
//   - the engine object's SetExecutor() or a free routine's executor argument, for callers
//     without an owner (the benchmarks, tests). This one wins over the owner's.
// When neither names one, the process-wide default executor is used (SetDefaultBandExecutor):
// the command line sets it once from --threads, so that every routine it calls, however deep,
// runs in bands. With no executor at all a routine runs as one band on the calling thread.
// Every band count gives the same bytes: bands only decide which thread computes a row, never
// how.

// A reference to a callable taking the band number; it does not own what it refers to.
class TBandTask {
 public:
  template <class F>
  requires(!std::same_as<std::remove_cvref_t<F>, TBandTask>)
      TBandTask(F& f)  // NOLINT: converts from any band callable
      : context_(&f), call_([](void* c, int band) { (*static_cast<F*>(c))(band); }) {}
  void operator()(int band) const { call_(context_, band); }

 private:
  void* context_;
  void (*call_)(void*, int);
};

class TBandExecutor {
 public:
  virtual ~TBandExecutor() = default;
  // How many bands a routine should cut its rows into.
  virtual int Bands() const = 0;
  // Calls task(b) once for every b in [0, bands), in any order and on any threads (the caller's
  // among them), and returns when all calls have returned. Tasks do not throw. An executor that
  // is shutting down still runs every band, on the calling thread if need be.
  virtual void Run(int bands, TBandTask task) = 0;
};

// Runs every band on the calling thread, one after another: for tests of the band split.
class TSequentialBands final : public TBandExecutor {
 public:
  explicit TSequentialBands(int bands) : bands_(bands) {}
  int Bands() const override { return bands_; }
  void Run(int bands, TBandTask task) override {
    for (int b = 0; b < bands; ++b) task(b);
  }

 private:
  int bands_;
};

// The default executor. Set it before any work runs and clear it (null) before the executor is
// destroyed; routines read it as they start.
inline std::atomic<TBandExecutor*>& DefaultBandExecutorSlot() {
  static std::atomic<TBandExecutor*> slot{nullptr};
  return slot;
}
inline void SetDefaultBandExecutor(TBandExecutor* executor) {
  DefaultBandExecutorSlot().store(executor);
}
inline TBandExecutor* DefaultBandExecutor() { return DefaultBandExecutorSlot().load(); }

// The engine object's own executor, else the owner's; null leaves it to TRowBands (the default).
inline TBandExecutor* ChooseExecutor(TBandExecutor* own, const TEngineOwner* owner) {
  return own ? own : (owner ? owner->Executor() : nullptr);
}

// One run of a routine over [0, rows) in bands: the owner's checkpoints shared by all bands.
// Rows [Begin(b), End(b)) form band b; there are never more bands than rows. Checkpoint(row)
// asks the owner at every 100th row, whichever band reaches it, and reports progress in rising
// order; once one band sees the owner cancel, every band stops at its next look.
class TRowBands {
 public:
  TRowBands(TBandExecutor* executor, TEngineOwner* owner, TEngineOperation op, int rows,
            bool cancellable = true)
      : executor_(executor ? executor : DefaultBandExecutor()),
        owner_(owner),
        rows_(std::max(rows, 0)),
        cancellable_(cancellable && owner != nullptr),
        reports_(owner != nullptr && owner->ReportsProgressFor(op)) {
    count_ = std::clamp(executor_ ? executor_->Bands() : 1, 1, std::max(rows_, 1));
    if (reports_) {
      owner_->ProgressRange(rows_ - 1);
      owner_->Progress(0);
    }
  }
  TRowBands(const TRowBands&) = delete;
  TRowBands& operator=(const TRowBands&) = delete;

  int Count() const { return count_; }
  int Begin(int band) const {
    return static_cast<int>(static_cast<long long>(rows_) * band / count_);
  }
  int End(int band) const { return Begin(band + 1); }

  // Before each row; false when the routine must stop.
  bool Checkpoint(int row) {
    if (row % 100 != 0) return true;
    if (stop_.load(std::memory_order_relaxed)) return false;
    if (cancellable_ && !owner_->IsBusy()) {
      stop_.store(true, std::memory_order_relaxed);
      return false;
    }
    if (reports_) {
      std::lock_guard<std::mutex> lock(progress_mutex_);
      if (row > reported_) {
        reported_ = row;
        owner_->Progress(row);
      }
    }
    return true;
  }

  // The look at every 100th pixel: true once the run must stop.
  bool Cancelled() {
    if (stop_.load(std::memory_order_relaxed)) return true;
    if (cancellable_ && !owner_->IsBusy()) {
      stop_.store(true, std::memory_order_relaxed);
      return true;
    }
    return false;
  }

  // Calls body(band, begin, end) for every band; true when every call returned true. A body
  // that throws (out of memory) fails the run.
  template <class Body>
  bool Run(Body&& body) {
    auto one = [&](int band) {
      try {
        if (!body(band, Begin(band), End(band))) stop_.store(true, std::memory_order_relaxed);
      } catch (...) {
        stop_.store(true, std::memory_order_relaxed);
      }
    };
    if (count_ == 1 || !executor_)
      for (int b = 0; b < count_; ++b) one(b);
    else
      executor_->Run(count_, TBandTask(one));
    return !stop_.load();
  }

 private:
  TBandExecutor* executor_;
  TEngineOwner* owner_;
  int rows_;
  bool cancellable_;
  bool reports_;
  int count_ = 1;
  std::atomic<bool> stop_{false};
  std::mutex progress_mutex_;
  int reported_ = -1;
};
