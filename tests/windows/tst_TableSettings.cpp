// The table's basic settings and the thumbnail size dialog: typed numbers refused with their
// messages, the capacity estimate, what OK writes and reports, and the grid's filter-only form.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "browse/table/TableSettings.h"
#include "model/Settings.h"
#include "tests/windows/WindowTestSupport.h"

class TTableSettingsTest : public TWindowTest {
  Q_OBJECT

 private:
  // Types text into the box and presses Enter in it.
  static void Enter(QObject& form, const char* box, const QString& text) {
    auto* combo = Child<QComboBox>(form, box);
    combo->setCurrentText(text);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
  }
  TTableSettingContext Context(bool filter_only = false) {
    return TTableSettingContext{settings_, memory_show_, records_, palette_show_, filter_only};
  }

  TPictureTableSettings settings_;
  bool memory_show_ = false;
  std::vector<std::string> records_;
  bool palette_show_ = false;

 private slots:
  void init() {
    BeginCase();
    settings_ = {};
  }
  void cleanup() { EndCase(); }

  void RefusedValuesGiveTheirMessageAndTheLastAcceptedValue() {
    TTableSettingForm form(Context());
    const struct {
      const char* box;
      const char* typed;
      const char* message;
      const char* shown;
    } cases[] = {
        {"SizeComboBox", "4", "３以上の奇数を入力してください。", "3"},
        {"SizeComboBox", "7", nullptr, "7"},
        {"SizeComboBox", "6", "３以上の奇数を入力してください。", "7"},  // the last accepted
        {"PanelSpaceComboBox", "21", "0以上の20以下の整数を入力してください。", "00"},
        {"DisplayLeftComboBox", "x", "0以上の20以下の整数を入力してください。", "1"},
        {"SlideTimeComboBox", "0", "正の整数を入力してください。", "02000"},
        {"ThumbNailCountComboBox", "60001", "正の整数を入力してください。", "250"},
        {"CenterPercentComboBox", "100", "100より小さい正の整数を入力してください。", "50"},
        {"StrengthPercentComboBox", "0", "０以外の整数を入力してください。", "100"},
        {"StrengthPercentComboBox", "-30", nullptr, "-30"},
    };
    for (const auto& c : cases) {
      recorder_.Clear();
      Enter(form, c.box, c.typed);
      QCOMPARE(recorder_.Texts(),
               c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
      QCOMPARE(Child<QComboBox>(form, c.box)->currentText(), QString(c.shown));
    }
  }

  void CapacityEstimateFollowsTheThumbnailBoxes() {
    settings_.thumb_capacity = 100;
    settings_.thumb_size_width = 400;
    settings_.thumb_size_height = 400;
    TTableSettingForm form(Context());
    QCOMPARE(form.EstimateLabel()->text(), QString("約208枚分"));
    Enter(form, "ThumbNailCapacityComboBox", "200");
    QCOMPARE(form.EstimateLabel()->text(), QString("約416枚分"));
    Enter(form, "ThumbNailWidthComboBox", "0");  // refused: the estimate stays
    QCOMPARE(form.EstimateLabel()->text(), QString("約416枚分"));
    Enter(form, "ThumbNailHeightComboBox", "800");
    QCOMPARE(form.EstimateLabel()->text(), QString("約208枚分"));
  }

  void OkReportsWhetherTheLayoutChanged() {
    const struct {
      const char* box;
      const char* typed;
      bool layout;
    } cases[] = {
        {"SlideTimeComboBox", "3000", false},
        {"DisplayTopComboBox", "4", true},
        {"PanelSpaceComboBox", "08", true},
        {"StrengthPercentComboBox", "200", false},
    };
    for (const auto& c : cases) {
      settings_ = {};
      TTableSettingForm form(Context());
      Child<QComboBox>(form, c.box)->setCurrentText(c.typed);
      form.OKButtonClick();
      QCOMPARE(form.result(), 1);
      QVERIFY(form.Result().accepted);
      QCOMPARE(form.Result().layout_changed, c.layout);
    }
    QCOMPARE(settings_.kernel_strength, 200);
    settings_ = {};
    TTableSettingForm form(Context());
    form.findChild<QGroupBox*>("ArrangeDirectionRadioGroup")
        ->findChildren<QRadioButton*>()[2]
        ->click();
    Child<QCheckBox>(form, "ThumbNailCapacityShowCheckBox")->click();
    form.findChild<QGroupBox*>("RotationRadioGroup")->findChildren<QRadioButton*>()[2]->click();
    form.OKButtonClick();
    QVERIFY(form.Result().layout_changed);
    QCOMPARE(settings_.panel_arrange_direction, 2);
    QCOMPARE(settings_.rotation_type, 2);
    QVERIFY(memory_show_);
  }

  void TypedValueIsCheckedAtOkAndCancelKeepsTheSettings() {
    TTableSettingForm form(Context());
    Child<QComboBox>(form, "SizeComboBox")->setCurrentText("8");
    form.OKButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"３以上の奇数を入力してください。"});
    QVERIFY(!form.Result().accepted);
    QCOMPARE(settings_.kernel_bound, 3);
    Child<QComboBox>(form, "SlideTimeComboBox")->setCurrentText("9000");
    form.reject();
    QCOMPARE(settings_.slide_interval, 2000);
  }

  void FilterOptionsEnableTheirControls() {
    settings_.kernel_option = true;
    settings_.kernel_center_percent_manual = false;
    TTableSettingForm form(Context());
    auto* value_group = Child<QGroupBox>(form, "SetValueRadioGroup");
    auto* center = Child<QComboBox>(form, "CenterPercentComboBox");
    QVERIFY(!value_group->isEnabled());
    QVERIFY(!center->isEnabled());
    Child<QCheckBox>(form, "OptionCheckBox")->click();
    Child<QCheckBox>(form, "CenterPercentManualCheckBox")->click();
    QVERIFY(value_group->isEnabled());
    QVERIFY(center->isEnabled());
  }

  void EnterMovesToTheNextEnabledBoxAndFinallyToOk() {
    settings_.kernel_center_percent_manual = false;
    TTableSettingForm form(Context(true));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* size = Child<QComboBox>(form, "SizeComboBox");
    size->setFocus();
    QTRY_VERIFY(size->hasFocus());
    QTest::keyClick(size->lineEdit(), Qt::Key_Return);
    // The centre percent is skipped while it is not set by hand.
    QTRY_VERIFY(Child<QComboBox>(form, "StrengthPercentComboBox")->hasFocus());
    QTest::keyClick(Child<QComboBox>(form, "StrengthPercentComboBox")->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY(Child<QPushButton>(form, "OKButton")->hasFocus());
    QVERIFY(form.isVisible());
  }

  void GridOpensTheFilterPageOnly() {
    TTableSettingForm form(Context(true));
    auto* pages = form.findChild<QTabWidget*>();
    QCOMPARE(pages->currentWidget()->objectName(), QString("FilterTabSheet"));
    QStringList enabled;
    for (int i = 0; i < pages->count(); ++i)
      if (pages->isTabEnabled(i)) enabled << pages->tabText(i);
    QCOMPARE(enabled, (QStringList{"フィルタ", "効果1"}));
  }

  void ThumbNailSizesAreChecked() {
    TSetThunbNailForm form(settings_);
    const struct {
      const char* box;
      const char* typed;
      bool ok;
      const char* shown;
    } cases[] = {
        {"SizeWidthComboBox", "-1", false, "0400"},
        {"SizeWidthComboBox", "32768", false, "0400"},
        {"SizeWidthComboBox", "32767", true, "32767"},
        {"SizeHeightComboBox", "最適化", true, "最適化"},
        {"SizePercentComboBox", "101", false, "050"},
        {"PercentPercentComboBox", "0", true, "0"},
    };
    for (const auto& c : cases) {
      recorder_.Clear();
      Enter(form, c.box, c.typed);
      QCOMPARE(recorder_.Texts(),
               c.ok ? std::vector<std::string>{}
                    : std::vector<std::string>{"0以上の整数を入力してください。"});
      QCOMPARE(Child<QComboBox>(form, c.box)->currentText(), QString(c.shown));
    }
    form.OKButtonClick();
    QVERIFY(form.Changed());
    QCOMPARE(settings_.thumb_size_width, 32767);
    QCOMPARE(settings_.thumb_size_height, 0);
    QCOMPARE(settings_.thumb_percent_percent, 0.0);
  }

  void ThumbNailControlsEnableTheirGroupAndOkStoresThem() {
    settings_.thumb_size_width = 0;
    TSetThunbNailForm form(settings_);
    QCOMPARE(Child<QComboBox>(form, "SizeWidthComboBox")->currentText(), QString("最適化"));
    auto* size_group = Child<QGroupBox>(form, "SizeGroupBox");
    auto* percent_group = Child<QGroupBox>(form, "PercentGroupBox");
    QVERIFY(size_group->isEnabled() && !percent_group->isEnabled());
    QVERIFY(!Child<QComboBox>(form, "SizePercentComboBox")->isEnabled());
    Child<QRadioButton>(form, "PercentControlRadioButton")->click();
    QVERIFY(!size_group->isEnabled() && percent_group->isEnabled());
    QVERIFY(!Child<QComboBox>(form, "PercentWidthComboBox")->isEnabled());
    Child<QCheckBox>(form, "PercentSizeCheckBox")->click();
    QVERIFY(Child<QComboBox>(form, "PercentWidthComboBox")->isEnabled());
    Child<QComboBox>(form, "PercentHeightComboBox")->setCurrentText("0300");
    form.OKButtonClick();
    QCOMPARE(form.result(), 1);
    QVERIFY(settings_.thumb_control_with_percent);
    QVERIFY(settings_.thumb_percent_size_control);
    QCOMPARE(settings_.thumb_percent_height, 300);
    QCOMPARE(settings_.thumb_size_width, 0);
  }

  void UnchangedThumbNailSettingsAreReportedSo() {
    TSetThunbNailForm form(settings_);
    form.OKButtonClick();
    QCOMPARE(form.result(), 1);
    QVERIFY(!form.Changed());
  }
};

QTEST_MAIN(TTableSettingsTest)
#include "tst_TableSettings.moc"
