#include "sjis/convert.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "sjis/sjis.h"

namespace tama::sjis {

namespace {

#include "sjis/cp932_table.inc"

constexpr char32_t kReplacement = 0xFFFD;

constexpr bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
constexpr bool IsHalfKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }
constexpr unsigned LeadIndex(unsigned char lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

// The character of a lead + trail pair, 0 when there is none.
inline char32_t PairToUnicode(unsigned char lead, unsigned char trail) {
  return kCp932ToUcs[LeadIndex(lead)][trail - 0x40];
}

// Unicode (BMP) -> CP932 code, 0 for none (U+0000 is handled before lookup).
struct ReverseTable {
  uint16_t code[0x10000]{};
  ReverseTable() {
    for (unsigned c = 1; c < 0x80; ++c) code[c] = static_cast<uint16_t>(c);
    for (unsigned c = 0xA1; c <= 0xDF; ++c) code[0xFF61 + c - 0xA1] = static_cast<uint16_t>(c);
    const uint16_t* np = std::begin(kCp932NonPreferred);
    const uint16_t* npEnd = std::end(kCp932NonPreferred);
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLead(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!IsTrail(static_cast<unsigned char>(trail))) continue;
        char32_t u = PairToUnicode(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
        const uint16_t c = static_cast<uint16_t>(lead * 256 + trail);
        if (u == 0 || std::binary_search(np, npEnd, c)) continue;
        code[u] = c;
      }
    }
    for (const auto& a : kUcsAliases) code[a[0]] = a[1];
  }
};

const ReverseTable& Reverse() {
  static const std::unique_ptr<ReverseTable> table = std::make_unique<ReverseTable>();
  return *table;
}

// Decode the UTF-8 sequence at s[i] (not ASCII). Returns its length and sets
// u; on an invalid sequence returns 0 and sets skip to the length of its
// maximal invalid part (at least 1).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& u, size_t& skip) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    u = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    u = c & 0x0F;
    if (c == 0xE0) lo = 0xA0;        // no overlong forms
    if (c == 0xED) hi = 0x9F;        // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    u = c & 0x07;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;        // nothing above U+10FFFF
  } else {
    skip = 1;
    return 0;
  }
  for (size_t k = 1; k < len; ++k) {
    if (i + k >= s.size()) {
      skip = k;
      return 0;
    }
    const unsigned char b = static_cast<unsigned char>(s[i + k]);
    const unsigned char l = k == 1 ? lo : 0x80, h = k == 1 ? hi : 0xBF;
    if (b < l || b > h) {
      skip = k;
      return 0;
    }
    u = (u << 6) | (b & 0x3F);
  }
  return len;
}

inline unsigned Lookup(const ReverseTable& rev, char32_t u) {
  if (u == 0) return 0;
  if (u > 0xFFFF || rev.code[u] == 0) return kNoCode;
  return rev.code[u];
}

inline void PutCode(std::string& out, unsigned code) {
  if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

// Shared walk of the two UTF-8 -> CP932 conversions: false at the first
// character that fails when lossy is false.
bool FromUtf8(std::string_view s, std::string& out, size_t* badOffset, bool lossy) {
  out.clear();
  out.reserve(s.size());
  size_t i = s.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
  const ReverseTable& rev = Reverse();
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    char32_t u = 0;
    size_t skip = 0;
    const size_t len = DecodeUtf8(s, i, u, skip);
    const unsigned code = len ? Lookup(rev, u) : kNoCode;
    if (code == kNoCode) {
      if (!lossy) {
        if (badOffset) *badOffset = i;
        return false;
      }
      out.push_back('?');
      i += len ? len : skip;
      continue;
    }
    PutCode(out, code);
    i += len;
  }
  return true;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out.push_back(static_cast<char>(u));
  } else if (u < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (u >> 6)));
    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else if (u < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (u >> 12)));
    out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (u >> 18)));
    out.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  }
}

std::string SjisToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    char32_t u = kReplacement;
    if (IsHalfKana(c)) {
      u = 0xFF61 + (c - 0xA1);
      ++i;
    } else if (IsLead(c) && i + 1 < n && IsTrail(static_cast<unsigned char>(s[i + 1]))) {
      if (char32_t m = PairToUnicode(c, static_cast<unsigned char>(s[i + 1]))) u = m;
      i += 2;
    } else {
      ++i;
    }
    AppendUtf8(out, u);
  }
  return out;
}

bool Utf8ToSjis(std::string_view utf8, std::string& out, size_t* badOffset) {
  return FromUtf8(utf8, out, badOffset, false);
}

std::string Utf8ToSjisLossy(std::string_view utf8) {
  std::string out;
  FromUtf8(utf8, out, nullptr, true);
  return out;
}

bool LooksLikeUtf8Source(std::string_view s) {
  if (s.substr(0, kUtf8Bom.size()) == kUtf8Bom) return true;
  bool nonAscii = false;
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t u = 0;
    size_t skip = 0;
    const size_t len = DecodeUtf8(s, i, u, skip);
    if (len == 0 || u <= 0x9F) return false;
    nonAscii = true;
    i += len;
  }
  return nonAscii;
}

char32_t CodeToUnicode(unsigned code) {
  if (code < 0x80) return code;
  if (code <= 0xFF) return IsHalfKana(static_cast<unsigned char>(code)) ? 0xFF61 + (code - 0xA1) : kReplacement;
  const unsigned char lead = static_cast<unsigned char>(code >> 8), trail = static_cast<unsigned char>(code);
  if (code > 0xFFFF || !IsLead(lead) || !IsTrail(trail)) return kReplacement;
  char32_t u = PairToUnicode(lead, trail);
  return u ? u : kReplacement;
}

unsigned UnicodeToCode(char32_t u) { return Lookup(Reverse(), u); }

}  // namespace tama::sjis
