#include "engine/ImageCanvasEdit.h"

#include <array>
#include <cstring>

#include "engine/ImageUtils.h"

bool TImageCanvasEdit::MapChannelValues(const TBitmap24& source, TBitmap24& result, bool exact,
                                        const std::vector<std::uint8_t>& to_values,
                                        const std::vector<std::uint8_t>& from_values) {
  if (source.Empty() || !TImU::SizeIsAllowed(source.Width(), source.Height())) return false;
  if (to_values.size() != from_values.size()) return false;

  // The search result depends on the channel value only: one table serves every pixel.
  std::array<std::uint8_t, 256> table;
  for (int v = 0; v < 256; ++v) {
    table[v] = static_cast<std::uint8_t>(v);
    for (std::size_t i = from_values.size(); i-- > 0;) {
      if (exact ? from_values[i] == v : from_values[i] <= v) {
        table[v] = to_values[i];
        break;
      }
    }
  }

  if (&result != &source) result.SetSize(source.Width(), source.Height());
  const std::size_t n = 3 * static_cast<std::size_t>(source.Width());
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* src = source.Row(y);
    std::uint8_t* dst = result.Row(y);
    for (std::size_t i = 0; i < n; ++i) dst[i] = table[src[i]];
  }
  return true;
}
