// The thumbnail table's list operations: the file extract by picture size over 10,000 JPEGs
// (headers only) against decoding the same files, and deleting 5,000 selected items of a
// 32,736-item table. Medians of interleaved rounds after a warm-up.
//   build/bench/velmora-bench-tableops [ROUNDS]
#include <QApplication>
#include <QItemSelection>
#include <QListWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "browse/table/FileExtract.h"
#include "browse/table/PictureTableForm.h"
#include "engine/Bitmap24.h"
#include "engine/JpegFile.h"
#include "engine/PictureLoader.h"
#include "model/FileLists.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/RecordingDialogService.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 10000;
constexpr int kTableItems = 32736;
constexpr int kDeleted = 5000;

double Millis(const std::function<void()>& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> list) {
  std::sort(list.begin(), list.end());
  return list[list.size() / 2];
}

// 10,000 JPEGs of 100 sizes from 40 x 30 to 436 x 327 (each size encoded once, then written
// under many names).
std::vector<std::string> MakePictures(const fs::path& folder) {
  std::vector<std::string> encoded;
  for (int k = 0; k < 100; ++k) {
    const int width = 40 + 4 * k, height = 30 + 3 * k;
    TBitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = picture.Row(y);
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(x * 7 + k);
        row[3 * x + 1] = static_cast<std::uint8_t>(y * 5);
        row[3 * x + 2] = static_cast<std::uint8_t>((x ^ y) * 3);
      }
    }
    std::string bytes, error;
    if (!EncodeJpeg(picture, 85, bytes, error)) std::fprintf(stderr, "%s\n", error.c_str());
    encoded.push_back(std::move(bytes));
  }
  std::vector<std::string> paths;
  paths.reserve(kPictures);
  for (int i = 0; i < kPictures; ++i) {
    std::string name = std::to_string(i);
    name.append(".jpg");
    paths.push_back((folder / name).string());
    // Plain writes: a fresh temporary folder needs no safe replacing (nor its syncs).
    const std::string& bytes = encoded[static_cast<std::size_t>(i * 37 % 100)];
    std::ofstream(paths.back(), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return paths;
}

// Every sixth or seventh item of the table, 5,000 in all, selected in the list box.
void SelectSpread(QListWidget& names) {
  QItemSelection selection;
  const int count = names.count();
  for (int k = 0; k < kDeleted; ++k) {
    const QModelIndex index =
        names.model()->index(static_cast<int>(static_cast<long long>(k) * count / kDeleted), 0);
    selection.select(index, index);
  }
  names.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

}  // namespace

int main(int argc, char** argv) {
  // The table window is measured off screen unless a platform is asked for.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  TApUScope scope(apu);

  const fs::path root = fs::temp_directory_path() / "velmora-bench-tableops";
  fs::remove_all(root);
  fs::create_directories(root);
  double made = Millis([] {});
  std::vector<std::string> pictures;
  made = Millis([&] { pictures = MakePictures(root); });
  std::printf("%d JPEGs written in %.0f ms\n", kPictures, made);

  TPictureLoader loader;
  std::map<std::string, std::vector<double>> times;
  long long checksum = 0;
  // Headers only, as the extract reads them; the extract dialog itself (select mode, at least
  // 250 x 250); and a full decode of every file.
  auto read_sizes = [&] {
    for (const std::string& path : pictures) {
      int width = 0, height = 0;
      std::string error;
      if (loader.ReadSize(path, width, height, error)) checksum += width + height;
    }
  };
  auto extract = [&] {
    TPictureTableSettings settings;
    std::vector<std::string> paths = pictures, names = pictures;
    std::vector<bool> selected;
    TFileExtractForm form(settings, paths, names, selected, TFileExtractForm::kSelectMode, loader);
    form.ExtractButtonClick();
    checksum += form.Matched();
  };
  auto decode = [&] {
    TBitmap24 picture;
    for (const std::string& path : pictures) {
      std::string error;
      if (loader.Load(path, picture, error)) checksum += picture.Width();
    }
  };
  read_sizes();  // warm-up
  decode();
  for (int r = 0; r < rounds; ++r) {
    times["extract: read sizes"].push_back(Millis(read_sizes));
    times["extract: dialog run"].push_back(Millis(extract));
    times["full decode"].push_back(Millis(decode));
  }
  recorder.Clear();
  const double sizes = Median(times["extract: read sizes"]);
  const double dialog = Median(times["extract: dialog run"]);
  const double full = Median(times["full decode"]);
  std::printf("extract by picture size, %d JPEGs (%d rounds, medians):\n", kPictures, rounds);
  std::printf("  read sizes (headers)  %8.1f ms  %9.0f files/s\n", sizes, kPictures / sizes * 1e3);
  std::printf("  extract dialog run    %8.1f ms  %9.0f files/s\n", dialog,
              kPictures / dialog * 1e3);
  std::printf("  full decode           %8.1f ms  %9.0f files/s\n", full, kPictures / full * 1e3);
  std::printf("  headers / decode: %.1f x faster (dialog run: %.1f x)\n", full / sizes,
              full / dialog);

  // Deleting: the table window's command, and the delete-and-move of the lists alone.
  PathText paths(TPathStyle::Posix);
  TMainSettings main_settings;
  TPictureTableForm::TContext context;
  context.settings = &main_settings.picture_table;
  context.main_settings = &main_settings;
  context.paths = &paths;
  context.loader = &loader;
  context.program_folder = root.string();
  TPictureTableForm table(std::move(context));
  table.show();
  std::vector<std::string> items;
  items.reserve(kTableItems);
  for (int i = 0; i < kTableItems; ++i) {
    std::string name = std::to_string(i);
    name.append(".jpg");
    items.push_back((root / "missing" / name).string());
  }
  auto settle = [&] {
    while (table.Busy()) QApplication::processEvents(QEventLoop::AllEvents, 5);
  };
  std::vector<double> window, lists, selected_list;
  double item_by_item = 0;
  for (int r = 0; r <= rounds; ++r) {
    table.SetItems(items, true);
    settle();
    SelectSpread(*table.FileNameListBox());
    std::size_t left = 0;
    const double selected_ms = Millis([&] { left = table.SelectedItems().size(); });
    // For comparison: asking every item of the list whether it is selected.
    if (r == 1) {
      QListWidget& names = *table.FileNameListBox();
      int asked = 0;
      item_by_item = Millis([&] {
        for (int i = 0; i < names.count(); ++i) asked += names.item(i)->isSelected() ? 1 : 0;
      });
      if (asked != kDeleted) std::printf("%d selected items asked\n", asked);
    }
    const double ms = Millis([&] { table.DeleteSelectedExecute(); });
    settle();
    if (table.Items().size() != kTableItems - left || left != kDeleted)
      std::printf("deleted %zu of %zu selected\n", kTableItems - table.Items().size(), left);

    // The same deletion on the table's lists alone: items and their records.
    std::vector<std::string> copy = items;
    TThumbNailStore store;
    store.Reset(copy.size());
    std::vector<std::size_t> gone;
    for (int k = 0; k < kDeleted; ++k)
      gone.push_back(static_cast<std::size_t>(static_cast<long long>(k) * kTableItems / kDeleted));
    const double plain = Millis([&] {
      std::vector<bool> goes(copy.size(), false);
      for (std::size_t g : gone) goes[g] = true;
      EraseMarked(copy, goes);
      store.Delete(gone);
    });
    if (r == 0) continue;  // warm-up
    window.push_back(ms);
    selected_list.push_back(selected_ms);
    lists.push_back(plain);
  }
  std::printf("deleting %d selected of %d items (%d rounds, medians):\n", kDeleted, kTableItems,
              rounds);
  std::printf("  table window command  %8.2f ms (target under 200 ms)\n", Median(window));
  std::printf(
      "    of which the selection read %6.2f ms (asking each item instead: %.0f ms, once)\n",
      Median(selected_list), item_by_item);
  std::printf("  lists alone           %8.2f ms\n", Median(lists));

  // Dropping 100,000 files (names only: files that are not there are still taken by their
  // extension) onto the table, and the collect step alone.
  std::vector<std::string> dropped;
  dropped.reserve(100000);
  for (int i = 0; i < 100000; ++i) {
    std::string name = std::to_string(i);
    name.append(i % 10 == 9 ? ".txt" : ".jpg");
    dropped.push_back((root / "dropped" / name).string());
  }
  std::vector<double> drop_window, drop_collect;
  for (int r = 0; r <= rounds; ++r) {
    table.SetItems({items[0]}, true);
    settle();
    const double collect =
        Millis([&] { checksum += CollectDropped(dropped, kDropMask, nullptr).size(); });
    const double drop = Millis([&] {
      table.DropFiles(dropped);
      settle();
    });
    if (r == 0) continue;  // warm-up
    drop_collect.push_back(collect);
    drop_window.push_back(drop);
  }
  std::printf(
      "dropping 100,000 files (%d rounds, medians): table window %.1f ms, collect alone "
      "%.1f ms; %zu items\n",
      rounds, Median(drop_window), Median(drop_collect), table.Items().size());
  std::printf("(checksum %lld)\n", checksum);
  fs::remove_all(root);
  return 0;
}
