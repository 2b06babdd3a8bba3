#include "browse/table/ThumbNailRules.h"

#include <algorithm>
#include <cmath>

#include "engine/CaptureBasics.h"
#include "engine/ImageBasics.h"

namespace {

// A percent of the thumbnail settings: above 100 is 100, 0 or less is 50.
double CorrectedPercent(double percent) {
  if (percent > 100) return 100;
  if (percent <= 0) return 50;
  return percent;
}

int SideOrArea(int side, int area_side) { return side <= 0 ? area_side : side; }

}  // namespace

float ThumbNailFactor(const TPictureTableSettings& s, bool thumbnails_off, int area_width,
                      int area_height, int width, int height) {
  if (thumbnails_off) return FitFactor(area_width, area_height, width, height);
  if (s.thumb_control_with_percent) {
    float factor = static_cast<float>(CorrectedPercent(s.thumb_percent_percent) / 100);
    if (s.thumb_percent_size_control) {
      const int cap_width = SideOrArea(s.thumb_percent_width, area_width);
      const int cap_height = SideOrArea(s.thumb_percent_height, area_height);
      if (std::trunc(static_cast<double>(width) * factor) > cap_width ||
          std::trunc(static_cast<double>(height) * factor) > cap_height)
        factor = FitFactor(cap_width, cap_height, width, height);
    }
    return factor;
  }
  float factor = FitFactor(SideOrArea(s.thumb_size_width, area_width),
                           SideOrArea(s.thumb_size_height, area_height), width, height);
  if (s.thumb_size_percent_control) {
    const double percent = CorrectedPercent(s.thumb_size_percent);
    if (percent > static_cast<double>(factor) * 100) factor = static_cast<float>(percent / 100);
  }
  return factor;
}

float CappedThumbNailFactor(float factor, bool get_rectified, bool can_get_big) {
  if (factor > 1 && !(get_rectified && can_get_big)) return 1;
  return factor;
}

int ThumbNailRectifyMode(const TPictureTableSettings& s, bool get_rectified) {
  return get_rectified ? s.rectify_type + 1 : 0;
}

bool ThumbNailSizeIsFixed(const TPictureTableSettings& s) {
  if (s.thumb_control_with_percent)
    return !(s.thumb_percent_size_control &&
             (s.thumb_percent_width <= 0 || s.thumb_percent_height <= 0));
  return s.thumb_size_width > 0 && s.thumb_size_height > 0;
}

bool CapacityAllows(int capacity_mb, float used_megabytes, int held_count, int max_count) {
  return static_cast<float>(capacity_mb) >= used_megabytes && held_count < max_count;
}

void TStepSlots::Add(const std::string& name) {
  if (used_ < slots_.size()) slots_[used_++] = name;
}

void TStepSlots::Add(const std::string& name, const std::string& parameter) {
  if (used_ >= slots_.size()) return;
  slots_[used_++] = name;
  if (used_ < slots_.size()) slots_[used_++] = parameter;
}

TStepSlots BuildCellSteps(const TCellStepOptions& o) {
  TStepSlots steps(kPageStepSlots);
  bool rectified = false;
  auto rectify_once = [&] {
    if (rectified) return;
    steps.Add(kStepRectify);
    rectified = true;
  };
  if (o.cap_effects) {
    if (o.rectify_before_effect) rectify_once();
    bool any_effect = false;
    for (const std::string& entry : *o.cap_effects) {
      if (entry.empty()) break;
      const char* step = nullptr;
      switch (EffectKindOf(entry)) {
        case TEffectKind::kRotation:
          step = kStepRotation;
          break;
        case TEffectKind::kRGB:
          step = kStepRGBArrange;
          break;
        case TEffectKind::kFreeFilter:
          step = kStepFreeFilter;
          break;
        default:
          break;
      }
      if (!step) break;
      steps.Add(step, std::string(EffectParameters(entry)));
      any_effect = true;
    }
    if (any_effect) steps.Add(kStepCapData);
  }
  if (o.rotation_auto) {
    if (o.rectify_before_effect) rectify_once();
    steps.Add(kStepRotation, o.rotation_degree);
  }
  if (o.every_time_rectify) {
    rectify_once();
    if (o.every_rectify_type == kEveryLowPass) steps.Add(kStepLowPassFilter);
    if (o.every_rectify_type == kEveryUnSharp) steps.Add(kStepUnSharpMasking);
  }
  if (o.free_filter_auto) {
    if (o.rectify_before_effect) rectify_once();
    steps.Add(kStepFreeFilter, o.free_filter_kernel);
  }
  if (o.rgb_auto) {
    if (o.rectify_before_effect && !rectified) steps.Add(kStepRectify);
    steps.Add(kStepRGBArrange, o.rgb_parameters);
  }
  if (steps.Any() && o.auto_renew) steps.Add(kStepReNew);
  return steps;
}

bool MeetsImageArea(int picture_width, int picture_height, int area_width, int area_height) {
  return (picture_width == area_width && picture_height <= area_height) ||
         (picture_height == area_height && picture_width <= area_width);
}

TStepSlots CommandSteps(TProcessCommand command, bool rectify_before_effect,
                        bool every_time_rectify, int every_rectify_type, int picture_width,
                        int picture_height, int area_width, int area_height) {
  TStepSlots steps(kCommandStepSlots);
  if ((command == TProcessCommand::kRectify || rectify_before_effect) &&
      !MeetsImageArea(picture_width, picture_height, area_width, area_height))
    steps.Add(kStepRectify);
  if (command == TProcessCommand::kLowPassFilter ||
      (every_time_rectify && every_rectify_type == kEveryLowPass))
    steps.Add(kStepLowPassFilter);
  else if (command == TProcessCommand::kUnSharpMasking ||
           (every_time_rectify && every_rectify_type == kEveryUnSharp))
    steps.Add(kStepUnSharpMasking);
  return steps;
}

TStepSlots EffectSteps(const std::string& step, const std::string& parameter,
                       bool rectify_before_effect, int picture_width, int picture_height,
                       int area_width, int area_height) {
  TStepSlots steps(kEffectStepSlots);
  if (rectify_before_effect &&
      !MeetsImageArea(picture_width, picture_height, area_width, area_height))
    steps.Add(kStepRectify);
  steps.Add(step, parameter);
  return steps;
}

std::int64_t TThumbNailStore::BytesOf(const TBitmap24& bitmap) {
  return static_cast<std::int64_t>(bitmap.Width()) * bitmap.Height() * 3;
}

void TThumbNailStore::Forget(TThumbNailData& record) {
  if (record.has_picture) {
    used_bytes_ -= BytesOf(record.bitmap);
    --held_;
  }
  record.bitmap.Clear();
  record.has_picture = false;
}

void TThumbNailStore::Resize(std::size_t size) {
  for (std::size_t i = size; i < records_.size(); ++i) Forget(records_[i]);
  records_.resize(size);
}

void TThumbNailStore::Reset(std::size_t size) {
  records_.clear();
  records_.resize(size);
  used_bytes_ = 0;
  held_ = 0;
}

void TThumbNailStore::Hold(std::size_t index, TBitmap24 picture) {
  TThumbNailData& record = records_[index];
  Forget(record);
  if (picture.Empty()) return;
  record.bitmap = std::move(picture);
  record.has_picture = true;
  used_bytes_ += BytesOf(record.bitmap);
  ++held_;
}

void TThumbNailStore::Release(std::size_t index) { Forget(records_[index]); }

void TThumbNailStore::ResetRecord(std::size_t index) {
  TThumbNailData& record = records_[index];
  Forget(record);
  record.tried = record.frame_removed = false;
  record.source_path.clear();
}

int TThumbNailStore::ReleaseAll() {
  int released = 0;
  for (TThumbNailData& record : records_) {
    if (record.has_picture) ++released;
    Forget(record);
  }
  return released;
}

void TThumbNailStore::CopyRecord(std::size_t from, std::size_t to) {
  if (from == to) return;
  TThumbNailData copy = records_[from];
  Forget(records_[to]);
  if (copy.has_picture) {
    used_bytes_ += BytesOf(copy.bitmap);
    ++held_;
  }
  records_[to] = std::move(copy);
}

void TThumbNailStore::Delete(std::size_t index) {
  if (index >= records_.size()) return;
  Forget(records_[index]);
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TThumbNailStore::Delete(std::vector<std::size_t> indexes) {
  std::vector<bool> doomed(records_.size(), false);
  for (std::size_t index : indexes)
    if (index < records_.size()) doomed[index] = true;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (doomed[i]) {
      Forget(records_[i]);
      continue;
    }
    if (kept != i) records_[kept] = std::move(records_[i]);
    ++kept;
  }
  records_.resize(kept);
}

void TThumbNailStore::Move(std::size_t from, std::size_t to) {
  if (from >= records_.size() || to >= records_.size() || from == to) return;
  const auto first = records_.begin();
  if (from < to)
    std::rotate(first + static_cast<std::ptrdiff_t>(from),
                first + static_cast<std::ptrdiff_t>(from) + 1,
                first + static_cast<std::ptrdiff_t>(to) + 1);
  else
    std::rotate(first + static_cast<std::ptrdiff_t>(to), first + static_cast<std::ptrdiff_t>(from),
                first + static_cast<std::ptrdiff_t>(from) + 1);
}
