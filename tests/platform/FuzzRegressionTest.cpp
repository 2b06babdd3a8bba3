// Every input that once crashed or hung a decoder under the fuzzer is replayed here.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>

#include "platform/IconDecoder.h"
#include "platform/MetafileDecoder.h"
#include "tests/TestSupport.h"

namespace {

std::vector<std::string> RegressionFiles(const std::string& kind) {
  std::vector<std::string> files;
  const std::filesystem::path dir =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / kind;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(DecoderFuzzRegressions, IconInputsDecodeOrFailCleanly) {
  for (const std::string& file : RegressionFiles("ico")) {
    SCOPED_TRACE(file);
    const std::string bytes = ReadWholeFile(file);
    QImage picture;
    std::string error;
    if (TIconDecoder::DecodeBytes(bytes, picture, error)) {
      TBitmap24 out;
      EXPECT_TRUE(TIconDecoder::RenderBytes(bytes, 37, 23, out, error)) << error;
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

void ReplayMetafiles(const std::string& kind_name, TMetafileKind kind) {
  for (const std::string& file : RegressionFiles(kind_name)) {
    SCOPED_TRACE(file);
    const std::string bytes = ReadWholeFile(file);
    int width = 0, height = 0;
    std::string error;
    TBitmap24 out;
    if (ReadMetafileSize(kind, bytes, width, height, error)) {
      EXPECT_TRUE(
          RenderMetafile(kind, bytes, std::min(width, 600), std::min(height, 600), out, error))
          << error;
    }
    for (auto [w, h] : {std::pair{200, 200}, {100, 80}, {64, 48}, {37, 23}, {1, 1}})
      RenderMetafile(kind, bytes, w, h, out, error);
  }
}

TEST(DecoderFuzzRegressions, WmfInputsPlayOrFailCleanly) {
  ReplayMetafiles("wmf", TMetafileKind::kWmf);
}

TEST(DecoderFuzzRegressions, EmfInputsPlayOrFailCleanly) {
  ReplayMetafiles("emf", TMetafileKind::kEmf);
}

}  // namespace
