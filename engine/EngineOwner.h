#pragma once

#include <string>

// What a long-running engine routine sees of the one who asked for it. The worker controllers
// implement it over their atomic busy flag and progress bar; a null owner (the main window, the
// batch tools, the command line) never cancels and shows no progress.
class TEngineOwner {
 public:
  virtual ~TEngineOwner() = default;
  // False once the controller's busy flag was cleared: the routine stops with failure.
  virtual bool IsBusy() const = 0;
  // Only the main picture controller drives its progress bar; the others keep it still.
  virtual bool ReportsProgress() const { return false; }
  virtual void ProgressRange(int /*max*/) {}
  virtual void Progress(int /*position*/) {}
  virtual void Status(const std::string& /*text*/) {}
};

// Checkpoint helpers: engines look at the owner only at every 100th row and pixel.
inline bool OwnerCancelled(const TEngineOwner* owner) { return owner && !owner->IsBusy(); }

inline void OwnerStart(TEngineOwner* owner, int rows) {
  if (owner && owner->ReportsProgress()) {
    owner->ProgressRange(rows - 1);
    owner->Progress(0);
  }
}

// Called before each row; returns false when the routine must stop.
inline bool OwnerRowCheckpoint(TEngineOwner* owner, int row) {
  if (!owner || row % 100 != 0) return true;
  if (!owner->IsBusy()) return false;
  if (owner->ReportsProgress()) owner->Progress(row);
  return true;
}
