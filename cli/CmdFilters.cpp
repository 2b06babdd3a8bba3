// Kernel filters: the free kernel text, low pass, unsharp masking, the low-pass kernel and the
// kernel presets of the free filter dialog.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliPictures.h"
#include "cli/CliProgress.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageUtils.h"
#include "engine/KernelGenerators.h"
#include "engine/PictureLoader.h"

namespace {

const std::vector<std::string> kKernelFlags = {"grid", "ones"};

// The messages the program would show for a failed filter, the size refusal, or the filter's
// bare failure message.
int FilterFailure(const TImageFilterSimple& filter, const TBitmap24& picture, const char* command,
                  const char* bare_message) {
  if (!TImU::SizeIsAllowed(picture.Width(), picture.Height()))
    return CliFailure(
        CliRefusal(std::string(command) + ": the picture", picture.Width(), picture.Height()));
  bool any = false;
  for (const TFilterMessage& m : filter.Messages()) {
    if (m.caption != TImageFilterSimple::kConfirmCaption) continue;
    std::fprintf(stderr, "%s\n", m.text.c_str());
    any = true;
  }
  if (!any) std::fprintf(stderr, "%s\n", bare_message);
  return 1;
}

// The low-pass settings shared by lowpass, unsharp and make-kernel.
struct TLowPassOptions {
  int size = 3;
  bool apply_centre = false;
  int centre = 50;
  bool grid = false;
  bool ones = false;
};

TLowPassOptions LowPassOptions(const TCliArgs& args) {
  TLowPassOptions o;
  o.size = args.RequiredInt("size");
  o.apply_centre = args.Has("centre");
  o.centre = args.Int("centre", 50);
  if (o.apply_centre && (o.centre < 0 || o.centre > 99))
    throw TCliUsageError{"--centre must be 0..99"};
  o.grid = args.Flag("grid");
  o.ones = args.Flag("ones");
  return o;
}

int Kernel(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const std::string text = args.RequiredText("text");
  const int quality = CliQuality(args);
  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  CliProgress().Step("filtering");
  TImageFilterSimple filter(&CliProgress());
  if (!filter.RunKernelText(picture, text))
    return FilterFailure(filter, picture, "kernel", "FreeFilter Error");
  return CliSave(picture, args.Positional(1), quality);
}

int LowPass(const std::vector<std::string>& raw) {
  TCliArgs args(raw, kKernelFlags);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const TLowPassOptions o = LowPassOptions(args);
  const int quality = CliQuality(args);
  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  CliProgress().Step("filtering");
  TImageFilterSimple filter(&CliProgress());
  if (!filter.LowPass(picture, o.size, o.apply_centre, o.centre, false, o.grid, o.ones))
    return FilterFailure(filter, picture, "lowpass", "Filter Error");
  return CliSave(picture, args.Positional(1), quality);
}

int Unsharp(const std::vector<std::string>& raw) {
  TCliArgs args(raw, kKernelFlags);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const int strength = args.RequiredInt("strength");
  const TLowPassOptions o = LowPassOptions(args);
  const int quality = CliQuality(args);
  TBitmap24 picture;
  int status = 0;
  if (!CliLoad(args.Positional(0), picture, status)) return status;
  CliProgress().Step("sharpening");
  TImageFilterSimple filter(&CliProgress());
  if (!filter.UnsharpMask(picture, strength, o.size, o.apply_centre, o.centre, false, o.grid,
                          o.ones))
    return FilterFailure(filter, picture, "unsharp", "Filter Error");
  return CliSave(picture, args.Positional(1), quality);
}

int MakeKernel(const std::vector<std::string>& raw) {
  TCliArgs args(raw, kKernelFlags);
  args.ExpectPositional(0);
  const TLowPassOptions o = LowPassOptions(args);
  TImageFilterSimple filter;
  if (!filter.MakeKernel(o.size, o.apply_centre, false, o.grid, o.ones, o.centre))
    return CliFailure("the kernel cannot be made (size 1.." +
                      std::to_string(TImageFilterSimple::kMaxKernelSize) + ")");
  for (int i = 0; i < filter.KernelSize(); ++i) {
    for (int j = 0; j < filter.KernelSize(); ++j)
      std::printf(j == 0 ? "%d" : " %d", filter.Weight(i, j));
    std::printf("\n");
  }
  std::printf("total %lld\n", filter.Total());
  return 0;
}

int KernelGen(const std::vector<std::string>& raw) {
  TCliArgs args(raw, {"grid", "ones", "cross"});
  args.ExpectPositional(2);
  const std::string kind = args.Positional(0);
  const int size = ParseCliInt(args.Positional(1));
  const bool ones = args.Flag("ones"), grid = args.Flag("grid");
  auto direction = [&] { return args.RequiredInt("direction"); };
  std::string text;
  if (kind == "smooth")
    text = SmoothKernelText(size, ones, grid);
  else if (kind == "smooth-centre")
    text = SmoothKernelTextWithCentre(size, ones, grid, args.RequiredInt("centre"));
  else if (kind == "line")
    text = LineKernelText(size, direction());
  else if (kind == "split")
    text = SplitKernelText(size, direction(), ones, grid);
  else if (kind == "sharpen")
    text = SharpenKernelText(size, args.Flag("cross"), ones, grid);
  else if (kind == "relief")
    text = ReliefKernelText(size, direction(), ones, grid);
  else
    throw TCliUsageError{"unknown preset " + kind};
  if (text.empty()) return CliFailure("カーネルデータの設定に失敗しました。");
  std::printf("%s\n", text.c_str());
  return 0;
}

const TCliRegistrar kKernel{
    {"kernel",
     "IN OUT --text KERNELTEXT [--quality Q]   (e.g. --text STD,3,1,1,1,1,2,1,1,1,1,0,128)",
     Kernel}};
const TCliRegistrar kLowPass{
    {"lowpass", "IN OUT --size N [--centre PERCENT] [--grid] [--ones] [--quality Q]", LowPass}};
const TCliRegistrar kUnsharp{
    {"unsharp", "IN OUT --strength S --size N [--centre PERCENT] [--grid] [--ones] [--quality Q]",
     Unsharp}};
const TCliRegistrar kMakeKernel{
    {"make-kernel", "--size N [--centre PERCENT] [--grid] [--ones]", MakeKernel}};
const TCliRegistrar kKernelGen{
    {"kernel-gen",
     "smooth|smooth-centre|line|split|sharpen|relief SIZE [--direction D] [--ones] [--grid] "
     "[--cross] [--centre PERCENT]",
     KernelGen}};

}  // namespace
