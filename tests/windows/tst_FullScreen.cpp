// Full screen and the main window's panel layout: what full screen takes away comes back exactly,
// the window's keys keep working in full screen, and the side and button panels keep their sizes.
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>
#include <map>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/FileBrowser.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "app/SlideShow.h"
#include "browse/FullScreen.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/ImageBasics.h"
#include "tests/windows/WindowTestSupport.h"
#include "widgets/WholeCaptionButton.h"

namespace {

// Lets the layouts settle: geometry is applied from posted layout requests.
void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

// Whether a button's caption is drawn whole: the style clips it to the face's contents.
bool CaptionFits(const QPushButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const QRect contents =
      button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  const auto* whole = qobject_cast<const TWholeCaptionButton*>(button);
  const QFont font = whole ? whole->CaptionFont() : button->font();
  const QRect text = button->style()->itemTextRect(QFontMetrics(font), QRect(),
                                                   Qt::TextShowMnemonic, true, button->text());
  return text.width() <= contents.width() && font.pointSizeF() >= 6.0;
}

void Drag(QSplitter* splitter, int handle, int dx) {
  QSplitterHandle* grip = splitter->handle(handle);
  const QPoint from = grip->rect().center();
  const QPoint to = from + QPoint(dx, 0);
  auto send = [grip](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, grip->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(grip, &event);
  };
  send(QEvent::MouseButtonPress, from, Qt::LeftButton);
  send(QEvent::MouseMove, to, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, to, Qt::NoButton);
  Settle();
}

}  // namespace

class TFullScreenTest : public TWindowTest {
  Q_OBJECT

 private:
  TSlideShow& Slide() { return form_->SlideShow(); }
  TPictureView& View() { return form_->PictureView(); }
  QListWidget* Files() { return form_->FileNameListBox(); }
  QSplitter* Splitter(const char* name) { return form_->findChild<QSplitter*>(name); }

  // Pictures in the program folder, listed at start (none: an empty list); the window shown
  // and active so that its keys reach it.
  void Start(int pictures = 3, int width = 40, int height = 30) {
    const char* names[] = {"a.bmp", "b.bmp", "c.bmp"};
    for (int i = 0; i < pictures; ++i)
      SavePictureFile(PatternBitmap(width, height), dir_->File(names[i]), true, 100);
    StartForm();
    form_->resize(800, 600);
    form_->show();
    form_->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == form_.get());
    QTRY_COMPARE(Files()->count(), pictures);
    if (pictures > 0) QTRY_VERIFY(View().HasPicture());
    Settle();
  }

  // Where every panel of the window is, and how the splitters share their room.
  std::map<QString, QRect> Layout() {
    std::map<QString, QRect> layout;
    for (const char* name :
         {"LeftPanel", "RightPanel", "ButtonPanel", "CaptureButtonPanel", "SlideButtonPanel",
          "ZoomPanel", "DirectoryListBox1", "FileNameListBox", "DataFileNameListBox",
          "TextDataFileNameListBox", "DriveComboBox1"}) {
      auto* widget = form_->findChild<QWidget*>(name);
      layout[name] = widget ? QRect(widget->mapTo(form_.get(), QPoint()), widget->size()) : QRect();
    }
    layout["MainPanel"] =
        QRect(View().MainPanel()->mapTo(form_.get(), QPoint()), View().MainPanel()->size());
    layout["ThreadPanel"] = form_->Jobs().ThreadPanel()->isHidden()
                                ? QRect()
                                : QRect(form_->Jobs().ThreadPanel()->mapTo(form_.get(), QPoint()),
                                        form_->Jobs().ThreadPanel()->size());
    auto* button_panel = form_->findChild<QWidget*>("ButtonPanel");
    for (QPushButton* button : button_panel->findChildren<QPushButton*>())
      if (button->isVisibleTo(button_panel))
        layout[button->objectName()] = QRect(button->mapTo(form_.get(), QPoint()), button->size());
    const QSize area = View().MainPanel()->size();
    layout["area"] = QRect(QPoint(), area);
    return layout;
  }

  void CompareLayouts(const std::map<QString, QRect>& now, const std::map<QString, QRect>& before) {
    for (const auto& [name, rect] : before) {
      if (now.at(name) != rect) qWarning() << name << "was" << rect << "is" << now.at(name);
      QCOMPARE(now.at(name), rect);
    }
  }

  void PressOnHost(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    TFullScreenForm& host = Slide().FullScreen();
    QTRY_VERIFY(QApplication::activeWindow() == &host);
    QWidget* target = host.focusWidget() ? host.focusWidget() : &host;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  }

 private slots:
  void init() { BeginCase(); }
  void cleanup() { EndCase(); }

  // Alt+F4 or the window manager's close on the full-screen window closes the program as the
  // main window's close does: full screen ends first, with every panel back home.
  void ClosingTheFullScreenWindowClosesTheProgram() {
    Start();
    Slide().Action("ViewFullScreen")->trigger();
    QVERIFY(Slide().FullScreenOn());
    QVERIFY(!Slide().FullScreen().close());
    QTRY_VERIFY(!form_->isVisible());
    QVERIFY(!Slide().FullScreenOn());
    QCOMPARE(View().MainPanel()->window(), form_.get());
    QVERIFY(QFile::exists(QString::fromStdString(dir_->File("Velmora.ini"))));
  }

  void TenFullScreenCyclesLeaveTheLayoutAsItWas() {
    Start();
    const std::map<QString, QRect> before = Layout();
    const QList<int> main_sizes = Splitter("MainSplitter")->sizes();
    const QList<int> left_sizes = Splitter("LeftSplitter")->sizes();
    for (int cycle = 0; cycle < 10; ++cycle) {
      QTest::keyClick(form_.get(), Qt::Key_F8);
      QVERIFY(Slide().FullScreenOn());
      Settle();
      PressOnHost(Qt::Key_Escape);
      QVERIFY(!Slide().FullScreenOn());
      Settle();
      QTRY_VERIFY(QApplication::activeWindow() == form_.get());
    }
    QCOMPARE(Splitter("MainSplitter")->sizes(), main_sizes);
    QCOMPARE(Splitter("LeftSplitter")->sizes(), left_sizes);
    CompareLayouts(Layout(), before);
    QVERIFY(View().HasPicture());
  }

  void CollapsedPanelsAndNoPictureComeBackAsTheyWere() {
    Start(0);
    Slide().Action("ViewCapturePanel")->trigger();
    Settle();
    const std::map<QString, QRect> before = Layout();
    for (int cycle = 0; cycle < 3; ++cycle) {
      Slide().Action("ViewFullScreen")->trigger();
      Slide().FullScreen().TogglePanel(false);  // the host's panels do not leak into the window
      Settle();
      Slide().Action("ViewFullScreen")->trigger();
      Settle();
    }
    CompareLayouts(Layout(), before);
    Slide().Action("ViewCapturePanel")->trigger();
    QCOMPARE(Splitter("MainSplitter")->sizes()[2], 101);
  }

  void TheWindowsKeysWorkInFullScreen() {
    Start(3, 400, 300);
    QTest::keyClick(form_.get(), Qt::Key_F8);
    const double zoom = View().Geometry().StepZoom();
    PressOnHost(Qt::Key_F6);  // 拡大
    QVERIFY(View().Geometry().StepZoom() > zoom);
    PressOnHost(Qt::Key_N, Qt::ControlModifier);  // 次へ
    QTRY_COMPARE(Files()->currentRow(), 1);
    PressOnHost(Qt::Key_B, Qt::ControlModifier);  // 前へ
    QTRY_COMPARE(Files()->currentRow(), 0);
    PressOnHost(Qt::Key_F1);  // スライドショー
    QVERIFY(Slide().Running());
    PressOnHost(Qt::Key_F1);
    QVERIFY(!Slide().Running());
    // The host keeps Esc; F8 toggles full screen from there too.
    PressOnHost(Qt::Key_F8);
    QVERIFY(!Slide().FullScreenOn());
    QVERIFY(!Slide().FullScreen().isVisible());
    // Back in the window the keys are the window's alone.
    QTRY_VERIFY(QApplication::activeWindow() == form_.get());
    QTest::keyClick(form_.get(), Qt::Key_N, Qt::ControlModifier);
    QTRY_COMPARE(Files()->currentRow(), 1);
  }

  void FullScreenWithAToolWindowOpenAndLeavingDuringWork() {
    Start(3, 2000, 2000);
    form_->EditCommands().Action("ShowRotationArrangeForm")->trigger();
    Settle();
    const std::map<QString, QRect> before = Layout();
    Slide().Action("ViewFullScreen")->trigger();
    QVERIFY(Slide().FullScreenOn());
    // Long work: correction of a large picture on the worker.
    form_->Settings().effect.rectify_type = 2;
    View().Action("EveryTimeRectify")->setChecked(true);
    Slide().FileNextExecute();
    QTRY_VERIFY(form_->ImageController().Busy());
    QVERIFY(form_->Jobs().ThreadPanel()->window() == &Slide().FullScreen());
    Slide().Action("ViewFullScreen")->trigger();
    QVERIFY(!Slide().FullScreenOn());
    // The progress shows in the window for as long as the work runs.
    QVERIFY(form_->ImageController().Busy());
    QVERIFY(form_->Jobs().ThreadPanel()->window() == form_.get() &&
            form_->Jobs().ThreadPanel()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 60000);
    Settle();
    CompareLayouts(Layout(), before);
  }

  void SidePanelsStopAt200Pixels() {
    Start();
    QSplitter* splitter = Splitter("MainSplitter");
    Drag(splitter, 1, 300);
    QCOMPARE(splitter->sizes()[0], 200);
    Drag(splitter, 2, -300);
    QCOMPARE(splitter->sizes()[2], 200);
    // What the toggles restore is what was dragged.
    Slide().Action("ViewDirectoryPanel")->trigger();
    Slide().Action("ViewDirectoryPanel")->trigger();
    QCOMPARE(splitter->sizes()[0], 200);
  }

  void TheButtonPanelKeepsItsDesignHeightInASmallWindow() {
    Start();
    auto* panel = form_->findChild<QWidget*>("ButtonPanel");
    const int design = panel->height();
    QVERIFY(design >= panel->sizeHint().height());
    form_->resize(300, 150);
    Settle();
    QCOMPARE(panel->height(), design);
    for (QPushButton* button : panel->findChildren<QPushButton*>())
      if (button->isVisibleTo(panel))
        QVERIFY2(panel->rect().contains(QRect(button->mapTo(panel, QPoint()), button->size())),
                 qPrintable(button->objectName()));
  }

  void ToolWindowsOpenedOneAfterAnotherCascade() {
    Start();
    const char* shows[] = {"ShowRotationArrangeForm", "ShowRGBArrangeForm", "ShowTextArrangeForm"};
    for (const char* show : shows) form_->EditCommands().Action(show)->trigger();
    TMainEffectDialogs* host = form_->findChild<TMainEffectDialogs*>();
    QVERIFY(host);
    const QPoint rotation = host->RotationDialog()->frameGeometry().topLeft();
    const QPoint rgb = host->RGBDialog()->frameGeometry().topLeft();
    QCOMPARE(rgb - rotation, QPoint(-24, 24));
    QCOMPARE(host->TextDialog()->frameGeometry().topLeft() - rgb, QPoint(-24, 24));
    // With a tool window open, full screen comes and goes and the tool window stays.
    Slide().Action("ViewFullScreen")->trigger();
    QVERIFY(host->TextDialog()->isVisible());
    Slide().Action("ViewFullScreen")->trigger();
    QVERIFY(host->TextDialog()->isVisible() && !Slide().FullScreenOn());
  }

  void TheRightPanelShowsWholeCaptionsAtItsDefaultWidth() {
    Start();
    QCOMPARE(Splitter("MainSplitter")->sizes()[2], 101);
    auto* panel = form_->findChild<QWidget*>("RightPanel");
    const QList<QPushButton*> buttons = panel->findChildren<QPushButton*>();
    QVERIFY(buttons.size() >= 6);
    for (QPushButton* button : buttons)
      if (button->isVisibleTo(panel)) QVERIFY2(CaptionFits(button), qPrintable(button->text()));
    // The file-list mode's caption of the first button too.
    form_->Capture().SetFileListMode(true);
    QVERIFY(CaptionFits(form_->Capture().Button("CaptureButton")));
  }
};

QTEST_MAIN(TFullScreenTest)
#include "tst_FullScreen.moc"
