#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QListWidget;
class TPictureView;
struct TFileFilterSettings;

// The file mask of the folder listing: the picture kinds in their fixed order, joined by ";"
// ("*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf" with every kind on).
std::string FolderFileMask(const TFileFilterSettings& filter);

// The files of folder (not of its subfolders) whose names match one of mask's patterns, ignoring
// case, sorted by name ignoring case. Full paths.
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask);

// What stepping through a list did.
enum class TStepResult { kShown, kMissing, kFailed, kAtEnd, kBusy };

// The file list of the main window: the visible names and the hidden full paths, always of equal
// length, and showing their entries in the picture area.
class TFileBrowser : public QObject {
  Q_OBJECT

 public:
  TFileBrowser(QListWidget& names, std::vector<std::string>& paths, TPictureView& view,
               const TFileFilterSettings& filter, QObject* parent = nullptr);

  // Fills both lists with the folder's pictures and shows the first.
  void ListFolder(const std::string& folder);
  // Replaces the lists and shows the entry at row (none when out of range).
  void SetList(std::vector<std::string> paths, int row);
  // Shows the entry at row; an empty list clears the picture.
  TStepResult ShowEntry(int row);
  // Back (-1) and next (+1) in the list.
  TStepResult Step(int delta);
  // Selects and shows row (the first entry after a slide show's end).
  TStepResult Select(int row);
  int Count() const { return static_cast<int>(paths_.size()); }
  // Removes the entry at row and shows the one now there (or the new last one).
  void RemoveEntry(int row);
  int CurrentRow() const;
  bool Empty() const { return paths_.empty(); }
  std::string CurrentPath() const;

  // Called whenever an entry of the file list is shown: the file list became the active list.
  std::function<void()> shown;

 private:
  QListWidget& names_;
  std::vector<std::string>& paths_;
  TPictureView& view_;
  const TFileFilterSettings& filter_;
};
