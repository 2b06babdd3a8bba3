#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/PathText.h"

struct TFileFilterSettings;

// The list operations behind the file list and the cap data list, without widgets.

// The file mask of the folder listing: the picture kinds in their fixed order, joined by ";"
// ("*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf" with every kind on), followed by the other formats'
// patterns when other_formats is on.
std::string FolderFileMask(const TFileFilterSettings& filter, bool other_formats = false);
// The patterns of the other formats read through Qt's image readers.
inline constexpr const char* kOtherFormatsMask = "*.png;*.gif;*.tif;*.tiff;*.webp";

// True when name matches one of mask's ";"-separated patterns ("*.ext", "*" or "*.*"), ignoring
// case.
bool MatchesMask(const std::string& name, const std::string& mask);

// The files of folder (not of its subfolders) whose names match the mask, sorted by name
// ignoring case. Full paths. An unreadable folder gives an empty list.
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask);

// Case-insensitive text order of the sorts (ASCII letters folded; other bytes as they are).
bool LessIgnoringCase(const std::string& a, const std::string& b);

enum class TFileSortKey { kName, kPath, kExtName, kFileSize, kDate };

// The sort key of a file: its name, its extension, its size as nine digits ("-1" when missing or
// unreadable), or its time stamp as a packed date-time number ("-1" when missing).
std::string FileSortKey(const std::string& path, TFileSortKey key);
// Packed date-time of a time stamp in local time: the date in the high 16 bits
// ((year-1980)<<9 | month<<5 | day) and the time in the low 16 bits
// (hour<<11 | minute<<5 | second/2).
long long PackedDateTime(long long unix_seconds);

// The new order of paths for a sort: by path, the paths as text ignoring case; otherwise the
// text key + "=" + the old index as "%5d", compared ignoring case. Entry i of the result is the
// old index of the entry that goes to position i.
std::vector<std::size_t> FileSortOrder(const std::vector<std::string>& paths, TFileSortKey key);

enum class TCapSortKey { kName, kPath, kLeftWithPath, kTopWithPath };

// The new order of cap data lines: by path, the lines as text; by name, the file name + "=" +
// index; by left or top, the path + the value as "%8d" + "=" + index.
std::vector<std::size_t> CapSortOrder(const std::vector<std::string>& lines, TCapSortKey key,
                                      const PathText& paths);

template <typename T>
std::vector<T> Reordered(const std::vector<T>& items, const std::vector<std::size_t>& order) {
  std::vector<T> out;
  out.reserve(order.size());
  for (std::size_t index : order) out.push_back(items[index]);
  return out;
}

// Removes the entries whose mark is set (marks beyond the end count as unset), keeping the order
// of the others, in one pass.
template <typename T>
void EraseMarked(std::vector<T>& items, const std::vector<bool>& marked) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i < marked.size() && marked[i]) continue;
    // Never moved onto itself: a string moved onto itself comes out empty.
    if (kept != i) items[kept] = std::move(items[i]);
    ++kept;
  }
  items.resize(kept);
}

// Extensions of the pictures taken from dropped items (the file mask settings do not apply).
inline constexpr const char* kDropMask = "*.BMP;*.JPG;*.JPEG;*.ICO;*.WMF;*.EMF";

// Dropped items told apart: the picture files (by mask) in their dropped order, and the folders
// sorted. Items that are neither (other files, things gone) are left out.
struct TDroppedItems {
  std::vector<std::string> files;
  std::vector<std::string> folders;
};
TDroppedItems SortDroppedItems(const std::vector<std::string>& items, const std::string& mask);
// The dropped files, then each folder's own pictures sorted by name. A folder that is gone or
// cannot be read by now adds nothing.
std::vector<std::string> DroppedPictures(TDroppedItems dropped, const std::string& mask);

// Dropped files and folders: the picture files in their dropped order, then for each dropped
// folder in sorted order its own pictures sorted by name. first_folder receives the first of the
// sorted folders (empty when none).
std::vector<std::string> CollectDropped(const std::vector<std::string>& items,
                                        const std::string& mask, std::string* first_folder);

// Indexes, from the last to the first, of the entries whose file does not exist. For cap data
// lines the decoded path field is tested.
std::vector<std::size_t> MissingEntries(const std::vector<std::string>& lines, bool cap_data,
                                        const PathText& paths);

// Removes the entries whose file does not exist (see MissingEntries); returns how many went.
std::size_t RemoveMissingEntries(std::vector<std::string>& lines, bool cap_data,
                                 const PathText& paths);

// The name for a new data file in folder: its last component, or the drive for a drive root,
// followed by ".txt".
std::string NewDataFileNameFor(const std::string& folder, const PathText& paths);
