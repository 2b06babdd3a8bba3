#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "platform/IconDecoder.h"
#include "platform/PictureDecoders.h"
#include "tests/TestSupport.h"

namespace {

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, unsigned v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

struct TIconImage {
  std::string payload;
  int width;
  int height;
  int bits;
};

// An icon file: directory plus payloads in the given order.
std::string MakeIco(const std::vector<TIconImage>& images) {
  std::string out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(images.size()));
  std::size_t offset = 6 + 16 * images.size();
  for (const TIconImage& i : images) {
    out += static_cast<char>(i.width & 0xFF);
    out += static_cast<char>(i.height & 0xFF);
    out += '\0';
    out += '\0';
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(i.bits));
    Put32(out, static_cast<unsigned>(i.payload.size()));
    Put32(out, static_cast<unsigned>(offset));
    offset += i.payload.size();
  }
  for (const TIconImage& i : images) out += i.payload;
  return out;
}

// A BMP icon image: 32-bit BGRA, or 8-bit with a palette of the image's colours; the AND mask
// marks pixels of zero alpha.
TIconImage BmpIcon(const QImage& source, int bits) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const int w = image.width(), h = image.height();
  std::vector<QRgb> palette;
  std::string p;
  Put32(p, 40);
  Put32(p, static_cast<unsigned>(w));
  Put32(p, static_cast<unsigned>(2 * h));
  Put16(p, 1);
  Put16(p, static_cast<unsigned>(bits));
  for (int i = 0; i < 6; ++i) Put32(p, 0);
  std::string pixels;
  for (int y = h - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < w; ++x) {
      const QRgb c = image.pixel(x, y);
      if (bits == 32) {
        row += static_cast<char>(qBlue(c));
        row += static_cast<char>(qGreen(c));
        row += static_cast<char>(qRed(c));
        row += static_cast<char>(qAlpha(c));
      } else {
        const QRgb opaque = c | 0xFF000000u;
        auto it = std::find(palette.begin(), palette.end(), opaque);
        if (it == palette.end()) it = palette.insert(palette.end(), opaque);
        row += static_cast<char>(it - palette.begin());
      }
    }
    row.resize((row.size() + 3) & ~std::size_t{3}, '\0');
    pixels += row;
  }
  if (bits == 8) {
    palette.resize(256, 0);
    for (QRgb c : palette) {
      p += static_cast<char>(qBlue(c));
      p += static_cast<char>(qGreen(c));
      p += static_cast<char>(qRed(c));
      p += '\0';
    }
  }
  p += pixels;
  const std::size_t mask_stride = ((w + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {
    std::string row(mask_stride, '\0');
    for (int x = 0; x < w; ++x)
      if (qAlpha(image.pixel(x, y)) == 0) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    p += row;
  }
  return {p, w, h, bits};
}

TIconImage PngIcon(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return {png.toStdString(), image.width() >= 256 ? 0 : image.width(),
          image.height() >= 256 ? 0 : image.height(), 32};
}

QImage Filled(int w, int h, QRgb c) {
  QImage i(w, h, QImage::Format_ARGB32);
  i.fill(c);
  return i;
}

TBitmap24 Decode(const std::string& ico, int& w, int& h) {
  QImage picture;
  std::string error;
  EXPECT_TRUE(TIconDecoder::DecodeBytes(ico, picture, error)) << error;
  w = picture.width();
  h = picture.height();
  TBitmap24 b;
  EXPECT_TRUE(TIconDecoder::RenderBytes(ico, w, h, b, error)) << error;
  return b;
}

TEST(IconDecoder, ChoosesTheLargestThenTheDeepestImage) {
  const TIconImage small_deep = BmpIcon(Filled(16, 16, qRgb(255, 0, 0)), 32);
  const TIconImage large_shallow = BmpIcon(Filled(32, 32, qRgb(0, 0, 255)), 8);
  const TIconImage large_deep = BmpIcon(Filled(32, 32, qRgb(0, 255, 0)), 32);
  for (const auto& order : {std::vector<TIconImage>{small_deep, large_shallow, large_deep},
                            std::vector<TIconImage>{large_deep, small_deep, large_shallow}}) {
    int w = 0, h = 0;
    const TBitmap24 b = Decode(MakeIco(order), w, h);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(b.Pixel(5, 5), MakeColor(0, 255, 0));
  }
  // A larger image wins over a deeper one; a PNG image counts by its own header.
  int w = 0, h = 0;
  const TBitmap24 b =
      Decode(MakeIco({large_deep, PngIcon(Filled(48, 48, qRgb(10, 20, 30))), small_deep}), w, h);
  EXPECT_EQ(w, 48);
  EXPECT_EQ(b.Pixel(47, 47), MakeColor(10, 20, 30));
}

// Icons made since 2007 store their large images as PNG, often beside BMP images of the small
// sizes; 256 pixels is written 0 in the directory.
TEST(IconDecoder, PngImagesDecodeAmongBmpImages) {
  QImage large(256, 256, QImage::Format_ARGB32);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) large.setPixel(x, y, qRgba(x, y, 200, x < 16 ? 0 : 255));
  const TIconImage png256 = PngIcon(large);
  ASSERT_EQ(png256.width, 0);
  const TIconImage bmp16 = BmpIcon(Filled(16, 16, qRgb(255, 0, 0)), 32);
  const TIconImage bmp48 = BmpIcon(Filled(48, 48, qRgb(0, 0, 255)), 8);
  for (const auto& order : {std::vector<TIconImage>{png256},
                            {bmp16, bmp48, png256},
                            {png256, bmp48, bmp16},
                            {bmp48, png256}}) {
    int w = 0, h = 0;
    const TBitmap24 b = Decode(MakeIco(order), w, h);
    ASSERT_EQ(w, 256);
    ASSERT_EQ(h, 256);
    EXPECT_EQ(b.Pixel(100, 37), MakeColor(100, 37, 200));
    EXPECT_EQ(b.Pixel(3, 99), kWhite);  // transparent over white
  }
  // Of two PNG images of one size the deeper one is shown.
  QImage grey = Filled(64, 64, qRgb(90, 90, 90)).convertToFormat(QImage::Format_Grayscale8);
  const TIconImage png_grey = PngIcon(grey);
  const TIconImage png_colour = PngIcon(Filled(64, 64, qRgb(10, 200, 30)));
  for (const auto& order :
       {std::vector<TIconImage>{png_grey, png_colour}, {png_colour, png_grey}}) {
    int w = 0, h = 0;
    const TBitmap24 b = Decode(MakeIco(order), w, h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(b.Pixel(1, 1), MakeColor(10, 200, 30));
  }
}

// A PNG image's own header says how large it decodes: one that claims far more than its
// directory entry, or more than a picture may have, is refused before it is decoded.
TEST(IconDecoder, PngImagesClaimingTooMuchAreRefused) {
  const TIconImage bmp16 = BmpIcon(Filled(16, 16, qRgb(255, 0, 0)), 32);
  struct TClaim {
    int directory;  // as written in the directory (0 is 256)
    int side;       // the PNG's own
  };
  for (const TClaim claim : {TClaim{32, 3000}, TClaim{0, 6000}, TClaim{16, 300}}) {
    QImage big(claim.side, claim.side, QImage::Format_Mono);
    big.fill(1);
    TIconImage png = PngIcon(big);
    png.width = png.height = claim.directory;
    // Alone it is an icon without a readable image; beside a BMP image that one is shown.
    std::string error;
    QImage picture;
    EXPECT_FALSE(TIconDecoder::DecodeBytes(MakeIco({png}), picture, error)) << claim.side;
    EXPECT_FALSE(error.empty());
    int w = 0, h = 0;
    const TBitmap24 b = Decode(MakeIco({png, bmp16}), w, h);
    EXPECT_EQ(w, 16) << claim.side;
  }
}

TEST(IconDecoder, TransparencyIsCompositedOverWhite) {
  QImage image = Filled(8, 8, qRgba(0, 255, 0, 255));
  image.setPixel(0, 0, qRgba(0, 0, 0, 0));
  image.setPixel(1, 0, qRgba(0, 255, 0, 128));
  for (const TIconImage& icon : {BmpIcon(image, 32), PngIcon(image)}) {
    int w = 0, h = 0;
    const TBitmap24 b = Decode(MakeIco({icon}), w, h);
    EXPECT_EQ(b.Pixel(0, 0), kWhite);
    EXPECT_EQ(b.Pixel(2, 0), MakeColor(0, 255, 0));
    const TColor half = b.Pixel(1, 0);
    EXPECT_NEAR(ColorRed(half), 127, 1);
    EXPECT_EQ(ColorGreen(half), 255);
    EXPECT_NEAR(ColorBlue(half), 127, 1);
  }
  // In a paletted image the AND mask alone makes pixels transparent.
  int w = 0, h = 0;
  const TBitmap24 b = Decode(MakeIco({BmpIcon(image, 8)}), w, h);
  EXPECT_EQ(b.Pixel(0, 0), kWhite);
  EXPECT_EQ(b.Pixel(3, 3), MakeColor(0, 255, 0));
}

TEST(IconDecoder, StretchesByNearestNeighbourThroughTheDecoderInterface) {
  QImage checker(4, 4, QImage::Format_ARGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      checker.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 0, 0));
  TTempDir dir;
  WriteWholeFile(dir.File("c.ico"), MakeIco({BmpIcon(checker, 32)}));
  const TPictureDecoder* decoder = PlatformDecoderFor(".ico");
  ASSERT_NE(decoder, nullptr);
  int w = 0, h = 0;
  std::string error;
  ASSERT_TRUE(decoder->ReadSize(dir.File("c.ico"), w, h, error)) << error;
  EXPECT_EQ(w, 4);
  TBitmap24 b;
  ASSERT_TRUE(decoder->Render(dir.File("c.ico"), 12, 8, b, error)) << error;
  ASSERT_EQ(b.Width(), 12);
  ASSERT_EQ(b.Height(), 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(b.Pixel(x, y), (x / 3 + y / 2) % 2 ? kBlack : MakeColor(255, 0, 0))
          << x << "," << y;
}

TEST(IconDecoder, BrokenFilesGiveReasonsAndLeaveTheBitmap) {
  const std::string good = MakeIco({BmpIcon(Filled(16, 16, qRgb(1, 2, 3)), 32)});
  std::string past_end = good;
  past_end[18] = '\x7f';  // payload offset far past the file
  std::string no_images = good.substr(0, 6);
  no_images[4] = 0;
  std::string garbage_payload = good;
  for (std::size_t i = 22; i < garbage_payload.size(); ++i) garbage_payload[i] = '\x5a';
  TBitmap24 b(3, 3);
  b.Fill(kBlack);
  for (const std::string& bad : {std::string(), std::string("\0\0\2", 3), good.substr(0, 20),
                                 past_end, no_images, garbage_payload, std::string("GIF89a")}) {
    std::string error;
    EXPECT_FALSE(TIconDecoder::RenderBytes(bad, 16, 16, b, error));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Pixel(1, 1), kBlack);
  std::string error;
  EXPECT_FALSE(TIconDecoder::RenderBytes(good, 0, 16, b, error));
  int w = 0, h = 0;
  EXPECT_FALSE(PlatformDecoderFor(".ico")->ReadSize("/nonexistent/x.ico", w, h, error));
}

}  // namespace
