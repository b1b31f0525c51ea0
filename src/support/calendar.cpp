#include "support/calendar.h"

#include <cmath>
#include <cstdio>

#include "sjis/lcmap.h"
#include "support/lines.h"
#include "support/number.h"

namespace tama {

int64_t MomentOf(double value) {
  const int64_t whole = std::llround(std::fabs(value) * static_cast<double>(kMsPerDay));
  if (value >= 0) return whole;
  const int64_t day = whole / kMsPerDay, time = whole % kMsPerDay;
  return -day * kMsPerDay + time;
}

bool MoveMonths(TCivilDate& date, int64_t n) {
  int64_t year = date.year + n / 12;
  int64_t month = date.month + n % 12;
  if (month > 12) {
    ++year;
    month -= 12;
  } else if (month < 1) {
    --year;
    month += 12;
  }
  if (year < 1 || year > 9999) return false;
  date.year = static_cast<int>(year);
  date.month = static_cast<int>(month);
  const int last = DaysInMonth(date.year, date.month);
  if (date.day > last) date.day = last;
  return true;
}

std::string FormatClock(int64_t msOfDay) {
  const int64_t s = msOfDay / 1000;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(s / 3600 % 100), static_cast<int>(s / 60 % 60),
                static_cast<int>(s % 60));
  return buf;
}

std::string FormatDate(const TCivilDate& date) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", date.year, date.month, date.day);
  return buf;
}

std::string EraDateText(const TCivilDate& date) {
  struct TEra {
    int year, month, day;
    const char* name;
  };
  static constexpr TEra kEras[] = {
      {2019, 5, 1, "令和"}, {1989, 1, 8, "平成"}, {1926, 12, 25, "昭和"}, {1912, 7, 30, "大正"}, {1868, 1, 1, "明治"},
  };
  const int key = date.year * 10000 + date.month * 100 + date.day;
  for (const TEra& era : kEras) {
    if (key < era.year * 10000 + era.month * 100 + era.day) continue;
    std::string r = era.name;
    const int eraYear = date.year - era.year + 1;
    char buf[32];
    if (eraYear == 1) {
      r += "元年";
    } else {
      std::snprintf(buf, sizeof buf, "%d", eraYear);
      r += buf;
      r += "年";
    }
    std::snprintf(buf, sizeof buf, "%d", date.month);
    r += buf;
    r += "月";
    std::snprintf(buf, sizeof buf, "%d", date.day);
    r += buf;
    r += "日";
    return r;
  }
  return std::string();
}

std::optional<double> ParseDateTime(std::string_view text) {
  if (std::optional<double> v = ReadDateTime(text)) return v;
  // A plain decimal number: the day count itself.
  std::string folded;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      folded = sjis::ToHalfWidth(text);
      text = folded;
      break;
    }
  }
  text = support::TrimControl(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text == "." || DecimalPrefixLength(text, NumberSyntax::kValue) != text.size())
    return std::nullopt;
  long double n = 0;
  try {
    n = DecimalToNumber(text);
  } catch (const TNumError&) {
    return std::nullopt;
  }
  if (negative) n = -n;
  if (!(n > kFirstDay - 1 && n < kLastDay + 1)) return std::nullopt;
  const double value = static_cast<double>(n);
  const int64_t day = DayOfMoment(MomentOf(value));
  if (day < kFirstDay || day > kLastDay) return std::nullopt;
  return value;
}

}  // namespace tama
