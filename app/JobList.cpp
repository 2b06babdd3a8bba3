#include "app/JobList.h"

#include <algorithm>
#include <cctype>

std::vector<std::string> EveryTimeSteps(const TJobOptions& options) {
  std::vector<std::string> steps;
  if (options.fusion) steps.push_back("FusionArrange");
  if (options.text) steps.push_back("Text");
  if (!options.normal_arrangement) steps.push_back("AnalizeDirection");
  if (options.rotation) steps.push_back("Rotation");
  if (options.every_time) {
    switch (options.every_option) {
      case 1:
        steps.insert(steps.end(), {"LowPassFilter", "SetPosition"});
        break;
      case 2:
        steps.insert(steps.end(), {"UnSharpMasking", "SetPosition"});
        break;
      case 3:
        steps.insert(steps.end(), {"UnSharpMasking", "SetPosition", "Rectify"});
        break;
      case 4:
        steps.insert(steps.end(), {"SetPosition", "Rectify", "UnSharpMasking"});
        break;
      case 5:
        steps.insert(steps.end(), {"SetPosition", "FastUnSharp"});
        break;
      default:
        steps.insert(steps.end(), {"SetPosition", "Rectify"});
        break;
    }
  }
  if (options.free_filter) steps.push_back("FreeFilter");
  if (options.rgb) steps.push_back("RGBArrange");
  return steps;
}

int DirectionTurn(TArrangement arrangement, int width, int height) {
  if (width > height) {
    if (arrangement == TArrangement::kHeightLargeA) return -90;
    if (arrangement == TArrangement::kHeightLargeB) return 90;
  } else if (height > width) {
    if (arrangement == TArrangement::kWidthLargeA) return -90;
    if (arrangement == TArrangement::kWidthLargeB) return 90;
  }
  return 0;
}

void TJobList::Build(const std::vector<std::string>& steps) {
  steps_.assign(steps.begin(), steps.end());
  if (!steps_.empty()) steps_.push_back(kEnd);
}

void TJobList::ResetToEnd() { steps_.assign(1, kEnd); }

std::string TJobList::Front() const {
  if (steps_.empty()) return {};
  std::string name = steps_.front();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name;
}

void TJobList::PopFront() {
  if (!steps_.empty()) steps_.pop_front();
}

void TJobList::ExpandFastUnSharp(bool display_larger) {
  if (Front() != "FASTUNSHARP") return;
  steps_.pop_front();
  if (display_larger) {
    steps_.push_front("Rectify");
    steps_.push_front("UnSharpMasking");
  } else {
    steps_.push_front("UnSharpMasking");
    steps_.push_front("Rectify");
  }
}

bool TBusyCaption::Tick(std::string& text) {
  ticks_ = ticks_ % 50 + 1;
  if (ticks_ % 5 != 0) return false;
  text.assign(static_cast<std::size_t>(ticks_ / 5), '*');
  return true;
}
