// Capturing in the main window: the capture lines, division, delete, replace, display modes,
// the shown record against the engine's render, and CapList.dat across a restart.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QtTest>

#include "app/CaptureActions.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "effects/CapDataEditForm.h"
#include "engine/CaptureRender.h"
#include "engine/ImageBasics.h"
#include "model/ProgramData.h"
#include "platform/AppUtils.h"
#include "platform/IniFile.h"
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

}  // namespace

class TCaptureTest : public TWindowTest {
  Q_OBJECT

 private:
  std::string picture_;

  TPictureView& View() { return form_->PictureView(); }
  TCaptureActions& Capture() { return form_->Capture(); }
  void Trigger(const char* name) { Capture().Action(name)->trigger(); }
  QListWidget* RightList() { return form_->DataFileNameListBox(); }

  // The 1000 x 800 picture at R = 1 with the frame 300 x 200 and the picture at left, top.
  void Frame(int left, int top) {
    View().SetAreaOverride(300, 200);
    if (!View().Geometry().real_mode) View().Action("PictureSizeReal")->trigger();
    if (!View().Geometry().free_position) View().Action("PicturePosFree")->trigger();
    TShownFrom from;
    from.name = "a.bmp";
    from.index = from.count = 1;
    QVERIFY(View().ShowPictureFile(picture_, from));
    QTRY_VERIFY(!View().Processing());
    View().Action("PictureNoZoom")->trigger();  // real size 1
    QCOMPARE(View().Geometry().Real(), 1.0);
    View().MovePictureTo(left, top);
  }

 private slots:
  void init() {
    BeginCase();
    picture_ = dir_->File("a.bmp");
    SavePictureFile(PatternBitmap(1000, 800), picture_, true, 100);
    form_ = std::make_unique<TMainForm>(Options(*dir_));
  }
  void cleanup() { EndCase(); }

  void CaptureLinesOfTheDesignExamples() {
    Frame(-100, -50);
    Trigger("CaptureDataCapture");
    Frame(20, 10);
    Trigger("CaptureDataCapture");
    Capture().Action("CaptureDataNotFittingCapture")->setChecked(true);
    Trigger("CaptureDataCapture");
    const std::string path = Field(picture_);
    QCOMPARE(form_->DataFilePathList(),
             (std::vector<std::string>{path + "/100/50/300/200", path + "/0/0/280/190",
                                       path + "/-20/-10/300/200"}));
    QCOMPARE(RightList()->item(2)->text(), QString("  3 a.bmp"));
    QVERIFY(recorder_.Texts().empty());
  }

  void CaptureRefusals() {
    View().ClearPicture();
    Trigger("CaptureDataCapture");
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"ピクチャーがありませんよ!"});
    Frame(0, 0);
    View().SetResized(true);
    recorder_.Clear();
    Trigger("CaptureDataCapture");
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"リサイズ画像のキャプチャーはできません。"});
    // A shown zoom too small to frame any of the picture adds no record.
    View().SetResized(false);
    Frame(-100, -50);
    View().RealZoomComboBox()->setEditText("0.000001");
    recorder_.Clear();
    Trigger("CaptureDataCapture");
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"ピクチャーがありませんよ!"});
    QVERIFY(form_->DataFilePathList().empty());
  }

  void DivideEquallyAsksAndAddsTheCells() {
    Frame(0, 0);
    View().SetAreaOverride(300, 200);
    recorder_.AnswerInput("0");
    recorder_.AnswerMessage(mb::kIdYes);
    Trigger("CaptureDivideEquallyCapture");
    const auto& entries = recorder_.Entries();
    QCOMPARE(entries[0].caption, std::string("　均等分割"));
    QCOMPARE(entries[0].text, std::string("枠のサイズを入力してください。"));
    QCOMPARE(entries[0].value, std::string("1"));
    QCOMPARE(entries[1].text, std::string("指定サイズでピクチャーを分割します。"));
    const auto& lines = form_->DataFilePathList();
    QCOMPARE(lines.size(), std::size_t{12});
    QCOMPARE(lines[1], Field(picture_) + "/333/0/333/200");
    QCOMPARE(lines[11], Field(picture_) + "/667/600/333/200");
    QCOMPARE(form_->Settings().base.cap_grid_width, 0);
    recorder_.Clear();
    recorder_.AnswerInput("-3");
    Trigger("CaptureDivideEquallyCapture");
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"0以上の整数を入力してください。"});
  }

  void OverlappingDivisionRefusesAHundredPercent() {
    Frame(0, 0);
    recorder_.AnswerInput("100");
    Trigger("CaptureBulkyCapture");
    QCOMPARE(recorder_.Entries().back().caption, std::string("  重複分割"));
    QCOMPARE(recorder_.Entries().back().text, std::string("0以上100未満の間で指定してください。"));
    recorder_.AnswerInput("50");
    Trigger("CaptureBulkyCapture");
    QCOMPARE(form_->DataFilePathList().size(), std::size_t{42});
  }

  void DivisionStopsAtTheLimit() {
    Frame(0, 0);
    std::vector<std::string> lines(TCapDataList::kCapacity - 1, Field(picture_) + "/0/0/1/1");
    Capture().LoadLines(lines);
    recorder_.AnswerInput("0");
    recorder_.AnswerMessage(mb::kIdYes);
    Trigger("CaptureDivideEquallyCapture");
    QCOMPARE(form_->DataFilePathList().size(), TCapDataList::kCapacity);
    QCOMPARE(recorder_.Texts().back(), std::string("すべての行は投入できませんでした(32736)。"));
    QCOMPARE(RightList()->count(), 32736);
  }

  void DeletingRecordThreeOfTwelveRenumbers() {
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i)
      lines.push_back(Field(picture_) + "/" + std::to_string(i) + "/0/10/10");
    Capture().LoadLines(lines);
    View().SetAreaOverride(300, 200);
    Capture().ShowRecord(2);
    QTRY_VERIFY(!View().Processing());
    recorder_.AnswerMessage(mb::kIdYes);
    Trigger("CaptureDataDelete");
    QCOMPARE(recorder_.Entries()[0].caption, std::string("　キャプデータ(右側のリスト)"));
    QCOMPARE(RightList()->count(), 11);
    QCOMPARE(RightList()->item(2)->text(), QString("  3 a.bmp"));
    QCOMPARE(RightList()->item(10)->text(), QString(" 11 a.bmp"));
    QCOMPARE(form_->DataFilePathList()[2], Field(picture_) + "/3/0/10/10");
    QCOMPARE(RightList()->currentRow(), 2);
  }

  void AShownRecordEqualsTheEnginesRender() {
    const std::string line = Field(picture_) + "/100/50/300/200/ARo90/RGB2,1,0,0,0,0,0,0,0";
    Capture().LoadLines({line});
    View().SetAreaOverride(600, 600);
    Capture().ShowRecord(0);
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QCOMPARE(form_->windowTitle(), QString("Velmora  a.bmp ( 1/1 )[キャプデータ]"));
    TCapData record;
    QVERIFY(ParseCapDataLine(line, form_->Paths(), record));
    TBitmap24 expected;
    QVERIFY(RenderCapData(record, form_->Loader(), TCapDataEffectOptions{}, expected));
    QVERIFY(View().Working().SamePixels(expected));
    QVERIFY(!Capture().Action("CaptureDataCapture")->isEnabled());
    recorder_.Clear();
    Capture().CaptureDataCaptureExecute();
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"キャプデータ画像はキャプチャーできません。"});
  }

  void FrameModeShowsTheRectangleAndReplaceRewritesIt() {
    Capture().LoadLines({Field(picture_) + "/100/50/200/100/ARo90"});
    View().SetAreaOverride(500, 500);
    Capture().Action("CaptureShowFrame")->trigger();
    Capture().ShowRecord(0);
    QCOMPARE(View().FrameRect(), QRect(5, 125, 500, 250));
    QCOMPARE(View().PictureOffset(), QPoint(-250, -125));
    QVERIFY(!form_->findChild<QWidget*>("ShadowTopLabel")->isHidden());
    QVERIFY(Capture().Action("CaptureDataReplace")->isEnabled());
    View().MovePictureTo(-300, -125);  // 20 picture pixels further right
    Trigger("CaptureDataReplace");
    QCOMPARE(form_->DataFilePathList()[0], Field(picture_) + "/120/50/200/100");
    Capture().Action("CaptureShowNoFrame")->trigger();
    QVERIFY(form_->findChild<QWidget*>("ShadowTopLabel")->isHidden());
  }

  // Each record's scale is its own fit times the zoom: going back and forth between two records
  // shows each at the same size every time.
  void FrameModesDoNotCompoundTheZoom() {
    Capture().LoadLines({Field(picture_) + "/100/50/200/100", Field(picture_) + "/0/0/50/40"});
    View().SetAreaOverride(500, 500);
    for (const char* mode : {"CaptureShowFrame", "CaptureShowNoFrame"}) {
      Capture().Action(mode)->trigger();
      for (int round = 0; round < 3; ++round) {
        Capture().ShowRecord(0);
        QCOMPARE(View().FrameRect().size(), QSize(500, 250));
        QCOMPARE(View().Geometry().Real(), 2.5);
        Capture().ShowRecord(1);
        QCOMPARE(View().FrameRect().size(), QSize(500, 400));
        QCOMPARE(View().Geometry().Real(), 10.0);
      }
    }
  }

  void ASortKeepsTheShownRecordsNumberInTheCaption() {
    Capture().LoadLines({Field(picture_) + "/300/0/10/10", Field(picture_) + "/100/0/10/10",
                         Field(picture_) + "/200/0/10/10"});
    View().SetAreaOverride(300, 200);
    QVERIFY(Capture().ShowRecord(0));
    QTRY_VERIFY(!View().Processing());
    QVERIFY(form_->windowTitle().endsWith("( 1/3 )[キャプデータ]"));
    Trigger("CapFileSortByLeftWithPath");
    QCOMPARE(form_->DataFilePathList()[2], Field(picture_) + "/300/0/10/10");
    QVERIFY(form_->windowTitle().endsWith("( 3/3 )[キャプデータ]"));
    QCOMPARE(Capture().ShownRecord(), 2);
  }

  void MissingAndBrokenRecordsKeepTheirLines() {
    const std::vector<std::string> lines = {Field(dir_->File("gone.bmp")) + "/0/0/5/5",
                                            Field(picture_) + "/0/0/2147483647/5", "garbage"};
    Capture().LoadLines(lines);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"未知のデータが含まれていました。"});
    View().SetAreaOverride(300, 200);
    Capture().ShowRecord(0);
    QCOMPARE(form_->windowTitle(), QString("Velmora  gone.bmp[存在しない]"));
    Capture().ShowRecord(1);
    QCOMPARE(form_->windowTitle(), QString("Velmora  a.bmp[未対応]"));
    QCOMPARE(form_->DataFilePathList(), lines);
  }

  void TheEditorChecksEveryEntry() {
    TEditedRecord record;
    QVERIFY(SplitRecordLine(Field(picture_) + "/1/2/30/40/ARo90", record));
    TCapDataEdit editor(record, "a.bmp");
    editor.BaseDataListBox()->setCurrentRow(4);  // h
    editor.DataEdit()->setText("0");
    editor.ChangeButtonClick();
    editor.BaseDataListBox()->setCurrentRow(0);
    editor.ChangeButtonClick();
    editor.DataEdit()->setText("rgb0,1,2,0,0,0,5,-12,0");
    editor.PlusButtonClick();
    for (int i = 0; i < 4; ++i) {
      editor.DataEdit()->setText("aro45");
      editor.PlusButtonClick();
    }
    editor.DataEdit()->setText("ffistd,3,1,1,1,1,1,1,1,1,1,0,0");
    editor.PlusButtonClick();  // a seventh entry
    editor.OptionDataListBox()->setCurrentRow(1);
    editor.DataEdit()->setText("ffistd,3,1,1,1,1,1,1,1,1,0,0");  // 12 fields for size 3
    editor.ChangeButtonClick();
    QCOMPARE(
        recorder_.Texts(),
        (std::vector<std::string>{"正の整数を入力してください。", "ファイル名は変更できません。",
                                  "これ以上データを追加できません。", "未定義のデータ形式です。"}));
    const TEditedRecord edited = editor.Record();
    QCOMPARE(edited.numbers[3], std::string("40"));
    QCOMPARE(edited.effects.size(), std::size_t{6});
    QCOMPARE(edited.effects[1], std::string("RGB0,1,2,0,0,0,+005,-012, 000"));
    editor.MoveEntry(-1);
    QCOMPARE(editor.Record().effects[0], std::string("RGB0,1,2,0,0,0,+005,-012, 000"));
  }

  // The buttons act on the line shown selected, never on a current line Qt keeps unselected.
  void TheEditorActsOnTheSelectedLine() {
    TEditedRecord record;
    QVERIFY(SplitRecordLine(Field(picture_) + "/1/2/30/40/ARo90/ARo45", record));
    TCapDataEdit editor(record, "a.bmp", form_.get());
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QListWidget* options = editor.OptionDataListBox();
    options->setCurrentRow(0);
    recorder_.AnswerMessage(mb::kIdYes);
    editor.MinusButtonClick();
    QCOMPARE(editor.Record().effects, std::vector<std::string>{"ARo45"});
    QVERIFY(options->selectedItems().isEmpty());
    editor.DataEdit()->setText("aro10");
    editor.ChangeButtonClick();
    editor.MoveEntry(-1);
    editor.MinusButtonClick();  // asks nothing
    QCOMPARE(recorder_.Texts(), (std::vector<std::string>{"選択されている行を削除しますか?",
                                                          "変更するデータが指定されていません"}));
    QCOMPARE(editor.Record().effects, std::vector<std::string>{"ARo45"});
    // A line the user unselects is not changed either.
    QListWidget* base = editor.BaseDataListBox();
    const QPoint x = base->visualItemRect(base->item(1)).center();
    QTest::mouseClick(base->viewport(), Qt::LeftButton, {}, x);
    QCOMPARE(editor.DataEdit()->text(), QString("1"));
    QTest::mouseClick(base->viewport(), Qt::LeftButton, Qt::ControlModifier, x);
    QVERIFY(base->selectedItems().isEmpty());
    recorder_.Clear();
    editor.DataEdit()->setText("5");
    editor.ChangeButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"変更するデータが指定されていません"});
    QCOMPARE(editor.Record().numbers[0], std::string("1"));
    // Selecting an entry again takes it into the edit box and lets the other list go.
    options->setCurrentRow(0);
    QCOMPARE(editor.DataEdit()->text(), QString("ARo45"));
    QVERIFY(base->selectedItems().isEmpty());
    editor.DataEdit()->setText("aro10");
    editor.ChangeButtonClick();
    QCOMPARE(editor.Record().effects, std::vector<std::string>{"ARo10"});
  }

  // Like the other dialogs it opens a quarter down the screen of its window, centred across.
  void TheEditorOpensWhereDialogsOpen() {
    TEditedRecord record;
    QVERIFY(SplitRecordLine(Field(picture_) + "/1/2/30/40", record));
    TCapDataEdit editor(record, "a.bmp", form_.get());
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    const QRect screen = form_->screen()->geometry();
    QCOMPARE(editor.pos(), screen.topLeft() + QPoint((screen.width() - editor.width()) / 2,
                                                     (screen.height() - editor.height()) / 4));
  }

  void AddingFromTheEditorKeepsTheRecordAndAppendsTheCopy() {
    const std::string line = Field(picture_) + "/1/2/30/40";
    Capture().LoadLines({line});
    View().SetAreaOverride(300, 200);
    Capture().ShowRecord(0);
    QTRY_VERIFY(!View().Processing());
    Capture().SetEditor([](std::size_t, std::string& edited) {
      edited += "/ARo45";
      return 6;  // 追加(&A)
    });
    QVERIFY(Capture().Action("CaptureDataEdit")->isVisible());
    Capture().CaptureAddCaptureExecute(TEffectKind::kRGB, "1,2,3,0,0,0,0,0,0");
    QCOMPARE(form_->DataFilePathList(),
             (std::vector<std::string>{line, line + "/RGB1,2,3,0,0,0,0,0,0/ARo45"}));
  }

  void CapListSurvivesARestartByteForByte() {
    const std::string cap_list = dir_->File(TProgramData::kCapListFile);
    WriteWholeFile(dir_->File(TProgramData::kSettingsFile),
                   "[FileFilter]\r\nStockCapDataList=1\r\n");
    const std::string bytes = Field(picture_) + "/1/2/3/4\r\nnot a record\r\n" + Field(picture_) +
                              "/5/6/7/8/Txtc,c,Sans,0,9,255,x,0,0,0,0,1\r\n";
    WriteWholeFile(cap_list, bytes);
    form_ = std::make_unique<TMainForm>(Options(*dir_));
    QCOMPARE(RightList()->count(), 3);
    QCOMPARE(RightList()->item(1)->text(), QString("  2 "));
    form_->close();
    QCOMPARE(ReadWholeFile(cap_list), bytes);
  }

  // Names are bytes: one from a zip unpacked without a code page and one with a line break.
  void CapturesFromAnyNameSurviveARestart() {
    WriteWholeFile(dir_->File(TProgramData::kSettingsFile),
                   "[FileFilter]\r\nStockCapDataList=1\r\n");
    form_ = std::make_unique<TMainForm>(Options(*dir_));
    std::vector<std::string> lines;
    for (const char* name : {"sjis_\x83\x65\x83\x58\x83\x67.bmp", "a\nb.bmp"}) {
      picture_ = dir_->File(name);
      SavePictureFile(PatternBitmap(1000, 800), picture_, true, 100);
      Frame(0, 0);
      Trigger("CaptureDataCapture");
      lines.push_back(Field(picture_) + "/0/0/300/200");
    }
    QCOMPARE(form_->DataFilePathList(), lines);
    form_->close();
    form_ = std::make_unique<TMainForm>(Options(*dir_));
    QCOMPARE(form_->DataFilePathList(), lines);
    QCOMPARE(form_->RightList().CapData().Record(1).path, picture_);
    QVERIFY(recorder_.Texts().empty());
  }
};

QTEST_MAIN(TCaptureTest)
#include "tst_Capture.moc"
