#pragma once

#include <cstdint>

// Clamps and rounding shared by the engine and the windows.

// b + d, held within [low, high].
inline int ClampAdd(std::uint8_t b, int d, int low, int high) {
  const int s = b + d;
  return s > high ? high : (s < low ? low : s);
}

inline int ByteAdd(std::uint8_t b, int d) { return ClampAdd(b, d, 0, 255); }

inline std::uint8_t ClampByte(int v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Round half away from zero.
inline int RoundHalfAway(double x) {
  if (x > 0) return static_cast<int>(x + 0.5);
  if (x < 0) return static_cast<int>(x - 0.5);
  return 0;
}

// Holds v within [low, high]; false when it had to be moved.
inline bool ClampIntoRange(int& v, int low, int high) {
  if (v < low) {
    v = low;
    return false;
  }
  if (v > high) {
    v = high;
    return false;
  }
  return true;
}
