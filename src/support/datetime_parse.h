// Date-time values and the reader of date and time texts.
//
// A date-time value is a number of days since 1899-12-30 00:00: the integer
// part counts days, the fraction is the time of day. Before that day the value
// is negative and the time of day is still a positive fraction taken away from
// the day (1899-12-29 06:00 is -1.25). Dates are proleptic Gregorian, years 1
// to 9999; there are no time zones.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace tama {

struct TCivilDate {
  int year = 1899, month = 12, day = 30;
};

constexpr bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int year, int month);

// Day number (days since 1899-12-30) of a civil date, and back.
int64_t DaysFromCivil(int year, int month, int day);
TCivilDate CivilFromDays(int64_t days);

// The value of a day number and a time of day (0 <= time < 1).
double EncodeDateTime(int64_t days, double timeOfDay);

// Reads a date, a time, or a date followed by blanks and a time:
//   date  year/month/day or year-month-day (1 to 4 digits for the year, a year
//         of 1 or 2 digits is 2000-2029 below 30 and 1930-1999 from 30 on; 1 or
//         2 digits for month and day), or the same with 年, 月, 日;
//   time  hour:minute or hour:minute:second (1 or 2 digits each, the seconds
//         may have a decimal fraction), or the same with 時, 分, 秒;
// A time alone gives a value from 0 below 1. Blanks around the text are
// ignored and full-width digits and signs count as their ASCII forms. A text
// that is not one of these forms, or names no real date or time, gives nothing.
std::optional<double> ReadDateTime(std::string_view text);

}  // namespace tama
