// The text tool window of the main window: its boxes and their messages, drawings that equal
// the engine's, the file data items, its settings texts across closing and a restart, and
// input it must survive.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "effects/TextArrangeForm.h"
#include "engine/ImageBasics.h"
#include "engine/ImageOption.h"
#include "model/ProgramData.h"
#include "platform/IniFile.h"
#include "platform/QtFontRasteriser.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"
#include "widgets/SetColorDialog.h"

namespace {

// An owner the main window is not: no capture, no drawing.
class TOtherOwner : public TEffectOwner {
 public:
  TKind Kind() const override { return TKind::kOther; }
  QWidget* Window() const override { return nullptr; }
  bool StartRotation(const std::string&) override { return false; }
  bool StartRGBArrange(const std::string&) override { return false; }
  void Renew() override {}
  void ToggleDialog(const std::string&) override {}
};

template <class T>
void WhenModal(std::function<void(T&)> body) {
  QTimer::singleShot(0, [body] {
    if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) body(*dialog);
  });
}

void Type(QComboBox* box, const char* text) { box->setEditText(QString::fromUtf8(text)); }

}  // namespace

class TTextArrangeTest : public TWindowTest {
  Q_OBJECT

 private:
  std::string picture_;

  TPictureView& View() { return form_->PictureView(); }
  TMainEffectDialogs& Host() { return *form_->findChild<TMainEffectDialogs*>(); }
  QAction* ShowAction() { return form_->EditCommands().Action("ShowTextArrangeForm"); }
  TTextArrangeForm& Open() {
    ShowAction()->trigger();
    return *Host().TextDialog();
  }
  // The picture shown from the file list, selected there.
  void ShowFromFileList() {
    View().SetAreaOverride(400, 400);
    QVERIFY(form_->OpenFolder(dir_->File("pics")));
    form_->FileNameListBox()->setCurrentRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(View().HasPicture() && !View().Processing(), 10000);
  }
  // What the engine draws for the parameter text on the picture.
  static TBitmap24 Drawn(const TBitmap24& source, const std::string& parameters, int& left,
                         int& top) {
    TBitmap24 result;
    TQtFontRasteriser fonts;
    if (!DrawText(source, result, parameters, fonts, left, top)) return {};
    return result;
  }

 private slots:
  void init() {
    BeginCase();
    std::filesystem::create_directories(dir_->File("pics"));
    picture_ = dir_->File("pics/a.bmp");
    SavePictureFile(PatternBitmap(160, 120), picture_, true, 100);
    SavePictureFile(PatternBitmap(50, 40), dir_->File("pics/b.bmp"), true, 100);
    StartForm();
  }
  void cleanup() { EndCase(); }

  void OpensAsDesignedAndClosesThroughTheCommand() {
    TTextArrangeForm& dialog = Open();
    QVERIFY(ShowAction()->isChecked());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowTitle(), QString("TextArrangeDialog"));
    QVERIFY(dialog.windowFlags() & Qt::Tool);
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(dialog.minimumWidth() >= 250);
    QCOMPARE(dialog.size(), dialog.minimumSize());
    QCOMPARE(dialog.XComboBox()->currentText(), QString("   C"));
    QCOMPARE(dialog.YComboBox()->currentText(), QString("   C"));
    QCOMPARE(dialog.RotationComboBox()->currentText(), QString("  0.0"));
    QCOMPARE(dialog.TransParentComboBox()->currentText(), QString(" 透過"));
    QCOMPARE(dialog.TransParentComboBox()->count(), 11);
    QVERIFY(dialog.Button("TextCapButton")->isEnabled());
    for (const char* item : {"GetFileName1", "GetPath1", "FileNameWithoutExtName1", "Cut1",
                             "Paste1", "SetSpaceBackColor1", "SetViewTextFont1"})
      QVERIFY2(dialog.MenuItem(item), item);
    QCOMPARE(dialog.MenuItem("SetViewTextFont1")->text(), QString("表示テキストの固定サイズ(&Z)"));
    dialog.close();
    QVERIFY(!ShowAction()->isChecked());
    QVERIFY(Host().TextDialog() == nullptr);
    // Nothing changed: the texts stay as stored (none yet).
    QCOMPARE(form_->Settings().text_arrange.text_options, std::string());
    Open().ControlCheckBox()->setChecked(true);
    ShowAction()->trigger();
    QCOMPARE(form_->Settings().text_arrange.text_options, std::string("1,16777215,16777215,0,1"));
    QCOMPARE(form_->Settings().text_arrange.text_font, std::string());
    QVERIFY(recorder_.Texts().empty());

    TOtherOwner other;
    TTextArrangeForm stray(other);
    QVERIFY(!stray.Button("TextCapButton")->isEnabled());
    QVERIFY(!stray.Button("TextCapAddButton")->isEnabled());
    stray.close();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"予定外の呼び出しです。"});
  }

  void TypedEntriesOfTheDesign() {
    TTextArrangeForm& dialog = Open();
    const std::string xy = "-4000から4000までの整数を入力してください。";
    const std::string alpha = "0から255までの整数を入力してください。";
    const struct {
      QComboBox* box;
      const char* typed;
      const char* shown;
      std::string message;
    } cases[] = {
        {dialog.XComboBox(), "rr", "  RR", ""},
        {dialog.XComboBox(), "5000", " 4000", xy},
        {dialog.XComboBox(), "abc", "  LL", xy},
        {dialog.YComboBox(), "-12", " -12", ""},
        {dialog.TransParentComboBox(), "#300", " #255", alpha},
        {dialog.TransParentComboBox(), "0", " 透過", ""},
        {dialog.RotationComboBox(), "12.34", " 12.3", ""},
        {dialog.RotationComboBox(), "370", " 10.0", ""},
        {dialog.RotationComboBox(), "abc", "  0.0", "回転角(0.1度単位)を指定してください。"},
    };
    for (const auto& c : cases) {
      recorder_.Clear();
      Type(c.box, c.typed);
      const bool accepted = c.box == dialog.XComboBox()          ? dialog.XComboBoxExit()
                            : c.box == dialog.YComboBox()        ? dialog.YComboBoxExit()
                            : c.box == dialog.RotationComboBox() ? dialog.RotationComboBoxExit()
                                                                 : dialog.TransParentComboBoxExit();
      QCOMPARE(c.box->currentText(), QString::fromUtf8(c.shown));
      QCOMPARE(accepted, c.message.empty());
      if (c.message.empty()) {
        QVERIFY(recorder_.Texts().empty());
      } else {
        QCOMPARE(recorder_.Texts(), std::vector<std::string>{c.message});
        QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
      }
    }
    // A typed item reads as that item.
    QCOMPARE(dialog.XComboBox()->currentIndex(), 0);
    Type(dialog.XComboBox(), "rr");
    dialog.XComboBoxExit();
    QCOMPARE(dialog.XComboBox()->currentIndex(), 4);

    // Leaving the box by focus runs the same rule, and a refused entry keeps the focus.
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    recorder_.Clear();
    dialog.YComboBox()->setFocus();
    Type(dialog.YComboBox(), "9999");
    dialog.Button("ExecuteButton")->setFocus(Qt::TabFocusReason);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{xy});
    QCOMPARE(dialog.YComboBox()->currentText(), QString(" 4000"));
    QVERIFY(dialog.YComboBox()->hasFocus());
    QTRY_COMPARE(dialog.YComboBox()->lineEdit()->selectedText(), QString(" 4000"));
    Type(dialog.YComboBox(), "b");
    QTest::keyClick(dialog.YComboBox(), Qt::Key_Return);
    QCOMPARE(dialog.YComboBox()->currentText(), QString("   B"));
    QCOMPARE(dialog.YComboBox()->count(), 5);
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
  }

  void ParameterTextOfTheControls() {
    TTextArrangeForm& dialog = Open();
    Type(dialog.XComboBox(), "nonsense");  // left without an exit
    Type(dialog.TransParentComboBox(), "#300");
    dialog.TransParentComboBoxExit();
    Type(dialog.RotationComboBox(), "45");
    dialog.RotationComboBoxExit();
    dialog.ControlCheckBox()->setChecked(true);
    dialog.TextMemo()->setPlainText("a,b/c\nd");
    QCOMPARE(dialog.ParameterText(),
             std::string("0,C,IPAGothic,0,9,0,a(@COM)b(@SLA)c(@CRLF)d,-255,16777215,16777215,"
                         "450,1"));
    QCOMPARE(dialog.XComboBox()->currentText(), QString("  0"));
  }

  void ExecuteDrawsWhatTheEngineDraws() {
    ShowFromFileList();
    const TBitmap24 before = View().Working();
    TTextArrangeForm& dialog = Open();
    dialog.TextMemo()->setPlainText("Velmora\n文字");
    dialog.XComboBox()->setCurrentIndex(1);  // L
    Type(dialog.YComboBox(), "30");
    dialog.YComboBoxExit();
    dialog.TransParentComboBox()->setCurrentIndex(0);  // opaque
    const std::string parameters = dialog.ParameterText();
    int left = -1, top = -1;
    const TBitmap24 expected = Drawn(before, parameters, left, top);
    QVERIFY(!expected.Empty() && !expected.SamePixels(before));
    View().PicturePosExecute(7);
    dialog.Button("ExecuteButton")->click();
    QVERIFY(View().Working().SamePixels(expected));
    // Laid out in the centre this once; the chosen position stays.
    const TViewerGeometry& place = View().Geometry();
    QCOMPARE(place.Left(), (place.AreaWidth() - place.DisplayWidth()) / 2);
    QCOMPARE(place.Top(), (place.AreaHeight() - place.DisplayHeight()) / 2);
    QCOMPARE(place.position, 7);
    QCOMPARE(dialog.windowTitle(), QString("(%1, %2)").arg(left).arg(top));
    QCOMPARE(left, 0);
    QCOMPARE(top, 30);
    // The drawing by hand can be undone.
    View().UndoPictureExecute();
    QVERIFY(View().Working().SamePixels(before));

    // A drawing that cannot be made says so and puts the caption back.
    recorder_.Clear();
    dialog.ControlCheckBox()->setChecked(true);
    dialog.XComboBox()->setCurrentIndex(4);  // RR does not fit a kept size
    dialog.ExecuteButtonClick();
    QCOMPARE(dialog.windowTitle(), QString("TextArrangeDialog"));
    QCOMPARE(recorder_.Texts().back(), std::string("Execute_TextArrange (例外1)"));
    QVERIFY(View().Working().SamePixels(before));
  }

  void AutomaticStepAndCaptureCarryTheText() {
    TTextArrangeForm& dialog = Open();
    dialog.TextMemo()->setPlainText("x");
    dialog.AlwaysShowFileNameCheckBox()->setChecked(true);
    dialog.AutoEffectCheckBox()->setChecked(true);
    ShowFromFileList();
    QCOMPARE(dialog.TextMemo()->toPlainText(), QString("a.bmp"));
    TBitmap24 plain;
    QVERIFY(LoadPictureFile(plain, picture_, form_->Loader()));
    int left = 0, top = 0;
    const std::string parameters = dialog.ParameterText();
    QVERIFY(!View().Working().SamePixels(plain));
    QVERIFY(View().Working().SamePixels(Drawn(plain, parameters, left, top)));
    QCOMPARE(dialog.windowTitle(), QString("(%1, %2)").arg(left).arg(top));
    form_->Capture().CaptureDataCaptureExecute();
    QCOMPARE(form_->DataFilePathList().size(), std::size_t{1});
    QVERIFY(form_->DataFilePathList()[0].ends_with("/Txt" + parameters));
    QVERIFY(recorder_.Texts().empty());
  }

  void ABareTextEntryOfARecordTakesTheWindowsText() {
    ShowFromFileList();
    form_->Capture().CaptureDataCaptureExecute();
    QVERIFY(form_->Capture().ShowRecord(0));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    const TBitmap24 cut = View().Working();
    const std::string line = form_->DataFilePathList()[0] + "/Txt";
    std::string message;
    QVERIFY(form_->RightList().CapData().Set(0, line, &message));
    form_->RightList().Refresh(0);
    TTextArrangeForm& dialog = Open();
    dialog.TextMemo()->setPlainText("rec");
    QVERIFY(form_->Capture().ShowRecord(0));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    int left = 0, top = 0;
    const TBitmap24 expected = Drawn(cut, dialog.ParameterText(), left, top);
    QVERIFY(!expected.Empty() && !expected.SamePixels(cut));
    QVERIFY(View().Working().SamePixels(expected));
    QVERIFY(recorder_.Texts().empty());
  }

  void FileDataItemsReadTheSelection() {
    ShowFromFileList();
    TTextArrangeForm& dialog = Open();
    dialog.MenuItem("GetPath1")->trigger();
    QCOMPARE(dialog.TextMemo()->toPlainText().toStdString(), picture_);
    dialog.MenuItem("FileNameWithoutExtName1")->trigger();
    QCOMPARE(dialog.TextMemo()->toPlainText(), QString("a"));
    dialog.MenuItem("FileNameWithSpace1")->trigger();
    QCOMPARE(dialog.TextMemo()->toPlainText(), QString(" a "));

    // With a cap data selected, the picture of that cap data.
    form_->Capture().CaptureDataCaptureExecute();
    form_->FileNameListBox()->setCurrentRow(1);
    QTRY_VERIFY_WITH_TIMEOUT(View().ShownPath() != picture_ && !View().Processing(), 10000);
    QVERIFY(form_->Capture().ShowRecord(0));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    form_->DataFileNameListBox()->setCurrentRow(0);
    dialog.MenuItem("FileNameWithSpace1")->trigger();
    dialog.MenuItem("GetPath1")->trigger();
    QCOMPARE(dialog.TextMemo()->toPlainText().toStdString(),
             picture_.substr(0, picture_.size() - 4));
    dialog.MenuItem("GetFileName1")->trigger();
    QCOMPARE(dialog.TextMemo()->toPlainText(), QString("a"));
    recorder_.Clear();
    dialog.TextCapButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"キャプデータは追加のみ可能です。"});
  }

  void SettingsSurviveClosingAndARestart() {
    TTextArrangeForm& dialog = Open();
    TFontSpec arial;
    arial.family = "Arial";
    arial.size = 12;
    arial.bold = arial.italic = true;
    recorder_.AnswerFont(arial);
    dialog.FontButtonClick();
    WhenModal<TSetColorForm>([](TSetColorForm& colour) {
      colour.SetRgb({255, 0, 0});
      colour.AddButtonClick();
      colour.accept();
    });
    dialog.MenuItem("SetFontColor1")->trigger();
    QCOMPARE(form_->Data().color_records, std::vector<std::string>{"   255,000,000"});
    WhenModal<TSetColorForm>([](TSetColorForm& colour) {
      colour.SetRgb({0, 0, 255});
      colour.accept();
    });
    dialog.MenuItem("SetSpaceBackColor1")->trigger();
    QCOMPARE(dialog.SpacePanel()->palette().color(QPalette::Window), QColor(0, 0, 255));
    Type(dialog.TransParentComboBox(), "#300");
    dialog.TransParentComboBoxExit();
    dialog.RotationComboBox()->setCurrentIndex(2);  // 45
    dialog.ControlCheckBox()->setChecked(true);
    dialog.MenuItem("FileNameWithoutExtName1")->trigger();
    dialog.MenuItem("NotChangeViewTextFont1")->trigger();
    TFontSpec view = arial;
    view.size = 20;
    recorder_.AnswerFont(view);
    dialog.MenuItem("SetViewTextFont1")->trigger();
    QCOMPARE(dialog.TextMemo()->font().pixelSize(), FontPixelSize(20));
    QCOMPARE(dialog.Font().size, 12);

    ShowAction()->trigger();
    const TTextArrangeSettings& texts = form_->Settings().text_arrange;
    QCOMPARE(texts.text_font, std::string("Arial,11,12,255"));
    QCOMPARE(texts.text_options, std::string("-255,16777215,16711680,450,1"));
    QCOMPARE(texts.base_data, std::string("1,0,20,1"));

    form_->close();
    form_ = std::make_unique<TMainForm>(Options(*dir_));
    TTextArrangeForm& again = Open();
    QVERIFY(again.Font().bold && again.Font().italic && !again.Font().underline);
    QCOMPARE(again.FontColor(), TColor{255});
    QCOMPARE(again.TransParentComboBox()->currentText(), QString(" #255"));
    QCOMPARE(again.RotationComboBox()->currentIndex(), 2);
    QVERIFY(again.ControlCheckBox()->isChecked());
    QVERIFY(again.MenuItem("FileNameWithoutExtName1")->isChecked());
    QVERIFY(!again.MenuItem("FileNameWithSpace1")->isChecked());
    QVERIFY(again.MenuItem("NotChangeViewTextFont1")->isChecked());
    QCOMPARE(again.TextMemo()->font().pixelSize(), FontPixelSize(20));
    QCOMPARE(again.SpaceBackColor(), TColor{0xFF0000});
    // Leaving the fixed view shows the real size.
    again.MenuItem("NotChangeViewTextFont1")->trigger();
    QCOMPARE(again.TextMemo()->font().pixelSize(), FontPixelSize(12));
  }

  void StoredTextsOfOtherOriginsAreKeptAndRead() {
    TTextArrangeSettings& stored = form_->Settings().text_arrange;
    stored = {"ＭＳ ゴシック,9", "1,2,3", "0,0,9,0,extra"};
    Open();
    ShowAction()->trigger();
    QCOMPARE(stored.text_font, std::string("ＭＳ ゴシック,9"));
    QCOMPARE(stored.text_options, std::string("1,2,3"));
    QCOMPARE(stored.base_data, std::string("0,0,9,0,extra"));

    // A font of another system, a system colour and stored digits as written there.
    stored = {"ＭＳ ゴシック,0,24,-16777208", "01,-16777211,16777215,0,0", "0,0,9,0"};
    ShowFromFileList();
    TTextArrangeForm& dialog = Open();
    QCOMPARE(dialog.Font().name, std::string("ＭＳ ゴシック"));
    QCOMPARE(dialog.FontColor(), kBlack);
    QCOMPARE(dialog.TextBackColor(), kWhite);
    dialog.TextMemo()->setPlainText("日本語");
    const std::string parameters = dialog.ParameterText();
    QVERIFY(parameters.starts_with("C,C,ＭＳ ゴシック,0,24,0,日本語,1,16777215,"));
    int left = 0, top = 0;
    const TBitmap24 expected = Drawn(View().Working(), parameters, left, top);
    dialog.ExecuteButtonClick();
    QVERIFY(!expected.Empty());
    QVERIFY(View().Working().SamePixels(expected));
    ShowAction()->trigger();
    QCOMPARE(stored.text_font, std::string("ＭＳ ゴシック,0,24,-16777208"));
    QCOMPARE(stored.text_options, std::string("01,-16777211,16777215,0,0"));
  }

  void HugeTextsDoNotBreakAnything() {
    ShowFromFileList();
    TTextArrangeForm& dialog = Open();
    std::string huge;
    for (int i = 0; huge.size() < 100 * 1024; ++i) huge += "行" + std::to_string(i) + ",/\n";
    dialog.TextMemo()->setPlainText(QString::fromStdString(huge));
    const std::string parameters = dialog.ParameterText();
    QVERIFY(parameters.size() > huge.size());
    dialog.ExecuteButtonClick();
    QCOMPARE(dialog.windowTitle(), QString("TextArrangeDialog"));
    QVERIFY(View().HasPicture());
    dialog.XComboBox()->setCurrentIndex(0);
    dialog.TextMemo()->setPlainText(QString(100 * 1024, QChar('W')));
    dialog.ExecuteButtonClick();
    QCOMPARE(dialog.windowTitle(), QString("TextArrangeDialog"));
  }

  void PasteOnlyWithTextOnTheClipboard() {
    TTextArrangeForm& dialog = Open();
    QGuiApplication::clipboard()->setText("pasted");
    dialog.EditMenuOpening();
    QVERIFY(dialog.MenuItem("Paste1")->isEnabled());
    dialog.MenuItem("Paste1")->trigger();
    QCOMPARE(dialog.TextMemo()->toPlainText(), QString("pasted"));
    QGuiApplication::clipboard()->clear();
    dialog.EditMenuOpening();
    QVERIFY(!dialog.MenuItem("Paste1")->isEnabled());
  }
};

QTEST_MAIN(TTextArrangeTest)
#include "tst_TextArrange.moc"
