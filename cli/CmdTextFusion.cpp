// Text drawn onto pictures, fusion of two pictures and channel value mapping.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageCanvasEdit.h"
#include "engine/ImageFusion.h"
#include "engine/ImageOption.h"
#include "platform/QtFontRasteriser.h"

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

// "V,V,..." of byte values; an empty text is an empty list.
std::vector<std::uint8_t> ByteList(const std::string& name, const std::string& text) {
  std::vector<std::uint8_t> values;
  if (text.empty()) return values;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const int v = ParseCliInt(text.substr(start, comma - start));
    if (v < 0 || v > 255) throw TCliUsageError{"--" + name + " values must be 0..255"};
    values.push_back(static_cast<std::uint8_t>(v));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return values;
}

int Text(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const std::string settings = args.RequiredText("settings");
  const int quality = Quality(args);
  TBitmap24 picture, result;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  const TQtFontRasteriser rasteriser;
  int left = 0, top = 0;
  std::string reason;
  if (!DrawText(picture, result, settings, rasteriser, left, top, &reason))
    return Failure("text not drawn: " + reason);
  std::printf("%d %d\n", left, top);
  return Save(result, args.Positional(1), quality);
}

int Fusion(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(3);
  CheckOutputName(args.Positional(2));
  const std::string settings = args.RequiredText("settings");
  const int quality = Quality(args);
  TBitmap24 a, b, result;
  int status = 0;
  if (!Load(args.Positional(0), a, status) || !Load(args.Positional(1), b, status)) return status;
  int top = 0, left = 0;
  std::string reason;
  if (!Fuse(a, b, top, left, settings, result, &reason))
    return Failure("pictures not fused: " + reason);
  std::printf("%d %d\n", left, top);
  return Save(result, args.Positional(2), quality);
}

int MapChannels(const std::vector<std::string>& raw) {
  TCliArgs args(raw, {"exact"});
  args.ExpectPositional(2);
  CheckOutputName(args.Positional(1));
  const std::vector<std::uint8_t> to = ByteList("to", args.RequiredText("to"));
  const std::vector<std::uint8_t> from = ByteList("from", args.RequiredText("from"));
  if (to.size() != from.size()) throw TCliUsageError{"--to and --from need as many values"};
  const int quality = Quality(args);
  TBitmap24 picture, result;
  int status = 0;
  if (!Load(args.Positional(0), picture, status)) return status;
  if (!TImageCanvasEdit::MapChannelValues(picture, result, args.Flag("exact"), to, from))
    return Failure("channel values not mapped (picture beyond the size limit?)");
  return Save(result, args.Positional(1), quality);
}

const TCliRegistrar kText{{"text", "IN OUT --settings TEXT [--quality Q]", Text}};
const TCliRegistrar kFuse{{"fuse", "A B OUT --settings TEXT [--quality Q]", Fusion}};
const TCliRegistrar kMapChannels{
    {"map-channels", "IN OUT --to V,V,... --from V,V,... [--exact] [--quality Q]", MapChannels}};

}  // namespace
