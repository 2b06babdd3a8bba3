#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/Bitmap24.h"

// Reading the comma-separated parameter texts of the text and fusion effects. These texts come
// from records and settings files, so nothing here trusts their length or contents.
namespace effect_fields {

// Splits text at every delimiter into exactly count pieces (views into text). False, without
// building anything, when the number of pieces differs.
bool SplitExact(std::string_view text, char delimiter, std::size_t count, std::string_view* pieces);

std::string_view TrimBlanks(std::string_view text);

// ASCII upper case; other bytes stay.
std::string Upper(std::string_view text);

// Decimal integer with an optional sign; blanks around it are allowed. False for anything else,
// including values outside the int range.
bool ParseInt(std::string_view text, int& value);

// A colour field: an integer 0..0xFFFFFF; larger or negative values (the no-colour and default
// sentinels) read as white. False when the text is not an integer.
bool ParseColor(std::string_view text, TColor& color);

}  // namespace effect_fields
