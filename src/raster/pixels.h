// Pictures as plain pixel buffers and the integer picture algorithms: every
// effect, the blend, the resampling, colour depth, fades and the BMP codec.
// Nothing here knows a toolkit; the window module paints shapes and text
// into the same buffers (raster/raster.h).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tama::raster {

// A picture: rows top to bottom of 0xAARRGGBB pixels (A is 0xFF unless the
// picture has alpha). `depth` is the colour depth the picture is saved at.
struct TPixels {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  bool alpha = false;
  int depth = 24;

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  uint32_t& At(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  bool Empty() const { return w <= 0 || h <= 0; }
};

// No picture is larger than this (a hostile file or size would exhaust memory).
inline constexpr int kMaxSide = 16384;
inline constexpr int64_t kMaxBytes = int64_t{256} << 20;
inline bool SizeAllowed(int64_t w, int64_t h) {
  return w >= 0 && h >= 0 && w <= kMaxSide && h <= kMaxSide && w * h * 4 <= kMaxBytes;
}

// A picture filled with one pixel value (w, h within the limit).
TPixels Make(int w, int h, uint32_t fill);

// A program's colour value 0x00BBGGRR as an opaque pixel, and back.
inline uint32_t PixelOf(int64_t bgr) {
  const uint32_t v = static_cast<uint32_t>(bgr);
  return 0xFF000000u | (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
}
inline int64_t ColourOf(uint32_t px) {
  return static_cast<int64_t>((px >> 16 & 0xFF) | (px & 0xFF00) | (px & 0xFF) << 16);
}
inline constexpr uint32_t kWhite = 0xFFFFFFFFu;
inline constexpr uint32_t kBlack = 0xFF000000u;

// The picture made 24-bit: alpha dropped (colour kept), depth 24.
void MakeOpaque(TPixels& p);
// The picture resized to w x h: the old pixels at (0,0), the rest filled.
void Resize(TPixels& p, int w, int h, uint32_t fill);

// src drawn onto dst with its top-left at (x, y), clipped; with alpha the
// source is composited over the destination.
void Draw(TPixels& dst, const TPixels& src, int x, int y);

// ---- effects (the picture is processed as 24-bit; alpha is dropped) ----
void FlipVertical(TPixels& p);
void FlipHorizontal(TPixels& p);
TPixels RotateRight(const TPixels& p);  // 90 degrees clockwise
void Negative(TPixels& p);
void Greyscale(TPixels& p);
void Solarize(TPixels& p);
void Brightness(TPixels& p, int64_t n);
void Gamma(TPixels& p, double g);
// Turned clockwise on screen by d degrees about (w div 2, h div 2).
void Rotate(TPixels& p, int64_t degrees);
void Blur(TPixels& p, int64_t n);
// false when n is outside 0..255
bool Sharpen(TPixels& p, int64_t n);
void Edge(TPixels& p);
void Sepia(TPixels& p, int64_t toneColour);
// false for a depth other than 1, 4, 8, 16, 24, 32
bool SetDepth(TPixels& p, int64_t bits);
// The palette of a palette-based depth (1, 4, 8 bits).
std::vector<uint32_t> PaletteOfDepth(int bits);
// The index of the palette entry nearest to the pixel's colour (the first of
// equals); 0 for an empty palette.
size_t NearestEntry(const std::vector<uint32_t>& palette, uint32_t px);

// Rounding of n / 100 to the nearest integer, halves to even (n >= 0).
inline int64_t RoundHundredths(int64_t n) {
  int64_t q = n / 100, r = n % 100;
  if (r > 50 || (r == 50 && q % 2)) ++q;
  return q;
}

// The weights of the four-point interpolation at t in [0, 1).
void CubicWeights(double t, double w[4]);
// src resampled to w x h with the four-point interpolation; an empty
// picture when the size or the work between the two passes (w x src.h
// samples) is beyond the limits.
TPixels Resample(const TPixels& src, int w, int h);
inline bool ResampleAllowed(const TPixels& src, int64_t w, int64_t h) {
  return w > 0 && h > 0 && SizeAllowed(w, h) && w * src.h <= (int64_t{1} << 23);
}
// The rectangle (sx, sy, sw, sh) of src stretched (nearest neighbour) into
// (dx, dy, dw, dh) of dst, clipped.
void StretchRect(TPixels& dst, int64_t dx, int64_t dy, int64_t dw, int64_t dh, const TPixels& src, int64_t sx,
                 int64_t sy, int64_t sw, int64_t sh);
// src blended onto dst at (x, y): every channel (a src + (256 - a) dst) div
// 256 with a = trunc(percent / 100 x 256), at most 255; a <= 0 changes nothing.
void Blend(TPixels& dst, const TPixels& src, int x, int y, long double percent);
// One step of a fade: every byte lowered to at most `level` (down) or raised
// to at least it.
void FadeLevel(TPixels& p, int level, bool down);

// ---- BMP ----
enum class TDecode { kOk, kBadData, kNotMine };
// A BMP file (1, 4, 8, 16, 24, 32 bits, bottom-up or top-down); kNotMine
// for compressions left to another reader.
TDecode DecodeBmp(const std::string& data, TPixels& out, std::string& reason);
// A device-independent bitmap without file header (as in icons: height
// doubled, an AND mask after the colours).
TDecode DecodeDib(const std::string& data, size_t at, size_t end, bool icon, TPixels& out, std::string& reason);
// The BMP file of the picture at its depth.
std::string EncodeBmp(const TPixels& p);
// The icon file's first image as a whole ICO file is given, or the picture
// of it when its payload is a bitmap (kNotMine for PNG payloads).
TDecode DecodeIco(const std::string& data, TPixels& out, std::string& reason);
// The n-th group icon of a PE executable as an ICO file (empty when none).
std::string IconOfExecutable(const std::string& data, int64_t n);

}  // namespace tama::raster
