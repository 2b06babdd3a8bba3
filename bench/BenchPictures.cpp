// JPEG decoding and encoding of a 12 MP picture, and the viewer's way from a 12 MP file to the
// picture it shows.
//
// VELMORA_BENCH_JPEG may name a JPEG file to decode (bench/compare_jpeg.py passes the file its
// peers decode); otherwise a photo-like picture is made and encoded once.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/BenchSupport.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "engine/JpegFile.h"

namespace {

// As in the program and the command line: freed picture buffers stay in the process, so a
// decoder's fresh output bitmap does not pay for new pages on every call.
[[maybe_unused]] const bool kMallocTuned = [] {
  KeepFreedPictureBuffers();
  return true;
}();

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth colour waves with a little noise, so that the encoder works as hard as on a photo.
TBitmap24 MakePhoto() {
  TBitmap24 bmp(kWidth, kHeight);
  std::uint32_t seed = 12345;
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = bmp.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>((seed >> 24) % 13) - 6;
      const double b = 128 + 100 * std::sin(x / 97.0 + y / 211.0);
      const double g = 128 + 90 * std::cos(x / 150.0 - y / 80.0);
      const double r = 128 + 80 * std::sin((x + y) / 60.0);
      auto clamp = [](double v) {
        return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
      };
      row[3 * x] = clamp(b + noise);
      row[3 * x + 1] = clamp(g + noise);
      row[3 * x + 2] = clamp(r + noise);
    }
  }
  return bmp;
}

const std::string& JpegBytes() {
  static const std::string bytes = [] {
    if (const char* path = std::getenv("VELMORA_BENCH_JPEG")) {
      std::ifstream in(path, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string encoded, error;
    EncodeJpeg(MakePhoto(), 90, encoded, error);
    return encoded;
  }();
  return bytes;
}

// The picture to encode: the decoded benchmark file, so that both directions see one picture.
const TBitmap24& Picture() {
  static const TBitmap24 picture = [] {
    TBitmap24 out;
    std::string error;
    const std::string& bytes = JpegBytes();
    DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out, error);
    return out;
  }();
  return picture;
}

void BM_JpegDecode12MP(benchmark::State& state) {
  const std::string& bytes = JpegBytes();
  TBitmap24 out;
  std::string error;
  for (auto _ : state) {
    if (!DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out,
                    error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(out.Data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(out.Width()) *
                          out.Height());
}
BENCHMARK(BM_JpegDecode12MP)->Unit(benchmark::kMillisecond);

void BM_JpegEncode12MP(benchmark::State& state) {
  const TBitmap24& picture = Picture();
  std::string bytes, error;
  for (auto _ : state) {
    if (!EncodeJpeg(picture, 90, bytes, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_JpegEncode12MP)->Unit(benchmark::kMillisecond);

// Open to final picture: the 12 MP JPEG decoded with large pictures on and brought to a
// 1920 x 1080 screen (1440 x 1080) by the rectify mode given, its resize on the case's threads
// through the default executor, as the viewer's and the command line's resizes find it.
void OpenToDisplay(benchmark::State& state, int rectify_mode) {
  const std::string& bytes = JpegBytes();
  TImU::SetLargePictures(true);
  SetDefaultBandExecutor(BenchExecutor(state));
  TBitmap24 picture;
  std::string error;
  for (auto _ : state) {
    if (!DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), picture,
                    error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    double factor = 1080.0 / picture.Height();
    if (!ResizeByFactor(picture, factor, rectify_mode)) {
      state.SkipWithError("resize refused");
      break;
    }
    benchmark::DoNotOptimize(picture.Data());
  }
  SetDefaultBandExecutor(nullptr);
  TImU::SetLargePictures(false);
  state.counters["out_w"] = picture.Width();
}
void BM_OpenToDisplay12MPArea(benchmark::State& state) { OpenToDisplay(state, 2); }
void BM_OpenToDisplay12MPQuality(benchmark::State& state) { OpenToDisplay(state, 3); }
BENCHMARK(BM_OpenToDisplay12MPArea)->Apply(ThreadCounts);
BENCHMARK(BM_OpenToDisplay12MPQuality)->Apply(ThreadCounts);

}  // namespace
