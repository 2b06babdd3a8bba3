// The settings dialog and the colour dialog: the checks of typed numbers, OK against cancel,
// the colour records and palettes, and ColorRecords.dat across restarts.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "app/MainFrm.h"
#include "app/SettigFrm.h"
#include "app/SettingBase.h"
#include "engine/ImageUtils.h"
#include "model/ProgramData.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"
#include "widgets/BoxEvents.h"
#include "widgets/SetColorDialog.h"

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

}  // namespace

class TSettingFormTest : public TWindowTest {
  Q_OBJECT

 private:
  TSettingFormData Data() {
    TSettingFormData data;
    data.settings = form_->Settings();
    data.drives = {"", "/media/u/DiskA"};
    data.program_folder = dir_->Path().string();
    return data;
  }
  void Restart() {
    form_->close();
    form_.reset();
    form_ = std::make_unique<TMainForm>(Options(*dir_));
  }
  void RunSettings(std::function<void(TSettingForm&)> body) {
    WhenModal<TSettingForm>(std::move(body));
    form_->findChild<QAction*>("SettingBase")->trigger();
  }
  // Shows dialog active with the page of box in front and the focus in box.
  static void FocusBox(TSettingForm& dialog, QComboBox* box) {
    if (!dialog.isVisible()) {
      dialog.show();
      QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    auto* pages = dialog.findChild<QTabWidget*>();
    for (int i = 0; i < pages->count(); ++i)
      if (pages->widget(i)->isAncestorOf(box)) pages->setCurrentIndex(i);
    box->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(InBox(box));
  }
  static bool InBox(QComboBox* box) { return IsBox(QApplication::focusWidget(), box); }
  static void Type(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    for (const QChar c : text)  // keyClicks knows ASCII only
      QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                          Qt::NoModifier);
    QCOMPARE(box->currentText(), text);
  }

 private slots:
  void init() {
    BeginCase();
    StartForm();
  }
  void cleanup() {
    TImU::SetLargePictures(false);
    EndCase();
  }

  void TypedNumbersAreChecked() {
    TSettingForm dialog(form_.get(), Data());
    QComboBox* left = dialog.NumberBox(TNumberBox::kPanelLeft);
    QCOMPARE(left->currentText(), QString("    05"));
    left->setCurrentText("26");
    QVERIFY(!dialog.NumberBoxExit(TNumberBox::kPanelLeft));
    QCOMPARE(left->currentText(), QString("    05"));
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"0以上25以下の整数を入力してください。"});
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
    const struct {
      TNumberBox box;
      const char* text;
      bool ok;
    } cases[] = {
        {TNumberBox::kKernelSize, "4", false},    {TNumberBox::kKernelSize, "13", true},
        {TNumberBox::kStrength, "-50", true},     {TNumberBox::kStrength, "0", false},
        {TNumberBox::kSlideInterval, "x", false}, {TNumberBox::kRealZoomControl, "0.3", true}};
    for (const auto& c : cases) {
      QComboBox* box = dialog.NumberBox(c.box);
      const QString before = box->currentText();
      box->setCurrentText(c.text);
      QCOMPARE(dialog.NumberBoxExit(c.box), c.ok);
      QCOMPARE(box->currentText(), c.ok ? QString(c.text) : before);
    }
    // The last kind cannot be unchecked.
    recorder_.Clear();
    for (const char* name : {"bmpCheckBox", "jpgCheckBox", "icoCheckBox", "wmfCheckBox",
                             "emfCheckBox", "OtherFormatsCheckBox"}) {
      QCheckBox* box = dialog.CheckBox(name);
      box->setChecked(false);
      dialog.KindClicked(box);
    }
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"ひとつ以上選択してください。"});
    QVERIFY(dialog.CheckBox("emfCheckBox")->isChecked());
    // Dependent controls.
    QVERIFY(!dialog.NumberBox(TNumberBox::kCenterPercent)->isEnabled());
    dialog.CheckBox("CenterPercentManualCheckBox")->setChecked(true);
    QVERIFY(dialog.NumberBox(TNumberBox::kCenterPercent)->isEnabled());
    QVERIFY(!dialog.DriveComboBox()->isEnabled());
    dialog.CheckBox("SearchMoreDriveCheckBox")->setChecked(true);
    QVERIFY(dialog.DriveComboBox()->isEnabled());
  }

  // Every box left with Tab or by a click elsewhere refuses what it cannot take with its own
  // message and shows the last accepted text again.
  void LeavingABoxChecksIt() {
    const struct {
      TNumberBox box;
      const char* message;
    } boxes[] = {
        {TNumberBox::kPanelLeft, "0以上25以下の整数を入力してください。"},
        {TNumberBox::kPanelTop, "0以上25以下の整数を入力してください。"},
        {TNumberBox::kSlideInterval, "1以上の整数を入力してください。"},
        {TNumberBox::kZoomStep, "1以上100以下の整数を入力してください。"},
        {TNumberBox::kRealZoomControl, "0以上の数を入力してください。"},
        {TNumberBox::kJpegQuality, "100以下の正の整数を入力してください。"},
        {TNumberBox::kKernelSize, "３以上の奇数を入力してください。"},
        {TNumberBox::kCenterPercent, "0以上100未満の整数を入力してください。"},
        {TNumberBox::kStrength, "0以外の整数を入力してください。"},
    };
    TSettingFormData data = Data();
    data.settings.base.kernel_center_percent_manual = true;
    TSettingForm dialog(form_.get(), data);
    for (const auto& b : boxes) {
      QComboBox* box = dialog.NumberBox(b.box);
      const QString before = box->currentText();
      std::vector<QString> inputs = {"", "-", "abc", "５"};
      if (b.box != TNumberBox::kRealZoomControl) inputs.push_back("1e9");  // a number above 0
      for (const QString& input : inputs) {
        for (const bool by_mouse : {false, true}) {
          FocusBox(dialog, box);
          recorder_.Clear();
          Type(box, input);
          // A click on OK leaves the box; the refusal takes the click back.
          QPushButton* ok = dialog.findChild<QPushButton*>("OKButton");
          if (by_mouse)
            QTest::mousePress(ok, Qt::LeftButton);
          else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
          const QByteArray what = box->objectName().toUtf8() + " \"" + input.toUtf8() + "\"";
          QVERIFY2(recorder_.Texts() == std::vector<std::string>{b.message}, what);
          QVERIFY2(box->currentText() == before, what);
          QTRY_VERIFY2(InBox(box), what);
          if (by_mouse) QTest::mouseRelease(ok, Qt::LeftButton);
          QVERIFY2(dialog.isVisible() && dialog.result() == 0, what);
        }
      }
    }
    // 26 in the left margin, left with Tab.
    QComboBox* left = dialog.NumberBox(TNumberBox::kPanelLeft);
    FocusBox(dialog, left);
    recorder_.Clear();
    Type(left, "26");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"0以上25以下の整数を入力してください。"});
    QCOMPARE(left->currentText(), QString("    05"));
    QTRY_VERIFY(InBox(left));
    // An accepted value stays and the focus moves on.
    Type(left, "7");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(recorder_.Texts().size(), std::size_t{1});
    QCOMPARE(left->currentText(), QString("7"));
    QVERIFY(!InBox(left));
  }

  // Enter checks the box and moves on in the designed order; it never presses a button.
  void EnterMovesOn() {
    const struct {
      TNumberBox box;
      bool centre_enabled;
      const char* next;  // object name of the control that takes the focus
    } steps[] = {
        {TNumberBox::kPanelLeft, false, "PanelTopComboBox"},
        {TNumberBox::kPanelTop, false, "TimeLagComboBox"},
        {TNumberBox::kSlideInterval, false, "ZoomComboBox"},
        {TNumberBox::kZoomStep, false, "RealZoomControlComboBox"},
        {TNumberBox::kRealZoomControl, false, "OKButton"},
        {TNumberBox::kJpegQuality, false, "SearchMoreDriveCheckBox"},
        {TNumberBox::kKernelSize, false, "StrengthPercentComboBox"},
        {TNumberBox::kKernelSize, true, "CenterPercentComboBox"},
        {TNumberBox::kCenterPercent, true, "StrengthPercentComboBox"},
        {TNumberBox::kStrength, false, "OKButton"},
    };
    for (const auto& step : steps) {
      TSettingFormData data = Data();
      data.settings.base.kernel_center_percent_manual = step.centre_enabled;
      TSettingForm dialog(form_.get(), data);
      QSignalSpy slide_colour(dialog.findChild<QPushButton*>("SetSlideBackColorButton"),
                              &QPushButton::clicked);
      QComboBox* box = dialog.NumberBox(step.box);
      FocusBox(dialog, box);
      // A button pressed by mistake would open its dialog: close it so that the case fails.
      QTimer::singleShot(0, [] {
        if (QWidget* stray = QApplication::activeModalWidget()) stray->close();
      });
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      QWidget* focus = QApplication::focusWidget();
      QVERIFY2(focus && focus->objectName() == step.next, box->objectName().toUtf8());
      QCOMPARE(slide_colour.count(), 0);
      QVERIFY(dialog.isVisible());
      QVERIFY(recorder_.Texts().empty());
      // A refused text stays in its box with the message.
      FocusBox(dialog, box);
      Type(box, "abc");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
      QCOMPARE(recorder_.Texts().size(), std::size_t{1});
      QVERIFY(InBox(box));
      QCOMPARE(slide_colour.count(), 0);
      recorder_.Clear();
    }
    // Enter on any other control presses no button either.
    TSettingForm dialog(form_.get(), Data());
    QSignalSpy slide_colour(dialog.findChild<QPushButton*>("SetSlideBackColorButton"),
                            &QPushButton::clicked);
    FocusBox(dialog, dialog.NumberBox(TNumberBox::kPanelLeft));
    QAbstractButton* radio = dialog.Group("SlideRadioGroup")->button(1);
    radio->setFocus();
    QTimer::singleShot(0, [] {
      if (QWidget* stray = QApplication::activeModalWidget()) stray->close();
    });
    QTest::keyClick(radio, Qt::Key_Return);
    QCOMPARE(slide_colour.count(), 0);
    QVERIFY(dialog.isVisible());
    // Enter on OK, once the focus is there, closes with OK.
    FocusBox(dialog, dialog.NumberBox(TNumberBox::kRealZoomControl));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
  }

  // Every page's caption shows whole at the default font, without scroll arrows.
  void EveryPageCaptionShows() {
    TSettingForm dialog(form_.get(), Data());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QTabBar* bar = dialog.findChild<QTabWidget*>()->tabBar();
    QCOMPARE(bar->count(), 6);
    for (int i = 0; i < bar->count(); ++i) {
      QVERIFY2(bar->rect().contains(bar->tabRect(i)), bar->tabText(i).toUtf8());
      QVERIFY(bar->tabRect(i).width() >= bar->fontMetrics().horizontalAdvance(bar->tabText(i)));
    }
  }

  void OkWritesBackAndCancelDoesNot() {
    const TMainSettings before = form_->Settings();
    RunSettings([](TSettingForm& dialog) {
      dialog.NumberBox(TNumberBox::kPanelLeft)->setCurrentText("12");
      dialog.NumberBox(TNumberBox::kStrength)->setCurrentText("-50");
      dialog.Group("RotationRadioGroup")->button(2)->setChecked(true);
      dialog.CheckBox("LargePicturesCheckBox")->setChecked(true);
      dialog.findChild<QSpinBox*>("ReadAheadSpinBox")->setValue(3);
      dialog.reject();
    });
    QCOMPARE(form_->Settings().extensions.read_ahead, 1);
    QCOMPARE(form_->Settings().panel.image_panel_left, before.panel.image_panel_left);
    QCOMPARE(form_->Settings().base.kernel_strength, before.base.kernel_strength);
    QCOMPARE(form_->Settings().effect.rotation, before.effect.rotation);
    QVERIFY(!TImU::LargePictures());

    RunSettings([](TSettingForm& dialog) {
      dialog.NumberBox(TNumberBox::kPanelLeft)->setCurrentText("12");
      dialog.NumberBox(TNumberBox::kStrength)->setCurrentText("-50");
      dialog.NumberBox(TNumberBox::kRealZoomControl)->setCurrentText("      1.50");
      dialog.Group("RotationRadioGroup")->button(2)->setChecked(true);
      dialog.Group("SlideRadioGroup")->button(1)->setChecked(true);
      dialog.CheckBox("jpgCheckBox")->setChecked(false);
      dialog.CheckBox("LargePicturesCheckBox")->setChecked(true);
      dialog.CheckBox("SearchMoreDriveCheckBox")->setChecked(true);
      dialog.DriveComboBox()->setCurrentIndex(0);
      auto* read_ahead = dialog.findChild<QSpinBox*>("ReadAheadSpinBox");
      auto* megabytes = dialog.findChild<QSpinBox*>("ReadAheadMegabytesSpinBox");
      const auto* form = qobject_cast<QFormLayout*>(read_ahead->parentWidget()->layout());
      QCOMPARE(qobject_cast<QLabel*>(form->labelForField(read_ahead))->text(),
               QString("前後それぞれの枚数(0 = 先読みしない)"));
      QCOMPARE(qobject_cast<QLabel*>(form->labelForField(megabytes))->text(),
               QString("使うメモリーの上限(MB)"));
      QCOMPARE(read_ahead->value(), 1);
      QCOMPARE(megabytes->value(), 256);
      read_ahead->setValue(0);
      megabytes->setValue(1024);
      QVERIFY(!dialog.CheckBox("QuickThumbnailsCheckBox")->isChecked());
      dialog.CheckBox("QuickThumbnailsCheckBox")->setChecked(true);
      dialog.accept();
    });
    const TMainSettings& after = form_->Settings();
    QCOMPARE(after.panel.image_panel_left, 12);
    QCOMPARE(after.base.kernel_strength, -50);
    QCOMPARE(after.base.real_zoom_control, 1.5);
    QCOMPARE(after.effect.rotation, 2);
    QVERIFY(!after.base.slide_view);
    QVERIFY(!after.file_filter.jpg_file);
    QVERIFY(after.extensions.large_pictures);
    QVERIFY(after.extensions.quick_thumbnails);
    QVERIFY(TImU::LargePictures());
    QCOMPARE(after.base.search_more_drive, std::string(""));
    // What OK wrote survives a restart through the settings file.
    Restart();
    QCOMPARE(form_->Settings().panel.image_panel_left, 12);
    QCOMPARE(form_->Settings().base.kernel_strength, -50);
    QCOMPARE(form_->Settings().base.real_zoom_control, 1.5);
    QVERIFY(form_->Settings().extensions.large_pictures);
    QCOMPARE(form_->Settings().extensions.read_ahead, 0);
    QCOMPARE(form_->Settings().extensions.read_ahead_megabytes, 1024);
  }

  void OkWithARefusedTextStaysOpen() {
    TSettingForm dialog(form_.get(), Data());
    dialog.NumberBox(TNumberBox::kZoomStep)->setCurrentText("0");
    dialog.accept();
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"1以上100以下の整数を入力してください。"});
    dialog.accept();
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(dialog.Data().settings.base.zoom_rate, form_->Settings().base.zoom_rate);
  }

  void StoredValuesTheChecksRefuseAreKept() {
    TSettingFormData data = Data();
    data.settings.base.kernel_bound = 4;
    data.settings.base.kernel_strength = 0;
    data.settings.base.kernel_center_percent = 120;
    TSettingForm dialog(form_.get(), data);
    QCOMPARE(dialog.NumberBox(TNumberBox::kKernelSize)->currentText(), QString("   4"));
    dialog.NumberBox(TNumberBox::kZoomStep)->setCurrentText("50");
    dialog.accept();
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QVERIFY(recorder_.Texts().empty());
    QCOMPARE(dialog.Data().settings.base.kernel_bound, 4);
    QCOMPARE(dialog.Data().settings.base.kernel_strength, 0);
    QCOMPARE(dialog.Data().settings.base.kernel_center_percent, 120);
    QCOMPARE(dialog.Data().settings.base.zoom_rate, 50);
  }

  void CancelKeepsColourRecordsAddedOnTheWay() {
    RunSettings([](TSettingForm& dialog) {
      WhenModal<TSetColorForm>([](TSetColorForm& colour) {
        colour.SetRgb({10, 20, 30});
        colour.AddButtonClick();
        colour.reject();
      });
      dialog.SetSlideBackColorButtonClick();
      dialog.reject();
    });
    QCOMPARE(form_->Data().color_records, std::vector<std::string>{"   010,020,030"});
    const TColor before = form_->Settings().base.slide_back_color;
    QCOMPARE(before, form_->Settings().base.slide_back_color);
    // OK in the colour dialog and in the settings takes the colour.
    RunSettings([](TSettingForm& dialog) {
      WhenModal<TSetColorForm>([](TSetColorForm& colour) {
        QCOMPARE(colour.ColorComboBox()->count(), 1);
        colour.SetRgb({0x11, 0x22, 0x33});
        colour.accept();
      });
      dialog.SetRotationBackColorButtonClick();
      QCOMPARE(dialog.RotationBackColor(), TColor{0x332211});
      dialog.accept();
    });
    QCOMPARE(form_->Settings().effect.rotation_back_color, TColor{0x332211});
    const std::string path = dir_->File("ColorRecords.dat");
    Restart();
    QCOMPARE(ReadWholeFile(path), std::string("   010,020,030\r\n"));
    Restart();
    QCOMPARE(ReadWholeFile(path), std::string("   010,020,030\r\n"));
    // Deleting every record, with OK or with Cancel, leaves the file as it was.
    for (const bool ok : {true, false}) {
      RunSettings([&](TSettingForm& dialog) {
        WhenModal<TSetColorForm>([&](TSetColorForm& colour) {
          recorder_.AnswerMessage(mb::kIdYes);
          colour.DeleteAllClick();
          ok ? colour.accept() : colour.reject();
        });
        dialog.SetSlideBackColorButtonClick();
        dialog.accept();
      });
      QVERIFY(form_->Data().color_records.empty());
      Restart();
      QCOMPARE(ReadWholeFile(path), std::string("   010,020,030\r\n"));
    }
  }

  void ColourRecords() {
    TSetColorForm dialog(form_.get(), 0x0000FF, {"   255,255,255"}, false);
    QCOMPARE(dialog.ScrollBar(0)->value(), 255);
    QCOMPARE(dialog.SliderLabel(0)->text(), QString("R  255"));
    QCOMPARE(dialog.windowTitle(), QString("色の設定"));
    dialog.SetRgb({10, 20, 30});
    dialog.AddButtonClick();
    dialog.SetRgb({0, 0, 0});
    dialog.AddButtonClick();
    dialog.SetRgb({10, 20, 30});
    recorder_.Clear();
    dialog.AddButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"すでに登録されています。"});
    QCOMPARE(dialog.ColorComboBox()->currentText(), QString("   010,020,030"));
    QCOMPARE(dialog.Records().size(), std::size_t{3});
    // Selecting a record sets the sliders; an unreadable one goes with a message.
    dialog.RecordSelected(0);
    QCOMPARE(dialog.Color(), TColor{0xFFFFFF});
    dialog.ColorComboBox()->addItem("bad record");
    dialog.RecordSelected(3);
    QCOMPARE(dialog.Color(), TColor{0});
    QCOMPARE(recorder_.Texts().back(), std::string("色の設定の失敗しました。"));
    QCOMPARE(dialog.Records().size(), std::size_t{3});
    // The 27 averaged colours keep 255,255,255 once.
    recorder_.AnswerMessage(mb::kIdYes);
    dialog.AddAverageColorsClick();
    std::vector<std::string> records = dialog.Records();
    QCOMPARE(records.size(), std::size_t{28});  // 010,020,030 and the 27
    QCOMPARE(std::count(records.begin(), records.end(), "   255,255,255"), 1L);
    // Deleting everything leaves no entry; deleting the last one leaves one empty entry.
    recorder_.AnswerMessage(mb::kIdYes);
    dialog.DeleteAllClick();
    QVERIFY(dialog.Records().empty());
    dialog.AddButtonClick();
    QCOMPARE(dialog.Records(), std::vector<std::string>{"   000,000,000"});
    dialog.DeleteButtonClick();
    QCOMPARE(dialog.Records(), std::vector<std::string>{""});
  }

  void PalettePicksAndShifts() {
    TSetColorForm dialog(form_.get(), 0, {"   010,020,030"}, false);
    dialog.PaletteCheckBox()->setChecked(true);
    QVERIFY(!dialog.PaletteImage().isNull());
    dialog.PalettePicked(1, 1);
    QCOMPARE(dialog.Rgb(), (TRgb{10, 20, 30}));
    dialog.PaletteComboBox()->setCurrentIndex(3);  // 27 colours
    dialog.RedrawPalette();
    const QImage& image = dialog.PaletteImage();
    dialog.PalettePicked(image.width() - 1, image.height() - 1);
    QCOMPARE(dialog.Rgb(), (TRgb{255, 255, 255}));
    dialog.GradationScrollBar()->setValue(-255);
    QCOMPARE(dialog.GradationLabel()->text(), QString("R: -255"));
    QCOMPARE(dialog.GradationScrollBar()->minimum(), -255);
    dialog.GradationReleased();
    dialog.PalettePicked(image.width() - 1, image.height() - 1);
    QCOMPARE(dialog.Rgb(), (TRgb{0, 255, 255}));
    QVERIFY(dialog.PaletteShow());
    // Unreadable records are drawn black with one message for the first.
    TSetColorForm damaged(form_.get(), 0, {"junk 1", "   255,000,000", "junk 2"}, false);
    recorder_.Clear();
    damaged.PaletteCheckBox()->setChecked(true);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"junk 1"});
    damaged.PalettePicked(1, 1);
    QCOMPARE(damaged.Rgb(), (TRgb{255, 0, 0}));
    damaged.PalettePicked(damaged.PaletteImage().width() / 10 + 1, 1);
    QCOMPARE(damaged.Rgb(), (TRgb{0, 0, 0}));
  }

  void BinaryColourRecordsAreNeverLost() {
    const std::string path = dir_->File("ColorRecords.dat");
    std::string bytes;
    for (int i = 0; i < 512; ++i) bytes += static_cast<char>((i * 37 + 11) & 0xFF);
    WriteWholeFile(path, bytes);
    Restart();
    RunSettings([](TSettingForm& dialog) {
      WhenModal<TSetColorForm>([](TSetColorForm& colour) { colour.reject(); });
      dialog.SetSlideBackColorButtonClick();
      dialog.reject();
    });
    Restart();
    bool kept = ReadWholeFile(path) == bytes;
    for (const auto& entry : std::filesystem::directory_iterator(dir_->Path()))
      if (entry.path().extension() == ".bad" && ReadWholeFile(entry.path().string()) == bytes)
        kept = true;
    QVERIFY(kept);
  }

  void FolderPage() {
    TSettingFormData data = Data();
    const std::string a = dir_->File("a"), b = dir_->File("b");
    std::filesystem::create_directories(a);
    std::filesystem::create_directories(b);
    data.folders = {a};
    TSettingForm dialog(form_.get(), data);
    QCOMPARE(dialog.FolderListBox()->item(0)->text(), QString("a"));
    recorder_.AnswerFiles({b});
    dialog.FolderAddClick();
    recorder_.AnswerFiles({a});
    dialog.FolderAddClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"既に登録されています。"});
    QCOMPARE(dialog.Folders(), (std::vector<std::string>{a, b}));
    dialog.FolderListBox()->setCurrentRow(1);
    dialog.FolderMove(-1);
    QCOMPARE(dialog.Folders(), (std::vector<std::string>{b, a}));
    QCOMPARE(dialog.FolderListBox()->currentRow(), 0);
    dialog.FolderDeleteClick();
    QCOMPARE(dialog.Folders(), std::vector<std::string>{a});
    dialog.FolderDefaultClick();
    QCOMPARE(dialog.Folders().back(), dir_->Path().string());
    const std::size_t count = dialog.Folders().size();
    dialog.FolderDefaultClick();
    QCOMPARE(dialog.Folders().size(), count);
  }
};

QTEST_MAIN(TSettingFormTest)
#include "tst_SettingForm.moc"
