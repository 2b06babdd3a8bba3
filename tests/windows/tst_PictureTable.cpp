// The thumbnail table opened from the main window: pages, selection by clicks, missing pictures,
// the kind check of "リストに追加(&G)" and the settings written back at close.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <condition_variable>
#include <mutex>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/FileBrowser.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "browse/PlayListViewer.h"
#include "browse/SavePictureList.h"
#include "browse/table/FileExtract.h"
#include "browse/table/PictureTableForm.h"
#include "effects/ImageRotationArrangeForm.h"
#include "engine/ImageBasics.h"
#include "model/Settings.h"
#include "platform/PictureSave.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

// Picture size at least 60 x 30, both sides.
static void ExtractAtLeast60By30(TPictureTableSettings& settings) {
  settings.file_extract_type = 0;
  settings.file_extract_width = 60;
  settings.file_extract_height = 30;
  settings.file_extract_wh_or = 0;
  settings.file_extract_option = 2;
}

class TPictureTableTest : public TWindowTest {
  Q_OBJECT

 private:
  // Five pictures of different sizes in the program folder (beside those there already); the
  // window shows the first.
  void Start(int count = 5) {
    for (int i = 0; i < 5; ++i)
      SavePictureFile(PatternBitmap(40 + 10 * i, 30), dir_->File(std::string(1, 'a' + i) + ".bmp"),
                      true, 100);
    StartForm();
    form_->resize(800, 600);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QTRY_COMPARE(form_->FileNameListBox()->count(), count);
    QTRY_VERIFY(form_->PictureView().HasPicture());
  }
  TPictureTableForm& Open() {
    form_->EditCommands().Action("PictureTable")->trigger();
    TPictureTableForm* table = form_->PictureTable();
    [&] {
      QVERIFY(table);
      QVERIFY(QTest::qWaitForWindowExposed(table));
      QTRY_VERIFY(table->CellCount() > 0 && !table->Busy() && table->PageStart() == 0);
    }();
    return *table;
  }
  // The data file dialog that opens next picks name and closes with OK or Add.
  static void AnswerDataFileDialog(const std::string& name, bool add) {
    QTimer::singleShot(0, [name, add] {
      auto* form = qobject_cast<TPlayListViewerForm*>(QApplication::activeModalWidget());
      QVERIFY(form);
      form->FileClick(name);
      add ? form->AddButtonClick() : form->OKButtonClick();
    });
  }
  static std::vector<int> ShownItems(const TPictureTableForm& table) {
    std::vector<int> items;
    for (int i = 0; i < table.CellCount(); ++i)
      items.push_back(table.CellImage(i)->property("item").toInt());
    return items;
  }

 private slots:
  void init() { BeginCase(); }
  void cleanup() { EndCase(); }

  // Two by two cells at first: pages of four, the label and caption tell where the page is, and
  // back from the first page goes to the last.
  void PagesOfTheFileList() {
    Start();
    TPictureTableForm& table = Open();
    QCOMPARE(table.CellCount(), 4);
    QCOMPARE(ShownItems(table), (std::vector<int>{0, 1, 2, 3}));
    QCOMPARE(table.windowTitle(), QString("PictureTable  ( 1-4 /5 )"));
    QCOMPARE(table.FileNumLabel()->text(), QString(" File= 1-4\r\n       (     / 5 )"));
    for (int i = 0; i < 4; ++i) QVERIFY(!table.CellImage(i)->pixmap().isNull());
    table.FileNextExecute();
    QCOMPARE(ShownItems(table), (std::vector<int>{4, -1, -1, -1}));
    QCOMPARE(table.windowTitle(), QString("PictureTable  ( 5-5 /5 )"));
    table.FileNextExecute();
    QCOMPARE(ShownItems(table), (std::vector<int>{0, 1, 2, 3}));
    table.FileBackExecute();
    QCOMPARE(ShownItems(table), (std::vector<int>{1, 2, 3, 4}));
    QVERIFY(recorder_.Texts().empty());
    QCOMPARE(table.Store().HeldCount(), 5);
  }

  // A left click selects the cell's item in the list and lowers its frame; a second one undoes
  // it. The reverse command inverts the whole list.
  void ClicksSelectItems() {
    Start();
    TPictureTableForm& table = Open();
    QTest::mouseClick(table.CellImage(1), Qt::LeftButton);
    QCOMPARE(table.SelectedItems(), std::vector<int>{1});
    table.SelectionReverseExecute();
    QCOMPARE(table.SelectedItems(), (std::vector<int>{0, 2, 3, 4}));
    QTest::mouseClick(table.CellImage(0), Qt::LeftButton);
    QCOMPARE(table.SelectedItems(), (std::vector<int>{2, 3, 4}));
  }

  // A picture that is gone leaves its cell empty, is selected and counted in one message.
  void MissingPicturesAreSelectedAndCounted() {
    Start();
    std::filesystem::remove(dir_->File("c.bmp"));
    TPictureTableForm& table = Open();
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"未知の画像ファイルが 1個 発見されました。\r\n\r\n"
                                      "必要に応じて削除してください。\r\n"
                                      "(ファイルはセレクト状態になっています。"});
    QCOMPARE(table.SelectedItems(), std::vector<int>{2});
    QVERIFY(table.CellImage(2)->pixmap().isNull());
  }

  // "リストに追加(&G)" adds only a list of the same kind; the cell counts go back to the settings.
  void AddingAnotherKindIsRefusedAndSettingsReturn() {
    Start();
    TPictureTableForm& table = Open();
    form_->EditCommands().Action("PictureTableAddData")->trigger();
    QCOMPARE(table.Items().size(), std::size_t{10});
    form_->Capture().CaptureDataCaptureExecute();
    QVERIFY(form_->Capture().ShowRecord(0));
    recorder_.Clear();
    form_->EditCommands().Action("PictureTableAddData")->trigger();
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"既存のファイルとファイルタイプが違います。"});
    QCOMPARE(table.Items().size(), std::size_t{10});
    table.ChangeCounts(1, 0);
    QTRY_VERIFY(!table.Busy());
    QCOMPARE(table.CellCount(), 6);
    QVERIFY(table.close());
    QCOMPARE(form_->Settings().picture_table.w_count, 2);
    QCOMPARE(form_->Settings().picture_table.h_count, 1);
  }

  // The rotation dialog opened from the table turns every picture of the page on the worker; the
  // cells are fitted to the turned pictures and the reference pictures stay as they were.
  void TheRotationDialogTurnsThePage() {
    Start();
    TPictureTableForm& table = Open();
    const QSize before = table.CellImage(0)->size();
    QVERIFY(before.width() > before.height());
    table.Action("ShowRotationArrangeForm1")->trigger();
    auto* dialog = table.findChild<TImageRotationArrange*>("ImageRotationArrange");
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(table.Action("FocusRotationArrangeForm1")->isEnabled());
    dialog->DegreeEdit()->setText("90");
    dialog->RotationButtonClick();
    QTRY_VERIFY_WITH_TIMEOUT(table.CellImage(0)->height() > table.CellImage(0)->width(), 10000);
    QCOMPARE(table.Store()[0].bitmap.Width(), 40);
    table.Action("ShowRotationArrangeForm1")->trigger();
    QTRY_VERIFY(!table.findChild<TImageRotationArrange*>("ImageRotationArrange"));
    QVERIFY(!table.Action("FocusRotationArrangeForm1")->isEnabled());
  }

  // "総参照画像取得(&A)" holds every item's picture, also those of pages not shown yet.
  void EveryReferencePictureAtOnce() {
    for (const char* name : {"z1", "z2", "z3", "z4", "z5", "z6", "z7", "z8", "z9"})
      SavePictureFile(PatternBitmap(20, 20), dir_->File(std::string(name) + ".bmp"), true, 100);
    Start(14);
    TPictureTableForm& table = Open();
    QCOMPARE(table.Store().HeldCount(), 4);
    table.GetAllThumbNailExecute();
    QCOMPARE(table.Store().HeldCount(), 14);
    QVERIFY(recorder_.Texts().empty());
  }

  // The page's pictures decoded ahead on the workers give the same reference pictures, cells,
  // selection and message as those decoded by the fill itself: with a missing file, and with a
  // capacity of two pictures (the third cell's prepared decode is thrown away), for files and
  // for cap data regions.
  void PreparedDecodesGiveTheSerialPage() {
    struct TPage {
      std::vector<std::string> texts;
      std::vector<QImage> cells;
      std::vector<TBitmap24> held;
      std::vector<int> selected;
    };
    auto fill = [this](bool prepared, bool missing, int thumb_count, bool cap_data) -> TPage {
      BeginCase();
      Start();
      TPictureTableForm& table = Open();
      if (cap_data) {  // a region of each picture
        std::vector<std::string> lines;
        for (const char* name : {"a", "b", "c", "d", "e"}) {
          std::string line = dir_->File(std::string(name) + ".bmp");
          std::replace(line.begin(), line.end(), '/', '\\');
          lines.push_back(line.append("/5/3/30/20"));
        }
        table.SetItems(lines, false);
      }
      table.Action("GetRectifiedThumbNail1")->setChecked(true);  // enlarged by a rectify resize
      table.Action("CanGetBigThumbNail1")->setChecked(true);
      if (!prepared) table.prepare_thumbnail = nullptr;
      if (missing) std::filesystem::remove(dir_->File("c.bmp"));
      form_->Settings().picture_table.thumb_count = thumb_count;
      recorder_.Clear();
      recorder_.AnswerMessage(mb::kIdYes);
      table.Action("ReSetPicture1")->trigger();
      [&] { QTRY_VERIFY(!table.Busy()); }();
      TPage page{recorder_.Texts(), {}, {}, table.SelectedItems()};
      for (int i = 0; i < table.CellCount(); ++i) {
        page.cells.push_back(table.CellImage(i)->pixmap().toImage());
        page.held.push_back(table.Store()[static_cast<std::size_t>(i)].bitmap);
      }
      EndCase();
      return page;
    };
    const struct {
      bool missing;
      int thumb_count;
      bool cap_data;
    } cases[] = {{true, 100, false}, {false, 2, false}, {true, 100, true}, {false, 2, true}};
    for (const auto& [missing, thumb_count, cap_data] : cases) {
      const TPage serial = fill(false, missing, thumb_count, cap_data);
      const TPage prepared = fill(true, missing, thumb_count, cap_data);
      QCOMPARE(serial.texts.size(), std::size_t{1});
      QCOMPARE(prepared.texts, serial.texts);
      QCOMPARE(prepared.selected, serial.selected);
      QCOMPARE(prepared.cells, serial.cells);
      for (std::size_t i = 0; i < serial.held.size(); ++i)
        QVERIFY(prepared.held[i].SamePixels(serial.held[i]));
      QVERIFY(serial.held[0].Width() > 40);
    }
    BeginCase();
  }

  // QuickThumbnails from the settings reaches the table: a JPEG's reference picture keeps its
  // size and comes from the reduced decoding (other pixels than the full one's).
  void QuickThumbnailsComeFromTheSettings() {
    Start();
    TPictureTableForm& table = Open();
    const std::string jpeg = dir_->File("photo.jpg");
    QVERIFY(SavePictureFile(PatternBitmap(640, 480), jpeg, true, 95));
    table.SetItems({jpeg}, true);
    TBitmap24 pictures[2];
    for (const bool quick : {false, true}) {
      form_->Settings().extensions.quick_thumbnails = quick;
      table.Action("ReSetPicture1")->trigger();
      QTRY_VERIFY(!table.Busy());
      QVERIFY(table.Store()[0].has_picture);
      pictures[quick] = table.Store()[0].bitmap;
    }
    QVERIFY(pictures[1].SameSizeAs(pictures[0]));
    QVERIFY(!pictures[1].SamePixels(pictures[0]));
    QVERIFY(recorder_.Texts().empty());
  }

  // Paging away while the first cell's picture is still decoding stops the fill (after that cell
  // when the fill was already waiting for it) and gives up the decodes of the cells not placed.
  void PagingAwayCancelsTheDecodesNotPlaced() {
    Start();
    TPictureTableForm& table = Open();
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::vector<std::pair<std::string, bool>> calls;  // path, still wanted after the gate
    table.prepare_thumbnail = [&](const TThumbNailPrefetch::TJob& job,
                                  const TThumbNailAcquireOptions& o) {
      const std::string& path = job.path;
      {
        std::unique_lock<std::mutex> lock(mutex);
        if (calls.empty())
          QMetaObject::invokeMethod(
              &table,
              [&] {
                table.FileNextExecute();
                std::lock_guard<std::mutex> lock(mutex);
                open = true;
                opened.notify_all();
              },
              Qt::QueuedConnection);
        calls.emplace_back(path, false);
        opened.wait(lock, [&] { return open; });
      }
      const bool wanted = o.owner->IsBusy();
      {
        std::lock_guard<std::mutex> lock(mutex);
        std::find_if(calls.begin(), calls.end(), [&](auto& c) { return c.first == path; })->second =
            wanted;
      }
      return TThumbNailPrefetch::Acquire(job, o);
    };
    recorder_.Clear();
    recorder_.AnswerMessage(mb::kIdYes);
    table.Action("ReSetPicture1")->trigger();
    QTRY_VERIFY(!table.Busy());
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"ピクチャー表示を中断します"});
    for (std::size_t i = 1; i < 4; ++i) QVERIFY(!table.Store()[i].tried);
    QVERIFY(!calls.empty());
    for (const auto& [path, wanted] : calls) {
      const auto item = std::find(table.Items().begin(), table.Items().end(), path);
      QCOMPARE(wanted, table.Store()[static_cast<std::size_t>(item - table.Items().begin())].tried);
    }
  }

  // Obtaining every picture handles events on the way: a close asked for meanwhile is refused
  // (it would take the records away under the run), and the run ends as it would have.
  void ClosingIsRefusedWhileEveryPictureIsObtained() {
    for (const char* name : {"z1", "z2", "z3", "z4", "z5", "z6", "z7", "z8", "z9"})
      SavePictureFile(PatternBitmap(20, 20), dir_->File(std::string(name) + ".bmp"), true, 100);
    Start(14);
    TPictureTableForm& table = Open();
    bool closed = true;
    QTimer::singleShot(0, &table, [&] { closed = table.close(); });
    table.GetAllThumbNailExecute();
    QVERIFY(!closed);
    QVERIFY(table.isVisible());
    QCOMPARE(table.Store().HeldCount(), 14);
    QVERIFY(recorder_.Texts().empty());
  }

  // Full screen takes the cells and the list; Esc brings them back to the table.
  void FullScreenAndBack() {
    Start();
    TPictureTableForm& table = Open();
    table.Action("ShowFullScreen1")->trigger();
    QVERIFY(table.MainPanel()->window() != &table);
    QVERIFY(table.FileNameListBox()->window() == table.MainPanel()->window());
    QTest::keyClick(table.MainPanel()->window(), Qt::Key_Escape);
    QTRY_VERIFY(table.MainPanel()->window() == &table);
    QVERIFY(table.FileNameListBox()->window() == &table);
    QTRY_COMPARE(ShownItems(table), (std::vector<int>{0, 1, 2, 3}));
  }

  // A data file of cap data replaces a list of files; one of files is then refused, with either
  // button.
  void DataFilesReplaceOrAppendTheirKind() {
    WriteWholeFile(dir_->File("caps.txt"), "//FiF\\a.bmp/1/1/3/2\r\n//FiF\\b.bmp/0/0/4/4\r\n");
    WriteWholeFile(dir_->File("files.txt"), "//FiF\\a.bmp\r\n");
    Start();
    TPictureTableForm& table = Open();
    AnswerDataFileDialog("caps.txt", false);
    table.FileListOpenExecute();
    QVERIFY(!table.FileDataMode());
    QCOMPARE(table.FileNameListBox()->item(1)->text(), QString("  2 b.bmp"));
    QTRY_COMPARE(ShownItems(table), (std::vector<int>{0, 1, -1, -1}));
    AnswerDataFileDialog("files.txt", true);
    table.FileListOpenExecute();
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"既存のファイルとファイルタイプが違います。"});
    QCOMPARE(table.Items().size(), std::size_t{2});
  }

  // The selected reference pictures are saved with the table's groups of the dialog off; with
  // nothing selected there is nothing to save.
  void SelectedReferencePicturesAreSaved() {
    Start();
    TPictureTableForm& table = Open();
    table.SaveSelectedExecute(false);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"選択データが見つかりませんでした。"});
    recorder_.Clear();
    QTest::mouseClick(table.CellImage(1), Qt::LeftButton);
    QTest::mouseClick(table.CellImage(3), Qt::LeftButton);
    std::filesystem::create_directory(dir_->File("out"));
    QString caption;
    bool size_group = true, surround = false;
    table.save_dialog_runner = [&](TSavePictureListForm& dialog) {
      caption = dialog.windowTitle();
      size_group = dialog.Group("PictureSizeGroupBox")->isEnabled();
      surround = dialog.CheckBox("EdgeSurroundPictureCheckBox")->isChecked();
      dialog.SaveMethodRadioGroup()->button(0)->click();
      recorder_.AnswerFiles({dir_->File("out/t1")});
      recorder_.AnswerFilter(2);
      dialog.SaveButtonClick();
      return TSavePictureListForm::kExitResult;
    };
    table.SaveSelectedExecute(false);
    QCOMPARE(caption, QString("  選択画像(参照)の保存"));
    QVERIFY(!size_group && surround);
    QTRY_VERIFY(std::filesystem::exists(dir_->File("out/t2.jpg")));
    QVERIFY(std::filesystem::exists(dir_->File("out/t1.jpg")));
    QVERIFY(!std::filesystem::exists(dir_->File("out/t3.jpg")));
    QCOMPARE(form_->Settings().base.save_folder, dir_->File("out"));
  }

  // Deleting items before the page shown keeps the same items on screen; deleting all of them
  // leaves an empty table of files.
  void DeletedItemsTakeTheirPicturesWithThem() {
    Start();
    TPictureTableForm& table = Open();
    table.FileNextExecute();
    QCOMPARE(ShownItems(table), (std::vector<int>{4, -1, -1, -1}));
    QTest::mouseClick(table.CellImage(0), Qt::LeftButton);  // e.bmp
    table.SelectionReverseExecute();                        // a.bmp to d.bmp
    QTest::mouseClick(table.CellImage(0), Qt::LeftButton);  // and e.bmp again
    table.FileBackExecute();
    for (int item : {1, 3}) table.FileNameListBox()->item(item)->setSelected(false);
    table.DeleteSelectedExecute();  // a.bmp, c.bmp and e.bmp go
    QCOMPARE(table.Items().size(), std::size_t{2});
    QCOMPARE(table.FileNameListBox()->item(0)->text(), QString("b.bmp"));
    QCOMPARE(table.Store().Size(), std::size_t{2});
    QCOMPARE(table.Store()[1].source_path, dir_->File("d.bmp"));
    table.SelectionReverseExecute();
    table.DeleteSelectedExecute();
    QVERIFY(table.Items().empty() && table.FileDataMode());
    recorder_.Clear();
    table.TransferExecute(false);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"データがありません。"});
    QCOMPARE(table.Store().HeldCount(), 0);
    QCOMPARE(table.windowTitle(), QString("PictureTable  "));
  }

  // The items before the first one deleted stay as they were.
  void DeletingALaterItemKeepsTheEarlierOnes() {
    Start();
    TPictureTableForm& table = Open();
    table.FileNameListBox()->item(3)->setSelected(true);
    table.DeleteSelectedExecute();
    QCOMPARE(table.Items(), (std::vector<std::string>{dir_->File("a.bmp"), dir_->File("b.bmp"),
                                                      dir_->File("c.bmp"), dir_->File("e.bmp")}));
    QCOMPARE(table.FileNameListBox()->item(0)->text(), QString("a.bmp"));
  }

  // Dropped folders add their pictures (other files are left out); a transfer replaces the main
  // window's file list after the question.
  void DroppedPicturesAndTheTransferBack() {
    Start();
    TPictureTableForm& table = Open();
    std::filesystem::create_directory(dir_->File("more"));
    SavePictureFile(PatternBitmap(8, 8), dir_->File("more/m.bmp"), true, 100);
    WriteWholeFile(dir_->File("more/notes.txt"), "x");
    table.DropFiles({dir_->File("more")});
    QCOMPARE(table.Items().back(), dir_->File("more/m.bmp"));
    QCOMPARE(table.Items().size(), std::size_t{6});
    QCOMPARE(ShownItems(table)[0], 5);
    recorder_.AnswerMessage(mb::kIdYes);
    table.TransferExecute(false);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"データを転送します。"});
    QCOMPARE(form_->FilePathList(), table.Items());
  }

  // 100,000 dropped names, a tenth of them no pictures, come in at once (the collect is one
  // pass); the first page shown starts at the first of them. A dropped folder that is gone by
  // the drop adds nothing and reports no error.
  void LargeDropsAndGoneFolders() {
    Start();
    TPictureTableForm& table = Open();
    std::vector<std::string> dropped;
    for (int i = 0; i < 100000; ++i)
      dropped.push_back(
          dir_->File(QString("many/%1.%2").arg(i).arg(i % 10 == 9 ? "txt" : "jpg").toStdString()));
    dropped.push_back(dir_->File("gone"));
    table.DropFiles(dropped);
    QTRY_VERIFY(!table.Busy());
    QCOMPARE(table.Items().size(), std::size_t{90005});
    QCOMPARE(table.FileNameListBox()->count(), 90005);
    QCOMPARE(table.Items()[5], dir_->File("many/0.jpg"));
    QCOMPARE(table.PageStart(), 5);
    // Only the first page's notice of the names that are no files.
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"未知の画像ファイルが 4個 発見されました。\r\n\r\n"
                                      "必要に応じて削除してください。\r\n"
                                      "(ファイルはセレクト状態になっています。"});
  }

  // Each page stays for two ticks; without repeat the show ends after the last page.
  void TheSlideShowPagesEveryOtherTick() {
    Start();
    TPictureTableForm& table = Open();
    table.SlideShowExecute();
    QVERIFY(table.SlideRunning());
    table.SaveSelectedExecute(false);
    table.GetAllThumbNailExecute();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>(2, "スライドショー中は不可。"));
    recorder_.Clear();
    table.SlideTimerTimer();
    QCOMPARE(table.PageStart(), 0);
    table.SlideTimerTimer();
    QCOMPARE(table.PageStart(), 4);
    table.SlideTimerTimer();
    table.SlideTimerTimer();
    QVERIFY(!table.SlideRunning());
    QCOMPARE(table.Action("SlideRepeat1")->isChecked(), false);
    table.SlideRepeatExecute();
    QCOMPARE(table.findChild<QPushButton*>("SlideRepeatButton")->text(), QString("○"));
    // Intervals that are no positive whole number leave the interval as it was.
    for (const char* typed : {"0", "-1", "1e9", "abc", "99999999999"}) {
      recorder_.Clear();
      recorder_.AnswerInput(typed);
      table.SlideIntervalExecute();
      QCOMPARE(recorder_.Texts(), std::vector<std::string>{"正の整数を入力してください。"});
    }
    QCOMPARE(form_->Settings().picture_table.slide_interval, 2000);
    recorder_.AnswerInput("750");
    table.SlideIntervalExecute();
    QCOMPARE(form_->Settings().picture_table.slide_interval, 750);
  }

  // Two runs of one extract dialog: the missing files each run lets go all leave the table,
  // whatever their order.
  void TwoExtractRunsTakeTheirMissingFilesOut() {
    Start();
    ExtractAtLeast60By30(form_->Settings().picture_table);
    TPictureTableForm& table = Open();
    std::filesystem::remove(dir_->File("b.bmp"));
    QTimer::singleShot(0, [this] {
      auto* form = qobject_cast<TFileExtractForm*>(QApplication::activeModalWidget());
      QVERIFY(form);
      form->ExtractButtonClick();
      std::filesystem::remove(dir_->File("e.bmp"));
      form->ExtractButtonClick();
      QCOMPARE(form->Removed(), (std::vector<std::size_t>{1, 4}));
      static_cast<QDialog*>(form)->done(6);
    });
    table.Action("EileExtract1")->trigger();
    QCOMPARE(table.Items(), (std::vector<std::string>{dir_->File("a.bmp"), dir_->File("c.bmp"),
                                                      dir_->File("d.bmp")}));
    QCOMPARE(table.Store().Size(), std::size_t{3});
    QCOMPARE(table.SelectedItems(), (std::vector<int>{1, 2}));
    QCOMPARE(recorder_.Texts(), (std::vector<std::string>{"3個のファイルを抽出しました。",
                                                          "2個のファイルを抽出しました。"}));
  }

  // "抽出(&E)" selects the items whose pictures are at least 60 x 30 in the table, and in the
  // main window keeps only them in the file list.
  void TheExtractSelectsInTheTableAndDeletesInTheMainWindow() {
    Start();
    ExtractAtLeast60By30(form_->Settings().picture_table);
    TPictureTableForm& table = Open();
    QTimer::singleShot(0, [] {
      auto* form = qobject_cast<TFileExtractForm*>(QApplication::activeModalWidget());
      QVERIFY(form);
      form->ExtractButtonClick();
      static_cast<QDialog*>(form)->done(6);
    });
    table.Action("EileExtract1")->trigger();
    QCOMPARE(table.SelectedItems(), (std::vector<int>{2, 3, 4}));
    QVERIFY(table.close());
    QTimer::singleShot(0, [] {
      auto* form = qobject_cast<TFileExtractForm*>(QApplication::activeModalWidget());
      QVERIFY(form);
      form->ExtractButtonClick();
      static_cast<QDialog*>(form)->done(6);
    });
    form_->FileBrowser().Action("FileExtract")->trigger();
    QCOMPARE(
        form_->FilePathList(),
        (std::vector<std::string>{dir_->File("c.bmp"), dir_->File("d.bmp"), dir_->File("e.bmp")}));
    QCOMPARE(recorder_.Texts(), (std::vector<std::string>{"3個のファイルを抽出しました。",
                                                          "3個のファイルを抽出しました。"}));
  }
};

QTEST_MAIN(TPictureTableTest)
#include "tst_PictureTable.moc"
