#include "browse/table/TableEffectDialogs.h"

#include <QAction>
#include <algorithm>

#include "effects/ImageFreeFilterForm.h"
#include "effects/ImageRGBArrangeFrm.h"
#include "effects/ImageRotationArrangeForm.h"
#include "platform/AppUtils.h"
#include "widgets/ToolWindows.h"

namespace {

// The table's commands carry the dialogs' command names with a "1".
std::string TableAction(const std::string& show_action) { return show_action + "1"; }

std::string FocusAction(const std::string& show_action) {
  std::string focus = show_action;
  focus.replace(0, 4, "Focus");
  return focus + "1";
}

}  // namespace

TTableEffectDialogs::TTableEffectDialogs(QWidget& table, TActionMap& actions,
                                         std::vector<std::string>* rgb_records,
                                         std::vector<std::string>* filter_records, THooks hooks,
                                         TKind kind)
    : QObject(&table),
      table_(table),
      actions_(actions),
      rgb_records_(rgb_records),
      filter_records_(filter_records),
      hooks_(std::move(hooks)),
      kind_(kind) {
  for (const char* show : {TImageRotationArrange::kShowAction, TImageRGBArrangeForm::kShowAction,
                           TImageFreeFilter::kShowAction}) {
    const std::string name = show;
    QAction* toggle = actions_[TableAction(name)];
    connect(toggle, &QAction::triggered, this, [this, name](bool on) { Toggled(name, on); });
    QAction* focus = actions_[FocusAction(name)];
    focus->setEnabled(false);
    connect(focus, &QAction::triggered, this, [this, name] {
      QWidget* dialog =
          name == TImageRotationArrange::kShowAction  ? static_cast<QWidget*>(rotation_)
          : name == TImageRGBArrangeForm::kShowAction ? static_cast<QWidget*>(rgb_)
                                                      : static_cast<QWidget*>(free_filter_);
      FocusDialog(dialog);
    });
  }
}

TTableEffectDialogs::~TTableEffectDialogs() = default;

void TTableEffectDialogs::Toggled(const std::string& show_action, bool open) {
  if (!open) {
    Close(show_action);
    return;
  }
  QWidget* dialog = nullptr;
  if (show_action == TImageRotationArrange::kShowAction) {
    if (!rotation_) rotation_ = new TImageRotationArrange(*this);
    dialog = rotation_;
  } else if (show_action == TImageRGBArrangeForm::kShowAction) {
    if (!rgb_) rgb_ = new TImageRGBArrangeForm(*this);
    dialog = rgb_;
  } else {
    if (!free_filter_) free_filter_ = new TImageFreeFilter(*this);
    dialog = free_filter_;
  }
  dialog->show();
  CascadeToolWindow(dialog);
  actions_[FocusAction(show_action)]->setEnabled(true);
}

void TTableEffectDialogs::Close(const std::string& show_action) {
  actions_[TableAction(show_action)]->setChecked(false);
  actions_[FocusAction(show_action)]->setEnabled(false);
  if (show_action == TImageRotationArrange::kShowAction) {
    ReleaseDialog(rotation_);
  } else if (show_action == TImageRGBArrangeForm::kShowAction) {
    if (rgb_ && rgb_records_) {
      std::vector<std::string> records = rgb_->Records();
      std::sort(records.begin(), records.end());
      *rgb_records_ = std::move(records);
    }
    ReleaseDialog(rgb_);
  } else {
    if (free_filter_ && filter_records_) *filter_records_ = free_filter_->RecordsToStore();
    ReleaseDialog(free_filter_);
  }
}

void TTableEffectDialogs::CloseAll() {
  for (const char* show : {TImageRotationArrange::kShowAction, TImageRGBArrangeForm::kShowAction,
                           TImageFreeFilter::kShowAction})
    if (actions_[TableAction(show)]->isChecked()) Close(show);
}

void TTableEffectDialogs::ToggleDialog(const std::string& show_action) {
  if (QAction* action = FindAction(actions_, TableAction(show_action))) action->trigger();
}

void TTableEffectDialogs::AddAutomaticSteps(TCellStepOptions& options) const {
  if (rotation_ && rotation_->AutoEffect()) {
    options.rotation_auto = true;
    options.rotation_degree = rotation_->ParameterText();
  }
  if (free_filter_ && free_filter_->AutoEffect()) {
    options.free_filter_auto = true;
    options.free_filter_kernel = free_filter_->ParameterText();
  }
  if (rgb_ && rgb_->AutoEffect()) {
    options.rgb_auto = true;
    options.rgb_parameters = rgb_->ParameterText();
  }
}

bool TTableEffectDialogs::StartRotation(const std::string& angle_text) {
  return hooks_.apply && hooks_.apply(kStepRotation, angle_text);
}

bool TTableEffectDialogs::StartRGBArrange(const std::string& parameter_text) {
  return hooks_.apply && hooks_.apply(kStepRGBArrange, parameter_text);
}

bool TTableEffectDialogs::StartFreeFilter(const std::string& parameter_text) {
  return hooks_.apply && hooks_.apply(kStepFreeFilter, parameter_text);
}

void TTableEffectDialogs::Renew() {
  if (hooks_.renew) hooks_.renew();
}
