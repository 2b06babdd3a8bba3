// Kernel filters. The convolution refuses pictures beyond the working size limit, so every case
// runs on the largest legal picture, 2500 x 1600 (4.0 MP). Each filter works in place and keeps
// its scratch memory, as the worker controllers reuse one engine object.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/BenchSupport.h"
#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/ImageFilterSimple.h"

namespace {

constexpr int kWidth = 2500;
constexpr int kHeight = 1600;

TBitmap24& Picture() {
  static TBitmap24 bmp = MakeBenchPicture(kWidth, kHeight);
  return bmp;
}

// The low-pass kernel by distance from the centre, the heaviest of the presets.
void ConvolveBySize(benchmark::State& state, int size) {
  TBitmap24& bmp = Picture();
  TImageFilterSimple filter;
  filter.SetExecutor(BenchExecutor(state));
  filter.MakeKernel(size, false, false, false, false, 50);
  filter.Convolve(bmp, 0, 255);  // first touch of the scratch memory
  for (auto _ : state) {
    if (!filter.Convolve(bmp, 0, 255)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(bmp.Data());
  }
  state.counters["total"] = static_cast<double>(filter.Total());
}

// Arithmetic only, row by row in bands: a chain of multiplications over each row of the picture,
// whose data stays in the first-level cache. Its gain from a second thread is what this machine
// gives a second thread at the moment, the ceiling for the filters' gains measured beside it.
void BM_ComputeBands(benchmark::State& state) {
  const TBitmap24& bmp = Picture();
  TBandExecutor* executor = BenchExecutor(state);
  std::vector<std::uint32_t> sums(kHeight);
  for (auto _ : state) {
    TRowBands run(executor, nullptr, TEngineOperation::kFilter, kHeight);
    run.Run([&](int, int begin, int end) {
      for (int y = begin; y < end; ++y) {
        const std::uint8_t* row = bmp.Row(y);
        std::uint32_t h = 0;
        for (int x = 0; x < 3 * kWidth; ++x) h = (h + row[x]) * 2654435761u;
        sums[y] = h;
      }
      return true;
    });
    benchmark::DoNotOptimize(sums.data());
  }
}

void BM_Convolve3x3(benchmark::State& state) { ConvolveBySize(state, 3); }
void BM_Convolve9x9(benchmark::State& state) { ConvolveBySize(state, 9); }
void BM_Convolve21x21(benchmark::State& state) { ConvolveBySize(state, 21); }

// The settings' defaults: size 3, all weights 1, strength 100.
void BM_UnsharpMask(benchmark::State& state) {
  TBitmap24& bmp = Picture();
  TImageFilterSimple filter;
  filter.SetExecutor(BenchExecutor(state));
  filter.UnsharpMask(bmp, 100, 3, false, 50, false, false, true);
  for (auto _ : state) {
    if (!filter.UnsharpMask(bmp, 100, 3, false, 50, false, false, true))
      state.SkipWithError("refused");
    benchmark::DoNotOptimize(bmp.Data());
  }
}

void BM_LowPass(benchmark::State& state) {
  TBitmap24& bmp = Picture();
  TImageFilterSimple filter;
  filter.SetExecutor(BenchExecutor(state));
  filter.LowPass(bmp, 3, false, 50, false, false, true);
  for (auto _ : state) {
    if (!filter.LowPass(bmp, 3, false, 50, false, false, true)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(bmp.Data());
  }
}

// A fresh engine and picture every time: what a first run pays for touching new memory.
void BM_Convolve3x3FreshMemory(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    TBitmap24 bmp = Picture();
    state.ResumeTiming();
    TImageFilterSimple filter;
    filter.MakeKernel(3, false, false, false, false, 50);
    if (!filter.Convolve(bmp, 0, 255)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(bmp.Data());
  }
}

// The memory floor: one plain copy of the picture.
void BM_FilterPictureCopy(benchmark::State& state) {
  const TBitmap24& src = Picture();
  TBitmap24 dst = src;
  for (auto _ : state) {
    dst = src;
    benchmark::DoNotOptimize(dst.Data());
  }
}

}  // namespace

BENCHMARK(BM_ComputeBands)->Apply(ThreadCounts);
BENCHMARK(BM_Convolve3x3)->Apply(ThreadCounts);
BENCHMARK(BM_Convolve9x9)->Apply(ThreadCounts);
BENCHMARK(BM_Convolve21x21)->Apply(ThreadCounts);
BENCHMARK(BM_UnsharpMask)->Apply(ThreadCounts);
BENCHMARK(BM_LowPass)->Apply(ThreadCounts);
BENCHMARK(BM_Convolve3x3FreshMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterPictureCopy)->Unit(benchmark::kMillisecond);
