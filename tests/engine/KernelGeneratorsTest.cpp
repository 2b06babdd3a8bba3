#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ImageFilterSimple.h"
#include "engine/KernelGenerators.h"

namespace {

std::vector<int> Numbers(const std::string& text) {
  std::vector<int> v;
  std::stringstream s(text);
  std::string field;
  while (std::getline(s, field, ',')) v.push_back(std::stoi(field));
  return v;
}

}  // namespace

TEST(KernelGenerators, SmoothKernels) {
  EXPECT_EQ(SmoothKernelText(2, false, false), "3,1,1,1,1,2,1,1,1,1");
  EXPECT_EQ(SmoothKernelText(-7, true, false), "3,1,1,1,1,1,1,1,1,1");
  EXPECT_EQ(SmoothKernelText(5, false, false),
            "5,1,2,3,2,1,2,5,6,5,2,3,6,9,6,3,2,5,6,5,2,1,2,3,2,1");
  EXPECT_EQ(SmoothKernelText(4, false, true),
            "5,1,1,1,1,1,1,2,2,2,1,1,2,3,2,1,1,2,2,2,1,1,1,1,1,1");
  EXPECT_EQ(SmoothKernelTextWithCentre(3, true, false, 50), "3,1,1,1,1,8,1,1,1,1");
  EXPECT_EQ(SmoothKernelTextWithCentre(3, false, false, 20), "3,1,1,1,1,2,1,1,1,1");
  EXPECT_EQ(SmoothKernelTextWithCentre(3, true, false, 100), "");

  // The largest kernel the filters take is the largest generated; beyond it, nothing.
  EXPECT_EQ(Numbers(SmoothKernelText(kKernelSizeLimit, false, false)).size(),
            static_cast<std::size_t>(kKernelSizeLimit) * kKernelSizeLimit + 1);
  EXPECT_EQ(SmoothKernelText(kKernelSizeLimit + 1, false, false), "");
  EXPECT_EQ(SmoothKernelText(INT_MAX, false, false), "");
  EXPECT_EQ(LineKernelText(INT_MAX - 1, 8), "");
}

TEST(KernelGenerators, LineKernelsByDirection) {
  const std::vector<std::pair<int, std::string>> cases = {{8, "3,0,-1,0,0,0,0,0,1,0"},
                                                          {2, "3,0,1,0,0,0,0,0,-1,0"},
                                                          {4, "3,0,0,0,-1,0,1,0,0,0"},
                                                          {6, "3,0,0,0,1,0,-1,0,0,0"},
                                                          {7, "3,-1,0,0,0,0,0,0,0,1"},
                                                          {3, "3,1,0,0,0,0,0,0,0,-1"},
                                                          {9, "3,0,0,-1,0,0,0,1,0,0"},
                                                          {1, "3,0,0,1,0,0,0,-1,0,0"},
                                                          {5, ""},
                                                          {0, ""},
                                                          {10, ""},
                                                          {-8, ""}};
  for (const auto& [direction, text] : cases)
    EXPECT_EQ(LineKernelText(3, direction), text) << direction;
  EXPECT_EQ(LineKernelText(4, 8), "5,0,0,-1,0,0,0,0,-1,0,0,0,0,0,0,0,0,0,1,0,0,0,0,1,0,0");
}

TEST(KernelGenerators, SplitKernelsByDirection) {
  EXPECT_EQ(SplitKernelText(3, 2, true, false), "3,1,1,1,0,0,0,-1,-1,-1");
  EXPECT_EQ(SplitKernelText(3, 7, true, false), "3,-1,0,0,0,0,0,0,0,1");
  EXPECT_EQ(SplitKernelText(3, 4, false, false), "3,-1,0,1,-1,0,1,-1,0,1");
  EXPECT_EQ(SplitKernelText(5, 9, false, false),
            "5,0,0,0,-2,-1,0,0,0,-5,-2,0,0,0,0,0,2,5,0,0,0,1,2,0,0,0");
  EXPECT_EQ(SplitKernelText(3, 5, true, false), "");
  // The negated side mirrors the kept one, so splits of symmetric kernels add up to 0.
  for (int d : {1, 2, 3, 4, 6, 7, 8, 9}) {
    const std::vector<int> v = Numbers(SplitKernelText(7, d, false, true));
    ASSERT_EQ(v.size(), 50u) << d;
    long long sum = 0;
    for (std::size_t k = 1; k < v.size(); ++k) sum += v[k];
    EXPECT_EQ(sum, 0) << d;
  }
}

TEST(KernelGenerators, SharpenKernels) {
  EXPECT_EQ(SharpenKernelText(3, true, true, false), "3,0,-1,0,-1,5,-1,0,-1,0");
  EXPECT_EQ(SharpenKernelText(3, false, true, false), "3,-1,-1,-1,-1,9,-1,-1,-1,-1");
  // The weights add up to the smooth kernel's centre weight (9 for distance size 5).
  for (bool cross : {false, true}) {
    const std::vector<int> v = Numbers(SharpenKernelText(4, cross, false, false));
    ASSERT_EQ(v.size(), 26u);
    long long sum = 0;
    for (std::size_t k = 1; k < v.size(); ++k) sum += v[k];
    EXPECT_EQ(sum, 9);
  }
}

TEST(KernelGenerators, ReliefKernels) {
  EXPECT_EQ(ReliefKernelText(3, 8, true, false), "3,1,1,1,1,-2,1,-1,-1,-1");
  EXPECT_EQ(ReliefKernelText(3, 7, true, false), "3,1,1,1,1,-2,-1,1,-1,-1");
  // Only sizes that need no normalising give a kernel.
  EXPECT_EQ(ReliefKernelText(4, 8, true, false), "");
  EXPECT_EQ(ReliefKernelText(1, 8, true, false), "");
  EXPECT_EQ(ReliefKernelText(3, 5, true, false), "");
  for (int d : {1, 2, 3, 4, 6, 7, 8, 9}) {
    const std::vector<int> v = Numbers(ReliefKernelText(9, d, false, true));
    ASSERT_EQ(v.size(), 82u) << d;
    long long sum = 0;
    for (std::size_t k = 1; k < v.size(); ++k) sum += v[k];
    EXPECT_EQ(sum, 0) << d;
  }
}

TEST(KernelGenerators, GeneratedTextsMakeValidKernelTexts) {
  TImageFilterSimple f;
  ASSERT_TRUE(f.ParseKernelText("UNS," + SharpenKernelText(5, false, false, true) + ",0,0", false));
  EXPECT_EQ(f.KernelSize(), 5);
  EXPECT_EQ(f.Total(), 3);  // grid centre weight for size 5
  ASSERT_TRUE(f.ParseKernelText("EMB," + ReliefKernelText(5, 3, false, false) + ",1,128", false));
  EXPECT_EQ(f.Total(), 0);
}
