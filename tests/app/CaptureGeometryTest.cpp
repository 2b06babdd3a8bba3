#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

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

TEST(CaptureGeometry, Maximize) {
  EXPECT_DOUBLE_EQ(MaximizeFactor(500, 500, 100, 50), 5.0);
  EXPECT_DOUBLE_EQ(MaximizeFactor(500, 300, 100, 100), 3.0);
}

}  // namespace
