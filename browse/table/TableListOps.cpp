// The thumbnail table's list operations: deleting the selected items, adding and dropping
// picture files, handing the list to the main window; and the table's slide show.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "browse/table/PictureTableForm.h"
#include "browse/table/PictureTableFullScreen.h"
#include "engine/FileNames.h"
#include "model/FileLists.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/QtText.h"
#include "widgets/ListPrompts.h"

// ---------------------------------------------------------------------------------------------
// Deleting, adding, dropping, transferring

void TPictureTableForm::DeleteSelectedExecute() {
  if (Busy() || (controller_ && controller_->Busy())) return;
  const std::vector<int> selected = SelectedItems();
  if (selected.empty()) return;
  // Every deletion before the page shown moves that page down by one. One pass over the list,
  // however many items go.
  int previous = std::max(shown_page_start_, 0);
  std::vector<bool> goes(items_.size(), false);
  std::vector<std::size_t> gone;
  gone.reserve(selected.size());
  for (const int item : selected) {
    goes[static_cast<std::size_t>(item)] = true;
    gone.push_back(static_cast<std::size_t>(item));
    if (item < shown_page_start_) --previous;
  }
  EraseMarked(items_, goes);
  store_.Delete(gone);
  const int count = static_cast<int>(items_.size());
  if (count == 0) {
    file_data_ = true;
    page_start_ = shown_page_start_ = -1;
  } else {
    shown_page_start_ = previous < count ? previous : std::max(0, count - CellCount());
  }
  if (!file_data_) {
    std::string message;
    cap_data_.Assign(items_, &message);
    if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
  } else {
    cap_data_.Clear();
  }
  RebuildNames();
  ClearCellImages();
  ApplyLayout(false);
}

void TPictureTableForm::PictureFileOpenExecute() {
  if (Busy() || (controller_ && controller_->Busy())) return;
  if (!file_data_ && !items_.empty()) {
    ApU().ShowMessage("既存のファイルとファイルタイプが違います。", TApU::kCaption);
    return;
  }
  try {
    std::string* used_folder =
        context_.main_settings ? &context_.main_settings->base.used_folder : nullptr;
    TFileDialogRequest request;
    request.filter =
        "ピクチャー(bmp, jpg, jpeg, ico, wmf, emf)|*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf";
    request.multiple = true;
    request.folder = used_folder && IsFolder(*used_folder) ? *used_folder : context_.program_folder;
    std::vector<std::string> chosen;
    if (!ApU().Dialogs().OpenFiles(request, chosen) || chosen.empty()) {
      ApU().ShowMessage("データがありませんよ。", TApU::kCaption);
      return;
    }
    std::sort(chosen.begin(), chosen.end(), LessIgnoringCase);
    if (used_folder) *used_folder = std::filesystem::path(chosen.front()).parent_path().string();
    file_data_ = true;
    AppendItems(chosen, true);
  } catch (...) {
    ApU().ShowMessage("ファイルオープンに失敗しました。", TApU::kCaption);
  }
}

void TPictureTableForm::DropFiles(const std::vector<std::string>& dropped) {
  if (controller_ && controller_->Busy()) return;
  if (!file_data_) {
    if (!items_.empty()) return;
    ApU().ShowMessage("to Mode_Normal", TApU::kCaption);
    file_data_ = true;
  }
  std::vector<std::string> added;
  try {
    added = CollectDropped(dropped, kDropMask, nullptr);
  } catch (...) {
    ApU().ShowMessage("SetDropDirectory Error", TApU::kCaption);
    return;
  }
  if (added.empty()) return;
  const int old_count = static_cast<int>(items_.size());
  items_.insert(items_.end(), added.begin(), added.end());
  store_.Resize(items_.size());
  RebuildNames();
  // The first page shown starts at the first added item.
  shown_page_start_ = old_count;
  ClearCellImages();
  ApplyLayout(false);
}

void TPictureTableForm::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TPictureTableForm::dropEvent(QDropEvent* event) {
  std::vector<std::string> items;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) items.push_back(S(url.toLocalFile()));
  try {
    DropFiles(items);
  } catch (...) {
    ApU().ShowMessage("DropFiles Error", TApU::kCaption);
  }
  event->acceptProposedAction();
}

void TPictureTableForm::TransferExecute(bool append) {
  if (Busy() || (controller_ && controller_->Busy()) || !transfer) return;
  if (items_.empty()) {
    ApU().ShowMessage("データがありません。", TApU::kCaption);
    return;
  }
  if (ApU().ShowMessage(append ? "データを追加転送します。" : "データを転送します。",
                        TApU::kCaption, mb::kYesNo) != mb::kIdYes)
    return;
  transfer(items_, file_data_, append);
}

// ---------------------------------------------------------------------------------------------
// Slide show

bool TPictureTableForm::SlideRunning() const { return slide_timer_->isActive() || sliding_; }

void TPictureTableForm::SlideShowExecute() {
  if (sliding_ || flashing_ || (controller_ && controller_->Busy()) || Busy()) {
    if (controller_ && controller_->Busy()) controller_->AbortThumbNailEffects();
    StopSlideShow();
    return;
  }
  sliding_ = true;
  slide_ticked_ = false;
  actions_["SlideShow1"]->setChecked(true);
  ColorForSlide(true);
  slide_timer_->setInterval(std::max(settings_.slide_interval, 1));
  slide_timer_->start();
}

void TPictureTableForm::FlashingSlideShowExecute() {
  if (!actions_["PictureSizeNoSpace1"]->isChecked()) return;
  if (sliding_ || flashing_) {
    StopSlideShow();
    return;
  }
  flashing_ = true;
  remembered_position_ = picture_position_;
  picture_position_ = kPositionTopLeft;
  actions_["FlashingSlideShow1"]->setChecked(true);
  SlideShowExecute();
  ApplyLayout(false);
}

void TPictureTableForm::StopSlideShow() {
  slide_timer_->stop();
  sliding_ = false;
  actions_["SlideShow1"]->setChecked(false);
  if (flashing_) {
    flashing_ = false;
    picture_position_ = remembered_position_;
    actions_["FlashingSlideShow1"]->setChecked(false);
    EnableCommands();
  }
  ColorForSlide(false);
}

void TPictureTableForm::StopThumbNailSlideShow() { StopSlideShow(); }

void TPictureTableForm::SlideTimerTimer() {
  if (Busy() || (controller_ && controller_->Busy())) return;
  // Every page stays for two intervals after it was filled.
  if (!slide_ticked_) {
    slide_ticked_ = true;
    return;
  }
  slide_ticked_ = false;
  if (flashing_) {
    bool next_page = false;
    picture_position_ = NextFlashingPosition(picture_position_, next_page);
    if (!next_page) {
      page_start_ = std::max(shown_page_start_, 0);
      FillPage();
      return;
    }
  }
  bool wrapped = false;
  const int next =
      NextPageStart(std::max(page_start_, 0), static_cast<int>(items_.size()), wrapped);
  if (items_.empty() || (wrapped && !settings_.slide_repeat)) {
    StopSlideShow();
    return;
  }
  page_start_ = next;
  FillPage();
}

void TPictureTableForm::SlideRepeatExecute() {
  settings_.slide_repeat = !settings_.slide_repeat;
  ShowRepeat();
  RefreshLabel();
}

void TPictureTableForm::ShowRepeat() {
  actions_["SlideRepeat1"]->setChecked(settings_.slide_repeat);
  buttons_["SlideRepeatButton"]->setText(settings_.slide_repeat ? "○" : "×");
}

void TPictureTableForm::SlideIntervalExecute() {
  int interval = settings_.slide_interval;
  if (!AskSlideInterval(interval)) return;
  settings_.slide_interval = interval;
  slide_timer_->setInterval(interval);
}

void TPictureTableForm::ColorForSlide(bool slide) {
  QPalette colours = main_panel_->palette();
  const TColor c = settings_.slide_back_color;
  const QColor back =
      slide ? QColor(ColorRed(c), ColorGreen(c), ColorBlue(c)) : palette().color(QPalette::Button);
  colours.setColor(QPalette::Window, flashing_ && slide ? QColor(Qt::black) : back);
  main_panel_->setPalette(colours);
  for (const TCell& cell : cells_) cell.panel->setPalette(colours);
  // In full screen the list shows the slide: green on black.
  if (full_screen_->isVisible() && slide) {
    QPalette list = names_->palette();
    list.setColor(QPalette::Base, Qt::black);
    list.setColor(QPalette::Text, QColor(0x00, 0x80, 0x00));
    names_->setPalette(list);
  } else {
    names_->setPalette(palette());
  }
}
