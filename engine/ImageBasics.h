#pragma once

#include <functional>
#include <string>

#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"
#include "engine/PictureLoader.h"

// Picture files and the common picture routines. All return true when done. A loader error (an
// unreadable or unknown file) is handed back through error so that the caller can report it.

// Loads the file at its natural size into image. False (image unchanged) when the file does not
// exist (error left empty) or cannot be read (error says why).
bool LoadPictureFile(TBitmap24& image, const std::string& path, const TPictureLoader& loader,
                     std::string* error = nullptr);

// Loads the file scaled by factor. With rectify_mode > 0 a pixel picture is loaded and resized by
// ResizeByFactor (which may lower factor); metafiles, or rectify_mode <= 0, are drawn at
// round(size x factor) under the fit-size check.
bool LoadScaledPicture(TBitmap24& image, const std::string& path, double& factor, int rectify_mode,
                       const TPictureLoader& loader, std::string* error = nullptr);

// Saves as JPEG (".jpg"/".jpeg") or BMP (any other extension, renamed to ".bmp" unless keep_name).
// Without keep_name an existing file is never overwritten: MakeFreeFileName picks the name.
// saved_path receives the name actually written. A bitmap without pixels is not saved.
// The file is written whole or not at all by ReplaceFileBytes: a read-only file is refused, a
// replaced file keeps its permissions and a symbolic link's target is replaced.
bool SavePictureFile(const TBitmap24& bitmap, const std::string& path, bool keep_name, int quality,
                     std::string* saved_path = nullptr, std::string* error = nullptr);

// Resizes by factor with rectify mode 0 (stretch), 1, 2 or 3; factor is lowered when the result
// would exceed the area limit (or the width limit). Factor exactly 1 changes nothing. On failure
// the bitmap is unchanged.
bool ResizeByFactor(TBitmap24& bitmap, double& factor, int rectify_mode,
                    TEngineOwner* owner = nullptr);

// The same resize to exactly width x height (mode 2 enlarges when either side grows). False,
// the bitmap unchanged, for an empty bitmap or a size beyond the working limit.
bool ResizeToSize(TBitmap24& bitmap, int width, int height, int rectify_mode,
                  TEngineOwner* owner = nullptr);
// The length ResizeByFactor gives a side of length side at factor (rounded half to even); false
// when that is no usable length.
bool ResizedSide(int side, double factor, long long& out);

// Cuts [left, right) x [top, bottom) out of bitmap; with allow_outside the parts beyond the
// picture are filled with fill. Sizes beyond the working size limit are refused.
bool CropRegion(TBitmap24& bitmap, int left, int top, int right, int bottom, bool allow_outside,
                TColor fill);
// The same cut of source into part (which must not be source); source is not changed.
bool CropRegion(const TBitmap24& source, TBitmap24& part, int left, int top, int right, int bottom,
                bool allow_outside, TColor fill);

// Surrounds the picture with margin pixels of color on every side. Refused when the result would
// pass the working size limit and more than double the picture's area.
bool AddMargin(TBitmap24& bitmap, int margin, TColor color);

// Fit factors in single precision; any argument <= 0 gives 0.
float FitFactor(int box_width, int box_height, int picture_width, int picture_height);
float FitFactorWithSide(int box_width, int box_height, int picture_width, int picture_height,
                        bool& width_decides);
float CoverFactor(int box_width, int box_height, int picture_width, int picture_height);
// FitFactor of the picture into a parent's client area; 0 without a parent or picture.
float ControlFitFactor(bool has_parent, int client_width, int client_height, int picture_width,
                       int picture_height);

// Options of the fit, frame and save step shared by the batch save and the cap data save.
struct TFitFrameOptions {
  TColor back_color = kWhite;
  bool with_margin = false;
  bool edge_surrounds_picture = false;
  TColor edge_color = kBlack;
  int edge_size = 0;
  bool allow_enlarge = false;
  int rectify_mode = 0;
  int quality = 90;
  int target_height = 0;
  int target_width = 0;
};

// Steps after loading: fit to the target size, compose margin and edge, save. rerender, when
// given, draws a vector source anew at a factor instead of resizing pixels.
using TRerender = std::function<bool(double factor, TBitmap24& image)>;
// image keeps the fitted picture (without margin and edge).
bool FitFrameAndSaveBitmap(TBitmap24& image, const std::string& destination, bool keep_name,
                           const TFitFrameOptions& options, const TRerender& rerender,
                           std::string* saved_path = nullptr, std::string* error = nullptr);

// The batch save of one picture file: load source, fit, frame and save to destination. An empty
// destination writes over a BMP or JPEG source; any other source (icon, metafile) is kept and the
// picture saved beside it under a free ".bmp" name. A given destination is never overwritten: a
// free name is chosen, with ".bmp" unless it is a JPEG name. Metafiles are drawn anew at the
// fitted size.
bool FitFrameAndSave(TBitmap24& image, const std::string& source, const std::string& destination,
                     const TFitFrameOptions& options, const TPictureLoader& loader,
                     std::string* error = nullptr, std::string* saved_path = nullptr);
