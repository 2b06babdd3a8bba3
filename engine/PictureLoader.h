#pragma once

#include <map>
#include <string>

#include "engine/Bitmap24.h"

// A reader for a kind of picture file the engine cannot decode by itself (icons and metafiles).
// The platform layer implements it; the program hands a loader holding its decoders to every
// engine routine that opens picture files.
class TPictureDecoder {
 public:
  virtual ~TPictureDecoder() = default;
  // The picture's natural size in pixels.
  virtual bool ReadSize(const std::string& path, int& width, int& height,
                        std::string& error) const = 0;
  // Draws the picture stretched over a width x height bitmap. Vector pictures are rendered at
  // that size, never scaled as pixels.
  virtual bool Render(const std::string& path, int width, int height, TBitmap24& out,
                      std::string& error) const = 0;
  // True when the picture is drawn anew at every size (metafiles).
  virtual bool IsVector() const { return false; }
};

// The picture loader: BMP and JPEG natively, other kinds through the decoders registered by
// extension. The loader does not own its decoders.
class TPictureLoader {
 public:
  // ext is lower case with its dot, e.g. ".ico".
  void AddDecoder(const std::string& ext, const TPictureDecoder* decoder) {
    decoders_[ext] = decoder;
  }
  const TPictureDecoder* DecoderFor(const std::string& path) const;

  // Loads a file at its natural size. On failure the bitmap is unchanged and error says why.
  // The natural size of a vector picture beyond the working size limit is its fitted size
  // (TImU::FitSize), here and in ReadSize alike.
  bool Load(const std::string& path, TBitmap24& out, std::string& error) const;
  // Natural size without decoding pixels where the format allows it.
  bool ReadSize(const std::string& path, int& width, int& height, std::string& error) const;
  // Draws the picture stretched over width x height: vector kinds are rendered at that size,
  // pixel kinds are loaded and stretched by nearest neighbour.
  bool Render(const std::string& path, int width, int height, TBitmap24& out,
              std::string& error) const;

 private:
  std::map<std::string, const TPictureDecoder*> decoders_;
};
