#pragma once

#include <cstddef>
#include <string>

#include "browse/table/ThumbNailRules.h"
#include "engine/Bitmap24.h"
#include "engine/CaptureBasics.h"
#include "engine/PictureLoader.h"
#include "model/Settings.h"

class PathText;
class TEngineOwner;

// Obtaining the reference picture (参照画像) of one item of the thumbnail table, without a
// window: from a picture file (file data mode) or from the region of a cap data record (cap data
// mode), scaled by the thumbnail rules.

struct TThumbNailAcquireOptions {
  const TPictureTableSettings* settings = nullptr;  // size rules and RectifyType
  int area_width = 0;                               // the cell's image area
  int area_height = 0;
  bool erase_cap_frame = false;  // EraseCapFrame1: cap data widened to the area's aspect
  bool get_rectified = false;    // GetRectifiedThumbNail1
  bool can_get_big = false;      // CanGetBigThumbNail1
  bool thumbnails_off = false;   // NotGetThumbNail1: the picture is fitted to the area
  // QuickThumbnails: a JPEG is decoded at the smallest reduced scale that still covers its
  // thumbnail, then resized to the thumbnail's size as usual (a little less sharp).
  bool quick_jpeg = false;
  std::string search_more_drive;    // SearchMoreDrive, empty for none
  const PathText* paths = nullptr;  // for the drive replacement
  const TPictureLoader* loader = nullptr;
  // A decode made ahead of its cell is given up once the owner is no longer busy.
  TEngineOwner* owner = nullptr;
};

enum class TThumbNailOutcome {
  kDone,
  kMissing,         // the file does not exist (nor on the search drive)
  kUnreadable,      // the file (or region) could not be read or scaled
  kOutOfResources,  // memory ran out: the table sets its reset flag
};

struct TThumbNailAcquisition {
  TThumbNailOutcome outcome = TThumbNailOutcome::kMissing;
  TBitmap24 picture;        // the thumbnail when done
  std::string source_path;  // the file read (on the search drive when found there)
  bool frame_removed = false;
  std::string message;  // the loader's or engine's reason, when it has one
};

// A picture file's thumbnail. Metafiles are drawn directly at the thumbnail size; other pictures
// are loaded and, when the factor is not 1, resized by ResizeByFactor (a factor above 1 only
// with get_rectified and can_get_big).
TThumbNailAcquisition AcquireFileThumbNail(const std::string& path,
                                           const TThumbNailAcquireOptions& options);
// A cap data record's thumbnail: the region rendered exactly, or with erase_cap_frame widened to
// the image area's aspect around its centre, then scaled as a picture file is; a metafile source
// is rendered again at the factor instead of being resized.
TThumbNailAcquisition AcquireCapDataThumbNail(const TCapData& record,
                                              const TThumbNailAcquireOptions& options);

// One item of the store obtained: the old bitmap released, tried set, then the acquisition above
// written into the record (has_picture, frame_removed, source_path, cleared on failure). The
// record's memory is counted by the store. Returns the outcome; message receives the reason of a
// failure when it has one.
TThumbNailOutcome ObtainFileThumbNail(TThumbNailStore& store, std::size_t index,
                                      const std::string& path,
                                      const TThumbNailAcquireOptions& options,
                                      std::string* message = nullptr);
// The same with the acquisition made ahead for path (AcquireFileThumbNail with the same options).
TThumbNailOutcome PlaceFileThumbNail(TThumbNailStore& store, std::size_t index,
                                     const std::string& path, TThumbNailAcquisition prepared,
                                     std::string* message = nullptr);
TThumbNailOutcome ObtainCapDataThumbNail(TThumbNailStore& store, std::size_t index,
                                         const TCapData& record,
                                         const TThumbNailAcquireOptions& options,
                                         std::string* message = nullptr);

// The same with the acquisition made ahead for record (AcquireCapDataThumbNail with the same
// options).
TThumbNailOutcome PlaceCapDataThumbNail(TThumbNailStore& store, std::size_t index,
                                        const TCapData& record, bool erase_cap_frame,
                                        TThumbNailAcquisition prepared,
                                        std::string* message = nullptr);

// Whether an item is obtained (again) in a fill: never tried yet, or, in cap data mode, held
// with another frame-removed state than EraseCapFrame1 asks for.
bool NeedsAcquisition(const TThumbNailData& record, bool cap_data_mode, bool erase_cap_frame);
