// The comparisons of the file extract: picture sizes with and/or, and file size limits in KB.
#include <gtest/gtest.h>

#include "browse/table/FileExtract.h"

namespace {

TEST(FileExtractTest, PictureSizeAgainstLimitsWithAndOr) {
  const struct {
    int width, height, comparison;
    bool use_or, match;
  } cases[] = {
      {300, 100, 2, true, true},    // one side at least the limit is enough with "or"
      {300, 100, 2, false, false},  // both sides must reach it with "and"
      {250, 250, 0, false, false},  // smaller: equal sides do not match
      {249, 249, 0, false, true},  {250, 250, 1, false, true},  // at most: equal sides match
      {251, 250, 1, true, true},   {251, 250, 1, false, false},
      {250, 250, 3, true, false},  // larger: equal sides do not match
      {251, 100, 3, true, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PictureSizeMatches(c.width, c.height, 250, 250, c.comparison, c.use_or), c.match)
        << c.width << "x" << c.height << " comparison " << c.comparison << " or " << c.use_or;
}

TEST(FileExtractTest, FileOfExactlyTheLimitMatchesAtMostAndAtLeastOnly) {
  const long long limit = FileSizeLimitBytes(250.4);
  ASSERT_EQ(limit, 250400);
  const bool expected[] = {false, true, true, false};
  for (int comparison = 0; comparison < 4; ++comparison)
    EXPECT_EQ(ExtractCompare(250400, limit, comparison), expected[comparison]) << comparison;
}

TEST(FileExtractTest, LimitInBytesRoundsHalfUp) {
  const struct {
    double kilobytes;
    long long bytes;
  } cases[] = {{250, 250000},
               {0.0005, 1},
               {0.0004, 0},
               {1.2345, 1235},
               {0.001, 1},
               {1e300, 9'000'000'000'000'000'000},
               {1e16, 9'000'000'000'000'000'000},
               {-1e300, -9'000'000'000'000'000'000}};
  for (const auto& c : cases) EXPECT_EQ(FileSizeLimitBytes(c.kilobytes), c.bytes) << c.kilobytes;
}

}  // namespace
