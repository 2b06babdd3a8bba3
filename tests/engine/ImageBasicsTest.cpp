#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "engine/BmpFile.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "tests/TestSupport.h"
#include "tests/engine/TestPictureFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x00FF00;

TBitmap24 Solid(int width, int height, TColor color) {
  TBitmap24 bmp(width, height);
  bmp.Fill(color);
  return bmp;
}

// True when every pixel of [left, right) x [top, bottom) has the colour.
bool AllOf(const TBitmap24& bmp, int left, int top, int right, int bottom, TColor color) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (bmp.Pixel(x, y) != color) return false;
  return true;
}

bool HoldsAt(const TBitmap24& big, const TBitmap24& small, int left, int top) {
  for (int y = 0; y < small.Height(); ++y)
    for (int x = 0; x < small.Width(); ++x)
      if (big.Pixel(left + x, top + y) != small.Pixel(x, y)) return false;
  return true;
}

// A decoder standing in for the platform's: draws a solid colour, and records the size asked.
class TFakeDecoder : public TPictureDecoder {
 public:
  TFakeDecoder(bool vector, int width, int height) : vector_(vector), w_(width), h_(height) {}
  bool ReadSize(const std::string&, int& width, int& height, std::string&) const override {
    width = w_;
    height = h_;
    return true;
  }
  bool Render(const std::string&, int width, int height, TBitmap24& out,
              std::string&) const override {
    last_width = width;
    last_height = height;
    out.SetSize(width, height);
    out.Fill(kGreen);
    return true;
  }
  bool IsVector() const override { return vector_; }
  mutable int last_width = 0, last_height = 0;

 private:
  bool vector_;
  int w_, h_;
};

TEST(PictureLoader, ChoosesTheDecoderByContentThenExtension) {
  TTempDir dir;
  const TBitmap24 pattern = PatternBitmap(6, 4);
  SaveBmp(pattern, dir.File("really-a-bitmap.jpg"));
  WriteWholeFile(dir.File("icon.ICO"), "not a bitmap");
  WriteWholeFile(dir.File("other.xyz"), "????");
  WriteWholeFile(dir.File("broken.bmp"), "BM????");

  TPictureLoader loader;
  TFakeDecoder icons(false, 32, 16);
  loader.AddDecoder(".ico", &icons);
  EXPECT_TRUE(LoadBack(dir.File("really-a-bitmap.jpg")).SamePixels(pattern));
  TBitmap24 out;
  std::string error;
  ASSERT_TRUE(loader.Load(dir.File("icon.ICO"), out, error));
  EXPECT_EQ(out.Width(), 32);
  EXPECT_EQ(out.Height(), 16);
  for (const char* name : {"other.xyz", "broken.bmp", "missing.bmp"}) {
    error.clear();
    EXPECT_FALSE(loader.Load(dir.File(name), out, error)) << name;
    EXPECT_FALSE(error.empty()) << name;
    EXPECT_EQ(out.Width(), 32) << "a failed load leaves the bitmap as it was";
  }
  int width = 0, height = 0;
  ASSERT_TRUE(loader.ReadSize(dir.File("really-a-bitmap.jpg"), width, height, error));
  EXPECT_EQ(width, 6);
  EXPECT_EQ(height, 4);
}

TEST(PictureLoader, RenderDrawsVectorsAtTheSizeAndStretchesPixels) {
  TTempDir dir;
  WriteWholeFile(dir.File("a.wmf"), "metafile");
  SaveBmp(Solid(2, 2, kRed), dir.File("b.bmp"));
  TPictureLoader loader;
  TFakeDecoder metafiles(true, 100, 50);
  loader.AddDecoder(".wmf", &metafiles);
  TBitmap24 out;
  std::string error;
  ASSERT_TRUE(loader.Render(dir.File("a.wmf"), 300, 150, out, error));
  EXPECT_EQ(metafiles.last_width, 300);
  EXPECT_EQ(metafiles.last_height, 150);
  ASSERT_TRUE(loader.Render(dir.File("b.bmp"), 7, 5, out, error));
  EXPECT_EQ(out.Width(), 7);
  EXPECT_TRUE(AllOf(out, 0, 0, 7, 5, kRed));
  EXPECT_FALSE(loader.Render(dir.File("b.bmp"), 5001, 1, out, error));
}

TEST(ImageBasics, LoadPictureFileReportsOnlyReadErrors) {
  TTempDir dir;
  TPictureLoader loader;
  TBitmap24 image;
  std::string error = "stale";
  EXPECT_FALSE(LoadPictureFile(image, dir.File("none.bmp"), loader, &error));
  EXPECT_TRUE(error.empty()) << "a missing file is the caller's to report";
  WriteWholeFile(dir.File("bad.jpg"), "\xFF\xD8\xFF garbage");
  EXPECT_FALSE(LoadPictureFile(image, dir.File("bad.jpg"), loader, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ImageBasics, SaveChoosesFormatAndFreeNames) {
  TTempDir dir;
  const TBitmap24 pattern = PatternBitmap(5, 3);
  std::string saved;
  SaveBmp(pattern, dir.File("a.bmp"));
  ASSERT_TRUE(SavePictureFile(pattern, dir.File("a.png"), false, 90, &saved));
  EXPECT_EQ(saved, dir.File("a_01.bmp"));
  ASSERT_TRUE(SavePictureFile(pattern, dir.File("a.png"), false, 90, &saved));
  EXPECT_EQ(saved, dir.File("a_02.bmp"));
  EXPECT_TRUE(LoadBack(saved).SamePixels(pattern));

  ASSERT_TRUE(SavePictureFile(pattern, dir.File("photo.JPG"), false, 90, &saved));
  EXPECT_EQ(saved, dir.File("photo.JPG"));
  ASSERT_TRUE(SavePictureFile(pattern, dir.File("photo.JPG"), false, 90, &saved));
  EXPECT_EQ(saved, dir.File("photo_01.JPG"));
  const std::string jpeg = ReadWholeFile(saved);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");

  // Keeping the name writes over the file, in BMP unless the name says JPEG.
  ASSERT_TRUE(SavePictureFile(Solid(2, 2, kBlue), dir.File("a.png"), true, 90, &saved));
  EXPECT_EQ(saved, dir.File("a.png"));
  EXPECT_TRUE(AllOf(LoadBack(saved), 0, 0, 2, 2, kBlue));

  EXPECT_FALSE(SavePictureFile(TBitmap24(), dir.File("empty.bmp"), true, 90, &saved));
  EXPECT_FALSE(fs::exists(dir.File("empty.bmp")));
  EXPECT_FALSE(SavePictureFile(pattern, dir.File("no/such/folder.bmp"), true, 90, &saved));
  EXPECT_FALSE(SavePictureFile(pattern, "", true, 90, &saved));
  // Nothing but the pictures is left behind (no temporary files).
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 6);
}

TEST(ImageBasics, ResizeByFactorLowersTheFactorToTheLimits) {
  TBitmap24 big(3000, 2000);
  big.Fill(kRed);
  double factor = 2.0;
  ASSERT_TRUE(ResizeByFactor(big, factor, 0));
  EXPECT_NEAR(factor, std::sqrt(4000000.0 / 6000000.0), 1e-12);
  EXPECT_EQ(big.Width(), 2449);
  EXPECT_EQ(big.Height(), 1633);

  // Under the area limit but past the width limit.
  TBitmap24 flat(4000, 100);
  flat.Fill(kRed);
  factor = 2.0;
  ASSERT_TRUE(ResizeByFactor(flat, factor, 0));
  EXPECT_EQ(flat.Width(), 5000);
  EXPECT_EQ(flat.Height(), 125);
  EXPECT_DOUBLE_EQ(factor, 1.25);

  TBitmap24 small = PatternBitmap(10, 6);
  const TBitmap24 before = small;
  factor = 1.0;
  EXPECT_TRUE(ResizeByFactor(small, factor, 7)) << "factor 1 changes nothing, whatever the mode";
  EXPECT_TRUE(small.SamePixels(before));
  factor = 0.5;
  EXPECT_FALSE(ResizeByFactor(small, factor, 4));
  factor = -1;
  EXPECT_FALSE(ResizeByFactor(small, factor, 0));
  EXPECT_TRUE(small.SamePixels(before));
  TBitmap24 empty;
  factor = 2;
  EXPECT_FALSE(ResizeByFactor(empty, factor, 0));
  factor = 0.5;
  ASSERT_TRUE(ResizeByFactor(small, factor, 0));
  EXPECT_EQ(small.Width(), 5);
  EXPECT_EQ(small.Height(), 3);
}

// Each rectify mode runs the algorithm the mode names.
TEST(ImageBasics, ResizeByFactorModesUseTheirAlgorithms) {
  const TBitmap24 source = PatternBitmap(40, 30);
  struct TCase {
    int mode;
    double factor;
    bool (TImageSizeChange::*method)(const TBitmap24&, TBitmap24&, int, int);
  };
  const TCase cases[] = {
      {1, 1.5, &TImageSizeChange::BiLiner},
      {1, 0.5, &TImageSizeChange::BiLiner},
      {2, 1.5, &TImageSizeChange::BiLinerDouble},
      {2, 0.5, &TImageSizeChange::Integral},
      {3, 1.5, &TImageSizeChange::BiLinerAndIntegralDouble},
      {3, 0.3, &TImageSizeChange::BiLinerAndIntegralDouble},
  };
  for (const TCase& c : cases) {
    TBitmap24 got = source, expected;
    double factor = c.factor;
    ASSERT_TRUE(ResizeByFactor(got, factor, c.mode)) << c.mode;
    const int w = static_cast<int>(std::nearbyint(40 * c.factor));
    const int h = static_cast<int>(std::nearbyint(30 * c.factor));
    TImageSizeChange resizer;
    ASSERT_TRUE((resizer.*c.method)(source, expected, h, w));
    EXPECT_TRUE(got.SamePixels(expected)) << c.mode << " " << c.factor;
    // To a size: the same algorithm as the factor that gives that size.
    TBitmap24 sized = source;
    ASSERT_TRUE(ResizeToSize(sized, w, h, c.mode));
    EXPECT_TRUE(sized.SamePixels(expected)) << c.mode << " " << c.factor;
  }
}

TEST(ImageBasics, FitAndCoverFactors) {
  EXPECT_EQ(FitFactor(800, 600, 800, 400), 1.0f);
  EXPECT_EQ(FitFactor(400, 400, 800, 200), 0.5f);
  EXPECT_EQ(CoverFactor(400, 400, 800, 200), 2.0f);
  EXPECT_EQ(CoverFactor(800, 400, 800, 400), 1.0f);
  EXPECT_EQ(FitFactor(0, 400, 800, 200), 0.0f);
  EXPECT_EQ(CoverFactor(400, 400, 800, -1), 0.0f);
  bool width_decides = false;
  EXPECT_EQ(FitFactorWithSide(800, 600, 800, 400, width_decides), 1.0f);
  EXPECT_TRUE(width_decides);
  EXPECT_EQ(FitFactorWithSide(900, 400, 800, 400, width_decides), 1.0f);
  EXPECT_FALSE(width_decides) << "the height matches, so the height decides";
  EXPECT_EQ(FitFactorWithSide(100, 400, 200, 100, width_decides), 0.5f);
  EXPECT_TRUE(width_decides);
  EXPECT_EQ(FitFactorWithSide(400, 100, 100, 200, width_decides), 0.5f);
  EXPECT_FALSE(width_decides);
  EXPECT_EQ(FitFactorWithSide(400, 200, 800, 400, width_decides), 0.5f);
  EXPECT_TRUE(width_decides) << "equal proportions: the width decides";
  EXPECT_EQ(ControlFitFactor(false, 400, 400, 800, 200), 0.0f);
  EXPECT_EQ(ControlFitFactor(true, 400, 400, 0, 200), 0.0f);
  EXPECT_EQ(ControlFitFactor(true, 400, 400, 800, 200), 0.5f);
}

TEST(ImageBasics, CropInsideAndOutsideThePicture) {
  const TBitmap24 pattern = PatternBitmap(50, 50);
  TBitmap24 bmp = pattern;
  ASSERT_TRUE(CropRegion(bmp, -10, -10, 90, 90, true, kWhite));
  ASSERT_EQ(bmp.Width(), 100);
  ASSERT_EQ(bmp.Height(), 100);
  EXPECT_TRUE(HoldsAt(bmp, pattern, 10, 10));
  EXPECT_TRUE(AllOf(bmp, 0, 0, 100, 10, kWhite));
  EXPECT_TRUE(AllOf(bmp, 0, 60, 100, 100, kWhite));
  EXPECT_TRUE(AllOf(bmp, 0, 10, 10, 60, kWhite));
  EXPECT_TRUE(AllOf(bmp, 60, 10, 100, 60, kWhite));

  bmp = pattern;
  ASSERT_TRUE(CropRegion(bmp, 5, 7, 25, 10, false, kWhite));
  ASSERT_EQ(bmp.Width(), 20);
  ASSERT_EQ(bmp.Height(), 3);
  EXPECT_EQ(bmp.Pixel(0, 0), pattern.Pixel(5, 7));
  EXPECT_EQ(bmp.Pixel(19, 2), pattern.Pixel(24, 9));

  // Past the right and bottom edges only: the part stays at the origin.
  bmp = pattern;
  ASSERT_TRUE(CropRegion(bmp, 40, 45, 60, 55, true, kBlue));
  EXPECT_EQ(bmp.Pixel(9, 4), pattern.Pixel(49, 49));
  EXPECT_TRUE(AllOf(bmp, 10, 0, 20, 10, kBlue));
  EXPECT_TRUE(AllOf(bmp, 0, 5, 20, 10, kBlue));

  struct TRect {
    int left, top, right, bottom;
    bool outside;
  };
  const TRect refused[] = {
      {51, 0, 60, 10, true},                                // left past the width
      {0, 51, 10, 60, true},                                // top past the height
      {-20, 0, -1, 10, true},                               // right before the picture
      {0, -20, 10, -1, true},                               // bottom before the picture
      {-1, 0, 10, 10, false},                               // outside not allowed
      {0, 0, 51, 10, false},        {50, 0, 60, 10, true},  // nothing of the picture left
      {10, 10, 5, 20, false},                               // right before left
      {-3000, -3000, 10, 10, true},                         // larger than the working size limit
  };
  for (const TRect& r : refused) {
    bmp = pattern;
    EXPECT_FALSE(CropRegion(bmp, r.left, r.top, r.right, r.bottom, r.outside, kWhite))
        << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_TRUE(bmp.SamePixels(pattern));
  }
  TBitmap24 empty;
  EXPECT_FALSE(CropRegion(empty, 0, 0, 1, 1, true, kWhite));
}

TEST(ImageBasics, AddMarginCentresThePicture) {
  const TBitmap24 pattern = PatternBitmap(4, 2);
  TBitmap24 bmp = pattern;
  ASSERT_TRUE(AddMargin(bmp, 3, kBlue));
  ASSERT_EQ(bmp.Width(), 10);
  ASSERT_EQ(bmp.Height(), 8);
  EXPECT_TRUE(HoldsAt(bmp, pattern, 3, 3));
  EXPECT_TRUE(AllOf(bmp, 0, 0, 10, 3, kBlue));
  EXPECT_TRUE(AllOf(bmp, 7, 0, 10, 8, kBlue));
  EXPECT_FALSE(AddMargin(bmp, -1, kBlue));
  EXPECT_FALSE(AddMargin(bmp, 1 << 30, kBlue));
  EXPECT_EQ(bmp.Width(), 10);
  TBitmap24 empty;
  EXPECT_FALSE(AddMargin(empty, 1, kBlue));
}

class FitFrameAndSaveTest : public ::testing::Test {
 protected:
  // A 40 x 20 red picture saved as source.bmp.
  void SetUp() override { SaveBmp(Solid(40, 20, kRed), source_); }

  TBitmap24 Run(TFitFrameOptions options, const std::string& destination = "out.bmp") {
    TBitmap24 image;
    std::string error, saved;
    EXPECT_TRUE(FitFrameAndSave(image, source_, destination.empty() ? "" : dir_.File(destination),
                                options, loader_, &error, &saved))
        << error;
    return LoadBack(saved);
  }

  TTempDir dir_;
  TPictureLoader loader_;
  std::string source_ = dir_.File("source.bmp");
};

TEST_F(FitFrameAndSaveTest, NoTargetWithEdgeFramesThePicture) {
  TFitFrameOptions o;
  o.edge_size = 5;
  o.edge_color = kBlue;
  const TBitmap24 out = Run(o);
  ASSERT_EQ(out.Width(), 50);
  ASSERT_EQ(out.Height(), 30);
  EXPECT_TRUE(AllOf(out, 5, 5, 45, 25, kRed));
  EXPECT_TRUE(AllOf(out, 0, 0, 50, 5, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 25, 50, 30, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 0, 5, 30, kBlue));
  EXPECT_TRUE(AllOf(out, 45, 0, 50, 30, kBlue));
  // With margin and no target the canvas is the same picture and edge.
  o.with_margin = true;
  EXPECT_TRUE(Run(o).SamePixels(out));
  // Neither target, edge nor margin: the picture as it is.
  EXPECT_TRUE(Run(TFitFrameOptions()).SamePixels(Solid(40, 20, kRed)));
}

TEST_F(FitFrameAndSaveTest, MarginCompositions) {
  TFitFrameOptions o;
  o.with_margin = true;
  o.target_width = 30;
  o.target_height = 30;
  o.back_color = kWhite;
  // Fitted to 30 x 15, centred at (0, 7).
  TBitmap24 out = Run(o);
  ASSERT_EQ(out.Width(), 30);
  ASSERT_EQ(out.Height(), 30);
  EXPECT_TRUE(AllOf(out, 0, 7, 30, 22, kRed));
  EXPECT_TRUE(AllOf(out, 0, 0, 30, 7, kWhite));
  EXPECT_TRUE(AllOf(out, 0, 22, 30, 30, kWhite));

  // Framed, edge around the canvas: box 26 x 26, picture 26 x 13 at (2, 8).
  o.edge_size = 2;
  o.edge_color = kBlue;
  out = Run(o);
  EXPECT_TRUE(AllOf(out, 2, 8, 28, 21, kRed));
  EXPECT_TRUE(AllOf(out, 0, 0, 30, 2, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 0, 2, 30, kBlue));
  EXPECT_TRUE(AllOf(out, 2, 2, 28, 8, kWhite));
  EXPECT_TRUE(AllOf(out, 2, 21, 28, 28, kWhite));

  // Framed, edge around the picture: m - e = 0 horizontally, so the edge rectangle runs from
  // (0, 6) to (30, 23), and back colour lies above and below it.
  o.edge_surrounds_picture = true;
  out = Run(o);
  EXPECT_TRUE(AllOf(out, 2, 8, 28, 21, kRed));
  EXPECT_TRUE(AllOf(out, 0, 6, 30, 8, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 21, 30, 23, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 8, 2, 21, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 0, 30, 6, kWhite));
  EXPECT_TRUE(AllOf(out, 0, 23, 30, 30, kWhite));

  // m - e = 0 is not negative: the edge rectangle keeps its own extent.
  o.edge_size = 3;
  o.target_width = 47;
  o.target_height = 40;  // box 41 x 34 would enlarge (not allowed): 40 x 20 at (3, 10)
  out = Run(o);
  EXPECT_TRUE(AllOf(out, 3, 10, 43, 30, kRed));
  EXPECT_TRUE(AllOf(out, 0, 7, 46, 10, kBlue));
  EXPECT_EQ(out.Pixel(46, 8), kWhite);

  // A re-rendered picture wider than its box leaves m - e < 0: the edge spans the width.
  o.target_width = 45;
  TBitmap24 image = Solid(40, 20, kRed);
  std::string saved;
  const TRerender wider = [](double, TBitmap24& picture) {
    picture = Solid(43, 20, kRed);
    return true;
  };
  ASSERT_TRUE(FitFrameAndSaveBitmap(image, dir_.File("span.bmp"), true, o, wider, &saved));
  out = LoadBack(saved);
  EXPECT_TRUE(AllOf(out, 1, 10, 44, 30, kRed));
  EXPECT_TRUE(AllOf(out, 0, 7, 45, 10, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 10, 1, 30, kBlue));
  EXPECT_TRUE(AllOf(out, 44, 10, 45, 30, kBlue));
  EXPECT_TRUE(AllOf(out, 0, 0, 45, 7, kWhite));
}

TEST_F(FitFrameAndSaveTest, TargetsFactorsAndNames) {
  TFitFrameOptions o;
  o.target_width = 80;  // height taken from the picture: 80 x 20 box, factor 1
  o.allow_enlarge = true;
  EXPECT_EQ(Run(o).Width(), 40);
  o.target_height = 60;  // 80 x 60 box: factor 2 with enlarging allowed
  EXPECT_EQ(Run(o).Width(), 80);
  o.allow_enlarge = false;
  EXPECT_EQ(Run(o).Width(), 40);
  o.target_width = 20;  // reducing always happens
  const TBitmap24 reduced = Run(o);
  EXPECT_EQ(reduced.Width(), 20);
  EXPECT_EQ(reduced.Height(), 10);

  // A given destination is never overwritten; ".png" becomes ".bmp".
  TBitmap24 image;
  std::string error, saved;
  o = TFitFrameOptions();
  ASSERT_TRUE(FitFrameAndSave(image, source_, dir_.File("x.png"), o, loader_, &error, &saved));
  EXPECT_EQ(saved, dir_.File("x.bmp"));
  ASSERT_TRUE(FitFrameAndSave(image, source_, dir_.File("x.png"), o, loader_, &error, &saved));
  EXPECT_EQ(saved, dir_.File("x_01.bmp"));
  // An empty destination writes over the source.
  o.target_width = o.target_height = 10;
  ASSERT_TRUE(FitFrameAndSave(image, source_, "", o, loader_, &error, &saved));
  EXPECT_EQ(saved, source_);
  EXPECT_EQ(LoadBack(source_).Width(), 10);

  // Failures: missing source, a box eaten by the edge, a canvas past the limit.
  EXPECT_FALSE(FitFrameAndSave(image, dir_.File("none.bmp"), "", o, loader_, &error, &saved));
  o.edge_size = 5;
  EXPECT_FALSE(FitFrameAndSave(image, source_, dir_.File("y.bmp"), o, loader_, &error, &saved));
  o.edge_size = 0;
  o.with_margin = true;
  o.target_width = o.target_height = 100000;
  EXPECT_FALSE(FitFrameAndSave(image, source_, dir_.File("y.bmp"), o, loader_, &error, &saved));
  EXPECT_FALSE(fs::exists(dir_.File("y.bmp")));
}

TEST_F(FitFrameAndSaveTest, MetafilesAreDrawnAnewAtTheFittedSize) {
  TFakeDecoder metafiles(true, 100, 50);
  loader_.AddDecoder(".emf", &metafiles);
  WriteWholeFile(dir_.File("pic.emf"), "metafile");
  TFitFrameOptions o;
  o.target_width = 300;
  o.target_height = 300;
  o.allow_enlarge = true;
  TBitmap24 image;
  std::string error, saved;
  ASSERT_TRUE(
      FitFrameAndSave(image, dir_.File("pic.emf"), dir_.File("m.bmp"), o, loader_, &error, &saved));
  EXPECT_EQ(metafiles.last_width, 300);
  EXPECT_EQ(metafiles.last_height, 150);
  EXPECT_EQ(LoadBack(saved).Width(), 300);

  // Saving "over" the metafile keeps it and writes a bitmap beside it.
  ASSERT_TRUE(FitFrameAndSave(image, dir_.File("pic.emf"), "", o, loader_, &error, &saved));
  EXPECT_EQ(saved, dir_.File("pic.bmp"));
  EXPECT_EQ(ReadWholeFile(dir_.File("pic.emf")), "metafile");
}

TEST_F(FitFrameAndSaveTest, OversizedMetafilesLoadAtTheirFittedSize) {
  // A header claiming 12047 x 15591 (188 megapixels) is drawn at about four million pixels,
  // and every routine scales from that size.
  TFakeDecoder metafiles(true, 12047, 15591);
  loader_.AddDecoder(".emf", &metafiles);
  WriteWholeFile(dir_.File("huge.emf"), "metafile");
  int width = 0, height = 0;
  std::string error, saved;
  ASSERT_TRUE(loader_.ReadSize(dir_.File("huge.emf"), width, height, error));
  EXPECT_EQ(width, 1758);
  EXPECT_EQ(height, 2275);
  EXPECT_TRUE(TImU::SizeIsAllowed(width, height));
  TBitmap24 image;
  ASSERT_TRUE(LoadPictureFile(image, dir_.File("huge.emf"), loader_));
  EXPECT_EQ(metafiles.last_width, 1758);
  EXPECT_EQ(image.Height(), 2275);
  double factor = 0.5;
  ASSERT_TRUE(LoadScaledPicture(image, dir_.File("huge.emf"), factor, 0, loader_));
  EXPECT_EQ(image.Width(), 879);
  TFitFrameOptions o;
  o.target_width = 300;
  o.target_height = 300;
  ASSERT_TRUE(
      FitFrameAndSave(image, dir_.File("huge.emf"), dir_.File("h.bmp"), o, loader_, &error, &saved))
      << error;
  EXPECT_EQ(metafiles.last_height, 300);
  EXPECT_EQ(LoadBack(saved).Height(), 300);
  // With large pictures on, the limit is higher and so is the natural size.
  TImU::SetLargePictures(true);
  ASSERT_TRUE(loader_.ReadSize(dir_.File("huge.emf"), width, height, error));
  TImU::SetLargePictures(false);
  EXPECT_EQ(height, 11376);
}

TEST(ImageBasics, LoadScaledPicture) {
  TTempDir dir;
  SaveBmp(PatternBitmap(40, 20), dir.File("p.bmp"));
  TPictureLoader loader;
  TFakeDecoder metafiles(true, 1000, 500);
  loader.AddDecoder(".wmf", &metafiles);
  WriteWholeFile(dir.File("m.wmf"), "metafile");
  TBitmap24 image;
  double factor = 0.25;
  ASSERT_TRUE(LoadScaledPicture(image, dir.File("p.bmp"), factor, 0, loader));
  EXPECT_EQ(image.Width(), 10);
  EXPECT_EQ(image.Height(), 5);
  factor = 2.5;  // 2500 x 1250: drawn at that size
  ASSERT_TRUE(LoadScaledPicture(image, dir.File("m.wmf"), factor, 2, loader));
  EXPECT_EQ(metafiles.last_width, 2500);
  EXPECT_EQ(image.Height(), 1250);
  factor = 3;  // 3000 x 1500 is past the area limit: refused, not shrunk
  EXPECT_FALSE(LoadScaledPicture(image, dir.File("m.wmf"), factor, 0, loader));
  EXPECT_EQ(image.Height(), 1250);
  factor = 0.5;
  ASSERT_TRUE(LoadScaledPicture(image, dir.File("p.bmp"), factor, 3, loader));
  EXPECT_EQ(image.Width(), 20);
  EXPECT_FALSE(LoadScaledPicture(image, dir.File("none.bmp"), factor, 0, loader));
}

}  // namespace
