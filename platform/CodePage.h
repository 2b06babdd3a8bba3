#pragma once

#include <string>

// Conversions between the program's in-memory UTF-8 and the Japanese code page 932 that its
// files are written in.

// UTF-8 to code page 932. False when some character has no code page 932 form.
bool Utf8ToCp932(const std::string& utf8, std::string& cp932);
// Code page 932 to UTF-8. False when the bytes are not valid code page 932.
bool Cp932ToUtf8(const std::string& cp932, std::string& utf8);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(const std::string& text);
// Length of the well-formed UTF-8 character at byte at, 0 when none starts there.
std::size_t Utf8CharLength(const std::string& text, std::size_t at);
// True for the kanji of JIS level 1 (code page 932 codes 889F to 9872), the common ones.
bool IsLevel1Kanji(char32_t code_point);
// The code points of well-formed UTF-8 text.
std::u32string Utf8CodePoints(const std::string& utf8);
// Length in bytes of the text's code page 932 form; characters without one count two bytes.
std::size_t Cp932Length(const std::string& utf8);
