#pragma once

#include <string>

#include "engine/PictureLoader.h"

enum class TMetafileKind { kWmf, kEmf };

// Metafiles are played record by record with QPainter onto a white picture of the requested
// size, so every size is drawn anew from the file.
//
// Natural size, in pixels at 96 dpi:
// - WMF with a placeable header: the bounding box divided by its units per inch.
// - WMF without one: the first window extent the records set, one unit per pixel.
// - EMF: the header's picture frame (hundredths of a millimetre); when that is empty, the
//   header's bounds in reference device pixels.
// Sizes beyond 32767 on a side or TBitmap24::kMaxPixels in area are refused.

// Natural size of a metafile held in memory.
bool ReadMetafileSize(TMetafileKind kind, const std::string& bytes, int& width, int& height,
                      std::string& error);
// Plays a metafile held in memory over a white width x height bitmap (out untouched on failure).
bool RenderMetafile(TMetafileKind kind, const std::string& bytes, int width, int height,
                    TBitmap24& out, std::string& error);

class TMetafileDecoder final : public TPictureDecoder {
 public:
  explicit TMetafileDecoder(TMetafileKind kind) : kind_(kind) {}
  bool ReadSize(const std::string& path, int& width, int& height,
                std::string& error) const override;
  bool Render(const std::string& path, int width, int height, TBitmap24& out,
              std::string& error) const override;
  bool IsVector() const override { return true; }

 private:
  TMetafileKind kind_;
};
