// Picture files: size, conversion, resizing, cropping, margins, fit factors, fit-frame-save.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFitFrame.h"
#include "cli/CliPictures.h"
#include "cli/CliProgress.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "engine/PictureLoader.h"

namespace {

std::string Number(double value) {
  char text[64];  // to_chars ignores the locale; printf would write 0,5 on a German desktop
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 9);
  return std::string(text, result.ptr);
}

std::string SizeText(const TBitmap24& picture) {
  return std::to_string(picture.Width()) + " x " + std::to_string(picture.Height());
}

bool Allowed(const TBitmap24& picture) {
  return TImU::SizeIsAllowed(picture.Width(), picture.Height());
}

int Info(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(1);
  // The whole picture is decoded: a header that reads is not yet a picture that does.
  TBitmap24 picture;
  std::string error;
  if (!CliPictureLoader().Load(args.Positional(0), picture, error))
    return CliFailure(args.Positional(0) + ": " + error);
  std::printf("%d %d\n", picture.Width(), picture.Height());
  return 0;
}

int Convert(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const int quality = CliQuality(args);
  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  return CliSave(picture, args.Positional(1), quality);
}

int Resize(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const int width = args.RequiredInt("width"), height = args.RequiredInt("height");
  if (width < 1 || height < 1) throw TCliUsageError{"--width and --height must be at least 1"};
  const std::string algorithm = args.RequiredText("algorithm");
  const int quality = CliQuality(args);
  TImageSizeChange resizer(&CliProgress());
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
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  if (!TImU::SizeIsAllowed(width, height))
    return CliFailure(CliRefusal("resize: the result", width, height));
  // The resizing algorithms read the whole picture; the stretch only samples it.
  if (method && !Allowed(picture))
    return CliFailure(CliRefusal("resize: the picture", picture.Width(), picture.Height()));
  CliProgress().Step("resizing");
  const bool ok = method ? (resizer.*method)(picture, result, height, width)
                         : StretchBitmap(picture, result, width, height);
  if (!ok)
    return CliFailure("resize: the picture cannot be resized to " + std::to_string(width) + " x " +
                      std::to_string(height));
  return CliSave(result, args.Positional(1), quality);
}

int Scale(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  args.RequiredText("factor");
  double factor = args.Double("factor", 1);
  if (!(factor > 0)) throw TCliUsageError{"--factor must be above 0"};
  const int mode = args.Int("rectify", 0);
  if (mode < 0 || mode > 3) throw TCliUsageError{"--rectify must be 0..3"};
  const int quality = CliQuality(args);
  TBitmap24 picture;
  const std::string& path = args.Positional(0);
  if (IsMetafileName(path)) {
    // A metafile is drawn anew at the factor, never stretched as pixels.
    std::string error;
    if (!LoadScaledPicture(picture, path, factor, mode, CliPictureLoader(), &error)) {
      if (!error.empty()) return CliFailure(path + ": " + error);
      if (!FileExists(path)) return CliFailure("file not found: " + path);
      return CliFailure("scale: the metafile cannot be drawn at the factor " + Number(factor) +
                        " (beyond the working size limit, or no pixels left)");
    }
  } else {
    int status = 0;
    if (!CliLoad(path, picture, status)) return status;
    if (mode > 0 && factor != 1.0 && !Allowed(picture))
      return CliFailure(CliRefusal("scale: the picture", picture.Width(), picture.Height()) +
                        " (or --rectify 0 stretches it)");
    const std::string size = SizeText(picture);
    CliProgress().Step("scaling");
    if (!ResizeByFactor(picture, factor, mode, &CliProgress()))
      return CliFailure("scale: the factor " + Number(factor) + " leaves the " + size +
                        " picture without pixels");
  }
  std::printf("%s\n", Number(factor).c_str());
  return CliSave(picture, args.Positional(1), quality);
}

int Crop(const std::vector<std::string>& raw) {
  TCliArgs args(raw, {"outside"});
  args.ExpectPositional(2);
  CheckOutput(args, 1);
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
  const int quality = CliQuality(args);
  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  if (!CropRegion(picture, sides[0], sides[1], sides[2], sides[3], args.Flag("outside"), fill)) {
    const long long w = static_cast<long long>(sides[2]) - sides[0];
    const long long h = static_cast<long long>(sides[3]) - sides[1];
    if (w > 0 && h > 0 && !TImU::SizeIsAllowed(w, h))
      return CliFailure(CliRefusal("crop: the region", w, h));
    const std::string where = " the " + SizeText(picture) + " picture";
    if (w <= 0 || h <= 0) return CliFailure("crop: the region " + rect + " is empty");
    if (sides[0] > picture.Width() || sides[1] > picture.Height() || sides[2] < 0 || sides[3] < 0)
      return CliFailure("crop: the region " + rect + " lies outside" + where);
    return CliFailure("crop: the region " + rect + " is not within" + where +
                      " (--outside fills what lies beyond it)");
  }
  return CliSave(picture, args.Positional(1), quality);
}

int Margin(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const int margin = args.RequiredInt("margin");
  if (margin < 0) throw TCliUsageError{"--margin must be 0 or more"};
  const TColor color = ParseCliColor(args.RequiredText("colour"));
  const int quality = CliQuality(args);
  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  if (!AddMargin(picture, margin, color))
    return CliFailure(CliRefusal("margin: the picture with its margin",
                                 picture.Width() + 2LL * margin, picture.Height() + 2LL * margin));
  return CliSave(picture, args.Positional(1), quality);
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
  TCliArgs args(raw, FitFrameFlags());
  args.ExpectPositional(2);
  const TFitFrameOptions options = ReadFitFrameOptions(args);
  CheckOutputFolder(args.Positional(1));
  TBitmap24 picture;
  std::string error, saved;
  if (!FitFrameAndSave(picture, args.Positional(0), args.Positional(1), options, CliPictureLoader(),
                       &error, &saved)) {
    if (!error.empty()) return CliFailure(args.Positional(0) + ": " + error);
    const std::string refusal = FitFrameRefusal(picture, options);
    return CliFailure("fit-frame-save: " +
                      (!refusal.empty() ? refusal
                       : picture.Empty()
                           ? "file not found: " + args.Positional(0)
                           : "the " + SizeText(picture) + " picture cannot be fitted and framed"));
  }
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
const TCliRegistrar kScale{{"scale", "IN OUT --factor F [--rectify 0|1|2|3] [--quality Q]", Scale}};
const TCliRegistrar kCrop{
    {"crop", "IN OUT --rect LEFT,TOP,RIGHT,BOTTOM [--outside] [--fill COLOUR] [--quality Q]",
     Crop}};
const TCliRegistrar kMargin{{"margin", "IN OUT --margin M --colour COLOUR [--quality Q]", Margin}};
const TCliRegistrar kFitFactor{{"fit-factor", "BOXW BOXH PICW PICH", FitFactors}};
const TCliRegistrar kFitFrameSave{
    {"fit-frame-save", std::string("IN OUT ") + kFitFrameUsage, FitFrameSave}};

}  // namespace
