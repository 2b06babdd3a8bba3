#include "app/CaptureActions.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "app/CaptureGeometry.h"
#include "app/FileListAccess.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "app/ViewerGeometry.h"
#include "engine/CaptureRender.h"
#include "engine/DecimalText.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "widgets/ActionSupport.h"
#include "widgets/WholeCaptionButton.h"

namespace {

constexpr const char* kNoPicture = "ピクチャーがありませんよ!";
constexpr const char* kResizedPicture = "リサイズ画像のキャプチャーはできません。";

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = line.find('/', start);
    fields.push_back(line.substr(start, slash - start));
    if (slash == std::string::npos) return fields;
    start = slash + 1;
  }
}

std::string JoinFields(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += '/';
    line += fields[i];
  }
  return line;
}

std::string Upper3(const std::string& text) {
  std::string code = text.substr(0, 3);
  for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return code;
}

// "path/left/top/width/height".
std::string RegionLine(const std::string& path_field, const TCaptureRect& r) {
  std::string line = path_field;
  for (int value : {r.left, r.top, r.width, r.height})
    line.append("/").append(std::to_string(value));
  return line;
}

const char* AcquisitionError(TEffectKind kind) {
  switch (kind) {
    case TEffectKind::kText:
      return "データ取得エラー(TextArrange)";
    case TEffectKind::kRotation:
      return "データ取得エラー(RotationArrange)";
    case TEffectKind::kFreeFilter:
      return "データ取得エラー(FreeFilter)";
    case TEffectKind::kRGB:
      return "データ取得エラー(RGBArrange)";
    case TEffectKind::kNone:
      break;
  }
  return "";
}

}  // namespace

// A region beyond the working size limit is still shown (smoothly scaled, like any large
// picture); only its effects cannot run. Regions past the bitmap ceiling stay refused.
bool TCaptureActions::CutBeyondTheLimit(const TCapData& record, TBitmap24& cut) const {
  if (record.w <= 0 || record.h <= 0 || record.x == INT_MIN || record.y == INT_MIN ||
      static_cast<long long>(record.w) * record.h > TBitmap24::kMaxPixels)
    return false;
  TBitmap24 picture;
  if (!LoadPictureFile(picture, record.path, loader_)) return false;
  TBitmap24 region;
  if (!region.SetSize(record.w, record.h)) return false;
  region.Fill(kWhite);
  region.Draw(picture, -record.x, -record.y);
  cut.Swap(region);
  return true;
}

TCaptureActions::TCaptureActions(QMainWindow& window, TMainSettings& settings, TPictureView& view,
                                 TFileListAccess& files, TRightList& right, const PathText& paths,
                                 const TPictureLoader& loader)
    : QObject(&window),
      window_(window),
      settings_(settings),
      view_(view),
      files_(files),
      right_(right),
      list_box_(*right.Widget()),
      list_(right.CapData()),
      paths_(paths),
      loader_(loader) {
  BuildActions();
  BuildButtons();
  resize_timer_ = new QTimer(this);
  resize_timer_->setObjectName("ResizeTimer");
  resize_timer_->setSingleShot(true);
  resize_timer_->setInterval(250);
  connect(resize_timer_, &QTimer::timeout, this, [this] {
    if (shown_record_ >= 0 && view_.FrameMode()) ShowRecord(shown_record_);
  });
  connect(&list_box_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && !showing_) ShowRecord(row);
  });
  list_box_.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&list_box_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { list_popup_->popup(list_box_.viewport()->mapToGlobal(at)); });
}

TCaptureActions::~TCaptureActions() = default;

QAction* TCaptureActions::Action(const std::string& name) const {
  return FindAction(actions_, name);
}

QPushButton* TCaptureActions::Button(const std::string& name) const {
  const auto it = buttons_.find(name);
  return it == buttons_.end() ? nullptr : it->second;
}

QAction* TCaptureActions::MakeAction(const char* name, const char* caption, bool checkable) {
  return MakeNamedAction(window_, actions_, name, caption, {}, checkable);
}

void TCaptureActions::BuildActions() {
  const auto on = [this](QAction* action, const char* handler, void (TCaptureActions::*method)()) {
    ConnectGuarded(action, this, handler, method);
  };
  on(MakeAction("CaptureDataCapture", "キャプチャー(&C)"), "CaptureDataCaptureExecute",
     &TCaptureActions::CaptureDataCaptureExecute);
  on(MakeAction("CaptureDivideEquallyCapture", "均等分割(&E)"),
     "CaptureDivideEquallyCaptureExecute", &TCaptureActions::CaptureDivideEquallyCaptureExecute);
  on(MakeAction("CaptureBulkyCapture", "重複分割(B)"), "CaptureBulkyCaptureExecute",
     &TCaptureActions::CaptureBulkyCaptureExecute);
  on(MakeAction("CaptureDataReplace", "キャプ（置換）(&T)"), "CaptureDataReplaceExecute",
     &TCaptureActions::CaptureDataReplaceExecute);
  on(MakeAction("CaptureDataDelete", "データ削除(&D)"), "CaptureDataDeleteExecute",
     &TCaptureActions::CaptureDataDeleteExecute);
  on(MakeAction("CaptureDataListClear", "リストクリア(&L)"), "CaptureDataListClearExecute",
     &TCaptureActions::CaptureDataListClearExecute);
  on(MakeAction("CaptureDataEdit", "データ編集(&E)"), "CaptureDataEditExecute",
     &TCaptureActions::CaptureDataEditExecute);
  on(MakeAction("CaptureShowReset", "リセット(&R)"), "CaptureShowResetExecute",
     &TCaptureActions::CaptureShowResetExecute);
  on(MakeAction("CaptureShowMaximize", "最大表示(&M)"), "CaptureShowMaximizeExecute",
     &TCaptureActions::CaptureShowMaximizeExecute);
  MakeAction("CaptureDataNotFittingCapture", "範囲制御しない(&N)", true);
  // The editor arrives with its own window; until then its action stays hidden.
  actions_["CaptureDataEdit"]->setVisible(false);
  actions_["CaptureBulkyCapture"]->setVisible(true);

  mode_group_ = new QActionGroup(this);
  const std::pair<const char*, const char*> modes[] = {
      {"CaptureShowStandard", "標準表示(&S)"},
      {"CaptureShowNoFrameStandard", "フレームを外す(&F)"},
      {"CaptureShowFrame", "フレームあり(&A)"},
      {"CaptureShowNoFrame", "フレームなし(&O)"}};
  for (const auto& [name, caption] : modes) {
    QAction* action = MakeAction(name, caption, true);
    mode_group_->addAction(action);
    connect(action, &QAction::triggered, this, [this] {
      if (shown_record_ >= 0) ShowRecord(shown_record_);
    });
  }
  actions_["CaptureShowStandard"]->setChecked(true);
  actions_["CaptureDataReplace"]->setEnabled(false);

  menu_ = new QMenu("キャプデータ(&D)", &window_);
  menu_->setObjectName("CaptureMenu");
  for (const char* name : {"CaptureDataCapture", "CaptureDivideEquallyCapture",
                           "CaptureBulkyCapture", "CaptureDataReplace"})
    menu_->addAction(actions_[name]);
  menu_->addSeparator();
  for (const char* name : {"CaptureDataEdit", "CaptureDataDelete", "CaptureDataListClear"})
    menu_->addAction(actions_[name]);
  menu_->addSeparator();
  QMenu* modes_menu = menu_->addMenu("表示方法(&V)");
  modes_menu->setObjectName("CaptureShowMenu");
  modes_menu->addActions(mode_group_->actions());
  for (const char* name :
       {"CaptureShowReset", "CaptureShowMaximize", "CaptureDataNotFittingCapture"})
    menu_->addAction(actions_[name]);

  const struct {
    const char* name;
    const char* caption;
    TCapSortKey key;
  } sorts[] = {
      {"CapFileSortByName", "名前順でソート(&F)", TCapSortKey::kName},
      {"CapFileSortByPath", "パス順でソート(&P)", TCapSortKey::kPath},
      {"CapFileSortByLeftWithPath", "パス順とレフト値でソート(&L)", TCapSortKey::kLeftWithPath},
      {"CapFileSortByTopWithPath", "パス順とトッブ値でソート(&T)", TCapSortKey::kTopWithPath}};
  for (const auto& sort : sorts) {
    const TCapSortKey key = sort.key;
    connect(MakeAction(sort.name, sort.caption), &QAction::triggered, this,
            [this, key] { CapFileSortExecute(key); });
  }

  list_popup_ = new QMenu(&window_);
  list_popup_->setObjectName("DataFilePopupMenu");
  for (const char* name : {"CaptureDataEdit", "CaptureDataDelete", "CaptureDataListClear"})
    list_popup_->addAction(actions_[name]);
  list_popup_->addSeparator();
  for (const auto& sort : sorts) list_popup_->addAction(actions_[sort.name]);
}

void TCaptureActions::CapFileSortExecute(TCapSortKey key) {
  if (right_.FileListMode()) return;
  if (list_.Size() == 0) return;
  const int row = list_box_.currentRow();
  std::vector<std::size_t> order = CapSortOrder(list_.Lines(), key, paths_);
  int select = -1, shown = -1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (static_cast<int>(order[i]) == row) select = static_cast<int>(i);
    if (static_cast<int>(order[i]) == shown_record_) shown = static_cast<int>(i);
  }
  std::string message;
  if (!list_.Reorder(order, &message)) {
    if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
  }
  right_.Refresh(select);
  // The shown record keeps its picture; its number follows it.
  if (shown_record_ >= 0) {
    shown_record_ = shown;
    view_.Renumber(TShownFrom::kCapData, shown + 1, static_cast<int>(list_.Size()));
  }
}

void TCaptureActions::SetFileListMode(bool on) {
  actions_["CaptureDataCapture"]->setText(on ? "リストに追加(&C)" : "キャプチャー(&C)");
  if (QPushButton* button = Button("CaptureButton"))
    button->setToolTip(actions_["CaptureDataCapture"]->text());
  actions_["CaptureDataEdit"]->setVisible(!on && editor_ != nullptr);
  for (const char* name : {"CapFileSortByName", "CapFileSortByPath", "CapFileSortByLeftWithPath",
                           "CapFileSortByTopWithPath"})
    actions_[name]->setVisible(!on);
}

void TCaptureActions::BuildButtons() {
  button_panel_ = new QWidget;
  button_panel_->setObjectName("CaptureButtonPanel");
  auto* layout = new QGridLayout(button_panel_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  const std::pair<const char*, const char*> buttons[] = {
      {"CaptureButton", "CaptureDataCapture"}, {"ReplaceButton", "CaptureDataReplace"},
      {"DeleteButton", "CaptureDataDelete"},   {"ClearButton", "CaptureDataListClear"},
      {"ResetButton", "CaptureShowReset"},     {"MaximizeButton", "CaptureShowMaximize"}};
  int index = 0;
  for (const auto& [name, action_name] : buttons) {
    QAction* action = actions_[action_name];
    auto* button = new TWholeCaptionButton(action->text());
    button->setObjectName(name);
    button->setEnabled(action->isEnabled());
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, button, [button, action] {
      button->setText(action->text());
      button->setEnabled(action->isEnabled());
    });
    // The operations panel is narrow (101 pixels by default): a slim padding and, where that is
    // not enough ("キャプ（置換）(T)"), a smaller font keep every caption whole.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setStyleSheet("padding: 1px 2px;");
    layout->addWidget(button, index, 0);
    buttons_[name] = button;
    ++index;
  }
}

bool TCaptureActions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress) return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::RightButton) return false;
  const bool ctrl = mouse->modifiers() & Qt::ControlModifier;
  if (watched == buttons_["CaptureButton"]) {
    if (ctrl) {
      emit FileListModeToggleRequested();
    } else {
      view_.ShrinkFrameToPicture();
    }
    return true;
  }
  if (watched == buttons_["MaximizeButton"]) {
    view_.ShrinkFrameToPicture();
    CaptureShowMaximizeExecute();
    return true;
  }
  if (watched == buttons_["ResetButton"]) {
    view_.PictureNoZoomExecute();
    return true;
  }
  return false;
}

void TCaptureActions::ApplySettings() {
  SetFileListMode(right_.FileListMode());
  actions_["CaptureDataNotFittingCapture"]->setChecked(settings_.base.not_fitting_capture);
}

void TCaptureActions::TakeSettings() {
  settings_.base.not_fitting_capture = actions_["CaptureDataNotFittingCapture"]->isChecked();
}

void TCaptureActions::SetEditor(TEditor editor) {
  editor_ = std::move(editor);
  actions_["CaptureDataEdit"]->setVisible(static_cast<bool>(editor_));
}

void TCaptureActions::RegisterCaptureEffect(TEffectKind kind, TCaptureEffect effect) {
  capture_effects_[kind] = std::move(effect);
}

void TCaptureActions::FrameAreaChanged() { resize_timer_->start(); }

void TCaptureActions::LoadLines(std::vector<std::string> lines) {
  std::string message;
  const bool parsed = list_.Assign(std::move(lines), &message);
  right_.Refresh(-1);
  if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
  (void)parsed;
}

TCaptureActions::TMode TCaptureActions::Mode() const {
  const QAction* checked = mode_group_->checkedAction();
  const QString name = checked ? checked->objectName() : QString();
  if (name == "CaptureShowNoFrameStandard") return TMode::kNoFrameStandard;
  if (name == "CaptureShowFrame") return TMode::kFrame;
  if (name == "CaptureShowNoFrame") return TMode::kNoFrame;
  return TMode::kStandard;
}

void TCaptureActions::EnableCapture(bool capture, bool replace) {
  for (const char* name :
       {"CaptureDataCapture", "CaptureDivideEquallyCapture", "CaptureBulkyCapture"})
    actions_[name]->setEnabled(capture);
  actions_["CaptureDataReplace"]->setEnabled(replace);
}

void TCaptureActions::FileListShown() {
  shown_record_ = -1;
  EnableCapture(true, false);
}

double TCaptureActions::ShownReal() const {
  double real = 0;
  if (ParseDecimalReal(view_.RealZoomComboBox()->currentText().toStdString(), real) && real > 0)
    return real;
  return view_.Geometry().Real();
}

std::string TCaptureActions::RecordPathField() const {
  if (shown_record_ >= 0) return paths_.EncodeRecordPath(list_.Record(shown_record_).path);
  return paths_.EncodeRecordPath(view_.ShownPath());
}

bool TCaptureActions::AddRecord(const std::string& line) {
  std::string message;
  if (list_.Set(list_.Size(), line, &message)) {
    const QSignalBlocker blocker(&list_box_);
    list_box_.addItem(QString::fromStdString(list_.Texts().back()));
    return true;
  }
  ApU().ShowMessage(message, TApU::kCaption);
  return false;
}

// ---------------------------------------------------------------------------------------------
// Capture

void TCaptureActions::CaptureDataCaptureExecute() {
  if (right_.FileListMode()) {
    emit AddFileToListRequested();
    return;
  }
  if (shown_record_ >= 0 && StandardMode()) {
    ApU().ShowMessage("キャプデータ画像はキャプチャーできません。", TApU::kCaption);
    return;
  }
  if (view_.Resized()) {
    ApU().ShowMessage(kResizedPicture, TApU::kCaption);
    return;
  }
  if (!view_.HasPicture() || view_.ShownPath().empty()) {
    ApU().ShowMessage(kNoPicture, TApU::kCaption);
    return;
  }
  const QRect frame = view_.FrameRect();
  const QPoint offset = view_.PictureOffset();
  const TViewerGeometry& g = view_.Geometry();
  const TCaptureRect r = FramedRegion(ShownReal(), offset.x(), offset.y(), frame.width(),
                                      frame.height(), g.PictureWidth(), g.PictureHeight(),
                                      !actions_["CaptureDataNotFittingCapture"]->isChecked());
  if (r.width <= 0 || r.height <= 0) {  // the frame holds none of the picture
    ApU().ShowMessage(kNoPicture, TApU::kCaption);
    return;
  }
  std::string line = RegionLine(RecordPathField(), r);
  for (TEffectKind kind :
       {TEffectKind::kText, TEffectKind::kRotation, TEffectKind::kFreeFilter, TEffectKind::kRGB}) {
    const auto it = capture_effects_.find(kind);
    if (it == capture_effects_.end() || !it->second.automatic || !it->second.automatic()) continue;
    const std::string setting = it->second.setting ? it->second.setting() : std::string();
    if (setting.empty()) {
      ApU().ShowMessage(AcquisitionError(kind), TApU::kCaption);
      continue;
    }
    line.append("/").append(MakeEffectEntry(kind, setting));
  }
  AddRecord(line);
}

bool TCaptureActions::RefuseResizedOrEmpty(const char* resized_message) {
  if (view_.Resized()) {
    ApU().ShowMessage(resized_message, TApU::kCaption);
    return true;
  }
  if (!view_.HasPicture() || view_.ShownPath().empty()) {
    ApU().ShowMessage(kNoPicture, TApU::kCaption);
    return true;
  }
  return false;
}

void TCaptureActions::CaptureDivideEquallyCaptureExecute() {
  if (RefuseResizedOrEmpty(kResizedPicture)) return;
  const TViewerGeometry& g = view_.Geometry();
  if (g.DisplayWidth() <= g.AreaWidth() || g.DisplayHeight() <= g.AreaHeight()) {
    ApU().ShowMessage("基本サイズが大きすぎます", TApU::kCaption);
    return;
  }
  std::string value = std::to_string(settings_.base.cap_grid_width);
  if (!ApU().Dialogs().InputQuery("　均等分割", "枠のサイズを入力してください。", value)) return;
  int gap = 0;
  if (!ParseDecimalInt(value, gap) || gap < 0) {
    ApU().ShowMessage("0以上の整数を入力してください。", TApU::kCaption);
    return;
  }
  settings_.base.cap_grid_width = gap;
  if (ApU().ShowMessage("指定サイズでピクチャーを分割します。", "  均等分割", mb::kYesNo) !=
      mb::kIdYes)
    return;
  Divide(0, gap);
}

void TCaptureActions::CaptureBulkyCaptureExecute() {
  if (RefuseResizedOrEmpty(kResizedPicture)) return;
  const TViewerGeometry& g = view_.Geometry();
  if (g.DisplayWidth() <= g.AreaWidth() || g.DisplayHeight() <= g.AreaHeight()) {
    ApU().ShowMessage("基本サイズが大きすぎます", TApU::kCaption);
    return;
  }
  std::string value = "50";
  if (!ApU().Dialogs().InputQuery("重複分割", "重複度(%)を入力してください。", value)) return;
  double percent = 0;
  const bool number = ParseDecimalReal(value, percent);
  const double overlap = 1 - percent / 100;
  if (!number || !(overlap > 0 && overlap <= 1)) {
    ApU().ShowMessage("0以上100未満の間で指定してください。", "  重複分割");
    return;
  }
  Divide(overlap, 0);
}

void TCaptureActions::Divide(double overlap, int gap) {
  const QRect frame = view_.FrameRect();
  const TViewerGeometry& g = view_.Geometry();
  const std::size_t room =
      list_.Size() < TCapDataList::kCapacity ? TCapDataList::kCapacity - list_.Size() : 0;
  const TDivision division = DivideRegions(g.PictureWidth(), g.PictureHeight(), ShownReal(),
                                           frame.width(), frame.height(), gap, overlap, room);
  const std::string path = RecordPathField();
  std::vector<std::string> lines;
  lines.reserve(division.regions.size());
  for (const TCaptureRect& r : division.regions) lines.push_back(RegionLine(path, r));
  const int selected = list_box_.currentRow();
  std::string message;
  if (!list_.Append(lines, &message)) {
    list_.Clear();
    right_.Refresh(-1);
    ApU().ShowMessage("データの取り扱いにエラーが発生しました。", TApU::kCaption);
    return;
  }
  right_.Refresh(selected);
  if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
  if (division.limit_reached)
    ApU().ShowMessage("すべての行は投入できませんでした(" + std::to_string(list_.Size()) + ")。",
                      TApU::kCaption);
}

void TCaptureActions::CaptureDataReplaceExecute() {
  if (view_.Resized()) {
    ApU().ShowMessage("リサイズ画像のキャプチャーは出来ません。", TApU::kCaption);
    return;
  }
  if (list_.Empty() || shown_record_ < 0) {
    ApU().ShowMessage(kNoPicture, TApU::kCaption);
    return;
  }
  const QRect frame = view_.FrameRect();
  const QPoint offset = view_.PictureOffset();
  const TCaptureRect r =
      FramedRegion(ShownReal(), offset.x(), offset.y(), frame.width(), frame.height(), 0, 0, false);
  if (r.width <= 0 || r.height <= 0) {
    ApU().ShowMessage(kNoPicture, TApU::kCaption);
    return;
  }
  std::string message;
  if (!list_.Set(static_cast<std::size_t>(shown_record_), RegionLine(RecordPathField(), r),
                 &message)) {
    ApU().ShowMessage(message, TApU::kCaption);
    return;
  }
  const QSignalBlocker blocker(&list_box_);
  list_box_.item(shown_record_)->setText(QString::fromStdString(list_.Texts()[shown_record_]));
}

// ---------------------------------------------------------------------------------------------
// Effects of a record

void TCaptureActions::CaptureAddCaptureExecute(TEffectKind kind, const std::string& setting) {
  if (shown_record_ < 0) {
    ApU().ShowMessage("ファイルデータはキャプチャーのみ可能です。", TApU::kCaption);
    return;
  }
  const std::size_t index = static_cast<std::size_t>(shown_record_);
  const std::string& line = list_.Line(index);
  if (SplitFields(line).size() >= kCapDataMaxFields) {
    if (ApU().ShowMessage("これ以上追加できません。", TApU::kCaption, mb::kYesNo) == mb::kIdNo)
      OpenEditor(index, line);
    return;
  }
  if (kind == TEffectKind::kNone) {
    ApU().ShowMessage("予定外の呼び出しです(CaptureAddCaptureExecute)。", TApU::kCaption);
    return;
  }
  if (setting.empty()) {
    ApU().ShowMessage(AcquisitionError(kind), TApU::kCaption);
    return;
  }
  OpenEditor(index, line + "/" + MakeEffectEntry(kind, setting));
}

void TCaptureActions::ReplaceEffectCapDataExecute(TEffectKind kind, const std::string& text,
                                                  bool same_kind) {
  if (shown_record_ < 0) return;
  try {
    const std::size_t index = static_cast<std::size_t>(shown_record_);
    std::vector<std::string> fields = SplitFields(list_.Line(index));
    if (fields.size() < 6 || fields.size() > kCapDataMaxFields) {
      ApU().ShowMessage("オプションデータはありません。", TApU::kCaption);
      return;
    }
    if (kind == TEffectKind::kNone || kind == TEffectKind::kText) {
      ApU().ShowMessage("予定外の呼び出しです(CaptureAddCaptureExecute)。", TApU::kCaption);
      return;
    }
    if (text.empty()) return;
    const std::string code = Upper3(EffectCode(kind));
    const int effects = static_cast<int>(fields.size()) - 5;
    int target = effects - 1;
    if (same_kind) {
      while (target >= 0 && Upper3(fields[5 + static_cast<std::size_t>(target)]) != code) --target;
      if (target < 0) {
        ApU().ShowMessage("同種のデータが見つかりませんでした。", TApU::kCaption);
        return;
      }
    }
    if (target > 5) {
      ApU().ShowMessage("Index Error", TApU::kCaption);
      return;
    }
    fields[5 + static_cast<std::size_t>(target)] = MakeEffectEntry(kind, text);
    OpenEditor(index, JoinFields(fields));
  } catch (...) {
    ApU().ShowMessage("ReplaceEffectCapDataExecute Error", TApU::kCaption);
  }
}

void TCaptureActions::OpenEditor(std::size_t index, std::string line) {
  const std::size_t fields = SplitFields(line).size();
  if (fields < kCapDataMinFields || fields > kCapDataMaxFields) {
    ApU().ShowMessage("Show_CapDataEditForm Error_1", TApU::kCaption);
    return;
  }
  // Without the editor window the line is taken as it is.
  const int result = editor_ ? editor_(index, line) : mb::kIdOk;
  std::string message;
  if (result == mb::kIdOk) {
    if (!list_.Set(index, line, &message)) {
      ApU().ShowMessage(message, TApU::kCaption);
      return;
    }
    right_.Refresh(static_cast<int>(index));
    ShowRecord(static_cast<int>(index));
  } else if (result == mb::kIdYes) {
    AddRecord(line);
  }
}

void TCaptureActions::CaptureDataEditExecute() {
  const int index = list_box_.currentRow();
  if (index < 0 || static_cast<std::size_t>(index) >= list_.Size()) return;
  OpenEditor(static_cast<std::size_t>(index), list_.Line(static_cast<std::size_t>(index)));
}

// ---------------------------------------------------------------------------------------------
// Delete and clear

void TCaptureActions::CaptureDataDeleteExecute() {
  const bool list_mode = right_.FileListMode();
  if (list_mode) {
    const int answer = ApU().ShowMessage(
        "データを削除します。\r\n\r\nはい   =>　ファイルデータ(左側のリスト)\r\nいいえ "
        "=>　キャプデータ(右側のリスト)\r\nキャンセル  => 削除しない",
        "　データ削除", mb::kYesNoCancel);
    if (answer == mb::kIdYes) {
      files_.RemoveSelected();
    } else if (answer == mb::kIdNo) {
      // The right list holds file paths now, which the file browser keeps.
      const int row = list_box_.currentRow();
      right_.RemoveFile(row);
    }
    return;
  }
  if (shown_record_ >= 0) {
    if (ApU().ShowMessage("選択されているファイルを削除します。", "　キャプデータ(右側のリスト)",
                          mb::kYesNo) != mb::kIdYes)
      return;
    const int row = shown_record_;
    try {
      list_.Delete(static_cast<std::size_t>(row));
      right_.Refresh(-1);
    } catch (...) {
      ApU().ShowMessage("CaptureDataDeleteExecute Error(1)", TApU::kCaption);
      return;
    }
    shown_record_ = -1;
    if (list_.Empty()) {
      view_.ClearPicture();
      return;
    }
    const int next = std::min(row, static_cast<int>(list_.Size()) - 1);
    right_.Refresh(next);
    ShowRecord(next);
    return;
  }
  if (files_.Empty()) return;
  if (ApU().ShowMessage("選択されているファイルを削除します。", "　ファイルデータ(左側のリスト)",
                        mb::kYesNo) != mb::kIdYes)
    return;
  files_.RemoveSelected();
}

void TCaptureActions::CaptureDataListClearExecute() {
  if (list_.Empty()) return;
  if (ApU().ShowMessage("キャプチャーリストを全て削除しますか？", TApU::kCaption, mb::kYesNo) !=
      mb::kIdYes)
    return;
  const bool record_shown = shown_record_ >= 0;
  list_.Clear();
  right_.Refresh(-1);
  shown_record_ = -1;
  if (record_shown) files_.ShowSelected();
}

// ---------------------------------------------------------------------------------------------
// Showing records

int TCaptureActions::Step(int delta) {
  if (view_.Processing()) return 4;
  const int index = list_box_.currentRow() + delta;
  if (index < 0 || static_cast<std::size_t>(index) >= list_.Size()) return 3;
  if (ShowRecord(index)) return 0;
  return FileExists(list_.Record(static_cast<std::size_t>(index)).path) ? 2 : 1;
}

bool TCaptureActions::ShowRecord(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.Size()) return false;
  if (right_.FileListMode()) return false;
  if (view_.Processing()) return false;
  view_.TakeTypedZoom();
  TCapData record = list_.Record(static_cast<std::size_t>(index));
  shown_record_ = index;
  {
    const QSignalBlocker blocker(&list_box_);
    showing_ = true;
    list_box_.setCurrentRow(index);
    showing_ = false;
  }
  TShownFrom from;
  from.list = TShownFrom::kCapData;
  from.name = FileNameOf(record.path);
  from.index = index + 1;
  from.count = static_cast<int>(list_.Size());
  if (!FileExists(record.path) && !settings_.base.search_more_drive.empty()) {
    const std::string moved = paths_.ReplaceDrive(record.path, settings_.base.search_more_drive);
    if (FileExists(moved)) {
      record.path = moved;
      std::vector<std::string> fields = SplitFields(list_.Line(static_cast<std::size_t>(index)));
      fields[0] = paths_.EncodeRecordPath(moved);
      list_.Set(static_cast<std::size_t>(index), JoinFields(fields), nullptr);
    }
  }
  if (!FileExists(record.path)) {
    view_.ClearPicture(from.name + "[存在しない]");
    return false;
  }
  if (StandardMode()) {
    EnableCapture(false, false);
    TBitmap24 cut;
    std::string message;
    const bool prepared = take_prepared_cut && take_prepared_cut(record, cut);
    if (!prepared && !RenderRegion(cut, record, false, loader_, &message) &&
        !CutBeyondTheLimit(record, cut)) {
      view_.ClearPicture(from.name + "[未対応]");
      if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
      return false;
    }
    return view_.ShowRecordCut(cut, record.effects, from);
  }
  EnableCapture(true, true);
  return view_.ShowRecordFramed(record.path, record.x, record.y, record.w, record.h,
                                Mode() == TMode::kFrame, from);
}

void TCaptureActions::CaptureShowResetExecute() { view_.ResetFrame(); }

void TCaptureActions::CaptureShowMaximizeExecute() { view_.MaximizeFrame(); }
