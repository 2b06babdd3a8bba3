// The file list of the main window: file-list mode with dividing and undo, transports, sorts,
// dropped items, missing-file removal and the folder search.
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QTreeView>
#include <QWheelEvent>
#include <QtTest>

#include "app/CaptureActions.h"
#include "app/FileBrowser.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "app/SlideShow.h"
#include "engine/ImageBasics.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"
#include "widgets/MainImage.h"

namespace {

std::vector<std::string> Names(const QListWidget* list) {
  std::vector<std::string> names;
  for (int i = 0; i < list->count(); ++i) names.push_back(list->item(i)->text().toStdString());
  return names;
}

}  // namespace

class TFileListsTest : public TWindowTest {
  Q_OBJECT

 private:
  std::vector<std::string> pictures_;

  TFileBrowser& Files() { return form_->FileBrowser(); }
  void Trigger(const char* name) { Files().Action(name)->trigger(); }
  QListWidget* Left() { return form_->FileNameListBox(); }
  QListWidget* Right() { return form_->DataFileNameListBox(); }

 private slots:
  void init() {
    BeginCase();
    std::filesystem::create_directory(dir_->Path() / "pics");
    pictures_.clear();
    for (int i = 0; i < 10; ++i) {
      pictures_.push_back(dir_->File("pics/p" + std::to_string(i) + ".bmp"));
      SavePictureFile(PatternBitmap(8 + 4 * i, 8), pictures_.back(), true, 100);
    }
    form_ = std::make_unique<TMainForm>(Options(*dir_));
    form_->PictureView().SetAreaOverride(300, 200);
    Files().SetList(pictures_, 0);
    QTRY_VERIFY(!form_->PictureView().Processing());
  }
  void cleanup() { EndCase(); }

  void NextAtTheLastEntryFlashesAndKeepsTheSelection() {
    QWidget* panel = form_->PictureView().MainPanel();
    const QColor normal = panel->palette().color(QPalette::Window);
    QVERIFY(normal != QColor(Qt::black));
    Files().Select(9);
    QTRY_VERIFY(!form_->PictureView().Processing());
    form_->SlideShow().Action("FileNext")->trigger();
    QCOMPARE(Files().CurrentRow(), 9);
    QCOMPARE(panel->palette().color(QPalette::Window), QColor(Qt::black));
    QTRY_COMPARE_WITH_TIMEOUT(panel->palette().color(QPalette::Window), normal, 2000);
    form_->SlideShow().Action("FileBack")->trigger();
    QCOMPARE(Files().CurrentRow(), 8);
    QCOMPARE(panel->palette().color(QPalette::Window), normal);
  }

  void DividingMovesEntryFourAndUndoPutsItBack() {
    Trigger("GetFileList");
    QVERIFY(Files().FileListMode());
    QCOMPARE(form_->Capture().Action("CaptureDataCapture")->text(), QString("リストに追加(&C)"));
    Files().Action("GetFileListDivided")->setChecked(true);
    Files().Select(4);
    QTRY_VERIFY(!form_->PictureView().Processing());
    form_->Capture().Action("CaptureDataCapture")->trigger();
    QCOMPARE(form_->DataFilePathList(), std::vector<std::string>{pictures_[4]});
    QCOMPARE(Names(Right()), std::vector<std::string>{"p4.bmp"});
    QCOMPARE(Files().Count(), 9);
    QCOMPARE(Left()->count(), 9);
    QCOMPARE(Files().CurrentPath(), pictures_[5]);  // the new entry 4 is shown
    QCOMPARE(Files().CurrentRow(), 4);
    QVERIFY(Files().Action("UndoGetFileList")->isEnabled());
    Trigger("UndoGetFileList");
    QCOMPARE(form_->FilePathList(), pictures_);
    QCOMPARE(Files().CurrentRow(), 4);
    QVERIFY(form_->DataFilePathList().empty());
    QVERIFY(!Files().Action("UndoGetFileList")->isEnabled());
    QVERIFY(recorder_.Texts().empty());
  }

  void TransportsAndLeavingTheModeAsk() {
    Trigger("GetFileList");
    for (int row : {2, 7}) {
      Files().Select(row);
      QTRY_VERIFY(!form_->PictureView().Processing());
      form_->Capture().Action("CaptureDataCapture")->trigger();
    }
    Right()->setCurrentRow(-1);
    Trigger("TransportToFileListAddUnit");
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"追加するファイルが選択されていません。"});
    // Deleting from the right list in this mode removes the file path, names and paths alike.
    Right()->setCurrentRow(1);
    recorder_.AnswerMessage(mb::kIdNo);
    form_->Capture().Action("CaptureDataDelete")->trigger();
    QCOMPARE(form_->DataFilePathList(), std::vector<std::string>{pictures_[2]});
    QCOMPARE(Names(Right()), std::vector<std::string>{"p2.bmp"});
    Files().Select(7);
    QTRY_VERIFY(!form_->PictureView().Processing());
    form_->Capture().Action("CaptureDataCapture")->trigger();
    recorder_.Clear();
    Right()->setCurrentRow(0);
    Trigger("MoveToFileListAddUnit");
    QCOMPARE(form_->FilePathList().back(), pictures_[2]);
    QCOMPARE(form_->DataFilePathList(), std::vector<std::string>{pictures_[7]});
    Trigger("TransportToFileList");
    QCOMPARE(form_->FilePathList(), std::vector<std::string>{pictures_[7]});
    recorder_.Clear();
    recorder_.AnswerMessage(mb::kIdNo);
    Trigger("GetFileList");
    QVERIFY(Files().FileListMode());
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"キャプチャーリストのデータは全て削除されます。"});
    recorder_.AnswerMessage(mb::kIdYes);
    Trigger("GetFileList");
    QVERIFY(!Files().FileListMode());
    QCOMPARE(form_->Capture().Action("CaptureDataCapture")->text(), QString("キャプチャー(&C)"));
  }

  // The wheel over the picture steps through the list; with Ctrl it zooms by the zoom step.
  void TheWheelStepsAndCtrlWheelZooms() {
    Files().Select(3);
    QTRY_VERIFY(!form_->PictureView().Processing());
    QWidget* picture = form_->PictureView().MainImage();
    const auto turn = [this, picture](int delta, Qt::KeyboardModifiers mods) {
      QWheelEvent wheel(QPointF(5, 5), picture->mapToGlobal(QPointF(5, 5)), QPoint(),
                        QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
      QApplication::sendEvent(picture, &wheel);
      QTRY_VERIFY(!form_->PictureView().Processing());
    };
    turn(-120, Qt::NoModifier);  // towards the user: next
    QCOMPARE(Files().CurrentPath(), pictures_[4]);
    for (int i = 0; i < 3; ++i) turn(40, Qt::NoModifier);  // a touchpad's thirds: back once
    QCOMPARE(Files().CurrentPath(), pictures_[3]);
    const double before = form_->PictureView().Geometry().Relative();
    turn(120, Qt::ControlModifier);
    QCOMPARE(form_->PictureView().Geometry().Relative(), before * 1.25);
    turn(-120, Qt::ControlModifier);
    QCOMPARE(form_->PictureView().Geometry().Relative(), before);
    QCOMPARE(Files().CurrentPath(), pictures_[3]);
  }

  void SortsRebuildBothListsAndKeepTheSelection() {
    Files().Select(3);
    QTRY_VERIFY(!form_->PictureView().Processing());
    QVERIFY(form_->windowTitle().endsWith("( 4/10 )"));
    Trigger("SortToUpSideDown");
    QCOMPARE(form_->FilePathList().front(), pictures_[9]);
    QCOMPARE(Left()->item(0)->text(), QString("p9.bmp"));
    QCOMPARE(Files().CurrentPath(), pictures_[3]);
    QVERIFY(form_->windowTitle().endsWith("( 7/10 )"));  // the caption follows the sort
    form_->findChild<QAction*>("ShowFilePathHint")->setChecked(true);
    Trigger("SortByFileSize");  // widths grow with the index, and so do the sizes
    QCOMPARE(form_->FilePathList(), pictures_);
    QCOMPARE(Files().CurrentPath(), pictures_[3]);
    QCOMPARE(Left()->item(3)->toolTip().toStdString(), pictures_[3]);
  }

  void DroppedFolderAndTwoFilesInOrder() {
    const std::string folder = dir_->File("drop");
    std::filesystem::create_directories(folder + "/sub");
    for (const char* name : {"/b.bmp", "/a.bmp", "/sub/c.bmp"})
      SavePictureFile(PatternBitmap(4, 4), folder + name, true, 100);
    std::string first;
    Files().DropFiles({folder, pictures_[9], pictures_[0]}, &first);
    QCOMPARE(first, folder);
    const auto& paths = form_->FilePathList();
    QCOMPARE(std::vector<std::string>(paths.end() - 4, paths.end()),
             (std::vector<std::string>{pictures_[9], pictures_[0], folder + "/a.bmp",
                                       folder + "/b.bmp"}));
    QCOMPARE(Files().CurrentRow(), 10);
  }

  void DropOnTheWindowAppendsAndFollowsTheFolder() {
    const std::string folder = dir_->File("dropped");
    std::filesystem::create_directory(folder);
    SavePictureFile(PatternBitmap(4, 4), folder + "/z.bmp", true, 100);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder)),
                  QUrl::fromLocalFile(QString::fromStdString(pictures_[3]))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(QApplication::sendEvent(form_.get(), &enter));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(QApplication::sendEvent(form_.get(), &drop));
    QCOMPARE(form_->FilePathList().size(), std::size_t{12});
    QCOMPARE(form_->FilePathList()[10], pictures_[3]);
    QCOMPARE(form_->FilePathList()[11], folder + "/z.bmp");
    QCOMPARE(form_->CurrentFolder(), folder);
  }

  void MissingFilesRemovedFromTheChosenList() {
    std::filesystem::remove(pictures_[1]);
    std::filesystem::remove(pictures_[8]);
    recorder_.AnswerMessage(mb::kIdYes);
    Trigger("NotExistFileDelete");
    const auto& entries = recorder_.Entries();
    QCOMPARE(entries[0].caption, std::string("　存在しないファイルの削除"));
    QCOMPARE(entries[0].text,
             std::string(
                 "存在しないファイルを削除します。\r\n\r\nはい   =>　ファイルデータ(左側のリスト)"
                 "\r\nいいえ =>　キャプデータ(右側のリスト)\r\nキャンセル  => 操作中止"));
    QCOMPARE(entries[1].text, std::string("2個のデータを削除しました。"));
    QCOMPARE(Files().Count(), 8);
    QCOMPARE(Left()->count(), 8);
    recorder_.Clear();
    recorder_.AnswerMessage(mb::kIdYes);
    Trigger("NotExistFileDelete");
    QCOMPARE(recorder_.Texts().back(), std::string("削除データはありませんでした。"));
  }

  void OpenAppendsSortedPicturesAndRemembersTheFolder() {
    recorder_.AnswerFiles({pictures_[5], pictures_[2]});
    Trigger("FileOpen");
    QCOMPARE(recorder_.Entries()[0].text,
             std::string(
                 "ピクチャー(bmp, jpg, jpeg, ico, wmf, emf)|*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf|"
                 "ピクチャー(png, gif, tif, tiff, webp)|*.png;*.gif;*.tif;*.tiff;*.webp"));
    QCOMPARE(Files().Count(), 12);
    QCOMPARE(form_->FilePathList()[10], pictures_[2]);
    QCOMPARE(form_->Settings().base.used_folder, dir_->File("pics"));
    recorder_.Clear();
    Trigger("FileOpen");
    QCOMPARE(recorder_.Texts().back(), std::string("No Data !"));
  }

  void SaveAsksBeforeOverwritingAndWritesPng() {
    Files().Select(1);
    QTRY_VERIFY(!form_->PictureView().Processing());
    const std::string target = dir_->File("out/copy");
    std::filesystem::create_directory(dir_->File("out"));
    WriteWholeFile(target + ".png", "old");
    recorder_.AnswerFiles({target + ".png"});
    recorder_.AnswerMessage(mb::kIdNo);
    Trigger("FileSave");
    QCOMPARE(recorder_.Entries()[0].text,
             std::string("ピクチャー(*.bmp)|*.bmp|ピクチャー(*.jpg, *.jpeg)|*.jpg;*.jpeg|"
                         "ピクチャー(*.png)|*.png"));
    QCOMPARE(recorder_.Entries()[1].text,
             std::string("copy.png は既に存在します。\r\n\r\n上書きしてもよいですか?"));
    QCOMPARE(ReadWholeFile(target + ".png"), std::string("old"));
    recorder_.AnswerFiles({target + ".png"});
    recorder_.AnswerMessage(mb::kIdYes);
    Trigger("FileSave");
    QCOMPARE(ReadWholeFile(target + ".png").substr(1, 3), std::string("PNG"));
    QCOMPARE(form_->Settings().base.save_folder, dir_->File("out"));
    recorder_.AnswerFiles({target});  // no extension: the preselected kind's
    Trigger("FileSave");
    QVERIFY(std::filesystem::exists(target + ".bmp"));
    form_->PictureView().ClearPicture();
    recorder_.Clear();
    Trigger("FileSave");
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"ピクチャーがありません。"});
  }

  void OtherFormatsJoinTheFolderListOnlyWhenAskedFor() {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(QString::fromStdString(dir_->File("pics/q.png")), "png"));
    QVERIFY(form_->OpenFolder(dir_->File("pics")));
    QCOMPARE(Files().Count(), 10);
    form_->Settings().extensions.other_formats = true;
    QVERIFY(form_->OpenFolder(dir_->File("pics")));
    QCOMPARE(Files().Count(), 11);
    QCOMPARE(form_->FilePathList()[10], dir_->File("pics/q.png"));
    Files().Select(10);
    QTRY_VERIFY(!form_->PictureView().Processing());
    QVERIFY(form_->PictureView().HasPicture());
  }

  void DataSaveAsksWhichListAndRefusesAnEmptyOne() {
    recorder_.AnswerMessage(mb::kIdNo);
    Trigger("CaptureDataSave");
    const auto& entries = recorder_.Entries();
    QCOMPARE(entries[0].caption, std::string("　データセーブ"));
    QCOMPARE(entries[0].text,
             std::string("データをセーブします。\r\n\r\nはい   =>　ファイルデータ(左側のリスト)"
                         "\r\nいいえ =>　キャプデータ(右側のリスト)\r\nキャンセル  => セーブ中止"));
    QCOMPARE(entries[1].text, std::string("キャプデータが見つかりませんでした。"));
    Files().SetList({}, -1);
    recorder_.Clear();
    Trigger("CaptureDataSave");
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>{"セーブするデータが見つかりませんでした。"});
  }

  void FolderSearchFillsTheListWithoutBlocking() {
    const std::string root = dir_->File("tree");
    for (int i = 0; i < 3; ++i) {
      std::filesystem::create_directories(root + "/d" + std::to_string(i));
      WriteWholeFile(root + "/d" + std::to_string(i) + "/x.bmp", "x");
    }
    std::filesystem::create_directory_symlink(root, root + "/d0/loop");
    Files().FileSearchAllExecute(root, *form_->DirectoryListBox1());
    QVERIFY(Files().Searching());
    QTRY_VERIFY(!Files().Searching());
    QCOMPARE(
        form_->FilePathList(),
        (std::vector<std::string>{root + "/d0/x.bmp", root + "/d1/x.bmp", root + "/d2/x.bmp"}));
    QCOMPARE(recorder_.Texts().back(), std::string("3個のファイルを抽出しました。"));
  }
};

QTEST_MAIN(TFileListsTest)
#include "tst_FileLists.moc"
