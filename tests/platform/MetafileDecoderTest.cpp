#include <gtest/gtest.h>

#include "platform/MetafileDecoder.h"
#include "platform/PictureDecoders.h"
#include "tests/TestSupport.h"
#include "tests/platform/LibEmfPicture.h"
#include "tests/platform/MetafileWriter.h"

namespace {

constexpr TColor kRed = MakeColor(255, 0, 0);
constexpr TColor kGreen = MakeColor(0, 255, 0);
constexpr TColor kBlue = MakeColor(0, 0, 255);
constexpr TColor kYellow = MakeColor(255, 255, 0);
constexpr TColor kCyan = MakeColor(0, 255, 255);

// The small bitmap both test pictures embed: a yellow top row over a cyan bottom row.
TBitmap24 TwoRowBitmap() {
  TBitmap24 b(4, 2);
  b.FillRect(0, 0, 4, 1, kYellow);
  b.FillRect(0, 1, 4, 2, kCyan);
  return b;
}

// The picture of WriteLibEmfPicture, record by record as a placeable WMF (400 x 300 units at 96
// units per inch), plus the bitmap stretched over (150,200)-(230,240).
std::string TestWmf() {
  TWmfWriter w(0, 0, 400, 300, 96);
  w.SetWindowOrg(0, 0);
  w.SetWindowExt(400, 300);
  w.Select(w.CreatePen(0, 1, kRed));
  w.Select(w.CreateBrush(0, kRed));
  w.Rectangle(20, 20, 120, 80);
  w.Select(w.CreatePen(0, 0, kBlue));
  w.MoveTo(10, 150);
  w.LineTo(390, 150);
  w.Select(w.CreateBrush(0, kGreen));
  w.Ellipse(200, 20, 300, 100);
  w.Polygon({{300, 200}, {380, 200}, {340, 280}});
  w.Select(w.CreateFont(-40, "DejaVu Sans", 700));
  w.SetBkMode(1);
  w.SetTextColor(0);
  w.TextOut(20, 200, "Hello");
  w.StretchDib(150, 200, 80, 40, TwoRowBitmap());
  return w.Bytes();
}

int DarkPixels(const TBitmap24& b, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const TColor c = b.Pixel(x, y);
      if (ColorRed(c) < 80 && ColorGreen(c) < 80 && ColorBlue(c) < 80) ++n;
    }
  return n;
}

int CountInColumn(const TBitmap24& b, int x, int top, int bottom, TColor c) {
  int n = 0;
  for (int y = top; y < bottom; ++y) n += b.Pixel(x, y) == c;
  return n;
}

// Pixel checks of the shared test picture rendered at scale (picture units to pixels).
void CheckTestPicture(const TBitmap24& b, int scale, bool with_bitmap) {
  auto at = [&](int x, int y) { return b.Pixel(x * scale, y * scale); };
  EXPECT_EQ(at(5, 5), kWhite);
  EXPECT_EQ(at(395, 295), kWhite);
  EXPECT_EQ(at(70, 50), kRed);
  EXPECT_EQ(at(22, 22), kRed);
  EXPECT_EQ(at(15, 50), kWhite);
  EXPECT_EQ(at(125, 50), kWhite);
  EXPECT_EQ(at(250, 60), kGreen);
  EXPECT_EQ(at(203, 23), kWhite);  // outside the ellipse, inside its box
  EXPECT_EQ(at(340, 220), kGreen);
  EXPECT_EQ(at(305, 270), kWhite);
  // The line is one pixel thick at any scale: its pen is cosmetic.
  EXPECT_EQ(CountInColumn(b, 200 * scale, 140 * scale, 160 * scale, kBlue), 1);
  EXPECT_GT(DarkPixels(b, 20 * scale, 195 * scale, 145 * scale, 250 * scale), 100 * scale * scale);
  EXPECT_EQ(DarkPixels(b, 0, 100 * scale, 400 * scale, 190 * scale), 0);
  if (with_bitmap) {
    EXPECT_EQ(at(190, 210), kYellow);
    EXPECT_EQ(at(190, 230), kCyan);
    EXPECT_EQ(at(155, 205), kYellow);
    EXPECT_EQ(at(225, 235), kCyan);
  }
}

TEST(MetafileDecoder, WmfDrawsShapesTextLineAndBitmap) {
  const std::string wmf = TestWmf();
  int w = 0, h = 0;
  std::string error;
  ASSERT_TRUE(ReadMetafileSize(TMetafileKind::kWmf, wmf, w, h, error)) << error;
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 300);
  TBitmap24 b;
  ASSERT_TRUE(RenderMetafile(TMetafileKind::kWmf, wmf, 400, 300, b, error)) << error;
  CheckTestPicture(b, 1, true);
  // Twice the size is drawn anew: the line stays thin, the text is sharp and filled.
  ASSERT_TRUE(RenderMetafile(TMetafileKind::kWmf, wmf, 800, 600, b, error)) << error;
  CheckTestPicture(b, 2, true);
}

TEST(MetafileDecoder, EmfFromLibEmfDrawsShapesTextLineAndBitmap) {
  TTempDir dir;
  std::string why;
  if (!WriteLibEmfPicture(dir.File("t.emf"), why)) GTEST_SKIP() << why;
  // libEMF writes no record for StretchDIBits, so that record is added by hand.
  const std::string emf = InsertEmfRecord(ReadWholeFile(dir.File("t.emf")),
                                          EmfStretchDibRecord(150, 200, 80, 40, TwoRowBitmap()));
  WriteWholeFile(dir.File("t.emf"), emf);
  const TPictureDecoder* decoder = PlatformDecoderFor(".emf");
  ASSERT_NE(decoder, nullptr);
  EXPECT_TRUE(decoder->IsVector());
  int w = 0, h = 0;
  std::string error;
  ASSERT_TRUE(decoder->ReadSize(dir.File("t.emf"), w, h, error)) << error;
  EXPECT_EQ(w, 378);  // 100 x 75 mm at 96 dpi
  EXPECT_EQ(h, 283);
  TBitmap24 b;
  ASSERT_TRUE(decoder->Render(dir.File("t.emf"), 400, 300, b, error)) << error;
  CheckTestPicture(b, 1, true);
  ASSERT_TRUE(decoder->Render(dir.File("t.emf"), 800, 600, b, error)) << error;
  CheckTestPicture(b, 2, true);
}

TEST(MetafileDecoder, TestPicturesDrawAtEverySize) {
  std::vector<std::pair<TMetafileKind, std::string>> pictures = {{TMetafileKind::kWmf, TestWmf()}};
  TTempDir dir;
  std::string why;
  if (WriteLibEmfPicture(dir.File("t.emf"), why))
    pictures.emplace_back(TMetafileKind::kEmf,
                          InsertEmfRecord(ReadWholeFile(dir.File("t.emf")),
                                          EmfStretchDibRecord(150, 200, -80, -40, TwoRowBitmap())));
  for (const auto& [kind, bytes] : pictures) {
    int w = 0, h = 0;
    std::string error;
    ASSERT_TRUE(ReadMetafileSize(kind, bytes, w, h, error)) << error;
    TBitmap24 b;
    for (auto [rw, rh] : {std::pair{w, h}, {200, 200}, {64, 48}, {37, 23}, {1, 1}}) {
      ASSERT_TRUE(RenderMetafile(kind, bytes, rw, rh, b, error)) << rw << "x" << rh << error;
      EXPECT_EQ(b.Width(), rw);
    }
    // Drawn small, the picture is still there: the red rectangle covers (20,20)-(120,80).
    ASSERT_TRUE(RenderMetafile(kind, bytes, 40, 30, b, error));
    EXPECT_EQ(b.Pixel(7, 5), kRed);
  }
}

TEST(MetafileDecoder, NaturalSizeFollowsTheHeaders) {
  std::string error;
  int w = 0, h = 0;
  // 2 x 1 inches at 1440 units per inch.
  EXPECT_TRUE(ReadMetafileSize(TMetafileKind::kWmf, TWmfWriter(0, 0, 2880, 1440, 1440).Bytes(), w,
                               h, error));
  EXPECT_EQ(w, 192);
  EXPECT_EQ(h, 96);
  // Without a placeable header the first window extent counts one unit per pixel.
  TWmfWriter plain(0, 0, 1, 1, 96);
  plain.SetWindowOrg(10, 10);
  plain.SetWindowExt(123, 45);
  const std::string bytes = plain.Bytes().substr(22);
  ASSERT_TRUE(ReadMetafileSize(TMetafileKind::kWmf, bytes, w, h, error)) << error;
  EXPECT_EQ(w, 123);
  EXPECT_EQ(h, 45);
  // Absurd sizes and broken headers are refused with a reason.
  error.clear();
  EXPECT_FALSE(ReadMetafileSize(TMetafileKind::kWmf, TWmfWriter(0, 0, 32000, 32000, 1).Bytes(), w,
                                h, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(
      ReadMetafileSize(TMetafileKind::kWmf, TWmfWriter(0, 0, 100, 100, 0).Bytes(), w, h, error));
  EXPECT_FALSE(
      ReadMetafileSize(TMetafileKind::kWmf, TWmfWriter(5, 5, 5, 100, 96).Bytes(), w, h, error));
  EXPECT_FALSE(ReadMetafileSize(TMetafileKind::kWmf, "GIF89a", w, h, error));
  EXPECT_FALSE(ReadMetafileSize(TMetafileKind::kEmf, TestWmf(), w, h, error));
  EXPECT_FALSE(ReadMetafileSize(TMetafileKind::kWmf, bytes.substr(0, 10), w, h, error));
}

TEST(MetafileDecoder, ClipAndSavedStates) {
  TWmfWriter w(0, 0, 100, 100, 96);
  w.Select(w.CreatePen(5, 0, 0));  // no outline
  w.Select(w.CreateBrush(0, kRed));
  w.SaveDC();
  w.IntersectClipRect(10, 10, 50, 50);
  w.Rectangle(0, 0, 100, 100);
  w.RestoreDC(-1);
  w.Select(w.CreateBrush(0, kBlue));
  w.Rectangle(60, 60, 100, 100);
  TBitmap24 b;
  std::string error;
  ASSERT_TRUE(RenderMetafile(TMetafileKind::kWmf, w.Bytes(), 100, 100, b, error)) << error;
  EXPECT_EQ(b.Pixel(5, 5), kWhite);
  EXPECT_EQ(b.Pixel(10, 10), kRed);
  EXPECT_EQ(b.Pixel(49, 49), kRed);
  EXPECT_EQ(b.Pixel(50, 50), kWhite);
  EXPECT_EQ(b.Pixel(55, 20), kWhite);
  EXPECT_EQ(b.Pixel(80, 80), kBlue);  // the clip was restored with the state
}

TEST(MetafileDecoder, DeletedObjectSlotsAreReused) {
  TWmfWriter w(0, 0, 100, 100, 96);
  const int pen = w.CreatePen(5, 0, 0);
  const int red = w.CreateBrush(0, kRed);
  w.Select(pen);
  w.Delete(red);
  const int blue = w.CreateBrush(0, kBlue);
  EXPECT_EQ(blue, red);
  w.Select(blue);
  w.Rectangle(0, 0, 100, 100);
  TBitmap24 b;
  std::string error;
  ASSERT_TRUE(RenderMetafile(TMetafileKind::kWmf, w.Bytes(), 50, 50, b, error)) << error;
  EXPECT_EQ(b.Pixel(25, 25), kBlue);
}

TEST(MetafileDecoder, PensWiderThanThePainterAllowsStillDraw) {
  // 32767 units at twice the size asks for a pen QPainter refuses; it is drawn at its widest.
  TWmfWriter w(0, 0, 100, 100, 96);
  w.Select(w.CreatePen(0, 32767, kRed));
  w.Select(w.CreateBrush(1, 0));  // hollow
  w.Rectangle(40, 40, 60, 60);
  TBitmap24 b;
  std::string error;
  ASSERT_TRUE(RenderMetafile(TMetafileKind::kWmf, w.Bytes(), 200, 200, b, error)) << error;
  EXPECT_EQ(b.Pixel(5, 5), kRed);
  EXPECT_EQ(b.Pixel(100, 100), kRed);
}

TEST(MetafileDecoder, JapaneseTextInShiftJis) {
  TWmfWriter w(0, 0, 200, 60, 96);
  w.Select(w.CreateFont(-40, "IPAGothic", 400, 0, 128));
  w.SetBkMode(1);
  w.TextOut(10, 10, "\x93\xfa\x96\x7b");  // two kanji in code page 932
  TBitmap24 b;
  std::string error;
  ASSERT_TRUE(RenderMetafile(TMetafileKind::kWmf, w.Bytes(), 200, 60, b, error)) << error;
  EXPECT_GT(DarkPixels(b, 10, 10, 100, 55), 150);
}

TEST(MetafileDecoder, MalformedRecordsNeverReadPastTheFile) {
  std::string error;
  TBitmap24 b;
  {
    // A polygon claiming far more points than its record holds, then a record longer than the
    // file: drawing stops, what came before stays.
    TWmfWriter w(0, 0, 100, 100, 96);
    w.Select(w.CreateBrush(0, kRed));
    w.Rectangle(0, 0, 50, 50);
    w.Record(0x0324, {30000, 10, 10, 20, 20});
    w.Record(0x0538, {3, 60000, 60000, 60000});
    w.Record(0x0F43, {0x20, 0xCC, 0, 100, 100, 0, 0, 10, 10, 0, 0, 40, 0, 100, 0, 100, 0});
    w.RawBytes(std::string("\xff\xff\x00\x00\x1b\x04", 6));
    ASSERT_TRUE(RenderMetafile(TMetafileKind::kWmf, w.Bytes(), 100, 100, b, error)) << error;
    EXPECT_EQ(b.Pixel(25, 25), kRed);
    EXPECT_EQ(b.Pixel(75, 75), kWhite);
  }
  {
    // An EMF header that claims more bytes than there are.
    std::string emf(88, '\0');
    emf[0] = 1;
    emf[4] = static_cast<char>(200);
    emf.replace(40, 4, " EMF");
    int w = 0, h = 0;
    EXPECT_FALSE(ReadMetafileSize(TMetafileKind::kEmf, emf, w, h, error));
    EXPECT_FALSE(RenderMetafile(TMetafileKind::kEmf, emf, 10, 10, b, error));
  }
  // A render size beyond the ceiling is refused before anything is allocated.
  EXPECT_FALSE(RenderMetafile(TMetafileKind::kWmf, TestWmf(), 1 << 20, 1 << 20, b, error));
  int w = 0, h = 0;
  EXPECT_FALSE(TMetafileDecoder(TMetafileKind::kWmf).ReadSize("/nonexistent.wmf", w, h, error));
}

TEST(PictureDecoders, RegistersIconAndMetafileKinds) {
  ASSERT_NE(PlatformDecoderFor(".ico"), nullptr);
  EXPECT_FALSE(PlatformDecoderFor(".ico")->IsVector());
  EXPECT_TRUE(PlatformDecoderFor(".wmf")->IsVector());
  EXPECT_TRUE(PlatformDecoderFor(".emf")->IsVector());
  EXPECT_EQ(PlatformDecoderFor(".bmp"), nullptr);
  TPictureLoader loader;
  AddPlatformDecoders(loader);  // registration itself must not need the loader's decoding
}

}  // namespace
