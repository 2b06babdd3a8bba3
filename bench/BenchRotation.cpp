// Rotation and RGB arrangement. The general rotation and the RGB arrangement refuse pictures
// beyond the working size limit, so they run at the largest legal sizes: a 1674 x 1255 source
// whose 30-degree turn is 2078 x 1924 (4.0 MP), and a 2309 x 1732 (4.0 MP) picture for the RGB
// arrangement. Quarter turns and the plain copy run at 12 MP (4000 x 3000).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "bench/BenchSupport.h"
#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"

namespace {

const TBitmap24& RotationSource() {
  static const TBitmap24 bmp = MakeBenchPicture(1674, 1255);
  return bmp;
}

const TBitmap24& Picture12MP() {
  static const TBitmap24 bmp = MakeBenchPicture(4000, 3000);
  return bmp;
}

void RotateGeneral(benchmark::State& state, int mode) {
  const TBitmap24& src = RotationSource();
  TImageRotation rotation;
  rotation.SetExecutor(BenchExecutor(state));
  TBitmap24 dst;
  // The result and the working bitmap trade places on every call: two calls touch both first.
  for (int i = 0; i < 2; ++i) rotation.Rotate(src, dst, "30", kWhite, mode);
  for (auto _ : state) {
    if (!rotation.Rotate(src, dst, "30", kWhite, mode)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(dst.Data());
  }
  state.counters["out_w"] = dst.Width();
  state.counters["out_h"] = dst.Height();
}

void BM_RotateMode0_30(benchmark::State& state) { RotateGeneral(state, kRotationBlend); }
void BM_RotateMode1_30(benchmark::State& state) { RotateGeneral(state, kRotationArea); }
void BM_RotateMode2_30(benchmark::State& state) { RotateGeneral(state, kRotationHoles); }

// Quarter and half turns of the 12 MP picture, with the processor's best vector unit or (Plain)
// without vector instructions.
template <bool (*kTurn)(const TBitmap24&, TBitmap24&, std::string*, TTurnVectorUnit,
                        TBandExecutor*)>
void Turn(benchmark::State& state, TTurnVectorUnit unit) {
  const TBitmap24& src = Picture12MP();
  TBitmap24 dst;
  TBandExecutor* executor = BenchExecutor(state);
  kTurn(src, dst, nullptr, unit, executor);
  for (auto _ : state) {
    kTurn(src, dst, nullptr, unit, executor);
    benchmark::DoNotOptimize(dst.Data());
  }
}

void BM_QuarterTurn(benchmark::State& state) {
  Turn<TurnClockwise90>(state, TTurnVectorUnit::kAvx2);
}
void BM_QuarterTurnPlain(benchmark::State& state) {
  Turn<TurnClockwise90>(state, TTurnVectorUnit::kPlain);
}
void BM_QuarterTurnAnticlockwise(benchmark::State& state) {
  Turn<TurnAnticlockwise90>(state, TTurnVectorUnit::kAvx2);
}
void BM_HalfTurn(benchmark::State& state) { Turn<Turn180>(state, TTurnVectorUnit::kAvx2); }
void BM_HalfTurnPlain(benchmark::State& state) { Turn<Turn180>(state, TTurnVectorUnit::kPlain); }

void BM_CopyPictureRotation(benchmark::State& state) {
  const TBitmap24& src = Picture12MP();
  TBitmap24 dst = src;
  for (auto _ : state) {
    dst = src;
    benchmark::DoNotOptimize(dst.Data());
  }
}

// The same copy row by row in bands on the pool: how far memory lets a second thread help the
// operations that only move bytes (the half turn).
void BM_CopyPictureBands(benchmark::State& state) {
  const TBitmap24& src = Picture12MP();
  TBitmap24 dst = src;
  TBandExecutor* executor = BenchExecutor(state);
  const std::size_t bytes = 3 * static_cast<std::size_t>(src.Width());
  for (auto _ : state) {
    TRowBands run(executor, nullptr, TEngineOperation::kRotation, src.Height());
    run.Run([&](int, int begin, int end) {
      for (int y = begin; y < end; ++y) std::memcpy(dst.Row(y), src.Row(y), bytes);
      return true;
    });
    benchmark::DoNotOptimize(dst.Data());
  }
}

void BM_RGBArrange(benchmark::State& state) {
  // In place, as the engine works; the cost of the table lookups does not depend on the values.
  static TBitmap24 bmp = MakeBenchPicture(2309, 1732);
  TImageRGBArrange arrange;
  arrange.SetExecutor(BenchExecutor(state));
  TRGBArrangeParams params;
  if (!ParseRGBArrangeText("2,1,0,0,1,0,0,20,0", params)) state.SkipWithError("text");
  for (auto _ : state) {
    arrange.Arrange(bmp, params);
    benchmark::DoNotOptimize(bmp.Data());
  }
}

void BM_RGBArrangeAverage(benchmark::State& state) {
  static TBitmap24 bmp = MakeBenchPicture(2309, 1732);
  TImageRGBArrange arrange;
  arrange.SetExecutor(BenchExecutor(state));
  TRGBArrangeParams params;
  if (!ParseRGBArrangeText("3,8,2,0,0,0,10,0,-10", params)) state.SkipWithError("text");
  for (auto _ : state) {
    arrange.Arrange(bmp, params);
    benchmark::DoNotOptimize(bmp.Data());
  }
}

}  // namespace

BENCHMARK(BM_RotateMode0_30)->Apply(ThreadCounts);
BENCHMARK(BM_RotateMode1_30)->Apply(ThreadCounts);
BENCHMARK(BM_RotateMode2_30)->Apply(ThreadCounts);
BENCHMARK(BM_QuarterTurn)->Apply(ThreadCounts);
BENCHMARK(BM_QuarterTurnPlain)->Apply(ThreadCounts);
BENCHMARK(BM_QuarterTurnAnticlockwise)->Apply(ThreadCounts);
BENCHMARK(BM_HalfTurn)->Apply(ThreadCounts);
BENCHMARK(BM_HalfTurnPlain)->Apply(ThreadCounts);
BENCHMARK(BM_CopyPictureRotation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPictureBands)->Apply(ThreadCounts);
BENCHMARK(BM_RGBArrange)->Apply(ThreadCounts);
BENCHMARK(BM_RGBArrangeAverage)->Apply(ThreadCounts);
