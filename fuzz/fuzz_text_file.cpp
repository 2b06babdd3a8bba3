// Text files from outside: the reading rule, and the round trip every save relies on: what is
// read, written and read again is the same text, and a file written twice is the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "platform/LineFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines, back;
  if (LineFile::Decode(bytes, lines)) {
    const std::string written = LineFile::Encode(lines);
    if (!LineFile::Decode(written, back) || back != lines) __builtin_trap();
    if (LineFile::Encode(back) != written) __builtin_trap();
  }
  // Any bytes as one name (a Linux name may hold every byte but NUL and "/"): the file written
  // for it reads back as the same bytes.
  const std::vector<std::string> name{bytes};
  if (!LineFile::Decode(LineFile::Encode(name), back) || back != name) __builtin_trap();
  // The settings reader: lines it could not decode come back byte for byte, the others as the
  // same text.
  std::vector<bool> raw, back_raw;
  LineFile::DecodeKeeping(bytes, lines, raw);
  const std::string kept = LineFile::EncodeKeeping(lines, raw);
  LineFile::DecodeKeeping(kept, back, back_raw);
  if (back != lines) __builtin_trap();
  for (std::size_t i = 0; i < raw.size(); ++i)
    if (!raw[i] && back_raw[i]) __builtin_trap();
  TIniFile ini, again;
  ini.LoadBytes(bytes);
  again.LoadBytes(ini.Bytes());
  if (again.Lines() != ini.Lines()) __builtin_trap();
  return 0;
}
