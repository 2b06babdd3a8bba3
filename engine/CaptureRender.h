#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/Bitmap24.h"
#include "engine/CaptureBasics.h"
#include "engine/EngineOwner.h"
#include "engine/FontRasteriser.h"
#include "engine/ImageBasics.h"
#include "engine/PictureLoader.h"

// Turning cap data records into pictures and saving them. Every routine returns true when done,
// never throws, and leaves its target bitmap untouched on failure. message (optional) receives
// the text to show when the failure has one: the effect engines' messages, or the loader's reason
// for an unreadable file. A missing source file fails without a message; the caller reports it.

// A rectangle in picture pixels.
struct TRegion {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Widens the record's region (x, y, w, h) to the aspect ratio of a box_width x box_height box,
// taking picture content around it on the sides the anchor (1..9, laid out like a numeric keypad:
// 7 8 9 top, 1 2 3 bottom) leaves open, and keeps the result within the picture. False when a
// picture side is below 1 or the box gives no fit factor.
bool WidenRegionToAspect(int picture_width, int picture_height, int x, int y, int w, int h,
                         int anchor, int box_height, int box_width, TRegion& region);

// Loads the record's picture and cuts its region out; what lies outside the picture is white.
// With whole_picture the picture is kept whole. Regions that are empty, beyond the working size
// limit or whose edges pass the integer range fail before the file is read.
bool RenderRegion(TBitmap24& image, const TCapData& record, bool whole_picture,
                  const TPictureLoader& loader, std::string* message = nullptr);

// As RenderRegion, the region first widened to the box's aspect ratio (WidenRegionToAspect).
bool RenderRegionToAspect(TBitmap24& image, const TCapData& record, int anchor, int box_height,
                          int box_width, const TPictureLoader& loader,
                          std::string* message = nullptr);

// For metafiles: the picture drawn anew at factor (> 0) by LoadScaledPicture with rectify_mode,
// then the region, each number multiplied by the factor actually used and rounded, cut out.
bool RenderScaledRegion(TBitmap24& image, const TCapData& record, int rectify_mode, double factor,
                        const TPictureLoader& loader, std::string* message = nullptr);

// As RenderScaledRegion with the widening, which is computed on the picture's natural size.
bool RenderScaledRegionToAspect(TBitmap24& image, const TCapData& record, int anchor,
                                int box_height, int box_width, int rectify_mode, double factor,
                                const TPictureLoader& loader, std::string* message = nullptr);

// Applies one effect entry in place: "ARO" rotates by the angle that follows (rotation_mode 1
// "回転2", 2 "穴空き回転", any other value "回転1") filling with rotation_back, "RGB" rearranges
// the channels, "FFI" runs the free kernel filter. Any other code, "TXT" included, gives false.
bool ApplyEffect(TBitmap24& bitmap, std::string_view entry, int rotation_mode, TColor rotation_back,
                 std::string* message = nullptr, TEngineOwner* owner = nullptr);

// How a record's effects are applied.
struct TCapDataEffectOptions {
  int rotation_mode = 0;
  TColor rotation_back = kWhite;
  // Text effects are drawn only with a rasteriser.
  const TFontRasteriser* fonts = nullptr;
  TEngineOwner* owner = nullptr;
};

// Applies effect entries in record order; the first that fails ends with false (the bitmap then
// holds the effects applied so far). With pass_over, entries of no known kind and text effects
// without a rasteriser are skipped, as the display does; without, they fail, as the save does.
bool ApplyCapDataEffects(TBitmap24& bitmap, const std::vector<std::string>& effects,
                         const TCapDataEffectOptions& options, bool pass_over,
                         std::string* message = nullptr);

// A record as the main window shows it: the region cut out, then the effects in record order.
// Entries of no known kind (and text effects without a rasteriser) are passed over, as the
// display does; the first effect that fails ends the render with false. out is replaced only on
// success.
bool RenderCapData(const TCapData& record, const TPictureLoader& loader,
                   const TCapDataEffectOptions& effects, TBitmap24& out,
                   std::string* message = nullptr);

struct TCapDataSaveOptions {
  TFitFrameOptions frame;
  TCapDataEffectOptions effects;
  // With both target sides given, the region is widened to the target's aspect ratio (anchor 5).
  bool fit_region_to_box = false;
};

// The batch save of one record: render the region, apply every effect in order (an entry that
// cannot be applied ends the save with false; text effects need a rasteriser), then fit, frame and
// save as FitFrameAndSaveBitmap does. A metafile source is drawn anew at the fitted factor and
// its effects applied again, instead of resizing pixels. The picture is never saved over its
// source: an empty destination saves beside the source under a free name, and a given
// destination is never overwritten either (".bmp" unless it is a JPEG name). saved_path receives
// the name written; image receives the fitted picture (without margin and edge).
bool SaveCapData(TBitmap24& image, const TCapData& record, const std::string& destination,
                 const TCapDataSaveOptions& options, const TPictureLoader& loader,
                 std::string* saved_path = nullptr, std::string* message = nullptr);
// The same for a record line; false when the line is not a whole record.
bool SaveCapData(TBitmap24& image, std::string_view line, const TRecordPathCodec& codec,
                 const std::string& destination, const TCapDataSaveOptions& options,
                 const TPictureLoader& loader, std::string* saved_path = nullptr,
                 std::string* message = nullptr);
