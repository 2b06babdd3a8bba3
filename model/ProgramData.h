#pragma once

#include <set>
#include <string>
#include <vector>

class TIniFile;
struct TMainSettings;

// The lists the main window keeps in the program folder between runs, the settings file beside
// them, and the rules for reading and writing them. Every file is replaced atomically. Nothing
// is written over a file that was not understood: a list that exists but cannot be read is
// copied aside once (name.bad, name_01.bad, ...) before anything could replace it, and is left
// alone when even that fails; the settings file keeps the lines it could not decode byte for
// byte. A file the user made read-only is never replaced. The user is told what could not be
// read through the message service.
class TProgramData {
 public:
  static constexpr const char* kSettingsFile = "Velmora.ini";
  static constexpr const char* kFilterRecordsFile = "FilterRecords.dat";
  static constexpr const char* kRgbRecordsFile = "RGBRecords.dat";
  static constexpr const char* kColorRecordsFile = "ColorRecords.dat";
  static constexpr const char* kFoldersFile = "Folders.dat";
  static constexpr const char* kFileListFile = "FileList.dat";
  static constexpr const char* kCapListFile = "CapList.dat";

  static constexpr const char* kSettingsNotSet = "初期化ファイルの設定に失敗しました。";
  static constexpr const char* kSettingsNotSaved = "初期化ファイルは保存できませんでした。";

  explicit TProgramData(std::string program_folder);

  const std::string& ProgramFolder() const { return program_folder_; }
  std::string PathOf(const char* file_name) const;

  // A viewer beside the one that owns the folder reads the files but never writes them: every
  // Save* then does nothing and reports success.
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool ReadOnly() const { return read_only_; }

  // Record arrays carried for the effect and colour dialogs, and the remembered folders.
  std::vector<std::string> filter_records;
  std::vector<std::string> rgb_records;
  std::vector<std::string> color_records;
  std::vector<std::string> folders;

  // Reads the three record files (in that order), each only if present.
  void LoadRecords();
  // Reads Folders.dat if present.
  void LoadFolders();
  // Writes the four arrays (filter, RGB, folders, colour), each only when it is not empty:
  // emptying a list in a dialog leaves its old file in place.
  void SaveRecordsAndFolders() const;

  // One list file read whole; false when missing or unreadable (lines then empty).
  bool LoadList(const char* file_name, std::vector<std::string>& lines);
  // False, leaving the file as it is, when it is read-only or was not understood and could not
  // be kept aside. A file that was not understood is also left as it is while lines is empty.
  bool SaveList(const char* file_name, const std::vector<std::string>& lines) const;

  // Reads the settings file into ini (empty when missing or unreadable).
  void LoadSettings(TIniFile& ini);
  // False until LoadSettings found a settings file (readable or not): the program's first start.
  bool SettingsFileFound() const { return settings_found_; }
  // Writes the settings over the file, keeping its other sections, comments and undecodable
  // lines. A file that cannot be replaced shows kSettingsNotSet, a failed write
  // kSettingsNotSaved.
  bool SaveSettings(const TMainSettings& settings);

  // True when the file existed at start but could not be read.
  bool NotUnderstood(const char* file_name) const { return not_understood_.count(file_name) > 0; }

  // Names of files that were unreadable and copied aside during this run.
  const std::vector<std::string>& SetAside() const { return set_aside_; }

  // Copies an unreadable file to the first free name of name.bad, name_01.bad, ...; when one of
  // those already holds the same bytes (an earlier start kept it), that one is returned and no
  // copy is made. Empty when the file cannot be copied.
  static std::string KeepAside(const std::string& path);

 private:
  bool LoadInto(const char* file_name, std::vector<std::string>& lines);
  // Tells the user that a file could not be read, and where it was kept.
  void ReportUnreadable(const std::string& name, const std::string& aside);

  std::string program_folder_;
  bool read_only_ = false;
  std::vector<std::string> set_aside_;
  bool settings_found_ = false;
  std::set<std::string> not_understood_;  // could not be read at start
  std::set<std::string> untouchable_;     // not understood and not kept aside: never written
};
