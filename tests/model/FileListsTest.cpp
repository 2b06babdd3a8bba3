// File list operations: the mask, the sorts of both lists, dropped items and missing files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include "model/FileLists.h"
#include "model/Settings.h"
#include "tests/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const std::string& path : paths) names.push_back(fs::path(path).filename().string());
  return names;
}

TEST(FileMask, KindsInTheirFixedOrderAndOtherFormatsLast) {
  TFileFilterSettings filter;
  EXPECT_EQ(FolderFileMask(filter), "*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf");
  filter.bmp_file = filter.ico_file = filter.wmf_file = false;
  EXPECT_EQ(FolderFileMask(filter), "*.jpg;*.jpeg;*.emf");
  EXPECT_EQ(FolderFileMask(filter, true), "*.jpg;*.jpeg;*.emf;*.png;*.gif;*.tif;*.tiff;*.webp");
  filter.jpg_file = filter.emf_file = false;
  EXPECT_EQ(FolderFileMask(filter, true), "*.png;*.gif;*.tif;*.tiff;*.webp");
}

TEST(FileMask, MatchesIgnoringCaseAndOnlyWholeExtensions) {
  const std::string mask = "*.jpg;*.jpeg;*.emf";
  EXPECT_TRUE(MatchesMask("A.JPG", mask));
  EXPECT_TRUE(MatchesMask("b.Jpeg", mask));
  EXPECT_FALSE(MatchesMask("c.jpgx", mask));
  EXPECT_FALSE(MatchesMask("jpg", mask));
  EXPECT_FALSE(MatchesMask("d.bmp", mask));
  EXPECT_TRUE(MatchesMask("noext", "*.*"));
}

TEST(FileListing, OwnFilesOfTheMaskSortedByNameIgnoringCase) {
  TTempDir dir;
  for (const char* name : {"b.JPG", "A.bmp", "c.txt", "a2.jpeg"})
    WriteWholeFile(dir.File(name), "x");
  fs::create_directory(dir.Path() / "sub.jpg");
  WriteWholeFile(dir.File("sub.jpg/inner.jpg"), "x");
  EXPECT_EQ(Names(ListFolderFiles(dir.Path().string(), "*.bmp;*.jpg;*.jpeg")),
            (std::vector<std::string>{"A.bmp", "a2.jpeg", "b.JPG"}));
  EXPECT_TRUE(ListFolderFiles(dir.File("missing"), "*.bmp").empty());
}

class FileSortTest : public ::testing::Test {
 protected:
  std::string Make(const char* name, std::size_t bytes, long long mtime) {
    const std::string path = dir_.File(name);
    WriteWholeFile(path, std::string(bytes, 'x'));
    utimbuf times{static_cast<time_t>(mtime), static_cast<time_t>(mtime)};
    utime(path.c_str(), &times);
    return path;
  }
  std::vector<std::string> Sorted(const std::vector<std::string>& paths, TFileSortKey key) {
    return Names(Reordered(paths, FileSortOrder(paths, key)));
  }
  TTempDir dir_;
};

TEST_F(FileSortTest, EachKeyOrdersTheList) {
  // Sizes 10 and 9 compare right only when padded; the times straddle a day boundary.
  const std::vector<std::string> paths = {Make("c.jpg", 10, 1700000000),
                                          Make("a.bmp", 200, 1600000000),
                                          Make("B.emf", 9, 1700086400), dir_.File("gone.ico")};
  EXPECT_EQ(Sorted(paths, TFileSortKey::kName),
            (std::vector<std::string>{"a.bmp", "B.emf", "c.jpg", "gone.ico"}));
  EXPECT_EQ(Sorted(paths, TFileSortKey::kExtName),
            (std::vector<std::string>{"a.bmp", "B.emf", "gone.ico", "c.jpg"}));
  // "-1" of the missing file sorts before the digits.
  EXPECT_EQ(Sorted(paths, TFileSortKey::kFileSize),
            (std::vector<std::string>{"gone.ico", "B.emf", "c.jpg", "a.bmp"}));
  EXPECT_EQ(Sorted(paths, TFileSortKey::kDate),
            (std::vector<std::string>{"gone.ico", "a.bmp", "c.jpg", "B.emf"}));
  EXPECT_EQ(Sorted({dir_.File("Z/a.jpg"), dir_.File("y/b.jpg")}, TFileSortKey::kPath),
            (std::vector<std::string>{"b.jpg", "a.jpg"}));
}

TEST_F(FileSortTest, KeysAndEqualKeysKeepTheirOldOrder) {
  const std::string small = Make("s.jpg", 42, 1700000000);
  EXPECT_EQ(FileSortKey(small, TFileSortKey::kFileSize), "000000042");
  EXPECT_EQ(FileSortKey(dir_.File("none.jpg"), TFileSortKey::kFileSize), "-1");
  EXPECT_EQ(FileSortKey(dir_.File("none.jpg"), TFileSortKey::kDate), "-1");
  EXPECT_EQ(FileSortKey(small, TFileSortKey::kDate), std::to_string(PackedDateTime(1700000000)));
  // Same name in two folders: the old index decides.
  const std::vector<std::string> twins = {dir_.File("x/same.jpg"), dir_.File("a/same.jpg")};
  EXPECT_EQ(FileSortOrder(twins, TFileSortKey::kName), (std::vector<std::size_t>{0, 1}));
}

TEST(PackedDateTime, FieldsOfTheLocalTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  // 2023-11-14 22:13:20 UTC.
  const long long packed = PackedDateTime(1700000000);
  EXPECT_EQ(packed >> 16, ((2023 - 1980) << 9) | (11 << 5) | 14);
  EXPECT_EQ(packed & 0xFFFF, (22 << 11) | (13 << 5) | 10);
  EXPECT_EQ(PackedDateTime(0), -1);  // before 1980
}

TEST(CapSort, KeysOfTheFourSorts) {
  const PathText paths(TPathStyle::Posix);
  const std::vector<std::string> lines = {"\\p\\b.jpg/30/5/10/10", "\\p\\a.jpg/-4/9/10/10",
                                          "\\p\\b.jpg/7/50/10/10", "\\o\\z.jpg/1/1/10/10"};
  EXPECT_EQ(CapSortOrder(lines, TCapSortKey::kPath, paths), (std::vector<std::size_t>{3, 1, 0, 2}));
  EXPECT_EQ(CapSortOrder(lines, TCapSortKey::kName, paths), (std::vector<std::size_t>{1, 0, 2, 3}));
  EXPECT_EQ(CapSortOrder(lines, TCapSortKey::kLeftWithPath, paths),
            (std::vector<std::size_t>{3, 1, 2, 0}));
  EXPECT_EQ(CapSortOrder(lines, TCapSortKey::kTopWithPath, paths),
            (std::vector<std::size_t>{3, 1, 0, 2}));
}

TEST(Dropped, FilesFirstThenEachFoldersOwnPicturesByName) {
  TTempDir dir;
  fs::create_directories(dir.Path() / "f" / "sub");
  for (const char* name :
       {"f/b.jpg", "f/A.BMP", "f/note.txt", "f/sub/deep.jpg", "x.emf", "y.jpg", "z.txt"})
    WriteWholeFile(dir.File(name), "x");
  std::string first;
  const auto paths = CollectDropped(
      {dir.File("y.jpg"), dir.File("f"), dir.File("z.txt"), dir.File("x.emf")}, kDropMask, &first);
  EXPECT_EQ(Names(paths), (std::vector<std::string>{"y.jpg", "x.emf", "A.BMP", "b.jpg"}));
  EXPECT_EQ(first, dir.File("f"));
}

// A folder told apart at the drop and gone before its pictures are listed adds nothing; the
// other folders and files still come.
TEST(CollectDropped, AFolderGoneByTheListingIsSkipped) {
  TTempDir dir;
  fs::create_directories(dir.Path() / "gone");
  fs::create_directories(dir.Path() / "kept");
  for (const char* name : {"gone/a.jpg", "kept/b.jpg", "c.bmp"})
    WriteWholeFile(dir.File(name), "x");
  TDroppedItems dropped =
      SortDroppedItems({dir.File("kept"), dir.File("c.bmp"), dir.File("gone")}, kDropMask);
  EXPECT_EQ(dropped.folders, (std::vector<std::string>{dir.File("gone"), dir.File("kept")}));
  fs::remove_all(dir.Path() / "gone");
  EXPECT_EQ(Names(DroppedPictures(std::move(dropped), kDropMask)),
            (std::vector<std::string>{"c.bmp", "b.jpg"}));
}

TEST(EraseMarked, KeepsTheOthersWholeAndInOrder) {
  const std::string long_path(100, 'p');  // beyond any short-string buffer
  const struct {
    std::vector<bool> marked;
    std::vector<std::string> left;
  } cases[] = {{{false, false, true}, {"a", long_path}},
               {{true, false, false}, {long_path, "c"}},
               {{}, {"a", long_path, "c"}},
               {{true, true, true}, {}}};
  for (const auto& c : cases) {
    std::vector<std::string> items = {"a", long_path, "c"};
    EraseMarked(items, c.marked);
    EXPECT_EQ(items, c.left);
  }
}

TEST(MissingEntries, FromTheEndForPathsAndCapDataLines) {
  TTempDir dir;
  WriteWholeFile(dir.File("here.jpg"), "x");
  const PathText paths(TPathStyle::Posix);
  const std::string here = dir.File("here.jpg"), gone = dir.File("gone.jpg");
  EXPECT_EQ(MissingEntries({gone, here, gone}, false, paths), (std::vector<std::size_t>{2, 0}));
  EXPECT_EQ(MissingEntries({paths.EncodeRecordPath(here) + "/1/1/5/5",
                            paths.EncodeRecordPath(gone) + "/1/1/5/5"},
                           true, paths),
            (std::vector<std::size_t>{1}));
}

TEST(NewDataFileName, LastComponentOrDrive) {
  EXPECT_EQ(NewDataFileNameFor("/home/u/pics/", PathText(TPathStyle::Posix)), "pics.txt");
  EXPECT_EQ(NewDataFileNameFor("C:\\", PathText(TPathStyle::Windows)), "C.txt");
}

}  // namespace
