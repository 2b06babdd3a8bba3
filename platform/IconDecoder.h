#pragma once

#include <QImage>
#include <string>

#include "engine/PictureLoader.h"

// Icon files (.ico) through Qt's icon reader. Of the images an icon holds, the largest is used
// and among equal sizes the deepest; it is composited over white. Needs a QGuiApplication.
class TIconDecoder final : public TPictureDecoder {
 public:
  bool ReadSize(const std::string& path, int& width, int& height,
                std::string& error) const override;
  // Stretches by nearest neighbour: icons are small pixel art that smoothing would blur.
  bool Render(const std::string& path, int width, int height, TBitmap24& out,
              std::string& error) const override;

  // The chosen image of an icon file's bytes, composited over white (RGB32).
  static bool DecodeBytes(const std::string& bytes, QImage& picture, std::string& error);
  // DecodeBytes stretched to width x height into the working bitmap (out untouched on failure).
  static bool RenderBytes(const std::string& bytes, int width, int height, TBitmap24& out,
                          std::string& error);
};
