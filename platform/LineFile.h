#pragma once

#include <string>
#include <vector>

// The program's text files: settings, data files and record files. In memory every line is
// UTF-8. Files are written in code page 932 with CR LF line ends; when some line has no code
// page 932 form the whole file is written as UTF-8 with a byte-order mark instead, so nothing is
// lost. Reading accepts a UTF-8 byte-order mark, plain UTF-8 (lists made by other tools) and
// code page 932, with LF or CR LF line ends.
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
  // then renamed over the old one. On failure the old file is untouched.
  static bool Write(const std::string& path, const std::vector<std::string>& lines,
                    std::string* error = nullptr);

  // The decoding and encoding behind Read and Write.
  static bool Decode(const std::string& bytes, std::vector<std::string>& lines,
                     Encoding* encoding = nullptr);
  static std::string Encode(const std::vector<std::string>& lines, Encoding* encoding = nullptr);

  // Writes bytes to path through a temporary file and a rename.
  static bool ReplaceFile(const std::string& path, const std::string& bytes,
                          std::string* error = nullptr);
};
