#include "cli/CliPictures.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/CliProgress.h"
#include "engine/FileAccess.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageUtils.h"
#include "platform/PictureSave.h"

namespace {

std::string Grouped(long long value) {
  std::string digits = std::to_string(value), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

constexpr char kLimitWords[] = "working size limit";

std::string LimitHint() {
  if (TImU::LargePictures()) return "; that is the largest size velmora-cli works on";
  return "; --large-pictures raises it to " + Grouped(TImU::kLargeMaxWidth) + " pixels wide and " +
         Grouped(TImU::kLargeMaxArea) + " pixels";
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec))
    return std::filesystem::equivalent(a, b, ec);
  return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec);
}

}  // namespace

int CliFailure(const std::string& message) {
  std::string text = message;
  if (text.find(kLimitWords) != std::string::npos &&
      text.find("--large-pictures") == std::string::npos)
    text += LimitHint();
  CliProgress().Clear();
  std::fprintf(stderr, "%s\n", text.c_str());
  return 1;
}

std::string CliRefusal(const std::string& what, long long width, long long height) {
  return what + " " + TImU::RefusalText(width, height) + LimitHint();
}

void CheckOutput(const TCliArgs& args, std::size_t index) {
  const std::string out = args.Positional(index);
  CheckOutputName(out);
  for (std::size_t i = 0; i < args.Positional().size(); ++i)
    if (i != index && SameFile(args.Positional(i), out))
      throw TCliUsageError{"the output " + out + " is the input file; name another file"};
  CheckOutputFolder(out);
  std::string reason;
  if (!CanReplaceFile(out, &reason)) throw TCliFailure{reason};
}

void CheckOutputFolder(const std::string& path) {
  if (path.empty()) return;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string folder = parent.empty() ? "." : parent.string();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec))
    throw TCliFailure{"the output folder " + folder + " does not exist"};
  if (::access(folder.c_str(), W_OK) != 0)
    throw TCliFailure{"the output folder " + folder + " cannot be written"};
}

void CheckOutputName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext != ".bmp" && ext != ".jpg" && ext != ".jpeg" && ext != ".png")
    throw TCliUsageError{"the output must be a .bmp, .jpg, .jpeg or .png file: " + path};
}

int CliQuality(const TCliArgs& args) {
  const int quality = args.Int("quality", kCliDefaultQuality);
  if (quality < 1 || quality > 100) throw TCliUsageError{"--quality must be 1..100"};
  return quality;
}

bool CliLoad(const std::string& path, TBitmap24& picture, int& status) {
  CliProgress().Step("reading " + path);
  std::string error;
  if (LoadPictureFile(picture, path, CliPictureLoader(), &error)) return true;
  status = CliFailure(error.empty() ? "file not found: " + path : path + ": " + error);
  return false;
}

int CliSave(const TBitmap24& picture, const std::string& path, int quality) {
  CliProgress().Step("writing " + path);
  std::string error;
  if (!SavePicture(picture, path, true, quality, nullptr, &error))
    return CliFailure(error.empty() ? "cannot save " + path : path + ": " + error);
  return 0;
}
