// The free filter tool window of the main window: its kernel boxes, presets and colour entry,
// runs that equal the engine's result, captures with its entry, and its records across a restart.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/MainFrm.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "effects/ImageFreeFilterForm.h"
#include "engine/ImageBasics.h"
#include "engine/ImageFilterSimple.h"
#include "engine/KernelGenerators.h"
#include "model/ProgramData.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

namespace {

constexpr const char* kInitialText = "Std,  3, 1,1,1,1,1,1,1,1,1, 0,0";
constexpr const char* kCellMessage = "-999以上999以下の整数を入力してください。";
constexpr const char* kDirectionMessage = "検索方向の取得に失敗しました。";

// An owner that only records what the dialog asks of it.
class TFakeOwner : public TEffectOwner {
 public:
  explicit TFakeOwner(TKind kind) : kind_(kind) {}
  TKind Kind() const override { return kind_; }
  QWidget* Window() const override { return nullptr; }
  bool StartRotation(const std::string&) override { return false; }
  bool StartRGBArrange(const std::string&) override { return false; }
  bool StartFreeFilter(const std::string& parameter_text) override {
    runs.push_back(parameter_text);
    return true;
  }
  void Renew() override { runs.push_back("Renew"); }
  std::vector<std::string>* FilterRecords() override { return &records; }
  void ToggleDialog(const std::string& show_action) override { runs.push_back(show_action); }
  std::vector<std::string> runs;
  std::vector<std::string> records;

 private:
  TKind kind_;
};

std::vector<std::string> CellTexts(const TImageFreeFilter& dialog) {
  std::vector<std::string> texts;
  for (int i = 0; i < dialog.CellCount(); ++i)
    texts.push_back(dialog.Cell(i)->text().toStdString());
  return texts;
}

}  // namespace

class TFreeFilterTest : public TWindowTest {
  Q_OBJECT

 private:
  std::string picture_;

  TPictureView& View() { return form_->PictureView(); }
  TMainEffectDialogs& Host() { return *form_->findChild<TMainEffectDialogs*>(); }
  QAction* ShowAction() { return form_->EditCommands().Action(TImageFreeFilter::kShowAction); }
  TImageFreeFilter& Open() {
    ShowAction()->trigger();
    return *Host().FreeFilterDialog();
  }
  void Close() {
    ShowAction()->trigger();
    QVERIFY(Host().FreeFilterDialog() == nullptr);
  }
  void ShowPicture() {
    TShownFrom from;
    from.name = "a.bmp";
    from.index = from.count = 1;
    QVERIFY(View().ShowPictureFile(picture_, from));
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
  }
  void Restart() {
    form_->close();
    form_.reset();
    StartForm();
  }
  void ActivateCell(TImageFreeFilter& dialog, int index) {
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.Cell(index)->setFocus();
    QVERIFY(dialog.Cell(index)->hasFocus());
  }

 private slots:
  void init() {
    BeginCase();
    picture_ = dir_->File("a.bmp");
    SavePictureFile(PatternBitmap(120, 90), picture_, true, 100);
    StartForm();
  }
  void cleanup() { EndCase(); }

  void OpensWithTheInitialKernel() {
    TImageFreeFilter& dialog = Open();
    QVERIFY(ShowAction()->isChecked());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowTitle(), QString("FreeFilterDialog"));
    QVERIFY(dialog.windowFlags() & Qt::Tool);
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(dialog.parentWidget(), form_.get());
    QCOMPARE(CellTexts(dialog), std::vector<std::string>(9, "   1"));
    QCOMPARE(dialog.BoundComboBox()->currentText(), QString(" 003"));
    QCOMPARE(dialog.BoundComboBox()->count(), 10);
    QCOMPARE(dialog.CalTypeComboBox()->currentText(), QString("標準型"));
    QCOMPARE(dialog.SetColorComboBox()->currentText(), QString(" 000"));
    QCOMPARE(dialog.ParameterText(), std::string(kInitialText));
    // The first size is the smallest; the window can grow.
    QVERIFY(dialog.width() >= 250);
    QCOMPARE(dialog.minimumSize(), dialog.size());
    QVERIFY(dialog.maximumWidth() > dialog.width());
    // The popup shows only the presets, "すべて1" checked.
    QVERIFY(dialog.PresetAction(TKernelPreset::kAllOnes)->isChecked());
    for (const char* hidden : {"ReplaceLastCapData1", "ReplaceSameKindCapData1", "SelfHide1"})
      QVERIFY(!dialog.PopupMenu()->findChild<QAction*>(hidden)->isVisible());
    int visible = 0;
    for (QAction* action : dialog.PopupMenu()->actions()) visible += action->isVisible();
    QCOMPARE(visible, 6);
    // A close request on the window is the owner's toggle command.
    dialog.close();
    QVERIFY(!ShowAction()->isChecked());
    QVERIFY(Host().FreeFilterDialog() == nullptr);
    QVERIFY(recorder_.Texts().empty());
  }

  void KernelCellsTakeValuesFromMinus999To999() {
    TImageFreeFilter& dialog = Open();
    QLineEdit* cell = dialog.Cell(4);
    for (const char* bad : {"1000", "-1000", "abc", "", "1.5"}) {
      recorder_.Clear();
      cell->setText(bad);
      QVERIFY(!dialog.KernelEditExit(4));
      QCOMPARE(recorder_.Texts(), std::vector<std::string>{kCellMessage});
      QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
      QCOMPARE(cell->text(), QString("  1"));
      QCOMPARE(dialog.Kernel().values[4], 1);
    }
    recorder_.Clear();
    cell->setText("-999");
    QVERIFY(dialog.KernelEditExit(4));
    QCOMPARE(cell->text(), QString(" -999"));
    QCOMPARE(dialog.ParameterText(), std::string("Std,  3, 1,1,1,1,-999,1,1,1,1, 0,0"));
    // A cell still holding what it would refuse gives no text to run or register.
    dialog.Cell(0)->setText("x");
    QCOMPARE(dialog.ParameterText(), std::string());
    dialog.RecordButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"RecordButtonClick Error"});
    QCOMPARE(dialog.RecordListBox()->count(), 0);
    recorder_.Clear();
    QVERIFY(!dialog.KernelEditExit(9));
    dialog.KernelEditEnter(-1);
    QCOMPARE(recorder_.Texts(),
             (std::vector<std::string>{"Kernel_EditExit Error", "Kernel_EditKeyDown Error"}));
    // Negating keeps the size.
    dialog.Cell(0)->setText("2");
    QVERIFY(dialog.KernelEditExit(0));
    dialog.ValueReverseButtonClick();
    QCOMPARE(dialog.ParameterText(), std::string("Std,  3, -2,-1,-1,-1,999,-1,-1,-1,-1, 0,0"));
    QCOMPARE(dialog.Cell(4)->text(), QString(" 999"));
  }

  void LeavingACellChecksItAndEnterMovesOn() {
    TImageFreeFilter& dialog = Open();
    ActivateCell(dialog, 1);
    dialog.Cell(1)->setText("1000");
    dialog.Cell(2)->setFocus(Qt::TabFocusReason);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{kCellMessage});
    QVERIFY(dialog.Cell(1)->hasFocus());
    QCOMPARE(dialog.Cell(1)->text(), QString("  1"));
    QCOMPARE(dialog.Cell(1)->selectedText(), QString(" 1"));
    // Enter stores the value and moves along the row, then to the next row.
    dialog.Cell(1)->setText("7");
    QTest::keyClick(dialog.Cell(1), Qt::Key_Return);
    QVERIFY(dialog.Cell(2)->hasFocus());
    QTest::keyClick(dialog.Cell(2), Qt::Key_Enter);
    QVERIFY(dialog.Cell(3)->hasFocus());
    QCOMPARE(dialog.Cell(3)->selectedText(), dialog.Cell(3)->text());
    QCOMPARE(dialog.Kernel().values[1], 7);
    // From the last cell to the top-left one.
    ActivateCell(dialog, 8);
    dialog.Cell(8)->setText("-3");
    QTest::keyClick(dialog.Cell(8), Qt::Key_Return);
    QVERIFY(dialog.Cell(0)->hasFocus());
    QCOMPARE(dialog.Cell(0)->selectedText(), dialog.Cell(0)->text());
    QCOMPARE(dialog.ParameterText(), std::string("Std,  3, 1,7,1,1,1,1,1,1,-3, 0,0"));
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
  }

  void PresetsAskForTheScanDirection() {
    TImageFreeFilter& dialog = Open();
    recorder_.AnswerInput("9");
    dialog.PresetAction(TKernelPreset::kEmboss)->trigger();
    QCOMPARE(recorder_.Entries().size(), std::size_t{1});
    const auto& asked = recorder_.Entries()[0];
    QCOMPARE(asked.kind, TRecordingDialogService::Kind::InputQuery);
    QCOMPARE(asked.caption, std::string("走査方向の指定"));
    QCOMPARE(asked.text, std::string("走査方向を指定してください(テンキーの方向)。"));
    QCOMPARE(asked.value, std::string("3"));
    QCOMPARE(dialog.Direction(), 9);
    QCOMPARE(KernelText(dialog.Kernel()), LineKernelText(3, 9));
    QVERIFY(dialog.PresetAction(TKernelPreset::kEmboss)->isChecked());
    QVERIFY(!dialog.PresetAction(TKernelPreset::kAllOnes)->isChecked());
    // The next question offers the last direction; 5 and nothing are no direction.
    const TFreeKernel embossed = dialog.Kernel();
    for (const char* bad : {"5", ""}) {
      recorder_.Clear();
      recorder_.AnswerInput(bad);
      dialog.PresetAction(TKernelPreset::kEdge)->trigger();
      QCOMPARE(recorder_.Entries()[0].value, std::string("9"));
      QCOMPARE(recorder_.Texts(), std::vector<std::string>{kDirectionMessage});
      QCOMPARE(recorder_.Entries()[1].caption, std::string("  確認"));
      QCOMPARE(dialog.Kernel(), embossed);
      QCOMPARE(dialog.Direction(), 9);
    }
    // A cancelled question keeps the direction it offered.
    recorder_.Clear();
    recorder_.CancelInput();
    dialog.PresetAction(TKernelPreset::kEdge)->trigger();
    QCOMPARE(KernelText(dialog.Kernel()), ReliefKernelText(3, 9, false, true));
    QVERIFY(recorder_.Texts().empty());
    // A size change rebuilds the boxes with the checked preset.
    dialog.BoundComboBox()->setCurrentIndex(2);
    dialog.BoundComboBoxChange();
    QCOMPARE(dialog.CellCount(), 49);
    QCOMPARE(KernelText(dialog.Kernel()), ReliefKernelText(7, 9, false, true));
    QCOMPARE(CellTexts(dialog)[0], KernelCellGridText(dialog.Kernel().values[0]));
    dialog.PresetAction(TKernelPreset::kEdgeAll)->trigger();
    QCOMPARE(KernelText(dialog.Kernel()), SharpenKernelText(7, false, true, false));
    dialog.PresetAction(TKernelPreset::kDistance)->trigger();
    QCOMPARE(KernelText(dialog.Kernel()), SmoothKernelText(7, false, false));
    dialog.BoundComboBox()->setCurrentIndex(9);
    dialog.BoundComboBoxChange();
    QCOMPARE(dialog.CellCount(), 441);
    QCOMPARE(dialog.KernelScrollBox()->widget()->width(), 21 * 36 - 1);
    QVERIFY(recorder_.Texts().empty());
  }

  void ColourEntryIsHeldWithinAByte() {
    TImageFreeFilter& dialog = Open();
    dialog.CalTypeComboBox()->setCurrentIndex(2);
    const struct {
      const char* typed;
      const char* shown;
      bool message;
    } cases[] = {
        {"64", " 64", false}, {"300", " 255", true}, {"-3", " 0", true}, {"abc", " 128", true}};
    for (const auto& c : cases) {
      recorder_.Clear();
      dialog.SetColorComboBox()->setEditText(c.typed);
      QCOMPARE(dialog.SetColorComboBoxExit(), !c.message);
      QCOMPARE(dialog.SetColorComboBox()->currentText(), QString(c.shown));
      QCOMPARE(recorder_.Texts(),
               c.message ? std::vector<std::string>{"0から255までの整数を入力してください。"}
                         : std::vector<std::string>{});
    }
    QCOMPARE(dialog.ParameterText(), std::string("Emb,  3, 1,1,1,1,1,1,1,1,1, 0,128"));
    // Leaving the box or Enter checks it; after a message the box keeps the focus.
    recorder_.Clear();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QComboBox* color = dialog.SetColorComboBox();
    color->setFocus();
    color->setEditText("300");
    dialog.Cell(0)->setFocus(Qt::TabFocusReason);
    QVERIFY(color->hasFocus());
    QCOMPARE(color->currentText(), QString(" 255"));
    QCOMPARE(color->lineEdit()->selectedText(), QString(" 255"));
    color->setEditText("32");
    QTest::keyClick(color, Qt::Key_Return);
    QCOMPARE(color->currentText(), QString(" 32"));
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
    dialog.GrayCheckBox()->setChecked(true);
    dialog.CalTypeComboBox()->setCurrentIndex(1);
    QCOMPARE(dialog.ParameterText(), std::string("UnS,  3, 1,1,1,1,1,1,1,1,1, 1,0"));
  }

  void RecordsLoadRegisterAndDelete() {
    std::string big = "Std,  23";
    for (int i = 0; i < 529; ++i) big += ", 1";
    big += ", 0,0";
    const std::string unsharp5 = "UnS,  5, 2,2,2,2,2,2,2,2,2,2,2,2,9,2,2,2,2,2,2,2,2,2,2,2,2, 0,0";
    form_->Data().filter_records = {"+Em,  3, 0,0,0,0,1,0,0,0,-1, 1,64", kInitialText, "RGB,0,1,2",
                                    unsharp5, big};
    TImageFreeFilter& dialog = Open();
    QListWidget* list = dialog.RecordListBox();
    // Grouped by kind; the unknown kind is not shown.
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(0)->text().toStdString(), std::string(kInitialText));
    QCOMPARE(list->item(1)->text().toStdString(), big);
    QVERIFY(list->item(2)->text().startsWith("UnS"));
    QVERIFY(list->item(3)->text().startsWith("+Em"));

    list->setCurrentRow(3);
    dialog.RecordListBoxClick(false);
    QCOMPARE(dialog.CalTypeComboBox()->currentText(), QString("+エンボス型"));
    QVERIFY(dialog.GrayCheckBox()->isChecked());
    QCOMPARE(dialog.SetColorComboBox()->currentText(), QString(" 64"));
    QCOMPARE(dialog.ParameterText(), std::string("+Em,  3, 0,0,0,0,1,0,0,0,-1, 1,64"));
    list->setCurrentRow(2);
    dialog.RecordListBoxClick(false);
    QCOMPARE(dialog.BoundComboBox()->currentText(), QString(" 005"));
    QCOMPARE(dialog.CellCount(), 25);
    QCOMPARE(dialog.Cell(12)->text(), QString("   9"));
    // The registered form of the initial state loads as that state.
    list->setCurrentRow(0);
    dialog.RecordListBoxClick(false);
    QCOMPARE(dialog.CalTypeComboBox()->currentText(), QString("標準型"));
    QCOMPARE(dialog.BoundComboBox()->currentText(), QString(" 003"));
    QCOMPARE(CellTexts(dialog), std::vector<std::string>(9, "   1"));
    QVERIFY(!dialog.GrayCheckBox()->isChecked());
    QCOMPARE(dialog.SetColorComboBox()->currentText(), QString(" 0"));
    QCOMPARE(dialog.ParameterText(), std::string(kInitialText));
    // Size 23 is not offered: nothing changes.
    dialog.Cell(0)->setText("5");
    QVERIFY(dialog.KernelEditExit(0));
    const TFreeKernel before = dialog.Kernel();
    list->setCurrentRow(1);
    dialog.RecordListBoxClick(false);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"FilterData Error(3)"});
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
    QCOMPARE(dialog.Kernel(), before);
    QCOMPARE(dialog.BoundComboBox()->currentText(), QString(" 003"));

    // Registering a text that is already a record selects it.
    recorder_.Clear();
    list->setCurrentRow(0);
    dialog.RecordListBoxClick(false);
    list->setCurrentRow(3);
    dialog.RecordButtonClick();
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{std::string(kInitialText) +
                                                         "\r\n\r\nは既に登録されています。"});
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認( Index= 1 )"));
    // A new text goes at the end; the owner keeps the records sorted, the unknown one too.
    dialog.CalTypeComboBox()->setCurrentIndex(1);
    dialog.RecordButtonClick();
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->item(4)->text(), QString("UnS,  3, 1,1,1,1,1,1,1,1,1, 0,0"));
    list->setCurrentRow(1);
    dialog.DeleteButtonClick();
    QCOMPARE(list->count(), 4);
    list->clearSelection();
    dialog.DeleteButtonClick();
    QCOMPARE(list->count(), 4);
    Close();
    QCOMPARE(form_->Data().filter_records,
             (std::vector<std::string>{"+Em,  3, 0,0,0,0,1,0,0,0,-1, 1,64", "RGB,0,1,2",
                                       kInitialText, "UnS,  3, 1,1,1,1,1,1,1,1,1, 0,0", unsharp5}));
  }

  void BadRecordsChangeNothing() {
    TFakeOwner owner(TEffectOwner::TKind::kPictureTable);
    const std::string ones = ", 1,1,1,1,1,1,1,1,1";
    owner.records = {"Std",
                     "Std,  x" + ones + ", 0,0",
                     "Std,  3, 1,1, 0,0",
                     "Std,  3, 1,1,1,1,1000,1,1,1,1, 0,0",
                     "Std,  4" + ones + ",1,1,1,1,1,1,1, 0,0",
                     "Std,  21" + std::string(300000, ',')};
    TImageFreeFilter dialog(owner);
    dialog.ToggleAutoMode();
    const std::string before = dialog.ParameterText();
    const char* errors[] = {"FilterData Error(2)", "FilterData Error(2)", "FilterData Error(4)",
                            "FilterData Error(6)", "FilterData Error(3)", "FilterData Error(4)"};
    for (int row = 0; row < 6; ++row) {
      recorder_.Clear();
      dialog.RecordListBox()->setCurrentRow(row);
      dialog.RecordListBoxClick(false);
      QCOMPARE(recorder_.Texts(), std::vector<std::string>{errors[row]});
      QCOMPARE(dialog.ParameterText(), before);
    }
    QVERIFY(owner.runs.empty());
  }

  void AutoModeAppliesLoadedRecords() {
    TFakeOwner owner(TEffectOwner::TKind::kPictureGrid);
    owner.records = {"Emb,  3, 0,-1,0,0,0,0,0,1,0, 0,32"};
    TImageFreeFilter dialog(owner);
    QVERIFY(!dialog.Button("FreeFilterCapButton")->isEnabled());
    QVERIFY(!dialog.Button("FreeFilterCapAddButton")->isEnabled());
    QVERIFY(!dialog.AutoEffectCheckBox()->isEnabled());
    QVERIFY(!dialog.PopupMenu()->findChild<QAction*>("ReplaceLastCapData1")->isEnabled());
    dialog.RecordListBox()->setCurrentRow(0);
    dialog.RecordListBoxClick(false);
    QVERIFY(owner.runs.empty());
    dialog.ToggleAutoMode();
    QCOMPARE(dialog.Button("ExecuteButton")->text(), QString("自動(&E)"));
    dialog.RecordListBoxClick(false);
    dialog.RecordListBoxClick(true);
    dialog.Button("ExecuteButton")->click();
    QCOMPARE(owner.runs, std::vector<std::string>(3, owner.records[0]));
    dialog.ToggleAutoMode();
    QCOMPARE(dialog.Button("ExecuteButton")->text(), QString("実行(&E)"));
    dialog.RecordListBoxClick(false);
    QCOMPARE(owner.runs.size(), std::size_t{3});
    dialog.ReNewButtonClick();
    dialog.close();
    QCOMPARE(owner.runs.back(), std::string("ShowFreeFilterForm"));
    QCOMPARE(owner.runs[3], std::string("Renew"));
  }

  void UnknownRecordKindsSurviveARestart() {
    const std::string path = dir_->File("FilterRecords.dat");
    const std::string bytes = "KernelNote,keep me\r\nStd,  3, 1,1,1,1,1,1,1,1,1, 0,0\r\n";
    WriteWholeFile(path, bytes);
    Restart();
    TImageFreeFilter& dialog = Open();
    QCOMPARE(dialog.RecordListBox()->count(), 1);
    Close();
    Restart();
    QCOMPARE(ReadWholeFile(path), bytes);
    // A record registered with the dialog open to the end is written beside them.
    TImageFreeFilter& open = Open();
    open.GrayCheckBox()->setChecked(true);
    open.RecordButtonClick();
    Restart();
    QCOMPARE(ReadWholeFile(path), std::string("KernelNote,keep me\r\n"
                                              "Std,  3, 1,1,1,1,1,1,1,1,1, 0,0\r\n"
                                              "Std,  3, 1,1,1,1,1,1,1,1,1, 1,0\r\n"));
    QVERIFY(recorder_.Texts().empty());
  }

  void RunEqualsTheEngineAndEndsCentred() {
    View().SetAreaOverride(500, 500);
    ShowPicture();
    View().PicturePosExecute(7);
    TImageFreeFilter& dialog = Open();
    const int values[9] = {0, -1, 0, -1, 8, -1, 0, -1, 0};
    for (int i = 0; i < 9; ++i) {
      dialog.Cell(i)->setText(QString::number(values[i]));
      QVERIFY(dialog.KernelEditExit(i));
    }
    dialog.CalTypeComboBox()->setCurrentIndex(1);
    const std::string text = dialog.ParameterText();
    QCOMPARE(text, std::string("UnS,  3, 0,-1,0,-1,8,-1,0,-1,0, 0,0"));
    const TBitmap24 reference = View().Working();
    TBitmap24 expected = reference;
    QVERIFY(TImageFilterSimple().RunKernelText(expected, text));
    QVERIFY(!expected.SamePixels(View().Working()));
    dialog.Button("ExecuteButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QVERIFY(View().Working().SamePixels(expected));
    // The result is laid out centred; the chosen position stays for later pictures.
    const int left = View().Geometry().Left(), top = View().Geometry().Top();
    QCOMPARE(View().Geometry().position, 7);
    View().PicturePosExecute(5);
    QCOMPARE(View().Geometry().Left(), left);
    QCOMPARE(View().Geometry().Top(), top);
    View().PicturePosExecute(7);
    QVERIFY(View().Geometry().Left() != left || View().Geometry().Top() != top);

    // A second run gives the same picture: runs start from the reference, not the last result.
    dialog.Apply();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QVERIFY(View().Working().SamePixels(expected));

    // An emboss on grey with its level replaces the sharpening.
    dialog.CalTypeComboBox()->setCurrentIndex(3);
    dialog.GrayCheckBox()->setChecked(true);
    dialog.SetColorComboBox()->setEditText("96");
    recorder_.AnswerInput("8");
    dialog.PresetAction(TKernelPreset::kEmboss)->trigger();
    const std::string emboss = dialog.ParameterText();
    QCOMPARE(emboss, std::string("+Em,  3, 0,-1,0,0,0,0,0,1,0, 1,96"));
    expected = reference;
    QVERIFY(TImageFilterSimple().RunKernelText(expected, emboss));
    dialog.Apply();
    QTRY_VERIFY_WITH_TIMEOUT(!View().Processing(), 10000);
    QVERIFY(View().Working().SamePixels(expected));
    QVERIFY(recorder_.Texts().empty());
  }

  void CapturesCarryTheEntryAndEveryPictureIsFiltered() {
    ShowPicture();
    TImageFreeFilter& dialog = Open();
    dialog.FreeFilterCapButtonClick();
    QVERIFY(!dialog.AutoEffect());
    QCOMPARE(form_->DataFilePathList().size(), std::size_t{1});
    QVERIFY(form_->DataFilePathList()[0].ends_with(std::string("/FFi") + kInitialText));
    form_->Capture().CaptureDataCaptureExecute();
    QVERIFY(!form_->DataFilePathList()[1].ends_with(kInitialText));
    // With the automatic box on, every picture shown is filtered and every capture carries it.
    dialog.AutoEffectCheckBox()->setChecked(true);
    dialog.CalTypeComboBox()->setCurrentIndex(2);
    dialog.SetColorComboBox()->setEditText(" 160");
    TBitmap24 expected;
    std::string message;
    QVERIFY(LoadPictureFile(expected, picture_, form_->Loader(), &message));
    QVERIFY(TImageFilterSimple().RunKernelText(expected, dialog.ParameterText()));
    ShowPicture();
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Jobs().Running(), 10000);
    QVERIFY(View().Working().SamePixels(expected));
    form_->Capture().CaptureDataCaptureExecute();
    QVERIFY(form_->DataFilePathList()[2].ends_with("/FFiEmb,  3, 1,1,1,1,1,1,1,1,1, 0,160"));
    // A cell that is not a number: the capture names the effect it could not take.
    dialog.Cell(0)->setText("x");
    form_->Capture().CaptureDataCaptureExecute();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"データ取得エラー(FreeFilter)"});
    QVERIFY(!form_->DataFilePathList()[3].ends_with("160"));
  }
};

QTEST_MAIN(TFreeFilterTest)
#include "tst_FreeFilter.moc"
