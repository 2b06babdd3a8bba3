#include "engine/ImageOption.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string_view>
#include <vector>

#include "engine/CaptureBasics.h"
#include "engine/EffectFields.h"
#include "engine/ImageUtils.h"

namespace {

using effect_fields::ParseColor;
using effect_fields::ParseInt;

// Longer texts cannot make a block within the size limit in any sensible font, and measuring
// them would cost the font engine far more memory than any picture.
constexpr std::size_t kMaxTextBytes = 1 << 20;

bool Fail(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
  return false;
}

// CR LF and a lone CR end a line; so does a lone LF, which texts typed on this platform use.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back().push_back(c);
    }
  }
  return lines;
}

// A named or numeric position of the block along one side of the picture. names are the far
// outside, start, centre, end and far outside beyond names ("LL", "L", "C", "R", "RR").
struct TPosition {
  std::int64_t value = 0;
  bool outside_name = false;  // "LL"/"RR" or "TT"/"BB"
};

TPosition ResolvePosition(const std::string& field, const std::array<const char*, 5>& names,
                          std::int64_t picture, std::int64_t block) {
  const std::string name = effect_fields::Upper(effect_fields::TrimBlanks(field));
  if (name == names[0]) return {-block, true};
  if (name == names[1]) return {0, false};
  if (name == names[2]) return {(picture - block) / 2, false};
  if (name == names[3]) return {picture - block, false};
  if (name == names[4]) return {picture, true};
  int value = 0;
  if (!ParseInt(field, value)) value = 0;
  return {value, false};
}

std::int64_t Trunc(double v) { return static_cast<std::int64_t>(std::trunc(v)); }

std::uint8_t RoundToByte(double v) {
  v = std::nearbyint(v);
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace

std::string UnescapeEffectText(const std::string& text) { return UnescapeText(text); }

bool ParseTextSettings(const std::string& settings, TTextSettings& out, std::string* reason) {
  if (settings.empty()) return Fail(reason, "empty text settings");
  std::string_view f[12];
  if (!effect_fields::SplitExact(settings, ',', 12, f))
    return Fail(reason, "text settings need exactly 12 fields");
  int angle = 0, keep = 0, style = 0, points = 0;
  TColor color = kBlack;
  if (!ParseInt(f[10], angle) || !ParseInt(f[11], keep))
    return Fail(reason, "angle and keep-size fields must be integers");
  if (!ParseInt(f[3], style) || !ParseInt(f[4], points) || !ParseColor(f[5], color))
    return Fail(reason, "style, size and colour fields must be integers");
  if (f[6].size() > kMaxTextBytes) return Fail(reason, "text too long");

  TTextSettings s;
  s.x = std::string(f[0]);
  s.y = std::string(f[1]);
  s.font.family = std::string(effect_fields::TrimBlanks(f[2]));
  const std::int64_t digits = std::abs(static_cast<std::int64_t>(style));
  s.font.bold = digits % 2 != 0;
  s.font.italic = digits / 10 % 2 != 0;
  s.font.underline = digits / 100 % 2 != 0;
  s.font.strike_out = digits / 1000 % 2 != 0;
  s.font.size = points;
  s.color = color;
  s.text = UnescapeEffectText(std::string(f[6]));
  if (!ParseInt(f[7], s.blend)) s.blend = 0;
  if (!ParseColor(f[8], s.back_color)) s.back_color = kWhite;
  if (!ParseColor(f[9], s.canvas_color)) s.canvas_color = kWhite;
  // Into 0..3599 for any input, -3600 included.
  s.angle = static_cast<int>(((static_cast<std::int64_t>(angle) % 3600) + 3600) % 3600);
  s.keep_size = keep == 1;
  out = std::move(s);
  return true;
}

bool DrawText(const TBitmap24& source, TBitmap24& result, const std::string& settings,
              const TFontRasteriser& rasteriser, int& left, int& top, std::string* reason) {
  left = top = 0;
  if (!TImU::SizeIsAllowed(source.Width(), source.Height()))
    return Fail(reason, "the picture " + TImU::RefusalText(source.Width(), source.Height()));
  TTextSettings parsed;
  if (!ParseTextSettings(settings, parsed, reason)) return false;
  return DrawText(source, result, parsed, rasteriser, left, top, reason);
}

bool DrawText(const TBitmap24& source, TBitmap24& result, const TTextSettings& settings,
              const TFontRasteriser& rasteriser, int& left, int& top, std::string* reason) {
  left = top = 0;
  if (!TImU::SizeIsAllowed(source.Width(), source.Height()))
    return Fail(reason, "the picture " + TImU::RefusalText(source.Width(), source.Height()));
  if (settings.text.empty()) {
    if (&result != &source) result = source;
    return true;
  }
  if (settings.text.size() > kMaxTextBytes) return Fail(reason, "text too long");
  // No line of a font taller than the widest picture can make an allowed block.
  if (FontPixelSize(settings.font.size) > TImU::MaxWidth())
    return Fail(reason, "font size too large");

  const std::vector<std::string> lines = SplitLines(settings.text);
  if (lines.empty()) return Fail(reason, "no lines");
  std::vector<TTextExtent> extents;
  if (!rasteriser.MeasureLines(settings.font, lines, extents) || extents.size() != lines.size())
    return Fail(reason, "cannot measure the text");
  std::int64_t w = 0, lh = 0;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    w = std::max<std::int64_t>(w, extents[k].width);
    if (lh == 0 && !lines[k].empty()) lh = extents[k].height;
  }
  if (w <= 0) return Fail(reason, "text has no width");
  if (lh < 1) return Fail(reason, "text has no height");
  w += 2;
  const std::int64_t n = static_cast<std::int64_t>(lines.size());
  const std::int64_t h = lh * n + 2;

  // Rotation: start point by quadrant, then the bounding block of the turned text.
  const int a = settings.angle;
  const double t = a * std::numbers::pi / 1800.0;
  const double s = std::sin(t), c = std::cos(t);
  const double wd = static_cast<double>(w), hd = static_cast<double>(h);
  std::int64_t x0 = 1, y0 = 1;
  if (a > 0 && a <= 899) {
    x0 = x0 + Trunc(s * hd);
  } else if (a >= 900 && a <= 1799) {
    x0 = x0 + Trunc(s * hd - wd * c);
    y0 = y0 - Trunc(hd * c);
  } else if (a >= 1800 && a <= 2699) {
    x0 = -x0 - Trunc(wd * c);
    y0 = -y0 - Trunc(hd * c + wd * s);
  } else if (a >= 2700) {
    x0 = -x0;
    y0 = -y0 - Trunc(wd * s);
  }
  const double block_w = std::nearbyint(std::fabs(s) * hd + std::fabs(c) * wd);
  const double block_h = std::nearbyint(std::fabs(c) * hd + std::fabs(s) * wd);
  if (block_w > TImU::MaxArea() || block_h > TImU::MaxArea() ||
      !TImU::SizeIsAllowed(static_cast<std::int64_t>(block_w), static_cast<std::int64_t>(block_h)))
    return Fail(reason, "the text block " +
                            TImU::RefusalText(static_cast<std::int64_t>(std::min(block_w, 1e15)),
                                              static_cast<std::int64_t>(std::min(block_h, 1e15))));
  const std::int64_t bw_full = static_cast<std::int64_t>(block_w);
  const std::int64_t bh_full = static_cast<std::int64_t>(block_h);

  const std::int64_t p = source.Width(), q = source.Height();
  const TPosition px = ResolvePosition(settings.x, {"LL", "L", "C", "R", "RR"}, p, bw_full);
  const TPosition py = ResolvePosition(settings.y, {"TT", "T", "C", "B", "BB"}, q, bh_full);
  std::int64_t bl = px.value, bt = py.value, bw = bw_full, bh = bh_full;

  // Canvas geometry: the source's place in it and the block's.
  std::int64_t canvas_w = p, canvas_h = q, src_x = 0, src_y = 0;
  if (settings.keep_size) {
    if (px.outside_name || py.outside_name)
      return Fail(reason, "outside positions need a growing canvas");
    if (bl > p || bt > q) return Fail(reason, "text block placed beyond the picture");
    if (bl + bw > p) bw = p - bl;
    if (bt + bh > q) bh = q - bt;
    if (bl < 0) {
      bw += bl;
      x0 += bl;
      bl = 0;
    }
    if (bt < 0) {
      bh += bt;
      y0 += bt;
      bt = 0;
    }
  } else {
    const std::int64_t origin_x = std::min<std::int64_t>(0, bl);
    const std::int64_t origin_y = std::min<std::int64_t>(0, bt);
    canvas_w = std::max(p, bl + bw) - origin_x;
    canvas_h = std::max(q, bt + bh) - origin_y;
    if (!TImU::SizeIsAllowed(canvas_w, canvas_h))
      return Fail(reason, "the grown picture " + TImU::RefusalText(canvas_w, canvas_h));
    src_x = -origin_x;
    src_y = -origin_y;
    bl -= origin_x;
    bt -= origin_y;
  }

  // The block is drawn before the result is touched, so a failing rasteriser changes nothing.
  TBitmap24 block;
  const bool visible = bw > 0 && bh > 0;
  if (visible) {
    block.SetSize(static_cast<int>(bw), static_cast<int>(bh));
    block.Fill(settings.back_color);
    std::vector<TTextOrigin> origins(lines.size());
    for (std::int64_t k = 0; k < n; ++k) {
      if (a == 0) {
        origins[k] = {static_cast<int>(x0), static_cast<int>(y0 + k * lh)};
      } else {
        const double step = static_cast<double>(k * lh);
        origins[k] = {static_cast<int>(x0 + Trunc(-step * s)),
                      static_cast<int>(y0 + Trunc(step * c))};
      }
    }
    if (!rasteriser.DrawLines(block, settings.font, settings.color, lines, origins, a,
                              settings.blend == 0))
      return Fail(reason, "cannot draw the text");
  }

  if (settings.keep_size) {
    if (&result != &source) result = source;
  } else {
    // The source may be the result itself: compose into a scratch bitmap in that case.
    TBitmap24 scratch;
    TBitmap24& canvas = (&result == &source) ? scratch : result;
    canvas.SetSize(static_cast<int>(canvas_w), static_cast<int>(canvas_h));
    canvas.Fill(settings.canvas_color);
    canvas.Draw(source, static_cast<int>(src_x), static_cast<int>(src_y));
    if (&canvas == &scratch) result.Swap(scratch);
  }
  if (visible) {
    if (settings.blend == 0) {
      result.Draw(block, static_cast<int>(bl), static_cast<int>(bt));
    } else {
      const double weight = 1.0 / std::fabs(static_cast<double>(settings.blend));
      OverlayKeyed(block, result, settings.blend < 0, weight, static_cast<int>(bl),
                   static_cast<int>(bt));
    }
  }
  left = static_cast<int>(bl);
  top = static_cast<int>(bt);
  return true;
}

bool OverlayKeyed(const TBitmap24& block, TBitmap24& target, bool additive, double weight, int x,
                  int y, TBandExecutor* executor) {
  if (block.Empty() || !(weight > 0) || !std::isfinite(weight)) return false;
  if (x < 0 || y < 0 || static_cast<std::int64_t>(x) + block.Width() > target.Width() ||
      static_cast<std::int64_t>(y) + block.Height() > target.Height())
    return false;

  const std::uint8_t* key = block.Row(block.Height() - 1);
  const std::uint8_t k0 = key[0], k1 = key[1], k2 = key[2];
  // Per-value tables: the rounded weighted block value and the rounded kept target share.
  std::array<int, 256> weighted{};
  std::array<int, 256> kept{};
  for (int v = 0; v < 256; ++v) {
    weighted[v] = static_cast<int>(std::min(std::nearbyint(weight * v), 1e6));
    kept[v] = static_cast<int>(std::max(std::nearbyint(v * (1 - weight)), -1e6));
  }
  std::array<std::uint8_t, 256 * 256> mix{};
  if (additive) {
    for (int d = 0; d < 256; ++d)
      for (int b = 0; b < 256; ++b) {
        const int g = weighted[b];
        const int v = (d == 255 || d + g > 255) ? std::max(0, d - g) : d + g;
        mix[d * 256 + b] = static_cast<std::uint8_t>(v);
      }
  } else if (weight == 1) {
    for (int d = 0; d < 256; ++d)
      for (int b = 0; b < 256; ++b) mix[d * 256 + b] = static_cast<std::uint8_t>(b);
  } else {
    for (int d = 0; d < 256; ++d)
      for (int b = 0; b < 256; ++b) mix[d * 256 + b] = RoundToByte(kept[d] + weighted[b]);
  }

  const int width = block.Width();
  TRowBands run(executor, nullptr, TEngineOperation::kText, block.Height());
  return run.Run([&](int, int begin, int end) {
    for (int row = begin; row < end; ++row) {
      const std::uint8_t* src = block.Row(row);
      std::uint8_t* dst = target.Row(y + row) + 3 * static_cast<std::size_t>(x);
      for (int i = 0; i < width; ++i, src += 3, dst += 3) {
        if (src[0] == k0 && src[1] == k1 && src[2] == k2) continue;
        dst[0] = mix[dst[0] * 256 + src[0]];
        dst[1] = mix[dst[1] * 256 + src[1]];
        dst[2] = mix[dst[2] * 256 + src[2]];
      }
    }
    return true;
  });
}
