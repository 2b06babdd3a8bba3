// Decodes made ahead of their cells: the same results as decoding in the fill, handed over once,
// and given up from a cell on while earlier ones keep going.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "browse/table/ThumbNailPrefetch.h"
#include "engine/BandExecutor.h"
#include "engine/ImageBasics.h"
#include "platform/WorkerPool.h"
#include "tests/TestSupport.h"

namespace {

class ThumbNailPrefetchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto add = [this](int cell, const std::string& path, const TCapData* record = nullptr) {
      TThumbNailPrefetch::TJob job;
      job.cell = cell;
      job.path = path;
      job.cap_data = record != nullptr;
      if (record) job.record = *record;
      jobs_.push_back(job);
    };
    for (int i = 0; i < 6; ++i) {
      std::string name = "p";
      const std::string path = dir_.File(name.append(std::to_string(i)).append(".bmp"));
      ASSERT_TRUE(SavePictureFile(PatternBitmap(30 + 7 * i, 20), path, true, 100));
      add(2 * i + 1, path);  // every other cell
    }
    add(13, dir_.File("gone.bmp"));
    const TCapData region{jobs_[2].path, 5, 2, 30, 14, {}};
    add(15, region.path, &region);
    settings_.thumb_size_width = settings_.thumb_size_height = 16;
    options_.settings = &settings_;
    options_.area_width = options_.area_height = 16;
    options_.loader = &loader_;
  }
  // Waits (at most ten seconds) until every job has ended.
  static bool AllSettled(const TThumbNailPrefetch& prefetch, const std::vector<int>& cells) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (const int cell : cells)
      while (!prefetch.Settled(cell))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
  }

  TTempDir dir_;
  TPictureLoader loader_;
  TPictureTableSettings settings_;
  TThumbNailAcquireOptions options_;
  std::vector<TThumbNailPrefetch::TJob> jobs_;
};

TEST_F(ThumbNailPrefetchTest, GivesWhatTheFillWouldHaveObtainedOnce) {
  TWorkerPool pool(3);
  TSequentialBands one(1);
  for (TBandExecutor* executor : std::initializer_list<TBandExecutor*>{nullptr, &one, &pool}) {
    std::atomic<int> ready = 0;
    TThumbNailPrefetch prefetch(jobs_, options_, executor, [&] { ++ready; });
    std::vector<int> cells;
    for (const auto& job : jobs_) cells.push_back(job.cell);
    ASSERT_TRUE(AllSettled(prefetch, cells));
    EXPECT_FALSE(prefetch.Has(0));
    EXPECT_TRUE(prefetch.Settled(0));  // nothing to wait for
    for (const auto& job : jobs_) {
      TThumbNailAcquisition got;
      ASSERT_TRUE(prefetch.Take(job.cell, got)) << job.path;
      const TThumbNailAcquisition expected = job.cap_data
                                                 ? AcquireCapDataThumbNail(job.record, options_)
                                                 : AcquireFileThumbNail(job.path, options_);
      EXPECT_EQ(got.outcome, expected.outcome);
      EXPECT_TRUE(got.picture.SamePixels(expected.picture)) << job.path;
      EXPECT_FALSE(prefetch.Take(job.cell, got));  // handed over once
    }
    EXPECT_EQ(ready.load(), static_cast<int>(jobs_.size()));
    EXPECT_EQ(prefetch.Finished(), static_cast<int>(jobs_.size()));
  }
}

TEST_F(ThumbNailPrefetchTest, CancellingKeepsTheCellsUpToTheOneBeingPlaced) {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  std::set<std::string> begun;
  auto held = [&](const TThumbNailPrefetch::TJob& job, const TThumbNailAcquireOptions& o) {
    const std::string& path = job.path;
    std::unique_lock<std::mutex> lock(mutex);
    begun.insert(path);
    changed.notify_all();
    changed.wait(lock, [&] { return open; });
    lock.unlock();
    TThumbNailAcquisition a = AcquireFileThumbNail(path, o);
    if (!o.owner->IsBusy()) a.outcome = TThumbNailOutcome::kUnreadable;
    return a;
  };
  TWorkerPool pool(2);
  TThumbNailPrefetch prefetch(jobs_, options_, &pool, {}, held);
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return begun.size() == 2; });  // cells 1 and 3 under way
  }
  prefetch.CancelAfter(2);  // cell 1 is being placed
  {
    std::lock_guard<std::mutex> lock(mutex);
    open = true;
  }
  changed.notify_all();
  ASSERT_TRUE(AllSettled(prefetch, {1, 3, 5, 7, 9, 11, 13, 15}));
  TThumbNailAcquisition got;
  EXPECT_TRUE(prefetch.Take(1, got));
  EXPECT_EQ(got.outcome, TThumbNailOutcome::kDone);
  for (const int cell : {3, 5, 13}) EXPECT_FALSE(prefetch.Take(cell, got)) << cell;
  EXPECT_EQ(prefetch.Started(), 2);  // the cells after 3 were never begun
  EXPECT_EQ(prefetch.Finished(), 1);
}

}  // namespace
