#pragma once

#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "engine/ImageBasics.h"

// The fit, frame and save options shared by the commands that save like the batch save:
// --width W --height H --edge E --edge-colour C --back-colour C --margin --surround --enlarge
// --rectify 0..3 --quality Q.

// The option names among them that take no value; pass them (with any of the command's own) to
// TCliArgs.
std::vector<std::string> FitFrameFlags(std::vector<std::string> more = {});

// Reads the options; throws TCliUsageError for values out of range.
TFitFrameOptions ReadFitFrameOptions(const TCliArgs& args);

// Why the fit, frame and save of picture (as loaded) failed when the working size limit is the
// reason: the picture itself for a resizing rectify mode, or the framed canvas. Empty otherwise.
std::string FitFrameRefusal(const TBitmap24& picture, const TFitFrameOptions& options);

// The usage text of the options.
inline constexpr char kFitFrameUsage[] =
    "[--width W] [--height H] [--edge E] [--edge-colour C] [--back-colour C] [--margin] "
    "[--surround] [--enlarge] [--rectify 0..3] [--quality Q]";
