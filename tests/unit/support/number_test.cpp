#include "support/number.h"

#include "sjis/lcmap.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace tama;

namespace {

// The bits of two numbers agree (no tolerance: reading is correctly rounded).
void ExpectSameNumber(long double expected, long double actual, const std::string& what) {
  EXPECT_TRUE(expected == actual || (std::isnan(expected) && std::isnan(actual)))
      << what << ": expected " << FormatNumber(expected) << " (" << static_cast<double>(expected) << "), got "
      << FormatNumber(actual) << " (" << static_cast<double>(actual) << ")";
}

std::string LoneStopMessage() { return NotFloatMessage("."); }

}  // namespace

// ---------------------------------------------------------------------------
// TextToNumber

struct TextCase {
  std::string text;
  long double value;
};

TEST(TextToNumber, Table) {
  const std::vector<TextCase> cases = {
      {"12abc", 12},
      {"１２３", 123},
      {"1,234", 1234},
      {"1,5", 15},
      {",,1,,2,", 12},
      {" -3.5 ", -3.5L},
      {"\t\r\n12\r\n", 12},
      {"abc", 0},
      {"--5", 0},
      {"+-5", 0},
      {"-", 0},
      {"+", 0},
      {"", 0},
      {"   ", 0},
      {"+7", 7},
      {"$ff", 255},
      {"$FF", 255},
      {"$FFFFFFFF", -1},
      {"$80000000", -2147483648.0L},
      {"$100000000", 0},
      {"$ffz", 0},
      {"$", 0},
      {"$ ff", 0},
      {" $1F ", 31},
      {"-$ff", 0},
      {"5.", 5},
      {".5", 0.5L},
      {"-.5", -0.5L},
      {"007", 7},
      {"0.1", 0.1L},
      {"1.0e5", 100000},
      {"1.5E", 1.5L},
      {"1.5E+", 1.5L},
      {"1.5E-", 1.5L},
      {"1.5e3x", 1500},
      {"5.e3", 5000},
      // An exponent directly after the digits is taken when it is complete.
      {"1e5", 100000},
      {"1E20", 1e20L},
      {"5E-5", 5e-5L},
      {"1E-6", 1e-6L},
      {"1E+3", 1000},
      {"1E", 1},
      {"1E+", 1},
      {"1e5.5", 100000},
      {"1ee5", 1},
      {"0x1F", 0},
      {"12 34", 12},
      {"1 234", 1},
      // Full-width forms.
      {"－３", -3},
      {"＋３", 3},
      {"１．５", 1.5L},
      {"１，２３４", 1234},
      {"　１２　", 12},
      {"＄ＦＦ", 255},
      {"＄ｆｆ", 255},
      {"１Ｅ３", 1000},
      {"1.5ｅ2", 150},
      {"１２円", 12},
      {"ア1", 0},
      // Large, small and long.
      {"1e4932", 1e4932L},
      {"1e-5000", 0},
      {"0e99999", 0},
      {"3.14159265358979323846264338327950288", 3.14159265358979323846264338327950288L},
      {"123456789012345678901234567890", 1.23456789012345678901234567890e29L},
      {"0.000000000000000000000000000000000000000123", 1.23e-40L},
      {"18446744073709551615", 18446744073709551615.0L},
      {"9999999999999999999", 9999999999999999999.0L},
      {"1.18973149535723E4932", 1.18973149535723E4932L},
  };
  for (const auto& c : cases) ExpectSameNumber(c.value, TextToNumber(c.text), "\"" + c.text + "\"");
}

TEST(TextToNumber, OnlyTheFirst254BytesCount) {
  // 253 blanks and then "12": the number is cut after its first digit.
  EXPECT_EQ(TextToNumber(std::string(253, ' ') + "12"), 1);
  EXPECT_EQ(TextToNumber(std::string(254, ' ') + "12"), 0);
  // 254 digits are read, the rest is not.
  std::string nines(300, '9');
  long double expected = std::strtold(std::string(254, '9').c_str(), nullptr);
  ExpectSameNumber(expected, TextToNumber(nines), "300 nines");
  // Commas are removed after the cut.
  EXPECT_EQ(TextToNumber(std::string(252, ',') + "123"), 12);
}

TEST(TextToNumber, TextEndsAtAZeroByte) {
  EXPECT_EQ(TextToNumber(std::string("12\0" "34", 5)), 12);
  EXPECT_EQ(TextToNumber(std::string("$1F\0zz", 6)), 31);
  EXPECT_EQ(TextToNumber(std::string("\0" "5", 2)), 0);
}

TEST(TextToNumber, DenormalsAreKept) {
  long double v = TextToNumber("1e-4940");
  EXPECT_GT(v, 0);
  EXPECT_LT(v, LDBL_MIN);
}

TEST(TextToNumber, LoneDecimalPointFails) {
  for (const char* text : {".", "-.", "+.", " . ", ".abc", ".e5", "．", "－．", ",.,"}) {
    try {
      TextToNumber(text);
      ADD_FAILURE() << "no error for \"" << text << "\"";
    } catch (const TNumError& e) {
      EXPECT_EQ(e.fault(), NumFault::kNotFloat) << text;
      EXPECT_EQ(std::string(e.what()), LoneStopMessage()) << text;
    }
  }
}

TEST(TextToNumber, BeyondTheRangeIsAnOverflow) {
  for (const char* text : {"1e5000", "-1.5e99999", "1e1000000000000"}) {
    try {
      TextToNumber(text);
      ADD_FAILURE() << "no error for \"" << text << "\"";
    } catch (const TNumError& e) {
      EXPECT_EQ(e.fault(), NumFault::kFloatOverflow) << text;
      EXPECT_STREQ(e.what(), kMsgFloatOverflow);
    }
  }
}

// Every decimal text reads exactly as the library's correctly rounded reading.
TEST(TextToNumber, AgreesWithCorrectlyRoundedReading) {
  std::mt19937_64 rng(20240611);
  for (int n = 0; n < 20000; ++n) {
    std::string s;
    int digits = 1 + static_cast<int>(rng() % 24);
    int point = static_cast<int>(rng() % (digits + 2)) - 1;  // -1: no point
    for (int i = 0; i < digits; ++i) {
      if (i == point) s += '.';
      s += static_cast<char>('0' + rng() % 10);
    }
    if (rng() % 3 == 0) {
      s += (rng() % 2) ? 'e' : 'E';
      if (rng() % 2) s += (rng() % 2) ? '-' : '+';
      s += std::to_string(rng() % 60);
    }
    long double expected = std::strtold(s.c_str(), nullptr);
    ExpectSameNumber(expected, TextToNumber(s), s);
    ExpectSameNumber(-expected, TextToNumber("-" + s), "-" + s);
  }
}

// The reading maps full-width forms itself, without building a new text; for
// every double-byte character it must read as the general half-width mapping
// of the text would.
TEST(TextToNumber, FullWidthFormsReadAsTheirHalfWidthMapping) {
  auto by_mapping = [](std::string_view text) -> long double {
    std::string u = tama::sjis::ToHalfWidth(text.substr(0, 254));
    std::erase(u, ',');
    std::string_view v = u;
    while (!v.empty() && static_cast<unsigned char>(v.front()) <= 0x20) v.remove_prefix(1);
    while (!v.empty() && static_cast<unsigned char>(v.back()) <= 0x20) v.remove_suffix(1);
    if (v.empty()) return 0;
    if (v[0] == '$') return ReadInteger(v, 0);
    bool negative = v[0] == '-';
    if (negative || v[0] == '+') v.remove_prefix(1);
    std::string_view prefix = ScanNumberPrefix(v, NumberSyntax::kValue);
    if (prefix.empty()) return 0;
    long double n = DecimalToNumber(prefix);
    return negative ? -n : n;
  };
  auto read = [](auto reader, const std::string& text, std::string* error) -> long double {
    try {
      return reader(text);
    } catch (const TNumError& e) {
      *error = e.what();
      return 0;
    }
  };
  const char* const patterns[] = {"1X2", "X5", "5X", "-X1", "$fX", "X$f", ".X", "1.5X3", "X"};
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead == 0xA0) lead = 0xE0;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
      for (const char* pattern : patterns) {
        std::string text = pattern;
        text.replace(text.find('X'), 1, ch);
        std::string e1, e2;
        long double n1 = read([](std::string_view t) { return TextToNumber(t); }, text, &e1);
        long double n2 = read(by_mapping, text, &e2);
        ASSERT_EQ(e1, e2) << std::hex << lead << trail << " in " << pattern;
        ASSERT_EQ(n1, n2) << std::hex << lead << trail << " in " << pattern;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// The prefix rule shared with the program scanner

struct PrefixCase {
  std::string text;
  std::string value;    // prefix taken from a value
  std::string program;  // prefix taken from program text
};

TEST(NumberPrefix, Table) {
  const std::vector<PrefixCase> cases = {
      {"12abc", "12", "12"},
      {"1.5e3x", "1.5e3", "1.5e3"},
      {"1.e3", "1.e3", "1"},
      {"1.", "1.", "1"},
      {".5", ".5", ".5"},
      {".", ".", ""},
      {".e5", ".", ""},
      {"1E", "1", "1"},
      {"1E+", "1", "1"},
      {"1e-5", "1e-5", "1e-5"},
      {"1e5", "1e5", "1e5"},
      {"1.5E", "1.5", "1.5"},
      {"1.5E+x", "1.5", "1.5"},
      {"007", "007", "007"},
      {"2.50", "2.50", "2.50"},
      {"", "", ""},
      {"-1", "", ""},
      {"e5", "", ""},
      {"1.2.3", "1.2", "1.2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScanNumberPrefix(c.text, NumberSyntax::kValue), c.value) << c.text;
    EXPECT_EQ(ScanNumberPrefix(c.text, NumberSyntax::kProgram), c.program) << c.text;
    EXPECT_EQ(SkipDecimalNumber(c.text.c_str(), NumberSyntax::kValue) - c.text.c_str(),
              static_cast<std::ptrdiff_t>(c.value.size()))
        << c.text;
    EXPECT_EQ(SkipDecimalNumber(c.text.c_str(), NumberSyntax::kProgram) - c.text.c_str(),
              static_cast<std::ptrdiff_t>(c.program.size()))
        << c.text;
  }
}

TEST(NumberPrefix, CountedTextIsNotReadPastItsEnd) {
  std::string_view s("1.5e3", 3);  // "1.5" of a longer buffer
  EXPECT_EQ(ScanNumberPrefix(s, NumberSyntax::kValue), "1.5");
  EXPECT_EQ(ScanNumberPrefix(std::string_view("1e5", 2), NumberSyntax::kProgram), "1");
}

// ---------------------------------------------------------------------------
// Integer reading

TEST(ReadInteger, Table) {
  const int32_t d = -99;
  const struct {
    std::string text;
    int32_t value;
  } cases[] = {
      {"12", 12},
      {" 12", 12},
      {"   -12", -12},
      {"+12", 12},
      {"0012", 12},
      {"0", 0},
      {"12 ", d},
      {"1.5", d},
      {"\t12", d},
      {"1 2", d},
      {"", d},
      {" ", d},
      {"-", d},
      {"+", d},
      {"- 1", d},
      {"abc", d},
      {"１２", d},
      {"$1F", 31},
      {"0x1F", 31},
      {"0X1f", 31},
      {"x1F", 31},
      {"X1f", 31},
      {"$", d},
      {"0x", d},
      {"$1G", d},
      {"$ff ", d},
      {"$7FFFFFFF", 2147483647},
      {"$80000000", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"$00000000FF", 255},
      {"$100000000", d},
      {"-$1", -1},
      {"-$FFFFFFFF", 1},
      {"2147483647", 2147483647},
      {"2147483648", d},
      {"-2147483648", INT32_MIN},
      {"-2147483649", d},
      {"99999999999999999999999", d},
      {"00000000000000000000012", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadInteger(c.text, d), c.value) << "\"" << c.text << "\"";
}

// ---------------------------------------------------------------------------
// Number-read and the 64-bit conversions

TEST(NumberRead, TruncatesTowardZero) {
  EXPECT_EQ(NumberRead(3.9L), 3);
  EXPECT_EQ(NumberRead(-3.9L), -3);
  EXPECT_EQ(NumberRead(-0.5L), 0);
  EXPECT_EQ(NumberRead(2147483647.9L), 2147483647);
  EXPECT_EQ(NumberRead(-2147483648.9L), INT32_MIN);
}

TEST(NumberRead, OutOfRangeIsTheRangeError) {
  for (long double x : {2147483648.0L, -2147483649.0L, 1e300L, std::numeric_limits<long double>::quiet_NaN(),
                        std::numeric_limits<long double>::infinity()}) {
    try {
      NumberRead(x);
      ADD_FAILURE() << "no error for " << static_cast<double>(x);
    } catch (const TNumError& e) {
      EXPECT_EQ(e.fault(), NumFault::kRange);
      EXPECT_STREQ(e.what(), "範囲チェックエラー");
    }
  }
}

TEST(Int64Conversion, Table) {
  EXPECT_EQ(TruncToInt64(-7.9L), -7);
  EXPECT_EQ(TruncToInt64(-9223372036854775808.0L), INT64_MIN);
  EXPECT_EQ(TruncToInt64(9223372036854775807.0L), INT64_MAX);
  EXPECT_EQ(RoundToInt64(2.5L), 2);
  EXPECT_EQ(RoundToInt64(3.5L), 4);
  EXPECT_EQ(RoundToInt64(-2.5L), -2);
  EXPECT_EQ(RoundToInt64(2.6L), 3);
  for (long double x : {9223372036854775808.0L, -9223372036854777856.0L, 1e30L,
                        std::numeric_limits<long double>::quiet_NaN()}) {
    EXPECT_THROW(
        {
          try {
            TruncToInt64(x);
          } catch (const TNumError& e) {
            EXPECT_EQ(e.fault(), NumFault::kInvalidOperation);
            EXPECT_STREQ(e.what(), "不正な浮動小数点数演算命令");
            throw;
          }
        },
        TNumError);
    EXPECT_THROW(RoundToInt64(x), TNumError);
  }
}

// ---------------------------------------------------------------------------
// Checked results

TEST(CheckedArithmetic, Conditions) {
  const long double inf = std::numeric_limits<long double>::infinity();
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  struct {
    long double a, b;
    const char* message;  // nullptr: no error
  } divisions[] = {
      {1, 2, nullptr},
      {-1, 4, nullptr},
      {1, 0, "0 による浮動小数点数除算"},
      {-1, 0, "0 による浮動小数点数除算"},
      {0, 0, "不正な浮動小数点数演算命令"},
      {LDBL_MAX, 0.5L, "浮動小数点数のオーバーフロー"},
      {LDBL_MIN, LDBL_MAX, nullptr},  // underflow is silent
  };
  for (const auto& c : divisions) {
    if (!c.message) {
      EXPECT_EQ(CheckedDivide(c.a, c.b), c.a / c.b);
      continue;
    }
    try {
      CheckedDivide(c.a, c.b);
      ADD_FAILURE() << "no error";
    } catch (const TNumError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(CheckResult(2.5L), 2.5L);
  try {
    CheckResult(nan);
    ADD_FAILURE();
  } catch (const TNumError& e) {
    EXPECT_EQ(e.fault(), NumFault::kInvalidOperation);
    EXPECT_STREQ(e.what(), "不正な浮動小数点数演算命令");
  }
  try {
    CheckResult(LDBL_MAX * 2);
    ADD_FAILURE();
  } catch (const TNumError& e) {
    EXPECT_EQ(e.fault(), NumFault::kFloatOverflow);
  }
  EXPECT_THROW(CheckResult(-inf), TNumError);
}

TEST(NumError, Messages) {
  EXPECT_STREQ(TNumError(NumFault::kIntDivideByZero).what(), "ゼロによる除算");
  EXPECT_STREQ(TNumError(NumFault::kIntOverflow).what(), "整数のオーバーフロー");
  EXPECT_EQ(NotFloatMessage("1..2"), "'1..2' は浮動小数点数ではありません");
}

// ---------------------------------------------------------------------------
// Formatting

TEST(FormatNumber, Table) {
  const struct {
    long double x;
    std::string text;
  } cases[] = {
      {3, "3"},
      {0.5L, "0.5"},
      {1.0L / 3, "0.333333333333333"},
      {2.0L / 3, "0.666666666666667"},
      {2.50L, "2.5"},
      {0.0001L, "0.0001"},
      {0.00005L, "5E-5"},
      {0.000001L, "1E-6"},
      {1e20L, "1E20"},
      {1.5e-7L, "1.5E-7"},
      {0, "0"},
      {-0.0L, "0"},
      {-3, "-3"},
      {-0.5L, "-0.5"},
      {100, "100"},
      {123.456L, "123.456"},
      {0.1L + 0.2L, "0.3"},
      {0.1 + 0.2, "0.3"},
      {std::sqrt(2.0L), "1.4142135623731"},
      {0.00012345L, "0.00012345"},
      {0.000099999999999999999L, "0.0001"},
      {0.00009999999999999L, "9.999999999999E-5"},
      {999999999999999.0L, "999999999999999"},
      {-999999999999999.0L, "-999999999999999"},
      {999999999999999.4L, "999999999999999"},
      {999999999999999.7L, "1E15"},
      {1e15L, "1E15"},
      {1234567890123456.0L, "1.23456789012346E15"},
      {9007199254740993.0L, "9.00719925474099E15"},
      {-1e20L, "-1E20"},
      {12345678.9L, "12345678.9"},
      {100000000000000.5L, "100000000000000"},  // a tie goes to the even digit
      {100000000000001.5L, "100000000000002"},
      {0.1234567890123456L, "0.123456789012346"},
      {LDBL_MAX, "1.18973149535723E4932"},
      {-LDBL_TRUE_MIN, "-3.64519953188247E-4951"},
      {1e-300L, "1E-300"},
      {std::numeric_limits<long double>::infinity(), "INF"},
      {-std::numeric_limits<long double>::infinity(), "-INF"},
      {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatNumber(c.x), c.text) << static_cast<double>(c.x);
    EXPECT_EQ(detail::FormatNumberExact(c.x), c.text) << static_cast<double>(c.x);
  }
}

TEST(FormatInteger, Table) {
  EXPECT_EQ(FormatInteger(0), "0");
  EXPECT_EQ(FormatInteger(-1), "-1");
  EXPECT_EQ(FormatInteger(1234567890123), "1234567890123");
  EXPECT_EQ(FormatInteger(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(FormatInteger(INT64_MAX), "9223372036854775807");
}

namespace {

// Numbers across the whole range: random long doubles of every magnitude
// (denormals included), random doubles, integers, fractions, powers of ten,
// and numbers whose 16th digit is close to a rounding tie.
std::vector<long double> SampleNumbers() {
  std::vector<long double> xs;
  std::mt19937_64 rng(42);
  for (int i = 0; i < 20000; ++i) {
    uint64_t mant = rng() | (1ull << 63);
    int exp = static_cast<int>(rng() % 32000) - 16000;
    long double x = std::ldexp(static_cast<long double>(mant), exp - 63);
    xs.push_back(rng() % 2 ? x : -x);
  }
  for (int i = 0; i < 20000; ++i) {
    uint64_t mant = rng() | (1ull << 63);
    int exp = static_cast<int>(rng() % 220) - 70;  // 1e-21 to 1e45
    xs.push_back(std::ldexp(static_cast<long double>(mant), exp - 63));
  }
  for (int i = 0; i < 5000; ++i) {
    uint64_t bits = rng();
    double d;
    static_assert(sizeof d == sizeof bits);
    std::memcpy(&d, &bits, sizeof d);
    if (std::isfinite(d)) xs.push_back(d);
  }
  for (int i = 0; i < 200; ++i) xs.push_back(std::ldexp(static_cast<long double>(rng() | 1), -16445 + i % 60));
  for (long double k = -5000; k <= 5000; k += 7) xs.push_back(k);
  for (int i = 0; i < 5000; ++i) xs.push_back(static_cast<long double>(static_cast<int64_t>(rng())) / 1000);
  for (int n = 1; n < 200; ++n) {
    xs.push_back(1.0L / n);
    xs.push_back(2.0L / n);
    xs.push_back(n / 7.0L);
  }
  for (int k = -30; k <= 30; ++k) {
    long double p = std::pow(10.0L, k);
    xs.push_back(p);
    xs.push_back(std::nextafter(p, 0.0L));
    xs.push_back(std::nextafter(p, 1e40L));
    xs.push_back(TextToNumber("1e" + std::to_string(k)));
  }
  for (int i = 0; i < 5000; ++i) {
    // q.5 x 10^k, and just beside it.
    uint64_t q = 100000000000000u + rng() % 900000000000000u;
    int k = static_cast<int>(rng() % 56) - 28;
    long double x = (static_cast<long double>(q) + 0.5L) * std::pow(10.0L, k);
    xs.push_back(x);
    xs.push_back(std::nextafter(x, 0.0L));
    xs.push_back(std::nextafter(x, 1e40L));
  }
  xs.push_back(LDBL_MAX);
  xs.push_back(LDBL_MIN);
  xs.push_back(LDBL_TRUE_MIN);
  return xs;
}

}  // namespace

TEST(FormatNumber, FastWayAgreesWithTheExactWay) {
  for (long double x : SampleNumbers()) {
    ASSERT_EQ(FormatNumber(x), detail::FormatNumberExact(x)) << static_cast<double>(x);
  }
}

TEST(FormatNumber, EveryWrittenNumberReadsBackToTheSameText) {
  for (long double x : SampleNumbers()) {
    std::string s = FormatNumber(x);
    ASSERT_EQ(FormatNumber(TextToNumber(s)), s) << static_cast<double>(x);
  }
}

TEST(PlainNumbers, PlainDecimalsAndSmallWholeNumbers) {
  struct {
    const char* text;
    bool plain;
  } texts[] = {{"12", true}, {"-0.5", true}, {"007", true}, {"5.", false}, {".5", false}, {"1e3", false},
               {"+1", false}, {"-", false}, {"", false},  {"12abc", false}, {"1,000", false}};
  for (const auto& c : texts) EXPECT_EQ(IsPlainDecimal(c.text), c.plain) << c.text;
  int64_t i = -1;
  EXPECT_TRUE(SmallWholeNumber(-999999999999999.0L, i));
  EXPECT_EQ(i, -999999999999999);
  EXPECT_TRUE(SmallWholeNumber(-0.0L, i));
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(SmallWholeNumber(1e15L, i));
  EXPECT_FALSE(SmallWholeNumber(0.5L, i));
  EXPECT_FALSE(SmallWholeNumber(std::numeric_limits<long double>::quiet_NaN(), i));
}
