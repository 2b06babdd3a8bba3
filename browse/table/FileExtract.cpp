#include "browse/table/FileExtract.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <filesystem>

#include "engine/DecimalText.h"
#include "engine/PictureLoader.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/QtText.h"
#include "widgets/ActionSupport.h"
#include "widgets/BoxEvents.h"
#include "widgets/FormPlacement.h"

namespace fs = std::filesystem;

bool ExtractCompare(long long value, long long limit, int comparison) {
  switch (comparison) {
    case 0:
      return value < limit;
    case 1:
      return value <= limit;
    case 2:
      return value >= limit;
    case 3:
      return value > limit;
    default:
      return false;
  }
}

bool PictureSizeMatches(int width, int height, int limit_width, int limit_height, int comparison,
                        bool use_or) {
  const bool w = ExtractCompare(width, limit_width, comparison);
  const bool h = ExtractCompare(height, limit_height, comparison);
  return use_or ? (w || h) : (w && h);
}

long long FileSizeLimitBytes(double kilobytes) {
  const double bytes = std::trunc(kilobytes * 1000 + 0.5);
  // A typed limit beyond any file size ("1e300") is every file size, not an overflow.
  constexpr double kMost = 9.0e18;
  if (!(bytes < kMost)) return bytes > 0 ? static_cast<long long>(kMost) : 0;
  if (bytes < -kMost) return -static_cast<long long>(kMost);
  return static_cast<long long>(bytes);
}

namespace {

constexpr int kSizeLimitMax = 32767;
constexpr double kFileSizeReset = 250;

const char* const kOpenCaptions[] = {"  より小", "  以下", "  以上", "  より大"};
const char* const kSizeCaptions[] = {"よリ小", "以下", "以上", "よリ大"};
const char* const kDateCaptions[] = {"よリ前", "以前", "以後", "よリ後"};

QComboBox* MakeCombo(const char* name, std::initializer_list<const char*> items) {
  auto* combo = new QComboBox;
  combo->setObjectName(name);
  combo->setEditable(true);
  for (const char* item : items) combo->addItem(item);
  return combo;
}

std::string Trimmed(const QComboBox* combo) { return S(combo->currentText().trimmed()); }

// A file size limit as the combo shows it: whole numbers as its items are written (" 0250"),
// others with their decimals (" 250.4").
QString FileSizeText(double kilobytes) {
  if (kilobytes == std::floor(kilobytes) && kilobytes < 1e9)
    return QString(" %1").arg(static_cast<qint64>(kilobytes), 4, 10, QChar('0'));
  return QString(" %1").arg(kilobytes, 0, 'g', 15);
}

// The whole days since the epoch of a file's modification time, in local time.
bool FileDay(const std::string& path, qint64& day) {
  std::error_code error;
  const auto stamp = fs::last_write_time(path, error);
  if (error) return false;
  const auto system = std::chrono::file_clock::to_sys(stamp);
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
  day = QDateTime::fromSecsSinceEpoch(seconds).date().toJulianDay();
  return true;
}

}  // namespace

TFileExtractForm::TFileExtractForm(TPictureTableSettings& settings, std::vector<std::string>& paths,
                                   std::vector<std::string>& names, std::vector<bool>& selected,
                                   TMode mode, const TPictureLoader& loader, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      paths_(paths),
      names_(names),
      selected_(selected),
      mode_(mode),
      loader_(loader) {
  setObjectName("FileExtractForm");
  setWindowTitle(" ファイルの抽出");
  selected_.resize(paths_.size(), false);
  // The names list follows the paths; a shorter one is padded so that both shrink together.
  names_.resize(paths_.size());

  auto* layout = new QVBoxLayout(this);
  picture_size_radio_ = new QRadioButton("ピクチャーサイズで制御する");
  picture_size_radio_->setObjectName("PictureSizeRadioButton");
  file_size_radio_ = new QRadioButton("ファイルサイズで制御する");
  file_size_radio_->setObjectName("FileSizeRadioButton");
  file_date_radio_ = new QRadioButton("日付で制御する");
  file_date_radio_->setObjectName("FileDateRadioButton");

  width_combo_ = MakeCombo("PictureWidthComboBox", {" 050", " 100", " 120", " 150", " 200", " 250",
                                                    " 400", " 500", " 600", " 800"});
  height_combo_ = MakeCombo("PictureHeightComboBox", {" 050", " 100", " 120", " 150", " 200",
                                                      " 250", " 400", " 500", " 600", " 800"});
  file_size_combo_ = MakeCombo("FileSizeComboBox",
                               {" 0050", " 0100", " 0200", " 0250", " 0500", " 0800", " 1000"});
  date_picker_ = new QDateEdit(QDate::currentDate());
  date_picker_->setObjectName("FileDateTimePicker");
  date_picker_->setCalendarPopup(true);

  auto* size_row = new QHBoxLayout;
  size_row->addWidget(picture_size_radio_);
  size_row->addWidget(width_combo_);
  size_row->addWidget(height_combo_);
  auto* and_or_box = new QGroupBox;
  and_or_box->setObjectName("PictureWHAndOrRadioGroup");
  auto* and_or_layout = new QHBoxLayout(and_or_box);
  and_or_group_ = new QButtonGroup(this);
  int id = 0;
  for (const char* caption : {" and", "  or"}) {
    auto* radio = new QRadioButton(caption);
    and_or_group_->addButton(radio, id++);
    and_or_layout->addWidget(radio);
  }
  size_row->addWidget(and_or_box);
  layout->addLayout(size_row);
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(file_size_radio_);
  file_row->addWidget(file_size_combo_);
  layout->addLayout(file_row);
  auto* date_row = new QHBoxLayout;
  date_row->addWidget(file_date_radio_);
  date_row->addWidget(date_picker_);
  layout->addLayout(date_row);

  auto* option_box = new QGroupBox;
  option_box->setObjectName("ExtractOptionRadioGroup");
  auto* option_layout = new QHBoxLayout(option_box);
  option_group_ = new QButtonGroup(this);
  id = 0;
  for (const char* caption : kOpenCaptions) {
    auto* radio = new QRadioButton(caption);
    option_group_->addButton(radio, id++);
    option_layout->addWidget(radio);
  }
  layout->addWidget(option_box);
  // The check box's own text is its label, so clicking the label toggles it.
  not_exists_remain_ = new QCheckBox("　　存在しない　　　 ファイルを残す");
  not_exists_remain_->setObjectName("NotExistsRemainCheckBox");
  layout->addWidget(not_exists_remain_);

  auto* buttons = new QHBoxLayout;
  extract_button_ = new QPushButton("抽出(E)");
  extract_button_->setObjectName("ExtractButton");
  abort_button_ = new QPushButton("中止(&A)");
  abort_button_->setObjectName("AbortButton");
  abort_button_->hide();
  exit_button_ = new QPushButton("終了(&X)");
  exit_button_->setObjectName("ExitButton");
  for (QPushButton* button : {extract_button_, abort_button_, exit_button_}) {
    button->setAutoDefault(false);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);

  connect(extract_button_, &QPushButton::clicked, this, [this] { ExtractButtonClick(); });
  connect(abort_button_, &QPushButton::clicked, this, [this] { AbortButtonClick(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { done(6); });
  for (QComboBox* combo : {width_combo_, height_combo_, file_size_combo_}) WatchBox(combo, this);

  RestoreSettings();
  // Connected after the settings are shown: the open captions stay until a criterion is chosen.
  for (QRadioButton* radio : {picture_size_radio_, file_size_radio_, file_date_radio_})
    connect(radio, &QRadioButton::clicked, this, [this] { CriterionChanged(); });

  adjustSize();
  const QRect screen = FormScreenArea(*this);
  move(screen.right() + 1 - 5 - frameGeometry().width(), screen.top());
  gone_.assign(paths_.size(), false);
  original_index_.resize(paths_.size());
  for (std::size_t i = 0; i < original_index_.size(); ++i) original_index_[i] = i;
}

void TFileExtractForm::ShowLimit(QComboBox* combo, int value) {
  if (value < 1)
    combo->setCurrentIndex(0);
  else
    combo->setCurrentText(QString(" %1").arg(value, 3, 10, QChar('0')));
}

void TFileExtractForm::RestoreSettings() {
  const int type = settings_.file_extract_type;
  (type == 1   ? file_size_radio_
   : type == 2 ? file_date_radio_
               : picture_size_radio_)
      ->setChecked(true);
  ShowLimit(width_combo_, settings_.file_extract_width);
  ShowLimit(height_combo_, settings_.file_extract_height);
  int value = 0;
  ParseDecimalInt(Trimmed(width_combo_), width_);
  ParseDecimalInt(Trimmed(height_combo_), height_);
  const double size = settings_.file_extract_file_size;
  file_size_ = size > 0 && std::isfinite(size) ? size : kFileSizeReset;
  file_size_combo_->setCurrentText(FileSizeText(file_size_));
  and_or_group_->button(settings_.file_extract_wh_or == 1 ? 1 : 0)->setChecked(true);
  value = settings_.file_extract_option;
  if (value < 0 || value > 3) value = 2;
  option_group_->button(value)->setChecked(true);
}

void TFileExtractForm::StoreSettings() {
  settings_.file_extract_type = file_size_radio_->isChecked()   ? 1
                                : file_date_radio_->isChecked() ? 2
                                                                : 0;
  auto stored = [](const QComboBox* combo, int accepted) {
    if (combo->currentText() == combo->itemText(0)) return 0;
    int value = 0;
    return ParseDecimalInt(Trimmed(combo), value) ? value : accepted;
  };
  settings_.file_extract_width = stored(width_combo_, width_);
  settings_.file_extract_height = stored(height_combo_, height_);
  double size = 0;
  settings_.file_extract_file_size =
      ParseDecimalReal(Trimmed(file_size_combo_), size) && size > 0 && std::isfinite(size)
          ? size
          : kFileSizeReset;
  settings_.file_extract_wh_or = and_or_group_->checkedId() == 1 ? 1 : 0;
  settings_.file_extract_option = std::max(0, option_group_->checkedId());
}

void TFileExtractForm::CriterionChanged() {
  const auto& captions = file_date_radio_->isChecked() ? kDateCaptions : kSizeCaptions;
  for (int i = 0; i < 4; ++i) option_group_->button(i)->setText(captions[i]);
}

bool TFileExtractForm::ComboExit(QComboBox* combo) {
  if (combo == file_size_combo_) {
    double value = 0;
    if (ParseDecimalReal(Trimmed(combo), value) && value > 0 && std::isfinite(value)) {
      file_size_ = value;
      return true;
    }
    ApU().ShowMessage("正の数を入力してください。", TApU::kCaption);
    combo->setCurrentText(QString(" %1").arg(file_size_));
    return false;
  }
  int& accepted = combo == width_combo_ ? width_ : height_;
  int value = 0;
  if (ParseDecimalInt(Trimmed(combo), value) && value >= 1 && value <= kSizeLimitMax) {
    accepted = value;
    return true;
  }
  ApU().ShowMessage("正の整数を入力してください。", TApU::kCaption);
  ShowLimit(combo, accepted);
  return false;
}

bool TFileExtractForm::SafeComboExit(QComboBox* combo) {
  try {
    return ComboExit(combo);
  } catch (...) {
    ApU().ShowMessage("予定外のエラーです(例外)。\r\n\r\n設定データをリセットします。",
                      TApU::kCaption);
    width_ = height_ = 250;
    file_size_ = kFileSizeReset;
    ShowLimit(width_combo_, width_);
    ShowLimit(height_combo_, height_);
    file_size_combo_->setCurrentText(" 0250");
    return false;
  }
}

bool TFileExtractForm::eventFilter(QObject* watched, QEvent* event) {
  for (QComboBox* combo : {width_combo_, height_combo_, file_size_combo_}) {
    if (!IsBox(watched, combo)) continue;
    if (LeftTheBox(event) && !checking_) {
      checking_ = true;
      SafeComboExit(combo);
      checking_ = false;
    } else if (IsEnter(event)) {
      GuardHandler("PictureWidthComboBoxKeyDown", [&] {
        checking_ = true;
        const bool accepted = SafeComboExit(combo);
        checking_ = false;
        if (accepted) focusNextChild();
      });
      return true;
    }
    break;
  }
  return QDialog::eventFilter(watched, event);
}

void TFileExtractForm::done(int result) {
  // No closing while a run is visiting the lists.
  if (!extract_button_->isEnabled()) return;
  StoreSettings();
  QDialog::done(result);
}

void TFileExtractForm::RemoveItem(std::size_t index) {
  // Marked now, taken out of the lists in one pass when the run ends.
  removed_.push_back(original_index_[index]);
  gone_[index] = true;
}

void TFileExtractForm::CompactLists() {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    if (gone_[i]) continue;
    if (kept != i) {
      paths_[kept] = std::move(paths_[i]);
      names_[kept] = std::move(names_[i]);
      selected_[kept] = selected_[i];
      original_index_[kept] = original_index_[i];
    }
    ++kept;
  }
  paths_.resize(kept);
  names_.resize(kept);
  selected_.resize(kept);
  original_index_.resize(kept);
  gone_.assign(kept, false);
}

void TFileExtractForm::ExtractButtonClick() {
  if (running_) return;
  const int type = file_size_radio_->isChecked() ? 1 : file_date_radio_->isChecked() ? 2 : 0;
  const int comparison = std::max(0, option_group_->checkedId());
  const bool use_or = and_or_group_->checkedId() == 1;
  int limit_width = 0, limit_height = 0;
  long long limit_bytes = 0;
  if (type == 0 && (!ParseDecimalInt(Trimmed(width_combo_), limit_width) ||
                    !ParseDecimalInt(Trimmed(height_combo_), limit_height))) {
    ApU().ShowMessage("Analize_SizeExtract Error_1", TApU::kCaption);
    return;
  }
  if (type == 1) {
    double kilobytes = 0;
    if (!ParseDecimalReal(Trimmed(file_size_combo_), kilobytes) || !std::isfinite(kilobytes)) {
      ApU().ShowMessage("Analize_FileExtract Error", TApU::kCaption);
      return;
    }
    limit_bytes = FileSizeLimitBytes(kilobytes);
  }
  const qint64 limit_day = date_picker_->date().toJulianDay();
  const bool keep_missing = not_exists_remain_->isChecked();

  extract_button_->setEnabled(false);
  exit_button_->setEnabled(false);
  running_ = true;
  matched_ = 0;
  abort_button_->setText(QString::number(paths_.size()));
  abort_button_->show();
  bool aborted = false;
  GuardHandler("ExtractButtonClick", [&] {
    for (std::size_t i = paths_.size(); i-- > 0;) {
      if (i % 50 == 0) {
        abort_button_->setText(QString::number(i));
        QApplication::processEvents();
      }
      if (!running_) {
        aborted = true;
        break;
      }
      const std::string& path = paths_[i];
      std::error_code error;
      // Only regular files are read: a FIFO or a device would block the run.
      const bool readable = fs::is_regular_file(path, error);
      if (!readable) {
        if (!keep_missing) RemoveItem(i);
        continue;
      }
      bool ok = true;
      bool match = false;
      if (type == 0) {
        int width = 0, height = 0;
        std::string why;
        ok = loader_.ReadSize(path, width, height, why);
        if (ok)
          match = PictureSizeMatches(width, height, limit_width, limit_height, comparison, use_or);
      } else if (type == 1) {
        const auto size = fs::file_size(path, error);
        ok = !error;
        if (ok) match = ExtractCompare(static_cast<long long>(size), limit_bytes, comparison);
      } else {
        qint64 day = 0;
        ok = FileDay(path, day);
        if (ok) match = ExtractCompare(day, limit_day, comparison);
      }
      if (!ok) {
        if (type != 0) setWindowTitle(QString("%1 %2").arg(++error_count_).arg(Q(names_[i])));
        if (!keep_missing) RemoveItem(i);
        continue;
      }
      if (match) {
        ++matched_;
        if (mode_ == kSelectMode) selected_[i] = true;
      } else if (mode_ == kDeleteMode) {
        RemoveItem(i);
      }
    }
  });
  CompactLists();
  running_ = false;
  std::string message = aborted ? "処理は中断されました。\r\n\r\n" : "";
  message += std::to_string(matched_) + "個のファイルを抽出しました。";
  ApU().ShowMessage(message, TApU::kCaption);
  extract_button_->setEnabled(true);
  exit_button_->setEnabled(true);
  abort_button_->hide();
}
