// The thumbnail table's arithmetic: cell layout, picture placement, paging and the page texts.
#include <gtest/gtest.h>

#include "browse/table/TableGeometry.h"

namespace {

TTableLayoutInput SmallLayout(int direction) {
  TTableLayoutInput in;
  in.main_width = 100;
  in.main_height = 60;
  in.display_zero_left = in.display_zero_top = 1;
  in.panel_zero_left = in.panel_zero_top = 2;
  in.panel_space = 2;
  in.image_zero_left = 1;
  in.image_zero_top = 3;
  in.columns = 3;
  in.rows = 2;
  in.direction = direction;
  return in;
}

TEST(TableLayoutTest, FourDirectionsPlaceTheCells) {
  // Cells of 31 x 28 with a space of 2; rows start at left 1 and top 1. The right-to-left
  // directions end at the available width (98), not at the panel's right margin.
  const struct {
    int direction;
    std::vector<int> lefts;
    std::vector<int> tops;
  } cases[] = {
      {kRowsLeftToRight, {1, 34, 67, 1, 34, 67}, {1, 1, 1, 31, 31, 31}},
      {kRowsRightToLeft, {67, 34, 1, 67, 34, 1}, {1, 1, 1, 31, 31, 31}},
      {kColumnsLeftToRight, {1, 1, 34, 34, 67, 67}, {1, 31, 1, 31, 1, 31}},
      {kColumnsRightToLeft, {67, 67, 34, 34, 1, 1}, {1, 31, 1, 31, 1, 31}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.direction);
    const TTableLayout layout = Set_Bevel(SmallLayout(c.direction));
    EXPECT_EQ(layout.available_width, 98);
    EXPECT_EQ(layout.available_height, 58);
    ASSERT_EQ(layout.frames.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
      EXPECT_EQ(layout.frames[i], (TTableRect{c.lefts[i], c.tops[i], 31, 28})) << i;
      EXPECT_EQ(layout.panels[i], (TTableRect{c.lefts[i] + 2, c.tops[i] + 2, 27, 24})) << i;
    }
    EXPECT_EQ(layout.image_width, 25);
    EXPECT_EQ(layout.image_height, 18);
    EXPECT_FLOAT_EQ(layout.aspect, 18.0f / 25.0f);
  }
}

TEST(TableLayoutTest, AnImageAreaWithoutSizeHasNoAspect) {
  TTableLayoutInput in = SmallLayout(kRowsLeftToRight);
  in.main_width = 10;
  in.columns = 3;
  const TTableLayout layout = Set_Bevel(in);
  EXPECT_LE(layout.image_width, 0);
  EXPECT_EQ(layout.aspect, 0.0f);
}

TEST(PicturePlacementTest, FitsCentresAndCoversByPosition) {
  TTableLayout layout;
  layout.image_width = 100;
  layout.image_height = 50;
  layout.aspect = 0.5f;
  layout.image_zero_left = 2;
  layout.image_zero_top = 3;
  const struct {
    int width, height;
    bool cover;
    int position;
    TTableRect placed;
  } cases[] = {
      {200, 50, false, 5, {2, 15, 100, 25}},    // wide: the width decides
      {50, 100, false, 5, {39, 3, 25, 50}},     // tall: the height decides
      {100, 50, false, 7, {2, 3, 100, 50}},     // the area's own shape
      {200, 50, true, 5, {-48, 3, 200, 50}},    // cover, centred
      {200, 50, true, 7, {2, 3, 200, 50}},      // cover, top-left
      {200, 50, true, 3, {-98, 3, 200, 50}},    // cover, bottom-right
      {50, 100, true, 3, {2, -147, 100, 200}},  // tall cover, bottom-right
      {0, 50, false, 5, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlacePicture(layout, c.width, c.height, c.cover, c.position), c.placed)
        << c.width << "x" << c.height << " cover " << c.cover << " at " << c.position;
}

TEST(PicturePlacementTest, RefitUsesTheFitFactor) {
  TTableLayout layout;
  layout.image_width = 100;
  layout.image_height = 50;
  int width = 30, height = 60;  // a rotated picture, taller than the area allows
  ASSERT_TRUE(RefitSize(layout, width, height));
  EXPECT_EQ(width, 25);
  EXPECT_EQ(height, 50);
  layout.image_width = 0;
  EXPECT_FALSE(RefitSize(layout, width, height));
  EXPECT_EQ(width, 25);
}

TEST(PagingTest, PageItemsWrapAndRepeat) {
  const struct {
    int start, cells, count;
    bool repeat;
    std::vector<int> items;
    int last_index;
  } cases[] = {
      {0, 9, 7, true, {0, 1, 2, 3, 4, 5, 6, 0, 1}, 7},
      {0, 9, 7, false, {0, 1, 2, 3, 4, 5, 6, -1, -1}, 7},
      {4, 4, 10, false, {4, 5, 6, 7}, 8},
      {10, 4, 10, false, {0, 1, 2, 3}, 4},  // a start at the count wraps
      {12, 4, 10, false, {0, 1, 2, 3}, 4},  // and one past it (items were deleted)
      {0, 5, 2, true, {0, 1, 0, 1, 0}, 2},  // a list shorter than the page goes round again
      {0, 3, 0, true, {-1, -1, -1}, 0},
  };
  for (const auto& c : cases) {
    const TPageItems page = PageItems(c.start, c.cells, c.count, c.repeat);
    EXPECT_EQ(page.items, c.items) << c.start << " " << c.cells << " " << c.count;
    EXPECT_EQ(page.last_index, c.last_index) << c.start << " " << c.cells << " " << c.count;
  }
}

TEST(PagingTest, NextWrapsAtTheEnd) {
  bool wrapped = true;
  EXPECT_EQ(NextPageStart(4, 10, wrapped), 4);
  EXPECT_FALSE(wrapped);
  EXPECT_EQ(NextPageStart(10, 10, wrapped), 0);
  EXPECT_TRUE(wrapped);
  EXPECT_EQ(NextPageStart(0, 0, wrapped), 0);
  EXPECT_TRUE(wrapped);
}

TEST(PagingTest, BackRules) {
  const struct {
    int start, cells, count, back;
  } cases[] = {
      {4, 4, 10, 6},                 // the first page is shown: the last page
      {0, 4, 10, 2},                 // nothing shown yet
      {12, 4, 20, 4},                // two pages back from the next start
      {6, 4, 10, 0},                 // less than two pages in
      {8, 4, 10, 0},  {4, 4, 3, 0},  // never below 0
      {0, 4, 3, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BackPageStart(c.start, c.cells, c.count), c.back)
        << c.start << " " << c.cells << " " << c.count;
}

TEST(PageTextTest, LabelAndCaptionFollowTheDigitsOfTheCount) {
  const struct {
    int first_index, cells, count;
    bool repeat;
    const char* label;
    const char* caption;
  } cases[] = {
      {0, 4, 5, false, " File= 1-4\r\n       (     / 5 )", "PictureTable  ( 1-4 /5 )"},
      {8, 4, 12, false, " File= 9-12\r\n       (    /  12 )", "PictureTable  ( 9-12 /12 )"},
      {120, 4, 123, false, " File= 121-123\r\n       (   / 123 )",
       "PictureTable  ( 121-123 /123 )"},
      {0, 4, 1234, false, " File= 1-4\r\n       (   / 1234)", "PictureTable  ( 1-4 /1234 )"},
      {0, 9, 7, true, " File= 1-2\r\n       (     / 7 )", "PictureTable  ( 1-2 /7 )"},
      {5, 9, 7, true, " File= 6-7\r\n       (     / 7 )", "PictureTable  ( 6-7 /7 )"},
      {0, 4, 0, false, " File = 0\r\n       (       / 0 )", "PictureTable  "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileNumLabelText(c.first_index, c.cells, c.count, c.repeat), c.label);
    EXPECT_EQ(TableCaptionText(c.first_index, c.cells, c.count, c.repeat), c.caption);
  }
  EXPECT_EQ(MemoryCaptionText(12.3456f, 7), " 12.346MB, 7枚");
  EXPECT_EQ(MemoryCaptionText(0, 0), " 0.000MB, 0枚");
}

TEST(OpeningTest, BoundsAndCountIndexes) {
  TPictureTableSettings s;
  s.left = 50;
  s.top = 20;
  s.width = 1000;
  s.height = 790;
  const TFormBounds whole = TableOpeningBounds(s, 1000, 800);
  EXPECT_EQ(whole.width, 980);
  EXPECT_EQ(whole.height, 760);
  EXPECT_EQ(whole.left, 10);
  EXPECT_EQ(whole.top, 0);
  s.left = -500;
  s.width = 300;
  s.height = 300;
  EXPECT_EQ(TableOpeningBounds(s, 1000, 800).left, -100);
  const int stored[][2] = {{0, 0}, {4, 4}, {5, 4}, {15, 4}, {-1, 1}};
  for (const auto& c : stored) EXPECT_EQ(OpeningCountIndex(c[0]), c[1]) << c[0];
}

TEST(CellCountTest, ReductionAndZoomStopAtTheirEnds) {
  const struct {
    int columns, rows;
    bool step_columns, step_rows;
    int delta;
    bool changed;
    int columns_after, rows_after;
  } cases[] = {
      {15, 3, true, true, +1, true, 15, 4},  // 16 columns: no more columns
      {15, 15, true, true, +1, false, 15, 15}, {15, 3, true, false, +1, false, 15, 3},
      {2, 0, true, true, -1, true, 1, 0},  // 1 row: no fewer rows
      {0, 0, true, true, -1, false, 0, 0},     {4, 4, false, true, -1, true, 4, 3},
  };
  for (const auto& c : cases) {
    int columns = c.columns, rows = c.rows;
    EXPECT_EQ(StepCellCounts(columns, rows, c.step_columns, c.step_rows, c.delta), c.changed);
    EXPECT_EQ(columns, c.columns_after);
    EXPECT_EQ(rows, c.rows_after);
  }
}

}  // namespace

TEST(FlashingSlideTest, ThreePlacesOfAPageThenTheNextPage) {
  std::vector<int> places;
  std::vector<bool> pages;
  int position = kPositionTopLeft;
  for (int step = 0; step < 6; ++step) {
    bool next_page = false;
    position = NextFlashingPosition(position, next_page);
    places.push_back(position);
    pages.push_back(next_page);
  }
  EXPECT_EQ(places, (std::vector<int>{5, 3, 7, 5, 3, 7}));
  EXPECT_EQ(pages, (std::vector<bool>{false, false, true, false, false, true}));
}
