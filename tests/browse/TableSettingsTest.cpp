// The typed numbers of the table's basic settings and the thumbnail capacity estimate.
#include <gtest/gtest.h>

#include "browse/table/TableSettings.h"

namespace {

TEST(TableSettingsTest, TypedValuesFollowTheirKindsRange) {
  const struct {
    TTableBox kind;
    const char* text;
    bool ok;
  } cases[] = {
      {TTableBox::kMargin, "0", true},           {TTableBox::kMargin, "20", true},
      {TTableBox::kMargin, "21", false},         {TTableBox::kMargin, "-1", false},
      {TTableBox::kPositive, "0", false},        {TTableBox::kPositive, " 60000", true},
      {TTableBox::kPositive, "60001", false},    {TTableBox::kPositive, "1.5", false},
      {TTableBox::kKernelSize, "4", false},      {TTableBox::kKernelSize, "1", false},
      {TTableBox::kKernelSize, "3", true},       {TTableBox::kKernelSize, "59999", true},
      {TTableBox::kCenterPercent, "0", false},   {TTableBox::kCenterPercent, "99", true},
      {TTableBox::kCenterPercent, "100", false}, {TTableBox::kStrength, "0", false},
      {TTableBox::kStrength, "-60000", true},    {TTableBox::kStrength, "60001", false},
      {TTableBox::kStrength, "", false},         {TTableBox::kMargin, "abc", false},
  };
  for (const auto& c : cases) {
    int value = -12345;
    EXPECT_EQ(ReadTableBoxValue(c.kind, c.text, value), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_EQ(value, -12345) << "a refused text leaves the value: " << c.text;
    }
  }
}

TEST(TableSettingsTest, EachKindHasItsMessage) {
  EXPECT_STREQ(TableBoxMessage(TTableBox::kMargin), "0以上の20以下の整数を入力してください。");
  EXPECT_STREQ(TableBoxMessage(TTableBox::kPositive), "正の整数を入力してください。");
  EXPECT_STREQ(TableBoxMessage(TTableBox::kKernelSize), "３以上の奇数を入力してください。");
  EXPECT_STREQ(TableBoxMessage(TTableBox::kCenterPercent),
               "100より小さい正の整数を入力してください。");
  EXPECT_STREQ(TableBoxMessage(TTableBox::kStrength), "０以外の整数を入力してください。");
}

TEST(TableSettingsTest, CapacityEstimate) {
  const struct {
    int capacity, width, height;
    long long count;
  } cases[] = {
      {100, 400, 400, 208},  // 100,000,000 / 3 / 160,000 = 208.3
      {10, 100, 100, 333},  {200, 800, 600, 138},
      {100, 0, 400, 833},  // a side of 0 or less counts as 100
      {100, -5, -5, 3333},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ThumbCapacityEstimate(c.capacity, c.width, c.height), c.count)
        << c.capacity << " " << c.width << "x" << c.height;
  EXPECT_EQ(ThumbCapacityEstimateText(100, 400, 400), "約208枚分");
}

}  // namespace
