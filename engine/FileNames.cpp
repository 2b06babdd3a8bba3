#include "engine/FileNames.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

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
  if (path.empty()) return {};
  if (!Exists(path)) return path;
  digits = std::clamp(digits, 1, 5);
  const std::size_t dot = ExtensionDot(path);
  const std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : path.substr(dot);
  // Past the digit count the numbers simply grow wider, so a free name is always found.
  for (long long n = 1; n < 100000000; ++n) {
    std::string candidate = stem + "_" + Padded(n, digits) + ext;
    if (!Exists(candidate)) return candidate;
  }
  return {};
}

std::string MakeUniqueFolderName(const std::string& folder) {
  std::string base = folder;
  if (base.empty() || base.back() != '/') base += '/';
  for (long long n = 1; n < 100000000; ++n) {
    std::string candidate = base + Padded(n, 3);
    std::error_code ec;
    if (!fs::is_directory(fs::path(candidate), ec)) return candidate;
  }
  return {};
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

bool IsMetafileName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == ".wmf" || ext == ".emf";
}
