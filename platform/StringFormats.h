#pragma once

#include <string>

// Fixed-width number texts used in names, captions and the rotation dialog.

// |number| padded on the left to width with pad, "-" first when negative. With pad "0" the sign
// precedes the zeros (-007); with any other pad the sign follows the padding ("  -7"). A text
// already at or over the width is returned unpadded.
std::string PadInteger(long long number, int width, char pad);
std::string PadUnsigned(unsigned long long number, int width, char pad);

// A sign ("+", "-", or a blank for zero) and |value| zero-padded to digits. When |value| needs
// more digits, the bare digits without sign and overflow receives the message to show.
std::string SignedFixedWidth(long long value, int digits, std::string* overflow_message);

// The opposite of a typed number for the rotation dialog: "12.5" gives "-12.5", "-30" gives "30",
// "0" stays "0"; the result is left-padded with blanks to width. False when the trimmed text is
// not a number (result untouched).
bool FigureReverse(const std::string& text, int width, std::string& result);
