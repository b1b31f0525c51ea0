#include "support/textformat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "sjis/sjis.h"
#include "support/number.h"

namespace tama {

namespace {

// Digits of the thousands-grouped form of a plain digit string.
void AppendGrouped(std::string& out, std::string_view digits) {
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += digits[i];
  }
}

// A finite number as 18 significant decimal digits: value = 0.d1 d2 ... x 10^(exp+1),
// that is digits[0] stands at 10^exp. Zero has exp 0 and all digits "0".
struct TDecimal {
  bool negative = false;
  std::string digits;  // 18 digits
  int exp = 0;
};

TDecimal ToDecimal(long double x) {
  TDecimal d;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17Le", x);
  const char* p = buf;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; *p && *p != 'e' && *p != 'E'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  if (*p) d.exp = static_cast<int>(std::strtol(p + 1, nullptr, 10));
  if (d.digits.find_first_not_of('0') == std::string::npos) {
    d.negative = false;
    d.exp = 0;
  }
  return d;
}

// Adds one to the last digit of a digit string; returns true when a new
// leading digit appeared ("99" -> "100").
bool Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

// |x| rounded to `decimals` decimals (halves away from zero on the decimal
// digits) as integer-part digits and fraction digits.
void FixedDigits(const TDecimal& d, int decimals, std::string& intPart, std::string& frac) {
  // digits at powers exp .. exp-17; keep those at powers >= -decimals
  const int keep = d.exp + decimals + 1;
  std::string n;
  bool up = false;
  if (keep <= 0) {
    n = "0";
    up = keep == 0 && d.digits[0] >= '5';
  } else if (keep >= static_cast<int>(d.digits.size())) {
    n = d.digits;
    n.append(static_cast<size_t>(keep) - d.digits.size(), '0');
  } else {
    n = d.digits.substr(0, static_cast<size_t>(keep));
    up = d.digits[static_cast<size_t>(keep)] >= '5';
  }
  if (up) Increment(n);
  // n is |x| * 10^decimals
  if (n.size() <= static_cast<size_t>(decimals)) n.insert(0, static_cast<size_t>(decimals) + 1 - n.size(), '0');
  intPart = n.substr(0, n.size() - static_cast<size_t>(decimals));
  frac = n.substr(n.size() - static_cast<size_t>(decimals));
  const size_t nz = intPart.find_first_not_of('0');
  intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
}

bool AllZero(const std::string& a, const std::string& b) {
  return a.find_first_not_of('0') == std::string::npos && b.find_first_not_of('0') == std::string::npos;
}

std::string Fixed(long double x, int decimals, bool grouped) {
  const TDecimal d = ToDecimal(x);
  std::string ip, fp;
  FixedDigits(d, decimals, ip, fp);
  std::string out;
  if (d.negative && !AllZero(ip, fp)) out += '-';
  if (grouped)
    AppendGrouped(out, ip);
  else
    out += ip;
  if (decimals > 0) {
    out += '.';
    out += fp;
  }
  return out;
}

// The first `sig` significant digits of |x| rounded (halves away from zero),
// and the power of ten of the first digit.
void SignificantDigits(const TDecimal& d, int sig, std::string& digits, int& exp) {
  digits = d.digits.substr(0, static_cast<size_t>(sig));
  exp = d.exp;
  if (static_cast<size_t>(sig) < d.digits.size() && d.digits[static_cast<size_t>(sig)] >= '5') {
    if (Increment(digits)) {
      digits.pop_back();
      ++exp;
    }
  }
}

std::string Scientific(long double x, int precision) {
  const TDecimal d = ToDecimal(x);
  std::string digits;
  int exp = 0;
  SignificantDigits(d, precision, digits, exp);
  std::string out;
  if (d.negative) out += '-';
  out += digits[0];
  if (digits.size() > 1) {
    out += '.';
    out.append(digits, 1, std::string::npos);
  }
  out += 'E';
  out += exp < 0 ? '-' : '+';
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d", exp < 0 ? -exp : exp);
  out += buf;
  return out;
}

std::string General(long double x, int precision) {
  const TDecimal d = ToDecimal(x);
  if (d.digits.find_first_not_of('0') == std::string::npos) return "0";
  std::string digits;
  int exp = 0;
  SignificantDigits(d, precision, digits, exp);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  if (d.negative) out += '-';
  if (exp < precision && exp >= -5) {
    if (exp < 0) {
      out += "0.";
      out.append(static_cast<size_t>(-exp - 1), '0');
      out += digits;
    } else if (static_cast<size_t>(exp) + 1 >= digits.size()) {
      out += digits;
      out.append(static_cast<size_t>(exp) + 1 - digits.size(), '0');
    } else {
      out.append(digits, 0, static_cast<size_t>(exp) + 1);
      out += '.';
      out.append(digits, static_cast<size_t>(exp) + 1, std::string::npos);
    }
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) {
    out += '.';
    out.append(digits, 1, std::string::npos);
  }
  out += 'E';
  out += std::to_string(exp);
  return out;
}

// The money form of the Japanese locale: the yen sign (0x5C) before the
// grouped amount, no decimals unless a precision asks for them.
std::string Money(long double x, int decimals) {
  const TDecimal d = ToDecimal(x);
  std::string ip, fp;
  FixedDigits(d, decimals, ip, fp);
  std::string out;
  if (d.negative && !AllZero(ip, fp)) out += '-';
  out += '\\';
  AppendGrouped(out, ip);
  if (decimals > 0) {
    out += '.';
    out += fp;
  }
  return out;
}

std::string WithMinDigits(std::string digits, int minDigits) {
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
  return digits;
}

enum class ArgKind { kText, kInteger, kFloat };

ArgKind KindOf(std::string_view format) {
  bool hasD = false;
  for (size_t i = 0; i < format.size(); i += sjis::CharLen(format, i)) {
    if (sjis::CharLen(format, i) != 1) continue;
    const char c = format[i];
    if (c == 'f' || c == 'm') return ArgKind::kFloat;
    if (c == 'd') hasD = true;
  }
  return hasD ? ArgKind::kInteger : ArgKind::kText;
}

// Widths and precisions beyond this are taken as malformed.
constexpr int kMaxField = 999999;

bool ReadField(std::string_view f, size_t& i, int& value) {
  value = 0;
  size_t digits = 0;
  while (i < f.size() && sjis::IsDigit(f[i])) {
    value = value * 10 + (f[i] - '0');
    ++i;
    if (++digits > 6) return false;
  }
  return value <= kMaxField;
}

}  // namespace

std::string FormatCurrency(std::string_view text) {
  const long double x = TextToNumber(text);
  const long double scaled = x * 10000.0L;
  if (!(scaled > -9223372036854775808.0L && scaled < 9223372036854775807.0L)) RaiseNumError(NumFault::kRange);
  const int64_t amount = RoundToInt64(scaled);  // ties to even
  const bool decimals = text.find('.') != std::string_view::npos;
  const uint64_t unit = decimals ? 100 : 10000;
  const uint64_t magnitude = amount < 0 ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
  const uint64_t q = (magnitude + unit / 2) / unit;  // halves away from zero
  std::string out;
  if (amount < 0 && q != 0) out += '-';
  AppendGrouped(out, std::to_string(decimals ? q / 100 : q));
  if (decimals) {
    const unsigned cents = static_cast<unsigned>(q % 100);
    out += '.';
    out += static_cast<char>('0' + cents / 10);
    out += static_cast<char>('0' + cents % 10);
  }
  return out;
}

std::optional<std::string> FormatValue(std::string_view format, std::string_view value) {
  const ArgKind kind = KindOf(format);
  long double number = 0;
  int64_t integer = 0;
  try {
    if (kind == ArgKind::kFloat) number = TextToNumber(value);
    if (kind == ArgKind::kInteger) integer = TruncToInt64(TextToNumber(value));
  } catch (const std::exception&) {
    return std::nullopt;
  }
  std::string out;
  size_t next = 0;  // index of the argument the next directive takes
  for (size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      const size_t len = sjis::CharLen(format, i);
      out.append(format, i, len);
      i += len;
      continue;
    }
    ++i;
    if (i >= format.size()) return std::nullopt;
    if (format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index ":"]
    size_t j = i;
    int index = 0;
    if (!ReadField(format, j, index)) return std::nullopt;
    if (j > i && j < format.size() && format[j] == ':') {
      next = static_cast<size_t>(index);
      i = j + 1;
    }
    bool left = false;
    if (i < format.size() && format[i] == '-') {
      left = true;
      ++i;
    }
    int width = 0, precision = -1;
    if (!ReadField(format, i, width)) return std::nullopt;
    if (i < format.size() && format[i] == '.') {
      ++i;
      if (!ReadField(format, i, precision)) return std::nullopt;
    }
    if (i >= format.size()) return std::nullopt;
    char type = format[i++];
    if (type >= 'A' && type <= 'Z') type = static_cast<char>(type - 'A' + 'a');
    if (next != 0) return std::nullopt;  // there is only one argument
    ++next;
    std::string body;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        if (kind != ArgKind::kInteger) return std::nullopt;
        const uint64_t magnitude =
            integer < 0 ? 0 - static_cast<uint64_t>(integer) : static_cast<uint64_t>(integer);
        if (type == 'd') {
          if (integer < 0) body += '-';
          body += WithMinDigits(std::to_string(magnitude), precision);
        } else if (type == 'u') {
          body = WithMinDigits(std::to_string(static_cast<uint64_t>(integer)), precision);
        } else {
          char buf[24];
          std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(integer));
          body = WithMinDigits(buf, precision);
        }
        break;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        if (kind != ArgKind::kFloat) return std::nullopt;
        if (type == 'e') body = Scientific(number, precision < 1 ? 15 : std::min(precision, 18));
        if (type == 'g') body = General(number, precision < 1 ? 15 : std::min(precision, 18));
        if (type == 'f') body = Fixed(number, precision < 0 ? 2 : std::min(precision, 18), false);
        if (type == 'n') body = Fixed(number, precision < 0 ? 2 : std::min(precision, 18), true);
        if (type == 'm') body = Money(number, precision < 0 ? 0 : std::min(precision, 18));
        break;
      }
      case 's': {
        if (kind != ArgKind::kText) return std::nullopt;
        size_t end = value.size();
        if (precision >= 0 && static_cast<size_t>(precision) < value.size()) {
          // at most `precision` bytes, never half a double-byte character
          end = 0;
          while (end < value.size()) {
            const size_t len = sjis::CharLen(value, end);
            if (end + len > static_cast<size_t>(precision)) break;
            end += len;
          }
        }
        body.assign(value.substr(0, end));
        break;
      }
      default:
        return std::nullopt;
    }
    const size_t pad = static_cast<size_t>(width) > body.size() ? static_cast<size_t>(width) - body.size() : 0;
    if (!left) out.append(pad, ' ');
    out += body;
    if (left) out.append(pad, ' ');
  }
  return out;
}

}  // namespace tama
