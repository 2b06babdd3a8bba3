#include "cli/CliPictures.h"

#include <cstdio>

#include "engine/FileNames.h"
#include "engine/ImageBasics.h"

int CliFailure(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

void CheckOutputName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext != ".bmp" && ext != ".jpg" && ext != ".jpeg")
    throw TCliUsageError{"the output must be a .bmp, .jpg or .jpeg file: " + path};
}

int CliQuality(const TCliArgs& args) {
  const int quality = args.Int("quality", kCliDefaultQuality);
  if (quality < 1 || quality > 100) throw TCliUsageError{"--quality must be 1..100"};
  return quality;
}

bool CliLoad(const std::string& path, TBitmap24& picture, int& status) {
  std::string error;
  if (LoadPictureFile(picture, path, CliPictureLoader(), &error)) return true;
  status = CliFailure(error.empty() ? "file not found: " + path : path + ": " + error);
  return false;
}

int CliSave(const TBitmap24& picture, const std::string& path, int quality) {
  std::string error;
  if (!SavePictureFile(picture, path, true, quality, nullptr, &error))
    return CliFailure(error.empty() ? "cannot save " + path : path + ": " + error);
  return 0;
}
