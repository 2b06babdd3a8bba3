#pragma once

#include <string>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"

// Fusion of two pictures: a second picture B laid over a base picture A and mixed pixel by pixel,
// driven by the eight-field fusion settings.

struct TFusionSettings {
  std::string x;       // "LL", "L", "C", "R", "RR" (upper-cased) or a number of pixels
  std::string y;       // "TT", "T", "C", "B", "BB" (upper-cased) or a number of pixels
  int rate_a = 100;    // weight of A in percent
  int rate_b = 100;    // weight of B in percent
  int mode = 1;        // 1, 2, 3, 4 or the variants -1, -2, -3, -4
  int percent = 0;     // modes -1 and -2: brightness of parts covered by one picture only
  std::string corner;  // modes -3 and -4: where the key colour of the front picture is taken
  bool keep_size = false;
  TColor canvas_color = kWhite;
};

// Reads the settings text: exactly 8 fields, fields 3, 4, 5 and 8 integers, a known mode, and an
// integer field 6 for modes -1 and -2. reason (optional) says what is wrong when false.
bool ParseFusionSettings(const std::string& settings, TFusionSettings& out,
                         std::string* reason = nullptr);

// Mixes b into a as settings say. top and left receive B's place relative to A. The result keeps
// A's size or grows to hold both pictures; pixels covered by neither picture get the canvas
// colour. False (result untouched) when a picture is empty, the settings are malformed or the
// result would be beyond the working size limit. Rows are mixed in bands on executor's threads
// when one is given.
bool Fuse(const TBitmap24& a, const TBitmap24& b, int& top, int& left, const std::string& settings,
          TBitmap24& result, std::string* reason = nullptr, TBandExecutor* executor = nullptr);
bool Fuse(const TBitmap24& a, const TBitmap24& b, int& top, int& left,
          const TFusionSettings& settings, TBitmap24& result, std::string* reason = nullptr,
          TBandExecutor* executor = nullptr);
