#include "model/FileLists.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <numeric>

#include "engine/EffectFields.h"
#include "model/Settings.h"

namespace {

unsigned char Fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

std::vector<std::string> SplitMask(const std::string& mask) {
  std::vector<std::string> patterns;
  for (std::size_t start = 0; start <= mask.size();) {
    const std::size_t end = std::min(mask.find(';', start), mask.size());
    if (end > start) patterns.push_back(mask.substr(start, end - start));
    start = end + 1;
  }
  return patterns;
}

bool EqualIgnoringCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (pattern.size() < 2 || pattern[0] != '*')
    return name.size() == pattern.size() &&
           EqualIgnoringCase(name.data(), pattern.data(), name.size());
  const std::size_t tail = pattern.size() - 1;
  return name.size() >= tail &&
         EqualIgnoringCase(name.data() + name.size() - tail, pattern.data() + 1, tail);
}

std::vector<std::string> SplitFields(const std::string& line, char delimiter) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t end; (end = line.find(delimiter, start)) != std::string::npos; start = end + 1)
    fields.push_back(line.substr(start, end - start));
  fields.push_back(line.substr(start));
  return fields;
}

std::string Index5(std::size_t index) {
  char text[24];
  std::snprintf(text, sizeof text, "%5zu", index);
  return text;
}

std::string Int8(long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%8lld", value);
  return text;
}

// Sorts indexes by their keys; keys end with the unique index, so the order is total.
std::vector<std::size_t> OrderByKeys(const std::vector<std::string>& keys) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
    return LessIgnoringCase(keys[a], keys[b]);
  });
  return order;
}

bool Exists(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string FolderFileMask(const TFileFilterSettings& filter, bool other_formats) {
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
  add(other_formats, kOtherFormatsMask);
  return mask;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  for (const std::string& pattern : SplitMask(mask))
    if (MatchesPattern(name, pattern)) return true;
  return false;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = Fold(static_cast<unsigned char>(a[i]));
    const unsigned char y = Fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask) {
  const std::vector<std::string> patterns = SplitMask(mask);
  std::vector<std::pair<std::string, std::string>> found;  // name, path
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code type_ec;
    if (!it->is_regular_file(type_ec)) continue;
    std::string name = it->path().filename().string();
    if (std::any_of(patterns.begin(), patterns.end(),
                    [&name](const std::string& p) { return MatchesPattern(name, p); }))
      found.emplace_back(std::move(name), it->path().string());
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return LessIgnoringCase(a.first, b.first) ||
           (!LessIgnoringCase(b.first, a.first) && a.first < b.first);
  });
  std::vector<std::string> paths;
  paths.reserve(found.size());
  for (auto& entry : found) paths.push_back(std::move(entry.second));
  return paths;
}

long long PackedDateTime(long long unix_seconds) {
  const std::time_t t = static_cast<std::time_t>(unix_seconds);
  std::tm local{};
  if (!localtime_r(&t, &local)) return -1;
  const long long year = local.tm_year + 1900 - 1980;
  if (year < 0 || year > 127) return -1;
  const long long date = (year << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday;
  const long long time = (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2);
  return (date << 16) | time;
}

std::string FileSortKey(const std::string& path, TFileSortKey key) {
  switch (key) {
    case TFileSortKey::kName:
    case TFileSortKey::kPath:
      return std::filesystem::path(path).filename().string();
    case TFileSortKey::kExtName:
      return std::filesystem::path(path).extension().string();
    case TFileSortKey::kFileSize:
    case TFileSortKey::kDate: {
      struct stat info;
      if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return "-1";
      char text[32];
      if (key == TFileSortKey::kFileSize) {
        std::snprintf(text, sizeof text, "%09lld", static_cast<long long>(info.st_size));
        return text;
      }
      std::snprintf(text, sizeof text, "%lld", PackedDateTime(info.st_mtime));
      return text;
    }
  }
  return {};
}

std::vector<std::size_t> FileSortOrder(const std::vector<std::string>& paths, TFileSortKey key) {
  std::vector<std::string> keys;
  keys.reserve(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (key == TFileSortKey::kPath)
      keys.push_back(paths[i]);
    else
      keys.push_back(FileSortKey(paths[i], key) + "=" + Index5(i));
  }
  return OrderByKeys(keys);
}

std::vector<std::size_t> CapSortOrder(const std::vector<std::string>& lines, TCapSortKey key,
                                      const PathText& paths) {
  std::vector<std::string> keys;
  keys.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (key == TCapSortKey::kPath) {
      keys.push_back(line);
      continue;
    }
    const std::vector<std::string> fields = SplitFields(line, '/');
    const std::string path = fields.empty() ? std::string() : paths.DecodeRecordPath(fields[0]);
    if (key == TCapSortKey::kName) {
      keys.push_back(paths.FileName(path) + "=" + Index5(i));
      continue;
    }
    const std::size_t field = key == TCapSortKey::kLeftWithPath ? 1 : 2;
    long long value = 0;
    if (fields.size() > field) {
      int parsed = 0;
      if (effect_fields::ParseInt(fields[field], parsed)) value = parsed;
    }
    keys.push_back(path + Int8(value) + "=" + Index5(i));
  }
  return OrderByKeys(keys);
}

TDroppedItems SortDroppedItems(const std::vector<std::string>& items, const std::string& mask) {
  // The mask is split once: a drop of 100,000 files costs one check and one stat a file.
  const std::vector<std::string> patterns = SplitMask(mask);
  TDroppedItems dropped;
  for (const std::string& item : items) {
    std::error_code ec;
    if (std::filesystem::is_directory(item, ec)) {
      dropped.folders.push_back(item);
      continue;
    }
    const std::size_t slash = item.find_last_of('/');
    const std::string name = slash == std::string::npos ? item : item.substr(slash + 1);
    if (std::any_of(patterns.begin(), patterns.end(),
                    [&name](const std::string& p) { return MatchesPattern(name, p); }))
      dropped.files.push_back(item);
  }
  std::sort(dropped.folders.begin(), dropped.folders.end());
  return dropped;
}

std::vector<std::string> DroppedPictures(TDroppedItems dropped, const std::string& mask) {
  std::vector<std::string> files = std::move(dropped.files);
  for (const std::string& folder : dropped.folders) {
    std::vector<std::string> own = ListFolderFiles(folder, mask);
    files.insert(files.end(), std::make_move_iterator(own.begin()),
                 std::make_move_iterator(own.end()));
  }
  return files;
}

std::vector<std::string> CollectDropped(const std::vector<std::string>& items,
                                        const std::string& mask, std::string* first_folder) {
  TDroppedItems dropped = SortDroppedItems(items, mask);
  if (first_folder) *first_folder = dropped.folders.empty() ? std::string() : dropped.folders[0];
  return DroppedPictures(std::move(dropped), mask);
}

std::vector<std::size_t> MissingEntries(const std::vector<std::string>& lines, bool cap_data,
                                        const PathText& paths) {
  std::vector<std::size_t> missing;
  for (std::size_t i = lines.size(); i-- > 0;) {
    std::string path = lines[i];
    if (cap_data) {
      const std::size_t slash = path.find('/');
      path = paths.DecodeRecordPath(path.substr(0, slash));
    }
    if (!Exists(path)) missing.push_back(i);
  }
  return missing;
}

std::size_t RemoveMissingEntries(std::vector<std::string>& lines, bool cap_data,
                                 const PathText& paths) {
  const std::vector<std::size_t> missing = MissingEntries(lines, cap_data, paths);
  for (std::size_t index : missing) lines.erase(lines.begin() + static_cast<long>(index));
  return missing.size();
}

std::string NewDataFileNameFor(const std::string& folder, const PathText& paths) {
  const std::string text = paths.FolderText(folder);
  std::string name = paths.FileName(text);
  if (name.empty()) name = paths.Style() == TPathStyle::Windows ? text.substr(0, 1) : "root";
  return name + ".txt";
}
