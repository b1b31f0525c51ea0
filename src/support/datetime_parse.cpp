#include "support/datetime_parse.h"

#include <string>

#include "sjis/lcmap.h"
#include "support/lines.h"

namespace tama {

namespace {

// 1970-01-01 is day 25569 of the date-time values.
constexpr int64_t kUnixEpochDay = 25569;

constexpr std::string_view kYear = "年", kMonth = "月", kDay = "日";
constexpr std::string_view kHour = "時", kMinute = "分", kSecond = "秒";

struct TReader {
  std::string_view s;
  size_t i = 0;

  bool AtEnd() const { return i >= s.size(); }
  bool Take(char c) {
    if (i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }
  bool Take(std::string_view w) {
    if (s.substr(i, w.size()) == w) {
      i += w.size();
      return true;
    }
    return false;
  }
  // 1 to maxDigits digits; the number of digits taken (0 when none).
  int Digits(int maxDigits, int& value) {
    const size_t from = i;
    int n = 0;
    value = 0;
    while (n < maxDigits && i < s.size() && s[i] >= '0' && s[i] <= '9') {
      value = value * 10 + (s[i] - '0');
      ++i;
      ++n;
    }
    // More digits than allowed: not this form.
    if (n == maxDigits && i < s.size() && s[i] >= '0' && s[i] <= '9') {
      i = from;
      return 0;
    }
    return n;
  }
  bool SkipBlanks() {
    const size_t from = i;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return i > from;
  }
};

// year/month/day, year-month-day or 年月日 at the reader's position.
bool ReadDate(TReader& r, int64_t& days, bool& kanji) {
  const size_t start = r.i;
  int y = 0, m = 0, d = 0;
  const int yDigits = r.Digits(4, y);
  if (yDigits == 0) return false;
  char sep = 0;
  kanji = false;
  if (r.Take('/')) sep = '/';
  else if (r.Take('-')) sep = '-';
  else if (r.Take(kYear)) kanji = true;
  else {
    r.i = start;
    return false;
  }
  bool ok = r.Digits(2, m) > 0;
  if (ok) ok = kanji ? r.Take(kMonth) : r.Take(sep);
  if (ok) ok = r.Digits(2, d) > 0;
  if (ok && kanji) ok = r.Take(kDay);
  if (!ok) {
    r.i = start;
    return false;
  }
  if (yDigits <= 2) y += y < 30 ? 2000 : 1900;
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
    r.i = start;
    return false;
  }
  days = DaysFromCivil(y, m, d);
  return true;
}

// hour:minute[:second[.fraction]] or 時[分[秒]] at the reader's position; the
// time of day in days.
bool ReadTime(TReader& r, double& t) {
  int h = 0, m = 0, sec = 0;
  double frac = 0;
  if (r.Digits(2, h) == 0) return false;
  if (r.Take(':')) {
    if (r.Digits(2, m) == 0) return false;
    if (r.Take(':')) {
      if (r.Digits(2, sec) == 0) return false;
      if (r.Take('.')) {
        double scale = 0.1;
        while (!r.AtEnd() && r.s[r.i] >= '0' && r.s[r.i] <= '9') {
          frac += (r.s[r.i] - '0') * scale;
          scale /= 10;
          ++r.i;
        }
      }
    }
  } else if (r.Take(kHour)) {
    const size_t back = r.i;
    if (r.Digits(2, m) > 0 && r.Take(kMinute)) {
      const size_t back2 = r.i;
      if (!(r.Digits(2, sec) > 0 && r.Take(kSecond))) {
        sec = 0;
        r.i = back2;
      }
    } else {
      m = 0;
      r.i = back;
    }
  } else {
    return false;
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  t = (h * 3600.0 + m * 60.0 + sec + frac) / 86400.0;
  return true;
}

}  // namespace

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + kUnixEpochDay;
}

TCivilDate CivilFromDays(int64_t days) {
  const int64_t z = days - kUnixEpochDay + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

double EncodeDateTime(int64_t days, double timeOfDay) {
  const double d = static_cast<double>(days);
  return days >= 0 ? d + timeOfDay : d - timeOfDay;
}

std::optional<double> ReadDateTime(std::string_view text) {
  text = support::TrimControl(text);
  if (text.empty()) return std::nullopt;
  std::string folded;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      folded = sjis::ToHalfWidth(text);
      text = folded;
      break;
    }
  }
  TReader r{text};
  int64_t days = 0;
  double t = 0;
  bool kanji = false;
  if (ReadDate(r, days, kanji)) {
    if (r.AtEnd()) return EncodeDateTime(days, 0);
    if (!r.SkipBlanks() && !kanji) return std::nullopt;
    if (!ReadTime(r, t) || !r.AtEnd()) return std::nullopt;
    return EncodeDateTime(days, t);
  }
  if (ReadTime(r, t) && r.AtEnd()) return t;
  return std::nullopt;
}

}  // namespace tama
