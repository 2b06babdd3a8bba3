// Data files from outside: decoding and the path rules applied to every line, in both styles.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/LineFile.h"
#include "platform/PathText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines;
  if (!LineFile::Decode(std::string(reinterpret_cast<const char*>(data), size), lines)) return 0;
  static const PathText kStyles[] = {PathText(TPathStyle::Posix, {"", "/media/u/A"}),
                                     PathText(TPathStyle::Windows, {"C:", "D:"})};
  const TReferenceRoots roots{"/media/u/A/list", "/media/u/A", "/opt/v", "", ""};
  for (const PathText& paths : kStyles) {
    for (const std::string& line : lines) {
      const std::string resolved = paths.ResolveReference(line, roots);
      paths.LineKind(resolved);
      paths.DecodeRecordPath(paths.EncodeRecordPath(resolved));
      paths.MakeReference(resolved, roots.data_folder, false);
      paths.MakeReference(resolved, roots.data_folder, true);
      paths.ReplaceDrive(resolved, "/media/u/B");
      paths.FileName(resolved);
      paths.FolderOf(resolved);
    }
  }
  return 0;
}
