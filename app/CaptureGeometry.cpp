#include "app/CaptureGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

int Round(double value) { return static_cast<int>(std::nearbyint(value)); }
int Truncate(double value) { return static_cast<int>(std::trunc(value)); }

// Starts of the frames along one side: the first at 0, the last against the far edge, the others
// every step, skipping those that would reach the last one's place.
std::vector<int> Starts(int count, int step, int last) {
  std::vector<int> starts;
  for (int i = 0; i < count; ++i) {
    if (i == 0) {
      starts.push_back(0);
    } else if (i == count - 1) {
      starts.push_back(last);
    } else {
      const long long at = static_cast<long long>(i) * step;
      if (at < last) starts.push_back(static_cast<int>(at));
    }
  }
  return starts;
}

}  // namespace

TCaptureRect FramedRegion(double real, int picture_left, int picture_top, int frame_width,
                          int frame_height, int picture_width, int picture_height, bool clip) {
  TCaptureRect r;
  if (!(real > 0)) return r;
  // A zoom so small that the region leaves the range of pixel numbers frames nothing.
  constexpr double kLimit = 1 << 30;
  for (const int value : {picture_left, picture_top, frame_width, frame_height})
    if (std::abs(value / real) >= kLimit) return r;
  r.left = -Round(picture_left / real);
  r.top = -Round(picture_top / real);
  r.width = Truncate(frame_width / real);
  r.height = Truncate(frame_height / real);
  if (!clip) return r;
  if (r.left < 0) {
    r.width += r.left;
    r.left = 0;
  }
  if (r.top < 0) {
    r.height += r.top;
    r.top = 0;
  }
  r.width = std::min(r.width, picture_width - r.left);
  r.height = std::min(r.height, picture_height - r.top);
  return r;
}

TDivision DivideRegions(int picture_width, int picture_height, double real, int frame_width,
                        int frame_height, int gap, double overlap, std::size_t room) {
  TDivision division;
  if (real <= 0 || room == 0) {
    division.limit_reached = room == 0;
    return division;
  }
  const int aw = Round(frame_width / real), ah = Round(frame_height / real);
  if (aw <= 0 || ah <= 0) return division;
  int nx = Round(static_cast<double>(picture_width) / aw);
  int ny = Round(static_cast<double>(picture_height) / ah);
  if (nx <= 0 || ny <= 0) return division;
  const long long cw = (picture_width - static_cast<long long>(nx + 1) * gap) / nx;
  const long long ch = (picture_height - static_cast<long long>(ny + 1) * gap) / ny;
  // A gap that leaves no cell would give regions of no or negative size.
  if (cw <= 0 || ch <= 0) return division;
  int sx, sy;
  if (overlap != 0) {
    sx = Round(overlap * static_cast<double>(cw));
    sy = Round(overlap * static_cast<double>(ch));
    if (overlap > 0) {
      nx = Truncate(nx / overlap);
      ny = Truncate(ny / overlap);
    }
  } else {
    sx = static_cast<int>(cw) + gap;
    sy = static_cast<int>(ch) + gap;
  }
  const int width = static_cast<int>(cw) + 2 * gap, height = static_cast<int>(ch) + 2 * gap;
  const std::vector<int> xs = Starts(nx, sx, picture_width - 2 * gap - static_cast<int>(cw));
  const std::vector<int> ys = Starts(ny, sy, picture_height - 2 * gap - static_cast<int>(ch));
  for (int y : ys) {
    for (int x : xs) {
      if (division.regions.size() >= room) {
        division.limit_reached = true;
        return division;
      }
      division.regions.push_back({x, y, width, height});
    }
  }
  return division;
}

TFramePlacement PlaceRecordFrame(const TCaptureRect& rect, int area_width, int area_height,
                                 int position, const TFrameZoom& zoom) {
  TFramePlacement p;
  if (rect.width <= 0 || rect.height <= 0 || area_width <= 0 || area_height <= 0) return p;
  const double area_aspect = static_cast<double>(area_height) / area_width;
  const double rect_aspect = static_cast<double>(rect.height) / rect.width;
  const double fit = area_aspect > rect_aspect ? static_cast<double>(area_width) / rect.width
                                               : static_cast<double>(area_height) / rect.height;
  p.real = zoom.real_mode ? zoom.real : zoom.control_in ? zoom.control : fit * zoom.relative;
  p.frame.width = std::max(1, Truncate(rect.width * p.real));
  p.frame.height = std::max(1, Truncate(rect.height * p.real));
  if (position < 1 || position > 9) position = 5;
  const int column = (position - 1) % 3, row = (position - 1) / 3;
  const int spare_width = area_width - p.frame.width, spare_height = area_height - p.frame.height;
  p.frame.left = column == 0 ? 0 : column == 1 ? spare_width / 2 : spare_width;
  p.frame.top = row == 2 ? 0 : row == 1 ? spare_height / 2 : spare_height;
  p.picture_left = -Round(rect.left * p.real);
  p.picture_top = -Round(rect.top * p.real);
  return p;
}

double MaximizeFactor(int area_width, int area_height, int frame_width, int frame_height) {
  if (area_width <= 0 || area_height <= 0 || frame_width <= 0 || frame_height <= 0) return 1;
  const double area_aspect = static_cast<double>(area_height) / area_width;
  const double frame_aspect = static_cast<double>(frame_height) / frame_width;
  return area_aspect > frame_aspect ? static_cast<double>(area_width) / frame_width
                                    : static_cast<double>(area_height) / frame_height;
}
