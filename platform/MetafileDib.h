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
