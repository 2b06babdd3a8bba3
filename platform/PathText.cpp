#include "platform/PathText.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Builds a new text in one pass: replacing in place would move the tail at every hit, which is
// quadratic on long lines from data files.
std::string ReplaceAll(const std::string& s, const std::string& from, const std::string& to) {
  std::string out;
  out.reserve(s.size());
  std::size_t start = 0, pos = 0;
  while ((pos = s.find(from, start)) != std::string::npos) {
    out.append(s, start, pos - start);
    out.append(to);
    start = pos + from.size();
  }
  out.append(s, start, std::string::npos);
  return out;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

// Mount points in /proc/self/mounts write blanks and the like as octal escapes (\040).
std::string UnescapeMountPoint(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() &&
        std::all_of(s.begin() + i + 1, s.begin() + i + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

// "(@" of a name inside a record path field: "(" as its byte escape, then "@".
constexpr const char* kGuardedEscapeStart = "(@X28)@";

const char* const kMarkers[] = {PathText::kFileFolderMarker, PathText::kAppFolderMarker,
                                PathText::kFileDriveMarker, PathText::kAppDriveMarker};

// The marker a line starts with, or nullptr.
const char* MarkerOf(const std::string& line) {
  for (const char* m : kMarkers)
    if (StartsWith(line, m)) return m;
  return nullptr;
}

}  // namespace

PathText::PathText(TPathStyle style, std::vector<std::string> drives)
    : style_(style), drives_(std::move(drives)) {}

PathText PathText::Native() {
  std::ifstream in("/proc/self/mounts");
  std::stringstream table;
  table << in.rdbuf();
  return PathText(TPathStyle::Posix, DrivesFromMounts(table.str()));
}

std::vector<std::string> PathText::DrivesFromMounts(const std::string& mounts_table) {
  static const std::set<std::string> kRealTypes = {
      "ext2",    "ext3",    "ext4",    "xfs",  "btrfs", "vfat", "exfat",    "ntfs",
      "ntfs3",   "fuseblk", "iso9660", "udf",  "f2fs",  "zfs",  "jfs",      "reiserfs",
      "hfsplus", "nfs",     "nfs4",    "cifs", "smb3",  "9p",   "virtiofs", "fuse.sshfs"};
  static const char* const kSystemPlaces[] = {"/boot", "/proc", "/sys", "/dev", "/run", "/var",
                                              "/snap", "/tmp",  "/usr", "/etc", "/opt"};
  std::vector<std::string> drives{""};  // the root is always a drive
  std::istringstream lines(mounts_table);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, point, type;
    if (!(fields >> device >> point >> type)) continue;
    point = UnescapeMountPoint(point);
    if (point == "/" || kRealTypes.count(type) == 0) continue;
    const bool removable_place = StartsWith(point, "/run/media/");
    bool system = false;
    for (const char* place : kSystemPlaces)
      if (point == place || StartsWith(point, std::string(place) + "/")) system = true;
    if (system && !removable_place) continue;
    if (std::find(drives.begin(), drives.end(), point) == drives.end()) drives.push_back(point);
  }
  return drives;
}

std::string PathText::FolderText(const std::string& folder) const {
  if (style_ == TPathStyle::Windows) {
    if (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\') return folder.substr(0, 2);
    std::string f = folder;
    while (f.size() > 3 && f.back() == '\\') f.pop_back();
    return f;
  }
  std::string f = folder;
  while (!f.empty() && f.back() == '/') f.pop_back();
  return f;
}

std::string PathText::Join(const std::string& folder, const std::string& name) const {
  const char sep = Separator();
  std::string f = FolderText(folder);
  std::size_t skip = 0;
  while (skip < name.size() && name[skip] == sep) ++skip;
  return f + sep + name.substr(skip);
}

std::string PathText::FileName(const std::string& path) const {
  const std::size_t pos =
      style_ == TPathStyle::Posix ? path.find_last_of('/') : path.find_last_of("\\:");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string PathText::FolderOf(const std::string& path) const {
  const std::size_t pos = path.find_last_of(Separator());
  if (pos == std::string::npos) return {};
  return FolderText(path.substr(0, pos + 1));
}

std::string PathText::DriveOf(const std::string& path) const {
  if (style_ == TPathStyle::Windows)
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
  std::string best;
  for (const std::string& d : drives_) {
    if (d.size() > best.size() && StartsWith(path, d) &&
        (path.size() == d.size() || path[d.size()] == '/'))
      best = d;
  }
  return best;
}

std::string PathText::ReplaceDrive(const std::string& path, const std::string& drive) const {
  if (style_ == TPathStyle::Windows)
    return path.size() >= 2 && path[1] == ':' ? drive + path.substr(2) : path;
  if (path.empty() || path[0] != '/') return path;
  return drive + path.substr(DriveOf(path).size());
}

bool PathText::IsKnownDrive(const std::string& drive) const {
  return std::any_of(drives_.begin(), drives_.end(), [&](const std::string& d) {
    return style_ == TPathStyle::Windows ? Upper(d) == Upper(drive) : d == drive;
  });
}

// A name that itself holds "(@" (as in "(@BSL)") has its "(" written as the byte escape of
// the program's files, so that decoding cannot take it for an escape.
std::string PathText::EncodeRecordPath(const std::string& native) const {
  if (style_ == TPathStyle::Windows) return native;
  if (native.find("(@") == std::string::npos)
    return ReplaceAll(ReplaceAll(native, "\\", "(@BSL)"), "/", "\\");
  const std::string guarded = ReplaceAll(native, "(@", kGuardedEscapeStart);
  return ReplaceAll(ReplaceAll(guarded, "\\", "(@BSL)"), "/", "\\");
}

std::string PathText::DecodeRecordPath(const std::string& field) const {
  if (style_ == TPathStyle::Windows) return field;
  std::string native = ReplaceAll(ReplaceAll(field, "\\", "/"), "(@BSL)", "\\");
  if (native.find(kGuardedEscapeStart) == std::string::npos) return native;
  return ReplaceAll(native, kGuardedEscapeStart, "(@");
}

TDataLineKind PathText::LineKind(const std::string& line) const {
  // No name holds a NUL byte: a line with one would be cut short where the system reads it.
  if (line.find('\0') != std::string::npos) return TDataLineKind::Unknown;
  const std::string rest = MarkerOf(line) ? line.substr(5) : line;
  const bool has_slash = rest.find('/') != std::string::npos;
  const bool has_backslash = rest.find('\\') != std::string::npos;
  if (style_ == TPathStyle::Windows) {
    const bool has_dot = rest.find('.') != std::string::npos;
    if (has_slash && has_backslash && has_dot) return TDataLineKind::CapData;
    if (!has_slash && rest.find(',') == std::string::npos && has_backslash && has_dot)
      return TDataLineKind::FilePath;
    return TDataLineKind::Unknown;
  }
  if (has_slash && rest[0] != '/') return TDataLineKind::CapData;
  if (!rest.empty() && rest[0] == '/') return TDataLineKind::FilePath;
  if (has_backslash && !has_slash) return TDataLineKind::FilePath;
  return TDataLineKind::Unknown;
}

std::string PathText::LinePathForm(const std::string& native, bool cap_data) const {
  return cap_data ? EncodeRecordPath(native) : native;
}

std::string PathText::ResolveReference(const std::string& line,
                                       const TReferenceRoots& roots) const {
  const char* marker = MarkerOf(line);
  if (!marker) {
    if (line.empty() || line[0] != '\\') return line;
    if (style_ == TPathStyle::Windows) return roots.windows_drive + line;
    // A drive-less Windows path: on this platform the system drive is the root.
    if (LineKind(line) == TDataLineKind::FilePath) return ReplaceAll(line, "\\", "/");
    return line;
  }
  std::string root;
  const std::string m = marker;
  if (m == kFileFolderMarker)
    root = roots.data_folder;
  else if (m == kAppFolderMarker)
    root = roots.program_folder;
  else if (m == kFileDriveMarker)
    root = roots.data_drive;
  else
    root = roots.program_drive;
  std::string rest = line.substr(5);
  if (style_ == TPathStyle::Windows) return root + rest;
  if (LineKind(rest) == TDataLineKind::CapData) return EncodeRecordPath(root) + rest;
  if (rest.find('/') == std::string::npos) rest = ReplaceAll(rest, "\\", "/");
  return root + rest;
}

bool PathText::StartsWithPath(const std::string& text, const std::string& prefix) const {
  if (style_ == TPathStyle::Windows) return StartsWith(Upper(text), Upper(prefix));
  return StartsWith(text, prefix);
}

std::string PathText::MakeReference(const std::string& line, const std::string& data_folder,
                                    bool drive_only) const {
  const bool cap = LineKind(line) == TDataLineKind::CapData;
  const std::string folder = LinePathForm(FolderText(data_folder), cap);
  const std::string drive = LinePathForm(DriveOf(FolderText(data_folder)), cap);
  const char sep = style_ == TPathStyle::Windows || cap ? '\\' : '/';
  // The prefix must end at a separator: C:\a is not the folder of C:\ab\x.jpg.
  auto lies_in = [&](const std::string& root) {
    return line.size() > root.size() && StartsWithPath(line, root) && line[root.size()] == sep;
  };
  if (!drive_only && lies_in(folder)) return kFileFolderMarker + line.substr(folder.size());
  if (style_ == TPathStyle::Windows) {
    if (drive.size() == 2 && StartsWithPath(line, drive)) return kFileDriveMarker + line.substr(2);
    return line;
  }
  if (lies_in(drive)) return kFileDriveMarker + line.substr(drive.size());
  return line;
}

std::string ProgramFolder(const std::string& executable_folder, const std::string& config_folder) {
  const PathText posix(TPathStyle::Posix);
  // A program under /usr was installed there for every user (by its package or by
  // `cmake --install`): even root, who may write there, keeps settings and lists per user, so
  // that removing the package leaves nothing of the program behind.
  const bool shared = executable_folder.rfind("/usr/", 0) == 0;
  if (!executable_folder.empty() && !shared && access(executable_folder.c_str(), W_OK) == 0)
    return posix.FolderText(executable_folder);
  std::error_code ec;
  std::filesystem::create_directories(config_folder, ec);
  return posix.FolderText(config_folder);
}
