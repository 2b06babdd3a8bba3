#include "engine/CaptureRender.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <filesystem>
#include <system_error>

#include "engine/FileNames.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageOption.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageUtils.h"

namespace {

void Say(std::string* message, const std::string& text) {
  if (message) *message = text;
}

// Edges of a region as CropRegion takes them. False for an empty region, one beyond the working
// size limit, and one whose edges do not fit an int.
struct TEdges {
  int left = 0, top = 0, right = 0, bottom = 0;
};
bool RegionEdges(long long x, long long y, long long w, long long h, TEdges& edges) {
  if (!TImU::SizeIsAllowed(w, h)) return false;
  if (x < INT_MIN || y < INT_MIN || x + w > INT_MAX || y + h > INT_MAX) return false;
  edges = {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
           static_cast<int>(y + h)};
  return true;
}

// round(value x factor), false when it leaves the int range.
bool Scaled(long long value, double factor, long long& out) {
  const double r = std::nearbyint(static_cast<double>(value) * factor);
  if (!(r >= static_cast<double>(INT_MIN) && r <= static_cast<double>(INT_MAX))) return false;
  out = static_cast<long long>(r);
  return true;
}

bool ScaledEdges(const TRegion& region, double factor, TEdges& edges) {
  long long x = 0, y = 0, w = 0, h = 0;
  return Scaled(region.left, factor, x) && Scaled(region.top, factor, y) &&
         Scaled(region.width, factor, w) && Scaled(region.height, factor, h) &&
         RegionEdges(x, y, w, h, edges);
}

bool Crop(TBitmap24& picture, const TEdges& e) {
  return CropRegion(picture, e.left, e.top, e.right, e.bottom, true, kWhite);
}

int EngineRotationMode(int mode) {
  if (mode == 1) return kRotationArea;
  if (mode == 2) return kRotationHoles;
  return kRotationBlend;
}

}  // namespace

bool WidenRegionToAspect(int picture_width, int picture_height, int x, int y, int w, int h,
                         int anchor, int box_height, int box_width, TRegion& region) {
  const long long pw = picture_width, ph = picture_height;
  if (pw < 1 || ph < 1) return false;
  // Visible size: a region reaching past the left or top edge counts from the edge.
  long long vw = x < 0 ? static_cast<long long>(w) + x : w;
  if (vw > pw || vw < 1) vw = pw;
  long long vh = y < 0 ? static_cast<long long>(h) + y : h;
  if (!(vh > 0 && vh <= ph)) vh = ph;
  const float f = FitFactor(box_width, box_height, static_cast<int>(vw), static_cast<int>(vh));
  if (!(f > 0)) return false;
  // Beyond the picture's size any extra is cut back below; the clamp only keeps the
  // conversion defined.
  const auto extra = [](int box, float factor, long long visible) {
    double e = std::nearbyint(static_cast<double>(box) / factor) - static_cast<double>(visible);
    if (!(e > 0)) return 0LL;
    return e > 1e15 ? static_cast<long long>(1e15) : static_cast<long long>(e);
  };
  const long long ex = extra(box_width, f, vw), ey = extra(box_height, f, vh);
  const auto half = [](long long e) { return static_cast<long long>(std::nearbyint(e / 2.0)); };
  // Keypad layout: the column gives the horizontal shift, the row the vertical one.
  long long dx = 0, dy = 0;
  if (anchor >= 1 && anchor <= 9) {
    const int column = (anchor - 1) % 3;  // left, centre, right
    const int row = (anchor - 1) / 3;     // bottom, middle, top
    dx = column == 0 ? 0 : (column == 1 ? -half(ex) : -ex);
    dy = row == 0 ? -ey : (row == 1 ? -half(ey) : 0);
  }
  const auto place = [](long long start, long long shift, long long visible, long long extra,
                        long long size, long long& origin, long long& length) {
    origin = std::max(0LL, (start < 0 ? 0 : start) + shift);
    length = visible + extra;
    if (origin + length > size) {
      origin = size - length;
      if (origin < 0) {
        origin = 0;
        length = size;
      }
    }
  };
  long long left = 0, top = 0, width = 0, height = 0;
  place(x, dx, vw, ex, pw, left, width);
  place(y, dy, vh, ey, ph, top, height);
  region = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
            static_cast<int>(height)};
  return true;
}

bool RenderRegion(TBitmap24& image, const TCapData& record, bool whole_picture,
                  const TPictureLoader& loader, std::string* message) {
  try {
    if (message) message->clear();
    TEdges edges;
    if (!whole_picture && !RegionEdges(record.x, record.y, record.w, record.h, edges)) return false;
    TBitmap24 picture;
    if (whole_picture) {
      if (!LoadPictureFile(picture, record.path, loader, message)) return false;
    } else {
      // As LoadPictureFile: a missing file fails without a message.
      if (!FileExists(record.path)) return false;
      std::string reason;
      if (!loader.LoadRegion(record.path, edges.left, edges.top, edges.right, edges.bottom, picture,
                             reason)) {
        if (message) *message = reason;
        return false;
      }
    }
    image.Swap(picture);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool RenderRegionToAspect(TBitmap24& image, const TCapData& record, int anchor, int box_height,
                          int box_width, const TPictureLoader& loader, std::string* message) {
  try {
    if (message) message->clear();
    if (box_width <= 0 || box_height <= 0) return false;
    TBitmap24 picture;
    if (!LoadPictureFile(picture, record.path, loader, message)) return false;
    TRegion region;
    TEdges edges;
    if (!WidenRegionToAspect(picture.Width(), picture.Height(), record.x, record.y, record.w,
                             record.h, anchor, box_height, box_width, region) ||
        !RegionEdges(region.left, region.top, region.width, region.height, edges) ||
        !Crop(picture, edges))
      return false;
    image.Swap(picture);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool RenderScaledRegion(TBitmap24& image, const TCapData& record, int rectify_mode, double factor,
                        const TPictureLoader& loader, std::string* message) {
  try {
    if (message) message->clear();
    if (!(factor > 0) || !std::isfinite(factor)) return false;
    if (record.w <= 0 || record.h <= 0) return false;
    TBitmap24 picture;
    // The loader may lower the factor (area limit); the region follows the factor used.
    double used = factor;
    if (!LoadScaledPicture(picture, record.path, used, rectify_mode, loader, message)) return false;
    TEdges edges;
    if (!ScaledEdges({record.x, record.y, record.w, record.h}, used, edges) ||
        !Crop(picture, edges))
      return false;
    image.Swap(picture);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool RenderScaledRegionToAspect(TBitmap24& image, const TCapData& record, int anchor,
                                int box_height, int box_width, int rectify_mode, double factor,
                                const TPictureLoader& loader, std::string* message) {
  try {
    if (message) message->clear();
    if (!(factor > 0) || !std::isfinite(factor)) return false;
    if (box_width <= 0 || box_height <= 0 || !FileExists(record.path)) return false;
    int width = 0, height = 0;
    std::string reason;
    if (!loader.ReadSize(record.path, width, height, reason)) {
      Say(message, reason);
      return false;
    }
    TRegion region;
    if (!WidenRegionToAspect(width, height, record.x, record.y, record.w, record.h, anchor,
                             box_height, box_width, region))
      return false;
    TBitmap24 picture;
    double used = factor;
    if (!LoadScaledPicture(picture, record.path, used, rectify_mode, loader, message)) return false;
    TEdges edges;
    if (!ScaledEdges(region, used, edges) || !Crop(picture, edges)) return false;
    image.Swap(picture);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ApplyEffect(TBitmap24& bitmap, std::string_view entry, int rotation_mode, TColor rotation_back,
                 std::string* message, TEngineOwner* owner) {
  try {
    if (message) message->clear();
    const std::string parameters(EffectParameters(entry));
    switch (EffectKindOf(entry)) {
      case TEffectKind::kRotation: {
        TImageRotation rotation(owner);
        return rotation.Rotate(bitmap, parameters, rotation_back, EngineRotationMode(rotation_mode),
                               message);
      }
      case TEffectKind::kRGB: {
        TImageRGBArrange arrange(owner);
        return arrange.Arrange(bitmap, parameters, message);
      }
      case TEffectKind::kFreeFilter: {
        TImageFilterSimple filter(owner);
        if (filter.RunKernelText(bitmap, parameters)) return true;
        Say(message, filter.LastMessage());
        return false;
      }
      case TEffectKind::kText:
        break;
      case TEffectKind::kNone:
        Say(message, "unknown effect (ARo, RGB, FFi or Txt expected): " + std::string(entry));
        break;
    }
    return false;
  } catch (const std::exception&) {
    return false;
  }
}

bool ApplyCapDataEffects(TBitmap24& bitmap, const std::vector<std::string>& effects,
                         const TCapDataEffectOptions& options, bool pass_over,
                         std::string* message) {
  try {
    if (message) message->clear();
    for (const std::string& entry : effects) {
      const TEffectKind kind = EffectKindOf(entry);
      if (kind == TEffectKind::kText && options.fonts) {
        TBitmap24 result;
        int left = 0, top = 0;
        std::string reason;
        if (!DrawText(bitmap, result, std::string(EffectParameters(entry)), *options.fonts, left,
                      top, &reason)) {
          Say(message, reason);
          return false;
        }
        bitmap.Swap(result);
        continue;
      }
      if (pass_over && (kind == TEffectKind::kNone || kind == TEffectKind::kText)) continue;
      if (!ApplyEffect(bitmap, entry, options.rotation_mode, options.rotation_back, message,
                       options.owner))
        return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool RenderCapData(const TCapData& record, const TPictureLoader& loader,
                   const TCapDataEffectOptions& effects, TBitmap24& out, std::string* message) {
  try {
    TBitmap24 picture;
    if (!RenderRegion(picture, record, false, loader, message)) return false;
    if (!ApplyCapDataEffects(picture, record.effects, effects, true, message)) return false;
    out.Swap(picture);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool SaveCapData(TBitmap24& image, const TCapData& record, const std::string& destination,
                 const TCapDataSaveOptions& options, const TPictureLoader& loader,
                 std::string* saved_path, std::string* message) {
  try {
    if (message) message->clear();
    if (record.effects.size() > kCapDataMaxEffects) return false;
    const TFitFrameOptions& frame = options.frame;
    const bool to_box =
        options.fit_region_to_box && frame.target_width != 0 && frame.target_height != 0;
    const auto render = [&](TBitmap24& picture) {
      return to_box ? RenderRegionToAspect(picture, record, 5, frame.target_height,
                                           frame.target_width, loader, message)
                    : RenderRegion(picture, record, false, loader, message);
    };
    TBitmap24 picture;
    if (!render(picture) ||
        !ApplyCapDataEffects(picture, record.effects, options.effects, false, message))
      return false;
    // A metafile is drawn anew at the fitted size; its effects must then be applied again.
    TRerender rerender;
    if (IsMetafileName(record.path)) {
      rerender = [&](double factor, TBitmap24& fitted) {
        TBitmap24 scaled;
        const bool drawn =
            to_box ? RenderScaledRegionToAspect(scaled, record, 5, frame.target_height,
                                                frame.target_width, 0, factor, loader, message)
                   : RenderScaledRegion(scaled, record, 0, factor, loader, message);
        if (!drawn || !ApplyCapDataEffects(scaled, record.effects, options.effects, false, message))
          return false;
        fitted.Swap(scaled);
        return true;
      };
    }
    // The picture is a cut of its source: writing it over the source would lose the original.
    const std::string& target = destination.empty() ? record.path : destination;
    if (!FitFrameAndSaveBitmap(picture, target, false, frame, rerender, saved_path, message))
      return false;
    image.Swap(picture);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool SaveCapData(TBitmap24& image, std::string_view line, const TRecordPathCodec& codec,
                 const std::string& destination, const TCapDataSaveOptions& options,
                 const TPictureLoader& loader, std::string* saved_path, std::string* message) {
  if (message) message->clear();
  TCapData record;
  try {
    if (!ParseCapDataLine(line, codec, record)) return false;
  } catch (const std::exception&) {
    return false;
  }
  return SaveCapData(image, record, destination, options, loader, saved_path, message);
}
