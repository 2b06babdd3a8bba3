// The picture grid's arithmetic and composing: cell sizes, placements, which picture each cell
// shows, the size refusal and the composed bitmap itself.
#include <gtest/gtest.h>

#include "engine/GridCompose.h"
#include "engine/ImageSizeChange.h"
#include "tests/TestSupport.h"

namespace {

struct TLayoutCase {
  TGridSizeMode mode;
  int width, height, columns, count, line;
  int rows, cell_width, cell_height;
  long long canvas_width, canvas_height;
};

class GridLayoutTest : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(GridLayoutTest, GivesRowsCellSizeAndCanvas) {
  const TLayoutCase& c = GetParam();
  const TGridLayout layout =
      ComputeGridLayout(c.mode, c.width, c.height, c.columns, c.count, c.line);
  EXPECT_EQ(layout.rows, c.rows);
  EXPECT_EQ(layout.cell_width, c.cell_width);
  EXPECT_EQ(layout.cell_height, c.cell_height);
  EXPECT_EQ(GridCanvasWidth(layout), c.canvas_width);
  EXPECT_EQ(GridCanvasHeight(layout), c.canvas_height);
}

INSTANTIATE_TEST_SUITE_P(
    SizeModes, GridLayoutTest,
    ::testing::Values(
        // client 500 x 300, 3 columns, 7 pictures: 3 rows, (500 - 4) div 3, (300 - 4) div 3
        TLayoutCase{TGridSizeMode::kNone, 500, 300, 3, 7, 1, 3, 165, 98, 499, 298},
        TLayoutCase{TGridSizeMode::kOuterFrame, 300, 300, 3, 9, 2, 3, 97, 97, 299, 299},
        TLayoutCase{TGridSizeMode::kEachCell, 100, 80, 4, 5, 3, 2, 100, 80, 415, 169},
        // nothing to show still gives one row; line width 0 puts cells edge to edge
        TLayoutCase{TGridSizeMode::kNone, 200, 100, 2, 0, 0, 1, 100, 100, 200, 100}));

TEST(GridCanvasTest, RefusesGridsPastTheWidthLimitWithTwoLineMessage) {
  TGridLayout layout;
  layout.columns = 60;
  layout.rows = 1;
  layout.cell_width = 90;
  layout.cell_height = 90;
  std::string message;
  EXPECT_FALSE(GridCanvasAllowed(layout, &message));
  EXPECT_EQ(
      message,
      "ピクチャーのサイズが許容範囲を超えています。\r\n\r\nピクチャーは表示できませんでした。");
  TBitmap24 canvas(3, 3);
  const TGridComposeResult result = ComposeGrid(layout, {}, {}, canvas);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.too_large);
  EXPECT_EQ(canvas.Width(), 3);  // untouched
  layout.columns = 50;           // 1 + 91 x 50 = 4551
  EXPECT_TRUE(GridCanvasAllowed(layout));
}

struct TPlaceCase {
  const char* name;
  int picture_width, picture_height;
  TGridFitRounding rounding;
  TGridRect rect;
  int mode;
};

class GridPlacementTest : public ::testing::TestWithParam<TPlaceCase> {};

TEST_P(GridPlacementTest, FitsAndCentresInCell) {
  const TPlaceCase& c = GetParam();
  const TGridPlacement place =
      PlaceInGridCell({10, 20, 100, 80}, c.picture_width, c.picture_height, c.rounding);
  ASSERT_TRUE(place.ok);
  EXPECT_EQ(place.rect, c.rect);
  EXPECT_EQ(place.mode, c.mode);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, GridPlacementTest,
    ::testing::Values(
        // exactly as wide and lower: unresized, centred vertically only
        TPlaceCase{"SameWidth", 100, 50, TGridFitRounding::kTruncate, {10, 35, 100, 50}, -1},
        // width-limited enlargement 2x: height 60, leftover 20 even
        TPlaceCase{"Enlarge", 50, 30, TGridFitRounding::kTruncate, {10, 30, 100, 60}, 0},
        // leftover 80 - 33 = 47 is odd: the picture grows to 34
        TPlaceCase{"OddLeftover", 300, 100, TGridFitRounding::kTruncate, {10, 43, 100, 34}, 1},
        // height-limited: width 80 x 0.4 = 32, leftover 68
        TPlaceCase{"Tall", 80, 200, TGridFitRounding::kTruncate, {44, 20, 32, 80}, 1},
        // 1/3 x 200 = 66.67: truncation gives 66, rounding 67 (odd leftover 13, so 68)
        TPlaceCase{"Truncates", 300, 200, TGridFitRounding::kTruncate, {10, 27, 100, 66}, 1},
        TPlaceCase{"Rounds", 300, 200, TGridFitRounding::kRound, {10, 26, 100, 68}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridPlacementTest, RefusesMissingPicture) {
  EXPECT_FALSE(PlaceInGridCell({0, 0, 10, 10}, 0, 5, TGridFitRounding::kRound).ok);
}

struct TMapCase {
  const char* name;
  std::vector<int> tags;
  bool repeat;
  int columns;
  std::vector<int> map;
};

class GridPictureMapTest : public ::testing::TestWithParam<TMapCase> {};

TEST_P(GridPictureMapTest, MapsGridCellsToTableCells) {
  const TMapCase& c = GetParam();
  const int rows = GridRows(GridCellsToShow(c.tags, c.repeat), c.columns);
  EXPECT_EQ(GridPictureMap(c.tags, rows * c.columns, c.repeat), c.map);
}

INSTANTIATE_TEST_SUITE_P(Pages, GridPictureMapTest,
                         ::testing::Values(TMapCase{"RepeatFourOverNine",
                                                    {0, 1, 2, 3, -1, -1, -1, -1, -1},
                                                    true,
                                                    3,
                                                    {0, 1, 2, 3, 0, 1, 2, 3, 0}},
                                           TMapCase{"SevenNoRepeat",
                                                    {0, 1, 2, 3, 4, 5, 6, -1, -1},
                                                    false,
                                                    3,
                                                    {0, 1, 2, 3, 4, 5, 6, -1, -1}},
                                           TMapCase{"SevenRepeat",
                                                    {0, 1, 2, 3, 4, 5, 6, -1, -1},
                                                    true,
                                                    3,
                                                    {0, 1, 2, 3, 4, 5, 6, 0, 1}},
                                           TMapCase{"Empty", {-1, -1, -1}, true, 3, {-1, -1, -1}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The same composition done by hand with the engine's stretch and drawing.
TBitmap24 ComposeByHand(const TGridLayout& layout, const std::vector<TBitmap24>& pictures,
                        bool frames) {
  TBitmap24 canvas(static_cast<int>(GridCanvasWidth(layout)),
                   static_cast<int>(GridCanvasHeight(layout)));
  canvas.Fill(kWhite);
  const int l = layout.line_width;
  for (int c = 0; c <= layout.columns; ++c) {
    const int x = c * (layout.cell_width + l);
    canvas.FillRect(x, 0, x + l, canvas.Height(), kBlack);
  }
  for (int r = 0; r <= layout.rows; ++r) {
    const int y = r * (layout.cell_height + l);
    canvas.FillRect(0, y, canvas.Width(), y + l, kBlack);
  }
  for (int k = 0; k < static_cast<int>(pictures.size()); ++k) {
    const TGridRect cell = GridCellRect(layout, k % layout.columns, k / layout.columns);
    const TGridPlacement p = PlaceInGridCell(cell, pictures[k].Width(), pictures[k].Height(),
                                             TGridFitRounding::kTruncate);
    TBitmap24 scaled;
    EXPECT_TRUE(StretchBitmap(pictures[k], scaled, p.rect.width, p.rect.height));
    canvas.Draw(scaled, p.rect.left, p.rect.top);
    if (frames) {
      const auto set = [&canvas](int x, int y) {
        if (x >= 0 && y >= 0 && x < canvas.Width() && y < canvas.Height())
          canvas.SetPixel(x, y, kBlack);
      };
      const int x0 = p.rect.left - 1, y0 = p.rect.top - 1;
      const int x1 = p.rect.left + p.rect.width, y1 = p.rect.top + p.rect.height;
      for (int x = x0; x <= x1; ++x) {
        set(x, y0);
        set(x, y1);
      }
      for (int y = y0; y <= y1; ++y) {
        set(x0, y);
        set(x1, y);
      }
    }
  }
  return canvas;
}

// Frames, and the line width (0: a frame lies on its neighbour's edge).
class GridComposeTest : public ::testing::TestWithParam<std::tuple<bool, int>> {};

TEST_P(GridComposeTest, MatchesHandComposition) {
  const auto [frames, line] = GetParam();
  std::vector<TBitmap24> pictures;
  const int sizes[9][2] = {{64, 48}, {30, 90}, {200, 200}, {57, 13}, {80, 60},
                           {81, 61}, {17, 17}, {120, 40},  {33, 100}};
  for (const auto& s : sizes) pictures.push_back(PatternBitmap(s[0], s[1]));
  const TGridLayout layout = ComputeGridLayout(TGridSizeMode::kEachCell, 80, 60, 3, 9, line);
  std::vector<const TBitmap24*> cells;
  for (const TBitmap24& p : pictures) cells.push_back(&p);
  TGridComposeOptions options;
  options.frame_pictures = frames;
  TBitmap24 canvas;
  ASSERT_TRUE(ComposeGrid(layout, cells, options, canvas).ok);
  EXPECT_TRUE(canvas.SamePixels(ComposeByHand(layout, pictures, frames)));
}

INSTANTIATE_TEST_SUITE_P(FramesAndLines, GridComposeTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(3, 0)));

// Cells shared out among bands give the bytes of the cell-by-cell run, with frames, without
// lines, and with frames over lines of width 0 (where a frame covers its neighbour's edge).
TEST(GridComposeBandsTest, SameBytesAsOneByOne) {
  std::vector<TBitmap24> pictures;
  for (int i = 0; i < 11; ++i) pictures.push_back(PatternBitmap(20 + 13 * i, 90 - 7 * i));
  std::vector<const TBitmap24*> cells;
  for (const TBitmap24& p : pictures) cells.push_back(&p);
  cells.push_back(nullptr);
  for (const int line : {0, 1, 3}) {
    for (const bool frames : {false, true}) {
      const TGridLayout layout = ComputeGridLayout(TGridSizeMode::kEachCell, 41, 37, 4, 12, line);
      TGridComposeOptions options;
      options.frame_pictures = frames;
      TBitmap24 one_by_one, in_bands;
      ASSERT_TRUE(ComposeGrid(layout, cells, options, one_by_one).ok);
      TSequentialBands bands(5);
      const TGridComposeResult result =
          ComposeGrid(layout, cells, options, in_bands, {}, nullptr, &bands);
      ASSERT_TRUE(result.ok);
      EXPECT_EQ(result.failed_cells, 0);
      EXPECT_TRUE(in_bands.SamePixels(one_by_one)) << "line " << line << " frames " << frames;
    }
  }
}

TEST(GridComposeOptionsTest, NoGridKeepsSpacingUnpainted) {
  const TGridLayout layout = ComputeGridLayout(TGridSizeMode::kEachCell, 10, 10, 2, 2, 2);
  const TBitmap24 picture = PatternBitmap(10, 10);
  TGridComposeOptions options;
  options.no_grid = true;
  TBitmap24 canvas;
  ASSERT_TRUE(ComposeGrid(layout, {&picture, nullptr}, options, canvas).ok);
  EXPECT_EQ(canvas.Width(), 26);
  EXPECT_EQ(canvas.Pixel(0, 0), kWhite);
  EXPECT_EQ(canvas.Pixel(12, 5), kWhite);
  EXPECT_EQ(canvas.Pixel(2, 2), picture.Pixel(0, 0));
}

}  // namespace
