#include <gtest/gtest.h>

#include <vector>

#include "app/ViewerGeometry.h"

namespace {

using TPlacing = TViewerGeometry::TPlacing;

TViewerGeometry Viewer(int area_w, int area_h, int w, int h) {
  TViewerGeometry g;
  g.SetArea(area_w, area_h);
  g.SetPicture(w, h);
  return g;
}

struct TFitCase {
  int area_w, area_h, w, h;
  float fit;
  bool width_limited;
  int display_w, display_h, left, top;
};

class FitAndPlace : public testing::TestWithParam<TFitCase> {};

TEST_P(FitAndPlace, CentredAtRelativeZoomOne) {
  const TFitCase& c = GetParam();
  TViewerGeometry g = Viewer(c.area_w, c.area_h, c.w, c.h);
  ASSERT_EQ(g.SetUp(TPlacing::kPosition, false), TViewerGeometry::TSetUpResult::kOk);
  EXPECT_FLOAT_EQ(g.Fit(), c.fit);
  EXPECT_EQ(g.WidthLimited(), c.width_limited);
  EXPECT_EQ(g.DisplayWidth(), c.display_w);
  EXPECT_EQ(g.DisplayHeight(), c.display_h);
  EXPECT_EQ(g.Left(), c.left);
  EXPECT_EQ(g.Top(), c.top);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FitAndPlace,
    testing::Values(TFitCase{500, 500, 400, 300, 1.25f, true, 500, 375, 0, 62},
                    TFitCase{500, 500, 1000, 2000, 0.25f, false, 250, 500, 125, 0},
                    TFitCase{500, 300, 500, 200, 1.0f, true, 500, 200, 0, 50},
                    TFitCase{500, 300, 400, 300, 1.0f, false, 400, 300, 50, 0},
                    TFitCase{800, 600, 5000, 800, 0.16f, true, 800, 128, 0, 236},
                    TFitCase{800, 600, 1, 5000, 0.12f, false, 1, 600, 399, 0},
                    TFitCase{800, 600, 1, 1, 600.0f, false, 600, 600, 100, 0}));

TEST(ViewerGeometry, NoPictureWidthOrNoAreaIsRefused) {
  TViewerGeometry g = Viewer(500, 500, 0, 10);
  EXPECT_EQ(g.SetUp(TPlacing::kPosition, false), TViewerGeometry::TSetUpResult::kNoWidth);
  g = Viewer(0, 500, 10, 10);
  EXPECT_EQ(g.SetUp(TPlacing::kPosition, false), TViewerGeometry::TSetUpResult::kNoFit);
}

TEST(ViewerGeometry, NoSpaceFillsTheOtherDirection) {
  TViewerGeometry g = Viewer(500, 500, 1000, 2000);
  g.SetUp(TPlacing::kPosition, false);
  g.FillWithoutSpace();  // height-limited: width base
  EXPECT_EQ(g.DisplayWidth(), 500);
  EXPECT_EQ(g.DisplayHeight(), 1000);
  EXPECT_EQ(g.Left(), 0);
  EXPECT_DOUBLE_EQ(g.Relative(), 2.0);
}

TEST(ViewerGeometry, RealSizeControlCapsSmallPicturesUnlessProcessed) {
  TViewerGeometry g = Viewer(500, 500, 100, 100);
  g.real_control_in = true;
  g.real_control = 1.0;
  g.SetUp(TPlacing::kPosition, false);
  EXPECT_EQ(g.DisplayWidth(), 100);
  EXPECT_EQ(g.Left(), 200);
  g.SetUp(TPlacing::kPosition, true);
  EXPECT_EQ(g.DisplayWidth(), 500);
  g.real_control_in = false;
  g.SetUp(TPlacing::kPosition, false);
  EXPECT_EQ(g.DisplayWidth(), 500);
}

TEST(ViewerGeometry, RealModeKeepsTheRealZoomAndDerivesTheRelativeOne) {
  TViewerGeometry g = Viewer(500, 500, 1000, 1000);
  g.real_mode = true;
  g.ZoomChange(1.0);  // before any set-up the fit is unknown: R is taken as it is
  g.SetUp(TPlacing::kPosition, false);
  EXPECT_DOUBLE_EQ(g.Real(), 1.0);
  EXPECT_DOUBLE_EQ(g.Relative(), 2.0);
  EXPECT_EQ(g.DisplayWidth(), 1000);
  EXPECT_EQ(g.Left(), -250);
}

TEST(ViewerGeometry, ZoomStepsFromTheDesignExamples) {
  const double s = 0.25;
  std::vector<double> in;
  for (double z = 0.05; in.size() < 6;) in.push_back(z = TViewerGeometry::ZoomInValue(z, s));
  EXPECT_EQ(in, (std::vector<double>{0.1, 0.2, 0.25, 0.5, 0.75, 1.0}));
  EXPECT_DOUBLE_EQ(TViewerGeometry::ZoomInValue(0.3, s), 0.5);
  EXPECT_DOUBLE_EQ(TViewerGeometry::ZoomOutValue(0.5, s), 0.25);
  EXPECT_DOUBLE_EQ(TViewerGeometry::ZoomOutValue(0.3, s), 0.25);
  EXPECT_DOUBLE_EQ(TViewerGeometry::ZoomOutValue(0.2, s), 0.1);
  EXPECT_DOUBLE_EQ(TViewerGeometry::ZoomOutValue(1.3, s), 1.25);
  EXPECT_DOUBLE_EQ(TViewerGeometry::ZoomOutValue(1.25, s), 1.0);
  EXPECT_DOUBLE_EQ(TViewerGeometry::ZoomOutValue(0.00015, s), 0.0001);
}

TEST(ViewerGeometry, ZoomRateOutsideOneToHundredBecomesFifty) {
  for (int rate : {0, -5, 101, 1000}) {
    double step = 0;
    int r = rate;
    EXPECT_FALSE(TViewerGeometry::ZoomStep(r, step));
    EXPECT_EQ(r, 50);
    EXPECT_DOUBLE_EQ(step, 0.5);
  }
  int r = 25;
  double step = 0;
  EXPECT_TRUE(TViewerGeometry::ZoomStep(r, step));
  EXPECT_DOUBLE_EQ(step, 0.25);
}

TEST(ViewerGeometry, PositionsOfAPictureWiderThanTheArea) {
  // 1000 x 200 at a fixed real zoom of 1 in 500 x 500: D = 1000, E = 200.
  const std::vector<std::pair<int, std::pair<int, int>>> expected = {
      {7, {0, 0}},      {8, {-250, 0}}, {9, {-500, 0}},   {4, {0, 150}},    {5, {-250, 150}},
      {6, {-500, 150}}, {1, {0, 300}},  {2, {-250, 300}}, {3, {-500, 300}}, {0, {-250, 150}}};
  for (const auto& [position, place] : expected) {
    TViewerGeometry g = Viewer(500, 500, 1000, 200);
    g.real_mode = true;
    g.position = position;
    g.SetUp(TPlacing::kPosition, false);
    EXPECT_EQ(g.Left(), place.first) << position;
    EXPECT_EQ(g.Top(), place.second) << position;
  }
}

TEST(ViewerGeometry, FreePositioningKeepsTenPixelsInside) {
  TViewerGeometry g = Viewer(500, 400, 400, 300);
  g.SetUp(TPlacing::kPosition, false);
  g.free_position = true;
  g.MoveTo(10000, -10000);
  EXPECT_EQ(g.Left(), 490);
  EXPECT_EQ(g.Top(), 10 - g.DisplayHeight());
  g.MoveTo(-10000, 10000);
  EXPECT_EQ(g.Left(), 10 - g.DisplayWidth());
  EXPECT_EQ(g.Top(), 390);
}

TEST(ViewerGeometry, AnAreaChangeKeepsThePlaceRescaled) {
  TViewerGeometry g = Viewer(500, 500, 1000, 1000);
  g.SetUp(TPlacing::kPosition, false);  // F = 0.5
  g.MoveTo(-100, -50);
  g.SetArea(1000, 1000);  // F = 1: R doubles
  g.SetUp(TPlacing::kKeepPlace, false);
  EXPECT_EQ(g.Left(), -200);
  EXPECT_EQ(g.Top(), -100);
  g.SetArea(100, 100);  // F = 0.1: R / 10, then the 10-pixel clamp
  g.MoveTo(95, 95);
  g.SetUp(TPlacing::kKeepPlace, false);
  EXPECT_EQ(g.Left(), 9);
  EXPECT_EQ(g.Top(), 9);
}

TEST(ViewerGeometry, ZoomChangeKeepsTheScrolledInPart) {
  TViewerGeometry g = Viewer(500, 500, 1000, 1000);
  g.free_position = true;
  g.SetUp(TPlacing::kPosition, false);
  g.MoveTo(-100, 20);
  EXPECT_FALSE(g.ZoomChange(2.0));  // R 0.5 -> 1
  EXPECT_EQ(g.Left(), -200);
  EXPECT_EQ(g.Top(), 20);
  EXPECT_TRUE(g.ZoomChange(0.00001));
  EXPECT_EQ(g.DisplayWidth(), 1);
}

TEST(ViewerGeometry, AbsurdZoomsNeverOverflowTheDisplaySize) {
  TViewerGeometry g = Viewer(500, 500, 5000, 800);
  g.SetUp(TPlacing::kPosition, false);
  g.ZoomChange(1e30);
  EXPECT_GT(g.DisplayWidth(), 0);
  EXPECT_LE(g.DisplayWidth(), 16000000);
}

TEST(ViewerGeometry, RotatingPositionRunsLikeAKeypad) {
  std::vector<int> order;
  for (int p = 3; order.size() < 10;) order.push_back(p = TViewerGeometry::NextPosition(p));
  EXPECT_EQ(order, (std::vector<int>{7, 8, 9, 4, 5, 6, 1, 2, 3, 7}));
  EXPECT_EQ(TViewerGeometry::NextPosition(42), 7);
}

TEST(ViewerGeometry, ZoomTextsCarryFiveDecimalsAndParseOnlyNumbers) {
  EXPECT_EQ(TViewerGeometry::ZoomText(1.25), "1.25000");
  EXPECT_EQ(TViewerGeometry::ZoomText(12.5), "12.50000");
  EXPECT_EQ(TViewerGeometry::ZoomText(12.5, true), "12.5000");
  EXPECT_EQ(TViewerGeometry::ZoomText(9.5, true), "9.50000");
  EXPECT_DOUBLE_EQ(TViewerGeometry::ThroughZoomText(0.0781254), 0.07813);
  double v = 0;
  for (const char* bad : {"abc", "nan", "1e999", "", "1,5"})
    EXPECT_FALSE(TViewerGeometry::ParseZoom(bad, v)) << bad;
  EXPECT_TRUE(TViewerGeometry::ParseZoom("-1", v));
  EXPECT_DOUBLE_EQ(v, -1);
  EXPECT_TRUE(TViewerGeometry::ParseZoom(" 0 ", v));
  EXPECT_DOUBLE_EQ(v, 0);
}

}  // namespace

TEST(WheelNotches, PartsOfANotchAddUpInEitherDirection) {
  TWheelNotches wheel;
  EXPECT_EQ(wheel.Add(120), 1);
  EXPECT_EQ(wheel.Add(-360), -3);
  EXPECT_EQ(wheel.Add(50), 0);
  EXPECT_EQ(wheel.Add(50), 0);
  EXPECT_EQ(wheel.Add(50), 1);  // 150: one notch, 30 left over
  EXPECT_EQ(wheel.Add(-150), -1);
}
