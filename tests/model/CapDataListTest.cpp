#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/CapDataList.h"
#include "platform/PathText.h"

namespace {

TEST(CapDataList, Numbering) {
  EXPECT_EQ(NumberedEntry(1, "photo.jpg"), "  1 photo.jpg");
  EXPECT_EQ(NumberedEntry(42, "a.bmp"), " 42 a.bmp");
  EXPECT_EQ(NumberedEntry(100, "a.bmp"), "100 a.bmp");
  EXPECT_EQ(NumberedEntry(32736, "a.bmp"), "32736 a.bmp");
}

TEST(CapDataList, AddReplaceAndDeleteKeepTheThreeListsInStep) {
  const PathText paths(TPathStyle::Posix, {""});
  TCapDataList list(paths);
  std::string message;
  for (int i = 0; i < 12; ++i)
    ASSERT_TRUE(list.Set(list.Size(), "\\p\\a" + std::to_string(i) + ".jpg/0/0/10/10", &message));
  list.Delete(2);
  ASSERT_EQ(list.Size(), 11u);
  EXPECT_EQ(list.Texts()[2], "  3 a3.jpg");
  EXPECT_EQ(list.Texts()[8], "  9 a9.jpg");
  EXPECT_EQ(list.Texts()[9], " 10 a10.jpg");
  EXPECT_EQ(list.Texts()[10], " 11 a11.jpg");
  EXPECT_EQ(list.Record(2).path, "/p/a3.jpg");
  ASSERT_TRUE(list.Set(0, "\\q\\b.jpg/1/2/3/4/ARo90", &message));
  EXPECT_EQ(list.Record(0).effects, std::vector<std::string>{"ARo90"});
  EXPECT_EQ(list.Texts()[0], "  1 b.jpg");
  EXPECT_FALSE(list.Set(0, "\\q\\b.jpg/1/2/3", &message));
  EXPECT_EQ(message, "未知のデータファイルです。");
  EXPECT_FALSE(list.Set(50, "\\q\\b.jpg/1/2/3/4", &message));
  EXPECT_EQ(message, "Set_NewCapData Error");
}

TEST(CapDataList, AWholeStoreKeepsEveryLineAndWarnsOnce) {
  const PathText paths(TPathStyle::Posix, {""});
  TCapDataList list(paths);
  const std::vector<std::string> lines = {"\\p\\a.jpg/0/0/10/10",
                                          "garbage",
                                          std::string("\x01\xff\xfe/\x80", 5),
                                          "\\p\\b.jpg/x/0/10/10",
                                          std::string(100000, 'z'),
                                          "\\p\\c.jpg/1/1/5/5/RGB1,2,3"};
  std::string message;
  ASSERT_TRUE(list.Assign(lines, &message));
  EXPECT_EQ(message, "未知のデータが含まれていました。");
  EXPECT_EQ(list.Lines(), lines);
  EXPECT_EQ(list.Kind(1), TCapDataEntryKind::kUnknown);
  EXPECT_EQ(list.Kind(3), TCapDataEntryKind::kBadNumbers);
  EXPECT_TRUE(list.Record(3).path.empty());
  EXPECT_EQ(list.Kind(5), TCapDataEntryKind::kRecord);
  ASSERT_TRUE(list.Append({"\\p\\d.jpg/0/0/1/1"}, &message));
  EXPECT_TRUE(message.empty());
  EXPECT_EQ(list.Texts().back(), "  7 d.jpg");
  ASSERT_TRUE(list.Reorder({6, 0}, &message));
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"\\p\\d.jpg/0/0/1/1", "\\p\\a.jpg/0/0/10/10"}));
}

}  // namespace
