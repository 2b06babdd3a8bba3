#pragma once

#include <string>
#include <vector>

#include "engine/ImageFilterSimple.h"

// The messages an engine left during a worker's run, shown on the user-interface thread once
// the run has ended.
struct TEngineMessage {
  std::string caption;
  std::string text;
};
using TMessages = std::vector<TEngineMessage>;

inline void TakeFilterMessages(TImageFilterSimple& filter, TMessages& messages) {
  for (const TFilterMessage& m : filter.Messages()) messages.push_back({m.caption, m.text});
}
