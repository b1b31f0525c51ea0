// Calendar arithmetic on date-time values (days since 1899-12-30 00:00, see
// datetime_parse.h): moments in whole milliseconds, weekdays, month moves,
// the era calendar and the date and time pictures.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "support/datetime_parse.h"

namespace tama {

inline constexpr int64_t kMsPerDay = 86400000;
// The day numbers of 0001-01-01 and 9999-12-31.
inline constexpr int64_t kFirstDay = -693593;
inline constexpr int64_t kLastDay = 2958465;

// The moment a date-time value stands for, in milliseconds since 1899-12-30
// 00:00 on a straight time line. The value's magnitude times 86400000 is
// rounded to whole milliseconds first; before 1899-12-30 the value's integer
// part is the day and its fraction the time of day from that day's start
// (-1.25 is 1899-12-29 06:00, the moment -18 hours).
int64_t MomentOf(double value);
// The day number and the millisecond of the day of a moment.
constexpr int64_t DayOfMoment(int64_t ms) { return ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay); }
constexpr int64_t TimeOfMoment(int64_t ms) { return ms - DayOfMoment(ms) * kMsPerDay; }

// The weekday of a day number: 1 Sunday ... 7 Saturday (day 0 is a Saturday).
constexpr int WeekdayOfDay(int64_t day) { return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1; }

// Moves a date by n months: the year by n / 12 and the month by n % 12 (both
// with the sign of n), carrying one year when the month leaves 1..12; a day
// beyond the new month's length becomes its last day. False (and the date
// unchanged) when the year leaves 1..9999.
bool MoveMonths(TCivilDate& date, int64_t n);

// "hh:nn:ss" of a millisecond of the day (milliseconds dropped).
std::string FormatClock(int64_t msOfDay);
// "yyyy/mm/dd" (four-digit year).
std::string FormatDate(const TCivilDate& date);

// The date in the era calendar, for example "平成16年1月2日" ("元年" for the
// first year). Each era starts on its first day: 明治 1868-01-01, 大正
// 1912-07-30, 昭和 1926-12-25, 平成 1989-01-08, 令和 2019-05-01; an earlier
// date gives the empty text.
std::string EraDateText(const TCivilDate& date);

// A date-time text read as ReadDateTime reads it, or else a plain decimal
// number (an optional sign, digits with an optional fraction and exponent)
// taken as the day count. The value must lie in the years 1 to 9999.
std::optional<double> ParseDateTime(std::string_view text);

}  // namespace tama
