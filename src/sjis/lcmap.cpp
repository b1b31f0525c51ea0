#include "sjis/lcmap.h"

#include <cstddef>
#include <cstdint>

#include "sjis/sjis.h"

namespace tama::sjis {

namespace {

struct MapPair {
  uint16_t from, to;
};

#include "sjis/lcmap_tables.inc"

// A code -> result map in two levels: single bytes directly, double-byte codes
// through a page per lead byte. Page 0 is empty, so a lookup never branches.
// A result of 0 means "no mapping"; below 0x100 it is one byte, else two bytes.
template <size_t Pages>
struct PagedMap {
  uint16_t single[256]{};
  uint8_t page_of[256]{};
  uint16_t pages[Pages + 1][256]{};

  constexpr uint16_t Single(unsigned char c) const { return single[c]; }
  constexpr uint16_t Double(unsigned char lead, unsigned char trail) const {
    return pages[page_of[lead]][trail];
  }
};

template <size_t N>
constexpr size_t CountLeads(const MapPair (&pairs)[N]) {
  bool seen[256]{};
  size_t n = 0;
  for (const MapPair& p : pairs) {
    if (p.from > 0xFF && !seen[p.from >> 8]) {
      seen[p.from >> 8] = true;
      ++n;
    }
  }
  return n;
}

template <size_t Pages, size_t N>
constexpr PagedMap<Pages> Build(const MapPair (&pairs)[N]) {
  PagedMap<Pages> m{};
  uint8_t next = 1;
  for (const MapPair& p : pairs) {
    if (p.from <= 0xFF) {
      m.single[p.from] = p.to;
      continue;
    }
    unsigned lead = p.from >> 8;
    if (m.page_of[lead] == 0) m.page_of[lead] = next++;
    m.pages[m.page_of[lead]][p.from & 0xFF] = p.to;
  }
  return m;
}

#define TAMA_PAGED_MAP(name, pairs) constexpr auto name = Build<CountLeads(pairs)>(pairs)
TAMA_PAGED_MAP(kHalf, kHalfWidthPairs);
TAMA_PAGED_MAP(kFull, kFullWidthPairs);
TAMA_PAGED_MAP(kCompose, kComposePairs);
TAMA_PAGED_MAP(kHira, kHiraganaPairs);
TAMA_PAGED_MAP(kKata, kKatakanaPairs);
TAMA_PAGED_MAP(kUpperMap, kUpperPairs);
TAMA_PAGED_MAP(kLowerMap, kLowerPairs);
#undef TAMA_PAGED_MAP

inline void Put(std::string& out, uint16_t r) {
  if (r > 0xFF) out.push_back(static_cast<char>(r >> 8));
  out.push_back(static_cast<char>(r & 0xFF));
}

inline bool IsHalfKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// Walk s by characters up to the first zero byte. compose: combine a
// half-width kana with a following sound mark.
template <size_t P, size_t Q>
void Walk(std::string& out, std::string_view s, const PagedMap<P>& m, const PagedMap<Q>* compose) {
  const size_t n = s.size();
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == 0) return;
    if (IsLead(c) && i + 1 < n && s[i + 1] != 0) {
      const unsigned char t = static_cast<unsigned char>(s[i + 1]);
      if (uint16_t r = m.Double(c, t)) {
        Put(out, r);
      } else {
        out.push_back(static_cast<char>(c));
        out.push_back(static_cast<char>(t));
      }
      i += 2;
      continue;
    }
    if (compose && IsHalfKana(c) && i + 1 < n) {
      if (uint16_t r = compose->Double(c, static_cast<unsigned char>(s[i + 1]))) {
        Put(out, r);
        i += 2;
        continue;
      }
    }
    if (uint16_t r = m.Single(c)) {
      Put(out, r);
    } else {
      out.push_back(static_cast<char>(c));
    }
    ++i;
  }
}

template <size_t P>
void Walk(std::string& out, std::string_view s, const PagedMap<P>& m) {
  Walk(out, s, m, static_cast<const PagedMap<0>*>(nullptr));
}

// The first byte of the first character of s made half-width (0 for empty).
unsigned char FirstHalfByte(std::string_view s) {
  if (s.empty()) return 0;
  const unsigned char c = static_cast<unsigned char>(s[0]);
  if (IsLead(c) && s.size() > 1 && s[1] != 0) {
    uint16_t r = kHalf.Double(c, static_cast<unsigned char>(s[1]));
    if (r == 0) return c;
    return static_cast<unsigned char>(r > 0xFF ? r >> 8 : r);
  }
  return c;
}

}  // namespace

void AppendMapped(std::string& out, std::string_view s, LcMap how) {
  switch (how) {
    case LcMap::kHalfWidth: return Walk(out, s, kHalf);
    case LcMap::kFullWidth: return Walk(out, s, kFull, &kCompose);
    case LcMap::kHiragana: return Walk(out, s, kHira);
    case LcMap::kKatakana: return Walk(out, s, kKata);
    case LcMap::kUpper: return Walk(out, s, kUpperMap);
    case LcMap::kLower: return Walk(out, s, kLowerMap);
  }
}

std::string Mapped(std::string_view s, LcMap how) {
  std::string out;
  AppendMapped(out, s, how);
  return out;
}

std::string ToHalfWidth(std::string_view s) { return Mapped(s, LcMap::kHalfWidth); }
std::string ToFullWidth(std::string_view s) { return Mapped(s, LcMap::kFullWidth); }
std::string ToHiragana(std::string_view s) { return Mapped(s, LcMap::kHiragana); }
std::string ToKatakana(std::string_view s) { return Mapped(s, LcMap::kKatakana); }
std::string ToUpper(std::string_view s) { return Mapped(s, LcMap::kUpper); }
std::string ToLower(std::string_view s) { return Mapped(s, LcMap::kLower); }

bool FirstCharIsUpper(std::string_view s) {
  unsigned char c = FirstHalfByte(s);
  return c >= 'A' && c <= 'Z';
}

bool FirstCharIsDigit(std::string_view s) {
  unsigned char c = FirstHalfByte(s);
  return c >= '0' && c <= '9';
}

bool FirstByteIsLead(std::string_view s) { return !s.empty() && IsLead(s[0]); }

bool StartsWithHiragana(std::string_view s) {
  if (s.size() < 2) return false;
  unsigned code = static_cast<unsigned char>(s[0]) * 256u + static_cast<unsigned char>(s[1]);
  return code >= 0x82A0 && code <= 0x833E;
}

bool StartsWithKatakana(std::string_view s) {
  if (s.size() < 2) return false;
  unsigned code = static_cast<unsigned char>(s[0]) * 256u + static_cast<unsigned char>(s[1]);
  return code >= 0x8340 && code <= 0x839D;
}

}  // namespace tama::sjis
