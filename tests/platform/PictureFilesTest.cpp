// Files the program reads and writes: only regular files are read, and a save replaces a file
// the user may write, whole, keeping its mode, whatever the format.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/ImageBasics.h"
#include "platform/LineFile.h"
#include "platform/PictureDecoders.h"
#include "platform/PictureSave.h"
#include "tests/TestSupport.h"

namespace {

TPictureLoader Loader() {
  TPictureLoader loader;
  AddPlatformDecoders(loader);
  return loader;
}

unsigned Mode(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A FIFO would block open() until a writer came; every reader refuses it at once.
TEST(PictureFiles, FifosAreRefusedByEveryReader) {
  TTempDir dir;
  for (const char* ext :
       {".bmp", ".jpg", ".png", ".gif", ".tif", ".webp", ".ico", ".wmf", ".emf"}) {
    const std::string path = dir.File(std::string("fifo") + ext);
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    TBitmap24 picture;
    std::string error;
    EXPECT_FALSE(Loader().Load(path, picture, error)) << ext;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << ext << ": " << error;
    if (const TPictureDecoder* decoder = PlatformDecoderFor(ext)) {
      int width = 0, height = 0;
      error.clear();
      EXPECT_FALSE(decoder->ReadSize(path, width, height, error)) << ext;
      EXPECT_NE(error.find("not a regular file"), std::string::npos) << ext << ": " << error;
    }
  }
  const std::string list = dir.File("CapList.dat");
  ASSERT_EQ(mkfifo(list.c_str(), 0644), 0);
  std::vector<std::string> lines;
  std::string error;
  EXPECT_FALSE(LineFile::Read(list, lines, &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

TEST(PictureFiles, NamesThatAreNotUtf8AreReadAndWritten) {
  TTempDir dir;
  const TBitmap24 picture = PatternBitmap(5, 4);
  for (const char* name : {"\xff\xfe.png", "\x83\x65\x83\x58\x83\x67.bmp"}) {
    const std::string path = dir.File(name);
    ASSERT_TRUE(SavePicture(picture, path, true, 90)) << name;
    TBitmap24 back;
    std::string error;
    ASSERT_TRUE(Loader().Load(path, back, error)) << error;
    EXPECT_TRUE(back.SamePixels(picture));
  }
}

struct TSaveCase {
  const char* name;
  unsigned mode;      // of the file already there
  bool through_link;  // saved through a symbolic link to it
  bool saved;
};

class PictureSaves : public ::testing::TestWithParam<TSaveCase> {};

TEST_P(PictureSaves, ReplaceOnlyWhatTheUserMayWriteAndKeepTheMode) {
  const TSaveCase& c = GetParam();
  for (const char* ext : {".bmp", ".jpg", ".png"}) {
    TTempDir dir;
    const std::string target = dir.File(std::string("t") + ext);
    WriteWholeFile(target, "old");
    ASSERT_EQ(chmod(target.c_str(), c.mode), 0);
    std::string path = target;
    if (c.through_link) {
      path = dir.File(std::string("link") + ext);
      std::filesystem::create_symlink(std::string("t") + ext, path);
    }
    std::string error;
    EXPECT_EQ(SavePicture(PatternBitmap(6, 5), path, true, 90, nullptr, &error), c.saved) << ext;
    EXPECT_EQ(ReadWholeFile(target) != "old", c.saved) << ext;
    EXPECT_EQ(Mode(target), c.mode) << ext;
    if (!c.saved) {
      EXPECT_NE(error.find("read-only"), std::string::npos) << ext << ": " << error;
    }
    if (c.through_link) {
      EXPECT_TRUE(std::filesystem::is_symlink(path)) << ext;
    }
    // Nothing but the file (and the link) is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}),
              c.through_link ? 2 : 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, PictureSaves,
                         ::testing::Values(TSaveCase{"ReadOnly", 0444, false, false},
                                           TSaveCase{"ReadOnlyLinked", 0444, true, false},
                                           TSaveCase{"Private", 0600, false, true},
                                           TSaveCase{"PrivateLinked", 0600, true, true},
                                           TSaveCase{"Shared", 0664, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The temporary file must fit beside a name as long as the system allows.
TEST(PictureFiles, LongestNamesCanBeSaved) {
  TTempDir dir;
  for (const char* ext : {".bmp", ".jpg", ".png"}) {
    const std::string path = dir.File(std::string(251, 'n') + ext);
    std::string error;
    EXPECT_TRUE(SavePicture(PatternBitmap(3, 3), path, true, 90, nullptr, &error)) << error;
    EXPECT_TRUE(SavePicture(PatternBitmap(3, 3), path, true, 90, nullptr, &error)) << error;
  }
}

}  // namespace
