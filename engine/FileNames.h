#pragma once

#include <functional>
#include <string>

// A name that no existing file has: the path itself when free, otherwise the path with "_" and a
// zero-padded number (digits clamped to 1..5) before the extension: photo.jpg, photo_01.jpg, ...
// Returns an empty text when no candidate can be built.
std::string MakeFreeFileName(const std::string& path, int digits = 2);
// The same search where a name also counts as taken when reserved says so (names promised to
// files not written yet).
std::string MakeFreeFileName(const std::string& path, int digits,
                             const std::function<bool(const std::string&)>& reserved);

// A new folder name inside folder: folder/001, folder/002, ... the first that is not a directory.
std::string MakeUniqueFolderName(const std::string& folder);

// The last component of a "/"-separated path: the file name without its folder.
std::string FileNameOf(const std::string& path);

// Lower-cased extension with its dot (".jpg"), or empty.
std::string LowerExtension(const std::string& path);

// True when path names an existing regular file.
bool FileExists(const std::string& path);
// True when path names an existing folder.
bool IsFolder(const std::string& path);

// True for the metafile kinds (".wmf", ".emf", any case), which are drawn anew at every size.
bool IsMetafileName(const std::string& path);
