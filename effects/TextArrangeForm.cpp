#include "effects/TextArrangeForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "effects/EffectDialogButtons.h"
#include "effects/EffectOwner.h"
#include "engine/FontRasteriser.h"
#include "platform/AppUtils.h"
#include "platform/QtFontRasteriser.h"
#include "platform/QtText.h"
#include "widgets/BoxEvents.h"

namespace {

// The memo shows text at most this many pixels high, whatever size is drawn.
constexpr int kLargestShownPixels = 400;

QAction* MakeItem(QMenu* menu, const char* name, const char* caption, bool checkable = false) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  action->setObjectName(name);
  action->setCheckable(checkable);
  return action;
}

bool ItemSelected(const QComboBox* combo) {
  const int index = combo->currentIndex();
  return index >= 0 && combo->itemText(index) == combo->currentText();
}

// Shows text in the box, selecting the item that reads the same.
void SetBoxText(QComboBox* combo, const std::string& text) {
  const int index = combo->findText(Q(text), Qt::MatchExactly);
  if (index >= 0) {
    combo->setCurrentIndex(index);
    combo->setEditText(combo->itemText(index));
    return;
  }
  combo->setCurrentIndex(-1);
  combo->setEditText(Q(text));
}

QColor ToQColor(TColor color) {
  return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

}  // namespace

TTextArrangeForm::TTextArrangeForm(TEffectOwner& owner)
    : QWidget(owner.Window(), Qt::Tool | Qt::WindowStaysOnTopHint), owner_(owner) {
  setObjectName("TextArrangeForm");
  setWindowTitle(kCaption);
  font_.name = TQtFontRasteriser::kFallbackFamily;
  view_size_ = font_.size;

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* main_panel = new QWidget(this);
  main_panel->setObjectName("MainPanel");
  layout->addWidget(main_panel);
  auto* row = new QHBoxLayout(main_panel);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);

  space_panel_ = new QFrame(main_panel);
  space_panel_->setObjectName("SpacePanel");
  space_panel_->setFrameStyle(QFrame::NoFrame);
  space_panel_->setAutoFillBackground(true);
  space_panel_->setMinimumSize(100, 100);
  auto* space = new QVBoxLayout(space_panel_);
  space->setContentsMargins(2, 2, 2, 2);
  text_memo_ = new QPlainTextEdit(space_panel_);
  text_memo_->setObjectName("TextMemo");
  text_memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_memo_->setFrameStyle(QFrame::NoFrame);
  space->addWidget(text_memo_);
  row->addWidget(space_panel_, 1);

  button_panel_ = new QWidget(main_panel);
  button_panel_->setObjectName("ButtonPanel");
  button_panel_->installEventFilter(this);
  auto* column = new QVBoxLayout(button_panel_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(3);
  auto* execute = MakeDialogButton("ExecuteButton", "実行(&E)", button_panel_);
  auto* font = MakeDialogButton("FontButton", "Font(&F)", button_panel_);
  x_combo_box_ = MakeCombo("XComboBox", PositionItems(TTextCombo::kX).data(), 5, 2);
  y_combo_box_ = MakeCombo("YComboBox", PositionItems(TTextCombo::kY).data(), 5, 2);
  rotation_combo_box_ = MakeCombo("RotationComboBox", RotationItems().data(), 9, 0);
  trans_parent_combo_box_ = MakeCombo("TransParentComboBox", TransparencyItems().data(), 11, 1);
  control_check_box_ = new QCheckBox("制限", button_panel_);
  control_check_box_->setObjectName("ControlCheckBox");
  always_show_file_name_check_box_ = new QCheckBox("Ｆ名", button_panel_);
  always_show_file_name_check_box_->setObjectName("AlwaysShowFileNameCheckBox");
  auto_effect_check_box_ = new QCheckBox(button_panel_);
  auto_effect_check_box_->setObjectName("AutoEffectCheckBox");
  auto_effect_label_ = new QLabel("効果", button_panel_);
  auto_effect_label_->setObjectName("AutoEffectLabel");
  auto_effect_label_->installEventFilter(this);
  auto* renew = MakeDialogButton("ReNewButton", "更新(&N)", button_panel_);
  cap_button_ = MakeDialogButton("TextCapButton", "キャプ(&C)", button_panel_);
  cap_add_button_ = MakeDialogButton("TextCapAddButton", "追加(&A)", button_panel_);
  for (QWidget* w : std::initializer_list<QWidget*>{
           execute, font, x_combo_box_, y_combo_box_, rotation_combo_box_, trans_parent_combo_box_,
           control_check_box_, always_show_file_name_check_box_})
    column->addWidget(w);
  auto* auto_row = new QHBoxLayout;
  auto_row->addWidget(auto_effect_check_box_);
  auto_row->addWidget(auto_effect_label_);
  auto_row->addStretch();
  column->addLayout(auto_row);
  for (QWidget* w : std::initializer_list<QWidget*>{renew, cap_button_, cap_add_button_})
    column->addWidget(w);
  column->addStretch();
  button_panel_->setFixedWidth(86);
  row->addWidget(button_panel_);

  popup_menu_ = new QMenu(this);
  popup_menu_->setObjectName("TextPopupMenu");
  QMenu* file_data = popup_menu_->addMenu("ファイルデータ（&F)");
  file_data->setObjectName("FileData1");
  QAction* get_file_name = MakeItem(file_data, "GetFileName1", "ファイル名の取得(&N)");
  QAction* get_path = MakeItem(file_data, "GetPath1", "パス名の取得(&P)");
  file_data->addSeparator();
  without_extension_ = MakeItem(file_data, "FileNameWithoutExtName1", "拡張子を外す(&E)", true);
  with_space_ = MakeItem(file_data, "FileNameWithSpace1", "半角分余白を取る(&S)", true);
  QMenu* edit = popup_menu_->addMenu("編集(&E)");
  edit->setObjectName("Edit1");
  QAction* cut = MakeItem(edit, "Cut1", "切り取り(&T)");
  QAction* copy = MakeItem(edit, "Copy1", "コピー(&C)");
  paste_ = MakeItem(edit, "Paste1", "貼り付け(&P)");
  QAction* select_all = MakeItem(edit, "SelectAll1", "すべて選択(&L)");
  QMenu* view = popup_menu_->addMenu("表示設定(&V)");
  view->setObjectName("ViewSetting1");
  QAction* font_color = MakeItem(view, "SetFontColor1", "フォントカラー(&C)");
  QAction* text_back = MakeItem(view, "SetTextBackColor1", "テキスト背景色(&T)");
  QAction* space_back = MakeItem(view, "SetSpaceBackColor1", "余白背景色(&S)");
  view->addSeparator();
  fixed_view_ = MakeItem(view, "NotChangeViewTextFont1", "表示テキストを固定する(&V)", true);
  QAction* view_size = MakeItem(view, "SetViewTextFont1", "表示テキストの固定サイズ(&Z)");
  for (QWidget* w : std::initializer_list<QWidget*>{this, text_memo_}) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& at) { popup_menu_->popup(w->mapToGlobal(at)); });
  }

  connect(execute, &QPushButton::clicked, this, [this] { ExecuteButtonClick(); });
  connect(font, &QPushButton::clicked, this, [this] { FontButtonClick(); });
  connect(renew, &QPushButton::clicked, this, [this] { ReNewButtonClick(); });
  connect(cap_button_, &QPushButton::clicked, this, [this] { TextCapButtonClick(); });
  connect(cap_add_button_, &QPushButton::clicked, this, [this] { TextCapAddButtonClick(); });
  connect(always_show_file_name_check_box_, &QCheckBox::clicked, this,
          [this] { AlwaysShowFileNameCheckBoxClick(); });
  connect(get_file_name, &QAction::triggered, this, [this] { GetFileName1Click(false); });
  connect(get_path, &QAction::triggered, this, [this] { GetFileName1Click(true); });
  for (QAction* option : {without_extension_, with_space_})
    connect(option, &QAction::triggered, this, [this, option] { FileNameOptionClick(option); });
  connect(edit, &QMenu::aboutToShow, this, [this] { EditMenuOpening(); });
  connect(cut, &QAction::triggered, this, [this] {
    text_memo_->cut();
    text_memo_->setFocus();
  });
  connect(copy, &QAction::triggered, this, [this] {
    text_memo_->copy();
    text_memo_->setFocus();
  });
  connect(paste_, &QAction::triggered, this, [this] {
    text_memo_->paste();
    text_memo_->setFocus();
  });
  connect(select_all, &QAction::triggered, this, [this] {
    text_memo_->selectAll();
    text_memo_->setFocus();
  });
  for (QAction* item : {font_color, text_back, space_back})
    connect(item, &QAction::triggered, this, [this, item] { SetColorClick(item); });
  connect(fixed_view_, &QAction::triggered, this, [this] { NotChangeViewTextFont1Click(); });
  connect(view_size, &QAction::triggered, this, [this] { SetViewTextFont1Click(); });

  if (owner_.Kind() != TEffectOwner::TKind::kMainWindow) {
    cap_button_->setEnabled(false);
    cap_add_button_->setEnabled(false);
  }
  ShowMemoFont();
  ShowColors();

  // The smallest size shows the controls down to the file-name box and the buttons below it.
  resize(250, 100);
  layout->activate();
  const int check_top = always_show_file_name_check_box_->mapTo(this, QPoint(0, 0)).y();
  const QSize least = minimumSizeHint();
  const QSize size(std::max(250, least.width()), std::max(check_top + 90, least.height()));
  setMinimumSize(size);
  resize(size);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.right() + 1 - size.width() - 10, area.top());
  }
}

QComboBox* TTextArrangeForm::MakeCombo(const char* name, const char* const* items,
                                       std::size_t count, int initial) {
  auto* combo = new QComboBox(button_panel_);
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);  // completion would choose an item for a typed text
  for (std::size_t i = 0; i < count; ++i) combo->addItem(QString::fromUtf8(items[i]));
  combo->setCurrentIndex(initial);
  WatchBox(combo, this);
  return combo;
}

QComboBox* TTextArrangeForm::Box(TBox box) const {
  switch (box) {
    case TBox::kX:
      return x_combo_box_;
    case TBox::kY:
      return y_combo_box_;
    case TBox::kTransparency:
      return trans_parent_combo_box_;
    case TBox::kRotation:
      break;
  }
  return rotation_combo_box_;
}

QPushButton* TTextArrangeForm::Button(const std::string& name) const {
  return findChild<QPushButton*>(Q(name));
}

QAction* TTextArrangeForm::MenuItem(const std::string& name) const {
  return popup_menu_->findChild<QAction*>(Q(name));
}

TColor TTextArrangeForm::FontColor() const { return ResolveColorReference(font_.color, kBlack); }
TColor TTextArrangeForm::TextBackColor() const { return ResolveColorReference(text_back_, kWhite); }
TColor TTextArrangeForm::SpaceBackColor() const {
  return ResolveColorReference(space_back_, kWhite);
}

void TTextArrangeForm::ShowMemoFont() {
  const QString wanted = Q(font_.name);
  QFont shown(!wanted.isEmpty() && QFontDatabase::hasFamily(wanted)
                  ? wanted
                  : QString::fromLatin1(TQtFontRasteriser::kFallbackFamily));
  const int size = fixed_view_->isChecked() ? view_size_ : font_.size;
  shown.setPixelSize(std::clamp(FontPixelSize(size), 1, kLargestShownPixels));
  shown.setBold(font_.bold);
  shown.setItalic(font_.italic);
  shown.setUnderline(font_.underline);
  shown.setStrikeOut(font_.strike_out);
  text_memo_->setFont(shown);
}

void TTextArrangeForm::ShowColors() {
  QPalette memo = text_memo_->palette();
  memo.setColor(QPalette::Base, ToQColor(TextBackColor()));
  memo.setColor(QPalette::Text, ToQColor(FontColor()));
  text_memo_->setPalette(memo);
  QPalette panel = space_panel_->palette();
  panel.setColor(QPalette::Window, ToQColor(SpaceBackColor()));
  space_panel_->setPalette(panel);
}

TTextLayout TTextArrangeForm::Layout(bool& complete) const {
  TTextLayout layout;
  complete = TransparencyValue(trans_parent_combo_box_->currentText().toStdString(),
                               layout.transparency) &&
             RotationTenths(rotation_combo_box_->currentText().toStdString(), layout.rotation);
  layout.text_back = text_back_;
  layout.space_back = space_back_;
  layout.limit = control_check_box_->isChecked();
  return layout;
}

TTextViewOptions TTextArrangeForm::ViewOptions() const {
  TTextViewOptions options;
  options.without_extension = without_extension_->isChecked();
  options.with_space = with_space_->isChecked();
  options.view_size = view_size_;
  options.fixed_view = fixed_view_->isChecked();
  return options;
}

void TTextArrangeForm::RestoreTexts(const TTextArrangeTexts& texts) {
  stored_ = texts;
  TTextFontState font = font_;
  if (ParseFontText(texts.text_font, font)) font_ = font;
  TTextLayout layout;
  if (ParseLayoutText(texts.text_options, layout)) {
    SetBoxText(trans_parent_combo_box_, TransparencyComboText(layout.transparency));
    text_back_ = layout.text_back;
    space_back_ = layout.space_back;
    SetBoxText(rotation_combo_box_, RotationComboText(layout.rotation));
    control_check_box_->setChecked(layout.limit);
  }
  TTextViewOptions options;
  if (ParseOptionText(texts.base_data, options)) {
    without_extension_->setChecked(options.without_extension);
    with_space_->setChecked(options.with_space);
    view_size_ = options.view_size;
    fixed_view_->setChecked(options.fixed_view);
  }
  ShowMemoFont();
  ShowColors();
  composed_when_read_ = {};
  composed_when_read_ = Texts();
}

TTextArrangeTexts TTextArrangeForm::Texts() const {
  bool complete = false;
  TTextLayout layout = Layout(complete);
  if (!complete) {
    // A box left unreadable keeps the value it would be drawn with.
    const TTextLayout defaults;
    if (!TransparencyValue(trans_parent_combo_box_->currentText().toStdString(),
                           layout.transparency))
      layout.transparency = defaults.transparency;
    if (!RotationTenths(rotation_combo_box_->currentText().toStdString(), layout.rotation))
      layout.rotation = defaults.rotation;
  }
  TTextArrangeTexts texts;
  texts.text_font = TextToStore(stored_.text_font, composed_when_read_.text_font, FontText(font_));
  texts.text_options =
      TextToStore(stored_.text_options, composed_when_read_.text_options, LayoutText(layout));
  texts.base_data =
      TextToStore(stored_.base_data, composed_when_read_.base_data, OptionText(ViewOptions()));
  return texts;
}

std::string TTextArrangeForm::ParameterText() {
  try {
    for (QComboBox* box : {x_combo_box_, y_combo_box_})
      if (!ItemSelected(box) && !IsIntegerText(box->currentText().toStdString()))
        SetBoxText(box, "  0");
    bool complete = false;
    const TTextLayout layout = Layout(complete);
    if (!complete) return {};
    return TextParameterText(x_combo_box_->currentText().toStdString(),
                             y_combo_box_->currentText().toStdString(), font_,
                             text_memo_->toPlainText().toStdString(), layout);
  } catch (...) {
    return {};
  }
}

bool TTextArrangeForm::AutoEffect() const { return auto_effect_check_box_->isChecked(); }

bool TTextArrangeForm::AlwaysShowFileName() const {
  return always_show_file_name_check_box_->isChecked();
}

void TTextArrangeForm::FollowFileName() {
  if (AlwaysShowFileName()) GetFileName1Click(false);
}

void TTextArrangeForm::ShowDrawResult(bool drawn, int left, int top) {
  setWindowTitle(drawn ? QString("(%1, %2)").arg(left).arg(top) : QString(kCaption));
}

void TTextArrangeForm::ExecuteButtonClick() {
  try {
    FollowFileName();
    const std::string parameters = ParameterText();
    if (parameters.empty()) {
      ApU().ShowMessage("Execute_TextArrange (例外2)", TApU::kCaption);
      ShowDrawResult(false, 0, 0);
      return;
    }
    int left = 0, top = 0;
    const bool drawn = owner_.DrawTextEffect(parameters, left, top);
    ShowDrawResult(drawn, left, top);
  } catch (...) {
    ShowDrawResult(false, 0, 0);
    ApU().ShowMessage("ExecuteButtonClick Error", TApU::kCaption);
  }
}

void TTextArrangeForm::FontButtonClick() {
  try {
    TFontSpec choice;
    choice.family = font_.name;
    choice.size = font_.size;
    choice.bold = font_.bold;
    choice.italic = font_.italic;
    choice.underline = font_.underline;
    choice.strike_out = font_.strike_out;
    TColor color = FontColor();
    if (!ApU().Dialogs().ChooseFont(choice, color)) return;
    font_.name = choice.family;
    font_.size = choice.size;
    font_.bold = choice.bold;
    font_.italic = choice.italic;
    font_.underline = choice.underline;
    font_.strike_out = choice.strike_out;
    ShowMemoFont();
  } catch (...) {
    ApU().ShowMessage("FontButtonClick Error", TApU::kCaption);
  }
}

void TTextArrangeForm::SetViewTextFont1Click() {
  try {
    TFontSpec choice;
    choice.family = font_.name;
    choice.size = view_size_;
    choice.bold = font_.bold;
    choice.italic = font_.italic;
    choice.underline = font_.underline;
    choice.strike_out = font_.strike_out;
    TColor color = FontColor();
    if (!ApU().Dialogs().ChooseFont(choice, color)) return;
    view_size_ = choice.size;
    ShowMemoFont();
  } catch (...) {
    ApU().ShowMessage("SetViewTextFont1Click Error", TApU::kCaption);
  }
}

void TTextArrangeForm::NotChangeViewTextFont1Click() { ShowMemoFont(); }

bool TTextArrangeForm::BoxExit(TBox box) {
  QComboBox* combo = Box(box);
  const std::string typed = combo->currentText().toStdString();
  std::string message;
  if (box == TBox::kRotation) {
    std::string shown;
    if (RotationEntry(typed, shown)) {
      SetBoxText(combo, shown);
      return true;
    }
    message = kRotationMessage;
    SetBoxText(combo, kRotationZeroItem);
  } else {
    if (ItemSelected(combo)) return true;
    const TTextCombo kind = box == TBox::kX   ? TTextCombo::kX
                            : box == TBox::kY ? TTextCombo::kY
                                              : TTextCombo::kTransparency;
    const TComboEntry entry = PositionEntry(kind, typed);
    if (entry.select >= 0) {
      combo->setCurrentIndex(entry.select);
      combo->setEditText(combo->itemText(entry.select));
    } else {
      SetBoxText(combo, entry.text);
    }
    message = entry.message;
    if (message.empty()) return true;
  }
  // The message takes the focus away: that focus change is not another exit.
  checking_ = true;
  ApU().ShowMessage(message, TApU::kCaption);
  combo->setFocus();
  combo->lineEdit()->selectAll();
  checking_ = false;
  // A box left by focus deselects its text after this handler: select it again afterwards.
  QMetaObject::invokeMethod(
      combo, [combo] { combo->lineEdit()->selectAll(); }, Qt::QueuedConnection);
  return false;
}

bool TTextArrangeForm::XComboBoxExit() { return Exit(TBox::kX); }
bool TTextArrangeForm::YComboBoxExit() { return Exit(TBox::kY); }
bool TTextArrangeForm::TransParentComboBoxExit() { return Exit(TBox::kTransparency); }
bool TTextArrangeForm::RotationComboBoxExit() { return Exit(TBox::kRotation); }

bool TTextArrangeForm::Exit(TBox box) {
  try {
    return BoxExit(box);
  } catch (...) {
    const char* error = box == TBox::kTransparency ? "SetColorComboBoxExit Error(2)"
                        : box == TBox::kRotation   ? "RotationComboBoxExit Error(1)"
                                                   : "XComboBoxExit Error(1)";
    ApU().ShowMessage(error, TApU::kCaption);
    return false;
  }
}

void TTextArrangeForm::GetFileName1Click(bool full_path) {
  try {
    const std::string text =
        FileDataText(owner_.SelectedPicturePath(), full_path, without_extension_->isChecked(),
                     with_space_->isChecked());
    text_memo_->setPlainText(Q(text));
  } catch (...) {
    ApU().ShowMessage("GetFileName1Click Error", TApU::kCaption);
  }
}

void TTextArrangeForm::FileNameOptionClick(QAction* /*option*/) {
  try {
    GetFileName1Click(false);
  } catch (...) {
    ApU().ShowMessage("FileNameWithoutExtName1Click Error", TApU::kCaption);
  }
}

void TTextArrangeForm::AlwaysShowFileNameCheckBoxClick() {
  if (AlwaysShowFileName()) GetFileName1Click(false);
}

void TTextArrangeForm::SetColorClick(QAction* item) {
  const QString name = item ? item->objectName() : QString();
  int* target = name == "SetFontColor1"        ? &font_.color
                : name == "SetTextBackColor1"  ? &text_back_
                : name == "SetSpaceBackColor1" ? &space_back_
                                               : nullptr;
  if (!target) {
    ApU().ShowMessage("SetTextBackColor1Click Error(1)", TApU::kCaption);
    return;
  }
  TColor color = ResolveColorReference(*target, target == &font_.color ? kBlack : kWhite);
  try {
    if (!owner_.ChooseColor(this, color)) return;
  } catch (...) {
    ApU().ShowMessage("SetSlideBackColorButtonClick Error(2)", TApU::kCaption);
    return;
  }
  *target = static_cast<int>(color & 0xFFFFFF);
  ShowColors();
}

void TTextArrangeForm::EditMenuOpening() { paste_->setEnabled(TApU::ClipboardHasText()); }

void TTextArrangeForm::ReNewButtonClick() { RenewOwnerPicture(owner_); }

void TTextArrangeForm::TextCapButtonClick() { CaptureWithEffect(owner_, *auto_effect_check_box_); }

void TTextArrangeForm::TextCapAddButtonClick() {
  FollowFileName();
  owner_.AddCapture(TEffectKind::kText, ParameterText());
}

void TTextArrangeForm::closeEvent(QCloseEvent* event) {
  RedirectClose(owner_, *event, kShowAction, true);
}

bool TTextArrangeForm::eventFilter(QObject* watched, QEvent* event) {
  for (TBox box : {TBox::kX, TBox::kY, TBox::kTransparency, TBox::kRotation}) {
    QComboBox* combo = Box(box);
    if (!IsBox(watched, combo)) continue;
    if (LeftTheBox(event)) {
      if (!checking_) Exit(box);
    } else if (IsEnter(event)) {
      if (Exit(box)) combo->lineEdit()->selectAll();
      return true;
    }
    return QWidget::eventFilter(watched, event);
  }
  if (PanelGesture(*this, {auto_effect_label_, auto_effect_check_box_, button_panel_}, watched,
                   *event))
    return true;
  return QWidget::eventFilter(watched, event);
}
