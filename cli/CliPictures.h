#pragma once

#include <string>

#include "cli/CliCommand.h"
#include "engine/Bitmap24.h"

// Reading and writing the pictures a command names, the same way in every command.

inline constexpr int kCliDefaultQuality = 90;

// Prints the message on stderr; returns the failure status 1.
int CliFailure(const std::string& message);
// Output names must say which format to write: .bmp, .jpg or .jpeg.
void CheckOutputName(const std::string& path);
// --quality, 1..100 (90 when not given).
int CliQuality(const TCliArgs& args);
// Loads a picture with the command line's loader; on failure status is the failure status.
bool CliLoad(const std::string& path, TBitmap24& picture, int& status);
// Writes the picture to exactly that path; returns the exit status.
int CliSave(const TBitmap24& picture, const std::string& path, int quality);
