// The thumbnail rules: scale factor, capacity, the effect steps of a cell and the store that keeps
// its memory count in step.
#include <gtest/gtest.h>

#include "browse/table/ThumbNailRules.h"

namespace {

using TSlots = std::vector<std::string>;

TSlots Padded(TSlots slots, std::size_t size) {
  slots.resize(size);
  return slots;
}

TEST(ThumbNailFactorTest, SizeAndPercentControls) {
  auto size_control = [](int w, int h, bool percent_on, int percent) {
    TPictureTableSettings s;
    s.thumb_size_width = w;
    s.thumb_size_height = h;
    s.thumb_size_percent_control = percent_on;
    s.thumb_size_percent = percent;
    return s;
  };
  auto percent_control = [](double percent, bool cap_on, int w, int h) {
    TPictureTableSettings s;
    s.thumb_control_with_percent = true;
    s.thumb_percent_percent = percent;
    s.thumb_percent_size_control = cap_on;
    s.thumb_percent_width = w;
    s.thumb_percent_height = h;
    return s;
  };
  const struct {
    const char* name;
    TPictureTableSettings settings;
    bool off;
    int width, height;
    float factor;
  } cases[] = {
      {"off: the fit into the area", percent_control(50, false, 0, 0), true, 400, 100, 0.25f},
      {"size control", size_control(400, 400, false, 50), false, 800, 400, 0.5f},
      {"size control may enlarge", size_control(400, 400, false, 50), false, 100, 50, 4.0f},
      {"a size of 0 is the area's", size_control(0, 400, false, 50), false, 400, 100, 0.25f},
      {"never below the percent", size_control(400, 400, true, 50), false, 1600, 800, 0.5f},
      {"a percent above 100 is 100", size_control(400, 400, true, 150), false, 1600, 800, 1.0f},
      {"a percent of 0 is 50", size_control(400, 400, true, 0), false, 1600, 800, 0.5f},
      {"a larger fit stands", size_control(400, 400, true, 10), false, 800, 400, 0.5f},
      {"percent", percent_control(25, false, 0, 0), false, 4000, 100, 0.25f},
      {"percent above 100", percent_control(250, false, 0, 0), false, 400, 100, 1.0f},
      {"percent below 0", percent_control(-3, false, 0, 0), false, 400, 100, 0.5f},
      {"percent under the cap", percent_control(50, true, 100, 100), false, 400, 200, 0.25f},
      {"percent within the cap", percent_control(50, true, 300, 300), false, 400, 200, 0.5f},
      {"a cap of 0 is the area's", percent_control(50, true, 0, 0), false, 800, 200, 0.125f},
      {"no picture", size_control(400, 400, false, 50), false, 0, 100, 0.0f},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(ThumbNailFactor(c.settings, c.off, 100, 100, c.width, c.height), c.factor)
        << c.name;
}

TEST(ThumbNailFactorTest, EnlargingNeedsBothRectifiedAndBig) {
  const struct {
    float factor;
    bool rectified, big;
    float capped;
  } cases[] = {
      {2.0f, true, true, 2.0f},   {2.0f, true, false, 1.0f},  {2.0f, false, true, 1.0f},
      {2.0f, false, false, 1.0f}, {0.5f, false, false, 0.5f}, {1.0f, true, true, 1.0f},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CappedThumbNailFactor(c.factor, c.rectified, c.big), c.capped)
        << c.factor << c.rectified << c.big;
  TPictureTableSettings s;
  s.rectify_type = 2;
  EXPECT_EQ(ThumbNailRectifyMode(s, true), 3);
  EXPECT_EQ(ThumbNailRectifyMode(s, false), 0);
}

TEST(ThumbNailFactorTest, SizeIsFixedUnlessItFollowsTheArea) {
  const struct {
    bool percent, cap_on;
    int width, height;
    bool fixed;
  } cases[] = {
      {false, false, 400, 400, true}, {false, false, 0, 400, false}, {false, false, 400, 0, false},
      {true, false, 0, 0, true},      {true, true, 100, 100, true},  {true, true, 0, 100, false},
  };
  for (const auto& c : cases) {
    TPictureTableSettings s;
    s.thumb_control_with_percent = c.percent;
    s.thumb_percent_size_control = c.cap_on;
    s.thumb_size_width = s.thumb_percent_width = c.width;
    s.thumb_size_height = s.thumb_percent_height = c.height;
    EXPECT_EQ(ThumbNailSizeIsFixed(s), c.fixed) << c.percent << c.cap_on << c.width << c.height;
  }
}

// The used memory and held count the store reports agree with its records.
void ExpectCountsInStep(const TThumbNailStore& store) {
  long long bytes = 0;
  int held = 0;
  for (std::size_t i = 0; i < store.Size(); ++i) {
    const TThumbNailData& r = store[i];
    EXPECT_EQ(r.has_picture, !r.bitmap.Empty()) << i;
    if (!r.has_picture) continue;
    bytes += static_cast<long long>(r.bitmap.Width()) * r.bitmap.Height() * 3;
    ++held;
  }
  EXPECT_EQ(store.HeldCount(), held);
  EXPECT_FLOAT_EQ(store.UsedMemory(), static_cast<float>(bytes / 1e6));
}

TEST(ThumbNailStoreTest, CapacityIsTestedBeforeEachAcquisition) {
  // Thumbnails of 6 MB under a capacity of 10 MB: the second still fits the test, the third not.
  TThumbNailStore store;
  store.Reset(3);
  int refused_at = -1;
  for (std::size_t i = 0; i < 3; ++i) {
    if (!CapacityAllows(10, store.UsedMemory(), store.HeldCount(), 250)) {
      refused_at = static_cast<int>(i);
      break;
    }
    store.Hold(i, TBitmap24(2000, 1000));
  }
  EXPECT_EQ(refused_at, 2);
  EXPECT_EQ(store.HeldCount(), 2);
  EXPECT_FLOAT_EQ(store.UsedMemory(), 12.0f);
  // The count bound alike.
  EXPECT_FALSE(CapacityAllows(100, 0, 250, 250));
  EXPECT_TRUE(CapacityAllows(100, 0, 249, 250));
}

TEST(ThumbNailStoreTest, EveryChangeKeepsMemoryAndCountInStep) {
  TThumbNailStore store;
  store.Reset(5);
  for (std::size_t i = 0; i < 5; ++i) {
    store.Hold(i, TBitmap24(10 + static_cast<int>(i), 7));
    store.SetTried(i, true);
    store.SetSourcePath(i, "item" + std::to_string(i));
  }
  ExpectCountsInStep(store);
  store.Hold(1, TBitmap24(100, 100));  // replaces the old bitmap
  ExpectCountsInStep(store);
  store.Hold(2, TBitmap24());  // an empty picture only releases
  EXPECT_FALSE(store[2].has_picture);
  ExpectCountsInStep(store);
  store.CopyRecord(1, 3);
  EXPECT_EQ(store[3].source_path, "item1");
  ExpectCountsInStep(store);
  store.Release(0);
  EXPECT_TRUE(store[0].tried);
  ExpectCountsInStep(store);
  store.ResetRecord(4);
  EXPECT_FALSE(store[4].tried);
  EXPECT_TRUE(store[4].source_path.empty());
  ExpectCountsInStep(store);
  store.Append(2);
  EXPECT_EQ(store.Size(), 7u);
  ExpectCountsInStep(store);
  store.Resize(2);
  ExpectCountsInStep(store);
  EXPECT_EQ(store.ReleaseAll(), 1);
  EXPECT_EQ(store.HeldCount(), 0);
  EXPECT_EQ(store.UsedMemory(), 0.0f);
}

TEST(ThumbNailStoreTest, DeletingItemsMovesTheRecordsAfterThem) {
  TThumbNailStore store;
  store.Reset(6);
  for (std::size_t i = 0; i < 6; ++i) {
    store.Hold(i, TBitmap24(10 + static_cast<int>(i), 10));
    store.SetSourcePath(i, "item" + std::to_string(i));
  }
  store.Delete(std::vector<std::size_t>{4, 1, 4, 9});
  ASSERT_EQ(store.Size(), 4u);
  const char* order[] = {"item0", "item2", "item3", "item5"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(store[i].source_path, order[i]);
    EXPECT_EQ(store[i].bitmap.Width(), std::stoi(order[i] + 4) + 10);
  }
  ExpectCountsInStep(store);
  store.Delete(0);
  EXPECT_EQ(store[0].source_path, "item2");
  ExpectCountsInStep(store);
  store.Move(0, 2);
  EXPECT_EQ(store[2].source_path, "item2");
  EXPECT_EQ(store[0].source_path, "item3");
  store.Move(2, 0);
  EXPECT_EQ(store[0].source_path, "item2");
  ExpectCountsInStep(store);
}

TEST(StepSlotsTest, StepsFillTheSlotsInOrder) {
  TStepSlots slots(3);
  slots.Add("Rotation", "30");
  slots.Add("RGBArrange", "0,1,2,0,0,0,0,0,0");  // its parameter finds no slot
  slots.Add("ReNew");                            // no slot at all
  EXPECT_EQ(slots.Slots(), (TSlots{"Rotation", "30", "RGBArrange"}));
  TStepSlots empty_parameter(4);
  empty_parameter.Add("Rotation", "");
  empty_parameter.Add("ReNew");
  EXPECT_EQ(empty_parameter.Slots(), (TSlots{"Rotation", "", "ReNew", ""}));
}

TEST(CellStepsTest, PageFillOrderAndTheSingleRectify) {
  const std::vector<std::string> no_effects;
  const std::vector<std::string> effects = {"ARo30", "rgb2,1,0,0,0,0,0,0,0", "FFiK,3", "", "ARo90"};
  const std::vector<std::string> text_first = {"Txt1,2", "ARo30"};
  auto options = [](const std::vector<std::string>* cap) {
    TCellStepOptions o;
    o.cap_effects = cap;
    return o;
  };
  struct TCase {
    const char* name;
    TCellStepOptions options;
    TSlots slots;
  };
  std::vector<TCase> cases;
  cases.push_back({"cap data without effects or options", options(&no_effects), {}});
  cases.push_back(
      {"the record's effects until the first empty one, then CapData",
       options(&effects),
       {"Rotation", "30", "RGBArrange", "2,1,0,0,0,0,0,0,0", "FreeFilter", "K,3", "CapData"}});
  cases.push_back({"an unknown code ends the record's effects", options(&text_first), {}});
  {
    TCellStepOptions o = options(&effects);
    o.rectify_before_effect = true;
    o.every_time_rectify = true;
    o.every_rectify_type = kEveryLowPass;
    o.auto_renew = true;
    cases.push_back({"rectified once before the effects",
                     o,
                     {"Rectify", "Rotation", "30", "RGBArrange", "2,1,0,0,0,0,0,0,0", "FreeFilter",
                      "K,3", "CapData", "LowPassFilter", "ReNew"}});
  }
  {
    TCellStepOptions o = options(nullptr);
    o.every_time_rectify = true;
    o.every_rectify_type = kEveryUnSharp;
    cases.push_back({"every-time processing rectifies first", o, {"Rectify", "UnSharpMasking"}});
  }
  {
    TCellStepOptions o = options(nullptr);
    o.every_time_rectify = true;
    o.every_rectify_type = 7;  // any other option rectifies only
    cases.push_back({"the table options alone", o, {"Rectify"}});
  }
  {
    TCellStepOptions o = options(nullptr);
    o.rectify_before_effect = true;
    o.rotation_auto = true;
    o.rotation_degree = "45";
    o.free_filter_auto = true;
    o.free_filter_kernel = "K,5";
    o.rgb_auto = true;
    o.rgb_parameters = "P";
    cases.push_back({"dialogs in their order",
                     o,
                     {"Rectify", "Rotation", "45", "FreeFilter", "K,5", "RGBArrange", "P"}});
  }
  {
    TCellStepOptions o = options(nullptr);
    o.rectify_before_effect = true;
    o.rgb_auto = true;
    o.rgb_parameters = "P";
    o.auto_renew = true;
    cases.push_back(
        {"RGB alone rectifies before itself", o, {"Rectify", "RGBArrange", "P", "ReNew"}});
  }
  {
    TCellStepOptions o = options(nullptr);
    o.auto_renew = true;
    cases.push_back({"renew needs a step", o, {}});
  }
  for (const TCase& c : cases) {
    const TStepSlots steps = BuildCellSteps(c.options);
    EXPECT_EQ(steps.Slots(), Padded(c.slots, kPageStepSlots)) << c.name;
    EXPECT_EQ(steps.Any(), !c.slots.empty()) << c.name;
  }
}

TEST(CellStepsTest, ProcessingCommandsAndAppliedEffects) {
  // The area is 100 x 50; a picture meets it with one side equal and the other within (the
  // commands below are given pictures 40 high).
  const struct {
    int width, height;
    bool meets;
  } sizes[] = {{100, 50, true},  {100, 20, true}, {40, 50, true},
               {100, 60, false}, {99, 49, false}, {120, 50, false}};
  for (const auto& s : sizes)
    EXPECT_EQ(MeetsImageArea(s.width, s.height, 100, 50), s.meets) << s.width << "x" << s.height;

  const struct {
    TProcessCommand command;
    bool before, every;
    int type;
    int width;
    TSlots slots;
  } commands[] = {
      {TProcessCommand::kRectify, false, false, 0, 80, {"Rectify", ""}},
      {TProcessCommand::kRectify, false, false, 0, 100, {"", ""}},
      {TProcessCommand::kRectify, false, true, kEveryUnSharp, 80, {"Rectify", "UnSharpMasking"}},
      {TProcessCommand::kLowPassFilter, false, false, 0, 80, {"LowPassFilter", ""}},
      {TProcessCommand::kLowPassFilter, true, false, 0, 80, {"Rectify", "LowPassFilter"}},
      {TProcessCommand::kUnSharpMasking, true, false, 0, 100, {"UnSharpMasking", ""}},
  };
  for (const auto& c : commands)
    EXPECT_EQ(CommandSteps(c.command, c.before, c.every, c.type, c.width, 40, 100, 50).Slots(),
              c.slots);

  EXPECT_EQ(EffectSteps("Rotation", "30", true, 80, 40, 100, 50).Slots(),
            (TSlots{"Rectify", "Rotation", "30"}));
  EXPECT_EQ(EffectSteps("Rotation", "30", true, 100, 40, 100, 50).Slots(),
            (TSlots{"Rotation", "30", ""}));
  EXPECT_EQ(EffectSteps("FreeFilter", "K", false, 80, 40, 100, 50).Slots(),
            (TSlots{"FreeFilter", "K", ""}));
}

}  // namespace
