// Moments, weekdays, month moves, the era calendar and the reader of
// date-time texts with its plain-number form.
#include "support/calendar.h"

#include <gtest/gtest.h>

#include <string>

namespace tama {
namespace {

TEST(Calendar, MomentsOfValues) {
  struct TCase {
    double value;
    int64_t day, msOfDay;
  };
  const TCase cases[] = {
      {0, 0, 0},
      {0.5, 0, 43200000},
      {10.0 / 24, 0, 36000000},           // rounds to the whole millisecond
      {1.25, 1, 21600000},
      {-0.25, 0, 21600000},                // before day 0 the fraction still counts forward
      {-1.25, -1, 21600000},               // 1899-12-29 06:00
      {-1, -1, 0},
      {0.99999999999, 1, 0},               // rounding carries into the next day
      {38000.999999999, 38001, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.value);
    const int64_t ms = MomentOf(c.value);
    EXPECT_EQ(DayOfMoment(ms), c.day);
    EXPECT_EQ(TimeOfMoment(ms), c.msOfDay);
  }
}

TEST(Calendar, Weekdays) {
  struct TCase {
    int y, m, d, weekday;
  };
  const TCase cases[] = {
      {1899, 12, 30, 7}, {1899, 12, 31, 1}, {1899, 12, 29, 6}, {1800, 1, 1, 4}, {2004, 1, 1, 5},
      {2000, 1, 1, 7},   {2024, 2, 29, 5},  {2019, 5, 1, 4},   {1, 1, 1, 2},    {9999, 12, 31, 6},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << c.m << "/" << c.d);
    EXPECT_EQ(WeekdayOfDay(DaysFromCivil(c.y, c.m, c.d)), c.weekday);
  }
}

TEST(Calendar, MonthMoves) {
  struct TCase {
    TCivilDate from;
    int64_t months;
    TCivilDate to;
  };
  const TCase cases[] = {
      {{2004, 1, 31}, 1, {2004, 2, 29}},
      {{2005, 1, 31}, 1, {2005, 2, 28}},
      {{2004, 2, 29}, 12, {2005, 2, 28}},
      {{2004, 1, 15}, -2, {2003, 11, 15}},
      {{2004, 11, 30}, 3, {2005, 2, 28}},
      {{2004, 12, 31}, 1, {2005, 1, 31}},
      {{2004, 3, 31}, -1, {2004, 2, 29}},
      {{2004, 5, 15}, -17, {2002, 12, 15}},
      {{2004, 1, 15}, 14, {2005, 3, 15}},
      {{2004, 8, 31}, 0, {2004, 8, 31}},
      {{9999, 11, 30}, 1, {9999, 12, 30}},
      {{1, 2, 1}, -1, {1, 1, 1}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from.year << "/" << c.from.month << "/" << c.from.day << " + " << c.months);
    TCivilDate d = c.from;
    ASSERT_TRUE(MoveMonths(d, c.months));
    EXPECT_EQ(d.year, c.to.year);
    EXPECT_EQ(d.month, c.to.month);
    EXPECT_EQ(d.day, c.to.day);
  }
  for (auto [date, n] : {std::pair<TCivilDate, int64_t>{{9999, 12, 1}, 1}, {{1, 1, 31}, -1}, {{2004, 1, 1}, 12 * 8000}}) {
    TCivilDate d = date;
    EXPECT_FALSE(MoveMonths(d, n));
    EXPECT_EQ(d.year, date.year);
  }
}

TEST(Calendar, EraDates) {
  struct TCase {
    int y, m, d;
    const char* text;
  };
  const TCase cases[] = {
      {1867, 12, 31, ""},
      {1868, 1, 1, "明治元年1月1日"},
      {1911, 12, 31, "明治44年12月31日"},
      {1912, 7, 29, "明治45年7月29日"},
      {1912, 7, 30, "大正元年7月30日"},
      {1926, 12, 24, "大正15年12月24日"},
      {1926, 12, 25, "昭和元年12月25日"},
      {1989, 1, 7, "昭和64年1月7日"},
      {1989, 1, 8, "平成元年1月8日"},
      {2004, 1, 2, "平成16年1月2日"},
      {2019, 4, 30, "平成31年4月30日"},
      {2019, 5, 1, "令和元年5月1日"},
      {2019, 12, 31, "令和元年12月31日"},
      {2024, 3, 15, "令和6年3月15日"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EraDateText({c.y, c.m, c.d}), c.text);
  }
}

TEST(Calendar, Pictures) {
  EXPECT_EQ(FormatClock(0), "00:00:00");
  EXPECT_EQ(FormatClock(kMsPerDay - 1), "23:59:59");
  EXPECT_EQ(FormatClock(36000999), "10:00:00");
  EXPECT_EQ(FormatDate({2004, 1, 2}), "2004/01/02");
  EXPECT_EQ(FormatDate({1, 1, 1}), "0001/01/01");
}

TEST(Calendar, ParseDateTimeTakesPlainNumbers) {
  struct TCase {
    const char* text;
    double value;  // < -1e9: no value
  };
  constexpr double kNone = -2e9;
  const TCase cases[] = {
      {"2004/1/2", 37988},
      {"2004/01/02 12:00", 37988.5},
      {"9:05", (9 * 60 + 5) / 1440.0},
      {"2004", 2004},            // a bare number is a day count
      {"38000.5", 38000.5},
      {" -1.25 ", -1.25},
      {"+.5", 0.5},
      {"５", 5},
      {"1.5e3", 1500},
      {"2958465.5", 2958465.5},  // 9999-12-31 12:00
      {"2958466", kNone},
      {"-693594", kNone},
      {".", kNone},
      {"-", kNone},
      {"", kNone},
      {"12abc", kNone},
      {"1.0e99999", kNone},
      {"2004/2/30", kNone},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<double> v = ParseDateTime(c.text);
    if (c.value < -1e9) {
      EXPECT_FALSE(v.has_value());
    } else {
      ASSERT_TRUE(v.has_value());
      EXPECT_DOUBLE_EQ(*v, c.value);
    }
  }
}

}  // namespace
}  // namespace tama
