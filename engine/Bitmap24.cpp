#include "engine/Bitmap24.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}

void KeepFreedPictureBuffers() {
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

void TBitmap24::TFree::operator()(std::uint8_t* p) const { std::free(p); }

std::uint8_t* TBitmap24::Allocate(std::size_t bytes) {
  void* p = nullptr;
  if (bytes >= 2 * kHugePage) {
    const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    if (posix_memalign(&p, kHugePage, rounded) != 0) throw std::bad_alloc();
    madvise(p, rounded, MADV_HUGEPAGE);
  } else {
    p = std::malloc(bytes);
    if (!p) throw std::bad_alloc();
  }
  return static_cast<std::uint8_t*>(p);
}

TBitmap24::TBitmap24(const TBitmap24& other) { *this = other; }

TBitmap24& TBitmap24::operator=(const TBitmap24& other) {
  if (this == &other) return *this;
  if (!SetSize(other.width_, other.height_)) return *this;
  if (ByteSize() > 0) std::memcpy(data_.get(), other.data_.get(), ByteSize());
  return *this;
}

bool TBitmap24::SetSize(int width, int height) {
  if (width < 0 || height < 0) return false;
  if (static_cast<std::int64_t>(width) * height > kMaxPixels) return false;
  if (width == 0 || height == 0) {
    width_ = height_ = 0;
    stride_ = 0;
    return true;
  }
  const std::size_t stride = StrideFor(width);
  const std::size_t bytes = stride * static_cast<std::size_t>(height);
  if (bytes > capacity_) {
    // Uninitialised on purpose: every caller writes all pixels it keeps.
    data_.reset(Allocate(bytes));
    capacity_ = bytes;
  }
  width_ = width;
  height_ = height;
  stride_ = stride;
  return true;
}

void TBitmap24::Clear() {
  data_.reset();
  capacity_ = 0;
  width_ = height_ = 0;
  stride_ = 0;
}

void TBitmap24::Swap(TBitmap24& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(capacity_, other.capacity_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(stride_, other.stride_);
}

void TBitmap24::Fill(TColor color) { FillRect(0, 0, width_, height_, color); }

void TBitmap24::FillRect(int left, int top, int right, int bottom, TColor color) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  if (left >= right || top >= bottom) return;
  const std::uint8_t b = ColorBlue(color), g = ColorGreen(color), r = ColorRed(color);
  const std::size_t count = static_cast<std::size_t>(right - left);
  // Build one filled row segment, then copy it to every row.
  std::uint8_t* first = Row(top) + 3 * static_cast<std::size_t>(left);
  for (std::size_t i = 0; i < count; ++i) {
    first[3 * i] = b;
    first[3 * i + 1] = g;
    first[3 * i + 2] = r;
  }
  for (int y = top + 1; y < bottom; ++y)
    std::memcpy(Row(y) + 3 * static_cast<std::size_t>(left), first, 3 * count);
}

void TBitmap24::Draw(const TBitmap24& src, int x, int y) {
  const int sx0 = std::max(0, -x), sy0 = std::max(0, -y);
  const int dx0 = std::max(0, x), dy0 = std::max(0, y);
  const int w = std::min(src.width_ - sx0, width_ - dx0);
  const int h = std::min(src.height_ - sy0, height_ - dy0);
  if (w <= 0 || h <= 0) return;
  for (int row = 0; row < h; ++row)
    std::memmove(Row(dy0 + row) + 3 * static_cast<std::size_t>(dx0),
                 src.Row(sy0 + row) + 3 * static_cast<std::size_t>(sx0),
                 3 * static_cast<std::size_t>(w));
}

bool TBitmap24::SamePixels(const TBitmap24& o) const {
  if (!SameSizeAs(o)) return false;
  const std::size_t n = 3 * static_cast<std::size_t>(width_);
  for (int y = 0; y < height_; ++y)
    if (std::memcmp(Row(y), o.Row(y), n) != 0) return false;
  return true;
}
