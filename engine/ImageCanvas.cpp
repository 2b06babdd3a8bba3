#include "engine/ImageCanvas.h"

#include <cstring>

#include "engine/ImageUtils.h"

bool TImageCanvas::CopyRegion(const TBitmap24& src, int left, int top, int right, int bottom,
                              TBitmap24& dst) {
  if (left < 0 || top < 0 || right > src.Width() || bottom > src.Height()) return false;
  const long long width = static_cast<long long>(right) - left;
  const long long height = static_cast<long long>(bottom) - top;
  if (!TImU::SizeIsAllowed(width, height)) return false;
  TBitmap24 copy;
  if (!copy.SetSize(static_cast<int>(width), static_cast<int>(height))) return false;
  const std::size_t row_bytes = 3 * static_cast<std::size_t>(width);
  for (int y = 0; y < copy.Height(); ++y)
    std::memcpy(copy.Row(y), src.Row(top + y) + 3 * static_cast<std::size_t>(left), row_bytes);
  dst.Swap(copy);
  return true;
}
