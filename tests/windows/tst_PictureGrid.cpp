// The picture grid opened from the thumbnail table: the composed picture against the engine's
// own stretch and drawing, repeat, the layout's refusals, the line width, saving and the
// settings written back.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>

#include "app/EditCommands.h"
#include "app/FileBrowser.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "browse/grid/GridPreview.h"
#include "browse/grid/PictureGridForm.h"
#include "browse/table/PictureTableForm.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "model/Settings.h"
#include "platform/PictureSave.h"
#include "tests/TestSupport.h"
#include "tests/windows/WindowTestSupport.h"
#include "widgets/MainImage.h"

namespace {

// The composition as the engine draws it: white cells, black lines, each picture stretched into
// its place in the cell.
TBitmap24 ComposedByHand(const TGridLayout& layout, const std::vector<const TBitmap24*>& pictures) {
  TBitmap24 canvas(static_cast<int>(GridCanvasWidth(layout)),
                   static_cast<int>(GridCanvasHeight(layout)));
  canvas.Fill(kWhite);
  for (const TGridRect& line : GridLineRects(layout))
    canvas.FillRect(line.left, line.top, line.left + line.width, line.top + line.height, kBlack);
  for (std::size_t k = 0; k < pictures.size(); ++k) {
    if (!pictures[k]) continue;
    const int column = static_cast<int>(k) % layout.columns;
    const int row = static_cast<int>(k) / layout.columns;
    const TGridPlacement place =
        PlaceInGridCell(GridCellRect(layout, column, row), pictures[k]->Width(),
                        pictures[k]->Height(), TGridFitRounding::kTruncate);
    TBitmap24 scaled;
    StretchBitmap(*pictures[k], scaled, place.rect.width, place.rect.height);
    canvas.Draw(scaled, place.rect.left, place.rect.top);
  }
  return canvas;
}

}  // namespace

class TPictureGridTest : public TWindowTest {
  Q_OBJECT

 private:
  TPictureTableForm* table_ = nullptr;

  // count JPEGs of different shapes; the table opened with 3 x 3 cells and filled.
  void Start(int count) {
    const int sizes[][2] = {{160, 120}, {90, 160}, {200, 200}, {300, 100},
                            {120, 90},  {64, 48},  {100, 150}, {250, 180}};
    for (int i = 0; i < count; ++i) {
      QVERIFY(EncodeJpegFile(PatternBitmap(sizes[i][0], sizes[i][1]),
                             dir_->File(std::string(1, 'a' + i) + ".jpg")));
    }
    StartForm();
    form_->resize(800, 600);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QTRY_VERIFY(form_->PictureView().HasPicture());
    form_->EditCommands().Action("PictureTable")->trigger();
    table_ = form_->PictureTable();
    QVERIFY(table_);
    QTRY_VERIFY(table_->CellCount() > 0 && !table_->Busy());
    table_->ChangeCounts(1, 1);
    QTRY_VERIFY(table_->CellCount() == 9 && !table_->Busy() && table_->PageStart() == 0);
  }
  static bool EncodeJpegFile(const TBitmap24& picture, const std::string& path) {
    return SavePicture(picture, path, true, 95);
  }
  TPictureGridForm& OpenGrid() {
    table_->Action("ShowThumbNail1")->trigger();
    TPictureGridForm* grid = table_->PictureGrid();
    [&] {
      QVERIFY(grid);
      QVERIFY(QTest::qWaitForWindowExposed(grid));
      QTRY_VERIFY((!grid->ShownPicture().Empty() || !recorder_.Texts().empty()) &&
                  !grid->LayoutPending());
    }();
    return *grid;
  }
  // The reference pictures of the items the table shows, cell by cell (nullptr for none).
  std::vector<const TBitmap24*> HeldByCell(const std::vector<int>& cells) const {
    std::vector<const TBitmap24*> pictures;
    for (const int cell : cells)
      pictures.push_back(cell < 0 ? nullptr : table_->GridHeldPicture(cell));
    return pictures;
  }

 private slots:
  void init() { BeginCase(); }
  void cleanup() {
    table_ = nullptr;
    EndCase();
  }

  // Seven pictures, three columns, repeat off: three rows, the last two cells empty, and every
  // pixel as the engine's stretch and drawing give it. Repeat fills them with pictures 1 and 2.
  void ComposedGridEqualsTheEnginesDrawing() {
    Start(7);
    TPictureGridForm& grid = OpenGrid();
    QVERIFY(recorder_.Texts().empty());
    const TGridLayout layout = grid.Layout();
    QCOMPARE(layout.columns, 3);
    QCOMPARE(layout.rows, 3);
    QCOMPARE(grid.Preview()->CellCount(), 9);
    QVERIFY(layout.cell_width > 0 && layout.cell_height > 0);
    QVERIFY(grid.ShownPicture().SamePixels(
        ComposedByHand(layout, HeldByCell({0, 1, 2, 3, 4, 5, 6, -1, -1}))));
    QVERIFY(grid.BackPicture().SamePixels(grid.ShownPicture()));
    QCOMPARE(grid.windowTitle(), QString("PictureGrid  "));

    Child<QCheckBox>(grid, "ShowRepeatCheckBox")->click();
    QVERIFY(grid.ShownPicture().SamePixels(
        ComposedByHand(grid.Layout(), HeldByCell({0, 1, 2, 3, 4, 5, 6, 0, 1}))));

    // Without grid lines the spacing stays and is left white.
    grid.Action("NoGrid1")->trigger();
    QCOMPARE(grid.ShownPicture().Pixel(0, 0), kWhite);
    QCOMPARE(grid.Layout().line_width, 1);
  }

  // A single cell: the picture the table shows in it, at its own size with real size on.
  void SingleCellView() {
    Start(3);
    TPictureGridForm& grid = OpenGrid();
    Child<QCheckBox>(grid, "ShowAllCheckBox")->click();
    QVERIFY(Child<QCheckBox>(grid, "ShowOtherPictureCheckBox")->isEnabled());
    grid.Preview()->SelectCell(1);
    emit grid.Preview()->cellSelected(1);
    QVERIFY(grid.ShownPicture().SamePixels(*table_->GridHeldPicture(1)));
    QCOMPARE(grid.Image()->size(), QSize(90, 160));
    // The other picture: the one the table cell shows.
    Child<QCheckBox>(grid, "ShowOtherPictureCheckBox")->click();
    QVERIFY(grid.ShownPicture().SamePixels(*table_->GridShownPicture(1)));
    grid.Preview()->SelectCell(8);
    emit grid.Preview()->cellSelected(8);
    QVERIFY(grid.ShownPicture().Empty());
  }

  // While a button is down on the grid the caption gives the picture's displayed size.
  void CaptionWhileMouseDown() {
    Start(2);
    TPictureGridForm& grid = OpenGrid();
    QTest::mousePress(grid.Preview(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(
        grid.windowTitle(),
        QString("PictureGrid  ( %1, %2 )").arg(grid.Image()->width()).arg(grid.Image()->height()));
    QTest::mouseRelease(grid.Preview(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(grid.windowTitle(), QString("PictureGrid  "));
  }

  // A table emptied of its items leaves nothing to compose or save.
  void EmptyPage() {
    Start(2);
    table_->SelectionReverseExecute();
    table_->DeleteSelectedExecute();
    QTRY_VERIFY(table_->Items().empty());
    recorder_.Clear();
    TPictureGridForm& grid = OpenGrid();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"ピクチャーがありませんよ。"});
    grid.SaveButtonClick();
    QCOMPARE(recorder_.Texts().size(), 2u);
    QCOMPARE(recorder_.Texts().back(), std::string("ピクチャーがありませんよ。"));
  }

  // Columns that are not positive whole numbers fall back to 3; a grid beyond the working size
  // is refused with both pictures emptied; the line width box takes 0 to 20 only.
  void LayoutRefusals() {
    Start(4);
    TPictureGridForm& grid = OpenGrid();
    auto* columns = Child<QComboBox>(grid, "WCountComboBox");
    for (const char* text : {"0", "-3", "abc", "1e9"}) {
      columns->setEditText(text);
      grid.ApplyLayout();
      QCOMPARE(columns->currentText(), QString("   3"));
      QCOMPARE(grid.Layout().columns, 3);
    }
    QVERIFY(recorder_.Texts().empty());

    columns->setEditText("60");
    Child<QCheckBox>(grid, "SizeSelectCheckBox")->setChecked(true);
    Child<QRadioButton>(grid, "SizeGridRadioButton")->setChecked(true);
    Child<QComboBox>(grid, "SizeWidthComboBox")->setEditText("90");
    Child<QComboBox>(grid, "SizeHeightComboBox")->setEditText("90");
    grid.ApplyLayout();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{kGridTooLargeMessage});
    QVERIFY(grid.ShownPicture().Empty() && grid.BackPicture().Empty());

    recorder_.Clear();
    columns->setEditText("2");
    for (const char* bad : {"21", "-1", "x"}) recorder_.AnswerInput(bad);
    recorder_.AnswerInput("0");
    for (int i = 0; i < 4; ++i) grid.GridSizeClick();
    QCOMPARE(recorder_.Texts(),
             std::vector<std::string>(3, "0以上の20以下の整数を入力してください。"));
    QCOMPARE(grid.Layout().line_width, 0);
    QCOMPARE(grid.Layout().cell_width, 90);
    QCOMPARE(grid.ShownPicture().Width(), 180);
  }

  // Saving: the question before overwriting, the format by the filter, the main window's save
  // folder and name renewed; a folder that refuses the file leaves nothing behind.
  void Saving() {
    Start(2);
    TPictureGridForm& grid = OpenGrid();
    const std::string first = dir_->File("sheet");
    recorder_.AnswerFiles({first});
    recorder_.AnswerFilter(2);
    grid.SaveButtonClick();
    QVERIFY(std::filesystem::exists(first + ".jpg"));
    QCOMPARE(form_->FileBrowser().NewDataFileName(), std::string("sheet.txt"));

    recorder_.Clear();
    recorder_.AnswerFiles({first + ".jpg"});
    recorder_.AnswerMessage(mb::kIdNo);
    const auto before = std::filesystem::last_write_time(first + ".jpg");
    grid.SaveButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{
                                    "sheet.jpg は既に存在します。\r\n\r\n上書きしてもよいですか?"});
    QCOMPARE(recorder_.Entries().back().flags, mb::kYesNo | mb::kIconQuestion);
    QCOMPARE(std::filesystem::last_write_time(first + ".jpg"), before);

    // A folder that is a file: the save fails whoever runs it.
    WriteWholeFile(dir_->File("plain"), "x");
    recorder_.Clear();
    recorder_.AnswerFiles({dir_->File("plain") + "/x.bmp"});
    grid.SaveButtonClick();
    QCOMPARE(recorder_.Texts(), std::vector<std::string>{"ファイルセーブに失敗しました。"});
    QCOMPARE(ReadWholeFile(dir_->File("plain")), std::string("x"));
  }

  // The controller's rectify replaces the composed picture with one of the same size; the
  // window refuses to close while it works and writes its settings back when it closes.
  void RectifyAndClose() {
    Start(5);
    TPictureGridForm& grid = OpenGrid();
    const TBitmap24 before = grid.ShownPicture();
    grid.RectifyButtonClick();
    QTRY_VERIFY(!grid.Busy());
    QCOMPARE(grid.ShownPicture().Width(), before.Width());
    QCOMPARE(grid.ShownPicture().Height(), before.Height());
    QVERIFY(grid.BackPicture().SamePixels(before));
    QVERIFY(recorder_.Texts().empty());

    // The rotation dialog works on the back picture, without its automatic-effect box.
    grid.Action("ShowRotationArrangeForm1")->trigger();
    QWidget* rotation = grid.findChild<QWidget*>("ImageRotationArrange");
    QVERIFY(rotation);
    QVERIFY(!Child<QCheckBox>(*rotation, "AutoEffectCheckBox")->isEnabled());
    QVERIFY(grid.Action("FocusRotationArrangeForm1")->isEnabled());
    QVERIFY(grid.ApplyEffect("Rotation", " 90 "));
    QCOMPARE(grid.findChild<QLabel*>("ThreadCaptionLabel")->text(), QString("回転 90度"));
    QTRY_VERIFY(!grid.Busy());
    QCOMPARE(grid.ShownPicture().Width(), before.Height());
    QCOMPARE(grid.ShownPicture().Height(), before.Width());

    Child<QComboBox>(grid, "WCountComboBox")->setEditText("  5");
    Child<QCheckBox>(grid, "ShowRepeatCheckBox")->setChecked(true);
    QVERIFY(table_->Action("ShowThumbNail1")->isChecked());
    QVERIFY(grid.close());
    QVERIFY(!table_->Action("ShowThumbNail1")->isChecked());
    TMainSettings& settings = form_->Settings();
    QCOMPARE(settings.picture_grid.w_count, 5);
    QVERIFY(settings.picture_grid.show_repeat);
  }
};

QTEST_MAIN(TPictureGridTest)
#include "tst_PictureGrid.moc"
