#pragma once

#include <string>
#include <vector>

// The program's text files: settings, data files and record files. In memory every line is
// UTF-8. Files are written in code page 932 with CR LF line ends; when some line has no code
// page 932 form, or its code page 932 bytes would read back as something else, the whole file is
// written as UTF-8 with a byte-order mark instead, so nothing is lost.
//
// Reading: a UTF-8 byte-order mark means UTF-8. Otherwise bytes valid in only one of UTF-8 and
// code page 932 are read in that one; bytes valid in both (two half-width katakana are also one
// UTF-8 character) are read in the encoding whose characters are plausible for paths and
// Japanese text, code page 932 winning a tie. LF and CR LF are both accepted.
class LineFile {
 public:
  enum class Encoding { Cp932, Utf8, Utf8Bom };

  // Files longer than this are refused rather than read into memory.
  static constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

  // Reads every line. False when the file is missing, too long, or is neither UTF-8 nor
  // code page 932 (error says which); lines are then left unchanged.
  static bool Read(const std::string& path, std::vector<std::string>& lines,
                   std::string* error = nullptr, Encoding* encoding = nullptr);

  // Replaces the file atomically: the lines go to a temporary file in the same folder, which is
  // then renamed over the old one. On failure the old file is untouched. A file the user made
  // read-only, or a path that names a folder, is refused (see CanReplace).
  static bool Write(const std::string& path, const std::vector<std::string>& lines,
                    std::string* error = nullptr);

  // The decoding and encoding behind Read and Write.
  static bool Decode(const std::string& bytes, std::vector<std::string>& lines,
                     Encoding* encoding = nullptr);
  static std::string Encode(const std::vector<std::string>& lines, Encoding* encoding = nullptr);

  // Decoding that never fails: the encoding is chosen by the lines that are text, and a line
  // that is text in neither is kept as its bytes with raw set, so that EncodeKeeping can write
  // it back unchanged.
  static Encoding DecodeKeeping(const std::string& bytes, std::vector<std::string>& lines,
                                std::vector<bool>& raw);
  static std::string EncodeKeeping(const std::vector<std::string>& lines,
                                   const std::vector<bool>& raw, Encoding* encoding = nullptr);

  // Reads the whole file (up to kMaxFileBytes). Only a regular file is read: a FIFO or device
  // is refused at once rather than waited on.
  static bool ReadBytes(const std::string& path, std::string& bytes, std::string* error = nullptr);

  // True when ReplaceFile may write path (CanReplaceFile: a missing file, or a regular file the
  // user may write with a write permission bit, in a writable folder).
  static bool CanReplace(const std::string& path, std::string* error = nullptr);

  // Writes bytes to path through a temporary file and a rename (ReplaceFileBytes): a link's
  // target is replaced and keeps its permissions.
  static bool ReplaceFile(const std::string& path, const std::string& bytes,
                          std::string* error = nullptr);
};
