#pragma once

#include <string>
#include <string_view>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"

// Rebuilding the colour channels of a picture from chosen sources.

// Shown with the usual caption when the parameter text has not nine fields.
inline constexpr char kRGBDataError1[] = "ImageRGB データエラー(1)";
// Shown in a plain message dialog when a number field does not read as an integer.
inline constexpr char kRGBDataError2[] = "ImageRGB データエラー(2)";

// The nine fields of the parameter text, each array in the order red, green, blue.
// Source codes: 0 red, 1 green, 2 blue, 3 the integer average, 4 a fixed value (the low byte of
// the channel's amount when its percentage flag is on, else 0); 5..9 as 0..4 inverted. Any other
// code is a fixed value, inverted when above 4.
struct TRGBArrangeParams {
  int source[3] = {0, 1, 2};
  bool percent[3] = {false, false, false};
  int amount[3] = {0, 0, 0};
};

// Reads "source,source,source,flag,flag,flag,amount,amount,amount". A flag is on exactly when its
// field is "1". On failure message receives kRGBDataError1 (field count) or kRGBDataError2 (a
// number field that is not a decimal integer).
bool ParseRGBArrangeText(std::string_view text, TRGBArrangeParams& params,
                         std::string* message = nullptr);

// Rebuilds every pixel in place: each channel takes its source's value (all sources read before
// anything is written, so channels may be swapped), inverted for codes above 4, then shifted by
// its amount or, with the percentage flag, changed by trunc(v x amount / 100), clamped to 0..255.
// False without a message for a picture beyond the working size limit; false with the message of
// ParseRGBArrangeText for a bad text, the picture unchanged in both cases. Progress, with an owner
// that reports it, is set at every 100th row; the operation is not cancellable.
class TImageRGBArrange {
 public:
  explicit TImageRGBArrange(TEngineOwner* owner = nullptr) : owner_(owner) {}
  // Threads for row bands, before the owner's; null leaves the choice to the owner.
  void SetExecutor(TBandExecutor* executor) { executor_ = executor; }

  bool Arrange(TBitmap24& bitmap, std::string_view params_text, std::string* message = nullptr);
  bool Arrange(TBitmap24& bitmap, const TRGBArrangeParams& params);

 private:
  TEngineOwner* owner_;
  TBandExecutor* executor_ = nullptr;
};
