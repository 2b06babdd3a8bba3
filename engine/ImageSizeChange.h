#pragma once

#include <memory>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"

// The resampling algorithms behind resize correction. Each takes the source, the destination and
// the destination size (height before width), checks both sizes against the working size limit
// before allocating, and returns false when a size is refused or the owner cancels (checked before
// every 100th destination row and every 100th pixel of a row). The destination is only changed on
// success. Source and destination may be the same bitmap.
//
// One object keeps its working memory between calls, so resizing picture after picture with the
// same object does not pay for fresh memory each time. An object is used by one thread at a time;
// with an executor (see BandExecutor.h) it splits the destination rows into bands on the
// executor's threads, with the same result for any number of bands.
class TImageSizeChange {
 public:
  explicit TImageSizeChange(TEngineOwner* owner = nullptr);
  ~TImageSizeChange();
  TImageSizeChange(const TImageSizeChange&) = delete;
  TImageSizeChange& operator=(const TImageSizeChange&) = delete;

  // Threads for row bands, before the owner's; null leaves the choice to the owner.
  void SetExecutor(TBandExecutor* executor) { executor_ = executor; }
  // The bilinear modes take an integer path where the fractions allow it, and the quality modes
  // work out most values on a fast path and the rest the defined way; this computes every value
  // the defined way (the same bytes, slower), to measure and check the fast paths against.
  void UseReferencePaths(bool on) { reference_ = on; }
  // Takes a second look at every value of the fast paths, as if each lay near a rounding
  // boundary: for checking the second looks themselves.
  void LookAgainEverywhere(bool on) { look_again_ = on; }

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
  struct TWork;
  struct TBandWork;
  template <class Real>
  bool BiLinerIn(const TBitmap24& src, TBitmap24& dst, int dst_height, int dst_width);
  template <class Real>
  bool BiLinerSixteenths(const TBitmap24& src, int dst_height, int dst_width, int pair_begin,
                         int pair_end);
  bool BiLinerAndIntegralCells(const TBitmap24& src, TBitmap24& dst, int dst_height, int dst_width);
  template <class Prepare, class RenderPart>
  bool RenderRows(int dst_width, int dst_height, Prepare&& prepare, RenderPart&& render_part);
  template <class Prepare, class GroupEnd, class RenderPart>
  bool RenderRowGroups(int dst_width, int dst_height, Prepare&& prepare, GroupEnd&& group_end,
                       RenderPart&& render_part);

  TEngineOwner* owner_;
  TBandExecutor* executor_ = nullptr;
  bool reference_ = false;
  bool look_again_ = false;
  std::unique_ptr<TWork> work_;
};

// Nearest-neighbour stretch of src over a dst_width x dst_height bitmap: the platform's stretch
// drawing (rectify mode 0). Destination pixel x takes source column floor((x + 0.5) * sw / dw),
// rows alike. The destination must pass the working size limit; the source may be any loaded
// picture (this is how oversized pictures are brought down). False leaves dst unchanged.
bool StretchBitmap(const TBitmap24& src, TBitmap24& dst, int dst_width, int dst_height,
                   TBandExecutor* executor = nullptr);
// The same stretch drawn into the width x height region of dst at left, top (which must lie
// inside dst); the rest of dst is untouched. False for a region outside dst.
bool StretchBitmapInto(const TBitmap24& src, TBitmap24& dst, int left, int top, int width,
                       int height, TBandExecutor* executor = nullptr);
