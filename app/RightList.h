#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "model/CapDataList.h"

class PathText;
class QListWidget;
struct TFileFilterSettings;

// The main window's right list (DataFileNameListBox): the cap data records, or in file-list mode
// plain picture paths collected from the file list. Capture and the file browser both work on
// it; it keeps the visible names in step with the lines behind them.
class TRightList : public QObject {
  Q_OBJECT

 public:
  TRightList(TFileFilterSettings& filter, const PathText& paths, QObject* parent = nullptr);

  QListWidget* Widget() const { return names_; }
  TCapDataList& CapData() { return cap_data_; }
  const TCapDataList& CapData() const { return cap_data_; }
  // The paths of file-list mode.
  const std::vector<std::string>& Files() const { return files_; }

  bool FileListMode() const;
  // Empties both kinds of content and switches the mode; ModeChanged follows.
  void SetFileListMode(bool on);
  // The lines of the current mode (what CapList.dat stores) and the selected row.
  const std::vector<std::string>& Lines() const;
  int Row() const;
  bool HasEntries() const { return !Lines().empty(); }

  // Rebuilds the visible list from the current mode's lines in one update and selects row
  // (none: -1); selecting this way shows nothing.
  void Refresh(int select);
  // File-list mode.
  void SetFiles(std::vector<std::string> paths);
  void AppendFile(const std::string& path);
  void RemoveFile(int row);
  std::string TakeLastFile();

 signals:
  void ModeChanged(bool file_list_mode);

 private:
  TFileFilterSettings& filter_;
  TCapDataList cap_data_;
  std::vector<std::string> files_;
  QListWidget* names_;
};
