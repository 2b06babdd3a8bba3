#pragma once

#include <QLockFile>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QLocalServer;

// What a later start sends to the viewer that owns the program folder: "VLM1", the length of the
// path in four bytes (most significant first), then the path's bytes as the file system has them
// (a name need not be UTF-8). An empty path only asks the viewer to come to the front. The viewer
// answers with kHandOverAccepted once it has the whole path.
constexpr std::string_view kHandOverMagic = "VLM1";
constexpr std::size_t kHandOverMaxPath = 64 * 1024;
constexpr char kHandOverAccepted = 'A';

std::string EncodeHandOver(std::string_view path);

// Collects one hand-over from the bytes as they arrive.
class THandOverReader {
 public:
  enum class TState { kIncomplete, kComplete, kInvalid };
  // Anything after a complete hand-over, a wrong start or a length over kHandOverMaxPath makes
  // it invalid for good.
  TState Add(std::string_view bytes);
  TState State() const { return state_; }
  const std::string& Path() const { return path_; }

 private:
  TState state_ = TState::kIncomplete;
  std::string buffer_;
  std::string path_;
};

// The local socket name of the viewer that owns a program folder: the same for every way of
// writing the folder's path, different for other folders and for other users.
std::string HandOverServerName(const std::string& program_folder);

// One viewer per program folder writes its settings and lists. The first start holds the
// folder's lock file and listens for later starts; a later start hands its argument over and
// ends. The lock of a viewer that died is taken over by QLockFile's own rules (its process is
// gone); a live one is never taken, however old.
class TFolderInstance {
 public:
  enum class TStart {
    kOwner,       // this process writes the folder's files and listens
    kHandedOver,  // the owner has the argument: this process ends
    kNotWriting,  // an owner holds the lock but did not answer in time
  };
  static constexpr const char* kLockFile = "Velmora.lock";

  explicit TFolderInstance(const std::string& program_folder);
  ~TFolderInstance();
  TFolderInstance(const TFolderInstance&) = delete;
  TFolderInstance& operator=(const TFolderInstance&) = delete;

  // Tries again until timeout has passed while the lock is held and nobody answers: the owner
  // may still be starting, or closing and about to give the lock up.
  TStart Start(const std::string& path, std::chrono::milliseconds timeout);

  // Where the owner's hand-overs go. Those that came before a receiver was set are given to it
  // at once, in order.
  void SetReceiver(std::function<void(const std::string&)> receiver);
  // The owner's window is closing: later starts wait for the lock instead of handing over to a
  // window that is going away. The lock is given up when this object goes.
  void StopListening();

 private:
  bool HandOver(const std::string& path, std::chrono::milliseconds timeout) const;
  void Listen();
  void Receive(const std::string& path);

  std::string server_name_;
  QLockFile lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void(const std::string&)> receiver_;
  std::vector<std::string> pending_;
};
