#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "browse/grid/PictureGridForm.h"
#include "browse/table/TableGeometry.h"
#include "browse/table/ThumbNailAcquire.h"
#include "browse/table/ThumbNailPrefetch.h"
#include "browse/table/ThumbNailRules.h"
#include "effects/ThumbNailThreadWatcher.h"
#include "model/CapDataList.h"
#include "widgets/ActionSupport.h"

class PathText;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTimer;
class TPictureLoader;
class TPictureTableFullScreenForm;
class TTableEffectDialogs;
class TSavePictureListForm;
struct TMainSettings;
struct TPictureTableSettings;

// The thumbnail table: the items of a list (picture files, or cap data lines) shown a page at a
// time as a table of cells, each cell a frame holding a panel holding the item's reference
// picture. Clicking cells selects items; the list box beside the cells holds the same selection.
// The layout, paging and label rules are in TableGeometry; what a cell shows comes from the
// thumbnail store (ThumbNailRules).
class TPictureTableForm : public QWidget, public TThumbNailOwner, public TGridPictureSource {
  Q_OBJECT

 public:
  // What the main window hands over: where the settings live and how pictures are read.
  struct TContext {
    TPictureTableSettings* settings = nullptr;  // section "PictureTableForm", written back
    // The data file dialog's settings and the remembered data folder.
    TMainSettings* main_settings = nullptr;
    const PathText* paths = nullptr;
    const TPictureLoader* loader = nullptr;
    std::string search_more_drive;
    std::string program_folder;
    int screen_width = 1920;
    int screen_height = 1080;
    // The main window's RGB and free filter records, shared with the table's dialogs.
    std::vector<std::string>* rgb_records = nullptr;
    std::vector<std::string>* filter_records = nullptr;
    // The colour dialog's records, for the batch save's colours.
    std::vector<std::string>* color_records = nullptr;
    // The main window's name for the next save, which the picture grid offers and renews.
    std::function<std::string()> save_name;
    std::function<void(const std::string&)> set_save_name;
  };

  explicit TPictureTableForm(TContext context, QWidget* parent = nullptr);
  ~TPictureTableForm() override;

  // The list handed over by the main window. Replace: the list and its kind become these. Append:
  // only onto a list of the same kind; false (nothing changed) otherwise.
  void SetItems(std::vector<std::string> items, bool file_data);
  bool AppendItems(const std::vector<std::string>& items, bool file_data);
  bool FileDataMode() const { return file_data_; }
  const std::vector<std::string>& Items() const { return items_; }
  // The name offered for a new data file.
  void SetNewDataFileName(std::string name) { new_data_file_name_ = std::move(name); }

  // The worker controller that runs the cells' effect steps (the program keeps one).
  void SetController(TThumbNailThreadWatcherForm* controller);
  // The picture grid's controller (the program keeps one).
  void SetGridController(TGridThreadWatcherForm* controller) { grid_controller_ = controller; }
  const TThumbNailStore& Store() const { return store_; }

  // TThumbNailOwner
  void Set_ThreadPicture(const TBitmap24& picture, int cell, int renew_index, bool refit) override;
  void Set_CapDataPicture(const TBitmap24& picture, int tag) override;
  void StopThumbNailSlideShow() override;

  // TGridPictureSource
  std::vector<int> GridCellTags() const override;
  const TBitmap24* GridShownPicture(int cell) const override;
  const TBitmap24* GridHeldPicture(int item) const override;
  int GridColumnIndex() const override;
  // "テーブル編集(&T)": opens the picture grid, or lays it out anew and raises it when open.
  void ShowThumbNailExecute();
  TPictureGridForm* PictureGrid() const { return grid_; }

  // A page is being filled or the effect worker runs: commands that change the list, the layout
  // or the selection are refused, and so is closing.
  bool Busy() const;

  // The first index of the page shown, and the selection in the list.
  int PageStart() const { return shown_page_start_; }
  std::vector<int> SelectedItems() const;
  QAction* Action(const std::string& name) const { return FindAction(actions_, name); }
  QMenu* PopupMenu() const { return popup_; }
  QWidget* MainPanel() const { return main_panel_; }
  QListWidget* FileNameListBox() const { return names_; }
  QLabel* FileNumLabel() const { return count_label_; }
  // The image of cell i (its tag, the item index, in the property "item").
  QLabel* CellImage(int cell) const;
  int CellCount() const { return static_cast<int>(cells_.size()); }

  // Commands.
  void FileNextExecute();
  void FileBackExecute();
  void SelectionReverseExecute();
  void SetPnlButtonExecute();
  void ViewFullScreenExecute();
  void ViewPanelExecute();
  void PicturePositionStepExecute();
  // One more (grow > 0) or one fewer column and/or row.
  void ChangeCounts(int columns_delta, int rows_delta);
  void ProcessExecute(TProcessCommand command);
  // "総参照画像取得(&A)": every item's reference picture, with progress; "中止(&A)" stops it.
  void GetAllThumbNailExecute();
  // F11: a data file's list replaces the items or is appended (same kind only). F12 and
  // "選択データのみ保存(&P)": the items, or the selected ones, saved as a data file.
  void FileListOpenExecute();
  void FileListSaveExecute(bool only_selected);
  // "選択画像(参照)の一括保存(S)" (false) and "選択画像(表示)の一括保存(&V)" (true).
  void SaveSelectedExecute(bool shown_pictures);
  // "選択削除(&D)": the selected items go, their reference pictures with them; the items shown
  // before stay on screen.
  void DeleteSelectedExecute();
  // F9: picture files appended (file data only).
  void PictureFileOpenExecute();
  // Files and folders dropped on the table: the pictures among the files, then each folder's.
  void DropFiles(const std::vector<std::string>& dropped);
  // "データ転送(&T)" (append false) and "データ追加転送(&A)": the items to the main window.
  void TransferExecute(bool append);
  // Hands the items to the main window: replacing its list or appending to it.
  std::function<void(const std::vector<std::string>& items, bool file_data, bool append)> transfer;

  // The slide show: F1 starts or stops it, F2 repeat, F3 the interval, F4 the flashing slide.
  void SlideShowExecute();
  void FlashingSlideShowExecute();
  void SlideRepeatExecute();
  void SlideIntervalExecute();
  // "基本設定(&B)", "参照画像の設定(&T)" and "抽出(&E)" (selecting the matching items).
  void BaseSettingsExecute();
  void SetThumbNailSizeExecute();
  void FileExtractExecute();
  void StopSlideShow();
  bool SlideRunning() const;
  // One tick of the slide timer (tests call it instead of waiting).
  void SlideTimerTimer();
  // Shows the batch save dialog modally and returns its result; tests work the dialog instead.
  std::function<int(TSavePictureListForm& dialog)> save_dialog_runner;
  // The decode of a page's picture, made on the workers ahead of its cell; empty: every picture
  // is decoded by the fill itself. Tests hold or compare it.
  TThumbNailPrefetch::TPrepare prepare_thumbnail = TThumbNailPrefetch::Acquire;
  // An effect dialog's run: the step with its parameter on every cell showing a picture.
  bool ApplyEffect(const std::string& step, const std::string& parameter);

 signals:
  // The table closed; the settings were written back.
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TCell {
    QFrame* bevel = nullptr;
    QWidget* panel = nullptr;
    QLabel* image = nullptr;
    int item = -1;
    TBitmap24 shown;  // the picture the image shows
  };

  void BuildWidgets();
  void BuildActions();
  void BuildMenu();
  QAction* MakeAction(const char* name, const char* caption, const QKeySequence& key = {},
                      bool checkable = false);
  void ApplySettings();
  void TakeSettings();

  // The items changed: names rebuilt, cap data parsed, thumbnails in step.
  void ItemsChanged(bool replaced);
  void RebuildNames();
  void ApplyLayout(bool from_form);
  void CreateCells(int count);
  void PlaceCells();
  void FillPage();
  void ShowCell(int cell, int item);
  void SetCellPicture(int cell, const TBitmap24& picture);
  TThumbNailAcquireOptions AcquireOptions() const;
  TCellStepOptions StepOptions(int item, bool own_effects) const;
  // The decodes of the items still to be obtained, begun at once; item k of the list is the
  // prefetch's cell k. Null when there is nothing to decode ahead.
  std::unique_ptr<TThumbNailPrefetch> PrefetchPage(const std::vector<int>& items,
                                                   const TThumbNailAcquireOptions& options);
  // Obtains the item: its decode made ahead for the prefetch's cell when there is one, else
  // decoded now.
  TThumbNailOutcome ObtainItem(std::size_t index, TThumbNailPrefetch* prefetch, int cell,
                               const TThumbNailAcquireOptions& options,
                               const std::function<bool()>& stopping);
  // Waits, handling events, for the cell's decode made ahead; false when there is none to take.
  // Once stopping() holds, the decodes of the cells after it are given up.
  bool WaitForPrepared(TThumbNailPrefetch* prefetch, int cell, TThumbNailAcquisition& out,
                       const std::function<bool()>& stopping);
  void SelectWithoutPicture();
  void ShowRepeat();
  void ColorForSlide(bool slide);
  // The one message after obtaining pictures: over capacity or out of resources (asking whether
  // to select the items without a picture), or the count of pictures that could not be shown.
  void ReportAcquisition(bool over_capacity, int unknown);
  void StartCellSteps(std::vector<TThumbNailSteps> steps);
  // Back and Next while a page is filled: the question whether to stop; true when it was asked.
  bool AskStopFilling();
  void ClearCell(int cell);
  void ClearCellImages();
  void RefreshLabel();
  void ToggleItem(int item);
  void MarkSelection();
  void CellPressed(int cell, QMouseEvent* event);
  void EnableCommands();
  int ColumnCount() const;
  int RowCount() const;

  TContext context_;
  TPictureTableSettings& settings_;
  TCapDataList cap_data_;
  std::vector<std::string> items_;
  bool file_data_ = true;
  std::string new_data_file_name_ = "New01";

  TThumbNailStore store_;
  TTableLayout layout_;
  TThumbNailThreadWatcherForm* controller_ = nullptr;
  bool reset_ = false;
  bool getting_all_ = false;
  bool memory_show_ = false;  // the used memory in the caption (MemoryTimer)
  QTimer* slide_timer_ = nullptr;
  bool sliding_ = false;
  bool flashing_ = false;
  bool slide_ticked_ = false;
  int remembered_position_ = 5;
  TTableEffectDialogs* effects_ = nullptr;
  TGridThreadWatcherForm* grid_controller_ = nullptr;
  QPointer<TPictureGridForm> grid_;
  TActionMap actions_;
  QMenu* popup_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* main_panel_ = nullptr;
  QWidget* operation_panel_ = nullptr;
  QWidget* thread_panel_ = nullptr;
  QLabel* thread_caption_label_ = nullptr;
  QProgressBar* thread_progress_bar_ = nullptr;
  QComboBox* rows_combo_ = nullptr;
  QComboBox* columns_combo_ = nullptr;
  QLabel* count_label_ = nullptr;
  QListWidget* names_ = nullptr;
  std::map<std::string, QPushButton*> buttons_;
  QTimer* resize_timer_ = nullptr;
  QTimer* memory_timer_ = nullptr;
  std::unique_ptr<TPictureTableFullScreenForm> full_screen_;
  std::vector<TCell> cells_;

  int page_start_ = 0;         // where the next fill starts
  int shown_page_start_ = -1;  // the first item of the page shown
  int picture_position_ = 5;   // 7 top-left, 5 centre, 3 bottom-right
  int operation_width_ = 140;  // the operation panel's width to return to
  int copy_cell_ = -1;         // the cell PictureCopy1 copies
  bool filling_ = false;
  bool stop_filling_ = false;
  TThumbNailPrefetch* prefetch_ = nullptr;  // the decodes of the fill under way
  int placing_cell_ = -1;                   // its cell being placed, -1 between cells
  bool first_resize_ = true;
  QSize applied_size_;
  QSize pending_size_;
};
