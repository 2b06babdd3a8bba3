#pragma once

#include <QObject>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/PictureJobs.h"
#include "engine/BandExecutor.h"
#include "engine/CaptureBasics.h"
#include "engine/EngineOwner.h"
#include "engine/PictureLoader.h"
#include "model/ReadAhead.h"

class QTimer;
class TWorkerThread;
struct TMainParts;
struct TReadAheadJob;

// Read-ahead of the main window: once a picture is shown and its processing has ended, the
// neighbours in the active list (the file list or the cap data list) are prepared one after
// another on a worker at idle priority (the next picture of a running slide show at normal
// priority), nearest first in the direction the user last moved:
// decoded (a record: cut out with its effects, when they are all engine effects) and, with
// the every-time correction on, corrected to the display size the window has now.
//
// A prepared picture enters the viewer where loading would: the view takes the decoded picture
// instead of reading the file, and each job-list step whose result was prepared hands that
// result over instead of starting the controller, showing what the run would have shown. The
// steps themselves, their order and the end of the job list stay the viewer's own, so the
// picture, caption and messages are the same as without read-ahead. Results are used only when
// the file (size, time) and everything the steps depend on are what they were prepared with.
//
// The worker has its own busy flag: showing another picture clears it when the neighbour being
// prepared is no longer wanted, and the engines stop at their next check point.
class TReadAhead : public QObject, public TEngineOwner {
  Q_OBJECT

 public:
  explicit TReadAhead(const TMainParts& parts);
  ~TReadAhead() override;

  // The view loads path: true with the prepared picture in picture when there is one.
  // record and index: the list and entry the picture is shown from.
  bool TakePicture(const std::string& path, bool record, int index, TBitmap24& picture);
  // A record is shown in a standard mode: true with its prepared cut.
  bool TakeRecordCut(const TCapData& record, TBitmap24& cut);
  // A job-list step is about to start: true when its prepared result is now in place.
  bool RunPreparedStep(TPictureJobs::TEffect effect, const std::string& parameter, bool into_stock,
                       bool from_reference);
  // The shown picture is finished (its job list ended): neighbours are prepared from now on.
  void PictureFinished();
  // The picture the next slide tick shows is being prepared at normal priority: the tick waits
  // for it (counted as missed) rather than loading it anew, which on a busy machine takes longer
  // still, the correction then running at idle priority.
  bool NextSlideOnItsWay() const;
  // Aborts the worker and waits for it (closing).
  void Shutdown();

  // Nothing is being prepared and nothing is left to prepare.
  bool Idle() const;
  const TReadAheadStore& Store() const { return store_; }
  // Pictures taken from read-ahead and steps handed over from it, since the start.
  int PicturesTaken() const { return pictures_taken_; }
  int StepsTaken() const { return steps_taken_; }
  // The largest number of bytes held and being prepared at once since the start.
  std::size_t PeakBytes() const { return peak_bytes_; }

  // TEngineOwner, called from the worker.
  bool IsBusy() const override { return busy_.load(std::memory_order_acquire); }
  bool ReportsProgress() const override { return true; }
  void ProgressRange(int max) override;
  void Progress(int position) override;
  void Status(const std::string& text) override;
  // At idle priority the row bands stay on the worker: the shared pool's threads would do the
  // work at normal priority.
  TBandExecutor* Executor() const override {
    return own_thread_only_.load(std::memory_order_acquire) ? &own_thread_ : nullptr;
  }

 private:
  struct TItem {
    std::string id;
    bool record = false;
    std::string path;
    TCapData data;  // a record's fields
  };
  // The active list's entries to prepare, in order, around the shown one.
  std::vector<TItem> Wanted() const;
  std::string Signature() const;
  void Schedule();
  // next_slide: the picture of the next slide tick.
  void Launch(TItem item, bool next_slide);
  void Prepare(TReadAheadJob& job);
  void Finished(std::shared_ptr<TReadAheadJob> job);
  // Showing the entry at index of a list: a neighbour being prepared that is no longer wanted
  // is given up.
  void Showing(bool record, int index);
  bool Take(const std::string& id, const std::string& path, TBitmap24& picture);
  void Abort() { busy_.store(false, std::memory_order_release); }
  void Reap();

  const TMainParts& parts_;
  TPictureLoader loader_;  // a copy: the worker never reaches into the window
  TReadAheadStore store_;
  QTimer* schedule_timer_;
  QTimer* watch_timer_;
  TWorkerThread* worker_ = nullptr;
  std::shared_ptr<TReadAheadJob> job_;  // the job on the worker
  std::string working_id_;              // the neighbour on the worker
  bool next_slide_ = false;             // it is the next slide's, prepared at normal priority
  std::size_t working_bytes_ = 0;
  std::atomic<bool> busy_{false};
  std::atomic<bool> own_thread_only_{true};
  mutable TSequentialBands own_thread_{1};
  std::vector<std::string> given_up_;  // failed or too large; tried again after the next show
  std::vector<TPreparedStep> armed_;   // the prepared steps of the picture being shown
  std::string last_signature_;
  bool last_record_ = false;
  int last_index_ = -1;
  bool pending_ = false;  // neighbours may be left to prepare
  int direction_ = 1;
  int pictures_taken_ = 0;
  int steps_taken_ = 0;
  std::size_t peak_bytes_ = 0;

  // What the engines report for the step running on the worker.
  std::mutex report_mutex_;
  std::string status_;
  int progress_max_ = -1;
  int progress_ = -1;
};
