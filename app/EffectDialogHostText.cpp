// The main window's side of the text dialog: opening it from the three settings texts and
// taking them back, its automatic step, its capture entry, and the drawing it asks for.
#include <QAction>
#include <QEvent>
#include <QListWidget>
#include <QMainWindow>

#include "app/CaptureActions.h"
#include "app/EditCommands.h"
#include "app/EffectDialogHost.h"
#include "app/FileBrowser.h"
#include "app/MainParts.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/RightList.h"
#include "app/SlideShow.h"
#include "effects/TextArrangeForm.h"
#include "model/ProgramData.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "widgets/SetColorDialog.h"
#include "widgets/ToolWindows.h"

namespace {

TTextArrangeTexts FromSettings(const TTextArrangeSettings& settings) {
  return {settings.text_font, settings.text_options, settings.base_data};
}

void ToSettings(const TTextArrangeTexts& texts, TTextArrangeSettings& settings) {
  settings.text_font = texts.text_font;
  settings.text_options = texts.text_options;
  settings.base_data = texts.base_data;
}

// Ending the program with the dialog open keeps its texts as closing it would: they are taken
// back when the main window is asked to close, before it writes its settings.
class TCloseWatcher : public QObject {
 public:
  TCloseWatcher(QObject* parent, std::function<void()> closing)
      : QObject(parent), closing_(std::move(closing)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close) closing_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> closing_;
};

}  // namespace

void TMainEffectDialogs::RegisterText() {
  const auto store = [this] {
    if (text_) ToSettings(text_->Texts(), parts_.settings.text_arrange);
  };
  parts_.window.installEventFilter(new TCloseWatcher(this, store));

  TEditCommands::TDialogHost host;
  host.open = [this] {
    if (!text_) {
      text_ = new TTextArrangeForm(*this);
      text_->RestoreTexts(FromSettings(parts_.settings.text_arrange));
    }
    text_->show();
    CascadeToolWindow(text_);
    return true;
  };
  host.close = [this, store] {
    if (!text_) return;
    store();
    ReleaseDialog(text_);
  };
  host.focus = [this] { FocusDialog(text_.data()); };
  parts_.edit.RegisterDialog(TTextArrangeForm::kShowAction, std::move(host));

  auto automatic = [this] { return text_ && text_->AutoEffect(); };
  parts_.jobs.RegisterDialogStep(
      "Text", {automatic, [this] {
                 if (!text_) return false;
                 text_->FollowFileName();
                 const std::string parameters = text_->ParameterText();
                 if (parameters.empty()) {
                   ApU().ShowMessage("Execute_TextArrange (例外2)", TApU::kCaption);
                   return false;
                 }
                 int left = 0, top = 0;
                 const bool drawn = parts_.view.DrawTextEffect(
                     MakeEffectEntry(TEffectKind::kText, parameters), true, &left, &top);
                 if (text_) text_->ShowDrawResult(drawn, left, top);
                 return false;  // drawn on this thread: the list goes on
               }});
  parts_.capture.RegisterCaptureEffect(TEffectKind::kText, {automatic, [this] {
                                                              if (!text_) return std::string();
                                                              text_->FollowFileName();
                                                              return text_->ParameterText();
                                                            }});
}

bool TMainEffectDialogs::DrawTextEffect(const std::string& parameter_text, int& left, int& top) {
  TPictureView& view = parts_.view;
  if (view.Processing() || !view.HasPicture()) return false;
  if (!view.DrawTextEffect(MakeEffectEntry(TEffectKind::kText, parameter_text), false, &left, &top))
    return false;
  view.SetEndPosition(5);
  view.FinishProcessing();
  return true;
}

std::string TMainEffectDialogs::SelectedPicturePath() const {
  if (!ShowingCapData()) return parts_.files.CurrentPath();
  const int row = parts_.right_list.Row();
  const std::vector<std::string>& lines = parts_.right_list.Lines();
  if (row < 0 || static_cast<std::size_t>(row) >= lines.size()) return {};
  const std::string& line = lines[static_cast<std::size_t>(row)];
  return parts_.paths.DecodeRecordPath(line.substr(0, line.find('/')));
}

bool TMainEffectDialogs::ChooseColor(QWidget* parent, TColor& color) {
  return ChooseColorWithRecords(parent, color, parts_.data.color_records,
                                parts_.settings.palette.palette_show);
}
