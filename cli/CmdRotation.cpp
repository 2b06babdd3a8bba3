// Rotation and RGB arrangement of picture files.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "engine/ImageUtils.h"

namespace {

constexpr int kDefaultQuality = 90;

int Failure(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

void CheckOutputName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext != ".bmp" && ext != ".jpg" && ext != ".jpeg")
    throw TCliUsageError{"the output must be a .bmp, .jpg or .jpeg file: " + path};
}

int Quality(const TCliArgs& args) {
  const int quality = args.Int("quality", kDefaultQuality);
  if (quality < 1 || quality > 100) throw TCliUsageError{"--quality must be 1..100"};
  return quality;
}

bool Load(const std::string& path, TBitmap24& picture, int& status) {
  std::string error;
  if (LoadPictureFile(picture, path, CliPictureLoader(), &error)) return true;
  status = Failure(error.empty() ? "file not found: " + path : path + ": " + error);
  return false;
}

int Save(const TBitmap24& picture, const std::string& path, int quality) {
  std::string error;
  if (!SavePictureFile(picture, path, true, quality, nullptr, &error))
    return Failure(error.empty() ? "cannot save " + path : path + ": " + error);
  return 0;
}

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
  const int quality = Quality(args);

  TBitmap24 picture;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  TImageRotation rotation;
  std::string message;
  if (!rotation.Rotate(picture, angle_text, back, mode, &message)) {
    if (!message.empty()) return Failure(message);
    TAngle angle;
    if (!ParseAngleText(angle_text, angle))
      return Failure("rotate: the angle is not a number: " + angle_text);
    return Failure("rotate: the picture (" + SizeNote(picture) +
                   ") or its rotation is beyond the working size limit, or the angle is too large");
  }
  return Save(picture, args.Positional(1), quality);
}

int Rgb(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const std::string params = args.RequiredText("params");
  const int quality = Quality(args);

  TBitmap24 picture;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  TImageRGBArrange arrange;
  std::string message;
  if (!arrange.Arrange(picture, params, &message)) {
    if (!message.empty()) return Failure(message);
    return Failure("rgb: the picture (" + SizeNote(picture) + ") is beyond the working size limit");
  }
  return Save(picture, args.Positional(1), quality);
}

TCliRegistrar rotate_command{
    {"rotate", "IN OUT --angle TEXT --mode 0|1|2 [--back COLOUR] [--quality 1..100]", Rotate}};
TCliRegistrar rgb_command{
    {"rgb", "IN OUT --params R,G,B,R%,G%,B%,DR,DG,DB [--quality 1..100]", Rgb}};

}  // namespace
