// The batch save dialog and the main window's "一括リサイズ保存(&T)": options and their coupling,
// the number boxes, the save methods with their questions, and the options taken back.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "app/BatchSaveCommand.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "browse/SavePictureList.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/ImageBasics.h"
#include "model/Settings.h"
#include "platform/PathText.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"
#include "widgets/SetColorDialog.h"

namespace {

// Runs body on the modal dialog of type T once the event loop runs again.
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

const PathText& Native() {
  static const PathText paths = PathText::Native();
  return paths;
}

}  // namespace

class TSavePictureListTest : public TWindowTest {
  Q_OBJECT

 private:
  std::unique_ptr<TSavePictureListForm> MakeDialog(const std::vector<std::string>& lines) {
    TSavePictureListForm::TContext context;
    context.paths = &Native();
    context.loader = &loader_;
    context.program_folder = dir_->Path().string();
    context.color_records = &records_;
    context.palette_show = &palette_;
    auto dialog = std::make_unique<TSavePictureListForm>(context);
    dialog->SetSourceList(lines);
    return dialog;
  }
  std::vector<std::string> Pictures(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
      lines.push_back(dir_->File(std::string{'p', static_cast<char>('0' + i), '.', 'j', 'p', 'g'}));
      SavePictureFile(PatternBitmap(60, 40), lines.back(), true, 90);
    }
    return lines;
  }
  void Method(TSavePictureListForm& dialog, int method) {
    dialog.SaveMethodRadioGroup()->button(method)->click();
  }

  TPictureLoader loader_;
  std::vector<std::string> records_{"   010,020,030"};
  bool palette_ = false;

 private slots:
  void init() { BeginCase(); }
  void cleanup() { EndCase(); }

  void OptionsCoupleAsTheChecksSay() {
    auto dialog = MakeDialog({});
    QCOMPARE(dialog->windowTitle(), QString("  SavePictureListDialog"));
    QVERIFY(!dialog->Button("AbortButton")->isVisibleTo(dialog.get()));
    const struct {
      const char* check;
      const char* dependent;
    } pairs[] = {{"WithEdgeCheckBox", "EdgeSizeComboBox"},
                 {"WithEdgeCheckBox", "SetEdgeColorButton"},
                 {"WithEdgeCheckBox", "EdgeSurroundPictureCheckBox"},
                 {"WithBackColorCheckBox", "SetBackColorButton"},
                 {"DoRectifyCheckBox", "RectifyTypeComboBox"}};
    for (const auto& p : pairs) {
      QWidget* dependent = dialog->findChild<QWidget*>(p.dependent);
      dialog->CheckBox(p.check)->setChecked(true);
      QVERIFY2(dependent->isEnabled(), p.dependent);
      dialog->CheckBox(p.check)->setChecked(false);
      QVERIFY2(!dependent->isEnabled(), p.dependent);
    }
    QVERIFY(!dialog->findChild<QLabel*>("PixelLabel")->isEnabled());
    for (int method : {0, 1, 2, 3, 4}) {
      Method(*dialog, method);
      QCOMPARE(dialog->CheckBox("NotChangeExtNameCheckBox")->isEnabled(), method < 2);
    }
    // A size group the caller disabled keeps the surround box grey.
    dialog->Group("PictureSizeGroupBox")->setEnabled(false);
    dialog->CheckBox("WithEdgeCheckBox")->setChecked(true);
    QVERIFY(!dialog->CheckBox("EdgeSurroundPictureCheckBox")->isEnabled());
  }

  void NumberBoxesRefuseWhatIsNotAWholeNumberInRange() {
    auto dialog = MakeDialog({});
    const struct {
      const char* box;
      const char* typed;
      bool accepted;
      const char* shown;
    } cases[] = {{"PictureWidthComboBox", "640", true, "640"},
                 {"PictureWidthComboBox", "0", false, " 640"},
                 {"PictureHeightComboBox", "32768", false, " 400"},
                 {"PictureHeightComboBox", " 32767 ", true, " 32767 "},
                 {"EdgeSizeComboBox", "2.5", false, " 001"},
                 {"JPGQualityComboBox", "101", false, " 090"},
                 {"JPGQualityComboBox", "100", true, "100"}};
    for (const auto& c : cases) {
      recorder_.Clear();
      QComboBox* box = dialog->ComboBox(c.box);
      box->setCurrentText(c.typed);
      QCOMPARE(dialog->NumberBoxExit(box), c.accepted);
      QCOMPARE(box->currentText(), QString(c.shown));
      QCOMPARE(recorder_.Texts(), c.accepted
                                      ? std::vector<std::string>{}
                                      : std::vector<std::string>{"正の整数を入力してください。"});
    }
    TEffectSettings taken;
    dialog->TakeOptions(taken);
    QCOMPARE(taken.resize_width, 640);
    QCOMPARE(taken.resize_height, 32767);
    QCOMPARE(taken.jpeg_save_quality, 100);
  }

  void EnterMovesOnInTheDesignedOrder() {
    auto dialog = MakeDialog({});
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const struct {
      const char* from;
      const char* to;
    } steps[] = {{"PictureWidthComboBox", "PictureHeightComboBox"},
                 {"PictureHeightComboBox", "WithEdgeCheckBox"},
                 {"JPGQualityComboBox", "DoRectifyCheckBox"}};
    for (const auto& s : steps) {
      QComboBox* box = dialog->ComboBox(s.from);
      box->setFocus();
      QTRY_VERIFY(box->hasFocus() || box->lineEdit()->hasFocus());
      QTest::keyClick(box->lineEdit(), Qt::Key_Return);
      QTRY_VERIFY2(dialog->findChild<QWidget*>(s.to)->hasFocus(), s.to);
    }
  }

  void ColoursComeFromTheSharedColourDialog() {
    auto dialog = MakeDialog({});
    dialog->CheckBox("WithEdgeCheckBox")->setChecked(true);
    WhenModal<TSetColorForm>([](TSetColorForm& colour) {
      QCOMPARE(colour.ColorComboBox()->count(), 1);
      colour.SetRgb(TRgb{255, 0, 0});
      colour.accept();
    });
    dialog->SetEdgeColorButtonClick();
    TEffectSettings taken;
    dialog->TakeOptions(taken);
    QCOMPARE(taken.edge_color, TColor{0x0000FF});
  }

  void SerialSaveNamesFromTheChosenNameAndReportsTheCount() {
    const std::vector<std::string> lines = Pictures(3);
    auto dialog = MakeDialog(lines);
    std::filesystem::create_directory(dir_->File("out"));
    recorder_.AnswerFiles({dir_->File("out/photo08")});
    recorder_.AnswerFilter(2);
    dialog->SaveButtonClick();
    for (const char* name : {"photo08.jpg", "photo09.jpg", "photo10.jpg"})
      QVERIFY2(std::filesystem::exists(dir_->File(std::string("out/") + name)), name);
    QCOMPARE(recorder_.Entries().front().value, dir_->Path().string());
    QCOMPARE(recorder_.Entries().front().flags, 2);  // "p0" is offered as a JPEG
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"0個のファイルは保存できませんでした。"});
    QCOMPARE(dialog->SaveFolder(), dir_->File("out"));
    QVERIFY(!dialog->Button("AbortButton")->isVisibleTo(dialog.get()));
    QVERIFY(dialog->Button("SaveButton")->isEnabled());
  }

  void OverwriteAsksFirstAndIsRefusedForCapData() {
    const std::vector<std::string> lines = Pictures(1);
    const std::string before = ReadWholeFile(lines[0]);
    auto dialog = MakeDialog(lines);
    Method(*dialog, 2);
    recorder_.AnswerMessage(mb::kIdNo);
    dialog->SaveButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"上書きして保存します。"});
    QCOMPARE(ReadWholeFile(lines[0]), before);

    recorder_.Clear();
    auto records = MakeDialog({Native().EncodeRecordPath(lines[0]) + "/0/0/10/10"});
    records->SetFileData(false);
    Method(*records, 2);
    records->SaveButtonClick();
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"キャプデータピクチャーの上書き保存はできません。"});
    QCOMPARE(recorder_.Entries().size(), std::size_t{1});
  }

  void AMissingSourceAndAnUnreadableLineAreCountedAsNotSaved() {
    std::vector<std::string> lines = Pictures(2);
    lines.insert(lines.begin() + 1, dir_->File("gone.jpg"));
    lines.push_back("not a picture line");
    auto dialog = MakeDialog(lines);
    Method(*dialog, 4);
    dialog->SaveButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"2個のファイルは保存できませんでした。"});
    QVERIFY(std::filesystem::exists(dir_->File("p0_01.jpg")));
    QVERIFY(std::filesystem::exists(dir_->File("p1_01.jpg")));
  }

  void TheMainWindowsCommandHandsTheOptionsOverAndTakesThemBackOnExit() {
    StartForm();
    auto* command = form_->findChild<TBatchSaveCommand*>();
    QVERIFY(command);
    QCOMPARE(command->Action()->text(), QString("一括リサイズ保存(&T)"));
    command->FileAllReSizeSaveExecute();
    QCOMPARE(recorder_.Entries().back().caption, std::string("ファイルデータ"));
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"保存するデータがありません。"});

    Pictures(2);
    form_->OpenFolder(dir_->Path().string());
    QTRY_VERIFY(form_->FilePathList().size() == 2);
    form_->Settings().effect.resize_width = 640;
    for (int result : {0, TSavePictureListForm::kExitResult}) {
      bool busy = false;
      command->SetDialogRunner([&](TSavePictureListForm& dialog) {
        busy = form_->ImageController().Busy();
        [&] {
          QCOMPARE(dialog.windowTitle(), QString("　ピクチャーの一括保存"));
          QCOMPARE(dialog.ComboBox("PictureWidthComboBox")->currentText(), QString(" 640"));
        }();
        dialog.ComboBox("PictureWidthComboBox")->setCurrentText("320");
        dialog.NumberBoxExit(dialog.ComboBox("PictureWidthComboBox"));
        return result;
      });
      command->FileAllReSizeSaveExecute();
      QVERIFY(busy);
      QVERIFY(!form_->ImageController().Busy());
      QCOMPARE(form_->Settings().effect.resize_width, result == 0 ? 640 : 320);
      form_->Settings().effect.resize_width = 640;
    }
  }
};

QTEST_MAIN(TSavePictureListTest)
#include "tst_SavePictureList.moc"
