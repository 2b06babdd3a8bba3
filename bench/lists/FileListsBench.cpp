// Listing and sorting a folder of 10,000 pictures, filling the visible list, and searching a tree
// of 100,000 files: medians of interleaved rounds.
//   build/bench/velmora-bench-lists [ROUNDS]
#include <QApplication>
#include <QListWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/FileLists.h"
#include "browse/FileSearchAll.h"

namespace fs = std::filesystem;

namespace {

double Millis(const std::function<void()>& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void Touch(const fs::path& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  out << std::string(bytes, 'x');
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const fs::path root = fs::temp_directory_path() / "velmora-bench-lists";
  fs::remove_all(root);
  fs::create_directories(root / "flat");
  const char* kinds[] = {".jpg", ".bmp", ".png", ".emf"};
  for (int i = 0; i < 10000; ++i) {
    std::string name = std::to_string((i * 7919) % 10000);
    name.append(kinds[i % 4]);
    Touch(root / "flat" / name, static_cast<std::size_t>(i % 97));
  }
  for (int d = 0; d < 1000; ++d) {
    const fs::path folder = root / "tree" / std::to_string(d / 100) / std::to_string(d);
    fs::create_directories(folder);
    for (int f = 0; f < 100; ++f) {
      std::string name = std::to_string(f);
      name.append(kinds[f % 4]);
      Touch(folder / name, 0);
    }
  }

  std::map<std::string, std::vector<double>> times;
  const std::string mask = "*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf;*.png";
  std::vector<std::string> paths;
  QListWidget names;
  for (int r = 0; r < rounds; ++r) {
    times["list folder"].push_back(
        Millis([&] { paths = ListFolderFiles((root / "flat").string(), mask); }));
    times["fill list (one update)"].push_back(Millis([&] {
      names.setUpdatesEnabled(false);
      names.clear();
      QStringList texts;
      for (const std::string& p : paths) texts << QString::fromStdString(fs::path(p).filename());
      names.addItems(texts);
      names.setUpdatesEnabled(true);
    }));
    const std::pair<const char*, TFileSortKey> keys[] = {{"sort name", TFileSortKey::kName},
                                                         {"sort path", TFileSortKey::kPath},
                                                         {"sort kind", TFileSortKey::kExtName},
                                                         {"sort size", TFileSortKey::kFileSize},
                                                         {"sort date", TFileSortKey::kDate}};
    for (const auto& [name, key] : keys)
      times[name].push_back(Millis([&] { paths = Reordered(paths, FileSortOrder(paths, key)); }));
    times["sort upside down"].push_back(Millis([&] { std::reverse(paths.begin(), paths.end()); }));
    if (r < 3) {
      std::atomic<bool> stop{false};
      std::size_t found = 0;
      times["search 100,000 files"].push_back(Millis([&] {
        found = SearchAllFiles((root / "tree").string(), mask, 200000, stop).files.size();
      }));
      if (found != 100000) std::printf("search found %zu files\n", found);
    }
  }
  std::printf("%u files listed\n", static_cast<unsigned>(paths.size()));
  for (auto& [name, list] : times) {
    std::sort(list.begin(), list.end());
    std::printf("%-24s median %8.2f ms (%zu rounds)\n", name.c_str(), list[list.size() / 2],
                list.size());
  }
  fs::remove_all(root);
  return 0;
}
