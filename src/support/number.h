// Numbers in text: reading a number out of a value, the integer-reading rule,
// number-read truncation, and the one number formatting of the whole system.
//
// Numbers in flight are 80-bit extended (long double). Arithmetic never traps:
// the users test their results with CheckResult / CheckedDivide and the other
// checked conversions below, which raise TNumError with the platform message.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tama {

static_assert(sizeof(long double) >= 10, "numbers need the 80-bit extended format");

// ---------------------------------------------------------------------------
// Failures

// Bare messages of the numeric failures (Shift-JIS).
inline constexpr char kMsgRangeCheck[] = "範囲チェックエラー";
inline constexpr char kMsgInvalidOperation[] = "不正な浮動小数点数演算命令";
inline constexpr char kMsgFloatDivideByZero[] = "0 による浮動小数点数除算";
inline constexpr char kMsgFloatOverflow[] = "浮動小数点数のオーバーフロー";
inline constexpr char kMsgIntDivideByZero[] = "ゼロによる除算";
inline constexpr char kMsgIntOverflow[] = "整数のオーバーフロー";

enum class NumFault : uint8_t {
  kRange,             // "範囲チェックエラー"
  kInvalidOperation,  // "不正な浮動小数点数演算命令"
  kFloatDivideByZero, // "0 による浮動小数点数除算"
  kFloatOverflow,     // "浮動小数点数のオーバーフロー"
  kIntDivideByZero,   // "ゼロによる除算"
  kIntOverflow,       // "整数のオーバーフロー"
  kNotFloat,          // "'%s' は浮動小数点数ではありません"
};

// "'%s' は浮動小数点数ではありません" with the text in place of %s.
std::string NotFloatMessage(std::string_view text);

// A numeric failure carrying the bare platform message; the interpreter wraps it.
class TNumError : public std::runtime_error {
 public:
  TNumError(NumFault fault, const std::string& message) : std::runtime_error(message), fault_(fault) {}
  explicit TNumError(NumFault fault);  // the fixed message of the fault (not for kNotFloat)
  NumFault fault() const noexcept { return fault_; }

 private:
  NumFault fault_;
};

[[noreturn]] void RaiseNumError(NumFault fault);
[[noreturn]] void RaiseNonFinite(long double r);

// A computed result: NaN is an invalid operation, an infinity an overflow.
inline long double CheckResult(long double r) {
  if (std::isfinite(r)) [[likely]] return r;
  RaiseNonFinite(r);
}
// a / b with the conditions of the division: b = 0 is a division by zero,
// 0 / 0 an invalid operation, a quotient beyond the range an overflow.
inline long double CheckedDivide(long double a, long double b) {
  if (b == 0) [[unlikely]]
    RaiseNumError(a == 0 || std::isnan(a) ? NumFault::kInvalidOperation : NumFault::kFloatDivideByZero);
  return CheckResult(a / b);
}

// ---------------------------------------------------------------------------
// Reading

// Which decimal numbers a text may start with. Both take digits, a fraction and
// an exponent ("E"/"e", an optional sign, at least one digit) after a mantissa
// with at least one digit; an incomplete exponent ("1E", "1.5E+") is not taken.
enum class NumberSyntax : uint8_t {
  kValue,    // number texts of values: a point after the digits is always taken ("5.", ".")
  kProgram,  // numbers in program text: a point is taken only before a digit ("1.e3" is "1")
};

// Length of the unsigned decimal number at the start of s (0 when none).
size_t DecimalPrefixLength(std::string_view s, NumberSyntax syntax) noexcept;
// The same over a zero-terminated text: the end of the number that starts at p
// (p itself when none); never looks past the zero byte.
const char* SkipDecimalNumber(const char* p, NumberSyntax syntax) noexcept;
// The number at the start of s as a view of s.
inline std::string_view ScanNumberPrefix(std::string_view s, NumberSyntax syntax) noexcept {
  return s.substr(0, DecimalPrefixLength(s, syntax));
}

// The value of an unsigned decimal number as DecimalPrefixLength takes it
// (for example "12", "1.5e-3", "5.", ".5"), correctly rounded to 80 bits.
// A lone "." raises the not-a-number message; a value beyond the range raises
// the overflow; a value below it becomes a denormal or 0.
long double DecimalToNumber(std::string_view digits);

// The number a text stands for: blanks and commas ignored, full-width digits
// and signs read as their ASCII forms, "$" hexadecimal, otherwise the longest
// decimal prefix after an optional sign ("12abc" is 12, "abc" is 0, "1E20"
// is 1e20). Only the first 254 bytes count. Fails with the not-a-number
// message for a lone "." and with the overflow for a number beyond the range.
// Does not allocate.
long double TextToNumber(std::string_view text);

// The integer-reading rule: optional leading spaces, an optional sign, then
// decimal digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", and
// nothing after them. Anything else, or a value out of range, gives deflt.
// Hexadecimal 80000000-FFFFFFFF are the negative numbers of the same bits.
int32_t ReadInteger(std::string_view text, int32_t deflt) noexcept;

// A plain decimal: an optional minus, digits, and a fraction after a point
// ("12", "-0.5"); such a text reads the same as a number of a program.
bool IsPlainDecimal(std::string_view text) noexcept;

// True for a whole number below 10^15 in magnitude, given in `out`: the
// numbers the formatting writes as plain digits and that read back exactly.
bool SmallWholeNumber(long double x, int64_t& out) noexcept;

// Number-read: truncated toward zero; outside the signed 32-bit range (NaN
// included) the range error.
int32_t NumberRead(long double x);
// Truncation / rounding (to nearest, ties to even) to a 64-bit integer; a value
// outside the 64-bit range or NaN is an invalid operation.
int64_t TruncToInt64(long double x);
int64_t RoundToInt64(long double x);

// ---------------------------------------------------------------------------
// Formatting

// Enough room for every text FormatNumberTo writes.
inline constexpr size_t kNumberTextMax = 32;

// The number formatting: 15 significant digits, fixed notation for magnitudes
// from 0.0001 below 10^15, otherwise "d[.ddd]E<exp>" ("5E-5", "1E20",
// "1.5E-7"); zero is "0". Infinities and NaN (which checked arithmetic never
// produces) are written "INF", "-INF" and "NAN".
std::string FormatNumber(long double x);
// The same into out (at least kNumberTextMax bytes, not zero-terminated);
// returns the length.
size_t FormatNumberTo(long double x, char* out) noexcept;
// Plain decimal integer, "-" before negatives.
std::string FormatInteger(int64_t n);

namespace detail {
// The formatting computed the slow, exact way only (for tests of the fast path).
std::string FormatNumberExact(long double x);
}  // namespace detail

}  // namespace tama
