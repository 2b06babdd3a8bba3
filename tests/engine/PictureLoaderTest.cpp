#include <gtest/gtest.h>

#include <filesystem>

#include "engine/BmpFile.h"
#include "engine/ImageBasics.h"
#include "engine/JpegFile.h"
#include "engine/PictureLoader.h"
#include "tests/TestSupport.h"
#include "tests/engine/TestPictureFiles.h"

namespace {

bool SamePixels(const TBitmap24& a, const TBitmap24& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

// A loader that keeps its last picture must still hand out what each file holds now: another
// file, or the same file written anew, is decoded again.
TEST(PictureLoader, KeptPictureFollowsTheFileAskedFor) {
  TTempDir dir;
  const TBitmap24 first = PatternBitmap(30, 20);
  TBitmap24 second(12, 9);
  second.Fill(0x00405060);
  SaveBmp(first, dir.File("a.bmp"));
  SaveBmp(second, dir.File("b.bmp"));

  TPictureLoader loader;
  loader.KeepLastPicture();
  TBitmap24 out;
  std::string error;
  ASSERT_TRUE(loader.Load(dir.File("a.bmp"), out, error));
  EXPECT_TRUE(SamePixels(out, first));
  out.Fill(0);  // what the caller does with its copy must not reach the kept picture
  ASSERT_TRUE(loader.Load(dir.File("a.bmp"), out, error));
  EXPECT_TRUE(SamePixels(out, first));
  ASSERT_TRUE(loader.Load(dir.File("b.bmp"), out, error));
  EXPECT_TRUE(SamePixels(out, second));

  // Rewritten with another size: the kept copy no longer matches the file.
  std::filesystem::remove(dir.File("a.bmp"));
  SaveBmp(second, dir.File("a.bmp"));
  ASSERT_TRUE(loader.Load(dir.File("a.bmp"), out, error));
  EXPECT_TRUE(SamePixels(out, second));

  std::filesystem::remove(dir.File("a.bmp"));
  EXPECT_FALSE(loader.Load(dir.File("a.bmp"), out, error));
  EXPECT_TRUE(SamePixels(out, second));  // unchanged on failure
}

// A part cut from the kept picture is the part the whole load and a crop give, white beyond
// the picture included, and follows the file when it is written anew.
TEST(PictureLoader, RegionOfKeptPictureIsTheCropOfTheFile) {
  TTempDir dir;
  SaveBmp(PatternBitmap(30, 20), dir.File("a.bmp"));
  TPictureLoader plain, keeping;
  keeping.KeepLastPicture();
  const int regions[][4] = {{0, 0, 30, 20}, {5, 6, 12, 9}, {-4, -3, 10, 8}, {25, 15, 40, 30}};
  std::string error;
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& r : regions) {
      TBitmap24 expected = LoadBack(dir.File("a.bmp"));
      ASSERT_TRUE(CropRegion(expected, r[0], r[1], r[2], r[3], true, kWhite));
      TBitmap24 from_plain, from_kept;
      ASSERT_TRUE(plain.LoadRegion(dir.File("a.bmp"), r[0], r[1], r[2], r[3], from_plain, error));
      ASSERT_TRUE(keeping.LoadRegion(dir.File("a.bmp"), r[0], r[1], r[2], r[3], from_kept, error));
      EXPECT_TRUE(SamePixels(from_plain, expected)) << r[0] << "," << r[1];
      EXPECT_TRUE(SamePixels(from_kept, expected)) << r[0] << "," << r[1];
    }
    std::filesystem::remove(dir.File("a.bmp"));
    SaveBmp(PatternBitmap(41, 33), dir.File("a.bmp"));
  }
  TBitmap24 out;
  EXPECT_FALSE(keeping.LoadRegion(dir.File("a.bmp"), 50, 50, 60, 60, out, error));
  EXPECT_TRUE(error.empty());
}

// The size of a JPEG comes from its headers, which are read from the start of the file; headers
// that reach far into the file (large metadata blocks) are read to their end, and a file cut
// inside them fails.
TEST(PictureLoader, JpegSizeFromHeadersWhereverTheyEnd) {
  TTempDir dir;
  std::string jpeg, error;
  ASSERT_TRUE(EncodeJpeg(PatternBitmap(48, 20), 90, jpeg, error)) << error;
  std::string metadata;
  for (int i = 0; i < 3; ++i) {  // three APP1 blocks of 60,000 bytes after the SOI marker
    metadata += "\xFF\xE1";
    metadata += static_cast<char>(60000 >> 8);
    metadata += static_cast<char>(60000 & 0xFF);
    metadata += std::string(59998, 'm');
  }
  const struct {
    const char* name;
    std::string bytes;
    bool ok;
  } cases[] = {{"plain.jpg", jpeg, true},
               {"metadata.jpg", jpeg.substr(0, 2) + metadata + jpeg.substr(2), true},
               {"cut.jpg", jpeg.substr(0, 2) + metadata.substr(0, 100000), false},
               {"empty.jpg", "", false}};
  TPictureLoader loader;
  for (const auto& c : cases) {
    WriteWholeFile(dir.File(c.name), c.bytes);
    int width = 0, height = 0;
    EXPECT_EQ(loader.ReadSize(dir.File(c.name), width, height, error), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(std::make_pair(width, height), std::make_pair(48, 20)) << c.name;
    }
  }
}

// A BMP's size comes from the start of the file alone, while its rows are still checked against
// the whole file: a file cut short fails as when it is read whole.
TEST(PictureLoader, BmpSizeFromItsHeadersCheckedAgainstTheWholeFile) {
  TTempDir dir;
  std::string bmp;
  ASSERT_TRUE(EncodeBmp(PatternBitmap(301, 250), bmp));  // 226 KB, well past the part read
  TPictureLoader loader;
  const struct {
    const char* name;
    std::string bytes;
    bool ok;
  } cases[] = {{"whole.bmp", bmp, true},
               {"cut.bmp", bmp.substr(0, bmp.size() - 10), false},
               {"headers-only.bmp", bmp.substr(0, 54), false}};
  for (const auto& c : cases) {
    WriteWholeFile(dir.File(c.name), c.bytes);
    int width = 0, height = 0;
    std::string error, whole_error;
    EXPECT_EQ(loader.ReadSize(dir.File(c.name), width, height, error), c.ok) << c.name;
    int w = 0, h = 0;
    EXPECT_EQ(ReadBmpSize(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size(), w,
                          h, whole_error),
              c.ok);
    EXPECT_EQ(error, whole_error) << c.name;
    if (c.ok) {
      EXPECT_EQ(std::make_pair(width, height), std::make_pair(301, 250)) << c.name;
    }
  }
}

}  // namespace
