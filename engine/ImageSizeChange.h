#pragma once

#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"

// The resampling algorithms behind resize correction. Each takes the source, the destination and
// the destination size (height before width), checks both sizes against the working size limit
// before allocating, and returns false when a size is refused or the owner cancels (checked before
// every 100th destination row and every 100th pixel of a row). The destination is only changed on
// success.
class TImageSizeChange {
 public:
  explicit TImageSizeChange(TEngineOwner* owner = nullptr) : owner_(owner) {}

  // Bilinear through the pixel centres, single-precision arithmetic ("BiLiner").
  bool BiLiner(const TBitmap24& src, TBitmap24& dst, int dst_height, int dst_width);
  // The same sampling in double precision.
  bool BiLinerDouble(const TBitmap24& src, TBitmap24& dst, int dst_height, int dst_width);
  // Area average ("Integral").
  bool Integral(const TBitmap24& src, TBitmap24& dst, int dst_height, int dst_width);
  // Exact average of the bilinear surface over each destination pixel's footprint.
  bool BiLinerAndIntegralDouble(const TBitmap24& src, TBitmap24& dst, int dst_height,
                                int dst_width);

 private:
  TEngineOwner* owner_;
};

// Nearest-neighbour stretch of src over a dst_width x dst_height bitmap: the platform's stretch
// drawing (rectify mode 0). Refuses sizes beyond the working size limit.
bool StretchBitmap(const TBitmap24& src, TBitmap24& dst, int dst_width, int dst_height);
