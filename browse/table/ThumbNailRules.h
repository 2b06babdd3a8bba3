#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "model/Settings.h"

// The rules of the thumbnail table's reference pictures (参照画像): how large a thumbnail is
// taken, which effect steps a cell gets, whether the memory bound allows one more, and the store
// of held thumbnails.

// The scale at which a w x h picture becomes its thumbnail, for an image area of area_width x
// area_height. Thumbnails off: the fit into the area. Percent control: ThumbPercentPercent
// (above 100 -> 100, 0 or less -> 50), held under the ThumbPercentWidth x ThumbPercentHeight cap
// (0 or less: the area's side) when ThumbPercentSizeControl is on. Size control: the fit into
// ThumbSizeWidth x ThumbSizeHeight (0 or less: the area's side), with ThumbSizePercentControl
// never below ThumbSizePercent (corrected alike). 0 when no factor can be found. May exceed 1.
float ThumbNailFactor(const TPictureTableSettings& settings, bool thumbnails_off, int area_width,
                      int area_height, int width, int height);
// A factor above 1 enlarges only when both GetRectifiedThumbNail1 and CanGetBigThumbNail1 are
// checked; otherwise it becomes 1 (the picture's own size).
float CappedThumbNailFactor(float factor, bool get_rectified, bool can_get_big);
// The rectify mode for the thumbnail resize: RectifyType + 1 with GetRectifiedThumbNail1, else 0
// (stretch).
int ThumbNailRectifyMode(const TPictureTableSettings& settings, bool get_rectified);
// Whether held thumbnails keep their meaning when the cells change size: not under size control
// with a width or height limit of 0, nor under percent control with the pixel cap on and a cap
// side of 0 (those follow the image area).
bool ThumbNailSizeIsFixed(const TPictureTableSettings& settings);

// The memory bound, tested before each acquisition (so the total may pass the capacity by one
// picture): capacity_mb >= used and held < max_count.
bool CapacityAllows(int capacity_mb, float used_megabytes, int held_count, int max_count);

// Step names of the effect chains, as the controller reads them (in any case).
inline constexpr char kStepRectify[] = "Rectify";
inline constexpr char kStepLowPassFilter[] = "LowPassFilter";
inline constexpr char kStepUnSharpMasking[] = "UnSharpMasking";
inline constexpr char kStepRotation[] = "Rotation";
inline constexpr char kStepRGBArrange[] = "RGBArrange";
inline constexpr char kStepFreeFilter[] = "FreeFilter";
inline constexpr char kStepCapData[] = "CapData";
inline constexpr char kStepReNew[] = "ReNew";

// Slot counts of a cell's list: a page fill, a processing command, an effect applied from a
// dialog.
inline constexpr std::size_t kPageStepSlots = 22;
inline constexpr std::size_t kCommandStepSlots = 2;
inline constexpr std::size_t kEffectStepSlots = 3;

// A cell's step slots. Steps are appended after the last one written; a step with a parameter
// takes its slot and the next. A step that finds no free slot is dropped, and a parameter that
// finds none is lost (the controller then ignores its step). An empty parameter keeps its slot,
// so the step after it is never read as that parameter.
class TStepSlots {
 public:
  explicit TStepSlots(std::size_t slots) : slots_(slots) {}
  void Add(const std::string& name);
  void Add(const std::string& name, const std::string& parameter);
  bool Any() const { return used_ > 0; }
  const std::vector<std::string>& Slots() const { return slots_; }

 private:
  std::vector<std::string> slots_;
  std::size_t used_ = 0;
};

// EveryRectifyType: 0 rectify only, 1 rectify + low pass, 2 rectify + unsharp masking.
enum TEveryRectifyType : int { kEveryRectifyOnly = 0, kEveryLowPass = 1, kEveryUnSharp = 2 };

// What decides the steps of a cell when a page is filled.
struct TCellStepOptions {
  // The cap data record's effect entries (slots 5..10) when the cell's item is a cap data item
  // whose own effects apply; null otherwise.
  const std::vector<std::string>* cap_effects = nullptr;
  bool rectify_before_effect = false;  // RectifyBeforeEffect1
  // Dialogs opened from the table with their automatic-effect box on, and their texts.
  bool rotation_auto = false;
  std::string rotation_degree;
  bool every_time_rectify = false;  // EveryTimeRectify1
  int every_rectify_type = kEveryRectifyOnly;
  bool free_filter_auto = false;
  std::string free_filter_kernel;
  bool rgb_auto = false;
  std::string rgb_parameters;
  bool auto_renew = false;  // AutoReNewIniEffectedPicture1
};
// The 22 slots of a cell in the page fill's order: the record's own effects (after "Rectify" when
// rectifying before effects) closed by "CapData"; rotation; the every-time processing; free
// filter; RGB; "ReNew" when anything resulted and auto renew is on. "Rectify" appears at most
// once, except the one the RGB step may put before itself.
TStepSlots BuildCellSteps(const TCellStepOptions& options);

// Whether a shown picture meets the image area exactly: its width equals the area's and its
// height is at most the area's, or its height equals the area's and its width is at most the
// area's. Such a picture needs no rectify.
bool MeetsImageArea(int picture_width, int picture_height, int area_width, int area_height);

// The processing commands SetRectify1, SetLowPassFilter1, SetUnSharpMasking1.
enum class TProcessCommand { kRectify, kLowPassFilter, kUnSharpMasking };
// The two slots of a cell showing a picture of picture_width x picture_height.
TStepSlots CommandSteps(TProcessCommand command, bool rectify_before_effect,
                        bool every_time_rectify, int every_rectify_type, int picture_width,
                        int picture_height, int area_width, int area_height);
// The three slots of an effect applied from a dialog ("Rotation", "RGBArrange" or "FreeFilter"
// with its parameter text), after "Rectify" when rectifying before effects and the picture does
// not meet the area.
TStepSlots EffectSteps(const std::string& step, const std::string& parameter,
                       bool rectify_before_effect, int picture_width, int picture_height,
                       int area_width, int area_height);

// One record of array_ThumbNailData.
struct TThumbNailData {
  TBitmap24 bitmap;            // held while has_picture
  bool tried = false;          // acquisition was attempted
  bool has_picture = false;    // bitmap is valid
  bool frame_removed = false;  // rendered widened to the cell's aspect (EraseCapFrame1)
  std::string source_path;     // the file actually read; empty after a failure
};

// The thumbnail records, one per item in the item list's order. Used memory (MB of 24-bit
// pixels, width x height x 3 / 1,000,000 per held bitmap) and the held count follow every change
// made through the store; they are kept as an exact byte count, so releasing everything always
// brings them back to 0.
class TThumbNailStore {
 public:
  std::size_t Size() const { return records_.size(); }
  const TThumbNailData& operator[](std::size_t index) const { return records_[index]; }
  float UsedMemory() const { return static_cast<float>(used_bytes_ / 1e6); }
  int HeldCount() const { return held_; }

  // Lengthens with empty records or shortens (releasing the records dropped).
  void Resize(std::size_t size);
  // Releases everything and makes size empty records.
  void Reset(std::size_t size);
  void Clear() { Reset(0); }

  // The item's bitmap becomes picture (taken over); the old one is released. An empty picture
  // only releases. Sets has_picture accordingly.
  void Hold(std::size_t index, TBitmap24 picture);
  // The held bitmap becomes a copy of picture (ReNew and CapData).
  void HoldCopy(std::size_t index, const TBitmap24& picture) { Hold(index, picture); }
  // Releases the bitmap; has_picture false, the other fields kept.
  void Release(std::size_t index);
  // Back to a record never tried: flags false, path empty, bitmap released.
  void ResetRecord(std::size_t index);
  // Releases every held bitmap; returns how many were released.
  int ReleaseAll();
  void SetTried(std::size_t index, bool tried) { records_[index].tried = tried; }
  void SetFrameRemoved(std::size_t index, bool removed) { records_[index].frame_removed = removed; }
  void SetSourcePath(std::size_t index, std::string path) {
    records_[index].source_path = std::move(path);
  }

  // Copies record from over record to (its bitmap duplicated, counted again).
  void CopyRecord(std::size_t from, std::size_t to);
  // Deletes the record at index; the records after it move up one place.
  void Delete(std::size_t index);
  // Deletes the records at the given indexes (any order, duplicates ignored); the others keep
  // their order. Used when selected items are deleted.
  void Delete(std::vector<std::size_t> indexes);
  // Moves the record at from to position to (the records between shift by one).
  void Move(std::size_t from, std::size_t to);
  // Appends count empty records (items added to the list).
  void Append(std::size_t count) { Resize(records_.size() + count); }

 private:
  static std::int64_t BytesOf(const TBitmap24& bitmap);
  void Forget(TThumbNailData& record);

  std::vector<TThumbNailData> records_;
  std::int64_t used_bytes_ = 0;
  int held_ = 0;
};
