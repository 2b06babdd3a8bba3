#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "effects/ImageThreadWatcher.h"
#include "effects/ThreadWatcher.h"
#include "engine/GridCompose.h"

// The worker threads of the picture grid's controller.
class TGridZoomShrinkSingle : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TGridFilterSimpleThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TGridRotationThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TGridRGBArrangeThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};
class TGridFreeFilterThread : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};

// One composed-grid run, copied from the grid window on the user-interface thread: the worker
// reads nothing else.
struct TGridZoomRequest {
  TGridLayout layout;
  // One per grid cell in row-major order; an empty bitmap leaves the cell empty.
  std::vector<TBitmap24> pictures;
  bool no_grid = false;            // NoGrid1
  bool picture_with_grid = false;  // PictureWithGrid1
  bool from_thumbnails = false;    // GetThumbNailPictureCheckBox: the caption stays the grid's
};

// Where a finished picture goes, on the user-interface thread. refit asks the grid to fit the
// picture into its scroll box anew (after a composed grid and a rotation). False reports failure.
using TGridHandOver = std::function<bool(TBitmap24& picture, bool refit)>;

// The controller of the picture grid: the composed grid and the single picture resized on a
// worker, the simple filters, rotation, RGB and free filter on the grid's picture. Every run ends
// by hiding the bound thread panel. Nothing is handed over after an abort.
class TGridThreadWatcherForm : public TThreadWatcherBase {
  Q_OBJECT

 public:
  explicit TGridThreadWatcherForm(QWidget* parent = nullptr);

  // Composes request.pictures into one grid picture, each fitted into its cell and resized by
  // resize_setting (the table's RectifyType). Cells whose picture cannot be fitted report
  // "ピクチャーズームに失敗しました。" and stay empty. False when refused (busy, not ready or
  // nothing to compose).
  bool StartGridRectify(TGridZoomRequest request, int resize_setting, TGridHandOver target);
  // Resizes the grid's single picture to the width of its display control (proportional height).
  // The same width starts nothing: the panel is hidden and false returned.
  bool StartGridSingleZoom(TBitmap24 picture, int display_width, int resize_setting,
                           TGridHandOver target);
  // kind 0 low-pass, 1 unsharp masking, on a copy of the shown picture; the result goes back
  // into it. A request while busy or not ready says "他のタスクが実行されています。".
  bool StartGridFilter(TBitmap24 shown, int kind, const TSimpleFilterSettings& kernel,
                       TGridHandOver target);
  // On the grid's back picture; rotation_type 0 "回転1", 1 "回転2", 2 "穴空き回転" (others 0).
  bool StartGridRotation(TBitmap24 back_picture, TGridHandOver target, TColor back_color,
                         int rotation_type, std::string degree_text);
  bool StartGridRGBArrange(TBitmap24 back_picture, TGridHandOver target,
                           std::string parameter_text);
  bool StartGridFreeFilter(TBitmap24 back_picture, TGridHandOver target,
                           std::string parameter_text);

  // The grid's abort button.
  void abortButtonClick() { AbortThread(); }
  // Hides the bound thread panel when idle.
  void ExitButtonClick();

  // The message of a failed resize, by the resize setting and the direction of the cell.
  static std::string ResizeFailure(int resize_setting, int mode);
  // Resizes by the resize setting with the cell's mode (0 enlarge, 1 reduce) deciding setting 1.
  static bool ResizeByMode(TImageSizeChange& engine, const TBitmap24& src, TBitmap24& dst,
                           int resize_setting, int mode, int width, int height);
  // The single picture's target: display_width wide, the height in proportion (rounded).
  static void SingleZoomTarget(int picture_width, int picture_height, int display_width, int& width,
                               int& height, int& mode);

 private:
  // The resize engine of one run; null (after the message) when it cannot be made.
  std::unique_ptr<TImageSizeChange> MakeResizer();
  TRunResult RunGridZoom(const TGridZoomRequest& request, int resize_setting);
  TRunResult RunSingleZoom(const TBitmap24& picture, int width, int height, int mode,
                           int resize_setting);
  template <class Engine>
  TRunResult RunSingle(const TBitmap24& source, const char* bitmap_error, const char* copy_error,
                       const char* engine_error, Engine&& engine);
  THandOver Target(TGridHandOver target, bool refit);
  // The messages of one single-picture effect: the source missing, the copy or hand-over failing,
  // the engine failing, the thread not starting.
  struct TEffectNames {
    const char* bitmap_error;
    const char* copy_error;
    const char* engine_error;
    const char* start_error;
  };
  template <class Thread, class Engine>
  bool StartSingleEffect(TBitmap24 picture, TGridHandOver target, bool refit,
                         const TEffectNames& names, Engine engine);
  void HidePanel();
};
