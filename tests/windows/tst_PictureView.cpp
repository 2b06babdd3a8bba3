// The main window's picture area: showing pictures, zoom and position commands, the every-time
// processing on the image worker and its abort, with the exact messages.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/platform/MetafileWriter.h"
#include "tests/windows/WindowTestSupport.h"
#include "widgets/MainImage.h"

namespace {

std::string SavePattern(const TTempDir& dir, const std::string& name, int w, int h) {
  const std::string path = dir.File(name);
  SavePictureFile(PatternBitmap(w, h), path, true, 100);
  return path;
}

TShownFrom From(const std::string& name, int index = 1, int count = 1) {
  TShownFrom from;
  from.name = name;
  from.index = index;
  from.count = count;
  return from;
}

}  // namespace

class TPictureViewTest : public TWindowTest {
  Q_OBJECT

 private:
  TPictureView& View() { return form_->PictureView(); }
  QAction* Action(const char* name) { return View().Action(name); }
  // Shows a picture in a 500 x 500 area and waits for its processing to end.
  void Show(const std::string& path, const std::string& name = "p.bmp") {
    View().SetAreaOverride(500, 500);
    View().ShowPictureFile(path, From(name));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
  }

 private slots:
  void init() {
    BeginCase();
    StartForm();
  }
  void cleanup() { EndCase(); }

  void ShowsAPictureFittedWithItsCaption() {
    Show(SavePattern(*dir_, "a.bmp", 400, 300), "a.bmp");
    const TViewerGeometry& g = View().Geometry();
    QCOMPARE(g.DisplayWidth(), 500);
    QCOMPARE(g.DisplayHeight(), 375);
    QCOMPARE(View().MainImage()->geometry(), QRect(0, 62, 500, 375));
    QCOMPARE(form_->windowTitle(), QString("Velmora  a.bmp ( 1/1 )"));
    QCOMPARE(View().RealZoomComboBox()->currentText(), QString("1.25000"));
    QVERIFY(recorder_.Texts().empty());
  }

  void OddShapesAllShow() {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{5000, 800}, {1, 1}, {1, 5000}}) {
      Show(SavePattern(*dir_, "odd.bmp", w, h));
      QVERIFY(!View().MainImage()->isHidden());
      QVERIFY(View().MainImage()->width() >= 1 && View().MainImage()->height() >= 1);
      QVERIFY(!View().MainImage()->DisplayedImage().isNull());
    }
    QVERIFY(recorder_.Texts().empty());
  }

  void UnreadableAndMissingPicturesSayWhich() {
    WriteWholeFile(dir_->File("broken.jpg"), "not a picture");
    QVERIFY(!View().ShowPictureFile(dir_->File("broken.jpg"), From("broken.jpg")));
    QCOMPARE(form_->windowTitle(), QString("Velmora  broken.jpg[未対応]"));
    QVERIFY(!View().ShowPictureFile(dir_->File("gone.jpg"), From("gone.jpg")));
    QCOMPARE(form_->windowTitle(), QString("Velmora  gone.jpg[存在しない]"));
    QVERIFY(!View().HasPicture());
  }

  // After a metafile every raster picture shows its own pixels, also one that cannot be read.
  void ARasterPictureAfterAMetafileShowsItsOwnPixels() {
    TWmfWriter wmf(0, 0, 96, 64, 96);
    wmf.Select(wmf.CreateBrush(0, 0x0000FF));
    wmf.Rectangle(0, 0, 96, 64);
    const std::string drawing = dir_->File("a.wmf");
    WriteWholeFile(drawing, wmf.Bytes());
    Show(drawing, "a.wmf");
    QCOMPARE(View().MainImage()->DisplayedImage().pixelColor(10, 10), QColor(255, 0, 0));
    Show(SavePattern(*dir_, "b.bmp", 500, 500), "b.bmp");  // shown at its own size
    QCOMPARE(View().MainImage()->DisplayedImage().size(), QSize(500, 500));
    QCOMPARE(View().MainImage()->DisplayedImage().pixelColor(3, 2), QColor(3 * 7 + 2, 3 + 10, 6));
    Show(drawing, "a.wmf");
    WriteWholeFile(dir_->File("c.jpg"), "\xFF\xD8 not a picture");
    Show(dir_->File("c.jpg"), "c.jpg");
    QCOMPARE(form_->windowTitle(), QString("Velmora  c.jpg[未対応]"));
    QVERIFY(View().MainImage()->isHidden());
  }

  void ZoomCommandsFollowTheSteps() {
    Show(SavePattern(*dir_, "a.bmp", 1000, 1000));  // F = 0.5
    Action("PictureZoomIn")->trigger();
    QCOMPARE(View().Geometry().Relative(), 1.25);
    QCOMPARE(View().ZoomComboBox()->currentText(), QString("1.25000"));
    Action("PictureZoomOut")->trigger();
    QCOMPARE(View().Geometry().Relative(), 1.0);
    Action("PictureNoZoom")->trigger();
    QCOMPARE(View().Geometry().DisplayWidth(), 500);
    form_->Settings().base.zoom_rate = 0;
    Action("PictureZoomIn")->trigger();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"PictureZoomInExecute Error"});
    QCOMPARE(form_->Settings().base.zoom_rate, 50);
    QCOMPARE(View().Geometry().Relative(), 1.5);
  }

  void ZoomButtonRefusesWhatIsNoPositiveNumber() {
    Show(SavePattern(*dir_, "a.bmp", 100, 100));
    const std::vector<std::pair<QString, std::string>> cases = {
        {"abc", "数値を入力してください。"},
        {"nan", "数値を入力してください。"},
        {"1e999", "数値を入力してください。"},
        {"-1", "「０以下」は不正な値です。"},
        {"0", "「０以下」は不正な値です。"}};
    for (const auto& [typed, message] : cases) {
      recorder_.Clear();
      View().ZoomComboBox()->setCurrentText(typed);
      View().ZoomButton()->click();
      QCOMPARE(recorder_.Texts(), std::vector<std::string>{message});
      QCOMPARE(View().Geometry().Relative(), 1.0);
    }
    View().ZoomComboBox()->setCurrentText("2");
    View().ZoomButton()->click();
    QCOMPARE(View().Geometry().DisplayWidth(), 1000);
  }

  void ZoomInputAsksWithTheModeInItsTitle() {
    Show(SavePattern(*dir_, "a.bmp", 100, 100));
    recorder_.AnswerInput("abc");
    Action("PictureZoomInput")->trigger();
    recorder_.AnswerInput("0.5");
    Action("PictureZoomInput")->trigger();
    const auto& entries = recorder_.Entries();
    QCOMPARE(entries[0].caption, std::string("  倍率の指定(相対倍率)"));
    QCOMPARE(entries[0].text, std::string("正の数を入力してください。"));
    QCOMPARE(entries[1].text, std::string("正の数を入力してください。"));  // "abc" refused
    QCOMPARE(View().Geometry().DisplayWidth(), 250);
  }

  void RealSizeControlValueFromTheCaptionAndTheInputBox() {
    Show(SavePattern(*dir_, "a.bmp", 100, 100));
    Action("PictureSizeRealControlIn")->trigger();
    QCOMPARE(View().Geometry().DisplayWidth(), 100);
    Action("RealZoom200")->trigger();
    QCOMPARE(View().Geometry().DisplayWidth(), 200);
    recorder_.AnswerInput("3");
    Action("NowRealZoomControl")->trigger();
    QCOMPARE(recorder_.Entries()[0].value, std::string("2.000"));
    QCOMPARE(View().Geometry().DisplayWidth(), 300);
    Action("GetRealZoomControl")->trigger();
    QCOMPARE(Action("NowRealZoomControl")->text(), QString("値= ×3.000"));
  }

  void PositionsAndTheRotatingPosition() {
    Show(SavePattern(*dir_, "a.bmp", 1000, 200));  // 500 x 100 in 500 x 500
    Action("PicturePosBottomRight")->trigger();
    QCOMPARE(View().MainImage()->pos(), QPoint(0, 400));
    Action("PicturePosRotation")->trigger();  // 3 -> 7
    QCOMPARE(View().MainImage()->pos(), QPoint(0, 0));
    QVERIFY(Action("PicturePosTopLeft")->isChecked());
    Action("PicturePosFree")->trigger();
    Action("PicturePosRotation")->trigger();  // only leaves free positioning
    QVERIFY(!Action("PicturePosFree")->isChecked());
    QVERIFY(Action("PicturePosTopLeft")->isChecked());
  }

  void EveryTimeCorrectionEqualsTheEngine() {
    const std::string path = SavePattern(*dir_, "a.bmp", 1000, 800);
    Action("EveryTimeRectify")->setChecked(true);
    Show(path);
    TBitmap24 expected;
    TImageSizeChange engine;
    QVERIFY(engine.BiLiner(PatternBitmap(1000, 800), expected, 400, 500));
    QVERIFY(View().Working().SamePixels(expected));
    QCOMPARE(View().MainImage()->geometry(), QRect(0, 50, 500, 400));
    QVERIFY(form_->Jobs().ThreadPanel()->isHidden());
    // Undo returns to the picture before the correction.
    Action("UndoPicture")->trigger();
    QVERIFY(View().Working().SamePixels(PatternBitmap(1000, 800)));
  }

  void AbortLeavesThePictureAndASecondStartIsRefused() {
    form_->Settings().effect.rectify_type = 2;  // the slowest correction
    const std::string path = SavePattern(*dir_, "a.bmp", 2000, 2000);
    Action("EveryTimeRectify")->setChecked(true);
    View().SetAreaOverride(1999, 1999);
    QVERIFY(View().ShowPictureFile(path, From("a.bmp")));
    TImageThreadWatcherForm& controller = form_->ImageController();
    QVERIFY(controller.Busy());
    TBitmap24 other(4, 4);
    QVERIFY(!controller.StartRectify(
        &other, [](TBitmap24&) { return true; }, 0, 2, 2));
    form_->findChild<QPushButton*>("ThreadAbortButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!controller.Busy(), 10000);
    QVERIFY(View().Working().SamePixels(PatternBitmap(2000, 2000)));
    QVERIFY(!View().Processing());
    QVERIFY(recorder_.Texts().empty());
  }

  void ClosingWhileBusyAbortsFirstAndClosesNext() {
    form_->Settings().effect.rectify_type = 2;
    Action("EveryTimeRectify")->setChecked(true);
    form_->show();
    View().SetAreaOverride(1999, 1999);
    View().ShowPictureFile(SavePattern(*dir_, "a.bmp", 2000, 2000), From("a.bmp"));
    QVERIFY(form_->ImageController().Busy());
    QVERIFY(!form_->close());
    QVERIFY(!form_->ImageController().IsBusy());
    QVERIFY(form_->close());
  }

  void APictureOnTheCommandLineIsShownInItsFolder() {
    const std::string folder = dir_->File("photos");
    std::filesystem::create_directory(folder);
    SavePictureFile(PatternBitmap(30, 20), folder + "/a.bmp", true, 100);
    SavePictureFile(PatternBitmap(30, 20), folder + "/b.bmp", true, 100);
    View().SetAreaOverride(500, 500);
    QVERIFY(form_->OpenArgument(folder + "/b.bmp"));
    QCOMPARE(form_->CurrentFolder(), folder);
    QCOMPARE(form_->windowTitle(), QString("Velmora  b.bmp ( 2/2 )"));
    QVERIFY(form_->OpenArgument(folder));
    QCOMPARE(form_->windowTitle(), QString("Velmora  a.bmp ( 1/2 )"));
    QVERIFY(!form_->OpenArgument(folder + "/nothing.bmp"));
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
  }

  void LargePicturesShowSmoothlyBeyondTheLimit() {
    Show(SavePattern(*dir_, "big.bmp", 6000, 4000));
    // R carries five decimals: 0.08333 of 6000 x 4000.
    QCOMPARE(View().Geometry().DisplayWidth(), 499);
    QCOMPARE(View().MainImage()->DisplayedImage().size(), QSize(499, 333));
    QVERIFY(recorder_.Texts().empty());
  }
};

QTEST_MAIN(TPictureViewTest)
#include "tst_PictureView.moc"
