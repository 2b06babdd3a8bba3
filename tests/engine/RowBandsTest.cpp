#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/BandExecutor.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageFusion.h"
#include "engine/ImageOption.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageSizeChange.h"
#include "tests/TestSupport.h"

namespace {

// Every band on a thread of its own (band 0 on the caller), all at once.
class TThreadBands final : public TBandExecutor {
 public:
  explicit TThreadBands(int bands) : bands_(bands) {}
  int Bands() const override { return bands_; }
  void Run(int bands, TBandTask task) override {
    std::vector<std::thread> threads;
    for (int b = 1; b < bands; ++b) threads.emplace_back([=] { task(b); });
    task(0);
    for (std::thread& t : threads) t.join();
  }

 private:
  int bands_;
};

TBitmap24 NoiseBitmap(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  TBitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) bmp.Row(y)[x] = static_cast<std::uint8_t>(rng() >> 24);
  return bmp;
}

// One operation on src: the picture it makes with the given executor (null: one band), or an
// empty one when it failed.
using TOperation = std::function<TBitmap24(const TBitmap24& src, TBandExecutor* executor)>;

TOperation Resize(bool (TImageSizeChange::*algorithm)(const TBitmap24&, TBitmap24&, int, int),
                  int dw, int dh) {
  return [=](const TBitmap24& src, TBandExecutor* executor) {
    TImageSizeChange resizer;
    resizer.SetExecutor(executor);
    TBitmap24 dst;
    if (!(resizer.*algorithm)(src, dst, dh, dw)) return TBitmap24();
    return dst;
  };
}

TOperation Rotate(const char* angle, int mode) {
  return [=](const TBitmap24& src, TBandExecutor* executor) {
    TImageRotation rotation;
    rotation.SetExecutor(executor);
    TBitmap24 dst;
    if (!rotation.Rotate(src, dst, angle, MakeColor(1, 2, 3), mode)) return TBitmap24();
    return dst;
  };
}

TOperation Filter(std::function<bool(TImageFilterSimple&, TBitmap24&)> run) {
  return [=](const TBitmap24& src, TBandExecutor* executor) {
    TImageFilterSimple filter;
    filter.SetExecutor(executor);
    TBitmap24 bmp = src;
    if (!run(filter, bmp)) return TBitmap24();
    return bmp;
  };
}

struct TBandCase {
  const char* name;
  TOperation run;
};

std::vector<TBandCase> BandCases() {
  using R = TImageSizeChange;
  return {
      {"BiLinerUp", Resize(&R::BiLiner, 61, 47)},
      {"BiLinerDown", Resize(&R::BiLiner, 13, 9)},
      {"BiLinerDoubleUp", Resize(&R::BiLinerDouble, 61, 47)},
      {"IntegralDown", Resize(&R::Integral, 13, 9)},
      {"BiLinerAndIntegralDoubleDown", Resize(&R::BiLinerAndIntegralDouble, 13, 9)},
      {"BiLinerAndIntegralDoubleUp", Resize(&R::BiLinerAndIntegralDouble, 61, 47)},
      {"Stretch",
       [](const TBitmap24& src, TBandExecutor* executor) {
         TBitmap24 dst;
         if (!StretchBitmap(src, dst, 53, 41, executor)) return TBitmap24();
         return dst;
       }},
      {"Rotate0", Rotate("30", kRotationBlend)},
      {"Rotate1", Rotate("-17.5", kRotationArea)},
      {"Rotate2", Rotate("30", kRotationHoles)},
      {"Rotate2Backwards", Rotate("200.5", kRotationHoles)},
      {"Rotate2Steep", Rotate("-80", kRotationHoles)},
      {"Clockwise", Rotate("90", kRotationBlend)},
      {"Anticlockwise", Rotate("-90", kRotationArea)},
      {"HalfTurn", Rotate("180", kRotationBlend)},
      {"Convolve5", Filter([](TImageFilterSimple& f, TBitmap24& b) {
         return f.LowPass(b, 5, false, 50, false, false, false);
       })},
      {"Unsharp", Filter([](TImageFilterSimple& f, TBitmap24& b) {
         return f.UnsharpMask(b, 150, 3, false, 50, false, true, true);
       })},
      {"FreeKernelWide", Filter([](TImageFilterSimple& f, TBitmap24& b) {
         // Weights past 16 bits take the exact 64-bit path.
         return f.RunKernelText(b, "STD,3,1,2,1,2,100000,2,1,2,1,0,128");
       })},
      {"EmbossAddedGrey", Filter([](TImageFilterSimple& f, TBitmap24& b) {
         return f.RunKernelText(b, "+EM,3,-1,0,0,0,0,0,0,0,1,1,100");
       })},
      {"RGBArrange",
       [](const TBitmap24& src, TBandExecutor* executor) {
         TImageRGBArrange arrange;
         arrange.SetExecutor(executor);
         TBitmap24 bmp = src;
         if (!arrange.Arrange(bmp, "3,8,2,0,1,0,10,50,-10")) return TBitmap24();
         return bmp;
       }},
      {"Fuse",
       [](const TBitmap24& src, TBandExecutor* executor) {
         const TBitmap24 b = PatternBitmap(9, 30);
         TBitmap24 result;
         int top = 0, left = 0;
         if (!Fuse(src, b, top, left, "R,-4,60,70,-1,30,0,255", result, nullptr, executor))
           return TBitmap24();
         return result;
       }},
      {"OverlayKeyed",
       [](const TBitmap24& src, TBandExecutor* executor) {
         TBitmap24 target = PatternBitmap(src.Width() + 5, src.Height() + 4);
         if (!OverlayKeyed(src, target, false, 0.3, 2, 3, executor)) return TBitmap24();
         return target;
       }},
  };
}

class RowBandsTest : public ::testing::TestWithParam<TBandCase> {};

// Odd sizes, and a picture of fewer rows than bands.
TEST_P(RowBandsTest, EveryBandCountGivesTheSameBytes) {
  for (const TBitmap24& src : {NoiseBitmap(37, 23, 5), NoiseBitmap(29, 3, 6)}) {
    const TBitmap24 one = GetParam().run(src, nullptr);
    ASSERT_FALSE(one.Empty());
    for (int bands : {1, 2, 3, 7}) {
      TSequentialBands sequential(bands);
      TThreadBands threads(bands);
      for (TBandExecutor* executor :
           {static_cast<TBandExecutor*>(&sequential), static_cast<TBandExecutor*>(&threads)}) {
        const TBitmap24 banded = GetParam().run(src, executor);
        EXPECT_TRUE(banded.SamePixels(one)) << bands << " bands, " << src.Height() << " rows";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, RowBandsTest, ::testing::ValuesIn(BandCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Cancels at its limit-th look, from any thread; lends the executor.
class TBandOwner : public TEngineOwner {
 public:
  TBandOwner(TBandExecutor* executor, int limit) : executor_(executor), limit_(limit) {}
  bool IsBusy() const override { return ++looks_ <= limit_; }
  bool ReportsProgressFor(TEngineOperation op) const override {
    return op == TEngineOperation::kRotation;
  }
  void ProgressRange(int max) override { range_ = max; }
  void Progress(int position) override { positions_.push_back(position); }
  TBandExecutor* Executor() const override { return executor_; }

  TBandExecutor* executor_;
  int limit_;
  mutable std::atomic<int> looks_{0};
  int range_ = -1;
  std::vector<int> positions_;
};

TEST(RowBands, CancelledRunsLeaveTheTargetWithAnyBandCount) {
  const TBitmap24 src = NoiseBitmap(300, 250, 8);
  for (int bands : {1, 2, 3, 7}) {
    TThreadBands threads(bands);
    for (int limit : {0, 2, 5}) {
      TBandOwner owner(&threads, limit);
      const TBitmap24 before = PatternBitmap(11, 7);
      TBitmap24 target = before;
      TImageSizeChange resizer(&owner);
      EXPECT_FALSE(resizer.BiLiner(src, target, 333, 317)) << bands << " " << limit;
      EXPECT_TRUE(target.SamePixels(before));
      TImageRotation rotation(&owner);
      EXPECT_FALSE(rotation.Rotate(src, target, "33", kWhite, kRotationArea));
      EXPECT_FALSE(rotation.Rotate(src, target, "33", kWhite, kRotationHoles));
      EXPECT_TRUE(target.SamePixels(before));
      TImageFilterSimple filter(&owner);
      target = src;
      EXPECT_FALSE(filter.LowPass(target, 7, false, 50, false, false, true));
      EXPECT_TRUE(target.SamePixels(src));
    }
    // Sizes beyond the working limit are refused before any band starts.
    TBandOwner busy(&threads, 1 << 30);
    TImageSizeChange resizer(&busy);
    TBitmap24 target = PatternBitmap(5, 5);
    EXPECT_FALSE(resizer.Integral(src, target, 1001, 5001));
    EXPECT_EQ(busy.looks_.load(), 0);
    EXPECT_EQ(target.Width(), 5);
  }
}

TEST(RowBands, ProgressRisesByHundredsForTheOperationsTheOwnerShows) {
  const TBitmap24 src = NoiseBitmap(200, 420, 3);
  for (int bands : {1, 3, 7}) {
    TThreadBands threads(bands);
    TBandOwner owner(&threads, 1 << 30);
    TImageRotation rotation(&owner);
    TBitmap24 dst;
    ASSERT_TRUE(rotation.Rotate(src, dst, "10", kWhite, kRotationBlend));
    EXPECT_EQ(owner.range_, dst.Height() - 1);
    ASSERT_GE(owner.positions_.size(), 2u);
    EXPECT_EQ(owner.positions_[0], 0);
    for (std::size_t i = 1; i < owner.positions_.size(); ++i) {
      EXPECT_EQ(owner.positions_[i] % 100, 0);
      if (i > 1) {
        EXPECT_GT(owner.positions_[i], owner.positions_[i - 1]);
      }
    }
    // A resize is not shown by this owner.
    owner.positions_.clear();
    TImageSizeChange resizer(&owner);
    ASSERT_TRUE(resizer.Integral(src, dst, 300, 100));
    EXPECT_TRUE(owner.positions_.empty());
  }
  // One band reports every hundredth row in order.
  TSequentialBands three(3);
  TBandOwner owner(&three, 1 << 30);
  TImageRotation rotation(&owner);
  TBitmap24 dst;
  ASSERT_TRUE(rotation.Rotate(src, dst, "0.5", kWhite, kRotationBlend));
  std::vector<int> expected = {0};
  for (int row = 0; row < dst.Height(); row += 100) expected.push_back(row);
  EXPECT_EQ(owner.positions_, expected);
}

TEST(RowBands, OwnersWithoutAnOperationKeepTheirOldAnswer) {
  class TOldOwner : public TEngineOwner {
   public:
    bool IsBusy() const override { return true; }
    bool ReportsProgress() const override { return true; }
  } old_owner;
  EXPECT_TRUE(old_owner.ReportsProgressFor(TEngineOperation::kResize));
  EXPECT_TRUE(old_owner.ReportsProgressFor(TEngineOperation::kRotation));
  EXPECT_EQ(old_owner.Executor(), nullptr);
}

}  // namespace
