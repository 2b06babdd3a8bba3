#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "effects/ImageThreadWatcher.h"
#include "effects/ThreadWatcher.h"

class TImageSizeChange;
class TImageFilterSimple;
class TImageRotation;
class TImageRGBArrange;
struct TPictureTableSettings;

// The worker of the thumbnail table's controller: the effect chains of every cell of a page.
class TImageZoomShrinkSingle : public TWorkerThread {
  using TWorkerThread::TWorkerThread;
};

// One cell of the page as the worker sees it. The worker never reads the table's widgets or its
// thumbnail store: the table copies what a cell starts from into the request.
struct TThumbNailCell {
  // The picture the chain starts from: the picture the cell shows when thumbnails are off,
  // otherwise the held thumbnail of item `tag`.
  TBitmap24 picture;
  // The size of the cell's image; a width of 0 means the cell shows nothing and is skipped.
  // "Rectify" resizes to it.
  int width = 0;
  int height = 0;
  // Index of the cell's item in the table's thumbnail store, -1 for none.
  int tag = -1;
};

// Step slots of one cell: step names ("Rectify", "LowPassFilter", "UnSharpMasking", "Rotation",
// "RGBArrange", "FreeFilter", "CapData", "ReNew", any case), each of "Rotation", "RGBArrange" and
// "FreeFilter" followed by a slot with its parameter text. An empty name slot ends the list.
using TThumbNailSteps = std::vector<std::string>;

// A run over one page, built by the table on the user-interface thread and owned by the
// controller from the start until the worker ends.
struct TThumbNailRequest {
  std::vector<TThumbNailCell> cells;
  // One list per cell; the lengths must agree.
  std::vector<TThumbNailSteps> steps;
  // The length of the table's thumbnail store: a cell whose tag lies outside it is skipped.
  int thumb_count = 0;
  // NotGetThumbNail1: "CapData" stores nothing.
  bool not_get_thumbnail = false;
  // The table's kernel settings for "LowPassFilter" and "UnSharpMasking".
  TSimpleFilterSettings kernel;
};

// The kernel settings of the table's section.
TSimpleFilterSettings TableKernelSettings(const TPictureTableSettings& settings);

// What the controller needs of the table. Every call arrives on the user-interface thread.
class TThumbNailOwner {
 public:
  virtual ~TThumbNailOwner() = default;
  // A processed picture for cell (0-based). renew_index is the item whose thumbnail the picture
  // replaces ("ReNew"), -1 for none; refit is set after a rotation (the cell is fitted anew).
  virtual void Set_ThreadPicture(const TBitmap24& picture, int cell, int renew_index,
                                 bool refit) = 0;
  // The picture as it was at a "CapData" step: it becomes the held thumbnail of item tag.
  virtual void Set_CapDataPicture(const TBitmap24& picture, int tag) = 0;
  // An abort: the table's slide show (plain or flashing) stops if it runs.
  virtual void StopThumbNailSlideShow() = 0;
};

// The controller of the thumbnail table. Unlike the other controllers it creates its four
// engines once and reuses them for every request. One worker walks the cells of a request in
// order: each cell's picture goes through its steps; a step that fails restores the picture from
// before that step and ends the cell's walk (unreported). A cell in which an effect ran is handed
// to the owner with Set_ThreadPicture, as a queued call, while the worker goes on with the next
// cell. An abort stops before the next cell; cells already handed over keep their pictures.
// When the run ends the bound thread panel is hidden and the busy flag cleared.
class TThumbNailThreadWatcherForm : public TThreadWatcherBase {
  Q_OBJECT

 public:
  explicit TThumbNailThreadWatcherForm(QWidget* parent = nullptr);
  ~TThumbNailThreadWatcherForm() override;

  // The table that asks (null when none). Deliveries still on their way when the owner is
  // released are dropped, so a table may go away once it has released itself.
  void SetOwner(TThumbNailOwner* owner) { owner_ = owner; }
  // Aborts the run of owner, if any, and forgets owner.
  void ReleaseOwner(TThumbNailOwner* owner);

  // Starts the run of request. Refused (false) when busy or not ready. When the cell and step
  // list counts differ or are 0, shows the two counts ("12, 9", cells first) and aborts.
  // resize_setting is the table's RectifyType; rotation_type 0 "回転1", 1 "回転2",
  // 2 "穴空き回転" (any other value counts as 0); back fills what a rotation uncovers.
  bool StartThumbNailEffects(TThumbNailRequest request, int resize_setting, int rotation_type,
                             TColor back);
  // Stops the owner's slide show, clears the busy flag and hides the bound thread panel.
  void AbortThumbNailEffects();

  // The caption shown while a rotation step runs: "回転 30度".
  static std::string RotationCaption(const std::string& degree_text);

 private:
  struct TCellOutcome;
  TRunResult Run(const TThumbNailRequest& request, int resize_setting, int rotation_type,
                 TColor back);
  // Runs one cell's steps on result_; true when an effect step ran.
  void RunCell(const TThumbNailRequest& request, std::size_t cell, int resize_setting,
               int rotation_type, TColor back, TCellOutcome& outcome);
  bool Rectify(int width, int height, int resize_setting);
  // Posts each distinct engine message once per run.
  void PostOnce(const std::string& text, const std::string& caption = "  確認");
  void Deliver(TBitmap24 picture, int cell, int renew_index, bool refit);
  void DeliverCapData(TBitmap24 picture, int tag);

  std::unique_ptr<TImageSizeChange> size_change_;
  std::unique_ptr<TImageFilterSimple> filter_;
  std::unique_ptr<TImageRotation> rotation_;
  std::unique_ptr<TImageRGBArrange> rgb_;
  TThumbNailOwner* owner_ = nullptr;
  std::set<std::string> posted_;  // worker only, reset at each run
};
