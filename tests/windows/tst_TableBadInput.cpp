// The thumbnail table given what it cannot show: broken, empty, vanished and oversized picture
// files, cap data lines with bad fields, the longest list the table takes and a window too small
// for its cells.
#include <QAction>
#include <QLabel>
#include <QtTest>
#include <filesystem>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "browse/table/PictureTableForm.h"
#include "engine/ImageBasics.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

class TTableBadInputTest : public TWindowTest {
  Q_OBJECT

 private:
  // The main window over the program folder (its first picture shown) and the table opened.
  TPictureTableForm& Open() {
    StartForm();
    form_->resize(800, 600);
    form_->show();
    [&] {
      QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
      QTRY_VERIFY(form_->PictureView().HasPicture());
    }();
    recorder_.Clear();
    form_->EditCommands().Action("PictureTable")->trigger();
    TPictureTableForm* table = form_->PictureTable();
    [&] {
      QVERIFY(table);
      QVERIFY(QTest::qWaitForWindowExposed(table));
      QTRY_VERIFY(table->CellCount() > 0 && !table->Busy() && table->PageStart() == 0);
    }();
    return *table;
  }

 private slots:
  void init() { BeginCase(); }
  void cleanup() { EndCase(); }

  // An undecodable file, an empty one, one whose header claims more than its data holds and one
  // that vanished after the list was made: four empty cells, selected, counted in one message.
  void BrokenFilesAreCountedAndSelected() {
    SavePictureFile(PatternBitmap(60, 40), dir_->File("a.bmp"), true, 100);
    WriteWholeFile(dir_->File("b.jpg"), std::string(500, '\x5a'));
    WriteWholeFile(dir_->File("c.jpg"), "");
    std::filesystem::copy_file(
        std::string(VELMORA_TEST_DATA) + "/fuzz-regressions/jpeg/claims-8000x8000.jpg",
        dir_->File("d.jpg"));
    SavePictureFile(PatternBitmap(30, 30), dir_->File("e.bmp"), true, 100);
    StartForm();
    form_->resize(800, 600);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QTRY_VERIFY(form_->PictureView().HasPicture());
    std::filesystem::remove(dir_->File("e.bmp"));
    recorder_.Clear();
    form_->EditCommands().Action("PictureTable")->trigger();
    TPictureTableForm* table = form_->PictureTable();
    QVERIFY(table);
    table->ChangeCounts(1, 1);  // three by three: the whole list on one page
    QTRY_VERIFY(table->CellCount() == 9 && !table->Busy());
    const std::vector<std::string> texts = recorder_.Texts();
    QVERIFY(!texts.empty());
    QCOMPARE(texts.back(), std::string("未知の画像ファイルが 4個 発見されました。\r\n\r\n"
                                       "必要に応じて削除してください。\r\n"
                                       "(ファイルはセレクト状態になっています。"));
    QCOMPARE(table->SelectedItems(), (std::vector<int>{1, 2, 3, 4}));
    QVERIFY(!table->CellImage(0)->pixmap().isNull());
    for (int cell = 1; cell < 5; ++cell) QVERIFY(table->CellImage(cell)->pixmap().isNull());
    QCOMPARE(table->Store().HeldCount(), 1);
  }

  // Lines of too few or too many fields among good records: the message comes once; the bad
  // lines stay in the list, their cells empty, counted and selected like missing pictures.
  void CapDataLinesWithBadFields() {
    SavePictureFile(PatternBitmap(60, 40), dir_->File("a.bmp"), true, 100);
    TPictureTableForm& table = Open();
    form_->Capture().CaptureDataCaptureExecute();
    QCOMPARE(form_->RightList().CapData().Size(), std::size_t{1});
    const std::string good = form_->RightList().CapData().Lines().front();
    recorder_.Clear();
    table.SetItems({good, "x/1", good, "a/1/2/3/4/5/6/7/8/9/10/11/12", good}, false);
    QTRY_VERIFY(!table.Busy());
    QCOMPARE(recorder_.Texts(),
             (std::vector<std::string>{"未知のデータが含まれていました。",
                                       "未知の画像ファイルが 2個 発見されました。\r\n\r\n"
                                       "必要に応じて削除してください。\r\n"
                                       "(ファイルはセレクト状態になっています。"}));
    QCOMPARE(table.SelectedItems(), (std::vector<int>{1, 3}));
    QVERIFY(!table.CellImage(0)->pixmap().isNull());
    QVERIFY(table.CellImage(1)->pixmap().isNull());
  }

  // 32,736 items: the label's widest count, paging back from the first page to the last.
  void TheLongestList() {
    SavePictureFile(PatternBitmap(60, 40), dir_->File("a.bmp"), true, 100);
    TPictureTableForm& table = Open();
    table.SetItems(std::vector<std::string>(32736, dir_->File("a.bmp")), true);
    QTRY_VERIFY(!table.Busy() && table.PageStart() == 0);
    QCOMPARE(table.windowTitle(), QString("PictureTable  ( 1-4 /32736 )"));
    table.FileBackExecute();
    QTRY_VERIFY(!table.Busy() && table.PageStart() == 32732);
    QCOMPARE(table.windowTitle(), QString("PictureTable  ( 32733-32736 /32736 )"));
    QVERIFY(recorder_.Texts().empty());
    QCOMPARE(table.Store().HeldCount(), 8);
  }

  // Cells whose picture area falls below 5 pixels are not filled; the message says why.
  void AWindowTooSmallForItsCells() {
    SavePictureFile(PatternBitmap(60, 40), dir_->File("a.bmp"), true, 100);
    TPictureTableForm& table = Open();
    for (int i = 0; i < 14; ++i) table.ChangeCounts(1, 1);
    QTRY_VERIFY(!table.Busy());
    recorder_.Clear();
    table.resize(200, 120);
    QTRY_VERIFY(!recorder_.Texts().empty());
    QCOMPARE(recorder_.Texts().front(), std::string("メインパネルのサイズが小さすぎます!!"));
  }
};

QTEST_MAIN(TTableBadInputTest)
#include "tst_TableBadInput.moc"
