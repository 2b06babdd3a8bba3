#pragma once

#include <QPointer>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>
#include <string>

#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"

class QLabel;
class QProgressBar;

// A worker thread: runs one body at idle priority. The body calls one run operation of its
// controller, which holds every input and output.
class TWorkerThread : public QThread {
 public:
  explicit TWorkerThread(std::function<void()> body) : body_(std::move(body)) {}

 protected:
  void run() override { body_(); }

 private:
  std::function<void()> body_;
};

// The common shape of the worker controllers. A controller runs at most one worker at a time;
// a request while it is busy is refused, never queued.
//
// The busy flag is the only state the worker shares with the user-interface thread: the UI
// thread sets it before a worker starts and clears it to abort; engines poll it every 100 rows.
// Everything a worker hands back (progress, captions, messages, the result) reaches the UI
// thread as a queued call. A run ends on the UI thread: the result is handed over unless the
// run was aborted meanwhile, then the flag is cleared and Finished() is emitted, so whoever
// polls the flag sees it clear only after the result is in place.
//
// Closing aborts a running worker and waits for it before the working bitmaps go away.
class TThreadWatcherBase : public QWidget, public TEngineOwner {
  Q_OBJECT

 public:
  // Controllers are tool windows that are never shown, placed at the right edge of the screen.
  TThreadWatcherBase(const char* name, int top, QWidget* parent = nullptr);
  ~TThreadWatcherBase() override;

  bool Ready() const { return ready_; }
  bool Busy() const { return busy_.load(std::memory_order_acquire); }
  // Asks the running worker to stop; it ends at its next check point. Never waits.
  void AbortThread() { busy_.store(false, std::memory_order_release); }
  // Aborts and waits for the worker (closing the program).
  void Shutdown();
  // Marks the controller busy without a worker, so that no request starts while a window holds
  // it (a modal dialog that works on the same pictures); false when it is busy already.
  bool Reserve() {
    bool idle = false;
    return busy_.compare_exchange_strong(idle, true, std::memory_order_acq_rel);
  }
  void Release() { busy_.store(false, std::memory_order_release); }

  // The progress bar, caption label and panel of the window that asks for effects.
  void SetThreadPanel(QWidget* panel, QProgressBar* bar, QLabel* caption);

  // TEngineOwner, called from the worker.
  bool IsBusy() const override { return Busy(); }
  bool ReportsProgress() const override { return reports_progress_; }
  void ProgressRange(int max) override;
  void Progress(int position) override;
  void Status(const std::string& text) override;

 signals:
  // A run ended (on the UI thread), whether its result was handed over or not.
  void Finished();

 protected:
  // What a worker's body returns: the result bitmap to hand over, or nothing.
  struct TRunResult {
    bool hand_over = false;
  };
  using TBody = std::function<TRunResult()>;
  using THandOver = std::function<bool(TBitmap24& result)>;

  // Starts body on a new worker of class Thread. Refused (false) while busy or not ready; a
  // thread that cannot be created clears the flag and shows start_failed. When the body asks for
  // it, the UI thread later calls hand_over with result_ (unless the run was aborted meanwhile)
  // and shows hand_over_failed when that returns false.
  template <class Thread>
  bool Launch(TBody body, THandOver hand_over, std::string start_failed,
              std::string hand_over_failed) {
    return LaunchOn(
        [](std::function<void()> run) -> TWorkerThread* { return new Thread(std::move(run)); },
        std::move(body), std::move(hand_over), std::move(start_failed),
        std::move(hand_over_failed));
  }
  // A message for the UI thread, shown with the caption "  確認" once the worker's turn ends.
  void PostMessage(const std::string& text, const std::string& caption = "  確認");

  void SetReportsProgress(bool on) { reports_progress_ = on; }
  // A controller whose working objects could not all be created refuses every request.
  void SetReady(bool ready) { ready_ = ready; }
  QWidget* BoundThreadPanel() const { return panel_; }

  TBitmap24 source_;
  TBitmap24 result_;

 private:
  using TThreadFactory = TWorkerThread* (*)(std::function<void()>);
  bool LaunchOn(TThreadFactory make_thread, TBody body, THandOver hand_over,
                std::string start_failed, std::string hand_over_failed);
  void Finish(bool hand_over);

  bool ready_ = true;
  bool reports_progress_ = true;
  std::atomic<bool> busy_{false};
  TWorkerThread* worker_ = nullptr;
  THandOver hand_over_;
  std::string hand_over_failed_;
  QPointer<QWidget> panel_;  // the window that lent it may close first
  QProgressBar* bar_ = nullptr;
  QLabel* caption_ = nullptr;
};
