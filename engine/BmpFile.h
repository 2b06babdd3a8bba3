#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/Bitmap24.h"

// BMP files: a reader for every variant in common use and a writer of 24-bit files.
//
// The reader knows the OS/2 core (12-byte), OS/2 2.x (16..64-byte) and Windows (40, 52, 56, 108,
// 124-byte) headers; 1, 4, 8, 16, 24 and 32 bits per pixel; RLE4 and RLE8; bit-field masks of any
// width (scaled to 8 bits); top-down and bottom-up rows; palettes shorter than 2^bits. Every size
// is checked against the data length and TImU::kMaxLoadArea before anything is allocated, and
// malformed data gives false with a reason in error, never a crash.

// True when data starts like a BMP file.
bool IsBmpData(const std::uint8_t* data, std::size_t size);

// Validates the headers (and, for uncompressed files, that the pixel rows are present) and gives
// the picture size.
bool ReadBmpSize(const std::uint8_t* data, std::size_t size, int& width, int& height,
                 std::string& error);
// The same from the start of a file of file_size bytes (which must hold the headers): the
// pixel data is checked against the whole file.
bool ReadBmpSize(const std::uint8_t* data, std::size_t size, std::size_t file_size, int& width,
                 int& height, std::string& error);

// Decodes into out; on failure out is unchanged.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, TBitmap24& out, std::string& error);

// A bottom-up 24-bit BMP file of the bitmap (40-byte header, no palette). False for an empty
// bitmap.
bool EncodeBmp(const TBitmap24& bitmap, std::string& bytes);
