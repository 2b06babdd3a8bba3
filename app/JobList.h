#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

// The every-time processing of the main window: the steps run on each picture shown from the
// file list, in their fixed order, ended by "Initial".
struct TJobOptions {
  // Open effect dialogs with their automatic-effect box on.
  bool fusion = false;
  bool text = false;
  bool rotation = false;
  bool free_filter = false;
  bool rgb = false;
  bool normal_arrangement = true;  // NormalWH checked: no "AnalizeDirection"
  bool every_time = false;         // EveryTimeRectify
  int every_option = 0;            // EveryRectifyType, the tag of the checked option
};

// The arrangement control of the window.
enum class TArrangement { kNormal, kWidthLargeA, kWidthLargeB, kHeightLargeA, kHeightLargeB };

// The steps for options, without the end mark.
std::vector<std::string> EveryTimeSteps(const TJobOptions& options);

// The quarter turn "AnalizeDirection" asks for: -90, 90 or 0 (square pictures, or a picture that
// already lies as the control wants it).
int DirectionTurn(TArrangement arrangement, int width, int height);

// The queue of step names, taken one at a time by the job timer.
class TJobList {
 public:
  static constexpr const char* kEnd = "Initial";

  // A record's own effect entry as a step: "/" and the entry, which no step name starts with.
  static std::string RecordStep(const std::string& entry) { return "/" + entry; }

  // Fills the queue with the steps and the end mark; an empty step list leaves it empty.
  void Build(const std::vector<std::string>& steps);
  void Clear() { steps_.clear(); }
  // Only the end mark, as a manual correction in real-size mode asks.
  void ResetToEnd();
  bool Empty() const { return steps_.empty(); }
  std::size_t Size() const { return steps_.size(); }
  // The first step in upper case ("" when empty), and as it was written.
  std::string Front() const;
  std::string FrontRaw() const { return steps_.empty() ? std::string() : steps_.front(); }
  void PopFront();
  // "FastUnSharp" at the front becomes "UnSharpMasking" then "Rectify" when the display is
  // larger than the picture, "Rectify" then "UnSharpMasking" otherwise.
  void ExpandFastUnSharp(bool display_larger);
  const std::deque<std::string>& Steps() const { return steps_; }

 private:
  std::deque<std::string> steps_;
};

// The caption that replaces the window's while the job list runs without a visible progress
// panel: every fifth tick a row of 1 to 10 asterisks; the tick count wraps at 50.
class TBusyCaption {
 public:
  // Counts one tick; true when the caption is to change, with the text in text.
  bool Tick(std::string& text);
  void Reset() { ticks_ = 0; }

 private:
  int ticks_ = 0;
};
