#pragma once

#include <string>

#include "engine/Bitmap24.h"

// Writes the picture as a 24-bit BMP file (a test failure when it cannot be encoded).
void SaveBmp(const TBitmap24& picture, const std::string& path);
// Reads a picture file back with the engine's own loader (a test failure when it cannot).
TBitmap24 LoadBack(const std::string& path);
