#include "engine/FileAccess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr char kTempStart[] = ".vlm-";
constexpr std::size_t kTempRandom = 6;  // the XXXXXX of mkstemp

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

std::string Reason(int code) { return std::strerror(code); }

// The file a path finally names once symbolic links are followed.
fs::path FinalTarget(const std::string& path) {
  fs::path target(path);
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
    const fs::path link = fs::read_symlink(target, ec);
    if (ec) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

fs::path FolderOf(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

bool WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// The writer's process id when name is one of the temporary names, else 0.
long TemporaryOwner(const std::string& name) {
  const std::size_t start = sizeof kTempStart - 1;
  if (name.compare(0, start, kTempStart) != 0) return 0;
  const std::size_t dash = name.find('-', start);
  if (dash == std::string::npos || dash == start || dash - start > 9) return 0;
  if (name.size() != dash + 1 + kTempRandom) return 0;
  long pid = 0;
  for (std::size_t i = start; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  for (std::size_t i = dash + 1; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return 0;
  }
  return pid;
}

}  // namespace

int OpenRegularFile(const std::string& path, std::string& error) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Reason(errno);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    error = Reason(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
    ::close(fd);
    return -1;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

bool ReadRegularFileStart(const std::string& path, std::size_t max_bytes, std::string& bytes,
                          std::size_t& file_size, std::string& error) {
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (!ok) error = Reason(errno);
  std::string data;
  if (ok) {
    data.resize(std::min(max_bytes, static_cast<std::size_t>(st.st_size)));
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = Reason(errno);
        ok = false;
      }
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    data.resize(done);  // a file that became shorter is read as far as it goes
  }
  ::close(fd);
  if (ok) {
    bytes.swap(data);
    file_size = static_cast<std::size_t>(st.st_size);
  }
  return ok;
}

bool ReadRegularFile(const std::string& path, std::size_t max_bytes, std::string& bytes,
                     std::string& error) {
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (!ok) error = Reason(errno);
  if (ok && static_cast<unsigned long long>(st.st_size) > max_bytes) {
    error = "the file is too large (" + std::to_string(st.st_size) + " bytes, at most " +
            std::to_string(max_bytes) + ")";
    ok = false;
  }
  std::string data;
  if (ok) {
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = Reason(errno);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (done != data.size()) {
      if (error.empty()) error = "the file became shorter while it was read";
      ok = false;
    }
  }
  ::close(fd);
  if (ok) bytes.swap(data);
  return ok;
}

bool CanReplaceFile(const std::string& path, std::string* error) {
  const fs::path target = FinalTarget(path);
  struct stat st;
  if (lstat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      SetError(error, "not a regular file: " + path);
      return false;
    }
    if ((st.st_mode & 0222) == 0) {
      SetError(error, "the file is read-only: " + path);
      return false;
    }
    if (access(target.c_str(), W_OK) != 0) {
      SetError(error, "cannot write " + path + ": " + Reason(errno));
      return false;
    }
  } else if (errno != ENOENT) {
    SetError(error, "cannot reach " + path + ": " + Reason(errno));
    return false;
  }
  const fs::path folder = FolderOf(target);
  if (access(folder.c_str(), W_OK) != 0) {
    SetError(error, "cannot write in the folder of " + path + ": " + Reason(errno));
    return false;
  }
  return true;
}

std::string TemporaryNamePrefix() { return kTempStart + std::to_string(::getpid()) + "-"; }

bool ReplaceFileBytes(const std::string& path, const std::string& bytes, std::string* error) {
  if (!CanReplaceFile(path, error)) return false;
  const fs::path target = FinalTarget(path);
  // A short name of the program's own: NAME.XXXXXX would pass the name length limit for long
  // names, and the pid lets a later start tell a leftover from a write in progress.
  std::string temp = (FolderOf(target) / (TemporaryNamePrefix() + "XXXXXX")).string();
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    SetError(error, "cannot create a temporary file beside " + path + ": " + Reason(errno));
    return false;
  }
  struct stat old_stat;
  if (stat(target.c_str(), &old_stat) == 0) {
    // Root replacing another user's file gives it back to that user; others cannot, and the
    // file then becomes theirs, as a copy would.
    if ((old_stat.st_uid != geteuid() || old_stat.st_gid != getegid()) &&
        fchown(fd, old_stat.st_uid, old_stat.st_gid) != 0) {
      // Not allowed: the new file is the writer's.
    }
    fchmod(fd, old_stat.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  std::string failure;
  if (!WriteAll(fd, bytes))
    failure = "cannot write " + path + ": " + Reason(errno);
  else if (fsync(fd) != 0)
    failure = "cannot write " + path + ": " + Reason(errno);
  if (::close(fd) != 0 && failure.empty()) failure = "cannot write " + path + ": " + Reason(errno);
  if (failure.empty() && std::rename(temp.c_str(), target.c_str()) != 0)
    failure = "cannot replace " + path + ": " + Reason(errno);
  if (!failure.empty()) {
    ::unlink(temp.c_str());
    SetError(error, failure);
    return false;
  }
  return true;
}

int RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    const long pid = TemporaryOwner(name);
    if (pid <= 0 || kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat st;
    if (fstatat(dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (unlinkat(dirfd(dir), name.c_str(), 0) == 0) ++removed;
  }
  closedir(dir);
  return removed;
}
