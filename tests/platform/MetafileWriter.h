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

// An enhanced metafile's STRETCHDIBITS record drawing bmp over the logical rectangle.
std::string EmfStretchDibRecord(int x, int y, int w, int h, const TBitmap24& bmp);
// The metafile with record inserted before its end record, header counts updated.
std::string InsertEmfRecord(const std::string& emf, const std::string& record);
