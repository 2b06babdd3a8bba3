#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "engine/GridCompose.h"
#include "widgets/ActionSupport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSplitter;
class QTimer;
class TGridPreview;
class TGridThreadWatcherForm;
class TMainImage;
class TTableEffectDialogs;
struct TMainSettings;
struct TPictureGridSettings;
struct TPictureTableSettings;

// What the picture grid reads from the thumbnail table's current page.
class TGridPictureSource {
 public:
  virtual ~TGridPictureSource() = default;
  // One entry per table cell: the item it shows, -1 for none. Empty when the table lists nothing.
  virtual std::vector<int> GridCellTags() const = 0;
  // The picture table cell cell shows (nullptr or empty: none).
  virtual const TBitmap24* GridShownPicture(int cell) const = 0;
  // The reference picture held for item (nullptr: none).
  virtual const TBitmap24* GridHeldPicture(int item) const = 0;
  // The index chosen in the table's column box.
  virtual int GridColumnIndex() const = 0;
};

// The picture grid: the pictures of the table's page composed into one picture of equal cells
// with black lines between them, previewed cell by cell, processed by the grid controller and
// saved as one picture.
class TPictureGridForm : public QWidget {
  Q_OBJECT

 public:
  struct TContext {
    TPictureGridSettings* settings = nullptr;  // section "PictureGridForm", written back
    // The table's resize, rotation and kernel settings; its settings dialog's filter page.
    TPictureTableSettings* table_settings = nullptr;
    // The last save folder and the JPEG quality; the colour records' palette switch.
    TMainSettings* main_settings = nullptr;
    std::vector<std::string>* rgb_records = nullptr;
    std::vector<std::string>* filter_records = nullptr;
    std::vector<std::string>* color_records = nullptr;
    std::string program_folder;
    // The main window's name for the next save (a data file name, "….txt").
    std::function<std::string()> save_name;
    std::function<void(const std::string&)> set_save_name;
  };

  TPictureGridForm(TContext context, TGridPictureSource& source, TGridThreadWatcherForm& controller,
                   QWidget* parent = nullptr);
  ~TPictureGridForm() override;

  // Sizes the cells and shows the composed picture or the selected cell's.
  void ApplyLayout();
  // The shown picture (MainImage) and the one before the current processing (BackImage).
  const TBitmap24& ShownPicture() const { return shown_; }
  const TBitmap24& BackPicture() const { return back_; }
  const TGridLayout& Layout() const { return layout_; }
  TGridPreview* Preview() const { return preview_; }
  TMainImage* Image() const { return main_image_; }
  QMenu* PopupMenu() const { return popup_; }
  QAction* Action(const std::string& name) const { return FindAction(actions_, name); }
  bool Busy() const;
  // A new window size waits to be laid out.
  bool LayoutPending() const;

  // The buttons.
  void SaveButtonClick();
  void RectifyButtonClick();
  void UnSharpMaskingButtonClick();
  void LowPassFilterClick();
  void GridSizeClick();
  // The effect dialogs' runs on the back picture; false when nothing started.
  bool ApplyEffect(const std::string& step, const std::string& parameter);

 signals:
  // The window closed; its settings were written back.
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  QWidget* BuildButtonPanel();
  void BuildActions();
  void RestoreSettings();
  void StoreSettings();
  void PlaceAreas();
  std::vector<const TBitmap24*> CellPictures(bool held) const;
  void ShowPicture();
  void ComposeAll();
  void ShowSelectedCell();
  void FitImage();
  void SetShown(TBitmap24&& picture, bool refit);
  bool HandOver(TBitmap24& picture, bool refit);
  bool StartFilter(int kind);
  void BoxLeft(QComboBox* combo);
  void EnterInBox(QComboBox* combo);
  void ResetCaption(bool pressed);

  TContext context_;
  TPictureGridSettings& settings_;
  TGridPictureSource& source_;
  TGridThreadWatcherForm& controller_;
  TTableEffectDialogs* effects_ = nullptr;

  TActionMap actions_;
  QMenu* popup_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* right_panel_ = nullptr;
  QScrollArea* grid_area_ = nullptr;
  TGridPreview* preview_ = nullptr;
  QScrollArea* image_area_ = nullptr;
  TMainImage* main_image_ = nullptr;
  QWidget* thread_panel_ = nullptr;
  QLabel* thread_caption_label_ = nullptr;
  QProgressBar* thread_progress_bar_ = nullptr;
  QCheckBox* size_select_ = nullptr;
  QRadioButton* size_frame_ = nullptr;
  QRadioButton* size_grid_ = nullptr;
  QComboBox* width_combo_ = nullptr;
  QComboBox* height_combo_ = nullptr;
  QComboBox* columns_combo_ = nullptr;
  QCheckBox* show_repeat_ = nullptr;
  QCheckBox* get_thumbnail_ = nullptr;
  QCheckBox* show_other_ = nullptr;
  QCheckBox* show_all_ = nullptr;
  QCheckBox* show_real_size_ = nullptr;
  QCheckBox* show_reverse_ = nullptr;
  QPushButton* set_grid_button_ = nullptr;
  QTimer* resize_timer_ = nullptr;

  TGridLayout layout_;
  TBitmap24 shown_;
  TBitmap24 back_;
  TBitmap24 canvas_;  // the next composition's buffer: the picture it replaced
  bool shown_once_ = false;
  bool placing_ = false;
};
