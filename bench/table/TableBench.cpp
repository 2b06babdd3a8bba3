// The thumbnail table's page fill with 12 MP JPEGs: the time to a filled 4 x 4 page against
// decoding and resizing the same 16 files one after another (measured in the same run,
// interleaved rounds, medians), with QuickThumbnails off and on; paging back to a page whose
// thumbnails are held; the longest pause of the window while a page fills (a 1 ms timer in the
// window's thread); and, in a process of its own, the memory taken by obtaining every picture
// of a list of 1,000 within the default capacity against the thumbnails held.
//   build/bench/velmora-bench-table [ROUNDS] [THREADS]
// THREADS (default: one per core) the lanes of the worker pool.
//   build/bench/velmora-bench-table memory [COUNT]
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/EditCommands.h"
#include "app/MainFrm.h"
#include "browse/table/PictureTableForm.h"
#include "browse/table/ThumbNailAcquire.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "platform/WorkerPool.h"

namespace {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Resident memory of this process in MB.
double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

// A camera-sized picture from a real photograph when there is one (enlarged, with grain so
// that it compresses like a photograph), else a synthetic one with texture.
TBitmap24 Photo(int width, int height, int seed) {
  TBitmap24 picture(width, height);
  std::vector<std::string> sources;
  for (const char* folder : {"/tmp/pics"}) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
      if (entry.path().extension() == ".jpg") sources.push_back(entry.path().string());
  }
  std::sort(sources.begin(), sources.end());
  TPictureLoader loader;
  TBitmap24 photo;
  std::string error;
  if (!sources.empty() &&
      loader.Load(sources[static_cast<std::size_t>(seed) % sources.size()], photo, error)) {
    TImageSizeChange resize;
    if (resize.BiLiner(photo, picture, height, width)) {
      std::mt19937 random(static_cast<unsigned>(seed));
      for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < 3 * width; ++x)
          row[x] = static_cast<std::uint8_t>(
              std::clamp(row[x] + static_cast<int>(random() % 9) - 4, 0, 255));
      }
      return picture;
    }
  }
  std::mt19937 random(static_cast<unsigned>(seed));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const int noise = static_cast<int>(random() % 24);
      row[3 * x] = static_cast<std::uint8_t>((x * 255 / width + noise + seed * 40) & 0xFF);
      row[3 * x + 1] = static_cast<std::uint8_t>((y * 255 / height + noise) & 0xFF);
      row[3 * x + 2] = static_cast<std::uint8_t>(((x ^ y) >> 4) + noise);
    }
  }
  return picture;
}

// count pictures of width x height in folder, made once; the list of their paths.
std::vector<std::string> MakePhotos(const std::string& folder, int count, int width, int height) {
  std::filesystem::create_directories(folder);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/t%04d.jpg", i);
    const std::string path = folder + name;
    if (!std::filesystem::exists(path)) SavePictureFile(Photo(width, height, i), path, true, 90);
    paths.push_back(path);
  }
  return paths;
}

// Main window over folder, its table opened with columns x rows cells.
TPictureTableForm* OpenTable(TMainForm& form, const std::string& folder, int columns, int rows) {
  TPictureTableSettings& s = form.Settings().picture_table;
  s.w_count = columns - 1;  // the index in the count boxes
  s.h_count = rows - 1;
  form.OpenFolder(folder);
  form.EditCommands().Action("PictureTable")->trigger();
  TPictureTableForm* table = form.PictureTable();
  if (!table) return nullptr;
  table->resize(1600, 1200);
  table->show();
  // A size that settles while the first page fills stops the filling (as any resize does):
  // once the size has settled, a page left short is obtained again.
  const QTimer* resize_timer = table->findChild<QTimer*>("ResizeTimer");
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 60000) {
    QApplication::processEvents();
    if (table->Busy() || table->PageStart() != 0 || (resize_timer && resize_timer->isActive()))
      continue;
    if (table->Store().HeldCount() >= table->CellCount()) return table;
    table->Action("ReSetPicture1")->trigger();
  }
  return nullptr;
}

// The longest time between two ticks of a 1 ms timer in the window's thread.
struct TGapWatch {
  QTimer timer;
  QElapsedTimer clock;
  double last = 0;
  double longest = 0;
  TGapWatch() {
    timer.setInterval(1);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    longest = 0;
    clock.start();
    last = 0;
    timer.start();
  }
  void Tick() {
    const double now = clock.nsecsElapsed() / 1e6;
    longest = std::max(longest, now - last);
    last = now;
  }
  double Stop() {
    Tick();
    timer.stop();
    return longest;
  }
};

// CPU time of every thread of the process so far, in ms.
double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The machine's load average over the last minute (other work shares the cores).
std::string LoadAverage() {
  std::ifstream load("/proc/loadavg");
  std::string one;
  load >> one;
  return one;
}

int Memory(int argc, char** argv) {
  QApplication application(argc, argv);
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  TApUScope scope(apu);
  TWorkerPool pool;
  SetDefaultBandExecutor(&pool);
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  const std::string folder = QDir::tempPath().toStdString() + "/velmora-bench-table";
  const std::vector<std::string> paths = MakePhotos(folder + "/small", count, 1152, 864);
  TMainFormOptions options;
  options.program_folder = folder;
  options.drives = {""};
  const double before = ResidentMegabytes();
  int status = 0;
  {
    TMainForm form(options);
    TPictureTableForm* table = OpenTable(form, folder + "/small", 4, 4);
    if (!table) return 1;
    const double opened = ResidentMegabytes();
    QElapsedTimer clock;
    clock.start();
    table->GetAllThumbNailExecute();
    const double ms = clock.nsecsElapsed() / 1e6;
    const double after = ResidentMegabytes();
    const double held = table->Store().UsedMemory();
    std::printf(
        "obtaining all of %d pictures of 1152 x 864 within the default capacity (%d MB, %d "
        "pictures): %d held in %.0f ms\n",
        count, form.Settings().picture_table.thumb_capacity,
        form.Settings().picture_table.thumb_count, table->Store().HeldCount(), ms);
    std::printf(
        "  resident memory %.1f MB (%.1f MB before the window, %.1f MB with the table open), "
        "thumbnails held %.1f MB\n",
        after, before, opened, held);
    std::printf("  resident - held          %7.1f MB (target at most 150 MB)\n", after - held);
    status = table->Store().HeldCount() > 0 ? 0 : 1;
  }
  SetDefaultBandExecutor(nullptr);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedPictureBuffers();  // as the program does
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc > 1 && std::string(argv[1]) == "memory") return Memory(argc, argv);

  QApplication application(argc, argv);
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  TApUScope scope(apu);
  const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 7;
  const int threads = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 64) : TWorkerPool::CoreCount();
  TWorkerPool pool(threads);

  const std::string folder = QDir::tempPath().toStdString() + "/velmora-bench-table";
  const std::string photos = folder + "/photos-12mp";
  // 12 MP is beyond the working size limit: the pictures are made and read with large
  // pictures on. Two pages: the second is filled so that going back finds the first one held.
  TImU::SetLargePictures(true);
  const std::vector<std::string> paths = MakePhotos(photos, 32, 4000, 3000);

  TMainFormOptions options;
  options.program_folder = folder;
  options.drives = {""};
  TMainForm form(options);
  form.Settings().extensions.large_pictures = true;  // the window set the limit from its settings
  form.Settings().extensions.read_ahead = 0;
  TImU::SetLargePictures(true);
  TPictureTableSettings& s = form.Settings().picture_table;
  s.thumb_size_width = s.thumb_size_height = 400;
  SetDefaultBandExecutor(&pool);
  TPictureTableForm* table = OpenTable(form, photos, 4, 4);
  if (!table || table->CellCount() != 16) {
    std::fprintf(stderr, "the table did not open with 16 cells\n");
    return 1;
  }

  // What the fill does for each picture, here one after another on this thread alone.
  TPictureLoader loader;
  TThumbNailAcquireOptions serial;
  serial.settings = &s;
  serial.area_width = serial.area_height = 400;
  serial.get_rectified = table->Action("GetRectifiedThumbNail1")->isChecked();
  serial.can_get_big = table->Action("CanGetBigThumbNail1")->isChecked();
  serial.loader = &loader;

  const std::string load_at_start = LoadAverage();
  std::vector<double> fill_cores, quick_cores;
  std::vector<double> serial_ms, quick_serial_ms, fill_ms, quick_ms, back_ms, gaps, quick_gaps;
  TGapWatch watch;
  QElapsedTimer clock;
  int thumb_width = 0, thumb_height = 0;
  for (int round = -1; round < rounds; ++round) {  // round -1 warms the buffers up
    SetDefaultBandExecutor(nullptr);
    double serial_at = 0, quick_serial_at = 0;
    for (const bool quick : {false, true}) {
      serial.quick_jpeg = quick;
      clock.start();
      for (int i = 0; i < 16; ++i) {
        const TThumbNailAcquisition a =
            AcquireFileThumbNail(paths[static_cast<std::size_t>(i)], serial);
        if (a.outcome != TThumbNailOutcome::kDone) {
          std::fprintf(stderr, "%s could not be read: %s\n",
                       paths[static_cast<std::size_t>(i)].c_str(), a.message.c_str());
          return 1;
        }
        thumb_width = a.picture.Width();
        thumb_height = a.picture.Height();
      }
      (quick ? quick_serial_at : serial_at) = clock.nsecsElapsed() / 1e6;
    }
    SetDefaultBandExecutor(&pool);

    for (const bool quick : {false, true}) {
      form.Settings().extensions.quick_thumbnails = quick;
      // Back to the first page with its records reset: the page is obtained again.
      if (table->PageStart() != 0) table->FileBackExecute();
      watch.Start();
      const double cpu_before = CpuMs();
      clock.start();
      table->Action("ReSetPicture1")->trigger();
      const double ms = clock.nsecsElapsed() / 1e6;
      const double cores = (CpuMs() - cpu_before) / ms;
      const double gap = watch.Stop();
      if (table->Store().HeldCount() < 16 || !recorder.Texts().empty()) {
        std::fprintf(stderr, "the page was not filled (%d held)\n", table->Store().HeldCount());
        for (const std::string& text : recorder.Texts())
          std::fprintf(stderr, "  %s\n", text.c_str());
        return 1;
      }
      if (round < 0) continue;
      (quick ? quick_ms : fill_ms).push_back(ms);
      (quick ? quick_gaps : gaps).push_back(gap);
      (quick ? quick_cores : fill_cores).push_back(cores);
    }
    form.Settings().extensions.quick_thumbnails = false;
    // The second page, then back to the first, whose 16 thumbnails are held.
    table->FileNextExecute();
    clock.start();
    table->FileBackExecute();
    const double back = clock.nsecsElapsed() / 1e6;
    if (table->PageStart() != 0) {
      std::fprintf(stderr, "paging back did not reach the first page\n");
      return 1;
    }
    if (round < 0) continue;
    serial_ms.push_back(serial_at);
    quick_serial_ms.push_back(quick_serial_at);
    back_ms.push_back(back);
  }
  SetDefaultBandExecutor(nullptr);

  const double serial_median = Median(serial_ms);
  std::printf(
      "first page of 4 x 4 cells from 16 JPEGs of 4000 x 3000, thumbnails %d x %d, %d thread(s), "
      "median of %d interleaved rounds (load average %s at the start, %s at the end)\n",
      thumb_width, thumb_height, threads, rounds, load_at_start.c_str(), LoadAverage().c_str());
  std::printf("  decode + resize, one after another   %8.1f ms\n", serial_median);
  std::printf("  the same with QuickThumbnails         %8.1f ms  %5.2fx\n", Median(quick_serial_ms),
              Median(quick_serial_ms) / serial_median);
  std::printf(
      "  page filled                          %8.1f ms  %5.2fx (target at most 0.6x), %.2f cores "
      "busy\n",
      Median(fill_ms), Median(fill_ms) / serial_median, Median(fill_cores));
  std::printf(
      "  page filled with QuickThumbnails     %8.1f ms  %5.2fx (target at most 0.2x), %.2f cores "
      "busy\n",
      Median(quick_ms), Median(quick_ms) / serial_median, Median(quick_cores));
  std::printf("paging back to a page of 16 held thumbnails  %8.1f ms (target at most 30 ms)\n",
              Median(back_ms));
  std::printf(
      "longest pause of the window while a page fills: median %.1f ms, worst %.1f ms; with "
      "QuickThumbnails median %.1f ms (target at most 100 ms)\n",
      Median(gaps), *std::max_element(gaps.begin(), gaps.end()), Median(quick_gaps));
  std::fflush(stdout);

  // The memory figures in a process of their own, so that this one's pictures do not count.
  const std::string command = std::string("'") + argv[0] + "' memory";
  return std::system(command.c_str()) == 0 ? 0 : 1;
}
