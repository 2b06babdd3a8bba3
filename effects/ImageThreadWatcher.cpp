#include "effects/ImageThreadWatcher.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "effects/EngineMessages.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"

bool RunSimpleFilter(TImageFilterSimple& filter, TBitmap24& picture, int kind,
                     const TSimpleFilterSettings& s) {
  if (kind == 0)
    return filter.LowPass(picture, s.size, s.manual_centre, s.centre_percent, s.show_kernel, s.grid,
                          s.all_ones);
  if (kind == 1)
    return filter.UnsharpMask(picture, s.strength, s.size, s.manual_centre, s.centre_percent,
                              s.show_kernel, s.grid, s.all_ones);
  return false;
}

TImageThreadWatcherForm::TImageThreadWatcherForm(QWidget* parent)
    : TThreadWatcherBase("ImageThreadWatcherForm", 25, parent) {}

void TImageThreadWatcherForm::LimitTarget(int& target_width, int& target_height) {
  if (target_width <= 0 || target_height <= 0) return;
  const long long limit = TImU::MaxArea();
  if (static_cast<long long>(target_width) * target_height <= limit) return;
  const float ratio = static_cast<float>(target_height) / static_cast<float>(target_width);
  const float width = std::sqrt(static_cast<float>(limit) / ratio);
  target_width = static_cast<int>(std::nearbyint(width));
  target_height = static_cast<int>(std::nearbyint(ratio * width));
}

std::string TImageThreadWatcherForm::ScaleCaption(float scale) {
  char buffer[48];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, scale, std::chars_format::fixed, 2).ptr;
  return "×" + std::string(buffer, end);
}

bool TImageThreadWatcherForm::ResizeBySetting(TImageSizeChange& engine, const TBitmap24& src,
                                              TBitmap24& dst, int resize_setting, float scale,
                                              int target_height, int target_width) {
  switch (resize_setting) {
    case 1:
      return scale > 1 ? engine.BiLinerDouble(src, dst, target_height, target_width)
                       : engine.Integral(src, dst, target_height, target_width);
    case 2:
      return engine.BiLinerAndIntegralDouble(src, dst, target_height, target_width);
    default:
      return engine.BiLiner(src, dst, target_height, target_width);
  }
}

TThreadWatcherBase::TRunResult TImageThreadWatcherForm::RunRectify(const TBitmap24* source,
                                                                   int resize_setting,
                                                                   int target_height,
                                                                   int target_width) {
  if (!source || source->Width() <= 0) {
    PostMessage("ピクチャーサイズが不正です(ImageZoomShrink)。");
    return {};
  }
  LimitTarget(target_width, target_height);
  const int width = source->Width(), height = source->Height();
  const float scale = static_cast<float>(target_width) / static_cast<float>(width);
  Status(ScaleCaption(scale));
  if ((target_width == width && target_height >= height) ||
      (target_height == height && target_width >= width))
    return {};
  TImageSizeChange engine(this);
  const bool done =
      ResizeBySetting(engine, *source, result_, resize_setting, scale, target_height, target_width);
  return {done};
}

template <class Engine>
TThreadWatcherBase::TRunResult TImageThreadWatcherForm::RunSingle(const TBitmap24* source,
                                                                  const char* bitmap_error,
                                                                  const char* copy_error,
                                                                  const char* engine_error,
                                                                  Engine&& engine) {
  if (!source || source->Width() <= 0) {
    PostMessage(bitmap_error);
    return {};
  }
  if (!result_.SetSize(source->Width(), source->Height())) {
    PostMessage(copy_error);
    return {};
  }
  std::memcpy(result_.Data(), source->Data(), source->ByteSize());
  TMessages messages;
  const bool done = engine(result_, messages);
  for (const TEngineMessage& m : messages) PostMessage(m.text, m.caption);
  // An abort ends silently; only a failure of the engine itself is reported.
  if (!done && Busy()) PostMessage(engine_error);
  return {done};
}

bool TImageThreadWatcherForm::StartRectify(const TBitmap24* source, THandOver target,
                                           int resize_setting, int target_height,
                                           int target_width) {
  return Launch<TImageRectifyThread>(
      [=, this] { return RunRectify(source, resize_setting, target_height, target_width); },
      std::move(target), "BiLiner Error(例外)", "Rectify Error(例外1)");
}

bool TImageThreadWatcherForm::StartFilter(const TBitmap24* source, THandOver target, int kind,
                                          const TSimpleFilterSettings& s) {
  return Launch<TImageFilterSimpleThread>(
      [=, this] {
        return RunSingle(source, "Filter_Bitmap Error(例外2)", "Filter_Bitmap Error(例外1)",
                         "Filter Error", [&](TBitmap24& picture, TMessages& messages) {
                           TImageFilterSimple filter(this);
                           if (kind != 0 && kind != 1)
                             messages.push_back({"  確認", "Filter_Error 予定外の呼び出しです。"});
                           const bool done = RunSimpleFilter(filter, picture, kind, s);
                           TakeFilterMessages(filter, messages);
                           return done;
                         });
      },
      std::move(target), "ImageFilter Error(例外)", "Filter Error(例外1)");
}

bool TImageThreadWatcherForm::StartRotation(const TBitmap24* source, THandOver target, TColor back,
                                            int rotation_type, std::string degree_text) {
  if (rotation_type < 0 || rotation_type > 2) rotation_type = 0;
  return Launch<TImageRotationThread>(
      [=, this] {
        return RunSingle(source, "Rotation_Bitmap Error(例外2)", "Rotation Error(例外1)",
                         "Rotation Error", [&](TBitmap24& picture, TMessages& messages) {
                           TImageRotation rotation(this);
                           std::string message;
                           const bool done =
                               rotation.Rotate(picture, degree_text, back, rotation_type, &message);
                           if (!message.empty()) messages.push_back({"  確認", message});
                           return done;
                         });
      },
      std::move(target), "Rotation Error(例外)", "Rotation Error(例外1)");
}

bool TImageThreadWatcherForm::StartRGBArrange(const TBitmap24* source, THandOver target,
                                              std::string parameter_text) {
  return Launch<TImageRGBArrangeThread>(
      [=, this] {
        return RunSingle(source, "RGBArrange_Bitmap Error(例外2)", "RGBArrange Error(例外1)",
                         "RGBArrange Error", [&](TBitmap24& picture, TMessages& messages) {
                           TImageRGBArrange arrange(this);
                           std::string message;
                           const bool done = arrange.Arrange(picture, parameter_text, &message);
                           if (!message.empty()) messages.push_back({"  確認", message});
                           return done;
                         });
      },
      std::move(target), "RGBArrange Error(例外)", "RGBArrange Error(例外1)");
}

bool TImageThreadWatcherForm::StartFreeFilter(const TBitmap24* source, THandOver target,
                                              std::string parameter_text) {
  return Launch<TImageFreeFilterThread>(
      [=, this] {
        return RunSingle(source, "FreeFilter_Bitmap Error(例外2)", "FreeFilter Error(例外1)",
                         "FreeFilter Error", [&](TBitmap24& picture, TMessages& messages) {
                           TImageFilterSimple filter(this);
                           const bool done = filter.RunKernelText(picture, parameter_text);
                           TakeFilterMessages(filter, messages);
                           return done;
                         });
      },
      std::move(target), "SetThread_FreeFilter Error(例外)", "FreeFilter Error(例外1)");
}
