#pragma once

#include <string>
#include <vector>

// The lists the main window keeps in the program folder between runs, and the rules for reading
// and writing them. Every file is replaced atomically; a file that exists but cannot be read is
// copied aside (name.bad, name_01.bad, ...) before anything could write over it, so that no list
// the user made is lost.
class TProgramData {
 public:
  static constexpr const char* kSettingsFile = "Velmora.ini";
  static constexpr const char* kFilterRecordsFile = "FilterRecords.dat";
  static constexpr const char* kRgbRecordsFile = "RGBRecords.dat";
  static constexpr const char* kColorRecordsFile = "ColorRecords.dat";
  static constexpr const char* kFoldersFile = "Folders.dat";
  static constexpr const char* kFileListFile = "FileList.dat";
  static constexpr const char* kCapListFile = "CapList.dat";

  explicit TProgramData(std::string program_folder);

  const std::string& ProgramFolder() const { return program_folder_; }
  std::string PathOf(const char* file_name) const;

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
  bool SaveList(const char* file_name, const std::vector<std::string>& lines) const;

  // Names of files that were unreadable and copied aside during this run.
  const std::vector<std::string>& SetAside() const { return set_aside_; }

 private:
  bool LoadInto(const char* file_name, std::vector<std::string>& lines);

  std::string program_folder_;
  std::vector<std::string> set_aside_;
};
