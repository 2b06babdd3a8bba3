#include <gtest/gtest.h>

#include "engine/Bitmap24.h"
#include "engine/FileNames.h"
#include "engine/ImageUtils.h"
#include "engine/MathInt.h"
#include "tests/TestSupport.h"

TEST(Bitmap24, RowsAreFourByteAlignedAndKeepTheirBuffer) {
  TBitmap24 bmp(5, 3);
  EXPECT_EQ(bmp.Stride(), 16u);
  const std::uint8_t* before = bmp.Data();
  ASSERT_TRUE(bmp.SetSize(4, 4));  // 12 bytes a row, 48 in all: fits the old buffer
  EXPECT_EQ(bmp.Data(), before);
  EXPECT_FALSE(bmp.SetSize(-1, 4));
  EXPECT_EQ(bmp.Width(), 4);
  EXPECT_FALSE(bmp.SetSize(100000, 100000));
}

TEST(Bitmap24, DrawClipsOnEverySide) {
  TBitmap24 dst(4, 4);
  dst.Fill(kWhite);
  TBitmap24 src(3, 3);
  src.Fill(kBlack);
  dst.Draw(src, -2, 3);  // only (0,3) is covered
  EXPECT_EQ(dst.Pixel(0, 3), kBlack);
  EXPECT_EQ(dst.Pixel(1, 3), kWhite);
  EXPECT_EQ(dst.Pixel(0, 2), kWhite);
  dst.Draw(src, 10, 10);  // wholly outside: nothing happens
  EXPECT_EQ(dst.Pixel(3, 3), kWhite);
}

TEST(Bitmap24, FillRectAndColourBytes) {
  TBitmap24 bmp(3, 2);
  bmp.Fill(0x00332211);  // red 0x11, green 0x22, blue 0x33
  EXPECT_EQ(bmp.Row(0)[0], 0x33);
  EXPECT_EQ(bmp.Row(0)[1], 0x22);
  EXPECT_EQ(bmp.Row(0)[2], 0x11);
  bmp.FillRect(-5, 1, 2, 9, kWhite);
  EXPECT_EQ(bmp.Pixel(1, 1), kWhite);
  EXPECT_EQ(bmp.Pixel(2, 1), 0x00332211u);
  TBitmap24 copy = bmp;
  EXPECT_TRUE(copy.SamePixels(bmp));
}

TEST(SizeLimit, AllowedSizes) {
  EXPECT_TRUE(TImU::SizeIsAllowed(5000, 800));
  EXPECT_FALSE(TImU::SizeIsAllowed(5001, 1));
  EXPECT_FALSE(TImU::SizeIsAllowed(2000, 2001));
  EXPECT_FALSE(TImU::SizeIsAllowed(0, 10));
  EXPECT_FALSE(TImU::SizeIsAllowed(10, -1));
}

TEST(SizeLimit, FitSizeBringsLargePicturesDown) {
  int w = 4000, h = 2000;
  EXPECT_FALSE(TImU::FitSize(w, h));
  EXPECT_EQ(w, 2828);
  EXPECT_EQ(h, 1414);
  w = 800;
  h = 600;
  EXPECT_TRUE(TImU::FitSize(w, h));
  EXPECT_EQ(w, 800);
  w = 0;
  h = 50;
  EXPECT_FALSE(TImU::FitSize(w, h));
  EXPECT_EQ(h, 0);
}

TEST(SizeLimit, FitSizeNeverWidensAFlatPicturePastTheWidthLimit) {
  int w = 6000, h = 100;
  EXPECT_FALSE(TImU::FitSize(w, h));
  EXPECT_EQ(w, 5000);
  EXPECT_EQ(h, 83);
  EXPECT_TRUE(TImU::SizeIsAllowed(w, h));
}

TEST(SizeLimit, LargePicturesRaiseTheLimitAndTheMessageNamesIt) {
  EXPECT_EQ(
      TImU::RefusalText(6000, 4000),
      "6000 x 4000 is beyond the working size limit of 5,000 pixels wide and 4,000,000 pixels");
  TImU::SetLargePictures(true);
  const bool photo = TImU::SizeIsAllowed(6000, 4000);
  const bool too_wide = TImU::SizeIsAllowed(20001, 1);
  const bool too_big = TImU::SizeIsAllowed(10000, 10001);
  const std::string text = TImU::RefusalText(30000, 10);
  TImU::SetLargePictures(false);
  EXPECT_TRUE(photo);
  EXPECT_FALSE(too_wide);
  EXPECT_FALSE(too_big);
  EXPECT_EQ(text,
            "30000 x 10 is beyond the working size limit of 20,000 pixels wide and 100,000,000 "
            "pixels");
  EXPECT_FALSE(TImU::SizeIsAllowed(6000, 4000));
}

TEST(MathInt, ClampsAndRounding) {
  EXPECT_EQ(ClampAdd(250, 10, 0, 255), 255);
  EXPECT_EQ(ClampAdd(5, -10, 0, 255), 0);
  EXPECT_EQ(ByteAdd(100, 27), 127);
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
  EXPECT_EQ(RoundHalfAway(0.0), 0);
  int v = 120;
  EXPECT_FALSE(ClampIntoRange(v, 1, 100));
  EXPECT_EQ(v, 100);
  EXPECT_TRUE(ClampIntoRange(v, 1, 100));
}

TEST(FileNames, FreeNamesCountUpAndKeepTheExtension) {
  TTempDir dir;
  const std::string photo = dir.File("photo.jpg");
  EXPECT_EQ(MakeFreeFileName(photo), photo);
  WriteWholeFile(photo, "x");
  EXPECT_EQ(MakeFreeFileName(photo), dir.File("photo_01.jpg"));
  WriteWholeFile(dir.File("photo_01.jpg"), "x");
  EXPECT_EQ(MakeFreeFileName(photo), dir.File("photo_02.jpg"));
  EXPECT_EQ(MakeFreeFileName(photo, 9), dir.File("photo_00001.jpg"));
  WriteWholeFile(dir.File("noext"), "x");
  EXPECT_EQ(MakeFreeFileName(dir.File("noext"), 0), dir.File("noext_1"));
  EXPECT_EQ(LowerExtension("/a.b/C.JPeG"), ".jpeg");
  EXPECT_EQ(LowerExtension("/a.b/noext"), "");
}

// Saving a long list from one picture continues after the last name found; when that name is
// gone again (a failed save), the search starts over so the first free name is taken.
TEST(FileNames, FreeNameSearchContinuesAndStartsOverWhenTheLastNameIsGone) {
  TTempDir dir;
  const std::string photo = dir.File("photo.jpg");
  WriteWholeFile(photo, "x");
  for (int n = 1; n <= 120; ++n) {
    const std::string name = MakeFreeFileName(photo);
    ASSERT_EQ(name, dir.File((n < 10 ? "photo_0" : "photo_") + std::to_string(n) + ".jpg"));
    WriteWholeFile(name, "x");
  }
  std::filesystem::remove(dir.File("photo_120.jpg"));
  std::filesystem::remove(dir.File("photo_07.jpg"));
  EXPECT_EQ(MakeFreeFileName(photo), dir.File("photo_07.jpg"));
}

TEST(FileNames, APathHoldingNulNamesNothing) {
  TTempDir dir;
  WriteWholeFile(dir.File("src.jpg"), "x");
  const std::string cut = dir.File("src.jpg") + std::string(1, '\0') + ".bmp";
  EXPECT_EQ(MakeFreeFileName(cut), "");
  EXPECT_FALSE(FileExists(cut));
  EXPECT_EQ(MakeUniqueFolderName(cut), "");
}

TEST(FileNames, UniqueFolderSkipsExistingFolders) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Path() / "001");
  EXPECT_EQ(MakeUniqueFolderName(dir.Path().string()), dir.File("002"));
  EXPECT_EQ(MakeUniqueFolderName(dir.Path().string() + "/"), dir.File("002"));
}
