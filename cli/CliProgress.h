#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "engine/EngineOwner.h"

// The one-line progress count on stderr. It is shown only when stderr is a terminal and --quiet
// was not given, so that scripts and logs never see it, and it is cleared before the command's
// own output and messages go on.
class TCliProgress : public TEngineOwner {
 public:
  // Starts a command's line: label leads it; nothing shows before delay has passed, so that
  // quick work stays silent.
  void Begin(const std::string& label, std::chrono::milliseconds delay, bool wanted);
  // Clears the line if it was shown, and shows no more.
  void End();
  // Clears the line if it was shown, before other text goes to the terminal; the next count
  // draws it again.
  void Clear();
  // "LABEL: done/total".
  void Count(long long done, long long total);
  // "LABEL: text", the step now running (reading, writing); engine rows add a percentage.
  void Step(const std::string& text);

  bool IsBusy() const override { return true; }
  bool ReportsProgress() const override { return wanted_; }
  void ProgressRange(int max) override;
  void Progress(int position) override;

 private:
  void Show(const std::string& text, bool at_once);

  std::mutex mutex_;
  bool wanted_ = false;
  bool shown_ = false;
  std::string label_, step_;
  int range_ = 0;
  std::chrono::steady_clock::time_point start_, last_;
  std::chrono::milliseconds delay_{0};
};

// The program's progress line; main begins it for the command it runs.
TCliProgress& CliProgress();
