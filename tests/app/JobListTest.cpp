#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/JobList.h"

namespace {

using TSteps = std::vector<std::string>;

TEST(JobList, EveryTimeOptionsGiveTheirStepsInOrder) {
  const std::vector<std::pair<int, TSteps>> cases = {
      {0, {"SetPosition", "Rectify"}},
      {1, {"LowPassFilter", "SetPosition"}},
      {2, {"UnSharpMasking", "SetPosition"}},
      {3, {"UnSharpMasking", "SetPosition", "Rectify"}},
      {4, {"SetPosition", "Rectify", "UnSharpMasking"}},
      {5, {"SetPosition", "FastUnSharp"}},
      {77, {"SetPosition", "Rectify"}},
  };
  for (const auto& [option, steps] : cases) {
    TJobOptions options;
    options.every_time = true;
    options.every_option = option;
    EXPECT_EQ(EveryTimeSteps(options), steps) << option;
  }
  EXPECT_TRUE(EveryTimeSteps(TJobOptions{}).empty());
}

TEST(JobList, DialogStepsSurroundTheEveryTimeSteps) {
  TJobOptions options;
  options.fusion = options.text = options.rotation = options.free_filter = options.rgb = true;
  options.normal_arrangement = false;
  options.every_time = true;
  EXPECT_EQ(EveryTimeSteps(options),
            (TSteps{"FusionArrange", "Text", "AnalizeDirection", "Rotation", "SetPosition",
                    "Rectify", "FreeFilter", "RGBArrange"}));
}

TEST(JobList, TheEndMarkFollowsAnyStepsAndTheFrontIsUpperCase) {
  TJobList list;
  list.Build({});
  EXPECT_TRUE(list.Empty());
  list.Build({"SetPosition", "FastUnSharp"});
  EXPECT_EQ(list.Front(), "SETPOSITION");
  list.PopFront();
  list.ExpandFastUnSharp(true);
  EXPECT_EQ(TSteps(list.Steps().begin(), list.Steps().end()),
            (TSteps{"UnSharpMasking", "Rectify", "Initial"}));
  list.Build({"FastUnSharp"});
  list.ExpandFastUnSharp(false);
  EXPECT_EQ(TSteps(list.Steps().begin(), list.Steps().end()),
            (TSteps{"Rectify", "UnSharpMasking", "Initial"}));
  list.ResetToEnd();
  EXPECT_EQ(list.Front(), "INITIAL");
}

TEST(JobList, ArrangementTurnsOnlyPicturesLyingTheOtherWay) {
  struct TCase {
    TArrangement arrangement;
    int w, h, turn;
  };
  const std::vector<TCase> cases = {
      {TArrangement::kHeightLargeA, 400, 300, -90}, {TArrangement::kHeightLargeB, 400, 300, 90},
      {TArrangement::kHeightLargeA, 300, 400, 0},   {TArrangement::kWidthLargeA, 300, 400, -90},
      {TArrangement::kWidthLargeB, 300, 400, 90},   {TArrangement::kWidthLargeA, 400, 300, 0},
      {TArrangement::kWidthLargeB, 300, 300, 0},    {TArrangement::kNormal, 300, 400, 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(DirectionTurn(c.arrangement, c.w, c.h), c.turn) << c.w << "x" << c.h;
}

TEST(JobList, BusyCaptionGrowsEveryFifthTickAndWrapsAtFifty) {
  TBusyCaption caption;
  std::vector<std::string> shown;
  for (int tick = 1; tick <= 55; ++tick) {
    std::string text;
    if (caption.Tick(text)) shown.push_back(text);
  }
  ASSERT_EQ(shown.size(), 11u);
  EXPECT_EQ(shown[0], "*");
  EXPECT_EQ(shown[9], "**********");
  EXPECT_EQ(shown[10], "*");
}

}  // namespace
