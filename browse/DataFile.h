#pragma once

#include <string>
#include <vector>

#include "model/Settings.h"
#include "platform/PathText.h"

// Data files (.txt): one picture path or one cap data line per line, optionally in reference form
// (paths relative to the data file's folder or drive, so a list moved with its pictures still
// finds them).

enum class TDataType { kUnknown, kFileData, kCapData };

// The roots the reference markers of the data file stand for.
TReferenceRoots DataFileRoots(const std::string& data_file, const std::string& program_folder,
                              const PathText& paths);

// Reads a data file with every reference marker resolved. False when the file is missing or
// cannot be read as text (error says why); lines are then left empty.
bool ReadDataFile(const std::string& data_file, const std::string& program_folder,
                  const PathText& paths, std::vector<std::string>& lines,
                  std::string* error = nullptr);

// Writes lines to data_file (atomically), in reference form relative to the data file's folder
// (or only its drive) when reference is set.
bool WriteDataFile(const std::string& data_file, const std::vector<std::string>& lines,
                   bool reference, bool drive_only, const PathText& paths,
                   std::string* error = nullptr);

// The type of a data file by its first (resolved) line: a cap data line of a picture path, a
// picture path, or neither.
TDataType DetectDataType(const std::string& first_line, const PathText& paths);

// The type label of the data-file window for a type.
std::string DataTypeLabel(TDataType type);

// The name typed for a data file without its extension and surrounding blanks; false when it is
// empty or holds a character no data file name may hold (\ / : . ; * ? " < > |).
enum class TDataNameCheck { kOk, kEmpty, kBadCharacter };
TDataNameCheck CheckDataFileName(const std::string& typed, std::string& name);

// Where the data-file dialog opens: its stored bounds, at least 200 wide, moved onto the screen
// (left within 0..screen width - width, top within 0..screen height - 30) and then kept at least
// 200 pixels on it (left <= screen width - 200, left + width >= 200, top <= screen height - 200).
TFormBounds PlayListViewerBounds(const TPlayListViewerSettings& settings, int screen_width,
                                 int screen_height);
