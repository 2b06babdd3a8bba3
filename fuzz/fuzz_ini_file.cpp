// Settings files from outside: decoding, parsing and reading every key with its type.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Settings.h"
#include "platform/IniFile.h"
#include "platform/LineFile.h"
#include "platform/PathText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines;
  if (!LineFile::Decode(std::string(reinterpret_cast<const char*>(data), size), lines)) return 0;
  TIniFile ini;
  ini.LoadLines(lines);
  const TSettingsContext context{1024, 768, "/opt/velmora"};
  TMainSettings settings = DefaultSettings(context);
  ReadSettings(ini, settings);
  NormalizeSettings(settings, context, PathText(TPathStyle::Posix, {"", "/media/u/A"}));
  WriteSettings(settings, ini);
  LineFile::Encode(ini.Lines());
  return 0;
}
