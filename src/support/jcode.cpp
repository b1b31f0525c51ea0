#include "support/jcode.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "sjis/convert.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"

namespace tama::support {

namespace {

inline unsigned char Byte(std::string_view s, size_t k) {
  return k < s.size() ? static_cast<unsigned char>(s[k]) : 0;
}

inline bool In(unsigned c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

inline bool IsHalfKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }
inline bool IsJisByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

inline void Put(std::string& out, unsigned c) { out.push_back(static_cast<char>(c & 0xFF)); }

// The full-width counterparts of the half-width katakana 0xA1-0xDF, in order
// (Shift-JIS, two bytes each).
constexpr char kKanaFull[] =
    "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof kKanaFull == 2 * (0xDF - 0xA1 + 1) + 1);
constexpr unsigned kVu = 0x8394;  // ヴ
constexpr unsigned char kVoiced = 0xDE, kSemiVoiced = 0xDF;

// The full-width Shift-JIS code of a half-width kana, merged with the sound
// mark that follows it (0 for none). `merged` tells whether the mark was used.
unsigned KanaToFull(unsigned char kana, unsigned char mark, bool& merged) {
  const size_t k = 2 * static_cast<size_t>(kana - 0xA1);
  unsigned code = static_cast<unsigned char>(kKanaFull[k]) * 256u + static_cast<unsigned char>(kKanaFull[k + 1]);
  merged = false;
  if (mark == kVoiced) {
    if (kana == 0xB3) {  // ｳ
      merged = true;
      return kVu;
    }
    if (In(kana, 0xB6, 0xC4) || In(kana, 0xCA, 0xCE)) {  // ｶ-ﾄ, ﾊ-ﾎ
      merged = true;
      return code + 1;
    }
  } else if (mark == kSemiVoiced && In(kana, 0xCA, 0xCE)) {
    merged = true;
    return code + 2;
  }
  return code;
}

constexpr unsigned kGeta = 0x81AC;  // 〓, written for a character without a form in the target

inline bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// The IBM extensions FA40-FC4B repeat characters that have codes in the JIS
// rows: 0x81-0x84 (￢ ∵), the NEC row 13 (Ⅰ ㈱ №) or the NEC-selected IBM
// extensions ED40-EEFC (髙 﨑 ⅰ). The table gives that code for each IBM
// code (0 for none), in the order the platform prefers: the JIS row, then
// NEC row 13, then the NEC-selected rows.
class TIbmToNec {
 public:
  TIbmToNec() {
    for (unsigned code = kFirst; code <= kLast; ++code) {
      if (!IsTrailByte(static_cast<unsigned char>(code & 0xFF))) continue;
      const char32_t u = sjis::CodeToUnicode(code);
      if (u == 0xFFFD) continue;
      unsigned nec = sjis::UnicodeToCode(u);
      if (nec >= 0xF000 || nec == sjis::kNoCode) nec = 0;
      for (unsigned c = 0xED40; !nec && c <= 0xEEFC; ++c)
        if (IsTrailByte(static_cast<unsigned char>(c & 0xFF)) && sjis::CodeToUnicode(c) == u) nec = c;
      map_[code - kFirst] = static_cast<uint16_t>(nec);
    }
  }
  unsigned Of(unsigned code) const { return code >= kFirst && code <= kLast ? map_[code - kFirst] : 0; }

 private:
  static constexpr unsigned kFirst = 0xFA40, kLast = 0xFC4B;
  std::array<uint16_t, kLast - kFirst + 1> map_{};
};

// The Shift-JIS code whose JIS row/cell pair stands for the pair s1 s2 in
// JIS and EUC-JP: the pair itself for the rows of JIS X 0208 (lead bytes
// 0x81-0x9F and 0xE0-0xEF), the NEC-selected code of an IBM extension, and
// 〓 for the rest (the user area F040-F9FC, codes without a character).
unsigned JisFormOf(unsigned char s1, unsigned char s2) {
  if (!IsTrailByte(s2)) return kGeta;
  const unsigned code = s1 * 256u + s2;
  if (s1 <= 0xEF) return code;
  static const TIbmToNec table;
  const unsigned nec = table.Of(code);
  return nec ? nec : kGeta;
}

void PutSjisAsJis(std::string& out, unsigned char s1, unsigned char s2) {
  unsigned char j1, j2;
  SjisPairToJis(s1, s2, j1, j2);
  out.push_back(static_cast<char>(j1));
  out.push_back(static_cast<char>(j2));
}

// Reads JIS: every ESC starts a three-byte escape that is dropped; ESC $ ...
// enters the double-byte mode and ESC ( ... leaves it.
template <bool kToSjis>
std::string FromJis(std::string_view s) {
  const size_t n = s.size();
  std::string out;
  out.reserve(n);
  bool dbl = false;
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == 0x1B) {
      const unsigned char x = Byte(s, i + 1);
      if (x == '$') dbl = true;
      else if (x == '(') dbl = false;
      i += std::min<size_t>(3, n - i);
      continue;
    }
    if (dbl && IsJisByte(c)) {
      if (!kToSjis) {
        Put(out, c + 0x80u);
        ++i;
        continue;
      }
      const unsigned char c2 = Byte(s, i + 1);
      if (i + 1 < n && IsJisByte(c2)) {
        unsigned char s1, s2;
        JisPairToSjis(c, c2, s1, s2);
        out.push_back(static_cast<char>(s1));
        out.push_back(static_cast<char>(s2));
        i += 2;
        continue;
      }
    }
    out.push_back(static_cast<char>(c));
    ++i;
  }
  return out;
}

// Writes JIS from Shift-JIS or EUC-JP.
template <bool kFromEuc>
void AppendToJis(std::string& out, std::string_view s) {
  const size_t n = s.size();
  out.reserve(out.size() + n + n / 2 + 8);
  bool dbl = false;
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if (dbl) {
        out += "\x1B(J";
        dbl = false;
      }
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    if (!dbl) {
      out += "\x1B$B";
      dbl = true;
    }
    // a half-width kana, and the sound mark after it
    size_t kanaLen = 0;
    if (kFromEuc) {
      if (c == 0x8E && IsHalfKana(Byte(s, i + 1))) kanaLen = 2;
    } else if (IsHalfKana(c)) {
      kanaLen = 1;
    }
    if (kanaLen) {
      const unsigned char kana = Byte(s, i + kanaLen - 1);
      i += kanaLen;
      unsigned char mark = 0;
      if (kFromEuc) {
        if (Byte(s, i) == 0x8E && i + 1 < n) mark = Byte(s, i + 1);
      } else if (i < n) {
        mark = Byte(s, i);
      }
      bool merged;
      const unsigned code = KanaToFull(kana, mark, merged);
      if (merged) i += kanaLen;
      PutSjisAsJis(out, static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF));
      continue;
    }
    if (kFromEuc) {
      const unsigned char c2 = Byte(s, i + 1);
      if (In(c, 0xA1, 0xFE) && In(c2, 0xA1, 0xFE)) {
        Put(out, c - 0x80u);
        Put(out, c2 - 0x80u);
        i += 2;
        continue;
      }
    } else if (sjis::IsLead(c) && i + 1 < n && IsTrailByte(Byte(s, i + 1))) {
      const unsigned code = JisFormOf(c, Byte(s, i + 1));
      PutSjisAsJis(out, static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF));
      i += 2;
      continue;
    }
    // a byte that starts no character of the encoding (a lead byte without
    // its trail byte too) has no form in JIS
    PutSjisAsJis(out, kGeta >> 8, kGeta & 0xFF);
    ++i;
  }
  if (dbl) out += "\x1B(J";
}

}  // namespace

void JisPairToSjis(unsigned char j1, unsigned char j2, unsigned char& s1, unsigned char& s2) {
  const unsigned row = j1 < 0x5F ? 0x70 : 0xB0;
  const unsigned cell = (j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E;
  s1 = static_cast<unsigned char>((((j1 + 1u) >> 1) + row) & 0xFF);
  s2 = static_cast<unsigned char>((j2 + cell) & 0xFF);
}

void SjisPairToJis(unsigned char s1, unsigned char s2, unsigned char& j1, unsigned char& j2) {
  const unsigned adjust = s2 < 0x9F ? 1 : 0;
  const unsigned row = s1 < 0xA0 ? 0x70 : 0xB0;
  const unsigned cell = adjust ? (s2 >= 0x80 ? 0x20 : 0x1F) : 0x7E;
  j1 = static_cast<unsigned char>((((s1 - row) << 1) - adjust) & 0xFF);
  j2 = static_cast<unsigned char>((s2 - cell) & 0xFF);
}

int DetectCode(std::string_view s) {
  const size_t n = s.size();
  // binary bytes near the start (the last byte is not looked at)
  const size_t head = std::min<size_t>(512, n > 0 ? n - 1 : 0);
  for (size_t k = 0; k < head; ++k) {
    const unsigned char c = static_cast<unsigned char>(s[k]);
    if (c <= 0x07 || c == 0xFF) return kCodeBinary;
  }
  int r = kCodeUndecided;
  size_t i = 0;
  while ((r == kCodeUndecided || r == kCodeEucOrSjis) && i + 1 < n) {
    const unsigned char a = Byte(s, i);
    if (a <= 0x07 || a == 0xFF) {
      r = kCodeBinary;
    } else if (a == 0x1B) {
      if (Byte(s, i + 1) == '$') {
        const unsigned char y = Byte(s, i + 2);
        if (y == 'B') r = kCodeJisNew;
        else if (y == 0x40) r = kCodeJisOld;
        i += 2;
      } else {
        i += 1;
      }
    } else if (In(a, 0x81, 0x8D) || In(a, 0x8F, 0x9F)) {
      r = kCodeSjis;
    } else if (a == 0x8E) {
      const unsigned char x = Byte(s, i + 1);
      ++i;
      if (In(x, 0x40, 0x7E) || In(x, 0x80, 0xA0) || In(x, 0xE0, 0xFC)) r = kCodeSjis;
      else if (In(x, 0xA1, 0xDF)) r = kCodeEucOrSjis;
    } else if (In(a, 0xF0, 0xFE)) {
      r = kCodeEuc;
    } else if (In(a, 0xE0, 0xEF)) {
      const unsigned char x = Byte(s, i + 1);
      ++i;
      if (In(x, 0x40, 0x7E) || In(x, 0x80, 0xA0)) r = kCodeSjis;
      else if (x == 0xFD || x == 0xFE) r = kCodeEuc;
      else if (In(x, 0xA1, 0xFC)) r = kCodeEucOrSjis;
    } else if (In(a, 0xA1, 0xDF)) {
      unsigned char x = Byte(s, i + 1);
      ++i;
      if (In(x, 0xF0, 0xFE)) {
        r = kCodeEuc;
      } else if (In(x, 0xA1, 0xDF)) {
        r = kCodeEucOrSjis;
      } else if (In(x, 0xE0, 0xEF)) {
        r = kCodeEucOrSjis;
        while (x >= 0x40 && i < n && r == kCodeEucOrSjis) {
          if (In(x, 0x81, 0x8D) || In(x, 0x8F, 0x9C)) r = kCodeSjis;
          else if (x == 0xFD || x == 0xFE) r = kCodeEuc;
          x = Byte(s, i + 1);
          ++i;
        }
      } else if (x < 0xA0) {
        r = kCodeSjis;
      }
    }
    ++i;
  }
  return r;
}

int CodeFromName(std::string_view name) {
  const std::string upper = sjis::ToUpper(name);
  if (upper == "EUC") return kCodeEuc;
  if (upper == "JIS") return kCodeJisNew;
  return kCodeSjis;
}

std::string ConvertCode(std::string_view s, int from, int to) {
  if (from < kCodeJisNew || from == to || from == kCodeEucOrSjis) return std::string(s);
  const bool fromJis = from == kCodeJisNew || from == kCodeJisOld;
  switch (to) {
    case kCodeJisNew:
      if (from == kCodeEuc) return EucToJis(s);
      if (from == kCodeSjis) return SjisToJis(s);
      break;
    case kCodeEuc:
      if (fromJis) return JisToEuc(s);
      if (from == kCodeSjis) return SjisToEuc(s);
      break;
    case kCodeSjis:
      if (fromJis) return JisToSjis(s);
      if (from == kCodeEuc) return EucToSjis(s);
      break;
    default:
      break;
  }
  return std::string(s);
}

std::string JisToEuc(std::string_view s) { return FromJis<false>(s); }
std::string JisToSjis(std::string_view s) { return FromJis<true>(s); }

std::string EucToSjis(std::string_view s) {
  const size_t n = s.size();
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c <= 0x80 || c == 0xFF || i + 1 >= n) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const unsigned char c2 = static_cast<unsigned char>(s[i + 1]);
    if (c == 0x8E) {
      out.push_back(static_cast<char>(c2));
    } else {
      unsigned char s1, s2;
      JisPairToSjis(static_cast<unsigned char>(c - 0x80), static_cast<unsigned char>((c2 - 0x80u) & 0xFF), s1, s2);
      out.push_back(static_cast<char>(s1));
      out.push_back(static_cast<char>(s2));
    }
    i += 2;
  }
  return out;
}

std::string SjisToEuc(std::string_view s) {
  const size_t n = s.size();
  std::string out;
  out.reserve(n + n / 4);
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsHalfKana(c)) {
      out.push_back(static_cast<char>(0x8E));
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else {
      // a pair, or a byte that starts no character (a lead byte without its
      // trail byte too), which has no form in EUC-JP
      const bool pair = sjis::IsLead(c) && i + 1 < n && IsTrailByte(Byte(s, i + 1));
      const unsigned code = pair ? JisFormOf(c, Byte(s, i + 1)) : kGeta;
      unsigned char j1, j2;
      SjisPairToJis(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF), j1, j2);
      Put(out, j1 + 0x80u);
      Put(out, j2 + 0x80u);
      i += pair ? 2 : 1;
    }
  }
  return out;
}

std::string EucToJis(std::string_view s) {
  std::string out;
  AppendToJis<true>(out, s);
  return out;
}

std::string SjisToJis(std::string_view s) {
  std::string out;
  AppendToJis<false>(out, s);
  return out;
}

void AppendSjisToJis(std::string& out, std::string_view s) { AppendToJis<false>(out, s); }

}  // namespace tama::support
