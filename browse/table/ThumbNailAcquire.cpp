#include "browse/table/ThumbNailAcquire.h"

#include <new>

#include "engine/CaptureRender.h"
#include "engine/FileAccess.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "engine/JpegFile.h"
#include "platform/PathText.h"

namespace {

// Cap data pictures widened to the cell's aspect keep the region's centre.
constexpr int kCentreAnchor = 5;

TThumbNailAcquisition Failed(TThumbNailOutcome outcome, std::string message = {}) {
  TThumbNailAcquisition failed;
  failed.outcome = outcome;
  failed.message = std::move(message);
  return failed;
}

// The path itself when the file exists, else the same path on the search drive when it exists
// there; empty when neither does.
std::string FindFile(const std::string& path, const TThumbNailAcquireOptions& o) {
  if (FileExists(path)) return path;
  if (o.search_more_drive.empty() || !o.paths) return {};
  const std::string moved = o.paths->ReplaceDrive(path, o.search_more_drive);
  return FileExists(moved) ? moved : std::string();
}

float FactorFor(const TThumbNailAcquireOptions& o, int width, int height) {
  return ThumbNailFactor(*o.settings, o.thumbnails_off, o.area_width, o.area_height, width, height);
}

// The thumbnail of a pixel picture: the factor capped at 1 unless enlarging is allowed, then the
// resize. A picture beyond the working size limit (loaded at its natural size) cannot go
// through the rectifying resizes and is brought down by stretching.
bool ScalePixelPicture(TBitmap24& picture, const TThumbNailAcquireOptions& o) {
  float factor = FactorFor(o, picture.Width(), picture.Height());
  if (!(factor > 0)) return false;
  factor = CappedThumbNailFactor(factor, o.get_rectified, o.can_get_big);
  if (factor == 1) return true;
  double scale = factor;
  int mode = ThumbNailRectifyMode(*o.settings, o.get_rectified);
  if (!TImU::SizeIsAllowed(picture.Width(), picture.Height())) mode = 0;
  return ResizeByFactor(picture, scale, mode, o.owner);
}

enum class TQuickJpeg { kNotJpeg, kDone, kFailed };

// The quick JPEG thumbnail; kNotJpeg leaves the file to the loader. The target is the size the
// full decoding's resize would give, so only the pixels differ, never the size.
TQuickJpeg QuickJpegThumbNail(const std::string& file, const TThumbNailAcquireOptions& o,
                              TBitmap24& out, std::string& error) {
  std::string bytes;
  if (!ReadRegularFile(file, TImU::kMaxPictureFileBytes, bytes, error)) return TQuickJpeg::kFailed;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  if (!IsJpegData(data, bytes.size())) return TQuickJpeg::kNotJpeg;
  int width = 0, height = 0;
  if (!ReadJpegSize(data, bytes.size(), width, height, error)) return TQuickJpeg::kFailed;
  const float factor =
      CappedThumbNailFactor(FactorFor(o, width, height), o.get_rectified, o.can_get_big);
  long long target_width = 0, target_height = 0;
  TBitmap24 picture;
  if (factor > 0 && factor < 1 && ResizedSide(width, factor, target_width) &&
      ResizedSide(height, factor, target_height)) {
    if (!DecodeJpegAtLeast(data, bytes.size(), static_cast<int>(target_width),
                           static_cast<int>(target_height), picture, error, o.owner))
      return TQuickJpeg::kFailed;
  } else if (!DecodeJpeg(data, bytes.size(), picture, error, o.owner)) {
    return TQuickJpeg::kFailed;
  }
  if (picture.Width() == width && picture.Height() == height) {
    if (!ScalePixelPicture(picture, o)) return TQuickJpeg::kFailed;
  } else {
    int mode = ThumbNailRectifyMode(*o.settings, o.get_rectified);
    if (!TImU::SizeIsAllowed(width, height)) mode = 0;
    if (!ResizeToSize(picture, static_cast<int>(target_width), static_cast<int>(target_height),
                      mode, o.owner))
      return TQuickJpeg::kFailed;
  }
  out.Swap(picture);
  return TQuickJpeg::kDone;
}

}  // namespace

TThumbNailAcquisition AcquireFileThumbNail(const std::string& path,
                                           const TThumbNailAcquireOptions& o) {
  try {
    const std::string file = FindFile(path, o);
    if (file.empty()) return Failed(TThumbNailOutcome::kMissing);
    TThumbNailAcquisition a;
    a.source_path = file;
    std::string error;
    if (IsMetafileName(file)) {
      int width = 0, height = 0;
      if (!o.loader->ReadSize(file, width, height, error))
        return Failed(TThumbNailOutcome::kUnreadable, error);
      const float factor = FactorFor(o, width, height);
      if (!(factor > 0)) return Failed(TThumbNailOutcome::kUnreadable);
      const int target_width = static_cast<int>(static_cast<float>(width) * factor);
      const int target_height = static_cast<int>(static_cast<float>(height) * factor);
      if (!TImU::SizeIsAllowed(target_width, target_height) ||
          !o.loader->Render(file, target_width, target_height, a.picture, error))
        return Failed(TThumbNailOutcome::kUnreadable, error);
    } else {
      const TQuickJpeg quick =
          o.quick_jpeg ? QuickJpegThumbNail(file, o, a.picture, error) : TQuickJpeg::kNotJpeg;
      if (quick == TQuickJpeg::kFailed ||
          (quick == TQuickJpeg::kNotJpeg &&
           (!o.loader->Load(file, a.picture, error, o.owner) || !ScalePixelPicture(a.picture, o))))
        return Failed(TThumbNailOutcome::kUnreadable, error);
    }
    a.outcome = TThumbNailOutcome::kDone;
    return a;
  } catch (const std::bad_alloc&) {
    return Failed(TThumbNailOutcome::kOutOfResources);
  }
}

TThumbNailAcquisition AcquireCapDataThumbNail(const TCapData& record,
                                              const TThumbNailAcquireOptions& o) {
  try {
    TCapData found = record;
    found.path = FindFile(record.path, o);
    if (found.path.empty()) return Failed(TThumbNailOutcome::kMissing);
    TThumbNailAcquisition a;
    a.source_path = found.path;
    a.frame_removed = o.erase_cap_frame;
    std::string message;
    const bool rendered = o.erase_cap_frame
                              ? RenderRegionToAspect(a.picture, found, kCentreAnchor, o.area_height,
                                                     o.area_width, *o.loader, &message)
                              : RenderRegion(a.picture, found, false, *o.loader, &message);
    if (!rendered) return Failed(TThumbNailOutcome::kUnreadable, message);
    if (IsMetafileName(found.path)) {
      const float factor = FactorFor(o, a.picture.Width(), a.picture.Height());
      if (!(factor > 0)) return Failed(TThumbNailOutcome::kUnreadable);
      const int mode = ThumbNailRectifyMode(*o.settings, o.get_rectified);
      TBitmap24 scaled;
      const bool drawn =
          o.erase_cap_frame
              ? RenderScaledRegionToAspect(scaled, found, kCentreAnchor, o.area_height,
                                           o.area_width, mode, factor, *o.loader, &message)
              : RenderScaledRegion(scaled, found, mode, factor, *o.loader, &message);
      if (!drawn) return Failed(TThumbNailOutcome::kUnreadable, message);
      a.picture.Swap(scaled);
    } else if (!ScalePixelPicture(a.picture, o)) {
      return Failed(TThumbNailOutcome::kUnreadable);
    }
    a.outcome = TThumbNailOutcome::kDone;
    return a;
  } catch (const std::bad_alloc&) {
    return Failed(TThumbNailOutcome::kOutOfResources);
  }
}

namespace {

void BeginFileRecord(TThumbNailStore& store, std::size_t index, const std::string& path) {
  store.Release(index);
  store.SetTried(index, true);
  store.SetSourcePath(index, path);
}

TThumbNailOutcome EndFileRecord(TThumbNailStore& store, std::size_t index, TThumbNailAcquisition a,
                                std::string* message) {
  if (message) *message = a.message;
  if (a.outcome != TThumbNailOutcome::kDone) {
    store.SetSourcePath(index, {});
    return a.outcome;
  }
  store.Hold(index, std::move(a.picture));
  store.SetFrameRemoved(index, false);
  store.SetSourcePath(index, std::move(a.source_path));
  return a.outcome;
}

}  // namespace

TThumbNailOutcome ObtainFileThumbNail(TThumbNailStore& store, std::size_t index,
                                      const std::string& path, const TThumbNailAcquireOptions& o,
                                      std::string* message) {
  BeginFileRecord(store, index, path);
  return EndFileRecord(store, index, AcquireFileThumbNail(path, o), message);
}

TThumbNailOutcome PlaceFileThumbNail(TThumbNailStore& store, std::size_t index,
                                     const std::string& path, TThumbNailAcquisition prepared,
                                     std::string* message) {
  BeginFileRecord(store, index, path);
  return EndFileRecord(store, index, std::move(prepared), message);
}

namespace {

void BeginCapDataRecord(TThumbNailStore& store, std::size_t index, const TCapData& record,
                        bool erase_cap_frame) {
  store.Release(index);
  store.SetTried(index, true);
  store.SetSourcePath(index, record.path);
  store.SetFrameRemoved(index, erase_cap_frame);
}

TThumbNailOutcome EndCapDataRecord(TThumbNailStore& store, std::size_t index,
                                   TThumbNailAcquisition a, std::string* message) {
  if (message) *message = a.message;
  if (a.outcome != TThumbNailOutcome::kDone) {
    store.SetSourcePath(index, {});
    return a.outcome;
  }
  store.Hold(index, std::move(a.picture));
  store.SetSourcePath(index, std::move(a.source_path));
  return a.outcome;
}

}  // namespace

TThumbNailOutcome ObtainCapDataThumbNail(TThumbNailStore& store, std::size_t index,
                                         const TCapData& record, const TThumbNailAcquireOptions& o,
                                         std::string* message) {
  BeginCapDataRecord(store, index, record, o.erase_cap_frame);
  return EndCapDataRecord(store, index, AcquireCapDataThumbNail(record, o), message);
}

TThumbNailOutcome PlaceCapDataThumbNail(TThumbNailStore& store, std::size_t index,
                                        const TCapData& record, bool erase_cap_frame,
                                        TThumbNailAcquisition prepared, std::string* message) {
  BeginCapDataRecord(store, index, record, erase_cap_frame);
  return EndCapDataRecord(store, index, std::move(prepared), message);
}

bool NeedsAcquisition(const TThumbNailData& record, bool cap_data_mode, bool erase_cap_frame) {
  if (!record.tried) return true;
  return cap_data_mode && record.frame_removed != erase_cap_frame;
}
