#pragma once

#include <string>

class TBandExecutor;

// The operation a routine reports for: owners differ in which operations drive their progress
// bar (the picture controller shows every one; a grid shows rotations but not resizes).
enum class TEngineOperation {
  kOther = 0,
  kResize,
  kRotation,
  kFilter,
  kRGBArrange,
  kFusion,
  kText
};

// What a long-running engine routine sees of the one who asked for it. The worker controllers
// implement it over their atomic busy flag and progress bar; a null owner (the main window, the
// batch tools, the command line) never cancels and shows no progress.
//
// With an executor the routine works in row bands on the executor's threads: IsBusy() is then
// called from any of them at once (an atomic flag suits), while the progress calls are made one
// at a time, though not from the thread that called the routine.
class TEngineOwner {
 public:
  virtual ~TEngineOwner() = default;
  // False once the controller's busy flag was cleared: the routine stops with failure.
  virtual bool IsBusy() const = 0;
  // Only the main picture controller drives its progress bar; the others keep it still.
  virtual bool ReportsProgress() const { return false; }
  // Per operation; by default the same for all of them.
  virtual bool ReportsProgressFor(TEngineOperation /*op*/) const { return ReportsProgress(); }
  virtual void ProgressRange(int /*max*/) {}
  virtual void Progress(int /*position*/) {}
  virtual void Status(const std::string& /*text*/) {}
  // The threads the owner lends for row bands; null runs every band on the calling thread.
  virtual TBandExecutor* Executor() const { return nullptr; }
};

// Checkpoint helpers: engines look at the owner only at every 100th row and pixel.
inline bool OwnerCancelled(const TEngineOwner* owner) { return owner && !owner->IsBusy(); }

inline void OwnerStart(TEngineOwner* owner, int rows,
                       TEngineOperation op = TEngineOperation::kOther) {
  if (owner && owner->ReportsProgressFor(op)) {
    owner->ProgressRange(rows - 1);
    owner->Progress(0);
  }
}

// Called before each row; returns false when the routine must stop.
inline bool OwnerRowCheckpoint(TEngineOwner* owner, int row,
                               TEngineOperation op = TEngineOperation::kOther) {
  if (!owner || row % 100 != 0) return true;
  if (!owner->IsBusy()) return false;
  if (owner->ReportsProgressFor(op)) owner->Progress(row);
  return true;
}
