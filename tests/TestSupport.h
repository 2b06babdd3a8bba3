#pragma once

#include <filesystem>
#include <string>

#include "engine/Bitmap24.h"

// A fresh empty folder under the system temporary folder, removed with the object.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// A picture whose every pixel differs from its neighbours: r = x*7+y, g = x+y*5, b = x*y (mod 256).
TBitmap24 PatternBitmap(int width, int height);
