// The picture grid's composition: a 10 x 10 grid of 200 x 200 cells from 100 reference pictures,
// against the stretch of the same 100 pictures alone (BM_GridStretchAlone, one thread). The
// composed picture (2011 x 2011) needs the large-pictures limit, as the window would.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchSupport.h"
#include "engine/GridCompose.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"

namespace {

// Reference pictures as the table holds them: fitted into 300 x 300, landscape and portrait.
const std::vector<TBitmap24>& HeldPictures() {
  static const std::vector<TBitmap24> pictures = [] {
    std::vector<TBitmap24> list;
    for (int i = 0; i < 100; ++i)
      list.push_back(i % 2 ? MakeBenchPicture(300, 225) : MakeBenchPicture(225, 300));
    return list;
  }();
  return pictures;
}

const TGridLayout& Layout() {
  static const TGridLayout layout =
      ComputeGridLayout(TGridSizeMode::kEachCell, 200, 200, 10, 100, 1);
  return layout;
}

void BM_GridCompose(benchmark::State& state) {
  std::vector<const TBitmap24*> cells;
  for (const TBitmap24& picture : HeldPictures()) cells.push_back(&picture);
  TBandExecutor* executor = BenchExecutor(state);
  TSequentialBands one(1);
  TBitmap24 canvas;
  TImU::SetLargePictures(true);
  for (auto _ : state) {
    if (!ComposeGrid(Layout(), cells, {}, canvas, {}, nullptr, executor ? executor : &one).ok) {
      state.SkipWithError("compose refused");
      break;
    }
    benchmark::DoNotOptimize(canvas.Data());
  }
  TImU::SetLargePictures(false);
  state.SetItemsProcessed(state.iterations() * 100);
}

void BM_GridStretchAlone(benchmark::State& state) {
  std::vector<TGridPlacement> places;
  for (int k = 0; k < 100; ++k) {
    const TBitmap24& picture = HeldPictures()[static_cast<std::size_t>(k)];
    places.push_back(PlaceInGridCell(GridCellRect(Layout(), k % 10, k / 10), picture.Width(),
                                     picture.Height(), TGridFitRounding::kTruncate));
  }
  TBitmap24 scaled;
  for (auto _ : state) {
    for (int k = 0; k < 100; ++k) {
      const TGridRect& rect = places[static_cast<std::size_t>(k)].rect;
      StretchBitmap(HeldPictures()[static_cast<std::size_t>(k)], scaled, rect.width, rect.height);
      benchmark::DoNotOptimize(scaled.Data());
    }
  }
  state.SetItemsProcessed(state.iterations() * 100);
}

}  // namespace

BENCHMARK(BM_GridCompose)->Apply(ThreadCounts);
BENCHMARK(BM_GridStretchAlone)->Unit(benchmark::kMillisecond);
