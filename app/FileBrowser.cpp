#include "app/FileBrowser.h"

#include <QDir>
#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>

#include "app/PictureView.h"
#include "app/Settings.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  // Patterns are "*.ext" or "*".
  if (pattern == "*" || pattern == "*.*") return true;
  if (pattern.size() < 2 || pattern[0] != '*') return name == pattern;
  const std::string tail = pattern.substr(1);
  return name.size() >= tail.size() &&
         name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string FolderFileMask(const TFileFilterSettings& filter) {
  std::string mask;
  const auto add = [&mask](bool on, const char* patterns) {
    if (!on) return;
    if (!mask.empty()) mask += ';';
    mask += patterns;
  };
  add(filter.bmp_file, "*.bmp");
  add(filter.jpg_file, "*.jpg;*.jpeg");
  add(filter.ico_file, "*.ico");
  add(filter.wmf_file, "*.wmf");
  add(filter.emf_file, "*.emf");
  return mask;
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask) {
  std::vector<std::string> patterns;
  for (std::size_t start = 0; start <= mask.size();) {
    const std::size_t end = std::min(mask.find(';', start), mask.size());
    if (end > start) patterns.push_back(Lower(mask.substr(start, end - start)));
    start = end + 1;
  }
  std::vector<std::pair<std::string, std::string>> found;  // lower-case name, path
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code type_ec;
    if (!it->is_regular_file(type_ec)) continue;
    const std::string name = Lower(it->path().filename().string());
    if (std::any_of(patterns.begin(), patterns.end(),
                    [&name](const std::string& p) { return MatchesPattern(name, p); }))
      found.emplace_back(name, it->path().string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  paths.reserve(found.size());
  for (auto& entry : found) paths.push_back(std::move(entry.second));
  return paths;
}

TFileBrowser::TFileBrowser(QListWidget& names, std::vector<std::string>& paths, TPictureView& view,
                           const TFileFilterSettings& filter, QObject* parent)
    : QObject(parent), names_(names), paths_(paths), view_(view), filter_(filter) {
  connect(&names_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ShowEntry(row);
  });
}

void TFileBrowser::ListFolder(const std::string& folder) {
  SetList(ListFolderFiles(folder, FolderFileMask(filter_)), 0);
}

void TFileBrowser::SetList(std::vector<std::string> paths, int row) {
  paths_ = std::move(paths);
  {
    const QSignalBlocker blocker(&names_);
    names_.setUpdatesEnabled(false);
    names_.clear();
    QStringList names;
    names.reserve(static_cast<qsizetype>(paths_.size()));
    for (const std::string& path : paths_)
      names << QString::fromStdString(std::filesystem::path(path).filename().string());
    names_.addItems(names);
    names_.setUpdatesEnabled(true);
    if (row >= 0 && row < names_.count()) names_.setCurrentRow(row);
  }
  ShowEntry(row);
}

TStepResult TFileBrowser::ShowEntry(int row) {
  if (paths_.empty()) {
    view_.ClearPicture();
    return TStepResult::kAtEnd;
  }
  if (row < 0 || row >= static_cast<int>(paths_.size())) return TStepResult::kAtEnd;
  TShownFrom from;
  from.list = TShownFrom::kFileList;
  from.name = std::filesystem::path(paths_[static_cast<std::size_t>(row)]).filename().string();
  from.index = row + 1;
  from.count = static_cast<int>(paths_.size());
  if (view_.Processing()) return TStepResult::kBusy;
  if (shown) shown();
  const std::string& path = paths_[static_cast<std::size_t>(row)];
  if (view_.ShowPictureFile(path, from)) return TStepResult::kShown;
  std::error_code ec;
  return std::filesystem::exists(path, ec) ? TStepResult::kFailed : TStepResult::kMissing;
}

TStepResult TFileBrowser::Select(int row) {
  if (row < 0 || row >= names_.count()) return TStepResult::kAtEnd;
  {
    const QSignalBlocker blocker(&names_);
    names_.setCurrentRow(row);
  }
  return ShowEntry(row);
}

void TFileBrowser::RemoveEntry(int row) {
  if (row < 0 || row >= static_cast<int>(paths_.size())) return;
  paths_.erase(paths_.begin() + row);
  {
    const QSignalBlocker blocker(&names_);
    delete names_.takeItem(row);
  }
  if (paths_.empty()) {
    view_.ClearPicture();
    return;
  }
  const int next = std::min(row, static_cast<int>(paths_.size()) - 1);
  {
    const QSignalBlocker blocker(&names_);
    names_.setCurrentRow(next);
  }
  ShowEntry(next);
}

int TFileBrowser::CurrentRow() const { return names_.currentRow(); }

std::string TFileBrowser::CurrentPath() const {
  const int row = names_.currentRow();
  return row >= 0 && row < static_cast<int>(paths_.size()) ? paths_[static_cast<std::size_t>(row)]
                                                           : std::string();
}

TStepResult TFileBrowser::Step(int delta) {
  if (view_.Processing()) return TStepResult::kBusy;
  return Select(names_.currentRow() + delta);
}
