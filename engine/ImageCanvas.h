#pragma once

#include "engine/Bitmap24.h"

// Copies rectangles between working bitmaps, the way the crop cuts its region out.
class TImageCanvas {
 public:
  // Copies [left, right) x [top, bottom) of src, which must lie inside src, into dst sized to
  // the rectangle. False (dst unchanged) when the rectangle is outside src or its size is not
  // allowed by the working size limit.
  bool CopyRegion(const TBitmap24& src, int left, int top, int right, int bottom, TBitmap24& dst);
};
