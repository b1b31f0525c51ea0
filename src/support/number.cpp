#include "support/number.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

#include "sjis/sjis.h"

namespace tama {

namespace {

static_assert(std::numeric_limits<long double>::digits == 64, "80-bit extended long double expected");

// Only the first 254 bytes of a text take part in its number.
constexpr size_t kNumberHead = 254;

// 10^k for k = 0..27: all exact in the 64-bit mantissa (5^27 < 2^64).
constexpr int kExactPow10 = 27;
struct Pow10Table {
  long double v[kExactPow10 + 1];
  constexpr Pow10Table() : v() {
    long double p = 1;
    for (int i = 0; i <= kExactPow10; ++i) {
      v[i] = p;
      p *= 10;
    }
  }
};
constexpr Pow10Table kPow10;

inline bool Digit(char c) { return c >= '0' && c <= '9'; }
inline bool Blank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The "C" locale for strtold, whatever locale the process runs in.
locale_t CLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

// The prefix rule over any text reader: at(i) is the byte at i, or 0 past the end.
// Bytes are looked at only while every byte before them was taken or non-zero.
template <typename At>
size_t PrefixLength(At at, NumberSyntax syntax) {
  size_t i = 0;
  while (Digit(at(i))) ++i;
  bool mantissa_digit = i > 0;
  if (at(i) == '.') {
    if (syntax == NumberSyntax::kValue) {
      ++i;
      for (; Digit(at(i)); ++i) mantissa_digit = true;
    } else if (Digit(at(i + 1))) {
      i += 2;
      while (Digit(at(i))) ++i;
      mantissa_digit = true;
    }
  }
  if (mantissa_digit && (at(i) == 'e' || at(i) == 'E')) {
    size_t j = i + 1;
    if (at(j) == '+' || at(j) == '-') ++j;
    if (Digit(at(j))) {
      while (Digit(at(j))) ++j;
      i = j;
    }
  }
  return i;
}

// Full-width forms of the characters that can make up a number, mapped to
// ASCII the way the half-width mapping does (ideographic space, comma, full
// stop, plus, minus, dollar sign, digits and Latin letters); every other
// character reads as itself, which ends a number just as its half-width form
// would. Commas are dropped on the way. Returns the length written to out.
size_t MapNumberText(std::string_view s, char* out) {
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if (c != ',') out[n++] = static_cast<char>(c);
      ++i;
      continue;
    }
    if (!sjis::IsLead(c) || i + 1 >= s.size()) {
      out[n++] = static_cast<char>(c);
      ++i;
      continue;
    }
    unsigned char t = static_cast<unsigned char>(s[i + 1]);
    char m = 0;
    if (c == 0x81) {
      switch (t) {
        case 0x40: m = ' '; break;
        case 0x43: m = ','; break;
        case 0x44: m = '.'; break;
        case 0x7B: m = '+'; break;
        case 0x7C: m = '-'; break;
        case 0x90: m = '$'; break;
        default: break;
      }
    } else if (c == 0x82) {
      if (t >= 0x4F && t <= 0x58) m = static_cast<char>('0' + (t - 0x4F));
      else if (t >= 0x60 && t <= 0x79) m = static_cast<char>('A' + (t - 0x60));
      else if (t >= 0x81 && t <= 0x9A) m = static_cast<char>('a' + (t - 0x81));
    }
    if (m != 0) {
      if (m != ',') out[n++] = m;
    } else {
      out[n++] = static_cast<char>(c);
      out[n++] = static_cast<char>(t);
    }
    i += 2;
  }
  return n;
}

long double SlowDecimal(std::string_view digits) {
  char buf[kNumberHead + 2];
  std::string owned;
  const char* z;
  if (digits.size() < sizeof buf) {
    std::memcpy(buf, digits.data(), digits.size());
    buf[digits.size()] = 0;
    z = buf;
  } else {
    owned.assign(digits);
    z = owned.c_str();
  }
  int saved_errno = errno;
  long double v = strtold_l(z, nullptr, CLocale());
  errno = saved_errno;  // an underflow is silent
  if (std::isinf(v)) RaiseNumError(NumFault::kFloatOverflow);
  return v;
}

// Digits d[0..14] (d[0] != '0') of 0.d1..d15 x 10^e written out.
size_t Layout(const char* d, int e, bool negative, char* out) {
  char* p = out;
  if (negative) *p++ = '-';
  int last = 14;
  while (last > 0 && d[last] == '0') --last;
  if (e > 15 || e < -3) {
    *p++ = d[0];
    if (last > 0) {
      *p++ = '.';
      std::memcpy(p, d + 1, last);
      p += last;
    }
    *p++ = 'E';
    p = std::to_chars(p, out + kNumberTextMax, e - 1).ptr;
  } else if (e >= 1) {
    std::memcpy(p, d, e);
    p += e;
    if (last >= e) {
      *p++ = '.';
      std::memcpy(p, d + e, last + 1 - e);
      p += last + 1 - e;
    }
  } else {
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -e; ++i) *p++ = '0';
    std::memcpy(p, d, last + 1);
    p += last + 1;
  }
  return static_cast<size_t>(p - out);
}

// The exact way: the correctly rounded 15 digits from the library.
size_t FormatExact(long double a, bool negative, char* out) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 14);
  // buf holds d.dddddddddddddde[+-]x
  char d[15];
  d[0] = buf[0];
  std::memcpy(d + 1, buf + 2, 14);
  int x = 0;
  const char* ep = buf + 17;  // the exponent sign after the 'e'
  std::from_chars(ep + (*ep == '+' ? 1 : 0), r.ptr, x);
  return Layout(d, x + 1, negative, out);
}

// Binary exponent e of a finite normal number: 2^e <= |a| < 2^(e+1).
inline int BinaryExponent(long double a) {
  uint16_t sign_exp;
  std::memcpy(&sign_exp, reinterpret_cast<const unsigned char*>(&a) + 8, sizeof sign_exp);
  return (sign_exp & 0x7FFF) - 16383;
}

// The nearest whole number (ties to even) of 0 <= a < 2^62, as a number in r
// and as the result. Adding 2^63 leaves a unit of 1 in the last mantissa bit,
// so the sum is rounded to a whole number and its mantissa holds 2^63 + it;
// no conversion instruction (and no change of the rounding mode) is needed.
inline uint64_t RoundToWhole(long double a, long double* r) {
  long double t = a + 0x1p63L;
  uint64_t m;
  std::memcpy(&m, &t, sizeof m);
  *r = t - 0x1p63L;
  return m - (uint64_t{1} << 63);
}

size_t WriteSpecial(long double x, char* out) {
  const char* s = std::isnan(x) ? "NAN" : (x < 0 ? "-INF" : "INF");
  size_t n = std::strlen(s);
  std::memcpy(out, s, n);
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// Failures

std::string NotFloatMessage(std::string_view text) {
  std::string m;
  m.reserve(text.size() + 40);
  m += '\'';
  m += text;
  m += "' は浮動小数点数ではありません";
  return m;
}

static const char* FaultMessage(NumFault fault) {
  switch (fault) {
    case NumFault::kRange: return kMsgRangeCheck;
    case NumFault::kInvalidOperation: return kMsgInvalidOperation;
    case NumFault::kFloatDivideByZero: return kMsgFloatDivideByZero;
    case NumFault::kFloatOverflow: return kMsgFloatOverflow;
    case NumFault::kIntDivideByZero: return kMsgIntDivideByZero;
    case NumFault::kIntOverflow: return kMsgIntOverflow;
    case NumFault::kNotFloat: break;
  }
  return kMsgInvalidOperation;
}

TNumError::TNumError(NumFault fault) : std::runtime_error(FaultMessage(fault)), fault_(fault) {}

void RaiseNumError(NumFault fault) { throw TNumError(fault); }

void RaiseNonFinite(long double r) {
  RaiseNumError(std::isnan(r) ? NumFault::kInvalidOperation : NumFault::kFloatOverflow);
}

// ---------------------------------------------------------------------------
// Reading

size_t DecimalPrefixLength(std::string_view s, NumberSyntax syntax) noexcept {
  return PrefixLength([s](size_t i) { return i < s.size() ? s[i] : '\0'; }, syntax);
}

const char* SkipDecimalNumber(const char* p, NumberSyntax syntax) noexcept {
  return p + PrefixLength([p](size_t i) { return p[i]; }, syntax);
}

long double DecimalToNumber(std::string_view s) {
  // Up to 19 significant digits and a small exponent: the digits as an exact
  // integer times or over an exact power of ten, one correctly rounded step.
  uint64_t m = 0;
  int sig = 0;
  int scale = 0;  // digits after the point that m holds
  bool any_digit = false;
  size_t i = 0, n = s.size();
  for (; i < n && Digit(s[i]); ++i) {
    any_digit = true;
    if (m == 0 && s[i] == '0') continue;
    if (sig == 19) return SlowDecimal(s);
    m = m * 10 + static_cast<unsigned>(s[i] - '0');
    ++sig;
  }
  if (i < n && s[i] == '.') {
    for (++i; i < n && Digit(s[i]); ++i) {
      any_digit = true;
      if (m == 0 && s[i] == '0') {
        ++scale;
        continue;
      }
      if (sig == 19) return SlowDecimal(s);
      m = m * 10 + static_cast<unsigned>(s[i] - '0');
      ++sig;
      ++scale;
    }
  }
  if (!any_digit) throw TNumError(NumFault::kNotFloat, NotFloatMessage(s.substr(0, i)));
  int exp = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool neg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    for (; i < n && Digit(s[i]); ++i)
      if (exp < 100000) exp = exp * 10 + (s[i] - '0');
    if (neg) exp = -exp;
  }
  if (m == 0) return 0;
  int k = exp - scale;
  if (k >= 0 && k <= kExactPow10) return static_cast<long double>(m) * kPow10.v[k];
  if (k < 0 && k >= -kExactPow10) return static_cast<long double>(m) / kPow10.v[-k];
  return SlowDecimal(s.substr(0, i));
}

long double TextToNumber(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && Blank(text[b])) ++b;
  if (b == e) return 0;

  // The first 254 bytes of the text, up to a zero byte, mapped to half width
  // and without commas.
  std::string_view head = text.substr(0, kNumberHead);
  bool wide = false, comma = false;
  for (size_t i = 0; i < head.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(head[i]);
    if (c == 0) {
      head = head.substr(0, i);
      break;
    }
    wide |= c >= 0x80;
    comma |= c == ',';
  }
  char buf[kNumberHead];
  std::string_view u = head;
  if (wide || comma) u = std::string_view(buf, MapNumberText(head, buf));
  while (!u.empty() && Blank(u.front())) u.remove_prefix(1);
  while (!u.empty() && Blank(u.back())) u.remove_suffix(1);
  if (u.empty()) return 0;

  if (u[0] == '$') return ReadInteger(u, 0);
  bool negative = false;
  if (u[0] == '+' || u[0] == '-') {
    negative = u[0] == '-';
    u.remove_prefix(1);
  }
  std::string_view prefix = ScanNumberPrefix(u, NumberSyntax::kValue);
  if (prefix.empty()) return 0;
  long double v = DecimalToNumber(prefix);
  return negative ? -v : v;
}

bool IsPlainDecimal(std::string_view v) noexcept {
  size_t i = 0;
  if (i < v.size() && v[i] == '-') ++i;
  const size_t digits = i;
  while (i < v.size() && v[i] >= '0' && v[i] <= '9') ++i;
  if (i == digits) return false;
  if (i < v.size() && v[i] == '.') {
    const size_t frac = ++i;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9') ++i;
    if (i == frac) return false;
  }
  return i == v.size();
}

bool SmallWholeNumber(long double x, int64_t& out) noexcept {
  if (!(std::fabs(x) < 1e15L) || x != std::trunc(x)) return false;
  out = static_cast<int64_t>(x);
  return true;
}

int32_t ReadInteger(std::string_view s, int32_t deflt) noexcept {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == n) return deflt;
  bool hex = false;
  if (s[i] == '$' || s[i] == 'x' || s[i] == 'X') {
    hex = true;
    ++i;
  } else if (s[i] == '0' && i + 1 < n && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return deflt;
  uint64_t v = 0;
  if (hex) {
    for (; i < n; ++i) {
      char c = s[i];
      unsigned d;
      if (Digit(c)) d = static_cast<unsigned>(c - '0');
      else if (c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
      else if (c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
      else return deflt;
      v = v * 16 + d;
      if (v > 0xFFFFFFFFu) return deflt;
    }
    uint32_t bits = static_cast<uint32_t>(v);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  for (; i < n; ++i) {
    if (!Digit(s[i])) return deflt;
    v = v * 10 + static_cast<unsigned>(s[i] - '0');
    if (v > 2147483648u) return deflt;
  }
  if (negative) return static_cast<int32_t>(0u - static_cast<uint32_t>(v));
  if (v > 2147483647u) return deflt;
  return static_cast<int32_t>(v);
}

int32_t NumberRead(long double x) {
  long double t = std::trunc(x);
  if (!(t >= -2147483648.0L && t <= 2147483647.0L)) RaiseNumError(NumFault::kRange);
  return static_cast<int32_t>(t);
}

int64_t TruncToInt64(long double x) {
  long double t = std::trunc(x);
  if (!(t >= -9223372036854775808.0L && t < 9223372036854775808.0L)) RaiseNumError(NumFault::kInvalidOperation);
  return static_cast<int64_t>(t);
}

int64_t RoundToInt64(long double x) {
  long double t = std::nearbyint(x);
  if (!(t >= -9223372036854775808.0L && t < 9223372036854775808.0L)) RaiseNumError(NumFault::kInvalidOperation);
  return static_cast<int64_t>(t);
}

// ---------------------------------------------------------------------------
// Formatting

size_t FormatNumberTo(long double x, char* out) noexcept {
  if (x == 0) {
    out[0] = '0';
    return 1;
  }
  if (!std::isfinite(x)) [[unlikely]]
    return WriteSpecial(x, out);
  bool negative = std::signbit(x);
  long double a = negative ? -x : x;

  // Whole numbers of up to 15 digits are written as they are.
  if (a < 1e15L) {
    long double r;
    uint64_t w = RoundToWhole(a, &r);
    if (r == a) {
      char* p = out;
      if (negative) *p++ = '-';
      return static_cast<size_t>(std::to_chars(p, out + kNumberTextMax, w).ptr - out);
    }
  }

  // Otherwise scale by an exact power of ten so that the 15 digits are the
  // integer part: one correctly rounded step, off by at most 6e-5 from the
  // exact product, so only a fraction close to one half needs the exact way.
  if (a >= 1e-12L && a < 1e42L) {
    int e10 = (((BinaryExponent(a) + 1) * 78913) >> 18) + 1;  // about log10(a) + 1
    auto scale = [a](int k) { return k >= 0 ? a * kPow10.v[k] : a / kPow10.v[-k]; };
    int k = 15 - e10;
    if (k >= -kExactPow10 && k <= kExactPow10) {
      long double scaled = scale(k);
      if (scaled >= 1e15L && k > -kExactPow10) {
        --k, ++e10;
        scaled = scale(k);
      } else if (scaled < 1e14L && k < kExactPow10) {
        ++k, --e10;
        scaled = scale(k);
      }
      if (scaled >= 1e14L && scaled < 1e15L) {
        long double r;
        uint64_t q = RoundToWhole(scaled, &r);
        long double off = scaled - r;  // exact, within [-0.5, 0.5]
        if (off < 0) off = -off;
        if (off < 0.499L) {
          if (q == 1000000000000000u) {
            q = 100000000000000u;
            ++e10;
          }
          char d[16];
          std::to_chars(d, d + sizeof d, q);
          return Layout(d, e10, negative, out);
        }
      }
    }
  }
  return FormatExact(a, negative, out);
}

std::string FormatNumber(long double x) {
  char buf[kNumberTextMax];
  return std::string(buf, FormatNumberTo(x, buf));
}

std::string FormatInteger(int64_t n) {
  char buf[24];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

std::string detail::FormatNumberExact(long double x) {
  char buf[kNumberTextMax];
  size_t n;
  if (x == 0) {
    buf[0] = '0';
    n = 1;
  } else if (!std::isfinite(x)) {
    n = WriteSpecial(x, buf);
  } else {
    n = FormatExact(std::fabs(x), std::signbit(x), buf);
  }
  return std::string(buf, n);
}

}  // namespace tama
