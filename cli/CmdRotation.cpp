// Rotation and RGB arrangement of picture files.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliPictures.h"
#include "cli/CliProgress.h"
#include "engine/DecimalText.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageUtils.h"

namespace {

bool Allowed(const TBitmap24& picture) {
  return TImU::SizeIsAllowed(picture.Width(), picture.Height());
}

// Why a rotation the engine refused without a message failed.
std::string RotateRefusal(const TBitmap24& picture, const TAngle& angle, int mode) {
  if (mode != kRotationHoles && !Allowed(picture))
    return CliRefusal("rotate: the picture", picture.Width(), picture.Height());
  const double theta = angle.value * 3.14159265358979323846 / 180.0;
  const float single = static_cast<float>(theta);
  if (!std::isfinite(single))
    return "rotate: the angle " + std::to_string(angle.value) + " is too large";
  const double c = std::fabs(std::cos(theta)), s = std::fabs(std::sin(theta));
  const long long w = std::llround(picture.Width() * c + picture.Height() * s);
  const long long h = std::llround(picture.Width() * s + picture.Height() * c);
  if (!TImU::SizeIsAllowed(w, h)) return CliRefusal("rotate: the turned picture", w, h);
  return "rotate: the picture cannot be turned";
}

int Rotate(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const std::string angle_text = args.RequiredText("angle");
  TAngle angle;
  if (!ParseAngleText(angle_text, angle)) {
    double value = 0;
    throw TCliUsageError{ParseDecimalReal(angle_text, value)
                             ? "--angle is beyond the integer range: " + angle_text
                             : "--angle is not a number: " + angle_text};
  }
  const int mode = args.RequiredInt("mode");
  if (mode < 0 || mode > 2) throw TCliUsageError{"--mode must be 0, 1 or 2"};
  const TColor back = args.Color("back", kWhite);
  const int quality = CliQuality(args);

  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  CliProgress().Step("turning");
  TImageRotation rotation(&CliProgress());
  std::string message;
  if (!rotation.Rotate(picture, angle_text, back, mode, &message))
    return CliFailure(message.empty() ? RotateRefusal(picture, angle, mode) : "rotate: " + message);
  return CliSave(picture, args.Positional(1), quality);
}

int Rgb(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const std::string params = args.RequiredText("params");
  const int quality = CliQuality(args);

  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  CliProgress().Step("arranging");
  TImageRGBArrange arrange(&CliProgress());
  std::string message;
  if (!arrange.Arrange(picture, params, &message)) {
    if (!message.empty()) return CliFailure("rgb: " + message);
    return CliFailure(Allowed(picture)
                          ? "rgb: the channels cannot be arranged"
                          : CliRefusal("rgb: the picture", picture.Width(), picture.Height()));
  }
  return CliSave(picture, args.Positional(1), quality);
}

TCliRegistrar rotate_command{
    {"rotate", "IN OUT --angle TEXT --mode 0|1|2 [--back COLOUR] [--quality 1..100]", Rotate}};
TCliRegistrar rgb_command{
    {"rgb", "IN OUT --params R,G,B,R%,G%,B%,DR,DG,DB [--quality 1..100]", Rgb}};

}  // namespace
