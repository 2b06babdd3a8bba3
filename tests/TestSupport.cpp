#include "tests/TestSupport.h"

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TTempDir::TTempDir() {
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() / ("velmora-test-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(path_, ec)) break;
  }
}

TTempDir::~TTempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TBitmap24 PatternBitmap(int width, int height) {
  TBitmap24 bmp(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bmp.SetPixel(
          x, y,
          MakeColor(static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(x + y * 5),
                    static_cast<std::uint8_t>(x * y)));
  return bmp;
}

// The leak checker of the sanitizer build: allocations that system libraries keep for the life
// of the process are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libQt6Gui\nleak:libdbus\n";
}
