// Text drawn onto pictures, fusion of two pictures and channel value mapping.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliPictures.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageCanvasEdit.h"
#include "engine/ImageFusion.h"
#include "engine/ImageOption.h"
#include "engine/ImageUtils.h"
#include "platform/QtFontRasteriser.h"

namespace {

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
  CheckOutput(args, 1);
  const std::string settings = args.RequiredText("settings");
  const int quality = CliQuality(args);
  TBitmap24 picture, result;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  const TQtFontRasteriser rasteriser;
  int left = 0, top = 0;
  std::string reason;
  if (!DrawText(picture, result, settings, rasteriser, left, top, &reason))
    return CliFailure("text: the text is not drawn: " + reason);
  std::printf("%d %d\n", left, top);
  return CliSave(result, args.Positional(1), quality);
}

int Fusion(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(3);
  CheckOutput(args, 2);
  const std::string settings = args.RequiredText("settings");
  const int quality = CliQuality(args);
  TBitmap24 a, b, result;
  int status = 0;
  if (!CliLoad(args.Positional(0), a, status) || !CliLoad(args.Positional(1), b, status))
    return status;
  int top = 0, left = 0;
  std::string reason;
  if (!Fuse(a, b, top, left, settings, result, &reason))
    return CliFailure("fuse: the pictures are not fused: " + reason);
  std::printf("%d %d\n", left, top);
  return CliSave(result, args.Positional(2), quality);
}

int MapChannels(const std::vector<std::string>& raw) {
  TCliArgs args(raw, {"exact"});
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const std::vector<std::uint8_t> to = ByteList("to", args.RequiredText("to"));
  const std::vector<std::uint8_t> from = ByteList("from", args.RequiredText("from"));
  if (to.size() != from.size()) throw TCliUsageError{"--to and --from need as many values"};
  const int quality = CliQuality(args);
  TBitmap24 picture, result;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  if (!TImageCanvasEdit::MapChannelValues(picture, result, args.Flag("exact"), to, from))
    return CliFailure(
        TImU::SizeIsAllowed(picture.Width(), picture.Height())
            ? "map-channels: the channel values cannot be mapped"
            : CliRefusal("map-channels: the picture", picture.Width(), picture.Height()));
  return CliSave(result, args.Positional(1), quality);
}

const TCliRegistrar kText{{"text", "IN OUT --settings TEXT [--quality Q]", Text}};
const TCliRegistrar kFuse{{"fuse", "A B OUT --settings TEXT [--quality Q]", Fusion}};
const TCliRegistrar kMapChannels{
    {"map-channels", "IN OUT --to V,V,... --from V,V,... [--exact] [--quality Q]", MapChannels}};

}  // namespace
