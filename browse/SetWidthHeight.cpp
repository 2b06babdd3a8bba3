#include "browse/SetWidthHeight.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

#include "engine/DecimalText.h"
#include "platform/AppUtils.h"

bool ReadSizeEntry(const std::string& width_text, const std::string& height_text, int& width,
                   int& height) {
  int w = 0, h = 0;
  if (!ParseDecimalInt(width_text, w) || !ParseDecimalInt(height_text, h) || w <= 0 || h <= 0)
    return false;
  width = w;
  height = h;
  return true;
}

TSetWidthHeightForm::TSetWidthHeightForm(int width, int height, QWidget* parent) : QDialog(parent) {
  setObjectName("SetWidthHeightForm");
  setWindowTitle("サイズの設定");
  auto* layout = new QFormLayout(this);
  height_box_ = new QComboBox;
  height_box_->setObjectName("HeightComboBox");
  width_box_ = new QComboBox;
  width_box_->setObjectName("WidthComboBox");
  for (QComboBox* box : {height_box_, width_box_}) {
    box->setEditable(true);
    for (int size = 50; size <= 800; size += 50)
      box->addItem(QString::number(size).rightJustified(3, '0'));
  }
  height_box_->setCurrentText(QString::number(height));
  width_box_->setCurrentText(QString::number(width));
  ignore_box_ = new QCheckBox("縦横比を無視する");
  ignore_box_->setObjectName("IgnoreRatioCheckBox");
  layout->addRow("高さ", height_box_);
  layout->addRow("幅", width_box_);
  layout->addRow(ignore_box_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("OKButton");
  layout->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OKButtonClick(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TSetWidthHeightForm::IgnoreRatio() const { return ignore_box_->isChecked(); }

void TSetWidthHeightForm::OKButtonClick() {
  if (!ReadSizeEntry(width_box_->currentText().toStdString(),
                     height_box_->currentText().toStdString(), width_, height_)) {
    ApU().ShowMessage("サイズは正の整数で指定してください。", TApU::kCaption);
    return;
  }
  accept();
}

bool TSetWidthHeightForm::Ask(QWidget* parent, int& width, int& height, bool& ignore_ratio) {
  TSetWidthHeightForm form(width, height, parent);
  if (form.exec() != QDialog::Accepted) return false;
  width = form.ChosenWidth();
  height = form.ChosenHeight();
  ignore_ratio = form.IgnoreRatio();
  return true;
}
