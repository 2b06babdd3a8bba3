// Rotation and RGB arrangement of picture files.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliPictures.h"
#include "engine/DecimalText.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageUtils.h"

namespace {

// The engine is silent about these failures; the window would show nothing, the command line
// says what went wrong.
std::string SizeNote(const TBitmap24& picture) {
  return std::to_string(picture.Width()) + " x " + std::to_string(picture.Height());
}

int Rotate(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const std::string angle_text = args.RequiredText("angle");
  const int mode = args.RequiredInt("mode");
  if (mode < 0 || mode > 2) throw TCliUsageError{"--mode must be 0, 1 or 2"};
  const TColor back = args.Color("back", kWhite);
  const int quality = CliQuality(args);

  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  TImageRotation rotation;
  std::string message;
  if (!rotation.Rotate(picture, angle_text, back, mode, &message)) {
    if (!message.empty()) return CliFailure(message);
    TAngle angle;
    double value = 0;
    if (!ParseAngleText(angle_text, angle))
      return CliFailure(ParseDecimalReal(angle_text, value)
                            ? "rotate: the angle is beyond the integer range: " + angle_text
                            : "rotate: the angle is not a number: " + angle_text);
    return CliFailure(
        "rotate: the picture (" + SizeNote(picture) +
        ") or its rotation is beyond the working size limit, or the angle is too large");
  }
  return CliSave(picture, args.Positional(1), quality);
}

int Rgb(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const std::string params = args.RequiredText("params");
  const int quality = CliQuality(args);

  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  TImageRGBArrange arrange;
  std::string message;
  if (!arrange.Arrange(picture, params, &message)) {
    if (!message.empty()) return CliFailure(message);
    return CliFailure("rgb: the picture (" + SizeNote(picture) +
                      ") is beyond the working size limit");
  }
  return CliSave(picture, args.Positional(1), quality);
}

TCliRegistrar rotate_command{
    {"rotate", "IN OUT --angle TEXT --mode 0|1|2 [--back COLOUR] [--quality 1..100]", Rotate}};
TCliRegistrar rgb_command{
    {"rgb", "IN OUT --params R,G,B,R%,G%,B%,DR,DG,DB [--quality 1..100]", Rgb}};

}  // namespace
