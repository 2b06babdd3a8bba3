// Picture files: size, conversion, resizing, cropping, margins, fit factors, fit-frame-save.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/PictureLoader.h"

namespace {

constexpr int kDefaultQuality = 90;

int Failure(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

// Output names must say which format to write.
void CheckOutputName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext != ".bmp" && ext != ".jpg" && ext != ".jpeg")
    throw TCliUsageError{"the output must be a .bmp, .jpg or .jpeg file: " + path};
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

int Quality(const TCliArgs& args) {
  const int quality = args.Int("quality", kDefaultQuality);
  if (quality < 1 || quality > 100) throw TCliUsageError{"--quality must be 1..100"};
  return quality;
}

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

int Info(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(1);
  int width = 0, height = 0;
  std::string error;
  if (!CliPictureLoader().ReadSize(args.Positional(0), width, height, error))
    return Failure(args.Positional(0) + ": " + error);
  std::printf("%d %d\n", width, height);
  return 0;
}

int Convert(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const int quality = Quality(args);
  TBitmap24 picture;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  return Save(picture, args.Positional(1), quality);
}

int Resize(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const int width = args.RequiredInt("width"), height = args.RequiredInt("height");
  const std::string algorithm = args.RequiredText("algorithm");
  const int quality = Quality(args);
  TImageSizeChange resizer;
  using TMethod = bool (TImageSizeChange::*)(const TBitmap24&, TBitmap24&, int, int);
  TMethod method = nullptr;
  if (algorithm == "biliner")
    method = &TImageSizeChange::BiLiner;
  else if (algorithm == "biliner-double")
    method = &TImageSizeChange::BiLinerDouble;
  else if (algorithm == "integral")
    method = &TImageSizeChange::Integral;
  else if (algorithm == "biliner-integral")
    method = &TImageSizeChange::BiLinerAndIntegralDouble;
  else if (algorithm != "stretch")
    throw TCliUsageError{"unknown algorithm: " + algorithm};
  TBitmap24 picture, result;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  const bool ok = method ? (resizer.*method)(picture, result, height, width)
                         : StretchBitmap(picture, result, width, height);
  if (!ok) return Failure("resize failed (size beyond the limit?)");
  return Save(result, args.Positional(1), quality);
}

int Scale(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  double factor = ParseCliDouble(args.RequiredText("factor"));
  const int mode = args.Int("rectify", 0);
  if (mode < 0 || mode > 3) throw TCliUsageError{"--rectify must be 0..3"};
  const int quality = Quality(args);
  TBitmap24 picture;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  if (!ResizeByFactor(picture, factor, mode)) return Failure("resize failed");
  std::printf("%s\n", Number(factor).c_str());
  return Save(picture, args.Positional(1), quality);
}

int Crop(const std::vector<std::string>& raw) {
  TCliArgs args(raw, {"outside"});
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const std::string rect = args.RequiredText("rect");
  std::vector<int> sides;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = rect.find(',', start);
    sides.push_back(ParseCliInt(rect.substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (sides.size() != 4) throw TCliUsageError{"--rect needs LEFT,TOP,RIGHT,BOTTOM"};
  const TColor fill = args.Color("fill", kWhite);
  const int quality = Quality(args);
  TBitmap24 picture;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  if (!CropRegion(picture, sides[0], sides[1], sides[2], sides[3], args.Flag("outside"), fill))
    return Failure("the region cannot be cut out");
  return Save(picture, args.Positional(1), quality);
}

int Margin(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const int margin = args.RequiredInt("margin");
  const TColor color = ParseCliColor(args.RequiredText("colour"));
  const int quality = Quality(args);
  TBitmap24 picture;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  if (!AddMargin(picture, margin, color)) return Failure("the margin cannot be added");
  return Save(picture, args.Positional(1), quality);
}

int FitFactors(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(4);
  const int box_width = ParseCliInt(args.Positional(0)),
            box_height = ParseCliInt(args.Positional(1));
  const int width = ParseCliInt(args.Positional(2)), height = ParseCliInt(args.Positional(3));
  bool width_decides = false;
  const float fit = FitFactorWithSide(box_width, box_height, width, height, width_decides);
  const float cover = CoverFactor(box_width, box_height, width, height);
  std::printf("%s %d %s\n", Number(fit).c_str(), width_decides ? 1 : 0, Number(cover).c_str());
  return 0;
}

int FitFrameSave(const std::vector<std::string>& raw) {
  TCliArgs args(raw, {"margin", "surround", "enlarge"});
  args.ExpectPositional(2);
  TFitFrameOptions options;
  options.target_width = args.Int("width", 0);
  options.target_height = args.Int("height", 0);
  options.edge_size = args.Int("edge", 0);
  options.edge_color = args.Color("edge-colour", kBlack);
  options.back_color = args.Color("back-colour", kWhite);
  options.with_margin = args.Flag("margin");
  options.edge_surrounds_picture = args.Flag("surround");
  options.allow_enlarge = args.Flag("enlarge");
  options.rectify_mode = args.Int("rectify", 0);
  if (options.rectify_mode < 0 || options.rectify_mode > 3)
    throw TCliUsageError{"--rectify must be 0..3"};
  options.quality = Quality(args);
  TBitmap24 picture;
  std::string error, saved;
  if (!FitFrameAndSave(picture, args.Positional(0), args.Positional(1), options, CliPictureLoader(),
                       &error, &saved))
    return Failure(error.empty() ? "fit, frame and save failed"
                                 : args.Positional(0) + ": " + error);
  std::printf("%s\n", saved.c_str());
  return 0;
}

const TCliRegistrar kInfo{{"info", "FILE", Info}};
const TCliRegistrar kConvert{{"convert", "IN OUT [--quality Q]", Convert}};
const TCliRegistrar kResize{
    {"resize",
     "IN OUT --width W --height H --algorithm stretch|biliner|biliner-double|integral|"
     "biliner-integral [--quality Q]",
     Resize}};
const TCliRegistrar kScale{{"scale", "IN OUT --factor F --rectify 0|1|2|3 [--quality Q]", Scale}};
const TCliRegistrar kCrop{
    {"crop", "IN OUT --rect LEFT,TOP,RIGHT,BOTTOM [--outside] [--fill COLOUR] [--quality Q]",
     Crop}};
const TCliRegistrar kMargin{{"margin", "IN OUT --margin M --colour COLOUR [--quality Q]", Margin}};
const TCliRegistrar kFitFactor{{"fit-factor", "BOXW BOXH PICW PICH", FitFactors}};
const TCliRegistrar kFitFrameSave{
    {"fit-frame-save",
     "IN OUT [--width W] [--height H] [--edge E] [--edge-colour C] [--back-colour C] [--margin] "
     "[--surround] [--enlarge] [--rectify 0..3] [--quality Q]",
     FitFrameSave}};

}  // namespace
