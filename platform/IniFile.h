#pragma once

#include <string>
#include <vector>

// An INI file held in memory. Section and key names compare without regard to ASCII case, as
// the settings file always did; the order of sections and keys is kept, new ones go to the end,
// and lines that are neither a section nor a key (comments, stray text) stay where they were.
class TIniFile {
 public:
  // Starts empty when the file is missing. False only when it exists but cannot be read (a
  // folder, no permission, too long); the object then starts empty as well. Lines that are text
  // in neither encoding are kept as their bytes and written back unchanged by Save.
  bool Load(const std::string& path, std::string* error = nullptr);
  void LoadBytes(const std::string& bytes);
  void LoadLines(const std::vector<std::string>& lines);
  // Writes through LineFile (code page 932, CR LF, atomic replace).
  bool Save(const std::string& path, std::string* error = nullptr) const;
  // The file's bytes as Save writes them.
  std::string Bytes() const;
  std::vector<std::string> Lines() const;
  // How many lines were kept as bytes because they could not be decoded.
  std::size_t UndecodedLines() const;

  bool ValueExists(const std::string& section, const std::string& key) const;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // A value that is not a whole number within the int range gives the fallback.
  int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
  // Any non-zero integer is true; text that is not an integer gives the fallback.
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
  double ReadFloat(const std::string& section, const std::string& key, double fallback) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);  // 1 / 0
  void WriteFloat(const std::string& section, const std::string& key, double value);

  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(const std::string& section) const;

  // Number texts as the settings file holds them.
  static bool ParseInteger(const std::string& text, int& value);
  static bool ParseFloat(const std::string& text, double& value);
  static std::string FormatFloat(double value);  // plain decimal: 1, 1.5, 0.25

 private:
  struct Entry {
    std::string key;  // empty for a line that is not a key
    std::string value;
    std::string raw;         // the whole line, for lines that are not keys
    bool undecoded = false;  // raw holds the line's bytes, not text
  };
  struct Section {
    std::string name;  // empty for lines before the first section
    std::vector<Entry> entries;
    std::string undecoded_header;  // the bytes of a header line that could not be decoded
  };
  void LoadLines(const std::vector<std::string>& lines, const std::vector<bool>& undecoded);
  static Entry UndecodedEntry(const std::string& line);
  std::vector<std::string> Lines(std::vector<bool>* undecoded) const;
  const Entry* Find(const std::string& section, const std::string& key) const;
  Section& SectionFor(const std::string& section);

  std::vector<Section> sections_;
};
