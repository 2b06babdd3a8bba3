// The main window's start-up and close: settings file, data files, folder menu and commands.
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QtTest>
#include <cerrno>
#include <filesystem>

#include "app/CaptureActions.h"
#include "app/FileBrowser.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "engine/ImageBasics.h"
#include "model/ProgramData.h"
#include "platform/AppUtils.h"
#include "platform/IniFile.h"
#include "platform/LineFile.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"

namespace fs = std::filesystem;

namespace {

TMainFormOptions Options(const TTempDir& dir) {
  TMainFormOptions options;
  options.program_folder = dir.Path().string();
  options.screen_width = 1024;
  options.screen_height = 768;
  options.drives = {"", "/media/u/DiskA"};
  return options;
}

std::string IniPath(const TTempDir& dir) { return dir.File(TProgramData::kSettingsFile); }

// Starts the main window over the folder, shows it and closes it again.
void RunOnce(const TTempDir& dir) {
  TMainForm form(Options(dir));
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form) || form.isVisible());
  form.close();
}

// A value other than the default for one key of the schema.
std::string OtherValue(const TSettingDef& def, TMainSettings defaults, int salt) {
  void* field = def.field(defaults);
  switch (def.kind) {
    case TSettingKind::Bool:
      return std::to_string(*static_cast<bool*>(field) ? 0 : 1);
    case TSettingKind::Float:
      return "1.5";
    case TSettingKind::String:
      return std::string("text ").append(def.key);
    default:
      return std::to_string(salt + 11);
  }
}

}  // namespace

class TMainFormTest : public QObject {
  Q_OBJECT

 private:
  TRecordingDialogService recorder_;
  TApU apu_{&recorder_};

 private slots:
  void init() {
    recorder_.Clear();
    InstallApU(&apu_);
  }
  void cleanup() { InstallApU(nullptr); }

  void StartsWithDefaultsWithoutASettingsFile() {
    TTempDir dir;
    TMainForm form(Options(dir));
    const TMainSettings& s = form.Settings();
    // The very first start: two thirds of the 1024 x 768 screen, centred.
    QCOMPARE(s.form.width, 682);
    QCOMPARE(s.form.height, 512);
    QCOMPARE(s.form.left, 171);
    QCOMPARE(s.form.top, 128);
    QCOMPARE(s.base.position, 5);
    QCOMPARE(s.base.zoom_rate, 25);
    QCOMPARE(s.base.slide_interval, 2000);
    QVERIFY(s.file_filter.bmp_file && s.file_filter.jpg_file && s.file_filter.ico_file &&
            s.file_filter.wmf_file && s.file_filter.emf_file);
    QCOMPARE(s.effect.resize_width, 1024);
    QCOMPARE(s.play_list.left, (1024 - 250) / 2);
    QCOMPARE(s.play_list.top, (768 - 400) / 4);
    QCOMPARE(form.CurrentFolder(), dir.Path().string());
    QCOMPARE(form.NewDataFileName(), dir.Path().filename().string() + ".txt");
    QCOMPARE(form.geometry(), QRect(171, 128, 682, 512));
  }

  void EveryKeySurvivesARoundTrip() {
    TTempDir dir;
    fs::create_directory(dir.Path() / "pictures");
    const std::string now_folder = dir.File("pictures");
    // Every key gets a value other than its default.
    TSettingsContext context{1024, 768, dir.Path().string()};
    const TMainSettings defaults = DefaultSettings(context);
    TIniFile ini;
    int salt = 3;
    for (const TSettingDef& def : SettingsSchema())
      ini.WriteString(def.section, def.key, OtherValue(def, defaults, salt++));
    ini.WriteString("Form", "Maximized", "0");
    ini.WriteString("Form", "Left", "30");
    ini.WriteString("Form", "Top", "20");
    ini.WriteString("Form", "Width", "600");
    ini.WriteString("Form", "Height", "450");
    ini.WriteString("Panel", "LeftWidth", "150");  // remembered widths are at least 80 and 101
    ini.WriteString("Panel", "RightWidth", "130");
    ini.WriteString("Panel", "DirHeight", "120");  // current heights are written back
    ini.WriteString("Panel", "TextDataListBoxHeight", "40");
    ini.WriteString("BaseSettings", "Position", "7");
    ini.WriteString("BaseSettings", "NowFolder", now_folder);
    ini.WriteString("BaseSettings", "SearchMoreDrive", "/media/u/DiskA");
    ini.WriteString("PictureTableForm", "ThumbPercentPercent", "60");
    ini.WriteString("TextArrange", "TextFont", "ＭＳ ゴシック,9");
    ini.WriteString("FileFilter", "StockFileList", "0");  // the lists are tested on their own
    ini.WriteString("FileFilter", "StockCapDataList", "0");
    ini.WriteString("Extensions", "ReadAhead", "3");  // within 0..10
    QVERIFY(ini.Save(IniPath(dir)));
    const std::vector<std::string> before = ini.Lines();

    RunOnce(dir);

    TIniFile after;
    QVERIFY(after.Load(IniPath(dir)));
    // ThumbPercentPercent is written as a float: 60 stays "60".
    const std::vector<std::string>& expected = before;
    const std::vector<std::string> lines = after.Lines();
    for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
      QCOMPARE(QString::fromStdString(lines[i]), QString::fromStdString(expected[i]));
    QCOMPARE(lines.size(), expected.size());
    QVERIFY(recorder_.Entries().empty());
  }

  void DocumentedCorrectionsAreApplied() {
    TTempDir dir;
    LineFile::Write(IniPath(dir),
                    {"[Form]", "Left=2000", "Top=-50", "Width=300", "Height=200", "[BaseSettings]",
                     "KernelBound=1", "Position=12", "SearchMoreDrive=d:", "RealZoomControl=abc"});
    {
      TMainForm form(Options(dir));
      QCOMPARE(form.Settings().base.kernel_bound, 3);
      QCOMPARE(form.Settings().base.position, 5);
      QCOMPARE(form.Settings().base.search_more_drive, std::string());
      QCOMPARE(form.Settings().base.real_zoom_control, 1.0);
      QCOMPARE(form.geometry(), QRect(824, 0, 300, 200));
      form.close();
    }
    LineFile::Write(IniPath(dir), {"[Form]", "Width=3000", "Height=3000", "Left=-500"});
    {
      TMainForm form(Options(dir));
      QCOMPARE(form.geometry(), QRect(10, 0, 1003, 729));
    }
    LineFile::Write(IniPath(dir), {"[Form]", "Width=-300", "Height=1099511627776", "Left=-500"});
    {
      TMainForm form(Options(dir));
      // Unusable sizes fall back to the default size; the left edge keeps 200 pixels on screen.
      QCOMPARE(form.geometry(), QRect(-300, 0, 500, 400));
    }
  }

  void MaximizedWindowKeepsItsStoredBoundsUnread() {
    TTempDir dir;
    LineFile::Write(IniPath(dir), {"[Form]", "Maximized=1", "Left=40", "Width=700"});
    TMainForm form(Options(dir));
    QCOMPARE(form.Settings().form.left, 0);
    QCOMPARE(form.Settings().form.width, 500);
    form.show();
    QTRY_VERIFY(form.isMaximized());
    form.close();
    TIniFile ini;
    ini.Load(IniPath(dir));
    QCOMPARE(ini.ReadBool("Form", "Maximized", false), true);
  }

  void GarbageSettingsStartWithDefaults() {
    TTempDir dir;
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
    WriteWholeFile(IniPath(dir), garbage);
    TMainForm form(Options(dir));
    QCOMPARE(form.Settings().form.width, 500);
    QCOMPARE(form.Settings().base.zoom_rate, 25);
  }

  void RecordFilesAreNeverEmptied() {
    TTempDir dir;
    WriteWholeFile(dir.File("ColorRecords.dat"), "old colour\r\n");
    WriteWholeFile(dir.File("RGBRecords.dat"), "rgb 1\r\nrgb 2\r\n");
    {
      TMainForm form(Options(dir));
      QCOMPARE(form.Data().rgb_records.size(), std::size_t{2});
      form.Data().color_records.clear();  // the colour dialog's delete-all
      form.Data().filter_records = {"STD,3,1,1,1,1,1,1,1,1,1,0,0"};
      form.close();
    }
    QCOMPARE(ReadWholeFile(dir.File("ColorRecords.dat")), std::string("old colour\r\n"));
    QCOMPARE(ReadWholeFile(dir.File("RGBRecords.dat")), std::string("rgb 1\r\nrgb 2\r\n"));
    QCOMPARE(ReadWholeFile(dir.File("FilterRecords.dat")),
             std::string("STD,3,1,1,1,1,1,1,1,1,1,0,0\r\n"));
  }

  void FolderMenuKeepsOnlyExistingFolders() {
    TTempDir dir;
    fs::create_directories(dir.Path() / "a" / "photos");
    const std::string photos = dir.File("a/photos");
    const std::string missing = dir.File("gone");
    LineFile::Write(dir.File("Folders.dat"), {photos, missing, "/"});
    {
      TMainForm form(Options(dir));
      const QList<QAction*> items = form.FolderMenu()->actions();
      QCOMPARE(items.size(), 2);
      QCOMPARE(items[0]->text(), QString("photos"));
      QCOMPARE(items[1]->text(), QString("/"));
      items[0]->trigger();
      QCOMPARE(form.CurrentFolder(), photos);
      QCOMPARE(form.NewDataFileName(), std::string("photos.txt"));
      form.close();
    }
    std::vector<std::string> lines;
    LineFile::Read(dir.File("Folders.dat"), lines);
    QCOMPARE(lines, (std::vector<std::string>{photos, "/"}));
    TIniFile ini;
    ini.Load(IniPath(dir));
    QCOMPARE(ini.ReadString("BaseSettings", "NowFolder", ""), photos);
  }

  void KeptListsComeBackExactly() {
    TTempDir dir;
    LineFile::Write(IniPath(dir), {"[FileFilter]", "StockFileList=1", "StockCapDataList=1"});
    // Code page 932 lines, an unknown line and a too-short cap data line are all kept as read.
    const std::string cap_bytes =
        "\\home\\u\\\x8E\xCA\x90\x5E.jpg/10/20/30/40/ARo90\r\n"
        "a.jpg/1/2/3\r\n\r\nnot a record\r\n";
    const std::string file_bytes = "/home/u/a.jpg\r\n/home/u/\x8E\xCA\x90\x5E.bmp\r\n";
    WriteWholeFile(dir.File("CapList.dat"), cap_bytes);
    WriteWholeFile(dir.File("FileList.dat"), file_bytes);
    {
      TMainForm form(Options(dir));
      QCOMPARE(form.DataFilePathList().size(), std::size_t{4});
      form.show();
      QCOMPARE(form.FileNameListBox()->count(), 2);
      QCOMPARE(form.FileNameListBox()->item(1)->text(), QString("写真.bmp"));
      QCOMPARE(form.FileNameListBox()->currentRow(), 0);
      form.close();
    }
    QCOMPARE(ReadWholeFile(dir.File("CapList.dat")), cap_bytes);
    QCOMPARE(ReadWholeFile(dir.File("FileList.dat")), file_bytes);
  }

  void RightListInFileListModeShowsNames() {
    TTempDir dir;
    LineFile::Write(IniPath(dir), {"[FileFilter]", "StockCapDataList=1", "GetFileList=1",
                                   "ShowTextDataPicture=1"});
    LineFile::Write(dir.File("CapList.dat"), {"/home/u/a.jpg", "/home/u/b.jpg"});
    TMainForm form(Options(dir));
    QCOMPARE(form.DataFileNameListBox()->count(), 2);
    QCOMPARE(form.DataFileNameListBox()->item(1)->text(), QString("b.jpg"));
    // The whole mode comes back, not only the list.
    QCOMPARE(form.Capture().Action("CaptureDataCapture")->text(), QString("リストに追加(&C)"));
    QVERIFY(form.FileBrowser().Action("GetFileList")->isChecked());
    for (const char* name : {"TransportToFileList", "TransportToFileListAdd", "UndoGetFileList"})
      QVERIFY(form.FileBrowser().Action(name)->isVisible());
    QVERIFY(form.FileBrowser().Action("SetShowTextDataPicture")->isChecked());
  }

  void UnreadableListIsSetAsideBeforeItIsReplaced() {
    TTempDir dir;
    LineFile::Write(IniPath(dir), {"[FileFilter]", "StockCapDataList=1"});
    const std::string garbage = "ok line\r\n\x85\x40\xFF\xFE\x81";
    WriteWholeFile(dir.File("CapList.dat"), garbage);
    {
      TMainForm form(Options(dir));
      QVERIFY(form.DataFilePathList().empty());
      form.close();
    }
    QCOMPARE(ReadWholeFile(dir.File("CapList.dat.bad")), garbage);
    // The list was not the user's to lose: the file stays until the list gets entries.
    QCOMPARE(ReadWholeFile(dir.File("CapList.dat")), garbage);
    {
      TMainForm form(Options(dir));
      form.Capture().LoadLines({"\\home\\u\\a.jpg/1/2/3/4"});
      form.close();
    }
    QCOMPARE(ReadWholeFile(dir.File("CapList.dat")), std::string("\\home\\u\\a.jpg/1/2/3/4\r\n"));
  }

  // A close killed while writing leaves its temporary file; the next start removes it, and only
  // files of that form whose writer is gone.
  void TemporaryFilesOfAKilledCloseAreRemoved() {
    TTempDir dir;
    pid_t gone = 4000000;
    while (kill(gone, 0) == 0 || errno != ESRCH) ++gone;
    const std::string left = dir.File(".vlm-" + std::to_string(gone) + "-Ab12Cd");
    const std::string live = dir.File(".vlm-" + std::to_string(getpid()) + "-Ab12Cd");
    const std::string mine = dir.File("CapList.dat.tmp");
    for (const std::string& path : {left, live, mine}) WriteWholeFile(path, "half");
    RunOnce(dir);
    QVERIFY(!fs::exists(left));
    QVERIFY(fs::exists(live));
    QVERIFY(fs::exists(mine));
  }

  // With no FileList.dat yet, or an empty one, the left list keeps the remembered folder's
  // pictures and they are what is kept at close.
  void FileListFromTheRememberedFolderIsKept() {
    for (const bool empty_file : {false, true}) {
      TTempDir dir;
      fs::create_directory(dir.Path() / "pictures");
      const std::string folder = dir.File("pictures");
      for (const char* name : {"a.bmp", "b.bmp"})
        SavePictureFile(PatternBitmap(4, 4), folder + "/" + name, true, 100);
      LineFile::Write(IniPath(dir),
                      {"[BaseSettings]", "NowFolder=" + folder, "[FileFilter]", "StockFileList=1"});
      if (empty_file) WriteWholeFile(dir.File("FileList.dat"), "");
      RunOnce(dir);
      QCOMPARE(ReadWholeFile(dir.File("FileList.dat")),
               folder + "/a.bmp\r\n" + folder + "/b.bmp\r\n");
    }
  }

  void SettingsThatCannotBeWrittenSaySo() {
    TTempDir dir;
    const std::string folder = dir.File("gone");
    fs::create_directory(folder);
    TMainFormOptions options = Options(dir);
    options.program_folder = folder;
    TMainForm form(options);
    fs::remove(folder);
    form.close();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"初期化ファイルの設定に失敗しました。"});
    QCOMPARE(recorder_.Entries()[0].kind, TRecordingDialogService::Kind::ShowMessage);
  }

  // With the menu bar removed, the picture's pop-up menu still brings it back; the path hint
  // switch is in the file menu.
  void TheMenuBarComesBackFromThePicturesPopUp() {
    TTempDir dir;
    TMainForm form(Options(dir));
    QMenu* popup = form.PictureView().PopupMenu();
    QAction* display = nullptr;
    for (QAction* action : popup->actions())
      if (action->menu() && action->menu()->objectName() == "DisplayShow") display = action;
    QVERIFY(display);
    QAction* menu_bar = form.findChild<QAction*>("ViewMenuBar");
    QVERIFY(display->menu()->actions().contains(menu_bar));
    menu_bar->trigger();
    QVERIFY(form.menuBar()->isHidden());
    menu_bar->trigger();
    QVERIFY(!form.menuBar()->isHidden());
    QVERIFY(form.findChild<QMenu*>("FileMenu")
                ->actions()
                .contains(form.findChild<QAction*>("ShowFilePathHint")));
  }

  void AboutAndHelp() {
    TTempDir dir;
    TMainForm form(Options(dir));
    form.aboutVersionExecute();
    QCOMPARE(recorder_.Entries().size(), std::size_t{1});
    QCOMPARE(recorder_.Entries()[0].caption, std::string("  Velmora"));
    QCOMPARE(recorder_.Entries()[0].text, std::string("Velmora Version 01.02.02"));
    QCOMPARE(recorder_.Entries()[0].flags, mb::kOk);
    form.ViewHelpExecute();
    auto* browser = form.findChild<QTextBrowser*>("HelpBrowser");
    QVERIFY(browser);
    QVERIFY(browser->toPlainText().contains("Velmora"));
    // Menu captions read as the menus show them: the accelerator is a letter, not "&".
    QVERIFY(!browser->toPlainText().contains("(&"));
    QVERIFY(!browser->toPlainText().contains("&"));
    const QString zoom_in = form.findChild<QAction*>("PictureZoomIn")->text().remove('&');
    QVERIFY(browser->toPlainText().contains("「" + zoom_in + "」"));
  }

  void ExitClosesAndWritesTheSettings() {
    TTempDir dir;
    TMainForm form(Options(dir));
    form.show();
    form.ApplicationExitExecute();
    QVERIFY(!form.isVisible());
    QVERIFY(fs::exists(IniPath(dir)));
  }

  void ViewerThatDoesNotSaveSaysSoAndWritesNothing() {
    const QString note = QString::fromUtf8(TMainForm::kNotSavingNote);
    for (const bool read_only : {false, true}) {
      TTempDir dir;
      TMainFormOptions options = Options(dir);
      options.read_only = read_only;
      TMainForm form(options);
      form.show();
      QCOMPARE(form.windowTitle().endsWith(note), read_only);
      form.PictureView().ShowCaption();
      QCOMPARE(form.windowTitle(), QString("Velmora  ") + (read_only ? note : QString()));
      form.close();
      QCOMPARE(fs::exists(IniPath(dir)), !read_only);
    }
  }

  void HandedArgumentBringsTheWindowBack() {
    TTempDir dir;
    fs::create_directory(dir.Path() / "pictures");
    TMainForm form(Options(dir));
    form.showMinimized();
    form.ShowHandedArgument(dir.File("pictures"));
    QVERIFY(form.isVisible() && !form.isMinimized());
    QCOMPARE(form.CurrentFolder(), dir.File("pictures"));
  }

  void ExtremePanelValuesAreHeldInRange() {
    // Sums of these in the layout overflowed an int; the sanitizer build runs this.
    TTempDir dir;
    LineFile::Write(IniPath(dir),
                    {"[Panel]", "LeftWidth=-2147483648", "ImagePanelLeft=2000000000",
                     "DirHeight=2147483647", "RightWidth=2147483647",
                     "TextDataListBoxHeight=-2147483648", "ImagePanelTop=-2147483648"});
    RunOnce(dir);
    TIniFile ini;
    QVERIFY(ini.Load(IniPath(dir)));
    QCOMPARE(ini.ReadInteger("Panel", "LeftWidth", 0), 80);
    QCOMPARE(ini.ReadInteger("Panel", "ImagePanelLeft", 0), 25);
    QCOMPARE(ini.ReadInteger("Panel", "ImagePanelTop", -1), 0);
    QCOMPARE(ini.ReadInteger("Panel", "RightWidth", 0), 1024);
    const int dir_height = ini.ReadInteger("Panel", "DirHeight", -1);
    QVERIFY(dir_height >= 0 && dir_height <= 768);
  }

  void CurrentPanelHeightsAreWrittenAtClose() {
    TTempDir dir;
    LineFile::Write(IniPath(dir), {"[FileFilter]", "ShowTextDataPicture=1"});
    QList<int> heights;
    {
      TMainForm form(Options(dir));
      form.show();
      auto* splitter = form.findChild<QSplitter*>("LeftSplitter");
      QVERIFY(splitter);
      // Moved without a splitter drag, as a window resize moves them.
      heights = splitter->sizes();
      splitter->setSizes({heights[0] + 41, heights[1] - 60, heights[2] + 19});
      heights = splitter->sizes();
      form.close();
    }
    TIniFile ini;
    QVERIFY(ini.Load(IniPath(dir)));
    QCOMPARE(ini.ReadInteger("Panel", "DirHeight", 0), heights[0]);
    QCOMPARE(ini.ReadInteger("Panel", "TextDataListBoxHeight", 0), heights[2]);
    QVERIFY(heights[0] != 154 && heights[2] != 30);
  }
};

QTEST_MAIN(TMainFormTest)
#include "tst_MainForm.moc"
