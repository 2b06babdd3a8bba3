#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class TPictureLoader;
struct TPictureTableSettings;

// The comparisons of the extract: 0 smaller, 1 at most, 2 at least, 3 larger (for dates:
// before, on or before, on or after, after).
bool ExtractCompare(long long value, long long limit, int comparison);
// A picture of width x height against the limits; with use_or one side matching is enough.
bool PictureSizeMatches(int width, int height, int limit_width, int limit_height, int comparison,
                        bool use_or);
// The file size limit in bytes for a limit typed in KB (1 KB = 1000 bytes), rounded; limits beyond
// any file size are held at 9e18 bytes.
long long FileSizeLimitBytes(double kilobytes);

// " ファイルの抽出": tests every item of a file list against the picture size, the file size or
// the date. In select mode matching items are marked in selected; in delete mode items that do
// not match are removed from the lists. Missing or unreadable files are removed in both modes
// unless the user keeps them. The lists are the caller's and change in place.
class TFileExtractForm : public QDialog {
  Q_OBJECT

 public:
  enum TMode { kSelectMode = 0, kDeleteMode = 1 };

  // paths and names are parallel; selected is resized to them and, in select mode, marks the
  // matching items. The settings are shown at once and written back when the dialog closes.
  TFileExtractForm(TPictureTableSettings& settings, std::vector<std::string>& paths,
                   std::vector<std::string>& names, std::vector<bool>& selected, TMode mode,
                   const TPictureLoader& loader, QWidget* parent = nullptr);

  // Indices (in the lists as they were handed over) of the items removed so far, last first.
  // The lists lose them when a run ends.
  const std::vector<std::size_t>& Removed() const { return removed_; }
  int Matched() const { return matched_; }

  void ExtractButtonClick();
  void AbortButtonClick() { running_ = false; }
  void RestoreSettings();
  void StoreSettings();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int result) override;

 private:
  void CriterionChanged();
  // Checks the combo on leaving; false (and the stored value shown again) when refused.
  bool ComboExit(QComboBox* combo);
  // ComboExit; an unexpected failure resets the limits to 250.
  bool SafeComboExit(QComboBox* combo);
  void RemoveItem(std::size_t index);
  // Takes the removed items out of the lists.
  void CompactLists();
  void ShowLimit(QComboBox* combo, int value);

  TPictureTableSettings& settings_;
  std::vector<std::string>& paths_;
  std::vector<std::string>& names_;
  std::vector<bool>& selected_;
  TMode mode_;
  const TPictureLoader& loader_;

  QRadioButton* picture_size_radio_;
  QRadioButton* file_size_radio_;
  QRadioButton* file_date_radio_;
  QDateEdit* date_picker_;
  QButtonGroup* and_or_group_;
  QButtonGroup* option_group_;
  QCheckBox* not_exists_remain_;
  QComboBox* width_combo_;
  QComboBox* height_combo_;
  QComboBox* file_size_combo_;
  QPushButton* extract_button_;
  QPushButton* abort_button_;
  QPushButton* exit_button_;

  // The accepted limits, shown again when a typed one is refused.
  int width_ = 250;
  int height_ = 250;
  double file_size_ = 250;
  bool running_ = false;
  bool checking_ = false;
  int matched_ = 0;
  int error_count_ = 0;
  std::vector<std::size_t> original_index_;
  std::vector<bool> gone_;  // removed during the run that goes on
  std::vector<std::size_t> removed_;
};
