#include "effects/CapDataEditForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "engine/DecimalText.h"
#include "platform/AppUtils.h"
#include "widgets/FormPlacement.h"

namespace {

constexpr const char* kUndefined = "未定義のデータ形式です。";

// The line the user sees selected. Qt keeps a current row apart from the selection (after a
// deletion, or when the list takes the focus), and the buttons must act on what is shown.
int SelectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.front());
}

void SelectRow(QListWidget* list, int row) {
  list->clearSelection();
  list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

}  // namespace

TCapDataEdit::TCapDataEdit(const TEditedRecord& record, const std::string& file_name,
                           QWidget* parent)
    : QDialog(parent), record_(record) {
  setObjectName("CapDataEdit");
  setWindowTitle("　キャプデータの編集");
  auto* layout = new QGridLayout(this);
  base_list_ = new QListWidget;
  base_list_->setObjectName("BaseDataListBox");
  base_list_->addItem(QString::fromStdString(file_name));
  base_list_->item(0)->setToolTip(QString::fromStdString(record.path_field));
  for (const std::string& number : record.numbers)
    base_list_->addItem(QString::fromStdString(number));
  option_list_ = new QListWidget;
  option_list_->setObjectName("OptionDataListBox");
  for (const std::string& effect : record.effects)
    option_list_->addItem(QString::fromStdString(effect));
  data_edit_ = new QLineEdit;
  data_edit_->setObjectName("DataEdit");
  layout->addWidget(base_list_, 0, 0);
  layout->addWidget(option_list_, 0, 1);

  auto* data_panel = new QHBoxLayout;
  data_panel->addWidget(data_edit_, 1);
  change_button_ = Button("ChangeButton", "変更(&T)");
  data_panel->addWidget(change_button_);
  for (auto [name, caption] : {std::pair{"PlusButton", "＋"}, std::pair{"MinusButton", "-"},
                               std::pair{"ListUpButton", "↑"}, std::pair{"ListDownButton", "↓"}})
    data_panel->addWidget(Button(name, caption));
  layout->addLayout(data_panel, 1, 0, 1, 2);
  auto* closing = new QHBoxLayout;
  closing->addStretch(1);
  QPushButton* replace = Button("ReplaceButton", "置換(&R)");
  QPushButton* add = Button("AddButton", "追加(&A)");
  QPushButton* cancel = Button("CancelButton", "Cancel(&C)");
  closing->addWidget(replace);
  closing->addWidget(add);
  closing->addWidget(cancel);
  layout->addLayout(closing, 2, 0, 1, 2);

  connect(change_button_, &QPushButton::clicked, this, [this] { ChangeButtonClick(); });
  connect(findChild<QPushButton*>("PlusButton"), &QPushButton::clicked, this,
          [this] { PlusButtonClick(); });
  connect(findChild<QPushButton*>("MinusButton"), &QPushButton::clicked, this,
          [this] { MinusButtonClick(); });
  connect(findChild<QPushButton*>("ListUpButton"), &QPushButton::clicked, this,
          [this] { MoveEntry(-1); });
  connect(findChild<QPushButton*>("ListDownButton"), &QPushButton::clicked, this,
          [this] { MoveEntry(+1); });
  connect(replace, &QPushButton::clicked, this, [this] { done(kResultReplace); });
  connect(add, &QPushButton::clicked, this, [this] { done(kResultAdd); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(data_edit_, &QLineEdit::returnPressed, change_button_,
          [this] { change_button_->setFocus(); });
  // Selecting a line in either list puts it into the edit box; the other list lets go.
  const auto take = [this](QListWidget* from, QListWidget* other) {
    connect(from, &QListWidget::itemSelectionChanged, this, [this, from, other] {
      const int row = SelectedRow(from);
      if (row < 0) return;
      other->blockSignals(true);
      other->clearSelection();
      other->setCurrentRow(-1, QItemSelectionModel::Clear);
      other->blockSignals(false);
      data_edit_->setText(from->item(row)->text());
      data_edit_->setFocus();
    });
  };
  take(base_list_, option_list_);
  take(option_list_, base_list_);
  setMinimumSize(sizeHint());
  resize(minimumSize());
  PlaceForm(*this);
}

QPushButton* TCapDataEdit::Button(const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption));
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

TEditedRecord TCapDataEdit::Record() const {
  TEditedRecord record = record_;
  for (int i = 0; i < 4; ++i) record.numbers[i] = base_list_->item(i + 1)->text().toStdString();
  record.effects.clear();
  for (int i = 0; i < option_list_->count(); ++i)
    record.effects.push_back(option_list_->item(i)->text().toStdString());
  return record;
}

void TCapDataEdit::ChangeButtonClick() {
  const std::string text = data_edit_->text().toStdString();
  const int base = SelectedRow(base_list_);
  if (base == 0) {
    ApU().ShowMessage("ファイル名は変更できません。", TApU::kCaption);
    return;
  }
  if (base >= 1) {
    int value = 0;
    const bool number = ParseDecimalInt(text, value);
    if (base <= 2 && !number) {
      ApU().ShowMessage("整数を入力してください。", TApU::kCaption);
      return;
    }
    if (base >= 3 && (!number || value < 1)) {
      ApU().ShowMessage("正の整数を入力してください。", TApU::kCaption);
      return;
    }
    base_list_->item(base)->setText(QString::fromStdString(text));
    return;
  }
  const int option = SelectedRow(option_list_);
  if (option < 0) {
    ApU().ShowMessage("変更するデータが指定されていません", TApU::kCaption);
    return;
  }
  std::string normalised;
  if (!NormalizeEffectEntry(text, normalised)) {
    ApU().ShowMessage(kUndefined, TApU::kCaption);
    return;
  }
  option_list_->item(option)->setText(QString::fromStdString(normalised));
  data_edit_->setText(QString::fromStdString(normalised));
}

void TCapDataEdit::PlusButtonClick() {
  if (option_list_->count() >= 6) {
    ApU().ShowMessage("これ以上データを追加できません。", TApU::kCaption);
    return;
  }
  const std::string text = data_edit_->text().trimmed().toStdString();
  if (text.empty()) return;
  std::string normalised;
  if (!NormalizeEffectEntry(text, normalised)) {
    ApU().ShowMessage(kUndefined, TApU::kCaption);
    return;
  }
  option_list_->addItem(QString::fromStdString(normalised));
  data_edit_->setText(QString::fromStdString(normalised));
  data_edit_->setFocus();
}

void TCapDataEdit::MinusButtonClick() {
  const int option = SelectedRow(option_list_);
  if (option < 0) return;
  if (ApU().ShowMessage("選択されている行を削除しますか?", TApU::kCaption, mb::kYesNo) !=
      mb::kIdYes)
    return;
  delete option_list_->takeItem(option);
  // Nothing is selected after a deletion; no hidden current line may be acted on.
  option_list_->setCurrentRow(-1, QItemSelectionModel::Clear);
}

void TCapDataEdit::MoveEntry(int direction) {
  const int row = SelectedRow(option_list_);
  const int to = row + direction;
  if (row < 0 || to < 0 || to >= option_list_->count()) return;
  option_list_->blockSignals(true);
  option_list_->insertItem(to, option_list_->takeItem(row));
  SelectRow(option_list_, to);
  option_list_->blockSignals(false);
}
