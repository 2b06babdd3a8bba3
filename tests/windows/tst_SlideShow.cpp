// Slide show, full screen, panel toggles and the editing commands of the main window.
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QtTest>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/FileBrowser.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "app/SlideShow.h"
#include "browse/FullScreen.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/ImageBasics.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

class TSlideShowTest : public TWindowTest {
  Q_OBJECT

 private:
  TSlideShow& Slide() { return form_->SlideShow(); }
  TPictureView& View() { return form_->PictureView(); }
  QListWidget* Files() { return form_->FileNameListBox(); }
  // Three pictures in the program folder, listed at start; the window shown.
  void Start(int width = 40, int height = 30) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
      SavePictureFile(PatternBitmap(width, height), dir_->File(name), true, 100);
    form_ = std::make_unique<TMainForm>(Options(*dir_));
    form_->resize(800, 600);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QTRY_COMPARE(Files()->count(), 3);
    QTRY_VERIFY(View().HasPicture());
  }
  void SetInterval(const char* ms) {
    recorder_.AnswerInput(ms);
    Slide().Action("PictureSlideInterval")->trigger();
  }

 private slots:
  void init() { BeginCase(); }
  void cleanup() { EndCase(); }

  void WithoutRepeatTheShowStopsAfterTheLastPictureAndShowsTheFirst() {
    Start();
    SetInterval("20");
    QCOMPARE(Slide().Button("PictureSlideRepeatButton")->text(), QString("×"));
    Slide().Action("PictureSlide")->trigger();
    QVERIFY(Slide().Running());
    QTRY_VERIFY_WITH_TIMEOUT(!Slide().Running(), 5000);
    QCOMPARE(Files()->currentRow(), 0);
    QCOMPARE(form_->windowTitle(), QString("Velmora  a.bmp ( 1/3 )"));
  }

  void WithRepeatTheShowWraps() {
    Start();
    SetInterval("100000");
    Slide().Action("PictureSlideRepeat")->trigger();
    QCOMPARE(Slide().Button("PictureSlideRepeatButton")->text(), QString("○"));
    Slide().Action("PictureSlide")->trigger();
    std::vector<int> rows;
    for (int tick = 0; tick < 4; ++tick) {
      Slide().FileNextExecute();  // what a tick does
      rows.push_back(Files()->currentRow());
    }
    QCOMPARE(rows, (std::vector<int>{1, 2, 0, 1}));
    QVERIFY(Slide().Running());
    Slide().Action("PictureSlide")->trigger();
    QVERIFY(!Slide().Running());
  }

  // With the data-file list shown and "リストのデータ(&L)" on, the end of one data file's list goes
  // on to the next data file; after the last one the show ends without repeat.
  void TheShowGoesOnThroughEveryDataFile() {
    WriteWholeFile(dir_->File("1.txt"), "//FiF\\a.bmp\r\n//FiF\\b.bmp\r\n");
    WriteWholeFile(dir_->File("2.txt"), "//FiF\\c.bmp\r\n");
    Start();
    SetInterval("100000");
    form_->FileBrowser().Action("SetShowTextDataPicture")->trigger();
    QCOMPARE(form_->windowTitle(), QString("Velmora  a.bmp ( 1/2 )"));
    emit Slide().Menu()->aboutToShow();
    Slide().Action("PictureSlideAllTextDataList")->trigger();
    Slide().Action("PictureSlide")->trigger();
    QStringList titles;
    for (int tick = 0; tick < 2; ++tick) {
      Slide().FileNextExecute();
      titles << form_->windowTitle();
    }
    QCOMPARE(titles, QStringList({"Velmora  b.bmp ( 2/2 )", "Velmora  c.bmp ( 1/1 )"}));
    QCOMPARE(form_->TextDataFileNameListBox()->currentRow(), 1);
    Slide().FileNextExecute();
    QVERIFY(!Slide().Running());
  }

  void MissingFilesArePassedOver() {
    Start();
    std::filesystem::remove(dir_->File("b.bmp"));
    SetInterval("100000");
    Slide().Action("PictureSlide")->trigger();
    Slide().FileNextExecute();  // what a tick does
    QCOMPARE(Files()->currentRow(), 2);
    QVERIFY(Slide().Running());
    QCOMPARE(form_->windowTitle(), QString("Velmora  c.bmp ( 3/3 )"));
    QCOMPARE(Files()->count(), 3);  // nothing is removed from the list
  }

  void IntervalsThatAreNoPositiveIntegersAreRefused() {
    Start();
    for (const char* bad : {"0", "abc", "-5", "1.5"}) {
      recorder_.Clear();
      SetInterval(bad);
      QCOMPARE(recorder_.Entries()[0].caption, std::string("  スライドショー"));
      QCOMPARE(recorder_.Entries()[0].text, std::string("インターバル"));
      QCOMPARE(recorder_.Texts(), std::vector<std::string>{"正の整数を入力してください。"});
      QCOMPARE(form_->Settings().base.slide_interval, 2000);
    }
    SetInterval("750");
    QCOMPARE(Slide().SlideTimer()->interval(), 750);
  }

  void ATickDuringProcessingDoesNotSkip() {
    Start(2000, 2000);
    form_->Settings().effect.rectify_type = 2;
    View().Action("EveryTimeRectify")->setChecked(true);
    SetInterval("5");
    // The caption of every finished picture, in order.
    QStringList shown;
    connect(form_.get(), &QWidget::windowTitleChanged, this, [&shown](const QString& title) {
      if (title.contains(" ( ")) shown << title;
    });
    Slide().Action("PictureSlide")->trigger();
    // Each picture takes far longer to correct than the interval: every step waits for it.
    QTRY_VERIFY_WITH_TIMEOUT(!Slide().Running(), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 60000);
    QVERIFY(Slide().MissedTicks() > 0);
    QCOMPARE(shown, (QStringList{"Velmora  b.bmp ( 2/3 )", "Velmora  c.bmp ( 3/3 )",
                                 "Velmora  a.bmp ( 1/3 )"}));
  }

  void PanelTogglesReturnToTheRememberedWidth() {
    Start();
    auto* splitter = form_->findChild<QSplitter*>("MainSplitter");
    const int left = splitter->sizes()[0];
    Slide().Action("ViewDirectoryPanel")->trigger();
    QVERIFY(splitter->widget(0)->isHidden());
    Slide().Action("ViewDirectoryPanel")->trigger();
    QCOMPARE(splitter->sizes()[0], std::max(left, 80));
    Slide().Action("ViewFormMax")->trigger();
    QVERIFY(splitter->widget(0)->isHidden() && splitter->widget(2)->isHidden());
    Slide().Action("ViewShowNormal")->trigger();
    QVERIFY(!splitter->widget(0)->isHidden() && !splitter->widget(2)->isHidden());
    QVERIFY(splitter->sizes()[2] >= 101);
  }

  void EscReturnsEveryPanelToTheMainWindow() {
    Start();
    Slide().Action("ViewFullScreen")->trigger();
    TFullScreenForm& host = Slide().FullScreen();
    QVERIFY(host.isVisible());
    QVERIFY(View().MainPanel()->window() == &host);
    QVERIFY(Files()->window() == &host);
    QVERIFY(form_->DataFileNameListBox()->window() == &host);
    QVERIFY(form_->Jobs().ThreadPanel()->window() == &host);
    QTest::keyClick(&host, Qt::Key_Escape);
    QVERIFY(!host.isVisible());
    for (QWidget* part :
         {View().MainPanel(), static_cast<QWidget*>(Files()),
          static_cast<QWidget*>(form_->DataFileNameListBox()), form_->Jobs().ThreadPanel()})
      QVERIFY(part->window() == form_.get());
    QVERIFY(View().HasPicture());
  }

  void CorrectionByHandAndItsResizedMark() {
    Start(1000, 800);
    View().SetAreaOverride(500, 400);
    View().Action("PictureSizeReal")->trigger();
    View().Action("PictureNoZoom")->trigger();  // real zoom 1: nothing to correct
    QAction* rectify = form_->EditCommands().Action("SetRectify");
    rectify->trigger();
    QVERIFY(!form_->ImageController().Busy());
    QVERIFY(!View().Resized());
    View().Action("PictureSizeReal")->trigger();
    View().Action("PictureNoZoom")->trigger();  // fit: R = 0.5
    rectify->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QVERIFY(View().Resized());
    QCOMPARE(View().Working().Width(), 500);
    recorder_.Clear();
    form_->Capture().Action("CaptureDataCapture")->trigger();
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"リサイズ画像のキャプチャーはできません。"});
    View().Action("UndoPicture")->trigger();
    QCOMPARE(View().Working().Width(), 1000);
  }

  void SizeCommandRefusesSizesThatAreNotPositive() {
    Start(200, 100);
    form_->EditCommands().SetSizeDialog([](int& w, int& h, bool&) {
      w = 0;
      h = 50;
      return true;
    });
    form_->EditCommands().Action("PictureZoomWidthHeight")->trigger();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"サイズは正の整数で指定してください。"});
    form_->EditCommands().SetSizeDialog([](int& w, int& h, bool& ignore) {
      w = 400;
      h = 50;
      ignore = true;
      return true;
    });
    form_->EditCommands().Action("PictureZoomWidthHeight")->trigger();
    QCOMPARE(View().Geometry().DisplayWidth(), 400);
    QVERIFY(View().Resized());
  }

  void DialogActionsAppearWhenTheirDialogRegisters() {
    Start();
    // Commands of their own: the window's have every dialog registered.
    QMainWindow window;
    TEditCommands edit(window, form_->Settings(), View(), form_->Jobs(), form_->ImageController());
    QVERIFY(!edit.Action("ShowFusionArrangeForm")->isVisible());
    bool open = false;
    edit.RegisterDialog("ShowFusionArrangeForm",
                        {[&open] { return open = true; }, [&open] { open = false; }, {}});
    QVERIFY(edit.Action("ShowFusionArrangeForm")->isVisible());
    QVERIFY(edit.Action("FocusFusionArrangeForm")->isVisible());
    edit.Action("ShowFusionArrangeForm")->trigger();
    QVERIFY(open && edit.Action("ShowFusionArrangeForm")->isChecked());
    edit.Action("ShowFusionArrangeForm")->trigger();
    QVERIFY(!open && !edit.Action("ShowFusionArrangeForm")->isChecked());
  }
};

QTEST_MAIN(TSlideShowTest)
#include "tst_SlideShow.moc"
