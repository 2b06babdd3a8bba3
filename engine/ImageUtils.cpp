#include "engine/ImageUtils.h"

#include <cmath>

namespace {

std::string Grouped(long long value) {
  std::string digits = std::to_string(value);
  std::string out;
  const int first = static_cast<int>(digits.size() % 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (static_cast<int>(i) - first) % 3 == 0 && digits[i - 1] != '-') out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

bool TImU::SizeIsAllowed(long long width, long long height) {
  return width > 0 && height > 0 && width <= MaxWidth() && width * height <= MaxArea();
}

bool TImU::FitSize(int& width, int& height) {
  if (width < 1 || height < 1) {
    width = height = 0;
    return false;
  }
  if (SizeIsAllowed(width, height)) return true;
  float f = std::sqrt(static_cast<float>(MaxArea()) / static_cast<float>(width) /
                      static_cast<float>(height));
  // A wide flat picture whose area is allowed would otherwise be enlarged past the width limit.
  const float width_cap = static_cast<float>(MaxWidth()) / static_cast<float>(width);
  if (width_cap < f) f = width_cap;
  width = static_cast<int>(std::nearbyint(static_cast<float>(width) * f));
  height = static_cast<int>(std::nearbyint(static_cast<float>(height) * f));
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  return false;
}

std::string TImU::RefusalText(long long width, long long height) {
  return std::to_string(width) + " x " + std::to_string(height) +
         " is beyond the working size limit of " + Grouped(MaxWidth()) + " pixels wide and " +
         Grouped(MaxArea()) + " pixels";
}

bool TImU::LoadSizeIsAllowed(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxLoadArea && height <= kMaxLoadArea / width;
}

std::string TImU::LoadRefusalText(long long width, long long height) {
  return std::to_string(width) + " x " + std::to_string(height) + " is beyond the " +
         Grouped(kMaxLoadArea) + " pixels a picture may have";
}
