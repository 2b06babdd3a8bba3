#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/ImageSizeChange.h"
#include "platform/WorkerPool.h"
#include "tests/TestSupport.h"

namespace {

// Runs of several callers at once, a run inside a band of another, and band counts above and
// below the lanes: every band once, and every run ends.
TEST(WorkerPool, EveryBandRunsOnceWhateverTheCallers) {
  TWorkerPool pool(3);
  EXPECT_EQ(pool.Bands(), 3);
  std::atomic<int> wrong{0};
  std::vector<std::thread> callers;
  for (int c = 0; c < 4; ++c)
    callers.emplace_back([&] {
      for (int bands : {1, 2, 5, 9}) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(bands));
        std::atomic<int> inner_runs{0};
        auto task = [&](int band) {
          runs[static_cast<std::size_t>(band)].fetch_add(1);
          if (band == 0) {
            auto inner = [&](int) { inner_runs.fetch_add(1); };
            pool.Run(3, TBandTask(inner));
          }
        };
        pool.Run(bands, TBandTask(task));
        for (const std::atomic<int>& r : runs)
          if (r.load() != 1) wrong.fetch_add(1);
        if (inner_runs.load() != 3) wrong.fetch_add(1);
      }
    });
  for (std::thread& t : callers) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

// Program exit while a run waits for threads: the caller finishes the bands that were not begun.
TEST(WorkerPool, ShutdownWhileARunIsQueuedEndsCleanly) {
  TWorkerPool pool(2);
  std::mutex mutex;
  std::condition_variable changed;
  int started = 0;
  bool open = false;
  std::atomic<int> ran{0};
  auto task = [&](int) {
    std::unique_lock<std::mutex> lock(mutex);
    ++started;
    changed.notify_all();
    changed.wait(lock, [&] { return open; });
    ran.fetch_add(1);
  };
  std::thread caller([&] { pool.Run(8, TBandTask(task)); });
  {
    // Both lanes are inside a band; six bands are still queued.
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return started == 2; }));
  }
  std::thread closer([&] { pool.Shutdown(); });
  {
    std::lock_guard<std::mutex> lock(mutex);
    open = true;
  }
  changed.notify_all();
  caller.join();
  closer.join();
  EXPECT_EQ(ran.load(), 8);
  // After shutdown the caller's thread does the work.
  std::atomic<int> later{0};
  auto count = [&](int) { later.fetch_add(1); };
  pool.Run(4, TBandTask(count));
  EXPECT_EQ(later.load(), 4);
}

TEST(WorkerPool, EngineResultsMatchTheOneThreadRun) {
  TWorkerPool pool(4);
  const TBitmap24 src = PatternBitmap(301, 207);
  TImageSizeChange alone, shared;
  shared.SetExecutor(&pool);
  TBitmap24 a, b;
  ASSERT_TRUE(alone.BiLinerAndIntegralDouble(src, a, 311, 433));
  ASSERT_TRUE(shared.BiLinerAndIntegralDouble(src, b, 311, 433));
  EXPECT_TRUE(a.SamePixels(b));
}

}  // namespace
