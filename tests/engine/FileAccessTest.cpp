// Reading only regular files, and the temporary files the atomic replace leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "engine/FileAccess.h"
#include "tests/TestSupport.h"

namespace {

TEST(FileAccess, OnlyRegularFilesAreRead) {
  TTempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  std::filesystem::create_directory(dir.File("folder"));
  WriteWholeFile(dir.File("file"), "bytes");
  struct TCase {
    const char* name;
    std::size_t max_bytes;
    const char* result;  // the bytes read, or the reason given
  };
  for (const TCase& c :
       {TCase{"fifo", 100, "not a regular file"}, TCase{"folder", 100, "a folder, not a file"},
        TCase{"missing", 100, "No such file or directory"},
        TCase{"file", 4, "the file is too large (5 bytes, at most 4)"},
        TCase{"file", 5, "bytes"}}) {
    std::string bytes = "kept", error;
    const bool read = ReadRegularFile(dir.File(c.name), c.max_bytes, bytes, error);
    EXPECT_EQ(read ? bytes : error, c.result) << c.name;
    if (!read) {
      EXPECT_EQ(bytes, "kept") << c.name;
    }
  }
}

TEST(FileAccess, OnlyLeftoversOfDeadWritersAreRemoved) {
  TTempDir dir;
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const std::string d = std::to_string(dead), live = std::to_string(getpid());
  const std::set<std::string> kept = {
      ".vlm-" + live + "-a1B2c3",  // a write in progress
      ".vlm-" + d + "-a1B2",       // not the program's form
      ".vlm-" + d + "-a1B2c3d",   ".vlm--a1B2c3", ".vlm-x" + d + "-a1B2c3",
      "vlm-" + d + "-a1B2c3",     "picture.bmp"};
  for (const std::string& name : kept) WriteWholeFile(dir.File(name), "x");
  WriteWholeFile(dir.File(".vlm-" + d + "-a1B2c3"), "x");
  std::filesystem::create_directory(dir.File(".vlm-" + d + "-Folder"));
  EXPECT_EQ(RemoveStaleTemporaries(dir.Path().string()), 1);
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    left.insert(entry.path().filename().string());
  std::set<std::string> expected = kept;
  expected.insert(".vlm-" + d + "-Folder");
  EXPECT_EQ(left, expected);
}

TEST(FileAccess, FailedWritesSayWhy) {
  TTempDir dir;
  std::string error;
  EXPECT_FALSE(ReplaceFileBytes(dir.File("missing/x.bmp"), "x", &error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_FALSE(ReplaceFileBytes(dir.File("folder"), "x", &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

}  // namespace
