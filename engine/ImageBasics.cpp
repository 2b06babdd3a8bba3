#include "engine/ImageBasics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/BmpFile.h"
#include "engine/FileAccess.h"
#include "engine/FileNames.h"
#include "engine/ImageCanvas.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "engine/JpegFile.h"

namespace {

bool IsJpegName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == ".jpg" || ext == ".jpeg";
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// Round half to even of a product that must fit an int; false when it does not.
bool RoundedSide(double value, long long& side) {
  const double r = std::nearbyint(value);
  if (!(r >= -1e15 && r <= 1e15)) return false;
  side = static_cast<long long>(r);
  return true;
}

// A canvas that holds a picture with margin or edge: within the working size limit, or (for a
// picture that is already larger) at most twice its area, never past the hard ceiling.
bool CanvasAllowed(const TBitmap24& picture, long long width, long long height) {
  if (TImU::SizeIsAllowed(width, height)) return true;
  if (width <= 0 || height <= 0 || width > (1LL << 31) - 1 || height > (1LL << 31) - 1)
    return false;
  const long long area = width * height;
  const long long picture_area = static_cast<long long>(picture.Width()) * picture.Height();
  return area <= TBitmap24::kMaxPixels && area <= 2 * picture_area;
}

}  // namespace

bool LoadPictureFile(TBitmap24& image, const std::string& path, const TPictureLoader& loader,
                     std::string* error) {
  if (error) error->clear();
  if (!FileExists(path)) return false;
  std::string reason;
  if (!loader.Load(path, image, reason)) {
    SetError(error, reason);
    return false;
  }
  return true;
}

bool LoadScaledPicture(TBitmap24& image, const std::string& path, double& factor, int rectify_mode,
                       const TPictureLoader& loader, std::string* error) {
  if (error) error->clear();
  if (!FileExists(path)) return false;
  if (rectify_mode > 0 && !IsMetafileName(path)) {
    TBitmap24 copy;
    if (!LoadPictureFile(copy, path, loader, error)) return false;
    if (!ResizeByFactor(copy, factor, rectify_mode)) return false;
    image.Swap(copy);
    return true;
  }
  // Metafiles are drawn anew at the scaled size instead of being resized as pixels.
  std::string reason;
  int width = 0, height = 0;
  if (!loader.ReadSize(path, width, height, reason)) {
    SetError(error, reason);
    return false;
  }
  long long target_width = 0, target_height = 0;
  if (!RoundedSide(width * factor, target_width) || !RoundedSide(height * factor, target_height))
    return false;
  // The fit-size check passes only for a size that is allowed as it stands.
  if (!TImU::SizeIsAllowed(target_width, target_height)) return false;
  const int w = static_cast<int>(target_width), h = static_cast<int>(target_height);
  if (!loader.Render(path, w, h, image, reason)) {
    SetError(error, reason);
    return false;
  }
  return true;
}

bool SavePictureFile(const TBitmap24& bitmap, const std::string& path, bool keep_name, int quality,
                     std::string* saved_path, std::string* error) {
  if (error) error->clear();
  std::string target = path;
  const bool jpeg = IsJpegName(path);
  if (!keep_name) {
    if (!jpeg) {
      const std::string ext = LowerExtension(path);
      target = path.substr(0, path.size() - ext.size()) + ".bmp";
    }
    target = MakeFreeFileName(target, 2);
  }
  if (target.empty() || bitmap.Empty()) return false;
  std::string bytes;
  if (jpeg) {
    std::string reason;
    if (!EncodeJpeg(bitmap, std::clamp(quality, 1, 100), bytes, reason)) {
      SetError(error, reason);
      return false;
    }
  } else if (!EncodeBmp(bitmap, bytes)) {
    SetError(error, "BMP: the picture cannot be written");
    return false;
  }
  if (!ReplaceFileBytes(target, bytes, error)) return false;
  if (saved_path) *saved_path = target;
  return true;
}

namespace {

// The resize of every rectify mode to w x h; enlarging decides the method of mode 2.
bool ResizeInMode(TBitmap24& bitmap, int w, int h, int rectify_mode, bool enlarging,
                  TEngineOwner* owner) {
  TBitmap24 result;
  bool ok = false;
  TImageSizeChange resizer(owner);
  if (rectify_mode < 1) {
    ok = StretchBitmap(bitmap, result, w, h);
  } else if (rectify_mode == 1) {
    ok = resizer.BiLiner(bitmap, result, h, w);
  } else if (rectify_mode == 2) {
    ok = enlarging ? resizer.BiLinerDouble(bitmap, result, h, w)
                   : resizer.Integral(bitmap, result, h, w);
  } else if (rectify_mode == 3) {
    ok = resizer.BiLinerAndIntegralDouble(bitmap, result, h, w);
  }
  if (!ok) return false;
  bitmap.Swap(result);
  return true;
}

}  // namespace

bool ResizeByFactor(TBitmap24& bitmap, double& factor, int rectify_mode, TEngineOwner* owner) {
  if (factor == 1.0) return true;
  if (bitmap.Width() == 0) return false;
  if (!(factor > 0) || !std::isfinite(factor)) return false;
  const double width = bitmap.Width(), height = bitmap.Height();
  long long new_width = 0, new_height = 0;
  auto compute = [&] {
    if (!RoundedSide(width * factor, new_width) || !RoundedSide(height * factor, new_height))
      new_width = new_height = TImU::MaxArea() + 1;
  };
  compute();
  if (static_cast<double>(new_width) * static_cast<double>(new_height) > TImU::MaxArea()) {
    factor = std::sqrt(static_cast<double>(TImU::MaxArea()) / width / height);
    compute();
  }
  // A wide flat picture can stay under the area limit and still pass the width limit.
  if (new_width > TImU::MaxWidth()) {
    factor = TImU::MaxWidth() / width;
    compute();
  }
  // Rounding both sides up can pass the area limit by a few pixels.
  if (!TImU::SizeIsAllowed(new_width, new_height)) {
    new_width = static_cast<long long>(width * factor);
    new_height = static_cast<long long>(height * factor);
  }
  if (!TImU::SizeIsAllowed(new_width, new_height)) return false;
  return ResizeInMode(bitmap, static_cast<int>(new_width), static_cast<int>(new_height),
                      rectify_mode, factor > 1, owner);
}

bool ResizedSide(int side, double factor, long long& out) {
  return RoundedSide(side * factor, out) && out > 0;
}

bool ResizeToSize(TBitmap24& bitmap, int width, int height, int rectify_mode, TEngineOwner* owner) {
  if (bitmap.Empty() || !TImU::SizeIsAllowed(width, height)) return false;
  if (width == bitmap.Width() && height == bitmap.Height()) return true;
  return ResizeInMode(bitmap, width, height, rectify_mode,
                      width > bitmap.Width() || height > bitmap.Height(), owner);
}

bool CropRegion(TBitmap24& bitmap, int left, int top, int right, int bottom, bool allow_outside,
                TColor fill) {
  TBitmap24 part;
  if (!CropRegion(bitmap, part, left, top, right, bottom, allow_outside, fill)) return false;
  bitmap.Swap(part);
  return true;
}

bool CropRegion(const TBitmap24& bitmap, TBitmap24& out, int left, int top, int right, int bottom,
                bool allow_outside, TColor fill) {
  const int width = bitmap.Width(), height = bitmap.Height();
  if (width == 0) return false;
  if (left > width || top > height || right < 0 || bottom < 0) return false;
  if (!allow_outside && (left < 0 || top < 0 || right > width || bottom > height)) return false;
  const int clamped_left = std::max(left, 0), clamped_top = std::max(top, 0);
  const int clamped_right = std::min(right, width), clamped_bottom = std::min(bottom, height);
  TImageCanvas canvas;
  TBitmap24 part;
  if (!canvas.CopyRegion(bitmap, clamped_left, clamped_top, clamped_right, clamped_bottom, part))
    return false;
  const bool clamped = clamped_left != left || clamped_top != top || clamped_right != right ||
                       clamped_bottom != bottom;
  if (!clamped) {
    out.Swap(part);
    return true;
  }
  const long long full_width = static_cast<long long>(right) - left;
  const long long full_height = static_cast<long long>(bottom) - top;
  if (!TImU::SizeIsAllowed(full_width, full_height)) return false;
  TBitmap24 full;
  if (!full.SetSize(static_cast<int>(full_width), static_cast<int>(full_height))) return false;
  full.Fill(fill);
  full.Draw(part, clamped_left - left, clamped_top - top);
  out.Swap(full);
  return true;
}

bool AddMargin(TBitmap24& bitmap, int margin, TColor color) {
  if (margin < 0 || bitmap.Width() == 0) return false;
  const long long width = bitmap.Width() + 2LL * margin;
  const long long height = bitmap.Height() + 2LL * margin;
  if (!CanvasAllowed(bitmap, width, height)) return false;
  TBitmap24 canvas;
  if (!canvas.SetSize(static_cast<int>(width), static_cast<int>(height))) return false;
  canvas.Fill(color);
  canvas.Draw(bitmap, static_cast<int>((width - bitmap.Width()) / 2),
              static_cast<int>((height - bitmap.Height()) / 2));
  bitmap.Swap(canvas);
  return true;
}

float FitFactorWithSide(int box_width, int box_height, int picture_width, int picture_height,
                        bool& width_decides) {
  width_decides = false;
  if (box_width <= 0 || box_height <= 0 || picture_width <= 0 || picture_height <= 0) return 0;
  if (box_width == picture_width && box_height >= picture_height) {
    width_decides = true;
    return 1;
  }
  if (box_height == picture_height && box_width >= picture_width) return 1;
  const float box_ratio = static_cast<float>(box_height) / static_cast<float>(box_width);
  const float picture_ratio =
      static_cast<float>(picture_height) / static_cast<float>(picture_width);
  if (box_ratio >= picture_ratio) {
    width_decides = true;
    return static_cast<float>(box_width) / static_cast<float>(picture_width);
  }
  return static_cast<float>(box_height) / static_cast<float>(picture_height);
}

float FitFactor(int box_width, int box_height, int picture_width, int picture_height) {
  bool width_decides = false;
  return FitFactorWithSide(box_width, box_height, picture_width, picture_height, width_decides);
}

float CoverFactor(int box_width, int box_height, int picture_width, int picture_height) {
  if (box_width <= 0 || box_height <= 0 || picture_width <= 0 || picture_height <= 0) return 0;
  if (box_width == picture_width && box_height == picture_height) return 1;
  const float box_ratio = static_cast<float>(box_height) / static_cast<float>(box_width);
  const float picture_ratio =
      static_cast<float>(picture_height) / static_cast<float>(picture_width);
  if (box_ratio > picture_ratio)
    return static_cast<float>(box_height) / static_cast<float>(picture_height);
  return static_cast<float>(box_width) / static_cast<float>(picture_width);
}

float ControlFitFactor(bool has_parent, int client_width, int client_height, int picture_width,
                       int picture_height) {
  if (!has_parent || picture_width == 0) return 0;
  return FitFactor(client_width, client_height, picture_width, picture_height);
}

bool FitFrameAndSaveBitmap(TBitmap24& image, const std::string& destination, bool keep_name,
                           const TFitFrameOptions& options, const TRerender& rerender,
                           std::string* saved_path, std::string* error) {
  if (error) error->clear();
  if (image.Empty()) return false;
  const int quality = std::clamp(options.quality, 1, 100);
  const int edge = options.edge_size;
  const bool framed = edge > 0;
  const long long g = framed ? 2LL * edge : 0;
  long long target_width = options.target_width, target_height = options.target_height;

  // Target size and factor.
  double factor = 0;
  bool factor_is_one = false;
  if (target_width <= 0 || target_height <= 0) {
    if ((target_width != 0) != (target_height != 0)) {
      if (target_width != 0)
        target_height = image.Height();
      else
        target_width = image.Width();
    } else if (target_width == 0 && target_height == 0) {
      factor = 1;
      factor_is_one = true;
      // Without a target the canvas is the picture (plus its edge): a 0 x 0 canvas would only
      // make an empty file.
      target_width = image.Width() + g;
      target_height = image.Height() + g;
    }
  }
  if (!factor_is_one) {
    const long long box_width = target_width - g, box_height = target_height - g;
    if (box_width <= 0 || box_height <= 0) return false;
    factor = FitFactor(static_cast<int>(std::min<long long>(box_width, 1LL << 30)),
                       static_cast<int>(std::min<long long>(box_height, 1LL << 30)), image.Width(),
                       image.Height());
  }

  // Fit.
  if (factor <= 0) return false;
  if (factor != 1 && (factor < 1 || options.allow_enlarge)) {
    if (rerender) {
      if (!rerender(factor, image)) return false;
    } else if (!ResizeByFactor(image, factor, options.rectify_mode)) {
      return false;
    }
  }

  // Composition.
  const int w = image.Width(), h = image.Height();
  const TBitmap24* result = &image;
  TBitmap24 canvas;
  if (options.with_margin) {
    if (!CanvasAllowed(image, target_width, target_height)) return false;
    const int cw = static_cast<int>(target_width), ch = static_cast<int>(target_height);
    if (!canvas.SetSize(cw, ch)) return false;
    const int m = (cw - w) / 2, t = (ch - h) / 2;
    if (!framed) {
      canvas.Fill(options.back_color);
    } else if (options.edge_surrounds_picture) {
      canvas.Fill(options.back_color);
      const bool span_x = m - edge < 0, span_y = t - edge < 0;
      canvas.FillRect(span_x ? 0 : m - edge, span_y ? 0 : t - edge, span_x ? cw : m + w + edge,
                      span_y ? ch : t + h + edge, options.edge_color);
    } else {
      canvas.Fill(options.edge_color);
      canvas.FillRect(edge, edge, cw - edge, ch - edge, options.back_color);
    }
    canvas.Draw(image, m, t);
    result = &canvas;
  } else if (framed) {
    if (!CanvasAllowed(image, w + g, h + g)) return false;
    if (!canvas.SetSize(static_cast<int>(w + g), static_cast<int>(h + g))) return false;
    canvas.Fill(options.edge_color);
    canvas.Draw(image, edge, edge);
    result = &canvas;
  }
  return SavePictureFile(*result, destination, keep_name, quality, saved_path, error);
}

bool FitFrameAndSave(TBitmap24& image, const std::string& source, const std::string& destination,
                     const TFitFrameOptions& options, const TPictureLoader& loader,
                     std::string* error, std::string* saved_path) {
  if (error) error->clear();
  bool keep_name = destination.empty();
  const std::string target = keep_name ? source : destination;
  // Writing over an icon or metafile would put BMP data under its name and lose the original:
  // such a picture is saved beside it under a free ".bmp" name instead.
  if (keep_name && !IsJpegName(source) && LowerExtension(source) != ".bmp") keep_name = false;
  if (!LoadPictureFile(image, source, loader, error)) return false;
  TRerender rerender;
  if (IsMetafileName(source)) {
    rerender = [&](double factor, TBitmap24& picture) {
      return LoadScaledPicture(picture, source, factor, 0, loader, error);
    };
  }
  return FitFrameAndSaveBitmap(image, target, keep_name, options, rerender, saved_path, error);
}
