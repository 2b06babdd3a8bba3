#include <gtest/gtest.h>

#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/FolderInstance.h"
#include "tests/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using TState = THandOverReader::TState;
using TStart = TFolderInstance::TStart;

const std::string kNotUtf8 = "/tmp/\xff\xfe/\x80 photo.jpg";

class HandOver : public ::testing::TestWithParam<std::string> {};

// Whole, byte by byte and in uneven pieces: a local socket may deliver any of them.
TEST_P(HandOver, PathArrivesAsSentInAnyPieces) {
  const std::string bytes = EncodeHandOver(GetParam());
  for (const std::size_t piece : {bytes.size(), std::size_t{1}, std::size_t{3}}) {
    THandOverReader reader;
    TState state = TState::kIncomplete;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      ASSERT_EQ(state, TState::kIncomplete) << "piece " << piece << " at " << at;
      state = reader.Add(std::string_view(bytes).substr(at, piece));
    }
    EXPECT_EQ(state, TState::kComplete) << "piece " << piece;
    EXPECT_EQ(reader.Path(), GetParam()) << "piece " << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, HandOver,
                         ::testing::Values(std::string(), "/home/u/写真/a b.jpg", kNotUtf8,
                                           std::string("/a\0b", 4),
                                           std::string(kHandOverMaxPath, 'x')));

TEST(HandOver, WrongOrOverlongInputIsRefused) {
  const std::string good = EncodeHandOver("/x.jpg");
  std::string too_long = EncodeHandOver("");
  too_long[4] = '\x7f';  // a length far over the limit
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {{"other magic", "VLM2" + good.substr(4)},
               {"wrong first byte", "X"},
               {"length over the limit", too_long},
               {"bytes after the path", good + "y"}};
  for (const auto& c : cases) {
    THandOverReader reader;
    EXPECT_EQ(reader.Add(c.bytes), TState::kInvalid) << c.name;
  }
  THandOverReader reader;
  ASSERT_EQ(reader.Add(good), TState::kComplete);
  EXPECT_EQ(reader.Add(good), TState::kInvalid) << "a second hand-over on one connection";
}

TEST(HandOver, ServerNameFollowsTheFolderNotItsSpelling) {
  TTempDir dir;
  fs::create_directory(dir.Path() / "a");
  fs::create_directory(dir.Path() / "b");
  fs::create_directory_symlink(dir.Path() / "a", dir.Path() / "link");
  const std::string a = HandOverServerName(dir.File("a"));
  EXPECT_EQ(HandOverServerName(dir.File("a") + "/"), a);
  EXPECT_EQ(HandOverServerName(dir.File("b") + "/../a"), a);
  EXPECT_EQ(HandOverServerName(dir.File("link")), a);
  EXPECT_NE(HandOverServerName(dir.File("b")), a);
  EXPECT_LE(a.size(), 48u);  // a socket path under /tmp stays far below its limit
}

// Runs start on another thread (a later start blocks) while this thread serves the owner.
TStart StartElsewhere(const std::string& folder, const std::string& path,
                      std::chrono::milliseconds timeout) {
  QEventLoop loop;
  std::atomic<TStart> result{TStart::kOwner};
  std::thread later([&] {
    TFolderInstance instance(folder);
    result = instance.Start(path, timeout);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  QTimer::singleShot(20s, &loop, &QEventLoop::quit);
  loop.exec();
  later.join();
  return result;
}

TEST(FolderInstance, LaterStartsHandTheirPathToTheOwner) {
  TTempDir dir;
  TFolderInstance owner(dir.Path().string());
  ASSERT_EQ(owner.Start("", 1s), TStart::kOwner);
  EXPECT_TRUE(fs::exists(dir.Path() / TFolderInstance::kLockFile));

  // Received before the window exists, given to it in order once it does.
  EXPECT_EQ(StartElsewhere(dir.Path().string(), kNotUtf8, 5s), TStart::kHandedOver);
  EXPECT_EQ(StartElsewhere(dir.Path().string() + "/.", "", 5s), TStart::kHandedOver);
  std::vector<std::string> received;
  owner.SetReceiver([&](const std::string& path) { received.push_back(path); });
  EXPECT_EQ(received, (std::vector<std::string>{kNotUtf8, ""}));

  EXPECT_EQ(StartElsewhere(dir.Path().string(), "/b.jpg", 5s), TStart::kHandedOver);
  EXPECT_EQ(received.back(), "/b.jpg");

  // Another program folder has its own owner.
  TTempDir other;
  TFolderInstance other_owner(other.Path().string());
  EXPECT_EQ(other_owner.Start("", 1s), TStart::kOwner);
}

TEST(FolderInstance, ClosingOwnerTakesNothingAndGivesTheLockUp) {
  TTempDir dir;
  auto owner = std::make_unique<TFolderInstance>(dir.Path().string());
  ASSERT_EQ(owner->Start("", 1s), TStart::kOwner);
  owner->StopListening();
  EXPECT_EQ(StartElsewhere(dir.Path().string(), "/a.jpg", 200ms), TStart::kNotWriting);
  owner.reset();
  EXPECT_FALSE(fs::exists(dir.Path() / TFolderInstance::kLockFile));
  TFolderInstance next(dir.Path().string());
  EXPECT_EQ(next.Start("", 1s), TStart::kOwner);
}

// The lock file of a viewer that crashed names a process that is gone.
TEST(FolderInstance, LockOfAGoneProcessIsTakenOver) {
  QProcess gone;
  gone.start("true", {});
  ASSERT_TRUE(gone.waitForStarted());
  const qint64 pid = gone.processId();
  ASSERT_TRUE(gone.waitForFinished());
  TTempDir dir;
  WriteWholeFile(dir.File(TFolderInstance::kLockFile), std::to_string(pid) + "\nvelmora\n\n");
  TFolderInstance instance(dir.Path().string());
  EXPECT_EQ(instance.Start("", 1s), TStart::kOwner);
}

}  // namespace
