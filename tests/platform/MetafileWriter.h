#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/Bitmap24.h"

// Builds a Windows metafile record by record, for tests: a placeable header, the standard
// header and whatever records the test adds. Object indexes follow the format's rule (the lowest
// free slot).
class TWmfWriter {
 public:
  // Placeable header with the bounding box in logical units and the units per inch.
  TWmfWriter(int left, int top, int right, int bottom, int units_per_inch);

  void SetWindowOrg(int x, int y) { Record(0x020B, {W(y), W(x)}); }
  void SetWindowExt(int w, int h) { Record(0x020C, {W(h), W(w)}); }
  void SetMapMode(int mode) { Record(0x0103, {W(mode)}); }
  void SetBkMode(int mode) { Record(0x0102, {W(mode)}); }
  void SetTextColor(TColor c) { Record(0x0209, Color(c)); }
  void SetTextAlign(int align) { Record(0x012E, {W(align)}); }

  int CreatePen(int style, int width, TColor c);
  int CreateBrush(int style, TColor c, int hatch = 0);
  int CreateFont(int height, const std::string& face, int weight = 400, int escapement = 0,
                 int charset = 0);
  void Select(int index) { Record(0x012D, {W(index)}); }
  void Delete(int index);

  void MoveTo(int x, int y) { Record(0x0214, {W(y), W(x)}); }
  void LineTo(int x, int y) { Record(0x0213, {W(y), W(x)}); }
  void Rectangle(int l, int t, int r, int b) { Record(0x041B, {W(b), W(r), W(t), W(l)}); }
  void Ellipse(int l, int t, int r, int b) { Record(0x0418, {W(b), W(r), W(t), W(l)}); }
  void Polygon(const std::vector<std::pair<int, int>>& points);
  void Polyline(const std::vector<std::pair<int, int>>& points);
  void TextOut(int x, int y, const std::string& text);
  void SaveDC() { Record(0x001E, {}); }
  void RestoreDC(int n) { Record(0x0127, {W(n)}); }
  void IntersectClipRect(int l, int t, int r, int b) { Record(0x0416, {W(b), W(r), W(t), W(l)}); }
  // A 24-bit bottom-up DIB of the bitmap stretched over the destination rectangle (SRCCOPY).
  void StretchDib(int x, int y, int w, int h, const TBitmap24& bmp);

  // Any record, for malformed input.
  void Record(std::uint16_t function, const std::vector<std::uint16_t>& params);
  void RawBytes(const std::string& bytes) { body_ += bytes; }

  // The finished file (the end record is added here).
  std::string Bytes() const;

  static std::uint16_t W(int v) { return static_cast<std::uint16_t>(v); }
  static std::vector<std::uint16_t> Color(TColor c) { return {W(c & 0xFFFF), W(c >> 16)}; }

 private:
  int NewObject();

  std::string placeable_;
  std::string body_;
  std::vector<bool> used_;
  std::size_t max_record_words_ = 3;
};

// A 24-bit bottom-up DIB (header + pixels) of a bitmap.
std::string MakeDib24(const TBitmap24& bmp);

// Builds an enhanced metafile record by record, for tests. The header's bounds are in reference
// device pixels and its frame in hundredths of a millimetre (both inclusive); the reference
// device is 1024 x 768 pixels on 320 x 240 mm unless a test sets it. Object handles count from 1.
class TEmfWriter {
 public:
  TEmfWriter(int bounds_left, int bounds_top, int bounds_right, int bounds_bottom, int frame_left,
             int frame_top, int frame_right, int frame_bottom);
  void SetDevice(int pixels_x, int pixels_y, int mm_x, int mm_y);

  void SetMapMode(int mode) { Record(17, {U(mode)}); }
  void SetWindowOrg(int x, int y) { Record(10, {U(x), U(y)}); }
  void SetWindowExt(int w, int h) { Record(9, {U(w), U(h)}); }
  void SetViewportOrg(int x, int y) { Record(12, {U(x), U(y)}); }
  void SetViewportExt(int w, int h) { Record(11, {U(w), U(h)}); }
  // eM11, eM12, eM21, eM22, eDx, eDy.
  void SetWorldTransform(const std::vector<float>& m) { Record(35, Floats(m)); }
  void ModifyWorldTransform(const std::vector<float>& m, int mode);
  void SetBkMode(int mode) { Record(18, {U(mode)}); }
  void SetTextColor(TColor c) { Record(24, {c}); }
  void SetTextAlign(int align) { Record(22, {U(align)}); }
  void SaveDC() { Record(33, {}); }
  void RestoreDC(int n) { Record(34, {U(n)}); }

  int CreatePen(int style, int width, TColor c);
  // EXTCREATEPEN with a solid brush and no style entries; style carries PS_GEOMETRIC (0x10000)
  // or not.
  int ExtCreatePen(std::uint32_t style, int width, TColor c);
  int CreateBrush(int style, TColor c, int hatch = 0);
  // EXTCREATEFONTINDIRECTW with a height in logical units.
  int CreateFont(int height, const std::u16string& face, int charset, int weight = 400);
  void Select(int handle) { Record(37, {U(handle)}); }
  void SelectStock(int stock) { Record(37, {0x80000000u | U(stock)}); }

  void Rectangle(int l, int t, int r, int b) { Record(43, {U(l), U(t), U(r), U(b)}); }
  void Polygon16(const std::vector<std::pair<int, int>>& points) { Poly16(86, points); }
  void Polyline16(const std::vector<std::pair<int, int>>& points) { Poly16(87, points); }
  // EXTTEXTOUTA of 8-bit text, or EXTTEXTOUTW of UTF-16 text, at (x, y) without advances.
  void TextAnsi(int x, int y, const std::string& bytes);
  void TextWide(int x, int y, const std::u16string& text);
  void IntersectClipRect(int l, int t, int r, int b) { Record(30, {U(l), U(t), U(r), U(b)}); }
  // A whole record made elsewhere (EmfStretchBltRecord).
  void Raw(const std::string& record);

  void Record(std::uint32_t type, const std::vector<std::uint32_t>& fields);
  void RawRecord(std::uint32_t type, const std::string& payload);
  std::string Bytes() const;

  static std::uint32_t U(int v) { return static_cast<std::uint32_t>(v); }
  static std::vector<std::uint32_t> Floats(const std::vector<float>& m);

 private:
  void Poly16(std::uint32_t type, const std::vector<std::pair<int, int>>& points);

  std::vector<std::uint32_t> header_;
  std::string body_;
  int records_ = 1;
  int handles_ = 1;
};

// A 1-bit DIB (header, black and white colour table, bits) from rows of '0'/'1' characters,
// top row first; a 1 is white.
std::string MakeDib1(const std::vector<std::string>& rows);

// An enhanced metafile's STRETCHBLT record of a packed DIB (header, colours and bits) from the
// source rectangle (sx, sy, sw, sh) over the logical rectangle (x, y, w, h).
std::string EmfStretchBltRecord(int x, int y, int w, int h, std::uint32_t rop, int sx, int sy,
                                int sw, int sh, const std::string& dib);

// An enhanced metafile's STRETCHDIBITS record drawing bmp over the logical rectangle.
std::string EmfStretchDibRecord(int x, int y, int w, int h, const TBitmap24& bmp);
// The metafile with record inserted before its end record, header counts updated.
std::string InsertEmfRecord(const std::string& emf, const std::string& record);
