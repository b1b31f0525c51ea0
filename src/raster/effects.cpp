// The effects, copies and fades as integer loops over whole rows.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "raster/pixels.h"

namespace tama::raster {

namespace {

inline int R(uint32_t p) { return p >> 16 & 0xFF; }
inline int G(uint32_t p) { return p >> 8 & 0xFF; }
inline int B(uint32_t p) { return p & 0xFF; }
inline uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}
inline int Clamp(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, 255)); }

// every channel through a table of 256 entries
void Map(TPixels& p, const uint8_t table[256]) {
  for (uint32_t& v : p.px) v = Rgb(table[R(v)], table[G(v)], table[B(v)]);
  p.alpha = false;
}

// The channel sums of the 3 x 3 pixels around (x, y), which is not on the border.
void BlockSum(const TPixels& p, int x, int y, int sum[3]) {
  sum[0] = sum[1] = sum[2] = 0;
  for (int yy = y - 1; yy <= y + 1; ++yy)
    for (int xx = x - 1; xx <= x + 1; ++xx) {
      const uint32_t v = p.At(xx, yy);
      sum[0] += R(v);
      sum[1] += G(v);
      sum[2] += B(v);
    }
}

// f(destination pixel, source pixel) wherever src placed at (x, y) covers dst.
template <class F>
void EachCovered(TPixels& dst, const TPixels& src, int x, int y, F f) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = static_cast<int>(std::min<int64_t>(dst.w, int64_t{x} + src.w));
  const int y1 = static_cast<int>(std::min<int64_t>(dst.h, int64_t{y} + src.h));
  for (int yy = y0; yy < y1; ++yy)
    for (int xx = x0; xx < x1; ++xx) f(dst.At(xx, yy), src.At(xx - x, yy - y));
}

}  // namespace

TPixels Make(int w, int h, uint32_t fill) {
  TPixels p;
  p.w = std::max(0, w);
  p.h = std::max(0, h);
  p.px.assign(static_cast<size_t>(p.w) * p.h, fill);
  return p;
}

void MakeOpaque(TPixels& p) {
  for (uint32_t& v : p.px) v |= 0xFF000000u;
  p.alpha = false;
  p.depth = 24;
}

void Resize(TPixels& p, int w, int h, uint32_t fill) {
  if (w == p.w && h == p.h) return;
  TPixels n = Make(w, h, fill);
  n.alpha = p.alpha;
  n.depth = p.depth;
  for (int y = 0; y < std::min(h, p.h); ++y)
    std::copy_n(&p.px[static_cast<size_t>(y) * p.w], std::min(w, p.w), &n.px[static_cast<size_t>(y) * w]);
  p = std::move(n);
}

void Draw(TPixels& dst, const TPixels& src, int x, int y) {
  if (!src.alpha) {
    const uint32_t opaque = dst.alpha ? 0 : 0xFF000000u;
    EachCovered(dst, src, x, y, [opaque](uint32_t& d, uint32_t s) { d = s | opaque; });
    return;
  }
  const bool keepAlpha = dst.alpha;
  EachCovered(dst, src, x, y, [keepAlpha](uint32_t& d, uint32_t s) {
    const int a = s >> 24;
    if (a == 255) {
      d = s;
    } else if (a) {
      auto mix = [a](int sv, int dv) { return (sv * a + dv * (255 - a) + 127) / 255; };
      const int da = d >> 24, oa = a + da * (255 - a) / 255;
      d = static_cast<uint32_t>(keepAlpha ? oa : 255) << 24 | static_cast<uint32_t>(mix(R(s), R(d))) << 16 |
          static_cast<uint32_t>(mix(G(s), G(d))) << 8 | static_cast<uint32_t>(mix(B(s), B(d)));
    }
  });
}

void FlipVertical(TPixels& p) {
  MakeOpaque(p);
  for (int y = 0; y < p.h / 2; ++y)
    std::swap_ranges(&p.At(0, y), &p.At(0, y) + p.w, &p.At(0, p.h - 1 - y));
}

void FlipHorizontal(TPixels& p) {
  MakeOpaque(p);
  for (int y = 0; y < p.h; ++y) std::reverse(&p.At(0, y), &p.At(0, y) + p.w);
}

TPixels RotateRight(const TPixels& p) {
  TPixels n = Make(p.h, p.w, kBlack);
  // the left column becomes the top row
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) n.At(p.h - 1 - y, x) = p.At(x, y) | 0xFF000000u;
  return n;
}

void Negative(TPixels& p) {
  uint8_t t[256];
  for (int v = 0; v < 256; ++v) t[v] = static_cast<uint8_t>(255 - v);
  Map(p, t);
}

void Greyscale(TPixels& p) {
  for (uint32_t& v : p.px) {
    const int g = Clamp(RoundHundredths(30 * R(v) + 59 * G(v) + 11 * B(v)));
    v = Rgb(g, g, g);
  }
  p.alpha = false;
}

void Solarize(TPixels& p) {
  uint8_t t[256];
  for (int v = 0; v < 256; ++v) t[v] = static_cast<uint8_t>(v >= 128 ? 255 - v : v);
  Map(p, t);
}

void Brightness(TPixels& p, int64_t n) {
  if (n == 0 || n < -255 || n > 255) return;
  uint8_t t[256];
  for (int v = 0; v < 256; ++v) t[v] = static_cast<uint8_t>(Clamp(v + n));
  Map(p, t);
}

void Gamma(TPixels& p, double g) {
  if (!(g >= 0.75 && g <= 3) || g == 2.2) return;
  uint8_t t[256];
  for (int v = 0; v < 256; ++v)
    t[v] = static_cast<uint8_t>(Clamp(static_cast<int64_t>(std::nearbyint(255.0 * std::pow(v / 255.0, g / 2.2)))));
  Map(p, t);
}

void Rotate(TPixels& p, int64_t degrees) {
  MakeOpaque(p);
  const double rad = static_cast<double>(degrees % 360) * M_PI / 180.0;
  const int64_t s = std::llround(std::sin(rad) * 1024), c = std::llround(std::cos(rad) * 1024);
  const TPixels src = p;
  const int cx = p.w / 2, cy = p.h / 2;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const int64_t dx = x - cx, dy = y - cy;
      // the inverse turn: where the destination pixel came from
      const int64_t sx = cx + ((dx * c + dy * s) >> 10), sy = cy + ((-dx * s + dy * c) >> 10);
      p.At(x, y) = sx >= 0 && sy >= 0 && sx < p.w && sy < p.h ? src.At(static_cast<int>(sx), static_cast<int>(sy))
                                                              : kBlack;
    }
}

void Blur(TPixels& p, int64_t n) {
  MakeOpaque(p);
  const int64_t r64 = n / 10;
  if (r64 <= 0 || p.Empty()) return;
  const int r = static_cast<int>(std::min<int64_t>(r64, std::max(p.w, p.h)));
  // In place, row by row: pixels already averaged take part in the next
  // ones. The window's sum is kept with column sums of the other rows and a
  // running sum along the current row, so the work does not grow with r.
  const int w = p.w, h = p.h;
  std::vector<int64_t> col(static_cast<size_t>(w) * 3, 0);  // rows of the window except the current one
  auto addRow = [&](int y, int sign) {
    if (y < 0 || y >= h) return;
    for (int x = 0; x < w; ++x) {
      const uint32_t v = p.At(x, y);
      col[x * 3] += sign * R(v);
      col[x * 3 + 1] += sign * G(v);
      col[x * 3 + 2] += sign * B(v);
    }
  };
  for (int y = 1; y <= r && y < h; ++y) addRow(y, 1);
  for (int y = 0; y < h; ++y) {
    const int rows = std::min(h - 1, y + r) - std::max(0, y - r) + 1;
    int64_t win[3] = {0, 0, 0};  // the columns x-r..x+r: other rows and the current row
    auto addColumn = [&](int c, int sign) {
      if (c < 0 || c >= w) return;
      const uint32_t v = p.At(c, y);
      win[0] += sign * (col[c * 3] + R(v));
      win[1] += sign * (col[c * 3 + 1] + G(v));
      win[2] += sign * (col[c * 3 + 2] + B(v));
    };
    for (int c = 0; c <= r && c < w; ++c) addColumn(c, 1);
    for (int x = 0; x < w; ++x) {
      const int64_t count = int64_t{rows} * (std::min(w - 1, x + r) - std::max(0, x - r) + 1);
      const uint32_t old = p.At(x, y);
      const uint32_t now = Rgb(static_cast<int>(win[0] / count), static_cast<int>(win[1] / count),
                               static_cast<int>(win[2] / count));
      p.At(x, y) = now;
      win[0] += R(now) - R(old);
      win[1] += G(now) - G(old);
      win[2] += B(now) - B(old);
      addColumn(x - r, -1);
      addColumn(x + r + 1, 1);
    }
    // the next row's window: this row joins the others, that row leaves them
    addRow(y, 1);
    addRow(y - r, -1);
    addRow(y + 1, -1);
    addRow(y + r + 1, 1);
  }
}

bool Sharpen(TPixels& p, int64_t n) {
  if (n < 0 || n > 255) return false;
  MakeOpaque(p);
  const TPixels src = p;
  for (int y = 1; y + 1 < p.h; ++y)
    for (int x = 1; x + 1 < p.w; ++x) {
      int sum[3];
      BlockSum(src, x, y, sum);
      const uint32_t v = src.At(x, y);
      const int c[3] = {R(v), G(v), B(v)};
      int out[3];
      for (int k = 0; k < 3; ++k) {
        const int s = Clamp((11 * c[k] - sum[k]) / 2);
        out[k] = Clamp(s * n / 256 + c[k] * (255 - n) / 256);
      }
      p.At(x, y) = Rgb(out[0], out[1], out[2]);
    }
  return true;
}

void Edge(TPixels& p) {
  TPixels n = Make(p.w, p.h, kBlack);
  for (int y = 1; y + 1 < p.h; ++y)
    for (int x = 1; x + 1 < p.w; ++x) {
      int sum[3];
      BlockSum(p, x, y, sum);
      const uint32_t v = p.At(x, y);
      n.At(x, y) = Rgb(Clamp(sum[0] - 9 * R(v)), Clamp(sum[1] - 9 * G(v)), Clamp(sum[2] - 9 * B(v)));
    }
  p = std::move(n);
}

void Sepia(TPixels& p, int64_t toneColour) {
  const int tone[3] = {static_cast<int>(toneColour & 0xFF), static_cast<int>(toneColour >> 8 & 0xFF),
                       static_cast<int>(toneColour >> 16 & 0xFF)};
  uint8_t table[3][256];
  for (int k = 0; k < 3; ++k)
    for (int l = 0; l < 256; ++l)
      table[k][l] = static_cast<uint8_t>(
          Clamp(l < 128 ? l * tone[k] / 128 : (l - 128) * 255 / 128 + (255 - l) * tone[k] / 128));
  for (uint32_t& v : p.px) {
    const int l = (R(v) + G(v) + B(v)) / 3;
    v = Rgb(table[0][l], table[1][l], table[2][l]);
  }
  p.alpha = false;
}

std::vector<uint32_t> PaletteOfDepth(int bits) {
  std::vector<uint32_t> pal;
  if (bits == 1) return {kBlack, kWhite};
  // the eight of 0/128, silver, and the seven of 0/255 besides black
  auto classic = [&pal] {
    for (int i = 0; i < 8; ++i) pal.push_back(Rgb(i & 1 ? 128 : 0, i & 2 ? 128 : 0, i & 4 ? 128 : 0));
    pal.push_back(Rgb(192, 192, 192));
    for (int i = 1; i < 8; ++i) pal.push_back(Rgb(i & 1 ? 255 : 0, i & 2 ? 255 : 0, i & 4 ? 255 : 0));
  };
  if (bits == 4) {
    classic();
    return pal;
  }
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) pal.push_back(Rgb(r * 51, g * 51, b * 51));
  classic();
  for (int i = 0; i < 24; ++i) pal.push_back(Rgb(8 + 10 * i, 8 + 10 * i, 8 + 10 * i));
  return pal;
}

size_t NearestEntry(const std::vector<uint32_t>& palette, uint32_t px) {
  size_t chosen = 0;
  int64_t best = INT64_MAX;
  for (size_t i = 0; best && i < palette.size(); ++i) {
    const int64_t dr = R(px) - R(palette[i]), dg = G(px) - G(palette[i]), db = B(px) - B(palette[i]);
    const int64_t d = dr * dr + dg * dg + db * db;
    if (d < best) {
      best = d;
      chosen = i;
    }
  }
  return chosen;
}

bool SetDepth(TPixels& p, int64_t bits) {
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  MakeOpaque(p);
  p.depth = static_cast<int>(bits);
  if (bits == 16) {
    auto five = [](int v) { return (v >> 3) << 3 | (v >> 3) >> 2; };
    for (uint32_t& v : p.px) v = Rgb(five(R(v)), five(G(v)), five(B(v)));
  } else if (bits <= 8) {
    const std::vector<uint32_t> pal = PaletteOfDepth(static_cast<int>(bits));
    std::unordered_map<uint32_t, uint32_t> seen;  // a colour met before keeps its entry
    for (uint32_t& v : p.px) {
      if (auto it = seen.find(v); it != seen.end()) {
        v = it->second;
        continue;
      }
      const uint32_t chosen = pal[NearestEntry(pal, v)];
      seen.emplace(v, chosen);
      v = chosen;
    }
  }
  return true;
}

void CubicWeights(double t, double w[4]) {
  w[0] = -t * (t - 1) * (t - 2) / 6;
  w[1] = (t + 1) * (t - 1) * (t - 2) / 2;
  w[2] = -(t + 1) * t * (t - 2) / 2;
  w[3] = (t + 1) * t * (t - 1) / 6;
}

TPixels Resample(const TPixels& src, int w, int h) {
  if (!ResampleAllowed(src, w, h)) return {};
  TPixels out = Make(w, h, kBlack);
  if (src.Empty() || out.Empty()) return out;
  // horizontal pass into doubles, then the vertical one
  std::vector<double> mid(static_cast<size_t>(w) * src.h * 3);
  for (int x = 0; x < w; ++x) {
    const double sc = (x + 0.5) * src.w / w - 0.5;
    const int i = static_cast<int>(std::floor(sc));
    double wt[4];
    CubicWeights(sc - i, wt);
    int tap[4];
    for (int k = 0; k < 4; ++k) tap[k] = std::clamp(i - 1 + k, 0, src.w - 1);
    for (int y = 0; y < src.h; ++y) {
      double acc[3] = {0, 0, 0};
      for (int k = 0; k < 4; ++k) {
        const uint32_t v = src.At(tap[k], y);
        acc[0] += wt[k] * R(v);
        acc[1] += wt[k] * G(v);
        acc[2] += wt[k] * B(v);
      }
      double* m = &mid[(static_cast<size_t>(y) * w + x) * 3];
      m[0] = acc[0];
      m[1] = acc[1];
      m[2] = acc[2];
    }
  }
  for (int y = 0; y < h; ++y) {
    const double sc = (y + 0.5) * src.h / h - 0.5;
    const int i = static_cast<int>(std::floor(sc));
    double wt[4];
    CubicWeights(sc - i, wt);
    int tap[4];
    for (int k = 0; k < 4; ++k) tap[k] = std::clamp(i - 1 + k, 0, src.h - 1);
    for (int x = 0; x < w; ++x) {
      double acc[3] = {0, 0, 0};
      for (int k = 0; k < 4; ++k) {
        const double* m = &mid[(static_cast<size_t>(tap[k]) * w + x) * 3];
        acc[0] += wt[k] * m[0];
        acc[1] += wt[k] * m[1];
        acc[2] += wt[k] * m[2];
      }
      auto c = [](double v) { return Clamp(static_cast<int64_t>(std::nearbyint(v))); };
      out.At(x, y) = Rgb(c(acc[0]), c(acc[1]), c(acc[2]));
    }
  }
  return out;
}

void StretchRect(TPixels& dst, int64_t dx, int64_t dy, int64_t dw, int64_t dh, const TPixels& src, int64_t sx,
                 int64_t sy, int64_t sw, int64_t sh) {
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const int64_t y0 = std::max<int64_t>(0, dy), y1 = std::min<int64_t>(dst.h, dy + dh);
  const int64_t x0 = std::max<int64_t>(0, dx), x1 = std::min<int64_t>(dst.w, dx + dw);
  for (int64_t y = y0; y < y1; ++y) {
    // wide products: the sizes may come near 2^32
    const int64_t syy = sy + static_cast<int64_t>((static_cast<__int128>(y - dy) * sh) / dh);
    if (syy < 0 || syy >= src.h) continue;
    for (int64_t x = x0; x < x1; ++x) {
      const int64_t sxx = sx + static_cast<int64_t>((static_cast<__int128>(x - dx) * sw) / dw);
      if (sxx < 0 || sxx >= src.w) continue;
      dst.At(static_cast<int>(x), static_cast<int>(y)) =
          src.At(static_cast<int>(sxx), static_cast<int>(syy)) | (dst.alpha ? 0 : 0xFF000000u);
    }
  }
}

void Blend(TPixels& dst, const TPixels& src, int x, int y, long double percent) {
  const long double af = std::trunc(percent / 100 * 256);
  if (!(af > 0)) return;
  const int a = af >= 255 ? 255 : static_cast<int>(af);
  auto mix = [a](int sv, int dv) { return (a * sv + (256 - a) * dv) / 256; };
  EachCovered(dst, src, x, y,
              [&mix](uint32_t& d, uint32_t s) { d = Rgb(mix(R(s), R(d)), mix(G(s), G(d)), mix(B(s), B(d))); });
}

void FadeLevel(TPixels& p, int level, bool down) {
  uint8_t t[256];
  for (int v = 0; v < 256; ++v) t[v] = static_cast<uint8_t>(down ? std::min(v, level) : std::max(v, level));
  Map(p, t);
}

}  // namespace tama::raster
