#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Colour reference as the settings file stores it: 0x00BBGGRR.
using TColor = std::uint32_t;
inline constexpr TColor kWhite = 0xFFFFFF;
inline constexpr TColor kBlack = 0x000000;

inline constexpr std::uint8_t ColorRed(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
inline constexpr std::uint8_t ColorGreen(TColor c) {
  return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
inline constexpr std::uint8_t ColorBlue(TColor c) {
  return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}
inline constexpr TColor MakeColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

// Keeps freed picture buffers in the process for the pictures after them, as fresh pages are slow
// to touch: nothing large is mapped on its own or handed back to the system. Programs call it
// first thing.
void KeepFreedPictureBuffers();

// The working bitmap: rows of blue, green, red bytes, each row padded to a multiple of four bytes.
// Its buffer is kept when the bitmap shrinks or is resized to the same byte size, so a bitmap that
// is reused for one job after another does not pay for fresh memory every time.
class TBitmap24 {
 public:
  // Hard ceiling for any bitmap, far above the working size limit: pictures are loaded at their
  // natural size, which may exceed the working limit, but never beyond this.
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

  TBitmap24() = default;
  TBitmap24(int width, int height) { SetSize(width, height); }
  TBitmap24(const TBitmap24& other);
  TBitmap24& operator=(const TBitmap24& other);
  TBitmap24(TBitmap24&& other) noexcept { Swap(other); }
  TBitmap24& operator=(TBitmap24&& other) noexcept {
    Swap(other);
    return *this;
  }

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::size_t Stride() const { return stride_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::size_t ByteSize() const { return stride_ * static_cast<std::size_t>(height_); }

  std::uint8_t* Row(int y) { return data_.get() + stride_ * static_cast<std::size_t>(y); }
  const std::uint8_t* Row(int y) const {
    return data_.get() + stride_ * static_cast<std::size_t>(y);
  }
  std::uint8_t* Data() { return data_.get(); }
  const std::uint8_t* Data() const { return data_.get(); }

  static std::size_t StrideFor(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
  }

  // Sizes the bitmap; the pixel contents are undefined afterwards. Refuses (false, unchanged)
  // negative sizes and sizes past kMaxPixels. A zero side gives an empty bitmap.
  bool SetSize(int width, int height);
  void Clear();
  void Swap(TBitmap24& other) noexcept;

  void Fill(TColor color);
  // Fills [left, right) x [top, bottom), clipped to the bitmap.
  void FillRect(int left, int top, int right, int bottom, TColor color);
  // Copies src with its top-left corner at (x, y), clipped to this bitmap.
  void Draw(const TBitmap24& src, int x, int y);

  TColor Pixel(int x, int y) const {
    const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    return MakeColor(p[2], p[1], p[0]);
  }
  void SetPixel(int x, int y, TColor c) {
    std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    p[0] = ColorBlue(c);
    p[1] = ColorGreen(c);
    p[2] = ColorRed(c);
  }

  bool SameSizeAs(const TBitmap24& o) const { return width_ == o.width_ && height_ == o.height_; }
  // Same size and same pixels (padding bytes are ignored).
  bool SamePixels(const TBitmap24& o) const;

 private:
  struct TFree {
    void operator()(std::uint8_t* p) const;
  };
  // Large pictures are placed on huge pages where the system offers them: far fewer page faults
  // on first touch and far fewer address translations when a routine walks down columns.
  static std::uint8_t* Allocate(std::size_t bytes);

  std::unique_ptr<std::uint8_t, TFree> data_;
  std::size_t capacity_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
};
