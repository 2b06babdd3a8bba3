// The picture area (TPictureView): showing pictures, records and their frames.

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "app/CaptureGeometry.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "app/ReadAhead.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/CaptureRender.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageOption.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtFontRasteriser.h"
#include "platform/QtText.h"
#include "widgets/ActionSupport.h"
#include "widgets/MainImage.h"

namespace {

bool IsMetafile(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".wmf" || ext == ".emf";
}

}  // namespace
// ---------------------------------------------------------------------------------------------
// Pictures

bool TPictureView::HasPicture() const { return !back_.Empty() || !metafile_path_.empty(); }

bool TPictureView::Processing() const { return controller_.Busy() || jobs_->Running(); }

void TPictureView::ClearPicture(const std::string& note) {
  LeaveFrameMode();
  back_.Clear();
  stock_.Clear();
  metafile_path_.clear();
  shown_path_.clear();
  processed_ = undo_in_effect_ = resized_ = false;
  main_image_->SetPicture(nullptr, false);
  main_image_->hide();
  SetCaption("Velmora  " + note);
}

bool TPictureView::LoadPicture(const std::string& path, bool take_prepared) {
  std::string error;
  if (IsMetafile(path)) {
    int width = 0, height = 0;
    if (!loader_.ReadSize(path, width, height, error) || width <= 0 || height <= 0) return false;
    back_.Clear();
    stock_.Clear();
    metafile_path_ = path;
    geometry_.SetPicture(width, height);
    over_limit_ = false;
    return true;
  }
  const bool prepared =
      take_prepared && read_ahead_ &&
      read_ahead_->TakePicture(path, from_.list == TShownFrom::kCapData, from_.index - 1, back_);
  if (!prepared && !loader_.Load(path, back_, error)) return false;
  stock_.Clear();
  metafile_path_.clear();  // the last metafile is no longer what is drawn
  geometry_.SetPicture(back_.Width(), back_.Height());
  return true;
}

bool TPictureView::ShowPictureFile(const std::string& path, const TShownFrom& from) {
  if (Processing()) return false;
  TakeTypedZoom();
  LeaveFrameMode();
  from_ = from;
  processed_ = undo_in_effect_ = resized_ = false;
  std::string file = path;
  if (!FileExists(file) && !settings_.base.search_more_drive.empty())
    file = paths_.ReplaceDrive(file, settings_.base.search_more_drive);
  if (!FileExists(file)) {
    ClearPicture(from.name + "[存在しない]");
    return false;
  }
  if (!LoadPicture(file, true)) {
    ClearPicture(from.name + "[未対応]");
    emit PictureStopped();
    return false;
  }
  shown_path_ = file;
  if (jobs_->Begin(EveryTimeSteps(EveryTimeOptions()))) return true;
  FinishProcessing();
  return true;
}

bool TPictureView::ShowRecordCut(TBitmap24& cut, const std::vector<std::string>& effects,
                                 const TShownFrom& from) {
  if (Processing()) return false;
  TakeTypedZoom();
  LeaveFrameMode();
  from_ = from;
  processed_ = undo_in_effect_ = resized_ = false;
  metafile_path_.clear();
  back_.Swap(cut);
  stock_.Clear();
  geometry_.SetPicture(back_.Width(), back_.Height());
  std::vector<std::string> steps;
  for (const std::string& entry : effects)
    if (EffectKindOf(entry) != TEffectKind::kNone) steps.push_back(TJobList::RecordStep(entry));
  const std::vector<std::string> every_time = EveryTimeSteps(EveryTimeOptions());
  steps.insert(steps.end(), every_time.begin(), every_time.end());
  if (!jobs_->Begin(steps)) FinishProcessing();
  return true;
}

bool TPictureView::ShowRecordFramed(const std::string& path, int left, int top, int width,
                                    int height, bool shadows, const TShownFrom& from) {
  if (Processing()) return false;
  TakeTypedZoom();
  from_ = from;
  processed_ = undo_in_effect_ = resized_ = false;
  if (!LoadPicture(path)) {
    LeaveFrameMode();
    ClearPicture(from.name + "[未対応]");
    return false;
  }
  shown_path_ = path;
  frame_mode_ = true;
  over_limit_ = metafile_path_.empty() && !TImU::SizeIsAllowed(back_.Width(), back_.Height());
  TFrameZoom zoom;
  zoom.real_mode = geometry_.real_mode;
  zoom.real = geometry_.Real();
  zoom.control_in = geometry_.real_control_in;
  zoom.control = geometry_.real_control;
  zoom.relative = geometry_.Relative();
  const TFramePlacement p = PlaceRecordFrame({left, top, width, height}, geometry_.AreaWidth(),
                                             geometry_.AreaHeight(), geometry_.position, zoom);
  if (p.real <= 0) return false;
  geometry_.SetFramePlacement(p.real, p.picture_left, p.picture_top);
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l + p.frame.left, t + p.frame.top, p.frame.width, p.frame.height);
  main_image_->SetPicture(metafile_path_.empty() ? &back_ : &stock_, over_limit_);
  ApplyLayout();
  PlaceShadows(shadows);
  ShowZoomTexts(true);
  ShowCaption();
  return true;
}

QRect TPictureView::FrameRect() const { return image_panel_->geometry(); }

QPoint TPictureView::PictureOffset() const { return main_image_->pos(); }

void TPictureView::LeaveFrameMode() {
  if (!frame_mode_) return;
  frame_mode_ = false;
  PlaceShadows(false);
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l, t, std::max(0, geometry_.AreaWidth()),
                            std::max(0, geometry_.AreaHeight()));
}

void TPictureView::PlaceShadows(bool show) {
  const QRect area(settings_.panel.image_panel_left, settings_.panel.image_panel_top,
                   geometry_.AreaWidth(), geometry_.AreaHeight());
  const QRect frame = image_panel_->geometry();
  const QRect parts[4] = {
      QRect(QPoint(area.left(), area.top()), QPoint(area.right(), frame.top() - 1)),
      QRect(QPoint(area.left(), frame.top()), QPoint(frame.left() - 1, frame.bottom())),
      QRect(QPoint(frame.right() + 1, frame.top()), QPoint(area.right(), frame.bottom())),
      QRect(QPoint(area.left(), frame.bottom() + 1), QPoint(area.right(), area.bottom()))};
  for (int i = 0; i < 4; ++i) {
    shadows_[i]->setGeometry(parts[i]);
    shadows_[i]->setVisible(show && parts[i].isValid());
    shadows_[i]->raise();
  }
}

void TPictureView::ResetFrame() {
  LeaveFrameMode();
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l, t, std::max(0, geometry_.AreaWidth()),
                            std::max(0, geometry_.AreaHeight()));
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  ZoomChange(geometry_.real_mode ? geometry_.Fit() : 1.0);
  geometry_.RestorePlace(0, 0);
  ApplyLayout();
}

void TPictureView::MaximizeFrame() {
  const QRect frame = image_panel_->geometry();
  const double k =
      MaximizeFactor(geometry_.AreaWidth(), geometry_.AreaHeight(), frame.width(), frame.height());
  if (!HasPicture() || k <= 0) return;
  geometry_.SetPlacement(geometry_.Real() * k, static_cast<int>(std::trunc(geometry_.Left() * k)),
                         static_cast<int>(std::trunc(geometry_.Top() * k)));
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  image_panel_->setGeometry(l, t, static_cast<int>(std::trunc(frame.width() * k)),
                            static_cast<int>(std::trunc(frame.height() * k)));
  ShowZoomTexts(true);
  ApplyLayout();
  if (frame_mode_)
    PlaceShadows(shadows_[0]->isVisible() || shadows_[1]->isVisible() || shadows_[2]->isVisible() ||
                 shadows_[3]->isVisible());
}

void TPictureView::ShrinkFrameToPicture() {
  const QRect frame = image_panel_->geometry();
  const int width =
      std::max(10, std::min(frame.width(), geometry_.Left() + geometry_.DisplayWidth() + 1));
  const int height =
      std::max(10, std::min(frame.height(), geometry_.Top() + geometry_.DisplayHeight() + 1));
  image_panel_->resize(width, height);
}

bool TPictureView::DrawTextEffect(const std::string& entry, bool into_stock, int* left, int* top) {
  if (!HasPicture() || EffectKindOf(entry) != TEffectKind::kText) return false;
  PrepareEffectStep();
  TQtFontRasteriser fonts;
  int block_left = 0, block_top = 0;
  std::string message;
  // Drawn from the undo copy straight into the working picture, whose buffer is reused; a
  // failed drawing leaves it as it was.
  if (!DrawText(stock_, back_, std::string(EffectParameters(entry)), fonts, block_left, block_top,
                &message)) {
    if (!message.empty()) ApU().ShowMessage(message, TApU::kCaption);
    ApU().ShowMessage("Execute_TextArrange (例外1)", TApU::kCaption);
    return false;
  }
  if (into_stock) stock_ = back_;
  processed_ = true;
  if (left) *left = block_left;
  if (top) *top = block_top;
  return true;
}

void TPictureView::RenderMetafile() {
  const int width = geometry_.DisplayWidth(), height = geometry_.DisplayHeight();
  if (metafile_path_.empty() || width <= 0 || height <= 0) return;
  if (stock_.Width() == width && stock_.Height() == height) return;
  std::string error;
  TBitmap24 rendered;
  if (loader_.Render(metafile_path_, width, height, rendered, error)) stock_.Swap(rendered);
}

bool TPictureView::SetUpPicture(TViewerGeometry::TPlacing placing) {
  if (!metafile_path_.empty()) {
    // The metafile's natural size stays the picture size; it is drawn anew at the display size.
  } else {
    if (back_.Width() > 0) geometry_.SetPicture(back_.Width(), back_.Height());
  }
  if (geometry_.AreaWidth() <= 0 || geometry_.AreaHeight() <= 0) return false;  // not laid out yet
  const bool rendered = !metafile_path_.empty();
  switch (geometry_.SetUp(placing, processed_ || rendered)) {
    case TViewerGeometry::TSetUpResult::kNoWidth:
      ApU().ShowMessage("未対応の画像ファイルです!!\nWidth = 0 !!", TApU::kCaption);
      return false;
    case TViewerGeometry::TSetUpResult::kNoFit:
      ApU().ShowMessage("SettingOfMainImage Error", TApU::kCaption);
      return false;
    case TViewerGeometry::TSetUpResult::kOk:
      break;
  }
  if (geometry_.no_space && placing == TViewerGeometry::TPlacing::kPosition)
    geometry_.FillWithoutSpace();
  ShowZoomTexts(false);
  ApplyLayout();
  return true;
}

void TPictureView::ApplyLayout() {
  if (!HasPicture()) return;
  if (!metafile_path_.empty()) {
    RenderMetafile();
    main_image_->SetPicture(&stock_, false);
  } else if (main_image_->Picture() != &back_) {
    main_image_->SetPicture(&back_, over_limit_);
  }
  main_image_->setGeometry(geometry_.Left(), geometry_.Top(), geometry_.DisplayWidth(),
                           geometry_.DisplayHeight());
  main_image_->show();
}

void TPictureView::AreaChanged() {
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  const int width = area_override_width_ >= 0 ? area_override_width_ : main_panel_->width() - 2 * l;
  const int height =
      area_override_height_ >= 0 ? area_override_height_ : main_panel_->height() - 2 * t;
  image_panel_->setGeometry(l, t, std::max(0, width), std::max(0, height));
  const bool first = geometry_.AreaWidth() <= 0 || geometry_.AreaHeight() <= 0;
  geometry_.SetArea(width, height);
  if (frame_mode_) {
    // The record's frame is laid out anew once the size settles.
    emit FrameAreaChanged();
    return;
  }
  if (!HasPicture() || jobs_->Running()) return;
  SetUpPicture(first ? TViewerGeometry::TPlacing::kPosition
                     : TViewerGeometry::TPlacing::kKeepPlace);
}

void TPictureView::SetAreaOverride(int width, int height) {
  area_override_width_ = width;
  area_override_height_ = height;
  AreaChanged();
}

void TPictureView::PrepareEffectStep(bool keep_reference) {
  if (!metafile_path_.empty()) {
    // Effects work on the raster copy of a drawn metafile.
    RenderMetafile();
    back_ = stock_;
    metafile_path_.clear();
    geometry_.SetPicture(back_.Width(), back_.Height());
    main_image_->SetPicture(&back_, false);
    resized_ = true;
  }
  if (!keep_reference || stock_.Empty()) stock_ = back_;
  undo_in_effect_ = false;
}

bool TPictureView::SetThreadPicture(TBitmap24& result, bool into_stock) {
  if (result.Empty()) return false;
  back_.Swap(result);  // the controller keeps the old buffer for its next run
  if (into_stock) stock_ = back_;
  processed_ = true;
  over_limit_ = !TImU::SizeIsAllowed(back_.Width(), back_.Height());
  return true;
}

void TPictureView::SetWorkingPicture(TBitmap24& picture) {
  PrepareEffectStep();
  back_.Swap(picture);
  processed_ = true;
  FinishProcessing();
}

void TPictureView::FinishProcessing() {
  over_limit_ = metafile_path_.empty() && !TImU::SizeIsAllowed(back_.Width(), back_.Height());
  main_image_->SetPicture(metafile_path_.empty() ? &back_ : &stock_, over_limit_);
  const int chosen_position = geometry_.position;
  if (end_position_ >= 1 && end_position_ <= 9) geometry_.position = end_position_;
  end_position_ = 0;
  const bool set_up = SetUpPicture(TViewerGeometry::TPlacing::kPosition);
  geometry_.position = chosen_position;
  if (set_up) {
    int left = 0, top = 0;
    if (geometry_.free_position && slide_place && slide_place(left, top)) {
      geometry_.PlaceForSlide(left, top);
      ApplyLayout();
    }
  }
  ShowCaption();
  emit PictureSizeChanged(geometry_.PictureWidth(), geometry_.PictureHeight());
  if (read_ahead_) read_ahead_->PictureFinished();
}

void TPictureView::SetSlideColors(bool slide, TColor color) {
  const QColor back = slide ? QColor(ColorRed(color), ColorGreen(color), ColorBlue(color))
                      : main_panel_->parentWidget()
                          ? main_panel_->parentWidget()->palette().color(QPalette::Window)
                          : QColor(Qt::lightGray);
  for (QWidget* surface : {main_panel_, image_panel_}) {
    QPalette palette = surface->palette();
    palette.setColor(QPalette::Window, back);
    surface->setPalette(palette);
    surface->setAutoFillBackground(true);
  }
  auto* frame = static_cast<QFrame*>(image_panel_);
  frame->setFrameStyle(slide ? QFrame::NoFrame : QFrame::Panel | QFrame::Raised);
  for (QWidget* shadow : shadows_)
    shadow->setStyleSheet(slide ? QString("background-color: %1;").arg(back.name())
                                : QString("background-color: rgb(128, 128, 128);"));
}

void TPictureView::SetCaption(const std::string& caption) {
  window_.setWindowTitle(Q(caption + caption_note_));
}

void TPictureView::Renumber(TShownFrom::TList list, int index, int count) {
  if (from_.list != list || !HasPicture()) return;
  from_.index = index;
  from_.count = count;
  ShowCaption();
}

void TPictureView::ShowCaption() {
  if (!HasPicture()) {
    SetCaption("Velmora  ");
    return;
  }
  std::string caption = "Velmora  " + from_.name + " ( " + std::to_string(from_.index) + "/" +
                        std::to_string(from_.count) + " )";
  if (from_.list == TShownFrom::kCapData) caption += "[キャプデータ]";
  if (from_.list == TShownFrom::kDataFile) caption += "[未知のデータ]";
  SetCaption(caption);
}

void TPictureView::ShowAgainAtPosition() {
  const bool free = geometry_.free_position;
  geometry_.free_position = false;
  ShowAgain();
  geometry_.free_position = free;
}

void TPictureView::ShowAgain() {
  if (HasPicture() && !jobs_->Running()) SetUpPicture(TViewerGeometry::TPlacing::kPosition);
}
