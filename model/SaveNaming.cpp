#include "model/SaveNaming.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <unordered_set>

#include "engine/FileNames.h"
#include "platform/PathText.h"

namespace {

// Longest file name the file systems here hold, in bytes.
constexpr std::size_t kMaxNameBytes = 255;

bool IsJpegExtension(const std::string& ext) { return ext == ".jpg" || ext == ".jpeg"; }

// Position of the extension's dot in the last component, or npos.
std::size_t ExtensionDot(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1))
    return std::string::npos;
  return dot;
}

std::string WithoutExtension(const std::string& path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string ExtensionOf(const std::string& path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string FolderPart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinName(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + '/' + name;
}

// The name the picture savers write: JPEG names stay, any other extension becomes ".bmp".
std::string SavedForm(const std::string& path) {
  if (IsJpegExtension(LowerExtension(path))) return path;
  return WithoutExtension(path) + ".bmp";
}

// A name the file system can hold: no NUL anywhere, a last component that is neither empty nor
// longer than the system allows.
bool Holdable(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  const std::string name = FileNameOf(path);
  return !name.empty() && name != "." && name != ".." && name.size() <= kMaxNameBytes;
}

// "0099" + 3 = "0102": decimal addition on the digits' text, however long it is.
std::string AddToDigits(const std::string& digits, std::size_t add) {
  std::string out = digits.empty() ? "0" : digits;
  std::size_t carry = add;
  for (std::size_t i = out.size(); i-- > 0 && carry > 0;) {
    carry += static_cast<std::size_t>(out[i] - '0');
    out[i] = static_cast<char>('0' + carry % 10);
    carry /= 10;
  }
  while (carry > 0) {
    out.insert(out.begin(), static_cast<char>('0' + carry % 10));
    carry /= 10;
  }
  return out;
}

}  // namespace

TSaveMethod SaveMethodOf(int value) {
  return value >= 0 && value <= 4 ? static_cast<TSaveMethod>(value) : TSaveMethod::kSerial;
}

std::vector<TSaveItem> ReadSaveItems(const std::vector<std::string>& lines, const PathText& paths) {
  std::vector<TSaveItem> items(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    TSaveItem& item = items[i];
    item.line = lines[i];
    switch (paths.LineKind(lines[i])) {
      case TDataLineKind::FilePath:
        item.kind = TSaveItemKind::kFile;
        item.path = lines[i];
        break;
      case TDataLineKind::CapData:
        if (ParseCapDataLine(lines[i], paths, item.record) && !item.record.path.empty()) {
          item.kind = TSaveItemKind::kRecord;
          item.path = item.record.path;
        }
        break;
      case TDataLineKind::Unknown:
        break;
    }
  }
  return items;
}

bool HoldsRecords(const std::vector<TSaveItem>& items) {
  return std::any_of(items.begin(), items.end(),
                     [](const TSaveItem& item) { return item.kind == TSaveItemKind::kRecord; });
}

TSerialBase SplitSerialBase(const std::string& name) {
  std::size_t first_digit = name.size();
  while (first_digit > 0 && name[first_digit - 1] >= '0' && name[first_digit - 1] <= '9')
    --first_digit;
  return TSerialBase{name.substr(0, first_digit), name.substr(first_digit)};
}

std::string SerialName(const TSerialBase& base, std::size_t index, std::size_t count) {
  const std::size_t count_digits = std::to_string(count).size();
  const std::size_t width = std::max(base.digits.size(), count_digits);
  std::string number = AddToDigits(base.digits.empty() ? "1" : base.digits, index);
  const std::size_t significant = number.find_first_not_of('0');
  number = significant == std::string::npos ? "0" : number.substr(significant);
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  return base.prefix + number;
}

std::string ChosenExtension(const std::string& chosen_path, int filter_index) {
  const std::string ext = ExtensionOf(FileNameOf(chosen_path));
  const std::string lower = LowerExtension(FileNameOf(chosen_path));
  if (lower == ".bmp" || IsJpegExtension(lower)) return ext;
  return filter_index == 1 ? ".bmp" : ".jpg";
}

std::string OfferedSaveName(const std::vector<TSaveItem>& items) {
  for (const TSaveItem& item : items)
    if (item.kind != TSaveItemKind::kUnusable) return WithoutExtension(FileNameOf(item.path));
  return "001";
}

int OfferedFilter(const std::string& offered_name) {
  return LowerExtension(offered_name) == ".bmp" ? 1 : 2;
}

TSaveChoice ReadSaveChoice(const std::string& chosen_path, int filter_index, bool keep_extension) {
  TSaveChoice choice;
  choice.folder = FolderPart(chosen_path);
  choice.base_name = WithoutExtension(FileNameOf(chosen_path));
  choice.extension = ChosenExtension(chosen_path, filter_index);
  choice.keep_extension = keep_extension;
  return choice;
}

TSavePlan PlanSaveNames(TSaveMethod method, const std::vector<TSaveItem>& items,
                        const TSaveChoice& choice) {
  TSavePlan plan;
  plan.destinations.resize(items.size());
  std::map<std::string, std::string> sub_folders;  // source folder -> its new folder
  if (method == TSaveMethod::kSubFolder) {
    for (const TSaveItem& item : items)
      if (item.kind != TSaveItemKind::kUnusable) sub_folders[FolderPart(item.path)];
    for (auto& [folder, sub] : sub_folders) {
      sub = MakeUniqueFolderName(folder);
      if (!sub.empty()) plan.new_folders.push_back(sub);
    }
  }
  const TSerialBase serial = SplitSerialBase(choice.base_name);
  std::unordered_set<std::string> promised;
  const auto reserved = [&promised](const std::string& name) { return promised.count(name) > 0; };
  for (std::size_t i = 0; i < items.size(); ++i) {
    const TSaveItem& item = items[i];
    TSaveDestination& destination = plan.destinations[i];
    if (item.kind == TSaveItemKind::kUnusable) {
      destination.refused = true;
      continue;
    }
    if (method == TSaveMethod::kOverwrite) continue;
    const std::string source_name = FileNameOf(item.path);
    const std::string extension =
        AsksForName(method) && !choice.keep_extension ? choice.extension : ExtensionOf(source_name);
    std::string wanted;
    switch (method) {
      case TSaveMethod::kSerial:
        wanted = JoinName(choice.folder, SerialName(serial, i, items.size()) + extension);
        break;
      case TSaveMethod::kSameName:
        wanted = JoinName(choice.folder, WithoutExtension(source_name) + extension);
        break;
      case TSaveMethod::kSubFolder: {
        const std::string& sub = sub_folders[FolderPart(item.path)];
        if (!sub.empty()) wanted = JoinName(sub, source_name);
        break;
      }
      case TSaveMethod::kSameFolder:
      case TSaveMethod::kOverwrite:
        wanted = item.path;
        break;
    }
    if (!wanted.empty()) wanted = SavedForm(wanted);
    if (!Holdable(wanted)) {
      destination.refused = true;
      continue;
    }
    std::string name = MakeFreeFileName(wanted, 2, reserved);
    if (name.empty() || !Holdable(name)) {
      destination.refused = true;
      continue;
    }
    promised.insert(name);
    destination.path = std::move(name);
  }
  return plan;
}

bool MakeSaveFolders(const TSavePlan& plan, std::string& failed_folder) {
  for (const std::string& folder : plan.new_folders) {
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    if (ec || !IsFolder(folder)) {
      failed_folder = FolderPart(folder);
      return false;
    }
  }
  return true;
}
