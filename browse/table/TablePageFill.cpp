// Filling a page of the thumbnail table: the reference pictures obtained, the cells shown and
// the effect steps handed to the worker.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "browse/SavePictureList.h"
#include "browse/table/PictureTableForm.h"
#include "browse/table/PictureTableFullScreen.h"
#include "browse/table/TableEffectDialogs.h"
#include "engine/BandExecutor.h"
#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtText.h"

// ---------------------------------------------------------------------------------------------
// Filling a page

TThumbNailAcquireOptions TPictureTableForm::AcquireOptions() const {
  TThumbNailAcquireOptions options;
  options.settings = &settings_;
  options.area_width = layout_.image_width;
  options.area_height = layout_.image_height;
  options.erase_cap_frame = actions_.at("EraseCapFrame1")->isChecked();
  options.get_rectified = actions_.at("GetRectifiedThumbNail1")->isChecked();
  options.can_get_big = actions_.at("CanGetBigThumbNail1")->isChecked();
  options.thumbnails_off = actions_.at("NotGetThumbNail1")->isChecked();
  options.quick_jpeg =
      context_.main_settings && context_.main_settings->extensions.quick_thumbnails;
  options.search_more_drive = context_.search_more_drive;
  options.paths = context_.paths;
  options.loader = context_.loader;
  return options;
}

TCellStepOptions TPictureTableForm::StepOptions(int item, bool own_effects) const {
  TCellStepOptions options;
  if (own_effects && !file_data_)
    options.cap_effects = &cap_data_.Record(static_cast<std::size_t>(item)).effects;
  options.rectify_before_effect = actions_.at("RectifyBeforeEffect1")->isChecked();
  options.every_time_rectify = actions_.at("EveryTimeRectify1")->isChecked();
  options.every_rectify_type = settings_.every_rectify_type;
  options.auto_renew = actions_.at("AutoReNewIniEffectedPicture1")->isChecked();
  effects_->AddAutomaticSteps(options);
  return options;
}

void TPictureTableForm::FillPage() {
  if (layout_.PanelWidth() < 5 || layout_.PanelHeight() < 5) {
    ApU().ShowMessage("メインパネルのサイズが小さすぎます!!", TApU::kCaption);
    return;
  }
  if (controller_ && controller_->Busy()) return;
  if (filling_) ApU().ShowMessage("Picture_Putting", TApU::kCaption);
  const int count = static_cast<int>(items_.size());
  const int cells = CellCount();
  std::vector<TThumbNailSteps> steps(static_cast<std::size_t>(cells));
  if (count == 0) {
    page_start_ = -1;
    shown_page_start_ = -1;
    ClearCellImages();
    RefreshLabel();
    return;
  }
  filling_ = true;
  stop_filling_ = false;
  EnableCommands();
  const bool repeat = settings_.slide_repeat;
  const TPageItems page = PageItems(std::max(page_start_, 0), cells, count, repeat);
  shown_page_start_ = page.first;
  RefreshLabel();
  if (store_.Size() < items_.size()) {
    store_.Resize(items_.size());
    ApU().ShowMessage("array_ThumbNailData_Error(例外)", TApU::kCaption);
  }
  if (reset_) {
    reset_ = false;
    store_.Reset(items_.size());
  }
  const TThumbNailAcquireOptions options = AcquireOptions();
  const bool thumbnails_off = options.thumbnails_off;
  // A fill begun while this one waits takes the workers over.
  if (prefetch_) prefetch_->Cancel();
  std::unique_ptr<TThumbNailPrefetch> prefetch = PrefetchPage(page.items, options);
  TThumbNailPrefetch* const outer_prefetch = prefetch_;
  const int outer_cell = placing_cell_;
  prefetch_ = prefetch.get();
  placing_cell_ = -1;
  bool over_capacity = false;
  bool thread_work = false;
  int unknown = 0;
  for (int i = 0; i < cells; ++i) {
    placing_cell_ = i - 1;
    QApplication::processEvents();
    if (stop_filling_) break;
    placing_cell_ = i;
    const int item = page.items[static_cast<std::size_t>(i)];
    if (item < 0) {
      ClearCell(i);
      continue;
    }
    const std::size_t index = static_cast<std::size_t>(item);
    bool obtained = false;
    if (NeedsAcquisition(store_[index], !file_data_, options.erase_cap_frame) && !over_capacity &&
        !reset_) {
      if (!CapacityAllows(settings_.thumb_capacity, store_.UsedMemory(), store_.HeldCount(),
                          settings_.thumb_count)) {
        over_capacity = true;
      } else {
        const TThumbNailOutcome outcome =
            ObtainItem(index, prefetch.get(), i, options, [this] { return stop_filling_; });
        if (outcome == TThumbNailOutcome::kOutOfResources) reset_ = true;
        obtained = outcome == TThumbNailOutcome::kDone;
      }
      // Nothing more is obtained in this fill: the decodes still to come are of no use.
      if ((over_capacity || reset_) && prefetch) prefetch->Cancel();
    }
    if (store_[index].has_picture &&
        (obtained || !actions_["AutoReNewIniEffectedPicture1"]->isChecked())) {
      const TStepSlots built = BuildCellSteps(StepOptions(item, obtained));
      if (built.Any()) {
        steps[static_cast<std::size_t>(i)] = built.Slots();
        thread_work = true;
      }
    }
    ShowCell(i, item);
    if (!store_[index].has_picture) {
      ++unknown;
      if (!reset_ && !over_capacity) names_->item(item)->setSelected(true);
    } else if (thumbnails_off) {
      store_.ResetRecord(index);
    }
    // Only this cell changed: painting the whole panel after every cell would draw the page's
    // pictures over and over.
    cells_[static_cast<std::size_t>(i)].bevel->repaint();
  }
  prefetch.reset();
  prefetch_ = outer_prefetch;
  placing_cell_ = outer_cell;
  const bool interrupted = stop_filling_;
  page_start_ = page.last_index;
  filling_ = false;
  ReportAcquisition(over_capacity, unknown);
  if (!interrupted && thread_work) StartCellSteps(std::move(steps));
  EnableCommands();
}

std::unique_ptr<TThumbNailPrefetch> TPictureTableForm::PrefetchPage(
    const std::vector<int>& items, const TThumbNailAcquireOptions& options) {
  if (reset_ || !prepare_thumbnail) return nullptr;
  std::vector<TThumbNailPrefetch::TJob> jobs;
  std::vector<int> seen;
  for (std::size_t cell = 0; cell < items.size(); ++cell) {
    const int item = items[cell];
    if (item < 0 || std::find(seen.begin(), seen.end(), item) != seen.end()) continue;
    seen.push_back(item);
    const std::size_t index = static_cast<std::size_t>(item);
    TThumbNailPrefetch::TJob job;
    job.cell = static_cast<int>(cell);
    job.cap_data = !file_data_;
    if (job.cap_data) job.record = cap_data_.Record(index);
    job.path = job.cap_data ? job.record.path : items_[index];
    // Only the engine's own decoders run on the workers; other kinds are read in the fill.
    const std::string ext = LowerExtension(job.path);
    if (ext != ".jpg" && ext != ".jpeg" && ext != ".bmp") continue;
    if (!NeedsAcquisition(store_[index], job.cap_data, options.erase_cap_frame)) continue;
    jobs.push_back(std::move(job));
  }
  if (jobs.empty()) return nullptr;
  // Each end of a decode posts an empty call, which wakes the fill waiting for it.
  auto wake = [] {
    QMetaObject::invokeMethod(
        qApp, [] {}, Qt::QueuedConnection);
  };
  return std::make_unique<TThumbNailPrefetch>(std::move(jobs), options, DefaultBandExecutor(), wake,
                                              prepare_thumbnail);
}

TThumbNailOutcome TPictureTableForm::ObtainItem(std::size_t index, TThumbNailPrefetch* prefetch,
                                                int cell, const TThumbNailAcquireOptions& options,
                                                const std::function<bool()>& stopping) {
  TThumbNailAcquisition prepared;
  const bool ready = WaitForPrepared(prefetch, cell, prepared, stopping);
  if (file_data_)
    return ready ? PlaceFileThumbNail(store_, index, items_[index], std::move(prepared))
                 : ObtainFileThumbNail(store_, index, items_[index], options);
  const TCapData& record = cap_data_.Record(index);
  return ready ? PlaceCapDataThumbNail(store_, index, record, options.erase_cap_frame,
                                       std::move(prepared))
               : ObtainCapDataThumbNail(store_, index, record, options);
}

bool TPictureTableForm::WaitForPrepared(TThumbNailPrefetch* prefetch, int cell,
                                        TThumbNailAcquisition& out,
                                        const std::function<bool()>& stopping) {
  if (!prefetch || !prefetch->Has(cell)) return false;
  while (!prefetch->Settled(cell)) {
    // A stop asked for now takes effect after this cell, as between cells; the cells after it
    // are given up at once.
    if (stopping()) prefetch->CancelAfter(cell);
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  if (stopping()) prefetch->CancelAfter(cell);
  return prefetch->Take(cell, out);
}

void TPictureTableForm::ReportAcquisition(bool over_capacity, int unknown) {
  if (over_capacity || reset_) {
    const bool resources = !over_capacity;
    reset_ = false;
    const std::string text = std::string(resources ? "リソース不足のため参照画像が取得できません。"
                                                   : "参照画像の取得許容量を越えています。") +
                             "\r\n\r\n画像が取得されていないファイルを抽出しますか？";
    if (ApU().ShowMessage(text, TApU::kCaption, mb::kYesNo) == mb::kIdYes) SelectWithoutPicture();
  } else if (unknown > 0) {
    ApU().ShowMessage("未知の画像ファイルが " + std::to_string(unknown) +
                          "個 発見されました。\r\n\r\n必要に応じて削除してください。\r\n("
                          "ファイルはセレクト状態になっています。",
                      TApU::kCaption);
  }
}

void TPictureTableForm::GetAllThumbNailExecute() {
  if (Busy() || (controller_ && controller_->Busy()) || actions_["NotGetThumbNail1"]->isChecked())
    return;
  if (layout_.PanelWidth() < 5 || layout_.PanelHeight() < 5) {
    ApU().ShowMessage("メインパネルのサイズが小さすぎます!!", TApU::kCaption);
    return;
  }
  if (SlideRunning()) {
    ApU().ShowMessage("スライドショー中は不可。", TApU::kCaption);
    return;
  }
  const int count = static_cast<int>(items_.size());
  if (count == 0) return;
  getting_all_ = true;
  EnableCommands();
  thread_panel_->show();
  thread_caption_label_->setText("総参照画像取得中");
  thread_progress_bar_->setRange(0, std::max(count - 1, 0));
  if (reset_) {
    reset_ = false;
    store_.Reset(items_.size());
  } else if (store_.Size() < items_.size()) {
    store_.Resize(items_.size());
  }
  const TThumbNailAcquireOptions options = AcquireOptions();
  // The pictures are decoded ahead in two windows of items, the second one begun when the
  // first is reached, so that a few are always on their way and few wait to be placed.
  constexpr int kWindow = 8;
  auto window = [&](int first) {
    std::vector<int> items;
    for (int k = first; k < std::min(count, first + kWindow); ++k) items.push_back(k);
    return PrefetchPage(items, options);
  };
  std::unique_ptr<TThumbNailPrefetch> ahead[2] = {window(0), window(kWindow)};
  bool over_capacity = false;
  int unknown = 0;
  for (int i = 0; i < count; ++i) {
    if (i % kWindow == 0 && i > 0) {
      ahead[0] = std::move(ahead[1]);
      ahead[1] = window(i + kWindow);
    }
    if (i % 5 == 0) {
      if (!getting_all_) break;
      thread_caption_label_->setText(QString(" %1 / %2").arg(i + 1).arg(count));
      thread_progress_bar_->setValue(i);
      QApplication::processEvents();
      if (!getting_all_) break;
    }
    const std::size_t index = static_cast<std::size_t>(i);
    if (!NeedsAcquisition(store_[index], !file_data_, options.erase_cap_frame)) continue;
    if (!CapacityAllows(settings_.thumb_capacity, store_.UsedMemory(), store_.HeldCount(),
                        settings_.thumb_count)) {
      over_capacity = true;
      break;
    }
    const TThumbNailOutcome outcome =
        ObtainItem(index, ahead[0].get(), i % kWindow, options, [this] { return !getting_all_; });
    if (outcome == TThumbNailOutcome::kOutOfResources) {
      reset_ = true;
      break;
    }
    if (outcome != TThumbNailOutcome::kDone) ++unknown;
  }
  // The decodes still on their way are of no use now, and the question below may wait long.
  for (auto& window_ahead : ahead) window_ahead.reset();
  thread_panel_->hide();
  getting_all_ = false;
  ReportAcquisition(over_capacity, unknown);
  EnableCommands();
}

bool TPictureTableForm::ApplyEffect(const std::string& step, const std::string& parameter) {
  if (!controller_ || controller_->Busy() || Busy()) return false;
  std::vector<TThumbNailSteps> steps(cells_.size());
  bool any = false;
  const bool rectify_before = actions_["RectifyBeforeEffect1"]->isChecked();
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const TCell& cell = cells_[i];
    if (cell.item < 0 || cell.shown.Empty()) continue;
    const TStepSlots built =
        EffectSteps(step, parameter, rectify_before, cell.shown.Width(), cell.shown.Height(),
                    layout_.image_width, layout_.image_height);
    steps[i] = built.Slots();
    any = any || built.Any();
  }
  if (!any) return false;
  StartCellSteps(std::move(steps));
  return true;
}

void TPictureTableForm::SelectWithoutPicture() {
  const QSignalBlocker blocker(names_);
  for (int i = 0; i < names_->count(); ++i)
    names_->item(i)->setSelected(!store_[static_cast<std::size_t>(i)].has_picture);
  MarkSelection();
}

// ---------------------------------------------------------------------------------------------
// Effect steps on the worker

void TPictureTableForm::StartCellSteps(std::vector<TThumbNailSteps> steps) {
  if (!controller_ || controller_->Busy()) return;
  TThumbNailRequest request;
  request.steps = std::move(steps);
  request.thumb_count = static_cast<int>(store_.Size());
  request.not_get_thumbnail = actions_["NotGetThumbNail1"]->isChecked();
  request.kernel = TableKernelSettings(settings_);
  for (const TCell& cell : cells_) {
    TThumbNailCell c;
    c.tag = cell.item;
    if (cell.item >= 0 && cell.image->isVisible()) {
      c.width = cell.image->width();
      c.height = cell.image->height();
      const TThumbNailData& record = store_[static_cast<std::size_t>(cell.item)];
      c.picture = record.has_picture ? record.bitmap : cell.shown;
    }
    request.cells.push_back(std::move(c));
  }
  if (settings_.progress_panel_show_type == 0) thread_panel_->show();
  thread_caption_label_->clear();
  thread_progress_bar_->setValue(0);
  controller_->SetThreadPanel(thread_panel_, thread_progress_bar_, thread_caption_label_);
  controller_->SetOwner(this);
  if (!controller_->StartThumbNailEffects(std::move(request), settings_.rectify_type,
                                          settings_.rotation_type, settings_.rotation_back_color))
    thread_panel_->hide();
}

void TPictureTableForm::Set_ThreadPicture(const TBitmap24& picture, int cell, int renew_index,
                                          bool refit) {
  if (cell < 0 || cell >= CellCount()) return;
  if (refit) {
    int width = picture.Width(), height = picture.Height();
    if (!RefitSize(layout_, width, height)) return;
  }
  SetCellPicture(cell, picture);
  cells_[static_cast<std::size_t>(cell)].image->repaint();
  if (!actions_["NotGetThumbNail1"]->isChecked() && renew_index >= 0 &&
      renew_index < static_cast<int>(store_.Size()))
    store_.HoldCopy(static_cast<std::size_t>(renew_index), picture);
}

void TPictureTableForm::Set_CapDataPicture(const TBitmap24& picture, int tag) {
  if (tag >= 0 && tag < static_cast<int>(store_.Size()))
    store_.HoldCopy(static_cast<std::size_t>(tag), picture);
}

void TPictureTableForm::ProcessExecute(TProcessCommand command) {
  if (!controller_ || controller_->Busy() || filling_) return;
  std::vector<TThumbNailSteps> steps(cells_.size());
  bool any = false;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const TCell& cell = cells_[i];
    if (cell.item < 0 || !cell.image->isVisible()) continue;
    const TThumbNailData& record = store_[static_cast<std::size_t>(cell.item)];
    const bool off = actions_["NotGetThumbNail1"]->isChecked();
    const int width = off || !record.has_picture ? cell.image->width() : record.bitmap.Width();
    const int height = off || !record.has_picture ? cell.image->height() : record.bitmap.Height();
    const TStepSlots built =
        CommandSteps(command, actions_["RectifyBeforeEffect1"]->isChecked(),
                     actions_["EveryTimeRectify1"]->isChecked(), settings_.every_rectify_type,
                     width, height, layout_.image_width, layout_.image_height);
    steps[i] = built.Slots();
    any = any || built.Any();
  }
  if (any) StartCellSteps(std::move(steps));
}
