#include "cli/CliFitFrame.h"

#include "cli/CliPictures.h"
#include "engine/ImageUtils.h"

std::vector<std::string> FitFrameFlags(std::vector<std::string> more) {
  more.insert(more.end(), {"margin", "surround", "enlarge"});
  return more;
}

TFitFrameOptions ReadFitFrameOptions(const TCliArgs& args) {
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
  options.quality = args.Int("quality", 90);
  if (options.quality < 1 || options.quality > 100)
    throw TCliUsageError{"--quality must be 1..100"};
  return options;
}

std::string FitFrameRefusal(const TBitmap24& picture, const TFitFrameOptions& options) {
  if (options.rectify_mode > 0 && !picture.Empty() &&
      !TImU::SizeIsAllowed(picture.Width(), picture.Height()))
    return CliRefusal("the picture", picture.Width(), picture.Height()) +
           " (or --rectify 0 stretches it)";
  const long long edges = options.edge_size > 0 ? 2LL * options.edge_size : 0;
  const long long width = options.target_width > 0 ? options.target_width : picture.Width() + edges;
  const long long height =
      options.target_height > 0 ? options.target_height : picture.Height() + edges;
  // A record's picture is not handed back on failure; only given targets can be judged then.
  if (picture.Empty() && (options.target_width <= 0 || options.target_height <= 0)) return {};
  if (!TImU::SizeIsAllowed(width, height)) return CliRefusal("the framed picture", width, height);
  return {};
}
