#pragma once

#include <QThread>
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Search of a whole folder tree for pictures.

// The extension filter of a mask: every "*" removed, upper-cased, ";" appended ("*.bmp;*.jpg"
// becomes ".BMP;.JPG;"); empty for a mask holding "*.*", which takes every file.
std::string SearchFilter(const std::string& mask);
// True when a file name passes the filter: its upper-cased extension followed by ";" occurs in it.
bool PassesSearchFilter(const std::string& name, const std::string& filter);

struct TSearchResult {
  enum class TEnd { kDone, kNoRoot, kLimit, kStopped, kError };
  TEnd end = TEnd::kDone;
  std::vector<std::string> files;
  std::string limit_folder;  // the folder whose files went beyond the limit
  std::string error;
};

// Lists the folders under root breadth first (never entering a folder that was already listed,
// so symbolic link loops end), sorts them by path, and collects each one's matching files sorted
// by name, up to limit files. stop is tested after every directory entry; status receives the
// progress captions ("検索中", "残り数 = N").
TSearchResult SearchAllFiles(const std::string& root, const std::string& mask, std::size_t limit,
                             const std::atomic<bool>& stop,
                             const std::function<void(const std::string&)>& status = {});

// The message of a finished search.
std::string SearchResultMessage(const TSearchResult& result, std::size_t limit);

// The search as a worker thread of normal priority. The result is handed over on the thread of
// the object that started it (finished_search is queued there), so the lists are filled by the
// user-interface thread in one update.
class TFileSearchAllThread : public QThread {
  Q_OBJECT

 public:
  static constexpr std::size_t kLimit = 32736;

  TFileSearchAllThread(std::string root, std::string mask, QObject* parent = nullptr);
  ~TFileSearchAllThread() override;

  // Asks the thread to end after the directory entry it is reading.
  void Stop() { stop_ = true; }
  const TSearchResult& Result() const { return result_; }

 signals:
  void StatusChanged(const QString& caption);
  void SearchFinished();

 protected:
  void run() override;

 private:
  std::string root_;
  std::string mask_;
  std::atomic<bool> stop_{false};
  TSearchResult result_;
};
