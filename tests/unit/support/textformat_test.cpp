#include "support/textformat.h"

#include <gtest/gtest.h>

#include <string>

#include "support/number.h"

using namespace tama;

namespace {

TEST(TextFormat, Currency) {
  struct TCase {
    const char* text;
    const char* want;
  } cases[] = {
      {"1234567", "1,234,567"},
      {"1234.5", "1,234.50"},
      {"0.125", "0.13"},  // halves away from zero
      {"2.675", "2.68"},
      {"999.995", "1,000.00"},
      {"-1234.5", "-1,234.50"},
      {"-0.001", "0.00"},
      {"abc", "0"},
      {"1E3", "1,000"},
      {"999", "999"},
      {"1000", "1,000"},
      {"2.5", "2.50"},
      {"12.5e0", "12.50"},
      {"0.00005", "0.00"},
      {"-999999", "-999,999"},
      {"１２３４", "1,234"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatCurrency(c.text), c.want);
  }
  EXPECT_THROW(FormatCurrency("1e30"), TNumError);
}

TEST(TextFormat, Directives) {
  struct TCase {
    const char* format;
    const char* value;
    const char* want;  // nullptr: the format cannot be applied
  } cases[] = {
      // integers
      {"%d", "7", "7"},
      {"%.3d", "7", "007"},
      {"%.3d", "-7", "-007"},
      {"%3d", "7", "  7"},
      {"%-3d|", "7", "7  |"},
      {"%5.3d", "7", "  007"},
      {"%d", "12.9", "12"},
      {"%d", "-12.9", "-12"},
      {"%d", "abc", "0"},
      {"%d", "1e30", nullptr},
      {"[%d]", "5", "[5]"},
      {"%x %0:d", "255", "FF 255"},
      {"%.4x %0:d", "255", "00FF 255"},
      {"%u %0:d", "5", "5 5"},
      {"%x", "255", nullptr},  // no "d": the argument is text
      // floating point
      {"%.2f", "3.14159", "3.14"},
      {"%f", "2", "2.00"},
      {"%.0f", "2.5", "3"},
      {"%.2f", "2.675", "2.68"},
      {"%.2f", "-0.001", "0.00"},
      {"%5.1f", "3.14159", "  3.1"},
      {"%n|%0:.0f", "1234567.891", "1,234,567.89|1234568"},
      {"%n", "1234567.891", nullptr},  // no "f", "m" or "d": the argument is text
      {"%.0n%0:.0f", "-1234567", "-1,234,567-1234567"},
      {"%m", "1234.5", "\\1,235"},
      {"%m", "-5", "-\\5"},
      {"%e%0:.0f", "1234.5", "1.23450000000000E+0031235"},
      {"%.3e %0:f", "0.00012345", "1.23E-004 0.00"},
      {"%g %0:f", "0.5", "0.5 0.50"},
      {"%g %0:f", "1e20", "1E20 100000000000000000000.00"},
      {"%g %0:f", "100", "100 100.00"},
      {"%g %0:f", "0.000001", "1E-6 0.00"},
      {"%.3g %0:f", "1234.5", "1.23E3 1234.50"},
      {"%f", "1.", "1.00"},
      {"%f", ".", nullptr},
      // text
      {"%s", "abc", "abc"},
      {"%.2s", "abc", "ab"},
      {"%.3s", "あいう", "あ"},  // never half a character
      {"%5s", "ab", "   ab"},
      {"%-5s|", "ab", "ab   |"},
      {"%%%s", "a", "%a"},
      {"%s", "", ""},
      {"%0:s", "a", "a"},
      {"%1:s", "a", nullptr},
      {"%s %s", "a", nullptr},  // there is one argument only
      {"day %s", "x", nullptr},  // the "d" makes it an integer
      {"Ｇ%s", "x", "Ｇx"},       // the trail byte of Ｇ is "f" but no letter
      {"%S", "x", "x"},
      // malformed
      {"%", "1", nullptr},
      {"%q", "1", nullptr},
      {"%.", "1", nullptr},
      {"%*d", "1", nullptr},
      {"%9999999d", "1", nullptr},
      {"abc", "1", "abc"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " <- " + c.value);
    std::optional<std::string> r = FormatValue(c.format, c.value);
    if (!c.want) {
      EXPECT_FALSE(r.has_value()) << *r;
    } else {
      ASSERT_TRUE(r.has_value());
      EXPECT_EQ(*r, c.want);
    }
  }
}

}  // namespace
