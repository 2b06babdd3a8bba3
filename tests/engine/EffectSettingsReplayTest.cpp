// Replays every input the fuzzers of the text and fusion settings ever found troublesome.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/ImageFusion.h"
#include "engine/ImageOption.h"
#include "engine/ImageUtils.h"
#include "tests/TestSupport.h"
#include "tests/engine/BlockFontRasteriser.h"

namespace {

std::vector<std::string> Inputs(const std::string& name) {
  std::vector<std::string> inputs;
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_DATA) / "fuzz-regressions" / name;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file()) inputs.push_back(ReadWholeFile(entry.path().string()));
  return inputs;
}

bool WithinLimit(const TBitmap24& b) {
  return b.Empty() || TImU::SizeIsAllowed(b.Width(), b.Height());
}

TEST(EffectSettingsReplayTest, TextSettings) {
  const TBlockFontRasteriser font;
  TBitmap24 source(64, 48);
  source.Fill(0x808080);
  const std::vector<std::string> inputs = Inputs("text_settings");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs) {
    TBitmap24 result;
    int left = 0, top = 0;
    DrawText(source, result, input, font, left, top);
    EXPECT_TRUE(WithinLimit(result)) << input;
  }
}

TEST(EffectSettingsReplayTest, FusionSettings) {
  const std::vector<std::string> inputs = Inputs("fusion_settings");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs) {
    if (input.size() < 2) continue;
    // The first two bytes size the pictures, as in the fuzz target.
    const auto byte = [&](int i) { return static_cast<unsigned char>(input[i]); };
    const TBitmap24 a = PatternBitmap(1 + byte(0) % 40, 1 + byte(0) / 40 % 30);
    const TBitmap24 b = PatternBitmap(1 + byte(1) % 40, 1 + byte(1) / 40 % 30);
    TBitmap24 result;
    int top = 0, left = 0;
    Fuse(a, b, top, left, input.substr(2), result);
    EXPECT_TRUE(WithinLimit(result)) << input;
  }
}

}  // namespace
