#include "engine/ImageUtils.h"

#include <cmath>

bool TImU::SizeIsAllowed(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxWidth && width * height <= kMaxArea;
}

bool TImU::FitSize(int& width, int& height) {
  if (width < 1 || height < 1) {
    width = height = 0;
    return false;
  }
  if (SizeIsAllowed(width, height)) return true;
  float f = std::sqrt(static_cast<float>(kMaxArea) / static_cast<float>(width) /
                      static_cast<float>(height));
  // A wide flat picture whose area is allowed would otherwise be enlarged past the width limit.
  const float width_cap = static_cast<float>(kMaxWidth) / static_cast<float>(width);
  if (width_cap < f) f = width_cap;
  width = static_cast<int>(std::nearbyint(static_cast<float>(width) * f));
  height = static_cast<int>(std::nearbyint(static_cast<float>(height) * f));
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  return false;
}
