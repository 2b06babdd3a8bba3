#pragma once

#include <string_view>

// Readers for the numbers users type into parameter texts. Blanks (spaces, tabs) around the
// number are allowed; anything else that is not part of the number makes the read fail.

// An optional sign and decimal digits, within the range of a 32-bit integer.
bool ParseDecimalInt(std::string_view text, int& value);

// An optional sign, digits with an optional fraction (".5" and "5." included) and an optional
// exponent. Infinities, NaN, hexadecimal forms and values beyond double range are refused.
bool ParseDecimalReal(std::string_view text, double& value);
