// The BMP reader and writer, icons with bitmap payloads, and the icons of
// PE executables. Every header field is checked against the data before
// anything is allocated.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "raster/pixels.h"

namespace tama::raster {

namespace {

uint32_t U8(const std::string& d, size_t at) { return at < d.size() ? static_cast<unsigned char>(d[at]) : 0; }
uint32_t Le16(const std::string& d, size_t at) { return U8(d, at) | U8(d, at + 1) << 8; }
uint32_t Le32(const std::string& d, size_t at) { return Le16(d, at) | Le16(d, at + 2) << 16; }
void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

TDecode Bad(std::string& reason, const char* why) {
  reason = why;
  return TDecode::kBadData;
}

int MaskShift(uint32_t m) {
  int s = 0;
  while (m && !(m & 1)) {
    m >>= 1;
    ++s;
  }
  return s;
}
// One channel of a bit-field pixel, scaled to 0..255 (0 without a mask).
struct TMaskChannel {
  explicit TMaskChannel(uint32_t m) : mask(m), shift(MaskShift(m)), max(m >> shift) {}
  int Value(uint32_t v) const {
    if (!mask) return 0;
    return static_cast<int>((((v & mask) >> shift) * 255 + max / 2) / max);
  }
  uint32_t mask;
  int shift;
  uint32_t max;
};

}  // namespace

TDecode DecodeDib(const std::string& d, size_t at, size_t end, bool icon, TPixels& out, std::string& reason) {
  if (end > d.size() || at + 12 > end) return Bad(reason, "画像の形式が正しくありません。");
  const uint32_t header = Le32(d, at);
  int64_t w, h;
  uint32_t bits, compression = 0, colours = 0;
  uint32_t masks[4] = {0, 0, 0, 0};
  if (header == 12) {
    w = Le16(d, at + 4);
    h = static_cast<int16_t>(Le16(d, at + 6));
    bits = Le16(d, at + 10);
  } else if (header >= 40 && at + header <= end) {
    w = static_cast<int32_t>(Le32(d, at + 4));
    h = static_cast<int32_t>(Le32(d, at + 8));
    bits = Le16(d, at + 14);
    compression = Le32(d, at + 16);
    colours = Le32(d, at + 32);
    if (header >= 56) {
      for (int k = 0; k < 4; ++k) masks[k] = Le32(d, at + 40 + 4 * k);
    }
  } else {
    return Bad(reason, "画像の形式が正しくありません。");
  }
  const bool topDown = h < 0;
  if (topDown) h = -h;
  if (icon) h /= 2;
  if (w <= 0 || h <= 0 || !SizeAllowed(w, h)) return Bad(reason, "画像の大きさが正しくありません。");
  if (compression == 1 || compression == 2 || compression == 4 || compression == 5) return TDecode::kNotMine;
  if (compression != 0 && compression != 3) return Bad(reason, "画像の形式が正しくありません。");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Bad(reason, "画像の形式が正しくありません。");
  size_t pos = at + header;
  if (compression == 3 && header == 40) {
    if (pos + 12 > end) return Bad(reason, "画像の形式が正しくありません。");
    for (int k = 0; k < 3; ++k) masks[k] = Le32(d, pos + 4 * k);
    pos += 12;
  }
  if (compression == 0) {
    if (bits == 16) masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F, masks[3] = 0;
    if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = icon ? 0xFF000000u : 0;
  }
  std::vector<uint32_t> palette;
  if (bits <= 8) {
    const uint32_t n = colours ? colours : 1u << bits;
    if (n > 256u) return Bad(reason, "画像の形式が正しくありません。");
    const size_t entry = header == 12 ? 3 : 4;
    if (pos + n * entry > end) return Bad(reason, "画像の形式が正しくありません。");
    for (uint32_t i = 0; i < n; ++i)
      palette.push_back(0xFF000000u | U8(d, pos + i * entry + 2) << 16 | U8(d, pos + i * entry + 1) << 8 |
                        U8(d, pos + i * entry));
    pos += n * entry;
  }
  const size_t stride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
  if (!icon && at >= 14 && Le32(d, 10) >= at + header && Le32(d, 10) < end) pos = std::max<size_t>(pos, Le32(d, 10));
  if (pos + stride * h > end) return Bad(reason, "画像のデータが足りません。");
  TPixels p = Make(static_cast<int>(w), static_cast<int>(h), kBlack);
  const TMaskChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  bool anyAlpha = false;
  for (int64_t row = 0; row < h; ++row) {
    const size_t base = pos + stride * row;
    const int y = static_cast<int>(topDown ? row : h - 1 - row);
    for (int x = 0; x < w; ++x) {
      uint32_t v;
      if (bits <= 8) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const uint32_t byte = U8(d, base + bit / 8);
        const uint32_t index = byte >> (8 - bits - bit % 8) & ((1u << bits) - 1);
        v = index < palette.size() ? palette[index] : kBlack;
      } else if (bits == 24) {
        const size_t o = base + static_cast<size_t>(x) * 3;
        v = 0xFF000000u | U8(d, o + 2) << 16 | U8(d, o + 1) << 8 | U8(d, o);
      } else {
        const uint32_t raw = bits == 16 ? Le16(d, base + static_cast<size_t>(x) * 2) : Le32(d, base + static_cast<size_t>(x) * 4);
        const uint32_t a = masks[3] ? static_cast<uint32_t>(alpha.Value(raw)) : 255;
        if (masks[3] && a) anyAlpha = true;
        v = a << 24 | static_cast<uint32_t>(red.Value(raw)) << 16 | static_cast<uint32_t>(green.Value(raw)) << 8 |
            static_cast<uint32_t>(blue.Value(raw));
      }
      p.At(x, y) = v;
    }
  }
  if (masks[3] && !anyAlpha)
    for (uint32_t& v : p.px) v |= 0xFF000000u;  // an alpha channel left empty means opaque
  else if (masks[3])
    p.alpha = true;
  if (icon && !p.alpha) {
    // the AND mask after the colours: set bits are transparent
    const size_t maskStride = ((static_cast<size_t>(w) + 31) / 32) * 4, mpos = pos + stride * h;
    if (mpos + maskStride * h <= end) {
      p.alpha = true;
      for (int64_t row = 0; row < h; ++row) {
        const int y = static_cast<int>(topDown ? row : h - 1 - row);
        for (int x = 0; x < w; ++x)
          if (U8(d, mpos + maskStride * row + x / 8) >> (7 - x % 8) & 1) p.At(x, y) &= 0x00FFFFFFu;
      }
    }
  }
  out = std::move(p);
  return TDecode::kOk;
}

TDecode DecodeBmp(const std::string& d, TPixels& out, std::string& reason) {
  if (d.size() < 26 || d[0] != 'B' || d[1] != 'M') return Bad(reason, "画像の形式が正しくありません。");
  return DecodeDib(d, 14, d.size(), false, out, reason);
}

std::string EncodeBmp(const TPixels& p) {
  const int bits = p.depth == 32 || p.depth == 16 || p.depth <= 8 ? p.depth : 24;
  std::vector<uint32_t> palette;
  if (bits <= 8) palette = PaletteOfDepth(bits);
  const size_t stride = ((static_cast<size_t>(p.w) * bits + 31) / 32) * 4;
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
  std::string s;
  s.reserve(offset + stride * p.h);
  s += "BM";
  Put32(s, static_cast<uint32_t>(offset + stride * p.h));
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(p.w));
  Put32(s, static_cast<uint32_t>(p.h));
  Put16(s, 1);
  Put16(s, static_cast<uint32_t>(bits));
  Put32(s, 0);
  Put32(s, static_cast<uint32_t>(stride * p.h));
  Put32(s, 3780);  // 96 dots per inch
  Put32(s, 3780);
  Put32(s, static_cast<uint32_t>(palette.size()));
  Put32(s, 0);
  for (uint32_t c : palette) Put32(s, c & 0x00FFFFFFu);
  std::string row(stride, '\0');
  std::unordered_map<uint32_t, int> seen;  // the palette entry of a colour met before
  for (int y = p.h - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), '\0');
    for (int x = 0; x < p.w; ++x) {
      const uint32_t v = p.At(x, y);
      if (bits <= 8) {
        // the nearest palette entry (the picture holds palette colours after a depth change)
        auto it = seen.find(v);
        if (it == seen.end()) it = seen.emplace(v, static_cast<int>(NearestEntry(palette, v))).first;
        const int best = it->second;
        const size_t bit = static_cast<size_t>(x) * bits;
        row[bit / 8] = static_cast<char>(static_cast<unsigned char>(row[bit / 8]) | best << (8 - bits - bit % 8));
      } else if (bits == 16) {
        const uint32_t w16 = (v >> 19 & 0x1F) << 10 | (v >> 11 & 0x1F) << 5 | (v >> 3 & 0x1F);
        row[x * 2] = static_cast<char>(w16 & 0xFF);
        row[x * 2 + 1] = static_cast<char>(w16 >> 8);
      } else if (bits == 24) {
        row[x * 3] = static_cast<char>(v & 0xFF);
        row[x * 3 + 1] = static_cast<char>(v >> 8 & 0xFF);
        row[x * 3 + 2] = static_cast<char>(v >> 16 & 0xFF);
      } else {
        const uint32_t o = p.alpha ? v : (v | 0xFF000000u);
        std::memcpy(&row[x * 4], &o, 4);  // little-endian BGRA
      }
    }
    s += row;
  }
  return s;
}

TDecode DecodeIco(const std::string& d, TPixels& out, std::string& reason) {
  if (d.size() < 22 || Le16(d, 0) != 0 || (Le16(d, 2) != 1 && Le16(d, 2) != 2) || Le16(d, 4) == 0)
    return Bad(reason, "画像の形式が正しくありません。");
  const uint32_t size = Le32(d, 6 + 8), offset = Le32(d, 6 + 12);
  if (offset >= d.size() || size > d.size() - offset) return Bad(reason, "画像のデータが足りません。");
  if (d.compare(offset, 4, "\x89PNG") == 0) return TDecode::kNotMine;
  return DecodeDib(d, offset, offset + size, true, out, reason);
}

namespace {

struct TPe {
  const std::string& d;
  struct TSection {
    uint32_t va, vsize, raw, rawSize;
  };
  std::vector<TSection> sections;
  uint32_t rsrc = 0;  // the resource directory's RVA

  // the file offset of an RVA with `n` bytes readable there; 0 when none
  size_t Offset(uint32_t rva, size_t n) const {
    for (const TSection& s : sections)
      if (rva >= s.va && rva - s.va < std::max(s.vsize, s.rawSize)) {
        const size_t off = static_cast<size_t>(s.raw) + (rva - s.va);
        if (rva - s.va + n <= s.rawSize && off + n <= d.size()) return off;
        return 0;
      }
    return 0;
  }
  // the entries of a resource directory at `dir` (relative to the root)
  std::vector<std::pair<uint32_t, uint32_t>> Entries(uint32_t dir) const {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    const size_t at = Offset(rsrc + dir, 16);
    if (!at) return out;
    const uint32_t n = Le16(d, at + 12) + Le16(d, at + 14);
    if (n > 4096) return out;
    const size_t list = Offset(rsrc + dir + 16, static_cast<size_t>(n) * 8);
    if (!list) return out;
    for (uint32_t i = 0; i < n; ++i) out.emplace_back(Le32(d, list + i * 8), Le32(d, list + i * 8 + 4));
    return out;
  }
  // the data of the first leaf under a directory entry's target
  bool Leaf(uint32_t target, int depth, std::string& data) const {
    if (depth > 3) return false;
    if (target & 0x80000000u) {
      auto e = Entries(target & 0x7FFFFFFFu);
      return !e.empty() && Leaf(e.front().second, depth + 1, data);
    }
    const size_t at = Offset(rsrc + target, 16);
    if (!at) return false;
    const uint32_t rva = Le32(d, at), size = Le32(d, at + 4);
    if (size > (64u << 20)) return false;
    const size_t off = Offset(rva, size);
    if (!off) return false;
    data = d.substr(off, size);
    return true;
  }
};

}  // namespace

std::string IconOfExecutable(const std::string& d, int64_t n) {
  if (n < 0 || d.size() < 64 || d[0] != 'M' || d[1] != 'Z') return {};
  const size_t pe = Le32(d, 0x3C);
  if (pe + 24 > d.size() || d.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return {};
  const uint32_t sectionCount = Le16(d, pe + 6), optSize = Le16(d, pe + 20);
  const size_t opt = pe + 24;
  if (opt + optSize > d.size() || sectionCount > 96) return {};
  const uint32_t magic = Le16(d, opt);
  const size_t dirs = opt + (magic == 0x20b ? 112 : 96);
  if (magic != 0x10b && magic != 0x20b) return {};
  if (dirs + 3 * 8 > opt + optSize) return {};
  TPe p{d, {}, Le32(d, dirs + 2 * 8)};
  const size_t table = opt + optSize;
  if (table + static_cast<size_t>(sectionCount) * 40 > d.size()) return {};
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const size_t s = table + i * 40;
    p.sections.push_back({Le32(d, s + 12), Le32(d, s + 8), Le32(d, s + 20), Le32(d, s + 16)});
  }
  if (!p.rsrc) return {};
  uint32_t groups = 0, icons = 0;
  for (auto [id, target] : p.Entries(0)) {
    if (id == 14 && (target & 0x80000000u)) groups = target & 0x7FFFFFFFu;
    if (id == 3 && (target & 0x80000000u)) icons = target & 0x7FFFFFFFu;
  }
  if (!groups || !icons) return {};
  auto groupList = p.Entries(groups);
  if (n >= static_cast<int64_t>(groupList.size())) return {};
  std::string group;
  if (!p.Leaf(groupList[static_cast<size_t>(n)].second, 0, group) || group.size() < 6) return {};
  const uint32_t count = Le16(group, 4);
  if (count == 0 || 6 + static_cast<size_t>(count) * 14 > group.size()) return {};
  // the first image of the group as an icon file of one image
  const uint32_t wanted = Le16(group, 6 + 12);
  std::string image;
  for (auto [id, target] : p.Entries(icons))
    if (id == wanted && p.Leaf(target, 0, image)) break;
  if (image.empty()) return {};
  std::string ico;
  Put16(ico, 0);
  Put16(ico, 1);
  Put16(ico, 1);
  ico.append(group, 6, 8);  // width, height, colours, planes, bits
  Put32(ico, static_cast<uint32_t>(image.size()));
  Put32(ico, 22);
  ico += image;
  return ico;
}

}  // namespace tama::raster
