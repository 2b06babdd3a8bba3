// The viewer program started as a file manager starts it, twice on one program folder.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "app/FolderInstance.h"
#include "model/ProgramData.h"
#include "engine/ImageBasics.h"
#include "tests/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A copy of the program in a folder of its own: the viewer keeps its files beside the program
// when that folder can be written, so this folder is its program folder.
class TViewerFolder {
 public:
  TViewerFolder() { fs::copy_file(VELMORA_APP, Program()); }
  std::string Program() const { return dir_.File("velmora"); }
  std::string File(const char* name) const { return dir_.File(name); }
  const fs::path& Path() const { return dir_.Path(); }

  // Every file but the program and the lock, with its bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.Path())) {
      const std::string name = entry.path().filename().string();
      if (name != "velmora" && name != TFolderInstance::kLockFile)
        files[name] = ReadWholeFile(entry.path().string());
    }
    return files;
  }

 private:
  TTempDir dir_;
};

// SIGTERM is blocked for the viewer's start: one sent at any time waits until the viewer can
// close its window, as the user would.
std::unique_ptr<QProcess> StartViewer(const TViewerFolder& folder, const QStringList& args) {
  auto viewer = std::make_unique<QProcess>();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  viewer->setProcessEnvironment(environment);
  viewer->setChildProcessModifier([] {
    sigset_t quit;
    sigemptyset(&quit);
    sigaddset(&quit, SIGTERM);
    sigprocmask(SIG_BLOCK, &quit, nullptr);
  });
  viewer->start(QString::fromStdString(folder.Program()), args);
  EXPECT_TRUE(viewer->waitForStarted(10000));
  return viewer;
}

// Closes the viewer through SIGTERM and waits for it to end normally.
void CloseViewer(QProcess& viewer) {
  viewer.terminate();
  ASSERT_TRUE(viewer.waitForFinished(20000)) << "the viewer did not close";
  EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(viewer.exitCode(), 0) << viewer.readAllStandardError().toStdString();
}

// The first viewer owns the folder once it holds the lock.
void WaitForOwner(const TViewerFolder& folder) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!fs::exists(folder.Path() / TFolderInstance::kLockFile)) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the first viewer took no lock";
    std::this_thread::sleep_for(10ms);
  }
}

// The folder the settings file remembers as shown last.
std::string NowFolder(const TViewerFolder& folder) {
  const std::string settings = ReadWholeFile(folder.File(TProgramData::kSettingsFile));
  const std::string key = "\nNowFolder=";
  const std::size_t at = settings.find(key);
  if (at == std::string::npos) return "";
  std::string value =
      settings.substr(at + key.size(), settings.find('\n', at + 1) - at - key.size());
  while (!value.empty() && (value.back() == '\r' || value.back() == '/')) value.pop_back();
  return value;
}

// A folder with one picture the viewer can show.
struct TPictures {
  TTempDir dir;
  std::string picture = dir.File("photo.bmp");
  TPictures() { SavePictureFile(PatternBitmap(8, 6), picture, true, 90); }
  QString Folder() const { return QString::fromStdString(dir.Path().string()); }
};

TEST(TwoViewers, SecondStartHandsItsPictureToTheFirstAndEnds) {
  TViewerFolder folder;
  TPictures pictures;
  auto first = StartViewer(folder, {});
  WaitForOwner(folder);

  const auto started = std::chrono::steady_clock::now();
  auto second = StartViewer(folder, {QString::fromStdString(pictures.picture)});
  ASSERT_TRUE(second->waitForFinished(20000));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(second->readAllStandardError().toStdString().find("does not answer"),
            std::string::npos);
  EXPECT_EQ(first->state(), QProcess::Running);

  // The first viewer shows the picture's folder, and remembers it as the one it showed last.
  CloseViewer(*first);
  EXPECT_EQ(NowFolder(folder), pictures.dir.Path().string());
  EXPECT_FALSE(fs::exists(folder.Path() / TFolderInstance::kLockFile));
}

TEST(TwoViewers, NewInstanceWritesNothingAndKeepsItsArgument) {
  TViewerFolder folder;
  TPictures pictures;
  WriteWholeFile(folder.File(TProgramData::kSettingsFile), "[BaseSettings]\r\nPosition=5\r\n");
  const auto before = folder.Files();

  auto owner = StartViewer(folder, {});
  WaitForOwner(folder);
  auto beside = StartViewer(folder, {"--new-instance", pictures.Folder()});
  CloseViewer(*beside);
  EXPECT_EQ(folder.Files(), before);

  // The owner writes at close, and never saw the folder given to the other viewer.
  CloseViewer(*owner);
  EXPECT_NE(folder.Files(), before);
  EXPECT_EQ(NowFolder(folder), folder.Path().string());
}

TEST(TwoViewers, OwnerThatDoesNotAnswerGetsNoSecondWriterBesideIt) {
  TViewerFolder folder;
  TPictures pictures;
  auto owner = StartViewer(folder, {});
  WaitForOwner(folder);
  const auto before = folder.Files();
  kill(static_cast<pid_t>(owner->processId()), SIGSTOP);

  auto second = StartViewer(folder, {QString::fromStdString(pictures.picture)});
  CloseViewer(*second);
  EXPECT_NE(second->readAllStandardError().toStdString().find("does not answer"),
            std::string::npos);
  EXPECT_EQ(folder.Files(), before);

  kill(static_cast<pid_t>(owner->processId()), SIGCONT);
  CloseViewer(*owner);
  EXPECT_NE(folder.Files(), before);
}

}  // namespace
