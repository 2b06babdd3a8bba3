#pragma once

#include <string>

#include "engine/Bitmap24.h"

// Saving pictures in every format the program writes: BMP and JPEG by the engine, PNG through
// Qt's writer.

// Saves as PNG when path ends in ".png" (ignoring case), otherwise exactly as SavePictureFile.
// Without keep_name an existing file is never overwritten (a free name is chosen). The file is
// written whole or not at all.
bool SavePicture(const TBitmap24& bitmap, const std::string& path, bool keep_name, int quality,
                 std::string* saved_path = nullptr, std::string* error = nullptr);

// The PNG bytes of a picture (24-bit colour).
bool EncodePng(const TBitmap24& bitmap, std::string& bytes);
