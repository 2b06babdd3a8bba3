#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "engine/CaptureRender.h"
#include "engine/ImageBasics.h"
#include "engine/PictureLoader.h"
#include "model/SaveNaming.h"

class TBandExecutor;

// The batch save of a list of pictures: each item fitted to a target size, given margin and
// edge, and written to the name the plan decided (model/SaveNaming.h). The run is shared by the
// batch save dialog and the command line.

// Where the pictures of a run come from. SaveItem writes one item and reports the name written;
// a failure only counts, the run goes on.
class TSavePictureSource {
 public:
  virtual ~TSavePictureSource() = default;
  virtual std::size_t Count() const = 0;
  // Writes item index to destination; an empty destination is the item's own source file.
  virtual bool SaveItem(std::size_t index, const std::string& destination, std::string& saved_path,
                        std::string& message) const = 0;
  // True when SaveItem may run for several items at once on different threads.
  virtual bool Concurrent() const { return true; }
  // The picture file item index comes from, or empty: items of one file are saved one after the
  // other so that the file is decoded once for all of them.
  virtual std::string SourceOf(std::size_t index) const = 0;
};

// Decoded pictures the list source keeps for records of one picture, in bytes of pixels: seven
// pictures of 12 MP.
inline constexpr std::size_t kBatchSaveCacheBytes = std::size_t{256} << 20;

// The main window's lists: picture files saved by FitFrameAndSave, cap data records rendered as
// the standard display shows them (region cut out, effects in record order; with
// fit_region_to_box the region is first widened to the target's aspect ratio) and then fitted and
// framed the same way.
class TListPictureSource final : public TSavePictureSource {
 public:
  struct TOptions {
    TFitFrameOptions frame;
    TCapDataEffectOptions effects;
    bool fit_region_to_box = false;
  };
  TListPictureSource(std::vector<TSaveItem> items, TOptions options, const TPictureLoader& loader,
                     std::size_t cache_bytes = kBatchSaveCacheBytes);

  std::size_t Count() const override { return items_.size(); }
  bool SaveItem(std::size_t index, const std::string& destination, std::string& saved_path,
                std::string& message) const override;
  std::string SourceOf(std::size_t index) const override { return items_[index].path; }
  // How many pictures were decoded so far (each source file once while it stays in the cache).
  std::size_t Decodes() const { return loader_.KeptDecodes(); }

 private:
  std::vector<TSaveItem> items_;
  TOptions options_;
  TPictureLoader loader_;  // keeps what it decodes
  TPictureLoader plain_;
  std::vector<bool> shared_;  // the item's file serves other items too
};

// Pictures a window holds already (the thumbnail table's reference pictures or the pictures
// shown in its cells), asked for item by item on the thread of the run. With an edge size above
// 0 each gets an edge of that width and colour. A destination that is given is never
// overwritten; an empty one writes over the item's source file when that is a BMP or JPEG file,
// and beside it under a free ".bmp" name otherwise.
class THeldPictureSource final : public TSavePictureSource {
 public:
  // False when no picture is held for the item.
  using TPictureOf = std::function<bool(std::size_t index, TBitmap24& picture)>;
  THeldPictureSource(std::vector<TSaveItem> items, TPictureOf picture_of, int edge_size,
                     TColor edge_color, int quality);

  std::size_t Count() const override { return items_.size(); }
  bool SaveItem(std::size_t index, const std::string& destination, std::string& saved_path,
                std::string& message) const override;
  bool Concurrent() const override { return false; }
  std::string SourceOf(std::size_t index) const override { return items_[index].path; }

 private:
  std::vector<TSaveItem> items_;
  TPictureOf picture_of_;
  int edge_size_;
  TColor edge_color_;
  int quality_;
};

// One run over a source and its plan. Run may be called from any thread; Abort, Begun and the
// counts may be read from another one meanwhile.
class TBatchSaveRun {
 public:
  TBatchSaveRun(const TSavePictureSource& source, const TSavePlan& plan);

  // Saves the items on the executor's threads (null: on the calling thread), each item of a
  // source file after the previous one of the same file. Items refused by the plan are not
  // saved. Once Abort was called no further item begins; what is left counts as not saved. The
  // pictures written are the same whatever the thread count.
  void Run(TBandExecutor* executor);
  void Abort() { running_.store(false); }
  bool Aborted() const { return !running_.load(); }

  std::size_t Count() const { return plan_.destinations.size(); }
  // Items begun so far, for the progress "i / n".
  std::size_t Begun() const { return begun_.load(); }
  std::size_t Saved() const { return saved_.load(); }
  std::size_t NotSaved() const { return Count() - Saved(); }
  // After the run: the name each item was written to (empty when not saved) and why an item
  // was not saved, when the save said.
  const std::string& SavedPath(std::size_t index) const { return saved_paths_[index]; }
  const std::string& Message(std::size_t index) const { return messages_[index]; }

 private:
  void SaveOne(std::size_t index);

  const TSavePictureSource& source_;
  const TSavePlan& plan_;
  std::vector<std::size_t> order_;
  std::atomic<bool> running_{true};
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> begun_{0};
  std::atomic<std::size_t> saved_{0};
  std::vector<std::string> saved_paths_;
  std::vector<std::string> messages_;
};
