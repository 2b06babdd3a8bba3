#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "model/ReadAhead.h"
#include "tests/TestSupport.h"

TEST(ReadAheadOrder, NearestFirstInTheLastDirectionThenTheOther) {
  const struct {
    int current, count, direction, each_way;
    std::vector<int> order;
  } cases[] = {
      {5, 10, +1, 1, {6, 4}},
      {5, 10, -1, 1, {4, 6}},
      {5, 10, 0, 2, {6, 7, 4, 3}},
      {5, 10, -1, 3, {4, 3, 2, 6, 7, 8}},
      {0, 10, -1, 2, {1, 2}},  // nothing before the first
      {9, 10, +1, 2, {8, 7}},  // nor after the last
      {1, 3, +1, 5, {2, 0}},   // a short list
      {0, 1, +1, 1, {}},       // alone
      {3, 10, +1, 0, {}},      // off
      {-1, 10, +1, 1, {}},     // nothing shown
      {10, 10, +1, 1, {}},     // beyond the list
      {2147483646, 2147483647, +1, 3, {2147483645, 2147483644, 2147483643}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadAheadOrder(c.current, c.count, c.direction, c.each_way), c.order)
        << c.current << " of " << c.count << " direction " << c.direction;
}

TEST(ReadAheadStamp, FollowsSizeAndTimeAndRefusesWhatIsNotAFile) {
  TTempDir dir;
  const std::string file = dir.File("a.jpg");
  WriteWholeFile(file, "12345");
  TFileStamp first, same, longer, touched;
  ASSERT_TRUE(ReadFileStamp(file, first));
  ASSERT_TRUE(ReadFileStamp(file, same));
  EXPECT_EQ(first, same);
  EXPECT_EQ(first.size, 5u);
  WriteWholeFile(file, "123456");
  ASSERT_TRUE(ReadFileStamp(file, longer));
  EXPECT_NE(first.size, longer.size);
  std::filesystem::last_write_time(
      file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
  ASSERT_TRUE(ReadFileStamp(file, touched));
  EXPECT_FALSE(touched == longer);
  TFileStamp none;
  EXPECT_FALSE(ReadFileStamp(dir.File("missing.jpg"), none));
  EXPECT_FALSE(ReadFileStamp(dir.Path().string(), none));
}

namespace {

TPreparedPicture Prepared(const std::string& id, int width, int height, int steps = 0,
                          const std::string& signature = "s") {
  TPreparedPicture picture;
  picture.id = id;
  picture.stamp = {100, 7};
  picture.signature = signature;
  picture.picture = TBitmap24(width, height);
  for (int i = 0; i < steps; ++i) {
    TPreparedStep step;
    step.result = TBitmap24(width / 2, height / 2);
    picture.steps.push_back(std::move(step));
  }
  return picture;
}

}  // namespace

TEST(ReadAheadStore, HoldsNoMoreThanItsBudget) {
  TReadAheadStore store;
  store.SetBudget(PictureBytes(100, 100) * 2 + PictureBytes(50, 50));
  EXPECT_TRUE(store.Put(Prepared("a", 100, 100)));
  EXPECT_TRUE(store.Put(Prepared("b", 100, 100, 1)));
  EXPECT_EQ(store.Held(), PictureBytes(100, 100) * 2 + PictureBytes(50, 50));
  EXPECT_FALSE(store.Fits(1));
  EXPECT_FALSE(store.Put(Prepared("c", 1, 1)));
  EXPECT_EQ(store.Find("c"), nullptr);
  // A picture in place of one with its id counts once.
  EXPECT_TRUE(store.Put(Prepared("a", 100, 100)));
  EXPECT_EQ(store.Count(), 2u);
  // A smaller budget lets go of the largest first.
  store.SetBudget(PictureBytes(100, 100));
  EXPECT_EQ(store.Count(), 1u);
  EXPECT_NE(store.Find("a"), nullptr);
  EXPECT_LE(store.Held(), store.Budget());
  EXPECT_FALSE(store.Put(Prepared("huge", 200, 200)));
}

TEST(ReadAheadStore, HandsOutOnlyWhatStillHolds) {
  const struct {
    const char* name;
    TFileStamp stamp;
    bool large_pictures;
    const char* signature;
    bool taken;
    std::size_t steps;
  } cases[] = {
      {"unchanged", {100, 7}, false, "s", true, 1},
      {"steps prepared for another view", {100, 7}, false, "t", true, 0},
      {"file of another size", {101, 7}, false, "s", false, 0},
      {"file written since", {100, 8}, false, "s", false, 0},
      {"another size limit", {100, 7}, true, "s", false, 0},
  };
  for (const auto& c : cases) {
    TReadAheadStore store;
    store.SetBudget(1 << 20);
    ASSERT_TRUE(store.Put(Prepared("a", 40, 30, 1)));
    TPreparedPicture out;
    EXPECT_EQ(store.Take("a", c.stamp, c.large_pictures, c.signature, out), c.taken) << c.name;
    EXPECT_EQ(out.steps.size(), c.steps) << c.name;
    EXPECT_EQ(out.picture.Width(), c.taken ? 40 : 0) << c.name;
    // Taken or stale, it is no longer held.
    EXPECT_EQ(store.Count(), 0u) << c.name;
    EXPECT_EQ(store.Held(), 0u) << c.name;
    EXPECT_FALSE(store.Take("a", {100, 7}, false, "s", out)) << c.name;
  }
}

TEST(ReadAheadStore, RetainKeepsTheWantedAndDropsStaleSteps) {
  TReadAheadStore store;
  store.SetBudget(1 << 20);
  ASSERT_TRUE(store.Put(Prepared("a", 40, 30, 1, "old")));
  ASSERT_TRUE(store.Put(Prepared("b", 40, 30, 1, "new")));
  ASSERT_TRUE(store.Put(Prepared("c", 40, 30, 1, "new")));
  store.Retain({"a", "b"}, "new", false);
  ASSERT_EQ(store.Count(), 2u);
  EXPECT_TRUE(store.Find("a")->steps.empty());
  EXPECT_EQ(store.Find("b")->steps.size(), 1u);
  EXPECT_EQ(store.Find("c"), nullptr);
  EXPECT_EQ(store.Held(), 2 * PictureBytes(40, 30) + PictureBytes(20, 15));
  TPreparedPicture released;
  EXPECT_TRUE(store.Release("b", released));
  EXPECT_EQ(released.steps.size(), 1u);
  EXPECT_EQ(store.Held(), PictureBytes(40, 30));
  EXPECT_FALSE(store.Release("b", released));
  store.Retain({"a", "b"}, "new", true);  // the size limit changed: nothing holds
  EXPECT_EQ(store.Count(), 0u);
  EXPECT_EQ(store.Held(), 0u);
}
