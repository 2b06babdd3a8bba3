#include "platform/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/CodePage.h"

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

void SplitLines(const std::string& text, std::size_t start, std::vector<std::string>& lines) {
  std::size_t pos = start;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    std::size_t stop = end;
    if (stop > pos && text[stop - 1] == '\r') --stop;
    lines.emplace_back(text, pos, stop - pos);
    pos = last ? text.size() : end + 1;
  }
}

}  // namespace

bool LineFile::Decode(const std::string& bytes, std::vector<std::string>& lines,
                      Encoding* encoding) {
  std::vector<std::string> result;
  Encoding found;
  if (bytes.compare(0, 3, kBom) == 0) {
    if (!IsValidUtf8(bytes.substr(3))) return false;
    SplitLines(bytes, 3, result);
    found = Encoding::Utf8Bom;
  } else if (IsValidUtf8(bytes)) {
    // Pure ASCII is valid in both; reading it as UTF-8 gives the same text.
    SplitLines(bytes, 0, result);
    found = Encoding::Utf8;
  } else {
    std::string utf8;
    if (!Cp932ToUtf8(bytes, utf8)) return false;
    SplitLines(utf8, 0, result);
    found = Encoding::Cp932;
  }
  lines.swap(result);
  if (encoding) *encoding = found;
  return true;
}

std::string LineFile::Encode(const std::vector<std::string>& lines, Encoding* encoding) {
  std::string utf8;
  for (const std::string& line : lines) {
    utf8 += line;
    utf8 += "\r\n";
  }
  std::string cp932;
  if (Utf8ToCp932(utf8, cp932)) {
    if (encoding) *encoding = Encoding::Cp932;
    return cp932;
  }
  if (encoding) *encoding = Encoding::Utf8Bom;
  return kBom + utf8;
}

bool LineFile::Read(const std::string& path, std::vector<std::string>& lines, std::string* error,
                    Encoding* encoding) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    SetError(error, "cannot open " + path);
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<unsigned long long>(size) > kMaxFileBytes) {
    SetError(error, "file too long: " + path);
    return false;
  }
  in.seekg(0);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !in.read(bytes.data(), size)) {
    SetError(error, "cannot read " + path);
    return false;
  }
  if (!Decode(bytes, lines, encoding)) {
    SetError(error, "unknown text encoding: " + path);
    return false;
  }
  return true;
}

bool LineFile::Write(const std::string& path, const std::vector<std::string>& lines,
                     std::string* error) {
  return ReplaceFile(path, Encode(lines), error);
}

bool LineFile::ReplaceFile(const std::string& path, const std::string& bytes, std::string* error) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    SetError(error, std::string("cannot create a temporary file: ") + std::strerror(errno));
    return false;
  }
  // Keep the permissions of the file being replaced; a new file gets the usual 0644 less umask.
  struct stat old_stat;
  if (stat(path.c_str(), &old_stat) == 0) {
    fchmod(fd, old_stat.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (ok && fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    SetError(error, std::string("cannot write ") + path + ": " + std::strerror(errno));
    ::unlink(temp.c_str());
  }
  return ok;
}
