#include "engine/FileNames.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// How many numbered names a search tries before it gives up.
constexpr long long kMaxCandidates = 1000000;
// Stems whose last free number is remembered; the memory starts afresh past this.
constexpr std::size_t kMaxRemembered = 4096;

// The system reads a name up to its first NUL: such a path names some other file.
bool HoldsNul(const std::string& path) { return path.find('\0') != std::string::npos; }

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::path(path), ec);
}

std::string Padded(long long n, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", digits, n);
  return buf;
}

// Position of the extension's dot in the last path component, or npos.
std::size_t ExtensionDot(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return std::string::npos;
  return dot;
}

}  // namespace

std::string LowerExtension(const std::string& path) {
  const std::size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return {};
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return ext;
}

std::string MakeFreeFileName(const std::string& path, int digits) {
  return MakeFreeFileName(path, digits, [](const std::string&) { return false; });
}

std::string MakeFreeFileName(const std::string& path, int digits,
                             const std::function<bool(const std::string&)>& reserved) {
  if (path.empty() || HoldsNul(path)) return {};
  const auto taken = [&reserved](const std::string& name) {
    return reserved(name) || Exists(name);
  };
  if (!taken(path)) return path;
  digits = std::clamp(digits, 1, 5);
  const std::size_t dot = ExtensionDot(path);
  const std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : path.substr(dot);
  auto candidate = [&](long long n) { return stem + "_" + Padded(n, digits) + ext; };
  // A long list cut from one picture asks for the next free name of the same stem thousands of
  // times: the search starts after the name found last time while that one is still taken, so
  // saving n records costs n checks instead of n * n / 2.
  static std::mutex mutex;
  static std::map<std::string, long long> last_found;
  const std::string key = stem + '\0' + ext + '\0' + std::to_string(digits);
  long long start = 1;
  {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = last_found.find(key);
    if (it != last_found.end()) start = it->second;
  }
  if (start > 1 && !taken(candidate(start))) start = 1;
  // Past the digit count the numbers simply grow wider; the search is bounded all the same.
  for (long long n = start; n < start + kMaxCandidates; ++n) {
    std::string name = candidate(n);
    if (taken(name)) continue;
    std::lock_guard<std::mutex> lock(mutex);
    if (last_found.size() >= kMaxRemembered) last_found.clear();
    last_found[key] = n;
    return name;
  }
  return {};
}

std::string MakeUniqueFolderName(const std::string& folder) {
  if (HoldsNul(folder)) return {};
  std::string base = folder;
  if (base.empty() || base.back() != '/') base += '/';
  for (long long n = 1; n <= kMaxCandidates; ++n) {
    std::string candidate = base + Padded(n, 3);
    std::error_code ec;
    if (!fs::is_directory(fs::path(candidate), ec)) return candidate;
  }
  return {};
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && !HoldsNul(path) && fs::is_regular_file(fs::path(path), ec);
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && !HoldsNul(path) && fs::is_directory(fs::path(path), ec);
}

bool IsMetafileName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == ".wmf" || ext == ".emf";
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
