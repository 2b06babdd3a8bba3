#include "browse/DataFile.h"

#include <algorithm>
#include <filesystem>

#include "platform/LineFile.h"

TReferenceRoots DataFileRoots(const std::string& data_file, const std::string& program_folder,
                              const PathText& paths) {
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(data_file, ec).string();
  if (ec) absolute = data_file;
  TReferenceRoots roots;
  roots.data_folder = paths.FolderOf(absolute);
  roots.data_drive = paths.DriveOf(roots.data_folder);
  roots.program_folder = paths.FolderText(program_folder);
  roots.program_drive = paths.DriveOf(roots.program_folder);
  return roots;
}

bool ReadDataFile(const std::string& data_file, const std::string& program_folder,
                  const PathText& paths, std::vector<std::string>& lines, std::string* error) {
  std::vector<std::string> raw;
  lines.clear();
  if (!LineFile::Read(data_file, raw, error)) return false;
  const TReferenceRoots roots = DataFileRoots(data_file, program_folder, paths);
  lines.reserve(raw.size());
  for (const std::string& line : raw) lines.push_back(paths.ResolveReference(line, roots));
  return true;
}

bool WriteDataFile(const std::string& data_file, const std::vector<std::string>& lines,
                   bool reference, bool drive_only, const PathText& paths, std::string* error) {
  if (!reference) return LineFile::Write(data_file, lines, error);
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(data_file, ec).string();
  if (ec) absolute = data_file;
  const std::string folder = paths.FolderOf(absolute);
  std::vector<std::string> written;
  written.reserve(lines.size());
  for (const std::string& line : lines)
    written.push_back(paths.MakeReference(line, folder, drive_only));
  return LineFile::Write(data_file, written, error);
}

TDataType DetectDataType(const std::string& first_line, const PathText& paths) {
  // A path without a file name extension is no picture; names are checked, not the folders.
  const auto has_extension = [&paths](const std::string& path) {
    return paths.FileName(path).find('.') != std::string::npos;
  };
  switch (paths.LineKind(first_line)) {
    case TDataLineKind::CapData: {
      if (first_line.find('\\') == std::string::npos) return TDataType::kUnknown;
      const std::string field = first_line.substr(0, first_line.find('/'));
      return has_extension(paths.DecodeRecordPath(field)) ? TDataType::kCapData
                                                          : TDataType::kUnknown;
    }
    case TDataLineKind::FilePath:
      if (paths.Style() == TPathStyle::Windows && first_line.find(',') != std::string::npos)
        return TDataType::kUnknown;
      return has_extension(first_line) ? TDataType::kFileData : TDataType::kUnknown;
    case TDataLineKind::Unknown:
      break;
  }
  return TDataType::kUnknown;
}

std::string DataTypeLabel(TDataType type) {
  switch (type) {
    case TDataType::kFileData:
      return " ( ファイルデータ )";
    case TDataType::kCapData:
      return "  ( キャプデータ )";
    case TDataType::kUnknown:
      break;
  }
  return " ( 未知のデータ )";
}

TDataNameCheck CheckDataFileName(const std::string& typed, std::string& name) {
  const std::size_t first = typed.find_first_not_of(" \t");
  if (first == std::string::npos) return TDataNameCheck::kEmpty;
  name = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty()) return TDataNameCheck::kEmpty;
  if (name.find_first_of("\\/:.;*?\"<>|") != std::string::npos)
    return TDataNameCheck::kBadCharacter;
  return TDataNameCheck::kOk;
}

TFormBounds PlayListViewerBounds(const TPlayListViewerSettings& settings, int screen_width,
                                 int screen_height) {
  TFormBounds b{settings.left, settings.top, std::max(200, settings.width), settings.height};
  // A dialog wider than the screen keeps its left edge in view.
  b.left = std::max(0, std::min(b.left, screen_width - b.width));
  b.top = std::max(0, std::min(b.top, screen_height - 30));
  if (b.left > screen_width - 200) b.left = screen_width - 200;
  if (b.left + b.width < 200) b.left = 200 - b.width;
  if (b.top > screen_height - 200) b.top = screen_height - 200;
  return b;
}
