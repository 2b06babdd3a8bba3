#pragma once

#include <string>

#include "effects/ThreadWatcher.h"

class TImageFilterSimple;
class TImageSizeChange;

// The worker threads of the main window's controller.
class TImageRectifyThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TImageFilterSimpleThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TImageRotationThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TImageRGBArrangeThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TImageFreeFilterThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};

// The kernel settings the simple filters take from the main window.
struct TSimpleFilterSettings {
  int size = 3;  // KernelBound
  int centre_percent = 50;
  int strength = 100;
  bool manual_centre = false;  // KernelCenterPercentManual
  bool all_ones = true;        // KernelOption
  bool grid = false;           // KernelValueGrid
  bool show_kernel = false;    // KernelShow
};

// Low pass (kind 0) or unsharp masking (kind 1) of picture with the settings s; false for any
// other kind.
bool RunSimpleFilter(TImageFilterSimple& filter, TBitmap24& picture, int kind,
                     const TSimpleFilterSettings& s);

// The controller of the main window's picture: resize correction, simple filters, rotation, RGB
// and free filter on one worker at a time. The source must stay unchanged until the run ends
// (the window refuses its picture commands while the controller is busy); the result reaches
// the window through hand_over on the UI thread.
class TImageThreadWatcherForm : public TThreadWatcherBase {
  Q_OBJECT

 public:
  explicit TImageThreadWatcherForm(QWidget* parent = nullptr);

  // Each start returns at once; false when busy or not ready (nothing started).
  bool StartRectify(const TBitmap24* source, THandOver target, int resize_setting,
                    int target_height, int target_width);
  // kind 0 low-pass, 1 unsharp masking.
  bool StartFilter(const TBitmap24* source, THandOver target, int kind,
                   const TSimpleFilterSettings& settings);
  bool StartRotation(const TBitmap24* source, THandOver target, TColor back, int rotation_type,
                     std::string degree_text);
  bool StartRGBArrange(const TBitmap24* source, THandOver target, std::string parameter_text);
  bool StartFreeFilter(const TBitmap24* source, THandOver target, std::string parameter_text);

  using TThreadWatcherBase::THandOver;

  // The resize target within the area limit: a larger target keeps its ratio and is brought to
  // about the limit's area (widths and heights rounded half to even).
  static void LimitTarget(int& target_width, int& target_height);
  // "×" and the scale with two decimals: "×0.50".
  static std::string ScaleCaption(float scale);
  // Resize correction of src into dst by the resize setting (0 "補正1", 1 "補正2", 2 "補正3"):
  // 1 takes double-precision bilinear when enlarging (scale > 1) and the area average otherwise,
  // 2 the bilinear-and-integral mode, anything else single-precision bilinear.
  static bool ResizeBySetting(TImageSizeChange& engine, const TBitmap24& src, TBitmap24& dst,
                              int resize_setting, float scale, int target_height, int target_width);

 private:
  TRunResult RunRectify(const TBitmap24* source, int resize_setting, int target_height,
                        int target_width);
  // The single-effect bodies share their frame: checks, copy, engine, messages.
  template <class Engine>
  TRunResult RunSingle(const TBitmap24* source, const char* bitmap_error, const char* copy_error,
                       const char* engine_error, Engine&& engine);
};
