#pragma once

#include <benchmark/benchmark.h>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"

// A benchmark picture: smooth gradients with a little noise, so that no operation meets runs of
// equal pixels it could take short cuts over.
TBitmap24 MakeBenchPicture(int width, int height);

// Cases that run in row bands take the thread count as their argument ("threads:1" and
// "threads:N" for the machine's N cores); bench/compare times both against the peer with the
// same count.
void ThreadCounts(benchmark::internal::Benchmark* bench);
// The shared worker pool for the case's thread count; null (inline) for one thread.
TBandExecutor* BenchExecutor(const benchmark::State& state);
