// The file extract dialog: both modes over real files, missing files, the abort, the typed limits
// and the settings it shows and stores.
#include <sys/stat.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "browse/table/FileExtract.h"
#include "engine/ImageBasics.h"
#include "model/Settings.h"
#include "platform/QtText.h"
#include "tests/windows/WindowTestSupport.h"

class TFileExtractTest : public TWindowTest {
  Q_OBJECT

 private:
  std::string Picture(const std::string& name, int width, int height) {
    const std::string path = dir_->File(name);
    TBitmap24 picture(width, height);
    if (!SavePictureFile(picture, path, true, 90)) qFatal("cannot write %s", path.c_str());
    return path;
  }
  std::string Bytes(const std::string& name, std::size_t count) {
    const std::string path = dir_->File(name);
    WriteWholeFile(path, std::string(count, 'x'));
    return path;
  }
  static std::vector<std::string> Names(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const auto& path : paths) names.push_back(std::filesystem::path(path).filename());
    return names;
  }
  static QAbstractButton* Option(QObject& form, int index) {
    return Child<QWidget>(form, "ExtractOptionRadioGroup")->findChildren<QRadioButton*>()[index];
  }

  TPictureLoader loader_;
  TPictureTableSettings settings_;

 private slots:
  void init() {
    BeginCase();
    settings_ = {};
  }
  void cleanup() { EndCase(); }

  void SelectModeMarksMatchesAndDropsMissingFiles() {
    std::vector<std::string> paths = {Picture("wide.bmp", 300, 100), dir_->File("gone.bmp"),
                                      Picture("small.bmp", 100, 100)};
    std::vector<std::string> names = Names(paths);
    std::vector<bool> selected;
    settings_.file_extract_wh_or = 1;
    TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                          loader_);
    form.ExtractButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"1個のファイルを抽出しました。"});
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  確認"));
    QCOMPARE(paths, (std::vector<std::string>{dir_->File("wide.bmp"), dir_->File("small.bmp")}));
    QCOMPARE(names, (std::vector<std::string>{"wide.bmp", "small.bmp"}));
    QCOMPARE(selected, (std::vector<bool>{true, false}));
    QCOMPARE(form.Removed(), std::vector<std::size_t>{1});
  }

  void DeleteModeKeepsMissingFilesWhenAsked() {
    std::vector<std::string> paths = {Bytes("a", 250400), Bytes("b", 250401),
                                      dir_->File("gone.jpg"), Bytes("c", 250399)};
    std::vector<std::string> names = Names(paths);
    std::vector<bool> selected;
    settings_.file_extract_type = 1;
    TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kDeleteMode,
                          loader_);
    Child<QComboBox>(form, "FileSizeComboBox")->setCurrentText("250.4");
    Option(form, 1)->click();  // at most
    Child<QCheckBox>(form, "NotExistsRemainCheckBox")->setChecked(true);
    form.ExtractButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"2個のファイルを抽出しました。"});
    QCOMPARE(names, (std::vector<std::string>{"a", "gone.jpg", "c"}));
    QCOMPARE(form.Removed(), std::vector<std::size_t>{1});
    QCOMPARE(selected, (std::vector<bool>{false, false, false}));
  }

  // Items that are no readable picture (a folder named like one, an empty or broken file, a
  // FIFO, a dangling link) neither match nor block the run: they go from the lists, or stay
  // unselected when missing files are kept; the file size and date criteria read only files.
  void ItemsThatAreNoReadablePicture() {
    std::filesystem::create_directory(dir_->File("x.jpg"));
    QVERIFY(mkfifo(dir_->File("p.jpg").c_str(), 0600) == 0);
    std::filesystem::create_symlink(dir_->File("nowhere.jpg"), dir_->File("link.jpg"));
    const std::vector<std::string> all = {Picture("big.jpg", 300, 300), dir_->File("x.jpg"),
                                          Bytes("empty.jpg", 0),        Bytes("broken.jpg", 400),
                                          dir_->File("p.jpg"),          dir_->File("link.jpg")};
    const struct {
      int type;
      bool keep;
      std::vector<bool> selected;
      std::size_t left;
    } cases[] = {{0, false, {true}, 1},
                 {0, true, {true, false, false, false, false, false}, 6},
                 {1, false, {false, false, false}, 3},  // files of at least 250 KB: none
                 {2, false, {true, true, true}, 3}};    // on or after the picker's date
    for (const auto& c : cases) {
      recorder_.Clear();
      std::vector<std::string> paths = all, names = Names(all);
      std::vector<bool> selected;
      settings_.file_extract_type = c.type;
      settings_.file_extract_option = 2;
      TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                            loader_);
      if (c.type == 2)
        Child<QDateEdit>(form, "FileDateTimePicker")->setDate(QDate::currentDate().addDays(-1));
      Child<QCheckBox>(form, "NotExistsRemainCheckBox")->setChecked(c.keep);
      form.ExtractButtonClick();
      QCOMPARE(paths.size(), c.left);
      QCOMPARE(selected, c.selected);
    }
  }

  void DatesCompareWholeDays() {
    const QDate today = QDate::currentDate();
    std::vector<std::string> paths;
    for (int days_ago : {2, 1, 0}) {
      paths.push_back(Bytes(QString("d%1").arg(days_ago).toStdString(), 1));
      QFile file(Q(paths.back()));
      QVERIFY(file.open(QIODevice::ReadWrite));
      QVERIFY(file.setFileTime(QDateTime(today.addDays(-days_ago), QTime(12, 0)),
                               QFileDevice::FileModificationTime));
    }
    const struct {
      int comparison;
      std::vector<bool> selected;
    } cases[] = {{0, {true, false, false}},
                 {1, {true, true, false}},
                 {2, {false, true, true}},
                 {3, {false, false, true}}};
    for (const auto& c : cases) {
      std::vector<std::string> lists = paths, names = Names(paths);
      std::vector<bool> selected;
      settings_.file_extract_type = 2;
      settings_.file_extract_option = c.comparison;
      TFileExtractForm form(settings_, lists, names, selected, TFileExtractForm::kSelectMode,
                            loader_);
      Child<QDateEdit>(form, "FileDateTimePicker")->setDate(today.addDays(-1));
      form.ExtractButtonClick();
      QCOMPARE(selected, c.selected);
    }
  }

  void AbortReportsTheCountSoFar() {
    std::vector<std::string> paths;
    for (int i = 0; i < 120; ++i) paths.push_back(Bytes(QString("f%1").arg(i).toStdString(), 10));
    std::vector<std::string> names = Names(paths);
    std::vector<bool> selected;
    settings_.file_extract_type = 1;
    settings_.file_extract_option = 0;  // all are smaller than 250 KB
    TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                          loader_);
    // Clicked at the first pause for messages, which comes at item 100.
    QTimer::singleShot(0, &form, [&form] {
      QVERIFY(form.findChild<QPushButton*>("AbortButton")->isVisibleTo(&form));
      QVERIFY(!form.findChild<QPushButton*>("ExtractButton")->isEnabled());
      form.setResult(42);
      form.reject();  // refused while the run visits the lists
      QCOMPARE(form.result(), 42);
      form.AbortButtonClick();
    });
    form.ExtractButtonClick();
    QCOMPARE(
        recorder_.Texts(),
        std::vector<std::string>{"処理は中断されました。\r\n\r\n19個のファイルを抽出しました。"});
    QCOMPARE(std::count(selected.begin(), selected.end(), true), 19);
    QVERIFY(selected[119] && !selected[100]);
    QVERIFY(!form.findChild<QPushButton*>("AbortButton")->isVisibleTo(&form));
    QVERIFY(form.findChild<QPushButton*>("ExitButton")->isEnabled());
  }

  void TypedLimitsAreCheckedOnEnter() {
    std::vector<std::string> paths, names;
    std::vector<bool> selected;
    TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                          loader_);
    const struct {
      const char* box;
      const char* typed;
      const char* message;
      const char* shown;
    } cases[] = {
        {"PictureWidthComboBox", "0", "正の整数を入力してください。", " 250"},
        {"PictureHeightComboBox", "32768", "正の整数を入力してください。", " 250"},
        {"PictureHeightComboBox", "2.5", "正の整数を入力してください。", " 250"},
        {"FileSizeComboBox", "-1", "正の数を入力してください。", " 250"},
        {"FileSizeComboBox", "abc", "正の数を入力してください。", " 250"},
        {"PictureWidthComboBox", "32767", nullptr, "32767"},
        {"FileSizeComboBox", "0.5", nullptr, "0.5"},
    };
    for (const auto& c : cases) {
      recorder_.Clear();
      auto* box = Child<QComboBox>(form, c.box);
      box->setCurrentText(c.typed);
      QTest::keyClick(box->lineEdit(), Qt::Key_Return);
      QCOMPARE(recorder_.Texts(),
               c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
      QCOMPARE(box->currentText(), QString(c.shown));
    }
  }

  void CaptionsFollowTheCriterion() {
    std::vector<std::string> paths, names;
    std::vector<bool> selected;
    TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                          loader_);
    auto captions = [&form] {
      QStringList texts;
      for (int i = 0; i < 4; ++i) texts << Option(form, i)->text();
      return texts;
    };
    QCOMPARE(captions(), (QStringList{"  より小", "  以下", "  以上", "  より大"}));
    Child<QRadioButton>(form, "FileDateRadioButton")->click();
    QCOMPARE(captions(), (QStringList{"よリ前", "以前", "以後", "よリ後"}));
    Child<QRadioButton>(form, "FileSizeRadioButton")->click();
    QCOMPARE(captions(), (QStringList{"よリ小", "以下", "以上", "よリ大"}));
  }

  void SettingsAreShownAndStored() {
    std::vector<std::string> paths, names;
    std::vector<bool> selected;
    settings_.file_extract_type = 2;
    settings_.file_extract_width = 0;
    settings_.file_extract_height = 120;
    settings_.file_extract_option = 7;
    settings_.file_extract_wh_or = 1;
    TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                          loader_);
    QVERIFY(Child<QRadioButton>(form, "FileDateRadioButton")->isChecked());
    QCOMPARE(Child<QComboBox>(form, "PictureWidthComboBox")->currentText(), QString(" 050"));
    QVERIFY(Option(form, 2)->isChecked());
    Child<QComboBox>(form, "FileSizeComboBox")->setCurrentText("zz");
    Child<QComboBox>(form, "PictureHeightComboBox")->setCurrentText("333");
    Child<QPushButton>(form, "ExitButton")->click();
    QCOMPARE(form.result(), 6);
    QCOMPARE(settings_.file_extract_type, 2);
    QCOMPARE(settings_.file_extract_width, 0);
    QCOMPARE(settings_.file_extract_height, 333);
    QCOMPARE(settings_.file_extract_file_size, 250.0);
    QCOMPARE(settings_.file_extract_option, 2);
    QCOMPARE(settings_.file_extract_wh_or, 1);
  }

  // A file size limit with decimals is shown and stored with them.
  void FileSizeLimitsKeepTheirDecimals() {
    std::vector<std::string> paths, names;
    std::vector<bool> selected;
    const struct {
      double stored;
      const char* shown;
      const char* typed;
      double stored_back;
    } cases[] = {{250.4, " 250.4", nullptr, 250.4},
                 {0.5, " 0.5", " 0012.75", 12.75},
                 {-3, " 0250", nullptr, 250},
                 {100, " 0100", nullptr, 100}};
    for (const auto& c : cases) {
      settings_.file_extract_file_size = c.stored;
      TFileExtractForm form(settings_, paths, names, selected, TFileExtractForm::kSelectMode,
                            loader_);
      auto* box = Child<QComboBox>(form, "FileSizeComboBox");
      QCOMPARE(box->currentText(), QString(c.shown));
      if (c.typed) box->setCurrentText(c.typed);
      Child<QPushButton>(form, "ExitButton")->click();
      QCOMPARE(settings_.file_extract_file_size, c.stored_back);
    }
  }
};

QTEST_MAIN(TFileExtractTest)
#include "tst_FileExtract.moc"
