#pragma once

#include <string>

#include "cli/CliCommand.h"
#include "engine/Bitmap24.h"

// Reading and writing the pictures a command names, the same way in every command.

inline constexpr int kCliDefaultQuality = 90;

// Prints the message on stderr; returns the failure status 1. A message about the working size
// limit gets the way to raise it.
int CliFailure(const std::string& message);
// "WHAT 6000 x 4000 is beyond the working size limit of ...; --large-pictures raises it to ...".
std::string CliRefusal(const std::string& what, long long width, long long height);
// Output names must say which format to write: .bmp, .jpg or .jpeg.
void CheckOutputName(const std::string& path);
// The output named by positional argument index: a .bmp, .jpg or .jpeg name (TCliUsageError),
// not the file of any other positional argument (TCliUsageError), in a folder that can be
// written (CheckOutputFolder). Checked before any work, so that a mistake costs nothing.
void CheckOutput(const TCliArgs& args, std::size_t index);
// The folder of an output file exists and can be written; throws TCliFailure otherwise.
void CheckOutputFolder(const std::string& path);
// --quality, 1..100 (90 when not given).
int CliQuality(const TCliArgs& args);
// Loads a picture with the command line's loader; on failure status is the failure status.
bool CliLoad(const std::string& path, TBitmap24& picture, int& status);
// Writes the picture to exactly that path; returns the exit status.
int CliSave(const TBitmap24& picture, const std::string& path, int quality);
