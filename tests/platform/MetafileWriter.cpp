#include "tests/platform/MetafileWriter.h"

#include <algorithm>
#include <cstring>

namespace {

void Put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

void Put32(std::string& s, std::uint32_t v) {
  Put16(s, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<std::uint16_t>(v >> 16));
}

std::vector<std::uint16_t> Words(const std::string& bytes) {
  std::vector<std::uint16_t> words;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const std::uint8_t lo = static_cast<std::uint8_t>(bytes[i]);
    const std::uint8_t hi = i + 1 < bytes.size() ? static_cast<std::uint8_t>(bytes[i + 1]) : 0;
    words.push_back(static_cast<std::uint16_t>(lo | (hi << 8)));
  }
  return words;
}

}  // namespace

std::string MakeDib24(const TBitmap24& bmp) {
  std::string dib;
  const std::size_t stride = TBitmap24::StrideFor(bmp.Width());
  Put32(dib, 40);
  Put32(dib, static_cast<std::uint32_t>(bmp.Width()));
  Put32(dib, static_cast<std::uint32_t>(bmp.Height()));
  Put16(dib, 1);
  Put16(dib, 24);
  Put32(dib, 0);
  Put32(dib, static_cast<std::uint32_t>(stride * bmp.Height()));
  Put32(dib, 2835);
  Put32(dib, 2835);
  Put32(dib, 0);
  Put32(dib, 0);
  for (int y = bmp.Height() - 1; y >= 0; --y) {
    std::string row(reinterpret_cast<const char*>(bmp.Row(y)), bmp.Width() * 3);
    row.resize(stride, '\0');
    dib += row;
  }
  return dib;
}

TWmfWriter::TWmfWriter(int left, int top, int right, int bottom, int units_per_inch) {
  std::vector<std::uint16_t> words = {
      0xCDD7, 0x9AC6, 0, W(left), W(top), W(right), W(bottom), W(units_per_inch), 0, 0};
  std::uint16_t checksum = 0;
  for (std::uint16_t w : words) checksum ^= w;
  for (std::uint16_t w : words) Put16(placeable_, w);
  Put16(placeable_, checksum);
}

int TWmfWriter::NewObject() {
  auto free_slot = std::find(used_.begin(), used_.end(), false);
  const int index = static_cast<int>(free_slot - used_.begin());
  if (free_slot == used_.end())
    used_.push_back(true);
  else
    *free_slot = true;
  return index;
}

int TWmfWriter::CreatePen(int style, int width, TColor c) {
  std::vector<std::uint16_t> p = {W(style), W(width), 0};
  for (std::uint16_t w : Color(c)) p.push_back(w);
  Record(0x02FA, p);
  return NewObject();
}

int TWmfWriter::CreateBrush(int style, TColor c, int hatch) {
  std::vector<std::uint16_t> p = {W(style)};
  for (std::uint16_t w : Color(c)) p.push_back(w);
  p.push_back(W(hatch));
  Record(0x02FC, p);
  return NewObject();
}

int TWmfWriter::CreateFont(int height, const std::string& face, int weight, int escapement,
                           int charset) {
  std::vector<std::uint16_t> p = {
      W(height), 0, W(escapement), W(escapement), W(weight), 0, W(charset << 8), 0, 0};
  std::string name = face.substr(0, 31);
  name.resize(32, '\0');
  for (std::uint16_t w : Words(name)) p.push_back(w);
  Record(0x02FB, p);
  return NewObject();
}

void TWmfWriter::Delete(int index) {
  Record(0x01F0, {W(index)});
  if (index >= 0 && index < static_cast<int>(used_.size())) used_[index] = false;
}

void TWmfWriter::Polygon(const std::vector<std::pair<int, int>>& points) {
  std::vector<std::uint16_t> p = {W(static_cast<int>(points.size()))};
  for (auto [x, y] : points) {
    p.push_back(W(x));
    p.push_back(W(y));
  }
  Record(0x0324, p);
}

void TWmfWriter::Polyline(const std::vector<std::pair<int, int>>& points) {
  std::vector<std::uint16_t> p = {W(static_cast<int>(points.size()))};
  for (auto [x, y] : points) {
    p.push_back(W(x));
    p.push_back(W(y));
  }
  Record(0x0325, p);
}

void TWmfWriter::TextOut(int x, int y, const std::string& text) {
  std::vector<std::uint16_t> p = {W(static_cast<int>(text.size()))};
  for (std::uint16_t w : Words(text)) p.push_back(w);
  p.push_back(W(y));
  p.push_back(W(x));
  Record(0x0521, p);
}

void TWmfWriter::StretchDib(int x, int y, int w, int h, const TBitmap24& bmp) {
  const std::uint32_t srccopy = 0x00CC0020;
  std::vector<std::uint16_t> p = {W(srccopy & 0xFFFF),
                                  W(srccopy >> 16),
                                  0 /* DIB_RGB_COLORS */,
                                  W(bmp.Height()),
                                  W(bmp.Width()),
                                  0,
                                  0,
                                  W(h),
                                  W(w),
                                  W(y),
                                  W(x)};
  for (std::uint16_t v : Words(MakeDib24(bmp))) p.push_back(v);
  Record(0x0F43, p);
}

void TWmfWriter::Record(std::uint16_t function, const std::vector<std::uint16_t>& params) {
  const std::size_t words = 3 + params.size();
  Put32(body_, static_cast<std::uint32_t>(words));
  Put16(body_, function);
  for (std::uint16_t w : params) Put16(body_, w);
  max_record_words_ = std::max(max_record_words_, words);
}

std::string TWmfWriter::Bytes() const {
  std::string body = body_;
  Put32(body, 3);
  Put16(body, 0);
  std::string header;
  Put16(header, 1);
  Put16(header, 9);
  Put16(header, 0x0300);
  Put32(header, static_cast<std::uint32_t>((18 + body.size()) / 2));
  Put16(header, static_cast<std::uint16_t>(std::max<std::size_t>(used_.size(), 1)));
  Put32(header, static_cast<std::uint32_t>(max_record_words_));
  Put16(header, 0);
  return placeable_ + header + body;
}

std::string EmfStretchDibRecord(int x, int y, int w, int h, const TBitmap24& bmp) {
  const std::string dib = MakeDib24(bmp);
  const std::uint32_t fixed = 80;
  std::string r;
  Put32(r, 81);
  Put32(r, static_cast<std::uint32_t>(fixed + dib.size()));
  for (int i = 0; i < 4; ++i) Put32(r, 0);  // bounds
  for (int v : {x, y, 0, 0, bmp.Width(), bmp.Height()}) Put32(r, static_cast<std::uint32_t>(v));
  Put32(r, fixed);                                        // offBmiSrc
  Put32(r, 40);                                           // cbBmiSrc
  Put32(r, fixed + 40);                                   // offBitsSrc
  Put32(r, static_cast<std::uint32_t>(dib.size() - 40));  // cbBitsSrc
  Put32(r, 0);                                            // DIB_RGB_COLORS
  Put32(r, 0x00CC0020);                                   // SRCCOPY
  Put32(r, static_cast<std::uint32_t>(w));
  Put32(r, static_cast<std::uint32_t>(h));
  return r + dib;
}

std::string InsertEmfRecord(const std::string& emf, const std::string& record) {
  // The end record is the last 20 bytes of a file that libEMF writes.
  std::string out = emf.substr(0, emf.size() - 20) + record + emf.substr(emf.size() - 20);
  auto set32 = [&out](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto get32 = [&out](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(out[at + i]);
    return v;
  };
  set32(48, static_cast<std::uint32_t>(out.size()));
  set32(52, get32(52) + 1);
  return out;
}

TEmfWriter::TEmfWriter(int bounds_left, int bounds_top, int bounds_right, int bounds_bottom,
                       int frame_left, int frame_top, int frame_right, int frame_bottom) {
  header_ = {U(bounds_left),
             U(bounds_top),
             U(bounds_right),
             U(bounds_bottom),
             U(frame_left),
             U(frame_top),
             U(frame_right),
             U(frame_bottom),
             0x464D4520,
             0x10000,
             0,
             0,
             0,
             0,
             0,
             0,
             1024,
             768,
             320,
             240,
             0,
             0,
             0,
             320000,
             240000};
}

void TEmfWriter::SetDevice(int pixels_x, int pixels_y, int mm_x, int mm_y) {
  header_[16] = U(pixels_x);
  header_[17] = U(pixels_y);
  header_[18] = U(mm_x);
  header_[19] = U(mm_y);
  header_[23] = U(mm_x * 1000);
  header_[24] = U(mm_y * 1000);
}

std::vector<std::uint32_t> TEmfWriter::Floats(const std::vector<float>& m) {
  std::vector<std::uint32_t> out;
  for (float f : m) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    out.push_back(v);
  }
  return out;
}

void TEmfWriter::ModifyWorldTransform(const std::vector<float>& m, int mode) {
  std::vector<std::uint32_t> fields = Floats(m);
  fields.push_back(U(mode));
  Record(36, fields);
}

int TEmfWriter::CreatePen(int style, int width, TColor c) {
  const int handle = handles_++;
  Record(38, {U(handle), U(style), U(width), 0, c});
  return handle;
}

int TEmfWriter::ExtCreatePen(std::uint32_t style, int width, TColor c) {
  const int handle = handles_++;
  // offBmi, cbBmi, offBits, cbBits, then the pen: style, width, brush style, colour, hatch and
  // the count of style entries.
  Record(95, {U(handle), 0, 0, 0, 0, style, U(width), 0, c, 0, 0});
  return handle;
}

int TEmfWriter::CreateBrush(int style, TColor c, int hatch) {
  const int handle = handles_++;
  Record(39, {U(handle), U(style), c, U(hatch)});
  return handle;
}

int TEmfWriter::CreateFont(int height, const std::u16string& face, int charset, int weight) {
  const int handle = handles_++;
  std::vector<std::uint32_t> f = {
      U(handle), U(height), 0, 0, 0, U(weight), static_cast<std::uint32_t>(charset) << 24, 0};
  std::u16string name = face.substr(0, 31);
  name.resize(32, u'\0');
  for (std::size_t i = 0; i < 32; i += 2) f.push_back(name[i] | (std::uint32_t{name[i + 1]} << 16));
  Record(82, f);
  return handle;
}

void TEmfWriter::Poly16(std::uint32_t type, const std::vector<std::pair<int, int>>& points) {
  std::vector<std::uint32_t> f = {0, 0, 0, 0, U(static_cast<int>(points.size()))};
  for (auto [x, y] : points) f.push_back((U(x) & 0xFFFF) | (U(y) << 16));
  Record(type, f);
}

namespace {

std::string TextRecord(int x, int y, std::uint32_t count, const std::string& bytes) {
  // bounds, graphics mode, scales, then the EMRTEXT: reference, count, offset, options, rect,
  // offset of the advances (none).
  std::string r;
  for (int i = 0; i < 4; ++i) Put32(r, 0);
  Put32(r, 1);
  Put32(r, 0);
  Put32(r, 0);
  Put32(r, static_cast<std::uint32_t>(x));
  Put32(r, static_cast<std::uint32_t>(y));
  Put32(r, count);
  Put32(r, 76);
  for (int i = 0; i < 5; ++i) Put32(r, 0);
  Put32(r, 0);
  r += bytes;
  r.resize((r.size() + 3) / 4 * 4, '\0');
  return r;
}

}  // namespace

void TEmfWriter::TextAnsi(int x, int y, const std::string& bytes) {
  RawRecord(83, TextRecord(x, y, static_cast<std::uint32_t>(bytes.size()), bytes));
}

void TEmfWriter::TextWide(int x, int y, const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) Put16(bytes, c);
  RawRecord(84, TextRecord(x, y, static_cast<std::uint32_t>(text.size()), bytes));
}

std::string EmfStretchBltRecord(int x, int y, int w, int h, std::uint32_t rop, int sx, int sy,
                                int sw, int sh, const std::string& dib) {
  // The DIB header's size and colour count give where the bits start.
  const std::uint32_t bits = static_cast<std::uint8_t>(dib[14]) | (dib[15] << 8);
  const std::uint32_t info = 40 + (bits <= 8 ? (4u << bits) : 0);
  std::string r;
  for (int i = 0; i < 4; ++i) Put32(r, 0);
  for (int v : {x, y, w, h}) Put32(r, static_cast<std::uint32_t>(v));
  Put32(r, rop);
  Put32(r, static_cast<std::uint32_t>(sx));
  Put32(r, static_cast<std::uint32_t>(sy));
  for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    Put32(r, v);
  }
  Put32(r, 0);    // background colour of the source
  Put32(r, 0);    // DIB_RGB_COLORS
  Put32(r, 108);  // offBmiSrc
  Put32(r, info);
  Put32(r, 108 + info);
  Put32(r, static_cast<std::uint32_t>(dib.size() - info));
  Put32(r, static_cast<std::uint32_t>(sw));
  Put32(r, static_cast<std::uint32_t>(sh));
  r += dib;
  r.resize((r.size() + 3) / 4 * 4, '\0');
  std::string record;
  Put32(record, 77);
  Put32(record, static_cast<std::uint32_t>(8 + r.size()));
  return record + r;
}

void TEmfWriter::Raw(const std::string& record) {
  body_ += record;
  ++records_;
}

void TEmfWriter::Record(std::uint32_t type, const std::vector<std::uint32_t>& fields) {
  std::string payload;
  for (std::uint32_t v : fields) Put32(payload, v);
  RawRecord(type, payload);
}

void TEmfWriter::RawRecord(std::uint32_t type, const std::string& payload) {
  Put32(body_, type);
  Put32(body_, static_cast<std::uint32_t>(8 + (payload.size() + 3) / 4 * 4));
  body_ += payload;
  body_.resize((body_.size() + 3) / 4 * 4, '\0');
  ++records_;
}

std::string TEmfWriter::Bytes() const {
  std::string body = body_;
  for (std::uint32_t v : {14u, 20u, 0u, 0u, 20u}) Put32(body, v);  // EOF record
  std::vector<std::uint32_t> h = header_;
  const std::size_t header_size = 8 + 4 * h.size();
  h[10] = static_cast<std::uint32_t>(header_size + body.size());
  h[11] = static_cast<std::uint32_t>(records_ + 1);
  h[12] = static_cast<std::uint32_t>(handles_);
  std::string out;
  Put32(out, 1);
  Put32(out, static_cast<std::uint32_t>(header_size));
  for (std::uint32_t v : h) Put32(out, v);
  return out + body;
}

std::string MakeDib1(const std::vector<std::string>& rows) {
  const int width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  const int height = static_cast<int>(rows.size());
  const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  std::string dib;
  for (std::uint32_t v :
       {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
    Put32(dib, v);
  Put16(dib, 1);
  Put16(dib, 1);
  for (std::uint32_t v : {0u, static_cast<std::uint32_t>(stride * height), 2835u, 2835u, 2u, 0u})
    Put32(dib, v);
  Put32(dib, 0x000000);
  Put32(dib, 0xFFFFFF);
  for (int y = height - 1; y >= 0; --y) {
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x)
      if (rows[y][x] == '1') row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    dib += row;
  }
  return dib;
}
