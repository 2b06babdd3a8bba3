#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;

// A typed size of the size dialog: both sides positive integers. False otherwise.
bool ReadSizeEntry(const std::string& width_text, const std::string& height_text, int& width,
                   int& height);

// The size dialog ("サイズの設定"): a height and a width (items 050 to 800, any number may be
// typed) and "縦横比を無視する". OK refuses sizes that are not positive integers with the
// designed message and stays open.
class TSetWidthHeightForm : public QDialog {
  Q_OBJECT

 public:
  TSetWidthHeightForm(int width, int height, QWidget* parent = nullptr);

  int ChosenWidth() const { return width_; }
  int ChosenHeight() const { return height_; }
  bool IgnoreRatio() const;

  // Shows the dialog modally; false when cancelled.
  static bool Ask(QWidget* parent, int& width, int& height, bool& ignore_ratio);

 private:
  void OKButtonClick();

  QComboBox* height_box_;
  QComboBox* width_box_;
  QCheckBox* ignore_box_;
  int width_ = 0;
  int height_ = 0;
};
