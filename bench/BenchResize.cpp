// Resampling at the largest sizes the working limit allows: every algorithm refuses a source or
// result above 4,000,000 pixels, so reductions start from 2308 x 1732 (about 4 MP, the 4:3 shape of
// a 12 MP photo) to 577 x 433, and enlargements go from 1000 x 1000 to 2000 x 2000.
// bench/compare_resize.py times OpenCV on the very same sizes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "bench/BenchSupport.h"
#include "engine/Bitmap24.h"
#include "engine/ImageSizeChange.h"

namespace {

constexpr int kDownSrcWidth = 2308, kDownSrcHeight = 1732;
constexpr int kDownWidth = kDownSrcWidth / 4, kDownHeight = kDownSrcHeight / 4;
constexpr int kUpSrcWidth = 1000, kUpSrcHeight = 1000;

TBitmap24 NoisePicture(int width, int height) {
  TBitmap24 bmp(width, height);
  std::mt19937 rng(12345);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bmp.Row(y);
    for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<std::uint8_t>(rng() >> 24);
  }
  return bmp;
}

const TBitmap24& DownSource() {
  static const TBitmap24 bmp = NoisePicture(kDownSrcWidth, kDownSrcHeight);
  return bmp;
}

const TBitmap24& UpSource() {
  static const TBitmap24 bmp = NoisePicture(kUpSrcWidth, kUpSrcHeight);
  return bmp;
}

using TAlgorithm = bool (TImageSizeChange::*)(const TBitmap24&, TBitmap24&, int, int);

// One resizer and one result bitmap per case, kept across iterations like a controller keeps
// its bitmaps.
void RunResize(benchmark::State& state, TAlgorithm algorithm, const TBitmap24& src, int width,
               int height, bool reference = false) {
  static TImageSizeChange resizer;
  resizer.SetExecutor(BenchExecutor(state));
  resizer.UseReferencePaths(reference);
  TBitmap24 dst;
  // The result and the working bitmap trade places on every call: two calls touch both first.
  for (int i = 0; i < 2; ++i) (resizer.*algorithm)(src, dst, height, width);
  for (auto _ : state) {
    if (!(resizer.*algorithm)(src, dst, height, width)) {
      state.SkipWithError("resize refused");
      break;
    }
    benchmark::DoNotOptimize(dst.Data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(width) * height);
}

void BM_BiLinerDown25(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLiner, DownSource(), kDownWidth, kDownHeight);
}
void BM_BiLinerUp2(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLiner, UpSource(), 2 * kUpSrcWidth, 2 * kUpSrcHeight);
}
void BM_BiLinerDoubleDown25(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerDouble, DownSource(), kDownWidth, kDownHeight);
}
void BM_BiLinerDoubleUp2(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerDouble, UpSource(), 2 * kUpSrcWidth, 2 * kUpSrcHeight);
}
// The quality modes with every value worked out the defined way: what their fast paths save.
void BM_BiLinerDoubleReferenceDown25(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerDouble, DownSource(), kDownWidth, kDownHeight, true);
}
void BM_BiLinerDoubleReferenceUp2(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerDouble, UpSource(), 2 * kUpSrcWidth, 2 * kUpSrcHeight,
            true);
}
void BM_IntegralDown25(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::Integral, DownSource(), kDownWidth, kDownHeight);
}
void BM_BiLinerAndIntegralDoubleDown25(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerAndIntegralDouble, DownSource(), kDownWidth,
            kDownHeight);
}
void BM_BiLinerAndIntegralDoubleUp2(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerAndIntegralDouble, UpSource(), 2 * kUpSrcWidth,
            2 * kUpSrcHeight);
}

void BM_BiLinerAndIntegralDoubleReferenceDown25(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerAndIntegralDouble, DownSource(), kDownWidth,
            kDownHeight, true);
}
void BM_BiLinerAndIntegralDoubleReferenceUp2(benchmark::State& state) {
  RunResize(state, &TImageSizeChange::BiLinerAndIntegralDouble, UpSource(), 2 * kUpSrcWidth,
            2 * kUpSrcHeight, true);
}

void RunStretch(benchmark::State& state, const TBitmap24& src, int width, int height) {
  TBitmap24 dst;
  TBandExecutor* executor = BenchExecutor(state);
  for (auto _ : state) {
    if (!StretchBitmap(src, dst, width, height, executor)) {
      state.SkipWithError("stretch refused");
      break;
    }
    benchmark::DoNotOptimize(dst.Data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(width) * height);
}

void BM_StretchDown25(benchmark::State& state) {
  RunStretch(state, DownSource(), kDownWidth, kDownHeight);
}
void BM_StretchUp2(benchmark::State& state) {
  RunStretch(state, UpSource(), 2 * kUpSrcWidth, 2 * kUpSrcHeight);
}

// How close to plain memory traffic the reductions run: a copy of their source.
void BM_CopyPicture(benchmark::State& state) {
  const TBitmap24& src = DownSource();
  TBitmap24 dst;
  for (auto _ : state) {
    dst = src;
    benchmark::DoNotOptimize(dst.Data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_BiLinerDown25)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerUp2)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerDoubleDown25)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerDoubleUp2)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerDoubleReferenceDown25)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerDoubleReferenceUp2)->Apply(ThreadCounts);
BENCHMARK(BM_IntegralDown25)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerAndIntegralDoubleDown25)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerAndIntegralDoubleUp2)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerAndIntegralDoubleReferenceDown25)->Apply(ThreadCounts);
BENCHMARK(BM_BiLinerAndIntegralDoubleReferenceUp2)->Apply(ThreadCounts);
BENCHMARK(BM_StretchDown25)->Apply(ThreadCounts);
BENCHMARK(BM_StretchUp2)->Apply(ThreadCounts);
BENCHMARK(BM_CopyPicture)->Unit(benchmark::kMillisecond);
