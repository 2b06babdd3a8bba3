// "Open to final picture" of the viewer: a 12 MP JPEG shown with every-time correction, against
// its parts measured in the same run (decode, and one resize to the display size). Interleaved
// rounds, medians; the difference is the viewer's own overhead (copies, the screen image, the
// job list's hand-overs).
//   build/bench/velmora-bench-viewer [ROUNDS] [THREADS]
// THREADS (default 1) row-band threads lent to every engine routine as the default executor.
//   build/bench/velmora-bench-viewer next [ROUNDS]
// key to final picture for the next 12 MP JPEG after 300 ms on the current one, read-ahead on
// and off in alternate rounds;
//   build/bench/velmora-bench-viewer slide [COUNT] [INTERVAL_MS] [BUSY]
// the slide show over COUNT pictures with BUSY (default 2) spinning processes beside it, in
// blocks with read-ahead off and on by turns.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "app/CaptureActions.h"
#include "app/MainFrm.h"
#include "app/PictureView.h"
#include "app/ReadAhead.h"
#include "app/RightList.h"
#include "app/SlideShow.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "platform/WorkerPool.h"

namespace {

TBitmap24 Photo(int width, int height) {
  TBitmap24 picture(width, height);
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const int noise = static_cast<int>(random() % 24);
      row[3 * x] = static_cast<std::uint8_t>((x * 255 / width + noise) & 0xFF);
      row[3 * x + 1] = static_cast<std::uint8_t>((y * 255 / height + noise) & 0xFF);
      row[3 * x + 2] = static_cast<std::uint8_t>(((x ^ y) >> 4) + noise);
    }
  }
  return picture;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

double Percentile(std::vector<double> values, int percent) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() * static_cast<std::size_t>(percent) / 100];
}

// Processes that keep a core each busy until they are stopped.
struct TBusyProcesses {
  std::vector<pid_t> pids;
  explicit TBusyProcesses(int count) {
    for (int i = 0; i < count; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        volatile unsigned long spin = 0;
        for (;;) spin = spin + 1;
      }
      if (pid > 0) pids.push_back(pid);
    }
  }
  ~TBusyProcesses() {
    for (const pid_t pid : pids) kill(pid, SIGKILL);
    for (const pid_t pid : pids) waitpid(pid, nullptr, 0);
  }
};

// Stays in the event loop without spinning, as a user looking at the picture does.
void WaitFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void WaitWhileProcessing(QApplication& application, TPictureView& view) {
  while (view.Processing()) application.processEvents(QEventLoop::WaitForMoreEvents);
}

// count distinct 12 MP photos in folder (made once).
void MakePhotos(const std::string& folder, int count) {
  std::filesystem::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    const std::string path = folder + "/s" + std::to_string(i) + ".jpg";
    if (!std::filesystem::exists(path)) SavePictureFile(Photo(4000, 3000), path, true, 90);
  }
}

struct TSlideFigures {
  std::vector<double> latency;
  int missed = 0;
};

// One slide show through the list of the folder, from its first picture to the end: missed
// ticks, and the time from the tick that moved the show to the final picture.
TSlideFigures RunSlides(QApplication& application, TMainForm& form, const std::string& slides) {
  TPictureView& view = form.PictureView();
  form.OpenFolder(slides);
  QListWidget* files = form.FileNameListBox();
  WaitWhileProcessing(application, view);
  QElapsedTimer clock;
  clock.start();
  // The tick is stamped before the show handles it (an event filter sees the timer event first).
  struct TTickStamp : QObject {
    QElapsedTimer* clock;
    double at = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Timer) at = clock->nsecsElapsed() / 1e6;
      return false;
    }
  } stamp;
  stamp.clock = &clock;
  form.SlideShow().SlideTimer()->installEventFilter(&stamp);
  const double& last_tick = stamp.at;
  form.SlideShow().Action("PictureSlide")->trigger();
  TSlideFigures figures;
  int row = files->currentRow();
  double tick_of_row = 0;
  bool waiting = false;
  while (form.SlideShow().Running()) {
    application.processEvents(QEventLoop::WaitForMoreEvents);
    if (files->currentRow() != row) {
      row = files->currentRow();
      tick_of_row = last_tick;
      waiting = true;
    }
    if (waiting && !view.Processing()) {
      figures.latency.push_back(clock.nsecsElapsed() / 1e6 - tick_of_row);
      waiting = false;
    }
  }
  form.SlideShow().SlideTimer()->removeEventFilter(&stamp);
  figures.missed = form.SlideShow().MissedTicks();
  return figures;
}

// A slide show over count pictures of 12 MP (ten distinct files, linked over and over) at an
// interval of interval_ms with the correction on and busy processes beside it, in four blocks:
// read-ahead off, on, off, on.
int SlideShow(QApplication& application, TMainForm& form, const std::string& folder, int count,
              int interval_ms, int busy) {
  MakePhotos(folder + "/photos", 10);
  const std::string slides = folder + "/slides";
  std::filesystem::remove_all(slides);
  std::filesystem::create_directories(slides);
  const int block = std::max(2, count / 2);
  for (int i = 0; i < block; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/p%03d.jpg", i);
    std::filesystem::create_symlink(folder + "/photos/s" + std::to_string(i % 10) + ".jpg",
                                    slides + name);
  }
  form.Settings().base.slide_interval = interval_ms;
  form.SlideShow().ApplySettings();
  TSlideFigures figures[2];
  {
    const TBusyProcesses load(busy);
    for (int round = 0; round < 4; ++round) {
      const int on = round % 2;
      form.Settings().extensions.read_ahead = on;
      TSlideFigures f = RunSlides(application, form, slides);
      figures[on].latency.insert(figures[on].latency.end(), f.latency.begin(), f.latency.end());
      figures[on].missed += f.missed;
    }
  }
  std::printf(
      "slide show, %d pictures of 4000 x 3000 each way at %d ms, correction on, %d busy "
      "processes, blocks of %d off/on/off/on\n",
      2 * block, interval_ms, busy, block);
  for (const int on : {0, 1})
    std::printf(
        "  read-ahead %-3s  %4zu shown, %3d missed ticks, tick to final picture median "
        "%7.1f ms, 95th percentile %7.1f ms\n",
        on ? "on" : "off", figures[on].latency.size(), figures[on].missed,
        Percentile(figures[on].latency, 50), Percentile(figures[on].latency, 95));
  return figures[0].latency.empty() || figures[1].latency.empty() ? 1 : 0;
}

// Key to final picture: the next of eight 12 MP JPEGs after staying 300 ms on the current one,
// read-ahead on and off in alternate rounds (medians over every key of a mode).
int NextPicture(QApplication& application, TMainForm& form, const std::string& folder, int rounds) {
  const std::string photos = folder + "/photos";
  MakePhotos(photos, 10);
  const std::string list = folder + "/next";
  std::filesystem::remove_all(list);
  std::filesystem::create_directories(list);
  for (int i = 0; i < 8; ++i)
    std::filesystem::create_symlink(photos + "/s" + std::to_string(i) + ".jpg",
                                    list + "/n" + std::to_string(i) + ".jpg");
  TPictureView& view = form.PictureView();
  TReadAhead& read_ahead = *form.findChild<TReadAhead*>();
  std::vector<double> times[2];
  int ready[2] = {0, 0};
  QElapsedTimer clock;
  for (int round = -1; round < 2 * rounds; ++round) {  // round -1 warms the buffers up
    const int on = round < 0 ? 1 : round % 2;
    form.Settings().extensions.read_ahead = on;
    form.OpenFolder(list);
    WaitWhileProcessing(application, view);
    for (int key = 0; key < 7; ++key) {
      WaitFor(300);
      const int taken = read_ahead.StepsTaken();
      clock.start();
      form.SlideShow().Action("FileNext")->trigger();
      WaitWhileProcessing(application, view);
      const double ms = clock.nsecsElapsed() / 1e6;
      if (round < 0) continue;
      times[on].push_back(ms);
      if (read_ahead.StepsTaken() > taken) ++ready[on];
    }
  }
  std::printf(
      "key to final picture, next 4000 x 3000 JPEG -> 1280 x 960 after 300 ms on the "
      "current one, correction on, %d rounds of 7 keys each way\n",
      rounds);
  for (const int on : {0, 1})
    std::printf(
        "  read-ahead %-3s  median %7.1f ms, 95th percentile %7.1f ms (%d of %zu keys "
        "found the picture prepared)\n",
        on ? "on" : "off", Percentile(times[on], 50), Percentile(times[on], 95), ready[on],
        times[on].size());
  std::printf("  off / on         %7.1fx\n",
              Percentile(times[0], 50) / std::max(0.001, Percentile(times[1], 50)));
  return 0;
}

int main(int argc, char** argv) {
  KeepFreedPictureBuffers();  // as the program does
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  TApUScope scope(apu);

  const std::string folder = QDir::tempPath().toStdString() + "/velmora-bench-viewer";
  QDir().mkpath(QString::fromStdString(folder));
  const std::string path = folder + "/photo.jpg";
  SavePictureFile(Photo(4000, 3000), path, true, 90);

  TMainFormOptions options;
  options.program_folder = folder;
  options.drives = {""};
  TMainForm form(options);
  form.Settings().extensions.large_pictures = true;  // 12 MP is beyond the design's limit
  TImU::SetLargePictures(true);
  TPictureView& view = form.PictureView();
  view.Action("EveryTimeRectify")->setChecked(true);
  view.SetAreaOverride(1280, 960);
  TShownFrom from;
  from.name = "photo.jpg";
  from.index = from.count = 1;

  TPictureLoader loader;
  TBitmap24 decoded, resized;
  TImageSizeChange resize;
  std::vector<double> parts, decode_only, whole;
  QElapsedTimer clock;
  if (argc > 1 && std::string(argv[1]) == "slide")
    return SlideShow(application, form, folder, argc > 2 ? std::atoi(argv[2]) : 200,
                     argc > 3 ? std::atoi(argv[3]) : 500, argc > 4 ? std::atoi(argv[4]) : 2);
  if (argc > 1 && std::string(argv[1]) == "next")
    return NextPicture(application, form, folder, argc > 2 ? std::max(1, std::atoi(argv[2])) : 5);
  // The open-to-final figures are those of a picture loaded when asked for.
  form.Settings().extensions.read_ahead = 0;
  const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
  const int threads = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 1024) : 1;
  TWorkerPool pool(threads);
  if (threads > 1) SetDefaultBandExecutor(&pool);
  for (int round = -1; round < rounds; ++round) {  // round -1 warms the buffers up
    clock.start();
    std::string error;
    loader.Load(path, decoded, error);
    const double decoded_at = clock.nsecsElapsed() / 1e6;
    resize.BiLiner(decoded, resized, 960, 1280);
    const double parts_ms = clock.nsecsElapsed() / 1e6;

    clock.start();
    view.ShowPictureFile(path, from);
    while (view.Processing()) application.processEvents(QEventLoop::WaitForMoreEvents);
    const double whole_ms = clock.nsecsElapsed() / 1e6;
    if (round < 0) continue;
    decode_only.push_back(decoded_at);
    parts.push_back(parts_ms);
    whole.push_back(whole_ms);
  }
  if (view.Working().Width() != 1280 || !recorder.Texts().empty()) {
    std::fprintf(stderr, "the viewer did not reach the corrected picture (%d wide)\n",
                 view.Working().Width());
    for (const std::string& text : recorder.Texts()) std::fprintf(stderr, "  %s\n", text.c_str());
    SetDefaultBandExecutor(nullptr);
    return 1;
  }
  const double p = Median(parts), w = Median(whole);
  std::printf(
      "open to final picture, 4000 x 3000 JPEG -> 1280 x 960, %d thread(s), median of %d "
      "rounds\n",
      threads, rounds);
  std::printf("  decode                 %8.1f ms\n", Median(decode_only));
  std::printf("  decode + one resize    %8.1f ms\n", p);
  std::printf("  viewer                 %8.1f ms\n", w);
  std::printf("  overhead               %8.1f ms (%.0f %% over the parts)\n", w - p,
              100.0 * (w - p) / p);

  // Dividing a 5000 x 800 picture into the most cells the list allows, list shown.
  const std::string wide = folder + "/wide.bmp";
  SavePictureFile(Photo(5000, 800), wide, true, 90);
  view.Action("EveryTimeRectify")->setChecked(false);
  view.SetAreaOverride(10, 10);
  if (!view.Geometry().real_mode) view.Action("PictureSizeReal")->trigger();
  view.ShowPictureFile(wide, from);
  view.Action("PictureNoZoom")->trigger();
  std::vector<double> divide;
  for (int round = 0; round < 3; ++round) {
    form.Capture().LoadLines({});
    recorder.AnswerInput("0");
    recorder.AnswerMessage(mb::kIdYes);
    clock.start();
    form.Capture().Action("CaptureDivideEquallyCapture")->trigger();
    application.processEvents();
    divide.push_back(clock.nsecsElapsed() / 1e6);
  }
  std::printf("divide 5000 x 800 into %zu cells and show the list: %.1f ms (median of 3)\n",
              form.RightList().CapData().Size(), Median(divide));
  SetDefaultBandExecutor(nullptr);
  return 0;
}
