#include <gtest/gtest.h>

#include "app/FolderMenu.h"
#include "platform/PathText.h"

TEST(FolderMenu, CaptionsAndPruning) {
  const PathText paths(TPathStyle::Posix, {"", "/media/u/DiskA"});
  std::vector<std::string> folders{"/home/u/photos/", "/gone", "/media/u/DiskA", "/"};
  const auto items =
      BuildFolderMenu(folders, paths, [](const std::string& f) { return f != "/gone"; });
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].caption, "photos");
  EXPECT_EQ(items[1].caption, "/media/u/DiskA");
  EXPECT_EQ(items[2].caption, "/");
  EXPECT_EQ(folders, (std::vector<std::string>{"/home/u/photos/", "/media/u/DiskA", "/"}));
}
