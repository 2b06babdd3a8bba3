#pragma once

#include <QDialog>
#include <QImage>
#include <array>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "widgets/ColorRecords.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QScrollBar;

// The modal colour dialog every colour choice of the program opens: three sliders, the colour
// records and an optional palette to pick from.
class TSetColorForm : public QDialog {
  Q_OBJECT

 public:
  TSetColorForm(QWidget* parent, TColor color, const std::vector<std::string>& records,
                bool palette_show);

  // The preview colour (B x 65536 + G x 256 + R).
  TColor Color() const;
  TRgb Rgb() const;
  void SetRgb(const TRgb& rgb);
  // The record list as the caller copies it back (an emptied list is one empty record).
  std::vector<std::string> Records() const;
  bool PaletteShow() const;

  void RecordSelected(int index);
  void AddButtonClick();
  void AddAverageColorsClick();
  void DeleteButtonClick();
  void DeleteAllClick();
  void SetPaletteShown(bool shown);
  void RedrawPalette();
  void GradationReleased();
  void GradationBaseChanged(int base);
  void RenewPalette();
  // A left click on the palette picture at (x, y).
  void PalettePicked(int x, int y);
  const QImage& PaletteImage() const { return palette_; }

  QScrollBar* ScrollBar(int channel) const { return sliders_[channel]; }
  QLabel* SliderLabel(int channel) const { return slider_labels_[channel]; }
  QComboBox* ColorComboBox() const { return color_combo_box_; }
  QComboBox* PaletteComboBox() const { return palette_combo_box_; }
  QCheckBox* PaletteCheckBox() const { return palette_check_box_; }
  QScrollBar* GradationScrollBar() const { return gradation_scroll_bar_; }
  QLabel* GradationLabel() const { return gradation_label_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SliderChanged();
  void SelectRecord(int index);
  void ShowPalette(const QImage& image);

  std::array<QScrollBar*, 3> sliders_{};
  std::array<QLabel*, 3> slider_labels_{};
  QLabel* setted_color_label_;
  QComboBox* color_combo_box_;
  QPushButton* add_button_;
  QPushButton* delete_button_;
  QCheckBox* palette_check_box_;
  QWidget* palette_panel_;
  QComboBox* palette_combo_box_;
  QButtonGroup* gradation_group_;
  QScrollBar* gradation_scroll_bar_;
  QLabel* gradation_label_;
  QScrollArea* palette_area_;
  QLabel* palette_label_;
  QImage palette_;  // as shown
  QImage saved_;    // the picture shifted palettes are drawn from
};

// Opens the colour dialog on color with the given records. On OK color takes the chosen colour;
// whatever the result the records become the dialog's list. palette_show is read and stored.
bool ChooseColorWithRecords(QWidget* parent, TColor& color, std::vector<std::string>& records,
                            bool& palette_show);
