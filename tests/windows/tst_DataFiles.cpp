// Data files in the data file dialog and the main window: type detection, open and add results,
// name checks, reference form, and the data-file list of the left panel.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QtTest>

#include "app/CaptureActions.h"
#include "app/FileBrowser.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "browse/PlayListViewer.h"
#include "effects/ImageViewBasic.h"
#include "engine/ImageBasics.h"
#include "engine/PictureLoader.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/LineFile.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"

class TDataFilesTest : public QObject {
  Q_OBJECT

 private:
  TRecordingDialogService recorder_;
  TApU apu_{&recorder_};
  std::unique_ptr<TTempDir> dir_;
  TPlayListViewerSettings settings_;
  const PathText paths_{TPathStyle::Posix, {""}};
  std::string album_;

 private slots:
  void init() {
    recorder_.Clear();
    InstallApU(&apu_);
    dir_ = std::make_unique<TTempDir>();
    album_ = dir_->File("album");
    std::filesystem::create_directory(album_);
    for (const char* name : {"/a.bmp", "/b.bmp"})
      SavePictureFile(PatternBitmap(6, 4), album_ + name, true, 100);
    WriteWholeFile(album_ + "/files.txt", "//FiF\\a.bmp\r\n//FiF\\b.bmp\r\n");
    WriteWholeFile(album_ + "/caps.txt", "//FiF\\b.bmp/1/1/3/2\r\n");
    WriteWholeFile(album_ + "/odd.txt", "a,b/c\r\n");
  }
  void cleanup() {
    dir_.reset();
    InstallApU(nullptr);
  }

  // The dialog opens where it was closed, and a place off the screen is brought back onto it.
  void OpensWhereItWasClosed() {
    settings_.left = 40;
    settings_.top = 30;
    settings_.width = 300;
    settings_.height = 420;
    {
      TPlayListViewerForm form(settings_, paths_, dir_->Path().string());
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      QCOMPARE(form.pos(), QPoint(40, 30));
      QCOMPARE(form.size(), QSize(300, 420));
      form.move(60, 70);
      form.resize(320, 440);
      QTRY_COMPARE(form.pos(), QPoint(60, 70));
    }
    QCOMPARE((std::vector<int>{settings_.left, settings_.top, settings_.width, settings_.height}),
             (std::vector<int>{60, 70, 320, 440}));
    settings_.left = 5000;
    settings_.top = -80;
    TPlayListViewerForm form(settings_, paths_, dir_->Path().string());
    const QRect screen = form.screen()->geometry();
    QCOMPARE(form.pos(), QPoint(screen.width() - 320, 0));
  }

  void OpenModeDetectsTypesAndReturnsResolvedLines() {
    TPlayListViewerForm form(settings_, paths_, dir_->Path().string());
    form.SetMode(false);
    QCOMPARE(form.windowTitle(), QString("Open"));
    form.SetFolder(album_);
    QCOMPARE(form.FileListBox()->count(), 3);
    form.FileClick("caps.txt");
    QCOMPARE(form.TypeLabel()->text(), QString("  ( キャプデータ )"));
    form.FileClick("files.txt");
    QCOMPARE(form.TypeLabel()->text(), QString(" ( ファイルデータ )"));
    form.AddButtonClick();
    QCOMPARE(form.Result(), TPlayListViewerForm::kResultAdd);
    QCOMPARE(form.Lines(), (std::vector<std::string>{album_ + "/a.bmp", album_ + "/b.bmp"}));
    QCOMPARE(form.Name(), std::string("files"));
    form.FileClick("odd.txt");
    QCOMPARE(form.TypeLabel()->text(), QString(" ( 未知のデータ )"));
    form.OKButtonClick();
    QCOMPARE(form.Result(), TPlayListViewerForm::kResultCancel);
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"未知のデータファイルです。"});
  }

  void SaveModeChecksTheNameAndWritesReferenceForm() {
    std::string folder_seen;
    {
      TPlayListViewerForm form(settings_, paths_, dir_->Path().string());
      form.SetMode(true);
      form.folder_changed = [&folder_seen](const std::string& f) { folder_seen = f; };
      form.SetFolder(album_);
      form.Action("FileSaveReferenceFileFolder1")->setChecked(true);
      form.SetSaveData({album_ + "/a.bmp"}, TDataType::kFileData, "a:b");
      form.OKButtonClick();
      QCOMPARE(recorder_.Texts(),
               std::vector<std::string>{
                   "ファイル名には次の文字は使えません。\r\n\r\n  \\ / : . ; * ? \" < > |"});
      form.findChild<QLineEdit*>("TextNameEdit")->setText("files.txt");
      recorder_.AnswerMessage(mb::kIdNo);
      form.OKButtonClick();
      QCOMPARE(recorder_.Entries().back().text,
               std::string("'files.txt' は既に存在します。\r\n\r\n上書きしますか？"));
      QCOMPARE(recorder_.Entries().back().caption, std::string("Save"));
      form.findChild<QLineEdit*>("TextNameEdit")->setText("new");
      form.OKButtonClick();
      QCOMPARE(form.Result(), TPlayListViewerForm::kResultOk);
    }
    QCOMPARE(folder_seen, album_);
    QVERIFY(settings_.file_save_reference_file_folder);
    std::vector<std::string> lines;
    QVERIFY(LineFile::Read(album_ + "/new.txt", lines));
    QCOMPARE(lines, std::vector<std::string>{"//FiF/a.bmp"});
  }

  void PreviewShowsLinesFittedAndSteps() {
    TPictureLoader loader;
    TImageViewBasicSettings view_settings;
    view_settings.width = 120;
    view_settings.height = 100;
    view_settings.image_center = true;
    TPlayListViewerForm form(settings_, paths_, dir_->Path().string());
    form.SetMode(false);
    form.SetFolder(album_);
    form.SetPreview(loader, view_settings, "");
    form.SetShowPicture(true);
    TImageViewBasicForm* view = form.ImageView();
    QVERIFY(view);
    form.FileClick("files.txt");
    QCOMPARE(view->windowTitle(), QString("a.bmp"));
    QCOMPARE(view->Picture().Width(), 6);
    // 6 x 4 fitted into 120 x 100 and centred: factor 20.
    QCOMPARE(view->PictureRect(), QRect(0, 10, 120, 80));
    view->step(-1);  // from the first line to the last
    QCOMPARE(view->windowTitle(), QString("b.bmp"));
    QVERIFY(!form.SlideTick());  // last line, repeat and all files off: the show ends
    QCOMPARE(view->windowTitle(), QString("a.bmp"));
    form.FileClick("caps.txt");
    QCOMPARE(view->Picture().Width(), 3);
    QCOMPARE(view->Picture().Height(), 2);
    std::filesystem::remove(album_ + "/b.bmp");
    form.FileClick("caps.txt");
    QCOMPARE(view->windowTitle(), QString("ファイルが見つかりません。"));
    QCOMPARE(form.TypeLabel()->text(), QString(" ( 未知のデータ )"));
    form.SetShowPicture(false);
    QVERIFY(!form.ImageView());
    QVERIFY(view_settings.image_center);
    // Closing the preview window is switching the preview off.
    form.SetShowPicture(true);
    QVERIFY(!form.ImageView()->close());
    QTRY_VERIFY(!form.ImageView());
    QVERIFY(!form.findChild<QCheckBox*>("ShowPictureCheckBox")->isChecked());
  }

  void DataFileListPlacesLinesByTheirKind() {
    auto form = std::make_unique<TMainForm>(Options(*dir_));
    form->PictureView().SetAreaOverride(300, 200);
    TFileBrowser& files = form->FileBrowser();
    form->OpenFolder(album_);
    files.Action("SetShowTextDataPicture")->trigger();
    QVERIFY(form->Settings().file_filter.show_text_data_picture);
    // Opening the folder's first data file (caps.txt) filled the cap data list.
    QCOMPARE(form->DataFilePathList(),
             std::vector<std::string>{paths_.EncodeRecordPath(album_ + "/b.bmp") + "/1/1/3/2"});
    files.OpenTextDataFile(1);  // files.txt
    QTRY_VERIFY(!form->PictureView().Processing());
    QCOMPARE(form->FilePathList(),
             (std::vector<std::string>{album_ + "/a.bmp", album_ + "/b.bmp"}));
    files.OpenTextDataFile(2);  // odd.txt
    QVERIFY(form->windowTitle().contains("odd.txt[未知のデータ]"));
    QCOMPARE(form->FilePathList().size(), std::size_t{2});
    QVERIFY(files.PlaceDataLines({album_ + "/a.bmp"}, true));
    QCOMPARE(form->FilePathList().size(), std::size_t{3});
    QVERIFY(!files.PlaceDataLines({"a,b"}, true));
  }
};

QTEST_MAIN(TDataFilesTest)
#include "tst_DataFiles.moc"
