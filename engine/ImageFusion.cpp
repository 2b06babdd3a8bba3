#include "engine/ImageFusion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/EffectFields.h"
#include "engine/ImageUtils.h"

namespace {

using effect_fields::ParseInt;

bool Fail(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
  return false;
}

std::uint8_t RoundToByte(double v) {
  v = std::nearbyint(v);
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Place of B along one side; a text that is neither a name nor an integer places it at 0.
std::int64_t ResolvePlace(const std::string& field, const std::array<const char*, 5>& names,
                          std::int64_t size_a, std::int64_t size_b) {
  const std::string name = effect_fields::Upper(effect_fields::TrimBlanks(field));
  if (name == names[0]) return -size_b;
  if (name == names[1]) return 0;
  if (name == names[2]) return (size_a - size_b) / 2;
  if (name == names[3]) return size_a - size_b;
  if (name == names[4]) return size_a;
  int value = 0;
  return ParseInt(field, value) ? value : 0;
}

// The front picture's key colour, read at the pixel the corner code names.
TColor KeyColor(const TBitmap24& front, const std::string& corner, bool all_codes) {
  const int w = front.Width(), h = front.Height();
  const std::string code = effect_fields::Upper(corner);
  int x = 0, y = h - 1;
  if (code == "TL") {
    x = 0, y = 0;
  } else if (code == "CC") {
    x = w / 2, y = h / 2;
  } else if (all_codes) {
    if (code == "TC")
      x = w / 2, y = 0;
    else if (code == "TR")
      x = w - 1, y = 0;
    else if (code == "CL")
      x = 0, y = h / 2;
    else if (code == "CR")
      x = w - 1, y = h / 2;
    else if (code == "BC")
      x = w / 2, y = h - 1;
    else if (code == "BR")
      x = w - 1, y = h - 1;
  }
  return front.Pixel(x, y);
}

enum class TCover { kNone, kA, kB, kBoth };

// Everything the per-pixel loops need, decided once per call.
struct TMixer {
  bool keyed_a = false;  // mode -3: A is transparent where it equals key_a
  bool keyed_b = false;  // mode -4: B is transparent where it equals key_b
  std::uint8_t key_a[3] = {};
  std::uint8_t key_b[3] = {};
  bool front_a = false;                    // modes 3/-3
  bool front_b = false;                    // modes 4/-4
  std::array<std::uint8_t, 256> only_a{};  // value where only A counts
  std::array<std::uint8_t, 256> only_b{};
  std::vector<std::uint8_t> both;  // [a * 256 + b] for the summing modes
};

TMixer MakeMixer(const TBitmap24& a, const TBitmap24& b, const TFusionSettings& s) {
  TMixer m;
  const double wa = s.rate_a / 100.0, wb = s.rate_b / 100.0;
  const int mode = s.mode;
  const bool summing = mode == 1 || mode == 2 || mode == -1 || mode == -2;
  const bool absolute = mode == 2 || mode == -2;
  for (int v = 0; v < 256; ++v) {
    if (mode == -1 || mode == -2) {
      const double one_a = s.percent * (wa + wb) * v / 100.0;
      m.only_a[v] = RoundToByte(absolute ? std::fabs(one_a) : one_a);
      m.only_b[v] = m.only_a[v];
    } else if (absolute) {
      m.only_a[v] = RoundToByte(std::fabs(v * wa + 0 * wb));
      m.only_b[v] = RoundToByte(std::fabs(0 * wa + v * wb));
    } else {
      m.only_a[v] = RoundToByte(v * wa);
      m.only_b[v] = RoundToByte(v * wb);
    }
  }
  if (summing) {
    m.both.resize(256 * 256);
    for (int va = 0; va < 256; ++va)
      for (int vb = 0; vb < 256; ++vb) {
        const double sum = va * wa + vb * wb;
        m.both[va * 256 + vb] = RoundToByte(absolute ? std::fabs(sum) : sum);
      }
  }
  m.front_a = mode == 3 || mode == -3;
  m.front_b = mode == 4 || mode == -4;
  const auto set_key = [](std::uint8_t* key, TColor c) {
    key[0] = ColorBlue(c), key[1] = ColorGreen(c), key[2] = ColorRed(c);
  };
  if (mode == -3) {
    m.keyed_a = true;
    set_key(m.key_a, KeyColor(a, s.corner, true));
  } else if (mode == -4) {
    m.keyed_b = true;
    set_key(m.key_b, KeyColor(b, s.corner, false));
  }
  return m;
}

inline bool IsKey(const std::uint8_t* p, const std::uint8_t* key) {
  return p[0] == key[0] && p[1] == key[1] && p[2] == key[2];
}

inline void Put(std::uint8_t* dst, const std::uint8_t* src,
                const std::array<std::uint8_t, 256>& t) {
  dst[0] = t[src[0]];
  dst[1] = t[src[1]];
  dst[2] = t[src[2]];
}

// One run of count pixels of one coverage kind; pa and pb point at the pictures' pixels of the
// run (null where the picture does not cover it).
void MixRun(const TMixer& m, TCover cover, const std::uint8_t* pa, const std::uint8_t* pb,
            std::uint8_t* dst, int count) {
  switch (cover) {
    case TCover::kNone:
      return;
    case TCover::kA:
      for (int i = 0; i < count; ++i, pa += 3, dst += 3)
        if (!m.keyed_a || !IsKey(pa, m.key_a)) Put(dst, pa, m.only_a);
      return;
    case TCover::kB:
      for (int i = 0; i < count; ++i, pb += 3, dst += 3)
        if (!m.keyed_b || !IsKey(pb, m.key_b)) Put(dst, pb, m.only_b);
      return;
    case TCover::kBoth:
      if (m.front_a) {
        for (int i = 0; i < count; ++i, pa += 3, pb += 3, dst += 3)
          Put(dst, (m.keyed_a && IsKey(pa, m.key_a)) ? pb : pa,
              (m.keyed_a && IsKey(pa, m.key_a)) ? m.only_b : m.only_a);
      } else if (m.front_b) {
        for (int i = 0; i < count; ++i, pa += 3, pb += 3, dst += 3)
          Put(dst, (m.keyed_b && IsKey(pb, m.key_b)) ? pa : pb,
              (m.keyed_b && IsKey(pb, m.key_b)) ? m.only_a : m.only_b);
      } else {
        const std::uint8_t* both = m.both.data();
        const int n = 3 * count;
        for (int i = 0; i < n; ++i) dst[i] = both[pa[i] * 256 + pb[i]];
      }
      return;
  }
}

}  // namespace

bool ParseFusionSettings(const std::string& settings, TFusionSettings& out, std::string* reason) {
  std::string_view f[8];
  if (!effect_fields::SplitExact(settings, ',', 8, f))
    return Fail(reason, "fusion settings need exactly 8 fields");
  TFusionSettings s;
  int color = 0;
  if (!ParseInt(f[2], s.rate_a) || !ParseInt(f[3], s.rate_b) || !ParseInt(f[4], s.mode) ||
      !ParseInt(f[7], color))
    return Fail(reason, "rates, mode and canvas colour must be integers");
  if (s.mode == 0 || s.mode < -4 || s.mode > 4) return Fail(reason, "unknown fusion mode");
  if ((s.mode == -1 || s.mode == -2) && !ParseInt(f[5], s.percent))
    return Fail(reason, "modes -1 and -2 need an integer percent");
  s.x = std::string(f[0]);
  s.y = std::string(f[1]);
  s.corner = std::string(effect_fields::TrimBlanks(f[5]));
  s.keep_size = effect_fields::TrimBlanks(f[6]) == "1";
  s.canvas_color = (color < 0 || color > 0xFFFFFF) ? kWhite : static_cast<TColor>(color);
  out = std::move(s);
  return true;
}

bool Fuse(const TBitmap24& a, const TBitmap24& b, int& top, int& left, const std::string& settings,
          TBitmap24& result, std::string* reason, TBandExecutor* executor) {
  top = left = 0;
  if (a.Empty() || b.Empty()) return Fail(reason, "both pictures are needed");
  TFusionSettings parsed;
  if (!ParseFusionSettings(settings, parsed, reason)) return false;
  return Fuse(a, b, top, left, parsed, result, reason, executor);
}

bool Fuse(const TBitmap24& a, const TBitmap24& b, int& top, int& left,
          const TFusionSettings& settings, TBitmap24& result, std::string* reason,
          TBandExecutor* executor) {
  top = left = 0;
  if (a.Empty() || b.Empty()) return Fail(reason, "both pictures are needed");
  const std::int64_t wa = a.Width(), ha = a.Height(), wb = b.Width(), hb = b.Height();
  const std::int64_t x = ResolvePlace(settings.x, {"LL", "L", "C", "R", "RR"}, wa, wb);
  const std::int64_t y = ResolvePlace(settings.y, {"TT", "T", "C", "B", "BB"}, ha, hb);

  std::int64_t canvas_w = wa, canvas_h = ha, ax = 0, ay = 0, bx = x, by = y;
  if (!settings.keep_size) {
    const std::int64_t origin_x = std::min<std::int64_t>(0, x);
    const std::int64_t origin_y = std::min<std::int64_t>(0, y);
    canvas_w = std::max(wa, x + wb) - origin_x;
    canvas_h = std::max(ha, y + hb) - origin_y;
    ax = -origin_x, ay = -origin_y;
    bx = x - origin_x, by = y - origin_y;
  }
  // Checked for the kept size too: A itself may be a picture loaded beyond the working limit.
  if (!TImU::SizeIsAllowed(canvas_w, canvas_h))
    return Fail(reason, "the fused picture " + TImU::RefusalText(canvas_w, canvas_h));

  const TMixer mixer = MakeMixer(a, b, settings);
  TBitmap24 scratch;
  const bool aliased = &result == &a || &result == &b;
  TBitmap24& canvas = aliased ? scratch : result;
  if (!canvas.SetSize(static_cast<int>(canvas_w), static_cast<int>(canvas_h)))
    return Fail(reason, "fused picture beyond the size limit");

  // Columns where each picture lies, cut to the canvas; the run boundaries of every row.
  const auto clip = [&](std::int64_t v) { return std::clamp<std::int64_t>(v, 0, canvas_w); };
  const std::int64_t a0 = clip(ax), a1 = clip(ax + wa), b0 = clip(bx), b1 = clip(bx + wb);
  std::array<std::int64_t, 6> cuts = {0, canvas_w, a0, a1, b0, b1};
  std::sort(cuts.begin(), cuts.end());

  TRowBands run(executor, nullptr, TEngineOperation::kFusion, static_cast<int>(canvas_h));
  run.Run([&](int, int band_begin, int band_end) {
    canvas.FillRect(0, band_begin, static_cast<int>(canvas_w), band_end, settings.canvas_color);
    for (std::int64_t row = band_begin; row < band_end; ++row) {
      const bool row_a = row >= ay && row < ay + ha;
      const bool row_b = row >= by && row < by + hb;
      if (!row_a && !row_b) continue;
      std::uint8_t* dst_row = canvas.Row(static_cast<int>(row));
      const std::uint8_t* a_row = row_a ? a.Row(static_cast<int>(row - ay)) : nullptr;
      const std::uint8_t* b_row = row_b ? b.Row(static_cast<int>(row - by)) : nullptr;
      for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const std::int64_t start = cuts[i], end = cuts[i + 1];
        if (start >= end) continue;
        const bool in_a = row_a && start >= a0 && end <= a1;
        const bool in_b = row_b && start >= b0 && end <= b1;
        const TCover cover =
            in_a ? (in_b ? TCover::kBoth : TCover::kA) : (in_b ? TCover::kB : TCover::kNone);
        const std::uint8_t* pa = in_a ? a_row + 3 * (start - ax) : nullptr;
        const std::uint8_t* pb = in_b ? b_row + 3 * (start - bx) : nullptr;
        MixRun(mixer, cover, pa, pb, dst_row + 3 * start, static_cast<int>(end - start));
      }
    }
    return true;
  });
  if (aliased) result.Swap(scratch);
  left = static_cast<int>(x);
  top = static_cast<int>(y);
  return true;
}
