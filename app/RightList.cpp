#include "app/RightList.h"

#include <QListWidget>
#include <QSignalBlocker>

#include "engine/FileNames.h"
#include "model/Settings.h"
#include "platform/PathText.h"
#include "platform/QtText.h"

TRightList::TRightList(TFileFilterSettings& filter, const PathText& paths, QObject* parent)
    : QObject(parent), filter_(filter), cap_data_(paths), names_(new QListWidget) {
  names_->setObjectName("DataFileNameListBox");
}

bool TRightList::FileListMode() const { return filter_.get_file_list; }

void TRightList::SetFileListMode(bool on) {
  files_.clear();
  cap_data_.Clear();
  filter_.get_file_list = on;
  emit ModeChanged(on);
}

const std::vector<std::string>& TRightList::Lines() const {
  return FileListMode() ? files_ : cap_data_.Lines();
}

int TRightList::Row() const { return names_->currentRow(); }

void TRightList::Refresh(int select) {
  const QSignalBlocker blocker(names_);
  names_->setUpdatesEnabled(false);
  names_->clear();
  QStringList texts;
  if (FileListMode()) {
    texts.reserve(static_cast<qsizetype>(files_.size()));
    for (const std::string& path : files_) texts << Q(FileNameOf(path));
  } else {
    texts.reserve(static_cast<qsizetype>(cap_data_.Size()));
    for (const std::string& text : cap_data_.Texts()) texts << Q(text);
  }
  names_->addItems(texts);
  if (select >= 0 && select < names_->count()) names_->setCurrentRow(select);
  names_->setUpdatesEnabled(true);
}

void TRightList::SetFiles(std::vector<std::string> paths) {
  files_ = std::move(paths);
  Refresh(-1);
}

void TRightList::AppendFile(const std::string& path) {
  files_.push_back(path);
  Refresh(static_cast<int>(files_.size()) - 1);
}

void TRightList::RemoveFile(int row) {
  if (row < 0 || row >= static_cast<int>(files_.size())) return;
  files_.erase(files_.begin() + row);
  Refresh(std::min(row, static_cast<int>(files_.size()) - 1));
}

std::string TRightList::TakeLastFile() {
  if (files_.empty()) return {};
  std::string last = std::move(files_.back());
  files_.pop_back();
  Refresh(static_cast<int>(files_.size()) - 1);
  return last;
}
