// Enhanced metafiles made record by record and through libEMF, checked pixel by pixel.
#include <gtest/gtest.h>

#include "platform/MetafileDecoder.h"
#include "tests/TestSupport.h"
#include "tests/platform/LibEmfPicture.h"
#include "tests/platform/MetafileWriter.h"

namespace {

constexpr TColor kRed = MakeColor(255, 0, 0);
constexpr TColor kGreen = MakeColor(0, 255, 0);
constexpr TColor kBlue = MakeColor(0, 0, 255);
constexpr TColor kYellow = MakeColor(255, 255, 0);
constexpr TColor kBlack = 0;
constexpr std::uint32_t kSrcCopy = 0x00CC0020;
// Pattern where the source is white, destination where it is black: a mask that paints the brush.
constexpr std::uint32_t kMaskPattern = 0x00E20746;

// A 96 x 96 picture whose reference device has 96 pixels per inch, so that one logical unit of
// MM_TEXT is one pixel of the natural size.
TEmfWriter Picture96() {
  TEmfWriter w(0, 0, 95, 95, 0, 0, 2540, 2540);
  w.SetDevice(960, 480, 254, 127);
  return w;
}

TBitmap24 Render(const std::string& emf, int width, int height) {
  TBitmap24 b;
  std::string error;
  EXPECT_TRUE(RenderMetafile(TMetafileKind::kEmf, emf, width, height, b, error)) << error;
  return b;
}

std::string Dib24(std::initializer_list<TColor> row) {
  TBitmap24 b(static_cast<int>(row.size()), 1);
  int x = 0;
  for (TColor c : row) b.FillRect(x, 0, x + 1, 1, c), ++x;
  return MakeDib24(b);
}

// Every size a viewer fits a picture to, down to a single pixel.
void RenderAtEverySize(TMetafileKind kind, const std::string& bytes) {
  int w = 0, h = 0;
  std::string error;
  TBitmap24 b;
  if (ReadMetafileSize(kind, bytes, w, h, error)) {
    EXPECT_TRUE(RenderMetafile(kind, bytes, w, h, b, error)) << error;
  }
  for (auto [rw, rh] : {std::pair{200, 200}, {100, 80}, {64, 48}, {37, 23}, {1, 1}})
    EXPECT_TRUE(RenderMetafile(kind, bytes, rw, rh, b, error)) << rw << "x" << rh << error;
}

// The records that crashed the player: mirrored STRETCHBLTs of tiny 1-bit masks with the
// mask-pattern operation, under a y-up mapping and a clip, so that drawn small the destination
// is under a pixel.
std::string MirroredMaskBlits(TEmfWriter w) {
  const std::string mask4 = MakeDib1({"1010", "0101"});
  const std::string mask8 = MakeDib1({"10101010", "01010101", "11110000", "00001111"});
  w.SetMapMode(8);
  w.SetWindowOrg(0, 0);
  w.SetWindowExt(2000, 2000);
  w.SetViewportOrg(0, 96);
  w.SetViewportExt(96, -96);
  w.Select(w.CreateBrush(0, kBlue));
  w.IntersectClipRect(100, 100, 1900, 1900);
  for (int x = 0; x < 2000; x += 150)
    for (int y = 0; y < 2000; y += 170) {
      w.Raw(EmfStretchBltRecord(x, y + 33, 33, -33, kMaskPattern, 1, 0, 2, 2, mask4));
      w.Raw(EmfStretchBltRecord(x + 100, y + 66, -100, -66, kMaskPattern, 1, 0, 6, 4, mask8));
      w.Raw(EmfStretchBltRecord(x, y, 33, 33, kMaskPattern, 3, 1, 2, 2, mask4));
    }
  return w.Bytes();
}

TEST(EmfBitmaps, MirroredSubPixelMaskBlitsDrawAtEverySize) {
  const std::string emf = MirroredMaskBlits(Picture96());
  RenderAtEverySize(TMetafileKind::kEmf, emf);
  // Drawn large, the masks paint the brush through their white bits inside the clip only.
  const TBitmap24 b = Render(emf, 960, 960);
  int blue = 0;
  for (int y = 0; y < 960; ++y)
    for (int x = 0; x < 960; ++x) {
      const bool inside = x >= 48 && x < 912 && y >= 48 && y < 912;
      if (b.Pixel(x, y) == kBlue) ++blue;
      if (!inside)
        ASSERT_EQ(b.Pixel(x, y), kWhite) << x << "," << y;
      else
        ASSERT_TRUE(b.Pixel(x, y) == kWhite || b.Pixel(x, y) == kBlue) << x << "," << y;
    }
  EXPECT_GT(blue, 10000);
}

TEST(EmfBitmaps, MirroredMaskBlitsInAPictureFromLibEmf) {
  TTempDir dir;
  std::string why;
  if (!WriteLibEmfPicture(dir.File("t.emf"), why)) GTEST_SKIP() << why;
  std::string emf = ReadWholeFile(dir.File("t.emf"));
  const std::string mask4 = MakeDib1({"1010", "0101"});
  const std::string mask8 = MakeDib1({"10101010", "01010101", "11110000", "00001111"});
  for (int x = 0; x < 400; x += 40) {
    emf =
        InsertEmfRecord(emf, EmfStretchBltRecord(x, 233, 33, -33, kMaskPattern, 1, 0, 2, 2, mask4));
    emf = InsertEmfRecord(
        emf, EmfStretchBltRecord(x + 100, 66, -100, -66, kMaskPattern, 1, 0, 6, 4, mask8));
  }
  RenderAtEverySize(TMetafileKind::kEmf, emf);
}

struct TBlitCase {
  const char* name;
  int x, y, w, h;      // logical destination
  int sx, sy, sw, sh;  // source rectangle
  std::uint32_t rop;
  TColor expected[4];  // on row 20 at x = 15, 25, 35, 45
};

void PrintTo(const TBlitCase& c, std::ostream* os) { *os << c.name; }

class EmfBlit : public testing::TestWithParam<TBlitCase> {};

TEST_P(EmfBlit, MapsTheSourceOntoTheDestination) {
  const TBlitCase& c = GetParam();
  TEmfWriter w = Picture96();
  w.Select(w.CreatePen(5, 0, 0));
  // A red band under the blit shows what the operation keeps of the picture.
  w.Select(w.CreateBrush(0, kRed));
  w.Rectangle(0, 16, 96, 25);
  w.Select(w.CreateBrush(0, kGreen));
  const std::string dib =
      c.rop == kMaskPattern ? MakeDib1({"1001"}) : Dib24({kBlue, kGreen, kYellow, kBlack});
  w.Raw(EmfStretchBltRecord(c.x, c.y, c.w, c.h, c.rop, c.sx, c.sy, c.sw, c.sh, dib));
  const TBitmap24 b = Render(w.Bytes(), 96, 96);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(b.Pixel(15 + 10 * i, 20), c.expected[i]) << "x " << 15 + 10 * i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmfBlit,
    testing::Values(
        // Four source pixels over 40 units: ten units each.
        TBlitCase{"copy", 10, 0, 40, 30, 0, 0, 4, 1, kSrcCopy, {kBlue, kGreen, kYellow, kBlack}},
        // A negative width mirrors the columns, on either side.
        TBlitCase{
            "mirrored", 50, 0, -40, 30, 0, 0, 4, 1, kSrcCopy, {kBlack, kYellow, kGreen, kBlue}},
        TBlitCase{"mirrored_source",
                  10,
                  0,
                  40,
                  30,
                  4,
                  0,
                  -4,
                  1,
                  kSrcCopy,
                  {kBlack, kYellow, kGreen, kBlue}},
        // Where the source lies beyond the bitmap nothing is drawn; the rest keeps its place.
        TBlitCase{"source_beyond_the_right",
                  10,
                  0,
                  40,
                  30,
                  2,
                  0,
                  4,
                  1,
                  kSrcCopy,
                  {kYellow, kBlack, kRed, kRed}},
        TBlitCase{"source_beyond_the_left",
                  10,
                  0,
                  40,
                  30,
                  -2,
                  0,
                  4,
                  1,
                  kSrcCopy,
                  {kRed, kRed, kBlue, kGreen}},
        TBlitCase{"source_below_the_bitmap",
                  10,
                  0,
                  40,
                  30,
                  0,
                  1,
                  4,
                  1,
                  kSrcCopy,
                  {kRed, kRed, kRed, kRed}},
        // The mask paints the brush where it is white and keeps the picture where it is black.
        TBlitCase{
            "mask_pattern", 10, 0, 40, 30, 0, 0, 4, 1, kMaskPattern, {kGreen, kRed, kRed, kGreen}},
        TBlitCase{"mirrored_mask_pattern",
                  50,
                  30,
                  -40,
                  -30,
                  0,
                  0,
                  2,
                  1,
                  kMaskPattern,
                  {kRed, kRed, kGreen, kGreen}}),
    [](const testing::TestParamInfo<TBlitCase>& info) { return std::string(info.param.name); });

// Text of one record in a font; wide records hold UTF-16, the others bytes.
std::string EmfText(const std::u16string& face, int charset, const std::string& bytes,
                    const std::u16string& wide = u"") {
  TEmfWriter w = Picture96();
  w.Select(w.CreateFont(-40, face, charset));
  w.SetBkMode(1);
  if (wide.empty())
    w.TextAnsi(4, 20, bytes);
  else
    w.TextWide(4, 20, wide);
  return w.Bytes();
}

std::string WmfText(const std::string& face, int charset, const std::string& bytes) {
  TWmfWriter w(0, 0, 96, 96, 96);
  w.Select(w.CreateFont(-40, face, 400, 0, charset));
  w.SetBkMode(1);
  w.TextOut(4, 20, bytes);
  return w.Bytes();
}

int InkPixels(const TBitmap24& b) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += b.Pixel(x, y) != kWhite;
  return n;
}

struct TSymbolCase {
  const char* name;
  std::u16string face;
  int charset;
  std::string bytes;
  std::u16string unicode;  // what the bytes stand for
};

void PrintTo(const TSymbolCase& c, std::ostream* os) { *os << c.name; }

class SymbolText : public testing::TestWithParam<TSymbolCase> {};

TEST_P(SymbolText, BytesDrawTheCharactersTheyStandFor) {
  const TSymbolCase& c = GetParam();
  const std::string face(c.face.begin(), c.face.end());
  const TBitmap24 expected = Render(EmfText(c.face, 0, "", c.unicode), 96, 96);
  ASSERT_GT(InkPixels(expected), 30);
  EXPECT_TRUE(Render(EmfText(c.face, c.charset, c.bytes), 96, 96).SamePixels(expected))
      << "EXTTEXTOUTA";
  // The same bytes as UTF-16, plain and in the private use area symbol fonts are reached by.
  std::u16string plain, private_use;
  for (char ch : c.bytes) {
    plain += static_cast<char16_t>(static_cast<std::uint8_t>(ch));
    private_use += static_cast<char16_t>(0xF000 | static_cast<std::uint8_t>(ch));
  }
  EXPECT_TRUE(Render(EmfText(c.face, c.charset, "", plain), 96, 96).SamePixels(expected))
      << "EXTTEXTOUTW";
  EXPECT_TRUE(Render(EmfText(c.face, c.charset, "", private_use), 96, 96).SamePixels(expected))
      << "EXTTEXTOUTW, private use area";
  TBitmap24 wmf;
  std::string error;
  ASSERT_TRUE(
      RenderMetafile(TMetafileKind::kWmf, WmfText(face, c.charset, c.bytes), 96, 96, wmf, error));
  EXPECT_TRUE(wmf.SamePixels(expected)) << "TEXTOUT";
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, SymbolText,
    testing::Values(
        TSymbolCase{"greek", u"Symbol", 2, "abg", u"\u03B1\u03B2\u03B3"},
        // Equation pieces: a bracket, a sum and a root.
        TSymbolCase{"operators", u"Symbol", 2, "\xE6\xE5\xD6", u"\u239B\u2211\u221A"},
        // Named Symbol with the default character set: still no code page 932 ideographs.
        TSymbolCase{"default_charset", u"Symbol", 1, "\xE1\xF1", u"\u2329\u232A"},
        TSymbolCase{"wingdings", u"Wingdings", 2, "l\xFC", u"\u25CF\u2713"},
        TSymbolCase{"wingdings_unmapped", u"Wingdings", 2, "\x8A", u"\u2022"}),
    [](const testing::TestParamInfo<TSymbolCase>& info) { return std::string(info.param.name); });

TEST(SymbolText, PlainFontsKeepTheirLetters) {
  const TBitmap24 latin = Render(EmfText(u"DejaVu Sans", 0, "abg"), 96, 96);
  EXPECT_TRUE(Render(EmfText(u"DejaVu Sans", 0, "", u"abg"), 96, 96).SamePixels(latin));
  EXPECT_FALSE(Render(EmfText(u"Symbol", 2, "abg"), 96, 96).SamePixels(latin));
}

TEST(SymbolText, OddByteCountsDrawAsFarAsThereAreBytes) {
  TWmfWriter w(0, 0, 96, 96, 96);
  w.Select(w.CreateFont(-40, "Symbol", 400, 0, 2));
  w.TextOut(4, 20, "abg");
  // A TEXTOUT claiming more bytes than it holds, and an EXTTEXTOUTA with an odd count.
  w.Record(0x0521, {9, 0x6261, 20, 4});
  RenderAtEverySize(TMetafileKind::kWmf, w.Bytes());
  RenderAtEverySize(TMetafileKind::kEmf, EmfText(u"Symbol", 2, "\xE6\xE5\xD6"));
}

// A page set-up, a red square drawn under it, and where the square must land on a 96 x 96
// render, worked out from the mapping formulas: device = viewport origin + (world(p) - window
// origin) x viewport extent / window extent (fixed modes: unit size / device pixel size, y up),
// then the frame (or, when the header's device does not describe the records, the bounds)
// stretched over the picture.
struct TMappingCase {
  const char* name;
  bool lib_emf;
  TLibEmfMapping mapping;
  int square[3];     // x, y, size in logical units
  double expect[4];  // left, top, right, bottom in output pixels
  int bounds[4] = {0, 0, 95, 95};
  int device[4] = {960, 480, 254, 127};  // pixels and millimetres of the reference device
};

void PrintTo(const TMappingCase& c, std::ostream* os) { *os << c.name; }

TLibEmfMapping Mapping(int mode, std::initializer_list<int> wo, std::initializer_list<int> we,
                       std::initializer_list<int> vo, std::initializer_list<int> ve,
                       std::initializer_list<float> world = {1, 0, 0, 1, 0, 0},
                       std::initializer_list<int> frame = {0, 0, 2540, 2540}) {
  TLibEmfMapping m;
  m.map_mode = mode;
  std::copy(wo.begin(), wo.end(), m.window_org);
  std::copy(we.begin(), we.end(), m.window_ext);
  std::copy(vo.begin(), vo.end(), m.viewport_org);
  std::copy(ve.begin(), ve.end(), m.viewport_ext);
  std::copy(world.begin(), world.end(), m.world);
  std::copy(frame.begin(), frame.end(), m.frame);
  return m;
}

std::string MappedSquare(const TMappingCase& c, std::string& why) {
  const TLibEmfMapping& m = c.mapping;
  const int x = c.square[0], y = c.square[1], n = c.square[2];
  if (c.lib_emf) {
    TTempDir dir;
    if (!WriteLibEmfMappedSquare(dir.File("m.emf"), m, x, y, n, why)) return "";
    return ReadWholeFile(dir.File("m.emf"));
  }
  TEmfWriter w(c.bounds[0], c.bounds[1], c.bounds[2], c.bounds[3], m.frame[0], m.frame[1],
               m.frame[2], m.frame[3]);
  w.SetDevice(c.device[0], c.device[1], c.device[2], c.device[3]);
  w.SetMapMode(m.map_mode);
  w.SetWindowOrg(m.window_org[0], m.window_org[1]);
  // Extents of 0 stand for none set.
  if (m.window_ext[0] != 0) w.SetWindowExt(m.window_ext[0], m.window_ext[1]);
  w.SetViewportOrg(m.viewport_org[0], m.viewport_org[1]);
  if (m.viewport_ext[0] != 0) w.SetViewportExt(m.viewport_ext[0], m.viewport_ext[1]);
  w.SetWorldTransform({m.world, m.world + 6});
  w.SelectStock(8);  // NULL_PEN
  w.Select(w.CreateBrush(0, kRed));
  w.Polygon16({{x, y}, {x + n, y}, {x + n, y + n}, {x, y + n}});
  return w.Bytes();
}

class EmfMapping : public testing::TestWithParam<TMappingCase> {};

TEST_P(EmfMapping, SquareLandsWhereTheFormulasPutIt) {
  const TMappingCase& c = GetParam();
  std::string why;
  const std::string emf = MappedSquare(c, why);
  if (emf.empty()) GTEST_SKIP() << why;
  const TBitmap24 b = Render(emf, 96, 96);
  int wrong = 0;
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) {
      const double cx = x + 0.5, cy = y + 0.5;
      const double inside =
          std::min({cx - c.expect[0], c.expect[2] - cx, cy - c.expect[1], c.expect[3] - cy});
      if (inside > 1.5 && b.Pixel(x, y) != kRed) ++wrong;
      if (inside < -1.5 && b.Pixel(x, y) != kWhite) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
  RenderAtEverySize(TMetafileKind::kEmf, emf);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmfMapping,
    testing::Values(TMappingCase{"text",
                                 false,
                                 Mapping(1, {0, 0}, {1, 1}, {0, 0}, {1, 1}),
                                 {10, 10, 40},
                                 {10, 10, 50, 50}},
                    TMappingCase{"text_negative_coordinates",
                                 false,
                                 Mapping(1, {-20, -20}, {1, 1}, {0, 0}, {1, 1}),
                                 {-10, -10, 40},
                                 {10, 10, 50, 50}},
                    TMappingCase{"text_both_origins",
                                 false,
                                 Mapping(1, {10, 10}, {1, 1}, {30, 20}, {1, 1}),
                                 {10, 10, 30},
                                 {30, 20, 60, 50}},
                    TMappingCase{"anisotropic",
                                 false,
                                 Mapping(8, {0, 0}, {1000, 1000}, {0, 0}, {96, 96}),
                                 {100, 100, 400},
                                 {9.6, 9.6, 48, 48}},
                    TMappingCase{"anisotropic_y_up",
                                 false,
                                 Mapping(8, {0, 0}, {1000, 1000}, {0, 96}, {96, -96}),
                                 {100, 100, 400},
                                 {9.6, 48, 48, 86.4}},
                    TMappingCase{"anisotropic_negative_window_origin",
                                 false,
                                 Mapping(8, {-500, -500}, {1000, 1000}, {0, 0}, {96, 96}),
                                 {-400, -400, 400},
                                 {9.6, 9.6, 48, 48}},
                    TMappingCase{"isotropic_smaller_scale_wins",
                                 false,
                                 Mapping(7, {0, 0}, {1000, 500}, {0, 0}, {96, 96}),
                                 {100, 100, 400},
                                 {9.6, 9.6, 48, 48}},
                    TMappingCase{"isotropic_y_up",
                                 false,
                                 Mapping(7, {0, 0}, {1000, 1000}, {0, 96}, {96, -192}),
                                 {100, 100, 400},
                                 {9.6, 48, 48, 86.4}},
                    TMappingCase{"world_scale_and_shift",
                                 false,
                                 Mapping(1, {0, 0}, {1, 1}, {0, 0}, {1, 1}, {2, 0, 0, 2, 5, 5}),
                                 {10, 10, 20},
                                 {25, 25, 65, 65}},
                    TMappingCase{"world_quarter_turn",
                                 false,
                                 Mapping(1, {0, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1, -1, 0, 90, 0}),
                                 {10, 10, 20},
                                 {60, 10, 80, 30}},
                    TMappingCase{
                        "world_under_anisotropic",
                        false,
                        Mapping(8, {0, 0}, {1000, 1000}, {0, 0}, {96, 96}, {2, 0, 0, 2, 0, 0}),
                        {50, 50, 200},
                        {9.6, 9.6, 48, 48}},
                    TMappingCase{"lometric",
                                 false,
                                 Mapping(2, {0, 0}, {1, 1}, {0, 96}, {1, 1}),
                                 {50, 50, 150},
                                 {18.9, 20.4, 75.6, 77.1}},
                    TMappingCase{"twips",
                                 false,
                                 Mapping(6, {0, 0}, {1, 1}, {0, 96}, {1, 1}),
                                 {300, 300, 600},
                                 {20, 36, 60, 76}},
                    TMappingCase{"frame_away_from_the_origin",
                                 false,
                                 Mapping(1, {0, 0}, {1, 1}, {0, 0}, {1, 1}, {1, 0, 0, 1, 0, 0},
                                         {1270, 1270, 3810, 3810}),
                                 {60, 60, 40},
                                 {12, 12, 52, 52},
                                 {48, 48, 143, 143}},
                    // The header's device says 600 dots per inch, so its frame is 600 device pixels
                    // wide, but the records were drawn for the 96 pixels the bounds give.
                    TMappingCase{"frame_not_matching_bounds",
                                 false,
                                 Mapping(1, {0, 0}, {1, 1}, {0, 0}, {1, 1}),
                                 {10, 10, 40},
                                 {10, 10, 50, 50},
                                 {0, 0, 95, 95},
                                 {6000, 3000, 254, 127}},
                    TMappingCase{"bounds_apart_from_the_frame",
                                 false,
                                 Mapping(1, {0, 0}, {1, 1}, {0, 0}, {1, 1}),
                                 {-190, -190, 40},
                                 {10, 10, 50, 50},
                                 {-200, -200, -105, -105}},
                    // libEMF: 1024 device pixels on 320 mm, a frame of 30 mm, so 96 device pixels.
                    TMappingCase{"libemf_anisotropic_y_up",
                                 true,
                                 Mapping(8, {0, 0}, {1000, 1000}, {0, 96}, {96, -96},
                                         {1, 0, 0, 1, 0, 0}, {0, 0, 3000, 3000}),
                                 {100, 100, 400},
                                 {9.6, 48, 48, 86.4}},
                    TMappingCase{"libemf_isotropic",
                                 true,
                                 Mapping(7, {0, 0}, {2000, 1000}, {0, 0}, {96, 96},
                                         {1, 0, 0, 1, 0, 0}, {0, 0, 3000, 3000}),
                                 {100, 100, 400},
                                 {4.8, 4.8, 24, 24}},
                    TMappingCase{"libemf_turn_under_anisotropic",
                                 true,
                                 Mapping(8, {-500, -500}, {1000, 1000}, {0, 0}, {96, 96},
                                         {0, 1, -1, 0, 0, 0}, {0, 0, 3000, 3000}),
                                 {100, 100, 400},
                                 {0, 57.6, 38.4, 96}},
                    TMappingCase{"libemf_text_negative_coordinates",
                                 true,
                                 Mapping(1, {0, 0}, {1, 1}, {50, 50}, {1, 1}, {1, 0, 0, 1, 0, 0},
                                         {0, 0, 3000, 3000}),
                                 {-40, -40, 30},
                                 {10, 10, 40, 40}}),
    [](const testing::TestParamInfo<TMappingCase>& info) { return std::string(info.param.name); });

TEST(EmfMapping, AbsurdSetUpsDrawAsFarAsSensible) {
  TEmfWriter w = Picture96();
  w.Select(w.CreateBrush(0, kRed));
  for (int i = 0; i < 2000; ++i) w.SaveDC();
  w.RestoreDC(-5000);
  w.RestoreDC(3000);
  for (int mode : {0, 9, -1, 8}) w.SetMapMode(mode);
  const int kHuge = 0x7FFFFFFF, kLeast = static_cast<int>(0x80000000u);
  for (auto [ext_w, ext_h] : {std::pair{0, 0}, {-1, 5}, {kHuge, 1}, {kLeast, kLeast}, {1, kHuge}}) {
    w.SetWindowExt(ext_w, ext_h);
    w.SetViewportExt(ext_h, ext_w);
    w.SetWindowOrg(kLeast, kHuge);
    w.Rectangle(-100, -100, 100, 100);
  }
  w.Record(31, {0, 0, 5, 0});  // SCALEVIEWPORTEXTEX by 0/0 and 5/0
  w.Record(32, {TEmfWriter::U(kLeast), 1, TEmfWriter::U(kHuge), 1});
  w.SetWorldTransform({1e30f, 0, 0, 1e30f, 0, 0});
  w.ModifyWorldTransform({0, 0, 0, 0, 0, 0}, 4);
  w.Polygon16({{-32768, -32768}, {32767, -32768}, {32767, 32767}});
  RenderAtEverySize(TMetafileKind::kEmf, w.Bytes());
  // What a sensible mapping draws afterwards still lands where it should.
  TEmfWriter sane = Picture96();
  for (int i = 0; i < 1100; ++i) sane.SaveDC();
  sane.SetMapMode(8);
  sane.SetWindowExt(1000, 1000);
  sane.SetViewportExt(96, 96);
  sane.SaveDC();
  sane.SetMapMode(1);
  sane.RestoreDC(-1);
  sane.Select(sane.CreateBrush(0, kRed));
  sane.Rectangle(100, 100, 500, 500);
  const TBitmap24 b = Render(sane.Bytes(), 96, 96);
  EXPECT_EQ(b.Pixel(30, 30), kRed);
  EXPECT_EQ(b.Pixel(60, 60), kWhite);
}

}  // namespace

namespace {

// Pen widths in a metafile drawn larger than its natural size: a pen wider than 0 is measured in
// logical units and grows with the drawing, extended pens cosmetic or geometric alike; width 0
// stays one pixel. (A 55 x 38 speech bubble shown 600 wide drew its outline one pixel wide.)
struct TPenCase {
  const char* name;
  TMetafileKind kind;
  int width;            // the pen's width in logical units
  std::uint32_t style;  // ExtCreatePen's style; 0 for CreatePen
  int expected_min;     // drawn 10 times the natural size
  int expected_max;
};

void PrintTo(const TPenCase& c, std::ostream* os) { *os << c.name; }

// The rows a horizontal line covers in the middle column.
int LineThickness(const TBitmap24& b) {
  int rows = 0;
  for (int y = 0; y < b.Height(); ++y)
    if (b.Pixel(b.Width() / 2, y) == kBlack) ++rows;
  return rows;
}

std::string HorizontalLine(const TPenCase& c) {
  if (c.kind == TMetafileKind::kWmf) {
    TWmfWriter w(0, 0, 55, 38, 96);
    w.SetWindowOrg(0, 0);
    w.SetWindowExt(55, 38);
    w.Select(w.CreatePen(0, c.width, kBlack));
    w.MoveTo(5, 19);
    w.LineTo(50, 19);
    return w.Bytes();
  }
  // 55 x 38 pixels of a 96 pixels-per-inch device, one logical unit per pixel.
  TEmfWriter w(0, 0, 54, 37, 0, 0, 1455, 1005);
  w.SetDevice(960, 480, 254, 127);
  w.Select(c.style != 0 ? w.ExtCreatePen(c.style, c.width, kBlack)
                        : w.CreatePen(0, c.width, kBlack));
  w.Polyline16({{5, 19}, {50, 19}});
  return w.Bytes();
}

class MetafilePen : public testing::TestWithParam<TPenCase> {};

TEST_P(MetafilePen, WidthFollowsTheDrawingScale) {
  const TPenCase& c = GetParam();
  const std::string bytes = HorizontalLine(c);
  TBitmap24 b;
  std::string error;
  ASSERT_TRUE(RenderMetafile(c.kind, bytes, 550, 380, b, error)) << error;
  const int thickness = LineThickness(b);
  EXPECT_GE(thickness, c.expected_min);
  EXPECT_LE(thickness, c.expected_max);
  // At the natural size every one of these pens is one pixel wide.
  ASSERT_TRUE(RenderMetafile(c.kind, bytes, 55, 38, b, error)) << error;
  EXPECT_EQ(LineThickness(b), 1);
}

constexpr std::uint32_t kGeometric = 0x10000;
constexpr std::uint32_t kFlatCap = 0x200;

INSTANTIATE_TEST_SUITE_P(
    Scaled, MetafilePen,
    testing::Values(TPenCase{"EmfWidth1", TMetafileKind::kEmf, 1, 0, 9, 11},
                    TPenCase{"EmfWidth0", TMetafileKind::kEmf, 0, 0, 1, 1},
                    TPenCase{"EmfGeometric1", TMetafileKind::kEmf, 1, kGeometric | kFlatCap, 9, 11},
                    TPenCase{"EmfCosmetic1", TMetafileKind::kEmf, 1, kFlatCap, 9, 11},
                    TPenCase{"EmfGeometric0", TMetafileKind::kEmf, 0, kGeometric | kFlatCap, 1, 1},
                    TPenCase{"EmfCosmetic0", TMetafileKind::kEmf, 0, kFlatCap, 1, 1},
                    TPenCase{"WmfWidth1", TMetafileKind::kWmf, 1, 0, 9, 11},
                    TPenCase{"WmfWidth0", TMetafileKind::kWmf, 0, 0, 1, 1}),
    [](const testing::TestParamInfo<TPenCase>& info) { return std::string(info.param.name); });

}  // namespace
