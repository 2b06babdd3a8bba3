#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The arithmetic of capturing: which picture pixels a frame holds, the division of a picture
// into equal or overlapping frames, and where a record's rectangle is shown in the frame modes.
// No widget appears here; the capture actions feed it what the window shows.

struct TCaptureRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TCaptureRect&) const = default;
};

// The framed region in picture pixels: the picture is shown at real zoom real with its top-left
// corner at (picture_left, picture_top) in the frame of frame_width x frame_height. With clip,
// the region is cut to the picture; replace uses it unclipped. A zoom that is not positive, or
// so small that the region leaves the range of pixel numbers, gives an empty region.
TCaptureRect FramedRegion(double real, int picture_left, int picture_top, int frame_width,
                          int frame_height, int picture_width, int picture_height, bool clip);

// Division of a picture into frames of the frame's size (in picture pixels at real zoom real).
// gap: the frame width g of the equal division; overlap: o = 1 - percent / 100 of the overlapping
// division (0 for the equal division). Regions come row by row, left to right; generation stops
// when room regions were made (limit_reached then says so).
struct TDivision {
  std::vector<TCaptureRect> regions;
  bool limit_reached = false;
};
TDivision DivideRegions(int picture_width, int picture_height, double real, int frame_width,
                        int frame_height, int gap, double overlap, std::size_t room);

// A record's rectangle shown in a frame mode: the scale, the rectangle's place in the area by
// position (1..9 as the viewer's positions) and the picture's offset from the rectangle.
struct TFramePlacement {
  double real = 0;
  TCaptureRect frame;    // the rectangle as shown, in area coordinates
  int picture_left = 0;  // the picture's top-left corner relative to the frame
  int picture_top = 0;
};
struct TFrameZoom {
  bool real_mode = false;
  double real = 1;          // R, used in real-size mode
  bool control_in = false;  // the real-size control: RC is the scale
  double control = 1;       // RC
  double relative = 1;      // Z
};
TFramePlacement PlaceRecordFrame(const TCaptureRect& rect, int area_width, int area_height,
                                 int position, const TFrameZoom& zoom);

// Maximize: the factor that makes the frame fill the area.
double MaximizeFactor(int area_width, int area_height, int frame_width, int frame_height);
