// The thumbnail table's controller: the walk of each cell's steps on the worker, what reaches the
// table (on the UI thread) and what does not, abort and the refusal of a bad request.
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include "effects/ThumbNailThreadWatcher.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"

namespace {

constexpr char kSwapRedBlue[] = "2,1,0,0,0,0,0,0,0";
constexpr char kInvert[] = "5,6,7,0,0,0,0,0,0";

struct THandOver {
  TBitmap24 picture;
  int cell;
  int renew_index;
  bool refit;
  bool on_ui_thread;
};

class TFakeTable : public TThumbNailOwner {
 public:
  void Set_ThreadPicture(const TBitmap24& picture, int cell, int renew_index, bool refit) override {
    hand_overs.push_back({picture, cell, renew_index, refit,
                          QThread::currentThread() == QCoreApplication::instance()->thread()});
  }
  void Set_CapDataPicture(const TBitmap24& picture, int tag) override {
    cap_data.emplace_back(tag, picture);
  }
  void StopThumbNailSlideShow() override { ++slide_stops; }

  std::vector<THandOver> hand_overs;
  std::vector<std::pair<int, TBitmap24>> cap_data;
  int slide_stops = 0;
};

// Aborts the run as soon as the worker announces a rotation.
class TAbortAtRotation : public TThumbNailThreadWatcherForm {
 public:
  void Status(const std::string& text) override {
    if (text.rfind("回転", 0) == 0) AbortThread();
    TThumbNailThreadWatcherForm::Status(text);
  }
};

TBitmap24 Arranged(TBitmap24 picture, const char* text) {
  TImageRGBArrange().Arrange(picture, text);
  return picture;
}

TBitmap24 Rotated(TBitmap24 picture, const char* degrees) {
  TImageRotation().Rotate(picture, degrees, kWhite, 0);
  return picture;
}

TThumbNailCell Cell(const TBitmap24& picture, int width, int height, int tag = 0) {
  return {picture, width, height, tag};
}

class ThumbNailThreadWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { controller_.SetOwner(&table_); }

  void RunToEnd(TThumbNailThreadWatcherForm& controller, TThumbNailRequest request) {
    ASSERT_TRUE(controller.StartThumbNailEffects(std::move(request), 0, 0, kWhite));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.Busy(); }, 20000));
    QCoreApplication::processEvents();
  }

  TRecordingDialogService dialogs_;
  TApU apu_{&dialogs_};
  TApUScope scope_{apu_};
  TFakeTable table_;
  TThumbNailThreadWatcherForm controller_;
};

TEST_F(ThumbNailThreadWatcherTest, EachCellsWalkDecidesWhatIsHandedOver) {
  const TBitmap24 wide = PatternBitmap(40, 20);
  struct TCase {
    const char* name;
    TThumbNailCell cell;
    TThumbNailSteps steps;
    bool handed_over;
    TBitmap24 expected;  // when handed over
    bool refit;
    int renew_index;
  };
  const TCase cases[] = {
      {"a failed rotation keeps the picture from before it and ends the walk",
       Cell(wide, 40, 20),
       {"RGBArrange", kSwapRedBlue, "Rotation", "not an angle", "RGBArrange", kInvert},
       true,
       Arranged(wide, kSwapRedBlue),
       false,
       -1},
      {"a rotation in the last slot has no parameter and is ignored",
       Cell(wide, 40, 20),
       {"RGBArrange", kSwapRedBlue, "Rotation"},
       true,
       Arranged(wide, kSwapRedBlue),
       false,
       -1},
      {"renew and cap data alone run no effect",
       Cell(wide, 40, 20),
       {"ReNew", "CapData"},
       false,
       {},
       false,
       -1},
      {"a picture of the cell's width and not taller passes rectify unchanged",
       Cell(wide, 40, 30),
       {"Rectify"},
       true,
       wide,
       false,
       -1},
      {"step names are read in any case",
       Cell(wide, 40, 20),
       {"rotation", "90", "RENEW"},
       true,
       Rotated(wide, "90"),
       true,
       0},
      {"an empty parameter runs nothing and the walk goes on",
       Cell(wide, 40, 20),
       {"FreeFilter", "", "rgbarrange", kInvert},
       true,
       Arranged(wide, kInvert),
       false,
       -1},
      {"an empty slot ends the list",
       Cell(wide, 40, 20),
       {"RGBArrange", kInvert, "", "Rotation", "90"},
       true,
       Arranged(wide, kInvert),
       false,
       -1},
      {"a cell that shows nothing is skipped",
       Cell(wide, 0, 0),
       {"RGBArrange", kInvert},
       false,
       {},
       false,
       -1},
      {"a tag outside the store skips the cell",
       Cell(wide, 40, 20, 5),
       {"RGBArrange", kInvert},
       false,
       {},
       false,
       -1},
      {"a cell without a picture hands nothing over",
       Cell(TBitmap24(), 40, 20),
       {"RGBArrange", kInvert},
       false,
       {},
       false,
       -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    table_.hand_overs.clear();
    TThumbNailRequest request;
    request.thumb_count = 1;
    request.cells = {c.cell};
    request.steps = {c.steps};
    RunToEnd(controller_, std::move(request));
    ASSERT_EQ(table_.hand_overs.size(), c.handed_over ? 1u : 0u);
    if (!c.handed_over) continue;
    const THandOver& h = table_.hand_overs[0];
    EXPECT_TRUE(h.picture.SamePixels(c.expected));
    EXPECT_EQ(h.refit, c.refit);
    EXPECT_EQ(h.renew_index, c.renew_index);
    EXPECT_EQ(h.cell, 0);
    EXPECT_TRUE(h.on_ui_thread);
  }
  EXPECT_TRUE(dialogs_.Entries().empty());
}

TEST_F(ThumbNailThreadWatcherTest, RectifyResizesToTheCellKeepingWhatItCannotFit) {
  TThumbNailRequest request;
  request.thumb_count = 2;
  request.cells = {Cell(PatternBitmap(40, 20), 20, 20, 0), Cell(PatternBitmap(40, 20), 20, 10, 1)};
  request.steps = {{"Rectify"}, {"Rectify"}};
  RunToEnd(controller_, std::move(request));
  ASSERT_EQ(table_.hand_overs.size(), 2u);
  // The target is the cell's size itself: a cell taller than the fit is filled.
  EXPECT_EQ(table_.hand_overs[0].picture.Width(), 20);
  EXPECT_EQ(table_.hand_overs[0].picture.Height(), 20);
  EXPECT_EQ(table_.hand_overs[1].picture.Width(), 20);
  EXPECT_EQ(table_.hand_overs[1].picture.Height(), 10);
  EXPECT_EQ(table_.hand_overs[1].cell, 1);
}

TEST_F(ThumbNailThreadWatcherTest, CapDataStoresThePictureAsItIsAtThatStep) {
  const TBitmap24 picture = PatternBitmap(12, 8);
  for (const bool not_get : {false, true}) {
    table_.cap_data.clear();
    table_.hand_overs.clear();
    TThumbNailRequest request;
    request.thumb_count = 3;
    request.not_get_thumbnail = not_get;
    request.cells = {Cell(picture, 12, 8, 2)};
    request.steps = {{"RGBArrange", kInvert, "CapData", "Rotation", "90", "ReNew"}};
    RunToEnd(controller_, std::move(request));
    if (not_get) {
      EXPECT_TRUE(table_.cap_data.empty());
    } else {
      ASSERT_EQ(table_.cap_data.size(), 1u);
      EXPECT_EQ(table_.cap_data[0].first, 2);
      EXPECT_TRUE(table_.cap_data[0].second.SamePixels(Arranged(picture, kInvert)));
    }
    ASSERT_EQ(table_.hand_overs.size(), 1u);
    EXPECT_EQ(table_.hand_overs[0].renew_index, 2);
    EXPECT_TRUE(table_.hand_overs[0].refit);
    EXPECT_EQ(table_.hand_overs[0].picture.Width(), 8);
  }
}

TEST_F(ThumbNailThreadWatcherTest, AbortStopsBeforeTheNextCellAndDoneCellsKeepTheirPictures) {
  TAbortAtRotation controller;
  controller.SetOwner(&table_);
  TThumbNailRequest request;
  request.thumb_count = 3;
  request.cells = {Cell(PatternBitmap(8, 8), 8, 8, 0), Cell(PatternBitmap(8, 8), 8, 8, 1),
                   Cell(PatternBitmap(8, 8), 8, 8, 2)};
  request.steps = {{"RGBArrange", kInvert}, {"Rotation", "30"}, {"RGBArrange", kInvert}};
  ASSERT_TRUE(controller.StartThumbNailEffects(std::move(request), 0, 0, kWhite));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.Busy(); }, 20000));
  controller.Shutdown();
  QCoreApplication::processEvents();
  ASSERT_EQ(table_.hand_overs.size(), 1u);
  EXPECT_EQ(table_.hand_overs[0].cell, 0);
  // An abort is silent.
  EXPECT_TRUE(dialogs_.Entries().empty());
}

TEST_F(ThumbNailThreadWatcherTest, CountsThatDisagreeAreShownAndTheRunAborted) {
  const struct {
    std::size_t cells;
    std::size_t steps;
    const char* text;
  } cases[] = {{12, 9, "12, 9"}, {0, 0, "0, 0"}, {1, 2, "1, 2"}};
  for (const auto& c : cases) {
    dialogs_.Clear();
    table_.slide_stops = 0;
    TThumbNailRequest request;
    request.thumb_count = 1;
    request.cells.resize(c.cells, Cell(PatternBitmap(4, 4), 4, 4));
    request.steps.resize(c.steps, {"RGBArrange", kInvert});
    EXPECT_FALSE(controller_.StartThumbNailEffects(std::move(request), 0, 0, kWhite));
    ASSERT_EQ(dialogs_.Entries().size(), 1u);
    EXPECT_EQ(dialogs_.Entries()[0].text, c.text);
    EXPECT_EQ(dialogs_.Entries()[0].caption, "  確認");
    EXPECT_EQ(table_.slide_stops, 1);
    EXPECT_FALSE(controller_.Busy());
  }
}

TEST_F(ThumbNailThreadWatcherTest, EngineMessagesAreShownOncePerRun) {
  TThumbNailRequest request;
  request.thumb_count = 1;
  request.cells = {Cell(PatternBitmap(4, 4), 4, 4), Cell(PatternBitmap(4, 4), 4, 4)};
  request.steps = {{"RGBArrange", "1,2"}, {"RGBArrange", "1,2"}};
  RunToEnd(controller_, std::move(request));
  QCoreApplication::processEvents();
  EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{kRGBDataError1});
  // The failed step restores the picture, which is handed over unchanged.
  ASSERT_EQ(table_.hand_overs.size(), 2u);
  EXPECT_TRUE(table_.hand_overs[1].picture.SamePixels(PatternBitmap(4, 4)));
}

TEST_F(ThumbNailThreadWatcherTest, ReleasedOwnerGetsNothingMore) {
  TThumbNailRequest request;
  request.thumb_count = 1;
  request.cells = {Cell(PatternBitmap(4, 4), 4, 4)};
  request.steps = {{"RGBArrange", kInvert}};
  ASSERT_TRUE(controller_.StartThumbNailEffects(std::move(request), 0, 0, kWhite));
  controller_.ReleaseOwner(&table_);
  controller_.Shutdown();
  QCoreApplication::processEvents();
  EXPECT_TRUE(table_.hand_overs.empty());
}

}  // namespace
