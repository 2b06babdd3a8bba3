#include "widgets/SetColorDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/AppUtils.h"
#include "widgets/FormPlacement.h"

namespace {

constexpr const char kLetters[] = "RGB";
constexpr int kPaletteWidth = 180;
constexpr int kPaletteHeight = 162;
constexpr int kNarrowWidth = 218;

QColor ToQColor(const TRgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

// One cell per colour: lists in rows of ten, a gradation n x n, a cube as n blocks of n x n side
// by side.
QImage DrawPalette(const std::vector<std::string>& colors) {
  if (colors.size() < 2) return {};
  const int count = static_cast<int>(colors.size()) - 1;
  int columns = 10;
  if (colors[0] != "0") {
    const int n = std::max(1, std::stoi(colors[0]));
    columns = n * n;
  } else if (count == 25 || count == 81) {
    columns = count == 25 ? 5 : 9;
  }
  const int rows = (count + columns - 1) / columns;
  const int cell_w = std::max(2, kPaletteWidth / columns);
  const int cell_h = std::clamp(kPaletteHeight / std::max(rows, 1), 4, 18);
  QImage image(columns * cell_w, rows * cell_h, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  bool told = false;  // a damaged record file must not bring one message per line
  for (int i = 0; i < count; ++i) {
    TRgb rgb;
    if (!ParsePaletteColor(colors[static_cast<std::size_t>(i) + 1], rgb)) {
      if (!told) ApU().ShowMessage(colors[static_cast<std::size_t>(i) + 1], TApU::kCaption);
      told = true;
      rgb = {};
    }
    painter.fillRect((i % columns) * cell_w, (i / columns) * cell_h, cell_w, cell_h, ToQColor(rgb));
  }
  return image;
}

}  // namespace

TSetColorForm::TSetColorForm(QWidget* parent, TColor color, const std::vector<std::string>& records,
                             bool palette_show)
    : QDialog(parent) {
  setObjectName("SetColorForm");
  setWindowTitle("色の設定");
  auto* layout = new QHBoxLayout(this);
  auto* left = new QWidget(this);
  left->setFixedWidth(kNarrowWidth - 12);
  auto* left_layout = new QVBoxLayout(left);
  left_layout->setContentsMargins(0, 0, 0, 0);
  for (int c = 0; c < 3; ++c) {
    auto* row = new QHBoxLayout;
    slider_labels_[c] = new QLabel(QString::fromStdString(ColorSliderLabel(kLetters[c], 0)), left);
    slider_labels_[c]->setObjectName(QString(kLetters[c]) + "Label");
    sliders_[c] = new QScrollBar(Qt::Horizontal, left);
    sliders_[c]->setObjectName(QString(kLetters[c]) + "ScrollBar");
    sliders_[c]->setRange(0, 255);
    sliders_[c]->setPageStep(10);
    row->addWidget(slider_labels_[c]);
    row->addWidget(sliders_[c], 1);
    left_layout->addLayout(row);
    connect(sliders_[c], &QScrollBar::valueChanged, this, [this] { SliderChanged(); });
  }
  setted_color_label_ = new QLabel(left);
  setted_color_label_->setObjectName("SettedColorLabel");
  setted_color_label_->setAutoFillBackground(true);
  setted_color_label_->setMinimumHeight(30);
  left_layout->addWidget(setted_color_label_);
  color_combo_box_ = new QComboBox(left);
  color_combo_box_->setObjectName("ColorComboBox");
  left_layout->addWidget(color_combo_box_);
  auto* record_row = new QHBoxLayout;
  add_button_ = MakeButton("AddButton", "追加(&A)", left);
  delete_button_ = MakeButton("DeleteButton", "削除(&D)", left);
  for (QPushButton* b : {add_button_, delete_button_}) {
    b->setContextMenuPolicy(Qt::CustomContextMenu);
    record_row->addWidget(b);
  }
  left_layout->addLayout(record_row);
  palette_check_box_ = new QCheckBox("パレット", left);
  palette_check_box_->setObjectName("PaletteCheckBox");
  left_layout->addWidget(palette_check_box_);
  auto* ok_row = new QHBoxLayout;
  auto* ok = MakeButton("OKButton", "OK(&O)", left);
  auto* cancel = MakeButton("CancelButton", "Cancel(&C)", left);
  ok->setDefault(true);
  ok_row->addWidget(ok);
  ok_row->addWidget(cancel);
  left_layout->addLayout(ok_row);
  layout->addWidget(left);

  palette_panel_ = new QWidget(this);
  palette_panel_->setObjectName("PalettePanel");
  auto* palette_layout = new QVBoxLayout(palette_panel_);
  palette_layout->setContentsMargins(0, 0, 0, 0);
  palette_combo_box_ = new QComboBox(palette_panel_);
  palette_combo_box_->setObjectName("PaletteComboBox");
  for (const std::string& kind : PaletteKinds())
    palette_combo_box_->addItem(QString::fromStdString(kind));
  auto* redraw = MakeButton("ReDrawButton", "再表示(&R)", palette_panel_);
  auto* renew = MakeButton("ReNewButton", "更新(&N)", palette_panel_);
  auto* top_row = new QHBoxLayout;
  top_row->addWidget(palette_combo_box_);
  top_row->addWidget(redraw);
  top_row->addWidget(renew);
  palette_layout->addLayout(top_row);
  auto* base_box = new QGroupBox("基準", palette_panel_);
  base_box->setObjectName("GradationRadioGroup");
  auto* base_row = new QHBoxLayout(base_box);
  gradation_group_ = new QButtonGroup(base_box);
  for (int c = 0; c < 3; ++c) {
    auto* radio = new QRadioButton(QString(kLetters[c]), base_box);
    gradation_group_->addButton(radio, c);
    base_row->addWidget(radio);
  }
  gradation_group_->button(0)->setChecked(true);
  palette_layout->addWidget(base_box);
  gradation_scroll_bar_ = new QScrollBar(Qt::Horizontal, palette_panel_);
  gradation_scroll_bar_->setObjectName("GradationScrollBar");
  gradation_scroll_bar_->setRange(-255, 255);
  gradation_scroll_bar_->setPageStep(32);
  gradation_label_ = new QLabel(QString::fromStdString(::GradationLabel(0, 0)), palette_panel_);
  gradation_label_->setObjectName("GradationLabel");
  gradation_label_->installEventFilter(this);
  auto* gradation_row = new QHBoxLayout;
  gradation_row->addWidget(gradation_scroll_bar_, 1);
  gradation_row->addWidget(gradation_label_);
  palette_layout->addLayout(gradation_row);
  palette_area_ = new QScrollArea(palette_panel_);
  palette_area_->setObjectName("PaletteScrollBox");
  palette_area_->setFixedSize(kPaletteWidth + 4, kPaletteHeight + 4);
  palette_label_ = new QLabel;
  palette_label_->setObjectName("PaletteImage");
  palette_label_->installEventFilter(this);
  palette_area_->setWidget(palette_label_);
  palette_layout->addWidget(palette_area_);
  layout->addWidget(palette_panel_);
  palette_panel_->hide();

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(add_button_, &QPushButton::clicked, this, [this] { AddButtonClick(); });
  connect(add_button_, &QWidget::customContextMenuRequested, this,
          [this] { AddAverageColorsClick(); });
  connect(delete_button_, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
  connect(delete_button_, &QWidget::customContextMenuRequested, this, [this] { DeleteAllClick(); });
  connect(color_combo_box_, &QComboBox::activated, this,
          [this](int index) { RecordSelected(index); });
  connect(palette_check_box_, &QCheckBox::toggled, this, [this](bool on) { SetPaletteShown(on); });
  connect(palette_combo_box_, &QComboBox::activated, this, [this] { RedrawPalette(); });
  connect(redraw, &QPushButton::clicked, this, [this] { RedrawPalette(); });
  connect(renew, &QPushButton::clicked, this, [this] { RenewPalette(); });
  connect(gradation_group_, &QButtonGroup::idClicked, this,
          [this](int base) { GradationBaseChanged(base); });
  connect(gradation_scroll_bar_, &QScrollBar::valueChanged, this, [this](int offset) {
    gradation_label_->setText(
        QString::fromStdString(::GradationLabel(gradation_group_->checkedId(), offset)));
  });
  connect(gradation_scroll_bar_, &QScrollBar::sliderReleased, this,
          [this] { GradationReleased(); });
  connect(gradation_scroll_bar_, &QScrollBar::actionTriggered, this, [this](int action) {
    if (action != QAbstractSlider::SliderMove && !gradation_scroll_bar_->isSliderDown())
      QMetaObject::invokeMethod(
          this, [this] { GradationReleased(); }, Qt::QueuedConnection);
  });

  SetRgb(SplitColorValue(color));
  SliderChanged();
  std::vector<std::string> sorted = records;
  std::sort(sorted.begin(), sorted.end());
  for (const std::string& record : sorted)
    color_combo_box_->addItem(QString::fromStdString(record));
  if (color_combo_box_->count() == 0) color_combo_box_->addItem(QString());
  color_combo_box_->setCurrentIndex(0);
  palette_check_box_->setChecked(palette_show);

  adjustSize();
  PlaceForm(*this);
}

TRgb TSetColorForm::Rgb() const {
  return {sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value()};
}

TColor TSetColorForm::Color() const { return ColorValue(Rgb()); }

void TSetColorForm::SetRgb(const TRgb& rgb) {
  sliders_[0]->setValue(rgb.red);
  sliders_[1]->setValue(rgb.green);
  sliders_[2]->setValue(rgb.blue);
}

void TSetColorForm::SliderChanged() {
  const TRgb rgb = Rgb();
  for (int c = 0; c < 3; ++c)
    slider_labels_[c]->setText(
        QString::fromStdString(ColorSliderLabel(kLetters[c], sliders_[c]->value())));
  QPalette palette = setted_color_label_->palette();
  palette.setColor(QPalette::Window, ToQColor(rgb));
  setted_color_label_->setPalette(palette);
}

std::vector<std::string> TSetColorForm::Records() const {
  std::vector<std::string> records;
  for (int i = 0; i < color_combo_box_->count(); ++i)
    records.push_back(color_combo_box_->itemText(i).toStdString());
  return records;
}

bool TSetColorForm::PaletteShow() const { return palette_check_box_->isChecked(); }

void TSetColorForm::SelectRecord(int index) { color_combo_box_->setCurrentIndex(index); }

void TSetColorForm::RecordSelected(int index) {
  if (index < 0 || index >= color_combo_box_->count()) return;
  const std::string record = color_combo_box_->itemText(index).toStdString();
  if (record.empty()) {
    color_combo_box_->removeItem(index);
    return;
  }
  TRgb rgb;
  if (!ParseColorRecord(record, rgb)) {
    SetRgb({});
    color_combo_box_->removeItem(index);
    ApU().ShowMessage("色の設定の失敗しました。", TApU::kCaption);
    return;
  }
  SetRgb(rgb);
}

void TSetColorForm::AddButtonClick() {
  const std::string record = ColorRecordText(Rgb());
  for (int i = 0; i < color_combo_box_->count(); ++i) {
    if (SameColorRecord(color_combo_box_->itemText(i).toStdString(), record)) {
      SelectRecord(i);
      ApU().ShowMessage("すでに登録されています。", TApU::kCaption);
      return;
    }
  }
  if (color_combo_box_->count() == 1 && color_combo_box_->itemText(0).isEmpty())
    color_combo_box_->removeItem(0);
  color_combo_box_->addItem(QString::fromStdString(record));
  SelectRecord(color_combo_box_->count() - 1);
}

void TSetColorForm::AddAverageColorsClick() {
  if (ApU().ShowMessage("平均した色(27色)を追加します。", TApU::kCaption, mb::kYesNo) != mb::kIdYes)
    return;
  std::vector<std::string> records;
  for (int i = 0; i < color_combo_box_->count(); ++i) {
    const std::string text = color_combo_box_->itemText(i).toStdString();
    if (!text.empty()) records.push_back(text);
  }
  AddAverageColors(records);
  color_combo_box_->clear();
  for (const std::string& record : records)
    color_combo_box_->addItem(QString::fromStdString(record));
  SelectRecord(0);
}

void TSetColorForm::DeleteButtonClick() {
  const int index = color_combo_box_->currentIndex();
  if (index >= 0) color_combo_box_->removeItem(index);
  if (color_combo_box_->count() == 0) {
    color_combo_box_->addItem(QString());
    SelectRecord(0);
  }
}

void TSetColorForm::DeleteAllClick() {
  if (ApU().ShowMessage("追加されている色をすべて削除します。", TApU::kCaption, mb::kYesNo) !=
      mb::kIdYes)
    return;
  color_combo_box_->clear();
}

void TSetColorForm::SetPaletteShown(bool shown) {
  palette_panel_->setVisible(shown);
  if (shown) RedrawPalette();
  adjustSize();
  if (!shown) resize(kNarrowWidth, height());
}

void TSetColorForm::ShowPalette(const QImage& image) {
  palette_ = image;
  palette_label_->setPixmap(QPixmap::fromImage(palette_));
  palette_label_->resize(palette_.size());
}

void TSetColorForm::RedrawPalette() {
  std::vector<std::string> records;
  for (int i = 0; i < color_combo_box_->count(); ++i)
    records.push_back(color_combo_box_->itemText(i).toStdString());
  const QImage image = DrawPalette(
      PaletteLayout(palette_combo_box_->currentIndex(), gradation_group_->checkedId(), records));
  if (image.isNull()) {
    ApU().ShowMessage("ParetteCheckBoxClick Error", TApU::kCaption);
    palette_check_box_->setChecked(false);
    return;
  }
  saved_ = image;
  gradation_scroll_bar_->setValue(0);
  ShowPalette(image);
}

void TSetColorForm::GradationReleased() {
  if (saved_.isNull()) return;
  const int base = gradation_group_->checkedId();
  const int offset = gradation_scroll_bar_->value();
  QImage shifted = saved_;
  for (int y = 0; y < shifted.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(shifted.scanLine(y));
    for (int x = 0; x < shifted.width(); ++x) {
      const TRgb rgb = ShiftBase({qRed(row[x]), qGreen(row[x]), qBlue(row[x])}, base, offset);
      row[x] = qRgb(rgb.red, rgb.green, rgb.blue);
    }
  }
  ShowPalette(shifted);
}

void TSetColorForm::GradationBaseChanged(int /*base*/) {
  gradation_scroll_bar_->setValue(0);
  gradation_label_->setText(
      QString::fromStdString(::GradationLabel(gradation_group_->checkedId(), 0)));
  if (palette_combo_box_->currentIndex() == 1 || palette_combo_box_->currentIndex() == 2)
    RedrawPalette();
  else
    GradationReleased();
}

void TSetColorForm::RenewPalette() {
  saved_ = palette_;
  gradation_scroll_bar_->setValue(0);
}

void TSetColorForm::PalettePicked(int x, int y) {
  if (!palette_.valid(x, y)) return;
  const QRgb pixel = palette_.pixel(x, y);
  SetRgb({qRed(pixel), qGreen(pixel), qBlue(pixel)});
}

bool TSetColorForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == palette_label_ && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton)
      PalettePicked(mouse->position().toPoint().x(), mouse->position().toPoint().y());
    return true;
  }
  if (watched == gradation_label_ && event->type() == QEvent::MouseButtonDblClick) {
    GradationBaseChanged(gradation_group_->checkedId());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool ChooseColorWithRecords(QWidget* parent, TColor& color, std::vector<std::string>& records,
                            bool& palette_show) {
  TSetColorForm form(parent, color, records, palette_show);
  const bool ok = form.exec() == QDialog::Accepted;
  if (ok) color = form.Color();
  records = form.Records();
  palette_show = form.PaletteShow();
  return ok;
}
