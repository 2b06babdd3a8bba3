#pragma once

#include <atomic>
#include <cstddef>
#include <string>

// The working size limit every engine routine checks before it allocates a picture it makes
// from a region or a scale. The limit is process-wide: the viewer's "large pictures" setting and
// the command line's --large-pictures raise it once at start, before any work runs.
class TImU {
 public:
  static constexpr int kDesignMaxWidth = 5000;
  static constexpr long long kDesignMaxArea = 4000000;
  static constexpr int kLargeMaxWidth = 20000;
  static constexpr long long kLargeMaxArea = 100000000;

  static void SetLargePictures(bool on) { large_.store(on, std::memory_order_relaxed); }
  static bool LargePictures() { return large_.load(std::memory_order_relaxed); }
  static int MaxWidth() { return LargePictures() ? kLargeMaxWidth : kDesignMaxWidth; }
  static long long MaxArea() { return LargePictures() ? kLargeMaxArea : kDesignMaxArea; }

  // True exactly when both sides are positive, the width is at most MaxWidth() and the area at
  // most MaxArea().
  static bool SizeIsAllowed(long long width, long long height);

  // Brings an oversized picture down to about MaxArea() pixels keeping its proportions.
  // Returns true when the size was already allowed (unchanged); false when it was changed or a
  // side was below 1 (then both become 0). The adjusted size never exceeds the width limit.
  static bool FitSize(int& width, int& height);

  // Why a size was refused, for messages: "6000 x 4000 is beyond the working size limit of
  // 5000 pixels wide and 4,000,000 pixels".
  static std::string RefusalText(long long width, long long height);

  // Pictures are loaded at their natural size even beyond the working size limit (the viewer
  // shows them through a scaled copy), but never past the raised limit's area: a file that
  // declares a larger picture, in any of the sizes its format declares, is refused before
  // anything is allocated, so that a few bytes cannot claim gigabytes.
  static constexpr long long kMaxLoadArea = kLargeMaxArea;
  // The longest picture file read: 32-bit rows of kMaxLoadArea pixels and their headers.
  static constexpr std::size_t kMaxPictureFileBytes = kMaxLoadArea * 4 + (1 << 20);

  // True when a file may declare a width x height picture (both sides positive).
  static bool LoadSizeIsAllowed(long long width, long long height);
  // "16000 x 16000 is beyond the 100,000,000 pixels a picture may have".
  static std::string LoadRefusalText(long long width, long long height);

 private:
  static inline std::atomic<bool> large_{false};
};
