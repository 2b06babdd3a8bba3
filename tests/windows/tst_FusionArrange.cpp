// The fusion tool window of the main window: its settings across sessions, rates and
// operations, the second picture from the ground canvas, the shown picture or a file, fusions
// and tone reductions that equal the engine's, and pictures it cannot use.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "widgets/SetColorDialog.h"
#include "effects/FusionArrangeTexts.h"
#include "effects/ImageFusionArrangeForm.h"
#include "engine/ImageBasics.h"
#include "engine/ImageCanvasEdit.h"
#include "engine/ImageFusion.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

namespace {

// Runs body on the modal dialog of type T once it is shown.
template <class T>
void WhenModal(std::function<void(T&)> body) {
  QTimer::singleShot(0, [body] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog) {
      QFAIL("no modal dialog");
      return;
    }
    body(*dialog);
  });
}

using TEntries = std::vector<std::string>;

// An owner that answers the tone reductions as told and notes the dialog's caption meanwhile.
class TToneOwner : public TEffectOwner {
 public:
  explicit TToneOwner(TKind kind) : kind_(kind) {}
  TKind Kind() const override { return kind_; }
  QWidget* Window() const override { return nullptr; }
  bool StartRotation(const std::string&) override { return false; }
  bool StartRGBArrange(const std::string&) override { return false; }
  void Renew() override {}
  void ToggleDialog(const std::string& show_action) override { toggled.push_back(show_action); }
  TPictureResult MapPictureTones(bool exact, const std::vector<std::uint8_t>&,
                                 const std::vector<std::uint8_t>& from) override {
    captions.push_back(dialog->windowTitle().toStdString() + (exact ? " exact " : " ") +
                       std::to_string(from.size()));
    return answer;
  }
  TImageFusionArrangeForm* dialog = nullptr;
  TPictureResult answer = TPictureResult::kDone;
  TEntries captions;
  TEntries toggled;

 private:
  TKind kind_;
};

}  // namespace

class TFusionArrangeTest : public TWindowTest {
  Q_OBJECT

 private:
  std::string picture_;  // 120 x 90, shown by ShowPicture
  std::string second_;   // 40 x 30

  TPictureView& View() { return form_->PictureView(); }
  TMainEffectDialogs& Host() { return *form_->findChild<TMainEffectDialogs*>(); }
  QAction* ShowAction() { return form_->EditCommands().Action("ShowFusionArrangeForm"); }

  void ShowPicture(const std::string& path) {
    TShownFrom from;
    from.name = "a.bmp";
    from.index = from.count = 1;
    QVERIFY(View().ShowPictureFile(path, from));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
  }
  TImageFusionArrangeForm& Open() {
    ShowAction()->trigger();
    return *Host().FusionDialog();
  }
  // Adds files through "ピクチャーを開く(&O)".
  void AddFiles(TImageFusionArrangeForm& dialog, const TEntries& paths) {
    recorder_.AnswerFiles(paths);
    dialog.Action("PictureOpen1")->trigger();
  }
  void Select(TImageFusionArrangeForm& dialog, int row) {
    dialog.FusionFileNameListBox()->setCurrentRow(row);
    dialog.FusionFileNameListBoxClick(false);
  }
  // What the engine makes of the working picture and the dialog's picture and text.
  TBitmap24 Expected(const TBitmap24& a, TImageFusionArrangeForm& dialog, int* left = nullptr,
                     int* top = nullptr) {
    TBitmap24 result;
    int t = 0, l = 0;
    const bool fused = Fuse(a, dialog.FusionPicture(), t, l, dialog.ParameterText(), result);
    if (!fused) qWarning("the engine refused the fusion");
    if (left) *left = l;
    if (top) *top = t;
    return result;
  }

 private slots:
  void init() {
    BeginCase();
    picture_ = dir_->File("a.bmp");
    second_ = dir_->File("b.bmp");
    SavePictureFile(PatternBitmap(120, 90), picture_, true, 100);
    TBitmap24 second(40, 30);
    second.Fill(MakeColor(200, 10, 90));
    second.FillRect(10, 5, 30, 25, MakeColor(0, 0, 0));
    SavePictureFile(second, second_, true, 100);
    StartForm();
  }
  void cleanup() { EndCase(); }

  void OpensWithTheStoredSettingsAndHandsThemBack() {
    TFusionArrangeSettings& stored = form_->Settings().fusion;
    stored.ground_color = MakeColor(255, 0, 0);
    stored.range_super_max = 300;
    stored.over_range = true;
    stored.trans_position = 8;
    stored.any_tone_level = 3;  // not a level count: 4
    stored.up_down_level = 7;
    TImageFusionArrangeForm& dialog = Open();
    QVERIFY(ShowAction()->isChecked());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowTitle(), QString("FusionArrangeDialog"));
    QVERIFY(dialog.windowFlags() & Qt::Tool);
    QVERIFY(dialog.minimumWidth() >= 250 && dialog.minimumHeight() >= 285);
    QVERIFY(!dialog.Button("FusionCapButton")->isEnabled());
    QVERIFY(!dialog.Button("FusionCapAddButton")->isEnabled());
    QCOMPARE(dialog.FusionFileNameListBox()->item(0)->text(), QString("台紙(255,0,0)"));
    QCOMPARE(dialog.FusionFileNameListBox()->item(1)->text(), QString("表示画像の取得"));
    QCOMPARE(dialog.Paths(), (TEntries{"台紙", "表示画像"}));
    // Shown: entry 0 with its ground canvas.
    QCOMPARE(dialog.FusionFileNameListBox()->currentRow(), 0);
    QCOMPARE(dialog.FusionPicture().Width(), 100);
    QCOMPARE(dialog.FusionPicture().Pixel(50, 50), MakeColor(255, 0, 0));
    QVERIFY(dialog.Action("OverRange1")->isChecked());
    QCOMPARE(dialog.RateScrollBar(true)->maximum(), 300);
    QCOMPARE(dialog.RateScrollBar(true)->minimum(), -300);
    QVERIFY(dialog.Action("TransTopCenter1")->isChecked());
    QVERIFY(!dialog.Action("TransBottomLeft1")->isChecked());
    QCOMPARE(dialog.Action("GetAnyTone1")->text(), QString("4段階(&A)"));
    QCOMPARE(dialog.Action("ColorBottomUpToX1")->text(), QString("ボトムアップ to 7(&B)"));
    QCOMPARE(dialog.Action("ColorTopDownToX1")->text(), QString("トップダウン to 7(&T)"));
    QCOMPARE(dialog.ParameterText(), std::string("L,T,50,50,1,0,0,16777215"));

    // A change is the window's at once; a close request is the toggle command.
    dialog.Action("TransTopRight1")->trigger();
    QCOMPARE(stored.trans_position, 9);
    dialog.close();
    QVERIFY(!ShowAction()->isChecked());
    QVERIFY(Host().FusionDialog() == nullptr);
    QCOMPARE(stored.any_tone_level, 4);
    QVERIFY(stored.over_range);

    // Stored 0 and 1 both check 下左; the 0 goes back as it came.
    stored.trans_position = 0;
    TImageFusionArrangeForm& again = Open();
    QVERIFY(again.Action("TransBottomLeft1")->isChecked());
    QVERIFY(again.Action("OverRange1")->isChecked());
    ShowAction()->trigger();
    QCOMPARE(stored.trans_position, 0);
    QVERIFY(recorder_.Texts().empty());
  }

  void RatesFollowTheOperation() {
    TImageFusionArrangeForm& dialog = Open();
    QScrollBar* a = dialog.RateScrollBar(false);
    QScrollBar* b = dialog.RateScrollBar(true);
    QVERIFY(!a->isEnabled());
    QVERIFY(dialog.RateLabel(false)->isHidden());
    QCOMPARE(dialog.RateLabel(true)->text(), QString("B +050%"));
    b->setValue(30);
    QCOMPARE(dialog.RateLabel(true)->text(), QString("B +030%"));
    dialog.OperateRadioGroup()->button(kFusionMix)->click();
    QCOMPARE(a->value(), 70);
    QVERIFY(a->isEnabled());
    QVERIFY(!dialog.RateLabel(false)->isHidden());
    QCOMPARE(dialog.RateLabel(false)->text(), QString("A +070%"));
    QCOMPARE(dialog.TransParentCheckBox()->text(), QString("明度"));
    // A second operation other than 融合 keeps A where it is.
    a->setValue(20);
    dialog.OperateRadioGroup()->button(kFusionAOver)->click();
    QCOMPARE(a->value(), 20);
    QCOMPARE(dialog.TransParentCheckBox()->text(), QString("透過"));
    dialog.TransParentCheckBox()->setChecked(true);
    dialog.Action("TransTopCenter1")->trigger();
    QCOMPARE(dialog.ParameterText(), std::string("L,T,20,30,-3,TC,0,16777215"));
    dialog.OperateRadioGroup()->button(kFusionBlend)->click();
    QVERIFY(!a->isEnabled());
    QVERIFY(dialog.RateLabel(false)->isHidden());
    QCOMPARE(dialog.ParameterText(), std::string("L,T,70,30,-1,100,0,16777215"));

    // Double clicks on a label step to the next multiple of 50 and wrap at the end.
    const int expected[] = {50, 100, -100, -50};
    for (int next : expected) {
      QTest::mouseDClick(dialog.RateLabel(true), Qt::LeftButton);
      QCOMPARE(b->value(), next);
    }
    QCOMPARE(dialog.RateLabel(true)->text(), QString("B -050%"));
    QVERIFY(recorder_.Texts().empty());
  }

  void ThresholdExtensionWidensTheRates() {
    TImageFusionArrangeForm& dialog = Open();
    QScrollBar* b = dialog.RateScrollBar(true);
    recorder_.AnswerInput("0");
    dialog.Action("SetRangeSuperMax1")->trigger();
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  最大閾値の設定"));
    QCOMPARE(recorder_.Entries()[0].text, std::string("999までの正の整数を入力してください。"));
    QCOMPARE(recorder_.Entries()[0].value, std::string("255"));
    QCOMPARE(recorder_.Texts(), TEntries{"999までの正の整数を入力してください。"});
    QCOMPARE(recorder_.Entries()[1].caption, std::string("  確認"));
    recorder_.AnswerInput("300");
    dialog.Action("SetRangeSuperMax1")->trigger();
    QCOMPARE(form_->Settings().fusion.range_super_max, 300);
    QCOMPARE(b->maximum(), 100);  // the extension is off

    dialog.OperateRadioGroup()->button(kFusionZMix)->click();
    dialog.Action("OverRange1")->trigger();
    QCOMPARE(b->maximum(), 300);
    QCOMPARE(dialog.RateScrollBar(false)->minimum(), -300);
    b->setValue(300);
    QCOMPARE(b->value(), 300);
    QCOMPARE(dialog.RateLabel(true)->text(), QString("B +300%"));
    // A new maximum takes effect at once while the extension is on.
    recorder_.AnswerInput("400");
    dialog.Action("SetRangeSuperMax1")->trigger();
    QCOMPARE(b->maximum(), 400);
    QCOMPARE(dialog.RateScrollBar(false)->maximum(), 400);
    b->setValue(350);
    dialog.Action("OverRange1")->trigger();
    QCOMPARE(b->maximum(), 100);
    QCOMPARE(b->value(), 100);
    QCOMPARE(dialog.RateScrollBar(false)->maximum(), 100);
    QCOMPARE(dialog.RateLabel(true)->text(), QString("B +100%"));
    QVERIFY(!form_->Settings().fusion.over_range);

    // The brightness rate goes into the text of the brightness variants.
    recorder_.Clear();
    recorder_.AnswerInput("1000");
    dialog.Action("SetFusionBrightRate1")->trigger();
    QCOMPARE(recorder_.Texts(), TEntries{"999までの正の整数を入力してください。"});
    recorder_.AnswerInput(" 150");
    dialog.Action("SetFusionBrightRate1")->trigger();
    dialog.TransParentCheckBox()->setChecked(true);
    QVERIFY(dialog.ParameterText().find(",-2,150,") != std::string::npos);
    QCOMPARE(form_->Settings().fusion.bright_rate, 150);
  }

  void LevelsAreAskedWithTheirRanges() {
    TImageFusionArrangeForm& dialog = Open();
    recorder_.AnswerInput("255");
    dialog.Action("SetAnyToneLavel1")->trigger();
    QCOMPARE(dialog.Action("GetAnyTone1")->text(), QString("255段階(&A)"));
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  段階の設定"));
    QCOMPARE(recorder_.Entries()[0].text, std::string("4以上255以下の整数を指定してください。"));
    QCOMPARE(recorder_.Entries()[0].value, std::string("4"));
    QVERIFY(recorder_.Texts().empty());
    recorder_.AnswerInput("3");
    dialog.Action("SetAnyToneLavel1")->trigger();
    QCOMPARE(recorder_.Texts(), TEntries{"4以上255以下の整数を指定してください。"});
    QCOMPARE(dialog.Action("GetAnyTone1")->text(), QString("255段階(&A)"));
    QCOMPARE(form_->Settings().fusion.any_tone_level, 255);

    recorder_.Clear();
    recorder_.AnswerInput("0");
    dialog.Action("SetUpDownLevel1")->trigger();
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  変動値の設定"));
    QCOMPARE(recorder_.Texts(), TEntries{"1以上255以下の整数を指定してください。"});
    recorder_.CancelInput();
    dialog.Action("SetUpDownLevel1")->trigger();
    recorder_.AnswerInput("12");
    dialog.Action("SetUpDownLevel1")->trigger();
    QCOMPARE(dialog.Action("ColorBottomUpToX1")->text(), QString("ボトムアップ to 12(&B)"));
    QCOMPARE(dialog.Action("ColorTopDownToX1")->text(), QString("トップダウン to 12(&T)"));
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
  }

  void ToneReductionsMapTheShownPicture() {
    TImageFusionArrangeForm& dialog = Open();
    View().ClearPicture();
    dialog.Action("GetTwoTone1")->trigger();
    QCOMPARE(recorder_.Texts(), TEntries{"処理するビットマップがありませんよ。"});
    recorder_.Clear();
    ShowPicture(picture_);
    const TBitmap24 shown = View().Working();
    const struct {
      const char* action;
      TToneTable table;
    } cases[] = {
        {"GetTwoTone1", ToneLevelTable(1)},    {"GetThreeTone1", ToneLevelTable(2)},
        {"GetAnyTone1", ToneLevelTable(4)},    {"ColorBottomUpToX1", BottomUpTable(2)},
        {"ColorTopDownToX1", TopDownTable(2)},
    };
    for (const auto& c : cases) {
      TBitmap24 expected;
      QVERIFY(TImageCanvasEdit::MapChannelValues(shown, expected, c.table.exact, c.table.to,
                                                 c.table.from));
      dialog.Action(c.action)->trigger();
      QVERIFY2(View().Working().SamePixels(expected), c.action);
      QCOMPARE(dialog.windowTitle(), QString("FusionArrangeDialog"));
      // Undo goes back to the picture before the reduction.
      View().UndoPictureExecute();
      QVERIFY(View().Working().SamePixels(shown));
    }
    QVERIFY(recorder_.Texts().empty());
  }

  void GroundCanvasTakesThePictureSize() {
    const std::string large = dir_->File("large.bmp");
    SavePictureFile(PatternBitmap(640, 480), large, true, 100);
    ShowPicture(large);
    TImageFusionArrangeForm& dialog = Open();
    QCOMPARE(dialog.FusionPicture().Width(), 100);
    const TBitmap24 shown = View().Working();
    dialog.OperateRadioGroup()->button(kFusionMix)->click();
    dialog.Button("FusionButton")->click();
    QCOMPARE(dialog.FusionPicture().Width(), 640);
    QCOMPARE(dialog.FusionPicture().Height(), 480);
    int left = -1, top = -1;
    const TBitmap24 expected = Expected(shown, dialog, &left, &top);
    QVERIFY(View().Working().SamePixels(expected));
    QCOMPARE(dialog.windowTitle(), QString("(0, 0)"));
    QVERIFY(recorder_.Texts().empty());

    // A picture of another size shown later: a selected ground canvas follows it.
    ShowPicture(picture_);
    QCOMPARE(dialog.FusionPicture().Width(), 120);
    QCOMPARE(dialog.FusionPicture().Height(), 90);
    // Not while another entry is selected.
    Select(dialog, 1);
    QCOMPARE(dialog.FusionPicture().Width(), 120);
    ShowPicture(large);
    QCOMPARE(dialog.FusionPicture().Width(), 120);
  }

  void FusionWithAFileEqualsTheEngine() {
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    ShowPicture(picture_);
    TImageFusionArrangeForm& dialog = Open();
    AddFiles(dialog, {second_, picture_});
    QCOMPARE(recorder_.Entries()[0].text,
             std::string("ピクチャー(bmp, jpg, jpeg, ico, wmf)|*.bmp;*.jpg;*.jpeg;*.ico;*.wmf"));
    QCOMPARE(recorder_.Entries()[0].value, dir_->Path().string());
    QCOMPARE(dialog.Paths(), (TEntries{"台紙", "表示画像", picture_, second_}));
    QCOMPARE(dialog.FusionFileNameListBox()->item(3)->text(), QString("b.bmp"));
    QCOMPARE(form_->Settings().base.used_folder, dir_->Path().string());

    Select(dialog, 3);
    QCOMPARE(dialog.FusionPicture().Width(), 40);
    QVERIFY(dialog.FusionImage()->isVisible());
    QVERIFY(dialog.FusionImagePanel()->rect().contains(dialog.FusionImage()->geometry()));
    dialog.XComboBox()->setCurrentIndex(4);  // RR: the canvas grows
    dialog.YComboBox()->setCurrentIndex(2);
    dialog.OperateRadioGroup()->button(kFusionBOver)->click();
    dialog.TransParentCheckBox()->setChecked(true);
    dialog.Action("TransCenterCenter1")->trigger();
    QCOMPARE(dialog.ParameterText(), std::string("RR,C,50,50,-4,CC,0,16777215"));
    const TBitmap24 shown = View().Working();
    int left = 0, top = 0;
    const TBitmap24 expected = Expected(shown, dialog, &left, &top);
    QCOMPARE(expected.Width(), 160);
    // A double click on the entry runs the fusion; the result is shown centred, whatever
    // position was chosen.
    View().PicturePosExecute(7);
    dialog.FusionFileNameListBoxClick(true);
    QVERIFY(View().Working().SamePixels(expected));
    const TViewerGeometry& g = View().Geometry();
    QCOMPARE(g.position, 7);
    QCOMPARE(g.Left(), (g.AreaWidth() - g.DisplayWidth()) / 2);
    QCOMPARE(g.Top(), (g.AreaHeight() - g.DisplayHeight()) / 2);
    QVERIFY(g.Left() > 0 || g.Top() > 0);  // position 7 would give (0, 0)
    QCOMPARE(dialog.windowTitle(),
             QString("(%1, %2)").arg(left).arg(top));  // B's place: (120, 30)
    QCOMPARE(left, 120);
    QCOMPARE(top, 30);

    // The shown picture as the second picture, chosen with the keys; undo returns to the
    // picture before.
    dialog.FusionFileNameListBox()->setCurrentRow(2);
    QTest::keyClick(dialog.FusionFileNameListBox(), Qt::Key_Up);
    QCOMPARE(dialog.FusionFileNameListBox()->currentRow(), 1);
    QVERIFY(dialog.FusionPicture().SamePixels(View().Working()));
    View().UndoPictureExecute();
    QVERIFY(View().Working().SamePixels(shown));
    // A fusion is never part of a capture.
    dialog.AutoEffectCheckBox()->setChecked(true);
    form_->Capture().CaptureDataCaptureExecute();
    QCOMPARE(form_->DataFilePathList().size(), std::size_t{1});
    const std::string line = form_->DataFilePathList()[0];
    QCOMPARE(std::count(line.begin(), line.end(), '/'), 4);
    QVERIFY(recorder_.Texts().empty());
  }

  void AutomaticEffectFusesEveryShownPicture() {
    TImageFusionArrangeForm& dialog = Open();
    AddFiles(dialog, {second_});
    Select(dialog, 2);
    dialog.XComboBox()->setCurrentIndex(2);
    dialog.YComboBox()->setCurrentIndex(2);
    dialog.ControlCheckBox()->setChecked(true);
    dialog.AutoEffectCheckBox()->setChecked(true);
    TBitmap24 loaded;
    QVERIFY(LoadPictureFile(loaded, picture_, form_->Loader()));
    const TBitmap24 expected = Expected(loaded, dialog);
    ShowPicture(picture_);
    QVERIFY(View().Working().SamePixels(expected));
    // Off again: the picture is shown as it is.
    dialog.AutoEffectCheckBox()->setChecked(false);
    ShowPicture(picture_);
    QVERIFY(View().Working().SamePixels(loaded));
    QVERIFY(recorder_.Texts().empty());
  }

  void PicturesTheFusionCannotUse() {
    ShowPicture(picture_);
    const TBitmap24 shown = View().Working();
    const std::string broken = dir_->File("broken.bmp");
    WriteWholeFile(broken, "BM this is no picture at all");
    const std::string wide = dir_->File("wide.bmp");
    SavePictureFile(PatternBitmap(5001, 2), wide, true, 100);  // beyond 5000 wide
    const std::string missing = dir_->File("gone.jpg");
    TImageFusionArrangeForm& dialog = Open();
    AddFiles(dialog, {broken, missing, wide});
    for (int row = 2; row <= 4; ++row) {
      recorder_.Clear();
      Select(dialog, 1);  // a usable picture first, so that clearing shows
      QVERIFY(!dialog.FusionPicture().Empty());
      Select(dialog, row);
      QVERIFY(dialog.FusionPicture().Empty());
      QVERIFY(dialog.FusionImage()->isHidden());
      dialog.Button("FusionButton")->click();
      QCOMPARE(recorder_.Texts(), TEntries{"ピクチャーがありませんよ。"});
      QVERIFY(View().Working().SamePixels(shown));
    }

    // A fusion whose result would be beyond the size limit: the picture stays, the caption
    // says nothing of a place.
    const std::string flat = dir_->File("flat.bmp");
    SavePictureFile(PatternBitmap(4990, 10), flat, true, 100);
    ShowPicture(flat);
    AddFiles(dialog, {second_});
    Select(dialog, 5);
    dialog.XComboBox()->setCurrentIndex(4);
    const TBitmap24 before = View().Working();
    recorder_.Clear();
    dialog.Button("FusionButton")->click();
    QCOMPARE(recorder_.Texts(), TEntries{"FusionArrange Error"});
    QCOMPARE(dialog.windowTitle(), QString("FusionArrangeDialog"));
    QVERIFY(View().Working().SamePixels(before));
  }

  void ShownPictureEntryAndFileList() {
    TImageFusionArrangeForm& dialog = Open();
    // Nothing shown: the ground canvas instead.
    View().ClearPicture();
    Select(dialog, 1);
    QCOMPARE(dialog.FusionFileNameListBox()->currentRow(), 0);
    QCOMPARE(dialog.FusionPicture().Width(), 100);
    QVERIFY(form_->OpenFolder(dir_->Path().string()));
    dialog.Action("LoadFromFileList1")->trigger();
    QCOMPARE(dialog.FusionFileNameListBox()->count(), 4);
    QCOMPARE(dialog.Paths()[2], picture_);
    QCOMPARE(dialog.FusionFileNameListBox()->item(3)->text(), QString("b.bmp"));
    // Cancelled open dialog: nothing added, nothing said.
    recorder_.AnswerFiles({});
    dialog.Action("PictureOpen1")->trigger();
    QCOMPARE(dialog.FusionFileNameListBox()->count(), 4);
    QVERIFY(recorder_.Texts().empty());
  }

  void PositionEntries() {
    TImageFusionArrangeForm& dialog = Open();
    QComboBox* x = dialog.XComboBox();
    QComboBox* y = dialog.YComboBox();
    x->setEditText("rr");
    QVERIFY(dialog.PositionComboExit(x));
    QCOMPARE(x->currentIndex(), 4);
    QCOMPARE(x->currentText(), QString("  RR"));
    y->setEditText(" -120");
    QVERIFY(dialog.PositionComboExit(y));
    QCOMPARE(dialog.ParameterText(), std::string("RR,-120,50,50,1,0,0,16777215"));
    QVERIFY(recorder_.Texts().empty());
    x->setEditText("5000");
    QVERIFY(!dialog.PositionComboExit(x));
    QCOMPARE(x->currentText(), QString("4000"));
    QCOMPARE(recorder_.Texts(), TEntries{"-4000から4000までの整数を入力してください。"});
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
    recorder_.Clear();
    y->setEditText("abc");
    QVERIFY(!dialog.PositionComboExit(y));
    QCOMPARE(y->currentText(), QString("  TT"));
    QCOMPARE(recorder_.Texts(), TEntries{"-4000から4000までの整数を入力してください。"});
    // Running with a box that holds neither an item nor a number: it becomes 0.
    x->setEditText("zz");
    QCOMPARE(dialog.ParameterText(), std::string("0,TT,50,50,1,0,0,16777215"));
    QCOMPARE(x->currentText(), QString("  0"));
  }

  // Typed positions are checked when the box is left by Tab or the mouse and on Enter, so that
  // a run never takes 5000 (the fusion refused it) or a lower-case item (it became 0).
  void LeavingAPositionBoxChecksIt() {
    TImageFusionArrangeForm& dialog = Open();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const std::string range = "-4000から4000までの整数を入力してください。";
    enum TLeave { kTab, kMouse, kEnter };
    // Each box's own items count; anything else must be a number.
    const struct {
      const char* typed;
      const char* x_shown;
      bool x_message;
      const char* y_shown;
      bool y_message;
    } cases[] = {
        {"5000", "4000", true, "4000", true}, {"-9999", "-4000", true, "-4000", true},
        {"c", "   C", false, "   C", false},  {" r r", "  RR", false, "  TT", true},
        {"bB", "  LL", true, "  BB", false},  {"-120", "-120", false, "-120", false},
        {"", "  LL", true, "  TT", true},     {"-", "  LL", true, "  TT", true},
        {"1e9", "  LL", true, "  TT", true},  {"abc", "  LL", true, "  TT", true},
        {"５", "  LL", true, "  TT", true},
    };
    for (QComboBox* box : {dialog.XComboBox(), dialog.YComboBox()}) {
      const bool is_x = box == dialog.XComboBox();
      for (const TLeave leave : {kTab, kMouse, kEnter}) {
        for (const auto& c : cases) {
          const QByteArray where = QByteArray(c.typed) + " leave " + QByteArray::number(leave);
          recorder_.Clear();
          box->setCurrentIndex(1);
          box->setFocus();
          box->setEditText(QString::fromUtf8(c.typed));
          switch (leave) {
            case kTab:
              QTest::keyClick(box, Qt::Key_Tab);
              break;
            case kMouse:
              dialog.Button("FusionButton")->setFocus(Qt::MouseFocusReason);
              break;
            case kEnter:
              QTest::keyClick(box, Qt::Key_Return);
              break;
          }
          QVERIFY2(box->currentText() == QString(is_x ? c.x_shown : c.y_shown), where.constData());
          if (is_x ? c.x_message : c.y_message) {
            QVERIFY2(recorder_.Texts() == TEntries{range}, where.constData());
            QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
            QVERIFY2(box->hasFocus(), where.constData());
          } else {
            QVERIFY2(recorder_.Texts().empty(), where.constData());
          }
        }
      }
    }
    // What the boxes hold is what a run takes.
    dialog.XComboBox()->setFocus();
    dialog.XComboBox()->setEditText("rr");
    QTest::keyClick(dialog.XComboBox(), Qt::Key_Return);
    dialog.YComboBox()->setFocus();
    dialog.YComboBox()->setEditText("9000");
    QTest::keyClick(dialog.YComboBox(), Qt::Key_Tab);
    QCOMPARE(dialog.ParameterText(), std::string("RR,4000,50,50,1,0,0,16777215"));
  }

  void ToneReductionsSayWhatTheyDo() {
    TToneOwner owner(TEffectOwner::TKind::kMainWindow);
    TFusionDialogSettings settings;
    settings.any_tone_level = 6;
    settings.up_down_level = 3;
    TImageFusionArrangeForm dialog(owner, settings);
    owner.dialog = &dialog;
    for (const char* action :
         {"GetTwoTone1", "GetThreeTone1", "GetAnyTone1", "ColorBottomUpToX1", "ColorTopDownToX1"})
      dialog.Action(action)->trigger();
    QCOMPARE(owner.captions,
             (TEntries{"１段階処理中 1", "２段階処理中 2", "指定段階処理中 6",
                       "ボトムアップ処理中 exact 3", "トップダウン処理中 exact 3"}));
    QCOMPARE(dialog.windowTitle(), QString("FusionArrangeDialog"));
    QVERIFY(recorder_.Texts().empty());
    owner.answer = TEffectOwner::TPictureResult::kNotBitmap;
    dialog.Action("GetThreeTone1")->trigger();
    owner.answer = TEffectOwner::TPictureResult::kFailed;
    dialog.Action("GetAnyTone1")->trigger();
    dialog.Action("ColorTopDownToX1")->trigger();
    owner.answer = TEffectOwner::TPictureResult::kBusy;
    dialog.Action("GetTwoTone1")->trigger();
    QCOMPARE(recorder_.Texts(),
             (TEntries{"ビットマップ以外の処理はできません。", "GetTwoTone1Click Error(2)",
                       "ColorBottomUpToX1Click Error(2)"}));
    // A close request is the owner's toggle command.
    dialog.close();
    QCOMPARE(owner.toggled, TEntries{"ShowFusionArrangeForm"});

    // Owned by another window: no tone reductions, and a close closes.
    TToneOwner other(TEffectOwner::TKind::kOther);
    TImageFusionArrangeForm stray(other, settings);
    other.dialog = &stray;
    stray.show();
    stray.Action("GetTwoTone1")->trigger();
    QVERIFY(other.captions.empty());
    recorder_.Clear();
    stray.close();
    QVERIFY(!stray.isVisible());
    QCOMPARE(recorder_.Texts(), TEntries{"予定外の呼び出しです。"});
  }

  void ColoursComeFromTheColourDialog() {
    TImageFusionArrangeForm& dialog = Open();
    WhenModal<TSetColorForm>([](TSetColorForm& colour) {
      colour.SetRgb({10, 20, 30});
      colour.AddButtonClick();
      colour.accept();
    });
    dialog.Action("SetGroundCanvasColor1")->trigger();
    QCOMPARE(dialog.FusionFileNameListBox()->item(0)->text(), QString("台紙(10,20,30)"));
    QCOMPARE(dialog.FusionPicture().Pixel(0, 0), MakeColor(10, 20, 30));
    QCOMPARE(form_->Settings().fusion.ground_color, MakeColor(10, 20, 30));
    QCOMPARE(form_->Data().color_records, TEntries{"   010,020,030"});
    WhenModal<TSetColorForm>([](TSetColorForm& colour) {
      colour.SetRgb({1, 2, 3});
      colour.reject();
    });
    dialog.Action("SetFusionBackColor1")->trigger();
    QCOMPARE(form_->Settings().fusion.back_color, kWhite);
    WhenModal<TSetColorForm>([](TSetColorForm& colour) {
      colour.SetRgb({1, 2, 3});
      colour.accept();
    });
    dialog.Action("SetFusionBackColor1")->trigger();
    QCOMPARE(form_->Settings().fusion.back_color, MakeColor(1, 2, 3));
    QVERIFY(dialog.ParameterText().ends_with("," + std::to_string(MakeColor(1, 2, 3))));
    QVERIFY(recorder_.Texts().empty());
  }
};

QTEST_MAIN(TFusionArrangeTest)
#include "tst_FusionArrange.moc"
