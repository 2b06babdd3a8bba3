// The rotation and RGB tool windows of the main window: their controls, runs that equal the
// engine's result, captures with their entries, and the RGB records across a restart.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "effects/ImageRGBArrangeFrm.h"
#include "effects/ImageRotationArrangeForm.h"
#include "engine/ImageBasics.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "model/ProgramData.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

namespace {

std::string Field(const std::string& path) {
  std::string field = path;
  for (char& c : field)
    if (c == '/') c = '\\';
  return field;
}

// An owner that only records what the dialogs ask of it.
class TFakeOwner : public TEffectOwner {
 public:
  explicit TFakeOwner(TKind kind) : kind_(kind) {}
  TKind Kind() const override { return kind_; }
  QWidget* Window() const override { return nullptr; }
  bool StartRotation(const std::string& angle_text) override {
    runs.push_back("ARo" + angle_text);
    return true;
  }
  bool StartRGBArrange(const std::string& parameter_text) override {
    runs.push_back("RGB" + parameter_text);
    return true;
  }
  void Renew() override { runs.push_back("Renew"); }
  void ToggleDialog(const std::string& show_action) override { runs.push_back(show_action); }
  std::vector<std::string> runs;

 private:
  TKind kind_;
};

}  // namespace

class TEffectDialogsTest : public TWindowTest {
  Q_OBJECT

 private:
  std::string picture_;

  TPictureView& View() { return form_->PictureView(); }
  TMainEffectDialogs& Host() { return *form_->findChild<TMainEffectDialogs*>(); }
  QAction* EditAction(const char* name) { return form_->EditCommands().Action(name); }

  void ShowPicture() {
    TShownFrom from;
    from.name = "a.bmp";
    from.index = from.count = 1;
    QVERIFY(View().ShowPictureFile(picture_, from));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
  }
  TImageRotationArrange& OpenRotation() {
    EditAction("ShowRotationArrangeForm")->trigger();
    return *Host().RotationDialog();
  }
  TImageRGBArrangeForm& OpenRGB() {
    EditAction("ShowRGBArrangeForm")->trigger();
    return *Host().RGBDialog();
  }
  // Captures the shown picture and shows the new record.
  void CaptureAndShowRecord() {
    form_->Capture().CaptureDataCaptureExecute();
    QVERIFY(form_->Capture().ShowRecord(static_cast<int>(form_->DataFilePathList().size()) - 1));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
  }
  void Restart() {
    form_->close();
    form_.reset();
    form_ = std::make_unique<TMainForm>(Options(*dir_));
  }

 private slots:
  void init() {
    BeginCase();
    picture_ = dir_->File("a.bmp");
    SavePictureFile(PatternBitmap(120, 90), picture_, true, 100);
    form_ = std::make_unique<TMainForm>(Options(*dir_));
  }
  void cleanup() { EndCase(); }

  void ShowActionsOpenAndCloseOneDialog() {
    QAction* show = EditAction("ShowRotationArrangeForm");
    QVERIFY(show->isVisible());
    QVERIFY(EditAction("FocusRotationArrangeForm")->isVisible());
    TImageRotationArrange& dialog = OpenRotation();
    QVERIFY(show->isChecked());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowTitle(), QString("RotationArrangeDialog"));
    QVERIFY(dialog.windowFlags() & Qt::Tool);
    QCOMPARE(dialog.parentWidget(), form_.get());
    QCOMPARE(dialog.DegreeEdit()->text(), QString("      0"));
    // A close request on the window is the owner's toggle command.
    dialog.close();
    QVERIFY(!show->isChecked());
    QVERIFY(Host().RotationDialog() == nullptr);
    QVERIFY(recorder_.Texts().empty());
  }

  void RotationAngleEntry() {
    TImageRotationArrange& dialog = OpenRotation();
    dialog.DegreeEdit()->setText("12.5");
    dialog.DegreeEditEnter();
    QCOMPARE(dialog.DegreeEdit()->text(), QString("12.5"));
    QVERIFY(recorder_.Texts().empty());
    for (const char* bad : {"", "abc", "1e999", "90.5.5"}) {
      recorder_.Clear();
      dialog.DegreeEdit()->setText(bad);
      QVERIFY(!dialog.DegreeEditExit());
      QCOMPARE(dialog.DegreeEdit()->text(), QString("12.5"));
      QCOMPARE(recorder_.Texts(), std::vector<std::string>{"数値を入力してください。"});
      QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
    }
    recorder_.Clear();
    dialog.DegreeEdit()->setText("abc");
    dialog.RotationButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"RotationButtonClick Error"});
    QCOMPARE(dialog.ParameterText(), std::string());
    recorder_.Clear();
    dialog.OppositeButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"OppositeButtonClick Error"});

    dialog.DegreeEdit()->setText("45");
    dialog.OppositeButtonClick();
    QCOMPARE(dialog.DegreeEdit()->text(), QString("    -45"));
    dialog.OppositeButtonClick();
    QCOMPARE(dialog.DegreeEdit()->text(), QString("     45"));

    dialog.DegreeListBox()->setCurrentRow(1);
    dialog.DegreeListBoxClick(false);
    QCOMPARE(dialog.DegreeEdit()->text(), QString("     30"));
    QCOMPARE(dialog.ParameterText(), std::string("30"));
    recorder_.Clear();
    dialog.DegreeListBox()->clearSelection();
    dialog.DegreeListBoxClick(false);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"数値を入力してください。"});
    QCOMPARE(dialog.DegreeEdit()->text(), QString("     30"));
  }

  void LeavingTheAngleBoxChecksIt() {
    TImageRotationArrange& dialog = OpenRotation();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.DegreeEdit()->setFocus();
    dialog.DegreeEdit()->setText("90.5.5");
    dialog.Button("OppositeButton")->setFocus(Qt::TabFocusReason);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"数値を入力してください。"});
    QVERIFY(dialog.DegreeEdit()->hasFocus());
    QCOMPARE(dialog.DegreeEdit()->text(), QString("      0"));
    // Enter with a number moves on to the execute button.
    dialog.DegreeEdit()->setText("12.5");
    QTest::keyClick(dialog.DegreeEdit(), Qt::Key_Return);
    QVERIFY(dialog.Button("RotationButton")->hasFocus());
    QCOMPARE(dialog.DegreeEdit()->text(), QString("12.5"));
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
  }

  void RotationRunEqualsTheEngine() {
    ShowPicture();
    TBitmap24 expected = View().Working();
    TImageRotation engine;
    QVERIFY(engine.Rotate(expected, "90", form_->Settings().effect.rotation_back_color,
                          form_->Settings().effect.rotation));
    TImageRotationArrange& dialog = OpenRotation();
    // A double click on a preset runs it without the execute button.
    dialog.DegreeListBox()->setCurrentRow(4);
    dialog.DegreeListBoxClick(false);
    dialog.DegreeListBoxClick(true);
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QCOMPARE(View().Working().Width(), 90);
    QVERIFY(View().Working().SamePixels(expected));
    QVERIFY(View().Resized());

    // A general angle with the second rotation type and another back colour.
    View().UndoPictureExecute();
    form_->Settings().effect.rotation = kRotationArea;
    form_->Settings().effect.rotation_back_color = 0x3060A0;
    expected = View().Working();
    QVERIFY(engine.Rotate(expected, "-12.5", 0x3060A0, kRotationArea));
    dialog.DegreeEdit()->setText("  -12.5 ");
    dialog.RotationButtonClick();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QVERIFY(View().Working().SamePixels(expected));
    QVERIFY(recorder_.Texts().empty());
  }

  void RotationAddsItsEntryToCaptures() {
    ShowPicture();
    TImageRotationArrange& dialog = OpenRotation();
    dialog.DegreeListBox()->setCurrentRow(1);
    dialog.DegreeListBoxClick(false);
    // キャプ: the entry goes with this capture only.
    dialog.RotationCapButtonClick();
    const std::string region = Field(picture_);
    QVERIFY(!dialog.AutoEffect());
    QCOMPARE(form_->DataFilePathList().size(), std::size_t{1});
    const std::string first = form_->DataFilePathList()[0];
    QVERIFY(first.starts_with(region + "/"));
    QVERIFY(first.ends_with("/ARo30"));
    // With the automatic box on, every capture carries it.
    dialog.AutoEffectCheckBox()->setChecked(true);
    form_->Capture().CaptureDataCaptureExecute();
    QVERIFY(form_->DataFilePathList()[1].ends_with("/ARo30"));
    dialog.AutoEffectCheckBox()->setChecked(false);

    // On a shown record: キャプ refuses, 追加 appends, the replace items replace (the editor
    // that opens on the new line is answered with 置換).
    form_->Capture().SetEditor([](std::size_t, std::string&) { return 1; });
    form_->Capture().CaptureDataCaptureExecute();
    const std::string plain = form_->DataFilePathList()[2];
    QVERIFY(form_->Capture().ShowRecord(2));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    recorder_.Clear();
    dialog.RotationCapButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"キャプデータは追加のみ可能です。"});
    dialog.DegreeEdit()->setText("-7.5");
    dialog.RotationCapAddButtonClick();
    QCOMPARE(form_->DataFilePathList()[2], plain + "/ARo-7.5");
    dialog.DegreeEdit()->setText("15");
    dialog.ReplaceCapData(true);
    QCOMPARE(form_->DataFilePathList()[2], plain + "/ARo15");
    dialog.DegreeEdit()->setText("abc");
    recorder_.Clear();
    dialog.RotationCapAddButtonClick();
    QCOMPARE(form_->DataFilePathList()[2], plain + "/ARo15");
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
  }

  void RGBControlsOfTheDesign() {
    TImageRGBArrangeForm& dialog = OpenRGB();
    QCOMPARE(dialog.windowTitle(), QString("RGBArrangeDialog"));
    QCOMPARE(dialog.ParameterText(), std::string("0,1,2,0,0,0, 000, 000, 000"));
    dialog.ScrollBar(0)->setValue(5);
    QCOMPARE(dialog.Label(0)->text(), QString("R +005"));
    QCOMPARE(dialog.ParameterText(), std::string("0,1,2,0,0,0,+005, 000, 000"));
    // 指定 with a negative offset.
    dialog.ScrollBar(0)->setValue(-40);
    dialog.SourceGroup(0)->button(4)->setChecked(true);
    dialog.SourceChanged(0, 4);
    QCOMPARE(dialog.Label(0)->text(), QString("R  000"));
    QCOMPARE(dialog.ScrollBar(0)->minimum(), 0);
    QCOMPARE(dialog.ScrollBar(0)->maximum(), 255);
    QCOMPARE(dialog.ScrollBar(0)->value(), 0);
    dialog.SourceGroup(0)->button(3)->setChecked(true);
    dialog.SourceChanged(0, 3);
    QCOMPARE(dialog.ScrollBar(0)->minimum(), -255);
    // Reset and the auto mode caption.
    dialog.ScrollBar(1)->setValue(-20);
    dialog.NoIntenseButtonClick();
    QCOMPARE(dialog.Label(1)->text(), QString("G  000"));
    QCOMPARE(dialog.ParameterText(), std::string("3,1,2,0,0,0, 000, 000, 000"));
    dialog.ToggleAutoMode();
    QCOMPARE(dialog.Button("RGBAutoSetButton")->text(), QString("自動(&E)"));
    dialog.ToggleAutoMode();
    QCOMPARE(dialog.Button("RGBAutoSetButton")->text(), QString("実行(&E)"));
  }

  void RGBRecordsRegisterLoadAndDelete() {
    form_->Data().rgb_records = {"0,1,2,0,0,0, 000, 000, 000", "1,1,1,0,0,0, 000, 000, 000",
                                 "7,1,2,1,0,0,+010, 000,-020", "garbage"};
    TImageRGBArrangeForm& dialog = OpenRGB();
    QListWidget* list = dialog.RecordListBox();
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(2)->text(), QString("7,1,2,1,0,0,+010, 000,-020"));
    // Registering a text that is the third record selects it.
    list->setCurrentRow(2);
    dialog.RecordListBoxClick(false);
    QCOMPARE(dialog.SourceGroup(0)->checkedId(), 2);
    QVERIFY(dialog.ReverseCheckBox(0)->isChecked());
    QVERIFY(dialog.PercentCheckBox(0)->isChecked());
    QCOMPARE(dialog.ScrollBar(2)->value(), -20);
    QCOMPARE(dialog.Label(0)->text(), QString("R +010"));
    list->setCurrentRow(0);
    dialog.RecordButtonClick();
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"7,1,2,1,0,0,+010, 000,-020\r\n\r\n"
                                                         "は既に登録されています。"});
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認( Index= 3 )"));
    // A garbage record is ignored on click.
    list->setCurrentRow(3);
    dialog.RecordListBoxClick(false);
    QCOMPARE(dialog.ParameterText(), std::string("7,1,2,1,0,0,+010, 000,-020"));
    // A new one goes at the end; the list is sorted when the dialog closes.
    dialog.ScrollBar(1)->setValue(100);
    dialog.RecordButtonClick();
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->item(4)->text(), QString("7,1,2,1,0,0,+010,+100,-020"));
    list->setCurrentRow(0);
    dialog.DeleteButtonClick();
    QCOMPARE(list->count(), 4);
    EditAction("ShowRGBArrangeForm")->trigger();
    QVERIFY(Host().RGBDialog() == nullptr);
    QCOMPARE(form_->Data().rgb_records,
             (std::vector<std::string>{"1,1,1,0,0,0, 000, 000, 000", "7,1,2,1,0,0,+010, 000,-020",
                                       "7,1,2,1,0,0,+010,+100,-020", "garbage"}));
  }

  // A tool window left open must not keep the program from ending: a window that refuses to
  // close stops Qt's quit. Quitting with all five open and a worker running closes them all.
  void QuittingClosesEveryToolWindow() {
    ShowPicture();
    for (const char* show : {"ShowRotationArrangeForm", "ShowRGBArrangeForm", "ShowFreeFilterForm",
                             "ShowTextArrangeForm", "ShowFusionArrangeForm"})
      EditAction(show)->trigger();
    QVERIFY(Host().RotationDialog() && Host().RGBDialog());
    View().Action("PictureZoomIn")->trigger();
    form_->close();
    if (form_->isVisible()) form_->close();  // the first request only stopped the worker
    QVERIFY(!form_->isVisible());
    for (QWidget* window : QApplication::topLevelWidgets())
      QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QVERIFY(Host().RotationDialog() == nullptr && Host().RGBDialog() == nullptr);
  }

  void RGBRecordsSurviveARestart() {
    const std::string path = dir_->File("RGBRecords.dat");
    const std::string bytes = "0,1,2,0,0,0, 000, 000, 000\r\n9,9,9,1,1,1,+255,-255, 000\r\n";
    WriteWholeFile(path, bytes);
    Restart();
    TImageRGBArrangeForm& dialog = OpenRGB();
    QCOMPARE(dialog.RecordListBox()->count(), 2);
    EditAction("ShowRGBArrangeForm")->trigger();
    Restart();
    QCOMPARE(ReadWholeFile(path), bytes);
    // Emptying the list leaves the old file in place.
    TImageRGBArrangeForm& again = OpenRGB();
    while (again.RecordListBox()->count() > 0) {
      again.RecordListBox()->setCurrentRow(0);
      again.DeleteButtonClick();
    }
    EditAction("ShowRGBArrangeForm")->trigger();
    QVERIFY(form_->Data().rgb_records.empty());
    Restart();
    QCOMPARE(ReadWholeFile(path), bytes);
    // A record registered while the dialog stays open to the end is kept too.
    TImageRGBArrangeForm& open = OpenRGB();
    open.ScrollBar(2)->setValue(-3);
    open.RecordButtonClick();
    Restart();
    QCOMPARE(ReadWholeFile(path), std::string("0,1,2,0,0,0, 000, 000, 000\r\n"
                                              "0,1,2,0,0,0, 000, 000,-003\r\n"
                                              "9,9,9,1,1,1,+255,-255, 000\r\n"));
    QVERIFY(recorder_.Texts().empty());
  }

  void RGBRunEqualsTheEngineAndCaptures() {
    ShowPicture();
    TImageRGBArrangeForm& dialog = OpenRGB();
    dialog.SourceGroup(0)->button(3)->setChecked(true);
    dialog.ReverseCheckBox(2)->setChecked(true);
    dialog.PercentCheckBox(1)->setChecked(true);
    dialog.ScrollBar(1)->setValue(-30);
    dialog.ScrollBar(0)->setValue(17);
    const std::string text = dialog.ParameterText();
    QCOMPARE(text, std::string("3,1,7,0,1,0,+017,-030, 000"));
    const TBitmap24 reference = View().Working();
    TBitmap24 expected = reference;
    QVERIFY(TImageRGBArrange().Arrange(expected, text));
    dialog.Apply();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QVERIFY(View().Working().SamePixels(expected));
    // Undo goes back to the reference the run started from.
    View().UndoPictureExecute();
    QVERIFY(View().Working().SamePixels(reference));

    dialog.RGBCapButtonClick();
    QVERIFY(form_->DataFilePathList().back().ends_with("/RGB3,1,7,0,1,0,+017,-030, 000"));
    QVERIFY(!dialog.AutoEffect());
    QVERIFY(recorder_.Texts().empty());
  }

  // Runs that piled up on each other's result let the picture drift away from the dialog's
  // settings and from what a capture of them renders.
  void RGBRunsStartFromTheReferencePicture() {
    ShowPicture();
    const TBitmap24 original = View().Working();
    TImageRGBArrangeForm& dialog = OpenRGB();
    dialog.ToggleAutoMode();
    QPushButton* run = dialog.Button("RGBAutoSetButton");
    const auto wait = [this] { QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000); };

    // R +003: the change runs once, then two more clicks on 自動(&E).
    dialog.ScrollBar(0)->setValue(3);
    wait();
    QCOMPARE(dialog.Label(0)->text(), QString("R +003"));
    for (int click = 0; click < 2; ++click) {
      run->click();
      wait();
    }
    const TBitmap24& shown = View().Working();
    QVERIFY(shown.SameSizeAs(original));
    for (int y = 0; y < original.Height(); ++y)
      for (int x = 0; x < original.Width(); ++x) {
        const TColor before = original.Pixel(x, y), after = shown.Pixel(x, y);
        QCOMPARE(int(ColorRed(after)), std::min(255, ColorRed(before) + 3));
        QCOMPARE(ColorGreen(after), ColorGreen(before));
        QCOMPARE(ColorBlue(after), ColorBlue(before));
      }

    // A capture's RGB entry, rendered on the file's picture, is the picture shown.
    dialog.RGBCapButtonClick();
    const std::string line = form_->DataFilePathList().back();
    const std::string entry = line.substr(line.rfind('/') + 1);
    QCOMPARE(entry, std::string("RGB0,1,2,0,0,0,+003, 000, 000"));
    TBitmap24 rendered;
    std::string message;
    QVERIFY(LoadPictureFile(rendered, picture_, form_->Loader(), &message));
    QVERIFY(TImageRGBArrange().Arrange(rendered, std::string(EffectParameters(entry))));
    QVERIFY(View().Working().SamePixels(rendered));

    // Red and blue swapped twice are swapped once.
    dialog.NoIntenseButtonClick();
    wait();
    QVERIFY(View().Working().SamePixels(original));
    dialog.SourceGroup(0)->button(2)->setChecked(true);
    dialog.SourceGroup(2)->button(0)->setChecked(true);
    dialog.SourceChanged(2, 0);
    wait();
    run->click();
    wait();
    TBitmap24 swapped = original;
    QVERIFY(TImageRGBArrange().Arrange(swapped, "2,1,0,0,0,0, 000, 000, 000"));
    QVERIFY(!swapped.SamePixels(original));
    QVERIFY(View().Working().SamePixels(swapped));

    // 更新(&N) makes the shown picture the reference: now the next run builds on it.
    dialog.ReNewButtonClick();
    run->click();
    wait();
    QVERIFY(View().Working().SamePixels(original));
    QVERIFY(recorder_.Texts().empty());
  }

  void RGBRunAfterTheAutomaticStepReplacesIt() {
    TImageRGBArrangeForm& dialog = OpenRGB();
    dialog.ScrollBar(2)->setValue(-50);
    dialog.AutoEffectCheckBox()->setChecked(true);
    TBitmap24 original;
    std::string message;
    QVERIFY(LoadPictureFile(original, picture_, form_->Loader(), &message));
    ShowPicture();
    TBitmap24 expected = original;
    QVERIFY(TImageRGBArrange().Arrange(expected, dialog.ParameterText()));
    QVERIFY(View().Working().SamePixels(expected));
    // A run with other settings works on the picture as loaded, not on the step's result.
    dialog.ScrollBar(2)->setValue(-20);
    dialog.Apply();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    expected = original;
    QVERIFY(TImageRGBArrange().Arrange(expected, dialog.ParameterText()));
    QVERIFY(View().Working().SamePixels(expected));
  }

  void AutoModeRunsOnceAtTheEndOfADrag() {
    TFakeOwner owner(TEffectOwner::TKind::kPictureTable);
    TImageRGBArrangeForm dialog(owner);
    QVERIFY(!dialog.Button("RGBCapButton")->isEnabled());
    QVERIFY(!dialog.Button("RGBCapAddButton")->isEnabled());
    QVERIFY(dialog.AutoEffectCheckBox()->isEnabled());
    dialog.ToggleAutoMode();
    QScrollBar* bar = dialog.ScrollBar(1);
    bar->setSliderDown(true);
    for (int v : {5, 20, 47}) {
      bar->setValue(v);
      QCOMPARE(dialog.Label(1)->text(), QString::fromStdString(RGBChannelLabel(1, v)));
    }
    QVERIFY(owner.runs.empty());
    bar->setSliderDown(false);
    QCOMPARE(owner.runs, std::vector<std::string>{"RGB0,1,2,0,0,0, 000,+047, 000"});
    // Each control change runs once; the reset runs once for all three bars.
    dialog.ReverseCheckBox(0)->click();
    dialog.ScrollBar(0)->setValue(9);
    dialog.NoIntenseButtonClick();
    QCOMPARE(owner.runs.size(), std::size_t{3});
    QCOMPARE(owner.runs.back(), std::string("RGB5,1,2,0,0,0, 000, 000, 000"));
    // A close request goes to the owner's toggle command.
    dialog.close();
    QCOMPARE(owner.runs.back(), std::string("ShowRGBArrangeForm"));
  }

  void OtherOwners() {
    TFakeOwner grid(TEffectOwner::TKind::kPictureGrid);
    TImageRotationArrange rotation(grid);
    QVERIFY(!rotation.AutoEffectCheckBox()->isEnabled());
    QVERIFY(!rotation.Button("RotationCapButton")->isEnabled());
    rotation.DegreeEdit()->setText(" 30 ");
    rotation.RotationButtonClick();
    rotation.ReNewButtonClick();
    QCOMPARE(grid.runs, (std::vector<std::string>{"ARo30", "Renew"}));
    TFakeOwner unknown(TEffectOwner::TKind::kOther);
    TImageRotationArrange stray(unknown);
    stray.RotationButtonClick();
    stray.ReNewButtonClick();
    QCOMPARE(recorder_.Texts(),
             (std::vector<std::string>{"予定外の呼び出しです(RotationButtonClick)。",
                                       "予定外の呼び出しです(ReNewButtonClick)。"}));
    QVERIFY(unknown.runs.empty());
  }

  void EveryTimeStepsRunTheOpenDialogs() {
    TImageRotationArrange& rotation = OpenRotation();
    rotation.DegreeEdit()->setText("90");
    rotation.AutoEffectCheckBox()->setChecked(true);
    TImageRGBArrangeForm& rgb = OpenRGB();
    rgb.SourceGroup(0)->button(2)->setChecked(true);
    rgb.ScrollBar(1)->setValue(-60);
    rgb.AutoEffectCheckBox()->setChecked(true);
    // Every picture shown is turned, then recoloured, each step on the result of the last.
    TBitmap24 expected;
    std::string message;
    QVERIFY(LoadPictureFile(expected, picture_, form_->Loader(), &message));
    TImageRotation turn;
    QVERIFY(turn.Rotate(expected, "90", form_->Settings().effect.rotation_back_color,
                        form_->Settings().effect.rotation));
    QVERIFY(TImageRGBArrange().Arrange(expected, rgb.ParameterText()));
    ShowPicture();
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Jobs().Running(), 10000);
    QVERIFY(View().Working().SamePixels(expected));
    QVERIFY(recorder_.Texts().empty());
  }
};

QTEST_MAIN(TEffectDialogsTest)
#include "tst_EffectDialogs.moc"
