#include "support/datetime_parse.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tama;

namespace {

TEST(DateTimeParse, CivilDays) {
  struct Case {
    int y, m, d;
    int64_t days;
  };
  const Case cases[] = {
      {1899, 12, 30, 0}, {1899, 12, 29, -1}, {1900, 1, 1, 2}, {2000, 1, 1, 36526},
      {2004, 1, 1, 37987}, {2004, 2, 29, 38046}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.y, c.m, c.d), c.days) << c.y << "/" << c.m << "/" << c.d;
    const TCivilDate back = CivilFromDays(c.days);
    EXPECT_EQ(back.year, c.y);
    EXPECT_EQ(back.month, c.m);
    EXPECT_EQ(back.day, c.d);
  }
  EXPECT_EQ(DaysInMonth(2004, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
}

TEST(DateTimeParse, Forms) {
  const double d2004_1_2 = static_cast<double>(DaysFromCivil(2004, 1, 2));
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {"2004/1/2", true, d2004_1_2},
      {"2004/01/02", true, d2004_1_2},
      {"2004-1-2", true, d2004_1_2},
      {"2004年1月2日", true, d2004_1_2},
      {"２００４／１／２", true, d2004_1_2},
      {"  2004/1/2\r\n", true, d2004_1_2},
      {"04/1/2", true, d2004_1_2},
      {"99/1/2", true, static_cast<double>(DaysFromCivil(1999, 1, 2))},
      {"2004/1/2 06:00", true, d2004_1_2 + 0.25},
      {"2004/1/2\t18:00:00", true, d2004_1_2 + 0.75},
      {"2004/1/2　12:00", true, d2004_1_2 + 0.5},
      {"2004年1月2日12時", true, d2004_1_2 + 0.5},
      {"9:05", true, (9 * 60 + 5) / 1440.0},
      {"13:45:00", true, (13 * 60 + 45) / 1440.0},
      {"0:00:30.5", true, 30.5 / 86400},
      {"6時30分", true, 6.5 / 24},
      {"1899/12/30", true, 0},
      {"1899/12/29 6:00", true, -1.25},  // the time of day stays a positive fraction
      {"", false, 0},
      {"abc", false, 0},
      {"2004", false, 0},
      {"2004/2/30", false, 0},
      {"2004/13/1", false, 0},
      {"2004/1/2x", false, 0},
      {"2004/1-2", false, 0},
      {"2004/1/2 25:00", false, 0},
      {"12:60", false, 0},
      {"2004/1/2 9", false, 0},
      {"12345/1/2", false, 0},
  };
  for (const auto& c : cases) {
    const std::optional<double> v = ReadDateTime(c.text);
    ASSERT_EQ(v.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_NEAR(*v, c.value, 1e-9) << c.text;
    }
  }
}

}  // namespace
