#include "browse/FileSearchAll.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "model/FileLists.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// Entries of one folder: sub-folders (by following links, as a directory listing shows them) and
// files. False when the folder cannot be read; stop ends the reading early.
bool ReadFolder(const std::string& folder, std::vector<std::string>* folders,
                std::vector<std::string>* files, const std::atomic<bool>& stop,
                std::string& error) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    error = folder;
    return false;
  }
  while (dirent* entry = readdir(dir)) {
    if (stop) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool is_dir = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat info;
      is_dir = stat((folder + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (is_dir) {
      if (folders) folders->push_back(folder + name + "/");
    } else if (files) {
      files->push_back(name);
    }
  }
  closedir(dir);
  return true;
}

}  // namespace

std::string SearchFilter(const std::string& mask) {
  if (mask.find("*.*") != std::string::npos) return {};
  std::string filter;
  for (char c : mask)
    if (c != '*') filter += c;
  return Upper(filter) + ";";
}

bool PassesSearchFilter(const std::string& name, const std::string& filter) {
  if (filter.empty()) return true;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  return filter.find(Upper(name.substr(dot)) + ";") != std::string::npos;
}

TSearchResult SearchAllFiles(const std::string& root_folder, const std::string& mask,
                             std::size_t limit, const std::atomic<bool>& stop,
                             const std::function<void(const std::string&)>& status) {
  TSearchResult result;
  const std::string root = WithSlash(root_folder);
  struct stat root_info;
  if (stat(root.c_str(), &root_info) != 0 || !S_ISDIR(root_info.st_mode)) {
    result.end = TSearchResult::TEnd::kNoRoot;
    return result;
  }
  if (status) status("検索中");
  // A folder reached again through a link (same device and inode) is not listed twice.
  std::set<std::pair<dev_t, ino_t>> seen{{root_info.st_dev, root_info.st_ino}};
  std::vector<std::string> folders{root};
  for (std::size_t next = 0; next < folders.size(); ++next) {
    std::vector<std::string> found;
    if (!ReadFolder(folders[next], &found, nullptr, stop, result.error)) {
      result.end = TSearchResult::TEnd::kError;
      if (status) status(next == 0 ? "* 検索エラーです。" : "** 検索エラーです(例外)。");
      return result;
    }
    if (stop) {
      result.end = TSearchResult::TEnd::kStopped;
      return result;
    }
    for (std::string& folder : found) {
      struct stat info;
      if (stat(folder.c_str(), &info) != 0) continue;
      if (!seen.insert({info.st_dev, info.st_ino}).second) continue;
      folders.push_back(std::move(folder));
    }
  }
  std::sort(folders.begin(), folders.end(), LessIgnoringCase);
  const std::string filter = SearchFilter(mask);
  const std::size_t count = folders.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t remaining = count - i;
    if (status && remaining % 25 == 0) status("残り数 = " + std::to_string(remaining));
    std::vector<std::string> names;
    std::string ignored;
    // A sub-folder that cannot be read holds nothing for us; only the root's failure counts.
    ReadFolder(folders[i], nullptr, &names, stop, ignored);
    std::vector<std::string> taken;
    for (std::string& name : names)
      if (PassesSearchFilter(name, filter)) taken.push_back(std::move(name));
    std::sort(taken.begin(), taken.end(), LessIgnoringCase);
    for (const std::string& name : taken) {
      if (result.files.size() >= limit) {
        result.end = TSearchResult::TEnd::kLimit;
        result.limit_folder = folders[i];
        return result;
      }
      result.files.push_back(folders[i] + name);
    }
    if (stop) {
      result.end = TSearchResult::TEnd::kStopped;
      return result;
    }
  }
  return result;
}

std::string SearchResultMessage(const TSearchResult& result, std::size_t limit) {
  switch (result.end) {
    case TSearchResult::TEnd::kNoRoot:
      return "No Exists";
    case TSearchResult::TEnd::kLimit:
      return "検索ファイル数が許容数(" + std::to_string(limit) +
             ")を超えてしまいました。\r\n\r\n次回はもう少し下位のフォルダから検索してください。"
             "\r\n(検索中止フォルダ = \r\n '" +
             result.limit_folder + "')";
    case TSearchResult::TEnd::kError:
      return "検索は中断されました。";
    case TSearchResult::TEnd::kStopped:
      return std::to_string(result.files.size()) +
             "個のファイルを抽出しました。\r\n\r\n検索は中断されました。";
    case TSearchResult::TEnd::kDone:
      break;
  }
  return std::to_string(result.files.size()) + "個のファイルを抽出しました。";
}

TFileSearchAllThread::TFileSearchAllThread(std::string root, std::string mask, QObject* parent)
    : QThread(parent), root_(std::move(root)), mask_(std::move(mask)) {}

TFileSearchAllThread::~TFileSearchAllThread() {
  stop_ = true;
  wait();
}

void TFileSearchAllThread::run() {
  result_ = SearchAllFiles(root_, mask_, kLimit, stop_, [this](const std::string& caption) {
    emit StatusChanged(QString::fromStdString(caption));
  });
  emit SearchFinished();
}
