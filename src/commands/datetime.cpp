// Registration table of the date and time commands.
#include "commands/datetime.h"

#include <time.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

#include "engine/tama.h"
#include "support/calendar.h"
#include "support/number.h"

namespace tama {

namespace {

constexpr char kMsgNotDate[] = "String型から Date 型へのバリアント型変換はできません";
constexpr char kMsgBadDate[] = "日付に変換できない値が渡されました";
constexpr char kMsgBadDateTimes[] = "日時の指定が不正です。";

std::string_view Trim(std::string_view s) { return TrimControl(s); }

// The local time now.
tm LocalNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm parts{};
  const time_t secs = ts.tv_sec;
  localtime_r(&secs, &parts);
  return parts;
}

void Ima(TTamaBase& t, int) {
  const tm now = LocalNow();
  const int64_t seconds = now.tm_hour * 3600 + now.tm_min * 60 + (now.tm_sec > 59 ? 59 : now.tm_sec);
  t.SetResultTagged(FormatClock(seconds * 1000), kTagString);
}

void Kyou(TTamaBase& t, int) {
  const tm now = LocalNow();
  t.SetResultTagged(FormatDate({now.tm_year + 1900, now.tm_mon + 1, now.tm_mday}), kTagString);
}

// The millisecond counter since the system started, wrapping at 2^32.
void SystemJikan(TTamaBase& t, int) {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  t.SetResultTagged(FormatInteger(static_cast<uint32_t>(ms)), kTagNumber);
}

// 曜日 and 曜日を数値で得る.
void Youbi(TTamaBase& t, int id) {
  const std::string arg = t.PopArgValue();
  const std::optional<double> v = ParseDateTime(arg);
  const char* name = id == kCmdYoubi ? "曜日" : "曜日を数値で得る";
  if (!v) t.Raise(std::string("\"") + name + "\"命令の引数に誤りがあります。：年月日の取得に失敗");
  const int w = WeekdayOfDay(DayOfMoment(MomentOf(*v)));
  if (id == kCmdYoubi) {
    static constexpr const char* kNames[] = {"日", "月", "火", "水", "木", "金", "土"};
    t.SetResultTagged(kNames[w - 1], kTagString);
  } else {
    t.SetResultTagged(FormatInteger(w), kTagNumber);
  }
}

void WarekiNiHenkan(TTamaBase& t, int) {
  const std::string arg = t.PopArgValue();
  const std::optional<double> v = ParseDateTime(arg);
  if (!v) t.Raise("\"和暦に変換\"命令の引数に誤りがあります。日付に変換出来ません。");
  t.SetResultTagged(EraDateText(CivilFromDays(DayOfMoment(MomentOf(*v)))), kTagString);
}

// An amount "[+|-]a<sep>b<sep>c": its sign and three parts, each read by the
// integer-reading rule (default 0) and within 0..65535.
struct TAmount {
  bool minus = false;
  int32_t part[3] = {0, 0, 0};
};

TAmount ReadAmount(TTamaBase& t, std::string_view text, char sep) {
  TAmount a;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    a.minus = text.front() == '-';
    text.remove_prefix(1);
  }
  for (int i = 0; i < 3; ++i) {
    std::string_view piece = text;
    if (i < 2) {
      const size_t at = text.find(sep);
      piece = text.substr(0, at);
      text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
    }
    a.part[i] = ReadInteger(piece, 0);
    if (a.part[i] < 0 || a.part[i] > 65535) t.Raise(kMsgRangeCheck);
  }
  return a;
}

// 時間加算: the base moved by hours, minutes and seconds; the time of day of
// the result (any number of days taken away or added wraps around).
void JikanKasan(TTamaBase& t, int) {
  const std::string amountText = t.PopArgValue();
  const std::string baseText = t.PopArgValue();
  const std::optional<double> base = ParseDateTime(Trim(baseText));
  if (!base) t.Raise(kMsgNotDate);
  const TAmount a = ReadAmount(t, Trim(amountText), ':');
  const int64_t sign = a.minus ? -1 : 1;
  const int64_t ms = MomentOf(*base) + sign * (a.part[0] * int64_t{3600000} + a.part[1] * int64_t{60000} +
                                               a.part[2] * int64_t{1000});
  t.SetResult(FormatClock(TimeOfMoment(ms)), kTagString);
}

// 日付加算: the base date moved by years, months and days.
void HizukeKasan(TTamaBase& t, int) {
  const std::string amountText = t.PopArgValue();
  const std::string baseText = t.PopArgValue();
  const std::optional<double> base = ParseDateTime(Trim(baseText));
  if (!base) t.Raise(kMsgNotDate);
  const TAmount a = ReadAmount(t, Trim(amountText), '/');
  const int64_t sign = a.minus ? -1 : 1;
  TCivilDate date = CivilFromDays(DayOfMoment(MomentOf(*base)));
  if (!MoveMonths(date, sign * 12 * a.part[0]) || !MoveMonths(date, sign * a.part[1])) t.Raise(kMsgBadDate);
  const int64_t day = DaysFromCivil(date.year, date.month, date.day) + sign * a.part[2];
  if (day < kFirstDay || day > kLastDay) t.Raise(kMsgBadDate);
  t.SetResult(FormatDate(CivilFromDays(day)), kTagString);
}

// 日数差 and 秒差: A - B.
void Difference(TTamaBase& t, int id) {
  const std::string bText = t.PopArgValue();
  const std::string aText = t.PopArgValue();
  const std::optional<double> b = ParseDateTime(Trim(bText));
  const std::optional<double> a = ParseDateTime(Trim(aText));
  if (!a || !b) t.Raise(kMsgBadDateTimes);
  const int64_t diff = MomentOf(*a) - MomentOf(*b);
  if (id == kCmdNissuusa) {
    t.SetResultTagged(FormatInteger(diff / kMsPerDay), kTagNumber);
    return;
  }
  const long double seconds = std::nearbyint(static_cast<long double>(diff) / 1000);
  if (seconds < -2147483648.0L || seconds > 2147483647.0L) RaiseNumError(NumFault::kRange);
  t.SetResultTagged(FormatInteger(static_cast<int64_t>(seconds)), kTagNumber);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"今", "", kCmdIma, Ima},
    {"今日", "", kCmdKyou, Kyou},
    {"曜日", "?の", kCmdYoubi, Youbi},
    {"時間加算", "?に,?を", kCmdJikanKasan, JikanKasan},
    {"日付加算", "?に,?を", kCmdHizukeKasan, HizukeKasan},
    {"日数差", "?と,?の", kCmdNissuusa, Difference},
    {"秒差", "?と,?の", kCmdByousa, Difference},
    {"曜日を数値で得る", "?の", kCmdYoubiWoSuuchiDeEru, Youbi},
    {"システム時間", "", kCmdSystemJikan, SystemJikan},
    {"和暦に変換", "?を", kCmdWarekiNiHenkan, WarekiNiHenkan},
};

static const TCommandFamily kFamily = {"datetime", kDefs, std::size(kDefs)};

const TCommandFamily& DateTimeFamily() { return kFamily; }

}  // namespace tama
