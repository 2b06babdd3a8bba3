// The picture area (TPictureView): zoom, position, undo and mouse commands.

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
#include <QWheelEvent>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "app/CaptureGeometry.h"
#include "app/PictureJobs.h"
#include "app/PictureView.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/CaptureRender.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtFontRasteriser.h"
#include "platform/QtText.h"
#include "widgets/ActionSupport.h"
#include "widgets/MainImage.h"

namespace {

std::string ControlValueText(double value) {
  char buffer[48];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3).ptr;
  return std::string(buffer, end);
}

}  // namespace
// ---------------------------------------------------------------------------------------------
// Zoom

void TPictureView::ShowZoomTexts(bool after_change) {
  real_zoom_combo_box_->setCurrentText(
      Q(TViewerGeometry::ZoomText(geometry_.Real(), after_change)));
  if (geometry_.real_mode || after_change)
    zoom_combo_box_->setCurrentText(
        Q(TViewerGeometry::ZoomText(geometry_.Relative(), after_change)));
}

void TPictureView::SyncZoomControls() {
  const bool real = geometry_.real_mode;
  real_zoom_combo_box_->setEnabled(real);
  zoom_combo_box_->setEnabled(!real);
  zoom_control_check_box_->setEnabled(!real);
  actions_["PictureSizeReal"]->setChecked(real);
  actions_["PictureSizeNoSpace"]->setChecked(geometry_.no_space);
}

void TPictureView::ZoomChange(double x) {
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  if (geometry_.ZoomChange(x)) ApU().ShowMessage("倍率が小さすぎます。", TApU::kCaption);
  ShowZoomTexts(true);
  ApplyLayout();
}

bool TPictureView::ZoomStep(double& step, const char* error) {
  int rate = settings_.base.zoom_rate;
  if (TViewerGeometry::ZoomStep(rate, step)) return true;
  settings_.base.zoom_rate = rate;
  ApU().ShowMessage(error, TApU::kCaption);
  return false;
}

void TPictureView::PictureZoomInExecute() {
  double step = 0;
  ZoomStep(step, "PictureZoomInExecute Error");
  ZoomChange(TViewerGeometry::ZoomInValue(geometry_.StepZoom(), step));
}

void TPictureView::PictureZoomOutExecute() {
  double step = 0;
  ZoomStep(step, "PictureZoomOutExecute Error");
  ZoomChange(TViewerGeometry::ZoomOutValue(geometry_.StepZoom(), step));
}

void TPictureView::PictureNoZoomExecute() { ZoomChange(1.0); }

void TPictureView::PictureWidthBaseExecute() {
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  geometry_.WidthBase();
  ShowZoomTexts(true);
  ApplyLayout();
}

void TPictureView::PictureHeightBaseExecute() {
  if (!HasPicture() || geometry_.Fit() <= 0) return;
  geometry_.HeightBase();
  ShowZoomTexts(true);
  ApplyLayout();
}

void TPictureView::PictureZoomInputExecute() {
  if (Processing()) return;
  const bool real = geometry_.real_mode;
  const std::string prompt = "正の数を入力してください。";
  QComboBox* box = real ? real_zoom_combo_box_ : zoom_combo_box_;
  std::string value = box->currentText().toStdString();
  double x = 0;
  if (!TViewerGeometry::ParseZoom(value, x)) value.assign(1, '1');
  if (!ApU().Dialogs().InputQuery(std::string("  倍率の指定") + (real ? "(実倍率)" : "(相対倍率)"),
                                  prompt, value))
    return;
  if (TViewerGeometry::ParseZoom(value, x) && x > 0)
    ZoomChange(x);
  else
    ApU().ShowMessage(prompt, TApU::kCaption);
}

void TPictureView::ZoomButtonClick() {
  QComboBox* box = geometry_.real_mode ? real_zoom_combo_box_ : zoom_combo_box_;
  double x = 0;
  if (!TViewerGeometry::ParseZoom(box->currentText().toStdString(), x)) {
    ApU().ShowMessage("数値を入力してください。", TApU::kCaption);
    zoom_combo_box_->setCurrentText("1.00000");
    x = 1;
  } else if (x <= 0) {
    ApU().ShowMessage("「０以下」は不正な値です。", TApU::kCaption);
    box->setCurrentText("1.00000");
    x = 1;
  }
  ZoomChange(x);
}

void TPictureView::TakeTypedZoom() {
  if (!HasPicture()) return;
  QComboBox* box = geometry_.real_mode ? real_zoom_combo_box_ : zoom_combo_box_;
  const double current = geometry_.StepZoom();
  double x = 0;
  const std::string typed = box->currentText().toStdString();
  if (!TViewerGeometry::ParseZoom(typed, x) || x <= 0) {
    box->setCurrentText(Q(TViewerGeometry::ZoomText(current)));
    return;
  }
  if (TViewerGeometry::ZoomText(x) == TViewerGeometry::ZoomText(current)) return;
  if (geometry_.real_mode)
    geometry_.ZoomChange(x);
  else
    geometry_.SetRelative(x);
}

void TPictureView::PictureSizeNoSpaceExecute() {
  geometry_.no_space = actions_["PictureSizeNoSpace"]->isChecked();
  if (!HasPicture()) return;
  if (geometry_.no_space) {
    geometry_.FillWithoutSpace();
    ShowZoomTexts(true);
    ApplyLayout();
  } else {
    ShowAgain();
  }
}

void TPictureView::PictureSizeRealExecute() {
  geometry_.real_mode = !geometry_.real_mode;
  geometry_.no_space = false;
  SyncZoomControls();
  ShowAgain();
}

void TPictureView::PictureSizeRealControlInExecute() {
  geometry_.real_control_in = static_cast<QCheckBox*>(zoom_control_check_box_)->isChecked();
  actions_["PictureSizeRealControlIn"]->setChecked(geometry_.real_control_in);
  ShowAgain();
}

void TPictureView::RealZoomExecute(QAction* action) {
  // The value is the caption's text after "×" and its blank.
  const std::string caption = action->text().toStdString();
  const std::string mark = "× ";
  const std::size_t at = caption.find(mark);
  double value = 0;
  if (at == std::string::npos ||
      !TViewerGeometry::ParseZoom(caption.substr(at + mark.size()), value)) {
    ApU().ShowMessage("RealZoom100Execute Error(1)", TApU::kCaption);
    return;
  }
  if (value <= 0) {
    ApU().ShowMessage("RealZoom100Execute Error(2)", TApU::kCaption);
    return;
  }
  const bool changed = value != geometry_.real_control;
  geometry_.real_control = value;
  if (changed && geometry_.real_control_in) ShowAgain();
}

void TPictureView::GetRealZoomControlExecute() {
  actions_["NowRealZoomControl"]->setText(Q("値= ×" + ControlValueText(geometry_.real_control)));
}

void TPictureView::NowRealZoomControlExecute() {
  const std::string prompt = "正の数を入力してください。";
  std::string value = ControlValueText(geometry_.real_control);
  if (!ApU().Dialogs().InputQuery("実倍率制御値の設定", prompt, value)) return;
  double x = 0;
  if (!TViewerGeometry::ParseZoom(value, x) || x <= 0) {
    ApU().ShowMessage(prompt, TApU::kCaption);
    return;
  }
  if (x == geometry_.real_control) return;
  geometry_.real_control = x;
  if (geometry_.real_control_in) ShowAgain();
}

void TPictureView::SetRealZoomControl(double x) {
  if (!(x > 0) || x == geometry_.real_control) return;
  geometry_.real_control = x;
  settings_.base.real_zoom_control = x;
  if (geometry_.real_control_in) ShowAgain();
}

// ---------------------------------------------------------------------------------------------
// Positions

void TPictureView::PicturePosExecute(int position) {
  geometry_.free_position = false;
  actions_["PicturePosFree"]->setChecked(false);
  position_menu_->setEnabled(true);
  for (QAction* action : position_group_->actions())
    action->setChecked(action->data().toInt() == position);
  geometry_.position = position;
  ShowAgain();
}

void TPictureView::PicturePosFreeExecute() {
  geometry_.free_position = actions_["PicturePosFree"]->isChecked();
  position_menu_->setEnabled(!geometry_.free_position);
}

void TPictureView::PicturePosRotationExecute() {
  if (geometry_.free_position) {
    actions_["PicturePosFree"]->setChecked(false);
    PicturePosFreeExecute();
    return;
  }
  PicturePosExecute(TViewerGeometry::NextPosition(geometry_.position));
}

// ---------------------------------------------------------------------------------------------
// Undo, renew, copy

void TPictureView::UndoPictureExecute() {
  if (undo_in_effect_ || stock_.Empty() || Processing()) return;
  try {
    const int left = geometry_.Left(), top = geometry_.Top();
    back_ = stock_;
    metafile_path_.clear();
    undo_in_effect_ = true;
    over_limit_ = !TImU::SizeIsAllowed(back_.Width(), back_.Height());
    main_image_->SetPicture(&back_, over_limit_);
    if (SetUpPicture(TViewerGeometry::TPlacing::kPosition)) {
      geometry_.RestorePlace(left, top);
      ApplyLayout();
    }
  } catch (...) {
    // An undo that fails leaves the pictures as they were.
  }
}

void TPictureView::ReNewStockPictureExecute() {
  if (back_.Empty() || Processing()) return;
  try {
    stock_ = back_;
    undo_in_effect_ = false;
  } catch (...) {
  }
}

void TPictureView::PictureCopyExecute() {
  const TBitmap24* picture = main_image_->Picture();
  if (picture && !picture->Empty()) TApU::CopyPictureToClipboard(*picture);
}

// ---------------------------------------------------------------------------------------------
// Mouse

// Ctrl + wheel zooms by the zoom step as F6 / F5 do; the wheel alone steps through the active
// list as back and next do.
void TPictureView::PictureWheel(QWheelEvent* event) {
  const int notches = wheel_.Add(event->angleDelta().y());
  const bool zoom = event->modifiers() & Qt::ControlModifier;
  for (int i = 0; i < std::abs(notches); ++i) {
    const bool away = notches > 0;
    if (zoom)
      actions_[away ? "PictureZoomIn" : "PictureZoomOut"]->trigger();
    else
      emit StepListRequested(away ? -1 : 1);
  }
}

bool TPictureView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == main_panel_ && type == QEvent::Resize) {
    AreaChanged();
    return false;
  }
  if (watched == real_label_ && type == QEvent::MouseButtonDblClick) {
    Guard("PictureSizeRealExecute", [this] { PictureSizeRealExecute(); });
    return true;
  }
  if (type == QEvent::Wheel &&
      (watched == main_image_ || watched == image_panel_ || watched == main_panel_)) {
    PictureWheel(static_cast<QWheelEvent*>(event));
    return true;
  }
  if (watched != main_image_ && watched != image_panel_) return false;
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  switch (type) {
    case QEvent::MouseButtonPress:
      if (watched == main_image_)
        PicturePressed(mouse);
      else
        FramePressed(mouse);
      return true;
    case QEvent::MouseMove:
      if (drag_ == TDrag::kPicture) PictureMoved(mouse);
      if (drag_ == TDrag::kFrame) FrameMoved(mouse);
      return drag_ != TDrag::kNone;
    case QEvent::MouseButtonRelease:
      if (drag_ == TDrag::kPicture) PictureReleased();
      if (drag_ == TDrag::kFrame) FrameReleased();
      return true;
    case QEvent::MouseButtonDblClick:
      if (mouse->button() == Qt::LeftButton) emit SlideShowToggleRequested();
      return true;
    default:
      return false;
  }
}

void TPictureView::PicturePressed(QMouseEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool left = event->button() == Qt::LeftButton;
  const bool right = event->button() == Qt::RightButton;
  if (mods & Qt::ShiftModifier) {
    if (left || right) emit StepListRequested(left ? -1 : 1);
    return;
  }
  if (mods & Qt::ControlModifier) {
    if (left || right) emit TogglePanelRequested(right);
    return;
  }
  if (mods & Qt::AltModifier) {
    if (left) emit FullScreenToggleRequested();
    return;
  }
  if (right) {
    popup_menu_->popup(event->globalPosition().toPoint());
    return;
  }
  if (!left) return;
  drag_ = TDrag::kPicture;
  drag_start_ = event->globalPosition().toPoint();
  drag_left_ = geometry_.Left();
  drag_top_ = geometry_.Top();
}

void TPictureView::PictureMoved(QMouseEvent* event) {
  const QPoint delta = event->globalPosition().toPoint() - drag_start_;
  MovePictureTo(drag_left_ + delta.x(), drag_top_ + delta.y());
  ShowDragFigures();
}

void TPictureView::MovePictureTo(int left, int top) {
  geometry_.MoveTo(left, top);
  main_image_->move(geometry_.Left(), geometry_.Top());
}

void TPictureView::PictureReleased() {
  drag_ = TDrag::kNone;
  ShowCaption();
}

void TPictureView::FramePressed(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && event->modifiers() == Qt::NoModifier) {
    popup_menu_->popup(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier) return;
  drag_ = TDrag::kFrame;
  FrameMoved(event);
}

void TPictureView::FrameMoved(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  image_panel_->resize(std::max(at.x(), 1), std::max(at.y(), 1));
  ShowDragFigures();
}

void TPictureView::FrameReleased() {
  drag_ = TDrag::kNone;
  // The frame stays within the panel and at least 10 x 10.
  const int l = settings_.panel.image_panel_left, t = settings_.panel.image_panel_top;
  const int width = std::max(std::min(image_panel_->width(), main_panel_->width() - 2 * l), 10);
  const int height = std::max(std::min(image_panel_->height(), main_panel_->height() - 2 * t), 10);
  image_panel_->resize(width, height);
  ShowCaption();
}

void TPictureView::ShowDragFigures() {
  if (!actions_["ShowPictureData"]->isChecked()) return;
  const auto n = [](int v) { return std::to_string(v); };
  SetCaption(" ( " + n(geometry_.Left()) + ", " + n(geometry_.Top()) + ", " +
             n(image_panel_->width()) + ", " + n(image_panel_->height()) + " ) [ " +
             n(geometry_.DisplayWidth()) + ", " + n(geometry_.DisplayHeight()) + " ] [ " +
             n(geometry_.PictureWidth()) + ", " + n(geometry_.PictureHeight()) + " ]");
}
