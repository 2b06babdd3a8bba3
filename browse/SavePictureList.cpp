#include "browse/SavePictureList.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

#include "engine/BandExecutor.h"
#include "engine/DecimalText.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtText.h"
#include "widgets/BoxEvents.h"
#include "widgets/SetColorDialog.h"

namespace {

constexpr char kNotNumber[] = "正の整数を入力してください。";
constexpr char kSettingError[] = "初期設定エラー";
constexpr char kPictureFilter[] = "ピクチャー(*.bmp)|*.bmp|ピクチャー(*.jpg, *.jpeg)|*.jpg;*.jpeg";

// " 050": a blank, then at least three digits.
QString NumberText(int value) { return QString(" %1").arg(value, 3, 10, QChar('0')); }

// A whole number typed into a box, blanks around it allowed.
bool ReadBoxNumber(const QString& text, int& value) {
  return ParseDecimalInt(S(text.trimmed()), value);
}

}  // namespace

TSavePictureListForm::TSavePictureListForm(TContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
  setObjectName("SavePictureListForm");
  setWindowTitle("  SavePictureListDialog");
  BuildControls();
  ResetNumbers();
  UpdateCoupling();
}

TSavePictureListForm::~TSavePictureListForm() = default;

void TSavePictureListForm::BuildControls() {
  auto* layout = new QGridLayout(this);
  const auto group = [this](const char* name, const char* caption) {
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(name);
    return box;
  };
  const auto check = [](QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
  };
  const auto button = [](QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  const auto number_box = [this](QWidget* parent, const char* name, std::vector<int> items, int max,
                                 int reset) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    for (int v : items) combo->addItem(NumberText(v));
    numbers_[combo] = TNumberBox{max, reset, reset};
    WatchBox(combo, this);
    return combo;
  };

  QGroupBox* methods = group("SaveMethodRadioGroup", "保存方法");
  auto* method_layout = new QVBoxLayout(methods);
  method_group_ = new QButtonGroup(this);
  const char* const kMethods[] = {"連番で保存する", "同じ名前で保存する", "上書き保存する",
                                  "サブフォルダに保存する", "同じフォルダに保存する"};
  for (int i = 0; i < 5; ++i) {
    auto* radio = new QRadioButton(kMethods[i], methods);
    method_group_->addButton(radio, i);
    method_layout->addWidget(radio);
  }
  method_group_->button(0)->setChecked(true);
  connect(method_group_, &QButtonGroup::idClicked, this, [this] { UpdateCoupling(); });

  std::vector<int> sizes;
  for (int v = 50; v <= 800; v += 50) sizes.push_back(v);
  QGroupBox* size = group("PictureSizeGroupBox", "ピクチャーのサイズ");
  auto* size_layout = new QGridLayout(size);
  size_layout->addWidget(new QLabel("幅", size), 0, 0);
  size_layout->addWidget(number_box(size, "PictureWidthComboBox", sizes, 32767, 400), 0, 1);
  size_layout->addWidget(new QLabel("高さ", size), 1, 0);
  size_layout->addWidget(number_box(size, "PictureHeightComboBox", sizes, 32767, 400), 1, 1);

  QGroupBox* quality = group("JPGQualityGroupBox", "JPEGの品質");
  (new QVBoxLayout(quality))
      ->addWidget(number_box(quality, "JPGQualityComboBox", {75, 80, 85, 90, 95, 100}, 100, 90));

  QGroupBox* margin = group("WithBackColorGroupBox", "余白の設定");
  auto* margin_layout = new QVBoxLayout(margin);
  QCheckBox* with_back = check(margin, "WithBackColorCheckBox", "余白をふくむ");
  margin_layout->addWidget(with_back);
  QPushButton* back_button = button(margin, "SetBackColorButton", "色の設定(&M)");
  margin_layout->addWidget(back_button);

  QGroupBox* edge = group("WithEdgeGroupBox", "枠の設定");
  auto* edge_layout = new QGridLayout(edge);
  QCheckBox* with_edge = check(edge, "WithEdgeCheckBox", "枠を付ける");
  edge_layout->addWidget(with_edge, 0, 0, 1, 2);
  edge_layout->addWidget(
      number_box(edge, "EdgeSizeComboBox", {1, 2, 3, 4, 5, 8, 10, 15, 20}, 32767, 1), 1, 0);
  pixel_label_ = new QLabel("ピクセル", edge);
  pixel_label_->setObjectName("PixelLabel");
  edge_layout->addWidget(pixel_label_, 1, 1);
  QPushButton* edge_button = button(edge, "SetEdgeColorButton", "色の設定(&C)");
  edge_layout->addWidget(edge_button, 2, 0, 1, 2);
  edge_layout->addWidget(check(edge, "EdgeSurroundPictureCheckBox", "ピクチャーを囲む"), 3, 0, 1,
                         2);

  QGroupBox* resize = group("ResizeGroupBox", "補正する");
  auto* resize_layout = new QVBoxLayout(resize);
  QCheckBox* rectify = check(resize, "DoRectifyCheckBox", "リサイズ時補正する");
  resize_layout->addWidget(rectify);
  auto* rectify_type = new QComboBox(resize);
  rectify_type->setObjectName("RectifyTypeComboBox");
  rectify_type->addItems({"補正1", "補正2", "補正3"});
  resize_layout->addWidget(rectify_type);

  QGroupBox* other = group("OtherGroupBox", "その他");
  auto* other_layout = new QVBoxLayout(other);
  other_layout->addWidget(check(other, "CanZoomCheckBox", "拡大を許す"));
  other_layout->addWidget(check(other, "NotChangeExtNameCheckBox", "拡張子を変更しない"));

  auto* buttons = new QHBoxLayout;
  QPushButton* save = button(this, "SaveButton", "保存(&S)");
  QPushButton* abort = button(this, "AbortButton", "中止(&A)");
  QPushButton* exit = button(this, "ExitButton", "終了(&X)");
  abort->setVisible(false);
  buttons->addWidget(save);
  buttons->addWidget(abort);
  buttons->addWidget(exit);

  layout->addWidget(methods, 0, 0, 2, 1);
  layout->addWidget(size, 0, 1);
  layout->addWidget(quality, 1, 1);
  layout->addWidget(margin, 2, 0);
  layout->addWidget(edge, 2, 1);
  layout->addWidget(resize, 3, 0);
  layout->addWidget(other, 3, 1);
  layout->addLayout(buttons, 4, 0, 1, 2);

  for (QCheckBox* box : {with_back, with_edge, rectify})
    connect(box, &QCheckBox::toggled, this, [this] { UpdateCoupling(); });
  connect(back_button, &QPushButton::clicked, this, [this] { SetBackColorButtonClick(); });
  connect(edge_button, &QPushButton::clicked, this, [this] { SetEdgeColorButtonClick(); });
  connect(save, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
  connect(abort, &QPushButton::clicked, this, [this] { AbortButtonClick(); });
  connect(exit, &QPushButton::clicked, this, [this] { ExitButtonClick(); });
}

QGroupBox* TSavePictureListForm::Group(const char* name) const {
  return findChild<QGroupBox*>(name);
}
QCheckBox* TSavePictureListForm::CheckBox(const char* name) const {
  return findChild<QCheckBox*>(name);
}
QComboBox* TSavePictureListForm::ComboBox(const char* name) const {
  return findChild<QComboBox*>(name);
}
QPushButton* TSavePictureListForm::Button(const char* name) const {
  return findChild<QPushButton*>(name);
}

void TSavePictureListForm::SetSourceList(std::vector<std::string> lines, std::vector<int> indexes) {
  lines_ = std::move(lines);
  indexes_ = std::move(indexes);
}

void TSavePictureListForm::SetRendering(int rotation_mode, TColor rotation_back,
                                        bool fit_region_to_box) {
  rotation_mode_ = rotation_mode;
  rotation_back_ = rotation_back;
  fit_region_to_box_ = fit_region_to_box;
}

void TSavePictureListForm::SetOptions(const TEffectSettings& o) {
  const auto set_number = [this](const char* name, int value) {
    QComboBox* combo = ComboBox(name);
    TNumberBox& box = numbers_[combo];
    box.stored = value >= 1 && value <= box.max ? value : box.reset;
    combo->setCurrentText(NumberText(box.stored));
  };
  set_number("PictureWidthComboBox", o.resize_width);
  set_number("PictureHeightComboBox", o.resize_height);
  set_number("EdgeSizeComboBox", o.edge_size);
  set_number("JPGQualityComboBox", o.jpeg_save_quality);
  if (QAbstractButton* method = method_group_->button(o.resize_save_method))
    method->setChecked(true);
  CheckBox("CanZoomCheckBox")->setChecked(o.resize_can_zoom);
  CheckBox("DoRectifyCheckBox")->setChecked(o.resize_do_rectify);
  ComboBox("RectifyTypeComboBox")->setCurrentIndex(std::clamp(o.save_rectify_type, 0, 2));
  CheckBox("NotChangeExtNameCheckBox")->setChecked(o.not_change_ext_name);
  CheckBox("WithBackColorCheckBox")->setChecked(o.with_back_color);
  back_color_ = o.back_color;
  CheckBox("WithEdgeCheckBox")->setChecked(o.with_edge);
  edge_color_ = o.edge_color;
  CheckBox("EdgeSurroundPictureCheckBox")->setChecked(o.edge_surround_picture);
  UpdateCoupling();
}

void TSavePictureListForm::TakeOptions(TEffectSettings& o) const {
  o.resize_width = Number(ComboBox("PictureWidthComboBox"));
  o.resize_height = Number(ComboBox("PictureHeightComboBox"));
  o.edge_size = Number(ComboBox("EdgeSizeComboBox"));
  o.jpeg_save_quality = Number(ComboBox("JPGQualityComboBox"));
  o.resize_save_method = method_group_->checkedId();
  o.resize_can_zoom = CheckBox("CanZoomCheckBox")->isChecked();
  o.resize_do_rectify = CheckBox("DoRectifyCheckBox")->isChecked();
  o.save_rectify_type = ComboBox("RectifyTypeComboBox")->currentIndex();
  o.not_change_ext_name = CheckBox("NotChangeExtNameCheckBox")->isChecked();
  o.with_back_color = CheckBox("WithBackColorCheckBox")->isChecked();
  o.back_color = back_color_;
  o.with_edge = CheckBox("WithEdgeCheckBox")->isChecked();
  o.edge_color = edge_color_;
  o.edge_surround_picture = CheckBox("EdgeSurroundPictureCheckBox")->isChecked();
}

int TSavePictureListForm::Number(QComboBox* combo) const { return numbers_.at(combo).stored; }

void TSavePictureListForm::ResetNumbers() {
  for (auto& [combo, box] : numbers_) {
    box.stored = box.reset;
    combo->setCurrentText(NumberText(box.reset));
  }
}

void TSavePictureListForm::UpdateCoupling() {
  const bool edge = CheckBox("WithEdgeCheckBox")->isChecked();
  ComboBox("EdgeSizeComboBox")->setEnabled(edge);
  Button("SetEdgeColorButton")->setEnabled(edge);
  pixel_label_->setEnabled(edge);
  CheckBox("EdgeSurroundPictureCheckBox")
      ->setEnabled(edge && Group("PictureSizeGroupBox")->isEnabled());
  Button("SetBackColorButton")->setEnabled(CheckBox("WithBackColorCheckBox")->isChecked());
  ComboBox("RectifyTypeComboBox")->setEnabled(CheckBox("DoRectifyCheckBox")->isChecked());
  CheckBox("NotChangeExtNameCheckBox")->setEnabled(method_group_->checkedId() < 2);
}

void TSavePictureListForm::showEvent(QShowEvent* event) {
  // Groups the caller disabled are greyed with everything in them.
  UpdateCoupling();
  QDialog::showEvent(event);
}

bool TSavePictureListForm::NumberBoxExit(QComboBox* combo) {
  TNumberBox& box = numbers_.at(combo);
  int value = 0;
  if (ReadBoxNumber(combo->currentText(), value) && value >= 1 && value <= box.max) {
    box.stored = value;
    return true;
  }
  checking_ = true;
  ApU().ShowMessage(kNotNumber, TApU::kCaption);
  combo->setCurrentText(NumberText(box.stored));
  checking_ = false;
  QTimer::singleShot(0, combo, [combo] { combo->setFocus(Qt::OtherFocusReason); });
  return false;
}

bool TSavePictureListForm::eventFilter(QObject* watched, QEvent* event) {
  for (auto& [combo, box] : numbers_) {
    if (!IsBox(watched, combo)) continue;
    try {
      if (LeftTheBox(event) && !checking_) {
        NumberBoxExit(combo);
      } else if (event->type() == QEvent::KeyPress && IsEnter(event)) {
        // Enter moves on: width to height to the edge, edge size to its colour, quality to the
        // correction.
        if (NumberBoxExit(combo)) {
          const std::string name = S(combo->objectName());
          QWidget* next = nullptr;
          if (name == "PictureWidthComboBox")
            next = ComboBox("PictureHeightComboBox");
          else if (name == "PictureHeightComboBox")
            next = CheckBox("WithEdgeCheckBox");
          else if (name == "EdgeSizeComboBox")
            next = Button("SetEdgeColorButton");
          else
            next = CheckBox("DoRectifyCheckBox");
          next->setFocus(Qt::TabFocusReason);
        }
        return true;
      }
    } catch (...) {
      ApU().ShowMessage("予定外のエラーです(例外)。\r\n\r\n設定データをリセットします。",
                        TApU::kCaption);
      ResetNumbers();
    }
    break;
  }
  return QDialog::eventFilter(watched, event);
}

void TSavePictureListForm::keyPressEvent(QKeyEvent* event) {
  if (!IsEnter(event)) {
    QDialog::keyPressEvent(event);
    return;
  }
  // Enter presses the button that has the focus, and nothing else.
  if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
}

bool TSavePictureListForm::PickColor(TColor& color) {
  std::vector<std::string> records;
  bool palette = false;
  std::vector<std::string>& list = context_.color_records ? *context_.color_records : records;
  bool& shown = context_.palette_show ? *context_.palette_show : palette;
  return ChooseColorWithRecords(this, color, list, shown);
}

void TSavePictureListForm::SetBackColorButtonClick() {
  try {
    PickColor(back_color_);
  } catch (...) {
    ApU().ShowMessage("SetBackColorButtonClick Error(2)", TApU::kCaption);
  }
}

void TSavePictureListForm::SetEdgeColorButtonClick() {
  try {
    PickColor(edge_color_);
  } catch (...) {
    ApU().ShowMessage("SetBackColorButtonClick Error(1)", TApU::kCaption);
  }
}

bool TSavePictureListForm::DecideNames(const std::vector<TSaveItem>& items, TSavePlan& plan) {
  const TSaveMethod method = SaveMethodOf(method_group_->checkedId());
  TSaveChoice choice;
  if (AsksForName(method)) {
    TFileDialogRequest request;
    request.folder =
        IsFolder(context_.save_folder) ? context_.save_folder : context_.program_folder;
    request.file_name = OfferedSaveName(items);
    request.filter = kPictureFilter;
    request.filter_index = OfferedFilter(request.file_name);
    int filter = request.filter_index;
    request.chosen_filter = &filter;
    std::string chosen;
    if (!ApU().Dialogs().SaveFile(request, chosen) || chosen.empty()) return false;
    const QCheckBox* keep = CheckBox("NotChangeExtNameCheckBox");
    choice = ReadSaveChoice(chosen, filter, keep->isChecked() && keep->isEnabled());
    context_.save_folder = choice.folder;
  } else if (method == TSaveMethod::kOverwrite) {
    if (ApU().ShowMessage("上書きして保存します。", TApU::kCaption, mb::kYesNo) != mb::kIdYes)
      return false;
  }
  plan = PlanSaveNames(method, items, choice);
  std::string failed;
  if (!MakeSaveFolders(plan, failed)) {
    ApU().ShowMessage(failed + "\r\n" + "にサブディレクトリを作成できませんでした。",
                      TApU::kCaption);
    return false;
  }
  return true;
}

std::unique_ptr<TSavePictureSource> TSavePictureListForm::MakeSource(
    const std::vector<TSaveItem>& items) {
  const bool edge = CheckBox("WithEdgeCheckBox")->isChecked();
  const int edge_size = edge ? Number(ComboBox("EdgeSizeComboBox")) : 0;
  const int quality = Number(ComboBox("JPGQualityComboBox"));
  if (caller_ != TCaller::kMainLists) {
    std::vector<int> indexes = indexes_;
    THeldPictureSource::TPictureOf held = held_;
    auto picture_of = [indexes, held](std::size_t item, TBitmap24& picture) {
      if (!held || item >= indexes.size()) return false;
      return held(static_cast<std::size_t>(indexes[item]), picture);
    };
    return std::make_unique<THeldPictureSource>(items, picture_of, edge_size, edge_color_, quality);
  }
  TListPictureSource::TOptions options;
  options.frame.back_color = back_color_;
  options.frame.with_margin = CheckBox("WithBackColorCheckBox")->isChecked();
  options.frame.edge_surrounds_picture = CheckBox("EdgeSurroundPictureCheckBox")->isChecked();
  options.frame.edge_color = edge_color_;
  options.frame.edge_size = edge_size;
  options.frame.allow_enlarge = CheckBox("CanZoomCheckBox")->isChecked();
  options.frame.rectify_mode = CheckBox("DoRectifyCheckBox")->isChecked()
                                   ? ComboBox("RectifyTypeComboBox")->currentIndex() + 1
                                   : 0;
  options.frame.quality = quality;
  options.frame.target_width = Number(ComboBox("PictureWidthComboBox"));
  options.frame.target_height = Number(ComboBox("PictureHeightComboBox"));
  options.effects.rotation_mode = rotation_mode_;
  options.effects.rotation_back = rotation_back_;
  options.effects.fonts = context_.fonts;
  options.fit_region_to_box = fit_region_to_box_;
  return std::make_unique<TListPictureSource>(items, options, *context_.loader);
}

std::size_t TSavePictureListForm::RunPlan(const TSavePictureSource& source, const TSavePlan& plan) {
  TBatchSaveRun run(source, plan);
  QPushButton* abort = Button("AbortButton");
  const QString count = QString::number(static_cast<qulonglong>(run.Count()));
  abort->setText("0 / " + count);
  std::atomic<bool> done{false};
  run_ = &run;
  std::thread worker([&run, &done] {
    run.Run(DefaultBandExecutor());
    done.store(true);
  });
  // The window stays responsive, so that the abort button can stop the run.
  QEventLoop loop;
  QTimer timer;
  connect(&timer, &QTimer::timeout, &loop, [&] {
    if (run.Begun() > 0)
      abort->setText(" " + QString::number(static_cast<qulonglong>(run.Begun())) + " / " + count);
    if (done.load()) loop.quit();
  });
  timer.start(30);
  loop.exec();
  worker.join();
  run_ = nullptr;
  return run.NotSaved();
}

void TSavePictureListForm::SaveButtonClick() {
  if (saving_) return;
  const std::vector<TSaveItem> items = ReadSaveItems(lines_, *context_.paths);
  const TSaveMethod method = SaveMethodOf(method_group_->checkedId());
  if (method == TSaveMethod::kOverwrite && (!file_data_ || HoldsRecords(items))) {
    ApU().ShowMessage("キャプデータピクチャーの上書き保存はできません。", TApU::kCaption);
    return;
  }
  saving_ = true;
  Button("SaveButton")->setEnabled(false);
  Button("ExitButton")->setEnabled(false);
  QPushButton* abort = Button("AbortButton");
  abort->setText("保存設定");
  abort->setVisible(true);
  try {
    // A number typed but not yet checked (the box was never left) counts as typed.
    for (auto& [combo, box] : numbers_) {
      int value = 0;
      if (!ReadBoxNumber(combo->currentText(), value) || value < 1 || value > box.max) {
        ApU().ShowMessage(kSettingError, TApU::kCaption);
        ResetNumbers();
        EndRun();
        return;
      }
      box.stored = value;
    }
    TSavePlan plan;
    if (!items.empty() && DecideNames(items, plan)) {
      const std::unique_ptr<TSavePictureSource> source = MakeSource(items);
      const std::size_t not_saved = RunPlan(*source, plan);
      ApU().ShowMessage(std::to_string(not_saved) + "個のファイルは保存できませんでした。",
                        TApU::kCaption);
    }
  } catch (...) {
    ApU().ShowMessage("ExecuteButtonClick Error(1)", TApU::kCaption);
  }
  EndRun();
}

void TSavePictureListForm::EndRun() {
  Button("AbortButton")->setVisible(false);
  saving_ = false;
  Button("SaveButton")->setEnabled(true);
  Button("ExitButton")->setEnabled(true);
}

void TSavePictureListForm::AbortButtonClick() {
  if (run_) run_->Abort();
}

void TSavePictureListForm::ExitButtonClick() {
  if (saving_) return;
  done(kExitResult);
}

void TSavePictureListForm::closeEvent(QCloseEvent* event) {
  if (saving_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TSavePictureListForm::reject() {
  if (!saving_) QDialog::reject();
}
