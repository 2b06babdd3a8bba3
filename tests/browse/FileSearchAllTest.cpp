// The search of a folder tree: order, filter, limit, stopping and link loops.
#include <gtest/gtest.h>

#include <filesystem>

#include "browse/FileSearchAll.h"
#include "tests/TestSupport.h"

namespace fs = std::filesystem;

namespace {

class FileSearchTest : public ::testing::Test {
 protected:
  FileSearchTest() {
    for (const char* name :
         {"b.jpg", "A.BMP", "n.txt", "noext", "x/z.jpg", "x/a.jpg", "W/q.jpg", "x/y/deep.bmp"}) {
      fs::create_directories((dir_.Path() / name).parent_path());
      WriteWholeFile(dir_.File(name), "x");
    }
    // A link back to the root and one to a folder listed already: neither is entered.
    fs::create_directory_symlink(dir_.Path(), dir_.Path() / "x" / "loop");
    fs::create_directory_symlink(dir_.Path() / "W", dir_.Path() / "x" / "y" / "again");
  }
  std::vector<std::string> Relative(const TSearchResult& result) {
    std::vector<std::string> names;
    const std::string root = dir_.Path().string() + "/";
    for (const std::string& file : result.files) names.push_back(file.substr(root.size()));
    return names;
  }
  TTempDir dir_;
  std::atomic<bool> stop_{false};
};

TEST_F(FileSearchTest, FolderByFolderSortedAndLinkLoopsListedOnce) {
  const TSearchResult result = SearchAllFiles(dir_.Path().string(), "*.bmp;*.jpg", 100, stop_);
  EXPECT_EQ(result.end, TSearchResult::TEnd::kDone);
  EXPECT_EQ(Relative(result), (std::vector<std::string>{"A.BMP", "b.jpg", "W/q.jpg", "x/a.jpg",
                                                        "x/z.jpg", "x/y/deep.bmp"}));
  EXPECT_EQ(SearchResultMessage(result, 100), "6個のファイルを抽出しました。");
}

TEST_F(FileSearchTest, EveryFileWithStarDotStarAndOnlyOwnFilesWithoutSubfolders) {
  const TSearchResult all = SearchAllFiles(dir_.File("x/y"), "*.*", 100, stop_);
  EXPECT_EQ(all.files.size(), 2u);  // deep.bmp and, through the link, W/q.jpg
  const TSearchResult every = SearchAllFiles(dir_.Path().string(), "*.*", 100, stop_);
  EXPECT_EQ(every.files.size(), 8u);
  EXPECT_TRUE(PassesSearchFilter("noext", SearchFilter("*.*")));
  EXPECT_FALSE(PassesSearchFilter("noext", SearchFilter("*.bmp;*.jpg")));
  EXPECT_EQ(SearchFilter("*.bmp;*.jpg"), ".BMP;.JPG;");
}

TEST_F(FileSearchTest, LimitStopsAtTheFolderThatOverflows) {
  const TSearchResult result = SearchAllFiles(dir_.Path().string(), "*.bmp;*.jpg", 3, stop_);
  EXPECT_EQ(result.end, TSearchResult::TEnd::kLimit);
  EXPECT_EQ(result.files.size(), 3u);
  EXPECT_EQ(result.limit_folder, dir_.File("x") + "/");
  EXPECT_EQ(
      SearchResultMessage(result, 3),
      "検索ファイル数が許容数(3)を超えてしまいました。\r\n\r\n次回はもう少し下位のフォルダから"
      "検索してください。\r\n(検索中止フォルダ = \r\n '" +
          dir_.File("x") + "/')");
}

TEST_F(FileSearchTest, MissingRootAndStopping) {
  EXPECT_EQ(SearchAllFiles(dir_.File("none"), "*.*", 10, stop_).end, TSearchResult::TEnd::kNoRoot);
  stop_ = true;
  const TSearchResult stopped = SearchAllFiles(dir_.Path().string(), "*.*", 10, stop_);
  EXPECT_EQ(stopped.end, TSearchResult::TEnd::kStopped);
  EXPECT_EQ(SearchResultMessage(stopped, 10),
            std::to_string(stopped.files.size()) +
                "個のファイルを抽出しました。\r\n\r\n検索は中断されました。");
}

}  // namespace
