#include "app/ProgramData.h"

#include <filesystem>

#include "engine/FileNames.h"
#include "platform/LineFile.h"

namespace fs = std::filesystem;

TProgramData::TProgramData(std::string program_folder)
    : program_folder_(std::move(program_folder)) {}

std::string TProgramData::PathOf(const char* file_name) const {
  return program_folder_ + "/" + file_name;
}

bool TProgramData::LoadInto(const char* file_name, std::vector<std::string>& lines) {
  const std::string path = PathOf(file_name);
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  if (LineFile::Read(path, lines)) return true;
  lines.clear();
  const std::string aside = MakeFreeFileName(path + ".bad");
  if (!aside.empty() && fs::copy_file(path, aside, ec)) set_aside_.push_back(aside);
  return false;
}

void TProgramData::LoadRecords() {
  LoadInto(kFilterRecordsFile, filter_records);
  LoadInto(kRgbRecordsFile, rgb_records);
  LoadInto(kColorRecordsFile, color_records);
}

void TProgramData::LoadFolders() { LoadInto(kFoldersFile, folders); }

void TProgramData::SaveRecordsAndFolders() const {
  const std::pair<const char*, const std::vector<std::string>*> files[] = {
      {kFilterRecordsFile, &filter_records},
      {kRgbRecordsFile, &rgb_records},
      {kFoldersFile, &folders},
      {kColorRecordsFile, &color_records}};
  for (const auto& [name, lines] : files)
    if (!lines->empty()) SaveList(name, *lines);
}

bool TProgramData::LoadList(const char* file_name, std::vector<std::string>& lines) {
  lines.clear();
  return LoadInto(file_name, lines);
}

bool TProgramData::SaveList(const char* file_name, const std::vector<std::string>& lines) const {
  return LineFile::Write(PathOf(file_name), lines);
}
