#pragma once

#include <cstddef>
#include <string>

// Reading and replacing files safely. Paths are byte strings, as the system keeps them.
//
// Only regular files are read: a FIFO, device or folder is refused without blocking. Files are
// replaced whole or not at all through a temporary file in the same folder, named
// ".vlm-PID-XXXXXX" so that it fits beside any name and can be recognised as left over when its
// writer has died.

// Opens a regular file for reading (close-on-exec); -1 with the reason in error otherwise.
int OpenRegularFile(const std::string& path, std::string& error);

// Reads a whole regular file of at most max_bytes bytes. On failure bytes is unchanged and error
// gives the reason (without the path).
bool ReadRegularFile(const std::string& path, std::size_t max_bytes, std::string& bytes,
                     std::string& error);

// Reads at most max_bytes from the start of a regular file and gives the file's whole size. On
// failure bytes is unchanged and error gives the reason.
bool ReadRegularFileStart(const std::string& path, std::size_t max_bytes, std::string& bytes,
                          std::size_t& file_size, std::string& error);

// True when ReplaceFileBytes may write path: nothing is there yet, or a regular file the user may
// write that has a write permission bit (checked from the bits too, so that a read-only file stays
// so even for root), in a folder that can be written. Symbolic links are followed.
bool CanReplaceFile(const std::string& path, std::string* error = nullptr);

// Writes bytes to path through a temporary file and a rename. A symbolic link stays a link: its
// target is replaced. The replaced file's permissions (and, where allowed, owner) are kept; a new
// file gets 0666 less the umask. On failure the old file is untouched and error says why.
bool ReplaceFileBytes(const std::string& path, const std::string& bytes,
                      std::string* error = nullptr);

// The name ReplaceFileBytes gives its temporary files, without the random part.
std::string TemporaryNamePrefix();

// Deletes the temporary files left in folder by writers that are no longer running. Nothing but
// names of exactly that form is touched. Returns how many were deleted.
int RemoveStaleTemporaries(const std::string& folder);
