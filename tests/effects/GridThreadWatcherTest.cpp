// The picture grid's controller: the composed grid and the single picture resized on the worker,
// the filters on their own copies, busy refusals, abort and the failure messages.
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include "effects/GridThreadWatcher.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageSizeChange.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"

namespace {

constexpr char kInvert[] = "5,6,7,0,0,0,0,0,0";

// Aborts as soon as the worker shows its first scale caption.
class TAbortAtCaption : public TGridThreadWatcherForm {
 public:
  void Status(const std::string& text) override {
    AbortThread();
    TGridThreadWatcherForm::Status(text);
  }
};

class GridThreadWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_.show();
    controller_.SetThreadPanel(&panel_, nullptr, nullptr);
  }

  TGridHandOver Collect() {
    return [this](TBitmap24& picture, bool refit) {
      handed_.push_back(picture);
      refits_.push_back(refit);
      return true;
    };
  }

  void WaitIdle(TGridThreadWatcherForm& controller) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.Busy(); }, 20000));
    QCoreApplication::processEvents();
  }

  TRecordingDialogService dialogs_;
  TApU apu_{&dialogs_};
  TApUScope scope_{apu_};
  QWidget panel_;
  TGridThreadWatcherForm controller_;
  std::vector<TBitmap24> handed_;
  std::vector<bool> refits_;
};

TGridZoomRequest ThreeByThree(int count) {
  TGridZoomRequest request;
  request.layout = ComputeGridLayout(TGridSizeMode::kEachCell, 60, 40, 3, 9, 1);
  for (int k = 0; k < 9; ++k)
    request.pictures.push_back(k < count ? PatternBitmap(20 + 13 * k, 90 - 7 * k) : TBitmap24());
  return request;
}

TEST_F(GridThreadWatcherTest, ComposedGridMatchesComposingWithTheResizeSetting) {
  for (int setting : {0, 1, 2}) {
    const TGridZoomRequest request = ThreeByThree(7);
    handed_.clear();
    ASSERT_TRUE(controller_.StartGridRectify(request, setting, Collect()));
    WaitIdle(controller_);
    ASSERT_EQ(handed_.size(), 1u) << setting;
    EXPECT_TRUE(refits_.back());

    std::vector<const TBitmap24*> cells;
    for (const TBitmap24& p : request.pictures) cells.push_back(&p);
    TGridComposeOptions options;
    options.rounding = TGridFitRounding::kRound;
    TImageSizeChange engine;
    TBitmap24 expected;
    ASSERT_TRUE(ComposeGrid(request.layout, cells, options, expected,
                            [&](const TBitmap24& s, TBitmap24& d, int w, int h, int mode) {
                              return TGridThreadWatcherForm::ResizeByMode(engine, s, d, setting,
                                                                          mode, w, h);
                            })
                    .ok);
    EXPECT_TRUE(handed_[0].SamePixels(expected)) << setting;
  }
  EXPECT_TRUE(dialogs_.Texts().empty());
  EXPECT_FALSE(panel_.isVisible());
}

TEST_F(GridThreadWatcherTest, OversizedGridIsRefusedWithItsMessage) {
  TGridZoomRequest request;
  request.layout = ComputeGridLayout(TGridSizeMode::kEachCell, 90, 90, 60, 60, 1);
  request.pictures.assign(60, PatternBitmap(10, 10));
  ASSERT_TRUE(controller_.StartGridRectify(std::move(request), 0, Collect()));
  WaitIdle(controller_);
  EXPECT_TRUE(handed_.empty());
  EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{"ピクチャーが大きすぎます。"});
}

TEST_F(GridThreadWatcherTest, AbortHandsNothingOverAndSaysNothing) {
  TAbortAtCaption controller;
  ASSERT_TRUE(controller.StartGridRectify(ThreeByThree(9), 0, Collect()));
  WaitIdle(controller);
  EXPECT_TRUE(handed_.empty());
  EXPECT_TRUE(dialogs_.Texts().empty());
}

TEST_F(GridThreadWatcherTest, SinglePictureOfTheDisplayWidthStartsNothing) {
  EXPECT_FALSE(controller_.StartGridSingleZoom(PatternBitmap(50, 30), 50, 0, Collect()));
  EXPECT_FALSE(controller_.Busy());
  EXPECT_FALSE(panel_.isVisible());

  ASSERT_TRUE(controller_.StartGridSingleZoom(PatternBitmap(50, 30), 100, 1, Collect()));
  WaitIdle(controller_);
  ASSERT_EQ(handed_.size(), 1u);
  EXPECT_EQ(handed_[0].Width(), 100);
  EXPECT_EQ(handed_[0].Height(), 60);
  EXPECT_FALSE(refits_[0]);
}

TEST_F(GridThreadWatcherTest, SecondFilterWhileBusyIsRefusedWithMessage) {
  ASSERT_TRUE(controller_.Reserve());
  EXPECT_FALSE(
      controller_.StartGridFilter(PatternBitmap(20, 20), 0, TSimpleFilterSettings{}, Collect()));
  EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{"他のタスクが実行されています。"});
  // The other requests are refused silently.
  EXPECT_FALSE(controller_.StartGridRGBArrange(PatternBitmap(20, 20), Collect(), kInvert));
  EXPECT_EQ(dialogs_.Texts().size(), 1u);
  controller_.Release();
}

TEST_F(GridThreadWatcherTest, SingleEffectsReportTheirOwnMessages) {
  struct TCase {
    const char* name;
    std::function<bool(TGridThreadWatcherForm&, TGridHandOver)> start;
    std::vector<std::string> messages;
  };
  const TCase cases[] = {
      {"rotation of an empty picture",
       [](auto& c, auto t) { return c.StartGridRotation({}, t, kWhite, 0, "30"); },
       {"Rotation_Bitmap Error(例外2)"}},
      {"filter of an empty picture",
       [](auto& c, auto t) { return c.StartGridFilter({}, 0, TSimpleFilterSettings{}, t); },
       {"GridForm_Bitmap Error"}},
      {"unknown filter kind",
       [](auto& c, auto t) {
         return c.StartGridFilter(PatternBitmap(8, 8), 7, TSimpleFilterSettings{}, t);
       },
       {"予定外の呼び出しです。", "GridFilter Error(例外2)"}},
      {"empty RGB picture",
       [](auto& c, auto t) { return c.StartGridRGBArrange({}, t, kInvert); },
       {"RGBArrange_Bitmap Error(例外2)"}},
      {"empty free filter picture",
       [](auto& c, auto t) { return c.StartGridFreeFilter({}, t, "1"); },
       {"FreeFilter_Bitmap Error(例外2)"}},
  };
  for (const TCase& c : cases) {
    dialogs_.Clear();
    ASSERT_TRUE(c.start(controller_, Collect())) << c.name;
    WaitIdle(controller_);
    EXPECT_EQ(dialogs_.Texts(), c.messages) << c.name;
  }
  EXPECT_TRUE(handed_.empty());
}

TEST_F(GridThreadWatcherTest, RGBWorksOnItsCopyAndRotationAsksForRefit) {
  const TBitmap24 back = PatternBitmap(30, 20);
  ASSERT_TRUE(controller_.StartGridRGBArrange(back, Collect(), kInvert));
  WaitIdle(controller_);
  TBitmap24 expected = back;
  TImageRGBArrange().Arrange(expected, kInvert);
  ASSERT_EQ(handed_.size(), 1u);
  EXPECT_TRUE(handed_[0].SamePixels(expected));
  EXPECT_FALSE(refits_[0]);

  ASSERT_TRUE(controller_.StartGridRotation(back, Collect(), kWhite, 9, "90"));
  WaitIdle(controller_);
  ASSERT_EQ(handed_.size(), 2u);
  EXPECT_EQ(handed_[1].Width(), 20);
  EXPECT_TRUE(refits_[1]);
}

TEST(GridResizeFailureTest, NamesTheAlgorithmThatFailed) {
  struct TCase {
    int setting, mode;
    const char* message;
  };
  for (const TCase& c :
       {TCase{0, 1, "BiLiner Error(例外)"}, TCase{1, 0, "BiLiner Error(例外)"},
        TCase{1, 1, "Integral Error(例外)"}, TCase{2, 0, "BiLinerAndIntegralDouble Error(例外)"},
        TCase{5, 0, "BiLiner Error(例外)"}})
    EXPECT_EQ(TGridThreadWatcherForm::ResizeFailure(c.setting, c.mode), c.message);
}

}  // namespace
