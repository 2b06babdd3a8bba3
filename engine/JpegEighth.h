#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Bitmap24.h"

class TEngineOwner;

// A quick decoder for the commonest JPEG files at one eighth of their size, for thumbnails.
//
// At 1/8 an 8 x 8 block of a full-resolution component becomes a single pixel, the mean that
// its DC coefficient holds, so its 63 AC coefficients only have to be stepped over. A table that
// swallows a Huffman code together with its extra bits in one look-up steps over them in about
// half the time libjpeg takes to decode them. Components at half resolution in a direction
// become 2 x 2 pixels a block from their low coefficients, as libjpeg does for them.
//
// The output is, bit for bit, libjpeg-turbo's at scale 1/8 with the accurate integer DCT:
// the same reduced inverse DCTs, range limiting, pixel replication and colour conversion.
// It takes sequential Huffman-coded 8-bit files of one scan holding every component: grey,
// or three components as YCbCr or RGB, with sampling factors of 1 or 2.

struct TJpegHuffmanTable {
  std::uint8_t bits[17] = {};  // bits[n]: the number of codes n bits long (bits[0] unused)
  std::uint8_t values[256] = {};
};

struct TJpegEighthComponent {
  int h = 1, v = 1;              // sampling factors
  std::uint16_t quant[64] = {};  // quantisation table in natural (row by row) order
  const TJpegHuffmanTable* dc = nullptr;
  const TJpegHuffmanTable* ac = nullptr;
};

struct TJpegEighthInput {
  int width = 0, height = 0;
  int components = 0;  // 1 (grey) or 3, in the order of the frame and the scan
  bool rgb = false;    // three components hold R, G, B rather than Y, Cb, Cr
  TJpegEighthComponent component[3];
  int restart_interval = 0;  // MCUs between restart markers, 0 for none
  // The entropy-coded data of the scan (what follows the start-of-scan header) to the end.
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// Decodes into out, ceil(width / 8) x ceil(height / 8) pixels. False when the file is not one
// this decoder takes or its data is not clean (an invalid code, a restart marker out of place,
// data that ends before the last block, tables that do not make a code), and as soon as the
// owner's busy flag is cleared: libjpeg then decodes the file and has its own answer for each
// of those. out may have been resized either way.
bool DecodeJpegEighth(const TJpegEighthInput& in, TBitmap24& out,
                      const TEngineOwner* owner = nullptr);
