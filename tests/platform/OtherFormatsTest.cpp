// PNG, GIF, TIFF and WebP through Qt's readers: flattened over white, first frame, size checks,
// and PNG as a save format.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "engine/ImageBasics.h"
#include "platform/OtherFormatDecoder.h"
#include "platform/PictureDecoders.h"
#include "platform/PictureSave.h"
#include "tests/TestSupport.h"

namespace {

TPictureLoader Loader() {
  TPictureLoader loader;
  AddPlatformDecoders(loader);
  return loader;
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A 1 x 1 PNG whose header declares side x side pixels (with a valid header checksum).
std::string PngDeclaring(std::uint32_t side) {
  QImage small(1, 1, QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  small.save(&buffer, "png");
  std::string png(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  for (const std::size_t at : {std::size_t{16}, std::size_t{20}})
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<char>(side >> (24 - 8 * i));
  const std::uint32_t crc = Crc32(png.substr(12, 17));
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return png;
}

std::uint32_t Pixel(const TBitmap24& b, int x, int y) {
  const std::uint8_t* p = b.Row(y) + 3 * x;
  return static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
}

TEST(OtherFormats, QtReportsEveryReader) {
  for (const char* format : {"png", "gif", "tiff", "webp"})
    EXPECT_TRUE(TOtherFormatDecoder::Available(format)) << format;
}

TEST(OtherFormats, AlphaAndDeepPngBecomeTwentyFourBitOverWhite) {
  TTempDir dir;
  QImage deep(4, 2, QImage::Format_RGBA64);
  deep.fill(QColor::fromRgba64(65535, 0, 0, 65535));
  deep.setPixelColor(1, 0, QColor(0, 0, 255, 0));  // transparent
  deep.setPixelColor(2, 0, QColor(0, 0, 0, 128));  // half black
  deep.setPixelColor(3, 1, QColor::fromRgba64(0, 65535, 0, 65535));
  ASSERT_TRUE(deep.save(QString::fromStdString(dir.File("deep.png")), "png"));
  TBitmap24 picture;
  std::string error;
  ASSERT_TRUE(LoadPictureFile(picture, dir.File("deep.png"), Loader(), &error)) << error;
  ASSERT_EQ(picture.Width(), 4);
  ASSERT_EQ(picture.Height(), 2);
  EXPECT_EQ(Pixel(picture, 0, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(picture, 1, 0), 0xFFFFFFu);
  EXPECT_NEAR(static_cast<int>(Pixel(picture, 2, 0) & 0xFF), 127, 1);
  EXPECT_EQ(Pixel(picture, 3, 1), 0x00FF00u);
}

TEST(OtherFormats, EveryFormatOpensWithItsSize) {
  TTempDir dir;
  QImage image(5, 3, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 255));
  for (const char* ext : {"tif", "tiff", "webp"}) {
    const std::string path = dir.File(std::string("p.") + ext);
    QImageWriter writer(QString::fromStdString(path), ext == std::string("tif") ? "tiff" : ext);
    if (ext == std::string("webp")) writer.setQuality(100);
    ASSERT_TRUE(writer.write(image)) << ext;
    TBitmap24 picture;
    std::string error;
    ASSERT_TRUE(LoadPictureFile(picture, path, Loader(), &error)) << ext << error;
    EXPECT_EQ(picture.Width(), 5) << ext;
    EXPECT_EQ(picture.Height(), 3) << ext;
    EXPECT_GT(Pixel(picture, 2, 1) & 0xFF, 0xF0u) << ext;
  }
}

TEST(OtherFormats, GifShowsItsFirstFrame) {
  // Two 1 x 1 frames over a black and white palette: black first, then white.
  const std::string header("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00", 19);
  const std::string control("!\xf9\x04\x00\x0a\x00\x00\x00", 8);
  const std::string image("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02", 12);
  const std::string black("\x4c\x01\x00", 3), white("\x44\x01\x00", 3);
  TTempDir dir;
  WriteWholeFile(dir.File("a.gif"),
                 header + control + image + black + control + image + white + ";");
  TBitmap24 picture;
  std::string error;
  ASSERT_TRUE(LoadPictureFile(picture, dir.File("a.gif"), Loader(), &error)) << error;
  ASSERT_EQ(picture.Width(), 1);
  EXPECT_EQ(Pixel(picture, 0, 0), 0x000000u);
}

TEST(OtherFormats, BrokenAndHugeFilesAreRefused) {
  TTempDir dir;
  WriteWholeFile(dir.File("bad.png"), std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, 'x'));
  WriteWholeFile(dir.File("huge.png"), PngDeclaring(100000));
  for (const char* name : {"bad.png", "huge.png", "missing.png"}) {
    TBitmap24 picture(2, 2);
    std::string error;
    EXPECT_FALSE(LoadPictureFile(picture, dir.File(name), Loader(), &error)) << name;
    EXPECT_EQ(picture.Width(), 2) << name;
  }
}

// A few bytes that declare a huge picture are refused before anything is allocated: a GIF whose
// logical screen or frame is huge, and a PNG of 16384 x 16384 (the old hard ceiling).
TEST(OtherFormats, DeclaredSizesBeyondTheLoadLimitAreRefused) {
  TTempDir dir;
  auto gif = [](int screen, int frame) {
    std::string b = "GIF89a";
    for (int side : {screen, screen})
      b += {static_cast<char>(side & 0xFF), static_cast<char>(side >> 8)};
    // Two colours, black and white, then a frame at the origin.
    b += std::string("\x80\0\0\0\0\0\xFF\xFF\xFF\x2C\0\0\0\0", 14);
    for (int side : {frame, frame})
      b += {static_cast<char>(side & 0xFF), static_cast<char>(side >> 8)};
    return b + std::string("\0\x02\x02\x44\x01\0\x3B", 7);
  };
  ASSERT_EQ(gif(16000, 1).size(), 35u);
  WriteWholeFile(dir.File("screen.gif"), gif(16000, 1));
  WriteWholeFile(dir.File("frame.gif"), gif(1, 16000));
  WriteWholeFile(dir.File("huge.png"), PngDeclaring(16384));
  for (const char* name : {"screen.gif", "frame.gif", "huge.png"}) {
    TBitmap24 picture;
    std::string error;
    EXPECT_FALSE(Loader().Load(dir.File(name), picture, error)) << name;
    EXPECT_NE(error.find("pixels a picture may have"), std::string::npos) << name << ": " << error;
  }
  // The same GIF with a small screen is a picture.
  WriteWholeFile(dir.File("small.gif"), gif(1, 1));
  TBitmap24 picture;
  std::string error;
  EXPECT_TRUE(Loader().Load(dir.File("small.gif"), picture, error)) << error;
}

TEST(OtherFormats, PngSaveKeepsEveryPixel) {
  TTempDir dir;
  const TBitmap24 picture = PatternBitmap(33, 17);
  std::string saved;
  ASSERT_TRUE(SavePicture(picture, dir.File("o.PNG"), true, 90, &saved));
  EXPECT_EQ(saved, dir.File("o.PNG"));
  ASSERT_TRUE(SavePicture(picture, dir.File("o.PNG"), false, 90, &saved));
  EXPECT_NE(saved, dir.File("o.PNG"));  // never over an existing file without keep_name
  TBitmap24 back;
  ASSERT_TRUE(LoadPictureFile(back, saved, Loader()));
  EXPECT_TRUE(back.SameSizeAs(picture) && back.SamePixels(picture));
}

}  // namespace
