#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "app/CapDataList.h"
#include "app/CaptureGeometry.h"
#include "platform/PathText.h"

namespace {

struct TFrameCase {
  int left, top;
  bool clip;
  TCaptureRect expected;
};

TEST(CaptureGeometry, FramedRegionOfTheDesignExamples) {
  // A 1000 x 800 picture at R = 1 in a 300 x 200 frame.
  const std::vector<TFrameCase> cases = {
      {-100, -50, true, {100, 50, 300, 200}},
      {20, 10, true, {0, 0, 280, 190}},
      {20, 10, false, {-20, -10, 300, 200}},
      {-900, -700, true, {900, 700, 100, 100}},  // cut to the picture's far edges
  };
  for (const TFrameCase& c : cases)
    EXPECT_EQ(FramedRegion(1.0, c.left, c.top, 300, 200, 1000, 800, c.clip), c.expected)
        << c.left << "," << c.top;
  // At R = 0.5 a frame of 300 x 200 screen pixels holds 600 x 400 picture pixels.
  EXPECT_EQ(FramedRegion(0.5, -101, -51, 300, 200, 1000, 800, true),
            (TCaptureRect{202, 102, 600, 400}));
}

// A zoom shown as "0.00000" once wrote …/0/0/-2397503/-2397503: such regions are empty.
TEST(CaptureGeometry, AVanishingZoomFramesNothing) {
  for (const double real : {0.0, -1.0, 1e-12, 1e-300, std::nan("")}) {
    const TCaptureRect r = FramedRegion(real, 20, 10, 300, 200, 1000, 800, true);
    EXPECT_TRUE(r.width <= 0 || r.height <= 0) << real;
  }
  // The frame beside the picture frames none of it either.
  const TCaptureRect beside = FramedRegion(1.0, 400, 0, 300, 200, 1000, 800, true);
  EXPECT_LE(beside.width, 0);
}

std::vector<int> Lefts(const TDivision& d, int top) {
  std::vector<int> xs;
  for (const TCaptureRect& r : d.regions)
    if (r.top == top) xs.push_back(r.left);
  return xs;
}

std::vector<int> Tops(const TDivision& d) {
  std::set<int> ys;
  for (const TCaptureRect& r : d.regions) ys.insert(r.top);
  return {ys.begin(), ys.end()};
}

TEST(CaptureGeometry, EqualDivisionOfTheDesignExample) {
  const TDivision d = DivideRegions(1000, 800, 1.0, 300, 200, 0, 0, 100);
  EXPECT_FALSE(d.limit_reached);
  ASSERT_EQ(d.regions.size(), 12u);
  EXPECT_EQ(d.regions.front(), (TCaptureRect{0, 0, 333, 200}));
  EXPECT_EQ(Lefts(d, 0), (std::vector<int>{0, 333, 667}));
  EXPECT_EQ(Tops(d), (std::vector<int>{0, 200, 400, 600}));
}

TEST(CaptureGeometry, EqualDivisionWithAFrameWidth) {
  // g = 10: cells (1000 - 40) / 3 = 320 by (800 - 50) / 4 = 187, regions 340 x 207.
  const TDivision d = DivideRegions(1000, 800, 1.0, 300, 200, 10, 0, 100);
  ASSERT_EQ(d.regions.size(), 12u);
  EXPECT_EQ(d.regions.front(), (TCaptureRect{0, 0, 340, 207}));
  EXPECT_EQ(Lefts(d, 0), (std::vector<int>{0, 330, 660}));
  EXPECT_EQ(Tops(d), (std::vector<int>{0, 197, 394, 593}));
  // A frame width that leaves no cell gives no regions rather than negative ones.
  EXPECT_TRUE(DivideRegions(1000, 800, 1.0, 300, 200, 400, 0, 100).regions.empty());
}

TEST(CaptureGeometry, OverlappingDivisionSkipsTheRowAtTheLastOnesPlace) {
  const TDivision d = DivideRegions(1000, 800, 1.0, 300, 200, 0, 0.5, 1000);
  EXPECT_EQ(Lefts(d, 0), (std::vector<int>{0, 166, 332, 498, 664, 667}));
  EXPECT_EQ(Tops(d), (std::vector<int>{0, 100, 200, 300, 400, 500, 600}));
  EXPECT_EQ(d.regions.size(), 6u * 7u);
  EXPECT_EQ(d.regions[1], (TCaptureRect{166, 0, 333, 200}));
}

TEST(CaptureGeometry, DivisionStopsAtTheRoomLeft) {
  TDivision d = DivideRegions(1000, 800, 1.0, 300, 200, 0, 0, 1);
  EXPECT_EQ(d.regions.size(), 1u);
  EXPECT_TRUE(d.limit_reached);
  d = DivideRegions(1000, 800, 1.0, 300, 200, 0, 0, 12);
  EXPECT_EQ(d.regions.size(), 12u);
  EXPECT_FALSE(d.limit_reached);
  d = DivideRegions(1000, 800, 1.0, 300, 200, 0, 0, 0);
  EXPECT_TRUE(d.regions.empty());
  EXPECT_TRUE(d.limit_reached);
}

TEST(CaptureGeometry, RecordFramePlacement) {
  TFrameZoom zoom;  // relative zoom 1: the rectangle fits the area
  TFramePlacement p = PlaceRecordFrame({100, 50, 200, 100}, 500, 500, 5, zoom);
  EXPECT_DOUBLE_EQ(p.real, 2.5);
  EXPECT_EQ(p.frame, (TCaptureRect{0, 125, 500, 250}));
  EXPECT_EQ(p.picture_left, -250);
  EXPECT_EQ(p.picture_top, -125);
  zoom.control_in = true;
  zoom.control = 1.0;
  p = PlaceRecordFrame({100, 50, 200, 100}, 500, 500, 3, zoom);
  EXPECT_EQ(p.frame, (TCaptureRect{300, 400, 200, 100}));
  EXPECT_EQ(p.picture_left, -100);
  zoom.real_mode = true;
  zoom.real = 0.5;
  p = PlaceRecordFrame({0, 0, 200, 100}, 500, 500, 7, zoom);
  EXPECT_EQ(p.frame, (TCaptureRect{0, 0, 100, 50}));
}

TEST(CaptureGeometry, MaximizeAndNumbering) {
  EXPECT_DOUBLE_EQ(MaximizeFactor(500, 500, 100, 50), 5.0);
  EXPECT_DOUBLE_EQ(MaximizeFactor(500, 300, 100, 100), 3.0);
  EXPECT_EQ(NumberedEntry(1, "photo.jpg"), "  1 photo.jpg");
  EXPECT_EQ(NumberedEntry(42, "a.bmp"), " 42 a.bmp");
  EXPECT_EQ(NumberedEntry(100, "a.bmp"), "100 a.bmp");
  EXPECT_EQ(NumberedEntry(32736, "a.bmp"), "32736 a.bmp");
}

TEST(CapDataList, AddReplaceAndDeleteKeepTheThreeListsInStep) {
  const PathText paths(TPathStyle::Posix, {""});
  TCapDataList list(paths);
  std::string message;
  for (int i = 0; i < 12; ++i)
    ASSERT_TRUE(list.Set(list.Size(), "\\p\\a" + std::to_string(i) + ".jpg/0/0/10/10", &message));
  list.Delete(2);
  ASSERT_EQ(list.Size(), 11u);
  EXPECT_EQ(list.Texts()[2], "  3 a3.jpg");
  EXPECT_EQ(list.Texts()[8], "  9 a9.jpg");
  EXPECT_EQ(list.Texts()[9], " 10 a10.jpg");
  EXPECT_EQ(list.Texts()[10], " 11 a11.jpg");
  EXPECT_EQ(list.Record(2).path, "/p/a3.jpg");
  ASSERT_TRUE(list.Set(0, "\\q\\b.jpg/1/2/3/4/ARo90", &message));
  EXPECT_EQ(list.Record(0).effects, std::vector<std::string>{"ARo90"});
  EXPECT_EQ(list.Texts()[0], "  1 b.jpg");
  EXPECT_FALSE(list.Set(0, "\\q\\b.jpg/1/2/3", &message));
  EXPECT_EQ(message, "未知のデータファイルです。");
  EXPECT_FALSE(list.Set(50, "\\q\\b.jpg/1/2/3/4", &message));
  EXPECT_EQ(message, "Set_NewCapData Error");
}

TEST(CapDataList, AWholeStoreKeepsEveryLineAndWarnsOnce) {
  const PathText paths(TPathStyle::Posix, {""});
  TCapDataList list(paths);
  const std::vector<std::string> lines = {"\\p\\a.jpg/0/0/10/10",
                                          "garbage",
                                          std::string("\x01\xff\xfe/\x80", 5),
                                          "\\p\\b.jpg/x/0/10/10",
                                          std::string(100000, 'z'),
                                          "\\p\\c.jpg/1/1/5/5/RGB1,2,3"};
  std::string message;
  ASSERT_TRUE(list.Assign(lines, &message));
  EXPECT_EQ(message, "未知のデータが含まれていました。");
  EXPECT_EQ(list.Lines(), lines);
  EXPECT_EQ(list.Kind(1), TCapDataEntryKind::kUnknown);
  EXPECT_EQ(list.Kind(3), TCapDataEntryKind::kBadNumbers);
  EXPECT_TRUE(list.Record(3).path.empty());
  EXPECT_EQ(list.Kind(5), TCapDataEntryKind::kRecord);
  ASSERT_TRUE(list.Append({"\\p\\d.jpg/0/0/1/1"}, &message));
  EXPECT_TRUE(message.empty());
  EXPECT_EQ(list.Texts().back(), "  7 d.jpg");
  ASSERT_TRUE(list.Reorder({6, 0}, &message));
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"\\p\\d.jpg/0/0/1/1", "\\p\\a.jpg/0/0/10/10"}));
}

}  // namespace
