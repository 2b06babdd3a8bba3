// Obtaining one item's reference picture from small pictures made here: file data and cap data
// modes, the thumbnail size rules, missing and unreadable files, and the search drive.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "browse/table/ThumbNailAcquire.h"
#include "engine/ImageBasics.h"
#include "platform/PathText.h"
#include "platform/PictureDecoders.h"
#include "tests/TestSupport.h"
#include "tests/platform/MetafileWriter.h"

namespace {

class ThumbNailAcquireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddPlatformDecoders(loader_);
    picture_ = dir_.File("wide.bmp");
    ASSERT_TRUE(SavePictureFile(PatternBitmap(80, 40), picture_, true, 100));
    options_.settings = &settings_;
    options_.area_width = 40;
    options_.area_height = 40;
    options_.paths = &paths_;
    options_.loader = &loader_;
  }

  TTempDir dir_;
  TPictureLoader loader_;
  PathText paths_{TPathStyle::Posix};
  TPictureTableSettings settings_;
  TThumbNailAcquireOptions options_;
  std::string picture_;
};

TEST_F(ThumbNailAcquireTest, FileThumbnailFollowsTheSizeRules) {
  const struct {
    const char* name;
    int thumb_width;  // size control, square
    bool rectified, big, off;
    int width, height;
  } cases[] = {
      {"reduced to the thumbnail size", 40, false, false, false, 40, 20},
      {"never enlarged without both options", 160, true, false, false, 80, 40},
      {"enlarged with both", 160, true, true, false, 160, 80},
      {"thumbnails off fit the area", 400, false, false, true, 40, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    settings_.thumb_size_width = settings_.thumb_size_height = c.thumb_width;
    options_.get_rectified = c.rectified;
    options_.can_get_big = c.big;
    options_.thumbnails_off = c.off;
    const TThumbNailAcquisition a = AcquireFileThumbNail(picture_, options_);
    ASSERT_EQ(a.outcome, TThumbNailOutcome::kDone);
    EXPECT_EQ(a.picture.Width(), c.width);
    EXPECT_EQ(a.picture.Height(), c.height);
    EXPECT_EQ(a.source_path, picture_);
  }
  // At its own size the thumbnail is the picture itself.
  settings_.thumb_size_width = settings_.thumb_size_height = 400;
  options_.thumbnails_off = false;
  EXPECT_TRUE(AcquireFileThumbNail(picture_, options_).picture.SamePixels(PatternBitmap(80, 40)));
}

// QuickThumbnails: a JPEG's thumbnail has the size of the exact one and nearly its pixels; a
// picture that is not reduced, and any other kind, comes out exactly as without it.
TEST_F(ThumbNailAcquireTest, QuickJpegThumbnailsKeepTheSizeAndNearlyThePixels) {
  const std::string jpeg = dir_.File("photo.jpg");
  TBitmap24 smooth;
  ASSERT_TRUE(smooth.SetSize(640, 480));
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      smooth.SetPixel(x, y,
                      MakeColor(static_cast<std::uint8_t>(x * 255 / 640),
                                static_cast<std::uint8_t>(y * 255 / 480), 128));
  ASSERT_TRUE(SavePictureFile(smooth, jpeg, true, 95));
  options_.get_rectified = true;
  const struct {
    const char* name;
    std::string path;
    int thumb_width;
    int max_difference;  // -1: exactly the same pixels
  } cases[] = {
      {"JPEG reduced by 8", jpeg, 80, 3},
      {"JPEG reduced by 3", jpeg, 213, 3},
      {"JPEG at its own size", jpeg, 640, -1},
      {"BMP", picture_, 20, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    settings_.thumb_size_width = settings_.thumb_size_height = c.thumb_width;
    options_.area_width = options_.area_height = c.thumb_width;
    options_.quick_jpeg = false;
    const TThumbNailAcquisition exact = AcquireFileThumbNail(c.path, options_);
    options_.quick_jpeg = true;
    const TThumbNailAcquisition quick = AcquireFileThumbNail(c.path, options_);
    ASSERT_EQ(exact.outcome, TThumbNailOutcome::kDone);
    ASSERT_EQ(quick.outcome, TThumbNailOutcome::kDone);
    ASSERT_TRUE(quick.picture.SameSizeAs(exact.picture));
    if (c.max_difference < 0) {
      EXPECT_TRUE(quick.picture.SamePixels(exact.picture));
      continue;
    }
    long long total = 0;
    for (int y = 0; y < exact.picture.Height(); ++y)
      for (int x = 0; x < 3 * exact.picture.Width(); ++x)
        total += std::abs(quick.picture.Row(y)[x] - exact.picture.Row(y)[x]);
    EXPECT_LE(total / (3LL * exact.picture.Width() * exact.picture.Height()), c.max_difference);
  }
  // A broken JPEG fails as it does without the option.
  WriteWholeFile(jpeg, ReadWholeFile(jpeg).substr(0, 200));
  EXPECT_EQ(AcquireFileThumbNail(jpeg, options_).outcome, TThumbNailOutcome::kUnreadable);
}

TEST_F(ThumbNailAcquireTest, MetafilesAreDrawnAtTheThumbnailSize) {
  TWmfWriter wmf(0, 0, 96, 64, 96);
  wmf.Select(wmf.CreateBrush(0, 0x0000FF));
  wmf.Rectangle(0, 0, 96, 64);
  const std::string drawing = dir_.File("a.wmf");
  WriteWholeFile(drawing, wmf.Bytes());
  // Drawn anew, a metafile is enlarged without the options that pixels need.
  settings_.thumb_size_width = settings_.thumb_size_height = 192;
  const TThumbNailAcquisition a = AcquireFileThumbNail(drawing, options_);
  ASSERT_EQ(a.outcome, TThumbNailOutcome::kDone);
  EXPECT_EQ(a.picture.Width(), 192);
  EXPECT_EQ(a.picture.Height(), 128);
  EXPECT_EQ(a.picture.Pixel(96, 64), 0x0000FFu);
}

TEST_F(ThumbNailAcquireTest, FailuresTellTheirKind) {
  const std::string garbage = dir_.File("broken.bmp");
  WriteWholeFile(garbage, "BM not a picture");
  EXPECT_EQ(AcquireFileThumbNail(dir_.File("none.bmp"), options_).outcome,
            TThumbNailOutcome::kMissing);
  const TThumbNailAcquisition unreadable = AcquireFileThumbNail(garbage, options_);
  EXPECT_EQ(unreadable.outcome, TThumbNailOutcome::kUnreadable);
  EXPECT_FALSE(unreadable.message.empty());
  // A folder is never opened as a picture.
  EXPECT_EQ(AcquireFileThumbNail(dir_.Path().string(), options_).outcome,
            TThumbNailOutcome::kMissing);
  TCapData record{garbage, 0, 0, 4, 4, {}};
  EXPECT_EQ(AcquireCapDataThumbNail(record, options_).outcome, TThumbNailOutcome::kUnreadable);
}

TEST_F(ThumbNailAcquireTest, MissingFilesAreLookedForOnTheSearchDrive) {
  const std::filesystem::path drive_a = dir_.Path() / "driveA", drive_b = dir_.Path() / "driveB";
  std::filesystem::create_directories(drive_a);
  std::filesystem::create_directories(drive_b / "pics");
  std::filesystem::copy_file(picture_, drive_b / "pics" / "wide.bmp");
  const PathText paths(TPathStyle::Posix, {"", drive_a.string(), drive_b.string()});
  options_.paths = &paths;
  const std::string missing = (drive_a / "pics" / "wide.bmp").string();
  const std::string found = (drive_b / "pics" / "wide.bmp").string();

  EXPECT_EQ(AcquireFileThumbNail(missing, options_).outcome, TThumbNailOutcome::kMissing);
  options_.search_more_drive = drive_b.string();
  const TThumbNailAcquisition file = AcquireFileThumbNail(missing, options_);
  ASSERT_EQ(file.outcome, TThumbNailOutcome::kDone);
  EXPECT_EQ(file.source_path, found);
  const TThumbNailAcquisition cap =
      AcquireCapDataThumbNail({missing, 10, 10, 20, 10, {}}, options_);
  ASSERT_EQ(cap.outcome, TThumbNailOutcome::kDone);
  EXPECT_EQ(cap.source_path, found);
}

TEST_F(ThumbNailAcquireTest, CapDataRegionsExactlyOrWidenedToTheCell) {
  const TCapData record{picture_, 10, 10, 20, 10, {"ARo90"}};
  TBitmap24 expected = PatternBitmap(80, 40);
  ASSERT_TRUE(CropRegion(expected, 10, 10, 30, 20, true, kWhite));

  const TThumbNailAcquisition exact = AcquireCapDataThumbNail(record, options_);
  ASSERT_EQ(exact.outcome, TThumbNailOutcome::kDone);
  // The record's own effects are the controller's work, not the acquisition's.
  EXPECT_TRUE(exact.picture.SamePixels(expected));
  EXPECT_FALSE(exact.frame_removed);

  options_.erase_cap_frame = true;  // a square area: the region grows to 20 x 20 around its centre
  const TThumbNailAcquisition widened = AcquireCapDataThumbNail(record, options_);
  ASSERT_EQ(widened.outcome, TThumbNailOutcome::kDone);
  EXPECT_EQ(widened.picture.Width(), 20);
  EXPECT_EQ(widened.picture.Height(), 20);
  EXPECT_TRUE(widened.frame_removed);
}

TEST_F(ThumbNailAcquireTest, ObtainingWritesTheRecordAndItsMemory) {
  TThumbNailStore store;
  store.Reset(3);
  settings_.thumb_size_width = settings_.thumb_size_height = 40;
  EXPECT_EQ(ObtainFileThumbNail(store, 0, picture_, options_), TThumbNailOutcome::kDone);
  EXPECT_TRUE(store[0].tried);
  EXPECT_TRUE(store[0].has_picture);
  EXPECT_EQ(store[0].source_path, picture_);
  EXPECT_EQ(store.HeldCount(), 1);
  EXPECT_FLOAT_EQ(store.UsedMemory(), 40 * 20 * 3 / 1e6f);

  // Obtaining again releases the old picture first; a failure leaves no picture and no path.
  EXPECT_EQ(ObtainFileThumbNail(store, 0, dir_.File("gone.bmp"), options_),
            TThumbNailOutcome::kMissing);
  EXPECT_TRUE(store[0].tried);
  EXPECT_FALSE(store[0].has_picture);
  EXPECT_TRUE(store[0].source_path.empty());
  EXPECT_EQ(store.HeldCount(), 0);

  options_.erase_cap_frame = true;
  EXPECT_EQ(ObtainCapDataThumbNail(store, 1, {picture_, 0, 0, 40, 20, {}}, options_),
            TThumbNailOutcome::kDone);
  EXPECT_TRUE(store[1].frame_removed);
  EXPECT_EQ(store.HeldCount(), 1);
}

TEST(ThumbNailAcquireRuleTest, WhichItemsAreObtainedAgain) {
  const struct {
    bool tried, frame_removed, cap_data, erase;
    bool needed;
  } cases[] = {
      {false, false, false, false, true}, {true, false, false, true, false},
      {true, false, true, false, false},  {true, false, true, true, true},
      {true, true, true, false, true},    {false, true, true, true, true},
  };
  for (const auto& c : cases) {
    TThumbNailData record;
    record.tried = c.tried;
    record.frame_removed = c.frame_removed;
    EXPECT_EQ(NeedsAcquisition(record, c.cap_data, c.erase), c.needed)
        << c.tried << c.frame_removed << c.cap_data << c.erase;
  }
}

}  // namespace
