#include "app/EditCommands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "app/CaptureGeometry.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "browse/SetWidthHeight.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/ImageBasics.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "widgets/ActionSupport.h"

namespace {

struct TDialogActions {
  const char* show;
  const char* show_caption;
  const char* focus;
  const char* focus_caption;
  const char* focus_error;
};
const TDialogActions kDialogs[] = {
    {"ShowRotationArrangeForm", "回転する(&X)", "FocusRotationArrangeForm", "回転する(&X)",
     "RotationArrangeForm.SetFocus Error"},
    {"ShowRGBArrangeForm", "RGB操作(&B)", "FocusRGBArrangeForm", "RGB操作(&B)",
     "RGBArrangeForm.SetFocus Error"},
    {"ShowFreeFilterForm", "フリーフィルタ(&F)", "FocusFreeFilterForm", "フリーフィルタ(&F)",
     "FreeFilterForm.SetFocus Error"},
    {"ShowTextArrangeForm", "テキスト(&O)", "FocusTextArrangeForm", "テキスト(&T)",
     "TextArrangeForm.SetFocus Error"},
    {"ShowFusionArrangeForm", "融合（&N)", "FocusFusionArrangeForm", "融合(&N)",
     "FusionArrangeForm.SetFocus Error"},
};

}  // namespace

TEditCommands::TEditCommands(QMainWindow& window, TMainSettings& settings, TPictureView& view,
                             TPictureJobs& jobs, TImageThreadWatcherForm& controller)
    : QObject(&window),
      window_(window),
      settings_(settings),
      view_(view),
      jobs_(jobs),
      controller_(controller),
      size_dialog_([&window](int& w, int& h, bool& ignore) {
        return TSetWidthHeightForm::Ask(&window, w, h, ignore);
      }) {
  const auto guarded = [this](QAction* action, const char* handler,
                              void (TEditCommands::*method)()) {
    ConnectGuarded(action, this, handler, method);
  };
  guarded(MakeAction("SetRectify", "補正する(&R)", Qt::CTRL | Qt::Key_R), "SetRectifyExecute",
          &TEditCommands::SetRectifyExecute);
  guarded(MakeAction("SetLowPassFilter", "ローパスフィルター(&L)", Qt::CTRL | Qt::Key_L),
          "SetLowPassFilterExecute", &TEditCommands::SetLowPassFilterExecute);
  guarded(MakeAction("SetUnSharpMasking", "アンシャープマスク(&M)", Qt::CTRL | Qt::Key_M),
          "SetUnSharpMaskingExecute", &TEditCommands::SetUnSharpMaskingExecute);
  guarded(MakeAction("ClipOutPiture", "切り出し( &I )"), "ClipOutPitureExecute",
          &TEditCommands::ClipOutPitureExecute);
  guarded(MakeAction("PictureZoomWidthHeight", "ピクチャーサイズを指定する(&S)"),
          "PictureZoomWidthHeightExecute", &TEditCommands::PictureZoomWidthHeightExecute);

  menu_ = new QMenu("編集する(&E)", &window_);
  menu_->setObjectName("EditMenu");
  for (const char* name : {"SetRectify", "SetLowPassFilter", "SetUnSharpMasking"})
    menu_->addAction(actions_[name]);
  menu_->addSeparator();
  menu_->addAction(actions_["ClipOutPiture"]);
  menu_->addAction(actions_["PictureZoomWidthHeight"]);
  menu_->addAction(view_.Action("PictureCopy"));
  menu_->addSeparator();
  menu_->addAction(view_.Action("UndoPicture"));
  menu_->addAction(view_.Action("ReNewStockPicture"));
  menu_->addSeparator();
  QMenu* focus_menu = new QMenu("セットフォーカス(&E)", menu_);
  focus_menu->setObjectName("FocusMenu");
  for (const TDialogActions& d : kDialogs) {
    QAction* show = MakeAction(d.show, d.show_caption);
    show->setCheckable(true);
    show->setVisible(false);
    const std::string name = d.show;
    connect(show, &QAction::triggered, this, [this, name] { DialogActionTriggered(name); });
    menu_->addAction(show);
    QAction* focus = MakeAction(d.focus, d.focus_caption);
    focus->setVisible(false);
    const char* error = d.focus_error;
    connect(focus, &QAction::triggered, this, [this, name, error] {
      const auto it = dialogs_.find(name);
      if (it == dialogs_.end() || !actions_[name]->isChecked() || !it->second.focus) return;
      try {
        it->second.focus();
      } catch (...) {
        ApU().ShowMessage(error, TApU::kCaption);
      }
    });
    focus_menu->addAction(focus);
  }
  menu_->addMenu(focus_menu);
  menu_->addSeparator();
  QAction* table = MakeAction("PictureTable", "一覧表示(&T)", Qt::CTRL | Qt::Key_T);
  QAction* table_add = MakeAction("PictureTableAddData", "リストに追加(&G)", Qt::CTRL | Qt::Key_G);
  for (QAction* action : {table, table_add}) {
    action->setVisible(false);
    menu_->addAction(action);
  }
  connect(table, &QAction::triggered, this, [this] {
    if (open_table_ && (!table_idle_ || table_idle_())) open_table_(false);
  });
  connect(table_add, &QAction::triggered, this, [this] {
    if (open_table_ && (!table_idle_ || table_idle_())) open_table_(true);
  });
  connect(menu_, &QMenu::aboutToShow, this, [this] { MenuOpening(); });
}

QAction* TEditCommands::MakeAction(const char* name, const char* caption, const QKeySequence& key) {
  return MakeNamedAction(window_, actions_, name, caption, key);
}

QAction* TEditCommands::Action(const std::string& name) const { return FindAction(actions_, name); }

void TEditCommands::RegisterDialog(const std::string& show_action, TDialogHost host) {
  dialogs_[show_action] = std::move(host);
  actions_[show_action]->setVisible(true);
  std::string focus = show_action;
  focus.replace(0, 4, "Focus");
  if (QAction* action = Action(focus)) action->setVisible(true);
}

void TEditCommands::CloseDialogs() {
  for (auto& [name, host] : dialogs_) {
    QAction* action = actions_[name];
    if (!action->isChecked()) continue;
    action->setChecked(false);
    if (host.close) host.close();
  }
}

void TEditCommands::RegisterTable(std::function<void(bool)> open, std::function<bool()> idle) {
  open_table_ = std::move(open);
  table_idle_ = std::move(idle);
  actions_["PictureTable"]->setVisible(true);
  actions_["PictureTableAddData"]->setVisible(true);
}

void TEditCommands::DialogActionTriggered(const std::string& show_action) {
  QAction* action = actions_[show_action];
  const auto it = dialogs_.find(show_action);
  if (it == dialogs_.end()) {
    action->setChecked(false);
    return;
  }
  // The action was toggled by the trigger: checked now means the dialog is to open.
  if (action->isChecked()) {
    bool shown = false;
    try {
      shown = it->second.open && it->second.open();
    } catch (...) {
    }
    action->setChecked(shown);
  } else {
    if (it->second.close) it->second.close();
  }
}

void TEditCommands::MenuOpening() {
  view_.Action("UndoPicture")->setEnabled(view_.CanUndo());
  const bool idle = !table_idle_ || table_idle_();
  actions_["PictureTable"]->setEnabled(idle);
  actions_["PictureTableAddData"]->setEnabled(idle);
}

void TEditCommands::SetRectifyExecute() {
  // At real zoom 1 there is nothing to correct. The job list is empty here (nothing runs), so
  // the step ends with the end mark alone, as real-size mode asks.
  if (view_.Processing() || !view_.HasPicture() || view_.Geometry().Real() == 1.0) return;
  try {
    if (jobs_.StartEffectStep(TPictureJobs::TEffect::kRectify)) view_.SetResized(true);
  } catch (...) {
    ApU().ShowMessage("ImageZoomShrink (例外1)", TApU::kCaption);
  }
}

void TEditCommands::SetLowPassFilterExecute() {
  if (view_.Processing()) return;
  jobs_.StartEffectStep(TPictureJobs::TEffect::kLowPass);
}

void TEditCommands::SetUnSharpMaskingExecute() {
  if (view_.Processing()) return;
  jobs_.StartEffectStep(TPictureJobs::TEffect::kUnsharp);
}

void TEditCommands::ClipOutPitureExecute() {
  if (controller_.Busy() || !view_.HasPicture() || view_.Working().Empty()) return;
  const QRect frame = view_.FrameRect();
  const QPoint offset = view_.PictureOffset();
  const TViewerGeometry& g = view_.Geometry();
  const TCaptureRect r = FramedRegion(g.Real(), offset.x(), offset.y(), frame.width(),
                                      frame.height(), g.PictureWidth(), g.PictureHeight(), true);
  TBitmap24 cut = view_.Working();
  if (r.width <= 0 || r.height <= 0 ||
      !CropRegion(cut, r.left, r.top, r.left + r.width, r.top + r.height, false, kWhite))
    return;
  view_.SetWorkingPicture(cut);
  view_.SetResized(true);
}

void TEditCommands::PictureZoomWidthHeightExecute() {
  if (!view_.HasPicture()) {
    ApU().ShowMessage("ピクチャーがありませんよ。", TApU::kCaption);
    return;
  }
  const TViewerGeometry& g = view_.Geometry();
  int width = g.DisplayWidth(), height = g.DisplayHeight();
  bool ignore_ratio = false;
  if (!size_dialog_ || !size_dialog_(width, height, ignore_ratio)) return;
  if (width <= 0 || height <= 0) {
    ApU().ShowMessage("サイズは正の整数で指定してください。", TApU::kCaption);
    return;
  }
  try {
    const double real = static_cast<double>(width) / g.PictureWidth();
    view_.ZoomChange(g.real_mode || g.Fit() <= 0 ? real : real / g.Fit());
    if (ignore_ratio) view_.SetResized(true);
  } catch (...) {
    ApU().ShowMessage("サイズ設定に失敗しました。", TApU::kCaption);
  }
}
