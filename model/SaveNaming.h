#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/CaptureBasics.h"

class PathText;

// The names of a batch save: which file each item of a list is written to. Every name is decided
// before the first picture is written, so that two items never share a name and no item writes
// over a file that was there before, except with the overwrite method (which asks first).

// The save methods, in the order of the dialog's choices.
enum class TSaveMethod {
  kSerial = 0,     // 連番で保存する: a chosen name numbered on
  kSameName = 1,   // 同じ名前で保存する: each source's name in a chosen folder
  kOverwrite = 2,  // 上書き保存する: over each source file
  kSubFolder = 3,  // サブフォルダに保存する: a new numbered folder inside each source folder
  kSameFolder = 4,  // 同じフォルダに保存する: beside each source under a free name
};
// The method of a stored number; anything out of range is the serial method.
TSaveMethod SaveMethodOf(int value);
// Methods whose destination folder and name come from the save picture dialog.
inline bool AsksForName(TSaveMethod method) {
  return method == TSaveMethod::kSerial || method == TSaveMethod::kSameName;
}

// One item of a list to save: a picture file or a cap data record, and the picture file the
// item comes from (what its name follows). A line of neither kind, or a record that cannot be
// read, is unusable: it is counted as not saved.
enum class TSaveItemKind { kFile, kRecord, kUnusable };
struct TSaveItem {
  TSaveItemKind kind = TSaveItemKind::kUnusable;
  std::string line;  // as listed
  std::string path;  // the picture file
  TCapData record;   // kRecord only
};
// Each line by its own kind, so that a list mixing picture paths and cap data lines saves both.
std::vector<TSaveItem> ReadSaveItems(const std::vector<std::string>& lines, const PathText& paths);
bool HoldsRecords(const std::vector<TSaveItem>& items);

// A serial base name split into its text and its trailing decimal digits: "photo08" is
// "photo" + "08"; a name without digits starts at 1 with no width of its own.
struct TSerialBase {
  std::string prefix;
  std::string digits;  // as typed, leading zeros included; empty when there are none
};
TSerialBase SplitSerialBase(const std::string& name);
// The name of item index (from 0) of count: prefix, then the start number plus index padded
// with zeros to the digits' width, raised to the number of digits of count. photo08 with 150
// items runs photo008 .. photo157; 001 with 5 items 001 .. 005; a with 5 items a1 .. a5. Start
// numbers of any length count on exactly.
std::string SerialName(const TSerialBase& base, std::size_t index, std::size_t count);

// The extension the save picture dialog's answer gives: the chosen name's own when it is
// ".bmp", ".jpg" or ".jpeg" (as typed), otherwise ".bmp" for the first filter and ".jpg" for the
// second.
std::string ChosenExtension(const std::string& chosen_path, int filter_index);
// The name offered in the save picture dialog: the first item's file name without extension,
// or "001"; and the filter offered with it (1 for a ".bmp" name, else 2).
std::string OfferedSaveName(const std::vector<TSaveItem>& items);
int OfferedFilter(const std::string& offered_name);

// What the save picture dialog answered (serial and same-name methods).
struct TSaveChoice {
  std::string folder;           // where the pictures go
  std::string base_name;        // the chosen name without its extension (serial method)
  std::string extension;        // ChosenExtension
  bool keep_extension = false;  // each item keeps its source's extension instead
};
TSaveChoice ReadSaveChoice(const std::string& chosen_path, int filter_index, bool keep_extension);

// The destination of each item. An empty path with the overwrite method is the source itself;
// refused marks an item for which no name can be made (a source that is not usable, a name the
// file system cannot hold); it is not saved.
struct TSaveDestination {
  std::string path;
  bool refused = false;
};
struct TSavePlan {
  std::vector<TSaveDestination> destinations;  // one per item
  std::vector<std::string> new_folders;        // to be made before the run (subfolder method)
};
// Decides every name. A picture is written as JPEG under a ".jpg"/".jpeg" name and as BMP under
// any other, whose extension becomes ".bmp"; a name that is taken on the disk or by an earlier
// item becomes free as photo_01.jpg, photo_02.jpg, ... The subfolder method gives each source
// folder (compared exactly, as the file system does) the first free folder 001, 002, ... inside
// it.
TSavePlan PlanSaveNames(TSaveMethod method, const std::vector<TSaveItem>& items,
                        const TSaveChoice& choice);

// Makes the plan's new folders. False with the folder that could not be made.
bool MakeSaveFolders(const TSavePlan& plan, std::string& failed_folder);
