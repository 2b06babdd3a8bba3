#pragma once

#include <string>

// Linux names are bytes, not text: a name may hold bytes that are valid in no encoding (a
// Japanese archive unpacked without a code page, a Latin-1 disk), a line feed or a carriage
// return. The program's files hold one item a line, so such a byte is written as "(@X" + two
// upper-case hex digits + ")" ("(@X83)", "(@X0A)"), in the style of the "(@BSL)" of cap data
// lines. The escape's own text is escaped too: a "(" that would read as the start of one is
// written "(@X28)". Text that needs neither comes out unchanged, so every file written for
// ordinary names stays byte for byte as before.

inline constexpr const char* kByteEscapeStart = "(@X";

// The text with its line breaks, bytes that are not UTF-8 and escape look-alikes escaped.
std::string EscapeLineBytes(const std::string& text);
// The inverse: every well-formed escape becomes its byte; everything else is kept.
std::string UnescapeLineBytes(const std::string& text);
