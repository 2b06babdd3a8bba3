#pragma once

#include <QImage>
#include <string>

#include "engine/PictureLoader.h"

// PNG, GIF (first frame), TIFF and WebP through Qt's image readers. Transparency is composited
// over white and deep colour reduced to 8 bits a channel, as icons are. Every size the file
// declares (for GIF the logical screen and each frame) is checked against TImU::kMaxLoadArea
// before any pixel is decoded. Needs a QGuiApplication.
class TOtherFormatDecoder final : public TPictureDecoder {
 public:
  // format: the Qt reader's name ("png", "gif", "tiff", "webp").
  explicit TOtherFormatDecoder(const char* format) : format_(format) {}

  bool ReadSize(const std::string& path, int& width, int& height,
                std::string& error) const override;
  // Pixel pictures are stretched by nearest neighbour like every loaded picture.
  bool Render(const std::string& path, int width, int height, TBitmap24& out,
              std::string& error) const override;

  // The first image of the file, over white (RGB32).
  bool Decode(const std::string& path, QImage& picture, std::string& error) const;
  // The same from the file's bytes; path only names the file in messages.
  bool DecodeBytes(const std::string& bytes, const std::string& path, QImage& picture,
                   std::string& error) const;

  // True when this Qt installation has a reader for format.
  static bool Available(const char* format);

 private:
  const char* format_;
};
