#include "effects/GridThreadWatcher.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "effects/EngineMessages.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "platform/AppUtils.h"

TGridThreadWatcherForm::TGridThreadWatcherForm(QWidget* parent)
    : TThreadWatcherBase("GridThreadWatcherForm", 85, parent) {
  connect(this, &TThreadWatcherBase::Finished, this, &TGridThreadWatcherForm::HidePanel);
}

void TGridThreadWatcherForm::HidePanel() {
  if (QWidget* panel = BoundThreadPanel()) panel->hide();
}

void TGridThreadWatcherForm::ExitButtonClick() {
  if (!Busy()) HidePanel();
}

TThreadWatcherBase::THandOver TGridThreadWatcherForm::Target(TGridHandOver target, bool refit) {
  return [target = std::move(target), refit](TBitmap24& picture) {
    return target && target(picture, refit);
  };
}

std::string TGridThreadWatcherForm::ResizeFailure(int resize_setting, int mode) {
  switch (resize_setting) {
    case 1:
      return mode == 0 ? "BiLiner Error(例外)" : "Integral Error(例外)";
    case 2:
      return "BiLinerAndIntegralDouble Error(例外)";
    default:
      return "BiLiner Error(例外)";
  }
}

bool TGridThreadWatcherForm::ResizeByMode(TImageSizeChange& engine, const TBitmap24& src,
                                          TBitmap24& dst, int resize_setting, int mode, int width,
                                          int height) {
  // A fit factor of exactly 1 leaves the picture as it is; only the odd-leftover pixel is
  // stretched in, as the cell's drawing does.
  if (mode < 0) return StretchBitmap(src, dst, width, height);
  return TImageThreadWatcherForm::ResizeBySetting(engine, src, dst, resize_setting,
                                                  mode == 0 ? 2.0f : 0.5f, height, width);
}

void TGridThreadWatcherForm::SingleZoomTarget(int picture_width, int picture_height,
                                              int display_width, int& width, int& height,
                                              int& mode) {
  width = display_width;
  const double scale = static_cast<double>(display_width) / picture_width;
  height = static_cast<int>(std::nearbyint(scale * picture_height));
  if (height < 1) height = 1;
  mode = picture_width < display_width ? 0 : (picture_width > display_width ? 1 : -1);
}

std::unique_ptr<TImageSizeChange> TGridThreadWatcherForm::MakeResizer() {
  try {
    return std::make_unique<TImageSizeChange>(this);
  } catch (...) {
    PostMessage("ImageSizeChange_Create Error(例外)");
    return nullptr;
  }
}

TThreadWatcherBase::TRunResult TGridThreadWatcherForm::RunGridZoom(const TGridZoomRequest& request,
                                                                   int resize_setting) {
  try {
    const std::unique_ptr<TImageSizeChange> engine = MakeResizer();
    if (!engine) return {};
    const TGridLayout& layout = request.layout;
    const std::size_t cells = static_cast<std::size_t>(layout.columns) * layout.rows;
    if (request.pictures.empty() || request.pictures.size() > cells) {
      PostMessage("Thread_Error(例外1)");
      return {};
    }
    if (!GridCanvasAllowed(layout)) {
      PostMessage("ピクチャーが大きすぎます。");
      return {};
    }
    std::vector<const TBitmap24*> pictures;
    for (const TBitmap24& p : request.pictures) pictures.push_back(&p);
    TGridComposeOptions options;
    options.no_grid = request.no_grid;
    options.frame_pictures = request.picture_with_grid;
    options.rounding = TGridFitRounding::kRound;
    int failed_mode = -2;
    const TGridResize resize = [&](const TBitmap24& src, TBitmap24& dst, int width, int height,
                                   int mode) {
      Status(TImageThreadWatcherForm::ScaleCaption(static_cast<float>(width) /
                                                   static_cast<float>(src.Width())));
      const bool done = ResizeByMode(*engine, src, dst, resize_setting, mode, width, height);
      if (!done) failed_mode = mode;
      return done;
    };
    const TGridComposeResult outcome =
        ComposeGrid(layout, pictures, options, result_, resize, this);
    for (int i = 0; i < outcome.failed_cells; ++i) PostMessage("ピクチャーズームに失敗しました。");
    if (outcome.ok) return {true};
    if (!Busy()) return {};  // aborted: silent
    if (failed_mode >= -1)
      PostMessage(ResizeFailure(resize_setting, failed_mode));
    else
      PostMessage("StretchDraw Error(例外1)");
    return {};
  } catch (...) {
    PostMessage("Thread Error(例外1)");
    return {};
  }
}

TThreadWatcherBase::TRunResult TGridThreadWatcherForm::RunSingleZoom(const TBitmap24& picture,
                                                                     int width, int height,
                                                                     int mode, int resize_setting) {
  try {
    const std::unique_ptr<TImageSizeChange> engine = MakeResizer();
    if (!engine) return {};
    Status(TImageThreadWatcherForm::ScaleCaption(static_cast<float>(width) /
                                                 static_cast<float>(picture.Width())));
    ProgressRange(2);
    Progress(1);
    if (!TImU::SizeIsAllowed(width, height)) {
      PostMessage("ピクチャーが大きすぎます。");
      return {};
    }
    const bool done = ResizeByMode(*engine, picture, result_, resize_setting, mode, width, height);
    if (!done) {
      if (Busy()) PostMessage(ResizeFailure(resize_setting, mode));
      return {};
    }
    Progress(2);
    return {true};
  } catch (...) {
    PostMessage("Thread Error(例外2)");
    return {};
  }
}

template <class Engine>
TThreadWatcherBase::TRunResult TGridThreadWatcherForm::RunSingle(const TBitmap24& source,
                                                                 const char* bitmap_error,
                                                                 const char* copy_error,
                                                                 const char* engine_error,
                                                                 Engine&& engine) {
  if (source.Width() <= 0) {
    PostMessage(bitmap_error);
    return {};
  }
  if (!result_.SetSize(source.Width(), source.Height())) {
    PostMessage(copy_error);
    return {};
  }
  std::memcpy(result_.Data(), source.Data(), source.ByteSize());
  TMessages messages;
  bool done = false;
  try {
    done = engine(result_, messages);
  } catch (...) {
    messages.push_back({"  確認", copy_error});
  }
  for (const TEngineMessage& m : messages) PostMessage(m.text, m.caption);
  if (!done && Busy()) PostMessage(engine_error);
  return {done};
}

bool TGridThreadWatcherForm::StartGridRectify(TGridZoomRequest request, int resize_setting,
                                              TGridHandOver target) {
  if (!Ready() || Busy() || request.pictures.empty()) return false;
  auto shared = std::make_shared<TGridZoomRequest>(std::move(request));
  return Launch<TGridZoomShrinkSingle>(
      [this, shared, resize_setting] { return RunGridZoom(*shared, resize_setting); },
      Target(std::move(target), true), "Thread Error(例外)", "ピクチャー補正に失敗しました。");
}

bool TGridThreadWatcherForm::StartGridSingleZoom(TBitmap24 picture, int display_width,
                                                 int resize_setting, TGridHandOver target) {
  if (!Ready() || Busy()) return false;
  if (picture.Empty() || display_width <= 0 || picture.Width() == display_width) {
    HidePanel();
    return false;
  }
  int width = 0, height = 0, mode = -1;
  SingleZoomTarget(picture.Width(), picture.Height(), display_width, width, height, mode);
  auto shared = std::make_shared<TBitmap24>(std::move(picture));
  return Launch<TGridZoomShrinkSingle>(
      [=, this] { return RunSingleZoom(*shared, width, height, mode, resize_setting); },
      Target(std::move(target), false), "Thread Error(例外)", "ピクチャー補正に失敗しました。");
}

bool TGridThreadWatcherForm::StartGridFilter(TBitmap24 shown, int kind,
                                             const TSimpleFilterSettings& s, TGridHandOver target) {
  if (!Ready() || Busy()) {
    ApU().ShowMessage("他のタスクが実行されています。", TApU::kCaption);
    return false;
  }
  auto shared = std::make_shared<TBitmap24>(std::move(shown));
  return Launch<TGridFilterSimpleThread>(
      [=, this] {
        return RunSingle(*shared, "GridForm_Bitmap Error", "GridFilter Error(例外1)",
                         "GridFilter Error(例外2)", [&](TBitmap24& picture, TMessages& messages) {
                           TImageFilterSimple filter(this);
                           if (kind != 0 && kind != 1)
                             messages.push_back({"  確認", "予定外の呼び出しです。"});
                           const bool done = RunSimpleFilter(filter, picture, kind, s);
                           TakeFilterMessages(filter, messages);
                           return done;
                         });
      },
      Target(std::move(target), false), "GridFilter Error(例外)", "GridFilter Error(例外3)");
}

template <class Thread, class Engine>
bool TGridThreadWatcherForm::StartSingleEffect(TBitmap24 picture, TGridHandOver target, bool refit,
                                               const TEffectNames& names, Engine engine) {
  auto shared = std::make_shared<TBitmap24>(std::move(picture));
  return Launch<Thread>(
      [=, this] {
        return RunSingle(*shared, names.bitmap_error, names.copy_error, names.engine_error, engine);
      },
      Target(std::move(target), refit), names.start_error, names.copy_error);
}

namespace {

// An engine call that reports through a message text, as rotation and RGB arrangement do.
template <class Call>
bool KeepMessage(TMessages& messages, Call call) {
  std::string message;
  const bool done = call(message);
  if (!message.empty()) messages.push_back({"  確認", message});
  return done;
}

}  // namespace

bool TGridThreadWatcherForm::StartGridRotation(TBitmap24 back_picture, TGridHandOver target,
                                               TColor back_color, int rotation_type,
                                               std::string degree_text) {
  if (rotation_type < 0 || rotation_type > 2) rotation_type = 0;
  return StartSingleEffect<TGridRotationThread>(
      std::move(back_picture), std::move(target), true,
      {"Rotation_Bitmap Error(例外2)", "Rotation Error(例外1)", "Rotation Error",
       "Rotation Error(例外)"},
      [=, this](TBitmap24& picture, TMessages& messages) {
        return KeepMessage(messages, [&](std::string& message) {
          TImageRotation rotation(this);
          return rotation.Rotate(picture, degree_text, back_color, rotation_type, &message);
        });
      });
}

bool TGridThreadWatcherForm::StartGridRGBArrange(TBitmap24 back_picture, TGridHandOver target,
                                                 std::string parameter_text) {
  return StartSingleEffect<TGridRGBArrangeThread>(
      std::move(back_picture), std::move(target), false,
      {"RGBArrange_Bitmap Error(例外2)", "RGBArrange Error(例外1)", "RGBArrange Error",
       "RGBArrange Error(例外)"},
      [=, this](TBitmap24& picture, TMessages& messages) {
        return KeepMessage(messages, [&](std::string& message) {
          TImageRGBArrange arrange(this);
          return arrange.Arrange(picture, parameter_text, &message);
        });
      });
}

bool TGridThreadWatcherForm::StartGridFreeFilter(TBitmap24 back_picture, TGridHandOver target,
                                                 std::string parameter_text) {
  return StartSingleEffect<TGridFreeFilterThread>(
      std::move(back_picture), std::move(target), false,
      {"FreeFilter_Bitmap Error(例外2)", "FreeFilter Error(例外1)", "FreeFilter Error",
       "SetThread_FreeFilter Error(例外)"},
      [=, this](TBitmap24& picture, TMessages& messages) {
        TImageFilterSimple filter(this);
        const bool done = filter.RunKernelText(picture, parameter_text);
        TakeFilterMessages(filter, messages);
        return done;
      });
}
