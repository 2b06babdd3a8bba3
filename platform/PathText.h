#pragma once

#include <string>
#include <vector>

#include "engine/CaptureBasics.h"

// Every rule about drives, separators and the path field of data lines lives here, for both path
// styles: Posix (this platform) and Windows (lines and lists made by the Windows program), so that
// both are tested on Linux. Nothing else in the program looks for "\" or ":" in a path.
enum class TPathStyle { Posix, Windows };

enum class TDataLineKind { CapData, FilePath, Unknown };

// The roots that reference markers stand for when a data file is read.
struct TReferenceRoots {
  std::string data_folder;     // folder of the data file, in folder text form
  std::string data_drive;      // its drive
  std::string program_folder;  // the program folder
  std::string program_drive;
  std::string windows_drive;  // drive of the system folder: "" here, "C:" on Windows
};

class PathText : public TRecordPathCodec {
 public:
  static constexpr const char* kFileFolderMarker = "//FiF";
  static constexpr const char* kAppFolderMarker = "//ApF";
  static constexpr const char* kFileDriveMarker = "//FiD";
  static constexpr const char* kAppDriveMarker = "//ApD";

  // drives: the drive texts of the machine (see DriveText); for Windows style "C:", "D:", ...
  explicit PathText(TPathStyle style, std::vector<std::string> drives = {});
  // This machine: Posix style with the mount points of its real file systems.
  static PathText Native();
  // Mount points of real file systems read from a mounts table (/proc/self/mounts format).
  static std::vector<std::string> DrivesFromMounts(const std::string& mounts_table);

  TPathStyle Style() const { return style_; }
  char Separator() const { return style_ == TPathStyle::Posix ? '/' : '\\'; }
  const std::vector<std::string>& Drives() const { return drives_; }

  // A folder without its trailing separator; a drive root becomes its drive text ("" for the
  // Posix root, "C:" for C:\).
  std::string FolderText(const std::string& folder) const;
  // folder + separator + name, with exactly one separator between them.
  std::string Join(const std::string& folder, const std::string& name) const;
  // Last component of a path (the whole text when it has no separator).
  std::string FileName(const std::string& path) const;
  // Folder part of a path in folder text form.
  std::string FolderOf(const std::string& path) const;

  // The drive of a path: its longest mount-point prefix ("" for the root) on Posix, the first
  // two characters on Windows.
  std::string DriveOf(const std::string& path) const;
  // The path with its drive part replaced by drive (for a file looked for on another volume).
  std::string ReplaceDrive(const std::string& path, const std::string& drive) const;
  // True when drive names one of the machine's drives (Windows: ignoring case).
  bool IsKnownDrive(const std::string& drive) const;

  // Path field of a cap data line: the fields are joined with "/", so a native path is written
  // with every "\" as "(@BSL)" and then every "/" as "\". Identity on the Windows style.
  std::string EncodeRecordPath(const std::string& native) const override;
  std::string DecodeRecordPath(const std::string& field) const override;

  // What a data line holds, ignoring a leading reference marker.
  TDataLineKind LineKind(const std::string& line) const;

  // A data file line with its reference marker (if any) replaced by the root it stands for; a
  // Posix plain path written with backslashes gets "/" separators.
  std::string ResolveReference(const std::string& line, const TReferenceRoots& roots) const;
  // The reference form of a line for a data file in data_folder: "//FiF" when the line lies in
  // that folder (not in drive-only mode), else "//FiD" when it lies on the folder's drive, else
  // the line unchanged.
  std::string MakeReference(const std::string& line, const std::string& data_folder,
                            bool drive_only) const;

 private:
  // The line's path in the form its kind writes it (encoded for cap data lines).
  std::string LinePathForm(const std::string& native, bool cap_data) const;
  bool StartsWithPath(const std::string& text, const std::string& prefix) const;

  TPathStyle style_;
  std::vector<std::string> drives_;
};

// The folder that holds the settings file and data files: the executable's folder when it is
// writable (a portable install or a build tree) and not under /usr, otherwise the per-user
// configuration folder (created when missing). Returned in folder text form.
std::string ProgramFolder(const std::string& executable_folder, const std::string& config_folder);
