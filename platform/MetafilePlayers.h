#pragma once

#include <QImage>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

// The record readers of the two metafile kinds. They check every record against the file's
// length before they read it, so a file never makes them read outside its bytes, and they stop
// at the first record that does not fit (what was drawn so far stays).

bool ReadWmfSize(const std::string& bytes, int& width, int& height, std::string& error);
// Plays the records over image (RGB32, already white), stretched over its whole area.
bool PlayWmf(const std::string& bytes, QImage& image, std::string& error);

bool ReadEmfSize(const std::string& bytes, int& width, int& height, std::string& error);
bool PlayEmf(const std::string& bytes, QImage& image, std::string& error);

// Little-endian reads that give 0 past the end, for record fields.
class TBytes {
 public:
  TBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  explicit TBytes(const std::string& s)
      : data_(reinterpret_cast<const std::uint8_t*>(s.data())), size_(s.size()) {}
  std::size_t Size() const { return size_; }
  const std::uint8_t* At(std::size_t offset) const { return data_ + offset; }
  bool Has(std::size_t offset, std::size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  std::uint8_t U8(std::size_t o) const { return Has(o, 1) ? data_[o] : 0; }
  std::uint16_t U16(std::size_t o) const {
    return Has(o, 2) ? static_cast<std::uint16_t>(data_[o] | (data_[o + 1] << 8)) : 0;
  }
  std::int16_t S16(std::size_t o) const { return static_cast<std::int16_t>(U16(o)); }
  std::uint32_t U32(std::size_t o) const {
    return Has(o, 4) ? static_cast<std::uint32_t>(data_[o]) | (data_[o + 1] << 8) |
                           (data_[o + 2] << 16) | (static_cast<std::uint32_t>(data_[o + 3]) << 24)
                     : 0;
  }
  std::int32_t S32(std::size_t o) const { return static_cast<std::int32_t>(U32(o)); }
  float F32(std::size_t o) const {
    const std::uint32_t v = U32(o);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// Largest natural size a metafile may claim.
inline constexpr int kMaxMetafileSide = 32767;

// Rounds a natural size to whole pixels; false (with the reason) when it is empty, not a number
// or beyond kMaxMetafileSide or the bitmap ceiling.
inline bool WholePixelSize(double w, double h, int& width, int& height, std::string& error) {
  if (!(w >= 0.5 && h >= 0.5 && w < kMaxMetafileSide + 0.5 && h < kMaxMetafileSide + 0.5) ||
      std::llround(w) * std::llround(h) > TBitmap24::kMaxPixels) {
    error = "metafile size out of range";
    return false;
  }
  width = static_cast<int>(std::llround(w));
  height = static_cast<int>(std::llround(h));
  return true;
}
