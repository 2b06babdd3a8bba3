#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <string>

#include "engine/BmpFile.h"
#include "engine/CaptureRender.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageRGBArrange.h"
#include "engine/ImageRotation.h"
#include "tests/TestSupport.h"
#include "tests/engine/BlockFontRasteriser.h"
#include "tests/engine/CapDataTestCodec.h"
#include "tests/engine/TestPictureFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

TCapData Record(const std::string& path, int x, int y, int w, int h,
                std::vector<std::string> effects = {}) {
  TCapData record;
  record.path = path;
  record.x = x;
  record.y = y;
  record.w = w;
  record.h = h;
  record.effects = std::move(effects);
  return record;
}

TBitmap24 Cut(const TBitmap24& picture, int left, int top, int width, int height) {
  TBitmap24 out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.SetPixel(x, y, picture.Pixel(left + x, top + y));
  return out;
}

// A vector picture: every pixel tells where it was drawn, R = x, G = y (low bytes), B = 77.
// Counts what it is asked to draw.
class TCoordinateDecoder : public TPictureDecoder {
 public:
  TCoordinateDecoder(int width, int height) : width_(width), height_(height) {}
  bool ReadSize(const std::string&, int& width, int& height, std::string&) const override {
    width = width_;
    height = height_;
    return true;
  }
  bool Render(const std::string&, int width, int height, TBitmap24& out,
              std::string&) const override {
    ++renders;
    last_width = width;
    last_height = height;
    out.SetSize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        out.SetPixel(x, y,
                     MakeColor(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 77));
    return true;
  }
  bool IsVector() const override { return true; }
  mutable int renders = 0, last_width = 0, last_height = 0;

 private:
  int width_, height_;
};

TColor Drawn(int x, int y) {
  return MakeColor(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 77);
}

class CaptureRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture_ = PatternBitmap(200, 100);
    SaveBmp(picture_, Source());
    WriteWholeFile(dir_.File("vector.wmf"), "metafile");
    loader_.AddDecoder(".wmf", &vector_);
  }
  std::string Source() const { return dir_.File("src.bmp"); }
  std::string Vector() const { return dir_.File("vector.wmf"); }

  TTempDir dir_;
  TBitmap24 picture_;
  TCoordinateDecoder vector_{200, 100};
  TPictureLoader loader_;
};

TEST_F(CaptureRenderTest, RegionReachingLeftOfThePictureIsWhiteThere) {
  TCapData record;
  ASSERT_TRUE(ParseCapDataLine(TTestPathCodec().EncodeRecordPath(Source()) + "/-20/10/100/50",
                               TTestPathCodec(), record));
  TBitmap24 out;
  ASSERT_TRUE(RenderCapData(record, loader_, {}, out));
  ASSERT_EQ(out.Width(), 100);
  ASSERT_EQ(out.Height(), 50);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x)
      ASSERT_EQ(out.Pixel(x, y), x < 20 ? kWhite : picture_.Pixel(x - 20, y + 10)) << x << "," << y;

  ASSERT_TRUE(RenderRegion(out, record, true, loader_));
  EXPECT_TRUE(out.SamePixels(picture_)) << "the whole picture when asked";
}

TEST_F(CaptureRenderTest, EffectsApplyInRecordOrder) {
  // The two effects of the usual example, checked against the engines run by hand.
  const TCapData example = Record(Source(), 0, 0, 100, 50, {"ARo90", "RGB1,0,2,0,0,0,0,0,0"});
  TBitmap24 out, expected = Cut(picture_, 0, 0, 100, 50);
  ASSERT_TRUE(RenderCapData(example, loader_, {}, out));
  ASSERT_TRUE(TImageRotation().Rotate(expected, "90", kWhite, kRotationBlend));
  ASSERT_TRUE(TImageRGBArrange().Arrange(expected, "1,0,2,0,0,0,0,0,0"));
  EXPECT_EQ(out.Width(), 50);
  EXPECT_TRUE(out.SamePixels(expected));

  // Order matters when the rotation's back colour is then changed by the channel shift.
  const TCapData turned_then_shifted =
      Record(Source(), 0, 0, 40, 30, {"aRO45", "rgb0,1,2,0,0,0,-100,0,0"});
  const TCapData shifted_then_turned =
      Record(Source(), 0, 0, 40, 30, {"RGB0,1,2,0,0,0,-100,0,0", "ARo45"});
  TCapDataEffectOptions options;
  options.rotation_back = kBlue;
  expected = Cut(picture_, 0, 0, 40, 30);
  ASSERT_TRUE(TImageRotation().Rotate(expected, "45", kBlue, kRotationBlend));
  ASSERT_TRUE(TImageRGBArrange().Arrange(expected, "0,1,2,0,0,0,-100,0,0"));
  ASSERT_TRUE(RenderCapData(turned_then_shifted, loader_, options, out));
  EXPECT_TRUE(out.SamePixels(expected));
  ASSERT_TRUE(RenderCapData(shifted_then_turned, loader_, options, out));
  EXPECT_FALSE(out.SamePixels(expected));
}

TEST_F(CaptureRenderTest, FreeFilterEffectRunsTheKernelText) {
  const std::string kernel = "Std,3,1,1,1,1,1,1,1,1,1,0,0";
  const TCapData record = Record(Source(), 5, 5, 40, 30, {"ffi" + kernel, "ARo-90"});
  TBitmap24 out, expected = Cut(picture_, 5, 5, 40, 30);
  ASSERT_TRUE(TImageFilterSimple().RunKernelText(expected, kernel));
  ASSERT_TRUE(TImageRotation().Rotate(expected, "-90", kWhite, kRotationBlend));
  ASSERT_TRUE(RenderCapData(record, loader_, {}, out));
  EXPECT_TRUE(out.SamePixels(expected));
  EXPECT_FALSE(out.SamePixels(Cut(picture_, 5, 5, 40, 30)));

  std::string message;
  TBitmap24 bitmap = expected;
  EXPECT_FALSE(ApplyEffect(bitmap, "FFiStd,3,1,1", 0, kWhite, &message));
  EXPECT_NE(message.find("KernelData Error"), std::string::npos) << message;
  EXPECT_TRUE(bitmap.SamePixels(expected));
}

TEST_F(CaptureRenderTest, ApplyEffectMapsRotationModesAndRefusesOtherCodes) {
  const TBitmap24 source = PatternBitmap(30, 20);
  TBitmap24 results[3];
  const int engine_modes[3] = {kRotationBlend, kRotationArea, kRotationHoles};
  for (int mode = 0; mode < 3; ++mode) {
    TBitmap24 by_hand = source;
    ASSERT_TRUE(TImageRotation().Rotate(by_hand, "30", kRed, engine_modes[mode]));
    results[mode] = source;
    ASSERT_TRUE(ApplyEffect(results[mode], "ARo30", mode, kRed));
    EXPECT_TRUE(results[mode].SamePixels(by_hand)) << mode;
  }
  EXPECT_FALSE(results[0].SamePixels(results[1]));
  EXPECT_FALSE(results[1].SamePixels(results[2]));
  TBitmap24 other = source;
  ASSERT_TRUE(ApplyEffect(other, "ARo30", 7, kRed));
  EXPECT_TRUE(other.SamePixels(results[0])) << "unknown modes rotate as mode 0";

  std::string message;
  for (const char* entry : {"Txtc,c,Sans,0,9,0,a,0,0,0,0,0", "XYZ1", "", "AR"}) {
    TBitmap24 bitmap = source;
    EXPECT_FALSE(ApplyEffect(bitmap, entry, 0, kWhite, &message)) << entry;
    EXPECT_TRUE(bitmap.SamePixels(source)) << entry;
  }
  TBitmap24 bitmap = source;
  EXPECT_FALSE(ApplyEffect(bitmap, "RGB1,0", 0, kWhite, &message));
  EXPECT_EQ(message, kRGBDataError1);
  EXPECT_TRUE(bitmap.SamePixels(source));
}

TEST_F(CaptureRenderTest, TextEffectsNeedARasteriser) {
  const std::string text = "Txtc,c,Sans,0,12,255,ab(@COM)c,0,16777215,16777215,0,1";
  const TCapData record = Record(Source(), 0, 0, 100, 50, {"XYZ9", text});
  TCapDataEffectOptions options;
  TBitmap24 plain, drawn;
  // The display passes over what it cannot draw.
  ASSERT_TRUE(RenderCapData(record, loader_, options, plain));
  EXPECT_TRUE(plain.SamePixels(Cut(picture_, 0, 0, 100, 50)));
  const TBlockFontRasteriser fonts;
  options.fonts = &fonts;
  ASSERT_TRUE(RenderCapData(record, loader_, options, drawn));
  EXPECT_TRUE(drawn.SameSizeAs(plain));
  EXPECT_FALSE(drawn.SamePixels(plain));
  EXPECT_EQ(fonts.draw_calls, 1);
  EXPECT_EQ(drawn.Pixel(50, 25), kWhite) << "the block sits in the middle, keeping the size";
}

TEST_F(CaptureRenderTest, BadRecordsFailWithoutReadingThePicture) {
  TPictureLoader loader;
  TCoordinateDecoder counting(100, 100);
  loader.AddDecoder(".wmf", &counting);
  const std::string path = Vector();
  const TCapData bad[] = {
      Record(path, 0, 0, INT_MAX, 10),      Record(path, 0, 0, 10, INT_MAX),
      Record(path, INT_MAX - 5, 0, 10, 10), Record(path, 0, INT_MAX - 5, 10, 10),
      Record(path, 0, 0, -10, 10),          Record(path, 0, 0, 10, 0),
      Record(path, 0, 0, 5001, 1),          Record(path, 0, 0, 2001, 2000)};
  for (const TCapData& record : bad) {
    TBitmap24 out(3, 3);
    EXPECT_FALSE(RenderRegion(out, record, false, loader)) << record.x << " " << record.w;
    EXPECT_FALSE(RenderCapData(record, loader, {}, out));
    EXPECT_EQ(out.Width(), 3) << "a failed render leaves the target alone";
  }
  EXPECT_EQ(counting.renders, 0);
  for (const TCapData& record : bad) {
    TBitmap24 out(3, 3);
    EXPECT_FALSE(RenderScaledRegion(out, record, 0, 1.0, loader));
    EXPECT_EQ(out.Width(), 3);
  }

  // Regions wholly outside the picture, a missing file, no path at all.
  std::string message = "stale";
  TBitmap24 out;
  EXPECT_FALSE(RenderRegion(out, Record(path, 101, 0, 10, 10), false, loader));
  EXPECT_FALSE(RenderRegion(out, Record(path, -20, 0, 10, 10), false, loader));
  EXPECT_FALSE(RenderRegion(out, Record(path, INT_MIN, INT_MIN, 10, 10), false, loader));
  EXPECT_FALSE(
      RenderRegion(out, Record(dir_.File("none.bmp"), 0, 0, 1, 1), false, loader, &message));
  EXPECT_TRUE(message.empty()) << "a missing file is the caller's to report";
  EXPECT_FALSE(RenderRegion(out, Record("", 0, 0, 1, 1), false, loader));
  // Scaling by nothing or by too much.
  for (const double factor : {0.0, -1.0, 1e300, std::numeric_limits<double>::infinity()})
    EXPECT_FALSE(RenderScaledRegion(out, Record(path, 1, 1, 5, 5), 0, factor, loader));
  EXPECT_FALSE(
      RenderScaledRegionToAspect(out, Record(path, 1, 1, 5, 5), 5, 10, 10, 0, 1e300, loader));
}

TEST_F(CaptureRenderTest, MetafileRegionsAreDrawnAtTheScale) {
  TBitmap24 out;
  ASSERT_TRUE(RenderScaledRegion(out, Record(Vector(), 10, 20, 30, 40), 0, 1.5, loader_));
  EXPECT_EQ(vector_.last_width, 300);
  EXPECT_EQ(vector_.last_height, 150);
  ASSERT_EQ(out.Width(), 45);
  ASSERT_EQ(out.Height(), 60);
  EXPECT_EQ(out.Pixel(0, 0), Drawn(15, 30));
  // Every number is rounded half to even on its own.
  ASSERT_TRUE(RenderScaledRegion(out, Record(Vector(), 10, 20, 30, 40), 0, 1.25, loader_));
  EXPECT_EQ(out.Width(), 38);
  EXPECT_EQ(out.Height(), 50);
  EXPECT_EQ(out.Pixel(0, 0), Drawn(12, 25));

  // Widened on the natural size (25, 25, 100, 50), then scaled.
  ASSERT_TRUE(RenderScaledRegionToAspect(out, Record(Vector(), 50, 25, 50, 50), 5, 100, 200, 0, 2.0,
                                         loader_));
  ASSERT_EQ(out.Width(), 200);
  ASSERT_EQ(out.Height(), 100);
  EXPECT_EQ(out.Pixel(0, 0), Drawn(50, 50));
  EXPECT_EQ(out.Pixel(199, 99), Drawn(249, 149));

  // A pixel picture through the same routine, with a rectify mode that may lower the factor.
  ASSERT_TRUE(RenderScaledRegion(out, Record(Source(), 10, 10, 20, 10), 1, 2.0, loader_));
  EXPECT_EQ(out.Width(), 40);
  EXPECT_EQ(out.Height(), 20);
}

// Widening a 100 x 100 region at (200, 200) of a 1000 x 1000 picture, per anchor.
struct TWidenCase {
  int anchor;
  int box_width, box_height;
  int left, top, width, height;
};

class WidenRegionTest : public ::testing::TestWithParam<TWidenCase> {};

TEST_P(WidenRegionTest, AnchorPlacesTheExtra) {
  const TWidenCase c = GetParam();
  TRegion region;
  ASSERT_TRUE(WidenRegionToAspect(1000, 1000, 200, 200, 100, 100, c.anchor, c.box_height,
                                  c.box_width, region));
  EXPECT_EQ(region.left, c.left);
  EXPECT_EQ(region.top, c.top);
  EXPECT_EQ(region.width, c.width);
  EXPECT_EQ(region.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, WidenRegionTest,
    ::testing::Values(
        // Wider box: 100 extra columns.
        TWidenCase{1, 200, 100, 200, 200, 200, 100}, TWidenCase{4, 200, 100, 200, 200, 200, 100},
        TWidenCase{7, 200, 100, 200, 200, 200, 100}, TWidenCase{2, 200, 100, 150, 200, 200, 100},
        TWidenCase{5, 200, 100, 150, 200, 200, 100}, TWidenCase{8, 200, 100, 150, 200, 200, 100},
        TWidenCase{3, 200, 100, 100, 200, 200, 100}, TWidenCase{6, 200, 100, 100, 200, 200, 100},
        TWidenCase{9, 200, 100, 100, 200, 200, 100},
        // Taller box: 100 extra rows.
        TWidenCase{1, 100, 200, 200, 100, 100, 200}, TWidenCase{2, 100, 200, 200, 100, 100, 200},
        TWidenCase{3, 100, 200, 200, 100, 100, 200}, TWidenCase{4, 100, 200, 200, 150, 100, 200},
        TWidenCase{5, 100, 200, 200, 150, 100, 200}, TWidenCase{6, 100, 200, 200, 150, 100, 200},
        TWidenCase{7, 100, 200, 200, 200, 100, 200}, TWidenCase{8, 100, 200, 200, 200, 100, 200},
        TWidenCase{9, 100, 200, 200, 200, 100, 200},
        // No anchor: no shift. Same aspect: nothing added.
        TWidenCase{0, 200, 100, 200, 200, 200, 100}, TWidenCase{5, 50, 50, 200, 200, 100, 100},
        // Odd extras: half of 3 and half of 5 both round to 2 (ties to even).
        TWidenCase{5, 103, 100, 198, 200, 103, 100}, TWidenCase{5, 105, 100, 198, 200, 105, 100}));

TEST(WidenRegion, EdgesOfThePicture) {
  TRegion r;
  // Pushed back inside at the far edge.
  ASSERT_TRUE(WidenRegionToAspect(1000, 1000, 950, 0, 50, 50, 7, 100, 200, r));
  EXPECT_EQ(r.left, 900);
  EXPECT_EQ(r.width, 100);
  // Reaching left of the picture: counts from the edge, never starts before it.
  ASSERT_TRUE(WidenRegionToAspect(1000, 1000, -20, 10, 100, 50, 5, 100, 200, r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.width, 100);
  EXPECT_EQ(r.height, 50);
  // Wider than the picture: the whole width.
  ASSERT_TRUE(WidenRegionToAspect(100, 100, 0, 0, 100, 100, 5, 100, 200, r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.width, 100);
  EXPECT_EQ(r.height, 100);
  // Empty or oversized regions take the picture's side.
  ASSERT_TRUE(WidenRegionToAspect(300, 200, 10, 10, 0, -5, 5, 200, 300, r));
  EXPECT_EQ(r.width, 300);
  EXPECT_EQ(r.height, 200);

  EXPECT_FALSE(WidenRegionToAspect(0, 100, 0, 0, 10, 10, 5, 10, 10, r));
  EXPECT_FALSE(WidenRegionToAspect(100, 100, 0, 0, 10, 10, 5, 0, 10, r));
  EXPECT_FALSE(WidenRegionToAspect(100, 100, 0, 0, 10, 10, 5, 10, -1, r));
  // Absurd numbers stay defined and inside the picture.
  const int extremes[] = {INT_MIN, -1, 0, 1, INT_MAX};
  for (const int a : extremes)
    for (const int b : extremes)
      for (const int box : {1, INT_MAX}) {
        ASSERT_TRUE(WidenRegionToAspect(5000, 800, a, b, b, a, 3, box, INT_MAX - box + 1, r));
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(static_cast<long long>(r.left) + r.width, 5000);
        EXPECT_LE(static_cast<long long>(r.top) + r.height, 800);
      }
}

TEST_F(CaptureRenderTest, RegionWidenedToTheBox) {
  TBitmap24 out;
  ASSERT_TRUE(RenderRegionToAspect(out, Record(Source(), 50, 25, 50, 50), 5, 100, 200, loader_));
  EXPECT_TRUE(out.SamePixels(Cut(picture_, 25, 25, 100, 50)));
  EXPECT_FALSE(RenderRegionToAspect(out, Record(Source(), 50, 25, 50, 50), 5, 0, 200, loader_));
}

class SaveCapDataTest : public CaptureRenderTest {
 protected:
  std::string SaveOk(const TCapData& record, const std::string& destination,
                     const TCapDataSaveOptions& options) {
    TBitmap24 image;
    std::string saved, message;
    EXPECT_TRUE(SaveCapData(image, record, destination, options, loader_, &saved, &message))
        << message;
    return saved;
  }
};

TEST_F(SaveCapDataTest, NeverWritesOverItsSource) {
  const std::string before = ReadWholeFile(Source());
  const TCapData record = Record(Source(), -10, -10, 100, 100);
  const std::string saved = SaveOk(record, "", {});
  EXPECT_EQ(saved, dir_.File("src_01.bmp"));
  EXPECT_EQ(ReadWholeFile(Source()), before);
  const TBitmap24 out = LoadBack(saved);
  ASSERT_EQ(out.Width(), 100);
  EXPECT_EQ(out.Pixel(9, 9), kWhite);
  EXPECT_EQ(out.Pixel(10, 10), picture_.Pixel(0, 0));
  // A given name is not overwritten either; a JPEG name stays JPEG, others become BMP.
  EXPECT_EQ(SaveOk(record, dir_.File("src_01.bmp"), {}), dir_.File("src_01_01.bmp"));
  EXPECT_EQ(SaveOk(record, dir_.File("cut.png"), {}), dir_.File("cut.bmp"));
  EXPECT_EQ(SaveOk(record, dir_.File("cut.jpg"), {}), dir_.File("cut.jpg"));
  EXPECT_EQ(ReadWholeFile(dir_.File("cut.jpg")).substr(0, 2), "\xFF\xD8");
}

TEST_F(SaveCapDataTest, FramesAndMargins) {
  TCapDataSaveOptions options;
  options.frame.target_width = 120;
  options.frame.target_height = 120;
  options.frame.with_margin = true;
  options.frame.edge_size = 5;
  options.frame.edge_color = kRed;
  options.frame.back_color = kBlue;
  const TCapData record = Record(Source(), 0, 0, 40, 20, {"RGB2,1,0,0,0,0,0,0,0"});
  TBitmap24 expected = Cut(picture_, 0, 0, 40, 20);
  ASSERT_TRUE(TImageRGBArrange().Arrange(expected, "2,1,0,0,0,0,0,0,0"));

  TBitmap24 out = LoadBack(SaveOk(record, dir_.File("framed.bmp"), options));
  ASSERT_EQ(out.Width(), 120);
  ASSERT_EQ(out.Height(), 120);
  EXPECT_EQ(out.Pixel(0, 0), kRed);
  EXPECT_EQ(out.Pixel(4, 60), kRed);
  EXPECT_EQ(out.Pixel(5, 5), kBlue);
  EXPECT_TRUE(Cut(out, 40, 50, 40, 20).SamePixels(expected)) << "not enlarged, centred";

  // Enlarged to fill the box inside the edge: 110 x 55 at (5, 32).
  options.frame.allow_enlarge = true;
  out = LoadBack(SaveOk(record, dir_.File("enlarged.bmp"), options));
  EXPECT_EQ(out.Pixel(4, 60), kRed);
  EXPECT_EQ(out.Pixel(5, 31), kBlue);
  EXPECT_EQ(out.Pixel(5, 32), expected.Pixel(0, 0));
  EXPECT_EQ(out.Pixel(114, 86), expected.Pixel(39, 19));
  EXPECT_EQ(out.Pixel(5, 87), kBlue);

  // Fitting the region to the box widens it to the box's shape first.
  options = {};
  options.frame.target_width = 200;
  options.frame.target_height = 100;
  options.fit_region_to_box = true;
  out = LoadBack(SaveOk(Record(Source(), 50, 25, 50, 50), dir_.File("box.bmp"), options));
  EXPECT_TRUE(out.SamePixels(Cut(picture_, 25, 25, 100, 50)));
}

TEST_F(SaveCapDataTest, MetafilesAreDrawnAgainWithTheirEffects) {
  TCapDataSaveOptions options;
  options.frame.target_width = 60;
  options.frame.target_height = 80;
  options.frame.allow_enlarge = true;
  const TCapData record = Record(Vector(), 10, 20, 30, 40, {"RGB2,1,0,0,0,0,0,0,0"});
  TBitmap24 out = LoadBack(SaveOk(record, dir_.File("vector.bmp"), options));
  EXPECT_EQ(vector_.last_width, 400);
  EXPECT_EQ(vector_.last_height, 200);
  ASSERT_EQ(out.Width(), 60);
  ASSERT_EQ(out.Height(), 80);
  // Drawn at twice the size (not stretched pixels), red and blue swapped by the effect.
  EXPECT_EQ(out.Pixel(0, 0), MakeColor(77, 40, 20));
  EXPECT_EQ(out.Pixel(59, 79), MakeColor(77, 119, 79));

  // Widened to the box on the natural size, and drawn again widened.
  options.fit_region_to_box = true;
  options.frame.target_width = 200;
  options.frame.target_height = 100;
  out = LoadBack(SaveOk(Record(Vector(), 50, 25, 50, 50), dir_.File("vbox.bmp"), options));
  ASSERT_EQ(out.Width(), 200);
  ASSERT_EQ(out.Height(), 100);
  EXPECT_EQ(out.Pixel(0, 0), Drawn(50, 50));
  EXPECT_EQ(out.Pixel(199, 99), Drawn(249, 149));
}

TEST_F(SaveCapDataTest, RecordsThatCannotBeSaved) {
  const std::string path = Source();
  struct TCase {
    TCapData record;
    std::string message;
  };
  const std::string long_text(3 << 20, 'a');
  const TCase cases[] = {
      {Record(path, 0, 0, 10, 10, std::vector<std::string>(7, "ARo90")), ""},
      {Record(path, 0, 0, 10, 10, {"XYZ1"}),
       "unknown effect (ARo, RGB, FFi or Txt expected): XYZ1"},
      {Record(path, 0, 0, 10, 10, {""}), "unknown effect (ARo, RGB, FFi or Txt expected): "},
      {Record(path, 0, 0, 10, 10, {"Txtc,c,Sans,0,9,0,a,0,0,0,0,0"}), ""},
      {Record(path, 0, 0, 10, 10, {"ARo90", "RGB1,0"}), kRGBDataError1},
      {Record(path, 0, 0, 10, 10, {"RGB1,x,2,0,0,0,0,0,0"}), kRGBDataError2},
      {Record(path, 0, 0, 10, 10, {"ARo" + long_text}), ""},
      {Record("", 0, 0, 10, 10), ""},
      {Record(path, 0, 0, INT_MAX, 10), ""},
      {Record(path, INT_MAX, 0, 10, 10), ""},
  };
  for (const TCase& c : cases) {
    TBitmap24 image(2, 2);
    std::string saved = "stale", message = "stale";
    EXPECT_FALSE(SaveCapData(image, c.record, dir_.File("x.bmp"), {}, loader_, &saved, &message))
        << c.record.effects.size();
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(image.Width(), 2);
  }
  EXPECT_FALSE(fs::exists(dir_.File("x.bmp")));

  // Text effects: drawn with a rasteriser; a megabyte-long text is refused quickly.
  TCapDataSaveOptions options;
  const TBlockFontRasteriser fonts;
  options.effects.fonts = &fonts;
  TBitmap24 image;
  std::string message;
  EXPECT_TRUE(SaveCapData(image, Record(path, 0, 0, 60, 40, {"Txtc,c,Sans,0,9,0,a,0,0,0,0,0"}),
                          dir_.File("text.bmp"), options, loader_, nullptr, &message));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(SaveCapData(
      image, Record(path, 0, 0, 60, 40, {"Txtc,c,Sans,0,9,0," + long_text + ",0,0,0,0,0"}),
      dir_.File("long.bmp"), options, loader_, nullptr, &message));
  EXPECT_FALSE(message.empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  // The line form needs a whole record.
  const TTestPathCodec codec;
  EXPECT_FALSE(SaveCapData(image, "a.jpg/1/2/3", codec, "", {}, loader_));
  EXPECT_FALSE(
      SaveCapData(image, codec.EncodeRecordPath(path) + "/0/0/10/x", codec, "", {}, loader_));
  EXPECT_TRUE(SaveCapData(image, codec.EncodeRecordPath(path) + "/0/0/10/10/ARo90", codec,
                          dir_.File("line.bmp"), {}, loader_));
}

}  // namespace
