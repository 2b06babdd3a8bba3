#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "model/BatchSave.h"

class PathText;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TFontRasteriser;
class TPictureLoader;
struct TEffectSettings;

// The batch save dialog ("  SavePictureListDialog"): saves a list of pictures in one run,
// resized to a target size with margin and edge, under names decided by the chosen save method.
// The caller fills the source list, sets its kind and the options, may disable whole groups, and
// shows it modally; "終了(&X)" closes it with the result 6, after which the caller takes the
// options back.
class TSavePictureListForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kExitResult = 6;

  // Who asks: the main window's lists, the table's held thumbnails or its shown pictures.
  enum class TCaller { kMainLists = 0, kHeldThumbnails = 1, kShownPictures = 2 };

  // What the dialog needs of its caller.
  struct TContext {
    const PathText* paths = nullptr;
    const TPictureLoader* loader = nullptr;
    const TFontRasteriser* fonts = nullptr;  // text effects of records; none: not drawn
    std::string program_folder;
    std::string save_folder;  // where the save picture dialog opens; the chosen folder after
    // The colour dialog's records and palette choice, handed back as the dialog leaves them.
    std::vector<std::string>* color_records = nullptr;
    bool* palette_show = nullptr;
  };

  explicit TSavePictureListForm(TContext context, QWidget* parent = nullptr);
  ~TSavePictureListForm() override;

  // Picture paths or cap data lines; with a table as caller also the table index of each item.
  void SetSourceList(std::vector<std::string> lines, std::vector<int> indexes = {});
  void SetCaller(TCaller caller) { caller_ = caller; }
  // False when the caller is in cap data mode.
  void SetFileData(bool file_data) { file_data_ = file_data; }
  // How records are rendered: their rotation effects' method and background, and whether the
  // region is widened to the target's aspect ratio (the main window's "フレームを外す").
  void SetRendering(int rotation_mode, TColor rotation_back, bool fit_region_to_box);
  // The table's pictures by table index (kinds 1 and 2); asked on the run's thread while the
  // dialog waits for it. False when no picture is held.
  void SetHeldPictures(THeldPictureSource::TPictureOf picture_of) { held_ = std::move(picture_of); }

  // The remembered options (the Effect section's batch save keys) in and out.
  void SetOptions(const TEffectSettings& options);
  void TakeOptions(TEffectSettings& options) const;
  const std::string& SaveFolder() const { return context_.save_folder; }

  QGroupBox* Group(const char* name) const;
  QCheckBox* CheckBox(const char* name) const;
  QComboBox* ComboBox(const char* name) const;
  QPushButton* Button(const char* name) const;
  QButtonGroup* SaveMethodRadioGroup() const { return method_group_; }
  bool Saving() const { return saving_; }

  // Commands.
  void SaveButtonClick();
  void AbortButtonClick();
  void ExitButtonClick();
  void SetBackColorButtonClick();
  void SetEdgeColorButtonClick();
  // The check of a number box when it is left: false (with the message, the stored number shown
  // again) for a text that is not a whole number in range.
  bool NumberBoxExit(QComboBox* combo);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void UpdateCoupling();
  void ResetNumbers();
  int Number(QComboBox* combo) const;
  bool PickColor(TColor& color);
  // The names of the run; false when the user cancelled or a folder could not be made.
  bool DecideNames(const std::vector<TSaveItem>& items, TSavePlan& plan);
  std::unique_ptr<TSavePictureSource> MakeSource(const std::vector<TSaveItem>& items);
  // Runs the plan on the worker threads while the window shows the progress; the not-saved
  // count.
  std::size_t RunPlan(const TSavePictureSource& source, const TSavePlan& plan);
  void EndRun();

  TContext context_;
  std::vector<std::string> lines_;
  std::vector<int> indexes_;
  TCaller caller_ = TCaller::kMainLists;
  bool file_data_ = true;
  int rotation_mode_ = 0;
  TColor rotation_back_ = kWhite;
  bool fit_region_to_box_ = false;
  THeldPictureSource::TPictureOf held_;
  TColor back_color_ = kWhite;
  TColor edge_color_ = kBlack;
  bool saving_ = false;
  bool checking_ = false;
  TBatchSaveRun* run_ = nullptr;  // while a run goes on

  QButtonGroup* method_group_ = nullptr;
  QLabel* pixel_label_ = nullptr;
  // The number boxes with their range and the number they last held.
  struct TNumberBox {
    int max = 32767;
    int reset = 0;
    int stored = 0;
  };
  std::map<QComboBox*, TNumberBox> numbers_;
};
