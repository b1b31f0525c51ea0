// The picture algorithms against values worked out by hand from their rules.
#include <gtest/gtest.h>

#include <cstring>

#include "raster/pixels.h"

namespace tama::raster {
namespace {

uint32_t Rgb(int r, int g, int b) { return 0xFF000000u | r << 16 | g << 8 | b; }

TPixels One(uint32_t v) { return Make(1, 1, v); }

TEST(RasterTest, ColourValuesAndPixels) {
  EXPECT_EQ(PixelOf(0x0000FF), Rgb(255, 0, 0));  // 0x00BBGGRR: red
  EXPECT_EQ(PixelOf(0xFF0000), Rgb(0, 0, 255));
  EXPECT_EQ(ColourOf(Rgb(1, 2, 3)), 0x030201);
}

TEST(RasterTest, RoundingHalvesToEven) {
  struct {
    int64_t n, want;
  } cases[] = {{150, 2}, {250, 2}, {350, 4}, {149, 1}, {151, 2}, {0, 0}};
  for (auto c : cases) EXPECT_EQ(RoundHundredths(c.n), c.want) << c.n;
}

TEST(RasterTest, PerPixelEffects) {
  struct {
    const char* what;
    void (*fn)(TPixels&);
    uint32_t in, want;
  } cases[] = {
      {"negative", Negative, Rgb(0, 100, 255), Rgb(255, 155, 0)},
      {"grey red", Greyscale, Rgb(255, 0, 0), Rgb(76, 76, 76)},  // 76.5 -> 76
      {"grey 5", Greyscale, Rgb(5, 0, 0), Rgb(2, 2, 2)},         // 1.5 -> 2
      {"grey 50 odd", Greyscale, Rgb(0, 0, 50), Rgb(6, 6, 6)},    // 5.5 -> 6
      {"grey 50 even", Greyscale, Rgb(0, 0, 150), Rgb(16, 16, 16)},  // 16.5 -> 16
      {"solarize", Solarize, Rgb(127, 128, 255), Rgb(127, 127, 0)},
  };
  for (auto& c : cases) {
    TPixels p = One(c.in);
    c.fn(p);
    EXPECT_EQ(p.px[0], c.want) << c.what;
  }
}

TEST(RasterTest, BrightnessAndGamma) {
  struct {
    int64_t n;
    uint32_t in, want;
  } bright[] = {{0, Rgb(250, 1, 2), Rgb(250, 1, 2)},
                {300, Rgb(250, 1, 2), Rgb(250, 1, 2)},
                {10, Rgb(250, 1, 2), Rgb(255, 11, 12)},
                {-10, Rgb(250, 1, 2), Rgb(240, 0, 0)}};
  for (auto c : bright) {
    TPixels p = One(c.in);
    Brightness(p, c.n);
    EXPECT_EQ(p.px[0], c.want) << c.n;
  }
  struct {
    double g;
    uint32_t in, want;
  } gamma[] = {{2.2, Rgb(100, 0, 255), Rgb(100, 0, 255)},
               {5, Rgb(100, 0, 255), Rgb(100, 0, 255)},
               {1.1, Rgb(100, 0, 255), Rgb(160, 0, 255)}};  // 255 x sqrt(100/255) = 159.69
  for (auto c : gamma) {
    TPixels p = One(c.in);
    Gamma(p, c.g);
    EXPECT_EQ(p.px[0], c.want) << c.g;
  }
}

TEST(RasterTest, SepiaSharpenAndEdge) {
  TPixels p = One(kWhite);
  Sepia(p, 0x000000);
  EXPECT_EQ(p.px[0], Rgb(253, 253, 253));  // (127 x 255) div 128
  p = One(Rgb(30, 30, 30));
  Sepia(p, 0x0000FF);  // red tone: l x t div 128
  EXPECT_EQ(p.px[0], Rgb(59, 0, 0));

  TPixels flat = Make(3, 3, Rgb(100, 100, 100));
  EXPECT_TRUE(Sharpen(flat, 128));
  // s = (1100 - 900) div 2 = 100; 100 x 128 div 256 + 100 x 127 div 256 = 50 + 49
  EXPECT_EQ(flat.At(1, 1), Rgb(99, 99, 99));
  EXPECT_EQ(flat.At(0, 0), Rgb(100, 100, 100));
  EXPECT_FALSE(Sharpen(flat, 256));
  EXPECT_FALSE(Sharpen(flat, -1));

  TPixels e = Make(3, 3, Rgb(10, 10, 10));
  e.At(1, 1) = Rgb(0, 0, 0);
  Edge(e);
  EXPECT_EQ(e.At(1, 1), Rgb(80, 80, 80));  // 8 x 10 - 9 x 0
  EXPECT_EQ(e.At(0, 0), kBlack);
}

TEST(RasterTest, FlipsAndTurns) {
  TPixels p = Make(100, 50, kWhite);
  p.At(0, 0) = Rgb(1, 0, 0);
  TPixels r = RotateRight(p);
  EXPECT_EQ(r.w, 50);
  EXPECT_EQ(r.h, 100);
  EXPECT_EQ(r.At(49, 0), Rgb(1, 0, 0));  // the top-left goes to the top-right

  TPixels m = Make(5, 5, kWhite);
  m.At(2, 0) = Rgb(9, 9, 9);  // a marker above the centre
  TPixels same = m;
  Rotate(same, 0);
  EXPECT_EQ(same.px, m.px);
  Rotate(m, 90);
  EXPECT_EQ(m.At(4, 2), Rgb(9, 9, 9));  // clockwise on screen: to the right of the centre
  TPixels slant = Make(5, 5, kWhite);
  Rotate(slant, 45);
  EXPECT_EQ(slant.At(0, 0), kBlack);  // the corners came from outside
  EXPECT_EQ(slant.At(2, 2), kWhite);

  TPixels f = Make(2, 2, kWhite);
  f.At(0, 0) = kBlack;
  FlipVertical(f);
  EXPECT_EQ(f.At(0, 1), kBlack);
  FlipHorizontal(f);
  EXPECT_EQ(f.At(1, 1), kBlack);
}

TEST(RasterTest, BlurRadiusAndInPlaceRows) {
  TPixels p = Make(3, 1, Rgb(0, 0, 0));
  p.At(0, 0) = Rgb(90, 90, 90);
  TPixels same = p;
  Blur(same, 9);  // radius 0
  EXPECT_EQ(same.px, p.px);
  Blur(p, 10);  // radius 1, in place: (90 + 0) div 2 = 45, then (45 + 0 + 0) div 3
  EXPECT_EQ(p.At(0, 0), Rgb(45, 45, 45));
  EXPECT_EQ(p.At(1, 0), Rgb(15, 15, 15));
  EXPECT_EQ(p.At(2, 0), Rgb(7, 7, 7));
}

// The blur as its rule says, square by square.
void NaiveBlur(TPixels& p, int r) {
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      int64_t s[3] = {0, 0, 0}, count = 0;
      for (int yy = std::max(0, y - r); yy <= std::min(p.h - 1, y + r); ++yy)
        for (int xx = std::max(0, x - r); xx <= std::min(p.w - 1, x + r); ++xx) {
          const uint32_t v = p.At(xx, yy);
          s[0] += v >> 16 & 0xFF, s[1] += v >> 8 & 0xFF, s[2] += v & 0xFF, ++count;
        }
      p.At(x, y) = Rgb(int(s[0] / count), int(s[1] / count), int(s[2] / count));
    }
}

TEST(RasterTest, BlurMatchesTheSquareRule) {
  for (int r : {1, 2, 5, 40}) {
    TPixels p = Make(13, 9, kWhite);
    for (size_t i = 0; i < p.px.size(); ++i) p.px[i] = Rgb(int(i * 37 % 256), int(i * 11 % 256), int(i * 101 % 256));
    TPixels want = p;
    NaiveBlur(want, r);
    Blur(p, r * 10);
    EXPECT_EQ(p.px, want.px) << r;
  }
}

TEST(RasterTest, BlendAtPercent) {
  struct {
    long double percent;
    uint32_t want;
  } cases[] = {{0, Rgb(0, 0, 0)}, {50, Rgb(127, 127, 127)}, {100, Rgb(254, 254, 254)}, {-5, Rgb(0, 0, 0)}};
  for (auto c : cases) {
    TPixels dst = One(kBlack);
    Blend(dst, One(kWhite), 0, 0, c.percent);
    EXPECT_EQ(dst.px[0], c.want) << static_cast<double>(c.percent);
  }
}

TEST(RasterTest, DepthQuantisation) {
  TPixels p = Make(2, 1, Rgb(200, 10, 10));
  p.At(1, 0) = Rgb(100, 100, 100);
  ASSERT_TRUE(SetDepth(p, 1));
  EXPECT_EQ(p.At(0, 0), kBlack);
  EXPECT_EQ(p.At(1, 0), kBlack);
  p = One(Rgb(255, 8, 200));
  ASSERT_TRUE(SetDepth(p, 16));
  EXPECT_EQ(p.px[0], Rgb(255, 8, 206));  // 5-5-5: (v5 << 3) | (v5 >> 2)
  EXPECT_FALSE(SetDepth(p, 12));
  EXPECT_EQ(PaletteOfDepth(4).size(), 16u);
  EXPECT_EQ(PaletteOfDepth(8).size(), 256u);
}

TEST(RasterTest, NearestPaletteEntry) {
  const std::vector<uint32_t> pal = {Rgb(0, 0, 0), Rgb(100, 100, 100), Rgb(100, 100, 100), Rgb(255, 0, 0)};
  struct {
    uint32_t px;
    size_t want;
  } cases[] = {
      {Rgb(0, 0, 0), 0},
      {Rgb(49, 49, 49), 0},
      {Rgb(51, 51, 51), 1},
      {Rgb(100, 100, 100), 1},  // the first of two equal entries
      {Rgb(200, 40, 40), 3},
      {0x00FF0000u, 3},  // alpha takes no part
  };
  for (auto c : cases) EXPECT_EQ(NearestEntry(pal, c.px), c.want) << std::hex << c.px;
  EXPECT_EQ(NearestEntry({}, Rgb(1, 2, 3)), 0u);
}

TEST(RasterTest, CubicWeightsSumToOneAndKeepFlatPictures) {
  for (double t : {0.0, 0.25, 0.5, 0.9}) {
    double w[4];
    CubicWeights(t, w);
    EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0, 1e-12) << t;
  }
  TPixels flat = Make(3, 2, Rgb(10, 20, 30));
  TPixels big = Resample(flat, 7, 5);
  EXPECT_EQ(big.w, 7);
  for (uint32_t v : big.px) EXPECT_EQ(v, Rgb(10, 20, 30));
}

TEST(RasterTest, BmpRoundTripsAtEveryDepth) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    TPixels p = Make(5, 3, kWhite);
    p.At(1, 2) = Rgb(255, 0, 0);
    p.At(4, 0) = kBlack;
    ASSERT_TRUE(SetDepth(p, bits));
    std::string file = EncodeBmp(p), reason;
    TPixels back;
    ASSERT_EQ(DecodeBmp(file, back, reason), TDecode::kOk) << bits << reason;
    EXPECT_EQ(back.w, 5);
    EXPECT_EQ(back.h, 3);
    EXPECT_EQ(back.px, p.px) << bits;
  }
}

TEST(RasterTest, HostileBmpHeadersAreRejected) {
  TPixels p = Make(4, 4, kWhite);
  std::string good = EncodeBmp(p), reason;
  TPixels out;
  std::string huge = good;
  const int32_t side = 1 << 20;
  std::memcpy(&huge[18], &side, 4);
  EXPECT_EQ(DecodeBmp(huge, out, reason), TDecode::kBadData);
  std::string cut = good.substr(0, 60);
  EXPECT_EQ(DecodeBmp(cut, out, reason), TDecode::kBadData);
  std::string colours = good;
  colours[28] = 8;  // 8 bits with a palette the file does not hold
  std::memcpy(&colours[46], "\xFF\xFF\x00\x00", 4);
  EXPECT_EQ(DecodeBmp(colours, out, reason), TDecode::kBadData);
  EXPECT_EQ(DecodeBmp("BM", out, reason), TDecode::kBadData);
}

// A minimal PE file with one group icon holding a 2 x 2 bitmap icon.
std::string MinimalPe() {
  std::string d(0x600, '\0');
  auto put16 = [&](size_t at, uint32_t v) { d[at] = char(v & 0xFF), d[at + 1] = char(v >> 8 & 0xFF); };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
  d[0] = 'M', d[1] = 'Z';
  put32(0x3C, 0x40);
  std::memcpy(&d[0x40], "PE\0\0", 4);
  put16(0x46, 1);     // one section
  put16(0x54, 0xE0);  // optional header size
  put16(0x58, 0x10b);
  put32(0x58 + 96 + 16, 0x1000);  // resource directory RVA
  put32(0x58 + 96 + 20, 0x300);
  const size_t sec = 0x58 + 0xE0;
  std::memcpy(&d[sec], ".rsrc", 5);
  put32(sec + 8, 0x300);
  put32(sec + 12, 0x1000);
  put32(sec + 16, 0x300);
  put32(sec + 20, 0x200);
  const size_t r = 0x200;  // the resource section in the file
  auto dir = [&](size_t at, uint32_t id, uint32_t target) {
    put16(r + at + 14, 1);
    put32(r + at + 16, id);
    put32(r + at + 20, target);
  };
  dir(0x00, 3, 0x80000000u | 0x30);   // RT_ICON
  put16(r + 14, 2);
  put32(r + 24, 14);
  put32(r + 28, 0x80000000u | 0x60);  // RT_GROUP_ICON
  dir(0x30, 1, 0x80000000u | 0x90);   // icon id 1
  dir(0x60, 1, 0x80000000u | 0xC0);   // group 1
  dir(0x90, 0, 0xF0);                 // language -> data entry
  dir(0xC0, 0, 0x100);
  // the icon's bitmap: 40-byte header, 2 x 4 rows of 32 bits, an AND mask
  const size_t icon = 0x130;
  put32(r + 0xF0, 0x1000 + icon);
  put32(r + 0xF4, 40 + 16 + 8);
  put32(r + icon, 40);
  put32(r + icon + 4, 2);
  put32(r + icon + 8, 4);
  put16(r + icon + 12, 1);
  put16(r + icon + 14, 32);
  for (int i = 0; i < 4; ++i) put32(r + icon + 40 + 4 * i, 0xFF0000FFu);  // opaque blue
  // the group: header and one 14-byte entry naming icon 1
  const size_t group = 0x1A0;
  put32(r + 0x100, 0x1000 + group);
  put32(r + 0x104, 20);
  put16(r + group + 2, 1);
  put16(r + group + 4, 1);
  d[r + group + 6] = 2, d[r + group + 7] = 2;
  put16(r + group + 10, 1);
  put16(r + group + 12, 32);
  put32(r + group + 14, 64);
  put16(r + group + 18, 1);
  return d;
}

TEST(RasterTest, IconOfAnExecutable) {
  const std::string pe = MinimalPe();
  std::string ico = IconOfExecutable(pe, 0), reason;
  ASSERT_FALSE(ico.empty());
  TPixels p;
  ASSERT_EQ(DecodeIco(ico, p, reason), TDecode::kOk) << reason;
  EXPECT_EQ(p.w, 2);
  EXPECT_EQ(p.h, 2);
  EXPECT_EQ(p.At(0, 0), Rgb(0, 0, 255));
  EXPECT_TRUE(IconOfExecutable(pe, 1).empty());
  EXPECT_TRUE(IconOfExecutable("\x7F" "ELF", 0).empty());
  std::string broken = pe;
  broken[0x58 + 96 + 16 + 1] = 0x70;  // the resources far beyond the file
  EXPECT_TRUE(IconOfExecutable(broken, 0).empty());
}

}  // namespace
}  // namespace tama::raster
