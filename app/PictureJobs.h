#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/JobParts.h"

class QLabel;
class QProgressBar;
class QTimer;
class QWidget;
class TImageThreadWatcherForm;
struct TMainSettings;

// Runs the every-time processing of the main window's picture on its worker controller, one
// step after another: ThreadTimer (100 ms) takes the next step whenever no worker runs, and the
// end of a worker's run takes it at once. Starting an effect step is one routine shared by the
// job list, the manual commands and the effect dialogs.
class TPictureJobs : public QObject, public TJobRunner {
  Q_OBJECT

 public:
  enum class TEffect { kRectify, kLowPass, kUnsharp, kRotation, kRGB, kFreeFilter };

  // An effect dialog's step: whether its automatic-effect box is on, and how it starts (false
  // when nothing was started and the list moves on).
  struct TDialogStep {
    std::function<bool()> automatic;
    std::function<bool()> start;
  };

  TPictureJobs(TJobTarget& view, TMainSettings& settings, TImageThreadWatcherForm& controller,
               QObject* parent = nullptr);
  ~TPictureJobs() override;

  // The one place effect dialogs hook into the job list: "Rotation", "RGBArrange", "FreeFilter",
  // "Text" and "FusionArrange".
  void RegisterDialogStep(const std::string& name, TDialogStep step);
  // The dialog part of the job options: which dialogs add their step.
  TJobOptions DialogOptions() const override;

  // Starts the job list for the picture just loaded; false when there are no steps.
  bool Begin(const std::vector<std::string>& steps) override;
  bool Running() const override { return !list_.Empty(); }
  // The progress panel (caption, bar and "中止(&A)"), placed by the window; hidden at first.
  QWidget* ThreadPanel() const { return thread_panel_; }
  QProgressBar* ThreadProgressBar() const { return thread_progress_bar_; }
  QLabel* ThreadCaptionLabel() const { return thread_caption_label_; }
  // ThreadAbortButton: stops the slide show, empties the list, aborts the worker and hides the
  // progress panel; the picture stays as the last finished step left it.
  void Abort();
  // Stops ThreadTimer (closing the window).
  void Stop();

  // The shared effect-step routine. parameter: the angle text, the RGB or kernel text. False
  // when nothing was started (a worker is running).
  bool StartEffectStep(TEffect effect, const std::string& parameter = {}, bool into_stock = false);
  // A run of the RGB or free filter dialog: it starts from the reference (undo) picture and
  // leaves it as it is, so that each run replaces the last one's result instead of piling up on
  // it; the dialogs' "更新(&N)" makes the shown picture the new reference.
  bool StartFromReference(TEffect effect, const std::string& parameter);

  // Whether a slide show runs (the progress panel setting 1 and the rotation background).
  std::function<bool()> slide_show_running;
  std::function<void()> stop_slide_show;
  // A step done in advance (read-ahead): true when its result is now in place and nothing is
  // to be started. Arguments as StartStep's.
  std::function<bool(TEffect effect, const std::string& parameter, bool into_stock,
                     bool from_reference)>
      prepared_step;

  QTimer* ThreadTimer() const { return thread_timer_; }
  const TJobList& List() const { return list_; }
  void ResetToEnd() { list_.ResetToEnd(); }

 private:
  void ThreadTimerTimer();
  // Runs steps until one starts a worker or the list ends.
  void Pump();
  // True when the step started a worker.
  bool RunStep(const std::string& name);
  // A record's own effect entry ("ARo", "RGB", "FFi" or "Txt" and its parameters).
  bool RunRecordStep(const std::string& entry);
  void BuildPanel();
  void ShowProgressPanel(const std::string& caption);
  bool SlideShowRunning() const { return slide_show_running && slide_show_running(); }
  bool StartStep(TEffect effect, const std::string& parameter, bool into_stock,
                 bool from_reference);

  TJobTarget& view_;
  TMainSettings& settings_;
  TImageThreadWatcherForm& controller_;
  QTimer* thread_timer_;
  QWidget* thread_panel_ = nullptr;
  QLabel* thread_caption_label_ = nullptr;
  QProgressBar* thread_progress_bar_ = nullptr;
  TJobList list_;
  TBusyCaption busy_caption_;
  std::map<std::string, TDialogStep> dialog_steps_;  // by upper-case name
  bool pumping_ = false;
};
