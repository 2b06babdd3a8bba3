#include "platform/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "platform/LineFile.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

std::string Trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool TIniFile::Load(const std::string& path, std::string* error) {
  sections_.clear();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  std::string bytes;
  if (!LineFile::ReadBytes(path, bytes, error)) return false;
  LoadBytes(bytes);
  return true;
}

void TIniFile::LoadBytes(const std::string& bytes) {
  std::vector<std::string> lines;
  std::vector<bool> undecoded;
  LineFile::DecodeKeeping(bytes, lines, undecoded);
  LoadLines(lines, undecoded);
}

void TIniFile::LoadLines(const std::vector<std::string>& lines) { LoadLines(lines, {}); }

void TIniFile::LoadLines(const std::vector<std::string>& lines,
                         const std::vector<bool>& undecoded) {
  sections_.clear();
  sections_.push_back(Section{{}, {}, {}});
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string t = Trim(line);
    const bool is_header = t.size() >= 2 && t.front() == '[' && t.back() == ']';
    if (i < undecoded.size() && undecoded[i]) {
      // The keys under a header that cannot be read belong to no section the program knows.
      if (is_header)
        sections_.push_back(Section{"\n" + line, {}, line});
      else
        sections_.back().entries.push_back(UndecodedEntry(line));
      continue;
    }
    if (is_header) {
      sections_.push_back(Section{Trim(t.substr(1, t.size() - 2)), {}, {}});
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos && !Trim(line.substr(0, eq)).empty() && t[0] != ';') {
      sections_.back().entries.push_back(Entry{Trim(line.substr(0, eq)), line.substr(eq + 1), {}});
    } else {
      sections_.back().entries.push_back(Entry{{}, {}, line});
    }
  }
  if (sections_.front().entries.empty()) sections_.erase(sections_.begin());
}

// A line that is text in neither encoding is written back as its bytes. When it holds a key of
// plain ASCII (a path written as raw bytes by an older version), the key still counts: its
// value reads as those bytes, and writing the key replaces the line instead of adding another.
TIniFile::Entry TIniFile::UndecodedEntry(const std::string& line) {
  const std::size_t eq = line.find('=');
  const std::string key = eq == std::string::npos ? std::string() : Trim(line.substr(0, eq));
  const bool ascii_key = !key.empty() && key[0] != ';' &&
                         std::all_of(key.begin(), key.end(), [](char c) { return c > 0x20; });
  if (!ascii_key) return Entry{{}, {}, line, true};
  return Entry{key, line.substr(eq + 1), line, true};
}

std::vector<std::string> TIniFile::Lines(std::vector<bool>* undecoded) const {
  std::vector<std::string> lines;
  auto add = [&](std::string line, bool is_bytes) {
    lines.push_back(std::move(line));
    if (undecoded) undecoded->push_back(is_bytes);
  };
  for (const Section& s : sections_) {
    if (!s.undecoded_header.empty())
      add(s.undecoded_header, true);
    else if (!s.name.empty())
      add("[" + s.name + "]", false);
    for (const Entry& e : s.entries)
      add(e.key.empty() || e.undecoded ? e.raw : e.key + "=" + e.value, e.undecoded);
  }
  return lines;
}

std::vector<std::string> TIniFile::Lines() const { return Lines(nullptr); }

std::size_t TIniFile::UndecodedLines() const {
  std::vector<bool> undecoded;
  Lines(&undecoded);
  std::size_t count = 0;
  for (bool b : undecoded) count += b;
  return count;
}

std::string TIniFile::Bytes() const {
  std::vector<bool> undecoded;
  const std::vector<std::string> lines = Lines(&undecoded);
  return LineFile::EncodeKeeping(lines, undecoded);
}

bool TIniFile::Save(const std::string& path, std::string* error) const {
  return LineFile::ReplaceFile(path, Bytes(), error);
}

const TIniFile::Entry* TIniFile::Find(const std::string& section, const std::string& key) const {
  for (const Section& s : sections_) {
    if (!SameName(s.name, section)) continue;
    for (const Entry& e : s.entries)
      if (!e.key.empty() && SameName(e.key, key)) return &e;
  }
  return nullptr;
}

TIniFile::Section& TIniFile::SectionFor(const std::string& section) {
  for (Section& s : sections_)
    if (SameName(s.name, section)) return s;
  sections_.push_back(Section{section, {}, {}});
  return sections_.back();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return Find(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  const Entry* e = Find(section, key);
  return e ? e->value : fallback;
}

bool TIniFile::ParseInteger(const std::string& text, int& value) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  const bool negative = t[0] == '-';
  std::size_t pos = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  int base = 10;
  if (t.compare(pos, 2, "0x") == 0 || t.compare(pos, 2, "0X") == 0) {
    base = 16;
    pos += 2;
  } else if (t.compare(pos, 1, "$") == 0) {
    base = 16;
    pos += 1;
  }
  if (pos >= t.size()) return false;
  unsigned long long magnitude = 0;
  const auto [end, ec] = std::from_chars(t.data() + pos, t.data() + t.size(), magnitude, base);
  if (ec != std::errc() || end != t.data() + t.size()) return false;
  if (base == 16 && !negative && magnitude <= 0xFFFFFFFFull) {
    // Hexadecimal colour references may use all 32 bits.
    value = static_cast<int>(static_cast<unsigned>(magnitude));
    return true;
  }
  const long long v =
      negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  if (magnitude > 0x80000000ull || v < -2147483648LL || v > 2147483647LL) return false;
  value = static_cast<int>(v);
  return true;
}

bool TIniFile::ParseFloat(const std::string& text, double& value) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  // Files written on systems with a decimal comma hold "1,5".
  if (t.find(',') != std::string::npos && t.find('.') == std::string::npos) t[t.find(',')] = '.';
  double v = 0;
  const char* first = t.data() + (t[0] == '+' ? 1 : 0);
  const auto [end, ec] = std::from_chars(first, t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

std::string TIniFile::FormatFloat(double value) {
  char buf[400];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  if (ec != std::errc()) return "0";
  return std::string(buf, end);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
  const Entry* e = Find(section, key);
  int v;
  return e && ParseInteger(e->value, v) ? v : fallback;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  const Entry* e = Find(section, key);
  int v;
  return e && ParseInteger(e->value, v) ? v != 0 : fallback;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& key,
                           double fallback) const {
  const Entry* e = Find(section, key);
  double v;
  return e && ParseFloat(e->value, v) ? v : fallback;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  // Line breaks and bytes that are not text are escaped when the file is written.
  Section& s = SectionFor(section);
  for (Entry& e : s.entries) {
    if (!e.key.empty() && SameName(e.key, key)) {
      e.value = value;
      e.undecoded = false;
      return;
    }
  }
  // New keys go after the last key, before trailing blank lines.
  auto at = s.entries.end();
  while (at != s.entries.begin() && std::prev(at)->key.empty() && Trim(std::prev(at)->raw).empty())
    --at;
  s.entries.insert(at, Entry{key, value, {}});
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
  WriteString(section, key, FormatFloat(value));
}

std::vector<std::string> TIniFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& s : sections_)
    if (!s.name.empty() && s.undecoded_header.empty()) names.push_back(s.name);
  return names;
}

std::vector<std::string> TIniFile::Keys(const std::string& section) const {
  std::vector<std::string> keys;
  for (const Section& s : sections_)
    if (SameName(s.name, section))
      for (const Entry& e : s.entries)
        if (!e.key.empty()) keys.push_back(e.key);
  return keys;
}
