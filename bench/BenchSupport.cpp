#include "bench/BenchSupport.h"

#include <cstdint>
#include <map>
#include <memory>

#include "platform/WorkerPool.h"

TBitmap24 MakeBenchPicture(int width, int height) {
  TBitmap24 bmp(width, height);
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bmp.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 27);
      p[0] = static_cast<std::uint8_t>((x + noise) & 0xFF);
      p[1] = static_cast<std::uint8_t>((y * 2 + noise) & 0xFF);
      p[2] = static_cast<std::uint8_t>(((x ^ y) + noise) & 0xFF);
    }
  }
  return bmp;
}

void ThreadCounts(benchmark::internal::Benchmark* bench) {
  bench->ArgName("threads")->Arg(1);
  if (TWorkerPool::CoreCount() > 1) bench->Arg(TWorkerPool::CoreCount());
  bench->Unit(benchmark::kMillisecond);
}

TBandExecutor* BenchExecutor(const benchmark::State& state) {
  static std::map<int, std::unique_ptr<TWorkerPool>> pools;
  const int threads = static_cast<int>(state.range(0));
  if (threads <= 1) return nullptr;
  std::unique_ptr<TWorkerPool>& pool = pools[threads];
  if (!pool) pool = std::make_unique<TWorkerPool>(threads);
  return pool.get();
}
