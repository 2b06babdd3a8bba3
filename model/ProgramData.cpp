#include "model/ProgramData.h"

#include <filesystem>

#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/IniFile.h"
#include "platform/LineFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSettingsName = "初期化ファイル";

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// A dangling link or something else that is not a readable regular file.
bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace

TProgramData::TProgramData(std::string program_folder)
    : program_folder_(std::move(program_folder)) {}

std::string TProgramData::PathOf(const char* file_name) const {
  return program_folder_ + "/" + file_name;
}

std::string TProgramData::KeepAside(const std::string& path) {
  std::string bytes;
  if (!LineFile::ReadBytes(path, bytes)) return {};
  for (int n = 0; n < 1000; ++n) {
    std::string candidate = path + ".bad";
    if (n > 0) candidate = path + (n < 10 ? "_0" : "_") + std::to_string(n) + ".bad";
    if (!Exists(candidate)) return LineFile::ReplaceFile(candidate, bytes) ? candidate : "";
    std::string kept;
    if (LineFile::ReadBytes(candidate, kept) && kept == bytes) return candidate;
  }
  return {};
}

void TProgramData::ReportUnreadable(const std::string& name, const std::string& aside) {
  if (!aside.empty()) {
    set_aside_.push_back(aside);
    ApU().Say(name + " を読み込めませんでした。元のファイルは " +
              fs::path(aside).filename().string() + " として残しました。");
  } else {
    ApU().Say(name + " を読み込めませんでした。このファイルは書き換えません。");
  }
}

bool TProgramData::LoadInto(const char* file_name, std::vector<std::string>& lines) {
  const std::string path = PathOf(file_name);
  if (!Exists(path)) return false;
  if (LineFile::Read(path, lines)) return true;
  lines.clear();
  not_understood_.insert(file_name);
  const std::string aside = IsRegularFile(path) ? KeepAside(path) : std::string();
  if (aside.empty()) untouchable_.insert(file_name);
  ReportUnreadable(file_name, aside);
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
  if (read_only_) return true;
  if (untouchable_.count(file_name)) return false;
  // The empty list that stood in for a file that could not be read is not the user's: the file
  // stays as it is until the list gets entries.
  if (lines.empty() && not_understood_.count(file_name)) return true;
  return LineFile::Write(PathOf(file_name), lines);
}

void TProgramData::LoadSettings(TIniFile& ini) {
  ini.LoadLines({});
  const std::string path = PathOf(kSettingsFile);
  settings_found_ = Exists(path);
  if (!settings_found_) return;
  if (!IsRegularFile(path) || !ini.Load(path)) {
    // A folder or a dangling link in its place, no permission to read, or far too long.
    const std::string aside = IsRegularFile(path) ? KeepAside(path) : std::string();
    if (aside.empty() && IsRegularFile(path)) untouchable_.insert(kSettingsFile);
    ReportUnreadable(kSettingsName, aside);
    return;
  }
  if (ini.UndecodedLines() > 0)
    ApU().Say("初期化ファイルに読み込めない行がありました。その行は書き換えずに残します。");
}

bool TProgramData::SaveSettings(const TMainSettings& settings) {
  if (read_only_) return true;
  const std::string path = PathOf(kSettingsFile);
  TIniFile ini;
  // The file is read again so that sections, comments and lines this run did not understand
  // are kept; one that cannot be read now is only replaced when a copy of it was kept.
  const bool readable = ini.Load(path);
  const bool kept = !readable && !KeepAside(path).empty();
  if (untouchable_.count(kSettingsFile) || !LineFile::CanReplace(path) || !(readable || kept)) {
    ApU().Say(kSettingsNotSet);
    return false;
  }
  WriteSettings(settings, ini);
  if (!ini.Save(path)) {
    ApU().Say(kSettingsNotSaved);
    return false;
  }
  return true;
}
