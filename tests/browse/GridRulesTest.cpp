#include <gtest/gtest.h>

#include "browse/grid/GridRules.h"
#include "model/Settings.h"

TEST(GridRules, BoxItemsAndColumnTexts) {
  const std::vector<std::string> columns = GridColumnItems();
  ASSERT_EQ(columns.size(), 22u);
  EXPECT_EQ(columns.front(), "   1");
  EXPECT_EQ(columns[2], "   3");
  EXPECT_EQ(columns[15], "  16");
  EXPECT_EQ(columns.back(), " 100");
  const std::vector<std::string> sizes = GridSizeItems();
  EXPECT_EQ(sizes.front(), "050");
  EXPECT_EQ(sizes.back(), "800");
}

TEST(GridRules, TypedNumbers) {
  struct Case {
    const char* text;
    bool columns_ok;
    bool size_ok;
  } cases[] = {{"3", true, true},      {"  12 ", true, true}, {"0", false, false},
               {"-3", false, false},   {"abc", false, false}, {"1e9", false, false},
               {"10001", false, true}, {"", false, false},    {"2.5", false, false}};
  for (const Case& c : cases) {
    int value = 0;
    EXPECT_EQ(ParseGridColumns(c.text, value), c.columns_ok) << c.text;
    EXPECT_EQ(ParseGridSize(c.text, value), c.size_ok) << c.text;
  }
}

// The three size modes, with good and bad numbers in the boxes.
TEST(GridRules, SizesByMode) {
  TGridSizeRequest base;
  base.client_width = 400;
  base.client_height = 300;
  base.cell_width = 77;
  base.cell_height = 55;
  base.columns = 3;
  base.count = 7;
  base.line_width = 1;
  base.width_text = "601";
  base.height_text = "abc";

  // Nothing selected: the client area; the boxes show it (outer frame) or the cell (each cell).
  TGridSizeDecision d = DecideGridSizes(base);
  EXPECT_FALSE(d.stop);
  EXPECT_EQ(d.layout.rows, 3);
  EXPECT_EQ(d.layout.cell_width, (400 - 4) / 3);
  EXPECT_EQ(d.layout.cell_height, (300 - 4) / 3);
  EXPECT_EQ(d.width_text, "400");
  EXPECT_EQ(d.height_text, "300");
  TGridSizeRequest r = base;
  r.each_cell = true;
  d = DecideGridSizes(r);
  EXPECT_EQ(d.width_text, "132");
  EXPECT_EQ(d.height_text, "98");

  // Outer frame with a bad box: the client size, written back.
  r = base;
  r.size_select = true;
  d = DecideGridSizes(r);
  EXPECT_EQ(d.layout.cell_width, 132);
  EXPECT_EQ(d.width_text, "400");
  EXPECT_EQ(d.height_text, "300");
  r.height_text = "301";
  d = DecideGridSizes(r);
  EXPECT_EQ(d.layout.cell_width, (601 - 4) / 3);
  EXPECT_EQ(d.layout.cell_height, (301 - 4) / 3);
  EXPECT_EQ(d.width_text, "601");

  // Each cell: the boxes are the cell; bad boxes take the current cell and stop.
  r.each_cell = true;
  d = DecideGridSizes(r);
  EXPECT_EQ(d.layout.cell_width, 601);
  EXPECT_EQ(d.layout.cell_height, 301);
  r.width_text = "-5";
  d = DecideGridSizes(r);
  EXPECT_TRUE(d.stop);
  EXPECT_EQ(d.width_text, "77");
  EXPECT_EQ(d.height_text, "55");
}

TEST(GridRules, SettingsWrittenAndRestored) {
  TPictureGridSettings settings;
  StoreGridBoxes({"  20", "640", "480", true, false}, settings);
  EXPECT_EQ(settings.w_count, 20);
  EXPECT_EQ(settings.size_width, 640);
  EXPECT_EQ(settings.size_height, 480);
  EXPECT_TRUE(settings.seize_select);
  EXPECT_FALSE(settings.size_grid);
  StoreGridBoxes({"  20", "640", "x", false, true}, settings);
  EXPECT_EQ(settings.w_count, 3);
  EXPECT_EQ(settings.size_width, 100);
  EXPECT_EQ(settings.size_height, 100);
  StoreGridBoxes({"abc", "640", "480", false, false}, settings);
  EXPECT_EQ(settings.size_width, 300);

  std::string width, height;
  settings.size_width = 0;
  settings.size_grid = true;
  RestoreGridSizes(settings, width, height);
  EXPECT_EQ(width + "x" + height, "100x100");
  settings.size_grid = false;
  RestoreGridSizes(settings, width, height);
  EXPECT_EQ(width + "x" + height, "300x300");
  settings.size_width = 250;
  settings.size_height = 150;
  RestoreGridSizes(settings, width, height);
  EXPECT_EQ(width + "x" + height, "250x150");
}
