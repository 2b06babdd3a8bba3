#pragma once

#include <QImage>
#include <cstddef>
#include <string>

#include "engine/Bitmap24.h"

// Small pieces shared by the icon and metafile decoders.

// Reads a whole regular file of at most max_bytes bytes; an empty, missing or larger file, or
// one that is not a regular file, is an error.
bool ReadDecoderFile(const std::string& path, std::size_t max_bytes, std::string& bytes,
                     std::string& error);

// True when a render target of width x height may be allocated (positive sides, within the
// working bitmap's hard ceiling).
bool RenderSizeIsSane(int width, int height);

// Copies an opaque 32-bit image (RGB32 or ARGB32 with full alpha) into the working bitmap.
bool ImageToBitmap24(const QImage& image, TBitmap24& out, std::string& error);
