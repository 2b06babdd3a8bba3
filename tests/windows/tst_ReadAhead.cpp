// Read-ahead of the main window: a neighbour prepared in advance is shown exactly as the same
// picture loaded when asked for, and prepared work is thrown away when what it depends on
// changes.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "app/CaptureActions.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/ReadAhead.h"
#include "app/SlideShow.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

namespace {

// A camera-like picture: smooth gradients under fine noise, so that JPEG and the resize
// methods have real work to do.
TBitmap24 Photo(int width, int height, unsigned seed) {
  TBitmap24 picture(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const int noise = static_cast<int>(random() % 24);
      row[3 * x] = static_cast<std::uint8_t>((x * 255 / width + noise) & 0xFF);
      row[3 * x + 1] = static_cast<std::uint8_t>((y * 255 / height + noise) & 0xFF);
      row[3 * x + 2] = static_cast<std::uint8_t>(((x ^ y) >> 3) + noise + seed * 40);
    }
  }
  return picture;
}

// The every-time options by their tag.
const char* const kOptions[] = {"EveryTimeOnlyRectify",         "EveryTimeLowPassFilter",
                                "EveryTimeUnSharpMasking",      "EveryTimeBeforeUnSharpMasking",
                                "EveryTimeAfterUnSharpMasking", "EveryTimeFastUnSharpMasking"};

bool SamePixels(const TBitmap24& a, const TBitmap24& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    if (std::memcmp(a.Row(y), b.Row(y), 3 * static_cast<std::size_t>(a.Width())) != 0) return false;
  return true;
}

std::string Field(const std::string& path) {
  std::string field = path;
  for (char& c : field)
    if (c == '/') c = '\\';
  return field;
}

}  // namespace

// Everything a shown picture leaves behind that the user can see or undo to.
struct TShownState {
  QString title;
  std::vector<std::string> messages;
  TBitmap24 working;
  TBitmap24 stock;
  int display_width = 0, display_height = 0, left = 0, top = 0;
  QString status;
  int progress_max = 0, progress = 0;
  bool panel = false;
};

class TReadAheadTest : public TWindowTest {
  Q_OBJECT

 private:
  TPictureView& View() { return form_->PictureView(); }
  TReadAhead& ReadAhead() { return *form_->findChild<TReadAhead*>(); }
  std::string Folder() { return dir_->File("pictures"); }

  // Pictures of several shapes in their own folder; the window shown over a fixed area.
  void Start(bool correction, bool real_size) {
    std::filesystem::create_directory(Folder());
    const struct {
      const char* name;
      int width, height;
    } pictures[] = {{"a.jpg", 1600, 1200},
                    {"b.jpg", 900, 1300},
                    {"c.jpg", 1000, 1000},
                    {"d.bmp", 700, 500},
                    {"e.jpg", 1700, 900}};
    unsigned seed = 1;
    for (const auto& p : pictures)
      QVERIFY(SavePictureFile(Photo(p.width, p.height, seed++), Folder() + "/" + p.name, true, 90));
    StartForm();
    form_->resize(900, 700);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    View().SetAreaOverride(640, 480);
    View().Action("EveryTimeRectify")->setChecked(correction);
    Open();
    // Real size from the first picture's fit on: every picture is drawn at that scale.
    if (real_size) View().Action("PictureSizeReal")->trigger();
    QVERIFY(View().Geometry().real_mode == real_size);
  }
  void Open() {
    form_->OpenFolder(Folder());
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 60000);
  }
  void Move(int delta) {
    QTRY_VERIFY_WITH_TIMEOUT(ReadAhead().Idle(), 60000);
    form_->SlideShow().Action(delta > 0 ? "FileNext" : "FileBack")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 20000);
  }
  TShownState Shown() {
    TShownState s;
    s.title = form_->windowTitle();
    s.messages = recorder_.Texts();
    recorder_.Clear();
    s.working = View().Working();
    s.stock = View().Stock();
    const TViewerGeometry& g = View().Geometry();
    s.display_width = g.DisplayWidth();
    s.display_height = g.DisplayHeight();
    s.left = g.Left();
    s.top = g.Top();
    s.status = form_->Jobs().ThreadCaptionLabel()->text();
    s.progress_max = form_->Jobs().ThreadProgressBar()->maximum();
    s.progress = form_->Jobs().ThreadProgressBar()->value();
    s.panel = form_->Jobs().ThreadPanel()->isVisible();
    return s;
  }
  // Shows the same entries with read-ahead on (each way) and off, from the first entry on.
  void Compare(const std::vector<int>& moves, int each_way, bool expect_steps,
               const std::function<void()>& first = {}) {
    std::vector<TShownState> shown[2];
    for (const int pass : {0, 1}) {
      form_->Settings().extensions.read_ahead = pass == 0 ? each_way : 0;
      Open();
      if (first) first();
      const int pictures = ReadAhead().PicturesTaken(), steps = ReadAhead().StepsTaken();
      for (const int delta : moves) {
        Move(delta);
        shown[pass].push_back(Shown());
      }
      if (pass == 0) {
        QCOMPARE(ReadAhead().PicturesTaken() - pictures, static_cast<int>(moves.size()));
        if (expect_steps) QVERIFY(ReadAhead().StepsTaken() - steps >= 1);
      } else {
        QCOMPARE(ReadAhead().PicturesTaken(), pictures);
      }
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
      const TShownState &with = shown[0][i], &without = shown[1][i];
      QCOMPARE(with.title, without.title);
      QCOMPARE(with.messages, without.messages);
      QVERIFY2(SamePixels(with.working, without.working), qPrintable(with.title));
      QVERIFY2(SamePixels(with.stock, without.stock), qPrintable(with.title));
      QCOMPARE(with.display_width, without.display_width);
      QCOMPARE(with.display_height, without.display_height);
      QCOMPARE(with.left, without.left);
      QCOMPARE(with.top, without.top);
      QCOMPARE(with.status, without.status);
      QCOMPARE(with.progress_max, without.progress_max);
      QCOMPARE(with.progress, without.progress);
      QCOMPARE(with.panel, without.panel);
    }
  }

 private slots:
  void init() { BeginCase(); }
  void cleanup() {
    EndCase();
    TImU::SetLargePictures(false);
  }

  void APreparedPictureShowsAsTheLoadedOne_data() {
    QTest::addColumn<bool>("correction");
    QTest::addColumn<bool>("real_size");
    QTest::addColumn<int>("option");  // the checked every-time option
    QTest::newRow("as loaded") << false << false << 0;
    QTest::newRow("corrected") << true << false << 0;
    QTest::newRow("real size") << false << true << 0;
    QTest::newRow("corrected at real size") << true << true << 0;
    QTest::newRow("corrected, then unsharp masking") << true << false << 4;
    QTest::newRow("corrected with fast unsharp masking") << true << false << 5;
    QTest::newRow("low-pass first: only the decoding is prepared") << true << false << 1;
  }
  void APreparedPictureShowsAsTheLoadedOne() {
    QFETCH(bool, correction);
    QFETCH(bool, real_size);
    QFETCH(int, option);
    Start(correction, real_size);
    View().Action(kOptions[option])->trigger();
    // Forward, then back over the same pictures: the direction of the last move goes first.
    Compare({+1, +1, +1, -1, -1, +1}, 1, correction && option != 1);
  }

  void PreparedWorkIsThrownAwayWhenWhatItDependsOnChanges_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("picture_taken");
    QTest::addColumn<bool>("correction_taken");
    QTest::newRow("nothing") << "" << true << true;
    QTest::newRow("the file") << "file" << false << false;
    QTest::newRow("the picture area") << "area" << true << false;
    QTest::newRow("the zoom") << "zoom" << true << false;
    QTest::newRow("the real-size control") << "control" << true << false;
    QTest::newRow("the every-time option") << "option" << true << false;
    QTest::newRow("the correction method") << "method" << true << false;
    QTest::newRow("the large-pictures switch") << "large" << false << false;
    QTest::newRow("an automatic effect") << "automatic" << true << false;
  }
  void PreparedWorkIsThrownAwayWhenWhatItDependsOnChanges() {
    QFETCH(QString, change);
    QFETCH(bool, picture_taken);
    QFETCH(bool, correction_taken);
    Start(true, false);
    QTRY_VERIFY_WITH_TIMEOUT(ReadAhead().Idle(), 60000);
    QVERIFY(ReadAhead().Store().Find(Folder() + "/b.jpg"));
    if (change == "file") {
      // Same name, new content and size.
      QVERIFY(SavePictureFile(Photo(1200, 800, 9), Folder() + "/b.jpg", true, 80));
      std::filesystem::last_write_time(
          Folder() + "/b.jpg",
          std::filesystem::last_write_time(Folder() + "/b.jpg") + std::chrono::seconds(2));
    } else if (change == "area") {
      View().SetAreaOverride(600, 480);
    } else if (change == "zoom") {
      View().PictureZoomInExecute();
    } else if (change == "control") {
      View().Action("PictureSizeRealControlIn")->trigger();
    } else if (change == "option") {
      View().Action(kOptions[2])->trigger();
    } else if (change == "method") {
      form_->Settings().effect.rectify_type = 2;
    } else if (change == "large") {
      TImU::SetLargePictures(true);
    } else if (change == "automatic") {
      // An effect dialog's automatic box turned on; its step leaves the picture as it is.
      form_->Jobs().RegisterDialogStep("RGBArrange", {[] { return true; }, [] { return false; }});
    }
    const int pictures = ReadAhead().PicturesTaken(), steps = ReadAhead().StepsTaken();
    // At once, before read-ahead has noticed the change.
    form_->SlideShow().Action("FileNext")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 20000);
    QCOMPARE(ReadAhead().PicturesTaken() - pictures, picture_taken ? 1 : 0);
    QCOMPARE(ReadAhead().StepsTaken() - steps, correction_taken ? 1 : 0);
    const TShownState with = Shown();
    // The same picture shown again without read-ahead.
    form_->Settings().extensions.read_ahead = 0;
    Move(-1);
    Move(+1);
    const TShownState without = Shown();
    QCOMPARE(with.title, without.title);
    QVERIFY(SamePixels(with.working, without.working));
    QVERIFY(SamePixels(with.stock, without.stock));
    QCOMPARE(with.status, without.status);
  }

  void RecordsArePreparedWithTheirEngineEffectsOnly() {
    Start(true, false);
    const std::string a = Field(Folder() + "/a.jpg"), e = Field(Folder() + "/e.jpg");
    form_->Capture().LoadLines({a + "/100/50/900/700", a + "/0/0/1600/1200/ARo90",
                                e + "/200/100/1000/700/ARo15/RGB1,0,2,0,0,0,-40,0,0",
                                e + "/10/10/400/300/Txtc,c,Sans,0,9,0,a,0,0,0,0,0",
                                a + "/300/300/500/500"});
    // The text record is drawn with the window's fonts: it is loaded when it is shown.
    Compare({+1, +1}, 1, true, [this] {
      form_->Capture().ShowRecord(0);
      QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 60000);
    });
    const int pictures = ReadAhead().PicturesTaken();
    form_->Settings().extensions.read_ahead = 1;
    form_->Capture().ShowRecord(2);
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 60000);
    Move(+1);
    QCOMPARE(ReadAhead().PicturesTaken(), pictures);
    QCOMPARE(form_->windowTitle(), QString("Velmora  e.jpg ( 4/5 )[キャプデータ]"));
  }

  void LargePicturesStayWithinTheMemoryBudget() {
    std::filesystem::create_directory(Folder());
    // Three names of one 50-megapixel picture: one prepared neighbour fits in 256 MB, two do not.
    QVERIFY(SavePictureFile(Photo(8200, 6100, 3), Folder() + "/a.jpg", true, 70));
    for (const char* name : {"b.jpg", "c.jpg"})
      std::filesystem::create_symlink(Folder() + "/a.jpg", Folder() + "/" + name);
    StartForm();
    form_->Settings().extensions.large_pictures = true;
    form_->Settings().extensions.read_ahead = 2;
    form_->Settings().extensions.read_ahead_megabytes = 256;
    TImU::SetLargePictures(true);
    form_->show();
    View().SetAreaOverride(640, 480);
    View().Action("EveryTimeRectify")->setChecked(true);
    Open();
    QTRY_VERIFY_WITH_TIMEOUT(ReadAhead().Idle(), 150000);
    QCOMPARE(ReadAhead().Store().Count(), std::size_t{1});
    QVERIFY(ReadAhead().Store().Find(Folder() + "/b.jpg"));
    QVERIFY(ReadAhead().PeakBytes() <= std::size_t{256} << 20);
    QVERIFY(ReadAhead().PeakBytes() >= PictureBytes(8200, 6100));
    QVERIFY(recorder_.Texts().empty());
  }

  void HoldingTheKeyDownGivesUpPassedPictures() {
    Start(true, false);
    form_->Settings().extensions.read_ahead = 2;
    // Key repeat: each press arrives as soon as the last picture is up, before read-ahead is
    // done with its neighbours.
    for (int i = 0; i < 4; ++i) {
      QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 60000);
      QCoreApplication::processEvents();
      form_->SlideShow().Action("FileNext")->trigger();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 60000);
    QCOMPARE(form_->FileNameListBox()->currentRow(), 4);
    QTRY_VERIFY_WITH_TIMEOUT(ReadAhead().Idle(), 60000);
    // Only the neighbours of the last picture are held: the passed ones were given up.
    QCOMPARE(ReadAhead().Store().Count(), std::size_t{2});
    QVERIFY(ReadAhead().Store().Find(Folder() + "/d.bmp"));
    QVERIFY(ReadAhead().Store().Find(Folder() + "/c.jpg"));
    QVERIFY(recorder_.Texts().empty());
  }

  void TheSlideShowTakesReadyPictures() {
    Start(true, false);
    form_->Settings().base.slide_interval = 600;
    form_->SlideShow().ApplySettings();
    QTRY_VERIFY_WITH_TIMEOUT(ReadAhead().Idle(), 60000);
    const int pictures = ReadAhead().PicturesTaken(), steps = ReadAhead().StepsTaken();
    form_->SlideShow().Action("PictureSlide")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(form_->FileNameListBox()->currentRow(), 2, 20000);
    form_->SlideShow().Stop();
    QCOMPARE(ReadAhead().PicturesTaken() - pictures, 2);
    QCOMPARE(ReadAhead().StepsTaken() - steps, 2);
    // Missed ticks depend on the machine's load: velmora-bench-viewer reports them.
  }
};

QTEST_MAIN(TReadAheadTest)
#include "tst_ReadAhead.moc"
