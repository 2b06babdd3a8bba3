#pragma once

// The working size limit every engine routine checks before it allocates a picture it makes
// from a region or a scale.
class TImU {
 public:
  static constexpr int kMaxWidth = 5000;
  static constexpr long long kMaxArea = 4000000;

  // True exactly when both sides are positive, the width is at most 5000 and the area at most
  // 4,000,000 pixels.
  static bool SizeIsAllowed(long long width, long long height);

  // Brings an oversized picture down to about four million pixels keeping its proportions.
  // Returns true when the size was already allowed (unchanged); false when it was changed or a
  // side was below 1 (then both become 0). The adjusted size never exceeds the width limit.
  static bool FitSize(int& width, int& height);
};
