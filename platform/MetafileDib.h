#pragma once

#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes a device-independent bitmap into an RGB32 image: info is the BITMAPINFO (header and
// colour table), bits the pixel data. usage 1 (palette indexes) looks colours up in palette.
// keep_alpha keeps the fourth byte of 32-bit pixels (premultiplied ARGB32 result). bottom_up
// tells whether the rows were stored bottom first. Refuses huge sizes and data shorter than the
// header promises.
bool DecodeDib(const std::uint8_t* info, std::size_t info_size, const std::uint8_t* bits,
               std::size_t bits_size, int usage, const std::vector<QRgb>& palette, bool keep_alpha,
               QImage& image, bool* bottom_up);
// Size of the BITMAPINFO (header and colour table) at the start of a packed DIB, or 0.
std::size_t DibInfoSize(const std::uint8_t* info, std::size_t size, int usage);

// Text of a font's character set as Unicode.
QString DecodeAnsiText(const char* bytes, std::size_t size, int charset);

// Fonts whose bytes are glyphs rather than letters of a code page.
enum class TSymbolFont { kNone, kSymbol, kPictographs };
// The Symbol face (or a symbol-charset face named like it) maps through the Symbol encoding;
// Wingdings-style faces draw their common pictographs and a bullet for the rest.
TSymbolFont SymbolFontOf(const QString& face, int charset);
char16_t SymbolCharacter(std::uint8_t code, TSymbolFont font);
// Text of 8-bit text records: symbol fonts through their encoding, others by DecodeAnsiText.
QString DecodeFontText(const char* bytes, std::size_t size, int charset, const QString& face);
// Text of UTF-16 text records: a symbol font's bytes (plain or in U+F020..U+F0FF) mapped.
QString MapSymbolText(const QString& text, int charset, const QString& face);
