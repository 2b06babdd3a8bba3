#include "app/ViewerGeometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/DecimalText.h"
#include "engine/ImageBasics.h"

namespace {

// No side of the shown picture grows past this (the largest widget Qt lays out); a zoom that
// would pass it is lowered, since a typed "1e30" must not overflow the display size.
constexpr double kMaxDisplaySide = 16000000.0;
constexpr double kSmallestZoom = 0.0001;

int Truncate(double value) { return static_cast<int>(std::trunc(value)); }

}  // namespace

void TViewerGeometry::SetArea(int width, int height) {
  area_width_ = width;
  area_height_ = height;
}

void TViewerGeometry::SetPicture(int width, int height) {
  picture_width_ = width;
  picture_height_ = height;
}

TViewerGeometry::TSetUpResult TViewerGeometry::SetUp(TPlacing placing, bool processed) {
  if (picture_width_ <= 0) return TSetUpResult::kNoWidth;
  bool width_limited = false;
  const float fit =
      FitFactorWithSide(area_width_, area_height_, picture_width_, picture_height_, width_limited);
  if (fit <= 0) return TSetUpResult::kNoFit;
  fit_ = fit;
  width_limited_ = width_limited;
  const double before = real_;
  if (real_mode) {
    relative_ = ThroughZoomText(real_ / fit_);
  } else {
    real_ = fit_ * relative_;
    if (real_control_in && !processed && real_ > real_control) real_ = real_control;
  }
  real_ = ThroughZoomText(real_);
  old_real_ = before;
  UpdateDisplaySize();
  if (placing == TPlacing::kKeepPlace && !free_position && before > 0) {
    left_ = Truncate(left_ * real_ / before);
    top_ = Truncate(top_ * real_ / before);
    Clamp();
  } else {
    Place();
  }
  return TSetUpResult::kOk;
}

bool TViewerGeometry::ZoomChange(double x) {
  const bool too_small = x < kSmallestZoom;
  if (!real_mode) x *= fit_;
  const int longest = std::max(picture_width_, picture_height_);
  if (longest > 0 && x * longest > kMaxDisplaySide) x = kMaxDisplaySide / longest;
  old_real_ = real_;
  real_ = x;
  relative_ = fit_ > 0 ? real_ / fit_ : 0;
  UpdateDisplaySize();
  if (old_real_ > 0) {
    if (left_ <= 0) left_ = Truncate(left_ * real_ / old_real_);
    if (top_ <= 0) top_ = Truncate(top_ * real_ / old_real_);
  }
  Place();
  return too_small;
}

void TViewerGeometry::WidthBase() {
  if (picture_width_ <= 0) return;
  double x = static_cast<float>(area_width_) / static_cast<float>(picture_width_);
  if (!real_mode && fit_ > 0) x /= fit_;
  ZoomChange(x);
  left_ = 0;
}

void TViewerGeometry::HeightBase() {
  if (picture_height_ <= 0) return;
  double x = static_cast<float>(area_height_) / static_cast<float>(picture_height_);
  if (!real_mode && fit_ > 0) x /= fit_;
  ZoomChange(x);
  top_ = 0;
}

void TViewerGeometry::FillWithoutSpace() {
  if (width_limited_)
    HeightBase();
  else
    WidthBase();
}

void TViewerGeometry::Place() {
  if (position < 1 || position > 9) position = 5;
  if (free_position) {
    Clamp();
    return;
  }
  const int column = (position - 1) % 3;  // 0 left, 1 centre, 2 right
  const int row = (position - 1) / 3;     // 0 bottom, 1 middle, 2 top
  const int spare_width = area_width_ - display_width_;
  const int spare_height = area_height_ - display_height_;
  left_ = column == 0 ? 0 : column == 1 ? spare_width / 2 : spare_width;
  top_ = row == 2 ? 0 : row == 1 ? spare_height / 2 : spare_height;
}

void TViewerGeometry::MoveTo(int left, int top) {
  left_ = left;
  top_ = top;
  Clamp();
}

void TViewerGeometry::SetPlacement(double real, int left, int top) {
  bool width_limited = false;
  fit_ =
      FitFactorWithSide(area_width_, area_height_, picture_width_, picture_height_, width_limited);
  width_limited_ = width_limited;
  old_real_ = real_;
  real_ = real;
  relative_ = fit_ > 0 ? real_ / fit_ : 0;
  UpdateDisplaySize();
  left_ = left;
  top_ = top;
}

void TViewerGeometry::SetFramePlacement(double real, int left, int top) {
  const double relative = relative_;
  SetPlacement(real, left, top);
  relative_ = relative;
}

void TViewerGeometry::PlaceForSlide(int left, int top) {
  const auto place = [](int offset, int display, int area) {
    if (display <= area) return static_cast<int>(std::nearbyint((area - display) / 2.0));
    if (offset + display < area) offset = area - display;
    return std::min(offset, 0);
  };
  left_ = place(left, display_width_, area_width_);
  top_ = place(top, display_height_, area_height_);
}

void TViewerGeometry::RestorePlace(int left, int top) {
  left_ = left;
  top_ = top;
}

void TViewerGeometry::Clamp() {
  // At least 10 pixels of the picture stay inside the area.
  left_ = std::min(std::max(left_, 10 - display_width_), area_width_ - 10);
  top_ = std::min(std::max(top_, 10 - display_height_), area_height_ - 10);
}

void TViewerGeometry::UpdateDisplaySize() {
  // A side that truncates to nothing (a 1 x 5000 picture fitted into a window) still shows.
  const auto side = [this](int pixels) {
    if (pixels <= 0) return 0;
    return std::max(1, Truncate(std::min(pixels * real_, kMaxDisplaySide)));
  };
  display_width_ = side(picture_width_);
  display_height_ = side(picture_height_);
}

bool TViewerGeometry::ZoomStep(int& zoom_rate, double& step) {
  if (zoom_rate < 1 || zoom_rate > 100) {
    zoom_rate = 50;
    step = 0.5;
    return false;
  }
  step = zoom_rate / 100.0;
  return true;
}

double TViewerGeometry::ZoomInValue(double z, double step) {
  if (z >= step) {
    const double k = std::trunc(std::nearbyint(z * 100000) / std::trunc(step * 100000));
    return step * (k + 1);
  }
  return std::min(2 * z, step);
}

double TViewerGeometry::ZoomOutValue(double z, double step) {
  double result;
  if (z < 2 * step) {
    result = z <= step ? z / 2 : step;
  } else {
    const double q = std::trunc(z / step);
    const double k = z - step * q <= 0.0001 ? q - 1 : q;
    result = step * k;
  }
  return std::max(result, kSmallestZoom);
}

int TViewerGeometry::NextPosition(int position) {
  switch (position) {
    case 7:
      return 8;
    case 8:
      return 9;
    case 9:
      return 4;
    case 4:
      return 5;
    case 5:
      return 6;
    case 6:
      return 1;
    case 1:
      return 2;
    case 2:
      return 3;
    default:
      return 7;
  }
}

std::string TViewerGeometry::ZoomText(double value, bool after_change) {
  char buffer[64];
  const int decimals = after_change && value >= 10 ? 4 : 5;
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

double TViewerGeometry::ThroughZoomText(double value, bool after_change) {
  double back = 0;
  return ParseZoom(ZoomText(value, after_change), back) ? back : value;
}

bool TViewerGeometry::ParseZoom(const std::string& text, double& value) {
  return ParseDecimalReal(text, value);
}

int TWheelNotches::Add(int delta) {
  rest_ += delta;
  const int notches = rest_ / 120;
  rest_ -= notches * 120;
  return notches;
}
