#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Cap data records: a region of a picture file and the effects to apply to it, kept as one line
// of text ("path/x/y/w/h/effect1/.../effect6"). This unit owns the line, the effect codes, the
// escaping of free text inside effects and the reading of whole lists. Rendering and saving a
// record are in CaptureRender.h.

// Shown once after reading a list that held lines of unknown form.
inline constexpr char kUnknownDataMessage[] = "未知のデータが含まれていました。";
// Shown when reading a list fails as a whole; the list is then abandoned.
inline constexpr char kDataHandlingMessage[] = "データの取り扱いに問題が発生しました。";

inline constexpr std::size_t kCapDataMinFields = 5;
inline constexpr std::size_t kCapDataMaxFields = 11;
inline constexpr std::size_t kCapDataMaxEffects = kCapDataMaxFields - kCapDataMinFields;

// The path field of a line. Fields are joined with "/", so a path style that uses "/" encodes its
// paths; the platform layer knows the styles and implements this.
class TRecordPathCodec {
 public:
  virtual ~TRecordPathCodec() = default;
  virtual std::string EncodeRecordPath(const std::string& native) const = 0;
  virtual std::string DecodeRecordPath(const std::string& field) const = 0;
};

// One record. The path is the native path (decoded from the line's path field).
struct TCapData {
  std::string path;
  int x = 0;  // region left; may be negative
  int y = 0;  // region top; may be negative
  int w = 0;  // region width, > 0 in a usable record
  int h = 0;
  std::vector<std::string> effects;  // effect entries in record order; at most six
};

// Effect entries: a three-letter code followed directly by the effect's parameter text.
enum class TEffectKind { kNone, kRotation, kRGB, kFreeFilter, kText };

// The kind of an entry by its first three characters upper-cased ("ARO", "RGB", "FFI", "TXT");
// kNone for any other code and for entries shorter than three characters.
TEffectKind EffectKindOf(std::string_view entry);
// The parameter text after the code (empty for entries shorter than three characters).
std::string_view EffectParameters(std::string_view entry);
// The code writers use: "ARo", "RGB", "FFi", "Txt"; empty for kNone.
const char* EffectCode(TEffectKind kind);
// Code followed by parameters; empty for kNone.
std::string MakeEffectEntry(TEffectKind kind, std::string_view parameters);

// Free text inside an effect: every line break becomes "(@CRLF)", then every "," "(@COM)", then
// every "/" "(@SLA)". A lone CR or LF counts as a line break too, so that no escaped text can
// split the line it is stored in. Linear in the length of the text.
std::string EscapeText(std::string_view text);
// "(@CRLF)" to CR LF, then "(@COM)" to ",", then "(@SLA)" to "/", all occurrences left to right,
// each pass over the result of the one before. Empty when memory runs out.
std::string UnescapeText(std::string_view text);

// The line of a record. False (line unchanged) when the line could not be read back as the same
// record: more than six effects, or a "/" or line break in the encoded path or in an effect.
bool FormatCapDataLine(const TCapData& record, const TRecordPathCodec& codec, std::string& line);

// Reads a line that must be a whole record: 5 to 11 fields, x, y, w and h decimal integers.
// False (record unchanged) otherwise.
bool ParseCapDataLine(std::string_view line, const TRecordPathCodec& codec, TCapData& record);

// The table entry of one line, as the main window's list keeps it.
enum class TCapDataEntryKind {
  kRecord,      // a record
  kBadNumbers,  // 5 to 11 fields, but x, y, w or h is not an integer: the path is cleared
  kUnknown,     // fewer than 5 or more than 11 fields: empty path, x = y = w = h = 1, no effects
};
TCapDataEntryKind ReadCapDataEntry(std::string_view line, const TRecordPathCodec& codec,
                                   TCapData& entry);

// Reads lines[first..] into table[first..]; table becomes as long as lines and keeps its entries
// before first (missing ones are read too). The lines themselves are never changed or dropped:
// the table runs parallel to them. message receives kUnknownDataMessage (once, however many
// unknown lines) when some line was of unknown form, else it is cleared. False with
// kDataHandlingMessage, table unchanged, when reading fails as a whole (out of memory).
bool ReadCapDataList(const std::vector<std::string>& lines, std::size_t first,
                     const TRecordPathCodec& codec, std::vector<TCapData>& table,
                     std::string* message);
