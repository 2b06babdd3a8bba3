#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "model/SaveNaming.h"
#include "platform/PathText.h"
#include "tests/TestSupport.h"

namespace {

const PathText& Posix() {
  static const PathText paths(TPathStyle::Posix, {""});
  return paths;
}

std::vector<TSaveItem> Files(const std::vector<std::string>& paths) {
  return ReadSaveItems(paths, Posix());
}

std::vector<std::string> Paths(const TSavePlan& plan) {
  std::vector<std::string> out;
  for (const TSaveDestination& d : plan.destinations)
    out.push_back(d.refused ? "<refused>" : d.path);
  return out;
}

struct SerialCase {
  const char* base;
  std::size_t count;
  std::size_t index;
  const char* name;
};

TEST(SaveNaming, SerialNamesCountOnFromTheTypedDigitsAtTheWidthOfTheCount) {
  const SerialCase cases[] = {
      {"photo08", 150, 0, "photo008"},
      {"photo08", 150, 149, "photo157"},
      {"001", 5, 0, "001"},
      {"001", 5, 4, "005"},
      {"a", 5, 0, "a1"},
      {"a", 5, 4, "a5"},
      {"a", 10, 9, "a10"},
      {"9", 3, 2, "11"},
      {"x0", 100000, 99999, "x099999"},
      // Far beyond any integer type: the number is counted on as text.
      {"p99999999999999999999999", 2, 1, "p100000000000000000000000"},
  };
  for (const SerialCase& c : cases)
    EXPECT_EQ(SerialName(SplitSerialBase(c.base), c.index, c.count), c.name)
        << c.base << " " << c.count << " #" << c.index;
}

TEST(SaveNaming, TheDialogsAnswerGivesFolderBaseAndExtension) {
  struct {
    const char* chosen;
    int filter;
    const char* folder;
    const char* base;
    const char* ext;
  } cases[] = {
      {"/out/photo08.jpg", 2, "/out", "photo08", ".jpg"},
      {"/out/photo08.BMP", 2, "/out", "photo08", ".BMP"},
      {"/out/a.jpeg", 1, "/out", "a", ".jpeg"},
      {"/out/a", 1, "/out", "a", ".bmp"},
      {"/out/a", 2, "/out", "a", ".jpg"},
      {"/out/shot.png", 2, "/out", "shot", ".jpg"},
  };
  for (const auto& c : cases) {
    const TSaveChoice choice = ReadSaveChoice(c.chosen, c.filter, false);
    EXPECT_EQ(choice.folder, c.folder) << c.chosen;
    EXPECT_EQ(choice.base_name, c.base) << c.chosen;
    EXPECT_EQ(choice.extension, c.ext) << c.chosen;
  }
  EXPECT_EQ(OfferedSaveName(Files({"/p/photo.jpg"})), "photo");
  EXPECT_EQ(OfferedSaveName(Files({"junk"})), "001");
  EXPECT_EQ(OfferedFilter("a.bmp"), 1);
  EXPECT_EQ(OfferedFilter("photo"), 2);
}

TEST(SaveNaming, EachMethodNamesItsDestinations) {
  TTempDir dir;
  const std::string out = dir.File("out");
  std::filesystem::create_directory(out);
  const std::vector<TSaveItem> items =
      Files({"/p/a.jpg", "/p/b.png", "/q/c.bmp", "\\p\\d.jpg/0/0/5/5/ARo90"});
  TSaveChoice choice = ReadSaveChoice(out + "/s08.jpg", 2, false);
  EXPECT_EQ(Paths(PlanSaveNames(TSaveMethod::kSerial, items, choice)),
            (std::vector<std::string>{out + "/s08.jpg", out + "/s09.jpg", out + "/s10.jpg",
                                      out + "/s11.jpg"}));
  EXPECT_EQ(
      Paths(PlanSaveNames(TSaveMethod::kSameName, items, choice)),
      (std::vector<std::string>{out + "/a.jpg", out + "/b.jpg", out + "/c.jpg", out + "/d.jpg"}));
  choice.keep_extension = true;
  // A kept extension the savers do not write becomes ".bmp".
  EXPECT_EQ(Paths(PlanSaveNames(TSaveMethod::kSerial, items, choice)),
            (std::vector<std::string>{out + "/s08.jpg", out + "/s09.bmp", out + "/s10.bmp",
                                      out + "/s11.jpg"}));
  EXPECT_EQ(Paths(PlanSaveNames(TSaveMethod::kOverwrite, items, choice)),
            (std::vector<std::string>{"", "", "", ""}));
}

TEST(SaveNaming, NothingIsWrittenOverAnExistingFileOrAnotherItemsName) {
  TTempDir dir;
  const std::string p = dir.Path().string();
  for (const char* name : {"photo.jpg", "photo_01.jpg", "other.jpg", "x.bmp"})
    WriteWholeFile(dir.File(name), "taken");
  std::filesystem::create_directory(dir.File("sub"));
  WriteWholeFile(dir.File("sub/photo.jpg"), "taken");
  const std::vector<TSaveItem> items =
      Files({p + "/photo.jpg", p + "/photo.jpg", p + "/x.png", p + "/sub/photo.jpg"});
  // Beside the sources: never over them, nor over each other.
  EXPECT_EQ(Paths(PlanSaveNames(TSaveMethod::kSameFolder, items, {})),
            (std::vector<std::string>{p + "/photo_02.jpg", p + "/photo_03.jpg", p + "/x_01.bmp",
                                      p + "/sub/photo_01.jpg"}));
  // Into the sources' own folder by name: the source equals its destination.
  const TSaveChoice choice = ReadSaveChoice(p + "/any.jpg", 2, false);
  EXPECT_EQ(Paths(PlanSaveNames(TSaveMethod::kSameName, items, choice)),
            (std::vector<std::string>{p + "/photo_02.jpg", p + "/photo_03.jpg", p + "/x.jpg",
                                      p + "/photo_04.jpg"}));
}

TEST(SaveNaming, EachSourceFolderGetsItsFirstFreeNumberedSubfolder) {
  TTempDir dir;
  const std::string p = dir.Path().string();
  std::filesystem::create_directories(dir.File("A/001"));
  std::filesystem::create_directories(dir.File("a"));
  const std::vector<TSaveItem> items =
      Files({p + "/A/x.jpg", p + "/a/y.jpg", p + "/A/z.bmp", "garbage"});
  const TSavePlan plan = PlanSaveNames(TSaveMethod::kSubFolder, items, {});
  // Folders differing in case only are two folders here.
  EXPECT_EQ(Paths(plan), (std::vector<std::string>{p + "/A/002/x.jpg", p + "/a/001/y.jpg",
                                                   p + "/A/002/z.bmp", "<refused>"}));
  EXPECT_EQ(plan.new_folders, (std::vector<std::string>{p + "/A/002", p + "/a/001"}));
  std::string failed;
  ASSERT_TRUE(MakeSaveFolders(plan, failed));
  EXPECT_TRUE(std::filesystem::is_directory(p + "/a/001"));

  // A folder that cannot be made names its parent.
  TSavePlan blocked;
  WriteWholeFile(dir.File("file"), "");
  blocked.new_folders = {p + "/file/001"};
  EXPECT_FALSE(MakeSaveFolders(blocked, failed));
  EXPECT_EQ(failed, p + "/file");
}

TEST(SaveNaming, ListLinesAreReadByTheirOwnKind) {
  const std::vector<TSaveItem> items = ReadSaveItems(
      {"/p/a.jpg", "\\p\\b.jpg/1/2/3/4", "\\p\\c.jpg/1/2", "\\p\\d.jpg/x/2/3/4", "", "words"},
      Posix());
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0].kind, TSaveItemKind::kFile);
  EXPECT_EQ(items[1].kind, TSaveItemKind::kRecord);
  EXPECT_EQ(items[1].path, "/p/b.jpg");
  EXPECT_EQ(items[1].record.w, 3);
  for (std::size_t i = 2; i < 6; ++i) EXPECT_EQ(items[i].kind, TSaveItemKind::kUnusable) << i;
  EXPECT_TRUE(HoldsRecords(items));
  EXPECT_FALSE(HoldsRecords(Files({"/p/a.jpg"})));
}

TEST(SaveNaming, NamesTheFileSystemCannotHoldAreRefusedAlone) {
  TTempDir dir;
  const std::string p = dir.Path().string();
  const std::string long_name = std::string(300, 'n') + ".jpg";
  const std::vector<TSaveItem> items =
      Files({p + "/" + long_name, p + "/ok.jpg", p + std::string("/nul\0.jpg", 9)});
  const TSavePlan plan = PlanSaveNames(TSaveMethod::kSameFolder, items, {});
  EXPECT_EQ(Paths(plan), (std::vector<std::string>{"<refused>", p + "/ok.jpg", "<refused>"}));
  // A serial name grown past the limit.
  const TSaveChoice choice = ReadSaveChoice(p + "/" + std::string(250, 's') + "9.jpg", 2, false);
  const TSavePlan serial =
      PlanSaveNames(TSaveMethod::kSerial, Files({"/p/a.jpg", "/p/b.jpg"}), choice);
  EXPECT_FALSE(serial.destinations[0].refused);
  EXPECT_TRUE(serial.destinations[1].refused);
}

TEST(SaveNaming, AHundredThousandItemsGetDistinctNames) {
  TTempDir dir;
  const std::string p = dir.Path().string();
  std::vector<std::string> lines;
  for (int i = 0; i < 100000; ++i)
    lines.push_back("/pictures/f" + std::to_string(i % 7) + "/a.jpg");
  const std::vector<TSaveItem> items = Files(lines);
  for (TSaveMethod method : {TSaveMethod::kSerial, TSaveMethod::kSameName}) {
    const TSavePlan plan = PlanSaveNames(method, items, ReadSaveChoice(p + "/n.jpg", 2, false));
    std::set<std::string> names;
    for (const TSaveDestination& d : plan.destinations) {
      ASSERT_FALSE(d.refused);
      names.insert(d.path);
    }
    EXPECT_EQ(names.size(), items.size());
    if (method == TSaveMethod::kSerial) {
      EXPECT_EQ(plan.destinations.front().path, p + "/n000001.jpg");
      EXPECT_EQ(plan.destinations.back().path, p + "/n100000.jpg");
    } else {
      EXPECT_EQ(plan.destinations[1].path, p + "/a_01.jpg");
    }
  }
}

}  // namespace
