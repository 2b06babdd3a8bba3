#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/ImageBasics.h"
#include "model/BatchSave.h"
#include "platform/PathText.h"
#include "platform/WorkerPool.h"
#include "tests/TestSupport.h"

namespace {

const PathText& Posix() {
  static const PathText paths(TPathStyle::Posix, {""});
  return paths;
}

// A JPEG of the test pattern, w x h.
std::string Picture(const TTempDir& dir, const std::string& name, int w = 64, int h = 48) {
  const std::string path = dir.File(name);
  EXPECT_TRUE(SavePictureFile(PatternBitmap(w, h), path, true, 90));
  return path;
}

std::string Line(const std::string& path, int x, int y, int w, int h,
                 const std::string& effects = "") {
  std::string line = Posix().EncodeRecordPath(path);
  for (int n : {x, y, w, h}) line.append("/").append(std::to_string(n));
  return line.append(effects);
}

TListPictureSource::TOptions Options() {
  TListPictureSource::TOptions options;
  options.frame.target_width = 40;
  options.frame.target_height = 30;
  options.frame.with_margin = true;
  options.frame.edge_size = 2;
  options.frame.edge_color = 0x0000FF;
  return options;
}

// Another source's items, with something done before chosen items are saved.
class TSourceWithHook final : public TSavePictureSource {
 public:
  TSourceWithHook(const TSavePictureSource& inner, std::function<void(std::size_t)> before)
      : inner_(inner), before_(std::move(before)) {}
  std::size_t Count() const override { return inner_.Count(); }
  bool SaveItem(std::size_t index, const std::string& destination, std::string& saved,
                std::string& message) const override {
    before_(index);
    return inner_.SaveItem(index, destination, saved, message);
  }
  bool Concurrent() const override { return false; }
  std::string SourceOf(std::size_t index) const override { return inner_.SourceOf(index); }

 private:
  const TSavePictureSource& inner_;
  std::function<void(std::size_t)> before_;
};

TEST(BatchSave, ThreadsWriteTheSameFilesAndEachPictureIsDecodedOnce) {
  TTempDir dir;
  const std::string a = Picture(dir, "a.jpg", 80, 60), b = Picture(dir, "b.jpg", 70, 90);
  // Records of two pictures taking turns, plain files among them.
  const std::vector<std::string> lines = {
      Line(a, 0, 0, 30, 20),    Line(b, 5, 5, 40, 40, "/ARo90"), a,
      Line(a, -10, 10, 50, 30), Line(b, 0, 0, 70, 90),           b};
  const std::vector<TSaveItem> items = ReadSaveItems(lines, Posix());
  std::vector<std::string> written[2];
  for (int threads : {1, 2}) {
    const std::string out = dir.File(threads == 1 ? "out1" : "out2");
    std::filesystem::create_directory(out);
    const TSavePlan plan =
        PlanSaveNames(TSaveMethod::kSerial, items, ReadSaveChoice(out + "/n.jpg", 2, false));
    TListPictureSource source(items, Options(), TPictureLoader());
    TWorkerPool pool(threads);
    TBatchSaveRun run(source, plan);
    run.Run(&pool);
    EXPECT_EQ(run.Saved(), items.size());
    EXPECT_EQ(source.Decodes(), 2u) << threads << " threads";
    for (std::size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(run.SavedPath(i), plan.destinations[i].path);
      written[threads - 1].push_back(ReadWholeFile(run.SavedPath(i)));
    }
  }
  EXPECT_EQ(written[0], written[1]);
}

TEST(BatchSave, AbortingCountsTheRestAsNotSaved) {
  TTempDir dir;
  std::vector<std::string> lines;
  for (char c = '0'; c <= '9'; ++c)
    lines.push_back(Picture(dir, std::string{'p', c, '.', 'j', 'p', 'g'}));
  const std::vector<TSaveItem> items = ReadSaveItems(lines, Posix());
  const TSavePlan plan = PlanSaveNames(TSaveMethod::kSameFolder, items, {});
  TListPictureSource inner(items, Options(), TPictureLoader());
  TBatchSaveRun* running = nullptr;
  TSourceWithHook source(inner, [&](std::size_t index) {
    if (index == 2) running->Abort();
  });
  TBatchSaveRun run(source, plan);
  running = &run;
  run.Run(nullptr);
  EXPECT_EQ(run.Saved(), 3u);
  EXPECT_EQ(run.NotSaved(), 7u);
  EXPECT_TRUE(run.Aborted());
}

TEST(BatchSave, AFailingItemOnlyCounts) {
  TTempDir dir;
  const std::string kept = Picture(dir, "kept.jpg"), gone = Picture(dir, "gone.jpg");
  const std::string last = Picture(dir, "last.jpg");
  std::filesystem::create_directory(dir.File("lost"));
  const std::vector<TSaveItem> items = ReadSaveItems(
      {kept, gone, Line(gone, 0, 0, 10, 10), "not a line", last, Picture(dir, "late.jpg")},
      Posix());
  TSavePlan plan = PlanSaveNames(TSaveMethod::kSameFolder, items, {});
  // The last item's folder disappears before it is written, as a full or lost disk would fail.
  plan.destinations[5].path = dir.File("lost/late.jpg");
  TListPictureSource inner(items, Options(), TPictureLoader());
  TSourceWithHook source(inner, [&](std::size_t index) {
    if (index == 0) std::filesystem::remove(gone);  // vanishes while the run goes on
    if (index == 4) std::filesystem::remove(dir.File("lost"));
  });
  TBatchSaveRun run(source, plan);
  run.Run(nullptr);
  EXPECT_EQ(run.Saved(), 2u);
  EXPECT_EQ(run.NotSaved(), 4u);
  EXPECT_FALSE(run.SavedPath(0).empty());
  EXPECT_FALSE(run.SavedPath(4).empty());
  EXPECT_EQ(run.Message(1), "file not found: " + gone);
  EXPECT_FALSE(std::filesystem::exists(dir.File("lost/late.jpg")));
}

TEST(BatchSave, HeldPicturesGetTheirEdgeAndNeverReplaceAnotherKind) {
  TTempDir dir;
  const std::string jpeg = Picture(dir, "a.jpg"), icon = dir.File("b.ico");
  WriteWholeFile(icon, "icon bytes");
  const std::vector<TSaveItem> items = ReadSaveItems({jpeg, icon, dir.File("c.jpg")}, Posix());
  THeldPictureSource source(
      items,
      [](std::size_t index, TBitmap24& picture) {
        if (index == 2) return false;  // nothing held
        picture = PatternBitmap(10, 8);
        return true;
      },
      3, 0x00FF00, 90);
  TSavePlan plan;
  plan.destinations.resize(3);  // over the sources
  TBatchSaveRun run(source, plan);
  run.Run(nullptr);
  EXPECT_EQ(run.Saved(), 2u);
  EXPECT_EQ(run.SavedPath(0), jpeg);
  EXPECT_EQ(run.SavedPath(1), dir.File("b.bmp"));
  EXPECT_EQ(ReadWholeFile(icon), "icon bytes");
  TBitmap24 saved;
  std::string error;
  ASSERT_TRUE(LoadPictureFile(saved, run.SavedPath(1), TPictureLoader(), &error));
  EXPECT_EQ(saved.Width(), 16);
  EXPECT_EQ(saved.Height(), 14);
}

}  // namespace
