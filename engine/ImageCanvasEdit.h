#pragma once

#include <cstdint>
#include <vector>

#include "engine/Bitmap24.h"

// Tone edits of whole pictures that prepare pictures for fusion.
class TImageCanvasEdit {
 public:
  // Makes result a copy of source with every channel of every pixel mapped through the value
  // lists, searched from the last entry to the first: with exact, the first entry whose from
  // value equals the channel value gives its to value; otherwise the first whose from value is
  // at most the channel value does. Values no entry matches stay. False (result untouched) when
  // source is empty or beyond the working size limit, or the lists differ in length.
  static bool MapChannelValues(const TBitmap24& source, TBitmap24& result, bool exact,
                               const std::vector<std::uint8_t>& to_values,
                               const std::vector<std::uint8_t>& from_values);
};
