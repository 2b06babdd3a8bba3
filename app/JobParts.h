#pragma once

#include <string>
#include <vector>

#include "app/JobList.h"
#include "app/ViewerGeometry.h"
#include "engine/Bitmap24.h"

// The picture the job list works on, as the picture area offers it.
class TJobTarget {
 public:
  virtual bool HasPicture() const = 0;
  virtual TBitmap24& Working() = 0;
  virtual TBitmap24& Stock() = 0;
  virtual const TViewerGeometry& Geometry() const = 0;
  virtual TArrangement Arrangement() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual bool SetUpPicture(TViewerGeometry::TPlacing placing) = 0;
  virtual void PrepareEffectStep(bool keep_reference) = 0;
  virtual bool SetThreadPicture(TBitmap24& result, bool into_stock) = 0;
  virtual bool DrawTextEffect(const std::string& entry, bool into_stock, int* left, int* top) = 0;
  virtual void FinishProcessing() = 0;

 protected:
  ~TJobTarget() = default;
};

// The job list as the picture area sees it: the every-time steps of a picture just shown.
class TJobRunner {
 public:
  // Starts the steps; false when there are none.
  virtual bool Begin(const std::vector<std::string>& steps) = 0;
  virtual bool Running() const = 0;
  // The dialog part of the job options: which effect dialogs add their step.
  virtual TJobOptions DialogOptions() const = 0;

 protected:
  ~TJobRunner() = default;
};
