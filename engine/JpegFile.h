#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/Bitmap24.h"

class TEngineOwner;

// JPEG files through libjpeg.
//
// Decoding is fixed: full scale, colour output whatever the file holds (greyscale is expanded,
// CMYK and YCCK are converted), accurate integer DCT, smooth chroma upsampling, no block
// smoothing, no progressive display. The size in the header is checked against
// TImU::kMaxLoadArea and against the data length before any pixel memory is allocated.
// A file whose entropy data ends early decodes as far as it goes (the rest grey), as
// libjpeg does; a file without a complete header fails.

// True when data starts with a JPEG start-of-image marker.
bool IsJpegData(const std::uint8_t* data, std::size_t size);

// Reads the header only and gives the picture size (after the same checks as decoding).
bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int& width, int& height,
                  std::string& error);
// The same from the start of a file of file_size bytes: the size is checked against the whole
// file. Fails when the header does not end within data.
bool ReadJpegSize(const std::uint8_t* data, std::size_t size, std::size_t file_size, int& width,
                  int& height, std::string& error);

// Decodes into out; on failure out is unchanged and error says why. With an owner the decoding
// stops (failure) at the first check point every 100 rows after the owner's busy flag is cleared.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, TBitmap24& out, std::string& error,
                const TEngineOwner* owner = nullptr);

// The scale, in eighths (1 to 8), of the smallest reduced decoding whose output is still at
// least min_width x min_height: each side of a decoding at n/8 is ceil(side x n / 8). 8 (full
// scale) when no smaller one is.
int JpegScaleFor(int width, int height, int min_width, int min_height);

// Decodes at the scale JpegScaleFor gives for the picture's size (decoding 8 x 8 blocks at 1, 2,
// ... 8 pixels a side, which is far quicker than the full decoding and a reduction). The same
// checks as DecodeJpeg, made on the picture's full size before any pixel memory is allocated.
// The output is smoothed differently from a full decoding followed by a reduction, so it may
// differ slightly from one.
bool DecodeJpegAtLeast(const std::uint8_t* data, std::size_t size, int min_width, int min_height,
                       TBitmap24& out, std::string& error, const TEngineOwner* owner = nullptr);

// Decodes at 1/8 (each side ceil(side / 8)) with the quick decoder of JpegEighth.h alone:
// false when it does not take the file. DecodeJpegAtLeast uses it whenever it decodes at 1/8,
// and libjpeg when it declines; the pixels are libjpeg's either way.
bool DecodeJpegEighthQuickly(const std::uint8_t* data, std::size_t size, TBitmap24& out);
// Whether DecodeJpegAtLeast tries the quick decoder (on by default), so that the two can be
// compared.
void SetQuickEighthDecoding(bool on);

// Compresses the bitmap with quality 1..100 (clamped) and libjpeg's default 4:2:0 sampling.
// False for an empty bitmap.
bool EncodeJpeg(const TBitmap24& bitmap, int quality, std::string& bytes, std::string& error);
